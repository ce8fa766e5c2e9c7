#include "Backend.h"
#include "DBTreeView.h"
#include "DataModule.h"
#include "DbTreeLookupComboBox.h"
#include "Dialogs.h"
#include "FirmSort.h"
#include "LtFirmAbt.h"
#include "SFirmAbtVerw.h"
#include "Table.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

// The department tree: the tree view over FIRMEN, the tree editor with its checks, the
// sort table and the lookup box.
class TestFirmAbtVerw : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataDir> m_dir;
    QHash<QString, int> m_ids;

    int add(const QString& name, const QString& parent = QString())
    {
        Table t("FIRMEN");
        t.open();
        t.append();
        t.setValue("KurzBez", name);
        if (!parent.isEmpty())
            t.setValue("ParentID", m_ids.value(parent, parent.toInt()));
        t.post();
        m_ids.insert(name, t.field("ID").asInteger());
        return t.field("ID").asInteger();
    }
    void setParent(const QString& name, int parent)
    {
        Table t("FIRMEN");
        t.open();
        QVERIFY(t.locate("ID", {m_ids.value(name)}));
        t.edit();
        t.setValue("ParentID", parent);
        t.post();
    }
    QString id(const QString& name) const { return QString::number(m_ids.value(name)); }

    static QStringList names()
    {
        Table t("FIRMEN");
        t.open();
        QStringList n;
        for (t.first(); !t.eof(); t.next())
            n << t.field("KurzBez").asString();
        n.sort();
        return n;
    }

    // Each node as "text(child, child)" in display order.
    static QString shape(const TDBTreeView& tree)
    {
        std::function<QString(QTreeWidgetItem*)> one = [&](QTreeWidgetItem* n) {
            QString s = n->text(0);
            QStringList c;
            for (int i = 0; i < n->childCount(); ++i)
                c << one(n->child(i));
            return c.isEmpty() ? s : s + "(" + c.join(", ") + ")";
        };
        QStringList tops;
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            tops << one(tree.topLevelItem(i));
        return tops.join(", ");
    }

    // A (Z, B (C)), D
    void sampleTree()
    {
        add("A");
        add("D", "0");
        add("Z", "A");
        add("B", "A");
        add("C", "B");
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        m_ids.clear();
        m_dir = std::make_unique<TestDataDir>();
    }
    void cleanup() { m_dir.reset(); }

    void recordListOrders()
    {
        TTVRecordList a;
        a.add("10", "1", "lager");
        a.add("2", "1", "Büro");
        a.add("1", "", "Muster");
        a.add("3", "1", "Archiv");
        QCOMPARE(a.at(0).id, QString("1"));
        QCOMPARE(a.at(1).id, QString("10"));
        std::vector<int> kids = a.children("1");
        QStringList texts;
        for (int k : kids)
            texts << a.at(k).text;
        QCOMPARE(texts, QStringList({"Archiv", "Büro", "lager"}));
        QCOMPARE(a.at(a.firstChild("1")).text, QString("Archiv"));
        QCOMPARE(a.searchText("L", true, false), QStringList{"10"});
        QCOMPARE(a.searchText("L", true, true), QStringList());
        QCOMPARE(a.searchText("büro", false, false), QStringList{"2"});

        TTVRecordList b;
        b.add("1", "", "Muster");
        b.add("2", "1", "Büro");
        b.add("3", "1", "Archiv");
        b.add("10", "1", "lager");
        QCOMPARE(a.compare(b), TTVRecordList::Compare::Same);
        b.clear();
        b.add("1", "", "Muster");
        b.add("2", "1", "Büro 2");
        b.add("3", "1", "Archiv");
        b.add("10", "1", "lager");
        QCOMPARE(a.compare(b), TTVRecordList::Compare::TextsChanged);
        b.setParent(b.findId("10"), "2");
        QCOMPARE(a.compare(b), TTVRecordList::Compare::StructureChanged);
        QCOMPARE(b.children("2").size(), size_t(1));
    }

    // Self-parented rows and cycles are never shown from the top; a root on them shows
    // the row once and reports the loop; a missing root shows its former children.
    void buildingTheTree_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("rootNotFound");
        QTest::addColumn<int>("loops");
        QTest::newRow("all") << "" << "A(B(C), Z), D" << 0 << 0;
        QTest::newRow("root A") << "A" << "A(B(C), Z)" << 0 << 0;
        QTest::newRow("root self-parented") << "Selbst" << "Selbst" << 0 << 1;
        QTest::newRow("root on a cycle") << "Kreis1" << "Kreis1(Kreis2)" << 0 << 1;
        QTest::newRow("missing root") << "999" << "X, Y" << 1 << 0;
    }
    void buildingTheTree()
    {
        QFETCH(QString, root);
        QFETCH(QString, expected);
        QFETCH(int, rootNotFound);
        QFETCH(int, loops);
        sampleTree();
        const int selbst = add("Selbst");
        setParent("Selbst", selbst);
        add("Kreis1");
        add("Kreis2", "Kreis1");
        setParent("Kreis1", m_ids.value("Kreis2"));
        add("X", "999");
        add("Y", "999");
        setParent("X", 999);     // parent 999 never existed

        Table t("FIRMEN");
        t.open();
        TDBTreeView tree;
        int notFound = 0, closed = 0;
        tree.OnRootNotFound = [&](TDBTreeView*) { ++notFound; };
        tree.OnClosedLoop = [&](TDBTreeView*, const QString&) { ++closed; };
        tree.setOptions(dtAutoExpand | dtAutoShowRoot);
        tree.setTableIDField("ID");
        tree.setTableParentField("ParentID");
        tree.setTableTextField("KurzBez");
        tree.setSortType(TDBTreeView::stText);
        tree.setRootID(m_ids.contains(root) ? id(root) : root);
        tree.setDataSource(&t);
        if (root.isEmpty())
            expected += ", X, Y";    // their parent is missing, so they are top nodes too
        QCOMPARE(shape(tree), expected);
        QCOMPARE(notFound, rootNotFound);
        QCOMPARE(closed, loops);
    }

    // Another workstation renames and adds a row: the tree follows within a second.
    void followsOtherWorkstations()
    {
        sampleTree();
        m_dir->addAlias("ZWEITER");
        Table t("FIRMEN");
        t.open();
        TDBTreeView tree;
        tree.setOptions(dtAutoExpand | dtSynchronizeDataSet);
        tree.setTableIDField("ID");
        tree.setTableParentField("ParentID");
        tree.setTableTextField("KurzBez");
        tree.setSortType(TDBTreeView::stText);
        tree.setDataSource(&t);
        tree.show();
        Table other("FIRMEN");
        other.setAlias("ZWEITER");
        other.open();
        QVERIFY(other.locate("KurzBez", {"Z"}));
        other.edit();
        other.setValue("KurzBez", "Alpha");
        other.post();
        other.append();
        other.setValue("KurzBez", "E");
        other.setValue("ParentID", m_ids.value("D"));
        other.post();
        QTRY_COMPARE_WITH_TIMEOUT(shape(tree), QString("A(Alpha, B(C)), D(E)"), 3000);
    }

    // A hidden tree (a closed drop-down) sends the database nothing while idle; shown
    // again it catches up with what another workstation wrote meanwhile.
    void hiddenTreeAsksNothing()
    {
        sampleTree();
        m_dir->addAlias("ZWEITER");
        Table t("FIRMEN");
        t.open();
        QWidget window;
        auto* tree = new TDBTreeView(&window);
        tree->setOptions(dtAutoExpand);
        tree->setTableIDField("ID");
        tree->setTableParentField("ParentID");
        tree->setTableTextField("KurzBez");
        tree->setSortType(TDBTreeView::stText);
        tree->setDataSource(&t);
        window.show();
        tree->hide();
        QTest::qWait(100);
        const qint64 before = statementCount();
        QTest::qWait(1600);
        QCOMPARE(statementCount() - before, qint64(0));

        Table other("FIRMEN");
        other.setAlias("ZWEITER");
        other.open();
        other.append();
        other.setValue("KurzBez", "E");
        other.setValue("ParentID", m_ids.value("D"));
        other.post();
        QCOMPARE(shape(*tree), QString("A(B(C), Z), D"));
        tree->show();
        QTRY_COMPARE_WITH_TIMEOUT(shape(*tree), QString("A(B(C), Z), D(E)"), 3000);
    }

    // The editor's delete of a node with two children: three rows, children first, each
    // through the window's checks and question.
    void deleteNodeWithTwoChildren()
    {
        add("Firma");
        add("Werk", "Firma");
        add("Lager", "Werk");
        add("Büro", "Werk");
        TSFirmAbtVerw w;
        QStringList checked;
        w.OnCheckDelete = [&](QObject*, int nodeId) {
            checked << m_ids.key(nodeId);
            return false;
        };
        w.show();
        QTreeWidgetItem* werk = w.DBTreeViewDetail->findNode(id("Werk"));
        w.DBTreeViewDetail->setCurrentItem(werk);
        QCOMPARE(w.Detail->field("KurzBez").asString(), QString("Werk"));
        QCOMPARE(w.PanFirmaAbt->text(), QString("Firma - Werk"));
        for (int i = 0; i < 4; ++i)
            Dialogs::scriptAnswer(true);
        QTest::mouseClick(w.SpBLoeschen, Qt::LeftButton);
        QCOMPARE(checked, QStringList({"Werk", "Lager", "Büro", "Werk"}));
        QCOMPARE(Dialogs::shownTexts(), QStringList(4, "Datensatz löschen ?"));
        QCOMPARE(names(), QStringList{"Firma"});
        QCOMPARE(shape(*w.DBTreeViewDetail), QString("Firma"));
        QCOMPARE(w.Detail->state(), DataSetState::Browse);
    }

    // The department itself is free, its sub-department is used: nothing is removed.
    void subDepartmentInUseStopsDelete()
    {
        add("Firma");
        add("Abteilung", "Firma");
        const int unter = add("Unterabteilung", "Abteilung");
        Table l("LT_LEIT");
        l.open();
        l.append();
        l.setValue("Nr", 1);
        l.setValue("KurzBez", "L1");
        l.setValue("FirmenAbtID", unter);
        l.post();

        TSFirmAbtVerw w;
        w.OnCheckDelete = [](QObject*, int nodeId) { return FirmAbtInUse(nodeId); };
        w.show();
        w.DBTreeViewDetail->setCurrentItem(w.DBTreeViewDetail->findNode(id("Abteilung")));
        Dialogs::scriptAnswer(true);
        w.SpBLoeschenClick();
        QCOMPARE(Dialogs::shownTexts(),
                 QStringList({"Datensatz löschen ?",
                              "Datensatz wird im Leiterprogramm noch verwendet :\r\n"
                              "Bitte vorm Löschen dort anderen Datensatz zuordnen => Abbruch"}));
        QCOMPARE(names(), QStringList({"Abteilung", "Firma", "Unterabteilung"}));
        QCOMPARE(shape(*w.DBTreeViewDetail), QString("Firma(Abteilung(Unterabteilung))"));
    }

    // Top-level nodes are refused with the window's messages; without an in-use test
    // nothing can be deleted.
    void refusals_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("asChild");
        QTest::addColumn<bool>("withCheck");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("delete company") << "Firma" << "delete" << true << true
                                        << QStringList{"Firma kann in dieser Maske nicht gelöscht werden"};
        QTest::newRow("edit company") << "Firma" << "edit" << true << true
                                      << QStringList{"Hauptdatensatz / Firma kann in dieser Maske nicht geändert werden"};
        QTest::newRow("sibling of company") << "Firma" << "insert" << false << true
                                            << QStringList{"Neue Firma kann in dieser Maske nicht angelegt werden"};
        QTest::newRow("no in-use test") << "Werk" << "delete" << true << false
                                        << QStringList{"Routine zum Prüfen vor dem Löschen nicht vorhanden",
                                                       "Löschen zur Zeit nicht möglich"};
    }
    void refusals()
    {
        QFETCH(QString, node);
        QFETCH(QString, action);
        QFETCH(bool, asChild);
        QFETCH(bool, withCheck);
        QFETCH(QStringList, messages);
        add("Firma");
        add("Werk", "Firma");
        TSFirmAbtVerw w;
        if (withCheck)
            w.OnCheckDelete = [](QObject*, int) { return false; };
        w.show();
        w.CbBoxKind->setChecked(asChild);
        w.DBTreeViewDetail->setCurrentItem(w.DBTreeViewDetail->findNode(id(node)));
        if (action == "delete")
            w.SpBLoeschenClick();
        else if (action == "edit")
            w.SpBAendClick();
        else
            w.SpBNeuClick();
        QCOMPARE(Dialogs::shownTexts(), messages);
        QCOMPARE(w.Detail->state(), DataSetState::Browse);
        QCOMPARE(names(), QStringList({"Firma", "Werk"}));
    }

    // "Neu" makes a child without a name, its label open; typing and Enter saves it.
    // The Insert key with insert-as-child off makes a sibling, Shift+Insert a child.
    void insertingDepartments()
    {
        add("Firma");
        add("Werk", "Firma");
        TSFirmAbtVerw w;
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.DBTreeViewDetail->setCurrentItem(w.DBTreeViewDetail->findNode(id("Werk")));
        QTest::mouseClick(w.SpBNeu, Qt::LeftButton);
        QCOMPARE(w.LabelTableStatus->text(), QString("Neu"));
        QCOMPARE(w.Detail->field("KurzBez").asString(), QString());
        auto* label = w.DBTreeViewDetail->findChild<QLineEdit*>();
        QVERIFY(label);
        QTest::keyClicks(label, "Lager");
        QTest::keyClick(label, Qt::Key_Return);
        QTRY_COMPARE(w.Detail->state(), DataSetState::Browse);     // the label closes on the next turn
        QCOMPARE(Dialogs::shownTexts(), QStringList());
        QCOMPARE(shape(*w.DBTreeViewDetail), QString("Firma(Werk(Lager))"));
        QCOMPARE(w.PanFirmaAbt->text(), QString("Firma - Werk - Lager"));
        Table t("FIRMEN");
        t.open();
        QVERIFY(t.locate("KurzBez", {"Lager"}));
        QCOMPARE(t.field("ParentID").asInteger(), m_ids.value("Werk"));
        QVERIFY(t.field("ID").asInteger() > m_ids.value("Werk"));

        // Sibling by the Insert key, named, then Ok.
        w.CbBoxKind->setChecked(false);
        w.DBTreeViewDetail->setCurrentItem(w.DBTreeViewDetail->findNode(id("Werk")));
        QTest::keyClick(w.DBTreeViewDetail, Qt::Key_Insert);
        QCOMPARE(w.Detail->state(), DataSetState::Insert);
        QTest::keyClicks(w.DBTreeViewDetail->findChild<QLineEdit*>(), "Halle");
        QTest::mouseClick(w.BOk, Qt::LeftButton);
        QCOMPARE(shape(*w.DBTreeViewDetail), QString("Firma(Halle, Werk(Lager))"));
        // Shift+Insert on the company makes a child even with the box unchecked; Abbruch drops it.
        w.DBTreeViewDetail->setCurrentItem(w.DBTreeViewDetail->findNode(id("Firma")));
        QTest::keyClick(w.DBTreeViewDetail, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(w.Detail->state(), DataSetState::Insert);
        QCOMPARE(w.Detail->field("ParentID").asInteger(), m_ids.value("Firma"));
        QTest::mouseClick(w.BCancel, Qt::LeftButton);
        QCOMPARE(shape(*w.DBTreeViewDetail), QString("Firma(Halle, Werk(Lager))"));
        QCOMPARE(names(), QStringList({"Firma", "Halle", "Lager", "Werk"}));
    }

    // A node is named in the tree's label or in "Kurzbez.:" (which takes typing only while the
    // node is new or changed), after "Neu" and after "Ändern", and saved by Ok or Enter; the
    // stored name, the tree and the path panel show it. Saved without a name it is refused and
    // nothing is stored.
    void namingANode_data()
    {
        QTest::addColumn<QString>("start");     // Neu or Ändern (on "Werk")
        QTest::addColumn<QString>("where");     // label, Kurzbez or nowhere
        QTest::addColumn<QString>("save");      // Ok (click) or Enter
        QTest::addColumn<QString>("stored");    // the new or changed node's stored name, empty: none
        for (const char* save : {"Ok", "Enter"}) {
            QTest::addRow("Neu, label, %s", save) << "Neu" << "label" << save << "Lager";
            QTest::addRow("Neu, Kurzbez, %s", save) << "Neu" << "Kurzbez" << save << "Lager";
            QTest::addRow("Ändern, label, %s", save) << "Ändern" << "label" << save << "Lager";
            QTest::addRow("Ändern, Kurzbez, %s", save) << "Ändern" << "Kurzbez" << save << "Lager";
        }
        QTest::newRow("Neu, no name, Ok") << "Neu" << "nowhere" << "Ok" << "";
    }
    void namingANode()
    {
        QFETCH(QString, start);
        QFETCH(QString, where);
        QFETCH(QString, save);
        QFETCH(QString, stored);
        add("Firma");
        add("Werk", "Firma");
        TSFirmAbtVerw w;
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::mouseClick(w.DBTreeViewDetail->viewport(), Qt::LeftButton, {},
                          w.DBTreeViewDetail->visualItemRect(w.DBTreeViewDetail->findNode(id("Werk"))).center());
        QCOMPARE(w.PanFirmaAbt->text(), QString("Firma - Werk"));
        // Before "Neu" or "Ändern" the name is only shown: typing changes nothing.
        QVERIFY(w.EditKurzBez->isReadOnly());
        QTest::mouseClick(w.EditKurzBez, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), "xy");
        QCOMPARE(w.Detail->state(), DataSetState::Browse);
        QCOMPARE(w.EditKurzBez->text(), QString("Werk"));

        QTest::mouseClick(start == "Neu" ? w.SpBNeu : w.SpBAend, Qt::LeftButton);
        QVERIFY(w.Detail->isEditing());
        auto* label = w.DBTreeViewDetail->findChild<QLineEdit*>();
        QVERIFY(label && label->hasFocus());
        if (where == "label") {
            QTest::keyClick(label, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(label, "Lager");
        } else if (where == "Kurzbez") {
            QTest::mouseClick(w.EditKurzBez, Qt::LeftButton);
            QVERIFY(w.EditKurzBez->hasFocus());
            QTest::keyClick(w.EditKurzBez, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(w.EditKurzBez, "Lager");
        }
        if (save == "Ok")
            QTest::mouseClick(w.BOk, Qt::LeftButton);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (stored.isEmpty()) {
            QCOMPARE(Dialogs::shown().size(), 1);
            QCOMPARE(Dialogs::shown().first().kind, Dialogs::Kind::Error);
            QCOMPARE(w.Detail->state(), DataSetState::Insert);
            QTRY_VERIFY(w.EditKurzBez->hasFocus());
            QTest::mouseClick(w.BCancel, Qt::LeftButton);
            QCOMPARE(names(), QStringList({"Firma", "Werk"}));
            return;
        }
        QTRY_COMPARE(w.Detail->state(), DataSetState::Browse);
        QCOMPARE(Dialogs::shownTexts(), QStringList());
        const QStringList expected = start == "Neu" ? QStringList({"Firma", "Lager", "Werk"}) : QStringList({"Firma", "Lager"});
        QCOMPARE(names(), expected);
        QCOMPARE(shape(*w.DBTreeViewDetail), start == "Neu" ? QString("Firma(Werk(Lager))") : QString("Firma(Lager)"));
        QCOMPARE(w.PanFirmaAbt->text(), start == "Neu" ? QString("Firma - Werk - Lager") : QString("Firma - Lager"));
        QCOMPARE(w.EditKurzBez->text(), QString("Lager"));
        QVERIFY(w.EditKurzBez->isReadOnly());
    }

    // An empty table: a new row could only be a company, so the editor refuses it.
    void emptyTableRefusesInsert()
    {
        TSFirmAbtVerw w;
        w.show();
        QCOMPARE(w.PanFirmaAbt->text(), QString(" <unbekannt> "));
        w.SpBNeuClick();
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Neue Firma kann in dieser Maske nicht angelegt werden"});
        QCOMPARE(names(), QStringList());
    }

    void restrictingToOneCompany()
    {
        sampleTree();
        TSFirmAbtVerw w;
        w.show();
        QCOMPARE(w.CoboFirmen->count(), 3);
        QCOMPARE(w.CoboFirmen->itemText(0), QString("<Alle>"));
        // A department selected: "Firma ..." changes nothing.
        w.DBTreeViewDetail->setCurrentItem(w.DBTreeViewDetail->findNode(id("B")));
        w.BSetRootClick();
        QCOMPARE(w.DBTreeViewDetail->rootID(), QString());
        w.CoboFirmen->setCurrentIndex(w.CoboFirmen->findText("A"));
        QCOMPARE(shape(*w.DBTreeViewDetail), QString("A(B(C), Z)"));
        w.DBTreeViewDetail->setCurrentItem(w.DBTreeViewDetail->findNode(id("A")));
        w.BSetRootClick();
        QCOMPARE(w.DBTreeViewDetail->rootID(), id("A"));
        w.BAlleClick();
        QCOMPARE(w.CoboFirmen->currentIndex(), 0);
        QCOMPARE(shape(*w.DBTreeViewDetail), QString("A(B(C), Z), D"));
        QCOMPARE(Dialogs::shownTexts(), QStringList());
    }

    void closeQuestion_data()
    {
        QTest::addColumn<int>("answer");     // 1 Ja, 0 Nein, -1 Abbrechen
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Ja saves") << 1 << true << "Werk 2";
        QTest::newRow("Nein discards") << 0 << true << "Werk";
        QTest::newRow("Abbrechen stays") << -1 << false << "Werk";
    }
    void closeQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(QString, stored);
        add("Firma");
        add("Werk", "Firma");
        TSFirmAbtVerw w;
        w.show();
        w.DBTreeViewDetail->setCurrentItem(w.DBTreeViewDetail->findNode(id("Werk")));
        w.SpBAendClick();
        QCOMPARE(w.Detail->state(), DataSetState::Edit);
        w.Detail->setValue("KurzBez", "Werk 2");
        if (answer < 0)
            Dialogs::scriptCancel();
        else
            Dialogs::scriptAnswer(answer == 1);
        QTest::mouseClick(w.BEnde, Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Änderungen speichern ?"});
        QCOMPARE(w.isVisible(), !closed);
        QCOMPARE(names().contains(stored), true);
    }

    // A (Z, B (C)), D in text order with depths.
    void sortTable()
    {
        sampleTree();
        TDataModule1 dm;
        TLtFirmAbt firmAbt(*dm.StFirmAbtList);
        TDBTreeView tree;
        tree.setTableIDField("ID");
        tree.setTableParentField("ParentID");
        tree.setTableTextField("KurzBez");
        tree.setSortType(TDBTreeView::stText);
        tree.setDataSource(dm.StFirmAbtList);
        BuildFirmSort(dm, tree, &firmAbt);
        const QStringList expected{"1 A 0 0", "2 B A 1", "3 C B 2", "4 Z A 1", "5 D 0 0"};
        auto rows = [&] {
            Table s("ZwFirmSort");
            s.open();
            s.setIndexFieldNames("Nr");
            QStringList r;
            for (s.first(); !s.eof(); s.next()) {
                const int parent = s.field("Parent_Id").asInteger();
                r << QString("%1 %2 %3 %4").arg(s.field("Nr").asInteger())
                        .arg(m_ids.key(s.field("Abt_Id").asInteger()))
                        .arg(parent == 0 ? "0" : m_ids.key(parent))
                        .arg(s.field("Spalte").asInteger());
            }
            return r;
        };
        QCOMPARE(rows(), expected);
        // Built again from scratch, and without a view the same rows.
        BuildFirmSort(dm, firmAbt);
        QCOMPARE(rows(), expected);
        // Without a depth source the column is -1.
        BuildFirmSort(dm, tree, nullptr);
        QCOMPARE(rows().first(), QString("1 A 0 -1"));
    }

    // Type-ahead over the drop-down's nodes: a pause over 2 s starts afresh; 32 letters at most.
    void lookupBoxTypeAhead()
    {
        add("Muster");
        add("Lager", "Muster");
        add("Labor", "Muster");
        add("Werk", "Muster");
        Table list("FIRMEN");
        list.open();
        TDbTreeLookupComboBox box;
        qint64 now = 100000;
        box.setClock([&] { return now; });
        int clicks = 0;
        box.OnClick = [&](TDbTreeLookupComboBox*) { ++clicks; };
        box.setListSource(&list, "ID", "KurzBez");
        box.setListTreeIDField("ID");
        box.setListTreeParentField("ParentID");
        box.treeView()->setSortType(TDBTreeView::stText);
        box.show();
        QTest::keyClicks(&box, "la");
        QCOMPARE(box.KeyValue().toString(), id("Labor"));
        QCOMPARE(box.displayText(), QString("Labor"));
        now += 3000;
        QTest::keyClicks(&box, "we");
        QCOMPARE(box.searchText(), QString("we"));
        QCOMPARE(box.KeyValue().toString(), id("Werk"));
        QTest::keyClick(&box, Qt::Key_Up);
        QCOMPARE(box.displayText(), QString("Lager"));
        QVERIFY(clicks >= 3);
        now += 3000;
        QTest::keyClicks(&box, QString(33, QChar('x')));
        QCOMPARE(box.searchText().size(), 32);
        box.setKeyValue(QVariant());
        QCOMPARE(box.displayText(), QString());
    }

    // Bound to the lookup field of a ladder: choosing in the drop-down writes FirmenAbtID.
    void lookupBoxBound()
    {
        add("Muster");
        add("Lager", "Muster");
        Table firmen("FIRMEN");
        Table ladders("LT_LEIT");
        ladders.addLookupField("FirmaAbteilung", 30, "Abteilung", "FirmenAbtID", &firmen, "ID", "KurzBez");
        firmen.open();
        ladders.open();
        ladders.append();
        ladders.setValue("Nr", 1);
        ladders.setValue("KurzBez", "L1");
        ladders.post();
        TDataSource source(&ladders);
        TDbTreeLookupComboBox box;
        box.setDataSource(&source, "FirmaAbteilung");
        box.setListTreeIDField("ID");
        box.setListTreeParentField("ParentID");
        box.show();
        box.dropDown();
        QVERIFY(box.droppedDown());
        TDBTreeView* tree = box.treeView();
        tree->setCurrentItem(tree->findNode(id("Lager")));
        QTest::keyClick(tree, Qt::Key_Return);
        QVERIFY(!box.droppedDown());
        QCOMPARE(ladders.state(), DataSetState::Edit);
        QCOMPARE(ladders.field("FirmenAbtID").asInteger(), m_ids.value("Lager"));
        QCOMPARE(box.displayText(), QString("Lager"));
        ladders.post();
        Table check("LT_LEIT");
        check.open();
        QCOMPARE(check.field("FirmenAbtID").asInteger(), m_ids.value("Lager"));
    }
};

QTEST_MAIN(TestFirmAbtVerw)
#include "tst_firmabtverw.moc"
