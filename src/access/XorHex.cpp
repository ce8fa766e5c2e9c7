#include "XorHex.h"

namespace {
unsigned byteOf(QChar c)
{
    return c.unicode() <= 0xFF ? c.unicode() : unsigned('?');
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}
}

QString XorHexEncode(const QString& key, const QString& text)
{
    static const char digits[] = "0123456789abcdef";
    QString out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        unsigned code = byteOf(text.at(i));
        if (!key.isEmpty())
            code ^= byteOf(key.at(i % key.size()));
        out += QLatin1Char(digits[code >> 4]);
        out += QLatin1Char(digits[code & 0xF]);
    }
    return out;
}

QString XorHexDecode(const QString& key, const QString& hex)
{
    QString out;
    const qsizetype pairs = hex.size() / 2;
    out.reserve(pairs);
    for (qsizetype i = 0; i < pairs; ++i) {
        const int hi = hexDigit(hex.at(2 * i));
        const int lo = hexDigit(hex.at(2 * i + 1));
        unsigned code = (hi < 0 || lo < 0) ? 32u : unsigned(hi * 16 + lo);
        if (!key.isEmpty())
            code ^= byteOf(key.at(i % key.size()));
        out += QChar(char16_t(code));
    }
    return out;
}
