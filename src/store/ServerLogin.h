#pragma once
#include "Errors.h"

#include <QString>
#include <memory>

class Backend;

// Logging into a PostgreSQL server with a role of one's own (a register whose server
// enforces the rights, ServerRollen). The person's name and password connect the alias, or
// connect it again as that person when it is open; nothing of them is kept once the server
// has the connection.

namespace EngineCode {
constexpr int LoginRequired = 10502;     // the server wants a person's own name and password
constexpr int WrongPassword = 10503;     // name or password not accepted
constexpr int UserLocked = 10504;        // the role may not log in
}

namespace ServerLogin {

// Connects the alias as the role (the open connection is replaced only when the server
// accepts). Throws EngineError WrongPassword, UserLocked, InsufficientRights (no access to
// the database) or DirNotFound (server not reached).
void login(const QString& alias, const QString& user, const QString& password);
// Whether the alias is on a server that still waits for the person's own login: a register
// with roles, or a server that wants a password this workstation does not have. Connects
// when it can (the schema is then created as before); false for a data directory.
bool required(const QString& alias = QStringLiteral("TARVINO"));
// Whether the alias's server enforces the rights with roles (known once connected).
bool roles(const QString& alias = QStringLiteral("TARVINO"));

// The role a server connection runs as; empty for a file database.
QString user(Backend& db);
// The server's hash (SCRAM) of a password for a role, made on the client: the clear text
// never reaches the server or its logs.
QString passwordVerifier(Backend& db, const QString& role, const QString& password);
// A connection of its own as that role (for checking a password).
std::unique_ptr<Backend> connect(const QString& conninfo, const QString& user, const QString& password);
// Connects an open server database again as another role; the old connection stays when
// the server refuses.
void reconnect(Backend& db, const QString& user, const QString& password);

// For the engine: the login waiting for the alias's next connection (taken once), what the
// connection found, and forgetting everything (Engine::reset).
struct Pending {
    QString user;
    QString password;
};
Pending takePending(const QString& alias);
void connected(const QString& alias, bool withRoles);
void forget();

}

// Creates the table of the protections where there is none (a server's set-up makes it for
// the owner role, before any workstation may). In TableSecurity.cpp.
namespace TableSecurity {
void ensureTable(Backend& db);
}
