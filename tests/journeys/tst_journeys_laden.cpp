#include "JourneyFixture.h"

#include "Dialogs.h"
#include "LadeFortschritt.h"
#include "LeiterGrid.h"
#include "CursorModel.h"
#include "Table.h"

#include <QAbstractItemModel>
#include <QDialog>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

// The main window on a register whose ladders are still being read (the load slowed down:
// two ladders first, then one at a time): the first ladders and the counter are there at once,
// whatever needs every ladder waits for the rest and then finds ladders not read at the start,
// a save during the load is stored as always, and another workstation's save is shown once.
class TestJourneysLaden : public QObject {
    Q_OBJECT

    struct SlowLoad {
        explicit SlowLoad(int rowsPerChunk = 2, int delayMs = 150)
        {
            qputenv("HW_TEST_LOAD_ROWS", QByteArray::number(rowsPerChunk));
            qputenv("HW_TEST_LOAD_DELAY_MS", QByteArray::number(delayMs));
        }
        ~SlowLoad()
        {
            qunsetenv("HW_TEST_LOAD_ROWS");
            qunsetenv("HW_TEST_LOAD_DELAY_MS");
        }
    };

    // The register's five ladders and two more in "Halle Süd" with numbers read last.
    static void addLateLadders()
    {
        Journey::addRow("LT_LEIT", {{"Nr", 8}, {"KurzBez", "Rollgerüst"}, {"FirmenAbtID", 3}});
        Journey::addRow("LT_LEIT", {{"Nr", 9}, {"KurzBez", "Mastleiter"}, {"FirmenAbtID", 3}});
    }

    // A hundred ladders more than a screen holds, numbered 20 to 119.
    static void addManyLadders()
    {
        for (int nr = 20; nr < 120; ++nr)
            Journey::addRow("LT_LEIT", {{"Nr", nr}, {"KurzBez", QString("Leiter %1").arg(nr)}});
    }

    // Numbers the grid shows, in its order.
    static QList<int> gridNumbers(const Journey& j)
    {
        TLeiterGrid* g = j.w->grid();
        const int col = g->cursorModel()->columnOf(QStringLiteral("Nr"));
        QList<int> out;
        for (int row = 0; row < g->model()->rowCount(); ++row)
            out << g->model()->index(row, col).data().toInt();
        return out;
    }

private slots:
    void init() { resetDialogsForTest(); }

    void wholeRegisterWaitsForTheRest_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("nr");               // the ladder current afterwards
        QTest::addColumn<QString>("status");       // the record counter afterwards
        QTest::newRow("Strg+F, 9") << "Strg+F" << 9 << " 7 von 7 ";
        QTest::newRow("F9, 9") << "F9" << 9 << " 7 von 7 ";
        QTest::newRow("Strg+Ende") << "Strg+Ende" << 9 << " 7 von 7 ";
        QTest::newRow("Filter Halle Süd") << "Filter" << 8 << " 2 gefiltert ";
    }

    void wholeRegisterWaitsForTheRest()
    {
        QFETCH(QString, path);
        QFETCH(int, nr);
        QFETCH(QString, status);
        SlowLoad slow;
        Journey j;
        addLateLadders();
        j.open();
        QVERIFY(j.w->leiter()->rowsPending());
        // The counter counts every ladder from the start.
        QCOMPARE(j.w->statusPanel(2)->text(), QString(" 1 von 7 "));
        QCOMPARE(j.rowOfNr(9), -1);

        if (path == "Strg+F") {
            Dialogs::scriptText("9");
            Journey::key(Qt::Key_F, Qt::ControlModifier);
        } else if (path == "F9") {
            Journey::onNextForm([](QDialog* d) {
                Journey::type("9");
                Journey::key(Qt::Key_Return);
                Journey::click(d->findChild<QWidget*>("BClose"));
            });
            Journey::key(Qt::Key_F9);
        } else if (path == "Strg+Ende") {
            Journey::key(Qt::Key_End, Qt::ControlModifier);
        } else if (path == "Filter") {
            Journey::click(j.child("DbFilterAbt"));
            Journey::type("Halle S");
            Journey::key(Qt::Key_Return);
        }
        QVERIFY(!j.w->leiter()->rowsPending());
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), nr);
        QCOMPARE(j.w->grid()->currentIndex().row(), j.rowOfNr(nr));
        QCOMPARE(j.w->statusPanel(2)->text(), status);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
        if (path != "Filter")
            QCOMPARE(gridNumbers(j), (QList<int>{1, 2, 3, 4, 5, 8, 9}));
    }

    // The first ladder edited and saved while the rest is read: stored at once, without waiting;
    // another workstation saves a ladder not read yet and adds one meanwhile. After the load and
    // a refresh every ladder is in the grid once, each with its last text.
    void savesDuringTheLoad()
    {
        SlowLoad slow;
        Journey j;
        addLateLadders();
        j.open();
        QVERIFY(j.w->leiter()->rowsPending());
        j.clickLadder(1);
        Journey::click(j.child("EditKurzBez"));
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("Beim Lesen");
        Journey::key(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(j.ladder(1).value("KurzBez").toString(), QString("Beim Lesen"));
        QVERIFY(j.w->leiter()->rowsPending());

        j.dir.addAlias("ZWEITER");
        {
            Table other("LT_LEIT");
            other.setAlias("ZWEITER");
            other.setIndexFieldNames("Nr");
            other.open();
            QVERIFY(other.findKey({9}));
            other.edit();
            other.setValue("KurzBez", "Mastleiter geprüft");
            other.post();
            other.append();
            other.setValue("Nr", 10);
            other.setValue("KurzBez", "Neu von nebenan");
            other.post();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!j.w->leiter()->rowsPending(), 10000);
        Journey::key(Qt::Key_F5);
        QCOMPARE(gridNumbers(j), (QList<int>{1, 2, 3, 4, 5, 8, 9, 10}));
        const int text = j.w->grid()->cursorModel()->columnOf(QStringLiteral("KurzBez"));
        QCOMPARE(j.w->grid()->model()->index(j.rowOfNr(9), text).data().toString(), QString("Mastleiter geprüft"));
        QCOMPARE(j.w->grid()->model()->index(j.rowOfNr(1), text).data().toString(), QString("Beim Lesen"));
        QCOMPARE(j.count("LT_LEIT"), 8);
    }

    // The user scrolls down while the rest is read: the rows that arrive do not pull the grid
    // back to the current ladder.
    void scrolledGridStaysWhileLoading()
    {
        SlowLoad slow(30, 100);
        Journey j;
        addManyLadders();
        j.open();
        QVERIFY(j.w->leiter()->rowsPending());
        TLeiterGrid* g = j.w->grid();
        QScrollBar* bar = g->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        const int scrolled = bar->value();
        const int rows = g->model()->rowCount();
        QTRY_VERIFY_WITH_TIMEOUT(g->model()->rowCount() > rows, 5000);
        QVERIFY(j.w->leiter()->rowsPending());
        QCOMPARE(bar->value(), scrolled);
        QCOMPARE(g->currentIndex().row(), 0);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 1);
    }

    // Rows that arrive below the rows shown only lengthen the scroll range; rows that arrive
    // where the grid still has room are painted.
    void arrivingRowsPaintedWhereShown_data()
    {
        QTest::addColumn<int>("firstRows");
        QTest::addColumn<bool>("painted");
        QTest::newRow("below the rows shown") << 30 << false;
        QTest::newRow("into the room left") << 2 << true;
    }

    void arrivingRowsPaintedWhereShown()
    {
        QFETCH(int, firstRows);
        QFETCH(bool, painted);
        SlowLoad slow(firstRows, 150);
        Journey j;
        addManyLadders();
        j.open();
        QVERIFY(j.w->leiter()->rowsPending());
        TLeiterGrid* g = j.w->grid();
        QTest::qWait(50);                               // the first screen painted
        struct Paints : QObject {
            int count = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                count += e->type() == QEvent::Paint ? 1 : 0;
                return false;
            }
        } paints;
        g->viewport()->installEventFilter(&paints);
        const int rows = g->model()->rowCount();
        const int range = g->verticalScrollBar()->maximum();
        QTRY_VERIFY_WITH_TIMEOUT(g->model()->rowCount() > rows, 5000);
        QTest::qWait(50);
        QVERIFY(j.w->leiter()->rowsPending());
        QCOMPARE(paints.count > 0, painted);
        if (!painted)
            QVERIFY(g->verticalScrollBar()->maximum() > range);
    }

    // A wait that takes longer than a moment shows its progress.
    void longWaitShowsProgress()
    {
        SlowLoad slow;
        Journey j;
        addLateLadders();
        for (int nr = 20; nr < 26; ++nr)
            Journey::addRow("LT_LEIT", {{"Nr", nr}, {"KurzBez", QString("Leiter %1").arg(nr)}});
        j.open();
        const int before = loadProgressShownCount();
        Journey::key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 25);
        QCOMPARE(loadProgressShownCount(), before + 1);
    }
};

QTEST_MAIN(TestJourneysLaden)
#include "tst_journeys_laden.moc"
