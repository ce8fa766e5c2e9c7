#include "RepLeiterUebF1.h"

#include "DataModule.h"
#include "Query.h"
#include "RepLayout.h"

namespace {

constexpr double breite = 190;

// Column edges: number, short description, company, type, material, issue date, due date.
constexpr double xNr = 0, xKurz = 14, xFirma = 64, xArt = 118, xMat = 139, xAusg = 162, xTermin = 176;

} // namespace

TRepLeiterUebF1::TRepLeiterUebF1(TDataModule1& dm)
    : TRepForm(dm, TRepProfile::leiter(true), QStringLiteral("Leiterübersicht"))
{
    Query& q = query();
    q.setSql(QStringLiteral("SELECT *\nFROM LT_LEIT\nWHERE ID > 0"));
    RepLayout::addLeiterFelder(q, dm, FFirmAbt());
    useQueryAsDataSource();
    buildBands();
}

void TRepLeiterUebF1::buildBands()
{
    Report& r = report();
    setupA4(QPageLayout::Portrait, 8);
    setLogoLine(false);

    ReportBand* kopf = logoBand()->addChild(13);
    kopf->setFrame(ReportFrame::sides(true, true));
    addHeaderLabels(kopf, 0.8, 64, 3.8);
    addTitleDatePage(kopf, QRectF(65, 3, 70, 7), 14, QRectF(150, 1, 40, 4), 5);
    logoBand()->addChild(3);   // spacer

    ReportBand* spalten = r.columnHeader();
    spalten->setHeightMm(5.5);
    spalten->setFrame(ReportFrame::sides(true, true, false, false, 0.6));
    addColumnHeadings(spalten, {{xNr, xKurz, "Nr ", Qt::AlignRight | Qt::AlignTop},
                                {xKurz, xFirma, " KurzBez / ext. Leiter-Nr / St.-Spr"},
                                {xFirma, xArt, " Firma / Abteilung"},
                                {xArt, xMat, " Leiterart"},
                                {xMat, xAusg, " Material"},
                                {xAusg, xTermin, "Ausgdat."},
                                {xTermin, breite, " n. Termin"}});

    ReportBand* zeile = r.detail();
    zeile->setHeightMm(8);
    zeile->setFrame(ReportFrame::sides(false, true));
    const double y1 = 0.3, y2 = 4, h = 3.6;
    zeile->addField(QRectF(xNr, y1, xKurz - xNr - 1.5, h), QStringLiteral("Nr")).setAlignment(Qt::AlignRight | Qt::AlignTop);
    zeile->addField(QRectF(xKurz + 0.3, y1, xFirma - xKurz - 0.6, h), QStringLiteral("KurzBez"));
    zeile->addField(QRectF(xFirma + 0.3, y1, xArt - xFirma - 0.6, h), QStringLiteral("Firma"));
    zeile->addField(QRectF(xArt + 0.3, y1, xMat - xArt - 0.6, h), QStringLiteral("LeiterArt"));
    zeile->addField(QRectF(xMat + 0.3, y1, xAusg - xMat - 0.6, h), QStringLiteral("MaterialArt"));
    zeile->addField(QRectF(xAusg, y1, xTermin - xAusg, h), QStringLiteral("AusgabeDatum"), QStringLiteral(" dd.mm.yy"));
    zeile->addField(QRectF(xTermin, y1, breite - xTermin, h), QStringLiteral("PruefTermin"), QStringLiteral("  dd.mm.yy"));

    zeile->addField(QRectF(xNr + 1, y2, xKurz - xNr - 2, h), QStringLiteral("Schrott"))
        .setFormatter(RepLayout::flag(QStringLiteral("A")));
    zeile->addField(QRectF(xKurz + 0.3, y2, 33, h), QStringLiteral("ExNrBez"));
    zeile->addComputed(QRectF(xKurz + 34, y2, xFirma - xKurz - 34.3, h), [zeile] {
        const ReportDataSource* s = zeile->dataSource();
        return RepLayout::stufenText(RepLayout::wert(s, QStringLiteral("LtAnzahl")),
                                     RepLayout::wert(s, QStringLiteral("StufenAnzahl")));
    });
    zeile->addField(QRectF(xFirma + 0.3, y2, breite - xFirma - 0.3, h), QStringLiteral("FirmaAbtText"));
}
