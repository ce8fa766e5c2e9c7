#pragma once
#include "TableSecurity.h"

#include <QString>

class Table;

// The two passwords of the user table. The master password opens it with all rights; only
// the administrator knows it and the program keeps it in memory only. The read password is
// built by the program itself: with it the login reads every user row and may change the
// field Passwort of existing rows, nothing else (the store enforces that).
//
// Since the read password comes from the program, it keeps out nobody who can run the
// program's code on the database; what protects the data file is the file system (and the
// server's own logins on PostgreSQL).
namespace TabellenPasswoerter {

// How SetLesePasswort builds the read password (1: encoded base text).
constexpr int LesePasswortModus = 1;

// The read password; a fixed word until start-up sets it.
QString LesePasswort();
// Builds LesePasswort from a base text; "Lesepasswort zu kurz" below 5 characters.
void SetLesePasswort(const QString& basis);
// The base text the program starts with.
QString LesePasswortBasis();

// The master password entered at the last administration entry (memory only).
inline QString MasterPasswort;
// The administration works on the user table opened exclusively (command line "Admin").
inline bool AdminExklusiv = false;

// What the read password may do: read all rows, change existing rows but only the field
// Passwort; no insert, no delete.
SecurityDescriptor LesePasswortDescriptor(const QString& lesePasswort = LesePasswort());

// Removes master and read password. The table must be open exclusively (with the master).
void TabellenPasswortEntfernen(Table& table);
// Protects the table with the master password and the read password's descriptor; the
// master is added to the engine's password list first, so that the table opens again.
void TabellenPasswortSetzen(Table& table, const QString& master, const QString& hilfsPasswort);

}
