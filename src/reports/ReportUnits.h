#pragma once
#include <QRect>
#include <QRectF>
#include <cmath>

// Rendered pages keep their geometry in tenths of a millimetre, so a page looks the same on
// screen, printer and PDF whatever their resolution.
namespace ReportUnits {
constexpr int perMm = 10;
constexpr double perInch = 254.0;

inline int fromMm(double mm) { return int(std::lround(mm * perMm)); }
inline double toMm(int units) { return double(units) / perMm; }
inline QRect fromMm(const QRectF& mm)
{
    const int l = fromMm(mm.left()), t = fromMm(mm.top());
    return QRect(l, t, fromMm(mm.right()) - l, fromMm(mm.bottom()) - t);
}
// Report layouts were drawn in screen pixels of 1/96 inch.
inline double layoutPixelsToMm(double px) { return px * 25.4 / 96.0; }
// Font size in points as a length in units.
inline double pointsToUnits(double pt) { return pt * perInch / 72.0; }
}
