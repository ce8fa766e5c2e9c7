#include "Backend.h"
#include "Engine.h"
#include "Errors.h"
#include "ServerLogin.h"
#include "ServerRollen.h"
#include "ServerUmstellung.h"
#include "SitzungsArbeit.h"
#include "Table.h"
#include "TestSupport.h"
#include "WebApp.h"
#include "WebArbeitsplatz.h"
#include "WebZugang.h"

#include <QRegularExpression>
#include <QtTest>

// The phones on a register whose PostgreSQL server enforces the rights with a role per
// person: each session works on the person's own login, so the server refuses what that
// person may not do, whatever the web server believes. Runs on the test server only.
class TestWebRollen : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataDir> m_dir;
    QString m_praefix;
    int m_leiterId = 0;

    std::unique_ptr<Backend> superuser() { return createPgBackend(m_dir->location()); }

    static int anzahl(Backend& db, const QString& sql)
    {
        auto c = db.select(QStringLiteral("SELECT COUNT(*) FROM ") + sql);
        return c->next() ? int(c->intValue(0)) : -1;
    }
    static QByteArray feld(const WebAntwort& w, const char* name)
    {
        const QRegularExpression re(QStringLiteral("name=\"%1\" value=\"([^\"]*)\"").arg(QLatin1String(name)));
        return re.match(QString::fromUtf8(w.body)).captured(1).toUtf8();
    }
    static QByteArray cookieWert(const WebAntwort& w, const QByteArray& name)
    {
        for (const auto& [k, v] : w.kopf)
            if (k == "Set-Cookie" && v.startsWith(name + '='))
                return v.mid(name.size() + 1, v.indexOf(';') - name.size() - 1);
        return {};
    }
    static WebAnfrage anfrage(const QByteArray& methode, const QString& pfad, const QByteArray& cookies = {},
                              const QByteArray& body = {})
    {
        WebAnfrage a;
        a.methode = methode;
        a.pfad = pfad;
        a.kopf.insert("cookie", cookies);
        a.body = body;
        a.adresse = "10.0.0.9";
        return a;
    }
    // The login form, then its post; the answer of the post.
    static WebAntwort anmelden(WebApp& app, const QByteArray& name, const QByteArray& pw)
    {
        const WebAntwort form = app.bearbeiten(anfrage("GET", "/anmelden"));
        return app.bearbeiten(anfrage("POST", "/anmelden",
                                      QByteArray(WebApp::AnmeldeCookie) + '=' + cookieWert(form, WebApp::AnmeldeCookie),
                                      "name=" + name + "&passwort=" + pw + "&token=" + feld(form, "token")));
    }
    static QByteArray sitzung(const WebAntwort& login)
    {
        return QByteArray(WebApp::SitzungsCookie) + '=' + cookieWert(login, WebApp::SitzungsCookie);
    }
    // A person of the register with a password of their own (the one-time one replaced).
    void person(Backend& chef, const QString& name, const QString& pw, int rechte)
    {
        ServerRollen::anlegen(chef, name, QStringLiteral("einmal1"), rechte);
        auto p = ServerLogin::connect(m_dir->location(), ServerRollen::rollenName(name), QStringLiteral("einmal1"));
        ServerRollen::eigenesPasswort(*p, pw);
    }

private slots:
    void init()
    {
        QVERIFY2(TestDataDir::onServer(), "tst_webrollen braucht den PostgreSQL-Testserver (HW_TEST_BACKEND=pgsql)");
        resetDialogsForTest();
        m_dir = std::make_unique<TestDataDir>();
        const QString datenbank = m_dir->location().section(QStringLiteral("dbname='"), 1).section(QLatin1Char('\''), 0, 0);
        m_praefix = datenbank + QLatin1Char('_');
        auto su = superuser();
        su->exec(QStringLiteral("DROP SCHEMA public CASCADE"));
        su->exec(QStringLiteral("CREATE SCHEMA public"));
        ServerRollen::einrichten(*su, m_praefix);
        const QString einmal = ServerErsterAdministrator(*su, QStringLiteral("WebChef"));
        ServerRollen::eigenesPasswort(*ServerLogin::connect(m_dir->location(), QStringLiteral("webchef"), einmal),
                                      QStringLiteral("chef12"));
        auto chef = ServerLogin::connect(m_dir->location(), QStringLiteral("webchef"), QStringLiteral("chef12"));
        person(*chef, QStringLiteral("WebAnna"), QStringLiteral("anna12"), 0);
        person(*chef, QStringLiteral("WebBernd"), QStringLiteral("bernd12"), ServerRollen::Einfuegen | ServerRollen::Aendern);
        person(*chef, QStringLiteral("WebCarl"), QStringLiteral("carl12"), ServerRollen::Einfuegen | ServerRollen::Aendern);
        ServerRollen::aendern(*chef, QStringLiteral("webcarl"), QStringLiteral("webcarl"), 0, true);
        ServerRollen::anlegen(*chef, QStringLiteral("WebDora"), QStringLiteral("einmal1"), ServerRollen::Einfuegen);

        // The register's data, written by the administrator's own login.
        ServerLogin::login(QStringLiteral("TARVINO"), QStringLiteral("webchef"), QStringLiteral("chef12"));
        Table k(QStringLiteral("PR_TAB"));
        k.open();
        k.append();
        k.setValue("Nr", 1);
        k.setValue("KurzBez", QStringLiteral("Jährlich"));
        k.setValue("Jahre", 1);
        k.post();
        // The person who records is an inspector too.
        Table pr(QStringLiteral("PRUEFER"));
        pr.open();
        pr.append();
        pr.setValue("KurzBez", QStringLiteral("WebBernd"));
        pr.post();
        pr.close();
        Table l(QStringLiteral("LT_LEIT"));
        l.open();
        l.append();
        l.setValue("Nr", 5);
        l.setValue("KurzBez", QStringLiteral("Leiter 5"));
        l.setValue("PruefungArt_ID", 1);
        l.setValue("PrSchuhe", true);
        l.post();
        m_leiterId = l.field("ID").asInteger();
        l.close();
        k.close();
        // The web server starts without any role of its own.
        Engine::instance().reset();
        m_dir->addAlias(QStringLiteral("TARVINO"));
    }

    void cleanup()
    {
        Engine::instance().reset();
        QString wartung = m_dir->location();
        wartung.replace(QRegularExpression(QStringLiteral("dbname='[^']*'")), QStringLiteral("dbname='postgres'"));
        std::unique_ptr<Backend> su = createPgBackend(wartung);
        m_dir.reset();
        auto c = su->select(QStringLiteral("SELECT rolname FROM pg_roles WHERE rolname IN ('webchef', 'webanna', 'webbernd', "
                                           "'webcarl', 'webdora') OR rolname LIKE ? ORDER BY rolname LIKE ? || '%'"),
                            {m_praefix + QLatin1Char('%'), m_praefix});
        QStringList rollen;
        while (c->next())
            rollen << c->textValue(0);
        c.reset();
        for (const QString& r : rollen)
            su->exec(QStringLiteral("DROP ROLE IF EXISTS \"%1\"").arg(r));
    }

    // Name and password are checked by the server: the person's own login or nothing.
    void anmeldung_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("passwort");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("richtig") << QByteArray("WebBernd") << QByteArray("bernd12") << 303 << QString();
        QTest::newRow("falsch") << QByteArray("WebBernd") << QByteArray("bernd13") << 401
                                << QStringLiteral("Benutzer oder Passwort ist falsch.");
        QTest::newRow("unbekannt") << QByteArray("Niemand") << QByteArray("bernd12") << 401
                                   << QStringLiteral("Benutzer oder Passwort ist falsch.");
        QTest::newRow("gesperrt") << QByteArray("WebCarl") << QByteArray("carl12") << 403 << QStringLiteral("gesperrt");
        QTest::newRow("einmal") << QByteArray("WebDora") << QByteArray("einmal1") << 403
                                << QStringLiteral("Einmal-Passwort");
    }
    void anmeldung()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, passwort);
        QFETCH(int, status);
        QFETCH(QString, text);
        WebZugang zugang;
        QVERIFY(zugang.rollen());
        WebApp app(zugang, WebApp::Optionen());
        const WebAntwort r = anmelden(app, name, passwort);
        QCOMPARE(r.status, status);
        QVERIFY2(QString::fromUtf8(r.body).contains(text), r.body.constData());
        QCOMPARE(app.sitzungen().anzahl(), status == 303 ? 1 : 0);
        // The web server keeps no connection for a refused login.
        auto su = superuser();
        QTRY_COMPARE(anzahl(*su, QStringLiteral("pg_stat_activity WHERE usename = '%1'").arg(QString::fromLatin1(name).toLower())),
                     status == 303 ? 1 : 0);
    }

    // A person with the rights saves on their own login: the row is the person's, and the
    // login ends with the session.
    void speichernAlsPerson()
    {
        WebZugang zugang;
        WebApp app(zugang, WebApp::Optionen());
        const QByteArray c = sitzung(anmelden(app, "WebBernd", "bernd12"));
        WebAntwort r = app.bearbeiten(anfrage("GET", "/l/5/pruefen", c));
        QCOMPARE(r.status, 200);
        r = app.bearbeiten(anfrage("POST", "/l/5/pruefen", c,
                                   "token=" + feld(r, "token") + "&stand=" + feld(r, "stand") + "&datum=" +
                                       QDate::currentDate().toString(Qt::ISODate).toLatin1() +
                                       "&k_Schuhe=mangel&b_Schuhe=rissig&bemerkung=%C3%96l"));
        QCOMPARE(r.status, 303);
        auto su = superuser();
        QCOMPARE(anzahl(*su, "LT_PRUEF WHERE Bemerkung = 'Schuhe / Spitzen: rissig\nÖl'"), 1);
        QCOMPARE(anzahl(*su, QStringLiteral("LT_LEIT WHERE LAendName = 'WebBernd' AND PruefTermin = '%1'")
                                 .arg(QDate::currentDate().addYears(1).toString(Qt::ISODate))),
                 1);
        QCOMPARE(anzahl(*su, "pg_stat_activity WHERE usename = 'webbernd'"), 1);
        r = app.bearbeiten(anfrage("GET", "/suche", c));
        QCOMPARE(app.bearbeiten(anfrage("POST", "/abmelden", c, "token=" + feld(r, "token"))).status, 303);
        QTRY_COMPARE(anzahl(*su, "pg_stat_activity WHERE usename = 'webbernd'"), 0);
    }

    // A person who may only view: the page offers nothing, a forged form is refused; and
    // where the web server would let it through, the server refuses on the person's login
    // and the phone shows the program's rights message. Nothing is written either way.
    void ansehenSpeichertNicht()
    {
        WebZugang zugang;
        WebApp app(zugang, WebApp::Optionen());
        const QByteArray c = sitzung(anmelden(app, "WebAnna", "anna12"));
        WebAntwort r = app.bearbeiten(anfrage("GET", "/l/5", c));
        QCOMPARE(r.status, 200);
        QVERIFY(!r.body.contains("/pruefen\""));
        const QByteArray token = feld(r, "token");
        r = app.bearbeiten(anfrage("POST", "/l/5/pruefen", c, "token=" + token + "&datum=2026-03-01&k_Schuhe=ok"));
        QCOMPARE(r.status, 403);

        // A session of the same person believed to have every right.
        WebZugang::Anmeldung anm = zugang.pruefen(QStringLiteral("WebAnna"), QStringLiteral("anna12"));
        QVERIFY(anm.verbindung);
        QVERIFY(!anm.ergebnis.rechte.contains(crInsert));
        auto arbeit = std::make_shared<SitzungsArbeit>(zugang.sitzungsAlias(std::move(anm.verbindung), "WebAnna"),
                                                       QStringLiteral("WebAnna"));
        const QByteArray wert = app.sitzungen().anlegen(QStringLiteral("WebAnna"), TUserRights::all(), arbeit);
        const QByteArray alle = QByteArray(WebApp::SitzungsCookie) + '=' + wert;
        r = app.bearbeiten(anfrage("GET", "/l/5/pruefen", alle));
        QCOMPARE(r.status, 200);
        r = app.bearbeiten(anfrage("POST", "/l/5/pruefen", alle,
                                   "token=" + feld(r, "token") + "&stand=" + feld(r, "stand") + "&datum=2026-03-01&k_Schuhe=ok"));
        // The save begins by locking the ladder for its new due date: refused as a change.
        QCOMPARE(r.status, 403);
        QVERIFY2(QString::fromUtf8(r.body).contains(QStringLiteral("Keine Berechtigung zum Ändern von Datensätzen vorhanden")),
                 r.body.constData());
        auto su = superuser();
        QCOMPARE(anzahl(*su, "LT_PRUEF"), 0);
        QCOMPARE(anzahl(*su, QStringLiteral("LT_LEIT WHERE PruefTermin IS NULL AND ID = %1").arg(m_leiterId)), 1);
    }
};

QTEST_MAIN(TestWebRollen)
#include "tst_webrollen.moc"
