// The ladder card, the ladder overview, the inspection overview and the control sheet over a
// small register: texts on the rendered pages, grey cells, band switching, page breaks and
// the PDF read back with pdftotext.
#include "AppPrinter.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "RenderedReport.h"
#include "RepFaellig.h"
#include "RepLeiterCount.h"
#include "RepLeiterF1.h"
#include "RepLeiterUebF1.h"
#include "RepLtPruefBlattF1.h"
#include "RepLtPruefF1.h"
#include "RepMenue.h"
#include "TVekStdPreviewForm.h"
#include "Table.h"
#include "TestSupport.h"
#include "TextMeasure.h"
#include "ReportUnits.h"

#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace {

const QColor grau(192, 192, 192);

int addRow(const QString& table, const QVariantMap& values)
{
    return addTestRow(table, values);
}

// Three ladders: 101 with two inspections and a department, 102 scrap without department
// and without inspections, 103 with one inspection whose required groups are all done.
struct Register {
    TestDataDir dir;
    std::unique_ptr<TDataModule1> dm;
    int l101 = 0, l102 = 0, l103 = 0;
    int p2004 = 0, p2003 = 0, p103 = 0;

    Register()
    {
        addRow("PR_TAB", {{"Nr", 1}, {"KurzBez", "Jahresprüfung"}, {"Jahre", 1}});
        addRow("PR_TAB", {{"Nr", 2}, {"KurzBez", "Sichtprüfung"}, {"Monate", 6}});
        const int huber = addRow("PRUEFER", {{"KurzBez", "Huber"}});
        const int maier = addRow("PRUEFER", {{"KurzBez", "Maier"}});
        const int steh = addRow("LARTEN", {{"KurzBez", "Stehleiter"}});
        const int alu = addRow("MATERIAL", {{"KurzBez", "Alu"}});
        const int werk = addRow("FIRMEN", {{"KurzBez", "Werk Nord"}, {"ParentID", 0}});
        const int halle = addRow("FIRMEN", {{"KurzBez", "Halle 1"}, {"ParentID", werk}});
        const int abt = addRow("FIRMEN", {{"KurzBez", "Schlosserei"}, {"ParentID", halle}});

        l101 = addRow("LT_LEIT", {{"Nr", 101}, {"KurzBez", "Stehleiter Lager"}, {"Art_ID", steh}, {"Mat_ID", alu},
                                  {"Firma", "Werk Nord"}, {"Laenge", 2.5}, {"LaengeBis", 3.75}, {"Gewicht", 7.2},
                                  {"StufenAnzahl", 6}, {"LtAnzahl", 2}, {"AusgabeDatum", QDate(2004, 3, 1)},
                                  {"ErfasstDatum", QDate(2004, 3, 2)}, {"PruefTermin", QDate(2005, 6, 23)},
                                  {"PruefungArt_ID", 1}, {"PrSonstiges", true}, {"PrSonstigesText", "Seil prüfen"},
                                  {"Beschreibung", "Steht im Lager 3"}, {"PrMaterial", true}, {"PrHo_Verform", true},
                                  {"FirmenAbtID", abt}, {"ExNrBez", "EX-101"}, {"Lieferant", "Krause"},
                                  {"LAend", QDateTime(QDate(2004, 5, 6), QTime(10, 30))}, {"LAendName", "Admin"}});
        l102 = addRow("LT_LEIT", {{"Nr", 102}, {"KurzBez", "Schiebeleiter Hof"}, {"Art_ID", steh}, {"Mat_ID", alu},
                                  {"Firma", "Werk Nord"}, {"Laenge", 4.0}, {"StufenAnzahl", 12}, {"Schrott", true},
                                  {"SchrottDatum", QDate(2005, 1, 10)}, {"PrSonstiges", false},
                                  {"PrSonstigesText", "nicht drucken"}, {"Beschreibung", "ausgemustert"}});
        l103 = addRow("LT_LEIT", {{"Nr", 103}, {"KurzBez", "Podestleiter"}, {"Schrott", true}, {"StufenAnzahl", 4}});

        // 101, 2004: Material required and done, Schuhe done without being required,
        // Holme complete, Spreizsicherung with one of two required items done.
        p2004 = addRow("LT_PRUEF", {{"LT_ID", l101}, {"Datum", QDate(2004, 6, 23)}, {"PruefungArt_ID", 1},
                                    {"Pruefer_ID", huber}, {"PrMaterial", true}, {"PrErlMaterial", true},
                                    {"PrScharniere", false}, {"PrErlScharniere", true}, {"PrSchuhe", false},
                                    {"PrErlSchuhe", true}, {"PrHo_Verform", true}, {"PrHo_ErlVerform", true},
                                    {"PrSprS_Vollstaend", true}, {"PrSprS_ErlVollstaend", true},
                                    {"PrSprS_Beschaed", true}, {"PrSonstiges", true},
                                    {"Bemerkung", "Spreizsicherung: Kette gerissen\nÖlspur am Holm entfernt"}});
        p2003 = addRow("LT_PRUEF", {{"LT_ID", l101}, {"Datum", QDate(2003, 6, 23)}, {"PruefungArt_ID", 2},
                                    {"Pruefer_ID", maier}, {"PrMaterial", true}, {"PrErlMaterial", true}});
        // 103 (scrap): every required group done.
        p103 = addRow("LT_PRUEF", {{"LT_ID", l103}, {"Datum", QDate(2004, 9, 1)}, {"PruefungArt_ID", 1},
                                   {"Pruefer_ID", huber}, {"PrKennZ_BetrAnl", true}, {"PrKennZ_ErlBetrAnl", true},
                                   {"PrZub_Vollstaend", true}, {"PrZub_ErlVollstaend", true}});
        dm = std::make_unique<TDataModule1>();
    }
    ~Register() { dm.reset(); }
};

QString pdfFileText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(TRepForm& form, const QString& file)
{
    form.writePdf(file);
    return pdfFileText(file);
}

int pdfPages(const QString& text) { return int(text.count(QLatin1Char('\f'))); }

QList<ReportItem> itemsOf(const RenderedReport& r, int page, ReportItem::Type type)
{
    QList<ReportItem> out;
    for (const ReportItem& i : r.page(page).items)
        if (i.type == type)
            out << i;
    return out;
}

// The shaded cells of the row whose text `key` is on the page, left to right: the cell fills
// on the key's line.
QList<ReportItem> rowCells(const RenderedReport& r, int page, const QString& key)
{
    const QList<ReportItem> keys = r.itemsWithText(page, key);
    if (keys.isEmpty())
        return {};
    const int y = keys.first().rect.center().y();
    QList<ReportItem> cells;
    for (const ReportItem& i : itemsOf(r, page, ReportItem::Type::Rect))
        if (i.brush.isValid() && i.rect.top() <= y && i.rect.bottom() >= y && i.rect.width() < 300)
            cells << i;
    std::sort(cells.begin(), cells.end(), [](const ReportItem& a, const ReportItem& b) { return a.rect.x() < b.rect.x(); });
    return cells;
}

// The text drawn in a cell ("" when none).
QString cellText(const RenderedReport& r, int page, const ReportItem& cell)
{
    for (const ReportItem& i : itemsOf(r, page, ReportItem::Type::Text))
        if (cell.rect.contains(i.rect.center()))
            return i.text;
    return QString();
}

QStringList allTexts(const RenderedReport& r)
{
    QStringList out;
    for (int p = 1; p <= r.pageCount(); ++p)
        out << r.texts(p);
    return out;
}

// The width a text item needs, measured with the font it is drawn in.
double drawnWidth(const ReportItem& item)
{
    QFont f(item.fontFamily);
    f.setPointSizeF(item.pointSize);
    f.setBold(item.style & ReportItem::Bold);
    f.setItalic(item.style & ReportItem::Italic);
    return TextMeasure::width(item.text, f);
}

QList<ReportItem> textItems(const RenderedReport& r, int page)
{
    QList<ReportItem> out;
    for (const ReportItem& item : r.page(page).items)
        if (item.type == ReportItem::Type::Text)
            out << item;
    return out;
}

} // namespace

class TestRecordReports : public QObject {
    Q_OBJECT
private slots:
    void init() { resetDialogsForTest(); }

    void ladderCardPrintsTheLadderOnItsPage();
    void ladderCardBands_data();
    void ladderCardBands();
    void ladderCardShadesCellsNotRequired();
    void ladderOverviewLines();
    void inspectionOverviewRowsAndShading_data();
    void inspectionOverviewRowsAndShading();
    void controlSheetPerInspection();
    void controlSheetChecklistAndOptions();
    void machineEvaluation_data();
    void machineEvaluation();
    void emptySelectionPrintsHeaders_data();
    void emptySelectionPrintsHeaders();
    void pdfReadBack_data();
    void pdfReadBack();
    void singleControlSheetFromTheInspectionList();
    void selectionLineStaysInItsBox_data();
    void selectionLineStaysInItsBox();
    void ladderCardHeadingsFitTheirColumns_data();
    void ladderCardHeadingsFitTheirColumns();
    void controlSheetWithLogoFitsOnePage();
    void controlSheetDatesAndLines();

private:
    QTemporaryDir m_tmp;
};

void TestRecordReports::ladderCardPrintsTheLadderOnItsPage()
{
    Register reg;
    TRepLeiterF1 form(*reg.dm);
    form.SetSeiteProLeiter(true);
    form.SetSortierung(0);
    auto r = form.render();
    QCOMPARE(r->pageCount(), 3);
    QCOMPARE(r->pagesWithText("Leiterkartei"), QList<int>({1, 2, 3}));
    const QStringList p1 = r->texts(1);
    for (const char* t : {"101", "Stehleiter", "Alu", "Werk Nord", "Stehleiter Lager", "EX-101", "2  x  6", "2,50 m",
                          " bis:  3,75 m", "7,20 kg", "01.03.04", "Krause", "02.03.04", "23.06.05", "Jahresprüfung",
                          "Werk Nord - Halle 1 - Schlosserei", "letzte Änderung : 06.05.04 10:30", "Admin",
                          "Text Prüfung Sonstiges :", "Seil prüfen", "Beschreibung :", "Steht im Lager 3",
                          "Sortiert nach Leiter-Nr", "Seite : 1"})
        QVERIFY2(p1.contains(QString::fromUtf8(t)), t);
    // 101 requires Material and Sonstiges of the basic criteria.
    QCOMPARE(p1.count("prüfen"), 2);
    QVERIFY(!p1.contains("JA"));

    const QStringList p2 = r->texts(2);
    QVERIFY(p2.contains("102"));
    QVERIFY(p2.contains("JA"));
    QVERIFY(p2.contains("10.01.05"));
    QVERIFY(p2.contains("4,00 m"));
    QVERIFY(p2.contains("12"));
    QVERIFY(p2.contains("Beschreibung :"));
    QVERIFY(p2.contains("ausgemustert"));
    for (const QString& t : p2)
        QVERIFY2(!t.contains(" bis:") && t != "Text Prüfung Sonstiges :" && t != "nicht drucken", qPrintable(t));
    QVERIFY(!p2.contains("Werk Nord - Halle 1 - Schlosserei"));
}

void TestRecordReports::ladderCardBands_data()
{
    QTest::addColumn<int>("erweitert");
    QTest::addColumn<bool>("liste");
    QTest::addColumn<bool>("seiteProLeiter");
    QTest::newRow("einfach, ohne Liste") << 0 << false << false;
    QTest::newRow("einfach, mit Liste") << 0 << true << false;
    QTest::newRow("erweitert, mit Liste, Seite pro Leiter") << 1 << true << true;
    QTest::newRow("erweitert, ohne Liste") << 1 << false << false;
    QTest::newRow("Index 2 gilt als einfach") << 2 << true << false;
}

void TestRecordReports::ladderCardBands()
{
    QFETCH(int, erweitert);
    QFETCH(bool, liste);
    QFETCH(bool, seiteProLeiter);
    Register reg;
    TRepLeiterF1 form(*reg.dm);
    form.SetErweitert(erweitert);
    form.SetPruefUebersicht(liste);
    form.SetSeiteProLeiter(seiteProLeiter);
    form.SetSortierung(0);
    auto r = form.render();
    const QStringList texts = allTexts(*r);
    const bool ext = erweitert == 1;
    // Criteria row of the ladder.
    QCOMPARE(texts.count("Verbindungen"), ext ? 0 : 3);
    QCOMPARE(texts.count("Leiter.Füsse"), ext ? 3 : 0);
    // 101 requires Material, Holme (Ho_Verform) and Sonstiges: "prüfen" under the heading of
    // Material in the basic row, under Holme in the extended one.
    QCOMPARE(texts.count("prüfen"), 2);
    const QList<ReportItem> headings = r->itemsWithText(1, ext ? "Holme" : "Material");
    const QList<ReportItem> marks = r->itemsWithText(1, "prüfen");
    QVERIFY(std::any_of(marks.begin(), marks.end(), [&](const ReportItem& m) {
        return std::any_of(headings.begin(), headings.end(), [&](const ReportItem& h) {
            return m.rect.x() == h.rect.x() && m.rect.y() > h.rect.y() && m.rect.y() < h.rect.y() + 80;
        });
    }));
    // Inspection list: header and footer for every ladder, also 102 without inspections.
    QCOMPARE(texts.count("int. Prüfer"), liste ? 3 : 0);
    QCOMPARE(texts.count("Verbind."), liste && !ext ? 3 : 0);
    QCOMPARE(texts.count("LtFüss."), liste && ext ? 3 : 0);
    QCOMPARE(texts.count("23.06.04"), liste ? 1 : 0);
    QCOMPARE(texts.count("Maier"), liste ? 1 : 0);
    QCOMPARE(r->pageCount() == 3, seiteProLeiter);
    if (liste) {
        // Oldest inspection first.
        const int y2003 = r->itemsWithText(1, "23.06.03").value(0).rect.y();
        const int y2004 = r->itemsWithText(1, "23.06.04").value(0).rect.y();
        QVERIFY(y2003 > 0 && y2003 < y2004);
        // 102's list: the header directly followed by the footer line, no row.
        const int page102 = r->pagesWithText("102").value(0);
        QVERIFY(page102 > 0);
        const ReportItem nr102 = r->itemsWithText(page102, "102").value(0);
        int headerY = INT_MAX;
        for (const ReportItem& i : r->itemsWithText(page102, "int. Prüfer"))
            if (i.rect.y() > nr102.rect.y())
                headerY = std::min(headerY, i.rect.y());
        QVERIFY(headerY < INT_MAX);
        for (const ReportItem& i : itemsOf(*r, page102, ReportItem::Type::Text))
            if (i.rect.y() > headerY && i.rect.y() < headerY + 100)
                QVERIFY2(i.text != "Ja" && !i.text.contains(".0"), qPrintable(i.text));
    }
}

void TestRecordReports::ladderCardShadesCellsNotRequired()
{
    Register reg;
    TRepLeiterF1 form(*reg.dm);
    form.SetPruefUebersicht(true);
    form.SetSortierung(0);
    auto r = form.render();
    const QList<ReportItem> cells = rowCells(*r, 1, "23.06.04");
    QCOMPARE(cells.size(), 8);
    // Material required and done: white with "Ja"; Scharniere and Schuhe done but not
    // required: "Ja" on grey; Sonstiges required, not done: white and empty.
    QCOMPARE(cells[0].brush, QColor(Qt::white));
    QCOMPARE(cellText(*r, 1, cells[0]), QString("Ja"));
    QCOMPARE(cells[3].brush, grau);
    QCOMPARE(cellText(*r, 1, cells[3]), QString("Ja"));
    QCOMPARE(cells[6].brush, grau);
    QCOMPARE(cellText(*r, 1, cells[6]), QString("Ja"));
    QCOMPARE(cells[1].brush, grau);
    QCOMPARE(cellText(*r, 1, cells[1]), QString());
    QCOMPARE(cells[7].brush, QColor(Qt::white));
    QCOMPARE(cellText(*r, 1, cells[7]), QString());

    // Extended: Holme required and done; Spreizsicherung required, half done; Beschläge not
    // required at all.
    TRepLeiterF1 ext(*reg.dm);
    ext.SetPruefUebersicht(true);
    ext.SetErweitert(1);
    auto e = ext.render();
    const QList<ReportItem> g = rowCells(*e, 1, "23.06.04");
    QCOMPARE(g.size(), 8);
    QCOMPARE(g[0].brush, QColor(Qt::white));
    QCOMPARE(cellText(*e, 1, g[0]), QString("Ja"));
    QCOMPARE(g[2].brush, QColor(Qt::white));
    QCOMPARE(cellText(*e, 1, g[2]), QString());
    QCOMPARE(g[3].brush, grau);
    QCOMPARE(cellText(*e, 1, g[3]), QString());
    QCOMPARE(g[7].brush, QColor(Qt::white));
}

void TestRecordReports::ladderOverviewLines()
{
    Register reg;
    TRepLeiterUebF1 form(*reg.dm);
    form.SetSortierung(0);
    auto r = form.render();
    QCOMPARE(r->pageCount(), 1);
    const QStringList t = r->texts(1);
    for (const char* s : {"Leiterübersicht", "Nr ", " KurzBez / ext. Leiter-Nr / St.-Spr", " Firma / Abteilung",
                          "Ausgdat.", " n. Termin", " 01.03.04", "  23.06.05", "EX-101", "2  x  6",
                          "Werk Nord - Halle 1 - Schlosserei", "Seite   : 1"})
        QVERIFY2(t.contains(QString::fromUtf8(s)), s);
    // "A" starts the second line of each scrap ladder only, under its number.
    const QList<ReportItem> marks = r->itemsWithText(1, "A");
    QCOMPARE(marks.size(), 2);
    for (const char* nr : {"102", "103"}) {
        const ReportItem n = r->itemsWithText(1, nr).value(0);
        const bool found = std::any_of(marks.begin(), marks.end(), [&](const ReportItem& a) {
            return a.rect.y() > n.rect.y() && a.rect.y() < n.rect.y() + 60 && a.rect.x() < n.rect.right();
        });
        QVERIFY2(found, nr);
    }

    TRepLeiterUebF1 ohneSchrott(*reg.dm);
    ohneSchrott.SetFilterFlag(rfSchrott, false);
    auto o = ohneSchrott.render();
    QVERIFY(o->texts(1).contains("ohne Schrott /"));
    QVERIFY(!o->texts(1).contains("102"));
    QVERIFY(!o->texts(1).contains("A"));
}

void TestRecordReports::inspectionOverviewRowsAndShading_data()
{
    QTest::addColumn<int>("erweitert");
    QTest::newRow("einfach") << 0;
    QTest::newRow("erweitert") << 1;
}

void TestRecordReports::inspectionOverviewRowsAndShading()
{
    QFETCH(int, erweitert);
    Register reg;
    TRepLtPruefF1 form(*reg.dm);
    form.SetErweitert(erweitert);
    form.SetSortierung(2);   // by inspection date
    auto r = form.render();
    QCOMPARE(r->pageCount(), 1);
    QCOMPARE(r->pageSizeUnits(), QSize(2970, 2100));
    const QStringList t = r->texts(1);
    // One row per inspection: 101 twice, 103 once, 102 (no inspection) never.
    QCOMPARE(t.count("101"), 2);
    QCOMPARE(t.count("103"), 1);
    QCOMPARE(t.count("102"), 0);
    QVERIFY(t.contains("Prüfungs-Übersicht"));
    QVERIFY(t.contains("Sortiert nach Prüf-Datum"));
    QCOMPARE(t.count("Werk Nord - Halle 1 - Schlosserei"), 2);
    QCOMPARE(t.count("EX-101"), 2);
    QVERIFY(t.contains(erweitert ? " KurzBez / ext. Leiter-Nr" : " KurzBez"));
    QVERIFY(t.contains(erweitert ? "SpreizS." : "Scharn."));
    QVERIFY(!t.contains(erweitert ? "Scharn." : "SpreizS."));
    // Rows in date order.
    QVERIFY(r->itemsWithText(1, "23.06.03")[0].rect.y() < r->itemsWithText(1, "23.06.04")[0].rect.y());

    const QList<ReportItem> cells = rowCells(*r, 1, "23.06.04");
    QCOMPARE(cells.size(), 8);
    if (erweitert) {
        QCOMPARE(cells[0].brush, QColor(Qt::white));                // Holme done
        QCOMPARE(cellText(*r, 1, cells[0]), QString("Ja"));
        QCOMPARE(cells[2].brush, QColor(Qt::white));                // Spreizsicherung half done
        QCOMPARE(cellText(*r, 1, cells[2]), QString());
        QCOMPARE(cells[1].brush, grau);                             // Sprossen not required
        QCOMPARE(cellText(*r, 1, cells[1]), QString());
    } else {
        QCOMPARE(cells[3].brush, grau);                             // Scharniere done, not required
        QCOMPARE(cellText(*r, 1, cells[3]), QString("Ja"));
        QCOMPARE(cells[0].brush, QColor(Qt::white));
        QCOMPARE(cellText(*r, 1, cells[0]), QString("Ja"));
    }

    // The date choice selects by the inspection's date.
    TRepLtPruefF1 range(*reg.dm);
    range.SetBereichDatum("Datum", "Prüf-Datum", QDate(2004, 1, 1), QDate(2004, 6, 30));
    auto d = range.render();
    const QStringList dt = d->texts(1);
    QVERIFY(dt.contains("Prüf-Datum : 01.01.2004 bis 30.06.2004"));
    QCOMPARE(dt.count("101"), 1);
    QVERIFY(dt.contains("23.06.04"));
    QVERIFY(!dt.contains("23.06.03"));
    QVERIFY(!dt.contains("103"));
}

void TestRecordReports::controlSheetPerInspection()
{
    Register reg;
    TRepLtPruefBlattF1 form(*reg.dm);
    form.SetSortierung(2);
    auto r = form.render();
    QCOMPARE(r->pageCount(), 3);
    QCOMPARE(r->pagesWithText("Erfassung-Kontrollblatt"), QList<int>({1, 2, 3}));
    QCOMPARE(r->pagesWithText("23.06.03"), QList<int>({1}));
    QCOMPARE(r->pagesWithText("23.06.04"), QList<int>({2}));
    QCOMPARE(r->pagesWithText("01.09.04"), QList<int>({3}));
    QCOMPARE(r->pagesWithText("Leiter überprüft :"), QList<int>({1, 2, 3}));
    QVERIFY(r->pagesWithText("( maschinell aus Prüfpunkten )").isEmpty());
    const QStringList p2 = r->texts(2);
    for (const char* s : {"Prüftermin :", "Jahresprüfung", "Prüfer :", "Huber", "Ausdruck-Datum : ", "Seite : 2",
                          "Stehleiter Lager", "Werk Nord - Halle 1 - Schlosserei", " bis:  3,75 m", "2  x  6",
                          "Prüfungen :", "Material - Holm / Stufen / Sprossen :", "Schuhe / Spitzen :", "Sonstiges :",
                          "Seil prüfen", "Kontrollergebnis :", "Reparatur notwendig :", "Leiter sofort verschrotten :",
                          "Leiter i.O. / verwendungsfähig :", "Bemerkungen :", "Datum : ....................",
                          "Unterschrift : ......................................"})
        QVERIFY2(p2.contains(QString::fromUtf8(s)) || std::any_of(p2.begin(), p2.end(), [s](const QString& t) {
                     return t.startsWith(QString::fromUtf8(s)) && QByteArray(s).endsWith(": ");
                 }),
                 s);
    // The signature block sits at the bottom of the page.
    const ReportItem sig = r->itemsWithText(2, "Leiter überprüft :").value(0);
    QVERIFY(sig.rect.y() > 2300);

    // One inspection from the inspection list.
    TRepLtPruefBlattF1 single(*reg.dm);
    single.SetEinzelPruefung(reg.p2003);
    single.SetErweitert(1);
    auto s = single.render();
    QCOMPARE(s->pageCount(), 1);
    QVERIFY(s->texts(1).contains("Einzelausdruck"));
    QVERIFY(s->texts(1).contains("23.06.03"));
    QVERIFY(s->texts(1).contains("Holme  :"));
    QVERIFY(!s->texts(1).contains("X"));

    // An ID that does not exist: the header alone.
    TRepLtPruefBlattF1 none(*reg.dm);
    none.SetEinzelPruefung(999999);
    auto n = none.render();
    QCOMPARE(n->pageCount(), 1);
    QVERIFY(n->texts(1).contains("Einzelausdruck"));
    QVERIFY(!n->texts(1).contains("Prüftermin :"));
}

void TestRecordReports::controlSheetChecklistAndOptions()
{
    Register reg;
    for (bool kennzeichnen : {false, true}) {
        TRepLtPruefBlattF1 form(*reg.dm);
        form.SetEinzelPruefung(reg.p2004);
        form.SetErweitert(1);
        form.SetErledigtKennzeichnen(kennzeichnen);
        form.SetMaschBewertung(true);
        auto r = form.render();
        QCOMPARE(r->pageCount(), 1);
        const QStringList t = r->texts(1);
        QVERIFY(t.contains("( maschinell aus Prüfpunkten )"));
        QVERIFY(t.contains("( dieses Dokument wurde maschinell erstellt und ist ohne Unterschrift gültig )"));
        QVERIFY(!t.contains("Leiter überprüft :"));
        for (const char* s : {"Holme  :", "Sprossen / Stufen / Plattform :", "Spreizsicherung :", "Beschlagteile :",
                              "Leiterfüße / Rollen :", "Zubehör :", "Kennzeichnung :", "Betriebsanleitung :",
                              "Schutzbehandlung (bei Holz) :", "Beschädigung / Korrision :", "Abnutzung / Korrision :"})
            QVERIFY2(t.contains(QString::fromUtf8(s)), s);

        // Required: Ho_Verform, SprS_Vollstaend, SprS_Beschaed, Sonstiges - four grey boxes;
        // done boxes only for those four.
        int grey = 0;
        for (const ReportItem& i : itemsOf(*r, 1, ReportItem::Type::Rect))
            grey += i.brush == grau ? 1 : 0;
        QCOMPARE(grey, 4);
        // Done marks: Ho_Verform and SprS_Vollstaend, only with the option; plus the one
        // cross of the evaluation (Spreizsicherung not complete: repair).
        QCOMPARE(t.count("X"), kennzeichnen ? 3 : 1);
        const ReportItem repair = r->itemsWithText(1, "Reparatur notwendig :").value(0);
        const QList<ReportItem> crosses = r->itemsWithText(1, "X");
        QVERIFY(std::any_of(crosses.begin(), crosses.end(),
                            [&](const ReportItem& x) { return qAbs(x.rect.center().y() - repair.rect.center().y()) < 20; }));
    }

    // Simple layout of the same inspection: Material and Sonstiges required.
    TRepLtPruefBlattF1 simple(*reg.dm);
    simple.SetEinzelPruefung(reg.p2004);
    simple.SetErledigtKennzeichnen(true);
    auto s = simple.render();
    int grey = 0;
    for (const ReportItem& i : itemsOf(*s, 1, ReportItem::Type::Rect))
        grey += i.brush == grau ? 1 : 0;
    QCOMPARE(grey, 2);
    // Material done; Scharniere and Schuhe done but not required print no box and no cross.
    QCOMPARE(s->texts(1).count("X"), 1);
    QVERIFY(s->texts(1).contains("Leiter überprüft :"));
    QVERIFY(s->texts(1).contains("Seil prüfen"));
}

void TestRecordReports::machineEvaluation_data()
{
    using Groups = QList<std::pair<bool, bool>>;
    QTest::addColumn<Groups>("gruppen");
    QTest::addColumn<bool>("schrott");
    QTest::addColumn<int>("ergebnis");
    const int rep = int(TRepLtPruefBlattF1::Ergebnis::Reparatur);
    const int weg = int(TRepLtPruefBlattF1::Ergebnis::Verschrotten);
    const int ok = int(TRepLtPruefBlattF1::Ergebnis::InOrdnung);
    QTest::newRow("nothing required") << Groups{{false, false}, {false, false}} << false << rep;
    QTest::newRow("nothing required, scrap") << Groups{{false, false}} << true << weg;
    QTest::newRow("all required done, scrap") << Groups{{true, true}, {false, false}, {true, true}} << true << ok;
    QTest::newRow("one required group open") << Groups{{true, true}, {true, false}} << false << rep;
    QTest::newRow("done without required counts nothing") << Groups{{false, true}} << false << rep;
}

void TestRecordReports::machineEvaluation()
{
    using Groups = QList<std::pair<bool, bool>>;
    QFETCH(Groups, gruppen);
    QFETCH(bool, schrott);
    QFETCH(int, ergebnis);
    QCOMPARE(int(TRepLtPruefBlattF1::bewerte(gruppen, schrott)), ergebnis);

    // On the page: 103 is scrap with all required groups done, so the cross is "i.O.".
    if (QByteArray(QTest::currentDataTag()) != "all required done, scrap")
        return;
    Register reg;
    TRepLtPruefBlattF1 form(*reg.dm);
    form.SetEinzelPruefung(reg.p103);
    form.SetMaschBewertung(true);
    auto r = form.render();
    const QList<ReportItem> crosses = r->itemsWithText(1, "X");
    QCOMPARE(crosses.size(), 1);
    const ReportItem ok = r->itemsWithText(1, "Leiter i.O. / verwendungsfähig :").value(0);
    QVERIFY(crosses[0].rect.x() > ok.rect.x());
    QVERIFY(qAbs(crosses[0].rect.center().y() - ok.rect.center().y()) < 20);
}

void TestRecordReports::emptySelectionPrintsHeaders_data()
{
    QTest::addColumn<int>("art");
    QTest::addColumn<QString>("heading");
    QTest::newRow("Leiterkartei") << 0 << "Leiterkartei";
    QTest::newRow("Leiterübersicht") << 1 << "Leiterübersicht";
    QTest::newRow("Prüf-Übersicht") << 2 << "Prüfungs-Übersicht";
    QTest::newRow("Kontrollblatt") << 3 << "Erfassung-Kontrollblatt";
}

static std::unique_ptr<TRepForm> makeForm(int art, TDataModule1& dm)
{
    switch (art) {
    case 0: return std::make_unique<TRepLeiterF1>(dm);
    case 1: return std::make_unique<TRepLeiterUebF1>(dm);
    case 2: return std::make_unique<TRepLtPruefF1>(dm);
    default: return std::make_unique<TRepLtPruefBlattF1>(dm);
    }
}

void TestRecordReports::emptySelectionPrintsHeaders()
{
    QFETCH(int, art);
    QFETCH(QString, heading);
    Register reg;
    auto form = makeForm(art, *reg.dm);
    form->SetPruefUebersicht(true);
    form->SetBereichNr(500, 600);
    form->SetSortierung(0);
    auto r = form->render();
    QCOMPARE(r->pageCount(), 1);
    const QStringList t = r->texts(1);
    QVERIFY(t.contains(heading));
    QVERIFY(t.contains("Leiter-Nr : 500 bis 600"));
    QVERIFY(!t.contains("Stehleiter Lager"));
    QVERIFY(!t.contains("Leiter.-Nr"));
}

void TestRecordReports::pdfReadBack_data()
{
    QTest::addColumn<int>("art");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Leiterkartei") << 0 << 3
                                  << QStringList{"Leiterkartei", "Stehleiter Lager", "Werk Nord - Halle 1 - Schlosserei",
                                                 "bis: 3,75 m", "int. Prüfer", "Huber", "Text Prüfung Sonstiges :"};
    QTest::newRow("Leiterübersicht") << 1 << 1
                                     << QStringList{"Leiterübersicht", "Schiebeleiter Hof", "Podestleiter", "Ausgdat."};
    QTest::newRow("Prüf-Übersicht") << 2 << 1 << QStringList{"Prüfungs-Übersicht", "23.06.04", "Sichtprüfung", "Maier"};
    QTest::newRow("Kontrollblatt") << 3 << 3
                                   << QStringList{"Erfassung-Kontrollblatt", "Kontrollergebnis :",
                                                  "Leiter i.O. / verwendungsfähig :", "Unterschrift :"};
}

void TestRecordReports::pdfReadBack()
{
    QFETCH(int, art);
    QFETCH(int, pages);
    QFETCH(QStringList, expected);
    Register reg;
    auto form = makeForm(art, *reg.dm);
    form->SetPruefUebersicht(true);
    form->SetSeiteProLeiter(true);
    form->SetSortierung(0);
    const QString text = pdfText(*form, m_tmp.filePath(QStringLiteral("r%1.pdf").arg(art)));
    QCOMPARE(pdfPages(text), pages);
    QString flat = text;
    flat.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    for (const QString& e : expected)
        QVERIFY2(flat.contains(e), qPrintable(e + "\n" + text.left(3000)));
}

// What the inspection list's "Druck Kontrollblatt" and "Vorschau Kontrollblatt" call.
void TestRecordReports::singleControlSheetFromTheInspectionList()
{
    Register reg;
    const QString file = m_tmp.filePath(QStringLiteral("einzel.pdf"));
    appPrinter()->setOutputFormat(QPrinter::PdfFormat);
    appPrinter()->setOutputFileName(file);
    {
        TRepMenue m(*reg.dm);
        m.SetPruefArtAnzeige(1);
        Dialogs::scriptAnswer(false);
        m.DruckEinzelKontrollblatt(reg.p2004);
        QCOMPARE(Dialogs::shownTexts().last(), QStringLiteral("Kontrollblatt drucken ?"));
        QVERIFY(!QFile::exists(file));
        Dialogs::scriptAnswer(true);
        m.DruckEinzelKontrollblatt(reg.p2004);
    }
    QString text = pdfFileText(file);
    QCOMPARE(pdfPages(text), 1);
    text.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
    for (const char* s : {"Einzelausdruck", "23.06.04", "Holme :", "Spreizsicherung :", "Leiter überprüft :"})
        QVERIFY2(text.contains(QString::fromUtf8(s)), s);
    // The inspection's remark, line by line, in the space under "Bemerkungen :".
    const qsizetype bemerkungen = text.indexOf(QStringLiteral("Bemerkungen :"));
    const qsizetype zeile1 = text.indexOf(QStringLiteral("Spreizsicherung: Kette gerissen\n"));
    const qsizetype zeile2 = text.indexOf(QStringLiteral("Ölspur am Holm entfernt"));
    QVERIFY2(bemerkungen >= 0 && zeile1 > bemerkungen && zeile2 > zeile1 && text.indexOf("Leiter überprüft :") > zeile2,
             qPrintable(text));
    QVERIFY(!text.contains("23.06.03"));
    QVERIFY(!text.contains("maschinell"));
    QVERIFY(!text.contains("Sortiert nach"));

    // The preview of another inspection, simple layout.
    QStringList shown;
    Dialogs::setFormHook([&shown](QDialog* d) {
        if (auto* f = qobject_cast<TVekStdPreviewForm*>(d))
            shown = allTexts(*f->report());
        return int(QDialog::Accepted);
    });
    TRepMenue m(*reg.dm);
    m.SetPruefArtAnzeige(0);
    m.VorschauEinzelKontrollblatt(reg.p2003);
    QVERIFY(shown.contains("Einzelausdruck"));
    QVERIFY(shown.contains("23.06.03"));
    QVERIFY(shown.contains("Maier"));
    QVERIFY(shown.contains("Prüfungen :"));
    QVERIFY(!shown.contains("Holme  :"));
    appPrinter()->setOutputFormat(QPrinter::NativeFormat);
    appPrinter()->setOutputFileName(QString());
}

void TestRecordReports::selectionLineStaysInItsBox_data()
{
    QTest::addColumn<int>("form");
    QTest::newRow("ladder card") << 0;
    QTest::newRow("ladder overview") << 1;
    QTest::newRow("inspection overview") << 2;
    QTest::newRow("control sheet") << 3;
    QTest::newRow("company overview") << 4;
    QTest::newRow("due inspections") << 5;
}

// Every criterion of the selection at once, in the order the selection window sets them, with
// a long company name: the selection line is wrapped, never drawn beyond its box, over other
// texts or off the paper, and the joined texts are kept apart.
void TestRecordReports::selectionLineStaysInItsBox()
{
    QFETCH(int, form);
    Register reg;
    std::unique_ptr<TRepForm> f;
    switch (form) {
    case 0: f = std::make_unique<TRepLeiterF1>(*reg.dm); break;
    case 1: f = std::make_unique<TRepLeiterUebF1>(*reg.dm); break;
    case 2: f = std::make_unique<TRepLtPruefF1>(*reg.dm); break;
    case 3: f = std::make_unique<TRepLtPruefBlattF1>(*reg.dm); break;
    case 4: f = std::make_unique<TRepLeiterCount>(*reg.dm); break;
    default: f = std::make_unique<TRepFaellig>(*reg.dm); break;
    }
    Table arten(QStringLiteral("LARTEN"));
    arten.open();
    Table firmen(QStringLiteral("FIRMEN"));
    firmen.open();
    QVERIFY(firmen.locate("KurzBez", {QStringLiteral("Schlosserei")}));
    f->SetFilterID(rfLeiterArt, arten.field("ID").asInteger());
    f->SetFilterID(rfMaterial, 1);
    f->SetFilter(rfFirma, QStringLiteral("Rheinische Stahl- und Leiterbau Gesellschaft mbH & Co. KG Duisburg"));
    f->SetFilterID(f->profile().pruefArtKind, 1);
    f->SetFilterID(rfPruefer, 1);
    f->SetFilterFlag(rfSchrott, false);
    f->SetFilterMarkiert(rfMarkiert, {QString::number(reg.l101)});
    f->SetFilter(rfAbteilung, QString::number(firmen.field("ID").asInteger()));
    const QString selection = f->QRLabFilter().trimmed();
    QVERIFY2(selection.contains(QRegularExpression(QStringLiteral("ohne Schrott / (nur markierte Sätze / )?Abtl\\. : Werk Nord - Halle 1 - Schlosserei"))),
             qPrintable(selection));

    const auto r = f->render();
    const QList<ReportItem> texts = textItems(*r, 1);
    // The selection's lines: the item that begins it and the lines wrapped below it.
    QList<ReportItem> lines;
    for (const ReportItem& t : texts)
        if (lines.isEmpty() && t.text.size() > 8 && selection.startsWith(t.text.trimmed()))
            lines << t;
    QVERIFY2(!lines.isEmpty(), qPrintable(r->texts(1).join(" | ")));
    for (bool more = true; more;) {
        more = false;
        for (const ReportItem& t : texts)
            if (t.rect.x() == lines.last().rect.x() && t.rect.width() == lines.last().rect.width()
                && t.rect.top() == lines.last().rect.bottom() + 1) {
                lines << t;
                more = true;
                break;
            }
    }
    // Nothing of the selection is lost on the way.
    QStringList shown;
    for (const ReportItem& l : lines)
        shown << l.text.trimmed();
    QCOMPARE(shown.join(u' ').simplified(), selection.simplified());
    const QRect paper(QPoint(0, 0), r->pageSizeUnits());
    for (const ReportItem& l : lines) {
        QVERIFY2(paper.contains(l.rect), qPrintable(l.text));
        QVERIFY2(drawnWidth(l) <= l.rect.width() + 1, qPrintable(QStringLiteral("%1: %2 > %3").arg(l.text).arg(drawnWidth(l)).arg(l.rect.width())));
        for (const ReportItem& other : texts)
            if (!lines.contains(other))
                QVERIFY2(!other.rect.intersects(l.rect),
                         qPrintable(QStringLiteral("\"%1\" over \"%2\"").arg(l.text, other.text)));
    }
}

void TestRecordReports::ladderCardHeadingsFitTheirColumns_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QStringList>("headings");
    QTest::newRow("simple") << 0
        << QStringList{"Material", "Verbind.", "Beschl.", "Scharn.", "Funkt.", "Durchb.", "Schuhe", "Sonst."};
    QTest::newRow("extended") << 1
        << QStringList{"Holme.", "Spross.", "SpreizS", "Beschl.", "LtFüss.", "Zubeh.", "Kenn.Z", "Sonst."};
}

void TestRecordReports::ladderCardHeadingsFitTheirColumns()
{
    QFETCH(int, layout);
    QFETCH(QStringList, headings);
    Register reg;
    TRepLeiterF1 form(*reg.dm);
    form.SetErweitert(layout);
    form.SetPruefUebersicht(true);
    const auto r = form.render();
    QList<ReportItem> cells;
    for (const QString& h : headings) {
        const QList<ReportItem> found = r->itemsWithText(1, h);
        QVERIFY2(!found.isEmpty(), qPrintable(h));
        cells << found.first();
    }
    for (int i = 0; i < cells.size(); ++i) {
        QVERIFY2(drawnWidth(cells[i]) <= cells[i].rect.width() + 1, qPrintable(cells[i].text));
        if (i > 0)
            QVERIFY2(!cells[i].rect.intersects(cells[i - 1].rect), qPrintable(cells[i].text));
    }
}

// A logo of 30 mm: the extended sheet with its signature block still fits one page.
void TestRecordReports::controlSheetWithLogoFitsOnePage()
{
    Register reg;
    QTemporaryDir dir;
    QImage logo(700, 105, QImage::Format_RGB32);
    logo.fill(QColor(20, 90, 160));
    QVERIFY(logo.save(dir.filePath("Logo.bmp")));
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    TRepLtPruefBlattF1 form(*reg.dm);
    QDir::setCurrent(before);
    form.SetErweitert(1);
    form.SetSortierung(2);
    const auto r = form.render();
    QCOMPARE(r->pageCount(), 3);
    QCOMPARE(r->pagesWithText("Leiter überprüft :"), QList<int>({1, 2, 3}));
    int images = 0;
    for (const ReportItem& item : r->page(1).items)
        images += item.type == ReportItem::Type::Image;
    QCOMPARE(images, 1);
}

// The scrap date with a four-digit year; the line under the inspection head is a normal line.
void TestRecordReports::controlSheetDatesAndLines()
{
    Register reg;
    {
        Table l(QStringLiteral("LT_LEIT"));
        l.open();
        QVERIFY(l.locate("Nr", {103}));
        l.edit();
        l.setValue("SchrottDatum", QDate(2026, 11, 28));
        l.setValue("AusgabeDatum", QDate(2001, 2, 3));
        l.post();
    }
    TRepLtPruefBlattF1 form(*reg.dm);
    form.SetEinzelPruefung(reg.p103);
    const auto r = form.render();
    QCOMPARE(r->pageCount(), 1);
    const QStringList texts = r->texts(1);
    // The scrap date with its year in full, the other dates of the block as "dd.mm.yy".
    QVERIFY2(texts.contains("03.02.01") && texts.contains("28.11.2026"), qPrintable(texts.join(" | ")));
    QVERIFY(!texts.contains("28.11.26"));

    // Lines across the page below "Prüftermin :": the first is the normal line under the head.
    const ReportItem termin = r->itemsWithText(1, "Prüftermin :").value(0);
    const ReportItem datum = r->itemsWithText(1, "01.09.04").value(0);
    QVERIFY(termin.rect.height() > 0 && datum.rect.height() > 0);
    const int thin = qMax(1, ReportUnits::fromMm(0.25));
    int headTop = -1, headBottom = -1, widthTop = 0, widthBottom = 0;
    for (const ReportItem& item : r->page(1).items) {
        if (item.type != ReportItem::Type::Line || item.rect.height() != 0 || item.rect.width() < 1500)
            continue;
        const int y = item.rect.y();
        if (y <= termin.rect.y() && y > headTop) {
            headTop = y;
            widthTop = item.penWidth;
        }
        if (y >= datum.rect.bottom() && (headBottom < 0 || y < headBottom)) {
            headBottom = y;
            widthBottom = item.penWidth;
        }
    }
    QVERIFY(headTop >= 0 && headBottom > headTop);
    QVERIFY2(widthTop > thin, "the line above the inspection head is thick");
    QCOMPARE(widthBottom, thin);
}

QTEST_MAIN(TestRecordReports)
#include "tst_recordreports.moc"
