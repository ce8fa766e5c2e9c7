#include "Anmeldung.h"

#include "Backend.h"
#include "BenutzerRegeln.h"
#include "BenutzerVerwaltung.h"
#include "Dialogs.h"
#include "Engine.h"
#include "PasswordDialog.h"
#include "SBenutzerVerw.h"
#include "ServerAnmeldung.h"
#include "TabellenPasswoerter.h"
#include "Table.h"
#include "UserState.h"

#include <QApplication>
#include <QGuiApplication>

namespace {

QString benutzerAlias()
{
    return UserState::BenutzerDatenbank.isEmpty() ? QStringLiteral("Benutzer") : UserState::BenutzerDatenbank;
}

// The read password in the engine's list and a hook that declines, for the time of a flow;
// afterwards the list is empty and the old hook back, whatever way the flow ends.
class LeseZugang {
public:
    LeseZugang() : m_hook(Engine::instance().passwordHook())
    {
        Engine& e = Engine::instance();
        e.removeAllPasswords();
        e.addPassword(TabellenPasswoerter::LesePasswort());
        e.setPasswordHook([] { return false; });
    }
    ~LeseZugang()
    {
        Engine& e = Engine::instance();
        e.removeAllPasswords();
        e.setPasswordHook(m_hook);
    }
    LeseZugang(const LeseZugang&) = delete;
    LeseZugang& operator=(const LeseZugang&) = delete;

private:
    Engine::PasswordHook m_hook;
};

class WaitCursor {
public:
    WaitCursor()
    {
        QCoreApplication::processEvents();
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            QGuiApplication::restoreOverrideCursor();
    }
};

// The login's message when the engine refuses to open the user table.
QString oeffnenFehler(const EngineError& e)
{
    if (e.code() == EngineCode::InsufficientRights)
        return QStringLiteral("interner Passwort-Fehler : keine Lese-Rechte");
    if (e.code() == EngineCode::TableLocked)
        return QStringLiteral("interner Passwort-Fehler : Tabelle ist gesperrt => später wieder anmelden");
    return QStringLiteral("interner Passwort-Fehler %1 aufgetreten => Fehlernummer notieren").arg(e.code());
}

// Opens the user table for a login; a HwError with the login's message when the engine
// refuses or the table may not be used.
void oeffnenZumAnmelden(BenutzerVerwaltung& bv)
{
    try {
        bv.Detail->open();
    } catch (const EngineError& e) {
        throw HwError(oeffnenFehler(e));
    }
    // Only the read password is in the list: all rights mean the table has no protection,
    // and a login must not work on a table that anyone could change.
    if (bv.Detail->access().full) {
        bv.Detail->close();
        throw HwError(BenutzerRegeln::OhneSchutzText);
    }
}

// Opens the user table; false after the login's message when it cannot be used.
bool oeffnen(BenutzerVerwaltung& bv, QWidget* parent)
{
    try {
        oeffnenZumAnmelden(bv);
    } catch (const HwError& e) {
        Dialogs::error(parent, e.message());
        return false;
    }
    return true;
}

// Asks the new master password twice until it is not the read password.
QString neuesMasterPasswort(const QString& titel, QWidget* parent)
{
    for (;;) {
        QString admin = QStringLiteral("Admin");
        QString master;
        if (!PasswortNeueingabe(titel, admin, master, false, parent))
            throw Abort();
        const QString fehler = BenutzerRegeln::MasterPasswortFehler(master);
        if (fehler.isEmpty())
            return master;
        Dialogs::error(parent, fehler);
    }
}

// A user table with users but without protection: a user with the administration right
// logs in against the stored hashes, then sets the master password. Answers it.
QString masterReparatur(QWidget* parent)
{
    Dialogs::information(parent, QStringLiteral("Die Benutzertabelle hat kein Master-Passwort.\n"
                                                 "Bitte melden Sie sich als Benutzer mit dem Recht "
                                                 "\"Admin - Verwaltungsrechte\" an und legen Sie danach das "
                                                 "Master-Passwort fest."));
    QString name;
    for (;;) {
        QString passwort;
        if (!PasswortAbfrage(UserState::ProgrammTitel, name, passwort, true, parent))
            throw Abort();
        WaitCursor wait;
        BenutzerVerwaltung bv;
        bv.Detail->open();
        const bool passt = bv.CheckBenutzer(name, passwort);
        const bool admin = passt && !bv.BenutzerGesperrt(name, passwort)
            && bv.BenutzerRechte(name, passwort).contains(crAdmin);
        bv.Detail->close();
        if (admin)
            break;
        if (passt) {
            Dialogs::error(parent, QStringLiteral("Nur ein Benutzer mit dem Recht \"Admin - Verwaltungsrechte\" "
                                                  "kann das Master-Passwort festlegen."));
            name.clear();
        }
    }
    const QString master = neuesMasterPasswort(QStringLiteral("Master-Passwort festlegen"), parent);
    Engine& engine = Engine::instance();
    BenutzerVerwaltung bv;
    bv.Detail->setExclusive(true);
    try {
        bv.Detail->open();
        if (TableSecurity::isProtected(engine.backend(benutzerAlias()), QStringLiteral("Benutzer")))
            throw HwError(QStringLiteral("Die Benutzertabelle hat inzwischen ein Master-Passwort."));
        TabellenPasswoerter::TabellenPasswortSetzen(*bv.Detail, master, TabellenPasswoerter::LesePasswort());
    } catch (...) {
        bv.Detail->close();
        engine.removeAllPasswords();
        throw;
    }
    bv.Detail->close();
    engine.removeAllPasswords();
    return master;
}

// Name and password against the open user table: one password check, then the row's rights
// and lock flag.
Anmeldeergebnis pruefen(BenutzerVerwaltung& bv, const QString& name, const QString& passwort)
{
    Anmeldeergebnis r;
    r.passt = bv.CheckBenutzer(name, passwort);
    if (r.passt) {
        r.rechte = bv.RechteAusDatensatz();
        r.gesperrt = bv.Detail->field(QStringLiteral("Gesperrt")).asBoolean();
    }
    return r;
}

} // namespace

bool Anmelden(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent)
{
    if (ServerRollenAktiv())
        return ServerAnmelden(name, rechte, gesperrt, parent);
    BenutzerVerwaltung bv;
    LeseZugang zugang;
    QString eingabe = name;
    for (;;) {
        QString passwort;
        rechte = TUserRights();
        gesperrt = true;
        if (!PasswortAbfrage(UserState::ProgrammTitel, eingabe, passwort, true, parent))
            throw Abort();
        name = eingabe;
        WaitCursor wait;
        if (!oeffnen(bv, parent))
            return false;
        const Anmeldeergebnis r = pruefen(bv, name, passwort);
        bv.Detail->close();
        if (r.passt) {
            rechte = r.rechte;
            gesperrt = r.gesperrt;
            return true;
        }
    }
}

Anmeldeergebnis BenutzerPruefen(const QString& name, const QString& passwort)
{
    BenutzerVerwaltung bv;
    LeseZugang zugang;
    oeffnenZumAnmelden(bv);
    try {
        const Anmeldeergebnis r = pruefen(bv, name, passwort);
        bv.Detail->close();
        return r;
    } catch (...) {
        bv.Detail->close();
        throw;
    }
}

void BenutzerTabelleEinrichten()
{
    UserState::ProgrammTitel = QStringLiteral("Holmwacht");
    UserState::BenutzerDatenbank = QStringLiteral("tarvino");
    UserState::NameGrossKlein = false;
    TabellenPasswoerter::SetLesePasswort(TabellenPasswoerter::LesePasswortBasis());
}

bool PasswortAendern(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent)
{
    if (ServerRollenAktiv())
        return ServerPasswortAendern(name, rechte, gesperrt, parent);
    BenutzerVerwaltung bv;
    LeseZugang zugang;
    for (;;) {
        QString alt, neu;
        rechte = TUserRights();
        gesperrt = true;
        QString fest = name;
        if (!PasswortAenderung(UserState::ProgrammTitel, fest, alt, false, neu, parent))
            throw Abort();
        WaitCursor wait;
        if (!oeffnen(bv, parent))
            return false;
        bool ergebnis = false;
        try {
            if (bv.CheckBenutzer(name, alt)) {
                rechte = bv.BenutzerRechte(name, alt);
                gesperrt = bv.BenutzerGesperrt(name, alt);
                // A locked user's password stays; the caller shows the lock.
                ergebnis = gesperrt || bv.ChangeBenutzerPasswort(name, alt, neu);
            }
        } catch (...) {
            bv.Detail->cancel();
            bv.Detail->close();
            throw;
        }
        bv.Detail->close();
        if (ergebnis)
            return true;
    }
}

bool ErsteinrichtungNoetig()
{
    return BenutzerRegeln::BenutzerTabellenSchutz(benutzerAlias()) == BenutzerRegeln::Schutz::Leer;
}

void ErsterAdministrator(const QString& name, const QString& passwort, const QString& master)
{
    if (name.trimmed().isEmpty() || passwort.trimmed().isEmpty() || master.trimmed().isEmpty())
        throw HwError(QStringLiteral("Fehler : Benutzer oder Paßwort nicht eingegeben"));
    for (const QString& fehler : {BenutzerRegeln::PasswortLaengeFehler(passwort), BenutzerRegeln::PasswortLaengeFehler(master),
                                  BenutzerRegeln::MasterPasswortFehler(master)})
        if (!fehler.isEmpty())
            throw HwError(fehler);
    Engine& engine = Engine::instance();
    const QStringList vorher = engine.passwords();
    engine.removeAllPasswords();
    BenutzerVerwaltung bv;
    bv.Detail->setExclusive(true);
    try {
        bv.Detail->open();
        if (!bv.Detail->isEmpty() || TableSecurity::isProtected(engine.backend(benutzerAlias()), QStringLiteral("Benutzer")))
            throw HwError(QStringLiteral("Die Benutzertabelle hat inzwischen Benutzer; bitte neu anmelden."));
        bv.RechteZumSpeichern = [] { return TUserRights::all(); };
        bv.Detail->append();
        bv.Detail->setValue(QStringLiteral("Name"), name.trimmed());
        bv.SetPasswort(passwort);
        Transaction t(engine.backend(benutzerAlias()));
        bv.Speichern();
        TabellenPasswoerter::TabellenPasswortSetzen(*bv.Detail, master, TabellenPasswoerter::LesePasswort());
        t.commit();
    } catch (...) {
        bv.Detail->close();
        engine.removeAllPasswords();
        for (const QString& p : vorher)
            engine.addPassword(p);
        throw;
    }
    bv.Detail->close();
    engine.removeAllPasswords();
    for (const QString& p : vorher)
        engine.addPassword(p);
}

QString Ersteinrichtung(QWidget* parent)
{
    Dialogs::information(parent, QStringLiteral("Das Register hat noch keine Benutzer.\n"
                                                 "Bitte legen Sie den ersten Administrator (mit allen Rechten) und "
                                                 "danach das Master-Passwort der Benutzertabelle fest."));
    QString name, passwort;
    if (!PasswortNeueingabe(QStringLiteral("Erster Administrator"), name, passwort, true, parent))
        throw Abort();
    const QString master = neuesMasterPasswort(QStringLiteral("Master-Passwort festlegen"), parent);
    ErsterAdministrator(name, passwort, master);
    return master;
}

bool BenutzerStart(const QStringList& argumente, QWidget* parent)
{
    BenutzerTabelleEinrichten();
    // On a server whose roles guard the register the person's own login is the login.
    if (const std::optional<bool> weiter = ServerStart(argumente, parent))
        return *weiter;
    if (!argumente.isEmpty()) {
        if (argumente.first().compare(QStringLiteral("Admin"), Qt::CaseInsensitive) != 0)
            return false;
        TabellenPasswoerter::AdminExklusiv = true;
        try {
            // A table without master password gets one first: the administration never opens
            // without it.
            QString master;
            switch (BenutzerRegeln::BenutzerTabellenSchutz(benutzerAlias())) {
            case BenutzerRegeln::Schutz::Leer: master = Ersteinrichtung(parent); break;
            case BenutzerRegeln::Schutz::OhneSchutzMitBenutzern: master = masterReparatur(parent); break;
            case BenutzerRegeln::Schutz::Geschuetzt: break;
            }
            AdminModus(QStringLiteral("direkt"), parent, master);
        } catch (const Abort&) {
        }
        return false;
    }
    try {
        switch (BenutzerRegeln::BenutzerTabellenSchutz(benutzerAlias())) {
        case BenutzerRegeln::Schutz::Leer: Ersteinrichtung(parent); break;
        case BenutzerRegeln::Schutz::OhneSchutzMitBenutzern: Dialogs::error(parent, BenutzerRegeln::OhneSchutzText); return false;
        case BenutzerRegeln::Schutz::Geschuetzt: break;
        }
        UserState::AktBenutzer.clear();
        UserState::AktRechte = TUserRights();
        QString name;
        TUserRights rechte;
        bool gesperrt = true;
        if (!Anmelden(name, rechte, gesperrt, parent))
            return false;
        if (gesperrt) {
            Dialogs::error(parent, GesperrtText);
            return false;
        }
        UserState::AktBenutzer = name;
        UserState::AktRechte = rechte;
        Engine::instance().setUserName(name);
        return true;
    } catch (const Abort&) {
        return false;
    }
}
