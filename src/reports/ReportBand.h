#pragma once
#include "ReportElements.h"

#include <QColor>
#include <functional>
#include <memory>
#include <vector>

class Report;

enum class BandKind { PageHeader, ColumnHeader, Detail, SubDetail, SubHeader, SubFooter, Summary, PageFooter, Child };

// One horizontal strip of a report: its elements, its chain of child bands and its switches.
// A band that is switched off (or refused by its before-print handler) is left out; its child
// bands print all the same.
class ReportBand {
public:
    using BeforePrint = std::function<void(ReportBand& band, bool& print)>;

    ReportBand(Report* report, BandKind kind, ReportBand* parent);
    ~ReportBand();
    ReportBand(const ReportBand&) = delete;
    ReportBand& operator=(const ReportBand&) = delete;

    BandKind kind() const { return m_kind; }
    Report* report() const { return m_report; }
    ReportBand* parent() const { return m_parent; }

    // The next band of the chain; a band has at most one child, which may have its own.
    ReportBand* addChild(double heightMm);
    ReportBand* child() const { return m_child.get(); }

    void setHeightMm(double mm) { m_heightMm = mm; }
    double heightMm() const { return m_heightMm; }
    void setEnabled(bool on) { m_enabled = on; }
    bool isEnabled() const { return m_enabled; }
    // Detail: start every record (after the first on a page) on a new page.
    void setForceNewPage(bool on) { m_forceNewPage = on; }
    bool forceNewPage() const { return m_forceNewPage; }
    // Keep this band and its chain of child bands on one page (when they fit on one page).
    void setKeepTogether(bool on) { m_keepTogether = on; }
    bool keepTogether() const { return m_keepTogether; }
    // Keep this band (with its chain) on the page of what follows it: a detail band with the
    // header and first row of its sub-details, a sub-detail header with its first row. It is
    // moved to the next page rather than left alone at the bottom.
    void setKeepWithNext(bool on) { m_keepWithNext = on; }
    bool keepWithNext() const { return m_keepWithNext; }
    // A sub-detail header printed again at the top of every page on which its rows continue
    // (after the sub-detail's continuation band).
    void setRepeatOnContinuation(bool on) { m_repeatOnContinuation = on; }
    bool repeatOnContinuation() const { return m_repeatOnContinuation; }
    // Printed at the bottom of the page (above the page footer).
    void setAlignToBottom(bool on) { m_alignToBottom = on; }
    bool alignToBottom() const { return m_alignToBottom; }
    void setFrame(const ReportFrame& frame) { m_frame = frame; }
    const ReportFrame& frame() const { return m_frame; }
    void setBackground(const QColor& color) { m_background = color; }
    const QColor& background() const { return m_background; }
    void setBeforePrint(BeforePrint handler) { m_beforePrint = std::move(handler); }
    const BeforePrint& beforePrint() const { return m_beforePrint; }

    // Where data-bound texts without their own source read from; set by the report for
    // detail and sub-detail bands, inherited by child bands.
    void setDataSource(ReportDataSource* source) { m_dataSource = source; }
    ReportDataSource* dataSource() const;

    // Elements; rectangles and points in millimetres relative to the band.
    ReportText& addLabel(const QRectF& rect, const QString& text);
    ReportText& addField(const QRectF& rect, const QString& fieldName, const QString& mask = QString(),
                         ReportDataSource* source = nullptr);
    ReportText& addSystemField(const QRectF& rect, SystemField field, const QString& prefix = QString());
    // Sum of fieldName over the rows printed so far by the band `over` (the detail by default).
    ReportText& addSum(const QRectF& rect, const QString& fieldName, ReportBand* over = nullptr,
                       const QString& mask = QString());
    ReportText& addComputed(const QRectF& rect, std::function<QString()> text);
    ReportShape& addLine(const QPointF& from, const QPointF& to, double widthMm = 0.25);
    ReportShape& addHLine(double y, double x1, double x2, double widthMm = 0.25);
    ReportShape& addVLine(double x, double y1, double y2, double widthMm = 0.25);
    ReportShape& addRect(const QRectF& rect, const QColor& pen = Qt::black, const QColor& brush = QColor(),
                         double widthMm = 0.25);
    ReportImage& addImage(const QRectF& rect, const QImage& image);

    const std::vector<std::unique_ptr<ReportElement>>& elements() const { return m_elements; }

private:
    ReportText& newText(const QRectF& rect);

    Report* m_report;
    BandKind m_kind;
    ReportBand* m_parent;
    std::unique_ptr<ReportBand> m_child;
    double m_heightMm = 0;
    bool m_enabled = true;
    bool m_forceNewPage = false;
    bool m_keepTogether = false;
    bool m_keepWithNext = false;
    bool m_repeatOnContinuation = false;
    bool m_alignToBottom = false;
    ReportFrame m_frame;
    QColor m_background;
    BeforePrint m_beforePrint;
    ReportDataSource* m_dataSource = nullptr;
    std::vector<std::unique_ptr<ReportElement>> m_elements;
};
