#include "JourneyFixture.h"

#include "CursorModel.h"
#include "DbTreeLookupComboBox.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "LadderPages.h"
#include "DBTreeView.h"
#include "LeiterGrid.h"
#include "MainMenus.h"
#include "TVekPopUpControl.h"
#include "Table.h"

#include <QComboBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// Faults of the main window a user meets at the keyboard, each shown through keys and clicks
// and the stored rows.
class TestMainWindowInput : public QObject {
    Q_OBJECT

    static QString shownText(QWidget* control)
    {
        if (auto* c = qobject_cast<QComboBox*>(control))
            return c->currentText();
        if (auto* t = qobject_cast<TDbTreeLookupComboBox*>(control))
            return t->displayText();
        if (auto* e = qobject_cast<QLineEdit*>(control))
            return e->text();
        return QString();
    }

    static QString stateLabel(const Journey& j) { return j.w->okCancel()->LabelTableStatus->text(); }

private slots:
    // Typing into any bound control of "Allgemein" starts the edit; the change is saved into
    // the ladder it was typed for, and the next ladder shows its own value.
    void typingStartsTheEdit_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("short name") << "EditKurzBez" << "ABC" << "KurzBez" << QVariant("ABC");
        QTest::newRow("company") << "EditCoboFirmen" << "Bau AG" << "Firma" << QVariant("Bau AG");
        QTest::newRow("supplier") << "EditCoboLieferanten" << "Steigtechnik Ost" << "Lieferant" << QVariant("Steigtechnik Ost");
        QTest::newRow("external number") << "EditExtNrStr" << "X-77" << "ExNrBez" << QVariant("X-77");
        QTest::newRow("department by letters") << "EditCoboAbt" << "Halle S" << "FirmenAbtID" << QVariant(3);
        QTest::newRow("ladder kind by letters") << "EditLookUpArt" << "A" << "Art_ID" << QVariant(2);
    }
    void typingStartsTheEdit()
    {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QVariant, stored);
        Journey j;
        j.open();
        const QVariantMap before2 = j.ladder(2);
        j.clickLadder(1);
        QWidget* c = j.child(qPrintable(control));
        Journey::click(c);
        if (qobject_cast<TDbTreeLookupComboBox*>(c) || qobject_cast<TDBLookupComboBox*>(c))
            Journey::key(Qt::Key_Escape);       // a click opens its list
        QCOMPARE(QApplication::focusWidget(), c);
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type(typed);
        QCOMPARE(stateLabel(j), QString("Ändern"));
        QVERIFY(j.w->okCancel()->BOK->isEnabled());
        Journey::key(Qt::Key_Tab);
        Journey::click(j.w->okCancel()->BOK);
        QCOMPARE(stateLabel(j), QString());
        QCOMPARE(j.ladder(1).value(field).toString(), stored.toString());

        j.clickLadder(2);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 2);
        QCOMPARE(j.ladder(2), before2);
        const Field& f = j.w->leiter()->field(field == "FirmenAbtID" ? "FirmaAbteilung" : field);
        if (qobject_cast<QComboBox*>(c) && !qobject_cast<TDBComboBox*>(c))
            QCOMPARE(static_cast<QComboBox*>(c)->currentIndex(), -1);   // ladder 2 has no kind
        else
            QCOMPARE(shownText(c), f.asString());
    }
    // The row under the cursor vanished (another workstation deleted it): after the re-read the
    // cursor stands on the row the grid highlights, and "Löschen" deletes that one.
    void cursorFollowsTheHighlightAfterRereading_data()
    {
        QTest::addColumn<bool>("byEditing");
        QTest::newRow("window activated again") << false;
        QTest::newRow("edit of the vanished row") << true;
    }
    void cursorFollowsTheHighlightAfterRereading()
    {
        QFETCH(bool, byEditing);
        Journey j;
        j.open();
        j.dir.addAlias("ZWEITE");
        // Name order, so that positions and stored order differ.
        QHeaderView* header = j.w->grid()->horizontalHeader();
        const int kurzBez = j.w->grid()->cursorModel()->columnOf("KurzBez");
        Dialogs::scriptAnswer(true);
        Journey::click(header->viewport(), QPoint(header->sectionViewportPosition(kurzBez) + 5, header->height() / 2));
        QCOMPARE(j.w->leiter()->indexFieldNames(), QString("KurzBez"));
        j.clickLadder(1);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 1);
        {
            Table other("LT_LEIT");
            other.setAlias("ZWEITE");
            other.open();
            QVERIFY(other.locate("Nr", {1}));
            other.remove();
        }
        if (byEditing) {
            Journey::click(j.child("EditGewicht"));
            Journey::type("5");
            QVERIFY(Dialogs::shownTexts().join("|").contains("an einem anderen Arbeitsplatz gelöscht"));
        } else {
            QWidget elsewhere;
            elsewhere.show();
            elsewhere.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
            j.w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(j.w.get()));
        }
        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString());
        const QModelIndex highlighted = j.w->grid()->currentIndex();
        QVERIFY(highlighted.isValid());
        const int shownNr =
            j.w->grid()->model()->index(highlighted.row(), j.w->grid()->cursorModel()->columnOf("Nr")).data().toInt();
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), shownNr);

        Dialogs::scriptAnswer(true);
        Journey::click(j.w->BLoe);
        QVERIFY(j.ladder(shownNr).isEmpty());
        QCOMPARE(j.count("LT_LEIT"), 3);
    }

    // A click on the half-shown last row scrolls the grid under the mouse; the highlight must
    // stay on the ladder the cursor went to, and "Löschen" must delete exactly that one.
    void clickOnHalfShownRowKeepsHighlightOnCursor()
    {
        Journey j;
        for (int nr = 6; nr <= 30; ++nr)
            Journey::addRow("LT_LEIT", {{"Nr", nr}, {"KurzBez", QString("Leiter %1").arg(nr)}});
        j.open();
        TLeiterGrid* grid = j.w->grid();
        const int viewportHeight = grid->viewport()->height();
        int half = -1;
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            const QRect r = grid->visualRect(grid->model()->index(row, 1));
            if (r.top() < viewportHeight && r.bottom() >= viewportHeight) {
                half = row;
                break;
            }
        }
        QVERIFY2(half > 0, "no half-shown row at the grid's bottom");
        const QPoint pos = grid->visualRect(grid->model()->index(half, 1)).topLeft() + QPoint(4, 2);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, pos);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, pos);
        const int nrColumn = grid->cursorModel()->columnOf("Nr");
        const QModelIndexList selected = grid->selectionModel()->selectedRows(nrColumn);
        QCOMPARE(selected.size(), 1);
        const int cursorNr = j.w->leiter()->value("Nr").toInt();
        QCOMPARE(selected.first().data().toInt(), cursorNr);

        Dialogs::scriptAnswer(true);
        Journey::click(j.w->BLoe);
        QVERIFY(j.ladder(cursorNr).isEmpty());
        QCOMPARE(j.count("LT_LEIT"), 29);
    }

    // Enter on the delete question answers "Nein": the ladder stays.
    void enterDoesNotDelete()
    {
        Journey j;
        j.open();
        j.clickLadder(2);
        QString asked;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        answer.start(20);
        Dialogs::setTestMode(false);
        Journey::key(Qt::Key_Delete);
        Dialogs::setTestMode(true);
        answer.stop();
        QCOMPARE(asked, QString("Datensatz löschen ?"));
        QCOMPARE(j.count("LT_LEIT"), 5);
        QCOMPARE(j.ladder(2).value("KurzBez").toString(), QString("Anlegeleiter Holz"));
    }
    // A refused value leaves the user in its control, with the value there to correct, and is
    // refused once: the real error box takes the focus from the control it has just been given
    // back to, and that must not refuse the value a second time. A corrected value is then saved.
    void refusedValueKeepsTheFocus_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leaving");    // Tab, OK (click) or Enter
        QTest::addColumn<QString>("corrected");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        for (const char* leaving : {"Tab", "OK", "Enter"}) {
            QTest::addRow("letters in steps, %s", leaving)
                << "EditStufenAnzahl" << "abc" << leaving << "7" << "StufenAnzahl" << "7";
            QTest::addRow("no such number as length, %s", leaving)
                << "EditLaenge" << "2x5" << leaving << "2,5" << "Laenge" << "2.5";
            QTest::addRow("no such day, %s", leaving)
                << "EditAusgabeDatum" << "31022020" << leaving << "28022020" << "AusgabeDatum" << "2020-02-28";
        }
    }
    void refusedValueKeepsTheFocus()
    {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, leaving);
        QFETCH(QString, corrected);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        Journey j;
        j.open();
        j.clickLadder(2);
        auto* edit = static_cast<QLineEdit*>(j.child(qPrintable(control)));
        Journey::click(edit);
        Journey::key(Qt::Key_Home);
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type(typed);
        if (leaving == "OK")
            Journey::click(j.w->okCancel()->BOK);
        else
            Journey::key(leaving == "Tab" ? Qt::Key_Tab : Qt::Key_Return);
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown().first().kind, Dialogs::Kind::Error);
        QTRY_COMPARE(QApplication::focusWidget(), edit);

        // The box of the refusal, as the program shows it outside the test mode, takes the focus
        // and gives it back when answered.
        {
            QMessageBox box(QMessageBox::Critical, "Holmwacht", Dialogs::shown().first().text, QMessageBox::Ok, j.w.get());
            box.show();
            QApplication::setActiveWindow(&box);
            QVERIFY(QTest::qWaitForWindowActive(&box));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QApplication::setActiveWindow(j.w.get());
        QVERIFY(QTest::qWaitForWindowActive(j.w.get()));
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(Dialogs::shownTexts().size(), 1);
        QCOMPARE(edit->text().remove('_').remove('.'), typed);
        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString("Ändern"));
        QVERIFY(j.ladder(2).value(field).isNull());

        Journey::key(Qt::Key_Home);
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type(corrected);
        Journey::key(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString());
        QCOMPARE(j.ladder(2).value(field).toString(), stored);
    }

    // A text field takes no more characters than it holds: the user sees the limit while typing
    // and the stored text is the shown one.
    void textFieldsStopAtTheirSize_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("size");
        QTest::newRow("short name") << "EditKurzBez" << "KurzBez" << 30;
        QTest::newRow("external number") << "EditExtNrStr" << "ExNrBez" << 15;
        QTest::newRow("company") << "EditCoboFirmen" << "Firma" << 30;
        QTest::newRow("supplier") << "EditCoboLieferanten" << "Lieferant" << 30;
    }
    void textFieldsStopAtTheirSize()
    {
        QFETCH(QString, control);
        QFETCH(QString, field);
        QFETCH(int, size);
        Journey j;
        j.open();
        j.clickLadder(3);
        QWidget* c = j.child(qPrintable(control));
        Journey::click(c);
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        const QString typed = QString("0123456789").repeated(4);
        Journey::type(typed);
        QCOMPARE(shownText(c), typed.left(size));
        Journey::key(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString());
        QCOMPARE(j.ladder(3).value(field).toString(), typed.left(size));
    }

    // Digits typed into the grid open the index search with all of them, the caret after
    // them: neither the first nor the fast ones are lost.
    void indexSearchKeepsEveryDigit()
    {
        Journey j;
        for (int nr : {13, 24, 137})
            Journey::addRow("LT_LEIT", {{"Nr", nr}, {"KurzBez", QString("Leiter %1").arg(nr)}});
        j.open();
        QString shown;
        bool selected = true;
        // Typed at a person's pace: the dialog opens with the first digit, the others follow.
        Journey::onNextForm([&](QDialog* d) {
            auto* edit = d->findChild<QLineEdit*>("Edit");
            Journey::type("37");
            shown = edit->text();
            selected = edit->hasSelectedText();
            Journey::key(Qt::Key_Return);
        });
        Journey::key(Qt::Key_1);
        QCOMPARE(shown, QString("137"));
        QVERIFY(!selected);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 137);

        // Typed faster than the dialog opens: the keys wait in the queue of the grid.
        Journey::onNextForm([&](QDialog* d) {
            shown = d->findChild<QLineEdit*>("Edit")->text();
            Journey::key(Qt::Key_Return);
        });
        QWidget* grid = j.w->grid();
        for (const char* c : {"2", "4"}) {
            QCoreApplication::postEvent(grid, new QKeyEvent(QEvent::KeyPress, Qt::Key_0 + QString(c).toInt(), Qt::NoModifier, c));
            QCoreApplication::postEvent(grid, new QKeyEvent(QEvent::KeyRelease, Qt::Key_0 + QString(c).toInt(), Qt::NoModifier, c));
        }
        QTRY_COMPARE(shown, QString("24"));
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 24);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }
    // With the marks condition on, unmarking a ladder takes it out of the grid at once, the
    // counter follows, and the cursor stands on the ladder now in its place.
    void unmarkingHidesTheRow()
    {
        Journey j;
        j.open();
        j.clickLadder(1);
        for (int i = 0; i < 3; ++i)
            Journey::key(Qt::Key_Space);       // marks 1, 2, 3
        TVekPopUpControl* marks = j.w->VekPopUpControl1;
        Journey::click(marks, QPoint(marks->width() - 6, marks->height() / 2));
        Journey::clickMenuEntry(j.w->menus()->LtPopupMark, j.w->menus()->action("ActMarkToFilter"));
        QCOMPARE(j.w->grid()->model()->rowCount(), 3);
        QCOMPARE(j.w->statusPanel(2)->text(), QString(" 3 gefiltert "));

        j.clickLadder(2);
        Journey::key(Qt::Key_Space);
        QCOMPARE(j.rowOfNr(2), -1);
        QCOMPARE(j.w->grid()->model()->rowCount(), 2);
        QCOMPARE(j.w->statusPanel(2)->text(), QString(" 2 gefiltert "));
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 3);
        QCOMPARE(j.w->grid()->currentIndex().row(), j.rowOfNr(3));

        Dialogs::scriptAnswer(true);
        Journey::key(Qt::Key_Delete);
        QVERIFY(j.ladder(3).isEmpty());
        QCOMPARE(j.count("LT_LEIT"), 4);
    }

    // The department filter answers from the tree as it is after F5, not from the tree it
    // was set on (another workstation moved a department to another company meanwhile).
    void departmentFilterFollowsTheTree()
    {
        Journey j;
        j.open();
        j.dir.addAlias("ZWEITE");
        TDbTreeLookupComboBox* box = j.w->DbFilterAbt;
        Journey::click(box);
        TDBTreeView* tree = box->treeView();
        QTRY_VERIFY(tree->isVisible());
        QTreeWidgetItem* muster = tree->findItems("Muster GmbH", Qt::MatchExactly | Qt::MatchRecursive).value(0);
        QVERIFY(muster);
        Journey::click(tree->viewport(), tree->visualItemRect(muster).center());
        QCOMPARE(j.w->grid()->model()->rowCount(), 1);
        QCOMPARE(j.rowOfNr(1), 0);
        {
            Table other("FIRMEN");
            other.setAlias("ZWEITE");
            other.open();
            QVERIFY(other.locate("ID", {2}));
            other.edit();
            other.setValue("ParentID", 4);
            other.post();
        }
        j.w->grid()->setFocus();
        Journey::key(Qt::Key_F5);
        QCOMPARE(j.w->grid()->model()->rowCount(), 0);
        QCOMPARE(j.w->statusPanel(2)->text(), QString(" 0 gefiltert "));
        QCOMPARE(j.scalar("SELECT ParentID FROM FIRMEN WHERE ID = 2").toInt(), 4);
    }
    // A department renamed in the tree editor: its in-place edit stops at the field size too.
    void departmentNameStopsAtItsSize()
    {
        Journey j;
        j.open();
        const QString typed = QString("0123456789").repeated(4);
        QString shown;
        Journey::onNextForm([&](QDialog* d) {
            auto* tree = d->findChild<TDBTreeView*>("DBTreeViewDetail");
            QTreeWidgetItem* lager = tree->findItems("Lager", Qt::MatchExactly | Qt::MatchRecursive).value(0);
            QVERIFY(lager);
            tree->scrollToItem(lager);
            Journey::click(tree->viewport(), tree->visualItemRect(lager).center());
            Journey::key(Qt::Key_F2);
            Journey::key(Qt::Key_A, Qt::ControlModifier);
            Journey::type(typed);
            if (auto* e = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
                shown = e->text();
            Journey::key(Qt::Key_Return);
            Journey::click(d->findChild<QWidget*>("BEnde"));
        });
        Journey::key(Qt::Key_F11);
        QCOMPARE(shown, typed.left(30));
        QCOMPARE(j.scalar("SELECT KurzBez FROM FIRMEN WHERE ID = 5").toString(), typed.left(30));
    }
    // A kind renamed by another workstation while the ladder stays: once its list is read
    // again, the box shows the new name without the ladder being left.
    void kindRenamedElsewhereShowsInTheBox()
    {
        Journey j;
        const auto write = [](const QString& table, qint64 id, const QString& field, const QVariant& value) {
            Table other(table);
            other.open();
            QVERIFY(other.findKey({id}));
            other.edit();
            other.setValue(field, value);
            other.post();
        };
        write(QStringLiteral("LT_LEIT"), 1, QStringLiteral("Art_ID"), 1);
        j.open();
        j.clickLadder(1);
        auto* kind = qobject_cast<QComboBox*>(j.child("EditLookUpArt"));
        QVERIFY(kind);
        QCOMPARE(kind->currentText(), QString("Stehleiter"));
        write(QStringLiteral("LARTEN"), 1, QStringLiteral("KurzBez"), QStringLiteral("Stehleiter neu"));
        j.dm->SLeiterArten->refreshIfChanged();
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 1);
        QCOMPARE(kind->currentText(), QString("Stehleiter neu"));
    }
};

QTEST_MAIN(TestMainWindowInput)
#include "tst_mainwindow_input.moc"
