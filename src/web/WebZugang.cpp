#include "WebZugang.h"

#include "Backend.h"
#include "Engine.h"
#include "Errors.h"
#include "ServerAnmeldung.h"
#include "ServerLogin.h"
#include "ServerRollen.h"

WebZugang::WebZugang(const QString& alias) : m_alias(alias)
{
    Engine& e = Engine::instance();
    m_pfad = e.aliasPath(alias);
    m_treiber = e.aliasDriver(alias);
    // Connects the shared role where there is one; a server with roles wants a person.
    m_rollen = ServerLogin::required(alias);
}

WebZugang::~WebZugang() = default;

bool WebZugang::server() const { return m_treiber.compare(QLatin1String("POSTGRESQL"), Qt::CaseInsensitive) == 0; }

WebZugang::Anmeldung WebZugang::pruefen(const QString& name, const QString& passwort)
{
    Anmeldung a;
    if (!m_rollen) {
        a.ergebnis = BenutzerPruefen(name, passwort);
        return a;
    }
    try {
        a.verbindung = ServerLogin::connect(m_pfad, ServerRollen::rollenName(name), passwort.trimmed());
    } catch (const EngineError& e) {
        if (e.code() == EngineCode::WrongPassword)
            return a;
        a.ergebnis.passt = true;
        if (e.code() == EngineCode::UserLocked)
            return a;    // gesperrt
        a.ergebnis.gesperrt = false;
        a.meldung = e.message();
        return a;
    }
    a.ergebnis.passt = true;
    if (ServerRollen::einmalPasswortAktiv(*a.verbindung)) {
        a.ergebnis.gesperrt = false;
        a.meldung = QStringLiteral("Sie haben ein Einmal-Passwort. Bitte melden Sie sich zuerst am Arbeitsplatz im "
                                   "Programm an und legen Sie dort Ihr eigenes Passwort fest.");
        a.verbindung.reset();
        return a;
    }
    a.ergebnis.gesperrt = false;
    a.ergebnis.rechte = ServerRechte(*a.verbindung, name);
    return a;
}

QString WebZugang::sitzungsAlias(std::unique_ptr<Backend> verbindung, const QString& benutzer)
{
    const QString alias = QStringLiteral("%1_WEB%2").arg(m_alias.toUpper()).arg(++m_naechste);
    Engine& e = Engine::instance();
    if (verbindung) {
        // Listed among the register's sessions, so that its table locks count as alive.
        verbindung->announceSession(e.sessionId(), benutzer.isEmpty() ? e.userName() : benutzer);
        e.adoptBackend(alias, m_pfad, m_treiber, std::move(verbindung));
    } else {
        e.addSessionAlias(alias, m_pfad, m_treiber);
    }
    return alias;
}
