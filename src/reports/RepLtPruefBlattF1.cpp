#include "RepLtPruefBlattF1.h"

#include "DataModule.h"
#include "Kriterien.h"
#include "Query.h"
#include "RepLayout.h"
#include "Schema.h"

namespace {

constexpr double breite = 180;   // A4 portrait, 10 mm left and 20 mm right

QString selectText()
{
    QStringList cols = {"L.Nr", "L.KurzBez", "L.Firma", "L.Art_ID", "L.Mat_ID", "L.ID AS LeiterID", "L.ExNrBez",
                        "L.FirmenAbtID", "L.AusgabeDatum", "L.Erfasstdatum", "L.Laenge", "L.Lieferant", "L.Schrott",
                        "L.LaengeBis", "L.SchrottDatum", "L.Gewicht", "L.StufenAnzahl", "L.LtAnzahl", "L.LAend",
                        "L.LAendName", "L.PruefTermin", "L.PruefungArt_ID AS LtPruefungArt_ID", "P.ID AS PruefID",
                        "P.Datum", "P.PruefungArt_ID"};
    for (const QString& c : Schema::simpleCriteria())
        cols << QStringLiteral("P.") + Schema::requiredColumn(c) << QStringLiteral("P.") + Schema::doneColumn(c);
    cols << QStringLiteral("L.PrSonstigesText AS PrLtSonstigesText") << QStringLiteral("P.Pruefer_ID");
    for (const QString& c : Schema::extendedCriteria())
        cols << QStringLiteral("P.") + Schema::requiredColumn(c) << QStringLiteral("P.") + Schema::doneColumn(c);
    cols << QStringLiteral("P.Bemerkung");
    return QStringLiteral("SELECT ") + cols.join(QStringLiteral(", "));
}

struct Gruppe {
    const char* heading;
    QStringList labels;
};

// The checklist's two columns, in the order of the criteria catalogue.
const QList<Gruppe>& linkeSpalte()
{
    static const QList<Gruppe> g = {
        {"Holme  :", {"Verformung :", "Beschädigung :", "Scharfe Kanten,Splitter,Grat :", "Abnutzung :",
                      "Schutzbehandlung (bei Holz) :"}},
        {"Sprossen / Stufen / Plattform :", {"Verformung :", "Beschädigung :", "Scharfe Kanten,Splitter,Grat :",
                                             "Verbindung zum Holm :", "Abnutzung :"}},
        {"Spreizsicherung :", {"Vollständigkeit / Befestigung :", "Funktionsfähigkeit :", "Beschädigung / Korrision :"}},
    };
    return g;
}

const QList<Gruppe>& rechteSpalte()
{
    static const QList<Gruppe> g = {
        {"Beschlagteile :", {"Beschädigung / Korrision :", "Vollständigkeit / Befestigung :", "Funktionsfähigkeit :",
                             "Abnutzung :", "Schmierung :"}},
        {"Leiterfüße / Rollen :", {"Vollständigkeit / Befestigung :", "Abnutzung / Korrision :", "Funktionsfähigkeit :"}},
        {"Zubehör :", {"Vollständigkeit / Befestigung :"}},
        {"Kennzeichnung :", {"Betriebsanleitung :"}},
    };
    return g;
}

// Rows as tight as 12 pt allows: one inspection with the logo band fits one A4 page.
constexpr double zeile = 5, kopfZeile = 6.5;

} // namespace

TRepLtPruefBlattF1::Ergebnis TRepLtPruefBlattF1::bewerte(const QList<std::pair<bool, bool>>& gruppen, bool schrott)
{
    int gefordert = 0, erledigt = 0;
    for (const auto& [required, done] : gruppen) {
        if (!required)
            continue;
        ++gefordert;
        if (done)
            ++erledigt;
    }
    if (gefordert > 0 && erledigt == gefordert)
        return Ergebnis::InOrdnung;
    return schrott ? Ergebnis::Verschrotten : Ergebnis::Reparatur;
}

TRepLtPruefBlattF1::TRepLtPruefBlattF1(TDataModule1& dm)
    : TRepForm(dm, TRepProfile::pruefung(), QStringLiteral("Erfassung-Kontrollblatt"))
{
    Query& q = query();
    q.setSql(selectText() + QStringLiteral("\nFROM LT_PRUEF P,LT_LEIT L\nWHERE P.LT_ID = L.ID"));
    RepLayout::addPruefungFelder(q, dm, FFirmAbt());
    useQueryAsDataSource();
    buildBands();
    SetErweitert(0);
    SetMaschBewertung(false);
}

void TRepLtPruefBlattF1::SetEinzelPruefung(int pruefId)
{
    AddSQLText(QStringLiteral("AND P.ID = %1").arg(pruefId));
    AddBereichText(QStringLiteral("Einzelausdruck"));
}

void TRepLtPruefBlattF1::SetErweitert(int index)
{
    const bool erweitert = index == 1;
    m_einfach->setEnabled(!erweitert);
    m_erweitert->setEnabled(erweitert);
}

void TRepLtPruefBlattF1::SetMaschBewertung(bool on)
{
    m_masch = on;
    m_hinweise->setEnabled(on);
    m_unterschrift->setEnabled(!on);
}

// One checklist row: label, the small required box (grey when required), the done box (only
// when required; its cross only with the done marking). Returns the next row's top.
double TRepLtPruefBlattF1::addPruefZeile(ReportBand* band, double x, double y, double labelWidth,
                                         const QString& label, const QString& criterion)
{
    const QString required = Schema::requiredColumn(criterion);
    const QString done = Schema::doneColumn(criterion);
    if (!label.isEmpty())
        band->addLabel(QRectF(x, y, labelWidth, zeile), label).setFontSize(12);
    const double bx = x + labelWidth + 1;
    band->addLabel(QRectF(bx, y + 0.5, 4, 4), QString())
        .setFrame(ReportFrame::all())
        .setBeforePrint([band, required](TextPrint& p) {
            p.background = RepLayout::wert(band->dataSource(), required).toBool() ? RepLayout::grau()
                                                                                  : QColor(Qt::white);
        });
    band->addField(QRectF(bx + 6, y + 0.3, 8, 4.4), done)
        .setFontSize(11)
        .setBold()
        .setAlignment(Qt::AlignCenter)
        .setFrame(ReportFrame::all())
        .setFormatter(RepLayout::flag(QStringLiteral("X")))
        .setBeforePrint([this, band, required](TextPrint& p) {
            p.visible = RepLayout::wert(band->dataSource(), required).toBool();
            if (!m_erledigt)
                p.text.clear();
        });
    return y + zeile;
}

void TRepLtPruefBlattF1::buildBands()
{
    Report& r = report();
    setupA4(QPageLayout::Portrait, 10, 20);
    setLogoLine(true);

    ReportBand* kopf = logoBand()->addChild(13);
    kopf->setFrame(ReportFrame::sides(false, true));
    addHeaderLabels(kopf, 0.8, 54, 3.8, 8);
    addTitleDatePage(kopf, QRectF(55, 3, 80, 8), 16, QRectF(133, 1, 47, 5), 6, QStringLiteral("Ausdruck-Datum : "),
                     QStringLiteral("Seite : "));

    // Every inspection on a page of its own.
    ReportBand* leiter = r.detail();
    leiter->setForceNewPage(true);
    RepLayout::LeiterBlock block;
    block.erfasstField = QStringLiteral("Erfasstdatum");
    // The scrap date in the short date format, with the year in full.
    block.schrottMask = QStringLiteral("dd.mm.yyyy");
    leiter->setHeightMm(RepLayout::addLeiterBlock(leiter, breite, block));

    ReportBand* pruefung = leiter->addChild(16);
    // A thick line above the head, a normal one below it.
    pruefung->setFrame(ReportFrame::sides(true, false, false, false, 0.6));
    pruefung->addHLine(16, 0, breite);
    pruefung->addLabel(QRectF(1, 1, 50, 5), QStringLiteral("Prüftermin :")).setFontSize(12).setBold();
    pruefung->addField(QRectF(1, 7, 50, 7), QStringLiteral("Datum"), QStringLiteral("dd.mm.yy")).setFontSize(14).setBold();
    pruefung->addField(QRectF(55, 4, 70, 7), QStringLiteral("PruefungArtText"))
        .setFontSize(14)
        .setBold()
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    pruefung->addLabel(QRectF(130, 1, 50, 5), QStringLiteral("Prüfer :")).setFontSize(12).setBold();
    pruefung->addField(QRectF(130, 7, 50, 6), QStringLiteral("PrueferKurzBez")).setFontSize(12).setBold();

    // "Sonstiges" row of both layouts between two thick lines; its text only when required.
    const auto addSonstiges = [this](ReportBand* band, double y) {
        band->addHLine(y, 0, breite, 0.6);
        band->addLabel(QRectF(1, y + 1, 35, 7), QStringLiteral("Sonstiges :")).setFontSize(14).setBold().setUnderline();
        band->addField(QRectF(37, y + 1.5, 100, 6), QStringLiteral("PrLtSonstigesText"))
            .setFontSize(12)
            .setBeforePrint([band](TextPrint& p) {
                p.visible = RepLayout::wert(band->dataSource(), QStringLiteral("PrSonstiges")).toBool();
            });
        addPruefZeile(band, 140, y + 1.5, 0, QString(), QStringLiteral("Sonstiges"));
        band->addHLine(y + 9, 0, breite, 0.6);
        return y + 10;
    };

    m_einfach = pruefung->addChild(0);
    m_einfach->addLabel(QRectF(1, 1, 60, 7), QStringLiteral("Prüfungen :")).setFontSize(14).setBold().setUnderline();
    const QStringList einfacheTexte = {"Material - Holm / Stufen / Sprossen :", "Verbindung / Sprosse / Stufe / Holm :",
                                       "Beschläge :", "Scharniere :", "Funktion - Einfallhaken :", "Durchbiegung :",
                                       "Schuhe / Spitzen :"};
    double y = 9;
    for (int i = 0; i < einfacheTexte.size(); ++i)
        y = addPruefZeile(m_einfach, 10, y, 128, einfacheTexte[i], Schema::simpleCriteria()[i]);
    m_einfach->setHeightMm(addSonstiges(m_einfach, y + 1));

    m_erweitert = m_einfach->addChild(0);
    const QStringList& kriterien = Schema::extendedCriteria();
    int k = 0;
    double hoehe = 0;
    for (int spalte = 0; spalte < 2; ++spalte) {
        const double x = spalte == 0 ? 1 : breite / 2 + 2;
        double yy = 1;
        for (const Gruppe& g : spalte == 0 ? linkeSpalte() : rechteSpalte()) {
            m_erweitert->addLabel(QRectF(x, yy, breite / 2 - 4, kopfZeile), QString::fromUtf8(g.heading))
                .setFontSize(14)
                .setBold()
                .setUnderline();
            yy += kopfZeile;
            for (const QString& label : g.labels)
                yy = addPruefZeile(m_erweitert, x + 2, yy, 63, label, kriterien[k++]);
        }
        hoehe = qMax(hoehe, yy);
    }
    m_erweitert->addVLine(breite / 2, 0, hoehe + 1);
    m_erweitert->setHeightMm(addSonstiges(m_erweitert, hoehe + 2));

    // Result block; the machine evaluation is made anew for every inspection.
    ReportBand* ergebnis = m_erweitert->addChild(42);
    ergebnis->setBeforePrint([this](ReportBand& band, bool&) {
        m_ergebnisGilt = m_masch;
        if (!m_masch)
            return;
        const ReportDataSource* s = band.dataSource();
        QList<std::pair<bool, bool>> gruppen;
        for (const Kriterien::Gruppe& g : Kriterien::gruppen())
            gruppen.append({RepLayout::wert(s, Kriterien::berFeld(g)).toBool(),
                            RepLayout::wert(s, Kriterien::berErlFeld(g)).toBool()});
        m_ergebnis = bewerte(gruppen, RepLayout::wert(s, QStringLiteral("Schrott")).toBool());
    });
    ergebnis->addLabel(QRectF(1, 1, 70, 7), QStringLiteral("Kontrollergebnis :")).setFontSize(14).setBold().setUnderline();
    const auto kreuz = [this, ergebnis](const QRectF& box, Ergebnis e) {
        ergebnis->addComputed(box, [this, e] { return m_ergebnisGilt && m_ergebnis == e ? QStringLiteral("X") : QString(); })
            .setFontSize(12)
            .setBold()
            .setAlignment(Qt::AlignCenter)
            .setFrame(ReportFrame::all());
    };
    ergebnis->addLabel(QRectF(10, 9, 65, 6), QStringLiteral("Reparatur notwendig :")).setFontSize(12);
    kreuz(QRectF(76, 9, 8, 6), Ergebnis::Reparatur);
    ergebnis->addLabel(QRectF(10, 16.5, 65, 6), QStringLiteral("Leiter sofort verschrotten :")).setFontSize(12);
    kreuz(QRectF(76, 16.5, 8, 6), Ergebnis::Verschrotten);
    ergebnis->addLabel(QRectF(92, 16.5, 72, 6), QStringLiteral("Leiter i.O. / verwendungsfähig :")).setFontSize(12);
    kreuz(QRectF(166, 16.5, 8, 6), Ergebnis::InOrdnung);
    ergebnis->addHLine(24, 0, breite, 0.6);
    ergebnis->addLabel(QRectF(1, 25, 70, 7), QStringLiteral("Bemerkungen :")).setFontSize(14).setBold().setUnderline();
    // The inspection's remark in the free space below; a long one makes the block taller.
    ergebnis->addField(QRectF(1, 33, breite - 2, 8), QStringLiteral("Bemerkung")).setFontSize(11).setWordWrap();

    m_hinweise = ergebnis->addChild(12);
    m_hinweise->addLabel(QRectF(1, 1, breite - 2, 5), QStringLiteral("( maschinell aus Prüfpunkten )"));
    m_hinweise->addLabel(QRectF(1, 6, breite - 2, 5),
                         QStringLiteral("( dieses Dokument wurde maschinell erstellt und ist ohne Unterschrift gültig )"));

    m_unterschrift = m_hinweise->addChild(19);
    m_unterschrift->setAlignToBottom(true);
    m_unterschrift->setFrame(ReportFrame::sides(true, false, false, false, 0.6));
    m_unterschrift->addLabel(QRectF(1, 1.5, 70, 7), QStringLiteral("Leiter überprüft :")).setFontSize(14).setBold().setUnderline();
    m_unterschrift->addLabel(QRectF(1, 11, 75, 6), QStringLiteral("Datum : ....................")).setFontSize(12).setBold();
    m_unterschrift->addLabel(QRectF(80, 11, 100, 6), QStringLiteral("Unterschrift : ......................................"))
        .setFontSize(12)
        .setBold();
}
