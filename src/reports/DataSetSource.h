#pragma once
#include "ReportDataSource.h"

class DataSet;

// Report rows from a store cursor or query. A detail table with a master-detail range
// follows its master by itself, so it serves as a linked sub-detail source as it is.
class DataSetSource : public ReportDataSource {
public:
    explicit DataSetSource(DataSet& dataSet) : m_dataSet(dataSet) {}
    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString& fieldName) const override;
    int recordCount() const override;
    DataSet& dataSet() const { return m_dataSet; }

private:
    DataSet& m_dataSet;
    // Field positions by name: a report asks for the same names on every row, and the data
    // set's own search compares every field. Checked by name on use, so a reopened data set
    // with other columns is looked up afresh.
    mutable QHash<QString, int> m_positions;
};
