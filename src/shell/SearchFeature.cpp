// Sort orders, index and text search, marks and the record filter of the ladder grid.
#include "Features.h"

#include "ActionGuard.h"
#include "CursorModel.h"
#include "DbTreeLookupComboBox.h"
#include "Dialogs.h"
#include "EingabeDialog.h"
#include "LadderFilter.h"
#include "LeiterGrid.h"
#include "LeiterVerlassen.h"
#include "LeiterVerw.h"
#include "LtFirmAbt.h"
#include "MainMenus.h"
#include "Table.h"

#include <QAction>
#include <QCoreApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

// Names of the sort orders in the selector; an index not listed here shows its field's label.
QString sortName(const Table& t, const IndexDef& idx)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("ID"), QStringLiteral("Erfassung")},
        {QStringLiteral("Nr"), QStringLiteral("Leiter-Nr")},
        {QStringLiteral("KurzBez"), QStringLiteral("Kurzbezeichnung")},
        {QStringLiteral("ExNrBez"), QStringLiteral("externe Nr")},
        {QStringLiteral("PruefTermin"), QStringLiteral("Prüftermin")},
        {QStringLiteral("Firma"), QStringLiteral("Firma")},
        {QStringLiteral("Lieferant"), QStringLiteral("Lieferant")},
        {QStringLiteral("FirmenAbtID"), QStringLiteral("Firma/Abteilung")},
        {QStringLiteral("AusgabeDatum"), QStringLiteral("Ausgabedatum")},
        {QStringLiteral("ErfasstDatum"), QStringLiteral("Erfassungsdatum")},
    };
    const QString fields = idx.fields;
    if (names.contains(fields))
        return names.value(fields);
    const QStringList list = idx.fieldList();
    if (list.size() == 1)
        if (Field* f = t.findField(list.first()))
            return f->displayLabel();
    return fields;
}

class SearchFeature : public QObject {
public:
    explicit SearchFeature(TLeiterVerw& w)
        : QObject(&w), m_w(w), m_t(*w.leiter()),
          m_filter(new LadderFilter(*w.leiter(), w.markListe(), w.firmAbt(), &w)),
          m_idField(w.leiter()->field(QStringLiteral("ID")).index())
    {
        m_filter->setObjectName(QStringLiteral("LadderFilter"));
        plugActions();
        plugSort();
        plugDepartmentBox();
        plugGrid();
        connect(m_filter, &LadderFilter::filterChanged, this, &SearchFeature::afterFilterChange);
        connect(m_filter, &LadderFilter::marksChanged, this, [this] { m_w.updateStatusTexts(); });
        // No filter at the start: the same clearing as "Alle Filter löschen", without the re-read.
        m_filter->clearAll(false);
        m_w.menus()->setWanted(QStringLiteral("ActFilterLoeschen"), false);
        m_w.updateStatusTexts();
    }

private:
    TMainMenus& menus() const { return *m_w.menus(); }
    TLeiterGrid& grid() const { return *m_w.grid(); }

    void plug(const char* name, std::function<void()> handler) { menus().plug(QLatin1String(name), std::move(handler)); }

    // ------------------------------------------------------------ refresh helpers

    void refreshGrid()
    {
        grid().followCursor();
        grid().viewport()->update();
        grid().setFocus();
        m_w.updateStatusTexts();
    }

    void afterFilterChange()
    {
        menus().setWanted(QStringLiteral("ActFilterLoeschen"), m_filter->filtered());
        refreshGrid();
    }

    // ------------------------------------------------------------ sort orders

    QString activeFields() const
    {
        QString fields = m_t.indexFieldNames();
        if (fields.isEmpty())
            for (const IndexDef& idx : m_t.indexDefs())
                if (idx.primary)
                    fields = idx.fields;
        return fields;
    }

    void plugSort()
    {
        QComboBox* sort = m_w.Sort;
        {
            const QSignalBlocker block(sort);
            sort->clear();
            for (const IndexDef& idx : m_t.indexDefs())
                sort->addItem(sortName(m_t, idx), idx.fields);
        }
        syncSort();
        connect(sort, &QComboBox::activated, this, [this, sort](int i) {
            const QString fields = sort->itemData(i).toString();
            runGuarded(&m_w, [this, fields] {
                if (fields.compare(activeFields(), Qt::CaseInsensitive) != 0)
                    m_t.setIndexFieldNames(fields);
            });
            syncSort();
            grid().setFocus();
        });
        // The order may change elsewhere (title click, other features).
        // The selector goes before the cursor when the window closes.
        connect(&m_t, &DataSet::rowsReset, sort, [this] { syncSort(); });
        m_w.setWidgetAvailable(sort);

        grid().horizontalHeader()->setSectionsClickable(true);
        connect(grid().horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this](int section) { runGuarded(&m_w, [this, section] { titleClick(section); }); });
    }

    void syncSort()
    {
        QComboBox* sort = m_w.Sort;
        const QString fields = activeFields();
        for (int i = 0; i < sort->count(); ++i)
            if (sort->itemData(i).toString().compare(fields, Qt::CaseInsensitive) == 0) {
                if (sort->currentIndex() != i) {
                    const QSignalBlocker block(sort);
                    sort->setCurrentIndex(i);
                }
                return;
            }
    }

    void titleClick(int section)
    {
        Field* f = grid().cursorModel()->fieldAt(section);
        // Lookup and calculated columns have no index.
        if (!f || f->kind() != FieldKind::Data || m_t.isEditing())
            return;
        const QList<IndexDef> defs = m_t.indexDefs();
        const IndexDef* idx = nullptr;
        for (const IndexDef& d : defs)
            if (!d.fieldList().isEmpty() && d.fieldList().first().compare(f->name(), Qt::CaseInsensitive) == 0) {
                idx = &d;
                break;
            }
        if (!idx || activeFields().compare(f->name(), Qt::CaseInsensitive) == 0)
            return;
        if (!Dialogs::question(&m_w, QStringLiteral("Sortierung wechseln nach %1 ?").arg(f->displayLabel())))
            return;
        m_t.setIndexFieldNames(idx->fields);
        syncSort();
        refreshGrid();
    }

    // ------------------------------------------------------------ index search

    // Moves to the first row whose active-index value is at or after the text; a text that does
    // not convert to the field's type fails with the engine's message and moves nothing.
    void gotoNearest(const QString& text)
    {
        const QStringList fields = activeFields().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (fields.isEmpty())
            return;
        const QVariant value = m_t.field(fields.first()).convertText(text);
        m_t.findNearest({value});
        refreshGrid();
    }

    void indexSearchDialog()
    {
        const QStringList fields = activeFields().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (fields.isEmpty())
            return;
        const QString caption = QStringLiteral("Sortiert nach ") + m_t.field(fields.first()).displayLabel();
        const std::optional<QString> text = Dialogs::input(&m_w, caption, QStringLiteral("Suche nach :"), QString());
        if (!text)
            return;
        gotoNearest(*text);
    }

    void indexSearchTyped(const QString& typed)
    {
        // Keys typed faster than the dialog opens are waiting already; once it is open they would
        // go to a blocked window and be lost. They join the first one instead.
        QString text = typed;
        m_typeAhead = &text;
        QCoreApplication::processEvents();
        m_typeAhead = nullptr;
        if (!EingabeDialog(QStringLiteral("Sortiert nach ") + activeFields(), QStringLiteral("Suche nach"), text, &m_w))
            return;
        gotoNearest(text);
    }

    // ------------------------------------------------------------ text search

    // Runs a search and shows the message when it found nothing; the grid is refreshed also
    // when the search failed.
    void runSearch(const std::function<bool()>& search, const QString& notFound)
    {
        bool found = false;
        try {
            found = search();
        } catch (...) {
            refreshGrid();
            throw;
        }
        refreshGrid();
        if (!found)
            Dialogs::information(&m_w, notFound);
    }

    void suchTextFolge()
    {
        const std::optional<QString> text = Dialogs::input(&m_w, QStringLiteral("Suchen nach Textfolge in Feldern"),
                                                           QStringLiteral("Suchen nach :"), m_filter->suchText());
        if (!text)
            return;
        const QString t = *text;
        runSearch([this, t] { return m_filter->searchFirst(t); }, LadderFilter::noMoreRecordsText());
    }

    void suchWeiter(bool (LadderFilter::*search)())
    {
        if (m_filter->suchText().isEmpty())
            return;
        runSearch([this, search] { return (m_filter->*search)(); }, LadderFilter::noMoreRecordsText());
    }

    // ------------------------------------------------------------ marks

    void markFind(bool (LadderFilter::*find)())
    {
        // "Kein Datensatz markiert" comes from the check inside and stops here.
        runSearch([this, find] { return (m_filter->*find)(); }, LadderFilter::noMoreMarksText());
    }

    void markClearAll()
    {
        m_filter->marks().clear();
        // The marks condition stays on but accepts every row now.
        if (m_filter->conditionOn(FilterKind::Markierung))
            m_t.refilter();
        refreshGrid();
    }

    void markToCurrent()
    {
        try {
            m_filter->markToCurrent();
        } catch (...) {
            refreshGrid();
            throw;
        }
        refreshGrid();
    }

    // ------------------------------------------------------------ department filter box

    void plugDepartmentBox()
    {
        TDbTreeLookupComboBox* box = m_w.DbFilterAbt;
        connect(box, &TDbTreeLookupComboBox::clicked, this, [this, box] {
            const bool done = runGuarded(&m_w, [this, box] {
                leaveRecord(m_w);
                const QVariant key = box->KeyValue();
                if (key.isValid() && !key.toString().isEmpty())
                    m_filter->setCondition(FilterKind::Abteilung, key.toString());
            });
            if (done)
                grid().setFocus();
            else
                showDepartmentFilter();
        });
        connect(m_w.SpBFilterAbtLoe, &QToolButton::clicked, this, [this] {
            runGuarded(&m_w, [this] {
                leaveRecord(m_w);
                m_filter->setCondition(FilterKind::Abteilung, QString());
            });
            showDepartmentFilter();
        });
        m_w.setWidgetAvailable(box);
        m_w.setWidgetAvailable(m_w.SpBFilterAbtLoe);
    }

    // The box shows the department the rows are filtered by (also after a refused change).
    void showDepartmentFilter()
    {
        const QString key = m_filter->conditionOn(FilterKind::Abteilung) ? m_filter->conditionValue(FilterKind::Abteilung) : QString();
        m_w.DbFilterAbt->setKeyValue(key.isEmpty() ? QVariant() : QVariant(key.toInt()));
    }

    void filterAktAbt()
    {
        if (m_t.isEditing())
            return;
        const QVariant dept = m_t.isEmpty() ? QVariant() : m_t.value(QStringLiteral("FirmenAbtID"));
        // A ladder without a department filters on 0, which no ladder passes.
        m_filter->setCondition(FilterKind::Abteilung, QString::number(dept.isValid() ? dept.toInt() : 0));
        m_w.DbFilterAbt->setKeyValue(dept.isValid() ? dept : QVariant());
    }

    void filterLoeschen()
    {
        if (m_filter->conditionOn(FilterKind::Abteilung))
            m_w.DbFilterAbt->setKeyValue(QVariant());
        m_filter->clearAll();
    }

    // ------------------------------------------------------------ actions

    void plugActions()
    {
        plug("ActSuchTextFolge", [this] { suchTextFolge(); });
        plug("ActSuchNext", [this] { suchWeiter(&LadderFilter::searchNext); });
        plug("ActSuchPrior", [this] { suchWeiter(&LadderFilter::searchPrior); });
        plug("ActSuchLast", [this] { suchWeiter(&LadderFilter::searchLast); });
        plug("ActSuchClear", [this] {
            m_filter->clearSearch();
            refreshGrid();
        });
        plug("ActSuchToMark", [this] {
            if (m_filter->suchText().isEmpty())
                return;
            try {
                m_filter->searchToMarks();
            } catch (...) {
                refreshGrid();
                throw;
            }
            refreshGrid();
        });
        plug("ActSuchToFilter", [this] {
            if (!m_filter->suchText().isEmpty())
                m_filter->setCondition(FilterKind::SuchText, m_filter->suchText());
        });
        plug("ActSuchFilterClear", [this] { m_filter->setCondition(FilterKind::SuchText, QString()); });

        plug("ActMarkChange", [this] {
            m_filter->toggleMark();
            refreshGrid();
        });
        plug("MBearbMarkieren", [this] {
            m_filter->toggleMark();
            refreshGrid();
        });
        plug("ActMarkChangeGotoNext", [this] {
            const QVariant id = m_t.isEmpty() ? QVariant() : m_t.value(QStringLiteral("ID"));
            m_filter->toggleMark();
            // An unmarked row the marks filter hid has its successor in its place already.
            if (!m_t.isEmpty() && m_t.value(QStringLiteral("ID")) == id)
                m_t.next();
            refreshGrid();
        });
        plug("ActMark", [this] {
            m_filter->mark();
            refreshGrid();
        });
        plug("ActMarkClear", [this] {
            m_filter->unmark();
            refreshGrid();
        });
        plug("ActMarkClearAll", [this] { markClearAll(); });
        plug("ActMarkToCurrent", [this] { markToCurrent(); });
        plug("ActMarkFindFirst", [this] { markFind(&LadderFilter::markFindFirst); });
        plug("ActMarkFindPrior", [this] { markFind(&LadderFilter::markFindPrior); });
        plug("ActMarkFindNext", [this] { markFind(&LadderFilter::markFindNext); });
        plug("ActMarkFindLast", [this] { markFind(&LadderFilter::markFindLast); });
        plug("ActMarkCheck", [this] { m_filter->markCheck(); });
        plug("ActMarkToFilter", [this] {
            m_filter->markCheck();
            m_filter->setCondition(FilterKind::Markierung, QStringLiteral("1"));
        });
        plug("ActMarkFilterClear", [this] { m_filter->setCondition(FilterKind::Markierung, QString()); });
        plug("LtPopFilterAktAbt", [this] { filterAktAbt(); });
        plug("ActFilterLoeschen", [this] { filterLoeschen(); });
        plug("MBearbIndexSuche", [this] { indexSearchDialog(); });
        plug("LtPopIndexSuche", [this] { indexSearchDialog(); });
    }

    // ------------------------------------------------------------ grid keys, colours, double click

    void trigger(const char* name)
    {
        if (QAction* a = menus().action(QLatin1String(name)); a && a->isEnabled())
            a->trigger();
    }

    static bool isSearchCharacter(const QString& text, Qt::KeyboardModifiers mods)
    {
        return text.size() == 1 && text.at(0).unicode() > 32 && text.at(0).unicode() != 127
            && !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    }

    bool keyDown(QKeyEvent* e)
    {
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        const int key = e->key();
        if (m_typeAhead) {
            // Between the first key of an index search and its dialog.
            if (isSearchCharacter(e->text(), mods))
                *m_typeAhead += e->text();
            return true;
        }
        if (m_t.isEditing())
            return false;
        if (mods == Qt::NoModifier && key == Qt::Key_Space) {
            trigger("ActMarkChangeGotoNext");
            return true;
        }
        if (mods == Qt::ShiftModifier && (key == Qt::Key_Down || key == Qt::Key_Up)) {
            // Holding Shift marks (down) or unmarks (up) while moving.
            runGuarded(&m_w, [this, key] {
                if (key == Qt::Key_Down) {
                    m_filter->mark();
                    m_t.next();
                } else {
                    m_filter->unmark();
                    m_t.prior();
                }
                refreshGrid();
            });
            return true;
        }
        if (mods == Qt::ControlModifier && key == Qt::Key_C) {
            trigger("ActMarkClearAll");
            return true;
        }
        if (mods == Qt::ControlModifier && key == Qt::Key_B) {
            trigger("ActMarkToCurrent");
            return true;
        }
        if (mods == Qt::AltModifier) {
            switch (key) {
            case Qt::Key_Down: trigger("ActMarkFindNext"); return true;
            case Qt::Key_Up: trigger("ActMarkFindPrior"); return true;
            case Qt::Key_Home: trigger("ActMarkFindFirst"); return true;
            case Qt::Key_End: trigger("ActMarkFindLast"); return true;
            default: break;
            }
        }
        if (key == Qt::Key_F3 && mods == Qt::NoModifier) {
            trigger("ActSuchNext");
            return true;
        }
        if (key == Qt::Key_F3 && mods == Qt::ShiftModifier) {
            trigger("ActSuchPrior");
            return true;
        }
        const QString text = e->text();
        if (isSearchCharacter(text, mods)) {
            runGuarded(&m_w, [this, text] { indexSearchTyped(text); });
            return true;
        }
        return false;
    }

    void plugGrid()
    {
        grid().addKeyHandler([this](QKeyEvent* e) { return keyDown(e); });
        grid().rowBackground = [this](int row, bool selected) -> std::optional<QColor> {
            if (m_filter->marks().isEmpty() || row < 0 || row >= m_t.viewRowCount())
                return std::nullopt;
            const QVariant id = m_t.valueAt(row, m_idField);
            if (!id.isValid() || !m_filter->marks().contains(id.toString()))
                return std::nullopt;
            // Dark red under the selection: white text on it reads as well as black on yellow.
            return selected ? QColor(176, 0, 0) : QColor(Qt::yellow);
        };
        connect(&grid(), &QAbstractItemView::doubleClicked, this, [this] { trigger("ActMarkChange"); });
    }

    TLeiterVerw& m_w;
    Table& m_t;
    LadderFilter* m_filter;
    int m_idField;
    QString* m_typeAhead = nullptr;
};

} // namespace

void plugSearchAndFilters(TLeiterVerw& w) { new SearchFeature(w); }
