#include "ReportPreviewWidget.h"

#include "PagePainter.h"
#include "RenderedReport.h"
#include "ReportUnits.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

class ReportPreviewWidget::PageView : public QWidget {
public:
    explicit PageView(ReportPreviewWidget* owner) : QWidget(owner), m_owner(owner)
    {
        setObjectName(QStringLiteral("QRPreviewPage"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::white);
        if (RenderedReport* r = m_owner->report())
            PagePainter::paint(painter, *r, m_owner->pageNumber(), m_owner->pixelsPerUnit());
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        emit m_owner->mouseReleasedOnPage(event->button(), event->modifiers());
        QWidget::mouseReleaseEvent(event);
    }

private:
    ReportPreviewWidget* m_owner;
};

ReportPreviewWidget::ReportPreviewWidget(QWidget* parent) : QScrollArea(parent), m_view(new PageView(this))
{
    setObjectName(QStringLiteral("QRPreview"));
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignCenter);
    setWidget(m_view);
    setWidgetResizable(false);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    updateGeometryForZoom();
}

ReportPreviewWidget::~ReportPreviewWidget() = default;

void ReportPreviewWidget::setReport(std::shared_ptr<RenderedReport> report)
{
    m_report = std::move(report);
    m_page = 1;
    refresh();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

int ReportPreviewWidget::pageCount() const
{
    return m_report ? m_report->pageCount() : 0;
}

double ReportPreviewWidget::pixelsPerUnit() const
{
    return m_zoom / 100.0 * logicalDpiX() / ReportUnits::perInch;
}

QSizeF ReportPreviewWidget::pagePixelsAt100() const
{
    const QSize units = m_report ? m_report->pageSizeUnits() : QSize(2100, 2970);
    const double f = logicalDpiX() / ReportUnits::perInch;
    return QSizeF(units.width() * f, units.height() * f);
}

void ReportPreviewWidget::updateGeometryForZoom()
{
    const QSizeF s = pagePixelsAt100() * (m_zoom / 100.0);
    m_view->resize(qMax(1, int(std::ceil(s.width()))), qMax(1, int(std::ceil(s.height()))));
    m_view->update();
}

bool ReportPreviewWidget::setZoom(int percent)
{
    if (percent < minZoom || percent > maxZoom)
        return false;
    m_zoom = percent;
    updateGeometryForZoom();
    return true;
}

void ReportPreviewWidget::zoomToFit()
{
    const QSizeF page = pagePixelsAt100();
    const QSize area = maximumViewportSize();
    const double f = qMin(area.width() / page.width(), area.height() / page.height());
    setZoom(qBound(minZoom, int(std::floor(f * 100)) - 1, maxZoom));
}

void ReportPreviewWidget::zoomToWidth()
{
    const QSizeF page = pagePixelsAt100();
    const int width = maximumViewportSize().width() - verticalScrollBar()->sizeHint().width();
    setZoom(qBound(minZoom, int(std::floor(width / page.width() * 100)) - 1, maxZoom));
}

bool ReportPreviewWidget::setPageNumber(int page)
{
    if (page < 1 || page > pageCount())
        return false;
    if (page != m_page) {
        m_page = page;
        horizontalScrollBar()->setValue(0);
        verticalScrollBar()->setValue(0);
        m_view->update();
    }
    return true;
}

void ReportPreviewWidget::scrollBy(int dx, int dy)
{
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}

void ReportPreviewWidget::refresh()
{
    if (m_page > pageCount() && pageCount() > 0)
        m_page = pageCount();
    if (m_page < 1)
        m_page = 1;
    updateGeometryForZoom();
}
