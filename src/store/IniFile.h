#pragma once
#include <QString>

// Reads one value of an INI file: "[Section]" lines, "Key=Value" lines, sections and keys
// without regard to case, values as they stand (backslashes included). Empty when the file,
// the section or the key is missing.
QString readIniValue(const QString& file, const QString& section, const QString& key);
