#include "ReportBand.h"

#include "Report.h"

ReportBand::ReportBand(Report* report, BandKind kind, ReportBand* parent)
    : m_report(report), m_kind(kind), m_parent(parent)
{
}

ReportBand::~ReportBand() = default;

ReportBand* ReportBand::addChild(double heightMm)
{
    if (m_child)
        return m_child->addChild(heightMm);
    m_child = std::make_unique<ReportBand>(m_report, BandKind::Child, this);
    m_child->setHeightMm(heightMm);
    return m_child.get();
}

ReportDataSource* ReportBand::dataSource() const
{
    if (m_dataSource)
        return m_dataSource;
    if (m_parent)
        return m_parent->dataSource();
    return m_report ? m_report->dataSource() : nullptr;
}

ReportText& ReportBand::newText(const QRectF& rect)
{
    auto text = std::make_unique<ReportText>();
    text->setRect(rect);
    if (m_report)
        text->setFont(m_report->font());
    ReportText& ref = *text;
    m_elements.push_back(std::move(text));
    return ref;
}

ReportText& ReportBand::addLabel(const QRectF& rect, const QString& text)
{
    ReportText& t = newText(rect);
    t.m_source = ReportText::Source::Label;
    t.m_text = text;
    return t;
}

ReportText& ReportBand::addField(const QRectF& rect, const QString& fieldName, const QString& mask,
                                 ReportDataSource* source)
{
    ReportText& t = newText(rect);
    t.m_source = ReportText::Source::Field;
    t.m_field = fieldName;
    t.m_mask = mask;
    t.m_dataSource = source;
    return t;
}

ReportText& ReportBand::addSystemField(const QRectF& rect, SystemField field, const QString& prefix)
{
    ReportText& t = newText(rect);
    t.m_source = ReportText::Source::System;
    t.m_system = field;
    t.m_prefix = prefix;
    return t;
}

ReportText& ReportBand::addSum(const QRectF& rect, const QString& fieldName, ReportBand* over,
                               const QString& mask)
{
    ReportText& t = newText(rect);
    t.m_source = ReportText::Source::Sum;
    t.m_field = fieldName;
    t.m_sumOver = over ? over : (m_report ? m_report->detail() : nullptr);
    t.m_mask = mask;
    return t;
}

ReportText& ReportBand::addComputed(const QRectF& rect, std::function<QString()> text)
{
    ReportText& t = newText(rect);
    t.m_source = ReportText::Source::Computed;
    t.m_computed = std::move(text);
    return t;
}

ReportShape& ReportBand::addLine(const QPointF& from, const QPointF& to, double widthMm)
{
    auto shape = std::make_unique<ReportShape>();
    shape->m_shape = ReportShape::Shape::Line;
    shape->m_line = QLineF(from, to);
    shape->setRect(QRectF(from, to).normalized());
    shape->m_penWidthMm = widthMm;
    ReportShape& ref = *shape;
    m_elements.push_back(std::move(shape));
    return ref;
}

ReportShape& ReportBand::addHLine(double y, double x1, double x2, double widthMm)
{
    return addLine(QPointF(x1, y), QPointF(x2, y), widthMm);
}

ReportShape& ReportBand::addVLine(double x, double y1, double y2, double widthMm)
{
    return addLine(QPointF(x, y1), QPointF(x, y2), widthMm);
}

ReportShape& ReportBand::addRect(const QRectF& rect, const QColor& pen, const QColor& brush, double widthMm)
{
    auto shape = std::make_unique<ReportShape>();
    shape->m_shape = ReportShape::Shape::Rectangle;
    shape->setRect(rect);
    shape->m_pen = pen;
    shape->m_brush = brush;
    shape->m_penWidthMm = widthMm;
    ReportShape& ref = *shape;
    m_elements.push_back(std::move(shape));
    return ref;
}

ReportImage& ReportBand::addImage(const QRectF& rect, const QImage& image)
{
    auto img = std::make_unique<ReportImage>();
    img->setRect(rect);
    img->setImage(image);
    ReportImage& ref = *img;
    m_elements.push_back(std::move(img));
    return ref;
}
