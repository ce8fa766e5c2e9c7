#include "RowLoader.h"

#include "Backend.h"
#include "RowStore.h"

#include <QAnyStringView>
#include <QHash>

RowLoader::RowLoader(RowStore& rows, int columns, bool withVersion)
    : m_rows(rows), m_columns(columns), m_withVersion(withVersion)
{
    bool anyText = false;
    for (int col = 0; col < columns; ++col)
        anyText = anyText || rows.columnType(col) == FieldType::Text || rows.columnType(col) == FieldType::Memo;
    if (anyText)
        m_recent.resize(size_t(columns));
}

QString RowLoader::text(int col, ResultCursor& c)
{
    const QByteArrayView bytes = c.textBytes(col);
    if (bytes.size() > 64)
        return QString::fromUtf8(bytes);             // descriptions: rarely repeated
    QString& known = m_recent[size_t(col)].slot[qHash(bytes) % Slots];
    if (known.isNull() || !QAnyStringView::equal(QUtf8StringView(bytes), known))
        known = QString::fromUtf8(bytes);
    return known;
}

void RowLoader::load(int phys, ResultCursor& c, bool freshRow)
{
    RowStore& rs = m_rows;
    for (int i = 0; i < m_columns; ++i) {
        if (c.isNull(i)) {
            if (!freshRow)
                rs.setNull(phys, i);
            continue;
        }
        switch (rs.columnType(i)) {
        case FieldType::Integer: case FieldType::AutoInc: rs.setInt(phys, i, c.intValue(i)); break;
        case FieldType::Float: rs.setDouble(phys, i, c.doubleValue(i)); break;
        case FieldType::Text: case FieldType::Memo: rs.setText(phys, i, text(i, c)); break;
        case FieldType::Date: rs.setDateJd(phys, i, c.dateJulianDay(i)); break;
        case FieldType::DateTime: rs.setDateTimeMs(phys, i, c.dateTimeMs(i)); break;
        case FieldType::Boolean: rs.setBool(phys, i, c.boolValue(i)); break;
        }
    }
    if (m_withVersion && c.columnCount() > m_columns)
        rs.setRowVersion(phys, c.intValue(m_columns));
}
