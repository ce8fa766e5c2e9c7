#pragma once
#include <QDate>

// Date arithmetic on day numbers: day 0 is 1 January 1600, the last valid day is
// 31 December 3999. -1 stands for "no valid date" and passes through every routine.
namespace DayNumber {
constexpr int First = 0;
constexpr int Last = 876581;     // 31.12.3999
constexpr int Invalid = -1;
constexpr int FirstYear = 1600;
constexpr int LastYear = 3999;
}

bool IstSchaltjahr(int year);

// 0 when month or year is outside the valid range.
int TageImMonat(int month, int year);

// -1 for anything that is not a valid date between 1600 and 3999.
int TagNummer(int day, int month, int year);
int TagNummer(const QDate& date);

// The empty (null) QDate for -1 and any other number outside the valid range.
QDate DatumAusTagNummer(int n);

// Adds months and years keeping the day of month, clamped to the end of the target month.
// -1 when n is invalid or the result leaves the valid range.
int AddiereMonateJahre(int n, int months, int years);

// 0 = Sunday, 1 = Monday ... 6 = Saturday; 7 for an invalid day number.
int WochentagNummer(int n);

// ISO 8601 week (Monday first, week 1 holds the year's first Thursday); 0 outside the range.
int KalenderWoche(int n);
