#pragma once
#include <QString>

class QWidget;
struct ExportTabelle;

// Asks for the file (Excel or CSV, through the dialog wrapper), writes the list with a progress
// window for long lists and tells where it went. Throws HwError when writing fails; a
// cancelled file choice or progress ends silently (Abort).
void exportiereMitDialog(QWidget* parent, const ExportTabelle& tabelle, const QString& vorschlag);
