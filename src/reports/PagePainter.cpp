#include "PagePainter.h"

#include "RenderedReport.h"
#include "ReportUnits.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEngine>

namespace PagePainter {

void paint(QPainter& painter, const RenderedReport& report, int pageNumber, double pixelsPerUnit,
           const QPointF& origin)
{
    if (pageNumber < 1 || pageNumber > report.pageCount())
        return;
    painter.save();
    painter.translate(origin);
    painter.scale(pixelsPerUnit, pixelsPerUnit);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    // A point size is turned into pixels by the device's resolution and then scaled again by
    // the painter; this factor makes the result the point size in tenths of a millimetre.
    const double fontFactor = ReportUnits::perInch / painter.device()->logicalDpiY();

    QString lastFamily;
    double lastSize = -1;
    quint8 lastStyle = 0xff;
    for (const ReportItem& item : report.page(pageNumber).items) {
        switch (item.type) {
        case ReportItem::Type::Text: {
            if (item.fontFamily != lastFamily || item.pointSize != lastSize || item.style != lastStyle) {
                QFont font(item.fontFamily);
                font.setPointSizeF(item.pointSize * fontFactor);
                font.setBold(item.style & ReportItem::Bold);
                font.setItalic(item.style & ReportItem::Italic);
                font.setUnderline(item.style & ReportItem::Underline);
                painter.setFont(font);
                lastFamily = item.fontFamily;
                lastSize = item.pointSize;
                lastStyle = item.style;
            }
            painter.setPen(item.color);
            painter.drawText(QRectF(item.rect), item.alignment | Qt::TextSingleLine | Qt::TextDontClip, item.text);
            break;
        }
        case ReportItem::Type::Line: {
            QPen pen(item.color, qMax(1, item.penWidth));
            pen.setCapStyle(Qt::SquareCap);
            painter.setPen(pen);
            const QRect& r = item.rect;
            painter.drawLine(QPointF(r.x(), r.y()), QPointF(double(r.x()) + r.width(), double(r.y()) + r.height()));
            break;
        }
        case ReportItem::Type::Rect: {
            const QRectF r(item.rect.x(), item.rect.y(), item.rect.width(), item.rect.height());
            if (item.brush.isValid())
                painter.fillRect(r, item.brush);
            if (item.penWidth > 0) {
                QPen pen(item.color, item.penWidth);
                pen.setJoinStyle(Qt::MiterJoin);
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(r);
            }
            break;
        }
        case ReportItem::Type::Barcode: {
            const QColor farbe = item.color.isValid() ? item.color : QColor(Qt::black);
            painter.save();
            painter.translate(item.rect.topLeft());
            painter.scale(0.01, 0.01);   // micrometres to tenths of a millimetre
            if (painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Pdf) {
                // PDF and printing: the bars as "re" operators in whole micrometres under one
                // fill, a fraction of the bytes of a path in page coordinates.
                painter.setPen(Qt::NoPen);
                painter.setBrush(farbe);
                painter.drawRects(item.bars.constData(), int(item.bars.size()));
            } else {
                // On screen one path per code: a single fill, no seams between modules.
                QPainterPath path;
                path.setFillRule(Qt::WindingFill);
                for (const QRect& bar : item.bars)
                    path.addRect(QRectF(bar.x(), bar.y(), bar.width(), bar.height()));
                painter.fillPath(path, farbe);
            }
            painter.restore();
            break;
        }
        case ReportItem::Type::Image:
            if (item.imageIndex >= 0 && item.imageIndex < report.images().size())
                painter.drawImage(QRectF(item.rect), report.images().at(item.imageIndex));
            break;
        }
    }
    painter.restore();
}

} // namespace PagePainter
