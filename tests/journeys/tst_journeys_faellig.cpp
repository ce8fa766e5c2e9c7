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
#include <QTabBar>
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
    void exportJederListe_data();
    void exportJederListe();

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

// Every tab of "Listen" exports what it would print for the same selection (ladders 1 to 3 by
// number, typed): ladders, inspections, department counts, due ladders with their state.
void TestJourneysFaellig::exportJederListe_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("kopf");          // columns the first line starts with
    QTest::addColumn<QStringList>("zeilen");        // each data line starts with one of these, in order
    QTest::addColumn<QStringList>("fehlt");         // texts no line may hold
    QTest::addColumn<QStringList>("enden");         // how the first and each data line end, if given

    const QStringList leitern = {"1;;Stehleiter Alu;", "2;;Anlegeleiter Holz;", "3;;Podestleiter;"};
    const QStringList sonst = {"Schiebeleiter", "Stehleiter Holz"};
    QTest::newRow("Leiter.-Kartei") << 0 << QStringList{"Leiter-Nr", "externe Leiter-Nr", "Kurz.-Bezeichnung"} << leitern << sonst << QStringList{};
    QTest::newRow("Leiter.-Übersicht") << 1 << QStringList{"Leiter-Nr", "externe Leiter-Nr", "Kurz.-Bezeichnung"} << leitern << sonst << QStringList{};
    QTest::newRow("Prüf-Übersicht") << 2 << QStringList{"Leiter-Nr", "externe Leiter-Nr", "Kurz.-Bezeichnung", "Prüf.-Datum"}
                                    << QStringList{"1;;Stehleiter Alu;10.05.2024;", "1;;Stehleiter Alu;12.05.2025;"} << sonst << QStringList{};
    QTest::newRow("Kontrollblatt") << 3 << QStringList{"Leiter-Nr", "externe Leiter-Nr", "Kurz.-Bezeichnung", "Prüf.-Datum"}
                                   << QStringList{"1;;Stehleiter Alu;10.05.2024;", "1;;Stehleiter Alu;12.05.2025;"} << sonst << QStringList{};
    // Ladder 1 hangs below "Halle Nord"; 2 and 3 have no department.
    QTest::newRow("Firmen.-Übersicht") << 4 << QStringList{"Firma / Abteilung", "Ebene", "Anzahl"}
                                       << QStringList{"Bau AG;1;0", "Lager;2;0", "Muster GmbH;1;0", "Halle Nord;2;1",
                                                      "Halle Süd;2;0", "nicht zugeordnet;;2"}
                                       << QStringList{"ID;", "FirmenAbtID"} << QStringList{};
    // Ladder 1 overdue since 01.06.2026, 2 and 3 without a date last.
    const QString tage = QString::number(QDate(2026, 6, 1).daysTo(QDate::currentDate()));
    QTest::newRow("Fällige Prüfungen") << 5 << QStringList{"Leiter-Nr", "externe Leiter-Nr", "Kurz.-Bezeichnung"}
                                       << QStringList{"1;;Stehleiter Alu;", "2;;Anlegeleiter Holz;", "3;;Podestleiter;"} << sonst
                                       << QStringList{";Tage überfällig;Status", ";" + tage + ";überfällig", ";;ohne Termin", ";;ohne Termin"};
}

void TestJourneysFaellig::exportJederListe()
{
    QFETCH(int, tab);
    QFETCH(QStringList, kopf);
    QFETCH(QStringList, zeilen);
    QFETCH(QStringList, fehlt);
    QFETCH(QStringList, enden);
    Journey j;
    j.open();
    QTemporaryDir tmp;
    const QString csv = tmp.filePath("liste.csv");
    Journey::onNextForm([&](QDialog* d) {
        auto* m = static_cast<TRepMenue*>(d);
        QTabBar* tabs = m->PageControl1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        QCOMPARE(m->PageControl1->currentIndex(), tab);
        m->CoboAuswahl->setFocus();
        Journey::key(Qt::Key_Down);                         // "Leiter-Nr"
        QCOMPARE(m->CoboAuswahl->currentIndex(), 1);
        Journey::click(m->EditNrV);
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("1");
        Journey::click(m->EditNrB);
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("3");
        Dialogs::scriptText(csv);
        Dialogs::scriptAnswer(true);
        Journey::click(m->exportButton(tab));
        Journey::key(Qt::Key_Escape);
    });
    Journey::key(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(Dialogs::unscriptedCount(), 0);
    QFile f(csv);
    QVERIFY2(f.open(QIODevice::ReadOnly), "nothing was written");
    QStringList lines = QString::fromUtf8(f.readAll().mid(3)).split("\r\n", Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    // The unassigned ladders come where the database sorts an empty node: first or last.
    if (lines.size() > 2 && lines[1].startsWith("nicht zugeordnet"))
        lines.move(1, lines.size() - 1);
    QVERIFY2(lines[0].startsWith(kopf.join(';')), qPrintable(lines[0]));
    QCOMPARE(lines.size() - 1, zeilen.size());
    for (int i = 0; i < zeilen.size(); ++i)
        QVERIFY2(lines[i + 1].startsWith(zeilen[i]), qPrintable(lines[i + 1]));
    for (int i = 0; i < enden.size(); ++i)
        QVERIFY2(lines[i].endsWith(enden[i]), qPrintable(lines[i]));
    for (const QString& line : lines)
        for (const QString& text : fehlt)
            QVERIFY2(!line.contains(text), qPrintable(line));
}

QTEST_MAIN(TestJourneysFaellig)
#include "tst_journeys_faellig.moc"
