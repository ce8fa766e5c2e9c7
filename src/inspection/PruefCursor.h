#pragma once
#include <QStringList>

class Table;
class TDataModule1;
class TUserControl;
class QObject;

// The inspection cursor "LtPruef": LT_PRUEF as detail of the ladder cursor (index
// LT_ID;Datum, so by date, oldest first; new rows get LT_ID), with the lookups of kind and
// inspector, the fourteen group results, the done-flag rule of the simple criteria and the
// rights checks before inserting and editing. Opened.
Table* createLtPruefCursor(TDataModule1& dm, Table* leiter, TUserControl& rights, QObject* parent);

// The grid columns in their order; the done column of "Sonstiges" appears twice.
QStringList ltPruefGridColumns();
