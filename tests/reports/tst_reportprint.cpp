#include "Errors.h"
#include "RenderedReport.h"
#include "ReportFixture.h"
#include "ReportPrinter.h"
#include "TestSupport.h"

#include <QFile>
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

QTEST_MAIN(TestReportPrint)
#include "tst_reportprint.moc"
