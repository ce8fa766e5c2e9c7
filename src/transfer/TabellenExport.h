#pragma once
#include "Progress.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class DataSet;

// Kind of a column's cells in the spreadsheet: dates stay dates, numbers numbers.
enum class ExportTyp { Text, Ganzzahl, Zahl, Datum, DatumZeit };

struct ExportSpalte {
    QString titel;
    ExportTyp typ = ExportTyp::Text;
    int breite = 12;                // characters
    int nachkommastellen = 2;       // Zahl only
};

// A list as it leaves the program: German column titles, then rows of values read on demand
// (a QDate, QDateTime, number or text per cell; an invalid QVariant is an empty cell).
struct ExportTabelle {
    QString blatt = QStringLiteral("Liste");
    QList<ExportSpalte> spalten;
    qint64 zeilen = 0;
    std::function<QVariant(qint64 zeile, int spalte)> wert;
};

enum class ExportFormat { Xlsx, Csv };

// By the file name's suffix: ".csv" is CSV, everything else Excel.
ExportFormat exportFormatFuer(const QString& fileName);
// Save dialog filter text with both formats.
QString exportDateiFilter();

// Writes the list to the file: into a temporary file beside it first, renamed over the chosen
// name only when complete. Throws HwError with a German message when it cannot write, Abort
// when the progress callback cancelled; in both cases nothing is left under the chosen name
// (an existing file there stays as it was).
void exportiere(const ExportTabelle& tabelle, const QString& fileName, ExportFormat format,
                const ProgressCallback& progress = {});

// Rows of a cursor in its current order and filter, the given fields as columns with their
// display labels; booleans and lookups as the grid shows them.
ExportTabelle exportTabelle(DataSet& dataSet, const QStringList& fieldNames, const QString& blatt);

// One CSV field as German Excel reads it (decimal comma, dd.mm.yyyy, quotes where needed).
QString csvFeld(const QVariant& value, ExportTyp typ, int nachkommastellen = 2);
