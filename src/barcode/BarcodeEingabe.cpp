#include "BarcodeEingabe.h"

#include <limits>

std::optional<qint32> barcodeZahl(const QString& text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    }
    if (i >= n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > qint64(0x80000000))
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return qint32(value);
}

QString barcodeFehler(const QString& text)
{
    if (text.isEmpty())
        return QStringLiteral("Fehler : Eingabefeld ist leer");
    if (text.size() > 9)
        return QStringLiteral("Fehler :nur bis zu 9 Stellen möglich");
    if (!barcodeZahl(text))
        return QStringLiteral("%1 ist keine gültige Eingabe").arg(text);
    return QString();
}
