#include "LeiterGrid.h"

#include "ActionGuard.h"
#include "CursorModel.h"
#include "DataSet.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <utility>

namespace {

// Row indicator: an arrow at the current row, "*" at a new row, "I" at a row being edited.
class IndicatorHeader : public QHeaderView {
public:
    IndicatorHeader(DataSet* ds, QWidget* parent) : QHeaderView(Qt::Vertical, parent), m_ds(ds)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setFixedWidth(14);
    }

protected:
    void paintSection(QPainter* p, const QRect& rect, int logicalIndex) const override
    {
        p->save();
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rect;
        opt.section = logicalIndex;
        style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
        p->restore();
        if (logicalIndex != m_ds->currentViewRow())
            return;
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(palette().color(QPalette::WindowText));
        p->setBrush(palette().color(QPalette::WindowText));
        if (m_ds->state() == DataSetState::Insert) {
            p->drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
        } else if (m_ds->state() == DataSetState::Edit) {
            p->drawText(rect, Qt::AlignCenter, QStringLiteral("I"));
        } else {
            const QPoint c = rect.center();
            const QPolygon arrow({QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 3, c.y()), QPoint(c.x() - 2, c.y() + 4)});
            p->drawPolygon(arrow);
        }
        p->restore();
    }

private:
    DataSet* m_ds;
};

class RowColourDelegate : public QStyledItemDelegate {
public:
    explicit RowColourDelegate(TLeiterGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (m_grid->rowBackground) {
            const bool selected = option.state & QStyle::State_Selected;
            if (std::optional<QColor> c = m_grid->rowBackground(index.row(), selected)) {
                QStyleOptionViewItem o = option;
                o.state &= ~QStyle::State_Selected;
                p->fillRect(o.rect, *c);
                o.backgroundBrush = *c;
                // Black or white, whichever reads better on the row's colour.
                const QColor text = qGray(c->rgb()) >= 128 ? QColor(Qt::black) : QColor(Qt::white);
                o.palette.setColor(QPalette::Text, text);
                o.palette.setColor(QPalette::WindowText, text);
                QStyledItemDelegate::paint(p, o, index);
                return;
            }
        }
        QStyledItemDelegate::paint(p, option, index);
    }

private:
    TLeiterGrid* m_grid;
};

} // namespace

TLeiterGrid::TLeiterGrid(DataSet* leiter, QWidget* parent) : QTableView(parent), m_dataSet(leiter)
{
    setObjectName(QStringLiteral("DBGridLeiter"));
    m_model = new CursorModel(leiter, this);
    m_model->setReadOnly(true);
    setModel(m_model);
    // Each chunk of the rest of a large register appends rows, usually below the rows shown:
    // the scroll range grows, the rows on screen stay and need no repaint.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int) {
        const int lastShown = rowAt(viewport()->height() - 1);
        const bool below = lastShown >= 0 && first > lastShown;
        if (!below)
            m_pending = Pending::Other;
        else if (m_pending == Pending::None)
            m_pending = Pending::AppendedBelow;
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { m_pending = Pending::Other; });
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { m_pending = Pending::Other; });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] { m_pending = Pending::Other; });
    connect(m_model, &QAbstractItemModel::rowsMoved, this, [this] { m_pending = Pending::Other; });
    connect(m_model, &QAbstractItemModel::columnsInserted, this, [this] { m_pending = Pending::Other; });
    connect(m_model, &QAbstractItemModel::columnsRemoved, this, [this] { m_pending = Pending::Other; });
    setVerticalHeader(new IndicatorHeader(leiter, this));
    setItemDelegate(new RowColourDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(true);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    // The selected row stays marked when the focus is elsewhere.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (current.isValid() && current.row() != m_dataSet->currentViewRow() && m_dataSet->state() == DataSetState::Browse)
            m_dataSet->moveToViewRow(current.row());
        verticalHeader()->viewport()->update();
    });
    // A press on a half-shown row scrolls the grid under the mouse, and the release then selects
    // the row that came under it without making it current: the highlight would show another
    // ladder than the one "Löschen" acts on. The highlight always follows the current row.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndex current = selectionModel()->currentIndex();
        if (!current.isValid())
            return;
        const QModelIndexList rows = selectionModel()->selectedRows();
        if (rows.size() != 1 || rows.first().row() != current.row())
            selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    });
    connect(m_model, &CursorModel::currentRowChanged, this, [this](int) { followCursor(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { followCursor(); });
    applyWidths();
    followCursor();
}

void TLeiterGrid::setColumns(const QStringList& fieldNames)
{
    m_model->setColumns(fieldNames);
    applyWidths();
    followCursor();
}

QStringList TLeiterGrid::columns() const { return m_model->columns(); }

void TLeiterGrid::applyWidths()
{
    const int charWidth = fontMetrics().averageCharWidth();
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (Field* f = m_model->fieldAt(c))
            setColumnWidth(c, f->displayWidth() * charWidth + 12);
}

void TLeiterGrid::followCursor()
{
    const int row = m_dataSet->currentViewRow();
    if (row < 0 || row >= m_model->rowCount()) {
        verticalHeader()->viewport()->update();
        return;
    }
    const int col = qMax(0, currentIndex().column());
    if (currentIndex().row() != row || !selectionModel()->isRowSelected(row, QModelIndex())) {
        const QModelIndex idx = m_model->index(row, qMin(col, qMax(0, m_model->columnCount() - 1)));
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    scrollTo(m_model->index(row, qMax(0, currentIndex().column())));
    verticalHeader()->viewport()->update();
}

void TLeiterGrid::doItemsLayout()
{
    const Pending pending = std::exchange(m_pending, Pending::None);
    if (pending == Pending::AppendedBelow) {
        // As the table view's layout, without repainting the rows shown (a million-ladder
        // register repainted them a hundred times while the rest was read).
        updateGeometries();
        return;
    }
    QTableView::doItemsLayout();
}

void TLeiterGrid::addKeyHandler(KeyHandler handler) { m_keyHandlers << std::move(handler); }

void TLeiterGrid::keyPressEvent(QKeyEvent* event)
{
    // Moving past the ladders read so far: the rest is read first.
    if (m_dataSet->rowsPending()) {
        const int row = currentIndex().row();
        const int rows = model()->rowCount();
        const int page = std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
        const bool past = (event->key() == Qt::Key_End && (event->modifiers() & Qt::ControlModifier))
            || (event->key() == Qt::Key_Down && row + 1 >= rows) || (event->key() == Qt::Key_PageDown && row + page >= rows);
        if (past && !runGuarded(this, [this] { m_dataSet->waitForFullLoad(); })) {
            event->accept();
            return;
        }
    }
    for (const KeyHandler& h : m_keyHandlers)
        if (h(event)) {
            event->accept();
            return;
        }
    QTableView::keyPressEvent(event);
}
