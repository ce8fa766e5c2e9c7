#include "DataSetSource.h"

#include "DataSet.h"

void DataSetSource::first() { m_dataSet.first(); }
void DataSetSource::next() { m_dataSet.next(); }
bool DataSetSource::eof() const { return m_dataSet.eof() || m_dataSet.isEmpty(); }
QVariant DataSetSource::value(const QString& fieldName) const { return m_dataSet.field(fieldName).value(); }
int DataSetSource::recordCount() const { return m_dataSet.recordCount(); }
