#include "Anmeldung.h"
#include "BenutzerVerwaltung.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Engine.h"
#include "Features.h"
#include "FormDriver.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "TabellenPasswoerter.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QtTest>

// "Benutzer wechseln .." (F12) and "Passwort ändern ..." in the main window: the new user's
// name and rights reach the status bar, the rights component and the rights menu at once.
class TestBenutzerwechsel : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataDir> m_dir;
    std::unique_ptr<TDataModule1> m_dm;
    std::unique_ptr<TLeiterVerw> m_w;

    QAction* action(const char* name) const { return m_w->menus()->action(QLatin1String(name)); }

    // F12 on the main window, made active again after the forms before.
    void pressF12()
    {
        m_w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
        QTest::keyClick(m_w.get(), Qt::Key_F12);
    }

    QStringList enabledRights() const
    {
        QStringList out;
        for (const char* n : {"MAnsUser_crView", "MAnsUser_crInsert", "MAnsUser_crModify", "MAnsUser_crDelete",
                              "MAnsUser_crPrint", "MExAdminUser", "MDateiDruck"})
            if (action(n)->isEnabled())
                out << QString::fromLatin1(n);
        return out;
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        UserState::reset();
        m_dir = std::make_unique<TestDataDir>();
        UserState::BenutzerDatenbank = "tarvino";
        TabellenPasswoerter::SetLesePasswort(TabellenPasswoerter::LesePasswortBasis());
        ErsterAdministrator("Chef", "chef1", "master");
        Engine::instance().addPassword("master");
        {
            BenutzerVerwaltung bv;
            bv.Detail->open();
            for (const auto& [name, r, locked] : {std::tuple{"Leser", TUserRights{crView}, false},
                                                  std::tuple{"Zu", TUserRights::all(), true}}) {
                const TUserRights rights = r;
                bv.RechteZumSpeichern = [rights] { return rights; };
                bv.Detail->append();
                bv.Detail->setValue("Name", name);
                bv.SetPasswort("pass1");
                bv.Detail->setValue("Gesperrt", locked);
                bv.Speichern();
            }
        }
        Engine::instance().removeAllPasswords();
        UserState::AktBenutzer = "Chef";
        UserState::AktRechte = TUserRights::all();
        m_dm = std::make_unique<TDataModule1>();
        m_w = std::make_unique<TLeiterVerw>(*m_dm);
        plugFeatures(*m_w);
        m_w->show();
        m_w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
    }

    void cleanup()
    {
        m_w.reset();
        m_dm.reset();
        m_dir.reset();
        UserState::reset();
    }

    void changeOfUser()
    {
        if (!UserState::UserAdministration)
            return;
        QVERIFY(action("MDateiExLogin")->isVisible() && action("MDateiExLogin")->isEnabled());
        QCOMPARE(enabledRights().size(), 7);
        // F12 to a user with the right to view only.
        {
            FormDriver forms;
            forms.then(FormDriver::enter({"leser", "PASS1"}));
            pressF12();
            QCOMPARE(forms.titles, QStringList{"Paßwort - Abfrage"});
        }
        QCOMPARE(UserState::AktBenutzer, QString("leser"));
        QCOMPARE(m_w->statusPanel(0)->text(), QString("leser"));
        QCOMPARE(m_dm->DataUserControl->UserName, QString("leser"));
        QCOMPARE(enabledRights(), QStringList{"MAnsUser_crView"});
        QCOMPARE(m_w->menus()->MAnsBenutzerRechte->title(), QString("Benutzer - Rechte für leser"));
        QVERIFY_THROWS_EXCEPTION(UserControlException, m_dm->DataUserControl->CheckRight(crInsert));
        // A locked user: the message, and the previous user stays.
        {
            FormDriver forms;
            forms.then(FormDriver::enter({"Zu", "pass1"}));
            pressF12();
        }
        QCOMPARE(Dialogs::shownTexts().last(), QString("Benutzer gesperrt => keine Anmeldung möglich"));
        QCOMPARE(UserState::AktBenutzer, QString("leser"));
        QCOMPARE(m_w->statusPanel(0)->text(), QString("leser"));
        QCOMPARE(enabledRights(), QStringList{"MAnsUser_crView"});
        // Cancel leaves everything as it was, without a message.
        const int shown = Dialogs::shown().size();
        {
            FormDriver forms;
            pressF12();
            QCOMPARE(forms.undriven, 1);
        }
        QCOMPARE(Dialogs::shown().size(), shown + 1);     // the form itself
        QCOMPARE(UserState::AktBenutzer, QString("leser"));
        // "Passwort ändern ...": the rights are read again.
        {
            FormDriver forms;
            forms.then(FormDriver::enter({"pass1", "neu12", "neu12"}));
            action("MDateiExPassChange")->trigger();
            QCOMPARE(forms.titles, QStringList{"Paßwort - Änderung"});
        }
        QCOMPARE(UserState::AktBenutzer, QString("leser"));
        QCOMPARE(enabledRights(), QStringList{"MAnsUser_crView"});
        {
            FormDriver forms;
            forms.then(FormDriver::enter({"Chef", "chef1"}));
            pressF12();
        }
        QCOMPARE(enabledRights().size(), 7);
        QCOMPARE(m_w->statusPanel(0)->text(), QString("Chef"));
    }
};

QTEST_MAIN(TestBenutzerwechsel)
#include "tst_benutzerwechsel.moc"
