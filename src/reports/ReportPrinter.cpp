#include "ReportPrinter.h"

#include "Errors.h"
#include "PagePainter.h"
#include "RenderedReport.h"
#include "ReportUnits.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace {

void paintPages(const RenderedReport& report, QPagedPaintDevice& device, QPainter& painter, int from, int to)
{
    const double pixelsPerUnit = device.logicalDpiX() / ReportUnits::perInch;
    for (int p = from; p <= to; ++p) {
        if (p > from)
            device.newPage();
        PagePainter::paint(painter, report, p, pixelsPerUnit);
    }
}

// A run whose painter did not begin can leave Qt's print engine marked active (a PDF printer
// without a file does so); the printer then refuses every later setting, the file of "In
// PDF-Datei drucken" included, until the program ends. Ending that engine is unsafe, as it
// never began; new engines with the same settings are idle. Qt makes them when the output
// format (or the PDF version) changes.
void releasePrinter(QPrinter& printer)
{
    if (printer.printerState() != QPrinter::Active)
        return;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QPrinter::PdfVersion version = printer.pdfVersion();
        printer.setPdfVersion(version == QPrinter::PdfVersion_1_4 ? QPrinter::PdfVersion_1_6 : QPrinter::PdfVersion_1_4);
        printer.setPdfVersion(version);
    } else {
        const QString name = printer.printerName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
    }
}

const QString& notReady()
{
    static const QString text = QStringLiteral("Der Report kann nicht gedruckt werden: der Drucker ist nicht bereit.");
    return text;
}

} // namespace

namespace ReportPrinter {

void print(const RenderedReport& report, QPrinter& printer)
{
    releasePrinter(printer);
    if (report.pageCount() == 0)
        return;
    // No printer installed and no file chosen: nothing could take the pages.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
        throw HwError(notReady() + QStringLiteral(" Unter \u201EDruckerwahl ...\u201C einen Drucker oder "
                                                  "\u201EIn PDF-Datei drucken\u201C wählen."));
    printer.setFullPage(true);
    printer.setPageSize(report.pageSize());
    printer.setPageOrientation(report.orientation());
    if (printer.docName().isEmpty())
        printer.setDocName(report.title());
    int from = 1, to = report.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = qMax(1, printer.fromPage());
        to = qMin(report.pageCount(), printer.toPage() > 0 ? printer.toPage() : to);
        if (from > to)
            return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        releasePrinter(printer);
        if (!printer.outputFileName().isEmpty())
            throw HwError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden.").arg(printer.outputFileName()));
        throw HwError(notReady());
    }
    try {
        paintPages(report, printer, painter, from, to);
    } catch (...) {
        painter.end();
        releasePrinter(printer);
        throw;
    }
    const bool ended = painter.end();
    releasePrinter(printer);
    if (!ended)
        throw HwError(QStringLiteral("Der Druck des Reports ist fehlgeschlagen."));
}

void writePdf(const RenderedReport& report, const QString& fileName)
{
    QPdfWriter writer(fileName);
    writer.setPageSize(report.pageSize());
    writer.setPageOrientation(report.orientation());
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(report.title());
    writer.setCreator(QStringLiteral("Holmwacht"));
    QPainter painter;
    if (!painter.begin(&writer))
        throw HwError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden.").arg(fileName));
    paintPages(report, writer, painter, 1, qMax(1, report.pageCount()));
    if (!painter.end())
        throw HwError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden.").arg(fileName));
}

} // namespace ReportPrinter
