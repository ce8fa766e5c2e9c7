#include "ParadoxRecords.h"

#include "Errors.h"

#include <QDir>
#include <cstring>

ParadoxRecords::ParadoxRecords(const QString& path, const Layout& layout)
    : m_path(path), m_layout(layout), m_file(path), m_nextBlock(layout.firstBlock), m_record(layout.recordSize, 0)
{
    if (!m_file.open(QIODevice::ReadOnly))
        damaged(m_file.errorString());
    m_size = m_file.size();
    if (m_size > 0)
        m_map = m_file.map(0, m_size);
    if (!m_map && m_size > 0)
        damaged(m_file.errorString());
    if (layout.recordSize <= 0 || layout.blockSize <= 6)
        damaged(QStringLiteral("Satzlänge oder Blockgröße ungültig"));
}

void ParadoxRecords::damaged(const QString& why) const
{
    throw HwError(QStringLiteral("Die Tabelle „%1“ ist keine lesbare Paradox-Tabelle oder ist beschädigt (%2). "
                                 "Es wurde nichts übernommen.")
                      .arg(QDir::toNativeSeparators(m_path), why));
}

char* ParadoxRecords::next()
{
    while (m_leftInBlock == 0) {
        if (m_nextBlock <= 0)
            return nullptr;
        if (++m_blocksSeen > m_layout.fileBlocks)
            damaged(QStringLiteral("die Kette der Datenblöcke ist länger als die Datei"));
        const qint64 at = m_layout.headerSize + qint64(m_nextBlock - 1) * m_layout.blockSize;
        if (at + 6 > m_size)
            damaged(QStringLiteral("Datenblock %1 liegt hinter dem Dateiende").arg(m_nextBlock));
        const uchar* b = m_map + at;
        m_nextBlock = b[0] | b[1] << 8;
        // The bytes used after the first record; negative in an empty block.
        const qint16 addDataSize = qint16(b[4] | b[5] << 8);
        const int records = addDataSize < 0 ? 0 : addDataSize / m_layout.recordSize + 1;
        if (qint64(records) * m_layout.recordSize > m_layout.blockSize - 6 || at + 6 + qint64(records) * m_layout.recordSize > m_size)
            damaged(QStringLiteral("Datenblock %1 ist unvollständig").arg((at - m_layout.headerSize) / m_layout.blockSize + 1));
        m_leftInBlock = records;
        m_pos = b + 6;
    }
    // pxlib decodes in place; the mapped file stays untouched.
    std::memcpy(m_record.data(), m_pos, size_t(m_layout.recordSize));
    m_pos += m_layout.recordSize;
    --m_leftInBlock;
    ++m_read;
    return m_record.data();
}
