#pragma once
#include <QScrollArea>
#include <memory>

class RenderedReport;

// The page view of the preview window: one page at a zoom in percent, scrollable.
class ReportPreviewWidget : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int minZoom = 2;
    static constexpr int maxZoom = 2000;

    explicit ReportPreviewWidget(QWidget* parent = nullptr);
    ~ReportPreviewWidget() override;

    void setReport(std::shared_ptr<RenderedReport> report);
    RenderedReport* report() const { return m_report.get(); }

    int zoom() const { return m_zoom; }
    // Values outside 2..2000 are ignored; false then.
    bool setZoom(int percent);
    void zoomToFit();
    void zoomToWidth();

    int pageNumber() const { return m_page; }
    int pageCount() const;
    // A number outside 1..pageCount is ignored; a new page is shown from its top left corner.
    bool setPageNumber(int page);
    void scrollBy(int dx, int dy);
    // Pages were added or replaced.
    void refresh();

    double pixelsPerUnit() const;

signals:
    void mouseReleasedOnPage(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

private:
    class PageView;
    void updateGeometryForZoom();
    QSizeF pagePixelsAt100() const;

    std::shared_ptr<RenderedReport> m_report;
    PageView* m_view;
    int m_zoom = 100;
    int m_page = 1;
};
