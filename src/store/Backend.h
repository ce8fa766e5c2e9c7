#pragma once
#include "FieldDefs.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QStringList>
#include <memory>
#include <optional>

// Rows of a SELECT, read column by column in the column's own type.
class SharedRows;

class ResultCursor {
public:
    virtual ~ResultCursor() = default;
    virtual bool next() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int col) const = 0;
    // Type from the declared column type; Text when unknown.
    virtual FieldType columnType(int col) const = 0;
    virtual bool isNull(int col) const = 0;
    virtual qint64 intValue(int col) const = 0;
    virtual double doubleValue(int col) const = 0;
    virtual QString textValue(int col) const = 0;
    virtual qint32 dateJulianDay(int col) const = 0;       // RowStore::NullDate when unreadable
    virtual qint64 dateTimeMs(int col) const = 0;
    virtual bool boolValue(int col) const = 0;
    // A text value's UTF-8 bytes, valid until the next row; lets a reader reuse a string it
    // already holds instead of decoding the same text again.
    virtual QByteArrayView textBytes(int col) const = 0;
};

// One database that serves an alias. Everything above the store speaks through Table and
// Query; this interface hides which database is in use.
class Backend {
public:
    virtual ~Backend() = default;

    virtual QString description() const = 0;
    virtual QString location() const = 0;                 // data directory or server

    // Transactions nest by counting; only the outermost one talks to the database.
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // Statements with positional parameters (?); values as QVariant (QDate, bool ...).
    virtual int exec(const QString& sql, const QVariantList& params = {}) = 0;   // rows changed
    virtual qint64 lastInsertId() = 0;
    virtual std::unique_ptr<ResultCursor> select(const QString& sql, const QVariantList& params = {}) = 0;
    // The same for a large result read once from first to last row: a server hands the rows
    // over as they arrive instead of holding the whole result first. Nothing else may run on
    // this database until the cursor has reached its end or is gone; column names and types
    // are known once next() returned (or after the last row).
    virtual std::unique_ptr<ResultCursor> selectStreamed(const QString& sql, const QVariantList& params = {})
    {
        return select(sql, params);
    }
    // The same for statements from outside the store (Query): the database itself refuses one
    // that could write, and more than one statement.
    virtual std::unique_ptr<ResultCursor> selectReadOnly(const QString& sql, const QVariantList& params = {}) = 0;
    virtual bool tableExists(const QString& name) = 0;

    // Column type in DDL, the auto-increment key column, and literals of the dialect.
    virtual QString columnSql(const FieldDef& def) const = 0;
    virtual QString trueLiteral() const = 0;
    virtual QString falseLiteral() const = 0;
    virtual QString dateLiteral(const QDate& date) const = 0;
    // CREATE INDEX statement; unique text indexes compare without regard to case when asked.
    virtual QString indexSql(const QString& table, const QString& indexName, const IndexDef& index,
                             const TableDef& def) const = 0;
    // Expression that reads an empty boolean as false.
    virtual QString boolOrFalse(const QString& column) const = 0;
    // Added to an ORDER BY item where the database would not sort empty values first when
    // ascending and last when descending, as the report dialect does.
    virtual QString nullsOrder(bool descending) const { return QString(); }

    // Inside a transaction: writers that pass the same text run one after the other until
    // the transaction ends (check-then-write on the catalog). A file database that locks
    // the whole file on BEGIN needs nothing more.
    virtual void serializeWrites(const QString& what) {}

    // A server knows its connected clients: it registers the program's sessions itself and
    // tells whether one is still running. A file database answers nullopt and leaves this
    // to the network control directory.
    virtual bool serverBased() const { return false; }

    // Change counters (Catalog): a server that notifies its clients of changes keeps the
    // counter it read last and answers it without asking while no notice came. nullopt: ask.
    virtual std::optional<qint64> knownChangeCount(const QString& table) { return std::nullopt; }
    virtual void rememberChangeCount(const QString& table, qint64 count) {}
    // Called inside the writing transaction after the counter went up.
    virtual void announceChange(const QString& table) {}
    // Raises the table's counter inside the writing transaction and announces the change.
    virtual void bumpChange(const QString& table);
    virtual void announceSession(const QString& sessionId, const QString& userName) {}
    virtual std::optional<bool> sessionAlive(const QString& sessionId) { return std::nullopt; }
    virtual std::optional<QStringList> sessionUsers() { return std::nullopt; }
    // The running programs other than ownSession, as "user (workstation)".
    virtual std::optional<QStringList> otherSessions(const QString& ownSession) { return std::nullopt; }

    // Whole tables read through this database, shared by the cursors that show them; the
    // entries go with the database.
    QHash<QString, std::weak_ptr<SharedRows>>& sharedRows() { return m_sharedRows; }

private:
    QHash<QString, std::weak_ptr<SharedRows>> m_sharedRows;
};

// Counts nested begin/commit so that only the outermost pair talks to the database; a
// rollback at any depth ends the whole transaction.
class NestingBackend : public Backend {
public:
    void begin() final
    {
        if (m_depth++ == 0)
            rawBegin();
    }
    void commit() final
    {
        if (m_depth <= 0)
            return;
        if (--m_depth == 0)
            rawCommit();
    }
    void rollback() final
    {
        if (m_depth <= 0)
            return;
        m_depth = 0;
        rawRollback();
    }
    bool inTransaction() const final { return m_depth > 0; }

protected:
    virtual void rawBegin() = 0;
    virtual void rawCommit() = 0;
    virtual void rawRollback() = 0;
    // The connection lost its transaction by itself (e.g. it was reset).
    void forgetTransaction() { m_depth = 0; }

private:
    int m_depth = 0;
};

// Both databases get the same texts: PostgreSQL would cut one at a NUL character, SQLite
// keep it. Throws the German refusal before the statement runs.
void refuseNulInParams(const QString& sql, const QVariantList& params);
// The refusal of a statement that would write where only reading is allowed.
[[noreturn]] void refuseWritingStatement(const QString& sql);

// Counts the statements the store sends to a database (exec and select), for measurements.
qint64 statementCount();
void countStatement();

// Rolls back unless committed: every write of the store runs inside one.
class Transaction {
public:
    explicit Transaction(Backend& backend) : m_backend(backend) { m_backend.begin(); }
    ~Transaction()
    {
        if (!m_done) {
            try {
                m_backend.rollback();
            } catch (...) {
            }
        }
    }
    void commit()
    {
        m_backend.commit();
        m_done = true;
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
private:
    Backend& m_backend;
    bool m_done = false;
};

std::unique_ptr<Backend> createSqliteBackend(const QString& dataDir);
// conninfo: libpq "key=value" text (host, port, dbname, user); the password comes from
// ~/.pgpass or PGPASSWORD as for every PostgreSQL client.
std::unique_ptr<Backend> createPgBackend(const QString& conninfo);
