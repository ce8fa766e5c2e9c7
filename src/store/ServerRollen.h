#pragma once
#include <QList>
#include <QString>
#include <QStringList>

class Backend;

// A register on a PostgreSQL server whose rights the server itself enforces: every person
// logs in with a login role of their own, and group roles carry the table grants that give
// exactly what the program's rights allow. The tables belong to an owner role nobody logs in
// as; roles are created, locked, renamed and granted only through functions of this
// register that members of the administration group may call (they run as a role with
// CREATEROLE, so no person needs it).
//
// A register set up this way carries the table _hw_rollen; without it the server works as
// before (one shared role, rights only in the program).
namespace ServerRollen {

// The program's rights as bits (bit n = right n of TUserRights). Only these four reach the
// server; viewing is what every person of the register may, printing and reports stay in
// the program.
constexpr int Einfuegen = 1 << 1;
constexpr int Aendern = 1 << 2;
constexpr int Loeschen = 1 << 3;
constexpr int Admin = 1 << 6;

// The roles of one register: a prefix and a fixed word each, "hw_ansehen" ...
struct Namen {
    QString eigentuemer;   // owns every table, sequence, lock and working table; NOLOGIN
    QString verwalter;     // CREATEROLE, owns the user functions; NOLOGIN
    QString ansehen;       // every person: connect, SELECT, table locks, sessions
    QString neu;           // INSERT
    QString aendern;       // UPDATE
    QString loeschen;      // DELETE
    QString admin;         // the user table and its protection; may call the user functions
    static Namen mitPraefix(const QString& praefix);
};

// Whether the register is set up with its own roles.
bool aktiv(Backend& db);
Namen namen(Backend& db);

// The role of a user of the program: the name trimmed and in small letters, so that names
// compare without regard to case as in the program.
QString rollenName(const QString& benutzer);

// Set-up by a superuser of the server, on an empty database or a register: the roles above
// (where missing), the register's tables owned by the owner role (created where missing,
// taken over from whoever owned them), the grants from nothing and the user functions. Safe
// to run again (after an update of the program it adds new tables and their grants). One
// transaction; returns what it did, line by line.
QStringList einrichten(Backend& db, const QString& praefix = QStringLiteral("hw_"));

// The role that owned the register's tables before the set-up (the shared role), or empty.
QString bisherigerBesitzer(Backend& db);

// A one-time password: 10 letters and digits without look-alikes.
QString einmalPasswort();

// The user functions (members of the administration group; the set-up's superuser too).
// A created user, and one whose password the administrator set, must change it at the first
// login. rechte: bits as above.
void anlegen(Backend& db, const QString& benutzer, const QString& passwort, int rechte, bool gesperrt = false);
void aendern(Backend& db, const QString& alterName, const QString& neuerName, int rechte, bool gesperrt);
void passwortSetzen(Backend& db, const QString& benutzer, const QString& passwort);
void loeschen(Backend& db, const QString& benutzer);
// Whether the server has a login role of this register for the user.
bool vorhanden(Backend& db, const QString& benutzer);

// For the person logged in: their own password (clears the one-time mark), whether they
// still have to change a one-time password, and the rights the server grants them.
void eigenesPasswort(Backend& db, const QString& passwort);
bool einmalPasswortAktiv(Backend& db);
int serverRechte(Backend& db);

}
