#include "RepFaellig.h"

#include "DataModule.h"
#include "FaelligeLeitern.h"
#include "Query.h"
#include "RepLayout.h"

#include <QLocale>

namespace {

constexpr double breite = 277;
// Column edges: number, short description, department path, type, last inspection, due date,
// days overdue, state.
constexpr double xNr = 0, xKurz = 16, xAbt = 76, xArt = 170, xLetzte = 200, xTermin = 222, xTage = 246, xStatus = 258;

const QLocale kDe(QLocale::German);

// The ladder overview's selection; the order is the list's own.
TRepProfile profil()
{
    TRepProfile p = TRepProfile::leiter(true);
    p.sortItems.clear();
    return p;
}

} // namespace

TRepFaellig::TRepFaellig(TDataModule1& dm)
    : TRepForm(dm, profil(), QStringLiteral("Fällige Prüfungen"))
{
    Query& q = query();
    q.setSql(QStringLiteral("SELECT LT_LEIT.*, (SELECT MAX(P.Datum) FROM LT_PRUEF P WHERE P.LT_ID = LT_LEIT.ID) AS LetztePruefung\n"
                            "FROM LT_LEIT\n"
                            "WHERE (PruefTermin <= :FaelligBis OR PruefTermin IS NULL)"));
    RepLayout::addLeiterFelder(q, dm, FFirmAbt());
    useQueryAsDataSource();
    SetFaelligBis(QDate::currentDate().addDays(7 * kFaelligWochenStandard));
    buildBands();
}

void TRepFaellig::SetFaelligBis(const QDate& bis, const QDate& heute)
{
    m_bis = bis;
    m_heute = heute;
}

void TRepFaellig::openQueries()
{
    Query& q = query();
    q.setParam(QStringLiteral("FaelligBis"), m_bis);
    // Overdue first: the earliest date on top; the ladders without a date after all others.
    if (!q.sqlText().contains(QStringLiteral("ORDER BY")))
        q.addSql(QStringLiteral("ORDER BY CASE WHEN PruefTermin IS NULL THEN 1 ELSE 0 END, PruefTermin, Nr"));
    TRepForm::openQueries();
    m_ueber = m_bald = m_ohne = 0;
    for (q.first(); !q.eof(); q.next()) {
        switch (faelligkeit(q.field(QStringLiteral("PruefTermin")).asDate(), m_heute, m_bis)) {
        case Faelligkeit::Ueberfaellig: ++m_ueber; break;
        case Faelligkeit::BaldFaellig: ++m_bald; break;
        case Faelligkeit::OhneTermin: ++m_ohne; break;
        default: break;
        }
    }
    q.first();
}

void TRepFaellig::buildBands()
{
    Report& r = report();
    setupA4(QPageLayout::Landscape, 8);
    setLogoLine(false);

    ReportBand* kopf = logoBand()->addChild(17);
    kopf->setFrame(ReportFrame::sides(true, true));
    kopf->addComputed(QRectF(0, 0.8, 110, 3.8), [this] {
        return QStringLiteral("fällig bis : %1   (Stichtag %2)")
            .arg(kDe.toString(m_bis, QStringLiteral("dd.MM.yyyy")), kDe.toString(m_heute, QStringLiteral("dd.MM.yyyy")));
    }).setBold();
    addHeaderLabel(kopf, QRectF(0, 4.6, 110, 3.8), TRepLabel::Sortiert);
    addHeaderLabel(kopf, QRectF(0, 8.4, 110, 3.8), TRepLabel::Bereich);
    addHeaderLabel(kopf, QRectF(0, 12.2, 150, 3.8), TRepLabel::Filter);
    addTitleDatePage(kopf, QRectF(110, 3, 80, 7), 14, QRectF(237, 1, 40, 4), 5);
    logoBand()->addChild(3);   // spacer

    ReportBand* spalten = r.columnHeader();
    spalten->setHeightMm(5.5);
    spalten->setFrame(ReportFrame::sides(true, true, false, false, 0.6));
    addColumnHeadings(spalten, {{xNr, xKurz, "Leiter-Nr"},
                                {xKurz, xAbt, " Kurz.-Bezeichnung"},
                                {xAbt, xArt, " Firma - Abteilung"},
                                {xArt, xLetzte, " Leiter-Art"},
                                {xLetzte, xTermin, " letzte Prüf."},
                                {xTermin, xTage, " Prüf.-Termin"},
                                {xTage, xStatus, " Tage"},
                                {xStatus, breite, " Status"}});

    ReportBand* zeile = r.detail();
    zeile->setHeightMm(4.4);
    zeile->setFrame(ReportFrame::sides(false, true));
    const double y = 0.3, h = 3.6;
    zeile->addField(QRectF(xNr, y, xKurz - xNr - 1.5, h), QStringLiteral("Nr")).setAlignment(Qt::AlignRight | Qt::AlignTop);
    zeile->addField(QRectF(xKurz + 0.3, y, xAbt - xKurz - 0.6, h), QStringLiteral("KurzBez"));
    zeile->addField(QRectF(xAbt + 0.3, y, xArt - xAbt - 0.6, h), QStringLiteral("FirmaAbtText"));
    zeile->addField(QRectF(xArt + 0.3, y, xLetzte - xArt - 0.6, h), QStringLiteral("LeiterArt"));
    // A subquery's value comes as the database gives it: a date, or ISO text.
    zeile->addComputed(QRectF(xLetzte + 0.3, y, xTermin - xLetzte - 0.6, h), [zeile] {
             const QVariant v = RepLayout::wert(zeile->dataSource(), QStringLiteral("LetztePruefung"));
             QDate d = v.typeId() == QMetaType::QDate ? v.toDate() : QDate::fromString(v.toString().left(10), Qt::ISODate);
             return d.isValid() ? kDe.toString(d, QStringLiteral("dd.MM.yy")) : QString();
         })
        .setAlignment(Qt::AlignRight | Qt::AlignTop);
    zeile->addField(QRectF(xTermin + 0.3, y, xTage - xTermin - 0.6, h), QStringLiteral("PruefTermin"),
                    QStringLiteral("dd.mm.yy"))
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    auto termin = [zeile] { return RepLayout::wert(zeile->dataSource(), QStringLiteral("PruefTermin")).toDate(); };
    zeile->addComputed(QRectF(xTage, y, xStatus - xTage - 1, h), [this, termin] {
             const QDate t = termin();
             return t.isValid() ? QString::number(t.daysTo(m_heute)) : QString();
         })
        .setAlignment(Qt::AlignRight | Qt::AlignTop);
    zeile->addComputed(QRectF(xStatus + 0.3, y, breite - xStatus - 0.3, h), [this, termin] {
        switch (faelligkeit(termin(), m_heute, m_bis)) {
        case Faelligkeit::Ueberfaellig: return QStringLiteral("überfällig");
        case Faelligkeit::BaldFaellig: return QStringLiteral("bald fällig");
        case Faelligkeit::OhneTermin: return QStringLiteral("ohne Termin");
        default: return QString();
        }
    });

    ReportBand* summe = r.summary();
    summe->setHeightMm(6);
    summe->setFrame(ReportFrame::sides(true, false, false, false, 0.6));
    summe->addComputed(QRectF(0, 1.2, breite, 4), [this] {
             return QStringLiteral("überfällig : %1     bald fällig : %2     ohne Termin : %3     gesamt : %4")
                 .arg(m_ueber)
                 .arg(m_bald)
                 .arg(m_ohne)
                 .arg(m_ueber + m_bald + m_ohne);
         })
        .setBold();
}
