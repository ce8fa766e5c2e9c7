#pragma once
#include "Etiketten.h"

#include <QList>
#include <QString>
#include <QStringList>

// Reads the codes of a label PDF back the way a scanner does: each label place is cut from the
// page image (poppler's pdftoppm) and decoded on its own by zbar's zbarimg. Scanning a whole
// sheet at once is no fair measure: zbar loses some of many equal QR codes in a grid, while a
// hand scanner or phone only ever sees one label.
namespace LabelScan {

// For every place of every page, in order (page * places per sheet + place): what zbar read
// there, empty for a place without a code.
QList<QStringList> scanPlaces(const QString& pdf, const EtikettenFormat& format, int dpi = 300);

// Page images of the PDF (PNG files, in page order).
QStringList pageImages(const QString& pdf, const QString& dir, int dpi);

} // namespace LabelScan
