#include "RenderedReport.h"

#include "ReportUnits.h"

bool ReportItem::operator==(const ReportItem& o) const
{
    return type == o.type && rect == o.rect && text == o.text && fontFamily == o.fontFamily
           && pointSize == o.pointSize && style == o.style && alignment == o.alignment && color == o.color
           && penWidth == o.penWidth && brush == o.brush && imageIndex == o.imageIndex && bars == o.bars;
}

void RenderedReport::setPage(QPageSize::PageSizeId id, QPageLayout::Orientation orientation)
{
    m_pageSizeId = id;
    m_orientation = orientation;
    QSizeF mm = QPageSize(id).size(QPageSize::Millimeter);
    if (orientation == QPageLayout::Landscape)
        mm.transpose();
    m_pageSizeUnits = QSize(ReportUnits::fromMm(mm.width()), ReportUnits::fromMm(mm.height()));
}

void RenderedReport::setCustomPage(const QSizeF& mm)
{
    m_pageSizeId = QPageSize::Custom;
    m_orientation = QPageLayout::Portrait;
    m_pageSizeUnits = QSize(ReportUnits::fromMm(mm.width()), ReportUnits::fromMm(mm.height()));
}

QPageSize RenderedReport::pageSize() const
{
    if (m_pageSizeId != QPageSize::Custom)
        return QPageSize(m_pageSizeId);
    return QPageSize(QSizeF(ReportUnits::toMm(m_pageSizeUnits.width()), ReportUnits::toMm(m_pageSizeUnits.height())),
                     QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

QString RenderedReport::paperSizeName() const
{
    if (m_pageSizeId == QPageSize::Custom)
        return QStringLiteral("%1 x %2 mm")
            .arg(ReportUnits::toMm(m_pageSizeUnits.width()))
            .arg(ReportUnits::toMm(m_pageSizeUnits.height()));
    return QPageSize(m_pageSizeId).name();
}

int RenderedReport::addImage(const QImage& image)
{
    const QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < m_images.size(); ++i)
        if (m_images[i].cacheKey() == image.cacheKey() || m_images[i] == converted)
            return i;
    m_images.append(converted);
    return int(m_images.size()) - 1;
}

QStringList RenderedReport::texts(int pageNumber) const
{
    QStringList out;
    if (pageNumber < 1 || pageNumber > pageCount())
        return out;
    for (const ReportItem& item : page(pageNumber).items)
        if (item.type == ReportItem::Type::Text)
            out << item.text;
    return out;
}

QList<int> RenderedReport::pagesWithText(const QString& text) const
{
    QList<int> out;
    for (int p = 1; p <= pageCount(); ++p)
        if (texts(p).contains(text))
            out << p;
    return out;
}

QList<ReportItem> RenderedReport::itemsWithText(int pageNumber, const QString& text) const
{
    QList<ReportItem> out;
    if (pageNumber < 1 || pageNumber > pageCount())
        return out;
    for (const ReportItem& item : page(pageNumber).items)
        if (item.type == ReportItem::Type::Text && item.text == text)
            out << item;
    return out;
}

QList<ReportItem> RenderedReport::barcodes(int pageNumber) const
{
    QList<ReportItem> out;
    if (pageNumber < 1 || pageNumber > pageCount())
        return out;
    for (const ReportItem& item : page(pageNumber).items)
        if (item.type == ReportItem::Type::Barcode)
            out << item;
    return out;
}

bool RenderedReport::operator==(const RenderedReport& o) const
{
    return m_title == o.m_title && m_pageSizeId == o.m_pageSizeId && m_orientation == o.m_orientation
           && m_pageSizeUnits == o.m_pageSizeUnits && m_images == o.m_images && m_pages == o.m_pages;
}

void RenderedReport::assign(QString title, QPageSize::PageSizeId id, QPageLayout::Orientation orientation,
                            QSize sizeUnits, QList<QImage> images, QList<RenderedPage> pages)
{
    m_title = std::move(title);
    m_pageSizeId = id;
    m_orientation = orientation;
    m_pageSizeUnits = sizeUnits;
    m_images = std::move(images);
    m_pages = std::move(pages);
    m_complete = true;
}
