#include "Backend.h"

#include "BulkInsert.h"
#include "Errors.h"

#include <QDate>
#include <QDateTime>
#include <atomic>

namespace {
std::atomic<qint64> g_statements{0};
}

void refuseNulInParams(const QString& sql, const QVariantList& params)
{
    // The statement text too: a quoted literal may carry the character.
    if (sql.contains(QChar(0)))
        throw EngineError(QStringLiteral("Ein Text enthält ein Nullzeichen (Steuerzeichen 0) und kann nicht gespeichert werden."),
                          EngineCode::InvalidValue);
    for (const QVariant& v : params) {
        if (v.typeId() == QMetaType::QString && v.toString().contains(QChar(0)))
            throw EngineError(QStringLiteral("Ein Text enthält ein Nullzeichen (Steuerzeichen 0) und kann nicht gespeichert werden."),
                              EngineCode::InvalidValue);
    }
}

void refuseWritingStatement(const QString& sql)
{
    throw EngineError(QStringLiteral("Eine Abfrage darf nur lesen (eine einzige SELECT-Anweisung): %1").arg(sql.simplified().left(200)),
                      EngineCode::SqlError);
}

qint64 statementCount() { return g_statements.load(std::memory_order_relaxed); }

void countStatement() { g_statements.fetch_add(1, std::memory_order_relaxed); }

namespace {
class StatementBulkInsert : public BulkInsert {
public:
    StatementBulkInsert(Backend& db, const QString& table, const QStringList& columns) : m_db(db), m_values(columns.size())
    {
        m_sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(table, columns.join(QLatin1Char(',')), QList<QString>(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    }
    void setNull(int col) override { m_values[col] = QVariant(); }
    void setInt(int col, qint64 value) override { m_values[col] = value; }
    void setDouble(int col, double value) override { m_values[col] = value; }
    void setBool(int col, bool value) override { m_values[col] = value; }
    void setText(int col, QByteArrayView utf8) override { m_values[col] = QString::fromUtf8(utf8); }
    void setDate(int col, qint64 julianDay) override { m_values[col] = QDate::fromJulianDay(julianDay); }
    void setDateTime(int col, qint64 julianDay, int msOfDay) override
    {
        m_values[col] = QDateTime(QDate::fromJulianDay(julianDay), QTime::fromMSecsSinceStartOfDay(msOfDay));
    }
    void addRow() override { m_db.exec(m_sql, m_values); }

private:
    Backend& m_db;
    QString m_sql;
    QVariantList m_values;
};
}

std::unique_ptr<BulkInsert> bulkInsert(Backend& db, const QString& table, const QStringList& columns)
{
    if (auto own = sqliteBulkInsert(db, table, columns))
        return own;
    if (auto own = pgBulkInsert(db, table, columns))
        return own;
    return std::make_unique<StatementBulkInsert>(db, table, columns);
}

void Backend::bumpChange(const QString& table)
{
    exec(QStringLiteral("UPDATE _hw_changes SET n = n + 1 WHERE tbl = ?"), {table});
    announceChange(table);
}
