#include "TableSecurity.h"

#include "Backend.h"
#include "Engine.h"
#include "Errors.h"
#include "FieldDefs.h"
#include "PasswortHash.h"
#include "ServerLogin.h"

#include <QSet>

namespace {

const QString kTable = QStringLiteral("_hw_security");

struct Entry {
    QString hash;
    TableRight right;
    QStringList fields;
    bool master;
};

QList<Entry> entries(Backend& db, const QString& table)
{
    QList<Entry> out;
    if (!db.tableExists(kTable))
        return out;
    auto c = db.select(QStringLiteral("SELECT pos, hash, tableright, fields FROM _hw_security WHERE tbl = ? ORDER BY pos"),
                       {normalTableName(table)});
    while (c->next())
        out << Entry{c->textValue(1), TableRight(c->intValue(2)),
                     c->textValue(3).split(QLatin1Char(';'), Qt::SkipEmptyParts), c->intValue(0) == 0};
    return out;
}

} // namespace

bool TableAccess::canWrite(const QString& field) const
{
    if (full)
        return true;
    if (right == TableRight::ReadOnly)
        return false;
    for (const QString& f : writableFields)
        if (f.compare(field, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

namespace TableSecurity {

bool isProtected(Backend& db, const QString& table) { return !entries(db, table).isEmpty(); }

TableAccess accessFor(Backend& db, const QString& table)
{
    const QList<Entry> list = entries(db, table);
    if (list.isEmpty())
        return TableAccess();
    Engine& engine = Engine::instance();
    // Each password is tried once per opening: the hash check is slow on purpose.
    QSet<QString> tried;
    for (;;) {
        for (const QString& pw : engine.passwords()) {
            if (tried.contains(pw))
                continue;
            tried.insert(pw);
            for (const Entry& e : list) {
                if (!PasswortHash::passt(e.hash, pw))
                    continue;
                TableAccess a;
                a.full = e.master || e.right == TableRight::Full;
                a.right = e.master ? TableRight::Full : e.right;
                a.writableFields = e.fields;
                return a;
            }
        }
        if (!engine.requestPassword())
            throw EngineError(QStringLiteral("Keine ausreichenden Rechte für die Tabelle %1").arg(normalTableName(table)),
                              EngineCode::InsufficientRights);
    }
}

void protect(Backend& db, const QString& table, const QString& master, const QList<SecurityDescriptor>& aux)
{
    if (master.trimmed().isEmpty())
        throw EngineError(QStringLiteral("Kein Master-Passwort angegeben"), EngineCode::Generic);
    // Hashing is slow: before the transaction, not inside it.
    struct Row {
        QString hash;
        int right;
        QString fields;
    };
    QList<Row> rows{{PasswortHash::erzeugen(master), int(TableRight::Full), QString()}};
    for (const SecurityDescriptor& d : aux) {
        if (d.password.trimmed().isEmpty())
            throw EngineError(QStringLiteral("Leeres Hilfspasswort"), EngineCode::Generic);
        // Passwords compare without regard to case: the first one that fits decides, so a
        // master equal to an auxiliary password would give either all rights or none.
        if (d.password.trimmed().toCaseFolded() == master.trimmed().toCaseFolded())
            throw EngineError(QStringLiteral("Dieses Passwort kann nicht Master-Passwort sein"), EngineCode::Generic);
        rows << Row{PasswortHash::erzeugen(d.password), int(d.tableRight), d.writableFields.join(QLatin1Char(';'))};
    }
    const QString name = normalTableName(table);
    Transaction t(db);
    ensureTable(db);
    db.exec(QStringLiteral("DELETE FROM _hw_security WHERE tbl = ?"), {name});
    for (int i = 0; i < rows.size(); ++i)
        db.exec(QStringLiteral("INSERT INTO _hw_security (tbl, pos, hash, tableright, fields) VALUES (?,?,?,?,?)"),
                {name, i, rows[i].hash, rows[i].right, rows[i].fields});
    t.commit();
}

void ensureTable(Backend& db)
{
    if (!db.tableExists(kTable))
        db.exec(QStringLiteral("CREATE TABLE _hw_security (tbl VARCHAR(64) NOT NULL, pos INTEGER NOT NULL, "
                               "hash VARCHAR(255) NOT NULL, tableright INTEGER NOT NULL, fields VARCHAR(1000), "
                               "PRIMARY KEY (tbl, pos))"));
}

void unprotect(Backend& db, const QString& table)
{
    if (!db.tableExists(kTable))
        return;
    db.exec(QStringLiteral("DELETE FROM _hw_security WHERE tbl = ?"), {normalTableName(table)});
}

}
