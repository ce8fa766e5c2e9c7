#include "Backend.h"
#include "BulkInsert.h"
#include "Errors.h"
#include "IsoText.h"
#include "RowStore.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr const char* kFileName = "tarvino.sqlite";

FieldType typeFromDecl(const char* decl)
{
    if (!decl)
        return FieldType::Text;
    const QByteArray d = QByteArray(decl).toUpper();
    if (d.startsWith("INTEGER") || d == "INT")
        return FieldType::Integer;
    if (d.startsWith("DOUBLE") || d.startsWith("REAL") || d.startsWith("FLOAT"))
        return FieldType::Float;
    if (d == "DATE")
        return FieldType::Date;
    if (d.startsWith("TIMESTAMP") || d == "DATETIME")
        return FieldType::DateTime;
    if (d.startsWith("BOOL"))
        return FieldType::Boolean;
    if (d.startsWith("MEMO"))
        return FieldType::Memo;
    return FieldType::Text;
}

QString damagedFileText(const QString& file, const QString& detail)
{
    return QStringLiteral("Die Datenbankdatei %1 ist beschädigt%2.\nBitte das Programm beenden und die letzte "
                          "Datensicherung dieser Datei zurückspielen; bis dahin nicht mehr darin arbeiten.")
        .arg(file, detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail));
}

class SqliteCursor : public ResultCursor {
public:
    SqliteCursor(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    ~SqliteCursor() override { sqlite3_finalize(m_stmt); }

    bool next() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        sqlite3* db = sqlite3_db_handle(m_stmt);
        if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB)
            throw EngineError(damagedFileText(QDir::toNativeSeparators(QString::fromUtf8(sqlite3_db_filename(db, "main"))),
                                              QString::fromUtf8(sqlite3_errmsg(db))),
                              EngineCode::Generic);
        throw EngineError(QStringLiteral("Fehler beim Lesen der Daten: %1")
                              .arg(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt)))),
                          rc == SQLITE_BUSY ? EngineCode::TableLocked : EngineCode::SqlError);
    }
    int columnCount() const override { return sqlite3_column_count(m_stmt); }
    QString columnName(int col) const override { return QString::fromUtf8(sqlite3_column_name(m_stmt, col)); }
    FieldType columnType(int col) const override
    {
        const char* decl = sqlite3_column_decltype(m_stmt, col);
        if (decl)
            return typeFromDecl(decl);
        // Expressions (COUNT, SUM ...) have no declared type: judge by the first value.
        switch (sqlite3_column_type(m_stmt, col)) {
        case SQLITE_INTEGER: return FieldType::Integer;
        case SQLITE_FLOAT: return FieldType::Float;
        default: return FieldType::Text;
        }
    }
    bool isNull(int col) const override { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
    qint64 intValue(int col) const override { return sqlite3_column_int64(m_stmt, col); }
    double doubleValue(int col) const override { return sqlite3_column_double(m_stmt, col); }
    QString textValue(int col) const override
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        const int n = sqlite3_column_bytes(m_stmt, col);
        return p ? QString::fromUtf8(p, n) : QString();
    }
    QByteArrayView textBytes(int col) const override
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        return p ? QByteArrayView(p, sqlite3_column_bytes(m_stmt, col)) : QByteArrayView();
    }
    qint32 dateJulianDay(int col) const override
    {
        if (sqlite3_column_type(m_stmt, col) != SQLITE_TEXT)
            return RowStore::NullDate;
        return isoDateToJulianDay(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col)),
                                  sqlite3_column_bytes(m_stmt, col));
    }
    qint64 dateTimeMs(int col) const override
    {
        if (sqlite3_column_type(m_stmt, col) != SQLITE_TEXT)
            return RowStore::NullDateTime;
        return isoDateTimeToMs(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col)),
                               sqlite3_column_bytes(m_stmt, col));
    }
    bool boolValue(int col) const override { return sqlite3_column_int(m_stmt, col) != 0; }

private:
    sqlite3_stmt* m_stmt;
};

class SqliteBackend : public NestingBackend {
public:
    explicit SqliteBackend(const QString& dataDir) : m_dir(dataDir)
    {
        const QString file = QDir(dataDir).filePath(QLatin1String(kFileName));
        m_file = QDir::toNativeSeparators(file);
        const QFileInfo existing(file);
        // SQLite would take an empty file for a new database: the office would see an empty
        // register and believe its data gone. Only a missing file makes a new register.
        if (existing.exists() && existing.size() == 0)
            throw EngineError(QStringLiteral("Die Datenbankdatei %1 ist leer (0 Byte). Sie wird nicht als neues, leeres Register "
                                             "angelegt.\nBitte die letzte Datensicherung dieser Datei zurückspielen. Soll wirklich "
                                             "ein neues Register beginnen, die leere Datei zuerst löschen.")
                                  .arg(m_file),
                              EngineCode::DirNotFound);
        if (sqlite3_open_v2(file.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
            != SQLITE_OK) {
            const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
            sqlite3_close(m_db);
            m_db = nullptr;
            throw EngineError(QStringLiteral("Die Datenbank %1 kann nicht geöffnet werden: %2").arg(file, msg),
                              EngineCode::DirNotFound);
        }
        // Other workstations may hold the write lock for a moment; wait instead of failing.
        sqlite3_busy_timeout(m_db, 10000);
        execRaw("PRAGMA foreign_keys = OFF");
        if (existing.exists())
            checkIntegrity();
    }
    ~SqliteBackend() override
    {
        for (sqlite3_stmt* s : std::as_const(m_cache))
            sqlite3_finalize(s);
        sqlite3_close(m_db);
    }

    QString description() const override { return QStringLiteral("SQLite"); }
    QString location() const override { return m_dir; }

    void rawBegin() override { execRaw("BEGIN IMMEDIATE"); }
    void rawCommit() override { execRaw("COMMIT"); }
    void rawRollback() override { execRaw("ROLLBACK"); }

    int exec(const QString& sql, const QVariantList& params) override
    {
        refuseNulInParams(sql, params);
        countStatement();
        // Writes repeat the same few statements: keep them prepared.
        sqlite3_stmt* stmt = m_cache.value(sql, nullptr);
        if (stmt) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
            for (int i = 0; i < params.size(); ++i)
                bind(stmt, i + 1, params[i]);
        } else {
            stmt = prepare(sql, params);
            if (m_cache.size() > 200) {
                for (sqlite3_stmt* s : std::as_const(m_cache))
                    sqlite3_finalize(s);
                m_cache.clear();
            }
            m_cache.insert(sql, stmt);
        }
        const int rc = sqlite3_step(stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
            const int ext = sqlite3_extended_errcode(m_db);
            const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_reset(stmt);
            throwError(rc, ext, msg, sql);
        }
        sqlite3_reset(stmt);
        return sqlite3_changes(m_db);
    }

    qint64 lastInsertId() override { return sqlite3_last_insert_rowid(m_db); }

    std::unique_ptr<ResultCursor> select(const QString& sql, const QVariantList& params) override
    {
        refuseNulInParams(sql, params);
        countStatement();
        return std::make_unique<SqliteCursor>(prepare(sql, params));
    }

    std::unique_ptr<ResultCursor> selectReadOnly(const QString& sql, const QVariantList& params) override
    {
        refuseNulInParams(sql, params);
        countStatement();
        const char* tail = nullptr;
        const QByteArray text = sql.toUtf8();
        sqlite3_stmt* stmt = prepare(sql, params, text, &tail);
        // Anything after the first statement would be left unread, not refused.
        const bool more = tail && !QByteArray(tail).trimmed().isEmpty();
        if (!sqlite3_stmt_readonly(stmt) || more) {
            sqlite3_finalize(stmt);
            refuseWritingStatement(sql);
        }
        return std::make_unique<SqliteCursor>(stmt);
    }

    // Rows gathered and written many to a statement, each value bound in its own type; dates
    // as the ISO texts bind() writes. One statement per row would run the statement's own
    // work (cursors, the AUTOINCREMENT counter) once per row.
    class Bulk : public BulkInsert {
    public:
        Bulk(SqliteBackend& db, const QString& table, const QStringList& columns)
            : m_db(db), m_table(table), m_columns(columns), m_width(int(columns.size()))
        {
            // Within the parameters a statement may have (32,766 in recent SQLite, 999 in old ones).
            const int limit = std::min(20000, sqlite3_limit(m_db.m_db, SQLITE_LIMIT_VARIABLE_NUMBER, -1));
            m_perStatement = std::clamp(limit / std::max(1, m_width), 1, 100);
            m_values.resize(size_t(m_perStatement) * size_t(m_width));
            m_full = prepareRows(m_perStatement);
        }
        ~Bulk() override { sqlite3_finalize(m_full); }
        void setNull(int col) override { at(col).type = SQLITE_NULL; }
        void setInt(int col, qint64 value) override
        {
            Value& v = at(col);
            v.type = SQLITE_INTEGER;
            v.i = value;
        }
        void setDouble(int col, double value) override
        {
            Value& v = at(col);
            v.type = SQLITE_FLOAT;
            v.d = value;
        }
        void setBool(int col, bool value) override { setInt(col, value ? 1 : 0); }
        void setText(int col, QByteArrayView utf8) override
        {
            if (std::memchr(utf8.data(), 0, size_t(utf8.size())))
                refuseNulInParams(QString(), {QString::fromUtf8(utf8)});
            Value& v = at(col);
            v.type = SQLITE_TEXT;
            v.i = m_arena.size();
            v.len = int(utf8.size());
            m_arena.append(utf8.data(), utf8.size());
        }
        void setDate(int col, qint64 julianDay) override
        {
            char p[16];
            const int n = writeIsoDate(p, julianDay);
            if (n < 0)
                setText(col, QDate::fromJulianDay(julianDay).toString(Qt::ISODate).toUtf8());
            else
                setText(col, QByteArrayView(p, n));
        }
        void setDateTime(int col, qint64 julianDay, int msOfDay) override
        {
            char p[32];
            int n = writeIsoDate(p, julianDay);
            if (n < 0) {
                setText(col, QDateTime(QDate::fromJulianDay(julianDay), QTime::fromMSecsSinceStartOfDay(msOfDay))
                                 .toString(Qt::ISODateWithMs)
                                 .toUtf8());
                return;
            }
            p[n++] = 'T';
            n += writeIsoTime(p + n, msOfDay);
            setText(col, QByteArrayView(p, n));
        }
        void addRow() override
        {
            if (++m_rows == m_perStatement)
                write(m_full);
        }
        void finish() override
        {
            if (m_rows == 0)
                return;
            sqlite3_stmt* rest = prepareRows(m_rows);
            try {
                write(rest);
            } catch (...) {
                sqlite3_finalize(rest);
                throw;
            }
            sqlite3_finalize(rest);
        }

    private:
        struct Value {
            int type = SQLITE_NULL;
            int len = 0;
            qint64 i = 0;        // an integer, or where a text starts in the arena
            double d = 0;
        };
        Value& at(int col) { return m_values[size_t(m_rows) * size_t(m_width) + size_t(col)]; }

        sqlite3_stmt* prepareRows(int rows)
        {
            const QString one = QLatin1Char('(') + QList<QString>(m_width, QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
            const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                    .arg(m_table, m_columns.join(QLatin1Char(',')), QList<QString>(rows, one).join(QLatin1Char(',')));
            return m_db.prepare(sql, {});
        }

        // The gathered rows into the statement; the texts stay in the arena until it has run.
        void write(sqlite3_stmt* stmt)
        {
            const char* arena = m_arena.constData();
            const int n = m_rows * m_width;
            for (int k = 0; k < n; ++k) {
                Value& v = m_values[size_t(k)];
                switch (v.type) {
                case SQLITE_INTEGER: sqlite3_bind_int64(stmt, k + 1, v.i); break;
                case SQLITE_FLOAT: sqlite3_bind_double(stmt, k + 1, v.d); break;
                case SQLITE_TEXT: sqlite3_bind_text(stmt, k + 1, arena + v.i, v.len, SQLITE_STATIC); break;
                default: sqlite3_bind_null(stmt, k + 1);
                }
                v.type = SQLITE_NULL;     // a column left unset in the next row stays empty
            }
            m_rows = 0;
            countStatement();
            const int rc = sqlite3_step(stmt);
            if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
                const int ext = sqlite3_extended_errcode(m_db.m_db);
                const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db.m_db));
                sqlite3_reset(stmt);
                m_arena.resize(0);
                m_db.throwError(rc, ext, msg, QStringLiteral("INSERT INTO %1").arg(m_table));
            }
            sqlite3_reset(stmt);
            m_arena.resize(0);
        }

        SqliteBackend& m_db;
        QString m_table;
        QStringList m_columns;
        int m_width;
        int m_perStatement = 1;
        int m_rows = 0;
        std::vector<Value> m_values;
        QByteArray m_arena;
        sqlite3_stmt* m_full = nullptr;
    };

    std::unique_ptr<BulkInsert> bulkInsert(const QString& table, const QStringList& columns)
    {
        return std::make_unique<Bulk>(*this, table, columns);
    }

    bool tableExists(const QString& name) override
    {
        auto c = select(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND lower(name)=lower(?)"), {name});
        return c->next();
    }

    QString columnSql(const FieldDef& def) const override
    {
        QString t;
        switch (def.type) {
        case FieldType::AutoInc: return def.name + QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
        case FieldType::Integer: t = QStringLiteral("INTEGER"); break;
        case FieldType::Float: t = QStringLiteral("DOUBLE"); break;
        case FieldType::Date: t = QStringLiteral("DATE"); break;
        case FieldType::DateTime: t = QStringLiteral("TIMESTAMP"); break;
        case FieldType::Boolean: t = QStringLiteral("BOOLEAN"); break;
        case FieldType::Memo: t = QStringLiteral("MEMOTEXT"); break;
        case FieldType::Text: t = QStringLiteral("VARCHAR(%1)").arg(def.size > 0 ? def.size : 255); break;
        }
        return def.name + QLatin1Char(' ') + t;
    }
    QString trueLiteral() const override { return QStringLiteral("1"); }
    QString falseLiteral() const override { return QStringLiteral("0"); }
    QString dateLiteral(const QDate& date) const override
    {
        return QLatin1Char('\'') + date.toString(Qt::ISODate) + QLatin1Char('\'');
    }
    QString indexSql(const QString& table, const QString& indexName, const IndexDef& index,
                     const TableDef& def) const override
    {
        QStringList cols;
        for (const QString& f : index.fieldList()) {
            const FieldDef* fd = def.field(f);
            const bool text = fd && (fd->type == FieldType::Text || fd->type == FieldType::Memo);
            cols << (text && index.caseInsensitive ? f + QStringLiteral(" COLLATE NOCASE") : f);
        }
        return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
            .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), indexName, table, cols.join(QStringLiteral(", ")));
    }
    QString boolOrFalse(const QString& column) const override
    {
        return QStringLiteral("COALESCE(%1,0)").arg(column);
    }

private:
    QString damagedText(const QString& detail) const { return damagedFileText(m_file, detail); }

    // A quick look over every page at start-up: a damaged file is named before anyone works in it.
    void checkIntegrity()
    {
        sqlite3_stmt* stmt = nullptr;
        QStringList problems;
        // The check's own lines (page numbers) mean nothing to the office: only whether it failed.
        int rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check(1)", -1, &stmt, nullptr);
        if (rc == SQLITE_OK) {
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
                const QString line = QString::fromUtf8(p ? p : "");
                if (line != QLatin1String("ok"))
                    problems << line;
            }
        }
        const QString error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(stmt);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            return;     // another workstation writes just now; its file is checked at its own start
        QString detail;
        if (rc != SQLITE_DONE && rc != SQLITE_OK)
            detail = error;
        if (!problems.isEmpty() || !detail.isEmpty()) {
            sqlite3_close(m_db);
            m_db = nullptr;
            throw EngineError(damagedText(detail), EngineCode::Generic);
        }
    }

    void execRaw(const char* sql)
    {
        countStatement();
        char* err = nullptr;
        const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            const QString msg = QString::fromUtf8(err ? err : "");
            sqlite3_free(err);
            throwError(rc, sqlite3_extended_errcode(m_db), msg, QString::fromLatin1(sql));
        }
    }

    [[noreturn]] void throwError(int rc, int ext, const QString& msg, const QString& sql)
    {
        if (rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB)
            throw EngineError(damagedText(msg), EngineCode::Generic);
        if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
            throw EngineError(QStringLiteral("Schlüsselverletzung"), EngineCode::KeyViolation);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            throw EngineError(QStringLiteral("Die Daten sind von einem anderen Arbeitsplatz gesperrt. Bitte später erneut versuchen."),
                              EngineCode::TableLocked);
        if (msg.contains(QLatin1String("no such table"), Qt::CaseInsensitive))
            throw EngineError(QStringLiteral("Tabelle nicht gefunden: %1").arg(msg.section(QLatin1Char(':'), 1).trimmed()),
                              EngineCode::TableNotFound);
        throw EngineError(QStringLiteral("Datenbankfehler: %1").arg(msg), sql.isEmpty() ? EngineCode::Generic : EngineCode::SqlError);
    }

    sqlite3_stmt* prepare(const QString& sql, const QVariantList& params)
    {
        return prepare(sql, params, sql.toUtf8(), nullptr);
    }

    // text: sql in UTF-8, kept alive by the caller while tail points into it.
    sqlite3_stmt* prepare(const QString& sql, const QVariantList& params, const QByteArray& text, const char** tail)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, tail) != SQLITE_OK) {
            const int rc = sqlite3_errcode(m_db);
            const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_finalize(stmt);
            throwError(rc, sqlite3_extended_errcode(m_db), msg, sql);
        }
        for (int i = 0; i < params.size(); ++i)
            bind(stmt, i + 1, params[i]);
        return stmt;
    }

    static void bind(sqlite3_stmt* stmt, int pos, const QVariant& v)
    {
        if (!v.isValid() || v.isNull()) {
            sqlite3_bind_null(stmt, pos);
            return;
        }
        switch (v.typeId()) {
        case QMetaType::Bool: sqlite3_bind_int(stmt, pos, v.toBool() ? 1 : 0); break;
        case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        case QMetaType::Long: case QMetaType::Short:
            sqlite3_bind_int64(stmt, pos, v.toLongLong());
            break;
        case QMetaType::Double: case QMetaType::Float: sqlite3_bind_double(stmt, pos, v.toDouble()); break;
        case QMetaType::QDate: {
            const QByteArray s = v.toDate().toString(Qt::ISODate).toUtf8();
            sqlite3_bind_text(stmt, pos, s.constData(), int(s.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDateTime: {
            const QByteArray s = v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toUtf8();
            sqlite3_bind_text(stmt, pos, s.constData(), int(s.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray s = v.toString().toUtf8();
            sqlite3_bind_text(stmt, pos, s.constData(), int(s.size()), SQLITE_TRANSIENT);
        }
        }
    }

    QString m_dir;
    QString m_file;
    sqlite3* m_db = nullptr;
    QHash<QString, sqlite3_stmt*> m_cache;
};

} // namespace

std::unique_ptr<Backend> createSqliteBackend(const QString& dataDir)
{
    return std::make_unique<SqliteBackend>(dataDir);
}

std::unique_ptr<BulkInsert> sqliteBulkInsert(Backend& db, const QString& table, const QStringList& columns)
{
    auto* own = dynamic_cast<SqliteBackend*>(&db);
    return own ? own->bulkInsert(table, columns) : nullptr;
}
