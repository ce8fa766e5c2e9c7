#include "Catalog.h"

#include "Backend.h"
#include "Engine.h"
#include "Errors.h"

namespace Catalog {

namespace {

QString typeName(FieldType t)
{
    switch (t) {
    case FieldType::Integer: return QStringLiteral("Integer");
    case FieldType::AutoInc: return QStringLiteral("AutoInc");
    case FieldType::Text: return QStringLiteral("Text");
    case FieldType::Float: return QStringLiteral("Float");
    case FieldType::Date: return QStringLiteral("Date");
    case FieldType::DateTime: return QStringLiteral("DateTime");
    case FieldType::Boolean: return QStringLiteral("Boolean");
    case FieldType::Memo: return QStringLiteral("Memo");
    }
    return QStringLiteral("Text");
}

FieldType typeFromName(const QString& n)
{
    static const QList<std::pair<QString, FieldType>> map = {
        {QStringLiteral("Integer"), FieldType::Integer}, {QStringLiteral("AutoInc"), FieldType::AutoInc},
        {QStringLiteral("Float"), FieldType::Float},     {QStringLiteral("Date"), FieldType::Date},
        {QStringLiteral("DateTime"), FieldType::DateTime}, {QStringLiteral("Boolean"), FieldType::Boolean},
        {QStringLiteral("Memo"), FieldType::Memo}};
    for (const auto& [name, type] : map)
        if (name == n)
            return type;
    return FieldType::Text;
}

QVariant optional(const std::optional<double>& v) { return v ? QVariant(*v) : QVariant(); }

} // namespace

bool exists(Backend& db) { return db.tableExists(QStringLiteral("_hw_fields")); }

void create(Backend& db)
{
    Transaction t(db);
    db.exec(QStringLiteral("CREATE TABLE _hw_fields (tbl VARCHAR(64) NOT NULL, pos INTEGER NOT NULL, name VARCHAR(64) NOT NULL, "
                           "type VARCHAR(16) NOT NULL, size INTEGER, required INTEGER, minv DOUBLE PRECISION, maxv DOUBLE PRECISION, "
                           "label VARCHAR(64), format VARCHAR(64), booltexts VARCHAR(32), PRIMARY KEY (tbl, pos))"));
    db.exec(QStringLiteral("CREATE TABLE _hw_indexes (tbl VARCHAR(64) NOT NULL, name VARCHAR(64) NOT NULL, fields VARCHAR(255) NOT NULL, "
                           "isprimary INTEGER, isunique INTEGER, nocase INTEGER, PRIMARY KEY (tbl, name))"));
    db.exec(QStringLiteral("CREATE TABLE _hw_changes (tbl VARCHAR(64) PRIMARY KEY, n INTEGER NOT NULL)"));
    db.exec(QStringLiteral("CREATE TABLE _hw_locks (tbl VARCHAR(64) NOT NULL, session VARCHAR(128) NOT NULL, "
                           "exclusive INTEGER NOT NULL, PRIMARY KEY (tbl, session))"));
    t.commit();
}

bool tableExists(Backend& db, const QString& name)
{
    auto c = db.select(QStringLiteral("SELECT 1 FROM _hw_fields WHERE tbl = ?"), {normalTableName(name)});
    return c->next();
}

void createTable(Backend& db, const TableDef& def)
{
    const QString name = normalTableName(def.name);
    Transaction t(db);
    QStringList cols;
    for (const FieldDef& f : def.fields)
        cols << db.columnSql(f) + (f.required && f.type != FieldType::AutoInc ? QString() : QString());
    const IndexDef* primary = def.primaryIndex();
    if (primary)
        cols << QStringLiteral("%1 INTEGER NOT NULL DEFAULT 0").arg(QLatin1String(RowVersionColumn));
    bool autoIncKey = primary && primary->fieldList().size() == 1 && def.field(primary->fields)
        && def.field(primary->fields)->type == FieldType::AutoInc;
    if (primary && !autoIncKey)
        cols << QStringLiteral("PRIMARY KEY (%1)").arg(primary->fieldList().join(QStringLiteral(", ")));
    db.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(name, cols.join(QStringLiteral(", "))));
    int pos = 0;
    for (const FieldDef& f : def.fields) {
        db.exec(QStringLiteral("INSERT INTO _hw_fields (tbl, pos, name, type, size, required, minv, maxv, label, format, booltexts) "
                               "VALUES (?,?,?,?,?,?,?,?,?,?,?)"),
                {name, pos++, f.name, typeName(f.type), f.size, f.required ? 1 : 0, optional(f.minValue),
                 optional(f.maxValue), f.displayLabel, f.displayFormat, f.boolTexts});
    }
    for (const IndexDef& i : def.indexes) {
        const QString indexName = i.primary ? QStringLiteral("PRIMARY") : i.name;
        if (!i.primary)
            db.exec(db.indexSql(name, name + QLatin1Char('_') + i.name, i, def));
        db.exec(QStringLiteral("INSERT INTO _hw_indexes (tbl, name, fields, isprimary, isunique, nocase) VALUES (?,?,?,?,?,?)"),
                {name, indexName, i.fields, i.primary ? 1 : 0, (i.unique || i.primary) ? 1 : 0, i.caseInsensitive ? 1 : 0});
    }
    db.exec(QStringLiteral("DELETE FROM _hw_changes WHERE tbl = ?"), {name});
    db.exec(QStringLiteral("INSERT INTO _hw_changes (tbl, n) VALUES (?, 1)"), {name});
    t.commit();
}

void dropTable(Backend& db, const QString& tableName)
{
    const QString name = normalTableName(tableName);
    Transaction t(db);
    if (db.tableExists(name))
        db.exec(QStringLiteral("DROP TABLE %1").arg(name));
    db.exec(QStringLiteral("DELETE FROM _hw_fields WHERE tbl = ?"), {name});
    db.exec(QStringLiteral("DELETE FROM _hw_indexes WHERE tbl = ?"), {name});
    db.exec(QStringLiteral("UPDATE _hw_changes SET n = n + 1 WHERE tbl = ?"), {name});
    db.exec(QStringLiteral("DELETE FROM _hw_locks WHERE tbl = ?"), {name});
    t.commit();
}

void addColumn(Backend& db, const QString& tableName, const FieldDef& f)
{
    const QString name = normalTableName(tableName);
    Transaction t(db);
    db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(name, db.columnSql(f)));
    qint64 pos = 0;
    {
        auto c = db.select(QStringLiteral("SELECT MAX(pos) FROM _hw_fields WHERE tbl = ?"), {name});
        if (c->next() && !c->isNull(0))
            pos = c->intValue(0) + 1;
    }
    db.exec(QStringLiteral("INSERT INTO _hw_fields (tbl, pos, name, type, size, required, minv, maxv, label, format, booltexts) "
                           "VALUES (?,?,?,?,?,?,?,?,?,?,?)"),
            {name, pos, f.name, typeName(f.type), f.size, f.required ? 1 : 0, optional(f.minValue), optional(f.maxValue),
             f.displayLabel, f.displayFormat, f.boolTexts});
    bumpChange(db, name);
    t.commit();
}

bool columnExists(Backend& db, const QString& table, const QString& column)
{
    auto c = db.select(QStringLiteral("SELECT 1 FROM _hw_fields WHERE tbl = ? AND UPPER(name) = UPPER(?)"),
                       {normalTableName(table), column});
    return c->next();
}

std::optional<TableDef> readTable(Backend& db, const QString& tableName)
{
    const QString name = normalTableName(tableName);
    TableDef def;
    def.name = name;
    auto c = db.select(QStringLiteral("SELECT name, type, size, required, minv, maxv, label, format, booltexts "
                                      "FROM _hw_fields WHERE tbl = ? ORDER BY pos"),
                       {name});
    while (c->next()) {
        FieldDef f;
        f.name = c->textValue(0);
        f.type = typeFromName(c->textValue(1));
        f.size = int(c->intValue(2));
        f.required = c->intValue(3) != 0;
        if (!c->isNull(4))
            f.minValue = c->doubleValue(4);
        if (!c->isNull(5))
            f.maxValue = c->doubleValue(5);
        f.displayLabel = c->textValue(6);
        f.displayFormat = c->textValue(7);
        f.boolTexts = c->textValue(8);
        def.fields << f;
    }
    if (def.fields.isEmpty())
        return std::nullopt;
    auto i = db.select(QStringLiteral("SELECT name, fields, isprimary, isunique, nocase FROM _hw_indexes WHERE tbl = ?"), {name});
    while (i->next()) {
        IndexDef idx;
        idx.primary = i->intValue(2) != 0;
        idx.name = idx.primary ? QString() : i->textValue(0);
        idx.fields = i->textValue(1);
        idx.unique = i->intValue(3) != 0;
        idx.caseInsensitive = i->intValue(4) != 0;
        def.indexes << idx;
    }
    return def;
}

qint64 changeCount(Backend& db, const QString& table)
{
    const QString name = normalTableName(table);
    if (const std::optional<qint64> known = db.knownChangeCount(name))
        return *known;
    auto c = db.select(QStringLiteral("SELECT n FROM _hw_changes WHERE tbl = ?"), {name});
    const qint64 n = c->next() ? c->intValue(0) : 0;
    db.rememberChangeCount(name, n);
    return n;
}

void bumpChange(Backend& db, const QString& table) { db.bumpChange(normalTableName(table)); }

void acquireLock(Backend& db, const QString& tableName, const QString& session, bool exclusive)
{
    const QString name = normalTableName(tableName);
    Transaction t(db);
    db.serializeWrites(QStringLiteral("_hw_locks"));
    auto holders = db.select(QStringLiteral("SELECT session, exclusive FROM _hw_locks WHERE tbl = ? AND session <> ?"),
                             {name, session});
    QStringList stale;
    bool conflictExclusive = false, conflictShared = false;
    while (holders->next()) {
        const QString other = holders->textValue(0);
        const std::optional<bool> alive = db.sessionAlive(other);
        if (!(alive ? *alive : Engine::instance().sessionAlive(other))) {
            stale << other;
            continue;
        }
        if (holders->intValue(1) != 0)
            conflictExclusive = true;
        else
            conflictShared = true;
    }
    holders.reset();
    for (const QString& s : stale)
        db.exec(QStringLiteral("DELETE FROM _hw_locks WHERE session = ?"), {s});
    if (conflictExclusive)
        throw EngineError(QStringLiteral("Die Tabelle %1 ist von einem anderen Benutzer exklusiv gesperrt").arg(name),
                          EngineCode::TableLocked);
    if (exclusive && conflictShared)
        throw EngineError(QStringLiteral("Die Tabelle %1 wird von einem anderen Benutzer verwendet").arg(name),
                          EngineCode::TableBusy);
    db.exec(QStringLiteral("DELETE FROM _hw_locks WHERE tbl = ? AND session = ?"), {name, session});
    db.exec(QStringLiteral("INSERT INTO _hw_locks (tbl, session, exclusive) VALUES (?,?,?)"), {name, session, exclusive ? 1 : 0});
    t.commit();
}

void releaseLock(Backend& db, const QString& tableName, const QString& session)
{
    db.exec(QStringLiteral("DELETE FROM _hw_locks WHERE tbl = ? AND session = ?"), {normalTableName(tableName), session});
}

} // namespace Catalog
