#include "Schema.h"

#include "Backend.h"
#include "Catalog.h"
#include "Errors.h"
#include "Verlauf.h"

namespace Schema {

namespace {

FieldDef f(const QString& name, FieldType type, int size = 0, bool required = false, const QString& label = QString(),
           const QString& format = QString())
{
    FieldDef d;
    d.name = name;
    d.type = type;
    d.size = size;
    d.required = required;
    d.displayLabel = label;
    d.displayFormat = format;
    return d;
}

FieldDef boolean(const QString& name, const QString& label = QString(), const QString& texts = QStringLiteral("Ja;"))
{
    FieldDef d = f(name, FieldType::Boolean, 0, false, label);
    d.boolTexts = texts;
    return d;
}

FieldDef ranged(const QString& name, double lo, double hi)
{
    FieldDef d = f(name, FieldType::Integer);
    d.minValue = lo;
    d.maxValue = hi;
    return d;
}

IndexDef primary(const QString& fields) { return IndexDef{QString(), fields, true, true, false}; }
IndexDef secondary(const QString& name, const QString& fields, bool unique = false)
{
    return IndexDef{name, fields, false, unique, true};
}

TableDef keyedByIdWithName(const QString& table, const QString& label)
{
    TableDef t;
    t.name = table;
    t.fields << f(QStringLiteral("ID"), FieldType::AutoInc) << f(QStringLiteral("KurzBez"), FieldType::Text, 30, true, label);
    t.indexes << primary(QStringLiteral("ID"));
    return t;
}

} // namespace

const QStringList& simpleCriteria()
{
    static const QStringList list = {QStringLiteral("Material"),     QStringLiteral("Verbindungen"),
                                     QStringLiteral("Beschlaege"),   QStringLiteral("Scharniere"),
                                     QStringLiteral("Funktionen"),   QStringLiteral("Durchbiegung"),
                                     QStringLiteral("Schuhe"),       QStringLiteral("Sonstiges")};
    return list;
}

const QStringList& extendedCriteria()
{
    static const QStringList list = [] {
        const QList<std::pair<QString, QStringList>> groups = {
            {QStringLiteral("Ho"), {"Verform", "Beschaed", "Kanten", "Abnutzung", "Schutzbeh"}},
            {QStringLiteral("SpSt"), {"Verform", "Beschaed", "Kanten", "HolmVerb", "Abnutzung"}},
            {QStringLiteral("SprS"), {"Vollstaend", "Funktfaeh", "Beschaed"}},
            {QStringLiteral("Bes"), {"Beschaed", "Vollstaend", "Funktfaeh", "Abnutzung", "Schmier"}},
            {QStringLiteral("LtRo"), {"Vollstaend", "Abnutzung", "Funktfaeh"}},
            {QStringLiteral("Zub"), {"Vollstaend"}},
            {QStringLiteral("KennZ"), {"BetrAnl"}},
        };
        QStringList out;
        for (const auto& [group, items] : groups)
            for (const QString& item : items)
                out << group + QLatin1Char('_') + item;
        return out;
    }();
    return list;
}

QString requiredColumn(const QString& criterion) { return QStringLiteral("Pr") + criterion; }

QString doneColumn(const QString& criterion)
{
    const int us = int(criterion.indexOf(QLatin1Char('_')));
    if (us < 0)
        return QStringLiteral("PrErl") + criterion;
    return QStringLiteral("Pr") + criterion.left(us) + QStringLiteral("_Erl") + criterion.mid(us + 1);
}

TableDef ladders()
{
    TableDef t;
    t.name = QStringLiteral("LT_LEIT");
    FieldDef id = f(QStringLiteral("ID"), FieldType::AutoInc, 0, false, QString(), QStringLiteral("0"));
    FieldDef schrott = boolean(QStringLiteral("Schrott"), QStringLiteral("  "), QStringLiteral("A;"));
    FieldDef termin = f(QStringLiteral("PruefTermin"), FieldType::Date, 0, false, QStringLiteral("Prüf.-Termin"),
                        QStringLiteral("ddd dd.mm.yy"));
    termin.rightAligned = true;
    t.fields << id << f(QStringLiteral("Nr"), FieldType::Integer, 0, true, QStringLiteral("Leiter-Nr"))
             << f(QStringLiteral("KurzBez"), FieldType::Text, 30, true, QStringLiteral("Kurz.-Bezeichnung"))
             << f(QStringLiteral("Art_ID"), FieldType::Integer) << f(QStringLiteral("Mat_ID"), FieldType::Integer)
             << f(QStringLiteral("Laenge"), FieldType::Float, 0, false, QStringLiteral("Länge (m)"), QStringLiteral("#0.00"))
             << f(QStringLiteral("StufenAnzahl"), FieldType::Integer, 0, false, QStringLiteral("Stufen"))
             << f(QStringLiteral("Gewicht"), FieldType::Float, 0, false, QStringLiteral("Gew. (kg)"), QStringLiteral("#0.00"))
             << f(QStringLiteral("Firma"), FieldType::Text, 30)
             << f(QStringLiteral("AusgabeDatum"), FieldType::Date, 0, false, QStringLiteral("Ausg.-Dat"), QStringLiteral("dd.mm.yy"))
             << f(QStringLiteral("ErfasstDatum"), FieldType::Date, 0, false, QStringLiteral("Erf.-Dat"), QStringLiteral("dd.mm.yy"))
             << f(QStringLiteral("LAend"), FieldType::DateTime, 0, false, QStringLiteral("geändert am:"),
                  QStringLiteral("dd.mm.yy  hh:mm"))
             << f(QStringLiteral("LAendName"), FieldType::Text, 20, false, QStringLiteral("Änd.-Name")) << schrott
             << f(QStringLiteral("SchrottDatum"), FieldType::Date, 0, false, QString(), QStringLiteral("dd.mm.yy"))
             << f(QStringLiteral("Lieferant"), FieldType::Text, 30)
             << f(QStringLiteral("PruefungArt_ID"), FieldType::Integer, 0, false, QStringLiteral("P")) << termin;
    for (const QString& c : simpleCriteria())
        t.fields << boolean(requiredColumn(c));
    t.fields << f(QStringLiteral("PrSonstigesText"), FieldType::Text, 30) << f(QStringLiteral("Beschreibung"), FieldType::Memo)
             << f(QStringLiteral("LaengeBis"), FieldType::Float, 0, false, QStringLiteral("Länge bis (m)"), QStringLiteral("#0.00"))
             << f(QStringLiteral("LtAnzahl"), FieldType::Integer, 0, false, QStringLiteral("LT-Anz"))
             << f(QStringLiteral("ReparaturDatum"), FieldType::Date, 0, false, QStringLiteral("Rep.Datum"), QStringLiteral("dd.mm.yy"));
    for (const QString& c : extendedCriteria())
        t.fields << boolean(requiredColumn(c));
    t.fields << f(QStringLiteral("FirmenAbtID"), FieldType::Integer)
             << f(QStringLiteral("ExNrBez"), FieldType::Text, 15, false, QStringLiteral("externe Leiter-Nr"));
    // Nr is unique in the store too, so two workstations cannot give out the same number.
    t.indexes << primary(QStringLiteral("ID")) << secondary(QStringLiteral("Nr"), QStringLiteral("Nr"), true);
    for (const char* col : {"KurzBez", "ExNrBez", "PruefTermin", "Firma", "Lieferant", "FirmenAbtID", "AusgabeDatum",
                            "ErfasstDatum"})
        t.indexes << secondary(QLatin1String(col), QLatin1String(col));
    return t;
}

TableDef inspections()
{
    static const QStringList simpleLabels = {"Material",     "Verbindungen", "Beschläge", "Scharniere",
                                             "Funktionen",   "Durchbiegung", "Schuhe",    "Sonstiges"};
    TableDef t;
    t.name = QStringLiteral("LT_PRUEF");
    t.fields << f(QStringLiteral("ID"), FieldType::AutoInc) << f(QStringLiteral("LT_ID"), FieldType::Integer)
             << f(QStringLiteral("Datum"), FieldType::Date, 0, false, QString(), QStringLiteral("dd.mm.yy"))
             << f(QStringLiteral("PruefungArt_ID"), FieldType::Integer, 0, false, QStringLiteral("P"));
    for (int i = 0; i < simpleCriteria().size(); ++i) {
        const QString& c = simpleCriteria()[i];
        t.fields << boolean(requiredColumn(c), QStringLiteral("erf. ") + simpleLabels[i])
                 << boolean(doneColumn(c), simpleLabels[i]);
    }
    t.fields << f(QStringLiteral("Pruefer_ID"), FieldType::Integer, 0, false, QStringLiteral("Prf_ID"));
    for (const QString& c : extendedCriteria())
        t.fields << boolean(requiredColumn(c)) << boolean(doneColumn(c));
    // Last, as registers made before it get it added at the end.
    t.fields << f(QStringLiteral("Bemerkung"), FieldType::Memo, 0, false, QStringLiteral("Bemerkung"));
    t.indexes << primary(QStringLiteral("ID")) << secondary(QStringLiteral("LtIdDatum"), QStringLiteral("LT_ID;Datum"));
    return t;
}

TableDef inspectionKinds()
{
    TableDef t;
    t.name = QStringLiteral("PR_TAB");
    t.fields << f(QStringLiteral("Nr"), FieldType::Integer, 0, true) << f(QStringLiteral("KurzBez"), FieldType::Text, 30, true)
             << ranged(QStringLiteral("Jahre"), 0, 10) << ranged(QStringLiteral("Monate"), 0, 11)
             << ranged(QStringLiteral("Tage"), 0, 31);
    t.indexes << primary(QStringLiteral("Nr"));
    return t;
}

TableDef ladderTypes()
{
    TableDef t = keyedByIdWithName(QStringLiteral("LARTEN"), QStringLiteral("Leiter-Art"));
    t.fields << f(QStringLiteral("Typ"), FieldType::Text, 20, false, QStringLiteral("Typ-Art"));
    return t;
}

TableDef materials() { return keyedByIdWithName(QStringLiteral("MATERIAL"), QString()); }

TableDef inspectors()
{
    TableDef t = keyedByIdWithName(QStringLiteral("PRUEFER"), QString());
    t.fields << f(QStringLiteral("PersNr"), FieldType::Integer) << f(QStringLiteral("Name"), FieldType::Text, 30)
             << f(QStringLiteral("Vorname"), FieldType::Text, 30) << f(QStringLiteral("Firma"), FieldType::Text, 30);
    t.indexes << secondary(QStringLiteral("KurzBez"), QStringLiteral("KurzBez"));
    return t;
}

TableDef companies()
{
    TableDef t = keyedByIdWithName(QStringLiteral("FIRMEN"), QString());
    t.fields << f(QStringLiteral("Nr"), FieldType::Integer) << f(QStringLiteral("ParentID"), FieldType::Integer);
    t.indexes << secondary(QStringLiteral("ParentID"), QStringLiteral("ParentID"));
    return t;
}

TableDef suppliers() { return keyedByIdWithName(QStringLiteral("LFNAME"), QString()); }

TableDef users()
{
    TableDef t;
    t.name = QStringLiteral("Benutzer");
    // Passwort holds a salted hash, hence wider than a password.
    t.fields << f(QStringLiteral("ID"), FieldType::AutoInc)
             << f(QStringLiteral("Name"), FieldType::Text, 30, false, QStringLiteral("Benutzer - Name"))
             << f(QStringLiteral("Passwort"), FieldType::Text, 255) << f(QStringLiteral("AllgRechte"), FieldType::Text, 100)
             << f(QStringLiteral("DetailRechte"), FieldType::Memo) << boolean(QStringLiteral("Gesperrt"));
    t.indexes << primary(QStringLiteral("ID")) << secondary(QStringLiteral("Name"), QStringLiteral("Name"), true);
    return t;
}

TableDef firmSort()
{
    TableDef t;
    t.name = QStringLiteral("ZwFirmSort");
    t.fields << f(QStringLiteral("Nr"), FieldType::Integer, 0, true) << f(QStringLiteral("Abt_Id"), FieldType::Integer, 0, true)
             << f(QStringLiteral("Parent_Id"), FieldType::Integer, 0, true) << f(QStringLiteral("Spalte"), FieldType::Integer, 0, true);
    t.indexes << primary(QStringLiteral("Nr")) << secondary(QStringLiteral("NachAbt_ID"), QStringLiteral("Abt_Id"));
    return t;
}

QList<TableDef> registerTables()
{
    return {ladders(),   inspections(), inspectionKinds(), ladderTypes(),       materials(),
            inspectors(), companies(),  suppliers(),       users(),             Verlauf::tableDef()};
}

const TableDef* known(const QString& tableName)
{
    static const QList<TableDef> all = [] {
        QList<TableDef> l = registerTables();
        l << firmSort();
        return l;
    }();
    const QString n = normalTableName(tableName);
    for (const TableDef& t : all)
        if (normalTableName(t.name) == n)
            return &t;
    return nullptr;
}

namespace {

// Columns that came after the first registers: table and column, added on start.
QList<std::pair<TableDef, QString>> nachgetrageneSpalten()
{
    return {{inspections(), QStringLiteral("Bemerkung")}};
}

bool vollstaendig(Backend& db)
{
    if (!Catalog::tableExists(db, QLatin1String(Verlauf::TableName)))
        return false;
    for (const auto& [table, column] : nachgetrageneSpalten())
        if (!Catalog::columnExists(db, table.name, column))
            return false;
    return true;
}

// On a server whose roles guard the register only the owner role may change its tables:
// the set-up tool (run again after an update) adds what is missing, not a person's login.
bool darfTabellenAendern(Backend& db)
{
    if (!db.serverBased() || !db.tableExists(QStringLiteral("_hw_rollen")))
        return true;
    auto c = db.select(QStringLiteral("SELECT 1 FROM pg_class c JOIN pg_namespace s ON s.oid = c.relnamespace "
                                      "WHERE s.nspname = 'public' AND c.relname = 'lt_pruef' "
                                      "AND pg_has_role(current_user, c.relowner, 'USAGE')"));
    return c->next();
}

} // namespace

bool addedLater(const QString& table, const QString& column)
{
    for (const auto& [t, c] : nachgetrageneSpalten())
        if (normalTableName(t.name) == normalTableName(table) && c.compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void createIfMissing(Backend& db)
{
    if (Catalog::exists(db)) {
        // Registers made by an earlier version get the tables and columns added since on first use.
        if (vollstaendig(db))
            return;
        Transaction t(db);
        db.serializeWrites(QStringLiteral("schema"));
        if (vollstaendig(db))
            return;
        if (!darfTabellenAendern(db))
            throw EngineError(QStringLiteral("Das Register auf dem Server ist für diese Programmversion noch nicht ergänzt "
                                             "worden (neue Tabellen oder Spalten). Bitte den Verwalter des "
                                             "Servers, die Einrichtung (hw_server_setup) erneut auszuführen; bis dahin "
                                             "kann mit dieser Version nicht gearbeitet werden."),
                              EngineCode::InsufficientRights);
        if (!Catalog::tableExists(db, QLatin1String(Verlauf::TableName)))
            Catalog::createTable(db, Verlauf::tableDef());
        for (const auto& [table, column] : nachgetrageneSpalten())
            if (!Catalog::columnExists(db, table.name, column))
                Catalog::addColumn(db, table.name, *table.field(column));
        t.commit();
        return;
    }
    Transaction t(db);
    // Two workstations starting on an empty server database: the second waits and finds it made.
    db.serializeWrites(QStringLiteral("schema"));
    if (Catalog::exists(db))
        return;
    Catalog::create(db);
    for (const TableDef& def : registerTables())
        Catalog::createTable(db, def);
    t.commit();
}

} // namespace Schema
