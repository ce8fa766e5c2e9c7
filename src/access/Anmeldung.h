#pragma once
#include "UserRights.h"

#include <QString>
#include <QStringList>

class QWidget;

// The login, the own-password change and the start of the program with user administration.
//
// Cancelling a dialog of these flows ends the flow silently (Abort). The engine's password
// list holds the read password only while a flow runs.

// Asks name and password until they match a user of the user table. True with the typed
// name, the user's rights and lock flag; false after a message when the table cannot be
// read.
bool Anmelden(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent = nullptr);
// The check behind the login, without any window (also for the web server): the name and
// password against the user table, read with the read password. Not passt: no rights and
// locked. A table that cannot be used for a login (refused by the engine, or without its
// protection) is a HwError with the login's message.
struct Anmeldeergebnis {
    bool passt = false;
    TUserRights rechte;
    bool gesperrt = true;
};
Anmeldeergebnis BenutzerPruefen(const QString& name, const QString& passwort);
// Where the user table lies and how its read password is built, as the login needs them;
// BenutzerStart calls it first.
void BenutzerTabelleEinrichten();

// Asks the old and the new password of the user until the old one matches; stores the new
// one unless the user is locked. True then, with the user's rights and lock flag.
bool PasswortAendern(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent = nullptr);

// A register whose user table is empty and unprotected cannot be logged into: it needs its
// first administrator and the table's master password first.
bool ErsteinrichtungNoetig();
// Asks the first administrator (name, password twice) and the master password (twice, never
// the read password) and stores them (ErsterAdministrator); answers the master password.
QString Ersteinrichtung(QWidget* parent = nullptr);
// Writes the first user with every right and protects the user table with the master and
// the read password, all in one transaction; refused when the table has users meanwhile.
void ErsterAdministrator(const QString& name, const QString& passwort, const QString& master);

// The step of start-up with user administration: the command line's Admin branch (any
// other argument ends the program), the first set-up and the login. A user table with
// users but without master password is refused at the login; the Admin branch repairs it
// (a user with the administration right logs in and sets the master password), and on a
// new register runs the first set-up before the administration. True when the program
// goes on to its main window with AktBenutzer and AktRechte filled in; false when it ends.
// Errors other than the login's own pass on.
bool BenutzerStart(const QStringList& argumente, QWidget* parent = nullptr);

inline const QString GesperrtText = QStringLiteral("Benutzer gesperrt => keine Anmeldung möglich");
