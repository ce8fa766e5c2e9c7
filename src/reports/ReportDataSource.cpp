#include "ReportDataSource.h"

namespace {
int columnOf(const QStringList& fields, const QString& name)
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
}

void MemoryDataSource::addRow(const QVariantList& values)
{
    QVariantList row = values;
    while (row.size() < m_fields.size())
        row.append(QVariant());
    m_rows.append(row);
}

void MemoryDataSource::linkTo(const ReportDataSource* master, const QString& masterField,
                              const QString& detailField)
{
    m_master = master;
    m_masterField = masterField;
    m_detailColumn = columnOf(m_fields, detailField);
}

bool MemoryDataSource::matches(int row) const
{
    if (!m_master)
        return true;
    if (m_detailColumn < 0 || !m_masterValue.isValid())
        return false;
    return m_rows[row][m_detailColumn] == m_masterValue;
}

void MemoryDataSource::skipToMatch()
{
    while (m_pos < m_rows.size() && !matches(m_pos))
        ++m_pos;
}

void MemoryDataSource::first()
{
    m_masterValue = m_master && !m_master->eof() ? m_master->value(m_masterField) : QVariant();
    m_pos = 0;
    skipToMatch();
}

void MemoryDataSource::next()
{
    if (m_pos < m_rows.size())
        ++m_pos;
    skipToMatch();
}

bool MemoryDataSource::eof() const { return m_pos >= m_rows.size(); }

QVariant MemoryDataSource::value(const QString& fieldName) const
{
    if (eof())
        return QVariant();
    const int col = columnOf(m_fields, fieldName);
    return col < 0 ? QVariant() : m_rows[m_pos].value(col);
}

int MemoryDataSource::recordCount() const
{
    if (!m_master)
        return int(m_rows.size());
    int n = 0;
    for (int i = 0; i < m_rows.size(); ++i)
        n += matches(i) ? 1 : 0;
    return n;
}
