#pragma once
#include <QPointF>

class QPainter;
class RenderedReport;

// Draws one rendered page; the same code serves preview, printer and PDF.
namespace PagePainter {
// pixelsPerUnit: device pixels per tenth of a millimetre; origin: the paper's top left corner
// in device pixels.
void paint(QPainter& painter, const RenderedReport& report, int pageNumber, double pixelsPerUnit,
           const QPointF& origin = QPointF());
}
