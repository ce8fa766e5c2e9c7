#pragma once
#include "RepFilterArt.h"

#include <QList>
#include <QString>

// One item of a report's "Sortierung nach :" choice: the ORDER BY line and the header text.
struct TRepSortItem {
    QString sql;
    QString text;
};

// What distinguishes the report forms' selection: clause templates, header texts, messages
// and which criteria take effect. The forms differ only in this data, never in code.
// Templates take %1/%2 for numbers; texts that come from the user are bound as the
// parameters :KurzBezVon, :KurzBezBis and :Firma.
struct TRepProfile {
    QString queryName = QStringLiteral("DetailQ");   // the query receiving the lines
    QString nrClause;            // "AND Nr BETWEEN %1 and %2"
    QString nrText;              // "Leiter-Nr : %1 bis %2"
    QString nrError;
    QString kurzBezClause;       // "AND KurzBez BETWEEN :KurzBezVon and :KurzBezBis"
    QString kurzBezText;         // "Leiter-KurzBez : %1 bis %2"
    QString kurzBezError;
    QString pruefTerminField;    // field of the choice "n. Prüf-Termin"
    QString pruefTerminLabel;
    QString leiterArtText;       // "LeiterArt :%1 / "
    QString pruefArtColumn;      // column compared by the inspection-kind criterion
    TRepFilterArt pruefArtKind = rfLtPruefArt;   // the kind the "Prüfung :" choice passes
    bool prueferWirkt = false;   // the inspector choice takes effect
    QString schrottText;         // "ohne Schrott"
    QString markField;           // ID field matched against the marks; empty: not offered
    QString abtField = QStringLiteral("FirmenAbtID");
    QList<TRepSortItem> sortItems;   // empty: no sort line

    // Ladder card and ladder overview (they differ in the scrap text only).
    static TRepProfile leiter(bool uebersicht);
    // Inspection overview and control sheet: inspections joined with their ladders.
    static TRepProfile pruefung();
    // Ladder count by department.
    static TRepProfile count();
};
