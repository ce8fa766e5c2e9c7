#include "AboutBox.h"
#include "BrDateForm.h"
#include "CursorModel.h"
#include "DataControls.h"
#include "DataModule.h"
#include "DBTreeView.h"
#include "DbTreeLookupComboBox.h"
#include "Dialogs.h"
#include "Engine.h"
#include "HelpWindow.h"
#include "ItemsDialog.h"
#include "KurzBezVorschlaege.h"
#include "LadderPages.h"
#include "LeiterCursor.h"
#include "LeiterRegeln.h"
#include "LeiterVerw.h"
#include "ListenDialog.h"
#include "LtFirmAbt.h"
#include "MainMenus.h"
#include "StatusPanels.h"
#include "TVekPopUpControl.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QtTest>

// Receives the URLs the window hands to the system.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// The main window on a register of its own, driven through its controls.
class TestLeiterVerw : public QObject {
    Q_OBJECT

    struct Register {
        TestDataDir dir;
        QTemporaryDir programDir;
        std::unique_ptr<TDataModule1> dm;
        std::unique_ptr<TLeiterVerw> w;

        explicit Register(const QList<int>& numbers = {})
        {
            KurzBezVorschlaege::setVerzeichnis(programDir.path());
            Table t("LT_LEIT");
            t.open();
            for (int nr : numbers) {
                t.append();
                t.setValue("Nr", nr);
                t.setValue("KurzBez", QString("Leiter %1").arg(nr));
                t.post();
            }
        }
        TLeiterVerw& open()
        {
            dm = std::make_unique<TDataModule1>();
            w = std::make_unique<TLeiterVerw>(*dm);
            w->show();
            w->activateWindow();
            [this] { QVERIFY(QTest::qWaitForWindowActive(w.get())); }();
            return *w;
        }
        ~Register()
        {
            w.reset();
            dm.reset();
            KurzBezVorschlaege::setVerzeichnis(QString());
        }
        TLeiterAllgemeinPage& page() const { return *w->allgemeinPage(); }
        Table& leiter() const { return *w->leiter(); }
        QAction* action(const char* name) const { return w->menus()->action(QLatin1String(name)); }
        QStringList storedKurzBez() const
        {
            Table t("LT_LEIT");
            t.setIndexFieldNames("Nr");
            t.open();
            QStringList out;
            for (t.first(); !t.eof(); t.next())
                out << QString("%1:%2").arg(t.value("Nr").toInt()).arg(t.value("KurzBez").toString());
            return out;
        }
    };

    static void typeInto(QWidget* w, const QString& text)
    {
        w->setFocus();
        QTest::keyClicks(w, text);
    }

    static void replaceText(QLineEdit* e, const QString& text)
    {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        LeiterNrPolitik::reset();
        UserState::reset();
    }

    void frame()
    {
        Register r({1, 2, 3});
        TLeiterVerw& w = r.open();
        QCOMPARE(w.windowTitle(), QString("Leiter - Prüfungsverwaltung"));
        QCOMPARE(w.minimumSize(), QSize(604, 522));
        // The first size shows the whole ladder page as far as the screen allows (tst_fensterlage).
        QVERIFY(w.width() >= 604 && w.height() >= 522);
        for (const char* name : {"ButtonPanel", "Nav", "Sort", "BNeu", "BLoe", "BSuch", "BWeiterS", "BVorschau", "BDruck",
                                 "BEnde", "ButtonPanelZus", "SpBDetailNeu", "SpBKopieren", "DbFilterAbt", "SpBFilterAbtLoe",
                                 "VekPopUpControl1", "BFilterLoe", "DBGridLeiter", "PanelAllgemein", "PanelOKCancel",
                                 "LabelTableStatus", "BOK", "BCancel", "TabSet", "TabSheetPruef", "TabSheetPruefDetail",
                                 "TabSheetPruefUebersicht", "DBMemoBeschreibung"})
            QVERIFY2(w.findChild<QWidget*>(name), name);
        QCOMPARE(w.BNeu->Caption(), QString("Neu"));
        QCOMPARE(w.BNeu->PopupMenu(), w.menus()->LtPopupNeu);
        QCOMPARE(w.BNeu->PopUpWidth(), 16);
        QCOMPARE(w.BNeu->Space(), 0);
        QCOMPARE(w.BNeu->PopUpPlace(), TVekPopUpControl::ppDown);
        QCOMPARE(w.BSuch->PopupMenu(), w.menus()->LtPopupSuch);
        QVERIFY(w.BSuch->ButtonDefaultPopUp());
        QCOMPARE(w.VekPopUpControl1->PopupMenu(), w.menus()->LtPopupMark);
        QCOMPARE(w.BLoe->toolTip(), QString("Leiter löschen"));
        QCOMPARE(w.BVorschau->toolTip(), QString("Listenmenue aufrufen"));
        QCOMPARE(w.BEnde->toolTip(), QString("Programm beenden"));
        QVERIFY(w.SpBDetailNeu->isChecked());
        QVERIFY(!w.SpBKopieren->isChecked());
        QVERIFY(!w.BWeiterS->isEnabled());
        QCOMPARE(w.BFilterLoe->defaultAction(), r.action("ActFilterLoeschen"));

        // Four tabs over five pages; tab 1 shows the extended criteria while the switch is down.
        QStringList tabs;
        for (int i = 0; i < w.tabSet()->count(); ++i)
            tabs << w.tabSet()->tabText(i);
        QCOMPARE(tabs, (QStringList{"Allgemein", "erforderl. Prüfungen", "Prüfungsübersicht", "Beschreibung"}));
        QCOMPARE(w.notebook()->count(), 5);
        QCOMPARE(w.notebook()->currentIndex(), 0);

        // Status bar: user, hint (width less 400), counter, marks, filter, version.
        QCOMPARE(w.statusPanel(0)->text(), QString("<leer>"));
        QCOMPARE(w.statusPanel(2)->text(), QString(" 1 von 3 "));
        QCOMPARE(w.statusPanel(3)->text(), QString());
        QCOMPARE(w.statusPanel(5)->text(), QString(" Vers: 1.60"));
        const QList<int> widths = {100, w.statusPanels()->width() - 400, 80, 50, 90, 80};
        for (int i = 0; i < widths.size(); ++i)
            QCOMPARE(w.statusPanels()->panelWidth(i), widths[i]);
        w.resize(904, 600);
        QTRY_COMPARE(w.statusPanels()->panelWidth(1), 504);
        QCOMPARE(w.statusPanels()->panel(1)->width() + 2, 504);

        // A hint of the control under the mouse goes to panel 1.
        QStatusTipEvent tip(QStringLiteral("Daten speichern"));
        QApplication::sendEvent(&w, &tip);
        QCOMPARE(w.statusPanel(1)->text(), QString("Daten speichern"));
    }

    void menuEntries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("new standard") << "ActLeiterNeu" << "Neu anlegen ( Standard /Max +1 )" << "" << true;
        QTest::newRow("new free") << "ActLeiterNeuFreieNr" << "Neu anlegen ( nächste freie Nr ab 1 )" << "" << true;
        QTest::newRow("new from input") << "ActLeiterNeuFreieNrAb" << "Neu anlegen ( nächste freie Nr ab Eingabe )" << "" << true;
        QTest::newRow("new from row") << "ActLeiterNeuFreieNrAbZeile" << "Neu anlegen ( nächste freie Nr ab akt. Zeile )" << "" << true;
        QTest::newRow("copy") << "ActLeiterNeuKopieren" << "Leiter kopieren ( Standard /Max + 1 )" << "" << true;
        QTest::newRow("printer") << "MDruckerwahl" << "Druckerwahl ..." << "" << true;
        QTest::newRow("end") << "MDateiEnde" << "Beenden      Alt+F4" << "" << true;
        QTest::newRow("index search") << "MBearbIndexSuche" << "Suchen nach Sortierung ..." << "Ctrl+F" << false;
        QTest::newRow("text search") << "ActSuchTextFolge" << "Suchen nach Textfolge .." << "Ctrl+Alt+F" << false;
        QTest::newRow("barcode") << "ActBcSuchLeiter" << "Suchen mit Barcode / Tastatur .." << "F9" << false;
        QTest::newRow("barcode com") << "ActBcSuchComLeiter" << "Suchen mit Barcode - COM-Schnittstelle" << "F8" << false;
        QTest::newRow("space names the key") << "MBearbMarkieren" << "Markieren / Unmarkieren          < Leertaste >" << "" << true;
        QTest::newRow("filters") << "MBearbFilterLoeschen" << "Alle Filter löschen" << "" << false;
        QTest::newRow("tree editor") << "MFirmenAbt" << "Abteilungsdaten => Standort / Abteilung ..." << "F11" << false;
        QTest::newRow("suppliers") << "MLieferanten" << "Lieferanten / Hersteller .." << "" << false;
        QTest::newRow("standard size") << "MAnsStandard" << "Fenster auf Standardeinstellungen" << "" << true;
        QTest::newRow("bar ticked, disabled") << "MAnsButtonZus" << "Buttonleiste - Zusatzfunktionen" << "" << false;
        QTest::newRow("refresh") << "MAnsAktualisieren" << "Aktualisieren" << "F5" << true;
        QTest::newRow("lists") << "MListen" << "Listen" << "Ctrl+P" << false;
        QTest::newRow("data dir") << "MExDatenVerz" << "Anzeige Paradox Daten-Verzeichnis ..." << "" << true;
        QTest::newRow("users") << "MExMPUserList" << "MP - Anzeige der aktuellen Benutzer" << "" << true;
        QTest::newRow("admin") << "MExAdminUser" << "Benutzerverwaltung" << "Ctrl+Alt+B" << false;
        QTest::newRow("login") << "MDateiExLogin" << "Benutzer wechseln .." << "F12" << false;
        QTest::newRow("help") << "MHilfeInhalt" << "Inhalt" << "" << true;
        QTest::newRow("mail") << "HilfeVEKEmail1" << "Email an VEK schicken" << "" << true;
        QTest::newRow("about") << "MHilfeUeber" << "Über ..." << "" << true;
        QTest::newRow("search next") << "ActSuchNext" << "Weitersuchen vorwärts  ..  < F3 >" << "" << false;
        QTest::newRow("mark first") << "ActMarkFindFirst" << "[<= zur ersten Markierung  < Alt+Pos1 >" << "" << false;
        QTest::newRow("mark filter") << "ActMarkToFilter" << "Markierung in Filter übenehmen" << "" << false;
        QTest::newRow("popup filter") << "LtPopFilterLoeschen" << "Alle gesetzten Filter löschen" << "" << false;
        QTest::newRow("control sheet") << "DruckPruefKontrollblatt" << "Druck Kontrollblatt" << "" << false;
    }

    void menuEntries()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        Register r;
        TLeiterVerw& w = r.open();
        QAction* a = w.menus()->action(name);
        QVERIFY(a);
        QCOMPARE(a->objectName(), name);
        QCOMPARE(a->text(), text);
        QCOMPARE(a->shortcut().toString(), shortcut);
        QCOMPARE(a->isEnabled(), enabled);
    }

    void menusAndPopups()
    {
        Register r;
        TLeiterVerw& w = r.open();
        TMainMenus& m = *w.menus();
        QCOMPARE(m.MDatei->title(), QString("Datei"));
        QCOMPARE(m.MDatei->menuAction()->statusTip(), QString("Druckerwahl.. , Beenden"));
        QCOMPARE(m.MDatei->property("helpContext").toInt(), 200);
        QCOMPARE(m.MBearbeiten->property("helpContext").toInt(), 400);
        QCOMPARE(m.MStammdaten->property("helpContext").toInt(), 300);
        QCOMPARE(m.MListen->property("helpContext").toInt(), 500);
        QCOMPARE(m.MHilfe->property("helpContext").toInt(), 600);
        QCOMPARE(w.property("helpContext").toInt(), 100);
        QCOMPARE(r.action("ActLeiterNeu")->statusTip(), QString("höchste Leiter.-Nr +1"));
        QCOMPARE(m.MDateiNeu->menuAction()->statusTip(), QString("Auswahl Leiter anlegen"));
        QCOMPARE(r.action("MExMPUserList")->statusTip(), QString("Benutzer der Netzwerk-Kontrolldatei"));
        QVERIFY(r.action("MAnsExtNr")->isChecked());
        QVERIFY(!r.action("MAnsFirmaAbtZuerst")->isChecked());
        QVERIFY(r.action("MAnsButtonZus")->isChecked());
        QVERIFY(r.action("MExMPUserList")->isVisible());
        // Login and administration only with user administration.
        for (const char* name : {"MDateiExLogin", "MDateiExPassChange", "MExAdminUser", "MDateiExLoginLine", "MExAdminUserLine"})
            QCOMPARE(r.action(name)->isVisible(), UserState::UserAdministration);

        QCOMPARE(m.LtPopupNeu->defaultAction(), r.action("ActLeiterNeu"));
        QCOMPARE(m.LtPopupSuch->defaultAction(), r.action("ActSuchTextFolge"));
        QCOMPARE(m.LtPopupMark->defaultAction(), r.action("ActMarkChange"));
        QCOMPARE(m.LtPopupMenu->defaultAction(), r.action("ActMarkChange"));
        QStringList popupTexts;
        for (QAction* a : m.LtPopupMenu->actions())
            popupTexts << (a->isSeparator() ? QString("-") : a->text());
        QCOMPARE(popupTexts, (QStringList{"Suchen nach Sortierung ..", "Suchen nach Textfolge ..", "-",
                                          "Markieren / Unmarkieren   < Leertaste >", "Markierungen löschen", "-",
                                          "Filter für akt. Firma / Abteilung setzen", "Alle gesetzten Filter löschen", "-",
                                          "Drucken der aktuellen Leiter"}));
        QStringList suchTexts;
        for (QAction* a : m.LtPopupSuch->actions())
            suchTexts << (a->isSeparator() ? QString("-") : a->text());
        QCOMPARE(suchTexts, (QStringList{"Suchen nach Textfolge ..", "SuchTextfolge löschen ..", "-",
                                         "Weitersuchen rückwärts .. < Shift+F3 >", "Weitersuchen vorwärts  ..  < F3 >",
                                         "Letzten suchen ..", "-", "Suchen in Markierungen übernehmen ..",
                                         "Suchen in Filter übernehmen", "Filter für Suchen löschen"}));

        // A later feature plugs into a named entry and the entry comes alive.
        int runs = 0;
        QVERIFY(w.menus()->isPending(r.action("ActSuchTextFolge")));
        w.menus()->plug(QStringLiteral("ActSuchTextFolge"), [&] { ++runs; });
        QVERIFY(r.action("ActSuchTextFolge")->isEnabled());
        QTest::mouseClick(w.BSuch->mainButton(), Qt::LeftButton);
        QCOMPARE(runs, 1);

        // The main button of "Neu" creates a ladder; its arrow drops the menu below the button.
        QTest::mouseClick(w.BNeu->arrowButton(), Qt::LeftButton);
        QVERIFY(m.LtPopupNeu->isVisible());
        QCOMPARE(m.LtPopupNeu->pos(), w.BNeu->mapToGlobal(QPoint(-1, w.BNeu->height())));
        m.LtPopupNeu->hide();
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
    }

    // The numbering commands through the window: button, key, menu entries and the prompt.
    void numbering_data()
    {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("answer");      // start prompt: a text, "=" keeps the proposal, "-" cancels
        QTest::addColumn<int>("expected");
        QTest::newRow("empty, Neu") << QList<int>{} << "BNeu" << "" << 1;
        QTest::newRow("empty, free from 1") << QList<int>{} << "ActLeiterNeuFreieNr" << "" << 1;
        QTest::newRow("1237, Neu") << QList<int>{1, 2, 3, 7} << "BNeu" << "" << 8;
        QTest::newRow("1237, Insert key") << QList<int>{1, 2, 3, 7} << "Insert" << "" << 8;
        QTest::newRow("1237, free from 1") << QList<int>{1, 2, 3, 7} << "ActLeiterNeuFreieNr" << "" << 4;
        QTest::newRow("1237, from 5") << QList<int>{1, 2, 3, 7} << "ActLeiterNeuFreieNrAb" << "5" << 5;
        QTest::newRow("1237, from 7") << QList<int>{1, 2, 3, 7} << "ActLeiterNeuFreieNrAb" << "7" << 8;
        QTest::newRow("1237, proposal 1 kept") << QList<int>{1, 2, 3, 7} << "ActLeiterNeuFreieNrAb" << "=" << 4;
        QTest::newRow("1237, prompt cancelled") << QList<int>{1, 2, 3, 7} << "ActLeiterNeuFreieNrAb" << "-" << 4;
        QTest::newRow("1237, from row 7") << QList<int>{1, 2, 3, 7} << "ActLeiterNeuFreieNrAbZeile" << "=" << 8;
    }

    void numbering()
    {
        QFETCH(QList<int>, numbers);
        QFETCH(QString, how);
        QFETCH(QString, answer);
        QFETCH(int, expected);
        Register r(numbers);
        TLeiterVerw& w = r.open();
        if (!numbers.isEmpty())
            r.leiter().last();
        w.selectTab(3);
        if (answer == "-")
            Dialogs::scriptCancel();
        else if (answer == "=")
            Dialogs::scriptAnswer(true);
        else if (!answer.isEmpty())
            Dialogs::scriptText(answer);
        if (how == "BNeu") {
            QTest::mouseClick(w.BNeu->mainButton(), Qt::LeftButton);
        } else if (how == "Insert") {
            w.grid()->setFocus();
            QTest::keyClick(w.grid(), Qt::Key_Insert);
        } else {
            r.action(qPrintable(how))->trigger();
        }
        QCOMPARE(Dialogs::unscriptedCount(), 0);
        QCOMPARE(r.leiter().state(), DataSetState::Insert);
        QCOMPARE(r.page().EditNr->text(), QString::number(expected));
        QCOMPARE(w.tabSet()->currentIndex(), 0);
        QCOMPARE(w.notebook()->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), r.page().EditNr);
        // The grid lists the stored ladders unchanged and the new one at the end.
        QStringList shown, wanted;
        for (int row = 0; row < w.grid()->model()->rowCount(); ++row)
            shown << w.grid()->model()->index(row, 1).data().toString();
        QList<int> sorted = numbers;
        std::sort(sorted.begin(), sorted.end());
        for (int n : sorted)
            wanted << QString::number(n);
        wanted << QString::number(expected);
        QCOMPARE(shown, wanted);
        // State display while a ladder is new.
        QCOMPARE(w.okCancel()->LabelTableStatus->text(), QString("Neu"));
        QVERIFY(w.okCancel()->BOK->isEnabled());
        QVERIFY(w.okCancel()->BCancel->isEnabled());
        for (QWidget* c : std::initializer_list<QWidget*>{w.grid(), w.Nav, w.BNeu, w.BLoe, w.BSuch, w.BVorschau, w.BDruck})
            QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
        QVERIFY(w.BEnde->isEnabled());
        QVERIFY(!r.action("ActLeiterNeu")->isEnabled());
        QVERIFY(LeiterNrPolitik::NrModus == TNrModus::NrMaxPlus1);

        QTest::mouseClick(w.okCancel()->BCancel, Qt::LeftButton);
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
        QCOMPARE(w.okCancel()->LabelTableStatus->text(), QString());
        QVERIFY(!w.okCancel()->BOK->isEnabled());
        QVERIFY(w.grid()->isEnabled() && w.BNeu->isEnabled() && w.BLoe->isEnabled());
        QCOMPARE(r.leiter().recordCount(), numbers.size());
    }

    // The next prompt proposes the number entered last.
    void startPromptRemembersNumber()
    {
        Register r({1, 2, 3, 7});
        TLeiterVerw& w = r.open();
        Dialogs::scriptText("6");
        r.action("ActLeiterNeuFreieNrAb")->trigger();
        QCOMPARE(r.page().EditNr->text(), QString("6"));
        w.BCancelClick();
        Dialogs::scriptAnswer(true);
        r.action("ActLeiterNeuFreieNrAb")->trigger();
        QCOMPARE(r.page().EditNr->text(), QString("6"));
        w.BCancelClick();
        Dialogs::scriptText("sechs");
        r.action("ActLeiterNeuFreieNrAb")->trigger();
        QCOMPARE(Dialogs::shownTexts().last(), QString("'sechs' ist kein gültiger Integerwert"));
        QCOMPARE(Dialogs::shown().last().kind, Dialogs::Kind::Error);
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
        QCOMPARE(r.leiter().recordCount(), 4);
    }

    // Ctrl+Insert copies the current ladder: every column, a fresh number, its own key, no inspections.
    void copyLadder()
    {
        Register r({1, 2, 3, 7});
        int sourceId = 0;
        {
            Table t("LT_LEIT");
            t.setIndexFieldNames("Nr");
            t.open();
            QVERIFY(t.findKey({2}));
            t.edit();
            t.setValue("ExNrBez", "K-2");
            t.setValue("ErfasstDatum", QDate(1999, 12, 31));
            t.setValue("PrSprS_Funktfaeh", true);
            t.setValue("FirmenAbtID", 4);
            t.setValue("Lieferant", "Alu-Steig");
            t.setValue("LAend", QDateTime(QDate(2000, 1, 1), QTime(8, 0)));
            t.post();
            sourceId = t.value("ID").toInt();
            Table p("LT_PRUEF");
            p.open();
            for (int i = 0; i < 2; ++i) {
                p.append();
                p.setValue("LT_ID", sourceId);
                p.setValue("Datum", QDate(2003, 1, 1 + i));
                p.post();
            }
        }
        TLeiterVerw& w = r.open();
        QVERIFY(r.leiter().findKey({2}));
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(r.leiter().state(), DataSetState::Insert);
        QVERIFY(!w.SpBKopieren->isChecked());
        QCOMPARE(r.page().EditNr->text(), QString("8"));
        QCOMPARE(r.page().EditKurzBez->currentText(), QString("Leiter 2"));
        QCOMPARE(r.page().EditExtNrStr->text(), QString("K-2"));
        QCOMPARE(r.page().EditErfasstDatum->text(), QString("31.12.1999"));
        QCOMPARE(r.page().EditCoboLieferanten->currentText(), QString("Alu-Steig"));
        QTest::keyClick(r.page().EditNr, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(r.leiter().state(), DataSetState::Browse);

        Table t("LT_LEIT");
        t.setIndexFieldNames("Nr");
        t.open();
        QVERIFY(t.findKey({8}));
        const int copyId = t.value("ID").toInt();
        QVERIFY(copyId != sourceId);
        QCOMPARE(t.value("PrSprS_Funktfaeh"), QVariant(true));
        QCOMPARE(t.value("FirmenAbtID").toInt(), 4);
        QCOMPARE(t.value("ErfasstDatum").toDate(), QDate(1999, 12, 31));
        QVERIFY(t.field("LAend").asDateTime() > QDateTime(QDate(2000, 1, 1), QTime(8, 0)));
        QVERIFY(t.findKey({2}));
        QCOMPARE(t.value("ID").toInt(), sourceId);
        Table p("LT_PRUEF");
        p.open();
        QCOMPARE(p.recordCount(), 2);
        for (p.first(); !p.eof(); p.next())
            QCOMPARE(p.value("LT_ID").toInt(), sourceId);
    }

    // The copy switch held down: the command for the first free number copies too.
    void copySwitch()
    {
        Register r({1, 2, 3, 7});
        TLeiterVerw& w = r.open();
        QVERIFY(r.leiter().findKey({7}));
        QTest::mouseClick(w.SpBKopieren, Qt::LeftButton);
        QVERIFY(r.w->regeln()->kopieren());
        r.action("ActLeiterNeuFreieNr")->trigger();
        QCOMPARE(r.page().EditNr->text(), QString("4"));
        QCOMPARE(r.page().EditKurzBez->currentText(), QString("Leiter 7"));
        QVERIFY(w.SpBKopieren->isChecked());
        QTest::mouseClick(w.okCancel()->BOK, Qt::LeftButton);
        QCOMPARE(r.storedKurzBez(), (QStringList{"1:Leiter 1", "2:Leiter 2", "3:Leiter 3", "4:Leiter 7", "7:Leiter 7"}));
        QTest::mouseClick(w.SpBKopieren, Qt::LeftButton);
        QVERIFY(!r.w->regeln()->kopieren());
    }

    // Saving without a short description: the message, the row stays new; then saved by Ctrl+Enter.
    void saveRequiresKurzBez()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        QTest::mouseClick(w.BNeu->mainButton(), Qt::LeftButton);
        QTest::mouseClick(w.okCancel()->BOK, Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Feld 'Kurz.-Bezeichnung' muß einen Wert haben"});
        QCOMPARE(r.leiter().state(), DataSetState::Insert);
        QCOMPARE(w.okCancel()->LabelTableStatus->text(), QString("Neu"));

        typeInto(r.page().EditKurzBez->lineEdit(), "Podest");
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QTest::keyClick(r.page().EditKurzBez->lineEdit(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
        QCOMPARE(r.storedKurzBez(), (QStringList{"1:Leiter 1", "2:Podest"}));
        QVERIFY(r.leiter().field("LAend").asDateTime() >= before);
        QVERIFY(!r.page().DBTextLAend->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), w.grid());
    }

    // A number in use is refused when it is entered and again on saving; the row stays new.
    void duplicateNumber()
    {
        Register r({1, 2});
        TLeiterVerw& w = r.open();
        QTest::mouseClick(w.BNeu->mainButton(), Qt::LeftButton);
        typeInto(r.page().EditKurzBez->lineEdit(), "Tritt");
        replaceText(r.page().EditNr, "2");
        QTest::keyClick(r.page().EditNr, Qt::Key_Return);
        QCOMPARE(Dialogs::shownTexts(), QStringList{"LeiterNr 2 schon vorhanden"});
        QCOMPARE(r.leiter().state(), DataSetState::Insert);
        QCOMPARE(r.page().EditNr->text(), QString("2"));
        QTest::mouseClick(w.okCancel()->BOK, Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts().size(), 2);
        QCOMPARE(Dialogs::shownTexts().last(), QString("LeiterNr 2 schon vorhanden"));
        QCOMPARE(r.leiter().state(), DataSetState::Insert);
        // Straight from the edit to OK: one message, not one for leaving and one for saving.
        replaceText(r.page().EditNr, "1");
        QTest::mouseClick(w.okCancel()->BOK, Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts().size(), 3);
        QCOMPARE(Dialogs::shownTexts().last(), QString("LeiterNr 1 schon vorhanden"));
        replaceText(r.page().EditNr, "5");
        QTest::mouseClick(w.okCancel()->BOK, Qt::LeftButton);
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
        QCOMPARE(r.storedKurzBez(), (QStringList{"1:Leiter 1", "2:Leiter 2", "5:Tritt"}));
    }

    // Enter moves to the next control, Esc drops the changes.
    void enterAndEscape()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        r.page().EditNr->setFocus();
        QTest::keyClick(r.page().EditNr, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), r.page().EditLookUpArt);
        typeInto(r.page().EditKurzBez->lineEdit(), "X");
        QCOMPARE(r.leiter().state(), DataSetState::Edit);
        QCOMPARE(w.okCancel()->LabelTableStatus->text(), QString("Ändern"));
        QTest::keyClick(r.page().EditKurzBez->lineEdit(), Qt::Key_Escape);
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
        QCOMPARE(r.page().EditKurzBez->currentText(), QString("Leiter 1"));
        QCOMPARE(r.storedKurzBez(), QStringList{"1:Leiter 1"});
    }

    // Editing starts from the stored row: what another workstation saved meanwhile is the base.
    void editRereadsRow()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        QCOMPARE(r.page().EditKurzBez->currentText(), QString("Leiter 1"));
        {
            Table other("LT_LEIT");
            other.open();
            other.edit();
            other.setValue("KurzBez", "Anderswo");
            other.post();
        }
        r.page().EditKurzBez->lineEdit()->setFocus();
        r.page().EditKurzBez->lineEdit()->end(false);
        QTest::keyClicks(r.page().EditKurzBez->lineEdit(), "!");
        QCOMPARE(r.page().EditKurzBez->currentText(), QString("Anderswo!"));
        w.BOKClick();
        QCOMPARE(Dialogs::shownTexts(), QStringList());
        QCOMPARE(r.storedKurzBez(), QStringList{"1:Anderswo!"});
    }

    // Delete asks; only Ja deletes, and the inspections stay in their table.
    void deleteKeepsInspections()
    {
        Register r({1, 2});
        {
            Table p("LT_PRUEF");
            p.open();
            Table t("LT_LEIT");
            t.setIndexFieldNames("Nr");
            t.open();
            QVERIFY(t.findKey({1}));
            for (int i = 0; i < 2; ++i) {
                p.append();
                p.setValue("LT_ID", t.value("ID"));
                p.setValue("Datum", QDate(2004, 6, 1 + i));
                p.post();
            }
        }
        TLeiterVerw& w = r.open();
        w.grid()->setFocus();
        Dialogs::scriptAnswer(false);
        QTest::keyClick(w.grid(), Qt::Key_Delete);
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Datensatz löschen ?"});
        QCOMPARE(r.leiter().recordCount(), 2);
        Dialogs::scriptAnswer(true);
        QTest::mouseClick(w.BLoe, Qt::LeftButton);
        QCOMPARE(r.storedKurzBez(), QStringList{"2:Leiter 2"});
        QCOMPARE(w.statusPanel(2)->text(), QString(" 1 von 1 "));
        Table p("LT_PRUEF");
        p.open();
        QCOMPARE(p.recordCount(), 2);
    }

    // The date buttons: Cancel changes nothing; OK puts the ladder into edit state with the date.
    void datePicker()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        QDate startDate;
        Dialogs::setFormHook([&](QDialog* d) {
            startDate = qobject_cast<TBrDateForm*>(d)->date();
            return int(QDialog::Rejected);
        });
        QTest::mouseClick(r.page().SpBAusgabeDatum, Qt::LeftButton);
        QCOMPARE(startDate, QDate::currentDate());
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
        QVERIFY(r.leiter().field("AusgabeDatum").isNull());
        QCOMPARE(QApplication::focusWidget(), r.page().EditAusgabeDatum);

        Dialogs::setFormHook([](QDialog* d) {
            qobject_cast<TBrDateForm*>(d)->setDate(QDate(2004, 6, 23));
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(r.page().SpBPruefTermin, Qt::LeftButton);
        QCOMPARE(r.leiter().state(), DataSetState::Edit);
        QCOMPARE(r.page().EditPruefTermin->text(), QString("23.06.2004"));
        QCOMPARE(QApplication::focusWidget(), r.page().EditPruefTermin);
        typeInto(r.page().EditKurzBez->lineEdit(), "");
        w.BOKClick();
        QCOMPARE(w.grid()->model()->index(0, w.grid()->cursorModel()->columnOf("PruefTermin")).data().toString(),
                 QString("Mi 23.06.04"));
    }

    // Typed dates: two-digit years from 1990, an impossible date is refused.
    void typedDates()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        replaceText(r.page().EditReparaturDatum, "010289");
        QTest::keyClick(r.page().EditReparaturDatum, Qt::Key_Return);
        QCOMPARE(r.leiter().field("ReparaturDatum").asDate(), QDate(2089, 2, 1));
        replaceText(r.page().EditReparaturDatum, "31029");
        QTest::keyClick(r.page().EditReparaturDatum, Qt::Key_Return);
        QCOMPARE(Dialogs::shownTexts().size(), 1);
        QVERIFY(Dialogs::shownTexts().first().contains("kein gültiges Datum"));
        QCOMPARE(r.leiter().field("ReparaturDatum").asDate(), QDate(2089, 2, 1));
        w.BCancelClick();
        QVERIFY(r.leiter().field("ReparaturDatum").isNull());
    }

    // The scrap date is shown for scrapped ladders only.
    void scrapDateVisibility()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        QVERIFY(!r.page().EditSchrottDatum->isVisible());
        QVERIFY(!r.page().SpBSchrottDatum->isVisible());
        QTest::mouseClick(r.page().EditCBSchrott, Qt::LeftButton);
        QCOMPARE(r.leiter().state(), DataSetState::Edit);
        QVERIFY(r.page().EditSchrottDatum->isVisible());
        QVERIFY(r.page().SpBSchrottDatum->isVisible());
        w.BOKClick();
        QCOMPARE(w.grid()->model()->index(0, 0).data().toString(), QString("A"));
        w.BCancelClick();
        QVERIFY(r.page().EditSchrottDatum->isVisible());
    }

    // Closing: the question, and with unsaved changes its second line; Ja drops the changes.
    void closeQuestions()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        Dialogs::scriptAnswer(false);
        QVERIFY(!w.close());
        QCOMPARE(Dialogs::shownTexts().last(), QString("Programm beenden?"));
        typeInto(r.page().EditKurzBez->lineEdit(), "neu");
        QCOMPARE(r.leiter().state(), DataSetState::Edit);
        Dialogs::scriptAnswer(false);
        QVERIFY(!w.close());
        QCOMPARE(Dialogs::shownTexts().last(), QString("Programm beenden?\nDaten noch nicht gespeichert"));
        QCOMPARE(r.leiter().state(), DataSetState::Edit);
        Dialogs::scriptAnswer(true);
        QVERIFY(w.close());
        QCOMPARE(r.storedKurzBez(), QStringList{"1:Leiter 1"});
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // Column order and the external number.
    void viewOptions()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        const QStringList standard = {"Schrott", "Nr", "ExNrBez", "KurzBez", "PruefTermin", "Firma", "PruefungArtText",
                                      "Art", "Mat", "FirmaAbtText", "LAend"};
        QCOMPARE(w.grid()->columns(), standard);
        QStringList titles;
        for (int c = 0; c < w.grid()->model()->columnCount(); ++c)
            titles << w.grid()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"  ", "Leiter-Nr", "externe Leiter-Nr", "Kurz.-Bezeichnung", "Prüf.-Termin", "Firma",
                                      "Prüfung", "Leiter-Art", "Material", "Firma - Abteilung", "geändert am:"}));
        r.action("MAnsFirmaAbtZuerst")->trigger();
        QVERIFY(r.action("MAnsFirmaAbtZuerst")->isChecked());
        QStringList swapped = standard;
        swapped[5] = "FirmaAbtText";
        swapped[9] = "Firma";
        QCOMPARE(w.grid()->columns(), swapped);
        r.action("MAnsExtNr")->trigger();
        QStringList noExt = swapped;
        noExt.removeAll("ExNrBez");
        QCOMPARE(w.grid()->columns(), noExt);
        QVERIFY(!r.page().EditExtNrStr->isVisible());
        QVERIFY(!r.page().LabelExtNr->isVisible());
        r.action("MAnsFirmaAbtZuerst")->trigger();
        r.action("MAnsExtNr")->trigger();
        QCOMPARE(w.grid()->columns(), standard);
        QVERIFY(r.page().EditExtNrStr->isVisible());

        w.resize(800, 700);
        r.action("MAnsStandard")->trigger();
        QCOMPARE(w.size(), QSize(604, 522));
        w.move(0, 0);
        r.action("MAnsMitte")->trigger();
        const QPoint centre = w.screen()->availableGeometry().center();
        QVERIFY(qAbs(w.frameGeometry().center().x() - centre.x()) <= 1);
        QVERIFY(qAbs(w.frameGeometry().center().y() - centre.y()) <= 1);
        // A maximised window stays as it is.
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        const QRect maximised = w.geometry();
        r.action("MAnsMitte")->trigger();
        QCOMPARE(w.geometry(), maximised);
        r.action("MAnsStandard")->trigger();
        QTRY_VERIFY(!w.isMaximized());
        QCOMPARE(w.size(), QSize(604, 522));
    }

    // F5 shows what another workstation wrote.
    void refreshShowsOthersWork()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        {
            r.dir.addAlias("NEBENAN");
            Table other("LT_LEIT");
            other.setAlias("NEBENAN");
            other.open();
            other.append();
            other.setValue("Nr", 42);
            other.setValue("KurzBez", "von nebenan");
            other.post();
        }
        QCOMPARE(w.grid()->model()->rowCount(), 1);
        r.action("MAnsAktualisieren")->trigger();
        QCOMPARE(w.grid()->model()->rowCount(), 2);
        QCOMPARE(w.statusPanel(2)->text(), QString(" 1 von 2 "));
        QCOMPARE(w.grid()->model()->index(1, 3).data().toString(), QString("von nebenan"));
    }

    // With limited rights every change is refused with the right's message and nothing changes.
    void rightsRefusals()
    {
        Register r({1, 2});
        TLeiterVerw& w = r.open();
        TUserControl* uc = r.dm->DataUserControl;
        uc->UserName = "Gast";
        uc->setActive(true);
        uc->setRights(TUserRights{crView});
        QCOMPARE(w.menus()->MAnsBenutzerRechte->title(), QString("Benutzer - Rechte für Gast"));
        QVERIFY(r.action("MAnsUser_crView")->isEnabled());
        for (const char* name : {"MAnsUser_crInsert", "MAnsUser_crModify", "MAnsUser_crDelete", "MAnsUser_crPrint",
                                 "MDateiDruck", "LtPopDruck"})
            QVERIFY2(!r.action(name)->isEnabled(), name);

        QTest::mouseClick(w.BNeu->mainButton(), Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts().last(), QString("Keine Berechtigung zum Einfügen von Datensätzen vorhanden"));
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_Insert);
        QCOMPARE(Dialogs::shownTexts().size(), 2);
        QCOMPARE(r.leiter().state(), DataSetState::Browse);

        typeInto(r.page().EditKurzBez->lineEdit(), "X");
        QCOMPARE(Dialogs::shownTexts().last(), QString("Keine Berechtigung zum Ändern von Datensätzen vorhanden"));
        QCOMPARE(r.page().EditKurzBez->currentText(), QString("Leiter 1"));
        QTest::mouseClick(r.page().EditCBSchrott, Qt::LeftButton);
        QVERIFY(!r.page().EditCBSchrott->isChecked());
        Dialogs::setFormHook([](QDialog* d) {
            qobject_cast<TBrDateForm*>(d)->setDate(QDate(2004, 6, 23));
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(r.page().SpBPruefTermin, Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts().last(), QString("Keine Berechtigung zum Ändern von Datensätzen vorhanden"));
        QCOMPARE(r.leiter().state(), DataSetState::Browse);

        const int before = int(Dialogs::shown().size());
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_Delete);
        QCOMPARE(int(Dialogs::shown().size()), before + 1);   // no question, only the refusal
        QCOMPARE(Dialogs::shownTexts().last(), QString("Keine Berechtigung zum Löschen von Datensätzen vorhanden"));
        QCOMPARE(r.storedKurzBez(), (QStringList{"1:Leiter 1", "2:Leiter 2"}));

        uc->setRights(TUserRights{crView, crInsert, crModify, crDelete, crPrint});
        QVERIFY(r.action("MAnsUser_crDelete")->isEnabled());
        QVERIFY(r.action("MDateiDruck")->isEnabled());
    }

    // Right and Left in the grid walk through the tabs; tab 1 shows the page of the display switch.
    void tabsAndPages()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        w.grid()->setFocus();
        QTest::keyClick(w.grid(), Qt::Key_Right);
        QCOMPARE(w.tabSet()->currentIndex(), 1);
        QCOMPARE(w.notebook()->currentWidget()->objectName(), QString("TabSheetPruefDetail"));
        // Switching the display leaves the page; the next tab click follows it.
        QTest::mouseClick(w.SpBDetailNeu, Qt::LeftButton);
        QVERIFY(!w.erweitertePruefungen());
        QCOMPARE(w.notebook()->currentWidget()->objectName(), QString("TabSheetPruefDetail"));
        w.selectTab(1);
        QCOMPARE(w.notebook()->currentWidget()->objectName(), QString("TabSheetPruef"));
        QTest::keyClick(w.grid(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(w.notebook()->currentWidget()->objectName(), QString("TabSheetPruefUebersicht"));
        QTest::keyClick(w.grid(), Qt::Key_Right);
        QCOMPARE(w.notebook()->currentWidget(), static_cast<QWidget*>(w.beschreibungPage()));
        QTest::keyClick(w.grid(), Qt::Key_Right);
        QCOMPARE(w.tabSet()->currentIndex(), 0);
        QTest::keyClick(w.grid(), Qt::Key_Left);
        QCOMPARE(w.tabSet()->currentIndex(), 3);
        QCOMPARE(r.leiter().recNo(), 1);

        // A page built elsewhere takes the placeholder's place.
        auto* uebersicht = new QWidget;
        w.replacePage(TLeiterVerw::PagePruefUebersicht, uebersicht);
        QCOMPARE(uebersicht->objectName(), QString("TabSheetPruefUebersicht"));
        w.selectTab(2);
        QCOMPARE(w.notebook()->currentWidget(), uebersicht);
    }

    // The department is chosen in the tree box; the grid shows its path, also after a rename
    // elsewhere once F5 has read it.
    void department()
    {
        Register r({1});
        int muster = 0, lager = 0;
        {
            Table f("FIRMEN");
            f.open();
            f.append();
            f.setValue("KurzBez", "Muster");
            f.post();
            muster = f.value("ID").toInt();
            f.append();
            f.setValue("KurzBez", "Lager");
            f.setValue("ParentID", muster);
            f.post();
            lager = f.value("ID").toInt();
        }
        TLeiterVerw& w = r.open();
        TDbTreeLookupComboBox* box = r.page().EditCoboAbt;
        box->dropDown();
        QVERIFY(box->droppedDown());
        TDBTreeView* tree = box->treeView();
        tree->setCurrentItem(tree->findNode(QString::number(lager)));
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(r.leiter().state(), DataSetState::Edit);
        QCOMPARE(r.leiter().field("FirmenAbtID").asInteger(), lager);
        QCOMPARE(box->displayText(), QString("Lager"));
        w.BOKClick();
        const int col = w.grid()->cursorModel()->columnOf("FirmaAbtText");
        QCOMPARE(w.grid()->model()->index(0, col).data().toString(), QString("Muster - Lager"));
        QVERIFY(w.markListe().isEmpty());
        {
            Table f("FIRMEN");
            f.open();
            QVERIFY(f.locate("ID", {muster}));
            f.edit();
            f.setValue("KurzBez", "Muster AG");
            f.post();
        }
        r.action("MAnsAktualisieren")->trigger();
        QCOMPARE(w.grid()->model()->index(0, col).data().toString(), QString("Muster AG - Lager"));
        QCOMPARE(w.firmAbt().PathText(QString::number(lager)), QString("Muster AG - Lager"));
        QCOMPARE(r.page().EditCoboFirmen->items(), QStringList{"Muster AG"});
    }

    // The description page writes the memo when the ladder is saved.
    void description()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        w.selectTab(3);
        TDBMemo* memo = w.beschreibungPage()->DBMemoBeschreibung;
        typeInto(memo, "Holm links");
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, "angerissen");
        QCOMPARE(r.leiter().state(), DataSetState::Edit);
        QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
        QCOMPARE(r.leiter().value("Beschreibung").toString(), QString("Holm links\nangerissen"));
    }

    // The suggestion list: edited in the items dialog and written to kurzbez.vor; Cancel keeps it.
    void suggestionList()
    {
        Register r({1});
        TLeiterVerw& w = r.open();
        QCOMPARE(r.page().vorschlaege(), (QStringList{"Leiter, ortsveränderlich", "Steigleiter, ortsfest"}));
        Dialogs::setFormHook([](QDialog* d) {
            qobject_cast<TItemsDialog*>(d)->memo()->setPlainText("Stehleiter\nPodest");
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(r.page().SpBEditKurzBezItems, Qt::LeftButton);
        QCOMPARE(r.page().vorschlaege(), (QStringList{"Stehleiter", "Podest"}));
        QFile file(QDir(r.programDir.path()).filePath("kurzbez.vor"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Stehleiter\r\nPodest\r\n"));
        Dialogs::setFormHook([](QDialog* d) {
            qobject_cast<TItemsDialog*>(d)->memo()->setPlainText("weg");
            return int(QDialog::Rejected);
        });
        QTest::mouseClick(r.page().SpBEditKurzBezItems, Qt::LeftButton);
        QCOMPARE(r.page().vorschlaege(), (QStringList{"Stehleiter", "Podest"}));
        QCOMPARE(r.leiter().state(), DataSetState::Browse);
        // A chosen suggestion is written at once.
        r.page().EditKurzBez->setFocus();
        QTest::keyClick(r.page().EditKurzBez->lineEdit(), Qt::Key_Down);
        QCOMPARE(r.leiter().state(), DataSetState::Edit);
        QCOMPARE(r.leiter().value("KurzBez").toString(), QString("Stehleiter"));
        w.BCancelClick();
    }

    void extrasAboutHelpAndWeb()
    {
        Register r;
        TLeiterVerw& w = r.open();
        r.action("MExDatenVerz")->trigger();
        QCOMPARE(Dialogs::shownTexts().last(),
                 QString("Daten sind im Verzeichnis %1 gespeichert").arg(QDir::toNativeSeparators(r.dir.path())));
        r.action("MExNetFileDir")->trigger();
        QCOMPARE(Dialogs::shownTexts().last(), QString("aktuelles Paradox NetFileDir ist %1 ").arg(r.dir.path()));
        r.action("MExPrivateDir")->trigger();
        QCOMPARE(Dialogs::shownTexts().last(),
                 QString("aktuelles Paradox PrivateDir ist %1 ").arg(Engine::instance().privateDir()));
        QCOMPARE(Dialogs::shown().last().kind, Dialogs::Kind::Information);

        QString caption, label;
        Dialogs::setFormHook([&](QDialog* d) {
            if (auto* about = qobject_cast<TAboutBox*>(d)) {
                caption = about->windowTitle();
                label = about->Version->text();
                [&] {
                    QCOMPARE(about->size(), QSize(298, 317));
                    QCOMPARE(about->ProductName->text(), QString("Produktname : Holmwacht"));
                    QVERIFY(about->OKButton->isDefault());
                }();
            } else if (auto* list = qobject_cast<TListenDialog*>(d)) {
                label = list->label()->text();
            }
            return int(QDialog::Accepted);
        });
        r.action("MHilfeUeber")->trigger();
        QCOMPARE(caption, QString("Über Holmwacht Vers.: 1.60"));
        QCOMPARE(label, QString("int. Version : 1.60.018 - 23.06.2004"));
        r.action("MExMPUserList")->trigger();
        QCOMPARE(label, QString("zur Zeit : %1 - Benutzer").arg(Engine::instance().networkUsers().size()));

        r.action("MHilfeInhalt")->trigger();
        QVERIFY(w.helpWindow());
        QVERIFY(w.helpWindow()->isVisible());
        QCOMPARE(w.helpWindow()->browser()->source(), THelpWindow::contentsUrl());
        QVERIFY(w.helpWindow()->browser()->toPlainText().contains("Leitern anlegen und numerieren"));

        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        QDesktopServices::setUrlHandler("mailto", &catcher, "open");
        r.action("MHilfeAufrufVEKHomePage")->trigger();
        r.action("HilfeVEKEmail1")->trigger();
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(catcher.urls, (QList<QUrl>{herstellerHomepage(), herstellerEmail()}));
        QCOMPARE(r.action("MHilfeAufrufVEKHomePage")->statusTip(), herstellerHomepage().toString());
    }
};

QTEST_MAIN(TestLeiterVerw)
#include "tst_leiterverw.moc"
