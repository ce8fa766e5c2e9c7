#pragma once
#include <QFrame>
#include <QPointer>
#include <QVariant>
#include <functional>

#include "DataControls.h"

class QLabel;
class QToolButton;
class DataSet;
class TDBTreeView;
class TDbTreeLookupComboBox;

enum TDropDownAlign { daLeft, daRight, daCenter };
enum TDBTreeLCBOption : quint32 { dtAcceptLeavesOnly = 1u << 0, dtDontAcceptRoot = 1u << 1, dtKeepDataSetConnected = 1u << 2 };
Q_DECLARE_FLAGS(TDBTreeLCBOptions, TDBTreeLCBOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBTreeLCBOptions)

// The drop-down of a tree lookup box: a borderless pop-up holding one read-only tree.
class TTreeSelect : public QFrame {
    Q_OBJECT
public:
    explicit TTreeSelect(TDbTreeLookupComboBox* box);
    TDBTreeView* tree() const { return m_tree; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDbTreeLookupComboBox* m_box;
    TDBTreeView* m_tree;
};

// One line showing a node's text with a drop-down tree to choose a node. Bound mode writes
// the node's ID into the key field of a lookup field; unbound mode holds it in KeyValue.
// With the drop-down closed, Up and Down step through the choosable nodes and typed letters
// search by the start of the text (pause of more than 2 s starts a new search, 32 at most).
class TDbTreeLookupComboBox : public QFrame {
    Q_OBJECT
public:
    explicit TDbTreeLookupComboBox(QWidget* parent = nullptr);
    ~TDbTreeLookupComboBox() override;

    // Bound mode: a lookup field of the source's cursor (its key field receives the ID).
    void setDataSource(TDataSource* source, const QString& dataField);
    // Unbound mode: the list table, its key field and the field shown.
    void setListSource(DataSet* list, const QString& keyField, const QString& listField);
    void setListTreeIDField(const QString& name);
    void setListTreeParentField(const QString& name);
    void setListTreeRootID(const QString& id);
    void setDropDownWidth(int w) { m_dropWidth = w; }
    void setDropDownHeight(int h) { m_dropHeight = h; }
    void setDropDownAlign(TDropDownAlign a) { m_align = a; }
    void setOptions(TDBTreeLCBOptions o) { m_options = o; }
    TDBTreeLCBOptions options() const { return m_options; }

    QVariant KeyValue() const { return m_keyValue; }
    void setKeyValue(const QVariant& value);
    // The text shown: the lookup field's, or the list field of the row with KeyValue.
    QString displayText() const;
    QString searchText() const { return m_search; }

    std::function<void(TDbTreeLookupComboBox*)> OnClick;
    std::function<bool(TDbTreeLookupComboBox*, const QString& id)> OnAcceptNode;

    // The drop-down's tree, created (and bound) on first use.
    TDBTreeView* treeView();
    void dropDown();
    void closeUp(bool accept);
    bool droppedDown() const;
    // Chooses the node: bound, writes its ID to the key field (edit state first); unbound,
    // sets KeyValue. Then OnClick. False when the node may not be chosen or the field refused.
    bool chooseNode(const QString& id);
    bool canChoose(const QString& id);

    // Milliseconds clock for the type-ahead pause (tests replace it).
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    DataSet* listDataSet() const;
    QString listKeyField() const;
    QString listTextField() const;
    QString currentKeyText() const;
    void updateText();
    void step(int direction);
    void typeAhead(const QString& text);
    void bindTree();

    TFieldLink m_link;
    QString m_dataField;
    QPointer<DataSet> m_list;
    QString m_keyField, m_listField, m_treeIdField = QStringLiteral("ID"), m_treeParentField, m_rootId;
    QVariant m_keyValue;
    int m_dropWidth = 0, m_dropHeight = 0;
    TDropDownAlign m_align = daLeft;
    TDBTreeLCBOptions m_options = dtKeepDataSetConnected;
    QLabel* m_text;
    QToolButton* m_button;
    TTreeSelect* m_select = nullptr;
    QString m_search;
    qint64 m_lastKey = 0;
    std::function<qint64()> m_clock;
};
