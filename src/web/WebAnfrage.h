#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

// A request as the pages see it, free of the HTTP server, so the handlers can be tested
// without a network.
struct WebAnfrage {
    QByteArray methode;                       // "GET", "POST"
    QString pfad;                             // percent-encoded path, "/l/17"
    QUrlQuery query;
    QHash<QByteArray, QByteArray> kopf;       // header names in lower case
    QByteArray body;
    QString adresse;                          // the client's address

    QByteArray cookie(const QByteArray& name) const;
    // Fields of an application/x-www-form-urlencoded body; the last of equal names wins.
    QHash<QString, QString> formular() const;
};

struct WebAntwort {
    int status = 200;
    QByteArray typ = "text/html; charset=utf-8";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> kopf;
    // With HW_WEB_ZEITEN: the parts of the session thread's time (Server-Timing entries) and
    // the moment its work ended (WebZeiten).
    QByteArray zeiten;
    qint64 fertigNs = 0;

    static WebAntwort weiter(const QString& ziel, int status = 303);
    void setzeKopf(const QByteArray& name, const QByteArray& wert) { kopf.append({name, wert}); }
    QByteArray kopfWert(const QByteArray& name) const;
};
