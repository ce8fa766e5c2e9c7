#include "WebStart.h"

#include "BarcodeWert.h"
#include "Errors.h"
#include "WebApp.h"
#include "WebZugang.h"
#include "WebServer.h"
#include "Zertifikat.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QUrl>

WebDienst::~WebDienst()
{
    umleitung.reset();
    server.reset();
    app.reset();
    zugang.reset();
}

std::unique_ptr<WebDienst> starteWebDienst(const WebEinstellungen& e, const std::function<void(const QString&)>& meldung)
{
    auto d = std::make_unique<WebDienst>();
    // A label's phone address typed or pasted into the search is read as a scan of it.
    BarcodeWert::setWebBasis(e.baseUrl);
    QStringList namen = {QHostInfo::localHostName(), QStringLiteral("localhost"), QStringLiteral("127.0.0.1")};
    const QString baseHost = QUrl(e.baseUrl).host();
    if (!baseHost.isEmpty())
        namen.prepend(baseHost);
    if (e.adresse != QLatin1String("0.0.0.0") && e.adresse != QLatin1String("::"))
        namen << e.adresse;
    const ServerZertifikat z = ladeOderErzeuge(e.zertifikat, e.schluessel, namen);
    d->fingerabdruck = fingerabdruck(z.zertifikat);
    d->zertifikatNeu = z.neu;
    meldung(QStringLiteral("Zertifikat %1%2").arg(e.zertifikat, z.neu ? QStringLiteral(" (neu erzeugt, selbst signiert)") : QString()));
    meldung(QStringLiteral("SHA-256-Fingerabdruck: %1").arg(d->fingerabdruck));

    QHostAddress adresse;
    if (!adresse.setAddress(e.adresse))
        throw HwError(QStringLiteral("[Web] Adresse=%1 ist keine IP-Adresse.").arg(e.adresse));

    d->zugang = std::make_unique<WebZugang>();
    if (d->zugang->rollen())
        meldung(QStringLiteral("Der Datenbankserver prüft die Rechte: jede Sitzung arbeitet mit der Anmeldung ihres Benutzers"));
    WebApp::Optionen o;
    o.sitzungMinuten = e.sitzungMinuten;
    o.verbindungen = e.verbindungen;
    d->app = std::make_unique<WebApp>(*d->zugang, o);
    d->server = std::make_unique<WebServer>(*d->app);
    d->server->sslSetup(z.zertifikat, z.schluessel);
    d->port = d->server->listen(adresse, quint16(e.port));
    if (d->port == 0)
        throw HwError(QStringLiteral("Der Web-Server kann nicht auf %1:%2 lauschen (Port belegt oder keine Berechtigung).")
                          .arg(e.adresse)
                          .arg(e.port));
    meldung(QStringLiteral("HTTPS auf %1:%2").arg(e.adresse).arg(d->port));
    if (e.httpPort > 0) {
        d->umleitung = std::make_unique<UmleitServer>(e.baseUrl, d->port);
        d->httpPort = d->umleitung->listen(adresse, quint16(e.httpPort));
        if (d->httpPort == 0)
            throw HwError(QStringLiteral("Der Web-Server kann nicht auf %1:%2 (HTTP-Umleitung) lauschen.")
                              .arg(e.adresse)
                              .arg(e.httpPort));
        meldung(QStringLiteral("HTTP auf %1:%2 leitet nur auf HTTPS um").arg(e.adresse).arg(d->httpPort));
    }
    if (!e.baseUrl.isEmpty())
        meldung(QStringLiteral("Auf dem Telefon öffnen: %1/").arg(e.baseUrl));
    return d;
}
