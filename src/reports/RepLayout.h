#pragma once
#include "ReportElements.h"

#include <QColor>
#include <QString>
#include <QVariant>
#include <functional>

class DataSet;
class ReportBand;
class ReportDataSource;
class TDataModule1;
class TLtFirmAbt;

// Pieces the record reports share: flag displays, the step text, the grey of cells that are
// not required, the ladder block of the ladder card and the control sheet, and the fields
// every report query adds (lookups, department path, group results).
namespace RepLayout {

// Light grey of a cell whose criterion the inspection (or ladder) did not require.
inline QColor grau() { return QColor(192, 192, 192); }

// A flag printed as onText when true and as nothing otherwise ("JA", "prüfen", "Ja", "X", "A").
ReportText::Formatter flag(const QString& onText);

// "2  x  5" when the ladder has part ladders, else the step count alone.
QString stufenText(const QVariant& ltAnzahl, const QVariant& stufenAnzahl);

// Text read from the source's current row; empty when the source has no row.
QVariant wert(const ReportDataSource* source, const QString& field);

// Lookups of a report query by the shared master tables.
void addLookup(DataSet& ds, const QString& name, const QString& keyField, DataSet* master, const QString& masterKey);
// "LeiterArt", "MaterialArt" by Art_ID / Mat_ID, and "FirmaAbtText" (82 characters, path of
// FirmenAbtID, empty when the department is not in the tree). More calculated fields may be
// filled by `more` for the row in context.
void addLeiterFelder(DataSet& ds, TDataModule1& dm, const TLtFirmAbt& firmAbt,
                     std::function<void(DataSet&)> more = {});
// The fields of a joined inspection/ladder query (inspection overview, control sheet): kind and
// inspector texts, the group results of the inspection and the ladder's fields above.
void addPruefungFelder(DataSet& ds, TDataModule1& dm, const TLtFirmAbt& firmAbt);

// A criterion cell of a row: onText when the field is true, centred, on white when the row's
// requiredField is true and on light grey when it is not.
ReportText& addFlagCell(ReportBand* band, const QRectF& rect, const QString& field, const QString& onText,
                        const QString& requiredField);

// The ladder block of the ladder card and the control sheet, on `band` (width in mm):
// number, type, material and company; short description and external number; steps,
// lengths and weight; dates, supplier, scrap; department; last change. `withTermin` adds the
// next due date and the ladder's inspection kind (ladder card). Returns the block's height.
struct LeiterBlock {
    QString erfasstField = QStringLiteral("ErfasstDatum");
    QString pruefArtField = QStringLiteral("PruefungArtText");
    bool withTermin = false;
    QString schrottMask = QStringLiteral("dd.mm.yy");
};
double addLeiterBlock(ReportBand* band, double width, const LeiterBlock& block);

}
