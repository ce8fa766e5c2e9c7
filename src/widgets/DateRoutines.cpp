#include "DateRoutines.h"

#include <cstdint>

namespace {

constexpr int CumulativeDays[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Leap days in the years 1600 .. year-1 (year >= 1600).
int leapDaysBefore(int year)
{
    auto count = [](int y) { return y / 4 - y / 100 + y / 400; };
    return count(year - 1) - count(DayNumber::FirstYear - 1);
}

// Day number of a valid date; callers have checked the range.
int dayNumberUnchecked(int day, int month, int year)
{
    int n = 365 * (year - DayNumber::FirstYear) + leapDaysBefore(year) + CumulativeDays[month - 1] + day - 1;
    if (month > 2 && IstSchaltjahr(year))
        ++n;
    return n;
}

struct Ymd {
    int year;
    int month;
    int day;
};

// n must lie between First and Last. Works in 400-year cycles from 1600, which start with a
// leap year just like the cycle does.
Ymd fromDayNumber(int n)
{
    constexpr int Cycle400 = 146097;
    constexpr int Century = 36524;   // a century not starting the cycle (no leap year at its start)
    constexpr int Four = 1461;

    int year = DayNumber::FirstYear + 400 * (n / Cycle400);
    int rest = n % Cycle400;
    // The first century of the cycle has one day more (its 00 year is a leap year).
    if (rest >= Century + 1) {
        rest -= Century + 1;
        year += 100 + 100 * (rest / Century);
        rest %= Century;
        // Inside a non-leap century the first four-year block is one day short.
        if (rest >= Four - 1) {
            rest -= Four - 1;
            year += 4 + 4 * (rest / Four);
            rest %= Four;
        } else {
            // years yy00..yy03, the first without leap day
            year += rest / 365;
            rest %= 365;
            int m = 1;
            while (m < 12 && rest >= CumulativeDays[m])
                ++m;
            return {year, m, rest - CumulativeDays[m - 1] + 1};
        }
    } else {
        year += 4 * (rest / Four);
        rest %= Four;
    }
    // rest is inside a four-year block that starts with a leap year
    if (rest >= 366) {
        rest -= 366;
        year += 1 + rest / 365;
        rest %= 365;
    }
    bool leap = IstSchaltjahr(year);
    auto monthStart = [leap](int m) { return CumulativeDays[m - 1] + (leap && m > 2 ? 1 : 0); };
    int m = 1;
    while (m < 12 && rest >= monthStart(m + 1))
        ++m;
    return {year, m, rest - monthStart(m) + 1};
}

bool inRange(int n) { return n >= DayNumber::First && n <= DayNumber::Last; }

} // namespace

bool IstSchaltjahr(int year)
{
    return year % 4 == 0 && year % 4000 != 0 && (year % 100 != 0 || year % 400 == 0);
}

int TageImMonat(int month, int year)
{
    if (year < DayNumber::FirstYear || year > DayNumber::LastYear || month < 1 || month > 12)
        return 0;
    switch (month) {
    case 2:
        return IstSchaltjahr(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 31;
    }
}

int TagNummer(int day, int month, int year)
{
    int days = TageImMonat(month, year);
    if (days == 0 || day < 1 || day > days)
        return DayNumber::Invalid;
    return dayNumberUnchecked(day, month, year);
}

int TagNummer(const QDate& date)
{
    if (!date.isValid())
        return DayNumber::Invalid;
    return TagNummer(date.day(), date.month(), date.year());
}

QDate DatumAusTagNummer(int n)
{
    if (!inRange(n))
        return QDate();
    Ymd d = fromDayNumber(n);
    return QDate(d.year, d.month, d.day);
}

int AddiereMonateJahre(int n, int months, int years)
{
    if (!inRange(n))
        return DayNumber::Invalid;
    Ymd d = fromDayNumber(n);
    int excess = 0;
    if (d.day > 28) {
        excess = d.day - 28;
        d.day = 28;
    }
    // 64 bits so that any int arguments cannot overflow before the range check
    std::int64_t year = std::int64_t(d.year) + years + months / 12;
    int month = d.month + months % 12;
    if (month <= 0) {
        month += 12;
        --year;
    } else if (month > 12) {
        month -= 12;
        ++year;
    }
    if (year < DayNumber::FirstYear || year > DayNumber::LastYear)
        return DayNumber::Invalid;
    int base = TagNummer(d.day, month, int(year));
    if (base == DayNumber::Invalid)
        return DayNumber::Invalid;
    int max = TageImMonat(month, int(year));
    if (28 + excess > max)
        return base + max - 28;
    return base + excess;
}

int WochentagNummer(int n)
{
    if (!inRange(n))
        return 7;
    return (n + 6) % 7;
}

int KalenderWoche(int n)
{
    if (!inRange(n))
        return 0;
    // Thursday of n's Monday-to-Sunday week decides the year the week belongs to.
    int t = n + 3 - ((WochentagNummer(n) + 6) % 7);
    int yearStart;
    if (t < DayNumber::First) {
        // 1 and 2 January 1600 belong to the last week of 1599 (365 days long)
        yearStart = -365;
    } else {
        yearStart = dayNumberUnchecked(1, 1, fromDayNumber(t).year);
    }
    return (t - yearStart) / 7 + 1;
}
