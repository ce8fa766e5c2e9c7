// A small register served by the web server on a free port, for the browser tests: prints
// "PORT <https> <http>" once it listens, then answers "SQL <select>" lines on stdin with
// "ROW <json array>" lines and "END", so the tests read what the database holds. "QUIT" ends.
// With HW_TEST_BACKEND=pgsql the register lies on the test PostgreSQL server.
#include "Anmeldung.h"
#include "BenutzerVerwaltung.h"
#include "Engine.h"
#include "PruefFixture.h"
#include "Query.h"
#include "TabellenPasswoerter.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserState.h"
#include "WebServer.h"
#include "WebStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

namespace {

void benutzer()
{
    BenutzerTabelleEinrichten();
    ErsterAdministrator(QStringLiteral("Chef"), QStringLiteral("chef1"), QStringLiteral("master"));
    Engine::instance().addPassword(QStringLiteral("master"));
    BenutzerVerwaltung bv;
    bv.Detail->open();
    auto add = [&](const char* name, const char* pw, TUserRights r, bool locked) {
        bv.RechteZumSpeichern = [r] { return r; };
        bv.Detail->append();
        bv.Detail->setValue(QStringLiteral("Name"), QString::fromUtf8(name));
        bv.SetPasswort(QString::fromUtf8(pw));
        bv.Detail->setValue(QStringLiteral("Gesperrt"), locked);
        bv.Speichern();
    };
    add("Meier", "geheim1", TUserRights::all(), false);
    add("Schulz", "geheim2", TUserRights::all(), false);
    // May record, but has no inspector row.
    add("Neuling", "neu123", TUserRights::all(), false);
    add("Leser", "lesen1", {crView, crPrint}, false);
    add("Gesperrt", "zu123", TUserRights::all(), true);
    bv.Detail->close();
    Engine::instance().removeAllPasswords();
}

int firma(const QString& name, const QVariant& parent)
{
    Table t(QStringLiteral("FIRMEN"));
    t.open();
    t.append();
    t.setValue(QStringLiteral("KurzBez"), name);
    t.setValue(QStringLiteral("ParentID"), parent);
    t.post();
    const int id = t.field(QStringLiteral("ID")).asInteger();
    t.close();
    return id;
}

void register_()
{
    PruefFixture::addKind(1, QStringLiteral("Jährlich"), 1, 0, 0);
    PruefFixture::addKind(2, QStringLiteral("Halbjährlich"), 0, 6, 0);
    PruefFixture::addPruefer(QStringLiteral("Meier"));
    PruefFixture::addPruefer(QStringLiteral("Schulz"));
    const int werk = firma(QStringLiteral("Werk Nord"), QVariant());
    const int lager = firma(QStringLiteral("Lager"), werk);
    const int l101 = PruefFixture::addLadder(101, {{"KurzBez", "Stehleiter Lager"},
                                                   {"PruefungArt_ID", 1},
                                                   {"PruefTermin", QDate(2020, 1, 1)},
                                                   {"FirmenAbtID", lager},
                                                   {"PrMaterial", true},
                                                   {"PrHo_Verform", true},
                                                   {"PrSprS_Beschaed", true},
                                                   {"PrSonstiges", true},
                                                   {"PrSonstigesText", "Aufkleber lesbar"}});
    PruefFixture::addInspection(l101, {{"Datum", QDate(2019, 1, 1)}, {"PruefungArt_ID", 1}, {"PrMaterial", true},
                                       {"PrErlMaterial", true}});
    PruefFixture::addLadder(102, {{"KurzBez", "<script>alert(1)</script> & Co"}, {"PruefungArt_ID", 1}});
    PruefFixture::addLadder(103, {{"KurzBez", "Podest Halle 3"},
                                  {"PruefungArt_ID", 2},
                                  {"PruefTermin", QDate(2021, 3, 1)},
                                  {"PrSchuhe", true}});
}

QString text(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date().toString(Qt::ISODate);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return v.toString();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    grantRightsForTest();
    TestDataDir dir;
    benutzer();
    register_();
    BenutzerTabelleEinrichten();
    Engine::instance().setUserName(QStringLiteral("hw_web"));

    WebEinstellungen e;
    e.adresse = QStringLiteral("127.0.0.1");
    e.port = 0;
    e.httpPort = 0;
    e.zertifikat = QDir(dir.path()).filePath(QStringLiteral("web.crt"));
    e.schluessel = QDir(dir.path()).filePath(QStringLiteral("web.key"));
    std::unique_ptr<WebDienst> d;
    try {
        d = starteWebDienst(e, [](const QString& m) { std::fprintf(stderr, "hw_web: %s\n", qPrintable(m)); });
    } catch (const HwError& err) {
        std::fprintf(stderr, "%s\n", qPrintable(err.message()));
        return 1;
    }
    // The redirect on a port of its own.
    UmleitServer umleitung(QString(), d->port);
    const quint16 httpPort = umleitung.listen(QHostAddress::LocalHost, 0);
    std::printf("PORT %u %u\n", unsigned(d->port), unsigned(httpPort));
    std::fflush(stdout);

    QSocketNotifier eingabe(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&eingabe, &QSocketNotifier::activated, [&] {
        char buf[4096];
        if (!std::fgets(buf, sizeof buf, stdin)) {
            app.quit();
            return;
        }
        const QString line = QString::fromUtf8(buf).trimmed();
        if (line == QLatin1String("QUIT")) {
            app.quit();
            return;
        }
        if (line.startsWith(QLatin1String("SQL "))) {
            try {
                Query q;
                q.setSql(line.mid(4));
                q.open();
                for (q.first(); !q.eof(); q.next()) {
                    QJsonArray row;
                    for (int i = 0; i < q.fieldCount(); ++i)
                        row.append(text(q.fieldAt(i).value()));
                    std::printf("ROW %s\n", QJsonDocument(row).toJson(QJsonDocument::Compact).constData());
                }
                std::printf("END\n");
            } catch (const HwError& err) {
                std::printf("ERR %s\n", qPrintable(err.message()));
            }
            std::fflush(stdout);
        }
    });
    const int rc = app.exec();
    d.reset();
    return rc;
}
