#pragma once
#include "UserRights.h"

#include <QList>
#include <QString>
#include <optional>

// The rules of the user table that every way of changing it keeps (the administration
// window, the login's password change, the first set-up, and a server's own user roles):
// password length, what may become the master password, and that one user with the
// administration right always remains. Each answers the German refusal, or an empty text.
namespace BenutzerRegeln {

constexpr int PasswortMinLaenge = 4;
constexpr int PasswortMaxLaenge = 10;

// The length rule applies to what is stored: the password without spaces around it.
QString PasswortLaengeFehler(const QString& passwort);

inline const QString KeinMasterText = QStringLiteral("Dieses Passwort kann nicht Master-Passwort sein");
// The read password (in any capitals, with or without spaces around it) never becomes the
// master password: it would open the table to every login.
QString MasterPasswortFehler(const QString& neu);

// One user as stored.
struct BenutzerStand {
    qint64 id = 0;
    TUserRights rechte;
    bool gesperrt = false;
};
// A user who can open the administration: the right, and not locked.
bool IstAdministrator(const BenutzerStand& b);
// The change of the row id (nachher empty: the row is deleted) against all rows as stored:
// refused when it would leave no administrator, while one is there now.
QString LetzterAdminFehler(const QList<BenutzerStand>& gespeichert, qint64 id,
                           const std::optional<BenutzerStand>& nachher);

// How the user table is protected.
enum class Schutz {
    Leer,                    // no users, no master password: the first set-up is due
    Geschuetzt,              // master and read password set
    OhneSchutzMitBenutzern   // users, but no master password: refused until repaired
};
Schutz BenutzerTabellenSchutz(const QString& alias);
// The refusal for OhneSchutzMitBenutzern, naming the repair.
inline const QString OhneSchutzText = QStringLiteral(
    "Die Benutzertabelle enthält Benutzer, hat aber kein Master-Passwort und ist damit nicht geschützt.\n"
    "Reparatur: das Programm mit \"holmwacht Admin\" starten, als Benutzer mit dem Recht "
    "\"Admin - Verwaltungsrechte\" anmelden und ein neues Master-Passwort festlegen "
    "(siehe README, Abschnitt über Benutzer und Administrator).");

}
