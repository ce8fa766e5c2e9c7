#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

// The records of a Paradox table, block by block along the chain its header starts. pxlib's
// PX_get_record looks each record up from the first block again, which makes reading a table
// quadratic (12,000 rows/s at 50,000 rows and falling); the blocks are simple enough to walk
// here, and pxlib still reads the header and decodes every field.
class ParadoxRecords {
public:
    struct Layout {
        qint64 headerSize = 0;
        qint64 blockSize = 0;       // bytes
        int firstBlock = 0;
        int fileBlocks = 0;
        int recordSize = 0;
    };
    // Throws HwError with a German message naming the file when it cannot be read.
    ParadoxRecords(const QString& path, const Layout& layout);

    // The next record (recordSize bytes, valid until the next call), or nullptr at the end.
    // A block outside the file, a block holding more than fits, or a chain longer than the
    // file's blocks throws HwError.
    char* next();
    qint64 read() const { return m_read; }

private:
    [[noreturn]] void damaged(const QString& why) const;

    QString m_path;
    Layout m_layout;
    QFile m_file;
    const uchar* m_map = nullptr;
    qint64 m_size = 0;
    int m_nextBlock = 0;
    int m_blocksSeen = 0;
    int m_leftInBlock = 0;
    const uchar* m_pos = nullptr;
    qint64 m_read = 0;
    QByteArray m_record;
};
