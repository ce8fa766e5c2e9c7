#pragma once
#include "ColumnAllocator.h"
#include "FieldDefs.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <vector>

// Column-wise storage of a cursor's rows: one typed vector per column, so a register of
// 100,000 ladders with 70 columns stays compact and loads fast.
// Dates are Julian day numbers, date-times Julian day * 86400000 + milliseconds of the day,
// booleans -1 (empty), 0, 1.
class RowStore {
public:
    static constexpr qint32 NullDate = std::numeric_limits<qint32>::min();
    static constexpr qint64 NullDateTime = std::numeric_limits<qint64>::min();

    void setColumns(const QList<FieldDef>& defs);
    int columnCount() const { return int(m_cols.size()); }
    FieldType columnType(int col) const { return m_cols[size_t(col)].type; }

    void clear();
    void reserve(int rows);
    int rowCount() const { return m_rows; }         // physical rows, deleted ones included
    int appendRow();                                // all columns empty
    // Grows (rows all empty) or shrinks to this many rows, every column at once.
    void resize(int rows);
    void markDeleted(int row) { m_deleted[size_t(row)] = 1; }
    bool deleted(int row) const { return m_deleted[size_t(row)] != 0; }
    qint64 rowVersion(int row) const { return m_version[size_t(row)]; }
    void setRowVersion(int row, qint64 v) { m_version[size_t(row)] = v; }

    QVariant get(int row, int col) const;
    void set(int row, int col, const QVariant& value);
    bool isNull(int row, int col) const;

    // Typed writers for loading.
    void setNull(int row, int col);
    // Integers beyond 32 bits (written by another tool) are kept exactly, never wrapped.
    void setInt(int row, int col, qint64 v);
    void setDouble(int row, int col, double v);
    void setText(int row, int col, const QString& v);
    void setDateJd(int row, int col, qint32 jd);
    void setDateTimeMs(int row, int col, qint64 ms);
    void setBool(int row, int col, bool v);

    // Ordering of two rows on one column; empty sorts first. Text optionally case-insensitive.
    int compareRows(int a, int b, int col, bool caseInsensitive) const;
    // Ordering of a row's value against a value of the column's type.
    int compareToValue(int row, int col, const QVariant& value, bool caseInsensitive) const;

    // Ordering of an integer or date column's value against a number (empty sorts first).
    int compareInt(int row, int col, qint64 value) const;

    // Memory the rows take: their columns and the texts' characters (a text shared by rows once).
    qint64 memoryBytes() const;

    // Text of a value for key comparisons (lookups, locate).
    QString keyText(int row, int col) const;

private:
    struct Column {
        FieldType type;
        ColumnVector<qint32> ints;       // Integer, AutoInc, Date (Julian day)
        ColumnVector<double> doubles;    // Float
        ColumnVector<qint64> longs;      // DateTime
        ColumnVector<QString> texts;     // Text, Memo
        ColumnVector<qint8> bools;       // Boolean
        ColumnVector<quint8> nulls;      // Integer, AutoInc, Float
        std::unordered_map<size_t, qint64> wide;   // Integer values beyond 32 bits; ints holds them clamped
    };
    std::vector<Column> m_cols;
    ColumnVector<quint8> m_deleted;
    ColumnVector<qint64> m_version;
    int m_rows = 0;
};

// Converts a value to the representation a field of this type holds (QDate for dates ...).
// Returns an invalid QVariant for empty input; throws nothing.
QVariant normaliseValue(FieldType type, const QVariant& value, bool* ok = nullptr);
int compareVariants(FieldType type, const QVariant& a, const QVariant& b, bool caseInsensitive);
