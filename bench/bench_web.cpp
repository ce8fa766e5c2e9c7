// 50 phones at once against hw_web: each logs in (and loads the page the login leads to, as a
// browser does), then loads a ladder's page, opens the inspection form and saves an
// inspection, several rounds, over HTTPS with keep-alive. Measured from the moment all phones
// are logged in. Printed:
// requests per second and the latency percentiles, against the same store operations called
// in-process (ladder read, ladder read, save) in the same run. SQLite, and PostgreSQL too when
// HW_TEST_PGHOST (HW_TEST_PGPORT, HW_TEST_PGUSER, PGPASSWORD) names a server: once with the
// shared role, once with the register's own server roles (each phone a person of its own, each
// session on that person's login).
//   bench_web [phones, default 50] [rounds, default 4] [ladders, default 2000]
#include "Anmeldung.h"
#include "Backend.h"
#include "DataGenerator.h"
#include "Engine.h"
#include "LocalZone.h"
#include "ScratchPg.h"
#include "ServerLogin.h"
#include "ServerRollen.h"
#include "ServerUmstellung.h"
#include "UserState.h"
#include "WebApp.h"
#include "WebArbeitsplatz.h"
#include "WebStart.h"
#include "WebZeiten.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>

namespace {

struct Zeiten {
    std::vector<double> ms;
    double p(double q) const
    {
        if (ms.empty())
            return 0;
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s[std::min(s.size() - 1, size_t(q * double(s.size())))];
    }
};

// With HW_WEB_ZEITEN: one measured request taken apart. "hin" is from sending to the server
// taking the request (both sides' TLS and HTTP, and the server's thread being busy), "rueck"
// from the server handing over the answer to the phone having its last byte; the rest comes
// from the answer's Server-Timing header.
struct Zerlegung {
    int art = 0;    // 0 page, 1 form, 2 save
    double gesamt = 0;
    std::map<QByteArray, double> teile;
};

// One phone: a keep-alive HTTPS connection and its steps.
class Telefon : public QObject {
    Q_OBJECT
public:
    Telefon(quint16 port, int nr, int runden, QByteArray name, QByteArray passwort, QObject* parent)
        : QObject(parent), m_port(port), m_nr(nr), m_runden(runden), m_name(std::move(name)),
          m_passwort(std::move(passwort))
    {
        m_sock.setPeerVerifyMode(QSslSocket::VerifyNone);
        connect(&m_sock, &QSslSocket::encrypted, this, [this] { schicke(); });
        connect(&m_sock, &QSslSocket::readyRead, this, &Telefon::lies);
        connect(&m_sock, &QSslSocket::disconnected, this, [this] {
            if (!m_offen.isEmpty() && m_gesendet)
                m_gesendet = false;   // the server closed: send again on a new connection
        });
        connect(&m_sock, &QSslSocket::sslErrors, this, [this] { m_sock.ignoreSslErrors(); });
    }
    void anmelden() { anfrage("GET /anmelden HTTP/1.1\r\nHost: b\r\n\r\n"); }
    void messen() { weiter(); }

    Zeiten zeiten;
    std::vector<Zerlegung> zerlegungen;
    int fehler = 0;
    std::function<void()> angemeldet;
    std::function<void()> fertig;

private:
    enum class Schritt { Form, Login, Start, Seite, Formular, Speichern };

    void anfrage(const QByteArray& text)
    {
        m_offen = text;
        m_gesendet = false;
        m_puffer.clear();
        m_uhr.start();
        m_gesendetNs = WebZeiten::an() ? WebZeiten::jetzt() : 0;
        schicke();
    }
    void schicke()
    {
        if (m_offen.isEmpty() || m_gesendet)
            return;
        if (m_sock.state() != QAbstractSocket::ConnectedState) {
            if (m_sock.state() == QAbstractSocket::UnconnectedState)
                m_sock.connectToHostEncrypted(QStringLiteral("127.0.0.1"), m_port);
            return;
        }
        if (!m_sock.isEncrypted())
            return;
        m_sock.write(m_offen);
        m_gesendet = true;
    }
    QByteArray cookies() const { return "Cookie: " + m_cookies.join("; ") + "\r\n"; }
    void lies()
    {
        m_puffer += m_sock.readAll();
        const int kopfEnde = m_puffer.indexOf("\r\n\r\n");
        if (kopfEnde < 0)
            return;
        const QByteArray kopf = m_puffer.left(kopfEnde);
        static const QRegularExpression laenge(QStringLiteral("(?i)content-length:\\s*(\\d+)"));
        const int n = laenge.match(QString::fromLatin1(kopf)).captured(1).toInt();
        if (m_puffer.size() < kopfEnde + 4 + n)
            return;
        const double ms = m_uhr.nsecsElapsed() / 1e6;
        const QByteArray body = m_puffer.mid(kopfEnde + 4, n);
        const int status = kopf.mid(9, 3).toInt();
        static const QRegularExpression setCookie(QStringLiteral("(?i)set-cookie:\\s*([^=]+=[^;]*)"));
        for (auto it = setCookie.globalMatch(QString::fromLatin1(kopf)); it.hasNext();) {
            const QByteArray c = it.next().captured(1).toLatin1();
            const QByteArray name = c.left(c.indexOf('=') + 1);
            m_cookies.erase(std::remove_if(m_cookies.begin(), m_cookies.end(),
                                           [&](const QByteArray& x) { return x.startsWith(name); }),
                            m_cookies.end());
            m_cookies << c;
        }
        static const QRegularExpression ort(QStringLiteral("(?i)location:\\s*(\\S+)"));
        m_ort = ort.match(QString::fromLatin1(kopf)).captured(1).toLatin1();
        if (m_gesendetNs && m_schritt >= Schritt::Seite)
            zerlegen(kopf, ms);
        m_offen.clear();
        m_puffer.clear();
        antwort(status, body, ms);
    }
    void zerlegen(const QByteArray& kopf, double ms)
    {
        const qint64 da = WebZeiten::jetzt();
        static const QRegularExpression timing(QStringLiteral("(?i)server-timing:\\s*([^\r\n]*)"));
        const QString wert = timing.match(QString::fromLatin1(kopf)).captured(1);
        if (wert.isEmpty())
            return;
        Zerlegung z;
        z.art = m_schritt == Schritt::Seite ? 0 : m_schritt == Schritt::Formular ? 1 : 2;
        z.gesamt = ms;
        for (const QString& e : wert.split(QLatin1Char(','))) {
            const QStringList t = e.trimmed().split(QLatin1Char(';'));
            if (t.size() < 2)
                continue;
            const QByteArray name = t[0].toLatin1();
            const QString v = t[1].section(QLatin1Char('='), 1);
            if (name == "an")
                z.teile["hin"] = double(v.toLongLong() - m_gesendetNs) / 1e6;
            else if (name == "ab")
                z.teile["rueck"] = double(da - v.toLongLong()) / 1e6;
            else
                z.teile[name] = v.toDouble();
        }
        zerlegungen.push_back(std::move(z));
    }
    static QByteArray feld(const QByteArray& body, const char* name)
    {
        const QRegularExpression re(QStringLiteral("name=\"%1\" value=\"([^\"]*)\"").arg(QLatin1String(name)));
        return re.match(QString::fromUtf8(body)).captured(1).toUtf8();
    }
    void antwort(int status, const QByteArray& body, double ms)
    {
        switch (m_schritt) {
        case Schritt::Form: {
            const QByteArray b =
                "name=" + m_name + "&passwort=" + m_passwort + "&weiter=%2Fsuche&token=" + feld(body, "token");
            m_schritt = Schritt::Login;
            anfrage("POST /anmelden HTTP/1.1\r\nHost: b\r\n" + cookies() +
                    "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                    QByteArray::number(b.size()) + "\r\n\r\n" + b);
            return;
        }
        case Schritt::Login:
            if (status != 303) {
                ++fehler;
                std::fprintf(stderr, "Anmeldung von %s: %d\n", m_name.constData(), status);
            }
            // As a browser does: the page the login leads to.
            m_schritt = Schritt::Start;
            anfrage("GET " + m_ort + " HTTP/1.1\r\nHost: b\r\n" + cookies() + "\r\n");
            return;
        case Schritt::Start:
            if (status != 200)
                ++fehler;
            m_schritt = Schritt::Seite;
            angemeldet();
            return;
        case Schritt::Seite:
            zeiten.ms.push_back(ms);
            if (status != 200)
                ++fehler;
            m_schritt = Schritt::Formular;
            anfrage("GET /l/" + QByteArray::number(m_nr) + "/pruefen HTTP/1.1\r\nHost: b\r\n" + cookies() + "\r\n");
            return;
        case Schritt::Formular: {
            zeiten.ms.push_back(ms);
            if (status != 200)
                ++fehler;
            QByteArray b = "token=" + feld(body, "token") + "&stand=" + feld(body, "stand") + "&datum=" +
                           QDate::currentDate().toString(Qt::ISODate).toLatin1();
            static const QRegularExpression krit(QStringLiteral("name=\"(k_[A-Za-z_]+)\" id=\"[^\"]*_ok\""));
            for (auto it = krit.globalMatch(QString::fromUtf8(body)); it.hasNext();)
                b += "&" + it.next().captured(1).toLatin1() + "=ok";
            m_schritt = Schritt::Speichern;
            anfrage("POST /l/" + QByteArray::number(m_nr) + "/pruefen HTTP/1.1\r\nHost: b\r\n" + cookies() +
                    "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                    QByteArray::number(b.size()) + "\r\n\r\n" + b);
            return;
        }
        case Schritt::Speichern:
            zeiten.ms.push_back(ms);
            if (status != 303)
                ++fehler;
            ++m_runde;
            m_schritt = Schritt::Seite;
            weiter();
            return;
        }
    }
    void weiter()
    {
        if (m_runde >= m_runden) {
            fertig();
            return;
        }
        anfrage("GET /l/" + QByteArray::number(m_nr) + " HTTP/1.1\r\nHost: b\r\n" + cookies() + "\r\n");
    }

    QSslSocket m_sock;
    quint16 m_port;
    int m_nr;
    int m_runden;
    QByteArray m_name, m_passwort;
    QByteArray m_ort;       // Location of the last answer
    int m_runde = 0;
    Schritt m_schritt = Schritt::Form;
    QByteArray m_offen;
    bool m_gesendet = false;
    QByteArray m_puffer;
    QList<QByteArray> m_cookies;
    QElapsedTimer m_uhr;
    qint64 m_gesendetNs = 0;
};

// Per kind of request, the median and the 99th percentile of each part; then what the
// slowest 1 % of all requests spent their time on.
void zerlegungDrucken(const char* wo, const std::vector<Zerlegung>& alle)
{
    if (alle.empty())
        return;
    static const char* const arten[] = {"Seite", "Formular", "Speichern"};
    std::vector<QByteArray> namen = {"hin", "warten", "arbeit", "lesen", "begin", "sperre", "frisch", "eintragen",
                                     "commit", "zurueck", "rueck"};
    for (int art = 0; art < 3; ++art) {
        Zeiten gesamt;
        std::map<QByteArray, Zeiten> teile;
        for (const Zerlegung& z : alle)
            if (z.art == art) {
                gesamt.ms.push_back(z.gesamt);
                for (const QByteArray& n : namen)
                    teile[n].ms.push_back(z.teile.count(n) ? z.teile.at(n) : 0.0);
            }
        std::printf("%-10s   %-9s gesamt %6.1f/%6.1f", wo, arten[art], gesamt.p(0.5), gesamt.p(0.99));
        for (const QByteArray& n : namen)
            if (teile[n].p(1.0) > 0)
                std::printf("  %s %.1f/%.1f", n.constData(), teile[n].p(0.5), teile[n].p(0.99));
        std::printf("   (p50/p99 ms)\n");
    }
    std::vector<Zerlegung> s = alle;
    std::sort(s.begin(), s.end(), [](const Zerlegung& a, const Zerlegung& b) { return a.gesamt > b.gesamt; });
    s.resize(std::max<size_t>(1, s.size() / 100));
    int jeArt[3] = {0, 0, 0};
    std::map<QByteArray, double> mittel;
    double gesamt = 0;
    for (const Zerlegung& z : s) {
        ++jeArt[z.art];
        gesamt += z.gesamt / double(s.size());
        for (const auto& [n, v] : z.teile)
            mittel[n] += v / double(s.size());
    }
    std::printf("%-10s   langsamstes 1 %% (%zu: %d Seite, %d Formular, %d Speichern), Mittel %.1f ms:", wo, s.size(),
                jeArt[0], jeArt[1], jeArt[2], gesamt);
    for (const QByteArray& n : namen)
        if (mittel.count(n) && n != "an" && n != "ab")
            std::printf(" %s %.1f", n.constData(), mittel[n]);
    std::printf("\n");
}

// A phone saves an inspection only for a user who is an inspector of the master data.
void prueferAnlegen(Backend& db, const QStringList& namen)
{
    Transaction tx(db);
    for (const QString& n : namen)
        db.exec(QStringLiteral("INSERT INTO PRUEFER (KurzBez, Name) VALUES (?, ?)"), {n, n});
    tx.commit();
}

void registerErzeugen(int leitern)
{
    DataGeneratorOptions o;
    o.dataDir = Engine::instance().aliasPath(QStringLiteral("TARVINO"));
    o.driver = Engine::instance().aliasDriver(QStringLiteral("TARVINO"));
    o.ladders = leitern;
    o.companies = 3;
    o.years = 2;
    generateRegister(o);
    BenutzerTabelleEinrichten();
    ErsterAdministrator(QStringLiteral("Bench"), QStringLiteral("bench"), QStringLiteral("master"));
    BenutzerTabelleEinrichten();
    prueferAnlegen(Engine::instance().backend(QStringLiteral("TARVINO")), {QStringLiteral("Bench")});
}

// Who phone i logs in as.
using Anmeldung = std::function<std::pair<QByteArray, QByteArray>(int)>;

// floorAlias: the alias the in-process store operations run on.
void messen(const char* wo, int telefone, int runden, int leitern, const Anmeldung& anmeldung,
            const QString& floorAlias = QStringLiteral("TARVINO"))
{

    QTemporaryDir certDir;
    WebEinstellungen e;
    e.adresse = QStringLiteral("127.0.0.1");
    e.port = 0;
    e.httpPort = 0;
    e.zertifikat = certDir.filePath(QStringLiteral("c.crt"));
    e.schluessel = certDir.filePath(QStringLiteral("c.key"));
    std::unique_ptr<WebDienst> d = starteWebDienst(e, [](const QString&) {});

    // The phones run in a thread of their own; the server answers in this one.
    QThread telefonThread;
    QObject wurzel;
    wurzel.moveToThread(&telefonThread);
    telefonThread.start();
    std::vector<Telefon*> liste;
    std::atomic<int> angemeldet{0}, fertig{0};
    QElapsedTimer wand;
    qint64 wandNs = 0;
    QEventLoop loop;
    QMetaObject::invokeMethod(&wurzel, [&] {
        for (int i = 0; i < telefone; ++i) {
            const auto [name, passwort] = anmeldung(i);
            auto* t = new Telefon(d->port, 1 + i * std::max(1, leitern / telefone), runden, name, passwort, &wurzel);
            t->angemeldet = [&] {
                if (++angemeldet == telefone) {
                    wand.start();
                    for (Telefon* x : liste)
                        x->messen();
                }
            };
            t->fertig = [&] {
                if (++fertig == telefone) {
                    wandNs = wand.nsecsElapsed();
                    QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
                }
            };
            liste.push_back(t);
        }
        for (Telefon* t : liste)
            t->anmelden();
    }, Qt::QueuedConnection);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    loop.exec();
    Zeiten alle;
    std::vector<Zerlegung> zerlegungen;
    int fehler = 0;
    QMetaObject::invokeMethod(&wurzel, [&] {
        for (Telefon* t : liste) {
            alle.ms.insert(alle.ms.end(), t->zeiten.ms.begin(), t->zeiten.ms.end());
            zerlegungen.insert(zerlegungen.end(), t->zerlegungen.begin(), t->zerlegungen.end());
            fehler += t->fehler;
            delete t;
        }
    }, Qt::BlockingQueuedConnection);
    telefonThread.quit();
    telefonThread.wait();
    const double s = wandNs / 1e9;
    std::printf("%-10s HTTPS  %d Telefone x %d Runden: %zu Anfragen in %.2f s = %.0f Anfragen/s; "
                "p50 %.1f ms, p99 %.1f ms, max %.1f ms; Fehler %d\n",
                wo, telefone, runden, alle.ms.size(), s, s > 0 ? double(alle.ms.size()) / s : 0.0, alle.p(0.5),
                alle.p(0.99), alle.p(1.0), fehler);
    zerlegungDrucken(wo, zerlegungen);

    // The same store operations in-process, one after another, on one workplace.
    WebArbeitsplatz ap(floorAlias);
    ap.benutzerSetzen(QStringLiteral("Bench"), TUserRights::all());
    Zeiten direkt;
    QElapsedTimer gesamt;
    gesamt.start();
    for (int r = 0; r < runden; ++r)
        for (int i = 0; i < telefone; ++i) {
            const QString code = QString::number(1 + i * std::max(1, leitern / telefone));
            QElapsedTimer t;
            t.start();
            ap.leiter(code);
            direkt.ms.push_back(t.nsecsElapsed() / 1e6);
            t.start();
            const std::optional<LeiterSicht> l = ap.leiter(code);
            direkt.ms.push_back(t.nsecsElapsed() / 1e6);
            QSet<QString> ok;
            for (const KriteriumSicht& k : l->kriterien)
                ok << k.name;
            t.start();
            ap.speichern(code, l->stand, QDate::currentDate(), ok);
            direkt.ms.push_back(t.nsecsElapsed() / 1e6);
        }
    const double sd = gesamt.nsecsElapsed() / 1e9;
    std::printf("%-10s direkt %zu Aufrufe in %.2f s = %.0f Aufrufe/s; p50 %.1f ms, p99 %.1f ms\n", wo, direkt.ms.size(),
                sd, double(direkt.ms.size()) / sd, direkt.p(0.5), direkt.p(0.99));
    std::printf("%-10s Verhältnis: HTTPS-p99 / direkt-p99 = %.1f, Durchsatz HTTPS / direkt = %.2f\n", wo,
                direkt.p(0.99) > 0 ? alle.p(0.99) / direkt.p(0.99) : 0.0,
                (s > 0 && sd > 0) ? (double(alle.ms.size()) / s) / (double(direkt.ms.size()) / sd) : 0.0);
    std::fflush(stdout);
    d.reset();
}

// The register's own server roles, set up by the superuser: an administrator and one person
// per phone (insert and modify), each with a password of their own; the names begin with
// praefix. Returns the administrator's password.
QString rollenEinrichten(const ServerSettings& db, const QString& praefix, int telefone)
{
    auto su = createPgBackend(db.connInfo());
    ServerRollen::einrichten(*su, praefix + QLatin1Char('_'));
    const QString chefName = praefix + QStringLiteral("chef");
    const QString einmal = ServerErsterAdministrator(*su, chefName);
    ServerRollen::eigenesPasswort(*ServerLogin::connect(db.connInfo(), ServerRollen::rollenName(chefName), einmal),
                                  QStringLiteral("chef12"));
    auto chef = ServerLogin::connect(db.connInfo(), ServerRollen::rollenName(chefName), QStringLiteral("chef12"));
    QStringList personen;
    for (int i = 0; i < telefone; ++i)
        personen << praefix + QStringLiteral("t%1").arg(i);
    prueferAnlegen(*su, personen);
    for (int i = 0; i < telefone; ++i) {
        const QString name = praefix + QStringLiteral("t%1").arg(i);
        ServerRollen::anlegen(*chef, name, QStringLiteral("einmal1"), ServerRollen::Einfuegen | ServerRollen::Aendern);
        ServerRollen::eigenesPasswort(*ServerLogin::connect(db.connInfo(), ServerRollen::rollenName(name),
                                                            QStringLiteral("einmal1")),
                                      QStringLiteral("bench12"));
    }
    return QStringLiteral("chef12");
}

// Server roles live beside the databases: the bench's go with it.
void rollenEntfernen(const QString& praefix)
{
    try {
        auto su = createPgBackend(ScratchPgDatabase::server().connInfo());
        auto c = su->select(QStringLiteral("SELECT rolname FROM pg_roles WHERE rolname LIKE ? ORDER BY rolname LIKE ?"),
                            {praefix + QLatin1Char('%'), praefix + QStringLiteral("\\_%")});
        QStringList rollen;
        while (c->next())
            rollen << c->textValue(0);
        c.reset();
        for (const QString& r : rollen)
            su->exec(QStringLiteral("DROP ROLE IF EXISTS \"%1\"").arg(r));
    } catch (const HwError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

} // namespace

int main(int argc, char** argv)
{
    systemZoneOnceOnly();      // as hw_web starts
    QCoreApplication app(argc, argv);
    const int telefone = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    const int runden = argc > 2 ? std::max(1, atoi(argv[2])) : 4;
    const int leitern = argc > 3 ? std::max(telefone, atoi(argv[3])) : 2000;
    Engine::instance().setUserName(QStringLiteral("Bench"));
    const Anmeldung bench = [](int) { return std::pair<QByteArray, QByteArray>("Bench", "bench"); };
    {
        QTemporaryDir dir;
        Engine::instance().setNetFileDir(dir.path());
        Engine::instance().addSessionAlias(QStringLiteral("TARVINO"), dir.path());
        registerErzeugen(leitern);
        messen("SQLite", telefone, runden, leitern, bench);
        Engine::instance().reset();
    }
    if (!ScratchPgDatabase::configured())
        return 0;
    const QString praefix = QStringLiteral("hwbw%1").arg(QCoreApplication::applicationPid());
    try {
        ScratchPgDatabase db(QStringLiteral("hwbench_web"));
        QTemporaryDir dir;
        Engine::instance().setNetFileDir(dir.path());
        Engine::instance().addServerAlias(QStringLiteral("TARVINO"), db.settings());
        registerErzeugen(leitern);
        messen("PostgreSQL", telefone, runden, leitern, bench);
        Engine::instance().reset();

        // The same register with its own roles: the web server holds none, each session is
        // the person's own login.
        const QString chefPw = rollenEinrichten(db.settings(), praefix, telefone);
        Engine::instance().setNetFileDir(dir.path());
        Engine::instance().addServerAlias(QStringLiteral("TARVINO"), db.settings());
        Engine::instance().addServerAlias(QStringLiteral("DIREKT"), db.settings());
        ServerLogin::login(QStringLiteral("DIREKT"), praefix + QStringLiteral("chef"), chefPw);
        messen("PG-Rollen", telefone, runden, leitern,
               [&](int i) {
                   return std::pair<QByteArray, QByteArray>((praefix + QStringLiteral("t%1").arg(i)).toUtf8(), "bench12");
               },
               QStringLiteral("DIREKT"));
        Engine::instance().reset();
    } catch (const HwError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Engine::instance().reset();
    }
    // After the database: its tables belong to one of them.
    rollenEntfernen(praefix);
    return 0;
}

#include "bench_web.moc"
