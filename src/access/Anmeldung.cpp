#include "Anmeldung.h"

#include "Backend.h"
#include "BenutzerVerwaltung.h"
#include "Dialogs.h"
#include "Engine.h"
#include "PasswordDialog.h"
#include "SBenutzerVerw.h"
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

// Opens the user table; false after the login's message when the engine refuses.
bool oeffnen(BenutzerVerwaltung& bv, QWidget* parent)
{
    try {
        bv.Detail->open();
        return true;
    } catch (const EngineError& e) {
        QString text;
        if (e.code() == EngineCode::InsufficientRights)
            text = QStringLiteral("interner Passwort-Fehler : keine Lese-Rechte");
        else if (e.code() == EngineCode::TableLocked)
            text = QStringLiteral("interner Passwort-Fehler : Tabelle ist gesperrt => später wieder anmelden");
        else
            text = QStringLiteral("interner Passwort-Fehler %1 aufgetreten => Fehlernummer notieren").arg(e.code());
        Dialogs::error(parent, text);
        return false;
    }
}

} // namespace

bool Anmelden(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent)
{
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
        const bool passt = bv.CheckBenutzer(name, passwort);
        if (passt) {
            rechte = bv.BenutzerRechte(name, passwort);
            gesperrt = bv.BenutzerGesperrt(name, passwort);
        }
        bv.Detail->close();
        if (passt)
            return true;
    }
}

bool PasswortAendern(QString& name, TUserRights& rechte, bool& gesperrt, QWidget* parent)
{
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
    if (TableSecurity::isProtected(Engine::instance().backend(benutzerAlias()), QStringLiteral("Benutzer")))
        return false;
    BenutzerVerwaltung bv;
    bv.Detail->open();
    return bv.Detail->isEmpty();
}

void ErsterAdministrator(const QString& name, const QString& passwort, const QString& master)
{
    if (name.trimmed().isEmpty() || passwort.trimmed().isEmpty() || master.trimmed().isEmpty())
        throw HwError(QStringLiteral("Fehler : Benutzer oder Paßwort nicht eingegeben"));
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

void Ersteinrichtung(QWidget* parent)
{
    Dialogs::information(parent, QStringLiteral("Das Register hat noch keine Benutzer.\n"
                                                 "Bitte legen Sie den ersten Administrator (mit allen Rechten) und "
                                                 "danach das Master-Passwort der Benutzertabelle fest."));
    QString name, passwort;
    if (!PasswortNeueingabe(QStringLiteral("Erster Administrator"), name, passwort, true, parent))
        throw Abort();
    QString master;
    for (;;) {
        QString admin = QStringLiteral("Admin");
        master.clear();
        if (!PasswortNeueingabe(QStringLiteral("Master-Passwort festlegen"), admin, master, false, parent))
            throw Abort();
        // The read password would never open the administration.
        if (master.trimmed().compare(TabellenPasswoerter::LesePasswort(), Qt::CaseInsensitive) != 0)
            break;
        Dialogs::error(parent, QStringLiteral("Dieses Passwort kann nicht Master-Passwort sein"));
    }
    ErsterAdministrator(name, passwort, master);
}

bool BenutzerStart(const QStringList& argumente, QWidget* parent)
{
    UserState::ProgrammTitel = QStringLiteral("Holmwacht");
    UserState::BenutzerDatenbank = QStringLiteral("tarvino");
    UserState::NameGrossKlein = false;
    TabellenPasswoerter::SetLesePasswort(TabellenPasswoerter::LesePasswortBasis());
    if (!argumente.isEmpty()) {
        if (argumente.first().compare(QStringLiteral("Admin"), Qt::CaseInsensitive) == 0) {
            TabellenPasswoerter::AdminExklusiv = true;
            AdminModus(QStringLiteral("direkt"), parent);
        }
        return false;
    }
    try {
        if (ErsteinrichtungNoetig())
            Ersteinrichtung(parent);
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
