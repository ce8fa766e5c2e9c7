#include "Dialogs.h"
#include "Etiketten.h"
#include "JourneyFixture.h"
#include "LabelScan.h"
#include "LeiterGrid.h"
#include "LeiterVerw.h"
#include "MainMenus.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// Labels as the office prints them: ladders marked in the grid, "Etiketten drucken" from the
// grid's pop-up and from the Datei menu, saved as PDF; the printed codes read back by zbar and
// scanned into F9, which finds each ladder.
class TestJourneysEtiketten : public QObject {
    Q_OBJECT

    static void openGridPopup(Journey& j)
    {
        QWidget* vp = j.w->grid()->viewport();
        QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(20, 20), vp->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(vp, &ev);
    }
    static void openDateiMenu(Journey& j)
    {
        QMenuBar* bar = j.w->menuBar();
        QAction* datei = j.w->menus()->MDatei->menuAction();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(datei).center());
    }
    // In the label window: layout 3 × 8 and the start place chosen by keys, then "als PDF
    // speichern" by its shortcut.
    static void pdfSpeichern(const QString& pdf, int start, bool& markiert)
    {
        Journey::onNextForm([&markiert, pdf, start](QDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Etiketten drucken"));
            markiert = d->findChild<QRadioButton*>("rbMarkiert")->isChecked();
            Journey::key(Qt::Key_Y, Qt::AltModifier);
            Journey::key(Qt::Key_Home);
            Journey::key(Qt::Key_S, Qt::AltModifier);
            Journey::key(Qt::Key_A, Qt::ControlModifier);
            Journey::type(QString::number(start));
            Dialogs::scriptText(pdf);
            Journey::key(Qt::Key_C, Qt::AltModifier);
            // A mnemonic clicks its button after a moment, as on the screen.
            QTRY_VERIFY(QFile::exists(pdf));
            Journey::click(d->findChild<QPushButton*>("BSchliessen"));
        });
    }
    // F9 with the scanned text: the number of the ladder the grid stands on afterwards.
    static int scanF9(Journey& j, const QString& gescannt)
    {
        Journey::onNextForm([gescannt](QDialog* d) {
            Journey::type(gescannt);
            Journey::key(Qt::Key_Return);
            Journey::click(d->findChild<QPushButton*>("BClose"));
        });
        j.w->grid()->setFocus();
        Journey::key(Qt::Key_F9);
        return j.w->leiter()->value("Nr").toInt();
    }

private slots:
    void init() { resetDialogsForTest(); }

    void markedLaddersPrintedAndScannedBack()
    {
        Journey j;
        j.open();
        j.clickLadder(2);
        Journey::key(Qt::Key_Space);        // marks 2, moves on to 3
        Journey::key(Qt::Key_Down);
        Journey::key(Qt::Key_Space);        // marks 4
        j.clickLadder(1);

        const EtikettenFormat a4 = EtikettenFormat::standard().first();
        const QString ausPopup = j.programDir.filePath("popup.pdf");
        bool markiert = false;
        pdfSpeichern(ausPopup, 5, markiert);
        openGridPopup(j);
        Journey::clickMenuEntry(j.w->menus()->LtPopupMenu, j.w->findChild<QAction*>("LtPopEtiketten"));
        QVERIFY(markiert);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
        // From place 5 on a sheet of 24: the four places before it stay empty.
        QList<QStringList> erwartet(a4.proSeite());
        erwartet[4] = QStringList{"2"};
        erwartet[5] = QStringList{"4"};
        const QList<QStringList> codes = LabelScan::scanPlaces(ausPopup, a4);
        QCOMPARE(codes, erwartet);

        // Each code scanned into F9 finds its ladder, wherever the grid stood.
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 1);
        QCOMPARE(scanF9(j, codes[4].value(0)), 2);
        QCOMPARE(scanF9(j, codes[5].value(0)), 4);

        // The Datei menu opens the same window.
        const QString ausMenue = j.programDir.filePath("menue.pdf");
        markiert = false;
        pdfSpeichern(ausMenue, 1, markiert);
        openDateiMenu(j);
        Journey::clickMenuEntry(j.w->menus()->MDatei, j.w->findChild<QAction*>("MDateiEtiketten"));
        QVERIFY(markiert);
        erwartet = QList<QStringList>(a4.proSeite());
        erwartet[0] = QStringList{"2"};
        erwartet[1] = QStringList{"4"};
        QCOMPARE(LabelScan::scanPlaces(ausMenue, a4), erwartet);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }
};

QTEST_MAIN(TestJourneysEtiketten)
#include "tst_journeys_etiketten.moc"
