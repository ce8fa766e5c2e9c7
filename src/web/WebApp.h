#pragma once
#include "AnmeldeBremse.h"
#include "SitzungsArbeit.h"
#include "Sitzungen.h"
#include "WebAnfrage.h"

#include <QDate>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

class WebArbeitsplatz;
class WebZugang;
struct LeiterSicht;

// The pages of the phone: login, ladder page, recording an inspection, search. German,
// plain HTML and one style sheet, usable without JavaScript. Every text from the register or
// the request is escaped; every form of a session carries the session's token.
//
// Login, logout and the sessions are handled in the object's thread; the pages of a session
// run in another thread (SitzungsArbeit): on a server whose roles enforce the rights each
// session has its own, on the person's own login; otherwise the sessions share a few, each
// with a connection of its own, taken in turn. Either way sessions are served at the same
// time, the requests of one session in their order. The pages get copies of what they need
// and change nothing of the application's.
class WebApp {
public:
    struct Optionen {
        int sitzungMinuten = 30;
        // Without server roles: the threads and connections the sessions share. 0: one on a
        // data directory (its writers wait for each other anyway, and its waits are not in
        // turn: a pool only lengthens the slowest answers), eight on a server.
        int verbindungen = 0;
        std::function<QDateTime()> uhr = &QDateTime::currentDateTimeUtc;
        std::function<QDate()> heute = &QDate::currentDate;   // called from the sessions' threads
    };
    WebApp(WebZugang& zugang, Optionen optionen);
    ~WebApp();

    // Answers a request: at once, or from the session's thread; fertig is called in the
    // thread of this object either way.
    void bearbeiten(const WebAnfrage& anfrage, std::function<void(const WebAntwort&)> fertig);
    // The same, waiting for the answer.
    WebAntwort bearbeiten(const WebAnfrage& anfrage);

    Sitzungen& sitzungen() { return m_sitzungen; }
    AnmeldeBremse& bremse() { return m_bremse; }

    static constexpr const char* SitzungsCookie = "hw_sitzung";
    static constexpr const char* AnmeldeCookie = "hw_anmeldung";

private:
    // Either the answer, or the page to run in the session's thread.
    struct Weg {
        std::optional<WebAntwort> sofort;
        SitzungsArbeit::Seite seite;
        std::shared_ptr<SitzungsArbeit> arbeit;
        SitzungsSicht sicht;
    };
    Weg route(const WebAnfrage& a);
    static void sicherheitsKoepfe(WebAntwort& a);
    WebAntwort anmeldeSeite(const WebAnfrage& a, const QString& meldung, int status = 200, const QString& name = {});
    WebAntwort anmelden(const WebAnfrage& a);
    WebAntwort abmelden(const WebAnfrage& a, const Sitzung& s);
    bool tokenPasst(const WebAnfrage& a, const Sitzung& s) const;

    // The session's pages, run in its thread: they use their arguments and the options only.
    WebAntwort leiterSeite(WebArbeitsplatz& ap, const WebAnfrage& a, const SitzungsSicht& s, const QString& code) const;
    WebAntwort pruefSeite(WebArbeitsplatz& ap, const WebAnfrage& a, const SitzungsSicht& s, const QString& code,
                          const QString& meldung = {}, int status = 200) const;
    WebAntwort pruefSpeichern(WebArbeitsplatz& ap, const WebAnfrage& a, const SitzungsSicht& s, const QString& code) const;
    WebAntwort suchSeite(WebArbeitsplatz& ap, const WebAnfrage& a, const SitzungsSicht& s) const;
    static WebAntwort unbekannt(const SitzungsSicht& s, const QString& code);
    static WebAntwort fehlerSeite(int status, const QString& titel, const QString& text, const SitzungsSicht* s = nullptr);
    static QString kopfleiste(const SitzungsSicht& s);

    // Declared first, ended last: the answers of the sessions' threads arrive through it.
    QObject m_kontext;
    WebZugang& m_zugang;
    Optionen m_opt;
    // The sessions' shared accesses without server roles, made as needed; end after the
    // sessions, before m_opt.
    std::vector<std::shared_ptr<SitzungsArbeit>> m_gemeinsam;
    size_t m_naechsteGemeinsam = 0;
    Sitzungen m_sitzungen;
    AnmeldeBremse m_bremse;
    QTimer m_aufraeumen;
};

// HTML text of any value shown on a page.
QString html(const QString& text);
