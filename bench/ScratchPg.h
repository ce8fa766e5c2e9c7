#pragma once
// A database of a bench run's own on the PostgreSQL server that HW_TEST_PGHOST (HW_TEST_PGPORT,
// HW_TEST_PGUSER, PGPASSWORD) names: created empty, dropped when the object ends, also after
// an error. Close the engine's aliases on it first (Engine::instance().reset()); the drop ends
// any connection still open.
#include "Backend.h"
#include "Engine.h"
#include "Errors.h"

#include <QCoreApplication>
#include <cstdio>

class ScratchPgDatabase {
public:
    // False without HW_TEST_PGHOST: the bench measures SQLite only.
    static bool configured() { return !qEnvironmentVariableIsEmpty("HW_TEST_PGHOST"); }

    // The server of the environment, on its maintenance database "postgres".
    static ServerSettings server()
    {
        ServerSettings s;
        s.host = qEnvironmentVariable("HW_TEST_PGHOST");
        s.port = qEnvironmentVariableIntValue("HW_TEST_PGPORT");
        s.user = qEnvironmentVariable("HW_TEST_PGUSER");
        s.database = QStringLiteral("postgres");
        return s;
    }

    // "<prefix>_<process id>[_<suffix>]", so that runs at the same time do not meet.
    explicit ScratchPgDatabase(const QString& prefix, const QString& suffix = {}) : m_server(server())
    {
        m_name = QStringLiteral("%1_%2").arg(prefix).arg(QCoreApplication::applicationPid());
        if (!suffix.isEmpty())
            m_name += QLatin1Char('_') + suffix;
        createPgBackend(m_server.connInfo())
            ->exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(m_name), {});
    }
    ~ScratchPgDatabase()
    {
        try {
            createPgBackend(m_server.connInfo())->exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(m_name), {});
        } catch (const HwError& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
    }
    ScratchPgDatabase(const ScratchPgDatabase&) = delete;
    ScratchPgDatabase& operator=(const ScratchPgDatabase&) = delete;

    QString name() const { return m_name; }
    // The server settings with this database.
    ServerSettings settings() const
    {
        ServerSettings s = m_server;
        s.database = m_name;
        return s;
    }
    QString connInfo() const { return settings().connInfo(); }

private:
    ServerSettings m_server;
    QString m_name;
};
