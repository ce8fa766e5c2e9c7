#pragma once
#include "CursorModel.h"

#include <QStyledItemDelegate>
#include <QTableView>

class QComboBox;
class Table;
class TDataModule1;

// Grey cells: a simple done flag whose criterion is not required, a group result whose
// group has no required item. For the row in context of the inspection cursor.
bool zelleGrau(const DataSet& pruef, int viewRow, const QString& fieldName);

// The columns of the inspection grid: "erf." titles and yellow cells of the required
// columns, centred flags, the second "Sonstiges" column read-only.
class PruefGridModel : public CursorModel {
    Q_OBJECT
public:
    explicit PruefGridModel(Table* pruef, QObject* parent = nullptr);
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool istErfSpalte(int column) const;
    int sonstigesSpalte() const { return columnCount() - 1; }
};

// Editors of the grid: "" / "Ja" for the flags of the simple criteria, the master table's
// names for the lookups, a text with an ellipsis button for the date.
class PruefGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    PruefGridDelegate(TDataModule1& dm, QObject* parent = nullptr);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The cell editors, also built alone to measure the columns they need.
    static QComboBox* lookupListe(QWidget* parent, const Field& f);
    static QWidget* datumEditor(QWidget* parent);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

signals:
    // The ellipsis button of the date cell.
    void editButtonClicked(const QModelIndex& index);

private:
    TDataModule1& m_dm;
};

// DBGridLtPruef: in-place editing with the editor shown at once, Tab between cells; the
// Insert key and moving down past the last row append a record.
class TPruefGrid : public QTableView {
    Q_OBJECT
public:
    TPruefGrid(Table* pruef, TDataModule1& dm, QWidget* parent = nullptr);
    PruefGridModel* pruefModel() const { return m_model; }
    PruefGridDelegate* delegate() const { return m_delegate; }
    int spalte(const QString& fieldName) const { return m_model->columnOf(fieldName); }
    // Cell cursor to the first visible column of the current row.
    void ersteSpalte();

signals:
    // An action of the grid failed; the text is the German message.
    void fehler(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Widths from the font: every title whole, the date editor with its whole date and its
    // button, a lookup column as wide as its list's longest name.
    void spaltenBreiten();
    int kopfBreite(int column) const;
    int datumBreite() const;
    void folgeCursor();
    // The open cell editor goes without writing, the keyboard stays in the list.
    void editorVerwerfen();
    bool fokusInListe() const;
    void datensatzVerlassen();
    Table* m_pruef;
    PruefGridModel* m_model = nullptr;
    PruefGridDelegate* m_delegate;
    bool m_sync = false;
    bool m_abgelehnt = false;
};
