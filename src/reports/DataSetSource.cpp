#include "DataSetSource.h"

#include "DataSet.h"

void DataSetSource::first() { m_dataSet.first(); }
void DataSetSource::next() { m_dataSet.next(); }
bool DataSetSource::eof() const { return m_dataSet.eof() || m_dataSet.isEmpty(); }
QVariant DataSetSource::value(const QString& fieldName) const
{
    const auto it = m_positions.constFind(fieldName);
    if (it != m_positions.constEnd() && *it < m_dataSet.fieldCount()) {
        const Field& f = m_dataSet.fieldAt(*it);
        if (f.def().name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return f.value();
    }
    const Field& f = m_dataSet.field(fieldName);
    m_positions.insert(fieldName, f.index());
    return f.value();
}
int DataSetSource::recordCount() const { return m_dataSet.recordCount(); }
