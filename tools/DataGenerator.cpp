#include "DataGenerator.h"

#include "Backend.h"
#include "Catalog.h"
#include "Engine.h"
#include "Schema.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QStringList>

namespace {

struct Kind {
    int nr;
    const char* name;
    int years, months, days;
};

const Kind kKinds[] = {
    {1, "Jährliche Prüfung", 1, 0, 0},
    {2, "Halbjährliche Prüfung", 0, 6, 0},
    {3, "Vierteljährliche Prüfung", 0, 3, 0},
    {4, "Sichtprüfung monatlich", 0, 1, 0},
    {5, "Prüfung nach Reparatur", 0, 0, 14},
};

QDate addInterval(const QDate& d, const Kind& k)
{
    // Years and months in one step with the day clamped to the month's end, days after.
    return d.addMonths(k.years * 12 + k.months).addDays(k.days);
}

QString insertSql(const QString& table, const QStringList& cols)
{
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(table, cols.join(QLatin1Char(',')), QStringList(QList<QString>(cols.size(), QStringLiteral("?"))).join(QLatin1Char(',')));
}

} // namespace

DataGeneratorResult generateRegister(const DataGeneratorOptions& o)
{
    Engine& engine = Engine::instance();
    engine.addSessionAlias(QStringLiteral("HWGEN"), o.dataDir, o.driver);
    Backend& db = engine.backend(QStringLiteral("HWGEN"));
    {
        auto c = db.select(QStringLiteral("SELECT COUNT(*) FROM LT_LEIT"));
        if (c->next() && c->intValue(0) > 0)
            throw EngineError(QStringLiteral("Das Verzeichnis %1 enthält schon Leitern").arg(o.dataDir), EngineCode::Generic);
    }
    QRandomGenerator rnd(o.seed);
    auto pick = [&](const QStringList& l) { return l[int(rnd.bounded(quint32(l.size())))]; };
    DataGeneratorResult result;

    Transaction t(db);
    for (const Kind& k : kKinds)
        db.exec(insertSql(QStringLiteral("PR_TAB"), {"Nr", "KurzBez", "Jahre", "Monate", "Tage"}),
                {k.nr, QString::fromUtf8(k.name), k.years, k.months, k.days});
    const QList<std::pair<QString, QString>> types = {
        {"Stehleiter", "ortsveränderlich"},  {"Anlegeleiter", "ortsveränderlich"}, {"Mehrzweckleiter", "ortsveränderlich"},
        {"Podestleiter", "ortsveränderlich"}, {"Schiebeleiter", "ortsveränderlich"}, {"Tritt", "ortsveränderlich"},
        {"Steigleiter", "ortsfest"},           {"Mastleiter", "ortsfest"}};
    for (const auto& [name, typ] : types)
        db.exec(insertSql(QStringLiteral("LARTEN"), {"KurzBez", "Typ"}), {name, typ});
    for (const char* m : {"Aluminium", "Holz", "GFK", "Stahl", "Aluminium/GFK"})
        db.exec(insertSql(QStringLiteral("MATERIAL"), {"KurzBez"}), {QString::fromUtf8(m)});
    const QStringList suppliers = {"Leitern Schmidt GmbH", "Alu-Steig KG", "Holzbau Berger", "Steigtechnik Nord",
                                   "Baubedarf Krüger", "Industriebedarf Weber"};
    for (const QString& s : suppliers)
        db.exec(insertSql(QStringLiteral("LFNAME"), {"KurzBez"}), {s});
    const QList<QStringList> inspectors = {{"Becker", "Thomas", ""}, {"Hoffmann", "Sabine", ""},
                                           {"Schulz", "Jürgen", ""},  {"Wagner", "Petra", "Prüfdienst West GmbH"},
                                           {"Richter", "Michael", "TÜS Prüfservice"}};
    int persNr = 1001;
    for (const QStringList& p : inspectors)
        db.exec(insertSql(QStringLiteral("PRUEFER"), {"KurzBez", "PersNr", "Name", "Vorname", "Firma"}),
                {p[0] + QLatin1Char(' ') + p[1].left(1) + QLatin1Char('.'), persNr++, p[0], p[1], p[2]});

    // Companies, sites, departments.
    const QStringList companyNames = {"Muster Bau GmbH", "Nordstahl AG", "Rhein Logistik KG", "Elbe Chemie GmbH",
                                      "Alpen Energie AG", "Hansa Werft GmbH", "Ruhr Metall KG", "Spree Verkehrsbetriebe"};
    const QStringList siteNames = {"Werk Nord", "Werk Süd", "Zentrallager", "Verwaltung", "Niederlassung Ost"};
    const QStringList deptNames = {"Instandhaltung", "Elektrowerkstatt", "Versand", "Lackiererei", "Montage",
                                   "Haustechnik", "Fuhrpark", "Labor", "Schlosserei"};
    struct Node { int id; QString company; };
    QList<Node> leaves;
    QStringList companies;
    auto lastId = [&] { return int(db.lastInsertId()); };
    const QString firmSql = insertSql(QStringLiteral("FIRMEN"), {"KurzBez", "Nr", "ParentID"});
    for (int c = 0; c < o.companies; ++c) {
        const QString company = c < companyNames.size() ? companyNames[c] : QStringLiteral("Firma %1").arg(c + 1);
        companies << company;
        db.exec(firmSql, {company, c + 1, 0});
        const int companyId = lastId();
        ++result.departments;
        const int sites = 1 + int(rnd.bounded(3u));
        for (int s = 0; s < sites; ++s) {
            db.exec(firmSql, {siteNames[(c + s) % siteNames.size()], QVariant(), companyId});
            const int siteId = lastId();
            ++result.departments;
            const int depts = 2 + int(rnd.bounded(3u));
            for (int d = 0; d < depts; ++d) {
                db.exec(firmSql, {deptNames[(c * 3 + s * 2 + d) % deptNames.size()], QVariant(), siteId});
                ++result.departments;
                leaves << Node{lastId(), company};
            }
            leaves << Node{siteId, company};
        }
    }

    const QStringList ladderCols = [] {
        QStringList cols = {"Nr", "KurzBez", "Art_ID", "Mat_ID", "Laenge", "StufenAnzahl", "Gewicht", "Firma",
                            "AusgabeDatum", "ErfasstDatum", "LAend", "Schrott", "SchrottDatum", "Lieferant",
                            "PruefungArt_ID", "PruefTermin", "PrSonstigesText", "Beschreibung", "LaengeBis",
                            "LtAnzahl", "ReparaturDatum", "FirmenAbtID", "ExNrBez"};
        for (const QString& c : Schema::simpleCriteria())
            cols << Schema::requiredColumn(c);
        for (const QString& c : Schema::extendedCriteria())
            cols << Schema::requiredColumn(c);
        return cols;
    }();
    QStringList inspCols = {"LT_ID", "Datum", "PruefungArt_ID", "Pruefer_ID"};
    for (const QString& c : Schema::simpleCriteria() + Schema::extendedCriteria())
        inspCols << Schema::requiredColumn(c) << Schema::doneColumn(c);
    inspCols << QStringLiteral("Bemerkung");
    QStringList criteriaNames;
    for (QString c : Schema::simpleCriteria() + Schema::extendedCriteria())
        criteriaNames << c.replace(QLatin1Char('_'), QLatin1Char(' '));
    const QString ladderSql = insertSql(QStringLiteral("LT_LEIT"), ladderCols);
    const QString inspSql = insertSql(QStringLiteral("LT_PRUEF"), inspCols);
    const int nSimple = int(Schema::simpleCriteria().size());
    const int nExtended = int(Schema::extendedCriteria().size());

    for (int i = 0; i < o.ladders; ++i) {
        const int typeIdx = int(rnd.bounded(quint32(types.size())));
        const double length = 1.0 + rnd.bounded(30) * 0.25;
        const Node& place = leaves[int(rnd.bounded(quint32(leaves.size())))];
        const QDate entered = o.today.addDays(-int(rnd.bounded(quint32(365 * o.years))) - 30);
        const Kind& kind = kKinds[rnd.bounded(100) < 70 ? 0 : int(rnd.bounded(4u))];
        const bool scrapped = rnd.bounded(100) < 4;
        const bool extended = rnd.bounded(100) < 40;
        std::vector<bool> required(size_t(nSimple + nExtended), false);
        for (int k = 0; k < nSimple - 1; ++k)
            required[size_t(k)] = true;
        required[size_t(nSimple - 1)] = rnd.bounded(100) < 10;
        if (extended)
            for (int k = 0; k < nExtended; ++k)
                required[size_t(nSimple + k)] = rnd.bounded(100) < 60;

        // Inspections from entry on, one interval apart; the last one sets the due date.
        QList<QDate> dates;
        for (QDate d = addInterval(entered, kind); d <= o.today && dates.size() < 200; d = addInterval(d, kind))
            dates << d;
        const QDate due = addInterval(dates.isEmpty() ? entered : dates.last(), kind);

        QVariantList v = {i + 1,
                          types[typeIdx].first + QLatin1Char(' ') + QLocale(QLocale::German).toString(length, 'f', 2) + QStringLiteral(" m"),
                          typeIdx + 1,
                          1 + int(rnd.bounded(5u)),
                          length,
                          int(length * 3.5),
                          2.0 + length * 2.4,
                          place.company,
                          entered.addDays(int(rnd.bounded(20u))),
                          entered,
                          QDateTime(entered, QTime(8 + int(rnd.bounded(9u)), int(rnd.bounded(60u)))),
                          scrapped,
                          scrapped ? QVariant(o.today.addDays(-int(rnd.bounded(300u)))) : QVariant(),
                          pick(suppliers),
                          kind.nr,
                          scrapped ? QVariant() : QVariant(due),
                          required[size_t(nSimple - 1)] ? QVariant(QStringLiteral("Kennzeichnung lesbar")) : QVariant(),
                          rnd.bounded(100) < 20 ? QVariant(QStringLiteral("Standort: Halle %1, Tor %2").arg(1 + rnd.bounded(6)).arg(1 + rnd.bounded(12)))
                                                : QVariant(),
                          typeIdx == 4 ? QVariant(length * 1.8) : QVariant(),
                          typeIdx == 2 ? QVariant(3) : (typeIdx == 4 ? QVariant(2) : QVariant()),
                          rnd.bounded(100) < 8 ? QVariant(o.today.addDays(-int(rnd.bounded(700u)))) : QVariant(),
                          place.id,
                          rnd.bounded(100) < 50 ? QVariant(QStringLiteral("K-%1").arg(10000 + i)) : QVariant()};
        for (size_t k = 0; k < required.size(); ++k)
            v << (required[k] ? QVariant(true) : (k < size_t(nSimple) ? QVariant(false) : QVariant()));
        db.exec(ladderSql, v);
        const int ladderId = int(db.lastInsertId());
        ++result.ladders;
        for (int n = 0; n < dates.size(); ++n) {
            QVariantList iv = {ladderId, dates[n], kind.nr, 1 + int(rnd.bounded(quint32(inspectors.size())))};
            const bool allDone = rnd.bounded(100) < 95;
            QStringList defects;
            for (size_t k = 0; k < required.size(); ++k) {
                const bool done = required[k] && (allDone || rnd.bounded(100) < 70);
                iv << (required[k] ? QVariant(true) : QVariant());
                iv << (done ? QVariant(true) : QVariant());
                if (required[k] && !done)
                    defects << criteriaNames[int(k)] + QStringLiteral(": Mangel festgestellt");
            }
            iv << (defects.isEmpty() ? QVariant() : QVariant(defects.join(QLatin1Char('\n'))));
            db.exec(inspSql, iv);
            ++result.inspections;
        }
    }
    for (const char* table : {"PR_TAB", "LARTEN", "MATERIAL", "LFNAME", "PRUEFER", "FIRMEN", "LT_LEIT", "LT_PRUEF"})
        Catalog::bumpChange(db, QLatin1String(table));
    t.commit();
    engine.removeSessionAlias(QStringLiteral("HWGEN"));
    return result;
}
