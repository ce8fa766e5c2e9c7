#pragma once
#include <QStringList>

class Table;
class TDataModule1;
class TLtFirmAbt;
class QObject;

// The main window's ladder cursor "Leiter": LT_LEIT in Nr order with the lookups of
// inspection kind, type, material and department and the department path per row.
Table* createLeiterCursor(TDataModule1& dataModule, const TLtFirmAbt& departments, QObject* parent);

// Widths (characters) of the grid columns; after the cursor was opened.
void setLeiterGridWidths(Table& leiter);

// Grid columns in their order; with firmaAbtFirst the department path comes before the company.
QStringList leiterGridColumns(bool showExternalNr, bool firmaAbtFirst);
