#include "WebServer.h"

#include "WebAnfrage.h"
#include "WebApp.h"
#include "WebZeiten.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QPointer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <memory>

WebAnfrage anfrageAus(const QHttpServerRequest& r)
{
    WebAnfrage a;
    switch (r.method()) {
    case QHttpServerRequest::Method::Get: a.methode = "GET"; break;
    case QHttpServerRequest::Method::Post: a.methode = "POST"; break;
    case QHttpServerRequest::Method::Head: a.methode = "HEAD"; break;
    default: a.methode = "OTHER"; break;
    }
    // Encoded, so that an encoded "/" inside a label value stays inside its segment.
    a.pfad = r.url().path(QUrl::FullyEncoded);
    a.query = r.query();
    for (const auto& [k, v] : r.headers()) {
        const QByteArray key = k.toLower();
        // Several Cookie lines count as one.
        if (a.kopf.contains(key) && key == "cookie")
            a.kopf[key] += "; " + v;
        else
            a.kopf.insert(key, v);
    }
    a.body = r.body();
    QHostAddress addr = r.remoteAddress();
    bool v4 = false;
    const quint32 ip4 = addr.toIPv4Address(&v4);
    a.adresse = v4 ? QHostAddress(ip4).toString() : addr.toString();
    return a;
}

WebServer::WebServer(WebApp& app, QObject* parent) : QAbstractHttpServer(parent), m_app(app) {}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const qint64 an = WebZeiten::an() ? WebZeiten::jetzt() : 0;
    const WebAnfrage a = anfrageAus(request);
    // The answer may come later, from the session's thread; the phone may have gone by then.
    auto antworter = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
    const bool head = a.methode == "HEAD";
    m_app.bearbeiten(a, [antworter, head, verbindung = QPointer<QTcpSocket>(socket), an](const WebAntwort& w) {
        if (!verbindung || verbindung->state() != QAbstractSocket::ConnectedState)
            return;
        QHttpServerResponse resp(w.typ, head ? QByteArray() : w.body,
                                 static_cast<QHttpServerResponse::StatusCode>(w.status));
        for (const auto& [k, v] : w.kopf)
            resp.addHeader(k, v);
        if (an && !w.zeiten.isEmpty()) {
            // The way back from the session's thread, and when the request came and left.
            const qint64 jetzt = WebZeiten::jetzt();
            resp.addHeader("Server-Timing", w.zeiten + ", zurueck;dur=" +
                                                QByteArray::number(double(jetzt - w.fertigNs) / 1e6, 'f', 3) +
                                                ", an;desc=" + QByteArray::number(an) +
                                                ", ab;desc=" + QByteArray::number(jetzt));
        }
        resp.write(std::move(*antworter));
    });
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

UmleitServer::UmleitServer(const QString& baseUrl, int httpsPort, QObject* parent)
    : QAbstractHttpServer(parent), m_baseUrl(baseUrl), m_httpsPort(httpsPort)
{
}

QString UmleitServer::ziel(const QString& baseUrl, int httpsPort, const QByteArray& hostKopf, const QByteArray& pfadUndQuery)
{
    QByteArray pfad = pfadUndQuery;
    if (!pfad.startsWith('/') || pfad.startsWith("//"))
        pfad = "/";
    if (!baseUrl.isEmpty())
        return baseUrl + QString::fromLatin1(pfad);
    // The Host header comes from the client: only a plain host name or address is taken.
    static const QRegularExpression hostOhnePort(QStringLiteral("^(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9.-]{1,253})(:\\d+)?$"));
    const QRegularExpressionMatch m = hostOhnePort.match(QString::fromLatin1(hostKopf));
    const QString host = m.hasMatch() ? m.captured(1) : QStringLiteral("localhost");
    return QStringLiteral("https://%1%2%3")
        .arg(host, httpsPort == 443 ? QString() : QStringLiteral(":%1").arg(httpsPort), QString::fromLatin1(pfad));
}

bool UmleitServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QByteArray host;
    for (const auto& [k, v] : request.headers())
        if (k.compare("host", Qt::CaseInsensitive) == 0)
            host = v;
    const QByteArray pfad = request.url().toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    QHttpServerResponse resp("text/plain; charset=utf-8", QByteArray("Bitte HTTPS verwenden.\n"),
                             QHttpServerResponse::StatusCode::MovedPermanently);
    resp.addHeader("Location", ziel(m_baseUrl, m_httpsPort, host, pfad).toUtf8());
    resp.write(makeResponder(request, socket));
    return true;
}

void UmleitServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}
