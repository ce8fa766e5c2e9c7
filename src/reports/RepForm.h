#pragma once
#include "RepProfile.h"
#include "Report.h"

#include <QDate>
#include <QImage>
#include <QSet>
#include <QStringList>
#include <memory>

class DataSet;
class DataSetSource;
class Query;
class RenderedReport;
class TDataModule1;
class TLtFirmAbt;

// The three header labels every report form prints.
enum class TRepLabel { Sortiert, Bereich, Filter };

// Base of every report form: the selection operations, the record filter (department
// subtree, marks), the three header label texts, the department index FFirmAbt and the
// logo band. A form declares its query text, its profile (the clauses and texts that differ)
// and its bands; everything else lives here once.
//
// Life of a form: created for one start, filled by the selection operations, then preview(),
// print() or render(); the query is opened when rendering begins (the report's before-print).
class TRepForm {
public:
    TRepForm(TDataModule1& dm, TRepProfile profile, const QString& title);
    virtual ~TRepForm();
    TRepForm(const TRepForm&) = delete;
    TRepForm& operator=(const TRepForm&) = delete;

    const TRepProfile& profile() const { return m_profile; }
    Report& report() { return m_report; }
    // The query receiving the selection lines (DetailQ; QZwDat in the count report).
    Query& query() const { return *m_query; }
    TDataModule1& dataModule() const { return m_dm; }
    // The database the queries run on (another workstation's connection in tests).
    virtual void setAlias(const QString& alias);

    // --- selection operations
    void AddSQLText(const QString& line);
    void AddSortiertText(const QString& text) { appendLabelText(m_labSortiert, text); }
    void AddBereichText(const QString& text) { appendLabelText(m_labBereich, text); }
    void AddFilterText(const QString& text) { appendLabelText(m_labFilter, text); }
    const QString& QRLabSortiert() const { return m_labSortiert; }
    const QString& QRLabBereich() const { return m_labBereich; }
    const QString& QRLabFilter() const { return m_labFilter; }
    QString labelText(TRepLabel which) const;

    // "BETWEEN  '03/01/2004' and '03/31/2004'"; refuses bis before von.
    static QString DatumBetween(const QDate& von, const QDate& bis);
    void SetBereichNr(int von, int bis);
    void SetBereichKurzBez(const QString& von, const QString& bis);
    void SetBereichDatum(const QString& fieldName, const QString& label, const QDate& von, const QDate& bis);
    virtual void SetFilter(TRepFilterArt kind, const QString& text);
    void SetFilterID(TRepFilterArt kind, int id) { SetFilter(kind, QString::number(id)); }
    void SetFilterFlag(TRepFilterArt kind, bool flag)
    {
        SetFilter(kind, flag ? QStringLiteral("true") : QStringLiteral("false"));
    }
    void SetFilterMarkiert(TRepFilterArt kind, const QStringList& list);
    // The profile's sort item: its ORDER BY line and its header text; nothing without sort items.
    void SetSortierung(int item);

    // --- options of single reports; a form overrides those it has
    virtual void SetErweitert(int index) { Q_UNUSED(index); }
    virtual void SetSeiteProLeiter(bool on) { Q_UNUSED(on); }
    virtual void SetPruefUebersicht(bool on) { Q_UNUSED(on); }
    virtual void SetErledigtKennzeichnen(bool on) { Q_UNUSED(on); }
    virtual void SetMaschBewertung(bool on) { Q_UNUSED(on); }
    virtual void SetGesamteStruktur(bool on) { Q_UNUSED(on); }
    // Restricts the report to one inspection; only the control sheet has it.
    virtual void SetEinzelPruefung(int pruefId);

    // --- record filter of the query
    const QString& FAbtKey() const { return m_abtKey; }
    bool FMarkFilter() const { return m_markFilter; }
    const QStringList& FMarkListe() const { return m_markListe; }
    const TLtFirmAbt& FFirmAbt() const { return *m_firmAbt; }
    // Department subtree and marks, as the query's filter applies them to its current row.
    bool DetailQFilterRecord(DataSet& ds) const;
    // True when the department ID (decimal text) is the chosen department or below it.
    bool inAbtSubtree(const QVariant& abtId) const;

    // --- output
    void preview();                                  // modal, in the registered preview window
    void print();                                    // on report().printer(), without asking
    std::shared_ptr<RenderedReport> render();
    // The rows the report would print, open in exportQuery() (with the record filter) for an
    // export; closeForExport() afterwards.
    void openForExport() { openQueries(); }
    // The query whose rows the report prints (a count prints its own working rows).
    virtual Query& exportQuery() const { return query(); }
    void closeForExport() { closeQueries(); }
    void writePdf(const QString& fileName);

protected:
    // The first page-header band: the logo when "Logo.bmp" lies in the current directory,
    // switched off otherwise. Forms chain their header bands to it (logoBand()->addChild()).
    ReportBand* logoBand() const { return m_logoBand; }
    void setLogoLine(bool on);
    bool hasLogo() const { return !m_logo.isNull(); }
    // A text on a band showing one of the three header labels as it is when printed.
    ReportText& addHeaderLabel(ReportBand* band, const QRectF& rectMm, TRepLabel which);
    // The three header labels one below the other from `top`, each `step` high.
    void addHeaderLabels(ReportBand* band, double top, double width, double step, double fontPt = 0);
    // The report's title centred at the top of its box, the print date and below it the page.
    static void addTitleDatePage(ReportBand* band, const QRectF& titleMm, double titlePt, const QRectF& dateMm,
                                 double pageTopMm, const QString& datePrefix = QStringLiteral("Datum : "),
                                 const QString& pagePrefix = QStringLiteral("Seite   : "));
    // An A4 page with 10 mm margins (the right one may differ) and Arial as the report's font.
    void setupA4(QPageLayout::Orientation orientation, double fontPt, double rightMarginMm = 10);
    struct ColumnHeading {
        double x1, x2;
        const char* text;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    };
    // Bold column headings with a vertical line before each but the first.
    static void addColumnHeadings(ReportBand* band, std::initializer_list<ColumnHeading> headings);
    static void appendLabelText(QString& label, const QString& text);

    // Rendering begins: opens the query with its lines and record filter. The count report
    // does more; a thrown HwError stops the report.
    virtual void openQueries();
    virtual void closeQueries();
    // The report's rows; a form whose rows come from another query sets its own source.
    void useQueryAsDataSource();

private:
    void loadLogo();
    void updateFilterState();
    const QSet<qint64>& abtSubtree() const;
    QString lookupKurzBez(TRepFilterArt kind, const QString& key) const;

    TDataModule1& m_dm;
    TRepProfile m_profile;
    Report m_report;
    Query* m_query = nullptr;
    std::unique_ptr<Query> m_queryOwner;
    std::unique_ptr<DataSetSource> m_source;
    std::unique_ptr<TLtFirmAbt> m_firmAbt;
    ReportBand* m_logoBand = nullptr;
    QImage m_logo;
    QString m_labSortiert, m_labBereich, m_labFilter;
    QString m_abtKey;
    QStringList m_markListe;
    bool m_markFilter = false;
    mutable bool m_subtreeValid = false;
    mutable QSet<qint64> m_subtree;
    QSet<qint64> m_marks;
};
