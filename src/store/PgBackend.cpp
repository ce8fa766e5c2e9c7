#include "Backend.h"
#include "BulkInsert.h"
#include "Errors.h"
#include "IsoText.h"
#include "RowStore.h"
#include "ServerLogin.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QUuid>
#include <charconv>
#include <cstring>
#include <libpq-fe.h>

// PostgreSQL through libpq. Results come in text format: libpq hands out every value as a
// NUL-terminated string, which we parse without going through QVariant.
namespace {

// Type OIDs of pg_type (fixed by the server).
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTimestamp = 1114, kTimestampTz = 1184, kNumeric = 1700;

class PgCursor : public ResultCursor {
public:
    PgCursor(PGresult* res, QHash<QString, QString> spelling) : m_res(res), m_rows(PQntuples(res)), m_spelling(std::move(spelling)) {}
    ~PgCursor() override { PQclear(m_res); }

    bool next() override { return ++m_row < m_rows; }
    int columnCount() const override { return PQnfields(m_res); }
    QString columnName(int col) const override
    {
        // The server folds unquoted names to lower case; give them back as the program spells them.
        const QString name = QString::fromUtf8(PQfname(m_res, col));
        return m_spelling.value(name, name);
    }
    FieldType columnType(int col) const override
    {
        switch (PQftype(m_res, col)) {
        case kInt2: case kInt4: case kInt8: case kOid: return FieldType::Integer;
        case kFloat4: case kFloat8: case kNumeric: return FieldType::Float;
        case kDate: return FieldType::Date;
        case kTimestamp: case kTimestampTz: return FieldType::DateTime;
        case kBool: return FieldType::Boolean;
        // A memo column is TEXT; computed texts are TEXT as well but belong to no table.
        case kText: return PQftable(m_res, col) != InvalidOid ? FieldType::Memo : FieldType::Text;
        default: return FieldType::Text;
        }
    }
    bool isNull(int col) const override { return PQgetisnull(m_res, m_row, col); }
    qint64 intValue(int col) const override
    {
        const char* p = PQgetvalue(m_res, m_row, col);
        const int n = PQgetlength(m_res, m_row, col);
        if (n > 0 && (*p == 't' || *p == 'f'))
            return *p == 't' ? 1 : 0;
        qint64 v = 0;
        if (std::from_chars(p, p + n, v).ec != std::errc())
            return qint64(doubleValue(col));
        return v;
    }
    double doubleValue(int col) const override
    {
        const char* p = PQgetvalue(m_res, m_row, col);
        const int n = PQgetlength(m_res, m_row, col);
        double v = 0;
        // from_chars ignores the C library's locale, which Qt sets from the environment.
        if (std::from_chars(p, p + n, v).ec != std::errc())
            return 0;
        return v;
    }
    QString textValue(int col) const override
    {
        return QString::fromUtf8(PQgetvalue(m_res, m_row, col), PQgetlength(m_res, m_row, col));
    }
    QByteArrayView textBytes(int col) const override
    {
        return QByteArrayView(PQgetvalue(m_res, m_row, col), PQgetlength(m_res, m_row, col));
    }
    qint32 dateJulianDay(int col) const override
    {
        if (PQgetisnull(m_res, m_row, col))
            return RowStore::NullDate;
        return isoDateToJulianDay(PQgetvalue(m_res, m_row, col), PQgetlength(m_res, m_row, col));
    }
    qint64 dateTimeMs(int col) const override
    {
        if (PQgetisnull(m_res, m_row, col))
            return RowStore::NullDateTime;
        return isoDateTimeToMs(PQgetvalue(m_res, m_row, col), PQgetlength(m_res, m_row, col));
    }
    bool boolValue(int col) const override
    {
        const char* p = PQgetvalue(m_res, m_row, col);
        return *p == 't' || (*p >= '1' && *p <= '9');
    }

protected:
    PGresult* m_res;
    int m_rows;
    int m_row = -1;
    QHash<QString, QString> m_spelling;
};

class PgBackend;

// Rows of a result in single-row mode: each row is its own small result, freed when the next
// one comes, so a large table never sits in libpq's memory as a whole (100,000 ladders held
// 164 MB there before the first row was used). The connection stays busy until the last row.
class PgStreamCursor : public PgCursor {
public:
    PgStreamCursor(PgBackend& db, PGresult* first, QHash<QString, QString> spelling)
        : PgCursor(first, std::move(spelling)), m_db(&db)
    {
    }
    ~PgStreamCursor() override;
    bool next() override;

private:
    friend class PgBackend;
    PgBackend* m_db;
    bool m_started = false;
    bool m_done = false;
};

// Opens a connection; a refusal becomes the engine error the login can tell apart: the
// server wants a password nobody gave (LoginRequired), the name or password is wrong
// (WrongPassword), the role may not log in (UserLocked), no access to the database
// (InsufficientRights), anything else (DirNotFound).
PGconn* pgConnect(const QString& conninfo, const QString& user, const QString& password, const QString& appName)
{
    // The alias's text first (expanded), then the person's own login, which wins over it.
    const QByteArray info = conninfo.toUtf8();
    const QByteArray u = user.toUtf8(), pw = password.toUtf8(), app = appName.toUtf8();
    std::vector<const char*> keys{"dbname", "application_name", "client_encoding", "connect_timeout", "options"};
    std::vector<const char*> values{info.constData(), app.constData(), "UTF8", "10", "-c DateStyle=ISO -c extra_float_digits=3"};
    if (!user.isEmpty()) {
        keys.push_back("user");
        values.push_back(u.constData());
        keys.push_back("password");
        values.push_back(pw.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* conn = PQconnectdbParams(keys.data(), values.data(), 1);
    if (PQstatus(conn) == CONNECTION_OK)
        return conn;
    const QString host = QString::fromUtf8(PQhost(conn));
    const QString port = QString::fromUtf8(PQport(conn));
    const QString where = port.isEmpty() ? host : host + QLatin1Char(':') + port;
    const QString detail = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    const bool usedPassword = PQconnectionUsedPassword(conn);
    const bool needsPassword = PQconnectionNeedsPassword(conn);
    PQfinish(conn);
    // The server's texts in English and German (its lc_messages decides).
    const auto says = [&detail](std::initializer_list<const char*> texts) {
        for (const char* t : texts)
            if (detail.contains(QString::fromUtf8(t)))
                return true;
        return false;
    };
    if (says({"is not permitted to log in", "hat keine Berechtigung zum Einloggen"}))
        throw EngineError(QStringLiteral("Benutzer gesperrt => keine Anmeldung möglich"), EngineCode::UserLocked);
    if (says({"permission denied for database", "keine Berechtigung für Datenbank"}))
        throw EngineError(QStringLiteral("Der Benutzer hat keinen Zugang zur Datenbank am Server %1.\n%2").arg(where, detail),
                          EngineCode::InsufficientRights);
    if (user.isEmpty() && (needsPassword || detail.contains(QLatin1String("password"))))
        throw EngineError(QStringLiteral("Die Anmeldung am Datenbankserver %1 ist fehlgeschlagen. Das Kennwort wird aus "
                                         "~/.pgpass oder der Umgebungsvariablen PGPASSWORD gelesen.\n%2")
                              .arg(where, detail),
                          EngineCode::LoginRequired);
    if (!user.isEmpty() && (usedPassword || needsPassword
                            || says({"password authentication failed", "Passwort-Authentifizierung", "does not exist"})))
        throw EngineError(QStringLiteral("Benutzername oder Passwort falsch"), EngineCode::WrongPassword);
    throw EngineError(QStringLiteral("Der Datenbankserver %1 ist nicht erreichbar.\n%2").arg(where, detail), EngineCode::DirNotFound);
}

class PgBackend : public NestingBackend {
public:
    PgBackend(const QString& conninfo, const QString& user, const QString& password) : m_conninfo(conninfo)
    {
        // One name per connection: other workstations see it in pg_stat_activity while we live.
        m_appName = QStringLiteral("holmwacht-") + QUuid::createUuid().toString(QUuid::Id128).left(20);
        m_conn = pgConnect(conninfo, user, password, m_appName);
        connected();
    }
    ~PgBackend() override { PQfinish(m_conn); }

    // Another person's own login on the same database: the new connection replaces this one
    // only when the server accepted it; the old one stays otherwise.
    void relogin(const QString& user, const QString& password)
    {
        if (inTransaction())
            throw EngineError(QStringLiteral("Benutzerwechsel während einer laufenden Änderung nicht möglich"), EngineCode::Generic);
        ensureIdle();
        PGconn* fresh = pgConnect(m_conninfo, user, password, m_appName);
        PQfinish(m_conn);
        m_conn = fresh;
        m_prepared.clear();
        connected();
    }

    QString serverUser() const { return QString::fromUtf8(PQuser(m_conn)); }

    // The SCRAM verifier of a password, made here on the client: the clear text never
    // reaches the server or its logs.
    QString passwordVerifier(const QString& role, const QString& password)
    {
        char* v = PQencryptPasswordConn(m_conn, password.toUtf8().constData(), role.toUtf8().constData(), "scram-sha-256");
        if (!v)
            throw EngineError(QStringLiteral("Das Passwort konnte nicht verschlüsselt werden: %1")
                                  .arg(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()),
                              EngineCode::Generic);
        const QString out = QString::fromUtf8(v);
        PQfreemem(v);
        return out;
    }

    QString description() const override { return QStringLiteral("PostgreSQL"); }
    QString location() const override { return m_location; }
    bool serverBased() const override { return true; }

    void rawBegin() override
    {
        m_held.clear();
        m_ownCounts.clear();
        run("BEGIN");
    }
    void rawCommit() override { run("COMMIT"); }
    void rawRollback() override { run("ROLLBACK"); }

    int exec(const QString& sql, const QVariantList& params) override
    {
        const bool write = sql.startsWith(QLatin1String("INSERT "), Qt::CaseInsensitive)
            || sql.startsWith(QLatin1String("UPDATE "), Qt::CaseInsensitive)
            || sql.startsWith(QLatin1String("DELETE "), Qt::CaseInsensitive);
        PGresult* res = write && !sql.contains(QLatin1String("RETURNING"), Qt::CaseInsensitive) ? executePrepared(sql, params)
                                                                                             : execute(sql, params);
        if (sql.startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
            m_catalogLoaded = false;
        const char* n = PQcmdTuples(res);
        const int rows = n && *n ? atoi(n) : 0;
        PQclear(res);
        return rows;
    }

    qint64 lastInsertId() override
    {
        auto c = select(QStringLiteral("SELECT lastval()"), {});
        return c->next() ? c->intValue(0) : 0;
    }

    std::unique_ptr<ResultCursor> select(const QString& sql, const QVariantList& params) override
    {
        PGresult* res = execute(sql, params);
        return std::make_unique<PgCursor>(res, spellings(res, sql));
    }

    std::unique_ptr<ResultCursor> selectStreamed(const QString& sql, const QVariantList& params) override
    {
        // Names the statement does not spell come from the catalog, which cannot be asked
        // while the rows arrive.
        loadCatalogSpellings();
        ensureIdle();
        refuseNulInParams(sql, params);
        countStatement();
        const QByteArray stmt = numbered(sql);
        Params p(params);
        if (!PQsendQueryParams(m_conn, stmt.constData(), int(params.size()), nullptr, p.ptrs.data(), nullptr, nullptr, 0)) {
            drainResults();
            check(nullptr, sql);
        }
        PQsetSingleRowMode(m_conn);
        PGresult* first = PQgetResult(m_conn);
        const ExecStatusType st = first ? PQresultStatus(first) : PGRES_FATAL_ERROR;
        if (st != PGRES_SINGLE_TUPLE && st != PGRES_TUPLES_OK) {
            drainResults();
            check(first, sql);
            PQclear(first);
            throw EngineError(QStringLiteral("Datenbankfehler: keine Zeilen für %1").arg(sql), EngineCode::SqlError);
        }
        m_streamSql = sql;
        auto cursor = std::make_unique<PgStreamCursor>(*this, first, spellings(first, sql, false));
        if (st == PGRES_TUPLES_OK) {
            // No rows at all: the result is complete already.
            drainResults();
            cursor->m_started = cursor->m_done = true;
        } else {
            m_stream = cursor.get();
        }
        return cursor;
    }

    // A read-only transaction (or, inside one, a read-only savepoint that is rolled back, so the
    // writing transaction around it stays writable): the server refuses any write, also one
    // hidden in a function (nextval, setval).
    std::unique_ptr<ResultCursor> selectReadOnly(const QString& sql, const QVariantList& params) override
    {
        const bool outer = !inTransaction();
        if (outer) {
            run("BEGIN READ ONLY");
        } else {
            run("SAVEPOINT hw_nur_lesen");
            run("SET LOCAL transaction_read_only = on");
        }
        auto end = [&] {
            if (outer) {
                run("COMMIT");
            } else {
                run("ROLLBACK TO SAVEPOINT hw_nur_lesen");
                run("RELEASE SAVEPOINT hw_nur_lesen");
            }
        };
        PGresult* res = nullptr;
        try {
            res = execute(sql, params);
        } catch (const EngineError&) {
            try {
                if (outer)
                    run("ROLLBACK");
                else
                    end();
            } catch (const EngineError&) {
            }
            throw;
        }
        auto cursor = std::make_unique<PgCursor>(res, spellings(res, sql));
        end();
        return cursor;
    }

    // COPY ... FROM STDIN in its text form: the rows travel in large pieces instead of a round
    // trip each. Each piece is a whole COPY, so the connection is free between rows (a progress
    // window may let a timer ask the database); a row's error comes with its piece.
    class Copy : public BulkInsert {
    public:
        Copy(PgBackend& db, const QString& sql, int columns) : m_db(db), m_sql(sql), m_values(size_t(columns)), m_null(size_t(columns), true) {}
        // Each value is written into its column's buffer, which keeps its memory from row to
        // row: no allocation per value.
        void setNull(int col) override { m_null[size_t(col)] = true; }
        void setInt(int col, qint64 value) override
        {
            char p[24];
            put(col, p, std::to_chars(p, p + sizeof p, value).ptr);
        }
        // The shortest text that reads back as the same double.
        void setDouble(int col, double value) override
        {
            char p[32];
            put(col, p, std::to_chars(p, p + sizeof p, value).ptr);
        }
        void setBool(int col, bool value) override { put(col, value ? "1" : "0", nullptr); }
        void setText(int col, QByteArrayView utf8) override
        {
            if (std::memchr(utf8.data(), 0, size_t(utf8.size())))
                refuseNulInParams(QString(), {QString::fromUtf8(utf8)});
            QByteArray& out = start(col);
            const char* from = utf8.data();
            const char* const end = from + utf8.size();
            for (const char* p = from; p != end; ++p) {
                const char* escaped = *p == '\\' ? "\\\\" : *p == '\t' ? "\\t" : *p == '\n' ? "\\n" : *p == '\r' ? "\\r" : nullptr;
                if (!escaped)
                    continue;
                out.append(from, p - from);
                out.append(escaped, 2);
                from = p + 1;
            }
            out.append(from, end - from);
        }
        void setDate(int col, qint64 julianDay) override
        {
            char p[16];
            const int n = writeIsoDate(p, julianDay);
            if (n < 0)
                put(col, QDate::fromJulianDay(julianDay).toString(Qt::ISODate).toUtf8());
            else
                put(col, p, p + n);
        }
        void setDateTime(int col, qint64 julianDay, int msOfDay) override
        {
            char p[48];
            int n = writeIsoDate(p, julianDay);
            if (n < 0) {
                put(col, QDateTime(QDate::fromJulianDay(julianDay), QTime::fromMSecsSinceStartOfDay(msOfDay))
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                             .toUtf8());
                return;
            }
            p[n++] = ' ';
            n += writeIsoTime(p + n, msOfDay);
            put(col, p, p + n);
        }
        void addRow() override
        {
            for (size_t i = 0; i < m_values.size(); ++i) {
                if (i)
                    m_buffer += '\t';
                if (m_null[i])
                    m_buffer += "\\N";
                else
                    m_buffer += m_values[i];
                m_null[i] = true;
            }
            m_buffer += '\n';
            if (m_buffer.size() > 1024 * 1024)
                send();
        }
        void finish() override { send(); }

    private:
        QByteArray& start(int col)
        {
            m_null[size_t(col)] = false;
            QByteArray& out = m_values[size_t(col)];
            out.resize(0);     // keeps the memory, unlike clear()
            return out;
        }
        // end nullptr: up to the closing zero byte
        void put(int col, const char* begin, const char* end)
        {
            start(col).append(begin, end ? end - begin : qsizetype(std::strlen(begin)));
        }
        void put(int col, const QByteArray& text) { start(col).append(text); }
        void send()
        {
            if (m_buffer.isEmpty())
                return;
            if (!m_db.m_conn)
                throw EngineError(QStringLiteral("Keine Verbindung zum Datenbankserver"), EngineCode::Generic);
            m_db.ensureIdle();
            countStatement();
            PGresult* res = PQexec(m_db.m_conn, m_sql.toUtf8().constData());
            if (!res || PQresultStatus(res) != PGRES_COPY_IN) {
                m_db.check(res, m_sql);
                throw EngineError(QStringLiteral("Datenbankfehler: COPY wurde nicht angenommen"), EngineCode::SqlError);
            }
            PQclear(res);
            const bool sent = PQputCopyData(m_db.m_conn, m_buffer.constData(), int(m_buffer.size())) == 1;
            m_buffer.clear();
            PQputCopyEnd(m_db.m_conn, sent ? nullptr : "abgebrochen");
            res = PQgetResult(m_db.m_conn);
            m_db.drainResults();
            m_db.check(res, m_sql);
            PQclear(res);
        }

        PgBackend& m_db;
        QString m_sql;
        std::vector<QByteArray> m_values;
        std::vector<bool> m_null;
        QByteArray m_buffer;
    };

    std::unique_ptr<BulkInsert> bulkInsert(const QString& table, const QStringList& columns)
    {
        return std::make_unique<Copy>(*this, QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QLatin1Char(','))),
                                      int(columns.size()));
    }

    bool tableExists(const QString& name) override
    {
        auto c = select(QStringLiteral("SELECT 1 FROM pg_catalog.pg_tables WHERE schemaname = current_schema() AND tablename = lower(?)"),
                        {name});
        return c->next();
    }

    QString columnSql(const FieldDef& def) const override
    {
        QString t;
        switch (def.type) {
        case FieldType::AutoInc: return def.name + QStringLiteral(" INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
        case FieldType::Integer: t = QStringLiteral("INTEGER"); break;
        case FieldType::Float: t = QStringLiteral("DOUBLE PRECISION"); break;
        case FieldType::Date: t = QStringLiteral("DATE"); break;
        case FieldType::DateTime: t = QStringLiteral("TIMESTAMP(3)"); break;
        case FieldType::Boolean: t = QStringLiteral("BOOLEAN"); break;
        case FieldType::Memo: t = QStringLiteral("TEXT"); break;
        // The cursor cuts texts to the field size; a copied query column has no size.
        case FieldType::Text: t = def.size > 0 ? QStringLiteral("VARCHAR(%1)").arg(def.size) : QStringLiteral("VARCHAR"); break;
        }
        return def.name + QLatin1Char(' ') + t;
    }
    // Writers notify every connection on commit; the counters read since stay valid until a
    // notice for their table comes. A long quiet spell re-reads them once in a while, in case
    // a writer without notices (another tool) changed a table.
    std::optional<qint64> knownChangeCount(const QString& table) override
    {
        // A counter this transaction raised stays as it left it: its row is locked until the end.
        if (inTransaction()) {
            const auto own = m_ownCounts.constFind(table);
            return own != m_ownCounts.constEnd() ? std::optional<qint64>(*own) : std::nullopt;
        }
        if (!m_listening)
            return std::nullopt;
        drainNotices();
        const auto it = m_counts.constFind(table);
        if (it == m_counts.constEnd() || it->read.elapsed() > kTrustMs)
            return std::nullopt;
        return it->count;
    }
    void rememberChangeCount(const QString& table, qint64 count) override
    {
        if (inTransaction() || !m_listening)
            return;
        Known k;
        k.count = count;
        k.read.start();
        m_counts.insert(table, k);
    }
    void announceChange(const QString& table) override
    {
        m_counts.remove(table);
        exec(QStringLiteral("SELECT pg_notify('hw_changes', ?)"), {table});
    }
    // The counter and the notice in one round trip: a save runs these inside the register's
    // write order (the history's lock), where every round trip makes the next save wait.
    void bumpChange(const QString& table) override
    {
        m_counts.remove(table);
        auto c = select(QStringLiteral("WITH u AS (UPDATE _hw_changes SET n = n + 1 WHERE tbl = ? RETURNING n) "
                                       "SELECT (SELECT n FROM u), pg_notify('hw_changes', ?)"),
                        {table, table});
        if (c->next() && !c->isNull(0) && inTransaction())
            m_ownCounts.insert(table, c->intValue(0));
    }

    QString trueLiteral() const override { return QStringLiteral("TRUE"); }
    QString falseLiteral() const override { return QStringLiteral("FALSE"); }
    QString dateLiteral(const QDate& date) const override
    {
        return QStringLiteral("DATE '%1'").arg(date.toString(Qt::ISODate));
    }
    QString indexSql(const QString& table, const QString& indexName, const IndexDef& index,
                     const TableDef& def) const override
    {
        QStringList cols;
        for (const QString& f : index.fieldList()) {
            const FieldDef* fd = def.field(f);
            const bool text = fd && (fd->type == FieldType::Text || fd->type == FieldType::Memo);
            cols << (text && index.caseInsensitive ? QStringLiteral("lower(%1)").arg(f) : f);
        }
        return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
            .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), indexName, table, cols.join(QStringLiteral(", ")));
    }
    QString boolOrFalse(const QString& column) const override
    {
        return QStringLiteral("COALESCE(%1,FALSE)").arg(column);
    }

    QString nullsOrder(bool descending) const override
    {
        return descending ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST");
    }

    void serializeWrites(const QString& what) override
    {
        // Held until the transaction ends; the key is the text's hash. Taken once per
        // transaction: asking again only costs a round trip while holding it.
        if (inTransaction() && m_held.contains(what))
            return;
        if (inTransaction())
            m_held.insert(what);
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(?))"), {QStringLiteral("holmwacht:") + what});
    }

    // Sessions: one row per connection in _hw_sessions; a row counts while its connection
    // shows in pg_stat_activity, so a crashed workstation drops out by itself.
    void announceSession(const QString& sessionId, const QString& userName) override
    {
        Transaction t(*this);
        serializeWrites(QStringLiteral("_hw_sessions"));
        if (!tableExists(QStringLiteral("_hw_sessions")))
            exec(QStringLiteral("CREATE TABLE _hw_sessions (appname VARCHAR(64) PRIMARY KEY, session VARCHAR(128) NOT NULL, "
                                "username VARCHAR(64) NOT NULL, host VARCHAR(128))"), {});
        exec(QStringLiteral("DELETE FROM _hw_sessions s WHERE NOT EXISTS (SELECT 1 FROM pg_stat_activity a WHERE a.application_name = s.appname)"), {});
        exec(QStringLiteral("DELETE FROM _hw_sessions WHERE appname = ?"), {m_appName});
        exec(QStringLiteral("INSERT INTO _hw_sessions (appname, session, username, host) VALUES (?,?,?,inet_client_addr()::text)"),
             {m_appName, sessionId, userName.isEmpty() ? QStringLiteral("<leer>") : userName});
        t.commit();
    }
    std::optional<bool> sessionAlive(const QString& sessionId) override
    {
        if (!tableExists(QStringLiteral("_hw_sessions")))
            return false;
        auto c = select(QStringLiteral("SELECT 1 FROM _hw_sessions s JOIN pg_stat_activity a ON a.application_name = s.appname "
                                       "WHERE s.session = ?"),
                        {sessionId});
        return c->next();
    }
    std::optional<QStringList> sessionUsers() override
    {
        QStringList users;
        if (!tableExists(QStringLiteral("_hw_sessions")))
            return users;
        // One line per running program, however many connections it has.
        auto c = select(QStringLiteral("SELECT MIN(s.username) FROM _hw_sessions s JOIN pg_stat_activity a ON a.application_name = s.appname "
                                       "GROUP BY s.session ORDER BY 1"), {});
        while (c->next())
            users << c->textValue(0);
        return users;
    }
    std::optional<QStringList> otherSessions(const QString& ownSession) override
    {
        QStringList users;
        if (!tableExists(QStringLiteral("_hw_sessions")))
            return users;
        auto c = select(QStringLiteral("SELECT MIN(s.username), COALESCE(MIN(s.host), '') FROM _hw_sessions s JOIN pg_stat_activity a "
                                       "ON a.application_name = s.appname WHERE s.session <> ? GROUP BY s.session ORDER BY 1, 2"),
                        {ownSession});
        while (c->next()) {
            // No address: connected through the server's local socket.
            const QString host = c->textValue(1);
            users << (host.isEmpty() ? c->textValue(0) : QStringLiteral("%1 (%2)").arg(c->textValue(0), host));
        }
        return users;
    }

private:
    static constexpr qint64 kTrustMs = 60000;

    void connected()
    {
        PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);
        listen();
        m_location = QStringLiteral("PostgreSQL-Server %1, Datenbank %2, Benutzer %3").arg(serverText(), QString::fromUtf8(PQdb(m_conn)),
                                                                                        QString::fromUtf8(PQuser(m_conn)));
    }
    struct Known {
        qint64 count = 0;
        QElapsedTimer read;
    };

    void listen()
    {
        m_counts.clear();
        PGresult* res = PQexec(m_conn, "LISTEN hw_changes");
        countStatement();
        m_listening = res && PQresultStatus(res) == PGRES_COMMAND_OK;
        PQclear(res);
    }

    // Reads what the server sent meanwhile, without a round trip.
    void drainNotices()
    {
        if (!PQconsumeInput(m_conn)) {
            m_counts.clear();
            return;
        }
        while (PGnotify* n = PQnotifies(m_conn)) {
            m_counts.remove(QString::fromUtf8(n->extra));
            PQfreemem(n);
        }
    }

    QString serverText() const
    {
        const QString host = QString::fromUtf8(PQhost(m_conn));
        const QString port = QString::fromUtf8(PQport(m_conn));
        return port.isEmpty() ? host : host + QLatin1Char(':') + port;
    }

    // Another statement while a streamed result is still arriving would mix up both results.
    void ensureIdle() const
    {
        if (m_stream)
            throw EngineError(QStringLiteral("Die Verbindung zum Datenbankserver liest noch die Zeilen von: %1").arg(m_streamSql),
                              EngineCode::Generic);
    }

    // Everything the server still sends for the statement sent last.
    void drainResults()
    {
        while (PGresult* r = PQgetResult(m_conn))
            PQclear(r);
    }

    struct Params {
        explicit Params(const QVariantList& params) : values(size_t(params.size())), ptrs(size_t(params.size()), nullptr)
        {
            for (int i = 0; i < params.size(); ++i) {
                const QVariant& v = params[i];
                if (!v.isValid() || v.isNull())
                    continue;
                values[size_t(i)] = text(v);
                ptrs[size_t(i)] = values[size_t(i)].constData();
            }
        }
        std::vector<QByteArray> values;
        std::vector<const char*> ptrs;
    };

    void run(const char* sql)
    {
        ensureIdle();
        countStatement();
        PGresult* res = PQexec(m_conn, sql);
        check(res, QString::fromLatin1(sql));
        PQclear(res);
    }

    // "?" placeholders become $1, $2 ...; question marks inside quotes stay.
    static QByteArray numbered(const QString& sql)
    {
        QByteArray out;
        const QByteArray in = sql.toUtf8();
        out.reserve(in.size() + 16);
        int n = 0;
        char quote = 0;
        for (char c : in) {
            if (quote) {
                if (c == quote)
                    quote = 0;
                out += c;
            } else if (c == '\'' || c == '"') {
                quote = c;
                out += c;
            } else if (c == '?') {
                out += '$' + QByteArray::number(++n);
            } else {
                out += c;
            }
        }
        return out;
    }

    static QByteArray text(const QVariant& v)
    {
        switch (v.typeId()) {
        // 1 and 0 read as booleans and as integers alike.
        case QMetaType::Bool: return v.toBool() ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
        case QMetaType::Double: case QMetaType::Float: return QByteArray::number(v.toDouble(), 'g', 17);
        case QMetaType::QDate: return v.toDate().toString(Qt::ISODate).toUtf8();
        case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8();
        default: return v.toString().toUtf8();
        }
    }

    PGresult* execute(const QString& sql, const QVariantList& params)
    {
        if (!m_conn)
            throw EngineError(QStringLiteral("Keine Verbindung zum Datenbankserver"), EngineCode::Generic);
        ensureIdle();
        refuseNulInParams(sql, params);
        countStatement();
        const QByteArray stmt = numbered(sql);
        Params p(params);
        PGresult* res = PQexecParams(m_conn, stmt.constData(), int(params.size()), nullptr, p.ptrs.data(), nullptr, nullptr, 0);
        check(res, sql);
        return res;
    }

    // Writes repeat the same few statements: prepared once per connection. Only statements
    // without result rows, whose plans the server re-makes by itself after a table changed.
    PGresult* executePrepared(const QString& sql, const QVariantList& params)
    {
        if (!m_conn)
            throw EngineError(QStringLiteral("Keine Verbindung zum Datenbankserver"), EngineCode::Generic);
        ensureIdle();
        refuseNulInParams(sql, params);
        countStatement();
        QByteArray name = m_prepared.value(sql);
        if (name.isEmpty()) {
            if (m_prepared.size() >= 200) {
                run("DEALLOCATE ALL");
                m_prepared.clear();
            }
            name = "hw" + QByteArray::number(++m_preparedCount);
            PGresult* res = PQprepare(m_conn, name.constData(), numbered(sql).constData(), 0, nullptr);
            check(res, sql);
            PQclear(res);
            m_prepared.insert(sql, name);
        }
        Params p(params);
        PGresult* res = PQexecPrepared(m_conn, name.constData(), int(params.size()), p.ptrs.data(), nullptr, nullptr, 0);
        check(res, sql);
        return res;
    }

    void check(PGresult* res, const QString& sql)
    {
        const ExecStatusType st = res ? PQresultStatus(res) : PGRES_FATAL_ERROR;
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK)
            return;
        const QByteArray state = res ? QByteArray(PQresultErrorField(res, PG_DIAG_SQLSTATE)) : QByteArray();
        QString msg = QString::fromUtf8(res ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) : nullptr);
        if (msg.isEmpty())
            msg = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        PQclear(res);
        if (PQstatus(m_conn) != CONNECTION_OK) {
            // Whatever the open transaction held is gone with the connection; try once to get back.
            forgetTransaction();
            PQreset(m_conn);
            m_prepared.clear();
            // Notices sent while the connection was gone are lost: ask again from now on.
            m_counts.clear();
            m_listening = false;
            if (PQstatus(m_conn) == CONNECTION_OK)
                listen();
            throw EngineError(QStringLiteral("Die Verbindung zum Datenbankserver ist unterbrochen: %1").arg(msg), EngineCode::Generic);
        }
        if (state == "25006" || (state == "42601" && msg.contains(QLatin1String("multiple commands"))))
            refuseWritingStatement(sql);
        if (state == "23505")
            throw EngineError(QStringLiteral("Schlüsselverletzung"), EngineCode::KeyViolation);
        // The server refuses what the person's roles do not grant: the program's words for it.
        if (state == "42501")
            throw EngineError(refusalText(sql, msg), EngineCode::InsufficientRights);
        // Refusals of the register's own server functions carry their German text.
        if (state == "P0001")
            throw EngineError(msg, EngineCode::Generic);
        if (state == "55P03" || state == "40P01" || state == "40001")
            throw EngineError(QStringLiteral("Die Daten sind von einem anderen Arbeitsplatz gesperrt. Bitte später erneut versuchen."),
                              EngineCode::TableLocked);
        if (state == "42P01") {
            static const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
            const auto m = quoted.match(msg);
            throw EngineError(QStringLiteral("Tabelle nicht gefunden: %1").arg(m.hasMatch() ? m.captured(1).toUpper() : msg),
                              EngineCode::TableNotFound);
        }
        if (state == "22001")
            throw EngineError(QStringLiteral("Ein Text ist zu lang für sein Feld: %1").arg(msg), EngineCode::InvalidValue);
        if (state.startsWith("22"))
            throw EngineError(QStringLiteral("Ungültiger Wert: %1").arg(msg), EngineCode::ConversionError);
        throw EngineError(QStringLiteral("Datenbankfehler: %1").arg(msg), sql.isEmpty() ? EngineCode::Generic : EngineCode::SqlError);
    }

    static QString refusalText(const QString& sql, const QString& serverText)
    {
        const QString verb = sql.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
        if (verb == QLatin1String("INSERT"))
            return QStringLiteral("Keine Berechtigung zum Einfügen von Datensätzen vorhanden");
        if (verb == QLatin1String("UPDATE"))
            return QStringLiteral("Keine Berechtigung zum Ändern von Datensätzen vorhanden");
        if (verb == QLatin1String("DELETE"))
            return QStringLiteral("Keine Berechtigung zum Löschen von Datensätzen vorhanden");
        if (verb == QLatin1String("SELECT") || verb == QLatin1String("WITH"))
            return QStringLiteral("Keine Berechtigung zum Ansehen von Datensätzen vorhanden");
        return QStringLiteral("Der Datenbankserver verweigert diese Aktion: keine Berechtigung (%1)").arg(serverText);
    }

    // Result names the server folded to lower case, mapped back to the spelling in the
    // statement ("AS Anzahl") or in the catalog ("KurzBez" for SELECT *).
    QHash<QString, QString> spellings(PGresult* res, const QString& sql, bool askCatalog = true)
    {
        QHash<QString, QString> map;
        const int n = PQnfields(res);
        if (n == 0)
            return map;
        QHash<QString, QString> fromSql;
        bool needCatalog = false;
        for (int c = 0; c < n; ++c) {
            const QString name = QString::fromUtf8(PQfname(res, c));
            if (name.toLower() != name || map.contains(name))
                continue;
            if (fromSql.isEmpty()) {
                static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
                auto it = word.globalMatch(sql);
                while (it.hasNext()) {
                    const QString w = it.next().captured(0);
                    if (w.toLower() != w)
                        fromSql.insert(w.toLower(), w);
                }
                fromSql.insert(QString(), QString());
            }
            const QString spelled = fromSql.value(name);
            if (!spelled.isEmpty())
                map.insert(name, spelled);
            else
                needCatalog = true;
        }
        if (needCatalog && !m_inNameLookup) {
            if (askCatalog)
                loadCatalogSpellings();
            for (int c = 0; c < n; ++c) {
                const QString name = QString::fromUtf8(PQfname(res, c));
                if (!map.contains(name) && m_catalogNames.contains(name))
                    map.insert(name, m_catalogNames.value(name));
            }
        }
        return map;
    }

    void loadCatalogSpellings()
    {
        // Read again after this connection created a table.
        if (m_catalogLoaded)
            return;
        m_catalogNames.clear();
        m_inNameLookup = true;
        try {
            if (tableExists(QStringLiteral("_hw_fields"))) {
                PGresult* res = execute(QStringLiteral("SELECT DISTINCT name FROM _hw_fields"), {});
                for (int r = 0; r < PQntuples(res); ++r) {
                    const QString n = QString::fromUtf8(PQgetvalue(res, r, 0));
                    m_catalogNames.insert(n.toLower(), n);
                }
                PQclear(res);
                m_catalogLoaded = true;
            }
        } catch (...) {
            m_inNameLookup = false;
            throw;
        }
        m_inNameLookup = false;
    }

    PGconn* m_conn = nullptr;
    QString m_conninfo;
    QString m_appName;
    QString m_location;
    bool m_catalogLoaded = false;
    bool m_inNameLookup = false;
    QHash<QString, QString> m_catalogNames;
    QHash<QString, QByteArray> m_prepared;
    int m_preparedCount = 0;
    bool m_listening = false;
    // This transaction's: the serializeWrites locks it holds, the change counters it raised.
    QSet<QString> m_held;
    QHash<QString, qint64> m_ownCounts;
    QHash<QString, Known> m_counts;
    PgStreamCursor* m_stream = nullptr;     // the streamed result still arriving
    QString m_streamSql;

    friend class PgStreamCursor;
    // The stream's rows: the next one, the end, or the server's error.
    PGresult* nextStreamed(PgStreamCursor& c)
    {
        PGresult* r = PQgetResult(m_conn);
        const ExecStatusType st = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (st == PGRES_SINGLE_TUPLE)
            return r;
        drainResults();
        c.m_done = true;
        m_stream = nullptr;
        if (st == PGRES_TUPLES_OK)
            return r;
        check(r, m_streamSql);
        // Not an error after all: whatever it was, there are no more rows.
        PQclear(r);
        return nullptr;
    }
    // A stream given up before its end (an error while loading): the rest is read and
    // dropped. No cancel: it would abort an open transaction, and one that arrives late
    // cancels the next statement instead.
    void abandonStream(PgStreamCursor& c)
    {
        if (m_stream != &c)
            return;
        drainResults();
        m_stream = nullptr;
    }
};

PgStreamCursor::~PgStreamCursor()
{
    if (!m_done)
        m_db->abandonStream(*this);
}

bool PgStreamCursor::next()
{
    if (!m_started) {
        m_started = true;
        m_row = 0;
        return m_rows > 0;
    }
    if (m_done) {
        m_row = m_rows;
        return false;
    }
    PGresult* r = m_db->nextStreamed(*this);
    if (!r) {
        m_row = m_rows;
        return false;
    }
    PQclear(m_res);
    m_res = r;
    m_rows = PQntuples(r);
    m_row = 0;
    return m_rows > 0;
}

} // namespace

std::unique_ptr<Backend> createPgBackend(const QString& conninfo)
{
    return std::make_unique<PgBackend>(conninfo, QString(), QString());
}

namespace ServerLogin {

namespace {
PgBackend& pg(Backend& db)
{
    auto* p = dynamic_cast<PgBackend*>(&db);
    if (!p)
        throw EngineError(QStringLiteral("Diese Datenbank kennt keine eigene Anmeldung"), EngineCode::Generic);
    return *p;
}
}

std::unique_ptr<Backend> connect(const QString& conninfo, const QString& user, const QString& password)
{
    return std::make_unique<PgBackend>(conninfo, user, password);
}

void reconnect(Backend& db, const QString& user, const QString& password) { pg(db).relogin(user, password); }

QString user(Backend& db)
{
    auto* p = dynamic_cast<PgBackend*>(&db);
    return p ? p->serverUser() : QString();
}

QString passwordVerifier(Backend& db, const QString& role, const QString& password)
{
    return pg(db).passwordVerifier(role, password);
}

}

std::unique_ptr<BulkInsert> pgBulkInsert(Backend& db, const QString& table, const QStringList& columns)
{
    auto* own = dynamic_cast<PgBackend*>(&db);
    return own ? own->bulkInsert(table, columns) : nullptr;
}
