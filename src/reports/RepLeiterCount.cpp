#include "RepLeiterCount.h"

#include "Backend.h"
#include "DataModule.h"
#include "DataSetSource.h"
#include "Engine.h"
#include "FirmSort.h"
#include "LtFirmAbt.h"
#include "Query.h"
#include "ReportUnits.h"
#include "Table.h"

#include <QMap>

namespace {

using ReportUnits::layoutPixelsToMm;

constexpr double pageWidth = 190;        // A4 portrait less 10 mm on each side
constexpr double anzahlLeft = 150;       // the "Anzahl" column
constexpr double anzahlWidth = 40;

// Rows per INSERT when the selected ladders are copied.
constexpr int insertChunk = 400;

void insertRows(Backend& db, const QString& table, const QString& columns, int columnCount,
                const QList<QVariantList>& rows)
{
    const QString one = QLatin1Char('(') + QStringList(QList<QString>(columnCount, QStringLiteral("?"))).join(u',')
                        + QLatin1Char(')');
    for (int start = 0; start < rows.size(); start += insertChunk) {
        const int n = qMin(insertChunk, int(rows.size()) - start);
        QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns);
        QVariantList params;
        params.reserve(n * columnCount);
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                sql += QLatin1Char(',');
            sql += one;
            params += rows[start + i];
        }
        db.exec(sql, params);
    }
}

} // namespace

TRepLeiterCount::TRepLeiterCount(TDataModule1& dm)
    : TRepForm(dm, TRepProfile::count(), QStringLiteral("Firmen / Abteilung - Übersicht")),
      m_detailQ(std::make_unique<Query>())
{
    query().setSql(QStringLiteral("SELECT ID,FirmenAbtID FROM LT_LEIT\nWHERE ID > 0"));

    m_detailQ->setObjectName(QStringLiteral("DetailQ"));
    m_detailQ->setSql(QStringLiteral("SELECT Zw.Nr,Zw.Abt_ID,Zw.Parent_ID,Zw.Spalte AS ZwSpalte,COALESCE(SUM(D.Anzahl),0) AS ZwCount\n"
                                     "FROM ZwDAT D FULL OUTER JOIN  ZwFirmSort Zw ON D.FirmenAbtID = Zw.Abt_ID\n"
                                     "GROUP BY Zw.Nr,Zw.Abt_ID,Zw.Parent_ID,Zw.Spalte\n"
                                     "ORDER BY Zw.Nr"));
    m_detailQ->addLookupField(QStringLiteral("AbtKurzBez"), 30, QString(), QStringLiteral("Abt_ID"),
                              dm.StFirmAbtList, QStringLiteral("ID"), QStringLiteral("KurzBez"));
    m_detailQ->onFilterRecord = [this](DataSet& ds) { return DetailQFilterRecord(ds); };

    m_source = std::make_unique<DataSetSource>(*m_detailQ);
    report().setDataSource(m_source.get());
    buildBands();
}

TRepLeiterCount::~TRepLeiterCount()
{
    try {
        closeQueries();
    } catch (...) {
    }
}

void TRepLeiterCount::SetFilter(TRepFilterArt kind, const QString& text)
{
    TRepForm::SetFilter(kind, text);
    // Without the whole structure only the chosen subtree is listed.
    if (kind == rfAbteilung)
        m_detailQ->setFiltered(!m_gesamteStruktur && !FAbtKey().isEmpty());
}

void TRepLeiterCount::setAlias(const QString& alias)
{
    TRepForm::setAlias(alias);
    m_detailQ->setAlias(alias);
}

bool TRepLeiterCount::DetailQFilterRecord(DataSet& ds) const
{
    return FAbtKey().isEmpty() || inAbtSubtree(ds.field(QStringLiteral("Abt_ID")).value());
}

void TRepLeiterCount::fillWorkTables()
{
    Backend& db = Engine::instance().backend(query().alias());
    // Temporary: private to this connection, gone with it.
    db.exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ZwFirmSort "
                           "(Nr INTEGER, Abt_Id INTEGER, Parent_Id INTEGER, Spalte INTEGER)"));
    // The count joins every selected ladder to its node: without this index it compares each
    // ladder with every node.
    db.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS ZwFirmSort_NachAbt_ID ON ZwFirmSort (Abt_Id)"));
    // One row per department with its number of selected ladders: the selection passes the
    // record filter (subtree, marks) here, and 100,000 ladders become a few thousand rows.
    db.exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ZwDat (FirmenAbtID INTEGER, Anzahl INTEGER)"));
    db.exec(QStringLiteral("DELETE FROM ZwFirmSort"));
    db.exec(QStringLiteral("DELETE FROM ZwDat"));

    QList<QVariantList> sortRows;
    for (const FirmSortRow& r : FirmSortRows(FFirmAbt()))
        sortRows << QVariantList{r.nr, r.abtId, r.parentId, r.spalte};
    insertRows(db, QStringLiteral("ZwFirmSort"), QStringLiteral("Nr,Abt_Id,Parent_Id,Spalte"), 4, sortRows);

    Query& zw = query();
    TRepForm::openQueries();
    const int abtCol = zw.field(QStringLiteral("FirmenAbtID")).index();
    QMap<qint64, int> perDepartment;
    int withoutValue = 0;
    for (int r = 0, n = zw.recordCount(); r < n; ++r) {
        const QVariant abt = zw.valueAt(r, abtCol);
        if (abt.isNull())
            ++withoutValue;
        else
            ++perDepartment[abt.toLongLong()];
    }
    zw.close();
    QList<QVariantList> rows;
    rows.reserve(perDepartment.size() + 1);
    for (auto it = perDepartment.cbegin(); it != perDepartment.cend(); ++it)
        rows << QVariantList{it.key(), it.value()};
    if (withoutValue > 0)
        rows << QVariantList{QVariant(), withoutValue};
    insertRows(db, QStringLiteral("ZwDat"), QStringLiteral("FirmenAbtID,Anzahl"), 2, rows);
}

void TRepLeiterCount::openQueries()
{
    m_detailQ->close();
    Backend& db = Engine::instance().backend(query().alias());
    try {
        fillWorkTables();
        if (afterWorkTables)
            afterWorkTables();
        if (dataModule().StFirmAbtList->active())
            dataModule().StFirmAbtList->refreshIfChanged();
        m_detailQ->prepare();
        m_detailQ->open();
    } catch (...) {
        db.exec(QStringLiteral("DELETE FROM ZwDat"));
        throw;
    }
    db.exec(QStringLiteral("DELETE FROM ZwDat"));
}

void TRepLeiterCount::closeQueries()
{
    m_detailQ->close();
    TRepForm::closeQueries();
}

void TRepLeiterCount::buildBands()
{
    Report& r = report();
    setupA4(QPageLayout::Portrait, 10);

    // Page header: sort label, title, date and page.
    ReportBand* kopf = logoBand()->addChild(16);
    kopf->setFrame(ReportFrame::sides(true, true));
    addHeaderLabel(kopf, QRectF(0, 2, 55, 5), TRepLabel::Sortiert).setFontSize(8);
    kopf->addSystemField(QRectF(55, 3, 80, 8), SystemField::ReportTitle)
        .setFontSize(14)
        .setBold()
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    kopf->addSystemField(QRectF(140, 2, 50, 5), SystemField::PrintDate, QStringLiteral("Datum : ")).setFontSize(8);
    kopf->addSystemField(QRectF(140, 8, 50, 5), SystemField::PageNumber, QStringLiteral("Seite   : ")).setFontSize(8);

    // Second header: range and criteria.
    ReportBand* bereich = kopf->addChild(12);
    bereich->setFrame(ReportFrame::sides(true, true));
    addHeaderLabel(bereich, QRectF(0, 1, pageWidth, 5), TRepLabel::Bereich).setFontSize(10);
    addHeaderLabel(bereich, QRectF(0, 6, pageWidth, 5), TRepLabel::Filter).setFontSize(10);
    ReportBand* luecke = bereich->addChild(4);
    luecke->setFrame(ReportFrame::sides(true, false));

    // Column header.
    ReportBand* spalten = r.columnHeader();
    spalten->setHeightMm(8);
    spalten->setFrame(ReportFrame::sides(true, true, false, false, 0.6));
    spalten->addLabel(QRectF(2, 1.5, 120, 6), QStringLiteral("Firma / Abteilung")).setFontSize(12);
    spalten->addLabel(QRectF(anzahlLeft, 1.5, anzahlWidth, 6), QStringLiteral("Anzahl"))
        .setFontSize(12)
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ReportBand* luecke2 = spalten->addChild(3);
    luecke2->setFrame(ReportFrame::sides(false, true));

    // One line per node, indented by its level.
    ReportBand* zeile = r.detail();
    zeile->setHeightMm(6.5);
    ReportShape& oben = zeile->addHLine(0, 0, pageWidth);
    ReportDataSource* src = m_source.get();
    zeile->setBeforePrint([&oben, src](ReportBand&, bool&) {
        const QVariant spalte = src->value(QStringLiteral("ZwSpalte"));
        oben.setVisible(spalte.isNull() || spalte.toInt() <= 0);
    });
    zeile->addField(QRectF(layoutPixelsToMm(50), 0.8, anzahlLeft - layoutPixelsToMm(50), 5.5),
                    QStringLiteral("AbtKurzBez"))
        .setFontSize(12)
        .setBeforePrint([src](TextPrint& tp) {
            const QVariant spalte = src->value(QStringLiteral("ZwSpalte"));
            const int level = spalte.isNull() ? 0 : qMax(0, spalte.toInt());
            const double left = layoutPixelsToMm(50 + 50 * level);
            tp.rect = QRectF(left, tp.rect.top(), qMax(10.0, anzahlLeft - left), tp.rect.height());
            if (tp.text.trimmed().isEmpty())
                tp.text = QStringLiteral("nicht zugeordnet");
        });
    zeile->addField(QRectF(anzahlLeft, 0.8, anzahlWidth, 5.5), QStringLiteral("ZwCount"))
        .setFontSize(12)
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    // Total.
    ReportBand* vorSumme = r.summary();
    vorSumme->setHeightMm(3);
    vorSumme->setFrame(ReportFrame::sides(true, false));
    ReportBand* summe = vorSumme->addChild(8);
    summe->setFrame(ReportFrame::sides(true, true));
    summe->addLabel(QRectF(2, 1.2, 60, 6), QStringLiteral("Summe :")).setFontSize(12).setBold();
    summe->addSum(QRectF(anzahlLeft, 1.2, anzahlWidth, 6), QStringLiteral("ZwCount"), zeile, QStringLiteral("0"))
        .setFontSize(12)
        .setBold()
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}
