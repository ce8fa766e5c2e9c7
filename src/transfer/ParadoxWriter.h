#pragma once
#include "ParadoxText.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QVariant>

typedef struct px_doc pxdoc_t;

// Writes a Paradox table with pxlib, as the old program kept its register. The program itself
// only reads such tables; tests and the benchmark write them to have something to read.
class ParadoxWriter {
public:
    struct Column {
        QByteArray name;
        char type;     // pxfAlpha, pxfDate, pxfShort, pxfLong, pxfAutoInc, pxfNumber, pxfLogical, pxfMemoBLOb, pxfTimestamp
        int len = 0;   // bytes; only alpha and memo columns need it
    };

    // memoPath: the .MB file for memo columns (empty: memos must fit into the record).
    ParadoxWriter(const QString& path, const QList<Column>& columns, int codePage = 1252, const QString& memoPath = QString());
    ~ParadoxWriter();
    ParadoxWriter(const ParadoxWriter&) = delete;
    ParadoxWriter& operator=(const ParadoxWriter&) = delete;

    // One value per column: an invalid QVariant is an empty value; dates as QDate, logical as
    // bool, texts as QString (encoded in the table's code page).
    void addRow(const QVariantList& values);
    // Large tables: records go into the file block by block from here instead of through
    // PX_put_record, which looks up the end of the table anew for every record (50,000 rows
    // take minutes). Values and memos are still encoded by pxlib. Set before the first row.
    void setBulk(bool on) { m_bulk = on; }
    // A raw day number for a date column, to write dates no calendar has.
    static QVariant rawDate(qint64 days);
    void close();

private:
    pxdoc_t* m_doc = nullptr;
    QList<Column> m_columns;
    ParadoxText::CodePage m_cp;
    void flushBlock(bool last);

    QByteArray m_record;
    QString m_path;
    QString m_memoPath;
    bool m_bulk = false;
    QFile* m_file = nullptr;          // bulk: the table file, written beside pxlib's header
    qint64 m_headerSize = 0;
    qint64 m_blockSize = 0;
    int m_perBlock = 0;
    QByteArray m_block;
    int m_inBlock = 0;
    int m_blocks = 0;
    qint64 m_rows = 0;
};
