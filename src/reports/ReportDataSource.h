#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// What a report band reads its rows from. Deliberately a cursor: an adapter over the
// store's DataSet/Query only forwards first/next/eof/field(name).value().
//
// A sub-detail source follows its master: the engine calls first() on it each time the master
// has moved to a new record, and the source must then deliver only the rows that belong to the
// master's current record (a store detail cursor does that by its master-detail range).
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    virtual QVariant value(const QString& fieldName) const = 0;
    // Number of rows (of the current master record, for a linked source); -1 when unknown.
    // Only used for the progress in percent.
    virtual int recordCount() const { return -1; }
};

// Rows held in memory; for tests, the benchmark and small computed lists.
class MemoryDataSource : public ReportDataSource {
public:
    MemoryDataSource() = default;
    explicit MemoryDataSource(QStringList fields) : m_fields(std::move(fields)) {}

    void setFields(const QStringList& fields) { m_fields = fields; }
    void addRow(const QVariantList& values);
    int rowCount() const { return int(m_rows.size()); }

    // Follow a master: only rows whose detailField equals the master's current masterField.
    void linkTo(const ReportDataSource* master, const QString& masterField, const QString& detailField);

    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString& fieldName) const override;
    int recordCount() const override;

private:
    bool matches(int row) const;
    void skipToMatch();

    QStringList m_fields;
    QList<QVariantList> m_rows;
    int m_pos = 0;
    const ReportDataSource* m_master = nullptr;
    QString m_masterField;
    int m_detailColumn = -1;
    QVariant m_masterValue;
};
