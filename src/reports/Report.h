#pragma once
#include "ReportBand.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QPrinter;
class QWidget;
class RenderedReport;
class ReportDataSource;

// Rows of a second data source printed under every detail record, between its own header and
// footer; header and footer print also when there is no row, unless printIfEmpty is off.
class ReportSubDetail {
public:
    ReportSubDetail(Report* report, ReportDataSource* source);
    ReportDataSource* dataSource() const { return m_source; }
    ReportBand* header();
    ReportBand* band() { return m_band.get(); }
    ReportBand* footer();
    // Printed only at the top of a page on which the rows continue from the page before, above
    // the header bands marked repeatOnContinuation: says whose rows these are.
    ReportBand* continuation();
    ReportBand* headerIfAny() const { return m_header.get(); }
    ReportBand* footerIfAny() const { return m_footer.get(); }
    ReportBand* continuationIfAny() const { return m_continuation.get(); }
    void setPrintIfEmpty(bool on) { m_printIfEmpty = on; }
    bool printIfEmpty() const { return m_printIfEmpty; }
    void setEnabled(bool on) { m_enabled = on; }
    bool isEnabled() const { return m_enabled; }
private:
    Report* m_report;
    ReportDataSource* m_source;
    std::unique_ptr<ReportBand> m_header, m_band, m_footer, m_continuation;
    bool m_printIfEmpty = true;
    bool m_enabled = true;
};

// A report layout written in C++: page set-up, bands and the data they read.
// Bands are created on first access; a band never asked for does not exist.
class Report {
public:
    Report();
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    void setTitle(const QString& title) { m_title = title; }
    const QString& title() const { return m_title; }

    void setPageSize(QPageSize::PageSizeId id) { m_pageSize = id; }
    QPageSize::PageSizeId pageSize() const { return m_pageSize; }
    void setOrientation(QPageLayout::Orientation o) { m_orientation = o; }
    QPageLayout::Orientation orientation() const { return m_orientation; }
    void setMarginsMm(double left, double top, double right, double bottom);
    const QMarginsF& marginsMm() const { return m_margins; }
    QSizeF pageSizeMm() const;   // oriented

    // Font of every text created afterwards.
    void setFont(const QFont& font) { m_font = font; }
    const QFont& font() const { return m_font; }

    // Rows of the detail band; without a source the detail band does not print.
    void setDataSource(ReportDataSource* source) { m_dataSource = source; }
    ReportDataSource* dataSource() const { return m_dataSource; }

    ReportBand* pageHeader();
    ReportBand* columnHeader();
    ReportBand* detail();
    ReportBand* summary();
    ReportBand* pageFooter();
    ReportSubDetail& addSubDetail(ReportDataSource* source);

    ReportBand* pageHeaderIfAny() const { return m_pageHeader.get(); }
    ReportBand* columnHeaderIfAny() const { return m_columnHeader.get(); }
    ReportBand* detailIfAny() const { return m_detail.get(); }
    ReportBand* summaryIfAny() const { return m_summary.get(); }
    ReportBand* pageFooterIfAny() const { return m_pageFooter.get(); }
    const std::vector<std::unique_ptr<ReportSubDetail>>& subDetails() const { return m_subDetails; }

    // Run when rendering begins (open the queries); a thrown HwError stops the report.
    void setBeforePrint(std::function<void()> handler) { m_beforePrint = std::move(handler); }
    const std::function<void()>& beforePrint() const { return m_beforePrint; }
    void setAfterPrint(std::function<void()> handler) { m_afterPrint = std::move(handler); }
    const std::function<void()>& afterPrint() const { return m_afterPrint; }

    // The printer this report goes to; the system's default until another is handed over.
    std::shared_ptr<QPrinter> printer();
    void setPrinter(std::shared_ptr<QPrinter> printer) { m_printer = std::move(printer); }

    // Shows the report in the registered preview window (see ReportPreviewProvider).
    void preview(bool modal = true);
    // Renders and prints on printer() without asking.
    void print();
    std::shared_ptr<RenderedReport> render();

private:
    QString m_title;
    QPageSize::PageSizeId m_pageSize = QPageSize::A4;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    QMarginsF m_margins{10, 10, 10, 10};
    QFont m_font;
    ReportDataSource* m_dataSource = nullptr;
    std::unique_ptr<ReportBand> m_pageHeader, m_columnHeader, m_detail, m_summary, m_pageFooter;
    std::vector<std::unique_ptr<ReportSubDetail>> m_subDetails;
    std::function<void()> m_beforePrint, m_afterPrint;
    std::shared_ptr<QPrinter> m_printer;
};
