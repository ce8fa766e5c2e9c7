#include "DBTreeView.h"

#include "ActionGuard.h"
#include "Dialogs.h"
#include "Query.h"
#include "Table.h"
#include "TreeShape.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace {
struct Flag {
    bool& f;
    bool old;
    explicit Flag(bool& flag) : f(flag), old(flag) { f = true; }
    ~Flag() { f = old; }
};
}

TTreeIDNode::TTreeIDNode(const QString& id, const QString& text) : QTreeWidgetItem(QStringList{text}), ID(id)
{
    setFlags(flags() | Qt::ItemIsEditable);
}

bool TTreeIDNode::operator<(const QTreeWidgetItem& other) const
{
    return treeTextOrder(text(0), other.text(0)) < 0;
}

namespace {
// The node's name is edited in place: the edit takes no more characters than the text field
// holds, so the user sees the limit while typing instead of a cut name after saving.
class TextSizeDelegate : public QStyledItemDelegate {
public:
    TextSizeDelegate(std::function<int()> size, QObject* parent) : QStyledItemDelegate(parent), m_size(std::move(size)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            if (const int n = m_size(); n > 0)
                line->setMaxLength(n);
        return editor;
    }

private:
    std::function<int()> m_size;
};
} // namespace

TDBTreeView::TDBTreeView(QWidget* parent) : QTreeWidget(parent)
{
    setItemDelegate(new TextSizeDelegate(
        [this] {
            Table* t = table();
            Field* f = t && t->active() ? t->findField(m_textField) : nullptr;
            return f && f->type() == FieldType::Text ? f->def().size : 0;
        },
        this));
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    connect(this, &QTreeWidget::currentItemChanged, this, &TDBTreeView::onCurrentItemChanged);
    m_pollTimer.setInterval(500);
    connect(&m_pollTimer, &QTimer::timeout, this, [this] {
        checkChangedElsewhere();
        if (m_rebuildPending && !m_rebuildScheduled)
            runScheduledRebuild();
    });
    m_rebuildTimer.setSingleShot(true);
    m_rebuildTimer.setInterval(500);
    connect(&m_rebuildTimer, &QTimer::timeout, this, &TDBTreeView::runScheduledRebuild);
}

TDBTreeView::~TDBTreeView() { unchainHooks(); }

Table* TDBTreeView::table() const { return qobject_cast<Table*>(m_ds.data()); }

bool TDBTreeView::writable() const
{
    Table* t = table();
    return !m_readOnly && t && t->active() && !t->readOnly();
}

void TDBTreeView::setDataSource(DataSet* dataSet)
{
    if (m_ds == dataSet)
        return;
    unchainHooks();
    if (m_ds)
        disconnect(m_ds, nullptr, this, nullptr);
    m_ds = dataSet;
    m_built = false;
    m_expanded.clear();
    if (m_ds) {
        connect(m_ds, &DataSet::currentChanged, this, [this] {
            if (m_building || m_syncing || !m_ds->active() || m_ds->isEditing())
                return;
            if (m_options & dtSynchronizeDataSet)
                syncToTable();
        });
        connect(m_ds, &DataSet::fieldChanged, this, &TDBTreeView::onFieldChanged);
        connect(m_ds, &DataSet::rowsReset, this, &TDBTreeView::requestLocalRebuild);
        connect(m_ds, &DataSet::rowChanged, this, &TDBTreeView::requestLocalRebuild);
        connect(m_ds, &QObject::destroyed, this, [this] { m_chained = false; clear(); m_pollTimer.stop(); });
        if (!m_readOnly)
            chainHooks();
        // A hidden tree (a closed drop-down) asks nobody; it catches up when shown.
        if (isVisible())
            m_pollTimer.start();
    } else {
        m_pollTimer.stop();
    }
    rebuild(true);
}

void TDBTreeView::chainHooks()
{
    Table* t = table();
    if (!t)
        return;
    m_win = {t->beforeInsert, t->afterInsert, t->beforeEdit, t->afterEdit, t->beforePost,
             t->afterPost, t->beforeCancel, t->afterCancel, t->beforeDelete, t->afterDelete};
    m_chained = true;
    auto call = [](const DataSet::Hook& h, DataSet& ds) { if (h) h(ds); };
    t->beforeInsert = [this, call](DataSet& ds) { call(m_win.beforeInsert, ds); };
    t->afterInsert = [this, call](DataSet& ds) {
        call(m_win.afterInsert, ds);
        if (m_ownInsert)
            return;
        // An append from outside becomes the view's own insert, placed in the tree.
        table()->cancel();
        insertNode(bool(m_options & dtInsertAsChild));
    };
    t->beforeEdit = [this, call](DataSet& ds) { call(m_win.beforeEdit, ds); };
    t->afterEdit = [this, call](DataSet& ds) {
        call(m_win.afterEdit, ds);
        if (m_labelEditing || m_readOnly)
            return;
        // Edit state from outside (a button): open the selected node's label.
        if (QTreeWidgetItem* n = currentItem()) {
            if (m_options & dtFocusOnEdit)
                setFocus();
            Flag f(m_labelEditing);
            QTreeWidget::edit(indexFromItem(n), QAbstractItemView::AllEditTriggers, nullptr);
        }
    };
    t->beforePost = [this, call](DataSet& ds) { call(m_win.beforePost, ds); };
    t->afterPost = [this, call](DataSet& ds) {
        call(m_win.afterPost, ds);
        afterOwnChange();
    };
    t->beforeCancel = [this, call](DataSet& ds) { call(m_win.beforeCancel, ds); };
    t->afterCancel = [this, call](DataSet& ds) {
        call(m_win.afterCancel, ds);
        if (!m_ownInsert)
            afterOwnChange();
    };
    t->beforeDelete = [this, call](DataSet& ds) {
        call(m_win.beforeDelete, ds);
        treeBeforeDelete();
    };
    t->afterDelete = [this, call](DataSet& ds) {
        call(m_win.afterDelete, ds);
        if (m_deleting)
            return;
        if (!m_afterDeleteSelect.isEmpty()) {
            Flag f(m_syncing);
            locateId(m_afterDeleteSelect);
        }
        m_afterDeleteSelect.clear();
        rebuild();
    };
}

void TDBTreeView::unchainHooks()
{
    Table* t = table();
    if (!m_chained || !t)
        return;
    t->beforeInsert = m_win.beforeInsert;
    t->afterInsert = m_win.afterInsert;
    t->beforeEdit = m_win.beforeEdit;
    t->afterEdit = m_win.afterEdit;
    t->beforePost = m_win.beforePost;
    t->afterPost = m_win.afterPost;
    t->beforeCancel = m_win.beforeCancel;
    t->afterCancel = m_win.afterCancel;
    t->beforeDelete = m_win.beforeDelete;
    t->afterDelete = m_win.afterDelete;
    m_chained = false;
}

void TDBTreeView::setRootID(const QString& id)
{
    if (m_rootId == id)
        return;
    m_rootId = id;
    rebuild(true);
}

void TDBTreeView::setOptions(TDBTreeOptions options)
{
    m_options = options;
    setMouseTracking(bool(options & dtMouseMoveSelect));
}

void TDBTreeView::setOption(TDBTreeOption option, bool on) { setOptions(on ? (m_options | option) : (m_options & ~TDBTreeOptions(option))); }

void TDBTreeView::setSortType(SortType type)
{
    m_sort = type;
    rebuild(true);
}

QString TDBTreeView::idText(const QVariant& v) const
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
        return QString::number(v.toLongLong());
    case QMetaType::Double:
        return QString::number(qint64(v.toDouble()));
    default:
        return v.toString();
    }
}

TTVRecordList TDBTreeView::readList() const
{
    TTVRecordList list;
    if (!m_ds || !m_ds->active())
        return list;
    Field* id = m_ds->findField(m_idField);
    Field* parent = m_parentField.isEmpty() ? nullptr : m_ds->findField(m_parentField);
    Field* text = m_ds->findField(m_textField);
    if (!id || !text)
        return list;
    const int n = m_ds->recordCount();
    for (int r = 0; r < n; ++r)
        list.add(idText(m_ds->valueAt(r, id->index())), parent ? idText(m_ds->valueAt(r, parent->index())) : QString(),
                 m_ds->valueAt(r, text->index()).toString());
    return list;
}

QString TDBTreeView::currentRowId() const
{
    if (!m_ds || !m_ds->active() || m_ds->isEmpty())
        return QString();
    Field* id = m_ds->findField(m_idField);
    return id ? idText(id->value()) : QString();
}

bool TDBTreeView::locateId(const QString& id)
{
    if (!m_ds || id.isEmpty())
        return false;
    Field* f = m_ds->findField(m_idField);
    if (!f)
        return false;
    if (currentRowId() == id)
        return true;
    QVariant v = id;
    if (f->type() == FieldType::Integer || f->type() == FieldType::AutoInc)
        v = id.toLongLong();
    return m_ds->locate(m_idField, {v});
}

TTreeIDNode* TDBTreeView::findNode(const QString& id) const
{
    for (TTreeIDNode* n : nodesInDisplayOrder())
        if (n->ID == id)
            return n;
    return nullptr;
}

QString TDBTreeView::nodeID(const QTreeWidgetItem* node)
{
    auto* n = dynamic_cast<const TTreeIDNode*>(node);
    return n ? n->ID : QString();
}

TTreeIDNode* TDBTreeView::selectedNode() const { return dynamic_cast<TTreeIDNode*>(currentItem()); }

QList<TTreeIDNode*> TDBTreeView::nodesInDisplayOrder() const
{
    QList<TTreeIDNode*> out;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* n) {
        out << static_cast<TTreeIDNode*>(n);
        for (int i = 0; i < n->childCount(); ++i)
            walk(n->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i)
        walk(topLevelItem(i));
    return out;
}

void TDBTreeView::selectNode(QTreeWidgetItem* node)
{
    Flag f(m_syncing);
    setCurrentItem(node);
    if (node)
        scrollToItem(node);
}

void TDBTreeView::syncToTable()
{
    TTreeIDNode* n = findNode(currentRowId());
    if (n) {
        selectNode(n);
        if (m_options & dtAutoExpand)
            n->setExpanded(true);
    }
}

void TDBTreeView::rebuild(bool force)
{
    if (m_building)
        return;
    Flag building(m_building);
    if (!m_ds || !m_ds->active()) {
        clear();
        m_list.clear();
        m_built = false;
        m_insertItem = nullptr;
        return;
    }
    if (m_ds->isEditing() && !force) {
        m_rebuildPending = true;
        return;
    }
    TTVRecordList list = readList();
    const auto cmp = m_built ? list.compare(m_list) : TTVRecordList::Compare::StructureChanged;
    if (!force && !m_insertItem && cmp != TTVRecordList::Compare::StructureChanged) {
        // Same rows, maybe new names: bring the texts back in line (also after a cancelled rename).
        bool changed = false;
        for (TTreeIDNode* n : nodesInDisplayOrder()) {
            const int pos = list.findId(n->ID);
            if (pos >= 0 && n->text(0) != list.at(pos).text) {
                n->setText(0, list.at(pos).text);
                changed = true;
            }
        }
        m_list = list;
        if (changed && m_sort == stText)
            sortItems(0, Qt::AscendingOrder);
        return;
    }
    // Remember what the user sees.
    std::function<void(QTreeWidgetItem*)> remember = [&](QTreeWidgetItem* n) {
        if (n->childCount() > 0)
            m_expanded.insert(nodeID(n), n->isExpanded());
        for (int i = 0; i < n->childCount(); ++i)
            remember(n->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i)
        remember(topLevelItem(i));
    const QString selectedId = nodeID(currentItem());
    QTreeWidgetItem* topVisible = itemAt(0, 0);
    const QString topId = topVisible ? nodeID(topVisible) : m_rootId;

    clear();
    m_insertItem = nullptr;
    m_list = list;
    m_built = true;
    const TreeShape shape = buildTreeShape(list, m_rootId, m_sort == stText);
    const bool firstBuild = m_expanded.isEmpty();
    std::function<TTreeIDNode*(const TreeShapeNode&)> make = [&](const TreeShapeNode& s) {
        auto* node = new TTreeIDNode(s.id, s.text);
        for (const TreeShapeNode& c : s.children)
            node->addChild(make(c));
        return node;
    };
    for (const TreeShapeNode& t : shape.tops)
        addTopLevelItem(make(t));
    for (TTreeIDNode* n : nodesInDisplayOrder()) {
        if (n->childCount() == 0)
            continue;
        const auto it = m_expanded.constFind(n->ID);
        if (it != m_expanded.constEnd())
            n->setExpanded(*it);
        else if ((m_options & dtAutoExpand) || firstBuild)
            n->setExpanded(bool(m_options & dtAutoExpand));
    }
    if (m_options & dtAutoShowRoot)
        setRootIsDecorated(m_rootId.isEmpty() ? topLevelItemCount() > 1 : shape.rootNotFound && topLevelItemCount() > 1);
    else
        setRootIsDecorated(true);
    if (TTreeIDNode* t = findNode(topId))
        scrollToItem(t, QAbstractItemView::PositionAtTop);
    if (m_options & dtSynchronizeDataSet) {
        TTreeIDNode* n = findNode(currentRowId());
        if (!n && topLevelItemCount() > 0) {
            n = static_cast<TTreeIDNode*>(topLevelItem(0));
            Flag s(m_syncing);
            locateId(n->ID);
        }
        selectNode(n);
    } else {
        selectNode(findNode(selectedId));
    }
    if (shape.rootNotFound && OnRootNotFound)
        OnRootNotFound(this);
    if (shape.closedLoops > 0 && OnClosedLoop)
        for (int i = 0; i < shape.closedLoops; ++i)
            OnClosedLoop(this, m_rootId);
}

void TDBTreeView::afterOwnChange()
{
    m_rebuildPending = false;
    if (m_ds && m_ds->isEditing())
        return;
    Table* t = table();
    if (t && t->changedElsewhere())
        t->refreshIfChanged();
    rebuild(m_insertItem != nullptr);
}

void TDBTreeView::requestLocalRebuild()
{
    if (m_building || m_localRebuildQueued)
        return;
    m_localRebuildQueued = true;
    QMetaObject::invokeMethod(this, [this] {
        m_localRebuildQueued = false;
        if (idle())
            rebuild();
        else
            m_rebuildPending = true;
    }, Qt::QueuedConnection);
}

bool TDBTreeView::idle() const
{
    return m_ds && !m_ds->isEditing() && !m_labelEditing && !m_ownInsert && !m_deleting && !m_building
        && state() != QAbstractItemView::EditingState;
}

void TDBTreeView::checkChangedElsewhere()
{
    Table* t = table();
    if (!t || m_rebuildScheduled || m_rebuildPending)
        return;
    if (t->changedElsewhere()) {
        m_rebuildScheduled = true;
        m_rebuildTimer.start();
    }
}

void TDBTreeView::runScheduledRebuild()
{
    m_rebuildScheduled = false;
    if (!idle() || ((m_options & dtRebuildFocusedOnly) && !hasFocus())) {
        m_rebuildPending = true;
        return;
    }
    m_rebuildPending = false;
    if (Table* t = table())
        t->refreshIfChanged();
    rebuild();
}

void TDBTreeView::showEvent(QShowEvent* event)
{
    QTreeWidget::showEvent(event);
    if (!m_ds)
        return;
    checkChangedElsewhere();
    m_pollTimer.start();
}

void TDBTreeView::hideEvent(QHideEvent* event)
{
    QTreeWidget::hideEvent(event);
    m_pollTimer.stop();
}

void TDBTreeView::focusInEvent(QFocusEvent* event)
{
    QTreeWidget::focusInEvent(event);
    checkChangedElsewhere();
    if (m_rebuildPending && !m_rebuildScheduled)
        runScheduledRebuild();
}

void TDBTreeView::mouseMoveEvent(QMouseEvent* event)
{
    QTreeWidget::mouseMoveEvent(event);
    if (m_options & dtMouseMoveSelect)
        if (QTreeWidgetItem* n = itemAt(event->position().toPoint()))
            setCurrentItem(n);
}

void TDBTreeView::onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    if (m_building || m_syncing)
        return;
    checkChangedElsewhere();
    if ((m_options & dtSynchronizeDataSet) && current && m_ds) {
        const bool ok = runGuarded(window(), [&] {
            if (m_ds->isEditing() && currentRowId() != nodeID(current))
                if (Table* t = table())
                    t->post();
            Flag s(m_syncing);
            locateId(nodeID(current));
        });
        if (!ok) {
            selectNode(previous);
            return;
        }
    }
    if (OnChange)
        OnChange(this, static_cast<TTreeIDNode*>(current));
}

void TDBTreeView::onFieldChanged(Field* field)
{
    if (!field || m_building)
        return;
    if (field->name().compare(m_textField, Qt::CaseInsensitive) == 0) {
        QTreeWidgetItem* n = m_insertItem && m_ds->state() == DataSetState::Insert ? m_insertItem : findNode(currentRowId());
        if (n && state() != QAbstractItemView::EditingState)
            n->setText(0, field->asString());
    } else if (field->name().compare(m_idField, Qt::CaseInsensitive) == 0
               || field->name().compare(m_parentField, Qt::CaseInsensitive) == 0) {
        if (!m_ownInsert)
            m_rebuildPending = true;   // rebuilt after the row is saved or cancelled
    }
}

QString TDBTreeView::nextId() const
{
    if (OnGetNextID)
        return OnGetNextID(const_cast<TDBTreeView*>(this));
    Table* t = table();
    Field* f = m_ds->findField(m_idField);
    if (!t || !f)
        return QString();
    // Over all rows of the table, whatever the filter; never 0, which would be every company's parent.
    qint64 highest = 0;
    if (f->type() == FieldType::Integer || f->type() == FieldType::AutoInc) {
        Query q;
        q.setAlias(t->alias());
        q.setSql(QStringLiteral("SELECT MAX(%1) AS M FROM %2").arg(m_idField, t->tableName()));
        q.open();
        highest = q.isEmpty() ? 0 : q.field(QStringLiteral("M")).value().toLongLong();
    } else {
        for (int r = 0; r < m_ds->recordCount(); ++r)
            highest = std::max(highest, m_ds->valueAt(r, f->index()).toString().toLongLong());
    }
    return QString::number(std::max<qint64>(highest, 0) + 1);
}

void TDBTreeView::insertNode(bool asChild)
{
    if (!writable())
        return;
    checkChangedElsewhere();
    Table* t = table();
    if (t->isEditing())
        t->post();
    QTreeWidgetItem* sel = currentItem();
    QTreeWidgetItem* parentNode = sel ? (asChild ? sel : sel->parent()) : nullptr;
    const QString parentId = nodeID(parentNode);
    Field* idField = t->findField(m_idField);
    const bool autoInc = idField && idField->type() == FieldType::AutoInc;
    const QString newId = autoInc ? QString() : nextId();
    {
        Flag own(m_ownInsert);
        Flag child(m_insertingAsChild);
        m_insertingAsChild = asChild;
        t->append();
        try {
            if (!autoInc && idField)
                idField->setAsString(newId);
            if (!m_parentField.isEmpty() && !parentId.isEmpty())
                t->field(m_parentField).setAsString(parentId);
        } catch (...) {
            t->cancel();
            throw;
        }
    }
    auto* node = new TTreeIDNode(newId, t->field(m_textField).asString());
    if (parentNode) {
        parentNode->addChild(node);
        parentNode->setExpanded(true);
    } else {
        addTopLevelItem(node);
    }
    m_insertItem = node;
    selectNode(node);
    if (m_options & dtFocusOnEdit)
        setFocus();
    Flag f(m_labelEditing);
    QTreeWidget::edit(indexFromItem(node), QAbstractItemView::AllEditTriggers, nullptr);
}

QString TDBTreeView::neighbourId(QTreeWidgetItem* node) const
{
    QTreeWidgetItem* p = node->parent();
    const int i = p ? p->indexOfChild(node) : indexOfTopLevelItem(node);
    const int n = p ? p->childCount() : topLevelItemCount();
    auto at = [&](int k) { return p ? p->child(k) : topLevelItem(k); };
    if (i + 1 < n)
        return nodeID(at(i + 1));
    if (i > 0)
        return nodeID(at(i - 1));
    return nodeID(p);
}

void TDBTreeView::deleteSelected()
{
    if (!writable())
        return;
    checkChangedElsewhere();
    QTreeWidgetItem* sel = currentItem();
    if (!sel)
        return;
    Table* t = table();
    if (t->state() == DataSetState::Edit)
        t->cancel();
    if (t->state() == DataSetState::Insert) {
        t->cancel();
        return;
    }
    {
        Flag s(m_syncing);
        if (!locateId(nodeID(sel)))
            return;
    }
    t->remove();
}

void TDBTreeView::treeBeforeDelete()
{
    if (m_deleting)
        return;
    TTreeIDNode* node = findNode(currentRowId());
    if (!node)
        return;
    if (isTopNode(node) && (m_options & dtRootItemReadOnly))
        throw Abort();
    if (node->childCount() > 0 || (m_options & dtConfirmDelete)) {
        deleteSubtree(node);
        throw Abort();      // the subtree went row by row; the delete asked for is done
    }
    m_afterDeleteSelect = neighbourId(node);
}

void TDBTreeView::deleteSubtree(QTreeWidgetItem* node)
{
    QList<QTreeWidgetItem*> order;     // deepest first, last child first, the node itself last
    std::function<void(QTreeWidgetItem*)> collect = [&](QTreeWidgetItem* n) {
        for (int i = n->childCount() - 1; i >= 0; --i)
            collect(n->child(i));
        order << n;
    };
    collect(node);
    for (QTreeWidgetItem* n : order)
        if (isTopNode(n) && (m_options & dtRootItemReadOnly))
            throw Abort();
    const QString after = neighbourId(node);
    Table* t = table();
    try {
        Flag d(m_deleting);
        for (QTreeWidgetItem* n : order) {
            const QString id = nodeID(n);
            selectNode(n);
            if ((m_options & dtConfirmDelete) && !Dialogs::questionDefaultNo(window(), QStringLiteral("Delete record ?")))
                throw Abort();
            {
                Flag s(m_syncing);
                if (!locateId(id))
                    continue;
            }
            t->remove();
            delete n;
        }
    } catch (...) {
        rebuild(true);
        throw;
    }
    {
        Flag s(m_syncing);
        locateId(after);
    }
    rebuild(true);
}

void TDBTreeView::keyPressEvent(QKeyEvent* event)
{
    checkChangedElsewhere();
    if (state() != QAbstractItemView::EditingState) {
        if (event->key() == Qt::Key_Insert && (m_options & dtAllowInsert) && writable()) {
            const bool asChild = (m_options & dtInsertAsChild) || (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
            runGuarded(window(), [&] { insertNode(asChild); });
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Delete && (m_options & dtAllowDelete) && writable()) {
            runGuarded(window(), [&] { deleteSelected(); });
            event->accept();
            return;
        }
    }
    QTreeWidget::keyPressEvent(event);
}

bool TDBTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (trigger != QAbstractItemView::AllEditTriggers && !(editTriggers() & trigger))
        return QTreeWidget::edit(index, trigger, event);
    QTreeWidgetItem* node = itemFromIndex(index);
    if (!node || m_readOnly || !writable())
        return false;
    Table* t = table();
    Field* text = t->findField(m_textField);
    if (!text || text->readOnly())
        return false;
    const bool isNew = node == m_insertItem && t->state() == DataSetState::Insert;
    if (!isNew && isTopNode(node) && (m_options & dtRootItemReadOnly))
        return false;
    if (!isNew && t->state() != DataSetState::Edit) {
        Flag f(m_labelEditing);
        const bool ok = runGuarded(window(), [&] {
            if (t->isEditing())
                t->post();
            {
                Flag s(m_syncing);
                locateId(nodeID(node));
            }
            t->edit();
        });
        if (!ok || !t->isEditing())
            return false;
    }
    if (m_options & dtFocusOnEdit)
        setFocus();
    return QTreeWidget::edit(index, trigger, event);
}

void TDBTreeView::commitData(QWidget* editor)
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    Table* t = table();
    if (line && t && t->isEditing()) {
        const QString typed = line->text();
        Field& f = t->field(m_textField);
        if (typed != f.asString() && !runGuarded(window(), [&] { f.setAsString(typed); }))
            return;
    }
    QTreeWidget::commitData(editor);
}

void TDBTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeWidget::closeEditor(editor, hint);
    Table* t = table();
    // Enter saves; leaving for another control leaves the row to that control (Ok, Abbruch).
    if (hint == QAbstractItemDelegate::SubmitModelCache && t && t->isEditing())
        runGuarded(window(), [&] { t->post(); });
}
