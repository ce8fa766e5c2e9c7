#include "RepForm.h"

#include "DataModule.h"
#include "DataSetSource.h"
#include "Errors.h"
#include "LtFirmAbt.h"
#include "Query.h"
#include "RenderedReport.h"
#include "ReportPrinter.h"
#include "ReportUnits.h"
#include "Table.h"

#include <QDir>
#include <QFileInfo>

TRepForm::TRepForm(TDataModule1& dm, TRepProfile profile, const QString& title)
    : m_dm(dm), m_profile(std::move(profile)), m_queryOwner(std::make_unique<Query>())
{
    m_query = m_queryOwner.get();
    m_query->setObjectName(m_profile.queryName);
    m_query->onFilterRecord = [this](DataSet& ds) { return DetailQFilterRecord(ds); };
    m_report.setTitle(title);

    Table& firmen = *m_dm.StFirmAbtList;
    if (firmen.active())
        firmen.refreshIfChanged();
    m_firmAbt = std::make_unique<TLtFirmAbt>(firmen);

    m_logoBand = m_report.pageHeader();
    loadLogo();
    m_report.setBeforePrint([this] { openQueries(); });
}

TRepForm::~TRepForm()
{
    try {
        closeQueries();
    } catch (...) {
    }
}

void TRepForm::loadLogo()
{
    const QString fileName = QDir::current().filePath(QStringLiteral("Logo.bmp"));
    QImage logo;
    if (QFileInfo::exists(fileName))
        logo.load(fileName);
    m_logo = logo;
    if (m_logo.isNull()) {
        m_logoBand->setEnabled(false);
        m_logoBand->setHeightMm(0);
        return;
    }
    // Drawn at its own size in layout pixels; the band is 8 pixels taller.
    const double w = ReportUnits::layoutPixelsToMm(m_logo.width());
    const double h = ReportUnits::layoutPixelsToMm(m_logo.height());
    m_logoBand->addImage(QRectF(0, 0, w, h), m_logo);
    m_logoBand->setHeightMm(ReportUnits::layoutPixelsToMm(m_logo.height() + 8));
    m_logoBand->setEnabled(true);
}

void TRepForm::setLogoLine(bool on)
{
    m_logoBand->setFrame(on ? ReportFrame::sides(false, true) : ReportFrame());
}

QString TRepForm::labelText(TRepLabel which) const
{
    switch (which) {
    case TRepLabel::Sortiert: return m_labSortiert;
    case TRepLabel::Bereich: return m_labBereich;
    case TRepLabel::Filter: return m_labFilter;
    }
    return QString();
}

ReportText& TRepForm::addHeaderLabel(ReportBand* band, const QRectF& rectMm, TRepLabel which)
{
    ReportText& t = band->addComputed(rectMm, [this, which] { return labelText(which); });
    // The selection can be long (type, material, company, department, kind, scrap): it goes on
    // over further lines and the header grows; the lines above it are shortened visibly.
    if (which == TRepLabel::Filter)
        t.setWordWrap();
    else
        t.setFit(ReportText::Fit::Elide);
    return t;
}

void TRepForm::addHeaderLabels(ReportBand* band, double top, double width, double step, double fontPt)
{
    double y = top;
    for (TRepLabel which : {TRepLabel::Sortiert, TRepLabel::Bereich, TRepLabel::Filter}) {
        ReportText& t = addHeaderLabel(band, QRectF(0, y, width, step), which);
        if (fontPt > 0)
            t.setFontSize(fontPt);
        y += step;
    }
}

void TRepForm::addTitleDatePage(ReportBand* band, const QRectF& titleMm, double titlePt, const QRectF& dateMm,
                                double pageTopMm, const QString& datePrefix, const QString& pagePrefix)
{
    band->addSystemField(titleMm, SystemField::ReportTitle)
        .setFontSize(titlePt)
        .setBold()
        .setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    band->addSystemField(dateMm, SystemField::PrintDate, datePrefix);
    QRectF page = dateMm;
    page.moveTop(pageTopMm);
    band->addSystemField(page, SystemField::PageNumber, pagePrefix);
}

void TRepForm::setupA4(QPageLayout::Orientation orientation, double fontPt, double rightMarginMm)
{
    Report& r = report();
    r.setPageSize(QPageSize::A4);
    r.setOrientation(orientation);
    r.setMarginsMm(10, 10, rightMarginMm, 10);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(fontPt);
    r.setFont(font);
}

void TRepForm::addColumnHeadings(ReportBand* band, std::initializer_list<ColumnHeading> headings)
{
    bool first = true;
    for (const ColumnHeading& k : headings) {
        ReportText& t = band->addLabel(QRectF(k.x1 + 0.3, 1, k.x2 - k.x1 - 0.6, 3.8), QString::fromUtf8(k.text));
        t.setBold();
        t.setAlignment(k.alignment);
        if (!first)
            band->addVLine(k.x1, 0, band->heightMm());
        first = false;
    }
}

void TRepForm::appendLabelText(QString& label, const QString& text)
{
    // Texts of one label are joined with " / " unless the one before already ends with it.
    if (!label.isEmpty() && !text.isEmpty()) {
        if (!label.trimmed().endsWith(u'/'))
            label = label.trimmed() + QStringLiteral(" / ");
        else if (!label.endsWith(u' '))
            label += u' ';
    }
    label += text;
}

void TRepForm::setAlias(const QString& alias) { m_query->setAlias(alias); }

void TRepForm::AddSQLText(const QString& line) { m_query->addSql(line); }

QString TRepForm::DatumBetween(const QDate& von, const QDate& bis)
{
    if (!von.isValid() || !bis.isValid() || bis < von)
        throw HwError(QStringLiteral("Datum..bis muss >= Datum..von sein"));
    const QString fmt = QStringLiteral("MM/dd/yyyy");
    return QStringLiteral("BETWEEN  '%1' and '%2'").arg(von.toString(fmt), bis.toString(fmt));
}

void TRepForm::SetBereichNr(int von, int bis)
{
    if (bis < von)
        throw HwError(m_profile.nrError);
    AddSQLText(m_profile.nrClause.arg(von).arg(bis));
    AddBereichText(m_profile.nrText.arg(von).arg(bis));
}

void TRepForm::SetBereichKurzBez(const QString& von, const QString& bis)
{
    // Byte order, case-sensitive: "B" lies before "a".
    if (QString::compare(bis, von, Qt::CaseSensitive) < 0)
        throw HwError(m_profile.kurzBezError);
    // The texts go in as parameters: a quote in them is part of the text, not of the query.
    AddSQLText(m_profile.kurzBezClause);
    m_query->setParam(QStringLiteral("KurzBezVon"), von);
    m_query->setParam(QStringLiteral("KurzBezBis"), bis);
    AddBereichText(m_profile.kurzBezText.arg(von, bis));
}

void TRepForm::SetBereichDatum(const QString& fieldName, const QString& label, const QDate& von, const QDate& bis)
{
    const QString between = DatumBetween(von, bis);
    AddSQLText(QStringLiteral("AND %1 %2").arg(fieldName, between));
    const QString fmt = QStringLiteral("dd.MM.yyyy");
    AddBereichText(QStringLiteral("%1 : %2 bis %3").arg(label, von.toString(fmt), bis.toString(fmt)));
}

QString TRepForm::lookupKurzBez(TRepFilterArt kind, const QString& key) const
{
    Table* table = nullptr;
    QString keyField = QStringLiteral("ID");
    switch (kind) {
    case rfLeiterArt: table = m_dm.SLeiterArten; break;
    case rfMaterial: table = m_dm.SMaterial; break;
    case rfLtPruefArt:
    case rfPruefArt:
        table = m_dm.SPruef;
        keyField = QStringLiteral("Nr");
        break;
    case rfPruefer: table = m_dm.StPruefer; break;
    default: return QString();
    }
    bool ok = false;
    const int id = key.toInt(&ok);
    if (!table || !ok)
        return QString();
    if (!table->active())
        table->open();
    else
        table->refreshIfChanged();
    return table->lookup(keyField, {id}, QStringLiteral("KurzBez")).toString();
}

namespace {
// A key that is not a whole number selects nothing instead of reaching the query text.
int keyValue(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok)
        throw HwError(QStringLiteral("'%1' ist kein gültiger Schlüssel").arg(text));
    return v;
}
}

void TRepForm::SetFilter(TRepFilterArt kind, const QString& text)
{
    switch (kind) {
    case rfLeiterArt:
        AddSQLText(QStringLiteral("AND Art_ID = %1").arg(keyValue(text)));
        AddFilterText(m_profile.leiterArtText.arg(lookupKurzBez(kind, text)));
        break;
    case rfMaterial:
        AddSQLText(QStringLiteral("AND MAT_ID = %1").arg(keyValue(text)));
        AddFilterText(QStringLiteral("Material :%1 / ").arg(lookupKurzBez(kind, text)));
        break;
    case rfFirma:
        AddSQLText(QStringLiteral("AND Firma = :Firma"));
        m_query->setParam(QStringLiteral("Firma"), text);
        AddFilterText(QStringLiteral("Firma : %1 / ").arg(text));
        break;
    case rfAbteilung:
        m_abtKey = text.trimmed();
        m_subtreeValid = false;
        updateFilterState();
        AddFilterText(QStringLiteral("Abtl. : %1 / ").arg(m_firmAbt->PathText(m_abtKey)));
        break;
    case rfLtPruefArt:
    case rfPruefArt:
        if (kind != m_profile.pruefArtKind)
            return;
        AddSQLText(QStringLiteral("AND %1 = %2").arg(m_profile.pruefArtColumn).arg(keyValue(text)));
        AddFilterText(QStringLiteral("Prüfung :%1 / ").arg(lookupKurzBez(kind, text)));
        break;
    case rfSchrott: {
        // Unquoted, so that an empty flag counts as false.
        const bool flag = text.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        AddSQLText(QStringLiteral("AND Schrott = %1").arg(flag ? QStringLiteral("true") : QStringLiteral("false")));
        AddFilterText(m_profile.schrottText);
        break;
    }
    case rfPruefer:
        if (!m_profile.prueferWirkt)
            return;
        AddSQLText(QStringLiteral("AND Pruefer_ID = %1").arg(keyValue(text)));
        AddFilterText(QStringLiteral("int. Prüfer :%1 / ").arg(lookupKurzBez(kind, text)));
        break;
    case rfMarkiert:
        if (m_profile.markField.isEmpty())
            return;
        AddFilterText(QStringLiteral("nur markierte Sätze"));
        break;
    }
}

void TRepForm::SetFilterMarkiert(TRepFilterArt kind, const QStringList& list)
{
    if (kind != rfMarkiert || list.isEmpty() || m_profile.markField.isEmpty())
        return;
    SetFilter(rfMarkiert, QStringLiteral("true"));
    m_markListe = list;
    m_marks.clear();
    for (const QString& id : list)
        m_marks.insert(id.trimmed().toLongLong());
    m_markFilter = true;
    updateFilterState();
}

void TRepForm::SetSortierung(int item)
{
    if (item < 0 || item >= m_profile.sortItems.size())
        return;
    AddSQLText(m_profile.sortItems[item].sql);
    AddSortiertText(m_profile.sortItems[item].text);
}

void TRepForm::SetEinzelPruefung(int)
{
    throw HwError(QStringLiteral("Dieser Report druckt keine einzelne Prüfung."));
}

void TRepForm::updateFilterState()
{
    m_query->setFiltered(!m_abtKey.isEmpty() || (m_markFilter && !m_markListe.isEmpty()));
}

const QSet<qint64>& TRepForm::abtSubtree() const
{
    if (!m_subtreeValid) {
        m_subtree.clear();
        const TTVRecordList& list = m_firmAbt->list();
        for (int i = 0; i < list.count(); ++i) {
            const QString& id = list.at(i).id;
            if (m_firmAbt->IsAtOrBelow(id, m_abtKey))
                m_subtree.insert(id.toLongLong());
        }
        m_subtreeValid = true;
    }
    return m_subtree;
}

bool TRepForm::inAbtSubtree(const QVariant& abtId) const
{
    if (!abtId.isValid() || abtId.isNull())
        return false;
    return abtSubtree().contains(abtId.toLongLong());
}

bool TRepForm::DetailQFilterRecord(DataSet& ds) const
{
    if (!m_abtKey.isEmpty() && !inAbtSubtree(ds.field(m_profile.abtField).value()))
        return false;
    if (m_markFilter && !m_markListe.isEmpty()) {
        const QVariant id = ds.field(m_profile.markField).value();
        if (!id.isValid() || !m_marks.contains(id.toLongLong()))
            return false;
    }
    return true;
}

void TRepForm::useQueryAsDataSource()
{
    m_source = std::make_unique<DataSetSource>(*m_query);
    m_report.setDataSource(m_source.get());
}

void TRepForm::openQueries()
{
    m_query->close();
    m_query->prepare();
    m_query->open();
}

void TRepForm::closeQueries() { m_query->close(); }

void TRepForm::preview()
{
    try {
        m_report.preview(true);
    } catch (...) {
        closeQueries();
        throw;
    }
    closeQueries();
}

void TRepForm::print()
{
    try {
        m_report.print();
    } catch (...) {
        closeQueries();
        throw;
    }
    closeQueries();
}

std::shared_ptr<RenderedReport> TRepForm::render()
{
    std::shared_ptr<RenderedReport> r;
    try {
        r = m_report.render();
    } catch (...) {
        closeQueries();
        throw;
    }
    closeQueries();
    return r;
}

void TRepForm::writePdf(const QString& fileName)
{
    ReportPrinter::writePdf(*render(), fileName);
}
