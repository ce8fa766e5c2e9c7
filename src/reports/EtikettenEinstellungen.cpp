#include "EtikettenEinstellungen.h"

#include "IniFile.h"

namespace {

const QString kAbschnitt = QStringLiteral("Etiketten");

// "Breite;Höhe;Rand links;Rand oben;Abstand waagerecht;Abstand senkrecht" in mm, with a point.
QString masse(const EtikettenFormat& f)
{
    QStringList teile;
    for (double v : {f.breite, f.hoehe, f.randLinks, f.randOben, f.abstandX, f.abstandY})
        teile << QString::number(v, 'f', 1);
    return teile.join(u';');
}

void masseLesen(EtikettenFormat& f, const QString& text)
{
    const QStringList teile = text.split(u';');
    if (teile.size() != 6)
        return;
    double v[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        v[i] = teile[i].trimmed().toDouble(&ok);
        if (!ok || v[i] < 0 || v[i] > 1000)
            return;
    }
    EtikettenFormat neu = f;
    neu.breite = v[0];
    neu.hoehe = v[1];
    neu.randLinks = v[2];
    neu.randOben = v[3];
    neu.abstandX = v[4];
    neu.abstandY = v[5];
    // A hand-edited file that no longer fits its paper keeps the standard.
    if (neu.fehler().isEmpty())
        f = neu;
}

bool ja(const QString& text, bool standard)
{
    if (text.isEmpty())
        return standard;
    return text.trimmed() == QLatin1String("1");
}

} // namespace

const EtikettenFormat& EtikettenEinstellungen::format() const
{
    for (const EtikettenFormat& f : formate)
        if (f.id == formatId)
            return f;
    return formate.first();
}

EtikettenFormat& EtikettenEinstellungen::format()
{
    for (EtikettenFormat& f : formate)
        if (f.id == formatId)
            return f;
    return formate.first();
}

EtikettenEinstellungen EtikettenEinstellungen::lesen(const QString& iniFile)
{
    EtikettenEinstellungen e;
    auto wert = [&](const QString& key) { return readIniValue(iniFile, kAbschnitt, key); };
    const QString id = wert(QStringLiteral("Format"));
    for (EtikettenFormat& f : e.formate) {
        if (f.id == id)
            e.formatId = id;
        masseLesen(f, wert(f.id));
    }
    e.inhalt.art = wert(QStringLiteral("Code")).compare(QLatin1String("Code128"), Qt::CaseInsensitive) == 0
                       ? BarcodeArt::Code128
                       : BarcodeArt::QrCode;
    e.inhalt.nr = ja(wert(QStringLiteral("Nr")), true);
    e.inhalt.kurzBez = ja(wert(QStringLiteral("KurzBez")), true);
    e.inhalt.abteilung = ja(wert(QStringLiteral("Abteilung")), true);
    e.inhalt.termin = ja(wert(QStringLiteral("Termin")), true);
    e.inhalt.freieZeile = ja(wert(QStringLiteral("FreieZeile")), false);
    e.inhalt.freierText = wert(QStringLiteral("FreierText"));
    return e;
}

bool EtikettenEinstellungen::schreiben(const QString& iniFile) const
{
    auto eins = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    QList<QPair<QString, QString>> werte = {
        {QStringLiteral("Format"), format().id},
        {QStringLiteral("Code"), inhalt.art == BarcodeArt::Code128 ? QStringLiteral("Code128") : QStringLiteral("QR")},
        {QStringLiteral("Nr"), eins(inhalt.nr)},
        {QStringLiteral("KurzBez"), eins(inhalt.kurzBez)},
        {QStringLiteral("Abteilung"), eins(inhalt.abteilung)},
        {QStringLiteral("Termin"), eins(inhalt.termin)},
        {QStringLiteral("FreieZeile"), eins(inhalt.freieZeile)},
        {QStringLiteral("FreierText"), inhalt.freierText.simplified()},
    };
    for (const EtikettenFormat& f : formate)
        werte.append({f.id, masse(f)});
    return writeIniValues(iniFile, kAbschnitt, werte);
}
