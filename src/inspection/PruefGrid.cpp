#include "PruefGrid.h"

#include "DataModule.h"
#include "Kriterien.h"
#include "PruefCursor.h"
#include "Schema.h"
#include "Table.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QStyleOptionHeader>
#include <QToolButton>

#include <memory>

namespace {

// Simple done column -> its required column; group result -> its required result.
QString grauBedingung(const QString& fieldName)
{
    for (const QString& c : Schema::simpleCriteria())
        if (fieldName.compare(Schema::doneColumn(c), Qt::CaseInsensitive) == 0)
            return Schema::requiredColumn(c);
    for (const Kriterien::Gruppe& g : Kriterien::gruppen())
        if (fieldName.compare(Kriterien::berErlFeld(g), Qt::CaseInsensitive) == 0)
            return Kriterien::berFeld(g);
    return QString();
}

bool istEinfachesFlag(const QString& fieldName)
{
    for (const QString& c : Schema::simpleCriteria())
        if (fieldName.compare(Schema::requiredColumn(c), Qt::CaseInsensitive) == 0
            || fieldName.compare(Schema::doneColumn(c), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

const QColor kGrau(0x80, 0x80, 0x80);

}

bool zelleGrau(const DataSet& pruef, int viewRow, const QString& fieldName)
{
    const QString cond = grauBedingung(fieldName);
    if (cond.isEmpty())
        return false;
    const QVariant v = pruef.valueAt(viewRow, pruef.field(cond).index());
    return !(v.isValid() && v.toBool());
}

// ---------------------------------------------------------------- model

PruefGridModel::PruefGridModel(Table* pruef, QObject* parent) : CursorModel(pruef, parent) {}

bool PruefGridModel::istErfSpalte(int column) const
{
    Field* f = fieldAt(column);
    if (!f)
        return false;
    for (const QString& c : Schema::simpleCriteria())
        if (f->name().compare(Schema::requiredColumn(c), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QVariant PruefGridModel::data(const QModelIndex& index, int role) const
{
    Field* f = fieldAt(index.column());
    if (!f)
        return QVariant();
    if (role == Qt::BackgroundRole && istErfSpalte(index.column()))
        return QColor(Qt::yellow);
    if (role == Qt::TextAlignmentRole && f->type() == FieldType::Boolean)
        return int(Qt::AlignCenter);
    return CursorModel::data(index, role);
}

QVariant PruefGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (istErfSpalte(section)) {
            if (role == Qt::DisplayRole)
                return QStringLiteral("erf.");
            if (role == Qt::TextAlignmentRole)
                return int(Qt::AlignRight | Qt::AlignVCenter);
            if (role == Qt::BackgroundRole)
                return QColor(Qt::white);
        }
        if (section == sonstigesSpalte() && role == Qt::DisplayRole)
            return QStringLiteral("Sonstiges");
    }
    return CursorModel::headerData(section, orientation, role);
}

Qt::ItemFlags PruefGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags fl = CursorModel::flags(index);
    if (index.column() == sonstigesSpalte())
        fl &= ~Qt::ItemIsEditable;
    return fl;
}

// ---------------------------------------------------------------- delegate

PruefGridDelegate::PruefGridDelegate(TDataModule1& dm, QObject* parent) : QStyledItemDelegate(parent), m_dm(dm) {}

static Field* fieldOf(const QModelIndex& index)
{
    auto* m = qobject_cast<const CursorModel*>(index.model());
    return m ? m->fieldAt(index.column()) : nullptr;
}

QComboBox* PruefGridDelegate::lookupListe(QWidget* parent, const Field& f)
{
    auto* cb = new QComboBox(parent);
    cb->setObjectName(QStringLiteral("LookupListe"));
    cb->addItem(QString());
    DataSet* src = f.def().lookupDataSet;
    if (src && src->active()) {
        const int col = src->field(f.def().lookupResultField).index();
        for (int r = 0; r < src->viewRowCount(); ++r)
            cb->addItem(src->valueAt(r, col).toString());
    }
    return cb;
}

QWidget* PruefGridDelegate::datumEditor(QWidget* parent)
{
    auto* w = new QWidget(parent);
    w->setObjectName(QStringLiteral("DatumEditor"));
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    auto* edit = new QLineEdit(w);
    edit->setObjectName(QStringLiteral("DatumEdit"));
    auto* btn = new QToolButton(w);
    btn->setObjectName(QStringLiteral("EllipsisButton"));
    btn->setText(QStringLiteral("..."));
    l->addWidget(edit, 1);
    l->addWidget(btn);
    w->setFocusProxy(edit);
    return w;
}

QWidget* PruefGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    Field* f = fieldOf(index);
    if (!f)
        return QStyledItemDelegate::createEditor(parent, option, index);
    const QString name = f->name();
    if (istEinfachesFlag(name)) {
        auto* cb = new QComboBox(parent);
        cb->setObjectName(QStringLiteral("FlagListe"));
        cb->addItems({QString(), QStringLiteral("Ja")});
        return cb;
    }
    if (f->kind() == FieldKind::Lookup)
        return lookupListe(parent, *f);
    if (name.compare(QStringLiteral("Datum"), Qt::CaseInsensitive) == 0) {
        QWidget* w = datumEditor(parent);
        auto* btn = w->findChild<QToolButton*>(QStringLiteral("EllipsisButton"));
        const QPersistentModelIndex pi(index);
        auto* self = const_cast<PruefGridDelegate*>(this);
        connect(btn, &QToolButton::clicked, self, [self, w, pi] {
            emit self->closeEditor(w, QAbstractItemDelegate::NoHint);
            emit self->editButtonClicked(pi);
        });
        return w;
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void PruefGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (auto* cb = qobject_cast<QComboBox*>(editor)) {
        const int i = cb->findText(text);
        cb->setCurrentIndex(i < 0 ? 0 : i);
        return;
    }
    if (auto* edit = editor->findChild<QLineEdit*>(QStringLiteral("DatumEdit"))) {
        edit->setText(text);
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void PruefGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    Field* f = fieldOf(index);
    if (auto* cb = qobject_cast<QComboBox*>(editor)) {
        if (cb->currentText() == index.data(Qt::DisplayRole).toString())
            return;   // unchanged: no edit state for a look at the list
        if (f && istEinfachesFlag(f->name()))
            model->setData(index, cb->currentText() == QLatin1String("Ja") ? QVariant(true) : QVariant());
        else
            model->setData(index, cb->currentText());
        return;
    }
    if (auto* edit = editor->findChild<QLineEdit*>(QStringLiteral("DatumEdit"))) {
        if (edit->text() != index.data(Qt::DisplayRole).toString())
            model->setData(index, edit->text());
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool PruefGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* cb = qobject_cast<QComboBox*>(object);
        auto* ke = static_cast<QKeyEvent*>(event);
        // Up and Down move between the inspections as in every other cell; the list itself
        // opens with Alt+Down or F4.
        if (cb && (ke->key() == Qt::Key_Up || ke->key() == Qt::Key_Down) && !(ke->modifiers() & Qt::AltModifier)
            && !cb->view()->isVisible()) {
            ke->ignore();   // on to the grid
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void PruefGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    Field* f = fieldOf(index);
    auto* m = qobject_cast<const CursorModel*>(index.model());
    if (!f || !m || !zelleGrau(*m->dataSet(), index.row(), f->name()))
        return;
    painter->save();
    painter->fillRect(option.rect, kGrau);
    painter->drawText(option.rect, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

// ---------------------------------------------------------------- view

TPruefGrid::TPruefGrid(Table* pruef, TDataModule1& dm, QWidget* parent) : QTableView(parent), m_pruef(pruef)
{
    setObjectName(QStringLiteral("DBGridLtPruef"));
    m_model = new PruefGridModel(pruef, this);
    m_model->setColumns(ltPruefGridColumns());
    for (const Kriterien::Einfach& e : Kriterien::einfache())
        m_model->setColumnTitle(Schema::doneColumn(e.criterion), e.gridTitle);
    m_model->setColumnTitle(QStringLiteral("PrueferKurzBez"), QStringLiteral("Prüfer"));
    setModel(m_model);
    m_delegate = new PruefGridDelegate(dm, this);
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setTabKeyNavigation(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    for (const char* hidden : {"ID", "LT_ID", "PruefungArt_ID", "Pruefer_ID"})
        setColumnHidden(spalte(QLatin1String(hidden)), true);
    for (const QString& c : Schema::simpleCriteria()) {
        setColumnHidden(spalte(Schema::requiredColumn(c)), true);
        setColumnWidth(spalte(Schema::doneColumn(c)), 50);
    }
    spaltenBreiten();
    // Rule of the read-only done cells takes over from the first data change.
    pruef->field(QStringLiteral("PrErlMaterial")).setReadOnly(true);

    // Rows reloaded: an editor hidden by the reset while it has the keyboard would hand the
    // keyboard on with a Tab of its own, moving the cell cursor and leaving the record.
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { editorVerwerfen(); });
    connect(m_model, &CursorModel::currentRowChanged, this, [this] { folgeCursor(); });
    connect(m_model, &CursorModel::editRefused, this, [this](const QString& message) {
        m_abgelehnt = true;
        emit fehler(message);
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { folgeCursor(); });
    folgeCursor();
}

namespace {

// The date as wide as it can be drawn: every digit the widest one of the font.
QString breitesDatum(const QString& muster, const QFontMetrics& fm)
{
    QChar breit = QLatin1Char('0');
    for (char d = '0'; d <= '9'; ++d)
        if (fm.horizontalAdvance(QLatin1Char(d)) > fm.horizontalAdvance(breit))
            breit = QLatin1Char(d);
    QString out = muster;
    for (QChar& c : out)
        if (c.isDigit())
            c = breit;
    return out;
}

}

int TPruefGrid::kopfBreite(int column) const
{
    // The current column's title is drawn bold.
    QFont bold = horizontalHeader()->font();
    bold.setBold(true);
    QStyleOptionHeader opt;
    opt.initFrom(horizontalHeader());
    opt.orientation = Qt::Horizontal;
    opt.section = column;
    opt.text = m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    opt.fontMetrics = QFontMetrics(bold);
    return horizontalHeader()->style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), horizontalHeader()).width();
}

int TPruefGrid::datumBreite() const
{
    std::unique_ptr<QWidget> probe(PruefGridDelegate::datumEditor(nullptr));
    probe->setFont(viewport()->font());
    auto* edit = probe->findChild<QLineEdit*>(QStringLiteral("DatumEdit"));
    auto* btn = probe->findChild<QToolButton*>(QStringLiteral("EllipsisButton"));
    const QFontMetrics fm(edit->font());
    // As shown, and typed with a four-digit year.
    const QString gezeigt = m_pruef->field(QStringLiteral("Datum")).formatValue(QDate(2000, 12, 28));
    int text = 0;
    for (const QString& muster : {gezeigt, QStringLiteral("28.12.2000")})
        text = qMax(text, fm.horizontalAdvance(breitesDatum(muster, fm)));
    // QLineEdit scrolls unless the text, its bearings and the cursor fit inside 2 px margins.
    text += qMax(0, -fm.minLeftBearing()) + qMax(0, -fm.minRightBearing()) + 1 + 2 * 2;
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.rect = QRect(0, 0, 1000, edit->sizeHint().height());
    opt.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit);
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    const QRect innen = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit).marginsRemoved(edit->textMargins());
    return text + opt.rect.width() - innen.width() + btn->sizeHint().width();
}

void TPruefGrid::spaltenBreiten()
{
    const int gitter = showGrid() ? 1 : 0;   // the cell (and its editor) lies inside the grid line
    for (int c = 0; c < m_model->columnCount(); ++c) {
        Field* f = m_model->fieldAt(c);
        if (!f)
            continue;
        int breite = qMax(columnWidth(c), kopfBreite(c));
        if (f->name().compare(QStringLiteral("Datum"), Qt::CaseInsensitive) == 0) {
            breite = qMax(kopfBreite(c), datumBreite() + gitter);
        } else if (f->kind() == FieldKind::Lookup) {
            std::unique_ptr<QComboBox> liste(PruefGridDelegate::lookupListe(nullptr, *f));
            liste->setFont(viewport()->font());
            breite = qMax(breite, liste->sizeHint().width() + gitter);
        }
        // A hidden column keeps the width for when it is shown.
        setColumnWidth(c, breite);
    }
}

void TPruefGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (m_model && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
        spaltenBreiten();
}

void TPruefGrid::folgeCursor()
{
    if (m_sync)
        return;
    const int row = m_pruef->currentViewRow();
    if (row < 0 || row >= m_model->rowCount())
        return;
    int col = currentIndex().isValid() ? currentIndex().column() : -1;
    if (col < 0 || isColumnHidden(col))
        col = spalte(QStringLiteral("Datum"));
    if (currentIndex().row() == row && currentIndex().column() == col)
        return;
    m_sync = true;
    selectionModel()->setCurrentIndex(m_model->index(row, col), QItemSelectionModel::ClearAndSelect);
    m_sync = false;
}

bool TPruefGrid::fokusInListe() const
{
    const QWidget* f = QApplication::focusWidget();
    return f && (f == this || isAncestorOf(f));
}

void TPruefGrid::editorVerwerfen()
{
    const QModelIndex i = currentIndex();
    if (QWidget* editor = i.isValid() ? indexWidget(i) : nullptr)
        closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TPruefGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // The editor opens at once only while the user works in the list: when the ladder moves
    // the list follows it without taking the keyboard away.
    if (trigger == CurrentChanged && !fokusInListe())
        return false;
    return QTableView::edit(index, trigger, event);
}

void TPruefGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    const Qt::FocusReason r = event->reason();
    if ((r == Qt::TabFocusReason || r == Qt::BacktabFocusReason) && currentIndex().isValid()
        && !indexWidget(currentIndex()))
        edit(currentIndex(), CurrentChanged, nullptr);
}

void TPruefGrid::ersteSpalte()
{
    const int row = m_pruef->currentViewRow();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (!isColumnHidden(c)) {
            m_sync = true;
            selectionModel()->setCurrentIndex(m_model->index(qMax(row, 0), c), QItemSelectionModel::ClearAndSelect);
            m_sync = false;
            break;
        }
    }
    viewport()->update();
}

void TPruefGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_sync || !current.isValid() || current.row() == m_pruef->currentViewRow()) {
        QTableView::currentChanged(current, previous);
        return;
    }
    // Another record: the cell left writes its value, the cursor moves, and only then may an
    // editor open, so the read-only rule of the record reached decides about it.
    const int column = current.column();
    if (QWidget* editor = previous.isValid() ? indexWidget(previous) : nullptr) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    m_sync = true;
    try {
        datensatzVerlassen();
        const int target = qMin(current.row(), m_model->rowCount() - 1);
        if (target >= 0)
            m_pruef->moveToViewRow(target);
    } catch (const HwError& e) {
        m_sync = false;
        emit fehler(e.message());
    } catch (const Abort&) {
    }
    m_sync = false;
    const int row = m_pruef->currentViewRow();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex reached = m_model->index(row, column);
    if (currentIndex() != reached) {
        m_sync = true;
        selectionModel()->setCurrentIndex(reached, QItemSelectionModel::ClearAndSelect);
        m_sync = false;
    } else {
        QTableView::currentChanged(reached, QModelIndex());
    }
    if (previous.isValid() && previous.model() == m_model)
        update(previous);
}

void TPruefGrid::datensatzVerlassen()
{
    // Leaving a record saves what was changed and drops an untouched one.
    if (!m_pruef->isEditing())
        return;
    if (m_pruef->modified())
        m_pruef->post();
    else
        m_pruef->cancel();
}

void TPruefGrid::keyPressEvent(QKeyEvent* event)
{
    const bool lastRow = currentIndex().row() == m_model->rowCount() - 1;
    const bool append = event->key() == Qt::Key_Insert
        || (event->key() == Qt::Key_Down && lastRow && m_pruef->state() != DataSetState::Insert);
    DataSet* master = m_pruef->masterSource();
    if (append && (!master || !master->isEmpty())) {
        // A value typed into the open cell counts; a refused one keeps the user in the cell.
        if (QWidget* editor = currentIndex().isValid() ? indexWidget(currentIndex()) : nullptr) {
            m_abgelehnt = false;
            commitData(editor);
            if (m_abgelehnt)
                return;
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
        try {
            datensatzVerlassen();
            m_pruef->append();
        } catch (const HwError& e) {
            emit fehler(e.message());
        } catch (const Abort&) {
        }
        folgeCursor();
        return;
    }
    QTableView::keyPressEvent(event);
}
