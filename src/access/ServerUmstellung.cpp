#include "ServerUmstellung.h"

#include "Backend.h"
#include "Catalog.h"
#include "Errors.h"
#include "Schema.h"
#include "ServerRollen.h"
#include "XorHex.h"

int ServerBits(TUserRights r)
{
    int bits = 0;
    if (r.contains(crInsert))
        bits |= ServerRollen::Einfuegen;
    if (r.contains(crModify))
        bits |= ServerRollen::Aendern;
    if (r.contains(crDelete))
        bits |= ServerRollen::Loeschen;
    if (r.contains(crAdmin))
        bits |= ServerRollen::Admin;
    return bits;
}

TUserRights ServerRechteMitProgramm(int serverBits, TUserRights ausTabelle)
{
    TUserRights r;
    for (TUserRight p : {crView, crPrint, crCalcReport})
        if (ausTabelle.contains(p))
            r.include(p);
    if (serverBits & ServerRollen::Einfuegen)
        r.include(crInsert);
    if (serverBits & ServerRollen::Aendern)
        r.include(crModify);
    if (serverBits & ServerRollen::Loeschen)
        r.include(crDelete);
    if (serverBits & ServerRollen::Admin)
        r.include(crAdmin);
    return r;
}

ServerUmstellung ServerUmstellen(Backend& db, const QString& praefix)
{
    ServerUmstellung out;
    Transaction t(db);
    if (ServerRollen::bisherigerBesitzer(db).isEmpty())
        throw HwError(QStringLiteral("Die Datenbank enthält kein Register"));
    out.bericht = ServerRollen::einrichten(db, praefix);
    const ServerRollen::Namen n = ServerRollen::namen(db);
    const QStringList eigene{n.eigentuemer, n.verwalter, n.ansehen, n.neu, n.aendern, n.loeschen, n.admin};
    struct Zeile {
        QString name;
        TUserRights rechte;
        bool gesperrt;
    };
    QList<Zeile> zeilen;
    {
        auto c = db.select(QStringLiteral("SELECT Name, AllgRechte, Gesperrt FROM %1 ORDER BY ID").arg(Schema::users().name));
        while (c->next())
            zeilen << Zeile{c->textValue(0), RechteAusText(XorHexDecode(RechteSchluessel, c->textValue(1))),
                            !c->isNull(2) && c->boolValue(2)};
    }
    for (const Zeile& z : zeilen) {
        UmgestellterBenutzer b;
        b.name = z.name;
        b.rolle = ServerRollen::rollenName(z.name);
        b.gesperrt = z.gesperrt;
        if (b.rolle.isEmpty() || b.rolle.toUtf8().size() > 63 || b.rolle.startsWith(QLatin1String("pg_")) || eigene.contains(b.rolle)) {
            b.hinweis = QStringLiteral("Der Name kann keine Rolle am Server sein: nicht umgestellt");
        } else if (ServerRollen::vorhanden(db, b.rolle)) {
            b.hinweis = QStringLiteral("Rolle gibt es schon in diesem Register: Passwort und Rechte unverändert");
        } else {
            auto da = db.select(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {b.rolle});
            if (da->next()) {
                b.hinweis = QStringLiteral("Eine Rolle dieses Namens gibt es am Server schon (nicht von diesem Register): "
                                           "nicht umgestellt");
            } else {
                da.reset();
                b.passwort = ServerRollen::einmalPasswort();
                ServerRollen::anlegen(db, b.rolle, b.passwort, ServerBits(z.rechte), z.gesperrt);
            }
        }
        out.benutzer << b;
    }
    // The program's own password hashes mean nothing any more: the server checks the login.
    db.exec(QStringLiteral("UPDATE %1 SET Passwort = NULL").arg(Schema::users().name));
    Catalog::bumpChange(db, Schema::users().name);
    t.commit();
    int rollen = 0;
    for (const UmgestellterBenutzer& b : out.benutzer)
        rollen += b.passwort.isEmpty() ? 0 : 1;
    out.bericht << QStringLiteral("%1 von %2 Benutzern haben eine eigene Rolle mit Einmal-Passwort bekommen")
                       .arg(rollen)
                       .arg(out.benutzer.size());
    return out;
}

QString ServerErsterAdministrator(Backend& db, const QString& name)
{
    const QString passwort = ServerRollen::einmalPasswort();
    ServerRollen::anlegen(db, name, passwort, ServerBits(TUserRights::all()));
    return passwort;
}
