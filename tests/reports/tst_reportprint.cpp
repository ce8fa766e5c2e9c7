#include "Errors.h"
#include "RenderedReport.h"
#include "ReportFixture.h"
#include "ReportPrinter.h"
#include "TestSupport.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

int pdfPageCount(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    if (!pdf.startsWith("%PDF-"))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(pdf).count(page));
}

} // namespace

class TestReportPrint : public QObject {
    Q_OBJECT
private slots:
    void init() { resetDialogsForTest(); }

    void printerWritesEveryPage_data();
    void printerWritesEveryPage();
    void printerPageRangeIsHonoured();
    void pdfFileHasEveryPage();
    void unwritablePdfIsRefused();
    void failedPrintLeavesThePrinterUsable_data();
    void failedPrintLeavesThePrinterUsable();

private:
    QTemporaryDir m_dir;
};

void TestReportPrint::printerWritesEveryPage_data()
{
    QTest::addColumn<int>("pages");
    QTest::newRow("one page") << 1;
    QTest::newRow("five pages") << 5;
}

void TestReportPrint::printerWritesEveryPage()
{
    QFETCH(int, pages);
    auto report = renderedPages(pages);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = m_dir.filePath(QStringLiteral("druck%1.pdf").arg(pages));
    printer.setOutputFileName(file);
    ReportPrinter::print(*report, printer);
    QCOMPARE(pdfPageCount(file), pages);
}

void TestReportPrint::printerPageRangeIsHonoured()
{
    auto report = renderedPages(5);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = m_dir.filePath("bereich.pdf");
    printer.setOutputFileName(file);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    ReportPrinter::print(*report, printer);
    QCOMPARE(pdfPageCount(file), 2);
}

void TestReportPrint::pdfFileHasEveryPage()
{
    auto report = renderedPages(4);
    const QString file = m_dir.filePath("bericht.pdf");
    ReportPrinter::writePdf(*report, file);
    QCOMPARE(pdfPageCount(file), 4);
}

void TestReportPrint::unwritablePdfIsRefused()
{
    auto report = renderedPages(1);
    const QString file = m_dir.filePath("fehlt/bericht.pdf");
    try {
        ReportPrinter::writePdf(*report, file);
        QFAIL("no error");
    } catch (const HwError& e) {
        QVERIFY2(e.message().contains("kann nicht geschrieben werden"), qPrintable(e.message()));
    }
}

void TestReportPrint::failedPrintLeavesThePrinterUsable_data()
{
    QTest::addColumn<QString>("firstFile");
    QTest::addColumn<bool>("leftActive");
    QTest::addColumn<QString>("message");
    QTest::newRow("no printer, no file") << QString() << false << "nicht bereit";
    QTest::newRow("file in a missing folder") << "fehlt/bericht.pdf" << false << "kann nicht geschrieben werden";
    QTest::newRow("left active by a run that did not begin") << QString() << true << "nicht bereit";
}

// The first print fails; the printer takes a file afterwards and the next print writes it.
void TestReportPrint::failedPrintLeavesThePrinterUsable()
{
    QFETCH(QString, firstFile);
    QFETCH(bool, leftActive);
    QFETCH(QString, message);
    auto report = renderedPages(3);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(firstFile.isEmpty() ? QString() : m_dir.filePath(firstFile));
    printer.setOutputFormat(QPrinter::PdfFormat);   // an empty name asks for the native printer
    printer.setCopyCount(2);
    if (leftActive) {
        QPainter painter;
        QVERIFY(!painter.begin(&printer));
        QCOMPARE(printer.printerState(), QPrinter::Active);
    }
    try {
        ReportPrinter::print(*report, printer);
        QFAIL("no error");
    } catch (const HwError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QVERIFY(printer.printerState() != QPrinter::Active);
    QCOMPARE(printer.copyCount(), 2);   // the settings are kept

    const QString file = m_dir.filePath(QString(QTest::currentDataTag()).replace(' ', '_').remove(',') + ".pdf");
    printer.setOutputFileName(file);
    QCOMPARE(printer.outputFileName(), file);
    ReportPrinter::print(*report, printer);
    QCOMPARE(pdfPageCount(file), 3);
}

QTEST_MAIN(TestReportPrint)
#include "tst_reportprint.moc"
