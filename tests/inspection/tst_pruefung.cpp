#include "Dialogs.h"
#include "Kriterien.h"
#include "PruefAktionen.h"
#include "PruefCursor.h"
#include "PruefFixture.h"
#include "PruefGrid.h"
#include "Schema.h"
#include "UserControl.h"

#include <QtTest>

// The inspection cursor and the page's actions without the page: inherited values of a new
// inspection, the done-flag rule, group results, grey cells, rights and deleting.
class TestPruefung : public QObject {
    Q_OBJECT

    struct Setup {
        PruefFixture fx;
        int ladder = 0;
        Table* pruef = nullptr;
        std::unique_ptr<PruefAktionen> a;
        ~Setup() { delete pruef; }
        void make(int nr = 5)
        {
            fx.open(nr);
            pruef = createLtPruefCursor(*fx.dm, fx.leiter.get(), *fx.dm->DataUserControl, nullptr);
            a = std::make_unique<PruefAktionen>(*fx.leiter, *pruef, *fx.dm, *fx.dm->DataUserControl);
        }
    };

private slots:
    void init() { resetDialogsForTest(); }

    // Date, kind and the 31 required flags come from the ladder, never from an earlier
    // inspection; done flags, inspector and the rest stay empty; the record stays new.
    void newInspectionInheritsFromLadder()
    {
        Setup s;
        PruefFixture::addKind(2, "jährlich", 1, 0, 0);
        s.ladder = PruefFixture::addLadder(5, {{"PruefTermin", QDate(2004, 6, 23)}, {"PruefungArt_ID", 2},
                                               {"PrMaterial", true}, {"PrSchuhe", false}, {"PrSonstiges", true},
                                               {"PrSprS_Beschaed", true}, {"PrKennZ_BetrAnl", false}});
        const int p = PruefFixture::addPruefer("Meier");
        QVariantMap old = {{"Datum", QDate(2003, 1, 1)}, {"PruefungArt_ID", 9}, {"Pruefer_ID", p}};
        for (const QString& c : Schema::simpleCriteria() + Schema::extendedCriteria()) {
            old.insert(Schema::requiredColumn(c), true);
            old.insert(Schema::doneColumn(c), true);
        }
        PruefFixture::addInspection(s.ladder, old);
        s.make();
        s.a->PruefNeu();
        Table& t = *s.pruef;
        QCOMPARE(t.state(), DataSetState::Insert);
        QCOMPARE(t.field("LT_ID").asInteger(), s.ladder);
        QCOMPARE(t.field("Datum").asDate(), QDate(2004, 6, 23));
        QCOMPARE(t.field("PruefungArt_ID").value(), QVariant(2));
        QCOMPARE(t.field("PruefungArtText").asString(), QString("jährlich"));
        QVERIFY(t.field("Pruefer_ID").isNull());
        QVERIFY(t.field("PrueferKurzBez").asString().isEmpty());
        for (const QString& c : Schema::simpleCriteria() + Schema::extendedCriteria()) {
            const QVariant want = s.fx.leiter->value(Schema::requiredColumn(c));
            QCOMPARE(t.value(Schema::requiredColumn(c)), want);
            QVERIFY2(t.field(Schema::doneColumn(c)).isNull(), qPrintable(c));
        }
        QVERIFY(t.field("PrBerSpreizS").asBoolean());
        QVERIFY(!t.field("PrBerErlSpreizS").asBoolean());
        QVERIFY(!t.field("PrBerKennz").asBoolean());
        t.post();
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 2);
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.field("Datum").asDate(), QDate(2004, 6, 23));   // ordered by date: the new one last
    }

    void newInspectionWithoutInsertRight()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"PruefTermin", QDate(2004, 6, 23)}});
        s.make();
        s.fx.limitRights({crView, crModify, crDelete});
        try {
            s.a->PruefNeu();
            QFAIL("no refusal");
        } catch (const HwError& e) {
            QCOMPARE(e.message(), TUserControl::RightErrorText(crInsert));
        }
        QCOMPARE(s.pruef->state(), DataSetState::Browse);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 0);
    }

    // Clearing a simple required flag clears its done flag; setting it back leaves it false.
    // Extended criteria have no such rule on the record.
    void doneFlagRule_data()
    {
        QTest::addColumn<QString>("required");
        QTest::addColumn<QString>("done");
        QTest::addColumn<QVariant>("newRequired");
        QTest::addColumn<bool>("doneAfter");
        QTest::newRow("simple to false") << "PrMaterial" << "PrErlMaterial" << QVariant(false) << false;
        QTest::newRow("simple to empty") << "PrSchuhe" << "PrErlSchuhe" << QVariant() << false;
        QTest::newRow("Sonstiges to false") << "PrSonstiges" << "PrErlSonstiges" << QVariant(false) << false;
        QTest::newRow("simple stays true") << "PrMaterial" << "PrErlMaterial" << QVariant(true) << true;
        QTest::newRow("extended keeps its done flag") << "PrHo_Verform" << "PrHo_ErlVerform" << QVariant(false) << true;
    }

    void doneFlagRule()
    {
        QFETCH(QString, required);
        QFETCH(QString, done);
        QFETCH(QVariant, newRequired);
        QFETCH(bool, doneAfter);
        Setup s;
        s.ladder = PruefFixture::addLadder(5);
        const int id = PruefFixture::addInspection(s.ladder, {{required, true}, {done, true}});
        s.make();
        s.pruef->edit();
        s.pruef->setValue(required, newRequired);
        QCOMPARE(s.pruef->field(done).asBoolean(), doneAfter);
        s.pruef->setValue(required, true);
        QCOMPARE(s.pruef->field(done).asBoolean(), doneAfter);
        s.pruef->post();
        QCOMPARE(PruefFixture::stored("LT_PRUEF", id).value(done).toBool(), doneAfter);
    }

    // PrBer / PrBerErl of a group follow its required and done items, also while editing.
    void groupResults()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5);
        PruefFixture::addInspection(s.ladder, {{"PrSprS_Vollstaend", true}, {"PrSprS_Beschaed", true},
                                               {"PrSprS_ErlVollstaend", true}, {"PrSprS_ErlFunktfaeh", true},
                                               {"PrHo_ErlVerform", true}});
        s.make();
        Table& t = *s.pruef;
        QVERIFY(t.field("PrBerSpreizS").asBoolean());
        QVERIFY(!t.field("PrBerErlSpreizS").asBoolean());
        QVERIFY(!t.field("PrBerHolme").asBoolean());      // done but not required counts for nothing
        QVERIFY(!t.field("PrBerErlHolme").asBoolean());
        QVERIFY(zelleGrau(t, 0, "PrBerErlHolme"));
        QVERIFY(!zelleGrau(t, 0, "PrBerErlSpreizS"));
        t.edit();
        t.setValue("PrSprS_ErlBeschaed", true);
        QVERIFY(t.field("PrBerSpreizS").asBoolean());
        QVERIFY(t.field("PrBerErlSpreizS").asBoolean());
        t.post();
        QVERIFY(t.field("PrBerErlSpreizS").asBoolean());
        t.edit();
        t.setValue("PrSprS_Vollstaend", false);
        t.setValue("PrSprS_Beschaed", false);
        QVERIFY(!t.field("PrBerSpreizS").asBoolean());
        QVERIFY(!t.field("PrBerErlSpreizS").asBoolean());
        QVERIFY(t.field("PrSprS_ErlBeschaed").asBoolean());   // stays stored
    }

    // Grey: simple done cells of criteria not required, group results of groups not
    // required (both "Sonstiges" columns); all other cells keep their look.
    void greyCells_data()
    {
        QTest::addColumn<QVariantMap>("values");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("grey");
        QTest::newRow("done, required") << QVariantMap{{"PrMaterial", true}} << "PrErlMaterial" << false;
        QTest::newRow("done, not required") << QVariantMap{{"PrMaterial", false}} << "PrErlMaterial" << true;
        QTest::newRow("done, required empty") << QVariantMap{} << "PrErlSonstiges" << true;
        QTest::newRow("Sonstiges required") << QVariantMap{{"PrSonstiges", true}} << "PrErlSonstiges" << false;
        QTest::newRow("group required, not done") << QVariantMap{{"PrZub_Vollstaend", true}} << "PrBerErlZubehör"
                                                  << false;
        QTest::newRow("group not required") << QVariantMap{{"PrZub_ErlVollstaend", true}} << "PrBerErlZubehör"
                                            << true;
        QTest::newRow("required column never grey") << QVariantMap{} << "PrMaterial" << false;
        QTest::newRow("date never grey") << QVariantMap{} << "Datum" << false;
    }

    void greyCells()
    {
        QFETCH(QVariantMap, values);
        QFETCH(QString, field);
        QFETCH(bool, grey);
        Setup s;
        s.ladder = PruefFixture::addLadder(5);
        PruefFixture::addInspection(s.ladder, values);
        s.make();
        QCOMPARE(zelleGrau(*s.pruef, 0, field), grey);
    }

    void alleSetzen()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5);
        const int id = PruefFixture::addInspection(s.ladder, {{"PrMaterial", true}, {"PrSchuhe", true},
                                                              {"PrHo_Verform", true}});
        s.make();
        s.a->AlleSetzen();
        QCOMPARE(s.pruef->state(), DataSetState::Edit);
        QVERIFY(s.pruef->field("PrErlMaterial").asBoolean());
        QVERIFY(s.pruef->field("PrErlSchuhe").asBoolean());
        QVERIFY(!s.pruef->field("PrErlVerbindungen").asBoolean());
        QVERIFY(!s.pruef->field("PrHo_ErlVerform").asBoolean());
        QVERIFY(!PruefFixture::stored("LT_PRUEF", id).value("PrErlMaterial").toBool());   // not saved
        s.a->Speichern();
        QVERIFY(PruefFixture::stored("LT_PRUEF", id).value("PrErlMaterial").toBool());
    }

    void editWithoutModifyRight()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5);
        PruefFixture::addInspection(s.ladder, {{"PrMaterial", true}});
        s.make();
        s.fx.limitRights({crView, crInsert, crDelete});
        QVERIFY_THROWS_EXCEPTION(UserControlException, s.a->AlleSetzen());
        QCOMPARE(s.pruef->state(), DataSetState::Browse);
        QVERIFY(!s.pruef->field("PrErlMaterial").asBoolean());
    }

    // "Löschen": delete right, the shared question, only Ja deletes; nothing on a ladder
    // without inspections.
    void loeschen_data()
    {
        QTest::addColumn<bool>("withInspection");
        QTest::addColumn<bool>("deleteRight");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("left");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("Ja deletes") << true << true << true << 0 << QStringList{"Datensatz löschen ?"};
        QTest::newRow("Nein keeps") << true << true << false << 1 << QStringList{"Datensatz löschen ?"};
        QTest::newRow("no delete right") << true << false << true << 1 << QStringList{};
        QTest::newRow("no inspection: nothing") << false << true << true << 0 << QStringList{};
    }

    void loeschen()
    {
        QFETCH(bool, withInspection);
        QFETCH(bool, deleteRight);
        QFETCH(bool, answer);
        QFETCH(int, left);
        QFETCH(QStringList, shown);
        Setup s;
        s.ladder = PruefFixture::addLadder(5);
        const int other = PruefFixture::addLadder(6);
        PruefFixture::addInspection(other, {{"Datum", QDate(2004, 1, 1)}});
        if (withInspection)
            PruefFixture::addInspection(s.ladder, {{"Datum", QDate(2004, 1, 1)}});
        s.make();
        if (!deleteRight)
            s.fx.limitRights({crView, crInsert, crModify});
        Dialogs::scriptAnswer(answer);
        try {
            s.a->Loeschen();
            QVERIFY(deleteRight);
        } catch (const HwError& e) {
            QVERIFY(!deleteRight);
            QCOMPARE(e.message(), TUserControl::RightErrorText(crDelete));
        }
        QCOMPARE(Dialogs::shownTexts(), shown);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), left + 1);
    }

    // Before the ladder moves, a changed inspection is saved, an untouched new one dropped;
    // a failing save keeps the record in its edit state.
    void leavingTheLadder()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"PrMaterial", true}});
        PruefFixture::addLadder(6);
        const int id = PruefFixture::addInspection(s.ladder, {{"PrMaterial", true}});
        s.make();
        s.pruef->edit();
        s.pruef->setValue("PrErlMaterial", true);
        s.a->SatzVerlassen();
        QCOMPARE(s.pruef->state(), DataSetState::Browse);
        QVERIFY(PruefFixture::stored("LT_PRUEF", id).value("PrErlMaterial").toBool());

        s.a->PruefNeu();
        s.pruef->cancel();
        s.pruef->append();   // untouched new record
        s.a->SatzVerlassen();
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);

        // Another workstation changes the row meanwhile: the save is refused.
        s.pruef->edit();
        s.pruef->setValue("PrErlMaterial", false);
        {
            Table other("LT_PRUEF");
            other.open();
            other.locate("ID", {id});
            other.edit();
            other.setValue("PrMaterial", false);
            other.post();
        }
        QVERIFY_THROWS_EXCEPTION(EngineError, s.a->SatzVerlassen());
        QCOMPARE(s.pruef->state(), DataSetState::Edit);
    }
};

QTEST_MAIN(TestPruefung)
#include "tst_pruefung.moc"
