#pragma once
#include "Anmeldung.h"
#include "Backend.h"

#include <QString>
#include <memory>


// How the phones reach the register, decided once at the start:
// - a data directory, or a server that knows one shared role: the program's user table
//   checks name and password; each session opens a connection of its own to the register;
// - a server whose roles enforce the rights (ServerRollen): the server checks name and
//   password by the person's own login, and that login is the session's connection. The
//   web server then holds no role of its own: whatever a phone does, the server allows or
//   refuses as for that person at a workstation.
class WebZugang {
public:
    explicit WebZugang(const QString& alias = QStringLiteral("TARVINO"));
    ~WebZugang();

    bool rollen() const { return m_rollen; }
    // A PostgreSQL server rather than a data directory.
    bool server() const;

    struct Anmeldung {
        Anmeldeergebnis ergebnis;
        QString meldung;                      // a refusal other than a wrong password
        std::unique_ptr<Backend> verbindung;  // the person's login (server with roles)
    };
    Anmeldung pruefen(const QString& name, const QString& passwort);

    // A new alias on the register: with the person's connection on a server with roles;
    // otherwise the thread that uses it connects on its first request.
    QString sitzungsAlias(std::unique_ptr<Backend> verbindung, const QString& benutzer);

private:
    QString m_alias;
    QString m_pfad;
    QString m_treiber;
    bool m_rollen = false;
    int m_naechste = 0;
};
