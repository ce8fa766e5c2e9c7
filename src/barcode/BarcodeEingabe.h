#pragma once
#include <QString>
#include <optional>

// A scanned or typed ladder number: at most 9 characters, a 32-bit integer with optional
// leading blanks and sign, also hexadecimal with a leading '$'. Nothing may follow the digits.
std::optional<qint32> barcodeZahl(const QString& text);

// The result-line text refusing the input, or an empty text when it may be searched.
QString barcodeFehler(const QString& text);
