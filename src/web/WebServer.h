#pragma once
#include <QAbstractHttpServer>
#include <functional>

class WebApp;
struct WebAnfrage;
struct WebAntwort;

// HTTPS server that hands every request to the pages.
class WebServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit WebServer(WebApp& app, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    WebApp& m_app;
};

// Plain HTTP: every request is sent on to the same path over HTTPS, nothing else is served.
class UmleitServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    // baseUrl: "https://host:port" of the HTTPS server; empty: the host the request named,
    // with httpsPort.
    UmleitServer(const QString& baseUrl, int httpsPort, QObject* parent = nullptr);

    // The target of a request (tests).
    static QString ziel(const QString& baseUrl, int httpsPort, const QByteArray& hostKopf, const QByteArray& pfadUndQuery);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    QString m_baseUrl;
    int m_httpsPort;
};

// The request as the pages take it.
WebAnfrage anfrageAus(const QHttpServerRequest& request);
