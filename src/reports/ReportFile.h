#pragma once
#include <QByteArray>
#include <QString>

class RenderedReport;

// The .QRP file of a rendered report: a signature, a format version, the length of the
// content, the content (QDataStream, zlib-compressed) and its SHA-256. Anything that does not match is refused
// with a German message (HwError) before the report is touched.
namespace ReportFile {
// Version 2 added barcodes; files of version 1 are read as before.
constexpr quint16 formatVersion = 2;

// What a file may hold; a file beyond any of these is refused as damaged, so a crafted file
// cannot take the memory or the time of the workstation. The hash inside proves nothing
// against a file made to look valid.
constexpr qint64 maxContentBytes = 128 * 1024 * 1024;   // inflated
constexpr quint32 maxImages = 64;
constexpr int maxImageSide = 10000;                     // pixels
constexpr qint64 maxImagePixels = 50'000'000;           // all images together
constexpr qsizetype maxTextLength = 4000;               // one text item: one printed line
constexpr quint32 maxPages = 100000;
constexpr qint64 maxItems = 2'000'000;
constexpr quint32 maxBars = 40000;                      // one barcode: a QR code of the largest version

QByteArray toBytes(const RenderedReport& report);
// fileName only names the file in messages.
void fromBytes(const QByteArray& bytes, RenderedReport& report, const QString& fileName);

void save(const RenderedReport& report, const QString& fileName);
void load(const QString& fileName, RenderedReport& report);
}
