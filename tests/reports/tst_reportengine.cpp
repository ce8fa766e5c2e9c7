#include "DisplayMask.h"
#include "Errors.h"
#include "RenderedReport.h"
#include "Report.h"
#include "ReportFixture.h"
#include "ReportRenderer.h"
#include "ReportUnits.h"
#include "TestSupport.h"

#include <QDate>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Texts of a page without the page furniture, in drawing order.
QStringList bodyTexts(const RenderedReport& r, int page)
{
    QStringList out;
    for (const QString& t : r.texts(page))
        if (t != QStringLiteral("Kopf") && !t.startsWith(QStringLiteral("Seite : ")))
            out << t;
    return out;
}

int topOf(const RenderedReport& r, int page, const QString& text)
{
    const QList<ReportItem> items = r.itemsWithText(page, text);
    return items.isEmpty() ? -1 : items.first().rect.top();
}

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT
private slots:
    void init() { resetDialogsForTest(); }

    void displayMasks_data();
    void displayMasks();
    void headerOnEveryPageAndNewPagePerRecord_data();
    void headerOnEveryPageAndNewPagePerRecord();
    void detailRowsFlowOverPages();
    void switchedOffChildBandDoesNotStopTheNext_data();
    void switchedOffChildBandDoesNotStopTheNext();
    void subDetailFollowsMasterWithHeaderAndFooter_data();
    void subDetailFollowsMasterWithHeaderAndFooter();
    void keepTogetherMovesTheChainToTheNextPage_data();
    void keepTogetherMovesTheChainToTheNextPage();
    void subDetailRowsContinueUnderTheirName_data();
    void subDetailRowsContinueUnderTheirName();
    void bottomAlignedBandSitsOnThePageBottom();
    void footerChainKeepsItsRoom();
    void bandTallerThanThePageStaysOnIt_data();
    void bandTallerThanThePageStaysOnIt();
    void summaryTotalsOnlyPrintedRows();
    void wrappedTextGrowsItsBand();
    void beforeTextChangesColourTextVisibilityAndPosition();
    void systemFieldsAndEmptyReport();
    void progressAndPageEvents();
    void errorInBeforePrintStopsTheReport();
};

void TestReportEngine::displayMasks_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("length") << QVariant(2.5) << "#0.00 m" << "2,50 m";
    QTest::newRow("length below one") << QVariant(0.456) << "#0.00 m" << "0,46 m";
    QTest::newRow("bis prefix") << QVariant(3) << " bis:  #0.00 m" << " bis:  3,00 m";
    QTest::newRow("negative") << QVariant(-1.25) << "#0.0" << "-1,3";
    QTest::newRow("thousands") << QVariant(1234567.891) << "#,##0.00" << "1.234.567,89";
    QTest::newRow("optional decimals") << QVariant(2.5) << "#0.##" << "2,5";
    QTest::newRow("integer plain") << QVariant(12345) << "" << "12345";
    QTest::newRow("null with mask") << QVariant(QMetaType(QMetaType::Double)) << "#0.00 m" << "";
    QTest::newRow("date") << QVariant(QDate(2004, 3, 1)) << "dd.mm.yy" << "01.03.04";
    QTest::newRow("date blank") << QVariant(QDate(2004, 3, 1)) << "  dd.mm.yy" << "  01.03.04";
    QTest::newRow("date long year") << QVariant(QDate(2004, 12, 31)) << "dd.mm.yyyy" << "31.12.2004";
    QTest::newRow("minutes after hours") << QVariant(QDateTime(QDate(2004, 3, 1), QTime(14, 5)))
                                         << "dd.mm.yy hh:mm" << "01.03.04 14:05";
    QTest::newRow("day name") << QVariant(QDate(2004, 3, 1)) << "dddd" << "Montag";
    QTest::newRow("text") << QVariant(QStringLiteral("Alu")) << "" << "Alu";
}

void TestReportEngine::displayMasks()
{
    QFETCH(QVariant, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(DisplayMask::format(value, mask), expected);
}

void TestReportEngine::headerOnEveryPageAndNewPagePerRecord_data()
{
    QTest::addColumn<bool>("newPage");
    QTest::addColumn<int>("pages");
    QTest::newRow("new page per ladder") << true << 3;
    QTest::newRow("ladders follow") << false << 1;
}

void TestReportEngine::headerOnEveryPageAndNewPagePerRecord()
{
    QFETCH(bool, newPage);
    QFETCH(int, pages);
    LadderFixture f;
    f.addLadder(1, "Anlegeleiter", 3, 1);
    f.addLadder(2, "Stehleiter", 2.5, 2);
    f.addLadder(3, "Mehrzweckleiter", 4.25, 3);
    auto report = simpleReport(f);
    report->detail()->setForceNewPage(newPage);
    auto r = report->render();

    QCOMPARE(r->pageCount(), pages);
    for (int p = 1; p <= pages; ++p) {
        QVERIFY(r->texts(p).contains("Kopf"));
        QVERIFY(r->texts(p).contains(QStringLiteral("Seite : %1").arg(p)));
    }
    if (newPage) {
        QCOMPARE(bodyTexts(*r, 1), QStringList({"Anlegeleiter", "3,00 m"}));
        QCOMPARE(bodyTexts(*r, 2), QStringList({"Stehleiter", "2,50 m"}));
        QCOMPARE(bodyTexts(*r, 3), QStringList({"Mehrzweckleiter", "4,25 m"}));
        // The first ladder of a page starts right under the header.
        QCOMPARE(topOf(*r, 2, "Stehleiter"), topOf(*r, 1, "Anlegeleiter"));
    } else {
        QCOMPARE(bodyTexts(*r, 1),
                 QStringList({"Anlegeleiter", "3,00 m", "Stehleiter", "2,50 m", "Mehrzweckleiter", "4,25 m"}));
    }
}

void TestReportEngine::detailRowsFlowOverPages()
{
    // Body: 297 - 2 * 10 margin - 20 header = 257 mm, so 25 rows of 10 mm per page.
    LadderFixture f;
    for (int i = 1; i <= 60; ++i)
        f.addLadder(i, QStringLiteral("L%1").arg(i), 1, 1);
    auto report = simpleReport(f);
    auto r = report->render();
    QCOMPARE(r->pageCount(), 3);
    QCOMPARE(r->pagesWithText("L25"), QList<int>{1});
    QCOMPARE(r->pagesWithText("L26"), QList<int>{2});
    QCOMPARE(r->pagesWithText("L60"), QList<int>{3});
    QCOMPARE(r->pagesWithText("Seite : 3"), QList<int>{3});
    int rows = 0;
    for (int p = 1; p <= 3; ++p)
        rows += bodyTexts(*r, p).size() / 2;
    QCOMPARE(rows, 60);
    // Nothing drawn below the bottom margin.
    for (const ReportItem& item : r->page(1).items)
        QVERIFY2(item.rect.bottom() <= 2870, qPrintable(item.text));
}

void TestReportEngine::switchedOffChildBandDoesNotStopTheNext_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("switched off") << 0;
    QTest::newRow("refused by before-band event") << 1;
}

void TestReportEngine::switchedOffChildBandDoesNotStopTheNext()
{
    QFETCH(int, how);
    LadderFixture f;
    f.addLadder(1, "Anlegeleiter", 3, 1);
    auto report = simpleReport(f);
    ReportBand* logo = report->pageHeader();
    ReportBand* second = logo->addChild(8);
    second->addLabel(QRectF(0, 0, 50, 5), "Zweiter Kopf");
    ReportBand* third = second->addChild(8);
    third->addLabel(QRectF(0, 0, 50, 5), "Dritter Kopf");
    if (how == 0)
        second->setEnabled(false);
    else
        second->setBeforePrint([](ReportBand&, bool& print) { print = false; });
    auto r = report->render();
    QVERIFY(!r->texts(1).contains("Zweiter Kopf"));
    QVERIFY(r->texts(1).contains("Dritter Kopf"));
    // The switched-off band takes no room: the third follows the first directly.
    QCOMPARE(topOf(*r, 1, "Dritter Kopf"), topOf(*r, 1, "Kopf") + 200);

    second->setEnabled(true);
    second->setBeforePrint(nullptr);
    r = report->render();
    QCOMPARE(topOf(*r, 1, "Zweiter Kopf"), topOf(*r, 1, "Kopf") + 200);
    QCOMPARE(topOf(*r, 1, "Dritter Kopf"), topOf(*r, 1, "Kopf") + 280);
}

void TestReportEngine::subDetailFollowsMasterWithHeaderAndFooter_data()
{
    QTest::addColumn<bool>("printIfEmpty");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("printed also when empty")
        << true
        << QStringList{"Anlegeleiter", "Datum",   "05.01.23", "Huber",   "10.02.24", "Maier", "Ende Liste",
                       "Stehleiter",   "Datum",   "Ende Liste", "Podest", "Datum",    "01.06.22", "Huber",
                       "Ende Liste"};
    QTest::newRow("left out when empty")
        << false
        << QStringList{"Anlegeleiter", "Datum",  "05.01.23", "Huber", "10.02.24", "Maier", "Ende Liste",
                       "Stehleiter",   "Podest", "Datum",    "01.06.22", "Huber", "Ende Liste"};
}

void TestReportEngine::subDetailFollowsMasterWithHeaderAndFooter()
{
    QFETCH(bool, printIfEmpty);
    QFETCH(QStringList, expected);
    LadderFixture f;
    f.addLadder(1, "Anlegeleiter", 3, 1);
    f.addLadder(2, "Stehleiter", 2, 1);
    f.addLadder(3, "Podest", 1, 1);
    f.addInspection(3, QDate(2022, 6, 1), "Huber");
    f.addInspection(1, QDate(2023, 1, 5), "Huber");
    f.addInspection(1, QDate(2024, 2, 10), "Maier");
    auto report = simpleReport(f);
    ReportSubDetail& list = report->addSubDetail(&f.inspections);
    list.setPrintIfEmpty(printIfEmpty);
    list.header()->setHeightMm(6);
    list.header()->addLabel(QRectF(0, 0, 30, 5), "Datum");
    list.band()->setHeightMm(6);
    list.band()->addField(QRectF(0, 0, 30, 5), "Datum", "dd.mm.yy");
    list.band()->addField(QRectF(40, 0, 30, 5), "Pruefer");
    list.footer()->setHeightMm(6);
    list.footer()->addLabel(QRectF(0, 0, 30, 5), "Ende Liste");
    auto r = report->render();
    QStringList texts = bodyTexts(*r, 1);
    texts.removeIf([](const QString& t) { return t.endsWith(" m"); });   // the lengths
    QCOMPARE(texts, expected);
}

void TestReportEngine::keepTogetherMovesTheChainToTheNextPage_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<int>("rowPage");
    QTest::newRow("kept together") << true << 2;
    QTest::newRow("split") << false << 1;
}

void TestReportEngine::keepTogetherMovesTheChainToTheNextPage()
{
    QFETCH(bool, keep);
    QFETCH(int, rowPage);
    // Body 297 - 20 - 25 = 252 mm; rows of 10 mm with a 5 mm child: after 16 rows 12 mm remain,
    // room for the 17th row but not for its child.
    LadderFixture f;
    for (int i = 1; i <= 17; ++i)
        f.addLadder(i, QStringLiteral("L%1").arg(i), 1, 1);
    auto report = simpleReport(f);
    report->pageHeader()->setHeightMm(25);
    ReportBand* under = report->detail()->addChild(5);
    under->addLabel(QRectF(0, 0, 20, 4), "unter");
    report->detail()->setKeepTogether(keep);
    auto r = report->render();
    QCOMPARE(r->pageCount(), 2);
    QCOMPARE(r->pagesWithText("L17"), QList<int>{rowPage});
    QCOMPARE(r->pagesWithText("L16"), QList<int>{1});
    // The child always lands on page 2; kept together, its row moves with it.
    QCOMPARE(r->itemsWithText(2, "unter").size(), 1);
}

void TestReportEngine::subDetailRowsContinueUnderTheirName_data()
{
    QTest::addColumn<double>("blockMm");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("page2Starts");
    // 30 mm are left below ladder "Vorher" for ladder "Lang": its block, a 6 mm heading and
    // 6 mm rows.
    QTest::newRow("all on one page") << 10.0 << 2 << QStringList();
    QTest::newRow("list continues under the ladder's name and heading")
        << 10.0 << 3 << QStringList{"Lang (Fortsetzung)", "Datum", "03.01.20"};
    QTest::newRow("block moves with heading and first row") << 24.0 << 1 << QStringList{"Lang", "Datum", "01.01.20"};
}

void TestReportEngine::subDetailRowsContinueUnderTheirName()
{
    QFETCH(double, blockMm);
    QFETCH(int, rows);
    QFETCH(QStringList, page2Starts);
    LadderFixture f;
    f.addLadder(1, "Vorher", 1, 1);
    f.addLadder(2, "Lang", 2, 1);
    for (int i = 1; i <= rows; ++i)
        f.addInspection(2, QDate(2020, 1, i), "Huber");
    auto report = simpleReport(f);
    // Body: 297 mm less the 20 mm page header and a 20 mm bottom margin.
    report->setMarginsMm(10, 0, 10, 20);
    ReportBand* block = report->detail();
    block->setBeforePrint([&f, blockMm](ReportBand& band, bool&) {
        band.setHeightMm(f.ladders.value("KurzBez").toString() == QStringLiteral("Vorher") ? 257 - 30 : blockMm);
    });
    block->setKeepWithNext(true);
    ReportSubDetail& list = report->addSubDetail(&f.inspections);
    list.setPrintIfEmpty(false);
    list.header()->setHeightMm(6);
    list.header()->addLabel(QRectF(0, 0, 30, 5), "Datum");
    list.header()->setKeepWithNext(true);
    list.header()->setRepeatOnContinuation(true);
    list.continuation()->setHeightMm(6);
    list.continuation()->addComputed(QRectF(0, 0, 60, 5), [&f] {
        return f.ladders.value("KurzBez").toString() + QStringLiteral(" (Fortsetzung)");
    });
    list.band()->setHeightMm(6);
    list.band()->addField(QRectF(0, 0, 30, 5), "Datum", "dd.mm.yy");
    auto r = report->render();
    const auto body = [&r](int page) {
        QStringList texts = bodyTexts(*r, page);
        texts.removeIf([](const QString& t) { return t.endsWith(" m"); });   // the lengths
        return texts;
    };
    if (page2Starts.isEmpty()) {
        QCOMPARE(r->pageCount(), 1);
        QVERIFY(!body(1).join(u' ').contains("Fortsetzung"));
        return;
    }
    QCOMPARE(r->pageCount(), 2);
    QCOMPARE(body(2).mid(0, page2Starts.size()), page2Starts);
    QVERIFY(body(1).last() != QStringLiteral("Datum"));   // never a heading alone at the bottom
}

void TestReportEngine::bottomAlignedBandSitsOnThePageBottom()
{
    LadderFixture f;
    f.addLadder(1, "Anlegeleiter", 3, 1);
    f.addLadder(2, "Stehleiter", 2, 1);
    auto report = simpleReport(f);
    report->pageFooter()->setHeightMm(10);
    report->pageFooter()->addLabel(QRectF(0, 0, 50, 5), "Fuss");
    ReportBand* signature = report->detail()->addChild(15);
    signature->setAlignToBottom(true);
    signature->addLabel(QRectF(0, 10, 80, 5), "Unterschrift");
    auto r = report->render();
    QCOMPARE(r->pageCount(), 2);
    // 297 - 10 margin - 10 footer = 277 mm; the band (15 mm) ends there, its label 5 mm above.
    QCOMPARE(topOf(*r, 1, "Unterschrift"), 2770 - 50);
    QCOMPARE(topOf(*r, 1, "Fuss"), 2770);
    // The band fills the page: the next ladder begins a new page.
    QCOMPARE(r->pagesWithText("Stehleiter"), QList<int>{2});
    QCOMPARE(topOf(*r, 2, "Unterschrift"), 2770 - 50);
}

void TestReportEngine::footerChainKeepsItsRoom()
{
    // A footer of three bands (8 + 6 + 6 mm) under 60 rows of 10 mm.
    LadderFixture f;
    for (int i = 1; i <= 60; ++i)
        f.addLadder(i, QStringLiteral("L%1").arg(i), 1, 1);
    auto report = simpleReport(f);
    report->pageFooter()->setHeightMm(8);
    report->pageFooter()->addLabel(QRectF(0, 0, 50, 5), "Fuss 1");
    ReportBand* second = report->pageFooter()->addChild(6);
    second->addLabel(QRectF(0, 0, 50, 5), "Fuss 2");
    second->addChild(6)->addLabel(QRectF(0, 0, 50, 5), "Fuss 3");
    auto r = report->render();
    QVERIFY(r->pageCount() >= 3);
    for (int p = 1; p <= r->pageCount(); ++p) {
        // The chain ends on the bottom margin (287 mm) and the body stays above its first band.
        QCOMPARE(topOf(*r, p, "Fuss 1"), 2870 - 200);
        QCOMPARE(topOf(*r, p, "Fuss 3"), 2870 - 60);
        for (const QString& t : bodyTexts(*r, p)) {
            if (t.startsWith("Fuss"))
                continue;
            for (const ReportItem& item : r->itemsWithText(p, t))
                QVERIFY2(item.rect.y() + item.rect.height() <= 2870 - 200, qPrintable(QString("page %1: %2").arg(p).arg(t)));
        }
    }
}

void TestReportEngine::bandTallerThanThePageStaysOnIt_data()
{
    QTest::addColumn<int>("what");
    QTest::addColumn<bool>("marked");
    QTest::newRow("wrapped text continues on the next pages") << 0 << false;
    QTest::newRow("stretching frame line is cut with its band") << 1 << false;
    QTest::newRow("image higher than a page is shrunk and marked") << 2 << true;
    QTest::newRow("bottom-aligned band higher than a page") << 3 << false;
}

void TestReportEngine::bandTallerThanThePageStaysOnIt()
{
    QFETCH(int, what);
    QFETCH(bool, marked);
    LadderFixture f;
    QStringList words;
    for (int i = 1; i <= 400; ++i)
        words << QStringLiteral("Wort%1").arg(i);
    f.addLadder(1, words.join(' '), 3, 1);
    f.addLadder(2, "Danach", 1, 1);
    auto report = std::make_unique<Report>();
    report->setDataSource(&f.ladders);
    report->pageHeader()->setHeightMm(20);
    report->pageHeader()->addLabel(QRectF(0, 0, 60, 6), "Kopf");
    report->pageFooter()->setHeightMm(10);
    report->pageFooter()->addLabel(QRectF(0, 0, 50, 5), "Fuss");
    ReportBand* detail = report->detail();
    detail->setHeightMm(10);
    detail->addField(QRectF(0, 0, 30, 5), "Nr");
    if (what == 0 || what == 3) {
        detail->addField(QRectF(100, 0, 30, 5), "KurzBez").setWordWrap();
        detail->setAlignToBottom(what == 3);
    } else if (what == 1) {
        detail->setHeightMm(400);
        detail->addVLine(5, 0, 400).setStretchWithBand();
        detail->addLabel(QRectF(10, 390, 30, 5), "unten");
    } else {
        QImage tall(10, 100, QImage::Format_ARGB32);
        tall.fill(Qt::blue);
        detail->setHeightMm(360);
        detail->addImage(QRectF(10, 8, 20, 350), tall);
    }
    auto r = report->render();
    QVERIFY(r->pageCount() >= 2);
    // Body: below the 20 mm header (from 30 mm) and above the footer (277 mm).
    QStringList printedWords;
    for (int p = 1; p <= r->pageCount(); ++p) {
        for (const ReportItem& item : r->page(p).items) {
            const int top = qMin(item.rect.top(), item.rect.y() + item.rect.height());
            const int bottom = qMax(item.rect.top(), item.rect.y() + item.rect.height());
            QVERIFY2(top >= 100 && bottom <= 2870,
                     qPrintable(QString("page %1: %2 %3..%4").arg(p).arg(item.text).arg(top).arg(bottom)));
            if (item.text != "Fuss" && item.text != "Kopf")
                QVERIFY2(top >= 300 && bottom <= 2770,
                         qPrintable(QString("page %1: %2 %3..%4").arg(p).arg(item.text).arg(top).arg(bottom)));
            if (item.text.startsWith("Wort"))
                printedWords << item.text.split(' ', Qt::SkipEmptyParts);
        }
        QVERIFY(r->texts(p).contains("Fuss"));
    }
    if (what == 0 || what == 3)
        QCOMPARE(printedWords, words);
    QCOMPARE(!r->pagesWithText("(gekürzt)").isEmpty(), marked);
    if (what == 1) {
        QCOMPARE(r->pagesWithText("unten").first(), 2);
        // The line runs on from the top of the body on the second page.
        bool continued = false;
        for (const ReportItem& item : r->page(2).items)
            continued |= item.type == ReportItem::Type::Line && item.rect.top() == 300 && item.rect.height() > 0;
        QVERIFY(continued);
    }
    // The next record follows the tall one.
    QVERIFY(!r->pagesWithText("20").isEmpty());
}

void TestReportEngine::summaryTotalsOnlyPrintedRows()
{
    LadderFixture f;
    f.addLadder(1, "A", 1, 3);
    f.addLadder(2, "B", 1, 4);
    f.addLadder(3, "C", 1, 5);
    f.addLadder(4, "D", 1, 0);
    auto report = simpleReport(f);
    report->detail()->setBeforePrint([&f](ReportBand&, bool& print) {
        print = f.ladders.value("KurzBez").toString() != "B";
    });
    report->summary()->setHeightMm(8);
    report->summary()->addSum(QRectF(0, 0, 50, 5), "Anzahl").setPrefix("Summe : ");
    report->summary()->addSum(QRectF(60, 0, 50, 5), "Laenge", nullptr, "#0.00 m");
    auto r = report->render();
    QVERIFY(r->texts(1).contains("Summe : 8"));
    QVERIFY(r->texts(1).contains("3,00 m"));
    QVERIFY(!r->texts(1).contains("B"));
}

void TestReportEngine::wrappedTextGrowsItsBand()
{
    LadderFixture f;
    f.addLadder(1, "Leiter mit einer sehr langen Beschreibung, die auf mehrere Zeilen umbrochen wird", 3, 1);
    f.addLadder(2, "Kurz", 1, 1);
    Report report;
    report.setDataSource(&f.ladders);
    ReportBand* detail = report.detail();
    detail->setHeightMm(8);
    detail->addField(QRectF(10, 1, 40, 5), "KurzBez").setWordWrap();
    detail->addVLine(5, 0, 8).setStretchWithBand();
    auto r = report.render();
    const QStringList texts = r->texts(1);
    QVERIFY2(texts.size() >= 4, qPrintable(texts.join('|')));
    QCOMPARE(texts.join(' ').simplified(),
             "Leiter mit einer sehr langen Beschreibung, die auf mehrere Zeilen umbrochen wird Kurz");
    int lastLineBottom = 0;
    for (int i = 0; i < texts.size() - 1; ++i)
        lastLineBottom = qMax(lastLineBottom, r->itemsWithText(1, texts[i]).first().rect.bottom());
    const int kurzTop = topOf(*r, 1, "Kurz");
    QVERIFY(kurzTop > lastLineBottom);
    // The stretching line of the first band reaches the second band.
    const ReportItem& line = r->page(1).items.at(texts.size() - 1);
    QCOMPARE(line.type, ReportItem::Type::Line);
    QCOMPARE(line.rect.top() + line.rect.height(), kurzTop - 10);
}

void TestReportEngine::beforeTextChangesColourTextVisibilityAndPosition()
{
    LadderFixture f;
    f.addLadder(1, "A", 1, 3);
    f.addLadder(2, "B", 1, 0);
    f.addLadder(3, "C", 1, 9);
    Report report;
    report.setDataSource(&f.ladders);
    report.detail()->setHeightMm(10);
    report.detail()->addField(QRectF(0, 0, 30, 5), "Anzahl").setBeforePrint([](TextPrint& t) {
        const int n = t.value.toInt();
        t.visible = n != 0;
        if (n > 5) {
            t.color = Qt::red;
            t.text = QStringLiteral("viele");
            t.rect.translate(20, 0);
            t.background = QColor(192, 192, 192);
        }
    });
    auto r = report.render();
    QCOMPARE(r->texts(1), QStringList({"3", "viele"}));
    const ReportItem plain = r->itemsWithText(1, "3").first();
    const ReportItem changed = r->itemsWithText(1, "viele").first();
    QCOMPARE(plain.color, QColor(Qt::black));
    QCOMPARE(changed.color, QColor(Qt::red));
    QCOMPARE(changed.rect.left(), plain.rect.left() + 200);
    // The background is drawn under the text, in the moved place.
    bool shaded = false;
    for (const ReportItem& item : r->page(1).items)
        shaded |= item.type == ReportItem::Type::Rect && item.brush == QColor(192, 192, 192)
                  && item.rect == changed.rect;
    QVERIFY(shaded);
}

void TestReportEngine::systemFieldsAndEmptyReport()
{
    MemoryDataSource empty({"Nr"});
    Report report;
    report.setTitle("Leiterübersicht");
    report.setDataSource(&empty);
    report.setPageSize(QPageSize::A4);
    report.setOrientation(QPageLayout::Landscape);
    report.pageHeader()->setHeightMm(10);
    report.pageHeader()->addSystemField(QRectF(0, 0, 60, 5), SystemField::ReportTitle);
    report.pageHeader()->addSystemField(QRectF(100, 0, 60, 5), SystemField::PrintDate, "Datum : ");
    report.detail()->setHeightMm(5);
    report.detail()->addField(QRectF(0, 0, 10, 5), "Nr");
    report.summary()->setHeightMm(5);
    report.summary()->addLabel(QRectF(0, 0, 30, 5), "Ende");
    ReportRenderer renderer;
    renderer.setPrintDateTime(QDateTime(QDate(2024, 2, 29), QTime(10, 0)));
    auto r = renderer.render(report);
    QCOMPARE(r->pageCount(), 1);
    QCOMPARE(r->texts(1), QStringList({"Leiterübersicht", "Datum : 29.02.24", "Ende"}));
    QCOMPARE(r->pageSizeUnits(), QSize(2970, 2100));
    QVERIFY(r->isComplete());
}

void TestReportEngine::progressAndPageEvents()
{
    LadderFixture f;
    for (int i = 1; i <= 200; ++i)
        f.addLadder(i, QStringLiteral("L%1").arg(i), 1, 1);
    auto report = simpleReport(f);
    RenderedReport target;
    ReportRenderer renderer;
    QList<int> percents, pages;
    QList<bool> completeAtPage;
    connect(&renderer, &ReportRenderer::progress, this, [&](int p) { percents << p; });
    connect(&renderer, &ReportRenderer::pageAvailable, this, [&](int p) {
        pages << p;
        completeAtPage << target.isComplete();
        QCOMPARE(target.pageCount(), p);   // the page is there when it is announced
    });
    renderer.render(*report, target);
    QCOMPARE(target.pageCount(), 8);
    QCOMPARE(pages, QList<int>({1, 2, 3, 4, 5, 6, 7, 8}));
    QCOMPARE(completeAtPage, QList<bool>({false, false, false, false, false, false, false, true}));
    QCOMPARE(percents.first(), 0);
    QCOMPARE(percents.last(), 100);
    QVERIFY(percents.size() > 50);
    for (int i = 1; i < percents.size(); ++i)
        QVERIFY(percents[i] > percents[i - 1]);
}

void TestReportEngine::errorInBeforePrintStopsTheReport()
{
    LadderFixture f;
    f.addLadder(1, "A", 1, 1);
    auto report = simpleReport(f);
    report->setBeforePrint([] { throw HwError("Tabelle LT_LEIT nicht gefunden"); });
    RenderedReport target;
    ReportRenderer renderer;
    QSignalSpy pages(&renderer, &ReportRenderer::pageAvailable);
    try {
        renderer.render(*report, target);
        QFAIL("no error");
    } catch (const HwError& e) {
        QCOMPARE(e.message(), QStringLiteral("Tabelle LT_LEIT nicht gefunden"));
    }
    QCOMPARE(target.pageCount(), 0);
    QCOMPARE(pages.count(), 0);
}

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"
