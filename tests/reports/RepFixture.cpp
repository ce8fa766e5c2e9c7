#include "RepFixture.h"

#include "Query.h"
#include "RenderedReport.h"
#include "RepForm.h"
#include "Table.h"

#include <QtTest>

namespace {
int appendRow(const QString& table, const QVariantMap& values, const QString& keyField = QStringLiteral("ID"))
{
    return addTestRow(table, values, keyField);
}
}

RepRegister::RepRegister()
{
    auto dept = [&](const QString& name, int parent) {
        node.insert(name, appendRow(QStringLiteral("FIRMEN"), {{"KurzBez", name}, {"ParentID", parent}}));
    };
    dept(QStringLiteral("Werk"), 0);
    dept(QStringLiteral("Halle"), node["Werk"]);
    dept(QStringLiteral("Lager"), node["Halle"]);
    dept(QStringLiteral("Büro"), node["Werk"]);
    dept(QStringLiteral("Zweigwerk"), 0);
    for (const char* art : {"Stehleiter", "Anlegeleiter"})
        key.insert(art, appendRow(QStringLiteral("LARTEN"), {{"KurzBez", art}}));
    for (const char* mat : {"Alu", "Holz"})
        key.insert(mat, appendRow(QStringLiteral("MATERIAL"), {{"KurzBez", mat}}));
    for (const char* p : {"Meier", "Huber"})
        key.insert(p, appendRow(QStringLiteral("PRUEFER"), {{"KurzBez", p}}));
    key.insert("Jährlich", appendRow(QStringLiteral("PR_TAB"), {{"Nr", 1}, {"KurzBez", "Jährlich"}, {"Jahre", 1}}, "Nr"));
    key.insert("Halbjährlich",
               appendRow(QStringLiteral("PR_TAB"), {{"Nr", 2}, {"KurzBez", "Halbjährlich"}, {"Monate", 6}}, "Nr"));

    struct L {
        int nr;
        const char* text;
        QVariant dept;
        const char* art;
        const char* mat;
        const char* firma;
        bool schrott;
        QDate termin;
        const char* pruefArt;
    };
    const QList<L> ladders = {
        {1, "Anlegeleiter", node["Werk"], "Stehleiter", "Alu", "Müller's", false, QDate(2004, 3, 1), "Jährlich"},
        {2, "O'Brien", node["Halle"], "Stehleiter", "Holz", "Nordstahl", true, QDate(2004, 3, 31), "Jährlich"},
        {3, "Podest", node["Lager"], "Anlegeleiter", "Alu", "Nordstahl", false, QDate(2004, 4, 1), "Halbjährlich"},
        {4, "Tritt", node["Büro"], "Anlegeleiter", "Alu", "Müller's", false, QDate(2004, 2, 29), "Halbjährlich"},
        {5, "Bock", QVariant(), "Stehleiter", "Alu", "Nordstahl", false, QDate(2005, 1, 1), "Jährlich"},
        {6, "Mast", node["Zweigwerk"], "Stehleiter", "Holz", "Nordstahl", false, QDate(), "Jährlich"},
        {7, "O'Brian", node["Werk"], "Stehleiter", "Alu", "Nordstahl", false, QDate(2004, 3, 15), "Jährlich"},
        {8, "Alt", 99, "Stehleiter", "Alu", "Nordstahl", false, QDate(2004, 3, 15), "Jährlich"},
    };
    for (const L& l : ladders) {
        QVariantMap v{{"Nr", l.nr},
                      {"KurzBez", QString::fromUtf8(l.text)},
                      {"Art_ID", key[l.art]},
                      {"Mat_ID", key[l.mat]},
                      {"Firma", QString::fromUtf8(l.firma)},
                      {"Schrott", l.schrott},
                      {"PruefungArt_ID", key[l.pruefArt]},
                      {"AusgabeDatum", QDate(2003, 1, l.nr)}};
        if (l.dept.isValid())
            v.insert("FirmenAbtID", l.dept);
        if (l.termin.isValid())
            v.insert("PruefTermin", l.termin);
        ladderId.insert(l.nr, appendRow(QStringLiteral("LT_LEIT"), v));
    }
    auto pruefung = [&](int nr, QDate datum, const char* pruefer, const char* art) {
        appendRow(QStringLiteral("LT_PRUEF"), {{"LT_ID", ladderId[nr]},
                                               {"Datum", datum},
                                               {"Pruefer_ID", key[pruefer]},
                                               {"PruefungArt_ID", key[art]}});
    };
    pruefung(1, QDate(2004, 3, 10), "Meier", "Jährlich");
    pruefung(3, QDate(2004, 5, 1), "Huber", "Halbjährlich");
    pruefung(3, QDate(2004, 3, 20), "Meier", "Jährlich");
    dm = std::make_unique<TDataModule1>();
}

int RepRegister::addLadder(int nr, const QString& kurzBez, const QVariant& dept)
{
    QVariantMap v{{"Nr", nr}, {"KurzBez", kurzBez}};
    if (dept.isValid())
        v.insert("FirmenAbtID", dept);
    const int id = appendRow(QStringLiteral("LT_LEIT"), v);
    ladderId.insert(nr, id);
    return id;
}

QList<int> selectedNumbers(TRepForm& form)
{
    Query& q = form.query();
    q.close();
    q.open();
    QList<int> out;
    for (q.first(); !q.eof(); q.next())
        out << q.field(QStringLiteral("Nr")).asInteger();
    q.close();
    return out;
}

QString allTexts(const RenderedReport& report)
{
    QStringList lines;
    for (int p = 1; p <= report.pageCount(); ++p)
        lines << report.texts(p);
    return lines.join(QLatin1Char('\n'));
}
