#include "JourneyFixture.h"

#include "DataControls.h"
#include "Dialogs.h"
#include "FaelligePruefungen.h"
#include "LadderPages.h"
#include "LeiterGrid.h"
#include "MainMenus.h"
#include "TVekPopUpControl.h"
#include "Table.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

// Leaving a ladder while a change is typed but not yet saved: whichever way the user leaves it
// and whichever control the text was typed in, the change is stored as "OK" stores it, or the
// way is refused with the field's message and the ladder stays in edit; the ways that are shut
// while a ladder is edited leave the typed text where it is.
class TestJourneysVerlassen : public QObject {
    Q_OBJECT

    // Before the edit: what a way needs (a mark on ladder 4, a filter to clear).
    static void prepare(Journey& j, const QString& path)
    {
        if (path == "Markieren: nächste Markierung") {
            j.clickLadder(4);
            Journey::key(Qt::Key_Space);
        } else if (path == "Alle Filter löschen") {
            j.clickLadder(1);
            j.w->menus()->action("LtPopFilterAktAbt")->trigger();
            QCOMPARE(j.w->grid()->model()->rowCount(), 1);
        }
    }

    // Leaves the edited ladder 1 by one of the ways a user has.
    static void leave(Journey& j, const QString& path)
    {
        if (path == "Firma/Abteilg.") {
            Journey::click(j.child("DbFilterAbt"));
            Journey::type("Muster");
            Journey::key(Qt::Key_Return);
        } else if (path == "Alle Filter löschen") {
            Journey::click(j.w->BFilterLoe);
        } else if (path == "Markieren: nächste Markierung") {
            auto* b = j.w->VekPopUpControl1;
            Journey::click(b, QPoint(b->width() - 6, b->height() / 2));
            Journey::clickMenuEntry(j.w->menus()->LtPopupMark, j.w->menus()->action("ActMarkFindNext"));
        } else if (path == "F5") {
            Journey::key(Qt::Key_F5);
        } else if (path == "Prüfungsübersicht") {
            Journey::click(j.w->tabSet(), j.w->tabSet()->tabRect(2).center());
        } else if (path == "Listen (Strg+P)") {
            Journey::onNextForm([](QDialog*) { Journey::key(Qt::Key_Escape); });
            Journey::key(Qt::Key_P, Qt::ControlModifier);
        } else if (path == "Stammdaten Lieferanten") {
            Journey::onNextForm([](QDialog* d) { Journey::click(d->findChild<QWidget*>("BEnde")); });
            j.w->menus()->action("MLieferanten")->trigger();
        } else if (path == "Fällige Prüfungen: zur Leiter") {
            // Ladders without a due date come last in number order: 4 is the last but one.
            Journey::key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
            auto* liste = j.w->findChild<TFaelligePruefungen*>("FaelligePruefungen");
            QVERIFY(liste);
            QTRY_VERIFY(liste->GridFaellig->hasFocus());
            Journey::key(Qt::Key_End, Qt::ControlModifier);
            Journey::key(Qt::Key_Up);
            Journey::key(Qt::Key_Return);
        } else if (path == "Daten übernehmen" || path == "Datensicherung zurückladen") {
            // The file dialog cancelled: the guard has run before it.
            Dialogs::scriptCancel();
            auto* entry = j.w->findChild<QAction*>(path == "Daten übernehmen" ? "MDateiUebernahme" : "MDateiZurueckladen");
            QVERIFY(entry);
            QMenuBar* bar = j.w->menuBar();
            Journey::click(bar, bar->actionGeometry(j.w->menus()->MDatei->menuAction()).center());
            Journey::clickMenuEntry(j.w->menus()->MDatei, entry);
        } else if (path == "Datensicherung") {
            // The file dialog cancelled: the copy would have held the stored ladder.
            Dialogs::scriptCancel();
            QMenuBar* bar = j.w->menuBar();
            Journey::click(bar, bar->actionGeometry(j.w->menus()->MDatei->menuAction()).center());
            Journey::clickMenuEntry(j.w->menus()->MDatei, j.w->findChild<QAction*>("MDateiSicherung"));
        } else if (path.startsWith("Export: ")) {
            // Datei > Export nach Excel / CSV > the entry; the file dialog cancelled.
            Dialogs::scriptCancel();
            const char* name = path.endsWith("Leiterliste") ? "ActExportLeiter"
                : path.endsWith("Prüfungen")               ? "ActExportPruefungen"
                                                            : "ActExportFaellig";
            auto* exp = j.w->findChild<QMenu*>("MDateiExport");
            auto* entry = j.w->findChild<QAction*>(name);
            QVERIFY(exp && entry);
            QMenu* datei = j.w->menus()->MDatei;
            QMenuBar* bar = j.w->menuBar();
            Journey::click(bar, bar->actionGeometry(datei->menuAction()).center());
            QTRY_VERIFY(datei->isVisible());
            QTest::mouseClick(datei, Qt::LeftButton, Qt::NoModifier, datei->actionGeometry(exp->menuAction()).center());
            Journey::clickMenuEntry(exp, entry);
            QTRY_VERIFY(!datei->isVisible());
        } else if (path == "Etiketten drucken (Datei)") {
            // The labels are made from the stored rows: the ladder is saved before the window opens.
            Journey::onNextForm([&j](QDialog*) {
                QVERIFY(!j.w->leiter()->isEditing());
                Journey::key(Qt::Key_Escape);
            });
            QMenuBar* bar = j.w->menuBar();
            Journey::click(bar, bar->actionGeometry(j.w->menus()->MDatei->menuAction()).center());
            Journey::clickMenuEntry(j.w->menus()->MDatei, j.w->findChild<QAction*>("MDateiEtiketten"));
        } else if (path == "Etiketten drucken (Pop-up)") {
            // The grid is shut while a ladder is edited: its pop-up stays closed.
            QWidget* vp = j.w->grid()->viewport();
            QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(20, 20), vp->mapToGlobal(QPoint(20, 20)));
            QApplication::sendEvent(vp, &ev);
            QVERIFY(!j.w->menus()->LtPopupMenu->isVisible());
        } else if (path == "Strg+F, 4") {
            Dialogs::scriptText("4");
            Journey::key(Qt::Key_F, Qt::ControlModifier);
        } else if (path == "Strg+Alt+F") {
            Dialogs::scriptCancel();
            Journey::key(Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
        } else if (path == "F8" || path == "F9") {
            Journey::onNextForm([](QDialog*) { Journey::key(Qt::Key_Escape); });
            Journey::key(path == "F8" ? Qt::Key_F8 : Qt::Key_F9);
        } else if (path == "Klick ins Gitter") {
            j.clickLadder(4);
        } else if (path == "Navigator: nächster") {
            Journey::click(j.w->Nav->button(TDBNavigator::nbNext));
        } else if (path == "Beenden, Nein") {
            Dialogs::scriptAnswer(false);
            Journey::click(j.w->BEnde);
        } else {
            QFAIL(qPrintable("unknown path " + path));
        }
    }

    // Types into one control of ladder 1 (which puts the ladder into edit).
    static void typeInto(Journey& j, const QString& control, const QString& typed)
    {
        Journey::click(j.child(qPrintable(control)));
        if (control.endsWith("Datum")) {
            Journey::key(Qt::Key_Home);
        } else {
            Journey::key(Qt::Key_A, Qt::ControlModifier);
        }
        Journey::type(typed);
    }

    static void controls()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
    }

    static void addControls(const QString& path, const QVariantList& extra)
    {
        const QList<QStringList> kinds{{"EditKurzBez", "KurzBez", "Neu getippt", "Neu getippt"},
                                       {"EditCoboFirmen", "Firma", "Bau AG", "Bau AG"},
                                       {"EditExtNrStr", "ExNrBez", "X-77", "X-77"},
                                       {"EditAusgabeDatum", "AusgabeDatum", "15032024", "2024-03-15"}};
        for (const QStringList& k : kinds) {
            auto& row = QTest::addRow("%s, %s", qPrintable(path), qPrintable(k[0]));
            row << path << k[0] << k[1] << k[2] << k[3];
            for (const QVariant& v : extra)
                row << v.toInt();
        }
    }

private slots:
    void init() { resetDialogsForTest(); }

    // Ways open while a ladder is edited: the typed text is stored first, then the way is gone.
    void leavingStoresTypedText_data()
    {
        QTest::addColumn<QString>("path");
        controls();
        QTest::addColumn<int>("endsOn");
        const QList<std::pair<QString, int>> paths{{"Firma/Abteilg.", 1},
                                                   {"Alle Filter löschen", 1},
                                                   {"Markieren: nächste Markierung", 4},
                                                   {"F5", 1},
                                                   {"Prüfungsübersicht", 1},
                                                   {"Listen (Strg+P)", 1},
                                                   {"Stammdaten Lieferanten", 1},
                                                   {"Fällige Prüfungen: zur Leiter", 4},
                                                   {"Strg+F, 4", 4},
                                                   {"Strg+Alt+F", 1},
                                                   {"F8", 1},
                                                   {"F9", 1},
                                                   {"Daten übernehmen", 1},
                                                   {"Datensicherung zurückladen", 1},
                                                   {"Etiketten drucken (Datei)", 1},
                                                   {"Datensicherung", 1},
                                                   {"Export: Leiterliste", 1},
                                                   {"Export: Prüfungen", 1},
                                                   {"Export: Fällige Prüfungen", 1}};
        for (const auto& p : paths)
            addControls(p.first, {p.second});
    }

    void leavingStoresTypedText()
    {
        QFETCH(QString, path);
        QFETCH(QString, control);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(int, endsOn);
        Journey j;
        j.open();
        const QVariantMap before4 = j.ladder(4);
        prepare(j, path);
        j.clickLadder(1);
        typeInto(j, control, typed);
        QVERIFY(j.w->leiter()->isEditing());
        leave(j, path);
        QCOMPARE(j.ladder(1).value(field).toString(), stored);
        QVERIFY(!j.w->leiter()->isEditing());
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), endsOn);
        QCOMPARE(j.ladder(4), before4);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // Ways shut while a ladder is edited (the grid and its pop-up, the navigator) and "Ende"
    // answered "Nein": nothing moves, the typed text stays in its control, and "OK" stores it.
    void shutWaysKeepTypedText_data()
    {
        QTest::addColumn<QString>("path");
        controls();
        for (const QString& p : {"Klick ins Gitter", "Navigator: nächster", "Beenden, Nein", "Etiketten drucken (Pop-up)"})
            addControls(p, {});
    }

    void shutWaysKeepTypedText()
    {
        QFETCH(QString, path);
        QFETCH(QString, control);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        Journey j;
        j.open();
        const QVariantMap before1 = j.ladder(1);
        // The row to click is one the user sees (the grid keeps its rows while a ladder is edited).
        if (path == "Klick ins Gitter")
            QTRY_VERIFY_WITH_TIMEOUT(j.rowOfNr(4) >= 0, 10000);
        j.clickLadder(1);
        typeInto(j, control, typed);
        leave(j, path);
        QVERIFY(j.w->isVisible());
        QVERIFY(j.w->leiter()->isEditing());
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 1);
        QCOMPARE(j.ladder(1), before1);
        Journey::click(j.w->okCancel()->BOK);
        QCOMPARE(j.ladder(1).value(field).toString(), stored);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // A value the ladder refuses: the way is refused with the field's message, the ladder stays
    // in edit where it was, nothing is stored and the filter is as it was.
    void refusedValueKeepsLadder_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& p : {"Firma/Abteilg.", "Alle Filter löschen", "Markieren: nächste Markierung", "F5",
                                 "Prüfungsübersicht", "Listen (Strg+P)", "Stammdaten Lieferanten",
                                 "Fällige Prüfungen: zur Leiter", "Strg+F, 4", "Strg+Alt+F", "F8", "F9", "Daten übernehmen",
                                 "Datensicherung zurückladen", "Etiketten drucken (Datei)", "Datensicherung",
                                 "Export: Leiterliste", "Export: Prüfungen", "Export: Fällige Prüfungen"})
            QTest::newRow(qPrintable(p)) << p;
    }

    void refusedValueKeepsLadder()
    {
        QFETCH(QString, path);
        Journey j;
        j.open();
        prepare(j, path);
        const int rowsBefore = j.w->grid()->model()->rowCount();
        const QVariantMap before1 = j.ladder(1);
        const QVariantMap before2 = j.ladder(2);
        j.clickLadder(1);
        typeInto(j, "EditNr", "2");
        Dialogs::scriptAnswer(true);
        const bool opensForm = path == "Listen (Strg+P)" || path == "Stammdaten Lieferanten" || path == "F8" || path == "F9"
            || path == "Etiketten drucken (Datei)";
        if (opensForm)
            Journey::onNextForm([](QDialog*) { QFAIL("the window opened although the ladder was refused"); });
        if (path == "Firma/Abteilg.")
            Journey::click(j.child("DbFilterAbt"));   // the number is refused as the field is left
        else
            leave(j, path);
        if (opensForm)
            Dialogs::setFormHook({});
        QVERIFY2(Dialogs::shownTexts().contains("LeiterNr 2 schon vorhanden"), qPrintable(Dialogs::shownTexts().join('|')));
        for (const Dialogs::Shown& s : Dialogs::shown())
            QVERIFY2(s.kind != Dialogs::Kind::OpenFile && s.kind != Dialogs::Kind::SaveFile && s.kind != Dialogs::Kind::Input,
                     "a dialog of the way opened although the ladder was refused");
        QVERIFY(j.w->leiter()->isEditing());
        QCOMPARE(j.w->leiter()->value("ID").toInt(), 1);
        QCOMPARE(j.ladder(1), before1);
        QCOMPARE(j.ladder(2), before2);
        QCOMPARE(j.w->grid()->model()->rowCount(), rowsBefore);
        QCOMPARE(j.w->notebook()->currentIndex(), int(TLeiterVerw::PageAllgemein));
        QCOMPARE(j.w->tabSet()->currentIndex(), 0);
        // The number put right, the ladder saves.
        if (auto* liste = j.w->findChild<TFaelligePruefungen*>("FaelligePruefungen"))
            liste->close();                           // back in the main window
        j.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(j.w.get()));
        typeInto(j, "EditNr", "9");
        Journey::click(j.w->okCancel()->BOK);
        QVERIFY2(Dialogs::unscriptedCount() == 0, qPrintable(Dialogs::shownTexts().join('|')));
        QCOMPARE(j.ladder(9).value("KurzBez").toString(), QString("Stehleiter Alu"));
    }

    // A department filter chosen while a ladder is edited: the change is stored first, and the
    // rows shown are the stored rows, each once, under the filter and after "Alle Filter löschen".
    void filterChangeDuringEdit()
    {
        Journey j;
        for (int nr = 6; nr <= 8; ++nr)
            Journey::addRow("LT_LEIT", {{"Nr", nr}, {"KurzBez", QString("Leiter %1").arg(nr)}, {"FirmenAbtID", nr == 8 ? 5 : 3}});
        j.open();
        j.clickLadder(6);
        typeInto(j, "EditKurzBez", "Anlegeleiter neu");
        Journey::click(j.child("DbFilterAbt"));
        Journey::type("Muster");
        Journey::key(Qt::Key_Return);
        QCOMPARE(j.ladder(6).value("KurzBez").toString(), QString("Anlegeleiter neu"));

        // What the grid shows, as "Nr KurzBez" lines in grid order.
        Table* t = j.w->leiter();
        auto shown = [&] {
            QStringList out;
            for (int row = 0; row < j.w->grid()->model()->rowCount(); ++row)
                out << t->valueAt(row, t->field("Nr").index()).toString() + " " + t->valueAt(row, t->field("KurzBez").index()).toString();
            return out;
        };
        auto stored = [&](const QString& where) {
            QStringList out;
            for (const QVariantMap& r : j.rows("SELECT Nr, KurzBez FROM LT_LEIT " + where + " ORDER BY Nr"))
                out << r.value("Nr").toString() + " " + r.value("KurzBez").toString();
            return out;
        };
        QCOMPARE(shown(), stored("WHERE FirmenAbtID IN (1, 2, 3)"));
        QCOMPARE(j.w->statusPanel(2)->text(), QString(" 3 gefiltert "));

        Journey::click(j.w->BFilterLoe);
        QCOMPARE(shown(), stored(QString()));
    }

    // "Ende" with a change typed: the question's default is "Nein", so Enter on the real message
    // box keeps the program open and the change, which "OK" then stores.
    void quitQuestionEnterKeepsTheChange()
    {
        Journey j;
        j.open();
        j.clickLadder(1);
        typeInto(j, "EditKurzBez", "Neu getippt");
        QString asked;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            answer.stop();
            asked = box->text();
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, Qt::Key_Return);
        });
        answer.start(20);
        Dialogs::setTestMode(false);
        Journey::click(j.w->BEnde);
        Dialogs::setTestMode(true);
        answer.stop();
        QCOMPARE(asked, QString("Programm beenden?\nDaten noch nicht gespeichert"));
        QVERIFY(j.w->isVisible());
        QVERIFY(j.w->leiter()->isEditing());
        Journey::click(j.w->okCancel()->BOK);
        QCOMPARE(j.ladder(1).value("KurzBez").toString(), QString("Neu getippt"));
    }

    // Text pasted with a line break and a tab into one-line fields is stored as shown: spaces.
    void pastedControlCharactersBecomeSpaces_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("field");
        QTest::newRow("combo box KurzBez") << "EditKurzBez" << "KurzBez";
        QTest::newRow("combo box Lieferant") << "EditCoboLieferanten" << "Lieferant";
        QTest::newRow("line edit") << "EditExtNrStr" << "ExNrBez";
    }

    void pastedControlCharactersBecomeSpaces()
    {
        QFETCH(QString, control);
        QFETCH(QString, field);
        Journey j;
        j.open();
        j.clickLadder(3);
        Journey::click(j.child(qPrintable(control)));
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        QApplication::clipboard()->setText("Eins\nzwei\tdrei");
        Journey::key(Qt::Key_V, Qt::ControlModifier);
        Journey::key(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(j.ladder(3).value(field).toString(), QString("Eins zwei drei"));
    }
};

QTEST_MAIN(TestJourneysVerlassen)
#include "tst_journeys_verlassen.moc"
