#include "WebApp.h"

#include "Anmeldung.h"
#include "Errors.h"
#include "UserControl.h"
#include "WebArbeitsplatz.h"
#include "WebZugang.h"

#include <QEventLoop>
#include <QLocale>
#include <algorithm>
#include <QRegularExpression>
#include <QUrl>
#include <cstdio>

namespace {

const QLocale deutsch(QLocale::German, QLocale::Germany);

QString datum(const QDate& d) { return d.isValid() ? deutsch.toString(d, QStringLiteral("dd.MM.yyyy")) : QString(); }
QString termin(const QDate& d) { return d.isValid() ? deutsch.toString(d, QStringLiteral("ddd dd.MM.yyyy")) : QString(); }

QString pfadTeil(const QString& s) { return QString::fromLatin1(QUrl::toPercentEncoding(s)); }

// Only paths of this server, never another host ("//evil", "/\evil").
bool sichererPfad(const QString& p)
{
    return p.startsWith(QLatin1Char('/')) && !p.startsWith(QStringLiteral("//")) && !p.contains(QLatin1Char('\\')) &&
           p.size() < 300 && std::none_of(p.begin(), p.end(), [](QChar c) { return c.unicode() < 0x20; });
}

void protokoll(const QString& text)
{
    std::fprintf(stderr, "hw_web: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

QByteArray cookie(const char* name, const QByteArray& wert, qint64 maxAge)
{
    return QByteArray(name) + '=' + wert + "; Path=/; Max-Age=" + QByteArray::number(maxAge) +
           "; Secure; HttpOnly; SameSite=Strict";
}

WebAntwort seite(const QString& titel, const QString& inhalt, int status = 200)
{
    WebAntwort a;
    a.status = status;
    a.body = QStringLiteral("<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"utf-8\">"
                            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                            "<title>%1 – Holmwacht</title><link rel=\"stylesheet\" href=\"/stil.css\"></head>\n"
                            "<body>%2</body></html>\n")
                 .arg(html(titel), inhalt)
                 .toUtf8();
    return a;
}

const char* stilCss = R"(body{font-family:sans-serif;margin:0;padding:0 .8em 2em;max-width:40em;line-height:1.4;color:#111}
header{display:flex;flex-wrap:wrap;gap:.5em;align-items:center;justify-content:space-between;border-bottom:1px solid #ccc;padding:.4em 0;margin-bottom:.6em}
header form{margin:0}
h1{font-size:1.35em;margin:.4em 0}
h2{font-size:1.1em;margin:1em 0 .3em}
input,button,select{font-size:1.05em}
input[type=text],input[type=password],input[type=search],input[type=date]{width:100%;box-sizing:border-box;padding:.5em}
button,.knopf{display:inline-block;padding:.6em 1em;margin:.4em 0;background:#2a5d9f;color:#fff;border:0;border-radius:4px;text-decoration:none}
button.zweit{background:#666}
table{border-collapse:collapse;width:100%}
th,td{text-align:left;padding:.3em .4em;border-bottom:1px solid #ddd;vertical-align:top}
.meldung{padding:.6em;border-radius:4px;background:#fde2e1;border:1px solid #d33}
.ok{padding:.6em;border-radius:4px;background:#e3f5e1;border:1px solid #3a3}
.ueber{color:#b00;font-weight:bold}
.bald{color:#a60;font-weight:bold}
fieldset{border:1px solid #ccc;margin:.6em 0;padding:.4em .6em}
legend{font-weight:bold}
.krit{border-bottom:1px solid #eee;padding:.5em 0}
.krit span{display:block;margin-bottom:.2em}
.krit label{display:inline-block;padding:.3em 1.2em .3em .2em;white-space:nowrap}
input[type=radio]{width:1.3em;height:1.3em;vertical-align:middle}
.krit .bem{display:none;margin:.2em 0 0}
.krit .bem label{white-space:normal;padding:0}
.krit input[value=mangel]:checked~.bem{display:block}
textarea{width:100%;box-sizing:border-box;padding:.5em;font-size:1.05em}
.bemerkung{white-space:pre-line}
)";

QString ergebnisText(int erforderlich, int erledigt)
{
    if (erforderlich == 0)
        return QStringLiteral("ohne Kriterien");
    const int maengel = erforderlich - erledigt;
    if (maengel == 0)
        return QStringLiteral("in Ordnung");
    return maengel == 1 ? QStringLiteral("1 Mangel") : QStringLiteral("%1 Mängel").arg(maengel);
}

// Longest texts the form takes; a longer one is refused, never cut.
constexpr int MangelTextMax = 200;
// Hits the search shows at most.
constexpr int SucheMax = 50;
constexpr int BemerkungMax = 2000;

// A criterion in a remark line: the extended ones with their group ("Holme – Verformung").
QString kriteriumName(const KriteriumSicht& k)
{
    QString text = k.text.trimmed();
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char('.')))
        text = text.chopped(1).trimmed();
    return k.gruppe == QStringLiteral("Prüfungen") ? text : k.gruppe + QStringLiteral(" – ") + text;
}

// A remark in the list of the last inspections: the first line or so.
QString kurz(const QString& text, int max = 120)
{
    const QString t = text.simplified();
    return t.size() <= max ? t : t.left(max - 1) + QStringLiteral("…");
}

} // namespace

QString html(const QString& text)
{
    QString r;
    r.reserve(text.size() + 16);
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&': r += QStringLiteral("&amp;"); break;
        case '<': r += QStringLiteral("&lt;"); break;
        case '>': r += QStringLiteral("&gt;"); break;
        case '"': r += QStringLiteral("&quot;"); break;
        case '\'': r += QStringLiteral("&#39;"); break;
        default: r += c;
        }
    }
    return r;
}

WebApp::WebApp(WebZugang& zugang, Optionen optionen)
    : m_zugang(zugang), m_opt(std::move(optionen)), m_sitzungen(m_opt.sitzungMinuten, m_opt.uhr), m_bremse(m_opt.uhr)
{
    // A session nobody uses any more gives back its thread and connection.
    QObject::connect(&m_aufraeumen, &QTimer::timeout, &m_kontext, [this] { m_sitzungen.abgelaufeneBeenden(); });
    m_aufraeumen.start(60 * 1000);
}

WebApp::~WebApp() = default;

void WebApp::bearbeiten(const WebAnfrage& anfrage, std::function<void(const WebAntwort&)> fertig)
{
    Weg weg;
    try {
        weg = route(anfrage);
    } catch (const HwError& e) {
        weg.sofort = fehlerSeite(500, QStringLiteral("Fehler"), e.message());
    } catch (const std::exception& e) {
        protokoll(QStringLiteral("interner Fehler bei %1: %2").arg(anfrage.pfad, QString::fromLocal8Bit(e.what())));
        weg.sofort = fehlerSeite(500, QStringLiteral("Fehler"), QStringLiteral("Es ist ein interner Fehler aufgetreten."));
    }
    if (weg.sofort) {
        sicherheitsKoepfe(*weg.sofort);
        fertig(*weg.sofort);
        return;
    }
    const SitzungsSicht sicht = weg.sicht;
    const QString pfad = anfrage.pfad;
    weg.arbeit->ausfuehren(
        std::move(weg.seite),
        [sicht, pfad](const QString& meldung) {
            protokoll(QStringLiteral("Fehler bei %1: %2").arg(pfad, meldung));
            return fehlerSeite(500, QStringLiteral("Fehler"), meldung, &sicht);
        },
        &m_kontext,
        [fertig = std::move(fertig)](const WebAntwort& w) {
            WebAntwort a = w;
            sicherheitsKoepfe(a);
            fertig(a);
        });
}

WebAntwort WebApp::bearbeiten(const WebAnfrage& anfrage)
{
    std::optional<WebAntwort> antwort;
    QEventLoop warten;
    bearbeiten(anfrage, [&](const WebAntwort& w) {
        antwort = w;
        warten.quit();
    });
    if (!antwort)
        warten.exec();
    return *antwort;
}

void WebApp::sicherheitsKoepfe(WebAntwort& a)
{
    a.setzeKopf("Cache-Control", "no-store");
    a.setzeKopf("X-Content-Type-Options", "nosniff");
    a.setzeKopf("X-Frame-Options", "DENY");
    a.setzeKopf("Referrer-Policy", "no-referrer");
    a.setzeKopf("Strict-Transport-Security", "max-age=31536000");
    a.setzeKopf("Content-Security-Policy",
                "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; frame-ancestors 'none'; "
                "base-uri 'none'");
}

bool WebApp::tokenPasst(const WebAnfrage& a, const Sitzung& s) const
{
    return Sitzungen::gleich(a.formular().value(QStringLiteral("token")).toUtf8(), s.formToken);
}

QString WebApp::kopfleiste(const SitzungsSicht& s)
{
    return QStringLiteral("<header><a href=\"/suche\">Suche</a><span>%1</span>"
                          "<form method=\"post\" action=\"/abmelden\"><input type=\"hidden\" name=\"token\" value=\"%2\">"
                          "<button class=\"zweit\" type=\"submit\">Abmelden</button></form></header>")
        .arg(html(s.benutzer), html(QString::fromLatin1(s.formToken)));
}

WebApp::Weg WebApp::route(const WebAnfrage& a)
{
    Weg weg;
    const bool get = a.methode == "GET" || a.methode == "HEAD";
    const bool post = a.methode == "POST";
    if (a.pfad == QLatin1String("/stil.css") && get) {
        WebAntwort r;
        r.typ = "text/css; charset=utf-8";
        r.body = stilCss;
        weg.sofort = r;
        return weg;
    }
    if (a.pfad == QLatin1String("/anmelden")) {
        if (get)
            weg.sofort = anmeldeSeite(a, QString());
        else if (post)
            weg.sofort = anmelden(a);
        if (weg.sofort)
            return weg;
    }
    if (a.pfad == QLatin1String("/favicon.ico")) {
        weg.sofort = fehlerSeite(404, QStringLiteral("Seite nicht gefunden"), QStringLiteral("Diese Seite gibt es nicht."));
        return weg;
    }
    Sitzung* s = m_sitzungen.finden(a.cookie(SitzungsCookie));
    if (!s) {
        if (!get) {
            weg.sofort = fehlerSeite(403, QStringLiteral("Nicht angemeldet"),
                                     QStringLiteral("Die Sitzung ist abgelaufen. Bitte melden Sie sich erneut an; die "
                                                    "Eingaben dieses Formulars sind nicht gespeichert worden."));
            return weg;
        }
        QString ziel = a.pfad;
        if (!a.query.isEmpty())
            ziel += QLatin1Char('?') + a.query.toString(QUrl::FullyEncoded);
        weg.sofort = WebAntwort::weiter(QStringLiteral("/anmelden?weiter=") + pfadTeil(ziel));
        return weg;
    }

    // Every change needs the session's form token.
    if (post && !tokenPasst(a, *s)) {
        weg.sofort = fehlerSeite(403, QStringLiteral("Formular ungültig"),
                                 QStringLiteral("Das Formular ist ungültig oder abgelaufen und wurde nicht verarbeitet. "
                                                "Bitte laden Sie die Seite neu."),
                                 s);
        return weg;
    }

    if (a.pfad == QLatin1String("/abmelden") && post) {
        weg.sofort = abmelden(a, *s);
        return weg;
    }
    // The pages below read or write the register: in the session's thread, with copies.
    weg.sicht = *s;
    weg.arbeit = s->arbeit;
    if (!weg.arbeit) {
        weg.sofort = fehlerSeite(500, QStringLiteral("Fehler"), QStringLiteral("Die Sitzung hat keinen Zugang zum Register."), s);
        return weg;
    }
    const SitzungsSicht sicht = *s;
    auto seite = [&weg, this, a, sicht](auto f) {
        weg.seite = [this, a, sicht, f](WebArbeitsplatz& ap) {
            ap.benutzerSetzen(sicht.benutzer, sicht.rechte);
            return f(ap, a, sicht);
        };
        return weg;
    };
    if ((a.pfad == QLatin1String("/") || a.pfad == QLatin1String("/suche")) && get)
        return seite([this](WebArbeitsplatz& ap, const WebAnfrage& r, const SitzungsSicht& z) { return suchSeite(ap, r, z); });
    static const QRegularExpression leiterPfad(QStringLiteral("^/l/([^/]{1,64})(/pruefen)?$"));
    const QRegularExpressionMatch m = leiterPfad.match(a.pfad);
    if (m.hasMatch()) {
        const QString code = QUrl::fromPercentEncoding(m.captured(1).toUtf8());
        if (m.captured(2).isEmpty() && get)
            return seite([this, code](WebArbeitsplatz& ap, const WebAnfrage& r, const SitzungsSicht& z) {
                return leiterSeite(ap, r, z, code);
            });
        if (!m.captured(2).isEmpty() && get)
            return seite([this, code](WebArbeitsplatz& ap, const WebAnfrage& r, const SitzungsSicht& z) {
                return pruefSeite(ap, r, z, code);
            });
        if (!m.captured(2).isEmpty() && post)
            return seite([this, code](WebArbeitsplatz& ap, const WebAnfrage& r, const SitzungsSicht& z) {
                return pruefSpeichern(ap, r, z, code);
            });
    }
    weg.arbeit.reset();
    if (!get && !post)
        weg.sofort = fehlerSeite(405, QStringLiteral("Nicht erlaubt"), QStringLiteral("Diese Anfrage ist nicht erlaubt."), s);
    else
        weg.sofort = fehlerSeite(404, QStringLiteral("Seite nicht gefunden"),
                                 QStringLiteral("Diese Seite gibt es nicht. Über die Suche finden Sie jede Leiter."), s);
    return weg;
}

WebAntwort WebApp::fehlerSeite(int status, const QString& titel, const QString& text, const SitzungsSicht* s)
{
    QString inhalt = s ? kopfleiste(*s) : QString();
    inhalt += QStringLiteral("<h1>%1</h1><p class=\"meldung\">%2</p><p><a href=\"%3\">%4</a></p>")
                  .arg(html(titel), html(text), s ? QStringLiteral("/suche") : QStringLiteral("/anmelden"),
                       s ? QStringLiteral("Zur Suche") : QStringLiteral("Zur Anmeldung"));
    return seite(titel, inhalt, status);
}

WebAntwort WebApp::anmeldeSeite(const WebAnfrage& a, const QString& meldung, int status, const QString& name)
{
    // The login form has no session yet: its token is tied to a cookie of its own. A token the
    // browser already holds is kept, so that a second login page (another tab, a request of
    // the browser's own) does not void the first one.
    QByteArray token = a.cookie(AnmeldeCookie);
    static const QRegularExpression tokenForm(QStringLiteral("^[A-Za-z0-9_-]{43}$"));
    if (!tokenForm.match(QString::fromLatin1(token)).hasMatch())
        token = Sitzungen::zufall();
    QString weiter = a.query.queryItemValue(QStringLiteral("weiter"), QUrl::FullyDecoded);
    if (weiter.isEmpty())
        weiter = a.formular().value(QStringLiteral("weiter"));
    if (!sichererPfad(weiter))
        weiter = QStringLiteral("/suche");
    QString inhalt = QStringLiteral("<h1>Holmwacht – Anmeldung</h1>");
    if (!meldung.isEmpty())
        inhalt += QStringLiteral("<p class=\"meldung\">%1</p>").arg(html(meldung));
    inhalt += QStringLiteral("<form method=\"post\" action=\"/anmelden\">"
                             "<input type=\"hidden\" name=\"token\" value=\"%1\">"
                             "<input type=\"hidden\" name=\"weiter\" value=\"%2\">"
                             "<p><label for=\"name\">Benutzer</label><br>"
                             "<input type=\"text\" id=\"name\" name=\"name\" value=\"%3\" autocomplete=\"username\" "
                             "autocapitalize=\"none\" required></p>"
                             "<p><label for=\"passwort\">Passwort</label><br>"
                             "<input type=\"password\" id=\"passwort\" name=\"passwort\" "
                             "autocomplete=\"current-password\" required></p>"
                             "<p><button type=\"submit\" id=\"anmelden\">Anmelden</button></p></form>")
                  .arg(html(QString::fromLatin1(token)), html(weiter), html(name));
    WebAntwort r = seite(QStringLiteral("Anmeldung"), inhalt, status);
    r.setzeKopf("Set-Cookie", cookie(AnmeldeCookie, token, 3600));
    return r;
}

WebAntwort WebApp::anmelden(const WebAnfrage& a)
{
    const QHash<QString, QString> f = a.formular();
    const QString name = f.value(QStringLiteral("name")).trimmed().left(30);
    const QString passwort = f.value(QStringLiteral("passwort"));
    if (!Sitzungen::gleich(f.value(QStringLiteral("token")).toUtf8(), a.cookie(AnmeldeCookie)))
        return anmeldeSeite(a, QStringLiteral("Die Anmeldeseite war abgelaufen. Bitte melden Sie sich erneut an."), 403,
                            name);
    if (name.isEmpty() || passwort.isEmpty())
        return anmeldeSeite(a, QStringLiteral("Bitte Benutzer und Passwort eingeben."), 400, name);
    const qint64 warten = m_bremse.wartezeit(name, a.adresse);
    if (warten > 0) {
        protokoll(QStringLiteral("Anmeldung für Benutzer '%1' von %2 gebremst").arg(name, a.adresse));
        return anmeldeSeite(a,
                            QStringLiteral("Zu viele falsche Anmeldungen. Bitte warten Sie %1 Sekunden und versuchen "
                                           "Sie es dann erneut.")
                                .arg(warten),
                            429, name);
    }
    WebZugang::Anmeldung anm = m_zugang.pruefen(name, passwort);
    const Anmeldeergebnis& r = anm.ergebnis;
    if (!r.passt) {
        m_bremse.fehlversuch(name, a.adresse);
        protokoll(QStringLiteral("Anmeldung für Benutzer '%1' von %2 abgelehnt").arg(name, a.adresse));
        return anmeldeSeite(a, QStringLiteral("Benutzer oder Passwort ist falsch."), 401, name);
    }
    m_bremse.erfolg(name);
    if (r.gesperrt) {
        protokoll(QStringLiteral("Anmeldung für gesperrten Benutzer '%1' von %2 abgelehnt").arg(name, a.adresse));
        return anmeldeSeite(a, GesperrtText, 403, name);
    }
    if (!anm.meldung.isEmpty()) {
        protokoll(QStringLiteral("Anmeldung für Benutzer '%1' von %2 nicht möglich: %3").arg(name, a.adresse, anm.meldung));
        return anmeldeSeite(a, anm.meldung, 403, name);
    }
    protokoll(QStringLiteral("Benutzer '%1' von %2 angemeldet").arg(name, a.adresse));
    // On a server with roles the session works on the person's own login; otherwise the
    // sessions share the web server's few connections to the register (its [Data] login),
    // each in a thread of its own, in turn.
    std::shared_ptr<SitzungsArbeit> arbeit;
    if (anm.verbindung) {
        arbeit = std::make_shared<SitzungsArbeit>(m_zugang.sitzungsAlias(std::move(anm.verbindung), name), name);
    } else {
        const int n = m_opt.verbindungen > 0 ? m_opt.verbindungen : (m_zugang.server() ? 8 : 1);
        const size_t i = m_naechsteGemeinsam++ % size_t(n);
        if (i >= m_gemeinsam.size())
            m_gemeinsam.push_back(
                std::make_shared<SitzungsArbeit>(m_zugang.sitzungsAlias(nullptr, QString()), QString()));
        arbeit = m_gemeinsam[i];
    }
    const QByteArray wert = m_sitzungen.anlegen(name, r.rechte, std::move(arbeit));
    QString weiter = f.value(QStringLiteral("weiter"));
    if (!sichererPfad(weiter))
        weiter = QStringLiteral("/suche");
    WebAntwort w = WebAntwort::weiter(weiter);
    w.setzeKopf("Set-Cookie", cookie(SitzungsCookie, wert, m_sitzungen.leerlaufSek()));
    w.setzeKopf("Set-Cookie", cookie(AnmeldeCookie, "", 0));
    return w;
}

WebAntwort WebApp::abmelden(const WebAnfrage& a, const Sitzung& s)
{
    protokoll(QStringLiteral("Benutzer '%1' abgemeldet").arg(s.benutzer));
    // Ends the session's thread and closes its connection (s is gone after this).
    m_sitzungen.beenden(a.cookie(SitzungsCookie));
    WebAntwort w = WebAntwort::weiter(QStringLiteral("/anmelden"));
    w.setzeKopf("Set-Cookie", cookie(SitzungsCookie, "", 0));
    return w;
}

WebAntwort WebApp::unbekannt(const SitzungsSicht& s, const QString& code)
{
    QString inhalt = kopfleiste(s);
    inhalt += QStringLiteral("<h1>Unbekanntes Etikett</h1><p class=\"meldung\">Zum Etikett „%1“ gibt es keine Leiter im "
                             "Register. Vielleicht wurde die Leiter gelöscht oder umnummeriert, oder das Etikett gehört "
                             "zu einem anderen Register.</p>"
                             "<form method=\"get\" action=\"/suche\"><p><label for=\"q\">Nummer oder "
                             "Kurzbezeichnung</label><br><input type=\"search\" id=\"q\" name=\"q\"></p>"
                             "<p><button type=\"submit\">Suchen</button></p></form>")
                  .arg(html(code));
    return seite(QStringLiteral("Unbekanntes Etikett"), inhalt, 404);
}

WebAntwort WebApp::leiterSeite(WebArbeitsplatz& ap, const WebAnfrage& a, const SitzungsSicht& s, const QString& code) const
{
    const std::optional<LeiterSicht> l = ap.leiter(code, m_opt.heute());
    if (!l)
        return unbekannt(s, code);
    QString inhalt = kopfleiste(s);
    const QString gespeichert = a.query.queryItemValue(QStringLiteral("gespeichert"));
    if (!gespeichert.isEmpty())
        inhalt += QStringLiteral("<p class=\"ok\" id=\"gespeichert\">Die Prüfung ist gespeichert. Nächste Prüfung: %1</p>")
                      .arg(html(l->termin.isValid() ? termin(l->termin) : QStringLiteral("kein Termin")));
    inhalt += QStringLiteral("<h1>Leiter %1</h1><p id=\"kurzbez\">%2</p><table>").arg(l->nr).arg(html(l->kurzBez));
    auto zeile = [&](const QString& k, const QString& v, const QString& id = {}) {
        inhalt += QStringLiteral("<tr><th>%1</th><td%3>%2</td></tr>")
                      .arg(html(k), v, id.isEmpty() ? QString() : QStringLiteral(" id=\"%1\"").arg(id));
    };
    if (!l->exNr.isEmpty())
        zeile(QStringLiteral("Externe Nr."), html(l->exNr));
    zeile(QStringLiteral("Abteilung"), html(l->abteilung));
    zeile(QStringLiteral("Leiter-Art"), html(l->art));
    zeile(QStringLiteral("Prüfung"), html(l->pruefArt));
    QString t;
    switch (l->status) {
    case Faelligkeit::Ueberfaellig:
        t = QStringLiteral("%1 <span class=\"ueber\">überfällig seit %2 Tagen</span>")
                .arg(html(termin(l->termin)))
                .arg(l->tageUeberfaellig);
        break;
    case Faelligkeit::BaldFaellig:
        t = QStringLiteral("%1 <span class=\"bald\">bald fällig</span>").arg(html(termin(l->termin)));
        break;
    case Faelligkeit::OhneTermin:
        t = QStringLiteral("<span class=\"bald\">kein Termin</span>");
        break;
    case Faelligkeit::Keine:
        t = html(termin(l->termin));
        break;
    }
    zeile(QStringLiteral("Nächste Prüfung"), t, QStringLiteral("termin"));
    if (l->schrott)
        zeile(QStringLiteral("Zustand"), QStringLiteral("<span class=\"ueber\">verschrottet</span>"));
    inhalt += QStringLiteral("</table>");
    if (s.rechte.contains(crInsert) && s.rechte.contains(crModify)) {
        if (!l->pruefer)
            inhalt += QStringLiteral("<p class=\"meldung\" id=\"ohnePruefer\">%1</p>")
                          .arg(html(WebArbeitsplatz::ohnePrueferText(s.benutzer)));
        inhalt += QStringLiteral("<p><a class=\"knopf\" id=\"erfassen\" href=\"/l/%1/pruefen\">Prüfung erfassen</a></p>")
                      .arg(html(pfadTeil(code)));
    } else
        inhalt += QStringLiteral("<p>Sie haben keine Berechtigung, Prüfungen zu erfassen.</p>");
    inhalt += QStringLiteral("<h2>Letzte Prüfungen</h2>");
    if (l->pruefungen.isEmpty()) {
        inhalt += QStringLiteral("<p>Noch keine Prüfung.</p>");
    } else {
        inhalt += QStringLiteral("<table id=\"pruefungen\"><tr><th>Datum</th><th>Prüfung</th><th>Prüfer</th><th>Ergebnis</th>"
                                 "<th>Bemerkung</th></tr>");
        for (const PruefZeile& z : l->pruefungen)
            inhalt += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td class=\"bemerkung\">%5</td></tr>")
                          .arg(html(datum(z.datum)), html(z.art), html(z.pruefer),
                               html(ergebnisText(z.erforderlich, z.erledigt)), html(kurz(z.bemerkung)));
        inhalt += QStringLiteral("</table>");
    }
    return seite(QStringLiteral("Leiter %1").arg(l->nr), inhalt);
}

WebAntwort WebApp::pruefSeite(WebArbeitsplatz& ap, const WebAnfrage& a, const SitzungsSicht& s, const QString& code,
                              const QString& meldung, int status) const
{
    const std::optional<LeiterSicht> l = ap.leiter(code, m_opt.heute());
    if (!l)
        return unbekannt(s, code);
    if (!s.rechte.contains(crInsert) || !s.rechte.contains(crModify))
        return fehlerSeite(403, QStringLiteral("Keine Berechtigung"),
                           TUserControl::RightErrorText(s.rechte.contains(crInsert) ? crModify : crInsert), &s);
    // After a refused save the entries are shown again as they were.
    const bool wieder = a.methode == "POST";
    const QHash<QString, QString> f = wieder ? a.formular() : QHash<QString, QString>();
    QString inhalt = kopfleiste(s);
    inhalt += QStringLiteral("<h1>Prüfung erfassen</h1><p>Leiter %1 – %2</p>").arg(l->nr).arg(html(l->kurzBez));
    if (!meldung.isEmpty())
        inhalt += QStringLiteral("<p class=\"meldung\" id=\"meldung\">%1</p>").arg(html(meldung));
    else if (!l->pruefer)
        inhalt += QStringLiteral("<p class=\"meldung\" id=\"ohnePruefer\">%1</p>")
                      .arg(html(WebArbeitsplatz::ohnePrueferText(s.benutzer)));
    // A refused save for a conflict shows the ladder's new state: saving again is then a
    // deliberate second inspection.
    const QString stand = wieder && status != 409 ? f.value(QStringLiteral("stand")) : l->stand;
    const QString tag = wieder ? f.value(QStringLiteral("datum")) : m_opt.heute().toString(Qt::ISODate);
    inhalt += QStringLiteral("<form method=\"post\" action=\"/l/%1/pruefen\">"
                             "<input type=\"hidden\" name=\"token\" value=\"%2\">"
                             "<input type=\"hidden\" name=\"stand\" value=\"%3\">"
                             "<p><label for=\"datum\">Prüfdatum</label><br>"
                             "<input type=\"date\" id=\"datum\" name=\"datum\" value=\"%4\" required></p>"
                             "<p>Prüfer: %5</p>")
                  .arg(html(pfadTeil(code)), html(QString::fromLatin1(s.formToken)), html(stand), html(tag),
                       html(s.benutzer));
    if (l->kriterien.isEmpty()) {
        inhalt += QStringLiteral("<p>Für diese Leiter sind keine Prüfkriterien festgelegt.</p>");
    } else {
        QString gruppe;
        for (const KriteriumSicht& k : l->kriterien) {
            if (k.gruppe != gruppe) {
                if (!gruppe.isEmpty())
                    inhalt += QStringLiteral("</fieldset>");
                gruppe = k.gruppe;
                inhalt += QStringLiteral("<fieldset><legend>%1</legend>").arg(html(gruppe));
            }
            const QString feld = QStringLiteral("k_") + k.name;
            const QString wert = f.value(feld);
            // The remark field shows once "Mangel" is chosen (by the style sheet: no scripts).
            inhalt += QStringLiteral("<div class=\"krit\"><span>%1</span>"
                                     "<input type=\"radio\" name=\"%2\" id=\"%2_ok\" value=\"ok\"%3 required>"
                                     "<label for=\"%2_ok\">in Ordnung</label>"
                                     "<input type=\"radio\" name=\"%2\" id=\"%2_mangel\" value=\"mangel\"%4>"
                                     "<label for=\"%2_mangel\">Mangel</label>"
                                     "<p class=\"bem\"><label for=\"%5\">Welcher Mangel?</label><br>"
                                     "<input type=\"text\" id=\"%5\" name=\"%5\" maxlength=\"%7\" value=\"%6\"></p></div>")
                          .arg(html(k.text), html(feld),
                               wert == QLatin1String("ok") ? QStringLiteral(" checked") : QString(),
                               wert == QLatin1String("mangel") ? QStringLiteral(" checked") : QString(),
                               html(QStringLiteral("b_") + k.name), html(f.value(QStringLiteral("b_") + k.name)),
                               QString::number(MangelTextMax));
        }
        inhalt += QStringLiteral("</fieldset>");
    }
    inhalt += QStringLiteral("<p><label for=\"bemerkung\">Bemerkung</label><br>"
                             "<textarea id=\"bemerkung\" name=\"bemerkung\" rows=\"3\" maxlength=\"%2\">%1</textarea></p>")
                  .arg(html(f.value(QStringLiteral("bemerkung"))), QString::number(BemerkungMax));
    inhalt += QStringLiteral("<p><button type=\"submit\" id=\"speichern\">Prüfung speichern</button> "
                             "<a href=\"/l/%1\">Abbrechen</a></p></form>")
                  .arg(html(pfadTeil(code)));
    return seite(QStringLiteral("Prüfung erfassen"), inhalt, status);
}

WebAntwort WebApp::pruefSpeichern(WebArbeitsplatz& ap, const WebAnfrage& a, const SitzungsSicht& s, const QString& code) const
{
    const QHash<QString, QString> f = a.formular();
    const QDate tag = QDate::fromString(f.value(QStringLiteral("datum")), Qt::ISODate);
    if (!tag.isValid())
        return pruefSeite(ap, a, s, code, QStringLiteral("Bitte ein gültiges Prüfdatum angeben."), 400);
    const std::optional<LeiterSicht> l = ap.leiter(code, m_opt.heute());
    if (!l)
        return unbekannt(s, code);
    QSet<QString> erledigt;
    QStringList offen, zeilen;
    for (const KriteriumSicht& k : l->kriterien) {
        const QString w = f.value(QStringLiteral("k_") + k.name);
        if (w == QLatin1String("ok")) {
            erledigt << k.name;
        } else if (w != QLatin1String("mangel")) {
            offen << k.text;
        } else {
            // One line per defect described: "<criterion>: <what is wrong>".
            const QString text = f.value(QStringLiteral("b_") + k.name).simplified();
            if (text.size() > MangelTextMax)
                return pruefSeite(ap, a, s, code,
                                  QStringLiteral("Die Beschreibung des Mangels „%1“ ist zu lang (höchstens %2 Zeichen).")
                                      .arg(k.text, QString::number(MangelTextMax)),
                                  400);
            if (!text.isEmpty())
                zeilen << kriteriumName(k) + QStringLiteral(": ") + text;
        }
    }
    if (!offen.isEmpty())
        return pruefSeite(ap, a, s, code,
                          QStringLiteral("Bitte jedes Kriterium bewerten (in Ordnung oder Mangel). Offen: %1")
                              .arg(offen.join(QStringLiteral(", "))),
                          400);
    QString allgemein = f.value(QStringLiteral("bemerkung"));
    allgemein.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    allgemein = allgemein.trimmed();
    if (allgemein.size() > BemerkungMax)
        return pruefSeite(ap, a, s, code,
                          QStringLiteral("Die Bemerkung ist zu lang (höchstens %1 Zeichen).").arg(BemerkungMax), 400);
    if (!allgemein.isEmpty())
        zeilen << allgemein;
    try {
        const WebArbeitsplatz::Gespeichert g =
            ap.speichern(code, f.value(QStringLiteral("stand")), tag, erledigt, zeilen.join(QLatin1Char('\n')));
        protokoll(QStringLiteral("Benutzer '%1' hat Prüfung %2 der Leiter %3 gespeichert")
                      .arg(s.benutzer, QString::number(g.erfasst.pruefId), QString::number(l->nr)));
        return WebAntwort::weiter(QStringLiteral("/l/%1?gespeichert=%2").arg(pfadTeil(code)).arg(g.erfasst.pruefId));
    } catch (const WebKonflikt& e) {
        return pruefSeite(ap, a, s, code, e.message(), 409);
    } catch (const UserControlException& e) {
        return fehlerSeite(403, QStringLiteral("Keine Berechtigung"), e.message(), &s);
    } catch (const Abort&) {
        return fehlerSeite(403, QStringLiteral("Nicht gespeichert"),
                           QStringLiteral("Die Prüfung wurde nicht gespeichert."), &s);
    } catch (const EngineError& e) {
        // The server refused what the person's own login may not do: nothing was written.
        if (e.code() == EngineCode::InsufficientRights) {
            protokoll(QStringLiteral("Der Datenbankserver hat die Prüfung von Benutzer '%1' abgelehnt").arg(s.benutzer));
            return fehlerSeite(403, QStringLiteral("Keine Berechtigung"), e.message(), &s);
        }
        return pruefSeite(ap, a, s, code, e.message(), 422);
    } catch (const HwError& e) {
        return pruefSeite(ap, a, s, code, e.message(), 422);
    }
}

WebAntwort WebApp::suchSeite(WebArbeitsplatz& ap, const WebAnfrage& a, const SitzungsSicht& s) const
{
    const QString q = a.query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded).left(60);
    QString inhalt = kopfleiste(s);
    inhalt += QStringLiteral("<h1>Leiter suchen</h1><form method=\"get\" action=\"/suche\"><p><label for=\"q\">Nummer "
                             "oder Kurzbezeichnung</label><br><input type=\"search\" id=\"q\" name=\"q\" value=\"%1\"></p>"
                             "<p><button type=\"submit\" id=\"suchen\">Suchen</button></p></form>")
                  .arg(html(q));
    if (!q.trimmed().isEmpty()) {
        const Suchergebnis e = ap.suche(q, SucheMax);
        const QList<Treffer>& t = e.treffer;
        if (t.isEmpty()) {
            inhalt += QStringLiteral("<p id=\"keine\">Keine Leiter gefunden.</p>");
        } else {
            if (e.anzahl > t.size())
                inhalt += QStringLiteral("<p class=\"meldung\" id=\"mehr\">Es werden die ersten %1 von %2 Treffern gezeigt. "
                                         "Bitte die Suche genauer fassen.</p>")
                              .arg(deutsch.toString(int(t.size())), deutsch.toString(e.anzahl));
            inhalt += QStringLiteral("<table id=\"treffer\"><tr><th>Nr.</th><th>Kurzbezeichnung</th><th>Nächste Prüfung</th></tr>");
            for (const Treffer& z : t) {
                const QString wert = WebArbeitsplatz::codeWert(z.nr);
                // A number no label can hold has no page of its own either.
                const QString nr = wert.isEmpty() ? QString::number(z.nr)
                                                  : QStringLiteral("<a href=\"/l/%1\">%2</a>")
                                                        .arg(html(pfadTeil(wert)))
                                                        .arg(z.nr);
                inhalt += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                              .arg(nr, html(z.kurzBez), html(termin(z.termin)));
            }
            inhalt += QStringLiteral("</table>");
        }
    }
    return seite(QStringLiteral("Suche"), inhalt);
}
