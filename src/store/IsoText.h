#pragma once
#include <QtGlobal>

// Dates and date-times as the databases hand them out in text: "yyyy-MM-dd" and
// "yyyy-MM-dd[T ]HH:mm:ss[.fff]". Parsed by hand: QDate::fromString is slow on 100,000 rows.
// Results use the store's representation (RowStore): Julian day, and Julian day * 86400000 +
// milliseconds of the day; RowStore::NullDate / NullDateTime when the text is no such value.
qint32 isoDateToJulianDay(const char* text, int length);
qint64 isoDateTimeToMs(const char* text, int length);

// The reverse, for writing values in bulk: "yyyy-MM-dd" (10 characters) for the years 1 to 9999,
// -1 for a date outside them (the caller formats those otherwise); "HH:mm:ss.zzz" (12).
int writeIsoDate(char* out, qint64 julianDay);
int writeIsoTime(char* out, int msOfDay);
