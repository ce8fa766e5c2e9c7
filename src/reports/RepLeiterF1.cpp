#include "RepLeiterF1.h"

#include "DataModule.h"
#include "DataSetSource.h"
#include "Kriterien.h"
#include "Query.h"
#include "RepLayout.h"
#include "Schema.h"
#include "Table.h"

namespace {

constexpr double breite = 190;   // A4 portrait within 10 mm margins

// Inspection list columns: date, kind, eight criteria, inspector.
constexpr double xDatum = 0, xPruefung = 16, xKrit = 61, wKrit = 13, xPruefer = xKrit + 8 * wKrit;

QStringList kriterienKoepfe(bool erweitert)
{
    if (erweitert)
        return {"Holme", "Sprossen", "SpreizS", "Beschläge", "Leiter.Füsse", "Zubehör", "Kennzeichn.", "Sonstiges"};
    return {"Material", "Verbindungen", "Beschläge", "Scharniere", "Funktionen", "Durchbiegung", "Schuhe", "Sonstiges"};
}

QStringList listenKoepfe(bool erweitert)
{
    if (erweitert)
        return {"Holme.", "Spross.", "SpreizS", "Beschl.", "LtFüss.", "Zubeh.", "Kenn.Z", "Sonst."};
    return {"Material", "Verbind.", "Beschl.", "Scharn.", "Funkt.", "Durchb.", "Schuhe", "Sonst."};
}

// The eight criteria of a layout as (done field, required field); on the ladder the done
// field is empty.
QList<std::pair<QString, QString>> kriterienFelder(bool erweitert)
{
    QList<std::pair<QString, QString>> out;
    if (erweitert) {
        for (const Kriterien::Gruppe& g : Kriterien::gruppen())
            out.append({Kriterien::berErlFeld(g), Kriterien::berFeld(g)});
        out.append({Schema::doneColumn(QStringLiteral("Sonstiges")), Schema::requiredColumn(QStringLiteral("Sonstiges"))});
    } else {
        for (const QString& c : Schema::simpleCriteria())
            out.append({Schema::doneColumn(c), Schema::requiredColumn(c)});
    }
    return out;
}

void addListenKopf(ReportBand* band, bool erweitert)
{
    band->setFrame(ReportFrame::sides(true, true));
    band->addLabel(QRectF(xDatum + 1, 1, xPruefung - xDatum - 1, 4.5), QStringLiteral("Datum")).setBold();
    band->addLabel(QRectF(xPruefung + 1, 1, xKrit - xPruefung - 1, 4.5), QStringLiteral("Prüfung")).setBold();
    const QStringList koepfe = listenKoepfe(erweitert);
    for (int i = 0; i < koepfe.size(); ++i)
        band->addLabel(QRectF(xKrit + i * wKrit + 0.3, 1, wKrit - 0.6, 4.5), koepfe[i])
            .setBold()
            .setAlignment(Qt::AlignHCenter | Qt::AlignTop)
            .setFit(ReportText::Fit::Shrink);
    band->addLabel(QRectF(xPruefer + 1, 1, breite - xPruefer - 1, 4.5), QStringLiteral("int. Prüfer")).setBold();
}

void addListenZeile(ReportBand* band, bool erweitert)
{
    band->setFrame(ReportFrame::sides(false, true));
    band->addField(QRectF(xDatum + 1, 0.5, xPruefung - xDatum - 1, 4.5), QStringLiteral("Datum"), QStringLiteral("dd.mm.yy"));
    // Names of inspection kinds are long ("Vierteljährliche Prüfung"): a smaller size keeps
    // them out of the criteria cells.
    band->addField(QRectF(xPruefung + 1, 0.7, xKrit - xPruefung - 1, 4.3), QStringLiteral("PruefungArtText")).setFontSize(9);
    const auto felder = kriterienFelder(erweitert);
    for (int i = 0; i < felder.size(); ++i)
        RepLayout::addFlagCell(band, QRectF(xKrit + i * wKrit + 0.3, 0.2, wKrit - 0.6, 5.1), felder[i].first,
                               QStringLiteral("Ja"), felder[i].second);
    band->addField(QRectF(xPruefer + 1, 0.5, breite - xPruefer - 1, 4.5), QStringLiteral("PrueferKurzBez"));
}

void addKriterienZeile(ReportBand* band, bool erweitert)
{
    const QStringList koepfe = kriterienKoepfe(erweitert);
    const auto felder = kriterienFelder(erweitert);
    const double w = breite / 8;
    for (int i = 0; i < 8; ++i) {
        band->addLabel(QRectF(i * w, 1, w, 5), koepfe[i])
            .setAlignment(Qt::AlignHCenter | Qt::AlignTop)
            .setFrame(ReportFrame::all())
            .setFit(ReportText::Fit::Shrink);
        // The ladder holds the required flags; the groups are derived from them.
        band->addField(QRectF(i * w, 6, w, 5), felder[i].second)
            .setAlignment(Qt::AlignHCenter | Qt::AlignTop)
            .setFrame(ReportFrame::all())
            .setFormatter(RepLayout::flag(QStringLiteral("prüfen")));
    }
}

} // namespace

TRepLeiterF1::TRepLeiterF1(TDataModule1& dm) : TRepForm(dm, TRepProfile::leiter(false), QStringLiteral("LeiterKartei"))
{
    Query& q = query();
    q.setSql(QStringLiteral("SELECT *\nFROM LT_LEIT\nWHERE ID >0"));
    RepLayout::addLookup(q, QStringLiteral("PruefungArtText"), QStringLiteral("PruefungArt_ID"), dm.SPruef,
                         QStringLiteral("Nr"));
    Kriterien::addGruppenFelder(q, false);
    RepLayout::addLeiterFelder(q, dm, FFirmAbt(), Kriterien::GruppenRechner());
    useQueryAsDataSource();

    m_ltPruef = std::make_unique<Table>(QStringLiteral("LT_PRUEF.DB"));
    m_ltPruef->setObjectName(QStringLiteral("LtPruef"));
    m_ltPruef->setIndexFieldNames(QStringLiteral("LT_ID;Datum"));
    RepLayout::addLookup(*m_ltPruef, QStringLiteral("PruefungArtText"), QStringLiteral("PruefungArt_ID"), dm.SPruef,
                         QStringLiteral("Nr"));
    RepLayout::addLookup(*m_ltPruef, QStringLiteral("PrueferKurzBez"), QStringLiteral("Pruefer_ID"), dm.StPruefer,
                         QStringLiteral("ID"));
    Kriterien::addGruppenFelder(*m_ltPruef, true);
    m_ltPruef->onCalcFields = Kriterien::GruppenRechner();
    m_ltPruef->setMasterSource(&q, QStringLiteral("ID"));
    m_ltPruefSource = std::make_unique<DataSetSource>(*m_ltPruef);

    buildBands();
    switchBands();
}

TRepLeiterF1::~TRepLeiterF1()
{
    m_ltPruef->close();
}

void TRepLeiterF1::buildBands()
{
    Report& r = report();
    setupA4(QPageLayout::Portrait, 10);
    setLogoLine(true);

    ReportBand* kopf = logoBand()->addChild(17);
    addHeaderLabels(kopf, 1, 59, 4.5);
    kopf->addLabel(QRectF(60, 3, 70, 9), QStringLiteral("Leiterkartei"))
        .setFontSize(18)
        .setBold()
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    kopf->addSystemField(QRectF(140, 1, 50, 5), SystemField::PrintDate, QStringLiteral("Datum : "));
    kopf->addSystemField(QRectF(140, 6, 50, 5), SystemField::PageNumber, QStringLiteral("Seite : "));

    // Ladder block with a thick line above.
    ReportBand* leiter = r.detail();
    RepLayout::LeiterBlock block;
    block.withTermin = true;
    leiter->setHeightMm(RepLayout::addLeiterBlock(leiter, breite, block));
    leiter->setFrame(ReportFrame::sides(true, false, false, false, 0.6));
    // The master block with its criteria and texts stays on one page, and with the start of its
    // inspection list.
    leiter->setKeepWithNext(true);

    m_kriterienEinfach = leiter->addChild(12);
    addKriterienZeile(m_kriterienEinfach, false);
    m_kriterienErweitert = leiter->addChild(12);
    addKriterienZeile(m_kriterienErweitert, true);

    // Free texts; "Sonstiges" only when the ladder requires it, the description always.
    ReportBand* texte = leiter->addChild(12);
    texte->setFrame(ReportFrame::sides(false, true));
    const auto sonstigesGefordert = [texte] {
        return RepLayout::wert(texte->dataSource(), QStringLiteral("PrSonstiges")).toBool();
    };
    texte->addLabel(QRectF(0, 1, 44, 5), QStringLiteral("Text Prüfung Sonstiges :"))
        .setUnderline()
        .setBeforePrint([sonstigesGefordert](TextPrint& p) { p.visible = sonstigesGefordert(); });
    texte->addField(QRectF(45, 1, breite - 45, 5), QStringLiteral("PrSonstigesText"))
        .setWordWrap()
        .setBeforePrint([sonstigesGefordert](TextPrint& p) { p.visible = sonstigesGefordert(); });
    const auto nachOben = [sonstigesGefordert](TextPrint& p) {
        if (!sonstigesGefordert())
            p.rect.moveTop(1);
    };
    texte->addLabel(QRectF(0, 6, 44, 5), QStringLiteral("Beschreibung :")).setUnderline().setBeforePrint(nachOben);
    texte->addField(QRectF(45, 6, breite - 45, 5), QStringLiteral("Beschreibung")).setWordWrap().setBeforePrint(nachOben);

    // The ladder's inspections, also when it has none.
    ReportSubDetail& liste = r.addSubDetail(m_ltPruefSource.get());
    m_liste = &liste;
    liste.setPrintIfEmpty(true);
    m_listeKopfEinfach = liste.header();
    m_listeKopfEinfach->setHeightMm(6);
    addListenKopf(m_listeKopfEinfach, false);
    m_listeKopfErweitert = m_listeKopfEinfach->addChild(6);
    addListenKopf(m_listeKopfErweitert, true);
    // A page that goes on with a ladder's inspections names the ladder and repeats the heading.
    for (ReportBand* kopf : {m_listeKopfEinfach, m_listeKopfErweitert}) {
        kopf->setKeepWithNext(true);
        kopf->setRepeatOnContinuation(true);
    }
    ReportBand* fortsetzung = liste.continuation();
    fortsetzung->setHeightMm(7);
    fortsetzung->addComputed(QRectF(0, 1, breite, 5.5), [fortsetzung] {
        return QStringLiteral("Leiter-Nr %1 (Fortsetzung)")
            .arg(RepLayout::wert(fortsetzung->dataSource(), QStringLiteral("Nr")).toString());
    }).setBold();
    m_zeileEinfach = liste.band();
    m_zeileEinfach->setHeightMm(5.5);
    addListenZeile(m_zeileEinfach, false);
    m_zeileErweitert = m_zeileEinfach->addChild(5.5);
    addListenZeile(m_zeileErweitert, true);
    ReportBand* fuss = liste.footer();
    fuss->setHeightMm(3);
    fuss->setFrame(ReportFrame::sides(true, false));
}

void TRepLeiterF1::switchBands()
{
    m_kriterienEinfach->setEnabled(!m_erweitert);
    m_kriterienErweitert->setEnabled(m_erweitert);
    m_liste->setEnabled(m_pruefUebersicht);
    m_listeKopfEinfach->setEnabled(!m_erweitert);
    m_listeKopfErweitert->setEnabled(m_erweitert);
    m_zeileEinfach->setEnabled(!m_erweitert);
    m_zeileErweitert->setEnabled(m_erweitert);
}

void TRepLeiterF1::SetErweitert(int index)
{
    m_erweitert = index == 1;
    switchBands();
}

void TRepLeiterF1::SetSeiteProLeiter(bool on)
{
    report().detail()->setForceNewPage(on);
}

void TRepLeiterF1::SetPruefUebersicht(bool on)
{
    m_pruefUebersicht = on;
    switchBands();
}

void TRepLeiterF1::openQueries()
{
    m_ltPruef->close();
    TRepForm::openQueries();
    m_ltPruef->open();
}

void TRepLeiterF1::closeQueries()
{
    m_ltPruef->close();
    TRepForm::closeQueries();
}
