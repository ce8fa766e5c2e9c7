#pragma once
#include "DataSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <functional>

class TDataSource;
class QToolButton;

// The tie between one control and one field of a data source's cursor. A control calls
// beginEdit() before it lets a user change through: that puts the cursor into edit state
// (with the table's own hooks, hence its rights check and re-read) or refuses with the
// message shown. The change stays pending in the control until commit() writes it.
class TFieldLink {
public:
    explicit TFieldLink(QWidget* control);
    ~TFieldLink();

    void setDataSource(TDataSource* source, const QString& fieldName);
    TDataSource* dataSource() const { return m_source; }
    QString fieldName() const { return m_fieldName; }
    Field* field() const;                       // nullptr while closed or unknown
    QWidget* control() const { return m_control; }

    bool modified() const { return m_modified; }
    void markModified() { m_modified = true; }
    bool reading() const { return m_reading; }

    // Before a user change: true when the cursor is (now) editing; false with the message shown.
    bool beginEdit();
    // Writes the pending change (throws the field's refusal); a link without one does nothing.
    void commit();
    // As commit, with a refusal shown in the error box; false then, and the focus goes back
    // to the control.
    bool commitGuarded();
    // Puts the focus back into the control once the events in hand are done (after a refusal).
    void returnFocus();
    // Shows the field's value; drops a pending change.
    void read();

    std::function<void(Field*)> onRead;         // field may be nullptr: show nothing
    std::function<void(Field&)> onWrite;        // throws on refusal

private:
    QWidget* m_control;
    QPointer<TDataSource> m_source;
    QString m_fieldName;
    bool m_modified = false;
    bool m_reading = false;
};

// Connects the controls of a window to one cursor: they follow its current row, its field
// changes and its state, and their pending changes are written by updateRecord().
class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(DataSet* dataSet, QObject* parent = nullptr);
    ~TDataSource() override;

    DataSet* dataSet() const { return m_dataSet; }
    // Edit state unless already editing or inserting (Table::edit: hooks, rights, re-read).
    void edit();
    // Writes every pending control change; the first refusal throws, later ones stay pending.
    void updateRecord();
    bool hasPendingChanges() const;
    // Every control shows its field afresh.
    void refreshControls();

    void addLink(TFieldLink* link);
    void removeLink(TFieldLink* link);

signals:
    void stateChanged(DataSetState state);
    // The current row moved, was re-read or a field was written.
    void dataChanged();

private:
    void refreshUnmodified();
    DataSet* m_dataSet;
    QList<TFieldLink*> m_links;
};

// Single-line edit of a field (numbers and texts); writes on Enter, on leaving and by updateRecord.
// Leaving for a widget with the property "hwDiscardsChanges" (cancel) or "hwWritesChanges"
// (save through updateRecord) does not write; the same holds for the other bound edits.
class TDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TDBEdit(QWidget* parent = nullptr);
    void setDataSource(TDataSource* source, const QString& fieldName);
    TFieldLink& link() { return m_link; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    virtual QString fieldText(const Field& field) const;
    virtual void writeText(Field& field, const QString& text);

private:
    void userEdited();
    TFieldLink m_link;
};

// Masked date entry "dd.mm.yyyy"; a two-digit year lies in 1990 to 2089.
class TDBDateEdit : public TDBEdit {
    Q_OBJECT
public:
    explicit TDBDateEdit(QWidget* parent = nullptr);
    // Empty text (only mask characters) gives an empty date; ok is false for anything invalid.
    static QDate parseDate(const QString& text, bool* ok);

protected:
    QString fieldText(const Field& field) const override;
    void writeText(Field& field, const QString& text) override;
};

// Editable combo box of a text field: free text or an entry of its list.
class TDBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDBComboBox(QWidget* parent = nullptr);
    void setDataSource(TDataSource* source, const QString& fieldName);
    void setItems(const QStringList& items);
    QStringList items() const;
    TFieldLink& link() { return m_link; }

    void showPopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool startEditForKey(QKeyEvent* key);
    TFieldLink m_link;
};

// Lookup box: shows the list fields of a lookup cursor and writes the chosen row's key into
// the bound key field.
class TDBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDBLookupComboBox(QWidget* parent = nullptr);
    void setDataSource(TDataSource* source, const QString& keyFieldName);
    // listFields "KurzBez;Typ"; titles, when given, are shown above the columns.
    void setListSource(DataSet* list, const QString& listKeyField, const QString& listFields,
                       const QStringList& titles = {});
    // Text of an entry instead of its first list field (key, list field texts).
    std::function<QString(const QVariant&, const QStringList&)> itemText;
    void setSortedByText(bool on) { m_sorted = on; m_listGeneration = 0; }
    // The entries are built anew at the next use (their texts changed).
    void invalidateList() { m_listGeneration = 0; }
    void setDropDownWidth(int width) { m_dropDownWidth = width; }
    void setDropDownAlignRight(bool on) { m_alignRight = on; }
    // Rebuilds the list when the lookup cursor changed since the last time.
    void refreshList();
    QVariant currentKey() const;
    TFieldLink& link() { return m_link; }

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TFieldLink m_link;
    QPointer<DataSet> m_list;
    QString m_listKey;
    QStringList m_listFields;
    QStringList m_titles;
    quint64 m_listGeneration = 0;
    bool m_sorted = false;
    int m_dropDownWidth = 0;
    bool m_alignRight = false;
};

class TDBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TDBCheckBox(const QString& text, QWidget* parent = nullptr);
    void setDataSource(TDataSource* source, const QString& fieldName);
    TFieldLink& link() { return m_link; }

protected:
    void nextCheckState() override;

private:
    TFieldLink m_link;
};

// Multi-line text of a memo field; writes on leaving and by updateRecord.
class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);
    void setDataSource(TDataSource* source, const QString& fieldName);
    TFieldLink& link() { return m_link; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    TFieldLink m_link;
};

// Read-only display of a field's display text.
class TDBText : public QLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr);
    void setDataSource(TDataSource* source, const QString& fieldName);

private:
    TFieldLink m_link;
};

// First, previous, next and last row of a cursor.
class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { nbFirst, nbPrior, nbNext, nbLast };
    explicit TDBNavigator(QWidget* parent = nullptr);
    void setDataSource(TDataSource* source);
    QToolButton* button(Button b) const { return m_buttons[b]; }
    void updateButtons();

signals:
    void clicked(TDBNavigator::Button button);

protected:
    void changeEvent(QEvent* event) override;

private:
    QPointer<TDataSource> m_source;
    QToolButton* m_buttons[4];
};

// True for a key that changes the text of an edit (printable text, Backspace, Delete, paste, cut).
bool isEditingKey(const QKeyEvent* event);
