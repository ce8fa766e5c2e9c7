#include "Anmeldung.h"
#include "BenutzerVerwaltung.h"
#include "DataControls.h"
#include "Dialogs.h"
#include "Engine.h"
#include "FormDriver.h"
#include "PasswordDialog.h"
#include "SBenutzerVerw.h"
#include "TabellenPasswoerter.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace TabellenPasswoerter;

// The password form, the login, the first set-up and the administration entry on a real
// register, driven by keys and clicks.
class TestAnmeldung : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataDir> m_dir;

    // The register as start-up finds it after the first set-up: "Chef" (all rights, password
    // "chef1"), master "master"; then "Anna" ("geheim", view and print) and "Gesperrt" (locked).
    void register3()
    {
        UserState::BenutzerDatenbank = "tarvino";
        SetLesePasswort(LesePasswortBasis());
        ErsterAdministrator("Chef", "chef1", "master");
        Engine::instance().addPassword("master");
        BenutzerVerwaltung bv;
        bv.Detail->open();
        auto add = [&](const char* name, const char* pw, TUserRights r, bool locked) {
            bv.RechteZumSpeichern = [r] { return r; };
            bv.Detail->append();
            bv.Detail->setValue("Name", name);
            bv.SetPasswort(pw);
            bv.Detail->setValue("Gesperrt", locked);
            bv.Speichern();
        };
        add("Anna", "geheim", {crView, crPrint}, false);
        add("Gesperrt", "zu123", TUserRights::all(), true);
        bv.Detail->close();
        Engine::instance().removeAllPasswords();
    }

    static QStringList errors()
    {
        QStringList out;
        for (const Dialogs::Shown& s : Dialogs::shown())
            if (s.kind == Dialogs::Kind::Error)
                out << s.text;
        return out;
    }

    // A second workstation holding the user table exclusively until its input closes.
    struct OtherHolder {
        QProcess p;
        explicit OtherHolder(const TestDataDir& dir)
        {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("HW_CHILD_NETDIR", dir.path());
            env.insert("HW_CHILD_DRIVER", dir.driver());
            env.insert("HW_CHILD_LOCATION", dir.location());
            p.setProcessEnvironment(env);
            p.start(QCoreApplication::applicationFilePath(), {});
            p.waitForReadyRead(30000);
        }
        ~OtherHolder()
        {
            p.closeWriteChannel();
            p.waitForFinished(10000);
        }
    };

private slots:
    void init()
    {
        resetDialogsForTest();
        UserState::reset();
        AdminExklusiv = false;
        MasterPasswort.clear();
        m_dir = std::make_unique<TestDataDir>();
    }
    void cleanup()
    {
        m_dir.reset();
        UserState::reset();
    }

    // The close checks of the three variants, keyed in: Enter walks on while a field is
    // missing; refusals name the fault and keep the form open.
    void closeChecks_data()
    {
        QTest::addColumn<int>("variante");
        QTest::addColumn<QString>("name");          // given name; empty: editable and empty
        QTest::addColumn<QStringList>("keys");      // texts, each followed by Enter
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("focus");         // focus when still open
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("newPassword");   // Password2 afterwards (or the result)
        const int A = int(TvekPasswordDialog::Variante::Abfrage);
        const int N = int(TvekPasswordDialog::Variante::Neueingabe);
        const int C = int(TvekPasswordDialog::Variante::Aenderung);
        QTest::newRow("query: no name") << A << "" << QStringList{""} << false << "UserName"
                                        << "Fehler : Keinen Benutzer eingegeben" << "";
        QTest::newRow("query: Enter in name walks to password") << A << "" << QStringList{"Anna"} << false
                                                                << "Password1" << "" << "";
        QTest::newRow("query: Enter in empty password tries it") << A << "" << QStringList{"Anna", ""} << true << ""
                                                                 << "" << "";
        QTest::newRow("new: name, then both fields") << N << "" << QStringList{"Anna", "abcd"} << false << "Password3"
                                                     << "" << "abcd";
        QTest::newRow("new: mismatch clears both") << N << "" << QStringList{"Anna", "abcd", "abce"} << false
                                                   << "Password2"
                                                   << "Neues Paßwort bzw Wiederholung nicht korrekt eingegeben" << "";
        QTest::newRow("new: 3 characters") << N << "Anna" << QStringList{"abc", "abc"} << false << "Password2"
                                           << "Fehler : Paßwort zu kurz (Min = 4 Zeichen)" << "";
        QTest::newRow("new: 4 characters") << N << "Anna" << QStringList{"abcd", "abcd"} << true << "" << "" << "abcd";
        QTest::newRow("new: 10 characters") << N << "Anna" << QStringList{"abcdefghij", "abcdefghij"} << true << ""
                                            << "" << "abcdefghij";
        QTest::newRow("new: 11 characters") << N << "Anna" << QStringList{"abcdefghijk", "abcdefghijk"} << false
                                            << "Password2" << "Fehler : Paßwort zu lang (Max = 10 Zeichen)" << "";
        // The rule counts what is stored: spaces around the password are not kept.
        QTest::newRow("new: 3 characters padded with spaces") << N << "Anna" << QStringList{"  abc  ", "  abc  "} << false
                                                              << "Password2" << "Fehler : Paßwort zu kurz (Min = 4 Zeichen)"
                                                              << "";
        QTest::newRow("new: 10 characters and a space") << N << "Anna" << QStringList{"abcdefghij ", "abcdefghij "} << true
                                                        << "" << "" << "abcdefghij ";
        QTest::newRow("new: only spaces") << N << "Anna" << QStringList{"     ", "     "} << false << "Password2"
                                          << "Fehler : Kein neues Paßwort eingegeben" << "";
        QTest::newRow("new: nothing at all") << N << "Anna" << QStringList{"", ""} << false << "Password2"
                                             << "Fehler : Kein neues Paßwort eingegeben" << "";
        QTest::newRow("change: walks old, new, repeat") << C << "Anna" << QStringList{"alt", "neu1", "neu1"} << true
                                                        << "" << "" << "neu1";
        QTest::newRow("change: old then Enter walks to new") << C << "Anna" << QStringList{"alt"} << false
                                                             << "Password2" << "" << "";
    }

    void closeChecks()
    {
        QFETCH(int, variante);
        QFETCH(QString, name);
        QFETCH(QStringList, keys);
        QFETCH(bool, closed);
        QFETCH(QString, focus);
        QFETCH(QString, error);
        QFETCH(QString, newPassword);
        TvekPasswordDialog d(TvekPasswordDialog::Variante(variante), "Holmwacht", name, name.isEmpty());
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        FormDriver::enter(keys)(&d);
        QCOMPARE(d.isVisible(), !closed);
        if (closed)
            QCOMPARE(d.result(), int(QDialog::Accepted));
        else
            QCOMPARE(FormDriver::focusName(), focus);
        QCOMPARE(errors(), error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(d.Password2->text(), newPassword);
        // Cancel always closes.
        if (!closed) {
            FormDriver::key(Qt::Key_Escape);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.result(), int(QDialog::Rejected));
        }
    }

    // The three captions, the header and the fixed name.
    void variants()
    {
        QString name = "Anna", pw;
        FormDriver forms;
        TvekPasswordDialog* seen = nullptr;
        forms.then([&](QDialog* d) {
            seen = static_cast<TvekPasswordDialog*>(d);
            QCOMPARE(seen->LabHeader->text(), QString("Programm :"));
            QCOMPARE(seen->LabHeaderName->text(), QString("Neues Paßwort"));
            QVERIFY(!seen->UserName->isEnabled());
            QVERIFY(!seen->PanelPassword1->isVisible());
            QCOMPARE(seen->Password2->echoMode(), QLineEdit::Password);
            QCOMPARE(FormDriver::focusName(), QString("Password2"));
            FormDriver::enter({"Abc12", "Abc12"})(d);
        });
        QVERIFY(PasswortNeueingabe("Neues Paßwort", name, pw, false));
        QCOMPARE(pw, QString("Abc12"));
        QCOMPARE(forms.titles, QStringList{"Paßwort - Neueingabe"});
        QString alt, neu;
        QVERIFY(!PasswortAenderung("x", name, alt, false, neu));
        QVERIFY(!PasswortAbfrage("x", name, alt, true));
        QCOMPARE(forms.titles, (QStringList{"Paßwort - Neueingabe", "Paßwort - Änderung", "Paßwort - Abfrage"}));
    }

    // Login: the password in other capitals is accepted and the typed name is handed on; a
    // wrong password shows the form again (no message) with the name kept.
    void login()
    {
        register3();
        FormDriver forms;
        forms.then(FormDriver::enter({"aNNa", "falsch"})).then([](QDialog*) {
            QCOMPARE(FormDriver::focusName(), QString("Password1"));
            FormDriver::enter({"GEHEIM"})(nullptr);
        });
        QVERIFY(BenutzerStart({}));
        QCOMPARE(forms.titles.size(), 2);
        QCOMPARE(UserState::AktBenutzer, QString("aNNa"));
        QCOMPARE(UserState::AktRechte, (TUserRights{crView, crPrint}));
        QCOMPARE(errors(), QStringList{});
        QVERIFY(Engine::instance().passwords().isEmpty());
    }

    // Start-up ends on a locked user (with the message), on Cancel (silently) and on any
    // argument but Admin (without a form).
    void startEnds_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("forms");
        QTest::newRow("locked user") << QStringList{} << QStringList{"gesperrt", "zu123"}
                                     << QStringList{"Benutzer gesperrt => keine Anmeldung möglich"} << 1;
        QTest::newRow("cancel") << QStringList{} << QStringList{} << QStringList{} << 1;
        QTest::newRow("other argument") << QStringList{"/x"} << QStringList{} << QStringList{} << 0;
    }

    void startEnds()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, shown);
        QFETCH(int, forms);
        register3();
        FormDriver driver;
        if (!keys.isEmpty())
            driver.then(FormDriver::enter(keys));
        QVERIFY(!BenutzerStart(args));
        QCOMPARE(driver.titles.size(), forms);
        QCOMPARE(Dialogs::shownTexts().filter("Benutzer"), shown);
    }

    // The own password: the old one must match; a locked user's password stays.
    void ownPassword()
    {
        register3();
        FormDriver forms;
        forms.then(FormDriver::enter({"falsch", "neu12", "neu12"})).then(FormDriver::enter({"Geheim", "neu12", "neu12"}));
        QString name = "Anna";
        TUserRights r;
        bool locked = true;
        QVERIFY(PasswortAendern(name, r, locked));
        QCOMPARE(forms.titles.size(), 2);
        QVERIFY(!locked);
        QCOMPARE(r, (TUserRights{crView, crPrint}));
        BenutzerVerwaltung bv;
        Engine::instance().addPassword(LesePasswort());
        bv.Detail->open();
        QVERIFY(bv.CheckBenutzer("Anna", "neu12"));
        QVERIFY(!bv.CheckBenutzer("Anna", "geheim"));
        bv.Detail->close();

        FormDriver again;
        again.then(FormDriver::enter({"zu123", "offen1", "offen1"}));
        name = "Gesperrt";
        QVERIFY(PasswortAendern(name, r, locked));
        QVERIFY(locked);
        Engine::instance().addPassword(LesePasswort());
        bv.Detail->open();
        QVERIFY(bv.CheckBenutzer("Gesperrt", "zu123"));
    }

    // A register without users: the first administrator and the master password are asked
    // once, stored as hashes, then the normal login follows; Cancel stores nothing.
    void firstStart()
    {
        UserState::BenutzerDatenbank = "tarvino";
        {
            FormDriver cancel;
            QVERIFY(!BenutzerStart({}));
            QCOMPARE(cancel.titles, QStringList{"Paßwort - Neueingabe"});
            QVERIFY(ErsteinrichtungNoetig());
        }
        FormDriver forms;
        forms.then(FormDriver::enter({"Chefin", "erst1", "erst1"}))
            .then(FormDriver::enter({"master1", "master1"}))
            .then(FormDriver::enter({"chefin", "ERST1"}));
        QVERIFY(BenutzerStart({}));
        QCOMPARE(forms.titles, (QStringList{"Paßwort - Neueingabe", "Paßwort - Neueingabe", "Paßwort - Abfrage"}));
        QCOMPARE(UserState::AktRechte, TUserRights::all());
        QVERIFY(!ErsteinrichtungNoetig());
        // The table now opens with the master password fully, with the read password read-only.
        Table t("Benutzer");
        Engine::instance().addPassword(LesePasswort());
        t.open();
        QVERIFY(!t.access().full);
        QVERIFY_THROWS_EXCEPTION(EngineError, t.append());
        t.close();
        Engine::instance().removeAllPasswords();
        Engine::instance().addPassword("MASTER1");
        t.open();
        QVERIFY(t.access().full);
        QCOMPARE(t.recordCount(), 1);
        Engine::instance().removeAllPasswords();
    }

    // "admin" on the command line: the master password is asked (the read password makes the
    // question come back), the table is opened exclusively, and the program ends afterwards.
    void adminArgument()
    {
        register3();
        FormDriver forms;
        bool exclusive = false;
        QString label;
        forms.then([](QDialog*) { FormDriver::enter({LesePasswort()})(nullptr); })
            .then(FormDriver::enter({"MASTER"}))
            .then([&](QDialog* d) {
                auto* w = static_cast<TSBenutzerVerw*>(d);
                exclusive = w->Detail->exclusive() && w->Detail->active();
                label = w->LabExclusive->text();
                QCOMPARE(w->Detail->recordCount(), 3);
                Dialogs::scriptAnswer(true);
                QTest::mouseClick(w->BEnde, Qt::LeftButton);
            });
        QVERIFY(!BenutzerStart({"admin"}));
        QCOMPARE(forms.titles, (QStringList{"Paßwort - Abfrage", "Paßwort - Abfrage",
                                            "Stammdaten : Benutzerverwaltung - Holmwacht"}));
        QVERIFY(exclusive);
        QCOMPARE(label, QString("Exclusiv"));
        QVERIFY(Dialogs::shownTexts().contains("Benutzerverwaltung beenden?"));
        QVERIFY(Engine::instance().passwords().isEmpty());
    }

    // "Admin" on a register without users runs the first set-up before anything else (the
    // read password refused as master), then opens the administration with that master
    // without asking it again; afterwards only the master opens it.
    void adminStartOnNewRegister()
    {
        UserState::BenutzerDatenbank = "tarvino";
        FormDriver forms;
        int users = -1;
        bool exclusive = false;
        forms.then(FormDriver::enter({"Chefin", "erst1", "erst1"}))
            .then([](QDialog*) { FormDriver::enter({LesePasswort().toUpper(), LesePasswort().toUpper()})(nullptr); })
            .then(FormDriver::enter({"master1", "master1"}))
            .then([&](QDialog* d) {
                auto* w = static_cast<TSBenutzerVerw*>(d);
                users = w->Detail->recordCount();
                exclusive = w->Detail->exclusive() && w->Detail->active();
                Dialogs::scriptAnswer(true);
                QTest::mouseClick(w->BEnde, Qt::LeftButton);
            });
        QVERIFY(!BenutzerStart({"Admin"}));
        QCOMPARE(forms.titles, (QStringList{"Paßwort - Neueingabe", "Paßwort - Neueingabe", "Paßwort - Neueingabe",
                                            "Stammdaten : Benutzerverwaltung - Holmwacht"}));
        QCOMPARE(errors(), QStringList{"Dieses Passwort kann nicht Master-Passwort sein"});
        QCOMPARE(users, 1);
        QVERIFY(exclusive);
        QVERIFY(Engine::instance().passwords().isEmpty());
        QVERIFY(!ErsteinrichtungNoetig());

        // A wrong password no longer opens it: the question comes back until Cancel.
        FormDriver again;
        again.then(FormDriver::enter({"falsch"}));
        QVERIFY(!BenutzerStart({"Admin"}));
        QCOMPARE(again.titles, (QStringList{"Paßwort - Abfrage", "Paßwort - Abfrage"}));
        FormDriver login;
        login.then(FormDriver::enter({"chefin", "erst1"}));
        QVERIFY(BenutzerStart({}));
        QCOMPARE(UserState::AktRechte, TUserRights::all());
    }

    // A user table with users but no master password is never open to all: the login and the
    // administration refuse it with the repair, and "Admin" repairs it after a login of a
    // user with the administration right (not of any user).
    void unprotectedTableWithUsersRefused()
    {
        UserState::BenutzerDatenbank = "tarvino";
        SetLesePasswort(LesePasswortBasis());
        {
            BenutzerVerwaltung bv;
            bv.Detail->open();
            auto add = [&](const char* name, const char* pw, TUserRights r) {
                bv.RechteZumSpeichern = [r] { return r; };
                bv.Detail->append();
                bv.Detail->setValue("Name", name);
                bv.SetPasswort(pw);
                bv.Speichern();
            };
            add("Chef", "chef1", TUserRights::all());
            add("Anna", "geheim", {crView});
        }
        const QString repair = "Reparatur: das Programm mit \"holmwacht Admin\" starten";
        {
            FormDriver none;
            QVERIFY(!BenutzerStart({}));
            QCOMPARE(none.titles, QStringList{});
            QCOMPARE(errors().size(), 1);
            QVERIFY2(errors().last().contains(repair), qPrintable(errors().last()));
            AdminModus("Tester");
            QCOMPARE(none.titles, QStringList{});
            QCOMPARE(errors().size(), 2);
            QVERIFY(errors().last().contains(repair));
        }
        // Behind the check of the start: the login itself refuses the unprotected table.
        {
            FormDriver forms;
            forms.then(FormDriver::enter({"Anna", "geheim"}));
            QString name;
            TUserRights r;
            bool locked = true;
            QVERIFY(!Anmelden(name, r, locked));
            QVERIFY(errors().last().contains(repair));
            QVERIFY(Engine::instance().passwords().isEmpty());
        }
        FormDriver forms;
        forms.then(FormDriver::enter({"Anna", "geheim"}))
            .then(FormDriver::enter({"Chef", "chef1"}))
            .then(FormDriver::enter({"neuM1", "neuM1"}))
            .then([](QDialog* d) {
                QCOMPARE(static_cast<TSBenutzerVerw*>(d)->Detail->recordCount(), 2);
                Dialogs::scriptAnswer(true);
                d->close();
            });
        QVERIFY(!BenutzerStart({"admin"}));
        QCOMPARE(forms.titles, (QStringList{"Paßwort - Abfrage", "Paßwort - Abfrage", "Paßwort - Neueingabe",
                                            "Stammdaten : Benutzerverwaltung - Holmwacht"}));
        QVERIFY(errors().last().startsWith("Nur ein Benutzer mit dem Recht"));
        Table t("Benutzer");
        Engine::instance().addPassword(LesePasswort());
        t.open();
        QVERIFY(!t.access().full);
        t.close();
        Engine::instance().removeAllPasswords();
        FormDriver login;
        login.then(FormDriver::enter({"Anna", "geheim"}));
        QVERIFY(BenutzerStart({}));
    }

    // The read password never becomes the master password, in whatever capitals or with
    // spaces around it: refused, and the master stays as it was.
    void readPasswordRefusedAsNewMaster_data()
    {
        QTest::addColumn<QString>("neu");
        QTest::newRow("as built") << LesePasswort();
        QTest::newRow("capitals") << LesePasswort().toUpper();
        QTest::newRow("spaces around") << " " + LesePasswort() + " ";
    }

    void readPasswordRefusedAsNewMaster()
    {
        QFETCH(QString, neu);
        register3();
        FormDriver forms;
        forms.then(FormDriver::enter({"master"})).then([&](QDialog* d) {
            auto* w = static_cast<TSBenutzerVerw*>(d);
            FormDriver inner;
            inner.then([&](QDialog*) { FormDriver::enter({"master", neu, neu})(nullptr); });
            QTest::mouseClick(w->BChangeMasterPw, Qt::LeftButton);
            QCOMPARE(inner.titles, QStringList{"Paßwort - Änderung"});
            Dialogs::scriptAnswer(true);
            w->close();
        });
        AdminModus("Tester");
        QCOMPARE(errors(), QStringList{"Dieses Passwort kann nicht Master-Passwort sein"});
        QCOMPARE(MasterPasswort, QString("master"));
        // The master still opens the administration, the read password still only the login.
        FormDriver again;
        again.then(FormDriver::enter({"master"})).then([](QDialog* d) {
            Dialogs::scriptAnswer(true);
            d->close();
        });
        AdminModus("Tester");
        QCOMPARE(again.titles.size(), 2);
        Table t("Benutzer");
        Engine::instance().addPassword(LesePasswort());
        t.open();
        QVERIFY(!t.access().full);
        Engine::instance().removeAllPasswords();
    }

    // The last user with the administration right can be neither deleted, nor locked, nor
    // lose the right (locked "Gesperrt" does not count); with a second administrator all
    // three go through. Driven in the window, checked on the stored row.
    void lastAdministratorKept_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("secondAdmin");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("delete") << "delete" << false << "Der letzte Benutzer mit Verwaltungsrecht kann nicht gelöscht werden.";
        QTest::newRow("lock") << "lock" << false << "Der letzte Benutzer mit Verwaltungsrecht kann nicht gesperrt werden.";
        QTest::newRow("take the right") << "untick" << false
                                        << "Dem letzten Benutzer mit Verwaltungsrecht kann dieses Recht nicht genommen werden.";
        QTest::newRow("delete, second admin") << "delete" << true << "";
        QTest::newRow("lock, second admin") << "lock" << true << "";
        QTest::newRow("take the right, second admin") << "untick" << true << "";
    }

    void lastAdministratorKept()
    {
        QFETCH(QString, action);
        QFETCH(bool, secondAdmin);
        QFETCH(QString, refusal);
        register3();
        FormDriver forms;
        forms.then(FormDriver::enter({"master"})).then([&](QDialog* d) {
            auto* w = static_cast<TSBenutzerVerw*>(d);
            auto clickRow = [&](const QString& name) {
                for (int r = 0; r < w->DBGridDetail->model()->rowCount(); ++r) {
                    const QModelIndex i = w->DBGridDetail->model()->index(r, 0);
                    if (i.data().toString() == name) {
                        QTest::mouseClick(w->DBGridDetail->viewport(), Qt::LeftButton, {},
                                          w->DBGridDetail->visualRect(i).center());
                        return;
                    }
                }
                QFAIL("row missing");
            };
            QCheckBox* admin = w->findChild<QCheckBox*>("cbBenAdmin");
            if (secondAdmin) {
                clickRow("Anna");
                QTest::mouseClick(admin, Qt::LeftButton);
                QTest::mouseClick(w->BOk, Qt::LeftButton);
            }
            clickRow("Chef");
            QCOMPARE(w->DBTextName->text(), QString("Chef"));
            if (action == "delete") {
                Dialogs::scriptAnswer(true);
                QTest::mouseClick(w->SpBLoeschen, Qt::LeftButton);
            } else {
                QCheckBox* box = action == "lock" ? w->DBCheckBox1 : admin;
                // On the box itself: the control may be wider than its caption.
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
                QTest::mouseClick(w->BOk, Qt::LeftButton);
            }
            Dialogs::scriptAnswer(true);
            Dialogs::scriptAnswer(true);
            w->close();
        });
        AdminModus("Tester");
        QCOMPARE(errors(), refusal.isEmpty() ? QStringList() : QStringList{refusal + "\nGeben Sie zuerst einem anderen "
                                                                           "Benutzer das Recht \"Admin - Verwaltungsrechte\"."});
        // A refused delete is refused before anybody is asked to confirm it.
        if (action == "delete")
            QCOMPARE(Dialogs::shownTexts().contains("Datensatz löschen ?"), refusal.isEmpty());
        BenutzerVerwaltung bv;
        Engine::instance().addPassword("master");
        bv.Detail->open();
        const bool kept = bv.FindBenutzer("Chef");
        QCOMPARE(kept, refusal.isEmpty() ? action != "delete" : true);
        if (kept) {
            const bool changed = refusal.isEmpty() && action != "delete";
            QCOMPARE(bv.Detail->field("Gesperrt").asBoolean(), changed && action == "lock");
            QCOMPARE(bv.RechteAusDatensatz().contains(crAdmin), !(changed && action == "untick"));
        }
        Engine::instance().removeAllPasswords();
    }

    // After a master password change only the new one opens the administration; the read
    // password still lets users log in.
    void masterPasswordChange()
    {
        register3();
        FormDriver forms;
        forms.then(FormDriver::enter({"master"})).then([](QDialog* d) {
            auto* w = static_cast<TSBenutzerVerw*>(d);
            FormDriver inner;
            inner.then(FormDriver::enter({"falsch", "neu12", "neu12"})).then(FormDriver::enter({"Master", "neu12", "neu12"}));
            QTest::mouseClick(w->BChangeMasterPw, Qt::LeftButton);
            QCOMPARE(Dialogs::shownTexts().last(), QString("Falsches Passwort"));
            QTest::mouseClick(w->BChangeMasterPw, Qt::LeftButton);
            QCOMPARE(inner.titles, (QStringList{"Paßwort - Änderung", "Paßwort - Änderung"}));
            QCOMPARE(w->LabExclusive->text(), QString("Normal"));
            Dialogs::scriptAnswer(true);
            w->close();
        });
        AdminModus("Tester");
        QCOMPARE(MasterPasswort, QString("neu12"));

        FormDriver again;
        again.then(FormDriver::enter({"master"})).then(FormDriver::enter({"neu12"})).then([](QDialog* d) {
            Dialogs::scriptAnswer(true);
            d->close();
        });
        AdminModus("Tester");
        QCOMPARE(again.titles.size(), 3);
        FormDriver login;
        login.then(FormDriver::enter({"Anna", "geheim"}));
        QVERIFY(BenutzerStart({}));
    }

    // Another workstation holds the user table exclusively: the administration and the login
    // are refused with their messages.
    void refusedWhileHeldElsewhere()
    {
        register3();
        OtherHolder other(*m_dir);
        QCOMPARE(QString::fromUtf8(other.p.readLine()).trimmed(), QString("ok"));
        FormDriver forms;
        forms.then(FormDriver::enter({"master"}));
        AdminModus("Tester");
        QCOMPARE(forms.titles, QStringList{"Paßwort - Abfrage"});
        QCOMPARE(errors(), QStringList{"Fehler : Tabelle ist gesperrt (anderer Nutzer)"});
        FormDriver login;
        login.then(FormDriver::enter({"Anna", "geheim"}));
        QVERIFY(!BenutzerStart({}));
        QCOMPARE(errors().last(), QString("interner Passwort-Fehler : Tabelle ist gesperrt => später wieder anmelden"));
    }

    // The window: a new user through "Neu" with rights ticked, "Alle", deleting with its
    // question, and the close question while a row is pending.
    void administrationWindow()
    {
        register3();
        FormDriver forms;
        forms.then(FormDriver::enter({"master"})).then([](QDialog* d) {
            auto* w = static_cast<TSBenutzerVerw*>(d);
            QVERIFY(!w->BPasswNeu->isEnabled());
            FormDriver inner;
            inner.then(FormDriver::enter({"Bernd", "bernd1", "bernd1"}));
            QTest::mouseClick(w->SpBNeu, Qt::LeftButton);
            QCOMPARE(w->LabelTableStatus->text(), QString("Neu"));
            QVERIFY(w->BPasswNeu->isEnabled());
            QCOMPARE(w->LabPassVorh->text(), QString("Passwort : < vorhanden >"));
            QTest::mouseClick(w->SpBAlleRechte, Qt::LeftButton);
            QCheckBox* print = w->findChild<QCheckBox*>("cbBenPrint");
            QTest::mouseClick(print, Qt::LeftButton);      // untick print again
            QVERIFY(!w->findChild<QCheckBox*>("cbBenAdmin")->isChecked());
            QTest::mouseClick(w->BOk, Qt::LeftButton);
            QCOMPARE(w->LabelTableStatus->text(), QString(""));
            // A pending change: the close question names it; No keeps the window.
            QTest::mouseClick(w->findChild<QCheckBox*>("cbBenAdmin"), Qt::LeftButton);
            QCOMPARE(w->LabelTableStatus->text(), QString("Ändern"));
            Dialogs::scriptAnswer(false);
            w->close();
            QVERIFY(w->isVisible());
            QCOMPARE(Dialogs::shownTexts().last(), QString("Benutzerverwaltung beenden?\nDaten noch nicht gespeichert"));
            QTest::mouseClick(w->BCancel, Qt::LeftButton);
            QVERIFY(w->Verwaltung->FindBenutzer("Gesperrt"));
            Dialogs::scriptAnswer(true);
            QTest::mouseClick(w->SpBLoeschen, Qt::LeftButton);
            QCOMPARE(Dialogs::shownTexts().last(), QString("Datensatz löschen ?"));
            QVERIFY(Dialogs::shown().constLast().defaultNo);
            // The heading of the names fits its column as the header draws it.
            QHeaderView* header = w->DBGridDetail->horizontalHeader();
            const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            QVERIFY(header->sectionSize(0) >= header->fontMetrics().horizontalAdvance("Benutzer - Name") + 2 * margin);
            Dialogs::scriptAnswer(true);
            w->close();
        });
        AdminModus("Tester");
        BenutzerVerwaltung bv;
        Engine::instance().addPassword(LesePasswort());
        bv.Detail->open();
        QVERIFY(!bv.FindBenutzer("Gesperrt"));
        QVERIFY(bv.CheckBenutzer("bernd", "BERND1"));
        QCOMPARE(bv.RechteAusDatensatz(), (TUserRights{crView, crInsert, crModify, crDelete, crCalcReport}));
    }
};

// Started as a second workstation: holds the user table exclusively until its input ends.
static int childHold()
{
    Engine& engine = Engine::instance();
    engine.setNetFileDir(qEnvironmentVariable("HW_CHILD_NETDIR"));
    engine.addSessionAlias("TARVINO", qEnvironmentVariable("HW_CHILD_LOCATION"), qEnvironmentVariable("HW_CHILD_DRIVER"));
    engine.addPassword("master");
    Table t("Benutzer");
    t.setExclusive(true);
    t.open();
    printf("ok\n");
    fflush(stdout);
    char buf[16];
    while (fread(buf, 1, sizeof buf, stdin) > 0) {
    }
    return 0;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("HW_CHILD_NETDIR"))
        return childHold();
    TestAnmeldung test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_anmeldung.moc"
