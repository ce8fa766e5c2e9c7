#include "AppConfig.h"
#include "BarcodeFeature.h"
#include "BarcodePortConfig.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Features.h"
#include "KurzBezVorschlaege.h"
#include "LeiterGrid.h"
#include "LeiterRegeln.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "PruefGrid.h"
#include "PruefungsSeite.h"
#include "Table.h"
#include "TbcSuchDialog.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QtTest>

// The main window with the inspection pages and the barcode search plugged in, driven
// through its controls.
class TestFeaturesPruef : public QObject {
    Q_OBJECT

    struct Register {
        TestDataDir dir;
        QTemporaryDir programDir;
        std::unique_ptr<TDataModule1> dm;
        std::unique_ptr<TLeiterVerw> w;

        Register() { KurzBezVorschlaege::setVerzeichnis(programDir.path()); }
        ~Register()
        {
            w.reset();
            dm.reset();
            KurzBezVorschlaege::setVerzeichnis(QString());
        }

        static int add(const QString& table, const QVariantMap& values, const QString& key = QStringLiteral("ID"))
        {
            return addTestRow(table, values, key);
        }
        static void addKind(int nr, int jahre, int monate, int tage)
        {
            add(QStringLiteral("PR_TAB"),
                {{"Nr", nr}, {"KurzBez", QString("Art %1").arg(nr)}, {"Jahre", jahre}, {"Monate", monate}, {"Tage", tage}},
                QStringLiteral("Nr"));
        }
        static int addLadder(int nr, QVariantMap values = {})
        {
            values.insert(QStringLiteral("Nr"), nr);
            values.insert(QStringLiteral("KurzBez"), QString("Leiter %1").arg(nr));
            return add(QStringLiteral("LT_LEIT"), values);
        }

        // The window as start-up builds it, with the switch set before the features plug in.
        TLeiterVerw& open(bool erweitert = true)
        {
            dm = std::make_unique<TDataModule1>();
            w = std::make_unique<TLeiterVerw>(*dm);
            w->SpBDetailNeu->setChecked(erweitert);
            plugInspections(*w);
            plugBarcode(*w);
            w->show();
            w->activateWindow();
            [this] { QVERIFY(QTest::qWaitForWindowActive(w.get())); }();
            return *w;
        }
        TPruefungsSeite* seite() const
        {
            return qobject_cast<TPruefungsSeite*>(w->page(TLeiterVerw::PagePruefUebersicht));
        }
        Table& pruef() const { return *seite()->LtPruef(); }
        QPushButton* button(const char* name) const { return seite()->findChild<QPushButton*>(QLatin1String(name)); }
        void goToLadder(int nr) const
        {
            Table& l = *w->leiter();
            for (l.first(); !l.eof(); l.next())
                if (l.field(QStringLiteral("Nr")).asInteger() == nr)
                    return;
            QFAIL("ladder not found");
        }
        int ladderNr() const { return w->leiter()->field(QStringLiteral("Nr")).asInteger(); }
        QString shownPage() const { return w->notebook()->currentWidget()->objectName(); }
    };

    static int storedInspections(int ladderId)
    {
        Table t(QStringLiteral("LT_PRUEF"));
        t.open();
        int n = 0;
        for (t.first(); !t.eof(); t.next())
            n += t.field(QStringLiteral("LT_ID")).asInteger() == ladderId;
        return n;
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        LeiterNrPolitik::reset();
        UserState::reset();
    }

    // "Prüf.-Neu" takes date, kind and required criteria from the ladder and waits in insert
    // state; nothing is written yet.
    void pruefNeuTakesOverTheLadder()
    {
        Register r;
        Register::addKind(3, 1, 0, 0);
        Register::addLadder(1);
        const int id = Register::addLadder(
            2, {{"PruefTermin", QDate(2024, 3, 15)}, {"PruefungArt_ID", 3}, {"PrMaterial", true}, {"PrSchuhe", false},
                {"PrHo_Verform", true}, {"PrSprS_Beschaed", true}});
        TLeiterVerw& w = r.open();
        r.goToLadder(2);
        w.selectTab(2);
        QCOMPARE(r.shownPage(), QStringLiteral("TabPruefungen"));
        QTest::mouseClick(r.button("BPruefNeu"), Qt::LeftButton);

        Table& p = r.pruef();
        QCOMPARE(p.state(), DataSetState::Insert);
        QCOMPARE(p.field("LT_ID").asInteger(), id);
        QCOMPARE(p.field("Datum").asDate(), QDate(2024, 3, 15));
        QCOMPARE(p.field("PruefungArt_ID").asInteger(), 3);
        QCOMPARE(p.field("PrMaterial").asBoolean(), true);
        QCOMPARE(p.field("PrSchuhe").asBoolean(), false);
        QCOMPARE(p.field("PrHo_Verform").asBoolean(), true);
        QCOMPARE(p.field("PrSprS_Beschaed").asBoolean(), true);
        QCOMPARE(p.field("PrHo_Beschaed").asBoolean(), false);
        QCOMPARE(p.field("PrErlMaterial").asBoolean(), false);
        QCOMPARE(storedInspections(id), 0);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // "Neu.-Termin" moves the due date by the ladder's kind from the latest inspection; an
    // unknown kind is reported and the base date is kept.
    void neuTerminMovesDueDate_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QDate>("due");
        QTest::addColumn<QStringList>("messages");
        const QString ask = QStringLiteral("Neuen Termin in Stammdaten setzen");
        const QString next = QStringLiteral("Neuen Prüfungs-Satz anlegen");
        QTest::newRow("kind 0/6/1") << 5 << QDate(2005, 3, 1) << QStringList{ask, next};
        QTest::newRow("kind unknown") << 9 << QDate(2004, 8, 31)
                                      << QStringList{ask, QStringLiteral("Fehler - Eingaben waren nicht korrekt"), next};
    }
    void neuTerminMovesDueDate()
    {
        QFETCH(int, kind);
        QFETCH(QDate, due);
        QFETCH(QStringList, messages);
        Register r;
        Register::addKind(5, 0, 6, 1);
        Register::addKind(7, 3, 0, 0);
        const int id = Register::addLadder(4, {{"PruefTermin", QDate(2000, 1, 1)}, {"PruefungArt_ID", kind}});
        // The inspection's own kind does not count.
        Register::add("LT_PRUEF", {{"LT_ID", id}, {"Datum", QDate(2003, 2, 1)}, {"PruefungArt_ID", 7}});
        Register::add("LT_PRUEF", {{"LT_ID", id}, {"Datum", QDate(2004, 8, 31)}, {"PruefungArt_ID", 7}});
        TLeiterVerw& w = r.open();
        r.goToLadder(4);
        w.selectTab(2);
        Dialogs::scriptAnswer(true);
        if (messages.size() == 3)
            Dialogs::scriptAnswer(true);
        Dialogs::scriptAnswer(false);
        QTest::mouseClick(r.button("BSetzeNeuTermin"), Qt::LeftButton);

        QStringList shown = Dialogs::shownTexts();
        for (QString& s : shown)
            s = s.trimmed();
        QCOMPARE(shown, messages);
        Table t("LT_LEIT");
        t.open();
        QVERIFY(t.locate("ID", {id}));
        QCOMPARE(t.field("PruefTermin").asDate(), due);
        QCOMPARE(w.leiter()->field("PruefTermin").asDate(), due);
        QCOMPARE(storedInspections(id), 2);
    }

    // The switch decides the page of tab 1 and the list's columns and buttons, also when it
    // was set before the pages came in.
    void erweitertePruefungenSwitch_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<bool>("switchTo");
        QTest::newRow("extended from the start") << true << true;
        QTest::newRow("simple from the start") << false << false;
        QTest::newRow("switched to simple") << true << false;
        QTest::newRow("switched to extended") << false << true;
    }
    void erweitertePruefungenSwitch()
    {
        QFETCH(bool, atStart);
        QFETCH(bool, switchTo);
        Register r;
        Register::addLadder(1);
        TLeiterVerw& w = r.open(atStart);
        if (switchTo != atStart)
            QTest::mouseClick(w.SpBDetailNeu, Qt::LeftButton);
        QCOMPARE(w.SpBDetailNeu->isChecked(), switchTo);

        w.selectTab(1);
        QCOMPARE(r.shownPage(), switchTo ? QStringLiteral("TabErfPruefErweitert") : QStringLiteral("TabErfPruefEinfach"));
        w.selectTab(2);
        TPruefGrid* grid = r.seite()->grid();
        QCOMPARE(grid->isColumnHidden(grid->spalte("PrErlMaterial")), switchTo);
        QCOMPARE(grid->isColumnHidden(grid->spalte("PrErlSonstiges")), switchTo);
        QCOMPARE(r.button("BAlleSetzen")->isHidden(), switchTo);
        QCOMPARE(r.button("BPruefSetzen")->isHidden(), !switchTo);
        QCOMPARE(r.button("BErledigtSetzen")->isHidden(), !switchTo);
        QCOMPARE(r.seite()->findChild<QToolButton*>("SpBShowErf")->isHidden(), switchTo);
        // Only the window's one switch.
        QCOMPARE(w.findChildren<QToolButton*>("SpBDetailNeu").size(), 1);
    }

    // F9: the scripted dialog finds the ladder by number and the window opens the chosen
    // page; a pending inspection is saved first and reported.
    void barcodeF9_data()
    {
        QTest::addColumn<bool>("erweitert");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<QString>("page");
        QTest::newRow("Allgemein") << true << "rbAwAllg" << false << "TabSheetAllgemein";
        QTest::newRow("criteria, extended") << true << "rbAwErf" << false << "TabErfPruefErweitert";
        QTest::newRow("criteria, simple") << false << "rbAwErf" << false << "TabErfPruefEinfach";
        QTest::newRow("inspections, one pending") << true << "rbAwPruef" << true << "TabPruefungen";
    }
    void barcodeF9()
    {
        QFETCH(bool, erweitert);
        QFETCH(QString, radio);
        QFETCH(bool, pending);
        QFETCH(QString, page);
        Register r;
        const int first = Register::addLadder(3, {{"PrMaterial", true}});
        Register::addLadder(17);
        Register::addLadder(25);
        TLeiterVerw& w = r.open(erweitert);
        const QString startPage = w.page(TLeiterVerw::PageAllgemein)->objectName();
        r.goToLadder(3);
        if (pending) {
            w.selectTab(2);
            QTest::mouseClick(r.button("BPruefNeu"), Qt::LeftButton);
            QCOMPARE(r.pruef().state(), DataSetState::Insert);
            Dialogs::scriptAnswer(true);
        }
        w.selectTab(3);
        int forms = 0;
        Dialogs::setFormHook([&](QDialog* d) {
            ++forms;
            auto* edit = d->findChild<QLineEdit*>("EditSuchen");
            [&] { QVERIFY(qobject_cast<TbcSuchDialog*>(d)); QVERIFY(edit); }();
            d->findChild<QRadioButton*>(radio)->click();
            QTest::keyClicks(edit, "17");
            QTest::keyClick(edit, Qt::Key_Return);
            d->findChild<QPushButton*>("BClose")->click();
            return d->result();
        });
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_F9);

        QCOMPARE(forms, 1);
        QCOMPARE(r.ladderNr(), 17);
        QCOMPARE(r.shownPage(), page == "TabSheetAllgemein" ? startPage : page);
        QCOMPARE(storedInspections(first), pending ? 1 : 0);
        const QStringList shown = Dialogs::shownTexts();
        QCOMPARE(shown.size(), pending ? 2 : 1);
        QCOMPARE(shown.first(), QStringLiteral("TbcSuchForm"));
        if (pending)
            QVERIFY(shown.last().startsWith("Die Bearbeitung der Prüfungen der Leiter 3 "));
        QCOMPARE(Dialogs::unscriptedCount(), 0);
        QVERIFY(w.menus()->action("ActBcSuchComLeiter")->isEnabled());
    }

    // Moving to another ladder saves the new inspection of the one left.
    void pendingInspectionSavedWhenLadderMoves()
    {
        Register r;
        const int first = Register::addLadder(1, {{"PruefTermin", QDate(2024, 5, 2)}});
        Register::addLadder(2);
        TLeiterVerw& w = r.open();
        r.goToLadder(1);
        w.selectTab(2);
        QTest::mouseClick(r.button("BPruefNeu"), Qt::LeftButton);
        QCOMPARE(r.pruef().state(), DataSetState::Insert);

        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_Down);
        QCOMPARE(r.ladderNr(), 2);
        QCOMPARE(storedInspections(first), 1);
        QCOMPARE(r.pruef().state(), DataSetState::Browse);
        QVERIFY(r.pruef().isEmpty());

        QTest::keyClick(w.grid(), Qt::Key_Up);
        QCOMPARE(r.ladderNr(), 1);
        QCOMPARE(r.pruef().recordCount(), 1);
        QCOMPARE(r.pruef().field("Datum").asDate(), QDate(2024, 5, 2));
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // F5 shows inspections written meanwhile by another cursor; the list's context menu is
    // the window's.
    void rereadAndPopup()
    {
        Register r;
        const int id = Register::addLadder(1);
        TLeiterVerw& w = r.open();
        w.selectTab(2);
        QVERIFY(r.pruef().isEmpty());

        Register::add("LT_PRUEF", {{"LT_ID", id}, {"Datum", QDate(2020, 1, 1)}});
        w.menus()->action("MAnsAktualisieren")->trigger();
        QCOMPARE(r.pruef().recordCount(), 1);

        TPruefGrid* grid = r.seite()->grid();
        emit grid->customContextMenuRequested(QPoint(5, 5));
        QMenu* popup = w.menus()->PruefPopupMenu;
        QTRY_VERIFY(popup->isVisible());
        QVERIFY(!r.seite()->PruefPopupMenu()->isVisible());
        QVERIFY(!w.menus()->action("VorschauPruefKontrollblatt")->isEnabled());
        popup->hide();
    }

    // Start-up's serial window: created hidden, the scanner port taken from the settings file.
    void serialWindowAtStartUp()
    {
        Register r;
        TLeiterVerw& w = r.open();
        QFile ini(settingsFileCandidates(settingsPlaces()).first());
        QVERIFY2(!ini.exists(), "a settings file lies next to the test");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Barcode]\r\nPort=/dev/ttyHW9\r\nCOM2=/dev/ttyUSB7\r\n");
        ini.close();
        BarcodePortConfig::instance() = BarcodePortConfig();
        createSerialBarcodeWindow(w);
        ini.remove();
        QDialog* com = w.findChild<QDialog*>("TbcSuchCom");
        QVERIFY(com);
        QVERIFY(!com->isVisible());
        QCOMPARE(BarcodePortConfig::instance().startPort, QStringLiteral("/dev/ttyHW9"));
        QCOMPARE(comSystemLocation("COM2"), QStringLiteral("/dev/ttyUSB7"));
        BarcodePortConfig::instance() = BarcodePortConfig();
    }
};

QTEST_MAIN(TestFeaturesPruef)
#include "tst_features_pruef.moc"
