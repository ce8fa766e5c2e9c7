#include "ReportFixture.h"

#include "RenderedReport.h"
#include "ReportRenderer.h"

#include <QDate>
#include <QImage>

LadderFixture::LadderFixture()
{
    inspections.linkTo(&ladders, QStringLiteral("ID"), QStringLiteral("LT_ID"));
}

void LadderFixture::addLadder(int id, const QString& kurzBez, double laenge, int anzahl)
{
    ladders.addRow({id, id * 10, kurzBez, laenge, anzahl});
}

void LadderFixture::addInspection(int ladderId, const QDate& date, const QString& pruefer)
{
    inspections.addRow({ladderId, date, pruefer});
}

std::unique_ptr<Report> simpleReport(LadderFixture& fixture, const QString& title)
{
    auto report = std::make_unique<Report>();
    report->setTitle(title);
    report->setDataSource(&fixture.ladders);
    ReportBand* header = report->pageHeader();
    header->setHeightMm(20);
    header->addLabel(QRectF(0, 0, 60, 6), QStringLiteral("Kopf"));
    header->addSystemField(QRectF(150, 0, 40, 6), SystemField::PageNumber, QStringLiteral("Seite : "));
    header->setFrame(ReportFrame::sides(false, true));
    ReportBand* detail = report->detail();
    detail->setHeightMm(10);
    detail->addField(QRectF(0, 0, 80, 6), QStringLiteral("KurzBez"));
    detail->addField(QRectF(90, 0, 30, 6), QStringLiteral("Laenge"), QStringLiteral("#0.00 m"));
    return report;
}

std::shared_ptr<RenderedReport> renderedPages(int pages, const QString& title)
{
    LadderFixture fixture;
    for (int i = 1; i <= pages; ++i)
        fixture.addLadder(i, QStringLiteral("Leiter %1").arg(i), 1.5 + i, i);
    std::unique_ptr<Report> report = simpleReport(fixture, title);
    report->detail()->setForceNewPage(true);
    QImage logo(40, 20, QImage::Format_ARGB32);
    logo.fill(QColor(20, 90, 160));
    report->pageHeader()->addImage(QRectF(70, 0, 20, 10), logo);
    report->detail()->addRect(QRectF(0, 7, 50, 2), Qt::black, QColor(192, 192, 192));
    ReportRenderer renderer;
    return renderer.render(*report);
}
