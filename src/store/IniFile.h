#pragma once
#include <QList>
#include <QPair>
#include <QString>

// Reads one value of an INI file: "[Section]" lines, "Key=Value" lines, sections and keys
// without regard to case, values as they stand (backslashes included). Empty when the file,
// the section or the key is missing.
QString readIniValue(const QString& file, const QString& section, const QString& key);

// Writes keys of one section, the other lines of the file untouched: a key is replaced where it
// stands, a new key goes after the section's last value, a missing section to the end. The file
// is replaced in one step, so a failure leaves the old one. False when it cannot be written.
bool writeIniValues(const QString& file, const QString& section, const QList<QPair<QString, QString>>& values);
