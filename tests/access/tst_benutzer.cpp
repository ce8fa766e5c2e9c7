#include "BenutzerVerwaltung.h"
#include "Dialogs.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserState.h"
#include "XorHex.h"

#include <QtTest>

// The user table operations against the real store: users are written through the
// operations themselves, as the administration window will.
class TestBenutzer : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataDir> m_dir;

    static void addUser(BenutzerVerwaltung& bv, const QString& name, const QString& passwort,
                        TUserRights rights = {}, bool locked = false)
    {
        bv.RechteZumSpeichern = [rights] { return rights; };
        bv.Detail->append();
        bv.Detail->setValue("Name", name);
        bv.SetPasswort(passwort);
        bv.Detail->setValue("Gesperrt", locked);
        bv.Speichern();
        bv.RechteZumSpeichern = nullptr;
    }

    static int rowCount()
    {
        Table t("Benutzer");
        t.open();
        return t.recordCount();
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        UserState::reset();
        UserState::BenutzerDatenbank = QStringLiteral("tarvino");
        m_dir = std::make_unique<TestDataDir>();
    }

    void cleanup() { m_dir.reset(); }

    void passwordCheck_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("nameWithCase");
        QTest::addColumn<bool>("matches");
        QTest::newRow("as stored") << "geheim" << "Anna" << "geheim" << false << true;
        QTest::newRow("typed in capitals") << "geheim" << "Anna" << "GEHEIM" << false << true;
        QTest::newRow("stored in capitals") << "GeHeim" << "Anna" << "geheim" << false << true;
        QTest::newRow("umlauts, capitals") << "größe" << "Anna" << "GRÖßE" << false << true;
        QTest::newRow("spaces around never stored") << "  geheim  " << "Anna" << "geheim" << false << true;
        QTest::newRow("typed spaces are part of it") << "geheim" << "Anna" << " geheim" << false << false;
        QTest::newRow("wrong password") << "geheim" << "Anna" << "geheimer" << false << false;
        QTest::newRow("empty typed") << "geheim" << "Anna" << "" << false << false;
        QTest::newRow("name in other case") << "geheim" << "ANNA" << "geheim" << false << true;
        QTest::newRow("name in other case, NameGrossKlein") << "geheim" << "ANNA" << "geheim" << true << false;
        QTest::newRow("name exact, NameGrossKlein") << "geheim" << "Anna" << "GEHEIM" << true << true;
        QTest::newRow("unknown name") << "geheim" << "Berta" << "geheim" << false << false;
    }

    void passwordCheck()
    {
        QFETCH(QString, stored);
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, nameWithCase);
        QFETCH(bool, matches);
        {
            BenutzerVerwaltung admin;
            admin.Detail->open();
            addUser(admin, "Anna", stored, {crView, crPrint});
        }
        UserState::NameGrossKlein = nameWithCase;
        BenutzerVerwaltung login;
        login.Detail->open();
        QCOMPARE(login.CheckBenutzer(name, typed), matches);
        QCOMPARE(login.BenutzerRechte(name, typed), (matches ? TUserRights{crView, crPrint} : TUserRights()));
        QCOMPARE(login.BenutzerGesperrt(name, typed), !matches);
    }

    // The table holds no password that could be read back, and equal passwords differ.
    void storedAsSaltedHash()
    {
        BenutzerVerwaltung bv;
        bv.Detail->open();
        addUser(bv, "Anna", "geheim");
        addUser(bv, "Berta", "geheim");
        Table t("Benutzer");
        t.setIndexFieldNames("Name");
        t.open();
        QVERIFY(t.findKey({"Anna"}));
        const QString anna = t.field("Passwort").asString();
        QVERIFY(t.findKey({"Berta"}));
        const QString berta = t.field("Passwort").asString();
        QVERIFY(anna.startsWith("$argon2id$"));
        QVERIFY(!anna.contains("geheim", Qt::CaseInsensitive));
        QVERIFY(!anna.contains(XorHexEncode("KXAnna", "geheim")));
        QVERIFY(anna != berta);
    }

    // Rows written by another tool: an empty password, a clear text or a broken hash never
    // opens the door, whatever is typed (an empty password included).
    void foreignPasswordNeverMatches_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty, typed empty") << QVariant("") << "";
        QTest::newRow("null, typed empty") << QVariant() << "";
        QTest::newRow("null, typed something") << QVariant() << "geheim";
        QTest::newRow("clear text, typed the same") << QVariant("geheim") << "geheim";
        QTest::newRow("broken hash") << QVariant("$argon2id$v=19$m=65536,t=2,p=1$") << "";
    }

    void foreignPasswordNeverMatches()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, typed);
        {
            Table t("Benutzer");
            t.open();
            t.append();
            t.setValue("Name", "Fremd");
            t.setValue("Passwort", stored);
            t.setValue("AllgRechte", XorHexEncode("KX", QString("01").repeated(7)));
            t.setValue("Gesperrt", false);
            t.post();
        }
        BenutzerVerwaltung bv;
        bv.Detail->open();
        QVERIFY(!bv.CheckBenutzer("Fremd", typed));
        QCOMPARE(bv.BenutzerRechte("Fremd", typed), TUserRights());
        QVERIFY(bv.BenutzerGesperrt("Fremd", typed));
    }

    void rightsFromRow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("trueFields");
        QTest::newRow("seven groups 01") << QString("01").repeated(7)
                                         << QStringList{"BenView", "BenInsert", "BenModify", "BenDelete", "BenPrint",
                                                        "BenReport", "BenAdmin"};
        QTest::newRow("01 00") << "0100" << QStringList{"BenView"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("print and admin") << "00000000010001" << QStringList{"BenPrint", "BenAdmin"};
    }

    // AllgRechte as delivered (encoded under "KX") gives the calculated fields, their grid
    // texts and the rights of the row.
    void rightsFromRow()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, trueFields);
        {
            BenutzerVerwaltung bv;
            bv.Detail->open();
            addUser(bv, "Anna", "geheim");
        }
        {
            Table raw("Benutzer");
            raw.open();
            raw.edit();
            raw.setValue("AllgRechte", text.isEmpty() ? QVariant() : QVariant(XorHexEncode("KX", text)));
            raw.post();
        }
        BenutzerVerwaltung bv;
        bv.Detail->open();
        QVERIFY(bv.FindBenutzer("anna"));
        TUserRights expected;
        static const QStringList trueTexts{"Seh", "Einf", "Änd", "Lös", "Dru", "Rep", "Adm"};
        for (int r = 0; r < UserRightCount; ++r) {
            const QString name = BenutzerVerwaltung::RechteFelder().at(r);
            const bool on = trueFields.contains(name);
            QCOMPARE(bv.Detail->field(name).asBoolean(), on);
            QCOMPARE(bv.Detail->field(name).displayText(), on ? trueTexts.at(r) : QString());
            if (on)
                expected.include(TUserRight(r));
        }
        QCOMPARE(bv.RechteAusDatensatz(), expected);
        QCOMPARE(bv.BenutzerRechte("Anna", "geheim"), expected);
    }

    // Without ticked boxes a new user has seven groups 00: can log in, may do nothing.
    void newUserWithoutRights()
    {
        BenutzerVerwaltung bv;
        bv.Detail->open();
        addUser(bv, "Neu", "abcd");
        QVERIFY(bv.FindBenutzer("Neu"));
        QCOMPARE(XorHexDecode("KX", bv.Detail->field("AllgRechte").asString()), QString("00").repeated(7));
        QVERIFY(bv.CheckBenutzer("Neu", "ABCD"));
        QCOMPARE(bv.BenutzerRechte("Neu", "abcd"), TUserRights());
        QVERIFY(!bv.BenutzerGesperrt("Neu", "abcd"));
    }

    void saveRule_data()
    {
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QString>("passwort");
        QTest::newRow("no name") << QVariant() << "geheim";
        QTest::newRow("name of spaces") << QVariant("   ") << "geheim";
        QTest::newRow("no password") << QVariant("Anna") << "";
        QTest::newRow("password of spaces") << QVariant("Anna") << "   ";
    }

    void saveRule()
    {
        QFETCH(QVariant, name);
        QFETCH(QString, passwort);
        BenutzerVerwaltung bv;
        bv.Detail->open();
        bv.Detail->append();
        bv.Detail->setValue("Name", name);
        bv.SetPasswort(passwort);
        try {
            bv.Speichern();
            QFAIL("saved");
        } catch (const HwError& e) {
            QCOMPARE(e.message(), QStringLiteral("Fehler : Benutzer oder Paßwort nicht eingegeben"));
        }
        QCOMPARE(bv.Detail->state(), DataSetState::Insert);
        QCOMPARE(rowCount(), 0);
    }

    // The name is stored as typed; only the check trims it.
    void nameStoredAsTyped()
    {
        BenutzerVerwaltung bv;
        bv.Detail->open();
        addUser(bv, " Anna ", "geheim");
        bv.Detail->first();
        QCOMPARE(bv.Detail->field("Name").asString(), QStringLiteral(" Anna "));
    }

    void duplicateName_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("byRenaming");
        QTest::newRow("same name") << "Anna" << false;
        QTest::newRow("other capitals") << "ANNA" << false;
        QTest::newRow("renamed onto an existing name") << "anna" << true;
    }

    void duplicateName()
    {
        QFETCH(QString, second);
        QFETCH(bool, byRenaming);
        BenutzerVerwaltung bv;
        bv.Detail->open();
        addUser(bv, "Anna", "geheim");
        if (byRenaming) {
            addUser(bv, "Berta", "geheim");
            QVERIFY(bv.FindBenutzer("Berta"));
            bv.Bearbeiten();
        } else {
            bv.Detail->append();
            bv.SetPasswort("anders");
        }
        bv.Detail->setValue("Name", second);
        QVERIFY_THROWS_EXCEPTION(Abort, bv.Speichern());
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown().first().kind, Dialogs::Kind::Warning);
        QCOMPARE(Dialogs::shown().first().text, QStringLiteral("Fehler : doppelter BenutzerName"));
        QCOMPARE(bv.Detail->state(), byRenaming ? DataSetState::Edit : DataSetState::Insert);
        QCOMPARE(bv.Detail->field("Name").asString(), second);
        QCOMPARE(rowCount(), byRenaming ? 2 : 1);
    }

    // The hash belongs to the row, not to the name: after a rename the user logs in under
    // the new name with the same password; the old name is gone.
    void renamedUserKeepsPassword()
    {
        BenutzerVerwaltung bv;
        bv.Detail->open();
        addUser(bv, "Anna", "geheim", {crModify});
        QVERIFY(bv.FindBenutzer("Anna"));
        bv.Bearbeiten();
        bv.Detail->setValue("Name", "Anna Berg");
        bv.Speichern();

        BenutzerVerwaltung login;
        login.Detail->open();
        QVERIFY(login.CheckBenutzer("anna berg", "GEHEIM"));
        QCOMPARE(login.BenutzerRechte("Anna Berg", "geheim"), TUserRights{crModify});
        QVERIFY(!login.CheckBenutzer("Anna", "geheim"));
    }

    // The rights stay as they were when a user changes the password.
    void changePassword()
    {
        BenutzerVerwaltung admin;
        admin.Detail->open();
        addUser(admin, "Anna", "alt1", {crInsert, crDelete});

        BenutzerVerwaltung bv;
        bv.Detail->open();
        QVERIFY(!bv.ChangeBenutzerPasswort("Anna", "falsch", "neu22"));
        QCOMPARE(bv.Detail->state(), DataSetState::Browse);
        QVERIFY(bv.ChangeBenutzerPasswort("anna", "ALT1", " neu22 "));
        QCOMPARE(bv.Detail->state(), DataSetState::Browse);

        BenutzerVerwaltung login;
        login.Detail->open();
        QVERIFY(!login.CheckBenutzer("Anna", "alt1"));
        QVERIFY(login.CheckBenutzer("Anna", "NEU22"));
        QCOMPARE(login.BenutzerRechte("Anna", "neu22"), (TUserRights{crInsert, crDelete}));
    }

    // A second workstation still holding the row as it was before a password change: the
    // old password is checked against the row as stored when saving, so the stale one fails.
    void stalePasswordChangeRefused()
    {
        m_dir->addAlias("ZWEITER");
        {
            BenutzerVerwaltung admin;
            admin.Detail->open();
            addUser(admin, "Anna", "alt1", {crPrint});
        }
        UserState::BenutzerDatenbank = QStringLiteral("ZWEITER");
        BenutzerVerwaltung stale;
        UserState::BenutzerDatenbank = QStringLiteral("tarvino");
        stale.Detail->open();
        QVERIFY(stale.FindBenutzer("Anna"));
        {
            BenutzerVerwaltung here;
            here.Detail->open();
            QVERIFY(here.ChangeBenutzerPasswort("Anna", "alt1", "neu1"));
        }
        QVERIFY(!stale.ChangeBenutzerPasswort("Anna", "alt1", "boese1"));
        QCOMPARE(stale.Detail->state(), DataSetState::Browse);
        QVERIFY(stale.ChangeBenutzerPasswort("Anna", "neu1", "neu2"));
        BenutzerVerwaltung login;
        login.Detail->open();
        QVERIFY(!login.CheckBenutzer("Anna", "boese1"));
        QVERIFY(login.CheckBenutzer("Anna", "neu2"));
        QCOMPARE(login.BenutzerRechte("Anna", "neu2"), TUserRights{crPrint});
    }

    void lockedUser()
    {
        BenutzerVerwaltung bv;
        bv.Detail->open();
        addUser(bv, "Anna", "geheim", {crView}, true);
        QVERIFY(bv.CheckBenutzer("Anna", "geheim"));
        QVERIFY(bv.BenutzerGesperrt("Anna", "geheim"));
        bv.Detail->close();
        QVERIFY(!bv.CheckBenutzer("Anna", "geheim"));
        QVERIFY(bv.BenutzerGesperrt("Anna", "geheim"));
    }

    // A refused edit is announced, then the engine's own error goes on; the row is unchanged.
    void refusedEditAnnounced()
    {
        BenutzerVerwaltung bv;
        bv.Detail->open();
        addUser(bv, "Anna", "geheim");
        bv.Detail->setReadOnly(true);
        QVERIFY(bv.FindBenutzer("Anna"));
        QVERIFY_THROWS_EXCEPTION(EngineError, bv.SetPasswort("anders"));
        QCOMPARE(Dialogs::shownTexts(), QStringList{"OnEdit-Error : aufschreiben"});
        QCOMPARE(bv.Detail->state(), DataSetState::Browse);
        QVERIFY(bv.PasswortPasst("geheim"));
    }

    // Without BenutzerDatenbank the table keeps its own database name.
    void databaseName()
    {
        UserState::BenutzerDatenbank.clear();
        BenutzerVerwaltung designed;
        QCOMPARE(designed.Detail->alias(), QStringLiteral("Benutzer"));
        UserState::BenutzerDatenbank = QStringLiteral("tarvino");
        BenutzerVerwaltung switched;
        QCOMPARE(switched.Detail->alias(), QStringLiteral("tarvino"));
        switched.Detail->open();
        QVERIFY(switched.Detail->active());
    }
};

QTEST_MAIN(TestBenutzer)
#include "tst_benutzer.moc"
