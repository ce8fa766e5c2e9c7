#include "IsoText.h"

#include "RowStore.h"

#include <QDate>

namespace {

int digits(const char* p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

} // namespace

qint32 isoDateToJulianDay(const char* p, int len)
{
    if (!p || len < 10 || p[4] != '-' || p[7] != '-' || (len > 10 && p[10] != ' ' && p[10] != 'T'))
        return RowStore::NullDate;
    const int y = digits(p, 4), m = digits(p + 5, 2), d = digits(p + 8, 2);
    if (y < 0 || m < 1 || m > 12 || d < 1 || d > 31)
        return RowStore::NullDate;
    const QDate date(y, m, d);
    return date.isValid() ? qint32(date.toJulianDay()) : RowStore::NullDate;
}

qint64 isoDateTimeToMs(const char* p, int n)
{
    const qint32 jd = isoDateToJulianDay(p, n);
    if (jd == RowStore::NullDate)
        return RowStore::NullDateTime;
    int h = 0, mi = 0, s = 0, ms = 0;
    if (n >= 16) {
        h = digits(p + 11, 2);
        mi = digits(p + 14, 2);
    }
    if (n >= 19)
        s = digits(p + 17, 2);
    if (n >= 21 && p[19] == '.') {
        int scale = 100;
        for (int i = 20; i < n && i < 23 && p[i] >= '0' && p[i] <= '9'; ++i, scale /= 10)
            ms += (p[i] - '0') * scale;
    }
    if (h < 0 || mi < 0 || s < 0 || h > 23 || mi > 59 || s > 59)
        return RowStore::NullDateTime;
    return qint64(jd) * 86400000 + ((h * 60 + mi) * 60 + s) * 1000 + ms;
}

namespace {

int putDigits(char* p, int v, int width)
{
    for (int i = width - 1; i >= 0; --i, v /= 10)
        p[i] = char('0' + v % 10);
    return width;
}

} // namespace

int writeIsoDate(char* p, qint64 julianDay)
{
    int y = 0, m = 0, d = 0;
    QDate::fromJulianDay(julianDay).getDate(&y, &m, &d);
    if (y < 1 || y > 9999)
        return -1;
    putDigits(p, y, 4);
    p[4] = '-';
    putDigits(p + 5, m, 2);
    p[7] = '-';
    putDigits(p + 8, d, 2);
    return 10;
}

int writeIsoTime(char* p, int msOfDay)
{
    putDigits(p, msOfDay / 3600000, 2);
    p[2] = ':';
    putDigits(p + 3, msOfDay / 60000 % 60, 2);
    p[5] = ':';
    putDigits(p + 6, msOfDay / 1000 % 60, 2);
    p[8] = '.';
    putDigits(p + 9, msOfDay % 1000, 3);
    return 12;
}
