#include "DisplayFormat.h"

#include <cmath>

namespace DisplayFormat {

const QLocale& german()
{
    static const QLocale locale(QLocale::German, QLocale::Germany);
    return locale;
}

namespace {

const char* const kShortDays[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
const char* const kLongDays[] = {"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};
const char* const kShortMonths[] = {"Jan", "Feb", "Mrz", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
const char* const kLongMonths[] = {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli",
                                   "August", "September", "Oktober", "November", "Dezember"};

QString two(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

int runLength(const QString& s, int i)
{
    int n = 1;
    while (i + n < s.size() && s[i + n].toLower() == s[i].toLower())
        ++n;
    return n;
}

} // namespace

QString formatDateTime(const QString& mask, const QDateTime& value)
{
    if (!value.isValid())
        return QString();
    const QDate d = value.date();
    const QTime t = value.time();
    QString out;
    bool afterHour = false;
    for (int i = 0; i < mask.size();) {
        const QChar c = mask[i].toLower();
        if (mask[i] == QLatin1Char('"') || mask[i] == QLatin1Char('\'')) {
            const int end = mask.indexOf(mask[i], i + 1);
            const int stop = end < 0 ? int(mask.size()) : end;
            out += mask.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        const int n = runLength(mask, i);
        if (c == QLatin1Char('d')) {
            if (n == 1) out += QString::number(d.day());
            else if (n == 2) out += two(d.day());
            else if (n == 3) out += QLatin1String(kShortDays[d.dayOfWeek() - 1]);
            else out += QLatin1String(kLongDays[d.dayOfWeek() - 1]);
            afterHour = false;
        } else if (c == QLatin1Char('m')) {
            if (afterHour && n <= 2) {
                out += n == 1 ? QString::number(t.minute()) : two(t.minute());
            } else if (n == 1) out += QString::number(d.month());
            else if (n == 2) out += two(d.month());
            else if (n == 3) out += QLatin1String(kShortMonths[d.month() - 1]);
            else out += QString::fromUtf8(kLongMonths[d.month() - 1]);
            afterHour = false;
        } else if (c == QLatin1Char('y')) {
            out += n <= 2 ? two(d.year() % 100) : QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
            afterHour = false;
        } else if (c == QLatin1Char('h')) {
            out += n == 1 ? QString::number(t.hour()) : two(t.hour());
            afterHour = true;
        } else if (c == QLatin1Char('n')) {
            out += n == 1 ? QString::number(t.minute()) : two(t.minute());
            afterHour = false;
        } else if (c == QLatin1Char('s')) {
            out += n == 1 ? QString::number(t.second()) : two(t.second());
            afterHour = false;
        } else {
            out += mask.mid(i, n);
        }
        i += n;
    }
    return out;
}

QString formatDate(const QString& mask, const QDate& value)
{
    if (!value.isValid())
        return QString();
    return formatDateTime(mask, QDateTime(value, QTime(0, 0)));
}

QString formatNumber(const QString& mask, double value)
{
    if (mask.isEmpty())
        return german().toString(value, 'g', 15);
    // Split into prefix, numeric mask and suffix.
    int start = -1, end = -1;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        if (c == QLatin1Char('#') || c == QLatin1Char('0') || c == QLatin1Char(',') || c == QLatin1Char('.')) {
            if (start < 0)
                start = i;
            end = i;
        } else if (start >= 0) {
            break;
        }
    }
    if (start < 0)
        return mask;
    const QString prefix = mask.left(start);
    const QString core = mask.mid(start, end - start + 1);
    const QString suffix = mask.mid(end + 1);
    const int dot = int(core.indexOf(QLatin1Char('.')));
    const int decimals = dot < 0 ? 0 : int(core.size()) - dot - 1;
    const bool grouping = core.contains(QLatin1Char(','));
    QLocale loc = german();
    loc.setNumberOptions(grouping ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString number = loc.toString(value, 'f', decimals);
    if (number == QLatin1String("-0") || number.startsWith(QLatin1String("-0,")) ) {
        // "-0,00" reads oddly; a rounded zero has no sign.
        bool allZero = true;
        for (QChar ch : number)
            if (ch.isDigit() && ch != QLatin1Char('0'))
                allZero = false;
        if (allZero)
            number.remove(0, 1);
    }
    return prefix + number + suffix;
}

} // namespace DisplayFormat
