#pragma once
#include "WebEinstellungen.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QObject;
class WebApp;
class WebZugang;
class WebServer;
class UmleitServer;

// The running web server: the register's access, pages, the HTTPS server and the redirect.
struct WebDienst {
    std::unique_ptr<WebZugang> zugang;
    std::unique_ptr<WebApp> app;
    std::unique_ptr<WebServer> server;
    std::unique_ptr<UmleitServer> umleitung;
    quint16 port = 0;           // HTTPS, as bound
    quint16 httpPort = 0;       // 0: no redirect
    QString fingerabdruck;
    bool zertifikatNeu = false;
    ~WebDienst();
};

// Starts the server on the engine as configured (the alias TARVINO must be known: a data
// directory, or a server with a shared role or with its own roles); the lines
// for the log go to meldung. Port 0 binds any free port (tests). HwError when the certificate
// cannot be had or a port cannot be bound.
std::unique_ptr<WebDienst> starteWebDienst(const WebEinstellungen& e, const std::function<void(const QString&)>& meldung);
