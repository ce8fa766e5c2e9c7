#include "Report.h"

#include "RenderedReport.h"
#include "ReportPreviewProvider.h"
#include "ReportPrinter.h"
#include "ReportRenderer.h"

#include <QPrinter>

ReportSubDetail::ReportSubDetail(Report* report, ReportDataSource* source)
    : m_report(report), m_source(source),
      m_band(std::make_unique<ReportBand>(report, BandKind::SubDetail, nullptr))
{
    m_band->setDataSource(source);
}

ReportBand* ReportSubDetail::header()
{
    if (!m_header) {
        m_header = std::make_unique<ReportBand>(m_report, BandKind::SubHeader, nullptr);
        m_header->setDataSource(m_source);
    }
    return m_header.get();
}

ReportBand* ReportSubDetail::continuation()
{
    // Without a source of its own it reads the record the rows belong to.
    if (!m_continuation)
        m_continuation = std::make_unique<ReportBand>(m_report, BandKind::SubHeader, nullptr);
    return m_continuation.get();
}

ReportBand* ReportSubDetail::footer()
{
    if (!m_footer) {
        m_footer = std::make_unique<ReportBand>(m_report, BandKind::SubFooter, nullptr);
        m_footer->setDataSource(m_source);
    }
    return m_footer.get();
}

Report::Report()
{
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPointSizeF(10);
}

Report::~Report() = default;

void Report::setMarginsMm(double left, double top, double right, double bottom)
{
    m_margins = QMarginsF(left, top, right, bottom);
}

QSizeF Report::pageSizeMm() const
{
    const QSizeF s = QPageSize(m_pageSize).size(QPageSize::Millimeter);
    return m_orientation == QPageLayout::Landscape ? s.transposed() : s;
}

namespace {
ReportBand* lazyBand(std::unique_ptr<ReportBand>& band, Report* report, BandKind kind)
{
    if (!band)
        band = std::make_unique<ReportBand>(report, kind, nullptr);
    return band.get();
}
}

ReportBand* Report::pageHeader() { return lazyBand(m_pageHeader, this, BandKind::PageHeader); }
ReportBand* Report::columnHeader() { return lazyBand(m_columnHeader, this, BandKind::ColumnHeader); }
ReportBand* Report::detail() { return lazyBand(m_detail, this, BandKind::Detail); }
ReportBand* Report::summary() { return lazyBand(m_summary, this, BandKind::Summary); }
ReportBand* Report::pageFooter() { return lazyBand(m_pageFooter, this, BandKind::PageFooter); }

ReportSubDetail& Report::addSubDetail(ReportDataSource* source)
{
    m_subDetails.push_back(std::make_unique<ReportSubDetail>(this, source));
    return *m_subDetails.back();
}

std::shared_ptr<QPrinter> Report::printer()
{
    if (!m_printer)
        m_printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return m_printer;
}

void Report::preview(bool modal)
{
    ReportPreviewProvider::current().showPreview(*this, modal);
}

void Report::print()
{
    std::shared_ptr<RenderedReport> rendered = render();
    ReportPrinter::print(*rendered, *printer());
}

std::shared_ptr<RenderedReport> Report::render()
{
    ReportRenderer renderer;
    return renderer.render(*this);
}
