#pragma once
#include <QColor>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// One drawing instruction of a rendered page. Geometry in tenths of a millimetre from the
// paper's top left corner. A line runs from rect.topLeft() to (x + width, y + height).
struct ReportItem {
    enum class Type : quint8 { Text = 1, Line = 2, Rect = 3, Image = 4, Barcode = 5 };
    enum Style : quint8 { Bold = 1, Italic = 2, Underline = 4 };

    Type type = Type::Text;
    QRect rect;
    // text
    QString text;
    QString fontFamily;
    double pointSize = 10;
    quint8 style = 0;
    int alignment = 0;
    // text colour, or the pen of a line or rectangle
    QColor color = Qt::black;
    int penWidth = 0;         // units; 0 draws no outline
    QColor brush;             // rectangle fill; invalid: none
    int imageIndex = -1;      // into RenderedReport::images()
    // Barcode: the dark modules as rectangles in micrometres from rect's top left corner, kept
    // as vectors so the code stays sharp at any resolution; text holds the encoded value.
    QList<QRect> bars;

    bool operator==(const ReportItem& o) const;
    bool operator!=(const ReportItem& o) const { return !(*this == o); }
};

struct RenderedPage {
    QList<ReportItem> items;
    bool operator==(const RenderedPage& o) const { return items == o.items; }
};

// A report as pages of simple items: what the preview shows, the printer prints and a .QRP
// file holds. Grows page by page while the engine renders it.
class RenderedReport {
public:
    void setTitle(const QString& title) { m_title = title; }
    const QString& title() const { return m_title; }
    void setPage(QPageSize::PageSizeId id, QPageLayout::Orientation orientation);
    // A paper of its own size (a label), upright as given.
    void setCustomPage(const QSizeF& mm);
    // The paper for printer and PDF.
    QPageSize pageSize() const;
    QPageSize::PageSizeId pageSizeId() const { return m_pageSizeId; }
    QPageLayout::Orientation orientation() const { return m_orientation; }
    QSize pageSizeUnits() const { return m_pageSizeUnits; }
    QString paperSizeName() const;

    int pageCount() const { return int(m_pages.size()); }
    const RenderedPage& page(int number) const { return m_pages.at(number - 1); }   // 1-based
    const QList<RenderedPage>& pages() const { return m_pages; }
    void appendPage(RenderedPage page) { m_pages.append(std::move(page)); }

    // Images are kept once and referred to by index (the logo on every page).
    int addImage(const QImage& image);
    const QList<QImage>& images() const { return m_images; }

    bool isComplete() const { return m_complete; }
    void setComplete(bool on) { m_complete = on; }

    // Inspection: the texts of a page in drawing order; pages (1-based) holding a text.
    QStringList texts(int pageNumber) const;
    QList<int> pagesWithText(const QString& text) const;
    QList<ReportItem> itemsWithText(int pageNumber, const QString& text) const;
    QList<ReportItem> barcodes(int pageNumber) const;

    bool operator==(const RenderedReport& o) const;

    // Internal for the file reader: replace everything at once.
    void assign(QString title, QPageSize::PageSizeId id, QPageLayout::Orientation orientation, QSize sizeUnits,
                QList<QImage> images, QList<RenderedPage> pages);

private:
    QString m_title;
    QPageSize::PageSizeId m_pageSizeId = QPageSize::A4;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    QSize m_pageSizeUnits{2100, 2970};
    QList<QImage> m_images;
    QList<RenderedPage> m_pages;
    bool m_complete = false;
};
