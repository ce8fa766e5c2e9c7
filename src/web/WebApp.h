#pragma once
#include "AnmeldeBremse.h"
#include "Sitzungen.h"
#include "WebAnfrage.h"

#include <QDate>
#include <functional>

class WebArbeitsplatz;
struct LeiterSicht;

// The pages of the phone: login, ladder page, recording an inspection, search. German,
// plain HTML and one style sheet, usable without JavaScript. Every text from the register or
// the request is escaped; every form of a session carries the session's token.
class WebApp {
public:
    struct Optionen {
        int sitzungMinuten = 30;
        std::function<QDateTime()> uhr = &QDateTime::currentDateTimeUtc;
        std::function<QDate()> heute = &QDate::currentDate;
    };
    WebApp(WebArbeitsplatz& arbeitsplatz, Optionen optionen);

    WebAntwort bearbeiten(const WebAnfrage& anfrage);

    Sitzungen& sitzungen() { return m_sitzungen; }
    AnmeldeBremse& bremse() { return m_bremse; }

    static constexpr const char* SitzungsCookie = "hw_sitzung";
    static constexpr const char* AnmeldeCookie = "hw_anmeldung";

private:
    WebAntwort route(const WebAnfrage& a);
    WebAntwort anmeldeSeite(const WebAnfrage& a, const QString& meldung, int status = 200, const QString& name = {});
    WebAntwort anmelden(const WebAnfrage& a);
    WebAntwort abmelden(const WebAnfrage& a, Sitzung& s);
    WebAntwort leiterSeite(const WebAnfrage& a, Sitzung& s, const QString& code);
    WebAntwort pruefSeite(const WebAnfrage& a, Sitzung& s, const QString& code, const QString& meldung = {},
                          int status = 200);
    WebAntwort pruefSpeichern(const WebAnfrage& a, Sitzung& s, const QString& code);
    WebAntwort suchSeite(const WebAnfrage& a, Sitzung& s);
    WebAntwort unbekannt(Sitzung& s, const QString& code);
    WebAntwort fehlerSeite(int status, const QString& titel, const QString& text, Sitzung* s = nullptr);
    bool tokenPasst(const WebAnfrage& a, const Sitzung& s) const;

    QString kopfleiste(const Sitzung& s) const;

    WebArbeitsplatz& m_ap;
    Optionen m_opt;
    Sitzungen m_sitzungen;
    AnmeldeBremse m_bremse;
};

// HTML text of any value shown on a page.
QString html(const QString& text);
