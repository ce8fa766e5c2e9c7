#pragma once
#include "FaelligeLeitern.h"
#include "TabellenExport.h"

class TFaelligePruefungen;
class TLeiterVerw;

// The due list as a spreadsheet: number, short description, department, type, last
// inspection, due date, days overdue and state.
ExportTabelle faelligExportTabelle(const FaelligeListe& liste);

// Opens (or brings up) the due list of the main window; nullptr without the feature.
TFaelligePruefungen* faelligePruefungenOeffnen(TLeiterVerw& window);
