#pragma once
#include <QAbstractTableModel>
#include <QStringList>

class DataSet;
class Field;
enum class DataSetState;

// A grid's model over a cursor: one column per chosen field, display texts from the field
// definitions; the current row follows the cursor and the cursor follows the grid.
class CursorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CursorModel(DataSet* dataSet, QObject* parent = nullptr);

    DataSet* dataSet() const { return m_dataSet; }
    // Fields shown, in order; empty: every visible field.
    void setColumns(const QStringList& fieldNames);
    QStringList columns() const;
    void setColumnTitle(const QString& fieldName, const QString& title);
    Field* fieldAt(int column) const;
    int columnOf(const QString& fieldName) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Editing a cell puts the cursor into edit state on that row and converts the text.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    void setReadOnly(bool on) { m_readOnly = on; }

signals:
    void currentRowChanged(int row);
    // An edit was refused (conversion, range, rights); the text is the German message.
    void editRefused(const QString& message);

private:
    void rebuildColumns();
    DataSet* m_dataSet;
    QStringList m_requested;
    QList<Field*> m_columns;
    QHash<QString, QString> m_titles;
    bool m_readOnly = false;
    bool m_appending = false;
    int m_rowBeforeAppend = -1;
    DataSetState m_state;
};
