#pragma once
#include "FieldDefs.h"

class Backend;

// The tables of a register: ladders, inspections, master data and users.
namespace Schema {

// The 8 simple and 23 extended criteria, in column order ("Material", "Ho_Verform" ...).
// The column on ladders and inspections is "Pr" + name; the done column on inspections is
// "PrErl" + name for the simple ones and "Pr" + group + "_Erl" + item for the extended ones.
const QStringList& simpleCriteria();
const QStringList& extendedCriteria();
QString requiredColumn(const QString& criterion);   // "PrMaterial", "PrHo_Verform"
QString doneColumn(const QString& criterion);       // "PrErlMaterial", "PrHo_ErlVerform"

TableDef ladders();        // LT_LEIT
TableDef inspections();    // LT_PRUEF
TableDef inspectionKinds();// PR_TAB
TableDef ladderTypes();    // LARTEN
TableDef materials();      // MATERIAL
TableDef inspectors();     // PRUEFER
TableDef companies();      // FIRMEN
TableDef suppliers();      // LFNAME
TableDef users();          // Benutzer
TableDef firmSort();       // ZwFirmSort (working table, made when needed)

// The tables created in a new data directory.
QList<TableDef> registerTables();
// Definition by table name from the list above (presentation of fields), or nullptr.
const TableDef* known(const QString& tableName);

// A column added after the first registers: older registers and the old program's files lack
// it, and it is added on start (createIfMissing).
bool addedLater(const QString& table, const QString& column);

// Creates the catalog and every register table (in one go) where the database has none.
void createIfMissing(Backend& db);

}
