#pragma once
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>

class Backend;

// Many rows into one table inside the caller's transaction, each value set in its own type:
// for taking over whole tables, where a statement text and a value list per row cost more than
// the database's own work. Every column is set for every row before addRow().
class BulkInsert {
public:
    virtual ~BulkInsert() = default;
    virtual void setNull(int col) = 0;
    virtual void setInt(int col, qint64 value) = 0;
    virtual void setDouble(int col, double value) = 0;
    virtual void setBool(int col, bool value) = 0;
    // UTF-8; the bytes stay valid until addRow() returns. A NUL character is refused as by exec().
    virtual void setText(int col, QByteArrayView utf8) = 0;
    virtual void setDate(int col, qint64 julianDay) = 0;
    virtual void setDateTime(int col, qint64 julianDay, int msOfDay) = 0;
    // Rows may be gathered and written several at a time: a database error (EngineError, as
    // from Backend::exec()) may come with a later row or from finish().
    virtual void addRow() = 0;
    // All rows are in the table (within the transaction).
    virtual void finish() {}
};

// Made by the database that serves db: on SQLite many rows to one prepared statement, on
// PostgreSQL COPY, otherwise a prepared INSERT per row through Backend::exec().
std::unique_ptr<BulkInsert> bulkInsert(Backend& db, const QString& table, const QStringList& columns);

// The databases' own ones; nullptr when db is not theirs.
std::unique_ptr<BulkInsert> sqliteBulkInsert(Backend& db, const QString& table, const QStringList& columns);
std::unique_ptr<BulkInsert> pgBulkInsert(Backend& db, const QString& table, const QStringList& columns);
