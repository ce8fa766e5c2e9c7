#pragma once

class TLeiterVerw;

// The features built beside the main window plug into it here, each through the window's
// named actions, pages and cursors. Start-up calls plugFeatures once the window exists.
void plugInspections(TLeiterVerw& window);      // pages "erforderl. Prüfungen", "Prüfungsübersicht"
void plugBarcode(TLeiterVerw& window);          // F9 / F8 barcode search
void plugMasterData(TLeiterVerw& window);       // "Stammdaten" editors and the department tree editor
void plugSearchAndFilters(TLeiterVerw& window); // sort orders, searches, marks, filters
void plugReports(TLeiterVerw& window);          // "Listen", "Vorschau" / "Druck", printing the current ladder
void plugAccess(TLeiterVerw& window);           // change of user, own password, user administration
void plugDue(TLeiterVerw& window);              // due list, due colours, overdue notice, exports
void plugHistory(TLeiterVerw& window);          // "Änderungsverlauf" and "Verlauf prüfen"
void plugTransfer(TLeiterVerw& window);         // "Daten übernehmen", "Datensicherung", restore, daily backup
void plugLabels(TLeiterVerw& window);           // "Etiketten drucken" (Datei menu, grid pop-up)

void plugFeatures(TLeiterVerw& window);
