#include "ServerRollen.h"

#include "Backend.h"
#include "Errors.h"
#include "Schema.h"
#include "ServerLogin.h"
#include "TableSecurity.h"
#include "Verlauf.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace ServerRollen {

namespace {

const QString kMarker = QStringLiteral("_hw_rollen");

QString ident(const QString& name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString literal(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

bool superuser(Backend& db)
{
    auto c = db.select(QStringLiteral("SELECT rolsuper FROM pg_roles WHERE rolname = current_user"));
    return c->next() && c->boolValue(0);
}

bool rolleDa(Backend& db, const QString& rolle)
{
    auto c = db.select(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {rolle});
    return c->next();
}

QStringList einzeln(Backend& db, const QString& sql, const QVariantList& params = {})
{
    QStringList out;
    auto c = db.select(sql, params);
    while (c->next())
        out << c->textValue(0);
    return out;
}

// Tables whose rows the rights insert, modify and delete guard.
QStringList datenTabellen()
{
    return {Schema::ladders().name,   Schema::inspections().name, Schema::inspectionKinds().name,
            Schema::ladderTypes().name, Schema::materials().name,  Schema::inspectors().name,
            Schema::companies().name, Schema::suppliers().name};
}

// The user functions. They run as the administrator role (CREATEROLE) with a fixed search
// path, touch only roles that are persons of this register (member of the view group, no
// superuser or role administrator) and grant only this register's groups.
QStringList funktionen(const Namen& n)
{
    const QString kopf = QStringLiteral("LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$\n");
    QStringList f;
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw__name(p_rolle text) RETURNS void ") + kopf + QStringLiteral(R"(
BEGIN
  IF p_rolle IS NULL OR p_rolle = '' OR p_rolle <> lower(btrim(p_rolle)) OR octet_length(p_rolle) > 63
     OR p_rolle LIKE 'pg\_%' OR p_rolle IN (%1) THEN
    RAISE EXCEPTION 'Der Name "%" kann kein Benutzer am Datenbankserver sein', p_rolle;
  END IF;
END $f$)").arg(QStringList{literal(n.eigentuemer), literal(n.verwalter), literal(n.ansehen), literal(n.neu),
                           literal(n.aendern), literal(n.loeschen), literal(n.admin), literal(QStringLiteral("public"))}
                    .join(QLatin1Char(',')));
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw__person(p_rolle text) RETURNS void ") + kopf + QStringLiteral(R"(
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles r JOIN pg_auth_members m ON m.member = r.oid JOIN pg_roles g ON g.oid = m.roleid
                 WHERE r.rolname = p_rolle AND g.rolname = %1
                   AND NOT r.rolsuper AND NOT r.rolcreaterole AND NOT r.rolbypassrls AND NOT r.rolreplication) THEN
    RAISE EXCEPTION 'Den Benutzer "%" gibt es in diesem Register nicht', p_rolle;
  END IF;
END $f$)").arg(literal(n.ansehen));
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw__hash(p_hash text) RETURNS void ") + kopf + QStringLiteral(R"(
BEGIN
  IF p_hash IS NULL OR p_hash !~ '^SCRAM-SHA-256\$[0-9]+:' THEN
    RAISE EXCEPTION 'Das Passwort kommt nicht als SCRAM-Hash an und wird nicht gespeichert';
  END IF;
END $f$)");
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw__rechte(p_rolle text, p_rechte integer) RETURNS void ") + kopf
            + QStringLiteral(R"(
DECLARE g record;
BEGIN
  FOR g IN SELECT * FROM (VALUES (%1, 2), (%2, 4), (%3, 8), (%4, 64)) AS t(rolle, bit) LOOP
    IF (p_rechte & g.bit) <> 0 THEN
      IF NOT EXISTS (SELECT 1 FROM pg_auth_members m WHERE m.roleid = to_regrole(quote_ident(g.rolle))
                       AND m.member = to_regrole(quote_ident(p_rolle))) THEN
        EXECUTE format('GRANT %I TO %I', g.rolle, p_rolle);
      END IF;
    ELSIF EXISTS (SELECT 1 FROM pg_auth_members m WHERE m.roleid = to_regrole(quote_ident(g.rolle))
                    AND m.member = to_regrole(quote_ident(p_rolle))) THEN
      EXECUTE format('REVOKE %I FROM %I', g.rolle, p_rolle);
    END IF;
  END LOOP;
END $f$)").arg(literal(n.neu), literal(n.aendern), literal(n.loeschen), literal(n.admin));
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw__admin_bleibt() RETURNS void ") + kopf + QStringLiteral(R"(
BEGIN
  IF NOT EXISTS (SELECT 1 FROM pg_roles r JOIN pg_auth_members m ON m.member = r.oid JOIN pg_roles g ON g.oid = m.roleid
                 WHERE g.rolname = %1 AND r.rolcanlogin) THEN
    RAISE EXCEPTION 'Der letzte Benutzer mit dem Recht "Admin - Verwaltungsrechte" kann nicht gesperrt, gelöscht oder ohne dieses Recht gespeichert werden';
  END IF;
END $f$)").arg(literal(n.admin));
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw_benutzer_anlegen(p_rolle text, p_hash text, p_rechte integer, "
                        "p_gesperrt boolean) RETURNS void ") + kopf + QStringLiteral(R"(
BEGIN
  PERFORM public.hw__name(p_rolle);
  PERFORM public.hw__hash(p_hash);
  IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = p_rolle) THEN
    RAISE EXCEPTION 'Den Benutzer "%" gibt es am Datenbankserver schon', p_rolle;
  END IF;
  EXECUTE format('CREATE ROLE %I %s PASSWORD %L IN ROLE %I', p_rolle,
                 CASE WHEN p_gesperrt THEN 'NOLOGIN' ELSE 'LOGIN' END, p_hash, %1);
  PERFORM public.hw__rechte(p_rolle, p_rechte);
  INSERT INTO public._hw_erstpasswort (rolle) VALUES (p_rolle) ON CONFLICT DO NOTHING;
END $f$)").arg(literal(n.ansehen));
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw_benutzer_aendern(p_rolle text, p_neu text, p_rechte integer, "
                        "p_gesperrt boolean) RETURNS void ") + kopf + QStringLiteral(R"(
BEGIN
  PERFORM public.hw__person(p_rolle);
  IF p_neu <> p_rolle THEN
    PERFORM public.hw__name(p_neu);
    EXECUTE format('ALTER ROLE %I RENAME TO %I', p_rolle, p_neu);
    UPDATE public._hw_erstpasswort SET rolle = p_neu WHERE rolle = p_rolle;
  END IF;
  EXECUTE format('ALTER ROLE %I %s', p_neu, CASE WHEN p_gesperrt THEN 'NOLOGIN' ELSE 'LOGIN' END);
  PERFORM public.hw__rechte(p_neu, p_rechte);
  PERFORM public.hw__admin_bleibt();
END $f$)");
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw_benutzer_passwort(p_rolle text, p_hash text) RETURNS void ") + kopf
            + QStringLiteral(R"(
BEGIN
  PERFORM public.hw__person(p_rolle);
  PERFORM public.hw__hash(p_hash);
  EXECUTE format('ALTER ROLE %I PASSWORD %L', p_rolle, p_hash);
  INSERT INTO public._hw_erstpasswort (rolle) VALUES (p_rolle) ON CONFLICT DO NOTHING;
END $f$)");
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw_benutzer_loeschen(p_rolle text) RETURNS void ") + kopf
            + QStringLiteral(R"(
BEGIN
  PERFORM public.hw__person(p_rolle);
  EXECUTE format('DROP ROLE %I', p_rolle);
  DELETE FROM public._hw_erstpasswort WHERE rolle = p_rolle;
  PERFORM public.hw__admin_bleibt();
END $f$)");
    f << QStringLiteral("CREATE OR REPLACE FUNCTION hw_eigenes_passwort(p_hash text) RETURNS void ") + kopf
            + QStringLiteral(R"(
BEGIN
  PERFORM public.hw__person(session_user);
  PERFORM public.hw__hash(p_hash);
  EXECUTE format('ALTER ROLE %I PASSWORD %L', session_user, p_hash);
  DELETE FROM public._hw_erstpasswort WHERE rolle = session_user;
END $f$)");
    return f;
}

const QStringList kHilfsfunktionen = {QStringLiteral("hw__name(text)"), QStringLiteral("hw__person(text)"),
                                      QStringLiteral("hw__hash(text)"), QStringLiteral("hw__rechte(text, integer)"),
                                      QStringLiteral("hw__admin_bleibt()")};
const QStringList kAdminFunktionen = {QStringLiteral("hw_benutzer_anlegen(text, text, integer, boolean)"),
                                      QStringLiteral("hw_benutzer_aendern(text, text, integer, boolean)"),
                                      QStringLiteral("hw_benutzer_passwort(text, text)"),
                                      QStringLiteral("hw_benutzer_loeschen(text)")};
const QString kEigeneFunktion = QStringLiteral("hw_eigenes_passwort(text)");

} // namespace

Namen Namen::mitPraefix(const QString& p)
{
    Namen n;
    n.eigentuemer = p + QStringLiteral("eigentuemer");
    n.verwalter = p + QStringLiteral("verwalter");
    n.ansehen = p + QStringLiteral("ansehen");
    n.neu = p + QStringLiteral("neu");
    n.aendern = p + QStringLiteral("aendern");
    n.loeschen = p + QStringLiteral("loeschen");
    n.admin = p + QStringLiteral("admin");
    return n;
}

bool aktiv(Backend& db) { return db.serverBased() && db.tableExists(kMarker); }

Namen namen(Backend& db)
{
    Namen n;
    auto c = db.select(QStringLiteral("SELECT art, rolle FROM _hw_rollen"));
    while (c->next()) {
        const QString art = c->textValue(0);
        const QString rolle = c->textValue(1);
        if (art == QLatin1String("eigentuemer")) n.eigentuemer = rolle;
        else if (art == QLatin1String("verwalter")) n.verwalter = rolle;
        else if (art == QLatin1String("ansehen")) n.ansehen = rolle;
        else if (art == QLatin1String("neu")) n.neu = rolle;
        else if (art == QLatin1String("aendern")) n.aendern = rolle;
        else if (art == QLatin1String("loeschen")) n.loeschen = rolle;
        else if (art == QLatin1String("admin")) n.admin = rolle;
    }
    return n;
}

QString rollenName(const QString& benutzer) { return benutzer.trimmed().toLower(); }

QString bisherigerBesitzer(Backend& db)
{
    auto c = db.select(QStringLiteral("SELECT tableowner FROM pg_tables WHERE schemaname = current_schema() AND tablename = '_hw_fields'"));
    return c->next() ? c->textValue(0) : QString();
}

QStringList einrichten(Backend& db, const QString& praefix)
{
    static const QRegularExpression gueltig(QStringLiteral("^[a-z_][a-z0-9_]{0,40}$"));
    if (!gueltig.match(praefix).hasMatch())
        throw HwError(QStringLiteral("Das Präfix \"%1\" ist ungültig (kleine Buchstaben, Ziffern, _)").arg(praefix));
    if (!db.serverBased())
        throw HwError(QStringLiteral("Die Einrichtung der Rollen gibt es nur auf einem PostgreSQL-Server"));
    if (!superuser(db))
        throw HwError(QStringLiteral("Die Einrichtung braucht einen Superuser des Servers (z. B. postgres)"));
    const Namen n = Namen::mitPraefix(praefix);
    const QStringList gruppen{n.ansehen, n.neu, n.aendern, n.loeschen, n.admin};
    QStringList bericht;

    Transaction t(db);
    // Roles belong to the whole server: two set-ups at once take turns.
    db.exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('holmwacht:rollen'))"));
    if (aktiv(db)) {
        const Namen vorher = namen(db);
        if (vorher.eigentuemer != n.eigentuemer)
            throw HwError(QStringLiteral("Das Register ist schon mit den Rollen %1... eingerichtet").arg(vorher.eigentuemer));
    }
    for (const QString& r : QStringList{n.eigentuemer, n.verwalter} + gruppen) {
        const QString art = r == n.verwalter ? QStringLiteral("NOLOGIN CREATEROLE") : QStringLiteral("NOLOGIN");
        if (rolleDa(db, r)) {
            db.exec(QStringLiteral("ALTER ROLE %1 %2").arg(ident(r), art));
        } else {
            db.exec(QStringLiteral("CREATE ROLE %1 %2").arg(ident(r), art));
            bericht << QStringLiteral("Rolle %1 angelegt").arg(r);
        }
    }
    const QString altBesitzer = bisherigerBesitzer(db);

    // Whatever the shared role (or anyone else) owned moves to the owner; sequences of
    // identity columns follow their tables.
    auto fremd = db.select(QStringLiteral(
        "SELECT c.relname, c.relkind, pg_get_userbyid(c.relowner) FROM pg_class c JOIN pg_namespace s ON s.oid = c.relnamespace "
        "WHERE s.nspname = 'public' AND c.relkind IN ('r', 'v', 'S', 'p') AND c.relowner <> to_regrole(?) "
        "AND NOT EXISTS (SELECT 1 FROM pg_depend d WHERE d.objid = c.oid AND d.classid = 'pg_class'::regclass AND d.deptype IN ('a', 'i')) "
        "ORDER BY c.relname"),
        {ident(n.eigentuemer)});
    QList<std::tuple<QString, QString, QString>> uebernehmen;
    while (fremd->next())
        uebernehmen << std::make_tuple(fremd->textValue(0), fremd->textValue(1), fremd->textValue(2));
    fremd.reset();
    for (const auto& [name, art, besitzer] : uebernehmen) {
        const QString wort = art == QLatin1String("S") ? QStringLiteral("SEQUENCE") : art == QLatin1String("v") ? QStringLiteral("VIEW")
                                                                                                              : QStringLiteral("TABLE");
        db.exec(QStringLiteral("ALTER %1 public.%2 OWNER TO %3").arg(wort, ident(name), ident(n.eigentuemer)));
        bericht << QStringLiteral("Besitzer von %1: %2 -> %3").arg(name, besitzer, n.eigentuemer);
    }

    // The owner makes what is missing, so that it owns it.
    const QString datenbank = einzeln(db, QStringLiteral("SELECT current_database()")).value(0);
    db.exec(QStringLiteral("ALTER DATABASE %1 OWNER TO %2").arg(ident(datenbank), ident(n.eigentuemer)));
    db.exec(QStringLiteral("GRANT USAGE, CREATE ON SCHEMA public TO %1").arg(ident(n.eigentuemer)));
    const QStringList vorherTabellen = einzeln(db, QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = 'public'"));
    db.exec(QStringLiteral("SET ROLE %1").arg(ident(n.eigentuemer)));
    Schema::createIfMissing(db);
    TableSecurity::ensureTable(db);
    db.announceSession(QStringLiteral("hw_server_setup"), QStringLiteral("hw_server_setup"));
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS _hw_rollen (art VARCHAR(16) PRIMARY KEY, rolle VARCHAR(63) NOT NULL)"));
    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS _hw_erstpasswort (rolle VARCHAR(63) PRIMARY KEY)"));
    db.exec(QStringLiteral("DELETE FROM _hw_rollen"));
    const QList<std::pair<QString, QString>> arten = {
        {QStringLiteral("eigentuemer"), n.eigentuemer}, {QStringLiteral("verwalter"), n.verwalter},
        {QStringLiteral("ansehen"), n.ansehen},         {QStringLiteral("neu"), n.neu},
        {QStringLiteral("aendern"), n.aendern},         {QStringLiteral("loeschen"), n.loeschen},
        {QStringLiteral("admin"), n.admin}};
    for (const auto& [art, rolle] : arten)
        db.exec(QStringLiteral("INSERT INTO _hw_rollen (art, rolle) VALUES (?, ?)"), {art, rolle});
    db.exec(QStringLiteral("RESET ROLE"));
    const QStringList neueTabellen = einzeln(db, QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = 'public' ORDER BY 1"));
    for (const QString& tab : neueTabellen)
        if (!vorherTabellen.contains(tab))
            bericht << QStringLiteral("Tabelle %1 angelegt").arg(tab);

    // Grants from nothing: every privilege anyone else held on the register's objects goes.
    const QStringList inhaber = einzeln(db, QStringLiteral(
        "SELECT DISTINCT CASE WHEN a.grantee = 0 THEN 'PUBLIC' ELSE pg_get_userbyid(a.grantee) END "
        "FROM pg_class c JOIN pg_namespace s ON s.oid = c.relnamespace, aclexplode(c.relacl) a "
        "WHERE s.nspname = 'public' AND a.grantee <> c.relowner"));
    for (const QString& wer : inhaber) {
        const QString w = wer == QLatin1String("PUBLIC") ? wer : ident(wer);
        db.exec(QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM %1").arg(w));
        db.exec(QStringLiteral("REVOKE ALL ON ALL SEQUENCES IN SCHEMA public FROM %1").arg(w));
    }
    const QStringList datenbankInhaber = einzeln(db, QStringLiteral(
        "SELECT DISTINCT CASE WHEN a.grantee = 0 THEN 'PUBLIC' ELSE pg_get_userbyid(a.grantee) END "
        "FROM pg_database d, aclexplode(d.datacl) a WHERE d.datname = current_database() AND a.grantee <> d.datdba"));
    for (const QString& wer : datenbankInhaber)
        db.exec(QStringLiteral("REVOKE ALL ON DATABASE %1 FROM %2").arg(ident(datenbank), wer == QLatin1String("PUBLIC") ? wer : ident(wer)));
    db.exec(QStringLiteral("REVOKE ALL ON DATABASE %1 FROM PUBLIC").arg(ident(datenbank)));
    db.exec(QStringLiteral("REVOKE CREATE ON SCHEMA public FROM PUBLIC"));
    if (!altBesitzer.isEmpty() && altBesitzer != n.eigentuemer && rolleDa(db, altBesitzer)) {
        db.exec(QStringLiteral("REVOKE ALL ON SCHEMA public FROM %1").arg(ident(altBesitzer)));
        auto su = db.select(QStringLiteral("SELECT rolsuper FROM pg_roles WHERE rolname = ?"), {altBesitzer});
        if (su->next() && su->boolValue(0))
            bericht << QStringLiteral("ACHTUNG: die bisherige Rolle %1 ist Superuser und darf weiter alles; "
                                      "nehmen Sie ihr das Recht (ALTER ROLE ... NOSUPERUSER) oder sperren Sie sie (NOLOGIN)")
                           .arg(altBesitzer);
        else
            bericht << QStringLiteral("Die bisherige Rolle %1 besitzt nichts mehr und hat in dieser Datenbank keine Rechte "
                                      "(auch keinen Zugang) mehr").arg(altBesitzer);
    }

    const QString a = ident(n.ansehen), neu = ident(n.neu), ae = ident(n.aendern), lo = ident(n.loeschen),
                  ad = ident(n.admin), ve = ident(n.verwalter);
    QStringList grants;
    grants << QStringLiteral("GRANT CONNECT, TEMPORARY ON DATABASE %1 TO %2").arg(ident(datenbank), a)
           << QStringLiteral("GRANT USAGE ON SCHEMA public TO %1, %2").arg(a, ve)
           << QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1").arg(a);
    for (const QString& tab : datenTabellen()) {
        grants << QStringLiteral("GRANT INSERT ON %1 TO %2").arg(tab, neu)
               << QStringLiteral("GRANT UPDATE ON %1 TO %2").arg(tab, ae)
               << QStringLiteral("GRANT DELETE ON %1 TO %2").arg(tab, lo);
    }
    // The history only grows; every writer of recorded tables adds its rows.
    grants << QStringLiteral("GRANT INSERT ON %1 TO %2, %3, %4").arg(QLatin1String(Verlauf::TableName), neu, ae, lo)
           << QStringLiteral("GRANT UPDATE ON _hw_changes TO %1, %2, %3, %4").arg(neu, ae, lo, ad)
           << QStringLiteral("GRANT INSERT, DELETE ON _hw_locks, _hw_sessions TO %1").arg(a)
           << QStringLiteral("GRANT INSERT, UPDATE, DELETE ON %1, _hw_security TO %2").arg(Schema::users().name, ad)
           << QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON _hw_erstpasswort TO %1").arg(ve)
           << QStringLiteral("GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA public TO %1, %2").arg(neu, ad)
           << QStringLiteral("ALTER DEFAULT PRIVILEGES FOR ROLE %1 IN SCHEMA public GRANT SELECT ON TABLES TO %2")
                  .arg(ident(n.eigentuemer), a);
    for (const QString& g : gruppen)
        grants << QStringLiteral("GRANT %1 TO %2 WITH ADMIN OPTION").arg(ident(g), ve);
    for (const QString& sql : grants)
        db.exec(sql);
    for (const QString& sql : funktionen(n))
        db.exec(sql);
    for (const QString& fn : kHilfsfunktionen + kAdminFunktionen + QStringList{kEigeneFunktion}) {
        db.exec(QStringLiteral("ALTER FUNCTION %1 OWNER TO %2").arg(fn, ve));
        db.exec(QStringLiteral("REVOKE ALL ON FUNCTION %1 FROM PUBLIC").arg(fn));
    }
    for (const QString& fn : kAdminFunktionen)
        db.exec(QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO %2").arg(fn, ad));
    db.exec(QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO %2").arg(kEigeneFunktion, a));
    t.commit();
    bericht << QStringLiteral("Rechte gesetzt: %1 (Ansehen), %2 (Einfügen), %3 (Ändern), %4 (Löschen), %5 (Benutzerverwaltung)")
                   .arg(n.ansehen, n.neu, n.aendern, n.loeschen, n.admin);
    return bericht;
}

QString einmalPasswort()
{
    static const QString zeichen = QStringLiteral("abcdefghjkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QString out;
    for (int i = 0; i < 10; ++i)
        out += zeichen.at(int(QRandomGenerator::system()->bounded(quint32(zeichen.size()))));
    return out;
}

void anlegen(Backend& db, const QString& benutzer, const QString& passwort, int rechte, bool gesperrt)
{
    const QString rolle = rollenName(benutzer);
    db.exec(QStringLiteral("SELECT hw_benutzer_anlegen(?, ?, ?, ?)"),
            {rolle, ServerLogin::passwordVerifier(db, rolle, passwort.trimmed()), rechte, gesperrt});
}

void aendern(Backend& db, const QString& alterName, const QString& neuerName, int rechte, bool gesperrt)
{
    db.exec(QStringLiteral("SELECT hw_benutzer_aendern(?, ?, ?, ?)"),
            {rollenName(alterName), rollenName(neuerName), rechte, gesperrt});
}

void passwortSetzen(Backend& db, const QString& benutzer, const QString& passwort)
{
    const QString rolle = rollenName(benutzer);
    db.exec(QStringLiteral("SELECT hw_benutzer_passwort(?, ?)"), {rolle, ServerLogin::passwordVerifier(db, rolle, passwort.trimmed())});
}

void loeschen(Backend& db, const QString& benutzer)
{
    db.exec(QStringLiteral("SELECT hw_benutzer_loeschen(?)"), {rollenName(benutzer)});
}

bool vorhanden(Backend& db, const QString& benutzer)
{
    auto c = db.select(QStringLiteral("SELECT 1 FROM pg_roles r JOIN pg_auth_members m ON m.member = r.oid "
                                      "JOIN _hw_rollen g ON g.art = 'ansehen' AND m.roleid = to_regrole(quote_ident(g.rolle)) "
                                      "WHERE r.rolname = ?"),
                       {rollenName(benutzer)});
    return c->next();
}

void eigenesPasswort(Backend& db, const QString& passwort)
{
    db.exec(QStringLiteral("SELECT hw_eigenes_passwort(?)"), {ServerLogin::passwordVerifier(db, ServerLogin::user(db), passwort.trimmed())});
}

bool einmalPasswortAktiv(Backend& db)
{
    auto c = db.select(QStringLiteral("SELECT 1 FROM _hw_erstpasswort WHERE rolle = session_user"));
    return c->next();
}

int serverRechte(Backend& db)
{
    int bits = 0;
    auto c = db.select(QStringLiteral("SELECT art FROM _hw_rollen WHERE art IN ('neu', 'aendern', 'loeschen', 'admin') "
                                      "AND pg_has_role(session_user, rolle::name, 'USAGE')"));
    while (c->next()) {
        const QString art = c->textValue(0);
        if (art == QLatin1String("neu")) bits |= Einfuegen;
        else if (art == QLatin1String("aendern")) bits |= Aendern;
        else if (art == QLatin1String("loeschen")) bits |= Loeschen;
        else if (art == QLatin1String("admin")) bits |= Admin;
    }
    return bits;
}

}
