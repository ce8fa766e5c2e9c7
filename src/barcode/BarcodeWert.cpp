#include "BarcodeWert.h"

#include "BarcodeEingabe.h"
#include "IniFile.h"

namespace {

QString& basis()
{
    static QString url;
    return url;
}

QString ohneSchraegstrich(QString url)
{
    url = url.trimmed();
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

} // namespace

namespace BarcodeWert {

QString webBasis() { return basis(); }

void setWebBasis(const QString& url) { basis() = ohneSchraegstrich(url); }

QString readWebBasis(const QString& iniFile)
{
    return ohneSchraegstrich(readIniValue(iniFile, QStringLiteral("Web"), QStringLiteral("BaseUrl")));
}

QString leiterWert(const QVariant& nr)
{
    if (!nr.isValid() || nr.isNull())
        return QString();
    bool ok = false;
    const qlonglong n = nr.toLongLong(&ok);
    if (!ok)
        return QString();
    const QString wert = QString::number(n);
    // The code must be found again by the search that reads it.
    return barcodeFehler(wert).isEmpty() ? wert : QString();
}

QString qrInhalt(const QString& wert)
{
    return basis().isEmpty() ? wert : basis() + QStringLiteral("/l/") + wert;
}

QString suchwert(const QString& gescannt)
{
    if (basis().isEmpty())
        return gescannt;
    const QString text = gescannt.trimmed();
    const QString vorn = basis() + QStringLiteral("/l/");
    // Scheme and host ignore case; a scanner may add a trailing slash.
    if (text.size() > vorn.size() && text.startsWith(vorn, Qt::CaseInsensitive)) {
        QString wert = text.mid(vorn.size());
        if (wert.endsWith(QLatin1Char('/')))
            wert.chop(1);
        return wert;
    }
    return gescannt;
}

std::optional<qint32> leiterNr(const QString& gescannt)
{
    const QString wert = suchwert(gescannt);
    if (!barcodeFehler(wert).isEmpty())
        return std::nullopt;
    return barcodeZahl(wert);
}

bool adresseBegonnen(const QString& text)
{
    if (basis().isEmpty() || text.isEmpty())
        return false;
    const QString vorn = basis() + QStringLiteral("/l/");
    return vorn.startsWith(text, Qt::CaseInsensitive) || text.startsWith(vorn, Qt::CaseInsensitive);
}

} // namespace BarcodeWert
