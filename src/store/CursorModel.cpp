#include "CursorModel.h"

#include "DataSet.h"
#include "Table.h"

CursorModel::CursorModel(DataSet* dataSet, QObject* parent) : QAbstractTableModel(parent), m_dataSet(dataSet)
{
    connect(dataSet, &DataSet::rowsReset, this, [this] {
        if (m_dataSet->controlsDisabled())
            return;
        beginResetModel();
        rebuildColumns();
        endResetModel();
    });
    // The rows of a large table read after the first screen: the grid keeps its place.
    connect(dataSet, &DataSet::rowsAboutToBeAppended, this, [this](int row, int count) {
        m_appending = !m_dataSet->controlsDisabled();
        m_rowBeforeAppend = m_dataSet->currentViewRow();
        if (m_appending)
            beginInsertRows(QModelIndex(), row, row + count - 1);
    });
    connect(dataSet, &DataSet::rowsAppended, this, [this] {
        if (!m_appending)
            return;
        m_appending = false;
        endInsertRows();
        // Only when rows came before the current one: a grid that follows the current row
        // would otherwise scroll back to it with every chunk while the user looks elsewhere.
        if (m_dataSet->currentViewRow() != m_rowBeforeAppend)
            emit currentRowChanged(m_dataSet->currentViewRow());
    });
    connect(dataSet, &DataSet::rowChanged, this, [this](int row) {
        if (m_dataSet->controlsDisabled() || row < 0 || row >= rowCount())
            return;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(dataSet, &DataSet::currentChanged, this, [this] {
        if (!m_dataSet->controlsDisabled())
            emit currentRowChanged(m_dataSet->currentViewRow());
    });
    connect(dataSet, &DataSet::stateChanged, this, [this](DataSetState state) {
        const bool opened = (state == DataSetState::Inactive) != (m_state == DataSetState::Inactive);
        m_state = state;
        if (m_dataSet->controlsDisabled())
            return;
        if (opened) {
            beginResetModel();
            endResetModel();
        } else {
            // Rows that come or go bring their own reset; between browse and edit only the
            // row and its indicator change. A reset here would take the open cell editor away
            // while it writes its value.
            const int row = m_dataSet->currentViewRow();
            if (row >= 0 && row < rowCount()) {
                emit dataChanged(index(row, 0), index(row, columnCount() - 1));
                emit headerDataChanged(Qt::Vertical, row, row);
            }
        }
        emit currentRowChanged(m_dataSet->currentViewRow());
    });
    m_state = dataSet->state();
    rebuildColumns();
}

void CursorModel::setColumns(const QStringList& fieldNames)
{
    beginResetModel();
    m_requested = fieldNames;
    rebuildColumns();
    endResetModel();
}

QStringList CursorModel::columns() const
{
    QStringList names;
    for (Field* f : m_columns)
        names << f->name();
    return names;
}

void CursorModel::setColumnTitle(const QString& fieldName, const QString& title)
{
    m_titles.insert(fieldName.toUpper(), title);
    const int c = columnOf(fieldName);
    if (c >= 0)
        emit headerDataChanged(Qt::Horizontal, c, c);
}

void CursorModel::rebuildColumns()
{
    m_columns.clear();
    if (m_requested.isEmpty()) {
        for (const auto& f : m_dataSet->fields())
            if (f->visible())
                m_columns << f.get();
        return;
    }
    for (const QString& name : m_requested)
        if (Field* f = m_dataSet->findField(name))
            m_columns << f;
}

Field* CursorModel::fieldAt(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns[column] : nullptr;
}

int CursorModel::columnOf(const QString& fieldName) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i]->name().compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int CursorModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_dataSet->active())
        return 0;
    return m_dataSet->viewRowCount();
}

int CursorModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

QVariant CursorModel::data(const QModelIndex& index, int role) const
{
    Field* f = fieldAt(index.column());
    if (!f || !index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_dataSet->displayTextAt(index.row(), f->index());
    case Qt::EditRole: {
        const QVariant v = m_dataSet->valueAt(index.row(), f->index());
        if (f->type() == FieldType::Float || f->type() == FieldType::Date || f->type() == FieldType::DateTime)
            return m_dataSet->displayTextAt(index.row(), f->index());
        return v;
    }
    case Qt::TextAlignmentRole:
        if (f->def().rightAligned || f->type() == FieldType::Integer || f->type() == FieldType::Float
            || f->type() == FieldType::AutoInc)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return QVariant();
    }
}

QVariant CursorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    Field* f = fieldAt(section);
    if (!f)
        return QVariant();
    const QString title = m_titles.value(f->name().toUpper());
    return title.isEmpty() ? f->displayLabel() : title;
}

Qt::ItemFlags CursorModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags fl = QAbstractTableModel::flags(index);
    Field* f = fieldAt(index.column());
    if (!f || m_readOnly || f->readOnly() || f->kind() == FieldKind::Calculated || f->type() == FieldType::AutoInc)
        return fl;
    if (qobject_cast<Table*>(m_dataSet))
        fl |= Qt::ItemIsEditable;
    return fl;
}

bool CursorModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Field* f = fieldAt(index.column());
    auto* table = qobject_cast<Table*>(m_dataSet);
    if (role != Qt::EditRole || !f || !table)
        return false;
    try {
        if (index.row() != table->currentViewRow())
            table->moveToViewRow(index.row());
        // Decided on the row reached: a cell read-only there takes nothing, whatever the
        // editor believed when it opened.
        if (!(flags(index) & Qt::ItemIsEditable))
            return false;
        if (!table->isEditing())
            table->edit();
        if (value.typeId() == QMetaType::QString)
            f->setAsString(value.toString());
        else
            f->setValue(value);
    } catch (const HwError& e) {
        emit editRefused(e.message());
        return false;
    } catch (const Abort&) {
        return false;
    }
    return true;
}
