#pragma once
#include "Errors.h"

#include <QHash>
#include <QObject>
#include <QRecursiveMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

class Backend;
class DataSet;
class QLockFile;
class QThread;

// A PostgreSQL server serving an alias instead of a data directory. Empty values are left to
// libpq's defaults (PGHOST, PGPORT, PGDATABASE, PGUSER, the login name); the password comes
// from ~/.pgpass or PGPASSWORD and is never held by the program.
struct ServerSettings {
    QString host;
    int port = 0;
    QString database;
    QString user;
    // libpq connection text ("host='db1' port='5432' ...").
    QString connInfo() const;
};

// One per process: aliases, the network control and private directories, the password list,
// the users registered in the network control directory and the "re-read all cursors" action.
//
// Threads may use the engine at once (the web server serves each phone in a thread of its
// own), each with aliases of its own: the engine's lists are guarded, a backend is used by
// the thread of its alias only.
//
// An alias names a data directory or a database server. The tables of a data directory live
// in one SQLite file (tarvino.sqlite); a server database holds them as tables of its own. The
// engine creates the full schema where there is none.
class Engine : public QObject {
    Q_OBJECT
public:
    static Engine& instance();

    // Network control directory: shared by all workstations; the sessions of the program
    // register themselves here. Empty: the data directory of the alias is used.
    void setNetFileDir(const QString& dir);
    QString netFileDir() const;
    void setPrivateDir(const QString& dir);
    QString privateDir() const;

    // Registers an alias for this process only. driver is "PARADOX" (the embedded default, path
    // is the data directory) or "POSTGRESQL" (path is a libpq connection text).
    void addSessionAlias(const QString& alias, const QString& path, const QString& driver = QStringLiteral("PARADOX"));
    void addServerAlias(const QString& alias, const ServerSettings& server);
    // "PARADOX" or "POSTGRESQL"; the persistent configuration may give it as TYPE beside PATH.
    QString aliasDriver(const QString& alias) const;
    // Where the alias's data lives, for the user: the data directory, or the server with its
    // database and user ("PostgreSQL-Server db1:5432, Datenbank tarvino, Benutzer meier").
    QString location(const QString& alias = QStringLiteral("TARVINO"));
    void removeSessionAlias(const QString& alias);
    bool aliasKnown(const QString& alias) const;
    // An alias served by a connection made elsewhere (a server login of a person): path and
    // driver as the alias it copies, so that its table locks count with that register's.
    void adoptBackend(const QString& alias, const QString& path, const QString& driver, std::unique_ptr<Backend> db);
    // Closes the alias's connection and forgets the alias; its cursors must be closed.
    void closeAlias(const QString& alias);

    // The persistent configuration file (INI) shared by the program's runs. It may define
    // aliases: section "DATABASES\<ALIAS>\DB INFO", key PATH.
    // Default: $HOLMWACHT_ENGINE_CFG or <config dir>/holmwacht/engine.cfg.
    void setConfigFile(const QString& path);
    QString configFile() const;
    // Entry of the persistent configuration, e.g. configEntry("\\DATABASES\\TARVINO\\DB INFO", "PATH").
    QString configEntry(const QString& section, const QString& key) const;
    // The data directory of an alias: session alias first, then the persistent configuration.
    QString aliasPath(const QString& alias) const;

    // The backend that serves an alias; opened (and the schema created) on first use.
    // Throws EngineError when the alias or its directory is missing.
    Backend& backend(const QString& alias = QStringLiteral("TARVINO"));

    // User name this workstation registers under in the network control directory.
    void setUserName(const QString& name);
    QString userName() const;
    // The name the calling thread writes under (a phone's person), instead of the process's;
    // empty: the process's again.
    void setThreadUserName(const QString& name);
    QString threadUserName() const;
    // Users of the program, one line each: registered in the network control directory, or
    // connected to the server when the data lives on one.
    QStringList networkUsers() const;
    // Session identity used for table locks.
    QString sessionId() const;
    bool sessionAlive(const QString& sessionId) const;

    // Password list tried when protected tables are opened; the hook is called when no
    // password fits (it may add one and return true to try again).
    void addPassword(const QString& password);
    void removeAllPasswords();
    QStringList passwords() const;
    using PasswordHook = std::function<bool()>;
    PasswordHook passwordHook() const;
    void setPasswordHook(PasswordHook hook);
    // Asks the hook for a password; false when it declines.
    bool requestPassword();

    // Re-reads every open cursor of the calling thread from the store (rows changed by other
    // workstations appear).
    void refreshAll();

    // Closes all backends and forgets session aliases (for tests and shutdown).
    void reset();

    // Table use by this session, counted so that several cursors on one table share a lock.
    void lockTable(const QString& alias, const QString& table, bool exclusive);
    void unlockTable(const QString& alias, const QString& table);

    // Cursor registry, used by refreshAll.
    void registerDataSet(DataSet* ds);
    void unregisterDataSet(DataSet* ds);

private:
    Engine();
    ~Engine() override;
    void registerSession();
    void unregisterSession();
    QString sessionDir() const;
    Backend* serverBackend() const;

    QString m_netFileDir;
    QString m_privateDir;
    QString m_configFile;
    QString m_userName;
    QString m_sessionId;
    QHash<QString, QString> m_sessionAliases;     // upper-case alias -> path
    QHash<QString, QString> m_sessionDrivers;     // upper-case alias -> driver
    std::map<QString, std::unique_ptr<Backend>> m_backends;
    QHash<QString, QThread*> m_backendThreads;    // the thread that connected an alias (not adopted ones)
    QStringList m_passwords;
    PasswordHook m_passwordHook;
    QSet<DataSet*> m_dataSets;
    QHash<QString, int> m_tableUse;                // "path of the register/TABLE" -> open cursors
    std::unique_ptr<QLockFile> m_sessionLock;
    QString m_sessionFile;
    mutable QRecursiveMutex m_mutex;
    QRecursiveMutex m_lockMutex;                  // m_tableUse, and the lock rows it stands for
};
