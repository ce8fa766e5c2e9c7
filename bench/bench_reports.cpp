// Rendering a 1,000-page report of dense bands and writing it as PDF, against painting the
// already rendered pages into a PDF again (the floor: the painting and the PDF writer alone).
#include "RenderedReport.h"
#include "Report.h"
#include "ReportDataSource.h"
#include "ReportFile.h"
#include "ReportPrinter.h"
#include "ReportRenderer.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int targetPages = 1000;

struct Columns {
    const char* field;
    double x, w;
    const char* mask;
};

const Columns columns[] = {
    {"Nr", 0, 12, ""},          {"KurzBez", 13, 40, ""},          {"Firma", 54, 30, ""},
    {"Art", 85, 20, ""},        {"Laenge", 106, 16, "#0.00 m"},   {"Gewicht", 123, 16, "#0.00 kg"},
    {"Ausgabe", 140, 14, "dd.mm.yy"}, {"Termin", 155, 14, "dd.mm.yy"}, {"Schrott", 170, 8, ""},
    {"Pruefer", 179, 11, ""},
};

// Like the inspection overview: logo, headers with lines, one framed row per record with
// shaded cells and a before-text event.
std::unique_ptr<Report> denseReport(MemoryDataSource& rows, const QImage& logo)
{
    auto report = std::make_unique<Report>();
    report->setTitle(QStringLiteral("Prüfungs-Übersicht"));
    report->setDataSource(&rows);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8);
    report->setFont(font);

    ReportBand* logoBand = report->pageHeader();
    logoBand->setHeightMm(12);
    logoBand->addImage(QRectF(0, 0, 30, 10), logo);
    ReportBand* head = logoBand->addChild(14);
    head->setFrame(ReportFrame::sides(true, true));
    head->addLabel(QRectF(0, 1, 60, 4), QStringLiteral("Sortiert nach Leiter-Nr"));
    head->addLabel(QRectF(0, 5, 60, 4), QStringLiteral("Leiter-Nr : 1 bis 99999"));
    head->addSystemField(QRectF(70, 2, 50, 7), SystemField::ReportTitle).setFontSize(14).setBold();
    head->addSystemField(QRectF(150, 1, 40, 4), SystemField::PrintDate, QStringLiteral("Datum : "));
    head->addSystemField(QRectF(150, 5, 40, 4), SystemField::PageNumber, QStringLiteral("Seite   : "));

    ReportBand* columnHeader = report->columnHeader();
    columnHeader->setHeightMm(6);
    columnHeader->setFrame(ReportFrame::sides(true, true, false, false, 0.5));
    for (const Columns& c : columns) {
        columnHeader->addLabel(QRectF(c.x, 1, c.w, 4), QString::fromLatin1(c.field)).setBold();
        columnHeader->addVLine(c.x + c.w + 0.5, 0, 6);
    }

    ReportBand* detail = report->detail();
    detail->setHeightMm(5);
    detail->setFrame(ReportFrame::sides(false, true));
    for (const Columns& c : columns) {
        ReportText& t = detail->addField(QRectF(c.x, 0.5, c.w, 4), QString::fromLatin1(c.field),
                                         QString::fromLatin1(c.mask));
        if (QByteArray(c.field) == "Schrott")
            t.setAlignment(Qt::AlignCenter).setBeforePrint([](TextPrint& p) {
                p.background = p.value.toBool() ? QColor(192, 192, 192) : QColor(Qt::white);
                p.text = p.value.toBool() ? QStringLiteral("Ja") : QString();
            });
        detail->addVLine(c.x + c.w + 0.5, 0, 5).setStretchWithBand();
    }
    report->summary()->setHeightMm(8);
    report->summary()->addSum(QRectF(0, 1, 60, 5), QStringLiteral("Gewicht"), nullptr, QStringLiteral("#,##0.00 kg"))
        .setPrefix(QStringLiteral("Summe : "));
    return report;
}

void fillRows(MemoryDataSource& rows, int count)
{
    rows.setFields({"Nr", "KurzBez", "Firma", "Art", "Laenge", "Gewicht", "Ausgabe", "Termin", "Schrott", "Pruefer"});
    const QDate base(2015, 1, 1);
    for (int i = 0; i < count; ++i)
        rows.addRow({i + 1, QStringLiteral("Stehleiter %1 Stufen").arg(3 + i % 9),
                     QStringLiteral("Werk %1").arg(1 + i % 7), QStringLiteral("Alu"), 1.5 + (i % 20) * 0.25,
                     4.0 + (i % 13) * 0.5, base.addDays(i % 2000), base.addDays(365 + i % 2000), i % 17 == 0,
                     QStringLiteral("Huber")});
}

double seconds(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e9; }

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    QImage logo(200, 60, QImage::Format_ARGB32);
    logo.fill(QColor(30, 80, 150));

    // Rows per page from a short trial, then enough rows for the target page count.
    MemoryDataSource trial;
    fillRows(trial, 500);
    const int trialPages = denseReport(trial, logo)->render()->pageCount();
    const int rowsPerPage = 500 / qMax(1, trialPages - 1);
    MemoryDataSource rows;
    fillRows(rows, rowsPerPage * targetPages);
    auto report = denseReport(rows, logo);

    double renderS = 1e18, fullS = 1e18, floorS = 1e18;
    int pages = 0;
    qint64 pdfBytes = 0, qrpBytes = 0;
    std::shared_ptr<RenderedReport> rendered;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        rendered = report->render();
        renderS = std::min(renderS, seconds(t));

        // The whole job: render, then write the PDF.
        t.restart();
        auto job = report->render();
        ReportPrinter::writePdf(*job, dir.filePath("full.pdf"));
        fullS = std::min(fullS, seconds(t));

        // The floor: the rendered pages painted again.
        t.restart();
        ReportPrinter::writePdf(*rendered, dir.filePath("floor.pdf"));
        floorS = std::min(floorS, seconds(t));
        pages = rendered->pageCount();
    }
    pdfBytes = QFileInfo(dir.filePath("full.pdf")).size();
    QElapsedTimer t;
    t.start();
    ReportFile::save(*rendered, dir.filePath("report.QRP"));
    const double saveS = seconds(t);
    qrpBytes = QFileInfo(dir.filePath("report.QRP")).size();
    t.restart();
    RenderedReport loaded;
    ReportFile::load(dir.filePath("report.QRP"), loaded);
    const double loadS = seconds(t);
    benchmark::DoNotOptimize(loaded.pageCount());

    printf("report: %d pages, %d rows (%d per page), best of 3 runs\n", pages, rows.rowCount(), rowsPerPage);
    printf("layout only (rendered pages):      %8.2f s  %8.0f pages/s\n", renderS, pages / renderS);
    printf("render + write PDF:                %8.2f s  %8.0f pages/s  (PDF %.1f MB)\n", fullS, pages / fullS,
           pdfBytes / 1e6);
    printf("floor: paint rendered pages to PDF %8.2f s  %8.0f pages/s\n", floorS, pages / floorS);
    printf("ratio render+PDF / floor:          %8.2f\n", fullS / floorS);
    printf("save .QRP: %.2f s (%.1f MB), load .QRP: %.2f s\n", saveS, qrpBytes / 1e6, loadS);
    return pages >= targetPages ? 0 : 1;
}
