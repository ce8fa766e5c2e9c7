#pragma once
#include "UserRights.h"

#include <QList>
#include <QString>
#include <QStringList>

class Backend;

// The set-up of a register's own server roles (ServerRollen) seen from the program's users:
// the rights of the user table as the server's groups, the conversion of a register that ran
// with one shared role, and the first administrator of a new one.

// The rights the server enforces (insert, modify, delete, administration) as its bits.
int ServerBits(TUserRights rechte);
// The program's rights of a person on such a server: view, insert, modify, delete and
// administration as the server grants them; print and reports as the user table says.
TUserRights ServerRechteMitProgramm(int serverBits, TUserRights ausTabelle);

struct UmgestellterBenutzer {
    QString name;           // as in the user table
    QString rolle;          // login role on the server
    QString passwort;       // one-time password, empty when no role was made
    bool gesperrt = false;
    QString hinweis;        // why no role was made, or what else to know
};
struct ServerUmstellung {
    QStringList bericht;
    QList<UmgestellterBenutzer> benutzer;
};

// Converts a register that ran with one shared role, in one transaction: the set-up of the
// roles (ownership moves to the owner role), one login role per user of the user table with
// the user's rights, lock and a one-time password (to be changed at the first login); the
// program's old password hashes are removed from the table. Run by a superuser.
ServerUmstellung ServerUmstellen(Backend& db, const QString& praefix);

// The first administrator of a register just set up: a login role with every right the
// server knows; answers the one-time password. The program's first start as that person
// then asks the master password of the user table.
QString ServerErsterAdministrator(Backend& db, const QString& name);
