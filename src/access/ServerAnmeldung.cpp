#include "ServerAnmeldung.h"

#include "Backend.h"
#include "BenutzerVerwaltung.h"
#include "Dialogs.h"
#include "Engine.h"
#include "ServerLogin.h"
#include "PasswordDialog.h"
#include "SBenutzerVerw.h"
#include "ServerRollen.h"
#include "ServerUmstellung.h"
#include "TabellenPasswoerter.h"
#include "Table.h"
#include "TableSecurity.h"
#include "UserState.h"
#include "XorHex.h"

#include <QGuiApplication>

namespace {

QString alias()
{
    return UserState::BenutzerDatenbank.isEmpty() ? QStringLiteral("Benutzer") : UserState::BenutzerDatenbank;
}

class WarteCursor {
public:
    WarteCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WarteCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::restoreOverrideCursor();
    }
};

enum class Verbunden { Ja, Gesperrt, Fehler };

// Asks name and password until the server takes them; the register is then connected as
// that person (the connection before stays when it refuses).
Verbunden verbinden(QString& name, QWidget* parent)
{
    QString eingabe = name;
    for (;;) {
        QString passwort;
        if (!PasswortAbfrage(UserState::ProgrammTitel, eingabe, passwort, true, parent))
            throw Abort();
        name = eingabe;
        try {
            WarteCursor warte;
            ServerLogin::login(alias(), ServerRollen::rollenName(name), passwort.trimmed());
            return Verbunden::Ja;
        } catch (const EngineError& e) {
            if (e.code() == EngineCode::WrongPassword)
                continue;
            if (e.code() == EngineCode::UserLocked)
                return Verbunden::Gesperrt;
            Dialogs::error(parent, e.message());
            return Verbunden::Fehler;
        }
    }
}

// A one-time password (from the set-up or the administrator) is replaced before anything
// else; the connection then logs in again with the new one.
void einmalPasswortErsetzen(const QString& name, QWidget* parent)
{
    Backend& db = Engine::instance().backend(alias());
    if (!ServerRollen::einmalPasswortAktiv(db))
        return;
    Dialogs::information(parent, QStringLiteral("Sie sind mit einem Einmal-Passwort angemeldet.\n"
                                                 "Bitte legen Sie jetzt Ihr eigenes Passwort fest."));
    QString fest = name, neu;
    if (!PasswortNeueingabe(QStringLiteral("Neues Paßwort"), fest, neu, false, parent))
        throw Abort();
    ServerRollen::eigenesPasswort(db, neu);
    ServerLogin::login(alias(), ServerRollen::rollenName(name), neu.trimmed());
}

// The user table without master password: empty (a new register), or with users (a register
// converted before its table was protected).
bool ohneMaster() { return !TableSecurity::isProtected(Engine::instance().backend(alias()), QStringLiteral("Benutzer")); }

bool tabelleLeer()
{
    auto c = Engine::instance().backend(alias()).select(QStringLiteral("SELECT COUNT(*) FROM Benutzer"));
    return c->next() && c->intValue(0) == 0;
}

// Asks the master password of the user table twice until it is not the read password.
QString neuesMaster(QWidget* parent)
{
    for (;;) {
        QString admin = QStringLiteral("Admin");
        QString master;
        if (!PasswortNeueingabe(QStringLiteral("Master-Passwort festlegen"), admin, master, false, parent))
            throw Abort();
        if (master.trimmed().compare(TabellenPasswoerter::LesePasswort(), Qt::CaseInsensitive) != 0)
            return master;
        Dialogs::error(parent, QStringLiteral("Dieses Passwort kann nicht Master-Passwort sein"));
    }
}

} // namespace

bool ServerRollenAktiv() { return ServerLogin::roles(alias()); }

TUserRights ServerRechte(const QString& name) { return ServerRechte(Engine::instance().backend(alias()), name); }

TUserRights ServerRechte(Backend& db, const QString& name)
{
    TUserRights ausTabelle;
    auto c = db.select(QStringLiteral("SELECT AllgRechte FROM Benutzer WHERE lower(Name) = ?"), {ServerRollen::rollenName(name)});
    if (c->next())
        ausTabelle = RechteAusText(XorHexDecode(RechteSchluessel, c->textValue(0)));
    c.reset();
    return ServerRechteMitProgramm(ServerRollen::serverRechte(db), ausTabelle);
}

bool ServerAnmelden(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent)
{
    rechte = TUserRights();
    gesperrt = true;
    switch (verbinden(name, parent)) {
    case Verbunden::Fehler: return false;
    case Verbunden::Gesperrt: return true;
    case Verbunden::Ja: break;
    }
    einmalPasswortErsetzen(name, parent);
    gesperrt = false;
    rechte = ServerRechte(name);
    return true;
}

bool ServerPasswortAendern(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent)
{
    Engine& engine = Engine::instance();
    for (;;) {
        rechte = TUserRights();
        gesperrt = true;
        QString fest = name, alt, neu;
        if (!PasswortAenderung(UserState::ProgrammTitel, fest, alt, false, neu, parent))
            throw Abort();
        // The server checks the old password, on a connection of its own.
        try {
            WarteCursor warte;
            ServerLogin::connect(engine.aliasPath(alias()), ServerRollen::rollenName(name), alt.trimmed());
        } catch (const EngineError& e) {
            if (e.code() == EngineCode::WrongPassword)
                continue;
            if (e.code() == EngineCode::UserLocked)
                return true;
            Dialogs::error(parent, e.message());
            return false;
        }
        ServerRollen::eigenesPasswort(engine.backend(alias()), neu);
        ServerLogin::login(alias(), ServerRollen::rollenName(name), neu.trimmed());
        gesperrt = false;
        rechte = ServerRechte(name);
        return true;
    }
}

void ServerErsteinrichtung(const QString& name, const QString& master)
{
    Engine& engine = Engine::instance();
    Backend& db = engine.backend(alias());
    const QStringList vorher = engine.passwords();
    engine.removeAllPasswords();
    BenutzerVerwaltung bv;
    bv.Detail->setExclusive(true);
    auto zurueck = [&] {
        bv.Detail->close();
        engine.removeAllPasswords();
        for (const QString& p : vorher)
            engine.addPassword(p);
    };
    try {
        bv.Detail->open();
        if (TableSecurity::isProtected(db, QStringLiteral("Benutzer")))
            throw HwError(QStringLiteral("Die Benutzertabelle hat inzwischen ein Master-Passwort; bitte neu anmelden."));
        Transaction t(db);
        if (bv.Detail->isEmpty()) {
            bv.RechteZumSpeichern = [] { return TUserRights::all(); };
            bv.Detail->append();
            bv.Detail->setValue(QStringLiteral("Name"), name.trimmed());
            bv.Speichern();
        }
        TabellenPasswoerter::TabellenPasswortSetzen(*bv.Detail, master, TabellenPasswoerter::LesePasswort());
        t.commit();
    } catch (...) {
        zurueck();
        throw;
    }
    zurueck();
}

std::optional<bool> ServerStart(const QStringList& argumente, QWidget* parent)
{
    Engine& engine = Engine::instance();
    const bool admin = !argumente.isEmpty() && argumente.first().compare(QStringLiteral("Admin"), Qt::CaseInsensitive) == 0;
    if (!argumente.isEmpty() && !admin)
        return false;
    QString name;
    try {
        // No password of a shared role on this workstation, or a server with roles: the
        // person's own login connects.
        if (ServerLogin::required(alias())) {
            switch (verbinden(name, parent)) {
            case Verbunden::Fehler: return false;
            case Verbunden::Gesperrt: Dialogs::error(parent, QStringLiteral("Benutzer gesperrt => keine Anmeldung möglich")); return false;
            case Verbunden::Ja: break;
            }
        }
        if (!ServerLogin::roles(alias()))
            return std::nullopt;
        einmalPasswortErsetzen(name, parent);
        TUserRights rechte = ServerRechte(name);
        // The master password stays the program's confirmation of the administration: the
        // first administrator sets it. Until then the others work without it.
        if (ohneMaster()) {
            const bool leer = tabelleLeer();
            if (rechte.contains(crAdmin)) {
                Dialogs::information(parent, leer ? QStringLiteral("Das Register hat noch keine Benutzer.\n"
                                                                   "Bitte legen Sie das Master-Passwort der Benutzertabelle fest.")
                                                  : QStringLiteral("Die Benutzertabelle hat kein Master-Passwort.\n"
                                                                   "Bitte legen Sie es jetzt fest."));
                ServerErsteinrichtung(name, neuesMaster(parent));
                rechte = ServerRechte(name);
            } else if (leer) {
                Dialogs::error(parent, QStringLiteral("Das Register hat noch keine Benutzer: zuerst muss sich der Administrator "
                                                      "anmelden, den hw_server_setup angelegt hat."));
                return false;
            }
        }
        if (admin) {
            if (!rechte.contains(crAdmin))
                Dialogs::error(parent, QStringLiteral("Keine Berechtigung für die Benutzerverwaltung vorhanden"));
            else {
                TabellenPasswoerter::AdminExklusiv = true;
                AdminModus(name, parent);
            }
            return false;
        }
        UserState::AktBenutzer = name;
        UserState::AktRechte = rechte;
        engine.setUserName(name);
        return true;
    } catch (const Abort&) {
        return false;
    }
}

QString RechteSchutzText()
{
    Engine& engine = Engine::instance();
    if (engine.aliasDriver(QStringLiteral("TARVINO")) != QLatin1String("POSTGRESQL"))
        return QStringLiteral("Rechte : im Programm; die Datei des Registers schützt nur das Dateisystem");
    if (ServerLogin::roles(QStringLiteral("TARVINO")))
        return QStringLiteral("Rechte : vom Datenbankserver durchgesetzt (eigene Anmelde-Rolle je Person)");
    return QStringLiteral("Rechte : nur im Programm - wer das Kennwort der gemeinsamen Server-Rolle kennt, kann mit psql "
                          "jede Tabelle ändern (Umstellung mit hw_server_setup --umstellen, siehe README)");
}
