#pragma once
class TRepForm;
class QWidget;
struct ExportTabelle;

// The rows a report form selected, as a spreadsheet: the report's meaningful columns with
// German titles (the query must be open).
ExportTabelle reportExportTabelle(TRepForm& form);
// Opens the form's rows, asks for the file and writes them ("E&xport" of the "Listen" window).
void exportiereReport(TRepForm& form, QWidget* parent);
