#include "TestSupport.h"

#include "Dialogs.h"

void resetDialogsForTest()
{
    Dialogs::setTestMode(true);
    Dialogs::reset();
}

#ifdef HW_TESTS_HAVE_ACCESS
#include "UserState.h"

void grantRightsForTest(TUserRights rights)
{
    UserState::ResetRechte = rights;
    UserState::AktRechte = rights;
}

namespace {
// Before any test runs: every right (see TestSupport.h).
const bool g_rightsGranted = [] {
    grantRightsForTest();
    return true;
}();
}
#endif

#include "Backend.h"
#include "Engine.h"
#include "Errors.h"
#include "Table.h"

#include <QCoreApplication>
#include <atomic>

namespace {

ServerSettings testServer(const QString& database)
{
    ServerSettings s;
    s.host = qEnvironmentVariable("HW_TEST_PGHOST");
    s.port = qEnvironmentVariableIntValue("HW_TEST_PGPORT");
    s.user = qEnvironmentVariable("HW_TEST_PGUSER");
    s.database = database;
    return s;
}

// Runs one statement on the server's maintenance database (CREATE / DROP DATABASE).
void onMaintenanceDb(const QString& sql)
{
    std::unique_ptr<Backend> admin = createPgBackend(testServer(QStringLiteral("postgres")).connInfo());
    admin->exec(sql, {});
}

} // namespace

bool TestDataDir::onServer() { return qEnvironmentVariable("HW_TEST_BACKEND") == QLatin1String("pgsql"); }

TestDataDir::TestDataDir()
{
    Engine& engine = Engine::instance();
    engine.reset();
    engine.setPrivateDir(m_dir.path() + QStringLiteral("/private"));
    engine.setNetFileDir(m_dir.path());
    if (onServer()) {
        static std::atomic<int> counter{0};
        m_database = QStringLiteral("hwt_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
        onMaintenanceDb(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database));
        onMaintenanceDb(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(m_database));
        m_driver = QStringLiteral("POSTGRESQL");
        m_location = testServer(m_database).connInfo();
    } else {
        m_driver = QStringLiteral("PARADOX");
        m_location = m_dir.path();
    }
    addAlias(QStringLiteral("TARVINO"));
}

TestDataDir::~TestDataDir()
{
    Engine::instance().reset();
    if (!m_database.isEmpty()) {
        try {
            onMaintenanceDb(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database));
        } catch (const EngineError& e) {
            qWarning("%s", e.what());
        }
    }
}

void TestDataDir::addAlias(const QString& alias) const { Engine::instance().addSessionAlias(alias, m_location, m_driver); }

int addTestRow(const QString& table, const QVariantMap& values, const QString& keyField)
{
    Table t(table);
    t.open();
    t.append();
    for (auto it = values.begin(); it != values.end(); ++it)
        t.setValue(it.key(), it.value());
    t.post();
    if (keyField.isEmpty())
        return t.fields().front()->asInteger();
    return t.findField(keyField) ? t.field(keyField).asInteger() : 0;
}
