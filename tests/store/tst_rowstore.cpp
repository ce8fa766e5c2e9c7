#include "RowStore.h"

#include <QtTest>

// The column store on sizes of real registers: large columns live in memory of their own, and
// growing, shrinking and clearing must keep every value where it was.
class TestRowStore : public QObject {
    Q_OBJECT

private:
    static QList<FieldDef> columns()
    {
        QList<FieldDef> defs;
        const std::pair<const char*, FieldType> cols[] = {{"Nr", FieldType::Integer}, {"Text", FieldType::Text},
                                                          {"Ok", FieldType::Boolean}, {"Datum", FieldType::Date},
                                                          {"Wert", FieldType::Float}, {"Zeit", FieldType::DateTime}};
        for (const auto& [name, type] : cols) {
            FieldDef d;
            d.name = QString::fromLatin1(name);
            d.type = type;
            defs << d;
        }
        return defs;
    }

    static void fill(RowStore& rs, int row)
    {
        rs.setInt(row, 0, row * 3);
        rs.setText(row, 1, QStringLiteral("Leiter %1").arg(row));
        rs.setBool(row, 2, row % 2);
        rs.setDateJd(row, 3, 2460000 + row);
        rs.setDouble(row, 4, row / 4.0);
        rs.setDateTimeMs(row, 5, qint64(2460000 + row) * 86400000 + 1000);
        rs.setRowVersion(row, row);
    }

    static bool holds(const RowStore& rs, int row)
    {
        return rs.get(row, 0).toInt() == row * 3 && rs.get(row, 1).toString() == QStringLiteral("Leiter %1").arg(row)
            && rs.get(row, 2).toBool() == bool(row % 2) && rs.get(row, 3).toDate() == QDate::fromJulianDay(2460000 + row)
            && rs.get(row, 4).toDouble() == row / 4.0 && rs.get(row, 5).toDateTime().time() == QTime(0, 0, 1)
            && rs.rowVersion(row) == row && !rs.deleted(row);
    }

private slots:
    void largeColumnsKeepTheirValues()
    {
        RowStore rs;
        rs.setColumns(columns());
        // Row by row past the size where a column gets memory of its own, moving every text.
        const int appended = 300'000;
        for (int r = 0; r < appended; ++r)
            fill(rs, rs.appendRow());
        rs.markDeleted(17);
        for (int r : {0, 16, 18, 65'535, 65'536, 131'072, appended - 1})
            QVERIFY2(holds(rs, r), qPrintable(QString::number(r)));
        QVERIFY(rs.deleted(17));
        // Made at once for a whole table, then cut back to the rows really read.
        rs.resize(1'000'000);
        QVERIFY(holds(rs, appended - 1));
        for (int c = 0; c < rs.columnCount(); ++c)
            QVERIFY(rs.isNull(999'999, c));
        QCOMPARE(rs.rowVersion(999'999), qint64(0));
        rs.resize(20);
        QCOMPARE(rs.rowCount(), 20);
        QVERIFY(holds(rs, 19));
        QVERIFY(rs.deleted(17));
        rs.clear();
        QCOMPARE(rs.rowCount(), 0);
        fill(rs, rs.appendRow());
        QVERIFY(holds(rs, 0));
    }
};

QTEST_GUILESS_MAIN(TestRowStore)
#include "tst_rowstore.moc"
