#include "BarcodeVektor.h"

#include "Errors.h"

#include <zint.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <memory>

namespace BarcodeVektoren {

BarcodeVektor erzeugen(BarcodeArt art, const QString& daten)
{
    std::unique_ptr<zint_symbol, void (*)(zint_symbol*)> sym(ZBarcode_Create(), ZBarcode_Delete);
    if (!sym)
        throw HwError(QStringLiteral("Der Barcode kann nicht erzeugt werden (kein Speicher)."));
    sym->symbology = art == BarcodeArt::QrCode ? BARCODE_QRCODE : BARCODE_CODE128;
    sym->input_mode = UNICODE_MODE;
    sym->show_hrt = 0;                           // the label prints its own texts
    sym->output_options = BARCODE_QUIET_ZONES;   // readers need the white margin
    if (art == BarcodeArt::QrCode)
        sym->option_1 = 2;                       // error correction M
    else
        sym->height = 10;
    const QByteArray utf8 = daten.toUtf8();
    const int rc = ZBarcode_Encode_and_Buffer_Vector(sym.get(), reinterpret_cast<const unsigned char*>(utf8.constData()),
                                                     int(utf8.size()), 0);
    if (rc >= ZINT_ERROR || !sym->vector)
        throw HwError(QStringLiteral("Der Barcode für \"%1\" kann nicht erzeugt werden: %2")
                          .arg(daten, QString::fromLatin1(sym->errtxt)));
    BarcodeVektor out;
    out.groesse = QSizeF(sym->vector->width, sym->vector->height);
    for (const zint_vector_rect* r = sym->vector->rectangles; r; r = r->next)
        if (r->colour == -1 || r->colour == 7)   // foreground or black
            out.balken << QRectF(r->x, r->y, r->width, r->height);
    // zint joins the modules of a row; runs of the same width stacked in consecutive rows
    // become one bar too (the finder patterns, the bars of a Code 128), so that the pages
    // carry fewer shapes.
    auto spalte = [](const QRectF& r) { return std::make_tuple(r.left(), r.width(), r.top()); };
    std::sort(out.balken.begin(), out.balken.end(),
              [&](const QRectF& a, const QRectF& b) { return spalte(a) < spalte(b); });
    QList<QRectF> gestapelt;
    gestapelt.reserve(out.balken.size());
    for (const QRectF& b : std::as_const(out.balken)) {
        if (!gestapelt.isEmpty()) {
            QRectF& oben = gestapelt.last();
            if (qFuzzyCompare(oben.left() + 1, b.left() + 1) && qFuzzyCompare(oben.width(), b.width()) &&
                qFuzzyCompare(oben.bottom() + 1, b.top() + 1)) {
                oben.setBottom(b.bottom());
                continue;
            }
        }
        gestapelt << b;
    }
    out.balken = gestapelt;
    return out;
}

ReportItem item(const BarcodeVektor& code, BarcodeArt art, const QString& daten, const QRect& flaeche)
{
    ReportItem item;
    item.type = ReportItem::Type::Barcode;
    item.text = daten;
    item.color = Qt::black;
    if (code.groesse.width() <= 0 || code.groesse.height() <= 0 || flaeche.isEmpty())
        return item;
    // Micrometres per module; the code's rect starts on a whole unit.
    double sx = 100.0 * flaeche.width() / code.groesse.width();
    double sy = 100.0 * flaeche.height() / code.groesse.height();
    if (art == BarcodeArt::QrCode)
        sx = sy = std::floor(qMin(sx, sy));
    else
        sx = std::floor(sx);
    const int w = int(std::ceil(code.groesse.width() * sx / 100.0));
    const int h = int(std::ceil(code.groesse.height() * sy / 100.0));
    item.rect = QRect(flaeche.x() + (flaeche.width() - w) / 2, flaeche.y() + (flaeche.height() - h) / 2, w, h);
    item.bars.reserve(code.balken.size());
    // Edges are rounded, not sizes, so neighbouring modules meet without a gap.
    for (const QRectF& b : code.balken) {
        const int x1 = int(std::lround(b.left() * sx)), x2 = int(std::lround(b.right() * sx));
        const int y1 = int(std::lround(b.top() * sy)), y2 = int(std::lround(b.bottom() * sy));
        if (x2 > x1 && y2 > y1)
            item.bars << QRect(x1, y1, x2 - x1, y2 - y1);
    }
    return item;
}

} // namespace BarcodeVektoren
