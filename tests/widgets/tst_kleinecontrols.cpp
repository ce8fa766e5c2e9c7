#include "DataControls.h"
#include "Dialogs.h"
#include "EingabeDialog.h"
#include "ItemsDialog.h"
#include "ListenDialog.h"
#include "TVekPopUpControl.h"
#include "TestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

class TestKleineControls : public QObject {
    Q_OBJECT

private slots:
    void init() { resetDialogsForTest(); }

    // Geometry of the drop-down button: the arrow at the right edge with full height, the main
    // button filling the rest, or everything when the arrow is hidden.
    void popUpControlGeometry()
    {
        QWidget host;
        TVekPopUpControl c(&host);
        QCOMPARE(c.size(), QSize(120, 24));
        QCOMPARE(c.PopUpWidth(), 18);
        QCOMPARE(c.arrowButton()->geometry(), QRect(102, 0, 18, 24));
        QCOMPARE(c.mainButton()->geometry(), QRect(0, 0, 102, 24));
        c.setSpace(4);
        c.setPopUpWidth(16);
        QCOMPARE(c.mainButton()->width(), 100);
        QCOMPARE(c.arrowButton()->geometry(), QRect(104, 0, 16, 24));
        c.setPopUpVisible(false);
        QCOMPARE(c.mainButton()->geometry(), QRect(0, 0, 120, 24));
        QVERIFY(!c.arrowButton()->isVisibleTo(&c));
        c.setEnabled(false);
        QVERIFY(!c.mainButton()->isEnabled());
    }

    void popUpPlace()
    {
        QWidget host;
        host.resize(300, 200);
        TVekPopUpControl c(&host);
        c.move(20, 30);
        host.show();
        QCOMPARE(c.popupPosition(), c.mapToGlobal(QPoint(-1, 24)));
        c.setPopUpPlace(TVekPopUpControl::ppRight);
        QCOMPARE(c.popupPosition(), c.mapToGlobal(QPoint(120, -1)));
    }

    // A click on the main button does the first rule that applies.
    void mainButtonRules_data()
    {
        QTest::addColumn<bool>("buttonPopUp");
        QTest::addColumn<bool>("withAction");
        QTest::addColumn<bool>("defaultPopUp");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ButtonPopUp first") << true << true << true << "menu";
        QTest::newRow("action before default entry") << false << true << true << "action";
        QTest::newRow("default entry") << false << false << true << "default";
        QTest::newRow("OnButtonClick") << false << false << false << "click";
    }

    void mainButtonRules()
    {
        QFETCH(bool, buttonPopUp);
        QFETCH(bool, withAction);
        QFETCH(bool, defaultPopUp);
        QFETCH(QString, expected);
        QWidget host;
        host.resize(300, 200);
        TVekPopUpControl c(&host);
        QMenu menu(&host);
        QStringList log;
        QAction* first = menu.addAction("erste");
        QAction* def = menu.addAction("vorgabe");
        menu.setDefaultAction(def);
        connect(first, &QAction::triggered, [&] { log << "first"; });
        connect(def, &QAction::triggered, [&] { log << "default"; });
        QAction action("aktion");
        connect(&action, &QAction::triggered, [&] { log << "action"; });
        c.setPopupMenu(&menu);
        c.setButtonPopUp(buttonPopUp);
        c.setButtonDefaultPopUp(defaultPopUp);
        if (withAction)
            c.setButtonAction(&action);
        c.OnButtonClick = [&] { log << "click"; };
        host.show();
        QTest::mouseClick(c.mainButton(), Qt::LeftButton);
        if (expected == "menu") {
            QVERIFY(menu.isVisible());
            QCOMPARE(menu.pos(), c.popupPosition());
            QVERIFY(log.isEmpty());
            menu.hide();
        } else {
            QVERIFY(!menu.isVisible());
            QCOMPARE(log, QStringList{expected});
        }
        // The arrow always opens the menu.
        log.clear();
        QTest::mouseClick(c.arrowButton(), Qt::LeftButton);
        QVERIFY(menu.isVisible());
        QVERIFY(log.isEmpty());
        menu.hide();
    }

    // The list dialog: memo at least 285 wide or 25 wider than the widest line, client 20 wider,
    // buttons 77 x 27 ten apart and centred, 10 pixels below the memo and above the bottom.
    void listenDialogLayout()
    {
        int result = -1;
        QStringList longLines{"kurz", QString(120, QChar('W'))};
        Dialogs::setFormHook([&](QDialog* d) {
            auto* dlg = qobject_cast<TListenDialog*>(d);
            [&] {
            const QRect memo = dlg->memo()->geometry();
            const QRect ok = dlg->okButton()->geometry();
            const QRect cancel = dlg->cancelButton()->geometry();
            QCOMPARE(dlg->windowTitle(), QString("Benutzer"));
            QCOMPARE(dlg->label()->text(), QString("zur Zeit : 2 - Benutzer"));
            QCOMPARE(dlg->label()->pos(), QPoint(10, 10));
            QCOMPARE(memo.top(), dlg->label()->geometry().bottom() + 1 + 5);
            QCOMPARE(memo.height(), 100);
            const int widest = QFontMetrics(dlg->font()).horizontalAdvance(longLines[1]);
            QCOMPARE(memo.width(), qMax(285, widest + 25));
            QCOMPARE(dlg->width(), memo.width() + 20);
            QCOMPARE(ok.size(), QSize(77, 27));
            QCOMPARE(cancel.size(), QSize(77, 27));
            QCOMPARE(cancel.left() - ok.right() - 1, 10);
            QVERIFY(qAbs(ok.left() - (dlg->width() - cancel.right() - 1)) <= 1);
            QCOMPARE(ok.top(), memo.bottom() + 1 + 10);
            QCOMPARE(dlg->height(), ok.bottom() + 1 + 10);
            QVERIFY(dlg->memo()->isReadOnly());
            QCOMPARE(dlg->memo()->toPlainText(), longLines.join('\n'));
            QVERIFY(dlg->font().bold());
            result = 1;
            }();
            return int(QDialog::Accepted);
        });
        QVERIFY(ListenDialog("Benutzer", "zur Zeit : 2 - Benutzer", longLines));
        QCOMPARE(result, 1);
        // Short lines: the memo keeps its least width.
        Dialogs::setFormHook([](QDialog* d) {
            auto* dlg = qobject_cast<TListenDialog*>(d);
            [&] { QCOMPARE(dlg->memo()->width(), 285); }();
            return int(QDialog::Rejected);
        });
        QVERIFY(!ListenDialog("Benutzer", "x", {"a"}));
    }

    // The input dialog: OK gives the edited text, Cancel leaves it; fixed width 280.
    void eingabeDialog()
    {
        Dialogs::setFormHook([](QDialog* d) {
            auto* dlg = qobject_cast<TEingabeDialog*>(d);
            [&] {
                QCOMPARE(dlg->width(), 280);
                QCOMPARE(dlg->edit()->text(), QString("7"));
                QCOMPARE(dlg->edit()->cursorPosition(), 1);
                QCOMPARE(dlg->edit()->maxLength(), 255);
                QCOMPARE(dlg->edit()->geometry().width(), 260);
                QCOMPARE(dlg->prompt()->text(), QString("Suche nach"));
            }();
            QTest::keyClicks(dlg->edit(), "12");
            return int(QDialog::Accepted);
        });
        QString text = "7";
        QVERIFY(EingabeDialog("Sortiert nach Nr", "Suche nach", text));
        QCOMPARE(text, QString("712"));
        Dialogs::setFormHook([](QDialog* d) {
            QTest::keyClicks(qobject_cast<TEingabeDialog*>(d)->edit(), "99");
            return int(QDialog::Rejected);
        });
        text = "7";
        QVERIFY(!EingabeDialog("Sortiert nach Nr", "Suche nach", text));
        QCOMPARE(text, QString("7"));
    }

    void itemsDialog()
    {
        Dialogs::setFormHook([](QDialog* d) {
            auto* dlg = qobject_cast<TItemsDialog*>(d);
            [&] {
                QCOMPARE(dlg->windowTitle(), QString("< leer >"));
                QCOMPARE(dlg->size(), QSize(400, 250));
                QCOMPARE(dlg->memo()->toPlainText(), QString("A\nB"));
                QCOMPARE(dlg->memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
            }();
            dlg->memo()->setPlainText("A\nC, neu\n\n");
            return int(QDialog::Accepted);
        });
        QCOMPARE(TItemsDialog::edit({"A", "B"}), std::optional<QStringList>(QStringList{"A", "C, neu"}));
        Dialogs::setFormHook([](QDialog* d) {
            qobject_cast<TItemsDialog*>(d)->memo()->setPlainText("weg");
            return int(QDialog::Rejected);
        });
        QVERIFY(!TItemsDialog::edit({"A"}));
    }

    // Masked date entry: two-digit years from 1990 on, empty mask means no date.
    void dateEntry_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QDate>("date");
        QTest::newRow("four digits") << "23.06.2004" << true << QDate(2004, 6, 23);
        QTest::newRow("90 is 1990") << "01.02.90" << true << QDate(1990, 2, 1);
        QTest::newRow("89 is 2089") << "01.02.89" << true << QDate(2089, 2, 1);
        QTest::newRow("00 is 2000") << "29.02.00" << true << QDate(2000, 2, 29);
        QTest::newRow("empty mask") << "..__" << true << QDate();
        QTest::newRow("blank") << "  .  .    " << true << QDate();
        QTest::newRow("no such day") << "31.02.2004" << false << QDate();
        QTest::newRow("three-digit year") << "01.02.200" << false << QDate();
        QTest::newRow("day missing") << ".02.2004" << false << QDate();
    }

    void dateEntry()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QDate, date);
        bool parsed = !ok;
        QCOMPARE(TDBDateEdit::parseDate(text, &parsed), date);
        QCOMPARE(parsed, ok);
    }
};

QTEST_MAIN(TestKleineControls)
#include "tst_kleinecontrols.moc"
