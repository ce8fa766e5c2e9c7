#include "Etiketten.h"

#include "BarcodeWert.h"
#include "Errors.h"
#include "RenderedReport.h"
#include "ReportUnits.h"
#include "TextMeasure.h"

#include <QLocale>
#include <cmath>

using ReportUnits::fromMm;

QRectF EtikettenFormat::platz(int index) const
{
    const int spalte = index % qMax(1, spalten), zeile = index / qMax(1, spalten);
    return QRectF(randLinks + spalte * (breite + abstandX), randOben + zeile * (hoehe + abstandY), breite, hoehe);
}

QString EtikettenFormat::fehler() const
{
    if (spalten < 1 || zeilen < 1)
        return QStringLiteral("Das Etikettenformat \"%1\" hat keine Etiketten.").arg(name);
    if (breite < 20 || hoehe < 10)
        return QStringLiteral("Ein Etikett muss mindestens 20 × 10 mm groß sein.");
    if (randLinks < 0 || randOben < 0 || abstandX < 0 || abstandY < 0)
        return QStringLiteral("Ränder und Abstände dürfen nicht negativ sein.");
    const QSizeF p = papierMm();
    const QRectF letztes = platz(proSeite() - 1);
    // A tenth of a millimetre of rounding is no reason to refuse a sheet.
    if (letztes.right() > p.width() + 0.1 || letztes.bottom() > p.height() + 0.1)
        return QStringLiteral("Die Etiketten passen nicht auf das Blatt (%1 × %2 mm): Etikettgröße, Ränder oder "
                              "Abstände verkleinern.")
            .arg(p.width())
            .arg(p.height());
    return QString();
}

QList<EtikettenFormat> EtikettenFormat::standard()
{
    const QSizeF a4(210, 297);
    return {
        {.id = QStringLiteral("A4-3x8"), .name = QStringLiteral("A4, 3 × 8 Etiketten (70 × 37 mm)"), .papier = a4,
         .spalten = 3, .zeilen = 8, .breite = 70, .hoehe = 37, .randOben = 0.5},
        {.id = QStringLiteral("A4-2x7"), .name = QStringLiteral("A4, 2 × 7 Etiketten (105 × 42 mm)"), .papier = a4,
         .spalten = 2, .zeilen = 7, .breite = 105, .hoehe = 42, .randOben = 1.5},
        {.id = QStringLiteral("62x29"), .name = QStringLiteral("Einzeletikett 62 × 29 mm (Etikettendrucker)"),
         .papier = QSizeF(62, 29), .einzeln = true, .breite = 62, .hoehe = 29},
    };
}

namespace {

// Printers and screens hint glyphs a little wider than the reference; keep a margin.
constexpr double breitenReserve = 0.96;

QString gekuerzt(const QString& text, const QFont& font, double breiteUnits)
{
    return TextMeasure::elided(text, font, breiteUnits * breitenReserve);
}

struct Zeile {
    QString text;
    double punkt;
    bool fett;
    // Shorter forms of the line, tried in order before it is cut with "…".
    QStringList kuerzer = {};
};

// The line as it fits the width: the first form that fits whole, else the last one cut.
QString passend(const Zeile& z, const QFont& font, double breite)
{
    const QString ganz = gekuerzt(z.text, font, breite);
    if (ganz == z.text || z.kuerzer.isEmpty())
        return ganz;
    for (const QString& k : z.kuerzer)
        if (gekuerzt(k, font, breite) == k)
            return k;
    return gekuerzt(z.kuerzer.last(), font, breite);
}

QFont schrift(double punkt, bool fett)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(punkt);
    f.setBold(fett);
    return f;
}

ReportItem textItem(const QString& text, const QFont& font, const QRect& rect, int alignment)
{
    ReportItem item;
    item.type = ReportItem::Type::Text;
    item.text = text;
    item.fontFamily = font.family();
    item.pointSize = font.pointSizeF();
    item.style = font.bold() ? ReportItem::Bold : 0;
    item.alignment = alignment;
    item.rect = rect;
    item.color = Qt::black;
    return item;
}

// The lines of one label, scaled down (not below 5 pt) until they fit the height; what still
// does not fit is cut off with "…" on the last line shown.
void texteSetzen(QList<ReportItem>& items, QList<Zeile> zeilen, const QRect& flaeche)
{
    if (zeilen.isEmpty() || flaeche.width() <= 0 || flaeche.height() <= 0)
        return;
    double gesamt = 0;
    for (const Zeile& z : zeilen)
        gesamt += TextMeasure::lineHeight(schrift(z.punkt, z.fett));
    if (gesamt > flaeche.height()) {
        const double faktor = flaeche.height() / gesamt;
        for (Zeile& z : zeilen)
            z.punkt = qMax(5.0, z.punkt * faktor);
    }
    double y = flaeche.y();
    const double unten = flaeche.y() + flaeche.height();
    for (int i = 0; i < zeilen.size(); ++i) {
        const QFont f = schrift(zeilen[i].punkt, zeilen[i].fett);
        const double h = TextMeasure::lineHeight(f);
        if (y + h > unten + 0.5) {
            // Lines left off: the last one shown says so.
            if (!items.isEmpty() && items.last().type == ReportItem::Type::Text && i > 0) {
                ReportItem& letzte = items.last();
                const QFont lf = schrift(letzte.pointSize, letzte.style & ReportItem::Bold);
                QString t = letzte.text;
                if (!t.endsWith(QChar(0x2026)))
                    t = gekuerzt(t + QChar(0x2026) + QStringLiteral("      "), lf, flaeche.width());
                if (!t.endsWith(QChar(0x2026))) {
                    t = letzte.text;
                    while (!t.isEmpty() && gekuerzt(t + QChar(0x2026), lf, flaeche.width()) != t + QChar(0x2026))
                        t.chop(1);
                    t += QChar(0x2026);
                }
                letzte.text = t;
            }
            break;
        }
        const QString text = passend(zeilen[i], f, flaeche.width());
        const int top = int(std::lround(y)), bottom = int(std::lround(y + h));
        if (!text.isEmpty())
            items << textItem(text, f, QRect(flaeche.x(), top, flaeche.width(), bottom - top),
                              int(Qt::AlignLeft | Qt::AlignVCenter));
        y += h;
    }
}

QList<Zeile> zeilenFuer(const EtikettInhalt& inhalt, const EtikettDaten& d, const QString& wert)
{
    QList<Zeile> out;
    if (inhalt.nr)
        out << Zeile{QStringLiteral("Leiter-Nr %1").arg(wert), 11, true};
    if (inhalt.kurzBez && !d.kurzBez.trimmed().isEmpty())
        out << Zeile{d.kurzBez.trimmed(), 8, false};
    if (inhalt.abteilung && !d.abteilung.trimmed().isEmpty())
        out << Zeile{d.abteilung.trimmed(), 7, false};
    if (inhalt.termin && d.termin.isValid()) {
        // On a narrow label the words give way before the date does.
        const QLocale de(QLocale::German);
        const QString datum = de.toString(d.termin, QStringLiteral("dd.MM.yy"));
        out << Zeile{QStringLiteral("nächste Prüfung: %1").arg(de.toString(d.termin, QStringLiteral("ddd dd.MM.yy"))),
                     7, false,
                     {QStringLiteral("nächste Prüfung: %1").arg(datum), QStringLiteral("Prüfung fällig: %1").arg(datum),
                      QStringLiteral("fällig: %1").arg(datum), datum}};
    }
    if (inhalt.freieZeile && !inhalt.freierText.trimmed().isEmpty())
        out << Zeile{inhalt.freierText.trimmed(), 7, false};
    return out;
}

void etikettSetzen(QList<ReportItem>& items, const EtikettInhalt& inhalt, const EtikettDaten& d, const QRect& r,
                   bool mitCode)
{
    const QString wert = BarcodeWert::leiterWert(d.nr);
    const int rand = fromMm(r.height() >= 300 ? 2.0 : 1.5);
    const int luecke = fromMm(1.0);
    const QRect innen = r.adjusted(rand, rand, -rand, -rand);
    QRect code, texte;
    if (inhalt.art == BarcodeArt::QrCode) {
        const int seite = qMin(innen.height(), innen.width() / 2);
        code = QRect(innen.x(), innen.y() + (innen.height() - seite) / 2, seite, seite);
        texte = QRect(code.right() + 1 + luecke, innen.y(), innen.right() + 1 - (code.right() + 1 + luecke),
                      innen.height());
    } else {
        const int hoehe = qMin(fromMm(12.0), innen.height() * 45 / 100);
        code = QRect(innen.x(), innen.bottom() + 1 - hoehe, innen.width(), hoehe);
        texte = QRect(innen.x(), innen.y(), innen.width(), code.y() - luecke - innen.y());
    }
    const QString daten = inhalt.art == BarcodeArt::QrCode ? BarcodeWert::qrInhalt(wert) : wert;
    if (mitCode)
        items << BarcodeVektoren::item(BarcodeVektoren::erzeugen(inhalt.art, daten), inhalt.art, daten, code);
    else
        items << textItem(gekuerzt(daten, schrift(8, false), code.width()), schrift(8, false), code,
                          int(Qt::AlignCenter));
    texteSetzen(items, zeilenFuer(inhalt, d, wert), texte);
}

std::shared_ptr<RenderedReport> etikettenSetzen(const EtikettenFormat& format, const EtikettInhalt& inhalt,
                                                int start, const QList<EtikettDaten>& leitern, bool mitCode)
{
    const QString fehler = format.fehler();
    if (!fehler.isEmpty())
        throw HwError(fehler);
    if (leitern.isEmpty())
        throw HwError(QStringLiteral("Es sind keine Leitern für Etiketten ausgewählt."));
    const QString ohneCode = Etiketten::fehlendeCodes(leitern);
    if (!ohneCode.isEmpty())
        throw HwError(ohneCode);
    auto report = std::make_shared<RenderedReport>();
    report->setTitle(QStringLiteral("Etiketten"));
    const QSizeF papier = format.papierMm();
    if (!format.einzeln && qAbs(papier.width() - 210) < 0.05 && qAbs(papier.height() - 297) < 0.05)
        report->setPage(QPageSize::A4, QPageLayout::Portrait);
    else
        report->setCustomPage(papier);
    const int seiten = Etiketten::seitenZahl(format, start, int(leitern.size()));
    QList<RenderedPage> pages(seiten);
    for (int i = 0; i < leitern.size(); ++i) {
        const EtikettPlatz p = Etiketten::platzFuer(format, start, i);
        etikettSetzen(pages[p.seite].items, inhalt, leitern[i], fromMm(format.platz(p.platz)), mitCode);
    }
    for (RenderedPage& page : pages)
        report->appendPage(std::move(page));
    report->setComplete(true);
    return report;
}

} // namespace

namespace Etiketten {

EtikettPlatz platzFuer(const EtikettenFormat& format, int start, int i)
{
    const int proSeite = qMax(1, format.proSeite());
    const int slot = qBound(1, start, proSeite) - 1 + i;
    return {slot / proSeite, slot % proSeite};
}

int seitenZahl(const EtikettenFormat& format, int start, int anzahl)
{
    return anzahl <= 0 ? 0 : platzFuer(format, start, anzahl - 1).seite + 1;
}

QString fehlendeCodes(const QList<EtikettDaten>& leitern)
{
    QStringList namen;
    int anzahl = 0;
    for (const EtikettDaten& d : leitern) {
        if (!BarcodeWert::leiterWert(d.nr).isEmpty())
            continue;
        ++anzahl;
        if (namen.size() < 5) {
            const QString nr = d.nr.isNull() || !d.nr.isValid() ? QStringLiteral("ohne Nummer") : d.nr.toString();
            namen << QStringLiteral("\"%1\" (%2, ID %3)").arg(d.kurzBez.trimmed(), nr).arg(d.id);
        }
    }
    if (anzahl == 0)
        return QString();
    QString text = anzahl == 1
                       ? QStringLiteral("Für die Leiter %1 kann kein Barcode erstellt werden: sie hat keine gültige "
                                        "Leiter-Nr (höchstens 9 Stellen).")
                             .arg(namen.first())
                       : QStringLiteral("Für %1 Leitern kann kein Barcode erstellt werden, weil ihnen eine gültige "
                                        "Leiter-Nr (höchstens 9 Stellen) fehlt:\n%2")
                             .arg(anzahl)
                             .arg(namen.join(QStringLiteral("\n")));
    if (anzahl > namen.size())
        text += QStringLiteral("\n… und %1 weitere").arg(anzahl - namen.size());
    return text + QStringLiteral("\nEs wurden keine Etiketten gedruckt.");
}

std::shared_ptr<RenderedReport> rendern(const EtikettenFormat& format, const EtikettInhalt& inhalt, int start,
                                        const QList<EtikettDaten>& leitern)
{
    return etikettenSetzen(format, inhalt, start, leitern, true);
}

std::shared_ptr<RenderedReport> rendernOhneCodes(const EtikettenFormat& format, const EtikettInhalt& inhalt,
                                                 int start, const QList<EtikettDaten>& leitern)
{
    return etikettenSetzen(format, inhalt, start, leitern, false);
}

} // namespace Etiketten
