#include "LtFirmAbt.h"
#include "Table.h"
#include "TestSupport.h"

#include <QtTest>

// A small FIRMEN tree written through the store:
//   Muster - Werk Nord - Lager - Regal
//   Muster - Werk Süd
//   Andere (ParentID 0)
//   Waise (parent deleted)
//   Kreis A <-> Kreis B, Unter below Kreis A (a cycle)
// Ten and more rows, so that the byte order of the ID texts ("10" < "2") differs from
// their numeric order.
class TestFirmAbt : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataDir> m_dir;
    QHash<QString, QString> m_ids;          // name -> ID text; unknown names pass through

    QString add(Table& t, const QString& name, const QVariant& parent)
    {
        t.append();
        t.setValue("KurzBez", name);
        t.setValue("ParentID", parent);
        t.post();
        const QString id = QString::number(t.field("ID").asInteger());
        m_ids.insert(name, id);
        return id;
    }

    void setParent(Table& t, const QString& name, const QString& parentName)
    {
        QVERIFY(t.locate("ID", {m_ids.value(name).toInt()}));
        t.edit();
        t.setValue("ParentID", m_ids.value(parentName).toInt());
        t.post();
    }

    QString id(const QString& name) const { return m_ids.value(name, name); }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<TestDataDir>();
        Table t("FIRMEN");
        t.open();
        const QString muster = add(t, "Muster", QVariant());
        const QString nord = add(t, "Werk Nord", muster.toInt());
        const QString lager = add(t, "Lager", nord.toInt());
        add(t, "Werk Süd", muster.toInt());
        add(t, "Andere", 0);
        const QString weg = add(t, "Weg", muster.toInt());
        add(t, "Waise", weg.toInt());
        const QString a = add(t, "Kreis A", QVariant());
        add(t, "Kreis B", a.toInt());
        add(t, "Unter", a.toInt());
        add(t, "Regal", lager.toInt());
        setParent(t, "Kreis A", "Kreis B");
        QVERIFY(t.locate("ID", {weg.toInt()}));
        t.remove();
        m_ids.remove("Weg");
        QVERIFY(m_ids.value("Regal").toInt() >= 10);
    }

    void cleanupTestCase() { m_dir.reset(); }

    void pathAndLevel_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("level");
        QTest::newRow("company") << "Muster" << "Muster" << 0;
        QTest::newRow("company with ParentID 0") << "Andere" << "Andere" << 0;
        QTest::newRow("site") << "Werk Nord" << "Muster - Werk Nord" << 1;
        QTest::newRow("department") << "Lager" << "Muster - Werk Nord - Lager" << 2;
        QTest::newRow("deeper, ID of two digits") << "Regal" << "Muster - Werk Nord - Lager - Regal" << 3;
        QTest::newRow("parent deleted: chain ends there") << "Waise" << "Waise" << 0;
        QTest::newRow("missing node") << "999" << "" << -1;
        QTest::newRow("ID 0") << "0" << "" << -1;
        QTest::newRow("empty ID") << "" << "" << -1;
        QTest::newRow("leading zero is another text") << "01" << "" << -1;
        QTest::newRow("in a cycle") << "Kreis A" << "" << -1;
        QTest::newRow("below a cycle") << "Unter" << "" << -1;
    }

    void pathAndLevel()
    {
        QFETCH(QString, node);
        QFETCH(QString, path);
        QFETCH(int, level);
        Table t("FIRMEN");
        t.open();
        TLtFirmAbt tree(t);
        QCOMPARE(tree.PathText(id(node)), path);
        QCOMPARE(tree.Level(id(node)), level);
    }

    void subtree_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("ancestor");
        QTest::addColumn<bool>("below");
        QTest::newRow("node itself") << "Werk Nord" << "Werk Nord" << true;
        QTest::newRow("child of site") << "Lager" << "Werk Nord" << true;
        QTest::newRow("grandchild of company") << "Regal" << "Muster" << true;
        QTest::newRow("company not below its site") << "Muster" << "Werk Nord" << false;
        QTest::newRow("sibling site") << "Werk Süd" << "Werk Nord" << false;
        QTest::newRow("other company") << "Lager" << "Andere" << false;
        QTest::newRow("orphan not below the deleted parent's company") << "Waise" << "Muster" << false;
        QTest::newRow("missing node, itself") << "999" << "999" << false;
        QTest::newRow("missing node below company") << "999" << "Muster" << false;
        QTest::newRow("empty ID") << "" << "" << false;
        QTest::newRow("cycle, ancestor on it") << "Unter" << "Kreis A" << false;
        QTest::newRow("cycle, node itself") << "Kreis B" << "Kreis B" << false;
        QTest::newRow("cycle, ancestor outside") << "Unter" << "Muster" << false;
    }

    void subtree()
    {
        QFETCH(QString, node);
        QFETCH(QString, ancestor);
        QFETCH(bool, below);
        Table t("FIRMEN");
        t.open();
        TLtFirmAbt tree(t);
        QCOMPARE(tree.IsAtOrBelow(id(node), id(ancestor)), below);
    }

    // A snapshot: rows added later count only after Reload, which also drops the old list.
    void loadAndReload()
    {
        Table t("FIRMEN");
        TLtFirmAbt closed(t);
        QCOMPARE(closed.list().count(), 0);
        t.open();
        TLtFirmAbt tree(t);
        QVERIFY(t.eof());
        const int rows = t.recordCount();
        QCOMPARE(tree.list().count(), rows);

        t.append();
        t.setValue("KurzBez", "Werkstatt");
        t.setValue("ParentID", id("Werk Süd").toInt());
        t.post();
        const QString neu = QString::number(t.field("ID").asInteger());
        QCOMPARE(tree.PathText(neu), QString());

        tree.Reload(t);
        QCOMPARE(tree.list().count(), rows + 1);
        QCOMPARE(tree.PathText(neu), QStringLiteral("Muster - Werk Süd - Werkstatt"));
        QVERIFY(tree.IsAtOrBelow(neu, id("Muster")));
        t.remove();
    }
};

QTEST_MAIN(TestFirmAbt)
#include "tst_firmabt.moc"
