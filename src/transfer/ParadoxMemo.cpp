#include "ParadoxMemo.h"

#include "Errors.h"

#include <QDir>
#include <QFile>
#include <cstring>

namespace {
constexpr qint64 kBlock = 4096;

quint32 le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
}

ParadoxMemoFile::ParadoxMemoFile(const QString& path) : m_path(path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw HwError(QStringLiteral("Die Memo-Datei „%1“ lässt sich nicht lesen (%2). Es wurde nichts übernommen.")
                          .arg(QDir::toNativeSeparators(path), f.errorString()));
    m_data = f.readAll();
    // Block 0 is the header: type 0, its size in blocks.
    if (m_data.size() < 16 || m_data[0] != 0)
        throw HwError(QStringLiteral("Die Memo-Datei „%1“ ist keine Paradox-Memodatei oder ist beschädigt. "
                                     "Es wurde nichts übernommen.")
                          .arg(QDir::toNativeSeparators(path)));
}

bool ParadoxMemoFile::readInRecord(const char* field, int len, QByteArray* out)
{
    out->clear();
    if (len <= 10)
        return false;
    const int leader = len - 10;
    const quint32 size = le32(field + leader + 4);
    if (size == 0)
        return true;
    if (size > quint32(leader))
        return false;
    *out = QByteArray(field, int(size));
    return true;
}

bool ParadoxMemoFile::read(const char* field, int len, QByteArray* out, QString* reason) const
{
    if (readInRecord(field, len, out))
        return true;
    if (len <= 10) {
        *reason = QStringLiteral("Memofeld zu kurz");
        return false;
    }
    const int leader = len - 10;
    const quint32 pointer = le32(field + leader);
    const qint64 size = le32(field + leader + 4);
    const qint64 offset = pointer & 0xFFFFFF00u;
    const int index = int(pointer & 0xFFu);
    const char* d = m_data.constData();
    const qint64 n = m_data.size();
    if (offset == 0 || offset % kBlock != 0 || offset + 12 > n) {
        *reason = QStringLiteral("Memo liegt außerhalb der Memo-Datei");
        return false;
    }
    const char type = d[offset];
    if (type == 2) {
        // A memo in blocks of its own: the 9-byte head repeats the length.
        if (index != 0xFF || le32(d + offset + 3) != size) {
            *reason = QStringLiteral("Länge des Memos stimmt nicht mit der Memo-Datei überein");
            return false;
        }
        if (offset + 9 + size > n) {
            *reason = QStringLiteral("Memo-Datei ist kürzer als das Memo");
            return false;
        }
        *out = QByteArray(d + offset + 9, int(size));
        return true;
    }
    if (type == 3) {
        if (index > 63) {
            *reason = QStringLiteral("Verweis ins Memo-Verzeichnis ungültig");
            return false;
        }
        const char* p = d + offset + 12 + index * 5;
        const auto* u = reinterpret_cast<const unsigned char*>(p);
        const qint64 start = offset + qint64(u[0]) * 16;
        const qint64 stored = (qint64(u[1]) - 1) * 16 + u[4];
        if (u[0] == 0 || u[1] == 0 || stored != size) {
            *reason = QStringLiteral("Länge des Memos stimmt nicht mit der Memo-Datei überein");
            return false;
        }
        if (start + size > n || start + size > offset + kBlock) {
            *reason = QStringLiteral("Memo-Datei ist kürzer als das Memo");
            return false;
        }
        *out = QByteArray(d + start, int(size));
        return true;
    }
    *reason = QStringLiteral("Memo zeigt auf einen leeren oder freien Block");
    return false;
}
