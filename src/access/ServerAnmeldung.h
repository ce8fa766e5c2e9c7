#pragma once
#include "UserRights.h"

#include <QString>
#include <QStringList>
#include <optional>

class Backend;
class QWidget;

// The login on a register whose PostgreSQL server enforces the rights (ServerRollen): the
// login dialog's name and password are the person's own server login. Nothing of them is
// kept by the program; the server keeps only its hash.
//
// A wrong name or password shows the dialog again (no message, as in the program's own
// login); a locked role answers locked; a person who logs in with a one-time password sets
// their own before anything else.

// Whether the register of the user table lies on such a server (connected already).
bool ServerRollenAktiv();

// The start with user administration on a server: connects with the person's login when the
// server wants one (also a register still on a shared role whose password is not on this
// workstation), then, on a server with roles, the whole start (the Admin command line too).
// nullopt: not such a register, the program's own login follows; otherwise BenutzerStart's
// answer.
std::optional<bool> ServerStart(const QStringList& argumente, QWidget* parent = nullptr);

// "Benutzer wechseln" and "Passwort ändern" on such a server. The register is connected
// again as the new person only when the server accepted the login; otherwise the previous
// person stays connected.
bool ServerAnmelden(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent = nullptr);
bool ServerPasswortAendern(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent = nullptr);

// The rights of the connected person: insert, modify, delete and administration as the
// server grants them, view, print and reports as the user table has them.
TUserRights ServerRechte(const QString& name);
// The same on a connection of the person's own (a phone's session).
TUserRights ServerRechte(Backend& db, const QString& name);

// The first set-up on such a server: an administrator (the first one made by
// hw_server_setup) sets the master password of the user table and, when it has no users
// yet, gets its first row. Refused when the table got a master password meanwhile.
void ServerErsteinrichtung(const QString& name, const QString& master);

// One line for the About box: who enforces the rights of the register in use.
QString RechteSchutzText();
