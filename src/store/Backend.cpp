#include "Backend.h"

#include "Errors.h"

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
