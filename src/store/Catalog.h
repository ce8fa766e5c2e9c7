#pragma once
#include "FieldDefs.h"

#include <optional>

class Backend;

// The store's own description of its tables, kept beside them in the database: columns
// with type, size, required flag and range; indexes; a change counter per table that tells
// other workstations a table was written; and the table locks of open cursors.
namespace Catalog {

bool exists(Backend& db);
void create(Backend& db);

// Creates the table, its indexes and its catalog rows in one transaction. Every table with a
// primary key gets a hidden row version (_rv) that guards against lost updates.
void createTable(Backend& db, const TableDef& def);
void dropTable(Backend& db, const QString& name);
// Adds a column at the end of an existing table (empty in every row) and to its description.
void addColumn(Backend& db, const QString& table, const FieldDef& field);
bool columnExists(Backend& db, const QString& table, const QString& column);
bool tableExists(Backend& db, const QString& name);
std::optional<TableDef> readTable(Backend& db, const QString& name);

qint64 changeCount(Backend& db, const QString& table);
void bumpChange(Backend& db, const QString& table);

// Table locks: shared or exclusive use of a table by a session. Locks of sessions that are
// no longer alive are cleared before a conflict is reported.
void acquireLock(Backend& db, const QString& table, const QString& session, bool exclusive);
void releaseLock(Backend& db, const QString& table, const QString& session);

constexpr const char* RowVersionColumn = "_rv";
}
