#include "Engine.h"

#include "Backend.h"
#include "Catalog.h"
#include "DataSet.h"
#include "IniFile.h"
#include "Schema.h"
#include "ServerLogin.h"
#include "ServerRollen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <QLockFile>
#include <QMutexLocker>
#include <QSysInfo>
#include <QThread>
#include <QStandardPaths>
#include <QUuid>

namespace {
constexpr const char* kSessionDir = "HWUSERS";
// The person a thread writes for (a phone's session); empty: the process's user.
thread_local QString t_userName;
const QString kServerDriver = QStringLiteral("POSTGRESQL");

QString conninfoValue(const QString& v)
{
    QString s = v;
    s.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    s.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}
}

QString ServerSettings::connInfo() const
{
    QStringList parts;
    if (!host.isEmpty())
        parts << QStringLiteral("host=") + conninfoValue(host);
    if (port > 0)
        parts << QStringLiteral("port=%1").arg(port);
    if (!database.isEmpty())
        parts << QStringLiteral("dbname=") + conninfoValue(database);
    if (!user.isEmpty())
        parts << QStringLiteral("user=") + conninfoValue(user);
    return parts.join(QLatin1Char(' '));
}

Engine& Engine::instance()
{
    static Engine engine;
    return engine;
}

Engine::Engine()
{
    m_sessionId = QStringLiteral("%1-%2-%3")
                      .arg(QSysInfo::machineHostName())
                      .arg(QCoreApplication::applicationPid())
                      .arg(QUuid::createUuid().toString(QUuid::Id128).left(8));
}

// A program that ends takes its session files with it: a file left behind would show a user
// who is gone.
Engine::~Engine()
{
    unregisterSession();
}

void Engine::setNetFileDir(const QString& dir)
{
    QMutexLocker lock(&m_mutex);
    if (m_netFileDir == dir)
        return;
    unregisterSession();
    m_netFileDir = dir;
}

QString Engine::netFileDir() const
{
    QMutexLocker lock(&m_mutex);
    return m_netFileDir;
}
void Engine::setPrivateDir(const QString& dir) { m_privateDir = dir; }
QString Engine::privateDir() const { return m_privateDir; }

void Engine::addSessionAlias(const QString& alias, const QString& path, const QString& driver)
{
    QMutexLocker lock(&m_mutex);
    m_sessionAliases.insert(alias.toUpper(), path);
    m_sessionDrivers.insert(alias.toUpper(), driver.toUpper());
}

void Engine::addServerAlias(const QString& alias, const ServerSettings& server)
{
    addSessionAlias(alias, server.connInfo(), kServerDriver);
}

void Engine::removeSessionAlias(const QString& alias)
{
    QMutexLocker lock(&m_mutex);
    m_sessionAliases.remove(alias.toUpper());
    m_sessionDrivers.remove(alias.toUpper());
}

QString Engine::aliasDriver(const QString& alias) const
{
    const QString up = alias.toUpper();
    {
        QMutexLocker lock(&m_mutex);
        if (m_sessionAliases.contains(up))
            return m_sessionDrivers.value(up);
    }
    const QString type = configEntry(QStringLiteral("DATABASES\\%1\\DB INFO").arg(up), QStringLiteral("TYPE")).toUpper();
    return type.isEmpty() ? QStringLiteral("PARADOX") : type;
}

QString Engine::location(const QString& alias)
{
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_backends.find(alias.toUpper());
        if (it != m_backends.end())
            return it->second->location();
    }
    if (aliasDriver(alias) != kServerDriver)
        return aliasPath(alias);
    try {
        return backend(alias).location();
    } catch (const EngineError&) {
        return QStringLiteral("PostgreSQL-Server (%1)").arg(aliasPath(alias));
    }
}

bool Engine::aliasKnown(const QString& alias) const { return !aliasPath(alias).isEmpty(); }

void Engine::setConfigFile(const QString& path) { m_configFile = path; }

QString Engine::configFile() const
{
    if (!m_configFile.isEmpty())
        return m_configFile;
    const QString env = qEnvironmentVariable("HOLMWACHT_ENGINE_CFG");
    if (!env.isEmpty())
        return env;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("holmwacht/engine.cfg"));
}

QString Engine::configEntry(const QString& section, const QString& key) const
{
    // Sections are written like "DATABASES\TARVINO\DB INFO"; a leading backslash is optional.
    QString group = section;
    while (group.startsWith(QLatin1Char('\\')))
        group.remove(0, 1);
    return readIniValue(configFile(), group, key);
}

QString Engine::aliasPath(const QString& alias) const
{
    const QString up = alias.toUpper();
    {
        QMutexLocker lock(&m_mutex);
        if (m_sessionAliases.contains(up))
            return m_sessionAliases.value(up);
    }
    return configEntry(QStringLiteral("DATABASES\\%1\\DB INFO").arg(up), QStringLiteral("PATH"));
}

Backend& Engine::backend(const QString& alias)
{
    const QString up = alias.toUpper();
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_backends.find(up);
        if (it != m_backends.end())
            return *it->second;
    }
    // Connecting and creating the schema happen outside the lock: another thread's cursors
    // go on meanwhile.
    const QString path = aliasPath(up);
    const bool server = aliasDriver(up) == kServerDriver;
    if (path.isEmpty() && !server)
        throw EngineError(QStringLiteral("Unbekannter Alias: %1").arg(up), EngineCode::AliasNotFound);
    if (!server && !QFileInfo(path).isDir())
        throw EngineError(QStringLiteral("Das Verzeichnis %1 des Alias %2 ist nicht vorhanden").arg(path, up),
                          EngineCode::DirNotFound);
    std::unique_ptr<Backend> db;
    bool withRoles = false;
    if (server) {
        const ServerLogin::Pending login = ServerLogin::takePending(up);
        db = login.user.isEmpty() ? createPgBackend(path) : ServerLogin::connect(path, login.user, login.password);
        // A register whose roles guard it is never entered with a shared role from ~/.pgpass:
        // the person logs in first. Its schema is the set-up tool's business, not a workstation's.
        withRoles = ServerRollen::aktiv(*db);
        if (withRoles && login.user.isEmpty())
            throw EngineError(QStringLiteral("Dieses Register verlangt die Anmeldung mit dem eigenen Benutzer"),
                              EngineCode::LoginRequired);
    } else {
        db = createSqliteBackend(path);
    }
    Schema::createIfMissing(*db);
    if (db->serverBased())
        db->announceSession(m_sessionId, userName());
    Backend* ref = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        auto& slot = m_backends[up];
        if (!slot) {
            slot = std::move(db);
            m_backendThreads.insert(up, QThread::currentThread());
        }
        ref = slot.get();
    }
    if (server)
        ServerLogin::connected(up, withRoles);
    registerSession();
    return *ref;
}

void Engine::adoptBackend(const QString& alias, const QString& path, const QString& driver, std::unique_ptr<Backend> db)
{
    const QString up = alias.toUpper();
    std::unique_ptr<Backend> old;
    {
        QMutexLocker lock(&m_mutex);
        m_sessionAliases.insert(up, path);
        m_sessionDrivers.insert(up, driver.toUpper());
        old = std::exchange(m_backends[up], std::move(db));
        m_backendThreads.remove(up);
    }
}

void Engine::closeAlias(const QString& alias)
{
    const QString up = alias.toUpper();
    std::unique_ptr<Backend> db;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_backends.find(up);
        if (it != m_backends.end()) {
            db = std::move(it->second);
            m_backends.erase(it);
        }
        m_backendThreads.remove(up);
        m_sessionAliases.remove(up);
        m_sessionDrivers.remove(up);
    }
    // The connection closes here, outside the lock.
}

void Engine::setUserName(const QString& name)
{
    QMutexLocker lock(&m_mutex);
    m_userName = name;
    // Only the connections of this thread: another thread's connection is that thread's.
    for (auto& [alias, db] : m_backends)
        if (db->serverBased() && m_backendThreads.value(alias) == QThread::currentThread())
            db->announceSession(m_sessionId, m_userName);
    if (m_sessionLock) {
        unregisterSession();
        registerSession();
    }
}

// The directory for session files: the network control directory, else the first data
// directory. None when all data lives on a server, which tracks the sessions itself.
QString Engine::sessionDir() const
{
    QMutexLocker lock(&m_mutex);
    if (!m_netFileDir.isEmpty())
        return m_netFileDir;
    for (const auto& [alias, db] : m_backends)
        if (!db->serverBased())
            return db->location();
    return QString();
}

Backend* Engine::serverBackend() const
{
    QMutexLocker lock(&m_mutex);
    const auto main = m_backends.find(QStringLiteral("TARVINO"));
    if (main != m_backends.end() && m_backendThreads.value(main->first) == QThread::currentThread())
        return main->second->serverBased() ? main->second.get() : nullptr;
    for (const auto& [alias, db] : m_backends)
        if (db->serverBased() && m_backendThreads.value(alias) == QThread::currentThread())
            return db.get();
    return nullptr;
}

QString Engine::userName() const
{
    if (!t_userName.isEmpty())
        return t_userName;
    QMutexLocker lock(&m_mutex);
    return m_userName;
}

void Engine::setThreadUserName(const QString& name) { t_userName = name; }
QString Engine::threadUserName() const { return t_userName; }
QString Engine::sessionId() const { return m_sessionId; }

// The network control directory holds one lock file per running program; a file whose
// process has ended is stale and does not count.
void Engine::registerSession()
{
    QMutexLocker guard(&m_mutex);
    if (m_sessionLock || serverBackend())
        return;
    const QString dir = sessionDir();
    if (dir.isEmpty())
        return;
    QDir base(dir);
    if (!base.mkpath(QLatin1String(kSessionDir)))
        return;
    m_sessionFile = base.filePath(QStringLiteral("%1/%2.lck").arg(QLatin1String(kSessionDir), m_sessionId));
    auto lock = std::make_unique<QLockFile>(m_sessionFile);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return;
    QFile info(m_sessionFile + QStringLiteral(".usr"));
    if (info.open(QIODevice::WriteOnly | QIODevice::Truncate))
        info.write((m_userName.isEmpty() ? QStringLiteral("<leer>") : m_userName).toUtf8() + '\t'
                   + QSysInfo::machineHostName().toUtf8());
    m_sessionLock = std::move(lock);
}

void Engine::unregisterSession()
{
    QMutexLocker lock(&m_mutex);
    if (!m_sessionLock)
        return;
    m_sessionLock->unlock();
    m_sessionLock.reset();
    QFile::remove(m_sessionFile + QStringLiteral(".usr"));
}

bool Engine::sessionAlive(const QString& sessionId) const
{
    if (sessionId == m_sessionId)
        return true;
    if (Backend* server = serverBackend())
        return server->sessionAlive(sessionId).value_or(false);
    const QString dir = sessionDir();
    const QString file = QDir(dir).filePath(QStringLiteral("%1/%2.lck").arg(QLatin1String(kSessionDir), sessionId));
    if (!QFileInfo::exists(file))
        return false;
    QLockFile probe(file);
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        // We could take it: its owner is gone.
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}

QStringList Engine::networkUsers() const
{
    QStringList users;
    if (Backend* server = serverBackend())
        return server->sessionUsers().value_or(QStringList());
    const QString dir = sessionDir();
    if (dir.isEmpty())
        return users;
    const QDir sessions(QDir(dir).filePath(QLatin1String(kSessionDir)));
    for (const QFileInfo& fi : sessions.entryInfoList({QStringLiteral("*.lck.usr")}, QDir::Files, QDir::Name)) {
        const QString id = fi.fileName().chopped(8);
        if (!sessionAlive(id)) {
            QFile::remove(fi.filePath());
            continue;
        }
        QFile f(fi.filePath());
        if (f.open(QIODevice::ReadOnly))
            users << QString::fromUtf8(f.readAll()).section(QLatin1Char('\t'), 0, 0);
    }
    return users;
}

void Engine::addPassword(const QString& password)
{
    QMutexLocker lock(&m_mutex);
    if (!m_passwords.contains(password))
        m_passwords << password;
}

void Engine::removeAllPasswords()
{
    QMutexLocker lock(&m_mutex);
    m_passwords.clear();
}

QStringList Engine::passwords() const
{
    QMutexLocker lock(&m_mutex);
    return m_passwords;
}
Engine::PasswordHook Engine::passwordHook() const { return m_passwordHook; }
void Engine::setPasswordHook(PasswordHook hook) { m_passwordHook = std::move(hook); }
bool Engine::requestPassword() { return m_passwordHook ? m_passwordHook() : false; }

void Engine::refreshAll()
{
    QSet<DataSet*> sets;
    {
        QMutexLocker lock(&m_mutex);
        sets = m_dataSets;
    }
    for (DataSet* ds : sets) {
        if (ds->thread() != QThread::currentThread())
            continue;
        {
            QMutexLocker lock(&m_mutex);
            if (!m_dataSets.contains(ds))
                continue;
        }
        if (ds->active() && ds->state() == DataSetState::Browse)
            ds->refresh();
    }
}

// The lock rows stand for the process, whatever alias opened the table: they are counted per
// register (its path), so that closing the table on one alias (a phone's session ending) does
// not take the lock row from another alias of the same register that still uses it. The
// rows are written outside the lock (a writing transaction of another thread may hold the
// database); a release that crossed a new use puts the row back.
void Engine::lockTable(const QString& alias, const QString& table, bool exclusive)
{
    const QString key = aliasPath(alias) + QLatin1Char('\n') + normalTableName(table);
    bool first = false;
    {
        QMutexLocker lock(&m_lockMutex);
        int& uses = m_tableUse[key];
        first = uses == 0;
        ++uses;
    }
    if (!first && !exclusive)
        return;
    try {
        Catalog::acquireLock(backend(alias), table, m_sessionId, exclusive);
    } catch (...) {
        QMutexLocker lock(&m_lockMutex);
        auto it = m_tableUse.find(key);
        if (it != m_tableUse.end() && --it.value() <= 0)
            m_tableUse.erase(it);
        throw;
    }
}

void Engine::unlockTable(const QString& alias, const QString& table)
{
    const QString key = aliasPath(alias) + QLatin1Char('\n') + normalTableName(table);
    {
        QMutexLocker lock(&m_lockMutex);
        auto it = m_tableUse.find(key);
        if (it == m_tableUse.end())
            return;
        if (--it.value() > 0)
            return;
        m_tableUse.erase(it);
    }
    try {
        Backend& db = backend(alias);
        Catalog::releaseLock(db, table, m_sessionId);
        bool wiederInGebrauch = false;
        {
            QMutexLocker lock(&m_lockMutex);
            wiederInGebrauch = m_tableUse.value(key) > 0;
        }
        if (wiederInGebrauch)
            Catalog::acquireLock(db, table, m_sessionId, false);
    } catch (const EngineError&) {
    }
}

void Engine::reset()
{
    unregisterSession();
    QMutexLocker locks(&m_lockMutex);
    QMutexLocker lock(&m_mutex);
    m_tableUse.clear();
    m_backends.clear();
    m_backendThreads.clear();
    ServerLogin::forget();
    m_sessionAliases.clear();
    m_sessionDrivers.clear();
    m_passwords.clear();
    m_passwordHook = nullptr;
    m_netFileDir.clear();
    m_privateDir.clear();
    m_configFile.clear();
}

void Engine::registerDataSet(DataSet* ds)
{
    QMutexLocker lock(&m_mutex);
    m_dataSets.insert(ds);
}

void Engine::unregisterDataSet(DataSet* ds)
{
    QMutexLocker lock(&m_mutex);
    m_dataSets.remove(ds);
}
