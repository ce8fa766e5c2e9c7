#pragma once
#include "DataSet.h"
#include "TVRecordList.h"

#include <QFlags>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

class Table;

enum TDBTreeOption : quint32 {
    dtAllowDelete = 1u << 0,
    dtAllowInsert = 1u << 1,
    dtAutoDragMove = 1u << 2,      // not supported: nodes are not moved by dragging
    dtAutoExpand = 1u << 3,
    dtAutoShowRoot = 1u << 4,
    dtCancelOnExit = 1u << 5,      // not used by the program
    dtConfirmDelete = 1u << 6,
    dtFocusOnEdit = 1u << 7,
    dtInsertAsChild = 1u << 8,
    dtMouseMoveSelect = 1u << 9,
    dtRebuildFocusedOnly = 1u << 10,
    dtRootItemReadOnly = 1u << 11,
    dtSynchronizeDataSet = 1u << 12,
};
Q_DECLARE_FLAGS(TDBTreeOptions, TDBTreeOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBTreeOptions)

// A tree node that carries its record's ID text.
class TTreeIDNode : public QTreeWidgetItem {
public:
    explicit TTreeIDNode(const QString& id, const QString& text);
    QString ID;
    bool operator<(const QTreeWidgetItem& other) const override;
};

// Tree of the rows of a table with an ID, a parent and a text field, kept in step with it.
//
// Bind the table after the window has set its hooks: the view keeps them and calls them
// before its own reaction, so a window's refusal (rights, its messages) stops the view too.
// Changes made by other workstations are noticed by asking the table's change counter every
// 500 ms while the tree is visible; a hidden tree asks once when it is shown again.
class TDBTreeView : public QTreeWidget {
    Q_OBJECT
public:
    enum SortType { stNone, stText };

    explicit TDBTreeView(QWidget* parent = nullptr);
    ~TDBTreeView() override;

    void setTableIDField(const QString& name) { m_idField = name; rebuild(true); }
    void setTableParentField(const QString& name) { m_parentField = name; rebuild(true); }
    void setTableTextField(const QString& name) { m_textField = name; rebuild(true); }
    QString tableIDField() const { return m_idField; }
    // Binds the view; builds at once when the data set is open. nullptr unbinds.
    void setDataSource(DataSet* dataSet);
    DataSet* dataSource() const { return m_ds; }

    void setRootID(const QString& id);
    QString rootID() const { return m_rootId; }
    void setOptions(TDBTreeOptions options);
    TDBTreeOptions options() const { return m_options; }
    void setOption(TDBTreeOption option, bool on);
    void setSortType(SortType type);
    SortType sortType() const { return m_sort; }
    // A read-only view never changes the table (the drop-down of a lookup box).
    void setReadOnly(bool on) { m_readOnly = on; }
    bool isReadOnly() const { return m_readOnly; }

    std::function<void(TDBTreeView*)> OnRootNotFound;
    std::function<void(TDBTreeView*, const QString& id)> OnClosedLoop;
    std::function<QString(TDBTreeView*)> OnGetNextID;
    std::function<void(TDBTreeView*, TTreeIDNode*)> OnChange;

    TTreeIDNode* findNode(const QString& id) const;       // first in tree order, or nullptr
    static QString nodeID(const QTreeWidgetItem* node);
    static bool isTopNode(const QTreeWidgetItem* node) { return node && !node->parent(); }
    TTreeIDNode* selectedNode() const;
    QList<TTreeIDNode*> nodesInDisplayOrder() const;      // each node followed by its subtree
    void fullExpand() { expandAll(); }
    void fullCollapse() { collapseAll(); }

    // Reads the table and brings the nodes up to date: nothing, texts only, or a full rebuild.
    void rebuild(bool force = false);
    // Starts a new row as child or sibling of the selected node; throws the window's refusal.
    void insertNode(bool asChild);
    // Whether the insert under way makes a child (for the window's before-insert check).
    bool insertingAsChild() const { return m_insertingAsChild; }
    // Deletes the selected node's row through the table (subtrees as the delete rule says).
    void deleteSelected();
    // Asks the table whether another workstation changed it; schedules the rebuild.
    void checkChangedElsewhere();
    bool rebuildPending() const { return m_rebuildScheduled || m_rebuildPending; }
    // The rows of the last build.
    const TTVRecordList& recordList() const { return m_list; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    struct WindowHooks {
        DataSet::Hook beforeInsert, afterInsert, beforeEdit, afterEdit, beforePost, afterPost, beforeCancel,
            afterCancel, beforeDelete, afterDelete;
    };
    Table* table() const;
    bool writable() const;
    void chainHooks();
    void unchainHooks();
    TTVRecordList readList() const;
    QString idText(const QVariant& v) const;
    QString currentRowId() const;
    bool locateId(const QString& id);
    QString nextId() const;
    void selectNode(QTreeWidgetItem* node);
    void syncToTable();
    void onCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void onFieldChanged(Field* field);
    void requestLocalRebuild();
    void runScheduledRebuild();
    bool idle() const;
    QString neighbourId(QTreeWidgetItem* node) const;
    void treeBeforeDelete();
    void deleteSubtree(QTreeWidgetItem* node);
    void afterOwnChange();

    QPointer<DataSet> m_ds;
    QString m_idField, m_parentField, m_textField, m_rootId;
    TDBTreeOptions m_options;
    SortType m_sort = stNone;
    bool m_readOnly = false;
    WindowHooks m_win;
    bool m_chained = false;
    TTVRecordList m_list;
    bool m_built = false;
    QHash<QString, bool> m_expanded;

    bool m_building = false, m_syncing = false, m_ownInsert = false, m_deleting = false, m_labelEditing = false;
    bool m_insertingAsChild = false;
    TTreeIDNode* m_insertItem = nullptr;
    QString m_afterDeleteSelect;
    QTimer m_pollTimer, m_rebuildTimer;
    bool m_rebuildScheduled = false, m_rebuildPending = false, m_localRebuildQueued = false;
};
