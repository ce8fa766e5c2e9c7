#include "ReportFile.h"

#include "Errors.h"
#include "RenderedReport.h"

#include <QBuffer>
#include <QImageReader>
#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <zlib.h>

namespace {

const QByteArray signature("HWQRP\r\n\x1a", 8);
constexpr int hashSize = 32;
constexpr int headerSize = 8 + 2 + 4;
// Smallest possible encoded item; bounds the item count a file may claim.
constexpr int minItemBytes = 1 + 16 + 4 + 4;
constexpr int maxPageUnits = 100000;   // ten metres

QString shownName(const QString& fileName)
{
    return QFileInfo(fileName).fileName().isEmpty() ? fileName : QFileInfo(fileName).fileName();
}

[[noreturn]] void damaged(const QString& fileName)
{
    throw HwError(QStringLiteral("Die Reportdatei %1 ist beschädigt oder unvollständig.").arg(shownName(fileName)));
}

void writeColor(QDataStream& out, const QColor& c)
{
    out << quint8(c.isValid() ? 1 : 0) << quint32(c.isValid() ? c.rgba() : 0);
}

// Inflates a qCompress block in pieces, without trusting the size it states; false when the
// bytes are damaged or would inflate beyond maxContentBytes.
bool inflateCapped(const QByteArray& compressed, QByteArray& out)
{
    out.clear();
    if (compressed.size() <= 4)
        return false;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.constData())) + 4;
    zs.avail_in = uInt(compressed.size() - 4);
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    int rc = Z_OK;
    bool ok = true;
    while (rc != Z_STREAM_END) {
        zs.next_out = reinterpret_cast<Bytef*>(chunk.data());
        zs.avail_out = uInt(chunk.size());
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            ok = false;
            break;
        }
        const qsizetype got = chunk.size() - qsizetype(zs.avail_out);
        if (out.size() + got > ReportFile::maxContentBytes) {
            ok = false;
            break;
        }
        out.append(chunk.constData(), got);
    }
    ok = ok && zs.avail_in == 0;
    inflateEnd(&zs);
    if (!ok)
        out.clear();
    return ok;
}

bool inRange(qint32 v, int limit)
{
    return v >= -limit && v <= limit;
}

QColor readColor(QDataStream& in)
{
    quint8 valid = 0;
    quint32 rgba = 0;
    in >> valid >> rgba;
    return valid ? QColor::fromRgba(rgba) : QColor();
}

void writeItem(QDataStream& out, const ReportItem& item)
{
    out << quint8(item.type) << qint32(item.rect.x()) << qint32(item.rect.y()) << qint32(item.rect.width())
        << qint32(item.rect.height());
    writeColor(out, item.color);
    out << qint32(item.penWidth);
    switch (item.type) {
    case ReportItem::Type::Text:
        out << item.text << item.fontFamily << item.pointSize << item.style << qint32(item.alignment);
        break;
    case ReportItem::Type::Rect:
        writeColor(out, item.brush);
        break;
    case ReportItem::Type::Image:
        out << qint32(item.imageIndex);
        break;
    case ReportItem::Type::Barcode:
        out << item.text << quint32(item.bars.size());
        for (const QRect& bar : item.bars)
            out << qint32(bar.x()) << qint32(bar.y()) << qint32(bar.width()) << qint32(bar.height());
        break;
    case ReportItem::Type::Line:
        break;
    }
}

// Reads one item; false when the bytes cannot be an item.
bool readItem(QDataStream& in, ReportItem& item, int imageCount)
{
    quint8 type = 0;
    qint32 x = 0, y = 0, w = 0, h = 0, pen = 0;
    in >> type >> x >> y >> w >> h;
    // Bounded before QRect adds them up.
    if (!inRange(x, maxPageUnits) || !inRange(y, maxPageUnits) || !inRange(w, maxPageUnits)
        || !inRange(h, maxPageUnits))
        return false;
    item.rect = QRect(x, y, w, h);
    item.color = readColor(in);
    in >> pen;
    item.penWidth = pen;
    if (pen < 0 || pen > maxPageUnits)
        return false;
    switch (type) {
    case quint8(ReportItem::Type::Text): {
        qint32 alignment = 0;
        in >> item.text >> item.fontFamily >> item.pointSize >> item.style >> alignment;
        item.alignment = alignment;
        if (!(item.pointSize > 0 && item.pointSize < 1000) || item.text.size() > ReportFile::maxTextLength
            || item.fontFamily.size() > 200)
            return false;
        break;
    }
    case quint8(ReportItem::Type::Rect):
        item.brush = readColor(in);
        break;
    case quint8(ReportItem::Type::Image): {
        qint32 index = -1;
        in >> index;
        item.imageIndex = index;
        if (index < 0 || index >= imageCount)
            return false;
        break;
    }
    case quint8(ReportItem::Type::Barcode): {
        quint32 count = 0;
        in >> item.text >> count;
        if (in.status() != QDataStream::Ok || item.text.size() > ReportFile::maxTextLength
            || count > ReportFile::maxBars || w < 0 || h < 0)
            return false;
        // Every bar lies within the item (micrometres, a hundred to a unit).
        const qint64 right = qint64(w) * 100, bottom = qint64(h) * 100;
        item.bars.reserve(int(count));
        for (quint32 i = 0; i < count; ++i) {
            qint32 bx = 0, by = 0, bw = 0, bh = 0;
            in >> bx >> by >> bw >> bh;
            if (in.status() != QDataStream::Ok || bx < 0 || by < 0 || bw <= 0 || bh <= 0
                || qint64(bx) + bw > right || qint64(by) + bh > bottom)
                return false;
            item.bars << QRect(bx, by, bw, bh);
        }
        break;
    }
    case quint8(ReportItem::Type::Line):
        break;
    default:
        return false;
    }
    item.type = ReportItem::Type(type);
    return in.status() == QDataStream::Ok;
}

} // namespace

namespace ReportFile {

QByteArray toBytes(const RenderedReport& report)
{
    QByteArray content;
    {
        QDataStream out(&content, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << report.title() << qint32(report.pageSizeId()) << qint32(report.orientation())
            << qint32(report.pageSizeUnits().width()) << qint32(report.pageSizeUnits().height());
        out << quint32(report.images().size());
        for (const QImage& image : report.images()) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            out << png;
        }
        out << quint32(report.pageCount());
        for (const RenderedPage& page : report.pages()) {
            out << quint32(page.items.size());
            for (const ReportItem& item : page.items)
                writeItem(out, item);
        }
    }
    // Text items repeat their fonts on every page; compressed, a file is a tenth of the size.
    content = qCompress(content, 1);
    QByteArray bytes = signature;
    QDataStream header(&bytes, QIODevice::Append);
    header.setVersion(QDataStream::Qt_6_4);
    header << formatVersion << quint32(content.size());
    bytes += content;
    bytes += QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    return bytes;
}

void fromBytes(const QByteArray& bytes, RenderedReport& report, const QString& fileName)
{
    if (!bytes.startsWith(signature))
        throw HwError(QStringLiteral("Die Datei %1 ist keine Reportdatei.").arg(shownName(fileName)));
    if (bytes.size() < headerSize)
        damaged(fileName);
    QDataStream header(bytes.mid(signature.size(), headerSize - signature.size()));
    header.setVersion(QDataStream::Qt_6_4);
    quint16 version = 0;
    quint32 length = 0;
    header >> version >> length;
    if (version < 1 || version > formatVersion)
        throw HwError(QStringLiteral("Die Reportdatei %1 hat das Format %2, das dieses Programm nicht lesen kann.")
                          .arg(shownName(fileName))
                          .arg(version));
    if (qint64(length) + headerSize + hashSize != bytes.size())
        damaged(fileName);
    const QByteArray compressed = bytes.mid(headerSize, length);
    if (QCryptographicHash::hash(compressed, QCryptographicHash::Sha256) != bytes.right(hashSize))
        damaged(fileName);
    QByteArray content;
    if (!inflateCapped(compressed, content) || content.isEmpty())
        damaged(fileName);

    QDataStream in(content);
    in.setVersion(QDataStream::Qt_6_4);
    QString title;
    qint32 sizeId = 0, orientation = 0, width = 0, height = 0;
    quint32 imageCount = 0;
    in >> title >> sizeId >> orientation >> width >> height >> imageCount;
    if (in.status() != QDataStream::Ok || sizeId < 0 || sizeId > QPageSize::LastPageSize
        || (orientation != QPageLayout::Portrait && orientation != QPageLayout::Landscape) || width <= 0
        || height <= 0 || width > maxPageUnits || height > maxPageUnits || imageCount > ReportFile::maxImages
        || title.size() > ReportFile::maxTextLength)
        damaged(fileName);
    QList<QImage> images;
    qint64 pixels = 0;
    for (quint32 i = 0; i < imageCount; ++i) {
        QByteArray png;
        in >> png;
        if (in.status() != QDataStream::Ok)
            damaged(fileName);
        // The size from the PNG header, before a single pixel is decoded.
        QBuffer buffer(&png);
        QImageReader reader(&buffer, "PNG");
        const QSize size = reader.size();
        pixels += qint64(qMax(0, size.width())) * qMax(0, size.height());
        if (!size.isValid() || size.width() > ReportFile::maxImageSide || size.height() > ReportFile::maxImageSide
            || pixels > ReportFile::maxImagePixels)
            damaged(fileName);
        QImage image;
        if (!reader.read(&image) || image.size() != size)
            damaged(fileName);
        images << image.convertToFormat(QImage::Format_ARGB32);
    }
    quint32 pageCount = 0;
    in >> pageCount;
    if (in.status() != QDataStream::Ok || pageCount > ReportFile::maxPages)
        damaged(fileName);
    QList<RenderedPage> pages;
    pages.reserve(int(qMin(pageCount, 1024u)));
    qint64 totalItems = 0;
    for (quint32 p = 0; p < pageCount; ++p) {
        quint32 itemCount = 0;
        in >> itemCount;
        totalItems += itemCount;
        if (in.status() != QDataStream::Ok || itemCount > quint32(content.size() / minItemBytes)
            || totalItems > ReportFile::maxItems)
            damaged(fileName);
        RenderedPage page;
        page.items.reserve(int(qMin(itemCount, 4096u)));
        for (quint32 i = 0; i < itemCount; ++i) {
            ReportItem item;
            if (!readItem(in, item, int(images.size())))
                damaged(fileName);
            page.items << item;
        }
        pages << std::move(page);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        damaged(fileName);
    report.assign(title, QPageSize::PageSizeId(sizeId), QPageLayout::Orientation(orientation), QSize(width, height),
                  std::move(images), std::move(pages));
}

void save(const RenderedReport& report, const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toBytes(report)) < 0 || !file.commit())
        throw HwError(QStringLiteral("Die Reportdatei %1 kann nicht geschrieben werden.").arg(fileName));
}

void load(const QString& fileName, RenderedReport& report)
{
    QFile file(fileName);
    if (!file.exists())
        throw HwError(fileName + QStringLiteral(" nicht vorhanden"));
    if (!file.open(QIODevice::ReadOnly))
        throw HwError(QStringLiteral("Die Datei %1 kann nicht geöffnet werden.").arg(fileName));
    fromBytes(file.readAll(), report, fileName);
}

} // namespace ReportFile
