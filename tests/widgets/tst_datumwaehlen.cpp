#include "CalendarGrid.h"
#include "DatumWaehlen.h"
#include "Dialogs.h"
#include "Table.h"
#include "TestSupport.h"

#include <QDialog>
#include <QPushButton>
#include <QtTest>

// DatumWaehlen on a date field of a real ladder row; the form hook plays the user in the
// picker: one month on with Page Down, then OK or Abbrechen.
class TestDatumWaehlen : public QObject {
    Q_OBJECT

    static void addLadder(const QVariant& termin)
    {
        Table t("LT_LEIT");
        t.open();
        t.append();
        t.setValue("Nr", 1);
        t.setValue("KurzBez", "Leiter");
        t.setValue("PruefTermin", termin);
        t.post();
    }

private slots:
    void init() { resetDialogsForTest(); }

    void choosesThroughPicker_data()
    {
        QTest::addColumn<QDate>("stored");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("shownAtStart");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<QDate>("fieldAfter");
        const QDate today = QDate::currentDate();
        QTest::newRow("OK on a date") << QDate(2004, 1, 31) << "BOK" << QDate(2004, 1, 31) << true
                                      << QDate(2004, 2, 29);
        QTest::newRow("Abbrechen on a date") << QDate(2004, 1, 31) << "BCancel" << QDate(2004, 1, 31) << false
                                             << QDate(2004, 1, 31);
        QTest::newRow("OK on an empty field starts today") << QDate() << "BOK" << today << true
                                                           << today.addMonths(1);
        QTest::newRow("Abbrechen on an empty field") << QDate() << "BCancel" << today << false << QDate();
    }

    void choosesThroughPicker()
    {
        QFETCH(QDate, stored);
        QFETCH(QString, button);
        QFETCH(QDate, shownAtStart);
        QFETCH(bool, chosen);
        QFETCH(QDate, fieldAfter);
        TestDataDir dir;
        addLadder(stored.isValid() ? QVariant(stored) : QVariant());
        Table t("LT_LEIT");
        int editChecks = 0;
        t.beforeEdit = [&](DataSet&) { ++editChecks; };
        t.open();

        QDate startDate;
        Dialogs::setFormHook([&](QDialog* dialog) {
            dialog->show();
            auto* calendar = dialog->findChild<CalendarGrid*>("Calendar1");
            startDate = calendar->date();
            QTest::keyClick(calendar, Qt::Key_PageDown);
            QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
            return dialog->result();
        });
        QCOMPARE(DatumWaehlen(t.field("PruefTermin")), chosen);
        QCOMPARE(startDate, shownAtStart);
        QCOMPARE(t.field("PruefTermin").asDate(), fieldAfter);
        QCOMPARE(t.state(), chosen ? DataSetState::Edit : DataSetState::Browse);
        QCOMPARE(editChecks, chosen ? 1 : 0);
        if (chosen) {
            t.post();
            Table other("LT_LEIT");
            other.open();
            QCOMPARE(other.field("PruefTermin").asDate(), fieldAfter);
        }
    }

    // A refused rights check in beforeEdit ends the action with nothing changed.
    void refusedEditLeavesFieldAlone()
    {
        TestDataDir dir;
        addLadder(QDate(2004, 6, 30));
        Table t("LT_LEIT");
        t.beforeEdit = [](DataSet&) { throw HwError("Keine Berechtigung zum Ändern von Datensätzen vorhanden"); };
        t.open();
        Dialogs::setFormHook([](QDialog*) { return int(QDialog::Accepted); });
        try {
            DatumWaehlen(t.field("PruefTermin"));
            QFAIL("edit not refused");
        } catch (const HwError& e) {
            QCOMPARE(e.message(), QStringLiteral("Keine Berechtigung zum Ändern von Datensätzen vorhanden"));
        }
        QCOMPARE(t.state(), DataSetState::Browse);
        QCOMPARE(t.field("PruefTermin").asDate(), QDate(2004, 6, 30));
    }

    // A new row stays a new row: no edit, no rights check for modifying.
    void insertingRowTakesDateDirectly()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        int editChecks = 0;
        t.beforeEdit = [&](DataSet&) { ++editChecks; };
        t.open();
        t.append();
        Dialogs::setFormHook([](QDialog* dialog) {
            dialog->show();
            auto* calendar = dialog->findChild<CalendarGrid*>("Calendar1");
            QTest::keyClick(calendar, Qt::Key_Return);
            return dialog->result();
        });
        QVERIFY(DatumWaehlen(t.field("AusgabeDatum")));
        QCOMPARE(t.state(), DataSetState::Insert);
        QCOMPARE(t.field("AusgabeDatum").asDate(), QDate::currentDate());
        QCOMPARE(editChecks, 0);
    }
};

QTEST_MAIN(TestDatumWaehlen)
#include "tst_datumwaehlen.moc"
