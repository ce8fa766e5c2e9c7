#include "ParadoxWriter.h"

#include "Errors.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <cstring>
extern "C" {
#include <paradox.h>
}

namespace {
constexpr qint64 kParadoxEpoch = 1721425;

struct RawDate {
    qint64 days;
};
}
Q_DECLARE_METATYPE(RawDate)

QVariant ParadoxWriter::rawDate(qint64 days)
{
    return QVariant::fromValue(RawDate{days});
}

ParadoxWriter::ParadoxWriter(const QString& path, const QList<Column>& columns, int codePage, const QString& memoPath)
    : m_columns(columns), m_cp(ParadoxText::fromHeader(codePage))
{
    m_doc = PX_new();
    if (!m_doc)
        throw HwError(QStringLiteral("Paradox-Bibliothek nicht verfügbar"));
    auto* fields = static_cast<pxfield_t*>(m_doc->malloc(m_doc, sizeof(pxfield_t) * columns.size(), "ParadoxWriter"));
    int size = 0;
    for (int i = 0; i < columns.size(); ++i) {
        Column& c = m_columns[i];
        switch (c.type) {
        case pxfDate: case pxfLong: case pxfAutoInc: c.len = 4; break;
        case pxfShort: c.len = 2; break;
        case pxfNumber: case pxfTimestamp: case pxfCurrency: c.len = 8; break;
        case pxfLogical: c.len = 1; break;
        default: break;
        }
        fields[i].px_fname = PX_strdup(m_doc, c.name.constData());
        fields[i].px_ftype = c.type;
        fields[i].px_flen = c.len;
        fields[i].px_fdc = 0;
        size += c.len;
    }
    const QByteArray name = QFile::encodeName(path);
    if (PX_create_file(m_doc, fields, int(columns.size()), name.constData(), pxfFileTypNonIndexDB) < 0)
        throw HwError(QStringLiteral("Paradox-Tabelle %1 nicht angelegt").arg(path));
    PX_set_value(m_doc, "codepage", float(codePage));
    m_memoPath = memoPath;
    if (!memoPath.isEmpty()) {
        const QByteArray memo = QFile::encodeName(memoPath);
        if (PX_set_blob_file(m_doc, memo.constData()) < 0)
            throw HwError(QStringLiteral("Memo-Datei %1 nicht angelegt").arg(memoPath));
    }
    m_record.resize(size);
    m_path = path;
    m_headerSize = m_doc->px_head->px_headersize;
    m_blockSize = qint64(m_doc->px_head->px_maxtablesize) * 1024;
    m_perBlock = size > 0 ? int((m_blockSize - 6) / size) : 0;
}

void ParadoxWriter::flushBlock(bool last)
{
    if (m_inBlock == 0)
        return;
    if (!m_file) {
        m_file = new QFile(m_path);
        if (!m_file->open(QIODevice::ReadWrite))
            throw HwError(QStringLiteral("Paradox-Tabelle %1 nicht beschreibbar").arg(m_path));
    }
    ++m_blocks;
    if (m_blocks > 65535)
        throw HwError(QStringLiteral("Paradox-Tabelle %1: mehr als 65535 Blöcke").arg(m_path));
    // Block head: next block, previous block, bytes used after the first record.
    const auto put16 = [this](int at, int v) {
        m_block[at] = char(v & 0xFF);
        m_block[at + 1] = char((v >> 8) & 0xFF);
    };
    put16(0, last ? 0 : m_blocks + 1);
    put16(2, m_blocks - 1);
    put16(4, (m_inBlock - 1) * int(m_record.size()));
    m_file->seek(m_headerSize + qint64(m_blocks - 1) * m_blockSize);
    m_file->write(m_block);
    m_block.fill('\0');
    m_inBlock = 0;
}

ParadoxWriter::~ParadoxWriter()
{
    close();
}

void ParadoxWriter::close()
{
    if (!m_doc)
        return;
    if (m_bulk && m_inBlock > 0)
        flushBlock(true);
    else if (m_bulk && m_file && m_blocks > 0) {
        // The last full block ends the chain.
        m_file->seek(m_headerSize + qint64(m_blocks - 1) * m_blockSize);
        m_file->write(QByteArray(2, '\0'));
    }
    PX_close(m_doc);
    PX_delete(m_doc);
    m_doc = nullptr;
    if (m_bulk) {
        QFile head(m_path);
        if (!head.open(QIODevice::ReadWrite))
            throw HwError(QStringLiteral("Paradox-Tabelle %1 nicht beschreibbar").arg(m_path));
        const auto put = [&head](qint64 at, quint32 v, int bytes) {
            char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
            head.seek(at);
            head.write(b, bytes);
        };
        put(0x06, quint32(m_rows), 4);          // records
        put(0x0A, quint32(m_blocks), 2);        // blocks in use
        put(0x0C, quint32(m_blocks), 2);        // blocks of the file
        put(0x0E, m_blocks ? 1u : 0u, 2);       // first block
        put(0x10, quint32(m_blocks), 2);        // last block
        head.close();
        delete m_file;
        m_file = nullptr;
    }
    // pxlib leaves the last memo block short; Paradox files are whole 4 KiB blocks.
    if (!m_memoPath.isEmpty()) {
        QFile memo(m_memoPath);
        const qint64 size = memo.size();
        if (size % 4096 != 0)
            memo.resize(size + 4096 - size % 4096);
    }
}

void ParadoxWriter::addRow(const QVariantList& values)
{
    std::memset(m_record.data(), 0, m_record.size());
    char* data = m_record.data();
    for (int i = 0; i < m_columns.size(); ++i) {
        const Column& c = m_columns[i];
        const QVariant v = i < values.size() ? values[i] : QVariant();
        if (v.isValid() && !v.isNull()) {
            switch (c.type) {
            case pxfAlpha: {
                QByteArray b = ParadoxText::encode(v.toString(), m_cp).left(c.len);
                QByteArray padded(c.len, '\0');
                std::memcpy(padded.data(), b.constData(), b.size());
                std::memcpy(data, padded.constData(), c.len);
                break;
            }
            case pxfMemoBLOb: {
                QByteArray b = ParadoxText::encode(v.toString(), m_cp);
                PX_put_data_blob(m_doc, data, c.len, b.data(), int(b.size()));
                break;
            }
            case pxfDate: {
                const qint64 days = v.canConvert<RawDate>() && v.userType() == qMetaTypeId<RawDate>()
                                        ? v.value<RawDate>().days
                                        : v.toDate().toJulianDay() - kParadoxEpoch;
                PX_put_data_long(m_doc, data, 4, int(days));
                break;
            }
            case pxfTimestamp: {
                const QDateTime dt = v.toDateTime();
                const double ms = double(dt.date().toJulianDay() - kParadoxEpoch) * 86400000.0 + dt.time().msecsSinceStartOfDay();
                PX_put_data_double(m_doc, data, 8, ms);
                break;
            }
            case pxfShort: PX_put_data_short(m_doc, data, 2, short(v.toInt())); break;
            case pxfLong: case pxfAutoInc: PX_put_data_long(m_doc, data, 4, v.toInt()); break;
            case pxfNumber: PX_put_data_double(m_doc, data, 8, v.toDouble()); break;
            case pxfLogical: PX_put_data_byte(m_doc, data, 1, v.toBool() ? 1 : 0); break;
            default: break;
            }
        }
        data += c.len;
    }
    if (m_bulk) {
        if (m_block.isEmpty())
            m_block = QByteArray(int(m_blockSize), '\0');
        std::memcpy(m_block.data() + 6 + qsizetype(m_inBlock) * m_record.size(), m_record.constData(), size_t(m_record.size()));
        ++m_rows;
        if (++m_inBlock == m_perBlock)
            flushBlock(false);
        return;
    }
    if (PX_put_record(m_doc, m_record.data()) < 0)
        throw HwError(QStringLiteral("Zeile nicht geschrieben"));
}
