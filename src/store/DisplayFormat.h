#pragma once
#include <QDateTime>
#include <QLocale>
#include <QString>

// Display masks of fields and reports, always in German whatever the machine's locale.
namespace DisplayFormat {

const QLocale& german();

// Date masks: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss; "mm" right after an hour
// means minutes. "ddd dd.mm.yy" gives "Mi 23.06.04".
QString formatDateTime(const QString& mask, const QDateTime& value);
QString formatDate(const QString& mask, const QDate& value);

// Number masks: "#0.00", "0", "#,##0.00", "#0.00 m" (text outside the mask is kept).
QString formatNumber(const QString& mask, double value);

}
