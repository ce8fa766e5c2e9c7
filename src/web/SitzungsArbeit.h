#pragma once
#include "WebAnfrage.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <functional>
#include <memory>

class WebArbeitsplatz;

// The register access of one phone's session: a thread of its own with a workplace on an
// alias of its own (its own connection, on a server the person's own login). Requests of
// different sessions run at the same time; those of one session one after the other, in the
// order they came. Nothing of the workplace is touched outside its thread.
class SitzungsArbeit {
public:
    // alias: registered already (Engine::addSessionAlias or adoptBackend); closed with the
    // session. The workplace is made in the thread, with the first request.
    SitzungsArbeit(const QString& alias, const QString& benutzer);
    // Waits for the request running, then closes the workplace and the alias in the thread.
    ~SitzungsArbeit();
    SitzungsArbeit(const SitzungsArbeit&) = delete;
    SitzungsArbeit& operator=(const SitzungsArbeit&) = delete;

    using Seite = std::function<WebAntwort(WebArbeitsplatz&)>;
    using FehlerSeite = std::function<WebAntwort(const QString& meldung)>;
    // Runs seite in the session's thread; fertig gets its answer in the thread of kontext.
    // An error of the register (HwError, also while connecting) becomes fehler's page.
    void ausfuehren(Seite seite, FehlerSeite fehler, QObject* kontext, std::function<void(const WebAntwort&)> fertig);

    QString alias() const { return m_alias; }

private:
    WebArbeitsplatz& arbeitsplatz();      // in m_thread only

    const QString m_alias;
    const QString m_benutzer;
    QThread m_thread;
    QObject* m_ziel = nullptr;                  // lives in m_thread
    std::unique_ptr<WebArbeitsplatz> m_ap;      // made, used and ended in m_thread only
};
