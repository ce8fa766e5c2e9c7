#include "Dialogs.h"
#include "NeuTermin.h"
#include "PruefAktionen.h"
#include "PruefCursor.h"
#include "PruefFixture.h"
#include "UserControl.h"

#include <QtTest>

// Due dates: the interval arithmetic on its own, then "Neu.-Termin" on a stored register.
class TestNeuTermin : public QObject {
    Q_OBJECT
private slots:
    void init() { resetDialogsForTest(); }

    void interval_data()
    {
        QTest::addColumn<QDate>("base");
        QTest::addColumn<int>("years");
        QTest::addColumn<int>("months");
        QTest::addColumn<int>("days");
        QTest::addColumn<QDate>("due");   // null: no date can be computed
        QTest::newRow("31 Jan + 1 month, leap year") << QDate(2004, 1, 31) << 0 << 1 << 0 << QDate(2004, 2, 29);
        QTest::newRow("31 Jan + 1 month") << QDate(2005, 1, 31) << 0 << 1 << 0 << QDate(2005, 2, 28);
        QTest::newRow("29 Feb + 1 year") << QDate(2004, 2, 29) << 1 << 0 << 0 << QDate(2005, 2, 28);
        QTest::newRow("30 Nov + 3 months") << QDate(2004, 11, 30) << 0 << 3 << 0 << QDate(2005, 2, 28);
        QTest::newRow("days after the clamping") << QDate(2004, 8, 31) << 0 << 6 << 1 << QDate(2005, 3, 1);
        QTest::newRow("years and months in one step, then days") << QDate(2004, 3, 15) << 2 << 11 << 31
                                                                 << QDate(2007, 3, 18);
        QTest::newRow("0/0/0 is the base") << QDate(2004, 6, 23) << 0 << 0 << 0 << QDate(2004, 6, 23);
        QTest::newRow("empty base counts from 30.12.1899") << QDate() << 1 << 0 << 0 << QDate(1900, 12, 30);
        QTest::newRow("empty base, 0/0/0") << QDate() << 0 << 0 << 0 << QDate(1899, 12, 30);
        QTest::newRow("base year after 3999") << QDate(4005, 1, 1) << 1 << 0 << 5 << QDate();
        QTest::newRow("base year before 1600") << QDate(1500, 1, 1) << 0 << 0 << 5 << QDate();
        QTest::newRow("result leaves the range") << QDate(3999, 12, 31) << 0 << 1 << 0 << QDate();
        QTest::newRow("days carry the result past 3999") << QDate(3999, 12, 31) << 0 << 0 << 1 << QDate();
    }

    void interval()
    {
        QFETCH(QDate, base);
        QFETCH(int, years);
        QFETCH(int, months);
        QFETCH(int, days);
        QFETCH(QDate, due);
        const std::optional<QDate> got = NeuTermin::addiere(base, {years, months, days});
        QCOMPARE(got.has_value(), due.isValid());
        if (got)
            QCOMPARE(*got, due);
    }

    void kindLookup_data()
    {
        QTest::addColumn<QVariant>("kind");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QDate>("due");
        QTest::newRow("6 months 1 day") << QVariant(1) << true << QDate(2005, 3, 1);
        QTest::newRow("empty interval counts as 0/0/0") << QVariant(2) << true << QDate(2004, 8, 31);
        QTest::newRow("unknown kind keeps the base") << QVariant(9) << false << QDate(2004, 8, 31);
        QTest::newRow("no kind keeps the base") << QVariant() << false << QDate(2004, 8, 31);
    }

    void kindLookup()
    {
        QFETCH(QVariant, kind);
        QFETCH(bool, found);
        QFETCH(QDate, due);
        PruefFixture fx;
        PruefFixture::addKind(1, "Halbjahr", 0, 6, 1);
        PruefFixture::addKind(2, "leer", QVariant(), QVariant(), QVariant());
        fx.open();
        const NeuTermin::Ergebnis e = NeuTermin::BerechneNeuTermin(*fx.dm->SPruef, kind, QDate(2004, 8, 31));
        QCOMPARE(e.gefunden, found);
        QVERIFY(e.gueltig);
        QCOMPARE(e.termin, due);
    }

    // "Neu.-Termin": answers to both questions, the base from the latest inspection, the
    // ladder saved with the new due date, the new inspection taking it as its date.
    void neuTermin_data()
    {
        QTest::addColumn<QList<QDate>>("inspections");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("setDate");
        QTest::addColumn<bool>("newInspection");
        QTest::addColumn<QDate>("due");
        QTest::addColumn<QString>("message");
        const QList<QDate> two = {QDate(2004, 1, 31), QDate(2003, 5, 5)};
        QTest::newRow("latest inspection is the base") << two << 1 << true << true << QDate(2005, 1, 31) << "";
        QTest::newRow("second question No") << two << 1 << true << false << QDate(2005, 1, 31) << "";
        QTest::newRow("first question No changes nothing") << two << 1 << false << false << QDate(2010, 1, 1) << "";
        QTest::newRow("no inspection: from 30.12.1899") << QList<QDate>() << 1 << true << false << QDate(1900, 12, 30)
                                                        << "";
        QTest::newRow("inspection without date counts as none") << QList<QDate>{QDate()} << 1 << true << false
                                                                << QDate(1900, 12, 30) << "";
        QTest::newRow("missing kind: message, base date saved") << two << 7 << true << true << QDate(2004, 1, 31)
                                                                << "Fehler - Eingaben waren nicht korrekt";
    }

    void neuTermin()
    {
        QFETCH(QList<QDate>, inspections);
        QFETCH(int, kind);
        QFETCH(bool, setDate);
        QFETCH(bool, newInspection);
        QFETCH(QDate, due);
        QFETCH(QString, message);
        PruefFixture fx;
        PruefFixture::addKind(1, "jährlich", 1, 0, 0);
        const int id = PruefFixture::addLadder(5, {{"PruefTermin", QDate(2010, 1, 1)}, {"PruefungArt_ID", kind},
                                                   {"PrMaterial", true}, {"PrHo_Verform", true}});
        for (const QDate& d : inspections)
            PruefFixture::addInspection(id, {{"Datum", d.isValid() ? QVariant(d) : QVariant()}, {"PruefungArt_ID", 3}});
        fx.open(5);
        Table* pruef = createLtPruefCursor(*fx.dm, fx.leiter.get(), *fx.dm->DataUserControl, nullptr);
        PruefAktionen a(*fx.leiter, *pruef, *fx.dm, *fx.dm->DataUserControl);
        Dialogs::scriptAnswer(setDate);
        if (setDate && !message.isEmpty())
            Dialogs::scriptAnswer(true);   // the error box's OK
        if (setDate)
            Dialogs::scriptAnswer(newInspection);
        QCOMPARE(a.NeuTermin(), newInspection);

        QCOMPARE(PruefFixture::stored("LT_LEIT", id).value("PruefTermin").toDate(), due);
        QCOMPARE(fx.leiter->state(), DataSetState::Browse);
        QStringList expected = {"Neuen Termin in Stammdaten setzen"};
        if (!message.isEmpty())
            expected << message;
        if (setDate)
            expected << "Neuen Prüfungs-Satz anlegen";
        QCOMPARE(Dialogs::shownTexts(), expected);
        QCOMPARE(pruef->state(), newInspection ? DataSetState::Insert : DataSetState::Browse);
        if (newInspection) {
            QCOMPARE(pruef->field("Datum").asDate(), due);
            QCOMPARE(pruef->field("PruefungArt_ID").value(), QVariant(kind));
            QCOMPARE(pruef->field("LT_ID").asInteger(), id);
        }
        QCOMPARE(PruefFixture::count("LT_PRUEF"), inspections.size());
        delete pruef;
    }

    // Refusals and a base date outside the day numbers leave the ladder as it was.
    void neuTerminChangesNothing_data()
    {
        QTest::addColumn<QDate>("lastInspection");
        QTest::addColumn<bool>("modifyRight");
        QTest::addColumn<QString>("error");
        QTest::newRow("modify right missing") << QDate(2004, 1, 31) << false
                                              << "Keine Berechtigung zum Ändern von Datensätzen vorhanden";
        QTest::newRow("base year outside 1600 to 3999")
            << QDate(4001, 3, 1) << true
            << "Der neue Termin kann nicht berechnet werden: das Datum 01.03.4001 liegt außerhalb der Jahre 1600 "
               "bis 3999. Der Termin bleibt unverändert.";
        // The base date is fine; the message names the date the interval leads to.
        QTest::newRow("result after 3999")
            << QDate(3999, 6, 30) << true
            << "Der neue Termin kann nicht berechnet werden: das Datum 30.06.4000 liegt außerhalb der Jahre 1600 "
               "bis 3999. Der Termin bleibt unverändert.";
    }

    void neuTerminChangesNothing()
    {
        QFETCH(QDate, lastInspection);
        QFETCH(bool, modifyRight);
        QFETCH(QString, error);
        PruefFixture fx;
        PruefFixture::addKind(1, "jährlich", 1, 0, 0);
        const int id = PruefFixture::addLadder(5, {{"PruefTermin", QDate(2010, 1, 1)}, {"PruefungArt_ID", 1}});
        PruefFixture::addInspection(id, {{"Datum", lastInspection}});
        fx.open(5);
        if (modifyRight)
            fx.limitRights({crView, crInsert, crModify});
        else
            fx.limitRights({crView, crInsert});
        Table* pruef = createLtPruefCursor(*fx.dm, fx.leiter.get(), *fx.dm->DataUserControl, nullptr);
        PruefAktionen a(*fx.leiter, *pruef, *fx.dm, *fx.dm->DataUserControl);
        Dialogs::scriptAnswer(true);
        Dialogs::scriptAnswer(true);
        try {
            a.NeuTermin();
            QFAIL("no error");
        } catch (const HwError& e) {
            QVERIFY2(e.message().startsWith(error), qPrintable(e.message()));
        }
        QCOMPARE(PruefFixture::stored("LT_LEIT", id).value("PruefTermin").toDate(), QDate(2010, 1, 1));
        QCOMPARE(fx.leiter->state(), DataSetState::Browse);
        QCOMPARE(pruef->state(), DataSetState::Browse);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);
        delete pruef;
    }
};

QTEST_MAIN(TestNeuTermin)
#include "tst_neutermin.moc"
