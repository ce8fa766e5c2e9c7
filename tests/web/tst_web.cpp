#include "AnmeldeBremse.h"
#include "Backend.h"
#include "Anmeldung.h"
#include "BarcodeSuche.h"
#include "BarcodeWert.h"
#include "BenutzerVerwaltung.h"
#include "Engine.h"
#include "PruefFixture.h"
#include "Sitzungen.h"
#include "TestSupport.h"
#include "Verlauf.h"
#include "WebApp.h"
#include "WebArbeitsplatz.h"
#include "WebEinstellungen.h"
#include "WebServer.h"
#include "WebStart.h"
#include "WebZugang.h"
#include "Zertifikat.h"

#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

// The web server's rules without a browser: throttling, sessions, redirects, and the pages'
// handlers on a real register (tokens, rights, escaping).
class TestWeb : public QObject {
    Q_OBJECT

    QDateTime m_jetzt = QDateTime(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC);
    std::function<QDateTime()> uhr() { return [this] { return m_jetzt; }; }

    static void benutzer()
    {
        BenutzerTabelleEinrichten();
        ErsterAdministrator("Chef", "chef1", "master");
        Engine::instance().addPassword("master");
        BenutzerVerwaltung bv;
        bv.Detail->open();
        bv.RechteZumSpeichern = [] { return TUserRights{crView}; };
        bv.Detail->append();
        bv.Detail->setValue("Name", "Leser");
        bv.SetPasswort("lesen1");
        bv.Speichern();
        bv.Detail->close();
        Engine::instance().removeAllPasswords();
    }

    static WebAnfrage get(const QString& pfad, const QByteArray& cookies = {})
    {
        WebAnfrage a;
        a.methode = "GET";
        const int q = pfad.indexOf('?');
        a.pfad = q < 0 ? pfad : pfad.left(q);
        if (q >= 0)
            a.query = QUrlQuery(pfad.mid(q + 1));
        a.kopf.insert("cookie", cookies);
        a.adresse = "10.0.0.5";
        return a;
    }
    static WebAnfrage post(const QString& pfad, const QByteArray& body, const QByteArray& cookies = {})
    {
        WebAnfrage a = get(pfad, cookies);
        a.methode = "POST";
        a.body = body;
        return a;
    }
    static QByteArray cookieWert(const WebAntwort& w, const QByteArray& name)
    {
        for (const auto& [k, v] : w.kopf)
            if (k == "Set-Cookie" && v.startsWith(name + '='))
                return v.mid(name.size() + 1, v.indexOf(';') - name.size() - 1);
        return {};
    }
    static QByteArray feld(const WebAntwort& w, const char* name)
    {
        const QRegularExpression re(QStringLiteral("name=\"%1\" value=\"([^\"]*)\"").arg(QLatin1String(name)));
        return re.match(QString::fromUtf8(w.body)).captured(1).toUtf8();
    }
    // Logged in through the login form; the session cookie.
    static QByteArray anmelden(WebApp& app, const QByteArray& name, const QByteArray& pw)
    {
        const WebAntwort form = app.bearbeiten(get("/anmelden"));
        const QByteArray vor = cookieWert(form, WebApp::AnmeldeCookie);
        const WebAntwort r = app.bearbeiten(post("/anmelden", "name=" + name + "&passwort=" + pw + "&token=" +
                                                                  feld(form, "token") + "&weiter=%2Fsuche",
                                                 QByteArray(WebApp::AnmeldeCookie) + '=' + vor));
        return cookieWert(r, WebApp::SitzungsCookie);
    }

    // The ladder number a page of the phones shows, 0 for the page of an unknown label.
    static int leiterAufSeite(const WebAntwort& r)
    {
        if (r.status == 404 && r.body.contains("Unbekanntes Etikett"))
            return 0;
        const QRegularExpression re(QStringLiteral("<h1>Leiter (-?\\d+)</h1>"));
        const QRegularExpressionMatch m = re.match(QString::fromUtf8(r.body));
        return r.status == 200 && m.hasMatch() ? m.captured(1).toInt() : -1;
    }
    // A row changed by another workstation (the register's own alias, not the web server's).
    static void aendern(const QString& table, const QString& keyField, const QVariant& key, const QVariantMap& values)
    {
        Table t(table);
        t.open();
        QVERIFY(t.locate(keyField, {key}));
        t.edit();
        for (auto it = values.begin(); it != values.end(); ++it)
            t.setValue(it.key(), it.value());
        t.post();
    }
    static int zeileAnlegen(const QString& table, const QVariantMap& values)
    {
        return addTestRow(table, values);
    }
    struct Angemeldet {
        WebZugang zugang;
        std::unique_ptr<WebApp> app;
        QByteArray cookie;
        explicit Angemeldet(std::function<QDateTime()> uhr)
        {
            WebApp::Optionen o;
            o.uhr = std::move(uhr);
            o.heute = [] { return QDate(2026, 3, 1); };
            app = std::make_unique<WebApp>(zugang, o);
            cookie = QByteArray(WebApp::SitzungsCookie) + '=' + anmelden(*app, "Chef", "chef1");
        }
        WebAntwort holen(const QString& pfad) { return app->bearbeiten(get(pfad, cookie)); }
    };
    static QList<int> trefferNummern(const WebAntwort& r)
    {
        QList<int> nr;
        const QRegularExpression re(QStringLiteral("<tr><td>(?:<a href=\"[^\"]*\">)?(\\d+)"));
        for (auto it = re.globalMatch(QString::fromUtf8(r.body)); it.hasNext();)
            nr << it.next().captured(1).toInt();
        return nr;
    }

    // Ladders 5, 31 and 123456789, and a session of a user who may see them.
    struct Etikettenregister {
        PruefFixture f;
        Etikettenregister()
        {
            benutzer();
            for (int nr : {5, 31, 123456789})
                PruefFixture::addLadder(nr, {{"KurzBez", QStringLiteral("Leiter %1").arg(nr)}});
        }
    };

private slots:
    void init() { resetDialogsForTest(); }
    void cleanup() { BarcodeWert::setWebBasis(QString()); }

    // /l/<value> opens the ladder the desktop's barcode search (F9, serial scanner) finds for
    // the same value, and none where that search refuses the value.
    void labelValueFindsTheLadderOfTheBarcodeSearch_data()
    {
        QTest::addColumn<QString>("wert");      // as it stands in the address
        QTest::addColumn<int>("erwartet");      // 0: no ladder
        QTest::newRow("number") << "5" << 5;
        QTest::newRow("nine digits") << "123456789" << 123456789;
        QTest::newRow("leading zeros") << "0005" << 5;
        QTest::newRow("hexadecimal") << "$1F" << 31;
        QTest::newRow("leading blank") << "%205" << 5;
        QTest::newRow("more than nine characters") << "0000000005" << 0;
        QTest::newRow("letter after the digits") << "5a" << 0;
        QTest::newRow("no such ladder") << "6" << 0;
    }
    void labelValueFindsTheLadderOfTheBarcodeSearch()
    {
        QFETCH(QString, wert);
        QFETCH(int, erwartet);
        Etikettenregister r;
        Table leiter("LT_LEIT");
        leiter.open();
        BarcodeSuche suche(&leiter, nullptr);
        const QString gescannt = QUrl::fromPercentEncoding(wert.toUtf8());
        QCOMPARE(suche.SucheLeiterNr(gescannt) ? leiter.field("Nr").asInteger() : 0, erwartet);

        WebZugang zugang;
        WebApp app(zugang, {});
        const QByteArray c = QByteArray(WebApp::SitzungsCookie) + '=' + anmelden(app, "Chef", "chef1");
        QCOMPARE(leiterAufSeite(app.bearbeiten(get("/l/" + wert, c))), erwartet);
        QCOMPARE(leiterAufSeite(app.bearbeiten(get("/l/" + wert + "/pruefen", c))) != 0, erwartet != 0);
    }

    // With [Web] BaseUrl a label's QR code holds the address of the ladder's page: opened by
    // a phone's camera it shows that ladder, pasted into the search it finds it.
    void phoneAddressOfALabelOpensItsLadder()
    {
        Etikettenregister r;
        QTemporaryDir dir;
        const QString ini = dir.filePath("tarvino.ini");
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Web]\nBaseUrl=https://leitern.firma.local:8443/\n");
        f.close();
        const WebEinstellungen e = leseWebEinstellungen(ini, dir.path());
        QCOMPARE(e.baseUrl, QStringLiteral("https://leitern.firma.local:8443"));
        BarcodeWert::setWebBasis(e.baseUrl);

        WebZugang zugang;
        WebApp app(zugang, {});
        const QByteArray c = QByteArray(WebApp::SitzungsCookie) + '=' + anmelden(app, "Chef", "chef1");
        for (int nr : {5, 31, 123456789}) {
            const QString qr = BarcodeWert::qrInhalt(BarcodeWert::leiterWert(nr));
            QCOMPARE(qr, QStringLiteral("https://leitern.firma.local:8443/l/%1").arg(nr));
            QCOMPARE(leiterAufSeite(app.bearbeiten(get(QUrl(qr).path(QUrl::FullyEncoded), c))), nr);
            const WebAntwort treffer = app.bearbeiten(get(QStringLiteral("/suche?q=") + QString::fromLatin1(QUrl::toPercentEncoding(qr)), c));
            QVERIFY2(treffer.body.contains(QStringLiteral("<a href=\"/l/%1\">%1</a>").arg(nr).toUtf8()),
                     treffer.body.constData());
        }
    }

    void bremse()
    {
        AnmeldeBremse b(uhr());
        for (int i = 0; i < AnmeldeBremse::FreieVersuche - 1; ++i)
            b.fehlversuch("Meier", "10.0.0.1");
        QCOMPARE(b.wartezeit("meier", "10.0.0.2"), 0);
        b.fehlversuch("Meier", "10.0.0.1");
        // Blocked by name from any address, and the address for any name.
        QCOMPARE(b.wartezeit("MEIER", "10.0.0.9"), 30);
        QCOMPARE(b.wartezeit("Schulz", "10.0.0.1"), 30);
        QCOMPARE(b.wartezeit("Schulz", "10.0.0.9"), 0);
        m_jetzt = m_jetzt.addSecs(30);
        QCOMPARE(b.wartezeit("Meier", "10.0.0.1"), 0);
        b.fehlversuch("Meier", "10.0.0.1");
        QCOMPARE(b.wartezeit("Meier", "10.0.0.9"), 60);
        for (int i = 0; i < 20; ++i)
            b.fehlversuch("Meier", "10.0.0.1");
        QCOMPARE(b.wartezeit("Meier", "10.0.0.9"), AnmeldeBremse::LaengsteSperreSek);
        // A success clears the name, not the address.
        b.erfolg("meier");
        QCOMPARE(b.wartezeit("Meier", "10.0.0.9"), 0);
        QVERIFY(b.wartezeit("Meier", "10.0.0.1") > 0);
        // Old wrong tries are forgotten.
        m_jetzt = m_jetzt.addSecs(AnmeldeBremse::VergessenNachSek + AnmeldeBremse::LaengsteSperreSek + 1);
        b.fehlversuch("Meier", "10.0.0.1");
        QCOMPARE(b.wartezeit("Meier", "10.0.0.1"), 0);
    }

    void sitzungen()
    {
        Sitzungen s(30, uhr());
        const QByteArray a = s.anlegen("Meier", {crView});
        const QByteArray b = s.anlegen("Schulz", {crView});
        QVERIFY(a != b);
        QVERIFY(a.size() >= 40);
        QVERIFY(s.finden(a) && s.finden(a)->benutzer == "Meier");
        QVERIFY(s.finden(a)->formToken != s.finden(b)->formToken);
        QVERIFY(!s.finden(a.left(a.size() - 1)));
        QVERIFY(!s.finden(""));
        // Idle time counts from the last request.
        m_jetzt = m_jetzt.addSecs(29 * 60);
        QVERIFY(s.finden(a));
        m_jetzt = m_jetzt.addSecs(29 * 60);
        QVERIFY(s.finden(a));
        QVERIFY(!s.finden(b));
        // However busy, a session ends after twelve hours.
        for (int i = 0; i < 12 * 3; ++i) {
            m_jetzt = m_jetzt.addSecs(20 * 60);
            s.finden(a);
        }
        QVERIFY(!s.finden(a));
        const QByteArray c = s.anlegen("Meier", {crView});
        s.benutzerBeenden("meier");
        QVERIFY(!s.finden(c));
    }

    void umleitung_data()
    {
        QTest::addColumn<QString>("baseUrl");
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<QByteArray>("pfad");
        QTest::addColumn<QString>("ziel");
        QTest::newRow("Host mit Port") << QString() << QByteArray("leitern.firma.de:8080") << QByteArray("/l/17?a=1")
                                       << QStringLiteral("https://leitern.firma.de:8443/l/17?a=1");
        QTest::newRow("IPv6") << QString() << QByteArray("[fe80::1]:8080") << QByteArray("/") << QStringLiteral("https://[fe80::1]:8443/");
        QTest::newRow("fremder Host") << QString() << QByteArray("evil.example/x@y") << QByteArray("/")
                                      << QStringLiteral("https://localhost:8443/");
        QTest::newRow("BaseUrl") << QStringLiteral("https://leitern.firma.de") << QByteArray("evil.example") << QByteArray("/l/3")
                                 << QStringLiteral("https://leitern.firma.de/l/3");
        QTest::newRow("Pfad zu anderem Host") << QStringLiteral("https://a.de") << QByteArray("a.de") << QByteArray("//evil.example/")
                                              << QStringLiteral("https://a.de/");
    }
    void umleitung()
    {
        QFETCH(QString, baseUrl);
        QFETCH(QByteArray, host);
        QFETCH(QByteArray, pfad);
        QFETCH(QString, ziel);
        QCOMPARE(UmleitServer::ziel(baseUrl, 8443, host, pfad), ziel);
    }

    // The certificate files as an administrator may leave them: every fault is a German
    // message naming the file, and no file is replaced.
    void zertifikat_data()
    {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("Schlüssel fehlt") << "ohneSchluessel" << "eine der beiden Dateien fehlt";
        QTest::newRow("Zertifikat fehlt") << "ohneZertifikat" << "eine der beiden Dateien fehlt";
        QTest::newRow("fremder Schlüssel") << "fremd" << "gehört nicht zum Zertifikat";
        QTest::newRow("kein Zertifikat") << "kaputtZertifikat" << "enthält kein Zertifikat";
        QTest::newRow("kein Schlüssel") << "kaputtSchluessel" << "enthält keinen privaten Schlüssel";
        QTest::newRow("unlesbar") << "unlesbar" << "kann nicht gelesen werden";
    }
    void zertifikat()
    {
        QFETCH(QString, fall);
        QFETCH(QString, meldung);
        QTemporaryDir a, b;
        const QString crt = a.filePath("hw_web.crt");
        QString key = a.filePath("hw_web.key");
        const ServerZertifikat erst = ladeOderErzeuge(crt, key, {"localhost"});
        QVERIFY(erst.neu);
        QCOMPARE(QFile(key).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        QCOMPARE(fingerabdruck(ladeOderErzeuge(crt, key, {"localhost"}).zertifikat), fingerabdruck(erst.zertifikat));
        ladeOderErzeuge(b.filePath("x.crt"), b.filePath("x.key"), {"localhost"});
        auto schreibe = [](const QString& datei, const QByteArray& inhalt) {
            QFile f(datei);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(inhalt);
        };
        if (fall == "ohneSchluessel") {
            QFile::remove(key);
        } else if (fall == "ohneZertifikat") {
            QFile::remove(crt);
        } else if (fall == "fremd") {
            key = b.filePath("x.key");
        } else if (fall == "kaputtZertifikat") {
            schreibe(crt, "-----BEGIN CERTIFICATE-----\nkaputt\n-----END CERTIFICATE-----\n");
        } else if (fall == "kaputtSchluessel") {
            schreibe(key, "kein Schlüssel");
        } else if (fall == "unlesbar") {
            // Unreadable even for root: a directory where the key should be.
            QFile::remove(key);
            QVERIFY(QDir().mkpath(key));
        }
        QByteArray vorher;
        {
            QFile f(crt);
            if (f.open(QIODevice::ReadOnly))
                vorher = f.readAll();
        }
        try {
            ladeOderErzeuge(crt, key, {"localhost"});
            QFAIL("angenommen");
        } catch (const HwError& e) {
            QVERIFY2(e.message().contains(meldung), qPrintable(e.message()));
        }
        QFile f(crt);
        QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(), vorher);

        // The server does not start: no HTTPS, and no plain HTTP redirect either.
        QTcpServer frei;
        QVERIFY(frei.listen(QHostAddress::LocalHost, 0));
        const quint16 httpPort = frei.serverPort();
        frei.close();
        WebEinstellungen e;
        e.adresse = QStringLiteral("127.0.0.1");
        e.port = 0;
        e.httpPort = httpPort;
        e.zertifikat = crt;
        e.schluessel = key;
        QVERIFY_THROWS_EXCEPTION(HwError, starteWebDienst(e, [](const QString&) {}));
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, httpPort);
        QVERIFY(!probe.waitForConnected(500));
    }

    void escaping() { QCOMPARE(html("<a href='x'>\"&\"</a>"), "&lt;a href=&#39;x&#39;&gt;&quot;&amp;&quot;&lt;/a&gt;"); }

    // Every text a page shows from the register or the request is escaped, wherever it comes
    // from (a "%2" in it must not be taken for a placeholder of the page either).
    void jedesFeldMaskiert_data()
    {
        QTest::addColumn<QString>("quelle");
        QTest::addColumn<QString>("seite");
        QTest::addColumn<bool>("posten");
        QTest::newRow("Kurzbezeichnung") << "KurzBez" << "/l/5" << false;
        QTest::newRow("Kurzbezeichnung im Formular") << "KurzBez" << "/l/5/pruefen" << false;
        QTest::newRow("Kurzbezeichnung in der Trefferliste") << "KurzBez" << "/suche?q=5" << false;
        QTest::newRow("externe Nummer") << "ExNrBez" << "/l/5" << false;
        QTest::newRow("Abteilung") << "FIRMEN" << "/l/5" << false;
        QTest::newRow("Leiter-Art") << "LARTEN" << "/l/5" << false;
        QTest::newRow("Prüfung") << "PR_TAB" << "/l/5" << false;
        QTest::newRow("Prüfer der letzten Prüfung") << "PRUEFER" << "/l/5" << false;
        QTest::newRow("Bemerkung der letzten Prüfung") << "Bemerkung" << "/l/5" << false;
        QTest::newRow("Kriterium Sonstiges") << "PrSonstigesText" << "/l/5/pruefen" << false;
        QTest::newRow("Meldung mit offenem Kriterium") << "PrSonstigesText" << "/l/5/pruefen" << true;
        QTest::newRow("Suchtext") << "q" << "/suche?q=" << false;
        QTest::newRow("unbekanntes Etikett") << "code" << "/l/" << false;
    }
    void jedesFeldMaskiert()
    {
        QFETCH(QString, quelle);
        QFETCH(QString, seite);
        QFETCH(bool, posten);
        const QString boese = QStringLiteral("<i>%2\"'&Zz</i>");
        const auto wert = [&](const QString& f) { return f == quelle ? boese : QStringLiteral("harmlos"); };
        PruefFixture f;
        benutzer();
        PruefFixture::addKind(1, wert("PR_TAB"), 1, 0, 0);
        const int firma = zeileAnlegen("FIRMEN", {{"KurzBez", wert("FIRMEN")}});
        const int art = zeileAnlegen("LARTEN", {{"KurzBez", wert("LARTEN")}});
        const int pruefer = PruefFixture::addPruefer(wert("PRUEFER"));
        const int id = PruefFixture::addLadder(5, {{"KurzBez", wert("KurzBez")}, {"ExNrBez", wert("ExNrBez")},
                                                   {"FirmenAbtID", firma}, {"Art_ID", art}, {"PruefungArt_ID", 1},
                                                   {"PrSonstiges", true}, {"PrSonstigesText", wert("PrSonstigesText")}});
        PruefFixture::addInspection(id, {{"Datum", QDate(2025, 3, 1)}, {"PruefungArt_ID", 1}, {"Pruefer_ID", pruefer},
                                         {"Bemerkung", wert("Bemerkung")}});
        Angemeldet a(uhr());
        QString pfad = seite;
        if (quelle == QLatin1String("q") || quelle == QLatin1String("code"))
            pfad += QString::fromLatin1(QUrl::toPercentEncoding(boese));
        WebAntwort r = a.holen(pfad);
        if (posten)
            r = a.app->bearbeiten(post(pfad, "token=" + feld(r, "token") + "&stand=" + feld(r, "stand") +
                                                 "&datum=2026-03-01", a.cookie));
        const QString body = QString::fromUtf8(r.body);
        QVERIFY2(!body.contains(QStringLiteral("<i>")), qPrintable(body));
        QVERIFY2(body.contains(html(boese)), qPrintable(body));
        if (posten)
            QVERIFY(body.contains(QStringLiteral("Offen: ") + html(boese)));
    }

    // A page shows the register as it is now, whatever another workstation changed since the
    // session's last look at the same label.
    void seiteFolgtAnderemArbeitsplatz()
    {
        PruefFixture f;
        benutzer();
        PruefFixture::addKind(1, "Jährlich", 1, 0, 0);
        const int fuenf = PruefFixture::addLadder(5, {{"KurzBez", "Alt"}, {"PruefungArt_ID", 1}});
        const int sieben = PruefFixture::addLadder(7, {{"KurzBez", "Sieben"}});
        Angemeldet a(uhr());
        QVERIFY(a.holen("/l/5").body.contains("Alt"));

        aendern("LT_LEIT", "ID", fuenf, {{"KurzBez", "Neu"}});
        WebAntwort r = a.holen("/l/5");
        QVERIFY(r.body.contains("Neu"));
        QVERIFY(r.body.contains("Noch keine Prüfung"));

        PruefFixture::addInspection(fuenf, {{"Datum", QDate(2026, 2, 27)}, {"PruefungArt_ID", 1}});
        r = a.holen("/l/5");
        QVERIFY(r.body.contains("27.02.2026"));
        // The form's state follows too: a form made before is refused.
        const WebAntwort form = a.holen("/l/5/pruefen");
        aendern("LT_LEIT", "ID", fuenf, {{"PruefTermin", QDate(2026, 6, 1)}});
        r = a.app->bearbeiten(post("/l/5/pruefen", "token=" + feld(form, "token") + "&stand=" + feld(form, "stand") +
                                                       "&datum=2026-03-01", a.cookie));
        QCOMPARE(r.status, 409);

        // Renumbered: the old label finds the ladder that has the number now, or none.
        aendern("LT_LEIT", "ID", fuenf, {{"Nr", 6}});
        QCOMPARE(leiterAufSeite(a.holen("/l/5")), 0);
        QVERIFY(a.holen("/l/6").body.contains("Neu"));
        aendern("LT_LEIT", "ID", sieben, {{"Nr", 5}});
        r = a.holen("/l/5");
        QCOMPARE(leiterAufSeite(r), 5);
        QVERIFY(r.body.contains("Sieben"));
        QVERIFY(r.body.contains("Noch keine Prüfung"));
    }

    // The search by number or short description: the register's text search (letters a-z
    // without regard to case, umlauts exact, "?" one character), the ladder of the number
    // first; "%" and "_" are plain characters.
    void suche_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("nummern");
        QTest::newRow("Groß und klein") << "STEHleiter" << QList<int>{1, 2};
        QTest::newRow("Umlaut genau") << "Ärmel" << QList<int>{3};
        QTest::newRow("Umlaut klein") << "ärmel" << QList<int>{4};
        QTest::newRow("Prozent") << "50%" << QList<int>{5};
        QTest::newRow("Unterstrich") << "a_b" << QList<int>{7};
        QTest::newRow("Fragezeichen") << "a?b" << QList<int>{7, 8};
        QTest::newRow("Nummer zuerst") << "12" << QList<int>{12, 9};
        QTest::newRow("Anführungszeichen") << "O'Neil" << QList<int>{10};
        QTest::newRow("nichts") << "Zaun" << QList<int>{};
    }
    void suche()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, nummern);
        PruefFixture f;
        benutzer();
        const QList<std::pair<int, QString>> leitern = {
            {1, "Stehleiter Halle"}, {2, "stehleiter klein"}, {3, "Ärmel"},  {4, "ärmel"},   {5, "50% Sprossen"},
            {6, "50 Sprossen"},      {7, "a_b"},              {8, "axb"},    {9, "Ab 12 m"}, {10, "O'Neil"},
            {11, "ONeil"},           {12, "Zwölf"}};
        for (const auto& [nr, kurz] : leitern)
            PruefFixture::addLadder(nr, {{"KurzBez", kurz}});
        Angemeldet a(uhr());
        const WebAntwort r = a.holen(QStringLiteral("/suche?q=") + QString::fromLatin1(QUrl::toPercentEncoding(text)));
        QCOMPARE(r.status, 200);
        QCOMPARE(trefferNummern(r), nummern);
    }

    // More hits than the page shows: it says how many there are; the number's ladder stays first.
    void sucheNenntDieZahlDerTreffer_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("gezeigt");
        QTest::addColumn<QString>("hinweis");     // empty: none
        QTest::newRow("mehr als 50") << "stehleiter" << 50 << "Es werden die ersten 50 von 1.203 Treffern gezeigt. "
                                                             "Bitte die Suche genauer fassen.";
        QTest::newRow("Nummer und mehr als 50") << "7" << 50 << "Es werden die ersten 50 von 309 Treffern gezeigt.";
        QTest::newRow("genau 50") << "Anlegeleiter" << 50 << "";
        QTest::newRow("genauer gefasst") << "Stehleiter 12?" << 14 << "";
    }
    void sucheNenntDieZahlDerTreffer()
    {
        QFETCH(QString, text);
        QFETCH(int, gezeigt);
        QFETCH(QString, hinweis);
        PruefFixture f;
        benutzer();
        Backend& db = Engine::instance().backend();
        Transaction t(db);
        for (int nr = 1; nr <= 1203; ++nr)
            db.exec("INSERT INTO LT_LEIT (Nr, KurzBez) VALUES (?, ?)", {nr, QStringLiteral("Stehleiter %1").arg(nr)});
        for (int nr = 2001; nr <= 2050; ++nr)
            db.exec("INSERT INTO LT_LEIT (Nr, KurzBez) VALUES (?, ?)", {nr, QStringLiteral("Anlegeleiter")});
        t.commit();
        Angemeldet a(uhr());
        const WebAntwort r = a.holen(QStringLiteral("/suche?q=") + QString::fromLatin1(QUrl::toPercentEncoding(text)));
        const QString body = QString::fromUtf8(r.body);
        const QList<int> nummern = trefferNummern(r);
        QCOMPARE(nummern.size(), gezeigt);
        if (text == QLatin1String("7"))
            QCOMPARE(nummern.first(), 7);
        if (hinweis.isEmpty())
            QVERIFY2(!body.contains("id=\"mehr\""), qPrintable(body));
        else
            QVERIFY2(body.contains(hinweis), qPrintable(body));
    }

    // A user who may record but has no inspector row: told on the ladder page and the form,
    // and a save is refused with what to do, writing nothing (inspection, due date, history).
    void ohnePrueferWirdNichtsGespeichert()
    {
        PruefFixture f;
        benutzer();
        PruefFixture::addKind(1, "Jährlich", 1, 0, 0);
        PruefFixture::addPruefer("Chefin");
        const int id = PruefFixture::addLadder(5, {{"PruefungArt_ID", 1}, {"PrSchuhe", true},
                                                   {"PruefTermin", QDate(2026, 1, 1)}});
        const QVariantMap vorher = PruefFixture::stored("LT_LEIT", id);
        Angemeldet a(uhr());
        const QString hinweis = html(WebArbeitsplatz::ohnePrueferText("Chef"));
        QVERIFY(a.holen("/l/5").body.contains(hinweis.toUtf8()));
        const WebAntwort form = a.holen("/l/5/pruefen");
        QVERIFY(form.body.contains(hinweis.toUtf8()));
        auto c = Engine::instance().backend().select("SELECT COUNT(*) FROM LT_VERLAUF");
        const qint64 verlauf = c->next() ? c->intValue(0) : -1;
        c.reset();
        const WebAntwort r = a.app->bearbeiten(post("/l/5/pruefen", "token=" + feld(form, "token") + "&stand=" +
                                                                        feld(form, "stand") +
                                                                        "&datum=2026-03-01&k_Schuhe=ok", a.cookie));
        QCOMPARE(r.status, 422);
        QVERIFY2(r.body.contains("id=\"meldung\">" + hinweis.toUtf8()), r.body.constData());
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 0);
        QCOMPARE(PruefFixture::stored("LT_LEIT", id), vorher);
        c = Engine::instance().backend().select("SELECT COUNT(*) FROM LT_VERLAUF");
        QCOMPARE(c->next() ? c->intValue(0) : -1, verlauf);
        c.reset();

        // With an inspector of that name (case aside) the same form saves, naming the inspector.
        const int pruefer = PruefFixture::addPruefer("chef");
        const WebAntwort neu = a.holen("/l/5/pruefen");
        QVERIFY(!neu.body.contains("ohnePruefer"));
        QCOMPARE(a.app->bearbeiten(post("/l/5/pruefen", "token=" + feld(neu, "token") + "&stand=" + feld(neu, "stand") +
                                                            "&datum=2026-03-01&k_Schuhe=ok", a.cookie))
                     .status,
                 303);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);
        auto p = Engine::instance().backend().select("SELECT Pruefer_ID FROM LT_PRUEF");
        QVERIFY(p->next());
        QCOMPARE(p->intValue(0), qint64(pruefer));
    }

    // The remark as the form composes it: one line per defect described, named with its
    // group, then the general remark; a text beside a criterion in order is not taken, and a
    // text too long is refused with nothing written.
    void bemerkungAusDemFormular_data()
    {
        QTest::addColumn<QByteArray>("eingaben");
        QTest::addColumn<int>("status");
        QTest::addColumn<QVariant>("bemerkung");
        QTest::newRow("Mängel und Bemerkung")
            << QByteArray("k_Schuhe=mangel&b_Schuhe=++abgelaufen%0D%0Aund+rissig&k_Ho_Verform=mangel&b_Ho_Verform=Delle"
                          "&bemerkung=Ersatz+bestellt%0D%0A%3Cb%3EMeier%3C%2Fb%3E+%C3%84rger%0D%0A")
            << 303 << QVariant("Schuhe / Spitzen: abgelaufen und rissig\nHolme – Verformung: Delle\nErsatz bestellt\n<b>Meier</b> Ärger");
        QTest::newRow("Mangel ohne Text") << QByteArray("k_Schuhe=mangel&k_Ho_Verform=ok&b_Ho_Verform=vergessen")
                                          << 303 << QVariant();
        QTest::newRow("nur Bemerkung") << QByteArray("k_Schuhe=ok&k_Ho_Verform=ok&bemerkung=+sauber+")
                                       << 303 << QVariant("sauber");
        QTest::newRow("Mangel zu lang") << QByteArray("k_Schuhe=mangel&k_Ho_Verform=ok&b_Schuhe=") + QByteArray(201, 'x')
                                        << 400 << QVariant();
        QTest::newRow("Bemerkung zu lang") << QByteArray("k_Schuhe=ok&k_Ho_Verform=ok&bemerkung=") + QByteArray(2001, 'x')
                                           << 400 << QVariant();
    }
    void bemerkungAusDemFormular()
    {
        QFETCH(QByteArray, eingaben);
        QFETCH(int, status);
        QFETCH(QVariant, bemerkung);
        PruefFixture f;
        benutzer();
        PruefFixture::addKind(1, "Jährlich", 1, 0, 0);
        PruefFixture::addPruefer("Chef");
        PruefFixture::addLadder(5, {{"PruefungArt_ID", 1}, {"PrSchuhe", true}, {"PrHo_Verform", true}});
        Angemeldet a(uhr());
        const WebAntwort form = a.holen("/l/5/pruefen");
        const WebAntwort r = a.app->bearbeiten(post("/l/5/pruefen", "token=" + feld(form, "token") + "&stand=" +
                                                                        feld(form, "stand") + "&datum=2026-03-01&" + eingaben,
                                                    a.cookie));
        QCOMPARE(r.status, status);
        if (status != 303) {
            QVERIFY2(r.body.contains("zu lang"), r.body.constData());
            QCOMPARE(PruefFixture::count("LT_PRUEF"), 0);
            return;
        }
        auto c = Engine::instance().backend().select("SELECT Bemerkung FROM LT_PRUEF");
        QVERIFY(c->next());
        QCOMPARE(c->isNull(0) ? QVariant() : QVariant(c->textValue(0)), bemerkung);
        c.reset();
        // Shown on the ladder page as text.
        const QString seite = QString::fromUtf8(a.holen("/l/5").body);
        if (bemerkung.isValid())
            QVERIFY2(seite.contains(html(bemerkung.toString().simplified())), qPrintable(seite));
        QVERIFY(!seite.contains("<b>Meier"));
    }

    // The handlers on a register: what needs a session, a token, a right.
    void seiten()
    {
        PruefFixture f;
        benutzer();
        PruefFixture::addKind(1, "Jährlich", 1, 0, 0);
        PruefFixture::addPruefer("Chef");
        PruefFixture::addLadder(5, {{"KurzBez", "Leiter \"A\" <b>"}, {"PruefungArt_ID", 1}, {"PrSchuhe", true}});
        WebZugang zugang;
        WebApp::Optionen o;
        o.uhr = uhr();
        o.heute = [] { return QDate(2026, 3, 1); };
        WebApp app(zugang, o);

        // Without a session: to the login, remembering where to go.
        WebAntwort r = app.bearbeiten(get("/l/5"));
        QCOMPARE(r.status, 303);
        QCOMPARE(r.kopfWert("Location"), "/anmelden?weiter=%2Fl%2F5");
        r = app.bearbeiten(post("/l/5/pruefen", "datum=2026-03-01"));
        QCOMPARE(r.status, 403);

        // The login form's token must come back with the cookie it was given with.
        const WebAntwort form = app.bearbeiten(get("/anmelden?weiter=//evil.example"));
        QVERIFY(form.body.contains("name=\"weiter\" value=\"/suche\""));
        r = app.bearbeiten(post("/anmelden", "name=Chef&passwort=chef1&token=" + feld(form, "token")));
        QCOMPARE(r.status, 403);
        QVERIFY(cookieWert(r, WebApp::SitzungsCookie).isEmpty());

        const QByteArray chef = anmelden(app, "Chef", "chef1");
        QVERIFY(!chef.isEmpty());
        const QByteArray c = QByteArray(WebApp::SitzungsCookie) + '=' + chef;
        r = app.bearbeiten(get("/l/5", c));
        QCOMPARE(r.status, 200);
        QVERIFY(r.body.contains("Leiter &quot;A&quot; &lt;b&gt;"));
        QVERIFY(!r.body.contains("<b>"));
        QVERIFY(r.kopfWert("Content-Security-Policy").contains("default-src 'none'"));

        r = app.bearbeiten(get("/l/5/pruefen", c));
        const QByteArray token = feld(r, "token");
        const QByteArray stand = feld(r, "stand");
        QVERIFY(!token.isEmpty());
        // A criterion left open is refused and nothing is written.
        r = app.bearbeiten(post("/l/5/pruefen", "token=" + token + "&stand=" + stand + "&datum=2026-03-01", c));
        QCOMPARE(r.status, 400);
        QVERIFY(r.body.contains("Bitte jedes Kriterium bewerten"));
        r = app.bearbeiten(post("/l/5/pruefen", "token=" + token + "&stand=" + stand + "&datum=2026-02-30&k_Schuhe=ok", c));
        QCOMPARE(r.status, 400);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 0);
        r = app.bearbeiten(post("/l/5/pruefen", "token=" + token + "&stand=" + stand + "&datum=2026-03-01&k_Schuhe=ok", c));
        QCOMPARE(r.status, 303);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);
        // The same form again: the ladder has moved on.
        r = app.bearbeiten(post("/l/5/pruefen", "token=" + token + "&stand=" + stand + "&datum=2026-03-01&k_Schuhe=ok", c));
        QCOMPARE(r.status, 409);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);

        // A reader sees the ladder but records nothing, whatever it posts.
        const QByteArray leser = anmelden(app, "Leser", "lesen1");
        const QByteArray lc = QByteArray(WebApp::SitzungsCookie) + '=' + leser;
        r = app.bearbeiten(get("/l/5", lc));
        QCOMPARE(r.status, 200);
        QVERIFY(!r.body.contains("/pruefen"));
        const QByteArray lt = feld(r, "token");
        r = app.bearbeiten(post("/l/5/pruefen", "token=" + lt + "&stand=" + stand + "&datum=2026-03-01&k_Schuhe=ok", lc));
        QCOMPARE(r.status, 403);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);

        // Logging out ends the session for good.
        r = app.bearbeiten(post("/abmelden", "token=" + token, c));
        QCOMPARE(r.status, 303);
        QCOMPARE(app.bearbeiten(get("/l/5", c)).status, 303);
    }

    // Phones that save at the same moment, each on a connection of its own: of one ladder's
    // form only the first is stored and the others are told of the conflict; different
    // ladders are all stored. Either way each stored inspection has its history rows, the
    // history's chain stays unbroken, and a transaction's locks and counters do not carry
    // over into the next round.
    void gleichzeitigGespeichert_data()
    {
        QTest::addColumn<bool>("eineLeiter");
        QTest::newRow("dieselbe Leiter") << true;
        QTest::newRow("verschiedene Leitern") << false;
    }
    void gleichzeitigGespeichert()
    {
        QFETCH(bool, eineLeiter);
        constexpr int telefone = 4;
        constexpr int runden = 2;
        PruefFixture f;
        benutzer();
        PruefFixture::addKind(1, "Jährlich", 1, 0, 0);
        PruefFixture::addPruefer("Chef");
        QList<int> ids;
        for (int i = 0; i < telefone; ++i)
            ids << PruefFixture::addLadder(5 + i, {{"KurzBez", QStringLiteral("L%1").arg(i)}, {"PruefungArt_ID", 1},
                                                   {"PrSchuhe", true}});
        WebZugang zugang;
        WebApp::Optionen o;
        o.uhr = uhr();
        o.heute = [] { return QDate(2026, 3, 1); };
        o.verbindungen = telefone;
        WebApp app(zugang, o);
        QList<QByteArray> cookies;
        for (int i = 0; i < telefone; ++i)
            cookies << QByteArray(WebApp::SitzungsCookie) + '=' + anmelden(app, "Chef", "chef1");

        int gespeichert = 0;
        for (int runde = 0; runde < runden; ++runde) {
            QList<WebAnfrage> posts;
            for (int i = 0; i < telefone; ++i) {
                const QString pfad = QStringLiteral("/l/%1/pruefen").arg(eineLeiter ? 5 : 5 + i);
                const WebAntwort form = app.bearbeiten(get(pfad, cookies[i]));
                QCOMPARE(form.status, 200);
                posts << post(pfad, "token=" + feld(form, "token") + "&stand=" + feld(form, "stand") +
                                        "&datum=2026-03-0" + QByteArray::number(1 + runde) + "&k_Schuhe=ok",
                              cookies[i]);
            }
            QList<WebAntwort> antworten;
            for (const WebAnfrage& a : posts)
                app.bearbeiten(a, [&](const WebAntwort& w) { antworten << w; });
            QTRY_COMPARE_WITH_TIMEOUT(antworten.size(), telefone, 30000);
            int ok = 0;
            for (const WebAntwort& w : antworten) {
                if (w.status == 303) {
                    ++ok;
                } else {
                    QCOMPARE(w.status, 409);
                    QVERIFY(w.body.contains("wurde inzwischen geändert"));
                }
            }
            QCOMPARE(ok, eineLeiter ? 1 : telefone);
            gespeichert += ok;
        }
        QCOMPARE(PruefFixture::count("LT_PRUEF"), gespeichert);
        for (int i = 0; i < (eineLeiter ? 1 : telefone); ++i)
            QCOMPARE(PruefFixture::stored("LT_LEIT", ids[i]).value("PruefTermin").toDate(), QDate(2027, 3, 2));
        Backend& db = Engine::instance().backend("TARVINO");
        auto c = db.select("SELECT COUNT(DISTINCT DS_ID) FROM LT_VERLAUF WHERE Tabelle = 'LT_PRUEF' AND Aktion = 'Neu'");
        QVERIFY(c->next());
        QCOMPARE(int(c->intValue(0)), gespeichert);
        c.reset();
        const Verlauf::Pruefung kette = Verlauf::pruefen(db);
        QVERIFY2(kette.intakt, qPrintable(kette.text));
    }

    // Without server roles the sessions share the web server's few connections to the register
    // (aliases of its own, beside the register's), taken in turn, outside the server's own
    // thread; each saves under its own name, and what one saves the others read.
    void sitzungenTeilenVerbindungen()
    {
        PruefFixture f;
        benutzer();
        PruefFixture::addKind(1, "Jährlich", 1, 0, 0);
        PruefFixture::addPruefer("Chef");
        const int leiter = PruefFixture::addLadder(5, {{"KurzBez", "Fünf"}, {"PruefungArt_ID", 1}, {"PrSchuhe", true}});
        WebZugang zugang;
        WebApp::Optionen o;
        o.uhr = uhr();
        o.heute = [] { return QDate(2026, 3, 1); };
        o.verbindungen = 2;
        WebApp app(zugang, o);
        Engine& e = Engine::instance();

        const QByteArray chef = QByteArray(WebApp::SitzungsCookie) + '=' + anmelden(app, "Chef", "chef1");
        const QByteArray leser = QByteArray(WebApp::SitzungsCookie) + '=' + anmelden(app, "Leser", "lesen1");
        const QByteArray dritte = QByteArray(WebApp::SitzungsCookie) + '=' + anmelden(app, "Leser", "lesen1");
        QCOMPARE(app.bearbeiten(get("/l/5", chef)).status, 200);
        QCOMPARE(app.bearbeiten(get("/l/5", leser)).status, 200);
        QCOMPARE(app.bearbeiten(get("/l/5", dritte)).status, 200);
        QVERIFY(e.aliasKnown("TARVINO_WEB1"));
        QVERIFY(e.aliasKnown("TARVINO_WEB2"));
        QVERIFY(!e.aliasKnown("TARVINO_WEB3"));
        QCOMPARE(e.aliasPath("TARVINO_WEB1"), e.aliasPath("TARVINO"));
        QCOMPARE(e.aliasPath("TARVINO_WEB2"), e.aliasPath("TARVINO"));
        // What one session saves, the other reads.
        WebAntwort r = app.bearbeiten(get("/l/5/pruefen", chef));
        r = app.bearbeiten(post("/l/5/pruefen", "token=" + feld(r, "token") + "&stand=" + feld(r, "stand") +
                                                    "&datum=2026-03-01&k_Schuhe=ok", chef));
        QCOMPARE(r.status, 303);
        r = app.bearbeiten(get("/l/5", leser));
        QVERIFY(r.body.contains("01.03.2027"));
        r = app.bearbeiten(get("/l/5", dritte));
        QVERIFY(r.body.contains("01.03.2027"));
        // The change stamp names the person of the session, not the server.
        QCOMPARE(PruefFixture::stored("LT_LEIT", leiter).value("LAendName").toString(), QStringLiteral("Chef"));

        r = app.bearbeiten(get("/suche", leser));
        app.bearbeiten(post("/abmelden", "token=" + feld(r, "token"), leser));
        QCOMPARE(app.sitzungen().anzahl(), 2);
        // Idle past its time: ended by the server's round, without a request of the phone.
        m_jetzt = m_jetzt.addSecs(31 * 60);
        app.sitzungen().abgelaufeneBeenden();
        QCOMPARE(app.sitzungen().anzahl(), 0);
        // The register's own alias stays.
        QVERIFY(e.aliasKnown("TARVINO"));
    }
};

QTEST_MAIN(TestWeb)
#include "tst_web.moc"
