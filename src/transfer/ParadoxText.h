#pragma once
#include <QByteArrayView>
#include <QString>

// Texts of old Paradox tables: single bytes in the code page their file header names.
namespace ParadoxText {

enum class CodePage { Windows1252, Dos850, Dos437 };

// From the header's code page number; unknown numbers are read as Windows-1252, the code page
// of the Windows programs that wrote these tables.
CodePage fromHeader(int codePage);
QString name(CodePage cp, int headerValue);
QString decode(QByteArrayView bytes, CodePage cp);
// The same straight into UTF-8, into a buffer the caller keeps from text to text.
void decodeUtf8(QByteArrayView bytes, CodePage cp, QByteArray& out);
// The other way, for writing test and benchmark tables; characters the code page lacks become '?'.
QByteArray encode(const QString& text, CodePage cp);

}
