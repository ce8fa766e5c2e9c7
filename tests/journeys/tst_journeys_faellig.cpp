#include "FaelligePruefungen.h"
#include "JourneyFixture.h"
#include "LeiterGrid.h"
#include "LadderPages.h"

#include "DbTreeLookupComboBox.h"
#include "Dialogs.h"
#include "RepMenue.h"

#include "MainMenus.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTabWidget>
#include <QToolButton>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

// Due inspections from the main window: the count, the notice, the list and its jump, the
// colours of the due date in the grid.
class TestJourneysFaellig : public QObject {
    Q_OBJECT

    // Ladder 1 of the register is due on 01.06.2026; 6 is overdue, 7 due soon, 8 overdue but
    // scrapped, 9 due after the four weeks; 2 to 5 have no date.
    static void addDue()
    {
        const QDate heute = QDate::currentDate();
        Journey::addRow("LT_LEIT", {{"Nr", 6}, {"KurzBez", "Überfällige"}, {"PruefTermin", heute.addDays(-3)}});
        Journey::addRow("LT_LEIT", {{"Nr", 7}, {"KurzBez", "Bald fällige"}, {"PruefTermin", heute.addDays(5)}});
        Journey::addRow("LT_LEIT", {{"Nr", 8}, {"KurzBez", "Schrott"}, {"PruefTermin", heute.addDays(-30)}, {"Schrott", true}});
        Journey::addRow("LT_LEIT", {{"Nr", 9}, {"KurzBez", "Später"}, {"PruefTermin", heute.addDays(60)}});
    }

    static QColor cellColour(const Journey& j, int nr)
    {
        TLeiterGrid* g = j.w->grid();
        const int col = g->columns().indexOf("PruefTermin");
        const QModelIndex idx = g->model()->index(j.rowOfNr(nr), col);
        g->scrollTo(idx);
        const QRect r = g->visualRect(idx);
        const QImage img = g->viewport()->grab().toImage();
        return img.pixelColor(r.left() + 3, r.center().y());
    }

    static QByteArray unzipSheet(const QString& file)
    {
        QProcess p;
        p.start("unzip", {"-p", file, "xl/worksheets/sheet1.xml"});
        p.waitForFinished(10000);
        return p.readAllStandardOutput();
    }

private slots:
    void listeUndSprung()
    {
        if (QDate::currentDate() <= QDate(2026, 6, 1))
            QFAIL("the register's ladder 1 must lie in the past");
        Journey j;
        addDue();
        j.open();
        auto* count = static_cast<QLabel*>(j.child("LabUeberfaellig"));
        QTRY_COMPARE(count->text(), QString("2 überfällig"));
        auto* hinweis = j.child("HinweisUeberfaellig");
        QTRY_VERIFY(hinweis->isVisible());
        auto* oeffnen = hinweis->findChild<QPushButton*>("BHinweisOeffnen");
        QVERIFY(oeffnen->text().startsWith("2 Leitern sind überfällig"));

        Journey::key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        auto* liste = j.w->findChild<TFaelligePruefungen*>("FaelligePruefungen");
        QVERIFY(liste);
        QTRY_VERIFY(liste->isVisible());
        QTRY_VERIFY(liste->GridFaellig->hasFocus());
        QCOMPARE(liste->LabAnzahl->text(), QString("2 überfällig, 1 bald fällig, 4 ohne Termin"));
        QAbstractItemModel* m = liste->GridFaellig->model();
        QStringList firstColumn;
        for (int r = 0; r < m->rowCount(); ++r)
            firstColumn << m->index(r, 0).data().toString();
        QCOMPARE(firstColumn, (QStringList{"1", "6", "7", "ohne Termin", "2", "3", "4", "5"}));
        QCOMPARE(m->index(1, 6).data().toInt(), 3);
        QCOMPARE(m->index(2, 6).data().toInt(), -5);

        // Down twice to ladder 7, Enter: the main window is on it, the list stays open.
        Journey::key(Qt::Key_Down);
        Journey::key(Qt::Key_Down);
        Journey::key(Qt::Key_Return);
        QCOMPARE(j.w->leiter()->field("Nr").asInteger(), 7);
        QCOMPARE(j.w->grid()->currentIndex().row(), j.rowOfNr(7));
        QVERIFY(liste->isVisible());

        // The department box by typing: "Muster GmbH" and its halls keep ladder 1 alone; "X"
        // brings all back.
        liste->DbTreeLookupAbt->setFocus();
        Journey::type("Mu");
        QTRY_COMPARE(liste->LabAnzahl->text(), QString("1 überfällig, 0 bald fällig, 0 ohne Termin"));
        QCOMPARE(m->rowCount(), 1);
        QCOMPARE(m->index(0, 0).data().toInt(), 1);
        Journey::click(liste->SpbAbtLoe);
        QCOMPARE(m->rowCount(), 8);

        // A double click on a ladder without a date below the heading.
        const QRect r = liste->GridFaellig->visualRect(m->index(5, 1));
        QTest::mouseClick(liste->GridFaellig->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(liste->GridFaellig->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(j.w->leiter()->field("Nr").asInteger(), 3);
    }

    // Red for overdue, amber for due soon, nothing for later or no date, also on a marked row.
    void farbenImRaster()
    {
        Journey j;
        addDue();
        j.open();
        const QColor rot(204, 0, 0), gelb(255, 170, 0);
        QCOMPARE(cellColour(j, 6), rot);
        QCOMPARE(cellColour(j, 7), gelb);
        QVERIFY(cellColour(j, 9) != rot && cellColour(j, 9) != gelb);
        QVERIFY(cellColour(j, 8) != rot);                 // scrapped: out of use
        QVERIFY(cellColour(j, 2) != rot && cellColour(j, 2) != gelb);
        j.clickLadder(6);
        Journey::key(Qt::Key_Space);                        // marks 6, moves on to 7
        Journey::key(Qt::Key_Space);                        // marks 7, moves on
        QCOMPARE(cellColour(j, 6), rot);
        QCOMPARE(cellColour(j, 7), gelb);
    }

    // Another workstation adds an overdue ladder: F5 counts it; an inspection moves the date.
    void exporte();

    void zahlFolgt()
    {
        Journey j;
        j.open();
        auto* count = static_cast<QLabel*>(j.child("LabUeberfaellig"));
        QTRY_COMPARE(count->text(), QString("1 überfällig"));
        Journey::addRow("LT_LEIT", {{"Nr", 20}, {"KurzBez", "Neu"}, {"PruefTermin", QDate::currentDate().addDays(-1)}});
        Journey::key(Qt::Key_F5);
        QTRY_COMPARE(count->text(), QString("2 überfällig"));
        // Ladder 1's due date put into the future through the detail page and saved.
        j.clickLadder(1);
        Journey::click(j.child("EditPruefTermin"));
        Journey::key(Qt::Key_Home);
        Journey::type(QDate::currentDate().addYears(1).toString("ddMMyyyy"));
        Journey::click(j.w->okCancel()->BOK);
        QCOMPARE(j.ladder(1).value("PruefTermin").toDate(), QDate::currentDate().addYears(1));
        QTRY_COMPARE(count->text(), QString("1 überfällig"));
    }
};

// The ladder grid leaves as CSV in its current order; "Listen" exports a tab's selection.
void TestJourneysFaellig::exporte()
{
    Journey j;
    j.open();
    QTemporaryDir tmp;
    const QString csv = tmp.filePath("leitern.csv");
    Dialogs::scriptText(csv);
    Dialogs::scriptAnswer(true);                            // "... Zeilen exportiert nach"
    QMenu* datei = j.w->menus()->MDatei;
    QMenuBar* bar = j.w->menuBar();
    Journey::click(bar, bar->actionGeometry(datei->menuAction()).center());
    QTRY_VERIFY(datei->isVisible());
    QMenu* exp = j.w->findChild<QMenu*>("MDateiExport");
    QTest::mouseClick(datei, Qt::LeftButton, {}, datei->actionGeometry(exp->menuAction()).center());
    QTRY_VERIFY(exp->isVisible());
    Journey::clickMenuEntry(exp, j.w->findChild<QAction*>("ActExportLeiter"));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll().mid(3)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 6);
    QVERIFY2(lines[0].startsWith("Schrott;Leiter-Nr;externe Leiter-Nr;Kurz.-Bezeichnung;Prüf.-Termin;"), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(";1;;Stehleiter Alu;01.06.2026;Muster GmbH;"), qPrintable(lines[1]));

    // The inspections of ladder 1 (10.05.2024 and 12.05.2025) with their dates as date cells.
    j.clickLadder(1);
    const QString pruef = tmp.filePath("pruefungen.xlsx");
    Dialogs::scriptText(pruef);
    Dialogs::scriptAnswer(true);
    Journey::click(bar, bar->actionGeometry(datei->menuAction()).center());
    QTRY_VERIFY(datei->isVisible());
    QTest::mouseClick(datei, Qt::LeftButton, {}, datei->actionGeometry(exp->menuAction()).center());
    QTRY_VERIFY(exp->isVisible());
    Journey::clickMenuEntry(exp, j.w->findChild<QAction*>("ActExportPruefungen"));
    const QByteArray pruefSheet = unzipSheet(pruef);
    QCOMPARE(pruefSheet.count("<row "), 3);
    QVERIFY(pruefSheet.contains("<v>45422</v>"));          // 10.05.2024 as Excel's day number
    QVERIFY(pruefSheet.contains("<v>45789</v>"));          // 12.05.2025

    // "Listen", tab "Leiter.-Übersicht", "Auswahl" by number 2 to 4, "Export".
    const QString xlsx = tmp.filePath("uebersicht.xlsx");
    Journey::onNextForm([&](QDialog* d) {
        auto* m = static_cast<TRepMenue*>(d);
        m->PageControl1->setCurrentIndex(1);
        m->CoboAuswahl->setCurrentIndex(1);
        m->EditNrV->setText("2");
        m->EditNrB->setText("4");
        Dialogs::scriptText(xlsx);
        Dialogs::scriptAnswer(true);
        QVERIFY(m->exportButton(1)->isVisible());
        Journey::click(m->exportButton(1));
        Journey::key(Qt::Key_Escape);
    });
    Journey::key(Qt::Key_P, Qt::ControlModifier);
    const QByteArray sheet = unzipSheet(xlsx);
    QCOMPARE(sheet.count("<row "), 4);
    QVERIFY(sheet.contains("Kurz.-Bezeichnung"));
    QVERIFY(sheet.contains("Podestleiter"));
    QVERIFY(!sheet.contains("Stehleiter Holz"));
    QCOMPARE(Dialogs::unscriptedCount(), 0);
}

QTEST_MAIN(TestJourneysFaellig)
#include "tst_journeys_faellig.moc"
