#include "ReportExport.h"

#include "ExportDialog.h"
#include "FaelligeLeitern.h"
#include "Query.h"
#include "RepFaellig.h"
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
        // the count report's rows
        {"AbtKurzBez", "Firma / Abteilung"},
        {"ZwSpalte", "Ebene"},
        {"ZwCount", "Anzahl"},
    };
    return list;
}

} // namespace

ExportTabelle reportExportTabelle(TRepForm& form)
{
    Query& q = form.exportQuery();
    QStringList felder;
    // The count's working rows carry a node number "Nr" that is no ladder number.
    const bool zaehlung = q.findField(QStringLiteral("ZwCount")) != nullptr;
    for (const auto& [name, titel] : spalten())
        if (Field* f = q.findField(QLatin1String(name)); f && (!zaehlung || qstrncmp(name, "Zw", 2) == 0 || qstrcmp(name, "AbtKurzBez") == 0)) {
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
        } else if (felder[c] == QLatin1String("AbtKurzBez")) {
            // As printed: the ladders without a department on a line of their own.
            auto inner = t.wert;
            t.wert = [inner, c](qint64 r, int col) -> QVariant {
                const QVariant v = inner(r, col);
                if (col == c && v.toString().trimmed().isEmpty())
                    return QStringLiteral("nicht zugeordnet");
                return v;
            };
        } else if (felder[c] == QLatin1String("ZwSpalte")) {
            t.spalten[c].breite = 6;
            auto inner = t.wert;
            t.wert = [inner, c](qint64 r, int col) -> QVariant {
                const QVariant v = inner(r, col);
                return col == c && !v.isNull() ? QVariant(qMax(0, v.toInt()) + 1) : v;
            };
        }

    // The due list's days and state, as printed.
    if (auto* faellig = dynamic_cast<TRepFaellig*>(&form)) {
        const int termin = felder.indexOf(QStringLiteral("PruefTermin"));
        if (termin >= 0) {
            const int tage = int(t.spalten.size());
            ExportSpalte s;
            s.titel = QStringLiteral("Tage überfällig");
            s.typ = ExportTyp::Ganzzahl;
            s.breite = 8;
            t.spalten << s;
            s.titel = QStringLiteral("Status");
            s.typ = ExportTyp::Text;
            s.breite = 12;
            t.spalten << s;
            const QDate heute = faellig->heute(), bis = faellig->faelligBis();
            auto inner = t.wert;
            t.wert = [inner, termin, tage, heute, bis](qint64 r, int col) -> QVariant {
                if (col < tage)
                    return inner(r, col);
                const QDate d = inner(r, termin).toDate();
                if (col == tage)
                    return d.isValid() ? QVariant(d.daysTo(heute)) : QVariant();
                switch (faelligkeit(d, heute, bis)) {
                case Faelligkeit::Ueberfaellig: return QStringLiteral("überfällig");
                case Faelligkeit::BaldFaellig: return QStringLiteral("bald fällig");
                case Faelligkeit::OhneTermin: return QStringLiteral("ohne Termin");
                default: return QString();
                }
            };
        }
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
