#include "RepLtPruefF1.h"

#include "DataModule.h"
#include "Kriterien.h"
#include "Query.h"
#include "RepLayout.h"
#include "Schema.h"

namespace {

constexpr double breite = 277;   // A4 landscape within 10 mm margins

// Column edges.
constexpr double xNr = 0, xKurz = 12, xFirma = 57, xArt = 98, xDatum = 126, xPruefung = 140, xKrit = 170,
                 wKrit = 11, xPruefer = xKrit + 8 * wKrit;

QList<std::pair<QString, QString>> kriterienFelder(bool erweitert)
{
    QList<std::pair<QString, QString>> out;
    if (erweitert)
        for (const Kriterien::Gruppe& g : Kriterien::gruppen())
            out.append({Kriterien::berErlFeld(g), Kriterien::berFeld(g)});
    const QStringList einfache = Schema::simpleCriteria();
    for (const QString& c : einfache)
        if (!erweitert || c == QLatin1String("Sonstiges"))
            out.append({Schema::doneColumn(c), Schema::requiredColumn(c)});
    return out;
}

void addSpalten(ReportBand* band, double h)
{
    for (double x : {xKurz, xFirma, xArt, xDatum, xPruefung})
        band->addVLine(x, 0, h).setStretchWithBand();
    for (int i = 0; i <= 8; ++i)
        band->addVLine(xKrit + i * wKrit, 0, h).setStretchWithBand();
}

void addKopf(ReportBand* band, bool erweitert)
{
    band->setFrame(ReportFrame::sides(true, true));
    const QStringList texte = erweitert
        ? QStringList{"Nr ", " KurzBez / ext. Leiter-Nr", " Firma / Abteilung", " Leiterart", "Datum", "Prüfung"}
        : QStringList{"Nr ", " KurzBez", " Firma", " Leiterart", "Datum", "Prüfung"};
    const double xs[] = {xNr, xKurz, xFirma, xArt, xDatum, xPruefung, xKrit};
    for (int i = 0; i < texte.size(); ++i) {
        ReportText& t = band->addLabel(QRectF(xs[i] + 0.3, 1, xs[i + 1] - xs[i] - 0.6, 3.6), texte[i]);
        t.setBold();
        if (i == 0)
            t.setAlignment(Qt::AlignRight | Qt::AlignTop);
        if (i == 4)
            t.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    const QStringList krit = erweitert
        ? QStringList{"Holme.", "Spross.", "SpreizS.", "Beschl.", "LtFüss.", "Zubeh.", "Kenn.Z", "Sonst."}
        : QStringList{"Material", "Verbind.", "Beschl.", "Scharn.", "Funkt.", "Durchb.", "Schuhe", "Sonst."};
    for (int i = 0; i < krit.size(); ++i)
        band->addLabel(QRectF(xKrit + i * wKrit + 0.2, 1, wKrit - 0.4, 3.6), krit[i])
            .setBold()
            .setAlignment(Qt::AlignHCenter | Qt::AlignTop)
            .setFit(ReportText::Fit::Shrink);
    band->addLabel(QRectF(xPruefer + 0.5, 1, breite - xPruefer - 0.5, 3.6), QStringLiteral("int. Prüfer")).setBold();
    addSpalten(band, 5.5);
}

void addZeile(ReportBand* band, bool erweitert)
{
    band->setFrame(ReportFrame::sides(true, false));
    const double y = 0.3, h = 3.6;
    band->addField(QRectF(xNr, y, xKurz - xNr - 0.8, h), QStringLiteral("Nr")).setAlignment(Qt::AlignRight | Qt::AlignTop);
    band->addField(QRectF(xKurz + 0.5, y, xFirma - xKurz - 1, h), QStringLiteral("KurzBez"));
    band->addField(QRectF(xFirma + 0.5, y, xArt - xFirma - 1, h), QStringLiteral("Firma"));
    band->addField(QRectF(xArt + 0.5, y, xDatum - xArt - 1, h), QStringLiteral("LeiterArt"));
    band->addField(QRectF(xDatum, y, xPruefung - xDatum, h), QStringLiteral("Datum"), QStringLiteral("dd.mm.yy"))
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    band->addField(QRectF(xPruefung + 0.5, y, xKrit - xPruefung - 1, h), QStringLiteral("PruefungArtText"));
    const auto felder = kriterienFelder(erweitert);
    for (int i = 0; i < felder.size(); ++i)
        RepLayout::addFlagCell(band, QRectF(xKrit + i * wKrit + 0.2, 0.2, wKrit - 0.4, 3.9), felder[i].first,
                               QStringLiteral("Ja"), felder[i].second);
    band->addField(QRectF(xPruefer + 0.5, y, breite - xPruefer - 0.5, h), QStringLiteral("PrueferKurzBez"));
    addSpalten(band, 4.3);
}

} // namespace

// The columns of the joined query: the ladder's, then date, kind, the basic pairs, the
// inspector and the extended pairs of the inspection.
static QString selectText()
{
    QStringList cols = {"L.Nr", "L.KurzBez", "L.Firma", "L.Art_ID", "L.Mat_ID", "L.ID AS LeiterID", "L.ExNrBez",
                        "L.FirmenAbtID", "P.Datum", "P.PruefungArt_ID"};
    for (const QString& c : Schema::simpleCriteria())
        cols << QStringLiteral("P.") + Schema::requiredColumn(c) << QStringLiteral("P.") + Schema::doneColumn(c);
    cols << QStringLiteral("P.Pruefer_ID");
    for (const QString& c : Schema::extendedCriteria())
        cols << QStringLiteral("P.") + Schema::requiredColumn(c) << QStringLiteral("P.") + Schema::doneColumn(c);
    return QStringLiteral("SELECT ") + cols.join(QStringLiteral(", "));
}

TRepLtPruefF1::TRepLtPruefF1(TDataModule1& dm)
    : TRepForm(dm, TRepProfile::pruefung(), QStringLiteral("Prüfungs-Übersicht"))
{
    Query& q = query();
    q.setSql(selectText() + QStringLiteral("\nFROM LT_PRUEF P,LT_LEIT L\nWHERE P.LT_ID = L.ID"));
    RepLayout::addPruefungFelder(q, dm, FFirmAbt());
    useQueryAsDataSource();
    buildBands();
    SetErweitert(0);
}

void TRepLtPruefF1::buildBands()
{
    Report& r = report();
    setupA4(QPageLayout::Landscape, 8);
    setLogoLine(false);

    ReportBand* kopf = logoBand()->addChild(13);
    kopf->setFrame(ReportFrame::sides(true, false));
    addHeaderLabels(kopf, 0.8, 100, 3.8);
    addTitleDatePage(kopf, QRectF(103, 3, 70, 7), 14, QRectF(breite - 40, 1, 40, 4), 5);

    m_kopfEinfach = r.columnHeader();
    m_kopfEinfach->setHeightMm(5.5);
    addKopf(m_kopfEinfach, false);
    m_kopfErweitert = m_kopfEinfach->addChild(5.5);
    addKopf(m_kopfErweitert, true);

    // The row and the line under it stay on one page.
    m_zeileEinfach = r.detail();
    m_zeileEinfach->setHeightMm(4.3);
    m_zeileEinfach->setKeepTogether(true);
    addZeile(m_zeileEinfach, false);
    m_zeileErweitert = m_zeileEinfach->addChild(4.3);
    m_zeileErweitert->setKeepTogether(true);
    addZeile(m_zeileErweitert, true);
    ReportBand* unter = m_zeileErweitert->addChild(4.3);
    unter->setFrame(ReportFrame::sides(true, true, true, true));
    unter->addField(QRectF(xKurz + 0.5, 0.3, xFirma - xKurz - 1, 3.6), QStringLiteral("ExNrBez"));
    unter->addField(QRectF(xFirma + 0.5, 0.3, breite - xFirma - 1, 3.6), QStringLiteral("FirmaAbtText"));

    ReportBand* schluss = r.summary();
    schluss->setHeightMm(2);
    schluss->setFrame(ReportFrame::sides(true, false));
}

void TRepLtPruefF1::SetErweitert(int index)
{
    const bool erweitert = index == 1;
    m_kopfEinfach->setEnabled(!erweitert);
    m_kopfErweitert->setEnabled(erweitert);
    m_zeileEinfach->setEnabled(!erweitert);
    m_zeileErweitert->setEnabled(erweitert);
}
