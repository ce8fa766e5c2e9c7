#include "DataModule.h"
#include "Engine.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QtTest>

class TestDataModule : public QObject {
    Q_OBJECT

    static void addLadders(const QList<int>& numbers)
    {
        Table t("LT_LEIT");
        t.open();
        for (int nr : numbers) {
            t.append();
            t.setValue("Nr", nr);
            t.setValue("KurzBez", "Leiter");
            t.post();
        }
    }

private slots:
    void numberOperations_data()
    {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("free");
        QTest::newRow("empty table") << QList<int>{} << 0 << 1 << 1;
        QTest::newRow("gap at 4") << QList<int>{1, 2, 3, 5} << 5 << 1 << 4;
        QTest::newRow("start in a run") << QList<int>{1, 2, 3, 5} << 5 << 5 << 6;
        QTest::newRow("start 0 free") << QList<int>{} << 0 << 0 << 0;
        QTest::newRow("start beyond") << QList<int>{1, 2, 3, 7} << 7 << 10 << 10;
        QTest::newRow("unsorted entry") << QList<int>{7, 3, 1, 2} << 7 << 3 << 4;
    }

    void numberOperations()
    {
        QFETCH(QList<int>, numbers);
        QFETCH(int, max);
        QFETCH(int, start);
        QFETCH(int, free);
        TestDataDir dir;
        addLadders(numbers);
        TDataModule1 dm;
        QCOMPARE(dm.MaxLeiterNr(), max);
        QCOMPARE(dm.FreieLeiterNrAb(start), free);
        for (int nr : numbers)
            QVERIFY(dm.LeiterNrVorhanden(nr));
        QVERIFY(!dm.LeiterNrVorhanden(free));
    }

    // Ladders added through another cursor or workstation count at once.
    void seesLaddersAddedElsewhere()
    {
        TestDataDir dir;
        TDataModule1 dm;
        QCOMPARE(dm.MaxLeiterNr(), 0);
        addLadders({1, 2});
        QCOMPARE(dm.MaxLeiterNr(), 2);
        QCOMPARE(dm.FreieLeiterNrAb(1), 3);
        QVERIFY(dm.LeiterNrVorhanden(2));
    }

    // Without user administration the module's rights component grants every right; with it,
    // the component starts with the logged-in user's name and rights.
    void rightsComponent()
    {
        TestDataDir dir;
        UserState::reset();
        UserState::AktBenutzer = QStringLiteral("Anna");
        UserState::AktRechte = TUserRights{crView};
        TDataModule1 dm;
        TUserControl* uc = dm.DataUserControl;
        QVERIFY(uc);
        QCOMPARE(uc->parent(), &dm);
        if constexpr (UserState::UserAdministration) {
            QVERIFY(uc->Active());
            QCOMPARE(uc->UserName, QStringLiteral("Anna"));
            QCOMPARE(uc->Rights(), TUserRights{crView});
            QVERIFY_THROWS_EXCEPTION(UserControlException, uc->CheckRight(crInsert));
        } else {
            QVERIFY(!uc->Active());
            QCOMPARE(uc->Rights(), TUserRights());
            for (int r = 0; r < UserRightCount; ++r)
                uc->CheckRight(TUserRight(r));
        }
        UserState::reset();
    }

    void missingTableEndsWithEngineError()
    {
        TestDataDir dir;
        Engine::instance().addSessionAlias("TARVINO", dir.path() + "/nicht-da");
        try {
            TDataModule1 dm;
            QFAIL("opened without a data directory");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), EngineCode::DirNotFound);
        }
    }
};

QTEST_MAIN(TestDataModule)
#include "tst_datamodule.moc"
