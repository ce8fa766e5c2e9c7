#include "ServerLogin.h"

#include "Backend.h"
#include "Engine.h"
#include "ServerRollen.h"

#include <QHash>
#include <QMutex>
#include <QSet>

namespace ServerLogin {

namespace {
const QString kServerDriver = QStringLiteral("POSTGRESQL");
QHash<QString, Pending> g_pending;     // upper-case alias -> login for its next connection
QSet<QString> g_open;                  // aliases connected to a server
QSet<QString> g_roles;                 // ... whose server enforces the rights with roles
QMutex g_mutex;                        // threads connect aliases of their own
}

Pending takePending(const QString& alias)
{
    QMutexLocker lock(&g_mutex);
    return g_pending.take(alias.toUpper());
}

void connected(const QString& alias, bool withRoles)
{
    const QString up = alias.toUpper();
    QMutexLocker lock(&g_mutex);
    g_open.insert(up);
    if (withRoles)
        g_roles.insert(up);
    else
        g_roles.remove(up);
}

void forget()
{
    QMutexLocker lock(&g_mutex);
    g_pending.clear();
    g_open.clear();
    g_roles.clear();
}

void login(const QString& alias, const QString& user, const QString& password)
{
    const QString up = alias.toUpper();
    Engine& engine = Engine::instance();
    if (user.trimmed().isEmpty())
        throw EngineError(QStringLiteral("Benutzername oder Passwort falsch"), EngineCode::WrongPassword);
    bool open = false;
    {
        QMutexLocker lock(&g_mutex);
        open = g_open.contains(up);
    }
    if (open) {
        Backend& db = engine.backend(up);
        reconnect(db, user, password);
        connected(up, ServerRollen::aktiv(db));
        db.announceSession(engine.sessionId(), engine.userName());
        return;
    }
    if (engine.aliasDriver(up) != kServerDriver)
        throw EngineError(QStringLiteral("Der Alias %1 liegt auf keinem Datenbankserver").arg(up), EngineCode::Generic);
    {
        QMutexLocker lock(&g_mutex);
        g_pending.insert(up, Pending{user, password});
    }
    try {
        engine.backend(up);
    } catch (...) {
        QMutexLocker lock(&g_mutex);
        g_pending.remove(up);
        throw;
    }
}

bool required(const QString& alias)
{
    Engine& engine = Engine::instance();
    if (engine.aliasDriver(alias) != kServerDriver)
        return false;
    try {
        engine.backend(alias);
        return false;
    } catch (const EngineError& e) {
        if (e.code() == EngineCode::LoginRequired)
            return true;
        throw;
    }
}

bool roles(const QString& alias)
{
    QMutexLocker lock(&g_mutex);
    return g_roles.contains(alias.toUpper());
}

}
