#pragma once
#include "RenderedReport.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

enum class BarcodeArt { QrCode, Code128 };

// A code made by libzint as vectors: the dark modules as rectangles in zint's vector units,
// quiet zones included in the size.
struct BarcodeVektor {
    QSizeF groesse;
    QList<QRectF> balken;    // from the top left corner
};

namespace BarcodeVektoren {
// Throws HwError with zint's reason when the data cannot be encoded.
BarcodeVektor erzeugen(BarcodeArt art, const QString& daten);

// A rendered barcode item in the area (tenths of a millimetre): a QR code square and centred,
// a Code 128 across the area's width and height. The item's rect is the area the code takes.
ReportItem item(const BarcodeVektor& code, BarcodeArt art, const QString& daten, const QRect& flaeche);
}
