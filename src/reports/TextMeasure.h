#pragma once
#include <QFont>
#include <QStringList>

// Measures and wraps text on a fixed reference resolution, so line breaks are decided once and
// drawn the same on every device.
namespace TextMeasure {
// Line spacing of the font in tenths of a millimetre.
double lineHeight(const QFont& font);
// Width of one line of text in tenths of a millimetre.
double width(const QString& text, const QFont& font);
// The text shortened with "…" to a width in tenths of a millimetre (unchanged when it fits).
QString elided(const QString& text, const QFont& font, double widthUnits);
// Word-wrapped lines for a width in tenths of a millimetre; line breaks in the text are kept.
QStringList wrap(const QString& text, const QFont& font, double widthUnits);
}
