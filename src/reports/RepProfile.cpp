#include "RepProfile.h"

namespace {

TRepProfile common()
{
    TRepProfile p;
    p.nrClause = QStringLiteral("AND Nr BETWEEN %1 and %2");
    p.nrText = QStringLiteral("Leiter-Nr : %1 bis %2");
    p.nrError = QStringLiteral("Leiter-Nr..bis muss >= LeiterNr..von sein");
    p.kurzBezClause = QStringLiteral("AND KurzBez BETWEEN :KurzBezVon and :KurzBezBis");
    p.kurzBezText = QStringLiteral("Leiter-KurzBez : %1 bis %2");
    p.kurzBezError = QStringLiteral("Leiter-KurzBez..bis muss >= LeiterNr..von sein");
    p.pruefTerminField = QStringLiteral("PruefTermin");
    p.pruefTerminLabel = QStringLiteral("n. Prüf-Termin");
    p.leiterArtText = QStringLiteral("LeiterArt :%1 / ");
    p.pruefArtColumn = QStringLiteral("PruefungArt_ID");
    p.pruefArtKind = rfLtPruefArt;
    p.prueferWirkt = false;
    p.schrottText = QStringLiteral("ohne Schrott");
    p.markField = QStringLiteral("ID");
    return p;
}

} // namespace

TRepProfile TRepProfile::leiter(bool uebersicht)
{
    TRepProfile p = common();
    if (uebersicht)
        p.schrottText = QStringLiteral("ohne Schrott /");
    p.sortItems = {
        {QStringLiteral("ORDER BY Nr"), QStringLiteral("Sortiert nach Leiter-Nr")},
        {QStringLiteral("ORDER BY KurzBez"), QStringLiteral("Sortiert nach Leiter-Kurzbez")},
        {QStringLiteral("ORDER BY Ausgabedatum"), QStringLiteral("Sortiert nach Leiter-Ausgabedatum")},
        {QStringLiteral("ORDER BY PruefTermin"), QStringLiteral("Sortiert nach Leiter-n. Prüftermin")},
        {QStringLiteral("ORDER BY ExNrBez"), QStringLiteral("Sortiert nach externe Leiter-Nr")},
    };
    return p;
}

TRepProfile TRepProfile::pruefung()
{
    TRepProfile p = common();
    p.nrClause = QStringLiteral("AND L.Nr BETWEEN %1 and %2");
    p.kurzBezClause = QStringLiteral("AND L.KurzBez BETWEEN :KurzBezVon and :KurzBezBis");
    p.pruefTerminField = QStringLiteral("Datum");
    p.pruefTerminLabel = QStringLiteral("Prüf-Datum");
    // Both tables have the column; the inspection's kind is meant.
    p.pruefArtColumn = QStringLiteral("P.PruefungArt_ID");
    p.pruefArtKind = rfPruefArt;
    p.prueferWirkt = true;
    p.markField = QStringLiteral("LeiterID");
    p.sortItems = {
        {QStringLiteral("ORDER BY Nr"), QStringLiteral("Sortiert nach Leiter-Nr")},
        {QStringLiteral("ORDER BY KurzBez"), QStringLiteral("Sortiert nach Leiter-Kurzbez")},
        {QStringLiteral("ORDER BY P.Datum"), QStringLiteral("Sortiert nach Prüf-Datum")},
        {QStringLiteral("ORDER BY L.ExNrBez"), QStringLiteral("Sortiert nach externe Leiter-Nr")},
    };
    return p;
}

TRepProfile TRepProfile::count()
{
    TRepProfile p = common();
    p.queryName = QStringLiteral("QZwDat");
    p.nrText = QStringLiteral("Leiter.-Nr : %1 bis %2");
    p.nrError = QStringLiteral("Leiter-Nr..bis muss >= Leiter-Nr..von sein");
    p.kurzBezText = QStringLiteral("Leiter.-KurzBez : %1 bis %2");
    p.kurzBezError = QStringLiteral("Leiter-KurzBez..bis muss >= Leiter-Nr..von sein");
    p.leiterArtText = QStringLiteral("Leiter-Art :%1 / ");
    p.markField.clear();
    return p;
}
