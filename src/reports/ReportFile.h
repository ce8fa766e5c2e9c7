#pragma once
#include <QByteArray>
#include <QString>

class RenderedReport;

// The .QRP file of a rendered report: a signature, a format version, the length of the
// content, the content (QDataStream, zlib-compressed) and its SHA-256. Anything that does not match is refused
// with a German message (HwError) before the report is touched.
namespace ReportFile {
constexpr quint16 formatVersion = 1;

QByteArray toBytes(const RenderedReport& report);
// fileName only names the file in messages.
void fromBytes(const QByteArray& bytes, RenderedReport& report, const QString& fileName);

void save(const RenderedReport& report, const QString& fileName);
void load(const QString& fileName, RenderedReport& report);
}
