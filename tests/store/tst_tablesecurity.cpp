#include "Engine.h"
#include "Errors.h"
#include "PasswortHash.h"
#include "Table.h"
#include "TableSecurity.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QtTest>
#include <thread>
#include <vector>

// A table protected by a master password and an auxiliary password with the rights "read all
// rows, change only Passwort of existing rows": the cursor's writes are held to them.
class TestTableSecurity : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataDir> m_dir;

    static SecurityDescriptor readPassword()
    {
        return SecurityDescriptor{"lesen", TableRight::Modify, {"passwort"}};
    }

    // Two users, then protection with master "Meister" and the read password.
    static void protectUsers()
    {
        Table t("Benutzer");
        t.setExclusive(true);
        t.open();
        for (const char* name : {"Anna", "Berta"}) {
            t.append();
            t.setValue("Name", name);
            t.setValue("Passwort", "x");
            t.setValue("AllgRechte", "r");
            t.post();
        }
        // The cursor opens again afterwards: with the master from the list.
        Engine::instance().addPassword("Meister");
        t.setProtection("Meister", {readPassword()});
        QVERIFY(t.access().full);
    }

    static QString stored(const QString& name, const QString& field)
    {
        Engine::instance().removeAllPasswords();
        Engine::instance().addPassword("Meister");
        Table t("Benutzer");
        t.setIndexFieldNames("Name");
        t.open();
        Engine::instance().removeAllPasswords();
        return t.findKey({name}) ? t.field(field).asString() : QString("<fehlt>");
    }

private slots:
    // One protected register for the tests that leave its protection as it is (hashing is slow).
    void initTestCase()
    {
        m_dir = std::make_unique<TestDataDir>();
        protectUsers();
    }
    void cleanupTestCase() { m_dir.reset(); }
    void init()
    {
        resetDialogsForTest();
        Engine::instance().removeAllPasswords();
        Engine::instance().setPasswordHook(nullptr);
    }

    // Which password opens the table, and how; a wrong one asks the hook, which may give
    // another password; declining ends with "insufficient rights".
    void openingConsultsPasswordsAndHook_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QStringList>("hookGives");
        QTest::addColumn<int>("hookCalls");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("master") << QStringList{"Meister"} << QStringList{} << 0 << "full";
        QTest::newRow("master, other capitals") << QStringList{"MEISTER"} << QStringList{} << 0 << "full";
        QTest::newRow("read password") << QStringList{"lesen"} << QStringList{} << 0 << "read";
        QTest::newRow("nothing, hook declines") << QStringList{} << QStringList{} << 1 << "refused";
        QTest::newRow("wrong, hook declines") << QStringList{"falsch"} << QStringList{} << 1 << "refused";
        QTest::newRow("hook gives wrong, then master") << QStringList{} << QStringList{"falsch", "Meister"} << 2 << "full";
    }

    void openingConsultsPasswordsAndHook()
    {
        QFETCH(QStringList, list);
        QFETCH(QStringList, hookGives);
        QFETCH(int, hookCalls);
        QFETCH(QString, outcome);
        Engine& e = Engine::instance();
        for (const QString& p : list)
            e.addPassword(p);
        int calls = 0;
        e.setPasswordHook([&] {
            ++calls;
            if (calls > hookGives.size())
                return false;
            e.addPassword(hookGives[calls - 1]);
            return true;
        });
        Table t("Benutzer");
        QString got;
        try {
            t.open();
            got = t.access().full ? "full" : "read";
            QCOMPARE(t.recordCount(), 2);
        } catch (const EngineError& err) {
            QCOMPARE(err.code(), EngineCode::InsufficientRights);
            got = "refused";
        }
        e.setPasswordHook(nullptr);
        QCOMPARE(got, outcome);
        QCOMPARE(calls, hookCalls);
    }

    // The read password: Passwort of an existing row may change; no insert, no delete, no
    // other field, no change of the protection. Nothing refused reaches the store.
    void readPasswordRightsEnforced()
    {
        Engine::instance().addPassword("lesen");
        Table t("Benutzer");
        t.setIndexFieldNames("Name");
        t.setExclusive(true);
        t.open();
        QVERIFY(!t.access().full);
        QVERIFY(t.findKey({"Anna"}));
        t.edit();
        t.setValue("Passwort", "neu");
        t.post();
        QCOMPARE(stored("Anna", "Passwort"), QString("neu"));

        auto refused = [&](const char* what, const std::function<void()>& action) {
            try {
                action();
                QFAIL(what);
            } catch (const EngineError& err) {
                QVERIFY2(err.code() == EngineCode::InsufficientRights, what);
                QVERIFY2(err.message().startsWith("Keine ausreichenden Rechte"), qPrintable(err.message()));
            }
        };
        Engine::instance().addPassword("lesen");
        refused("insert", [&] { t.append(); });
        QCOMPARE(t.state(), DataSetState::Browse);
        QVERIFY(t.findKey({"Berta"}));
        refused("delete", [&] { t.remove(); });
        t.edit();
        refused("other field", [&] { t.setValue("AllgRechte", "alle"); });
        refused("name", [&] { t.setValue("Name", "Bertram"); });
        t.cancel();
        refused("remove protection", [&] { t.removeProtection(); });
        refused("new protection", [&] { t.setProtection("eigenes", {}); });
        t.close();
        refused("drop table", [&] { t.deleteTable(); });
        QCOMPARE(stored("Berta", "AllgRechte"), QString("r"));
        QCOMPARE(stored("Bertram", "Name"), QString("<fehlt>"));
        Table count("Benutzer");
        Engine::instance().addPassword("Meister");
        count.open();
        QCOMPARE(count.recordCount(), 2);
    }

    // Changing the protection needs the table open exclusively with the master password; the
    // new master replaces the old one, and removing it opens the table to anyone.
    void protectionChange()
    {
        TestDataDir own;
        protectUsers();
        Engine& e = Engine::instance();
        e.removeAllPasswords();
        e.addPassword("Meister");
        Table t("Benutzer");
        t.open();
        try {
            t.setProtection("Neu", {readPassword()});
            QFAIL("changed while shared");
        } catch (const EngineError& err) {
            QCOMPARE(err.message(), QString("Tabelle muß exklusiv geöffnet sein!"));
        }
        t.close();
        t.setExclusive(true);
        t.open();
        e.addPassword("Neu");
        t.setProtection("Neu", {readPassword()});
        t.close();
        e.removeAllPasswords();
        e.addPassword("Meister");
        QVERIFY_THROWS_EXCEPTION(EngineError, t.open());
        e.addPassword("Neu");
        t.open();
        QVERIFY(t.access().full);
        t.removeProtection();
        t.close();
        e.removeAllPasswords();
        t.open();
        QVERIFY(t.access().full);
        QVERIFY(!TableSecurity::isProtected(Engine::instance().backend(), "Benutzer"));
    }

    // Only hashes are stored: neither password appears anywhere in the database.
    void onlyHashesStored()
    {
        if (TestDataDir::onServer())
            return;
        TestDataDir own;
        protectUsers();
        Engine::instance().reset();
        QFile f(own.path() + "/tarvino.sqlite");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.contains("$argon2id$"));
        QVERIFY(!bytes.contains("Meister") && !bytes.toLower().contains("meister"));
        QVERIFY(!bytes.contains("lesen"));
    }

    // Many sessions asking the same question at once (phones opening the same tables) each get
    // the right answer, the waiting ones too, right and wrong passwords mixed.
    void sameCheckAtOnceAnsweredForAll()
    {
        const QString hash = PasswortHash::erzeugen(QStringLiteral("Sprosse7"));
        std::vector<std::thread> threads;
        std::vector<int> answers(16, -1);
        for (int i = 0; i < 16; ++i)
            threads.emplace_back([&, i] {
                answers[size_t(i)] = PasswortHash::passt(hash, i % 2 ? QStringLiteral("falsch") : QStringLiteral("Sprosse7"));
            });
        for (std::thread& t : threads)
            t.join();
        for (int i = 0; i < 16; ++i)
            QCOMPARE(answers[size_t(i)], i % 2 ? 0 : 1);
    }
};

QTEST_MAIN(TestTableSecurity)
#include "tst_tablesecurity.moc"
