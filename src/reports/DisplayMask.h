#pragma once
#include <QString>
#include <QVariant>

// Display masks of data-bound report texts, always with German number and date conventions.
//  numbers: "#0.00 m", " bis:  #0.00 m", "#,##0.0" ('0' digit, '#' optional digit, ',' thousands;
//           text before and after the digits is kept; text in quotes is literal)
//  dates:   "dd.mm.yy", "ddd dd.mm.yy", "dd.mm.yy hh:mm", "dd.mm.yyyy"
//           (d dd ddd dddd, m mm mmm mmmm, yy yyyy, h hh, n nn, s ss; m after h means minutes)
// A null value prints as nothing, with or without mask.
namespace DisplayMask {
QString format(const QVariant& value, const QString& mask);
QString formatNumber(double value, const QString& mask);
QString formatDateTime(const QDateTime& value, const QString& mask);
}
