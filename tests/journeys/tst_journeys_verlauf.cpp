#include "Dialogs.h"
#include "Engine.h"
#include "Verlauf.h"
#include "JourneyFixture.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "LadderPages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTableWidget>
#include <QtTest>

// The change history as the office uses it: a ladder edited by keys, its "Änderungsverlauf"
// from the grid's pop-up and the ladder page, a deleted ladder found by its number, and
// "Verlauf prüfen" in Extras.
class TestJourneysVerlauf : public QObject {
    Q_OBJECT

    // The lines of the history window: "Feld|alt|neu|Benutzer|Aktion|Bereich".
    static QStringList lines(QDialog* d)
    {
        auto* g = d->findChild<QTableWidget*>("GridVerlauf");
        QStringList out;
        for (int r = 0; r < g->rowCount(); ++r)
            out << QStringList({g->item(r, 5)->text(), g->item(r, 6)->text(), g->item(r, 7)->text(), g->item(r, 1)->text(),
                                g->item(r, 4)->text(), g->item(r, 3)->text()})
                       .join("|");
        return out;
    }

    static void openGridPopup(Journey& j)
    {
        QWidget* vp = j.w->grid()->viewport();
        QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(20, 20), vp->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(vp, &ev);
    }

private slots:
    void init() { resetDialogsForTest(); }
    void cleanup() { Engine::instance().setUserName(QString()); }

    void editedLadderShowsInItsHistory()
    {
        Journey j;
        j.open();
        Engine::instance().setUserName("Meier");
        j.clickLadder(1);
        Journey::click(j.child("EditKurzBez"));
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("Stehleiter neu");
        Journey::click(j.child("EditGewicht"));
        Journey::type("8,5");
        Journey::click(j.w->okCancel()->BOK);
        QCOMPARE(j.ladder(1).value("LAendName").toString(), QString("Meier"));

        QStringList shown, filtered;
        Journey::onNextForm([&](QDialog* d) {
            QCOMPARE(d->findChild<QLabel*>("LabLeiter")->text(), QString("Leiter 1 - Stehleiter neu"));
            shown = lines(d);
            Journey::click(d->findChild<QCheckBox*>("CBZeitraum"));
            // A period that ended yesterday (last month on the first) shows nothing.
            auto* bis = d->findChild<QDateEdit*>("EditBis");
            Journey::click(bis);
            const bool first = QDate::currentDate().day() == 1;
            bis->setCurrentSection(first ? QDateTimeEdit::MonthSection : QDateTimeEdit::DaySection);
            Journey::key(Qt::Key_Down);
            QTRY_VERIFY(bis->date() < QDate::currentDate());
            filtered = lines(d);
            Journey::click(d->findChild<QPushButton*>("BSchliessen"));
        });
        openGridPopup(j);
        Journey::clickMenuEntry(j.w->menus()->LtPopupMenu, j.w->findChild<QAction*>("LtPopVerlauf"));
        QVERIFY(shown.size() >= 2);
        // Newest first: the two fields of this save, with the user logged in.
        QCOMPARE(shown.mid(0, 2), QStringList({"Kurz.-Bezeichnung|Stehleiter Alu|Stehleiter neu|Meier|geändert|Leiter 1",
                                               "Gew. (kg)||8,50|Meier|geändert|Leiter 1"}));
        QVERIFY(filtered.isEmpty());

        // The ladder page's button opens the same window; "Exportieren ..." writes its lines.
        bool opened = false;
        const QString csv = j.programDir.path() + "/verlauf.csv";
        Journey::onNextForm([&](QDialog* d) {
            opened = d->objectName() == "TVerlaufForm";
            Dialogs::scriptText(csv);
            Dialogs::scriptAnswer(true);
            Journey::click(d->findChild<QPushButton*>("BExport"));
            Journey::click(d->findChild<QPushButton*>("BSchliessen"));
        });
        Journey::click(j.child("BVerlauf"));
        QVERIFY(opened);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY2(text.contains("Kurz.-Bezeichnung;Stehleiter Alu;Stehleiter neu"), qPrintable(text.left(400)));
    }

    void deletedLadderFoundByItsNumber()
    {
        Journey j;
        j.open();
        j.clickLadder(5);
        Dialogs::scriptAnswer(true);
        Journey::key(Qt::Key_Delete);
        QVERIFY(j.ladder(5).isEmpty());
        QStringList shown;
        Journey::onNextForm([&](QDialog* d) {
            shown = lines(d);
            Journey::click(d->findChild<QPushButton*>("BSchliessen"));
        });
        Dialogs::scriptText("5");
        QAction* nr = j.w->findChild<QAction*>("MExVerlaufNr");
        QVERIFY(nr && nr->isEnabled());
        nr->trigger();
        QVERIFY2(shown.contains("Kurz.-Bezeichnung|Stehleiter Holz||" + Verlauf::benutzer() + "|gelöscht|Leiter 5"),
                 qPrintable(shown.join("\n")));
    }

    void checkInExtrasNamesATamperedRow()
    {
        Journey j;
        j.open();
        j.clickLadder(2);
        Journey::click(j.child("EditKurzBez"));
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("Anlegeleiter lang");
        Journey::click(j.w->okCancel()->BOK);
        const int n = j.count("LT_VERLAUF");
        QVERIFY(n > 0);
        QAction* check = j.w->findChild<QAction*>("MExVerlaufPruefen");
        check->trigger();
        QCOMPARE(Dialogs::shown().last().text, QString("Alle %1 Einträge des Änderungsverlaufs sind intakt.").arg(n));

        QProcess p;
        p.start("sqlite3", {j.dir.path() + "/tarvino.sqlite",
                            QString("UPDATE LT_VERLAUF SET Neu = 'Stehleiter' WHERE ID = %1").arg(n)});
        QVERIFY(p.waitForFinished(30000));
        check->trigger();
        QVERIFY2(Dialogs::shown().last().text.contains(QString("Eintrag Nr. %1 ").arg(n))
                     && Dialogs::shown().last().text.contains("verändert"),
                 qPrintable(Dialogs::shown().last().text));
    }
};

QTEST_MAIN(TestJourneysVerlauf)
#include "tst_journeys_verlauf.moc"
