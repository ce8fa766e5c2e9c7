#include "ReportExport.h"

#include "ExportDialog.h"
#include "Query.h"
#include "Report.h"
#include "RepForm.h"
#include "TabellenExport.h"

#include <QRegularExpression>

namespace {

// Columns worth a spreadsheet, in this order, with the titles the windows use. A report whose
// query has none of them (the count report's working table) gives all its columns.
const QList<std::pair<const char*, const char*>>& spalten()
{
    static const QList<std::pair<const char*, const char*>> list = {
        {"Nr", "Leiter-Nr"},
        {"ExNrBez", "externe Leiter-Nr"},
        {"KurzBez", "Kurz.-Bezeichnung"},
        {"Datum", "Prüf.-Datum"},
        {"PruefungArtText", "Prüfung"},
        {"PrueferKurzBez", "int. Prüfer"},
        {"Firma", "Firma"},
        {"FirmaAbtText", "Firma - Abteilung"},
        {"LeiterArt", "Leiter-Art"},
        {"MaterialArt", "Material"},
        {"Laenge", "Länge (m)"},
        {"LaengeBis", "Länge bis (m)"},
        {"StufenAnzahl", "Stufen"},
        {"Gewicht", "Gew. (kg)"},
        {"Lieferant", "Lieferant"},
        {"AusgabeDatum", "Ausg.-Dat"},
        {"LetztePruefung", "letzte Prüfung"},
        {"PruefTermin", "Prüf.-Termin"},
        {"Schrott", "verschrottet"},
        {"SchrottDatum", "Schrottdatum"},
    };
    return list;
}

} // namespace

ExportTabelle reportExportTabelle(TRepForm& form)
{
    Query& q = form.query();
    QStringList felder;
    for (const auto& [name, titel] : spalten())
        if (Field* f = q.findField(QLatin1String(name))) {
            f->setDisplayLabel(QString::fromUtf8(titel));
            felder << f->name();
        }
    if (felder.isEmpty())
        for (const auto& f : q.fields())
            felder << f->name();
    QString blatt = form.report().title();
    blatt.remove(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")));
    ExportTabelle t = exportTabelle(q, felder, blatt);
    // A subquery's date may come as text: the column says date, so give it one.
    for (int c = 0; c < t.spalten.size(); ++c)
        if (felder[c] == QLatin1String("LetztePruefung")) {
            t.spalten[c].typ = ExportTyp::Datum;
            auto inner = t.wert;
            t.wert = [inner, c](qint64 r, int col) -> QVariant {
                const QVariant v = inner(r, col);
                if (col != c || !v.isValid() || v.typeId() == QMetaType::QDate)
                    return v;
                const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
                return d.isValid() ? QVariant(d) : QVariant();
            };
        }
    return t;
}

void exportiereReport(TRepForm& form, QWidget* parent)
{
    form.openForExport();
    try {
        QString name = form.report().title();
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9ÄÖÜäöüß_-]+")), QStringLiteral("_"));
        exportiereMitDialog(parent, reportExportTabelle(form), name);
    } catch (...) {
        form.closeForExport();
        throw;
    }
    form.closeForExport();
}
