#include "JourneyFixture.h"

#include "Anmeldung.h"
#include "Engine.h"
#include "LeiterVerw.h"
#include "LeiterGrid.h"
#include "CursorModel.h"
#include "WebApp.h"
#include "WebZugang.h"

#include <QAbstractItemView>
#include <QRegularExpression>
#include <QTabBar>
#include <QtTest>

// An inspection recorded on a phone while the desktop program shows the same register: the
// desktop's ladder grid and inspection list show it after F5, with the due date computed.
class TestJourneysWeb : public QObject {
    Q_OBJECT

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
    static WebAnfrage anfrage(const QByteArray& methode, const QString& pfad, const QByteArray& cookies,
                              const QByteArray& body = {})
    {
        WebAnfrage a;
        a.methode = methode;
        a.pfad = pfad;
        a.kopf.insert("cookie", cookies);
        a.body = body;
        a.adresse = "10.0.0.7";
        return a;
    }

private slots:
    void init() { resetDialogsForTest(); }

    void telefonPruefungImProgramm()
    {
        Journey j;
        // The phone's login needs the user table with a user who may record.
        BenutzerTabelleEinrichten();
        ErsterAdministrator("Meier", "meier1", "master");
        j.open();
        j.clickLadder(1);
        QTabBar* tabs = j.w->tabSet();
        Journey::click(tabs, tabs->tabRect(2).center());
        auto* liste = qobject_cast<QAbstractItemView*>(j.child("DBGridLtPruef"));
        QVERIFY(liste);
        QCOMPARE(liste->model()->rowCount(), 2);

        WebZugang zugang;
        WebApp app(zugang, WebApp::Optionen());
        const WebAntwort form = app.bearbeiten(anfrage("GET", "/anmelden", {}));
        const WebAntwort login = app.bearbeiten(
            anfrage("POST", "/anmelden", QByteArray(WebApp::AnmeldeCookie) + '=' + cookieWert(form, WebApp::AnmeldeCookie),
                    "name=Meier&passwort=meier1&token=" + feld(form, "token")));
        const QByteArray c = QByteArray(WebApp::SitzungsCookie) + '=' + cookieWert(login, WebApp::SitzungsCookie);
        const WebAntwort pf = app.bearbeiten(anfrage("GET", "/l/1/pruefen", c));
        QCOMPARE(pf.status, 200);
        const QDate heute = QDate::currentDate();
        const WebAntwort gesp = app.bearbeiten(anfrage("POST", "/l/1/pruefen", c,
                                                      "token=" + feld(pf, "token") + "&stand=" + feld(pf, "stand") +
                                                          "&datum=" + heute.toString(Qt::ISODate).toLatin1() +
                                                          "&k_Material=ok&k_Verbindungen=mangel"));
        QCOMPARE(gesp.status, 303);
        // Kind 1 is yearly: the next date is a year after the new inspection.
        const QDate neu = heute.addYears(1);
        QCOMPARE(j.ladder(1).value("PruefTermin").toDate(), neu);

        Journey::key(Qt::Key_F5);
        QTRY_COMPARE(liste->model()->rowCount(), 3);
        const int spalte = j.w->grid()->cursorModel()->columnOf(QStringLiteral("PruefTermin"));
        const QString angezeigt = j.w->grid()->model()->index(j.rowOfNr(1), spalte).data().toString();
        QVERIFY2(angezeigt.contains(neu.toString(QStringLiteral("dd.MM.yy"))), qPrintable(angezeigt));
        bool gefunden = false;
        for (int r = 0; r < liste->model()->rowCount(); ++r)
            for (int col = 0; col < liste->model()->columnCount(); ++col)
                if (liste->model()->index(r, col).data().toString().contains(heute.toString(QStringLiteral("dd.MM.yy"))))
                    gefunden = true;
        QVERIFY(gefunden);
    }
};

QTEST_MAIN(TestJourneysWeb)
#include "tst_journeys_web.moc"
