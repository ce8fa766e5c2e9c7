#pragma once
#include "UserRights.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>

class SitzungsArbeit;

// What the pages of a session need to know of it; a copy travels to the session's thread.
struct SitzungsSicht {
    QString benutzer;
    TUserRights rechte;
    QByteArray formToken;        // hidden field of every form of this session
};

// A logged-in phone: its register access runs in a thread of its own, on a connection of its
// own, and ends with the session.
struct Sitzung : SitzungsSicht {
    QDateTime beginn;
    QDateTime zuletzt;
    std::shared_ptr<SitzungsArbeit> arbeit;
};

// The sessions of the web server. A session is known by a random cookie value; only its
// SHA-256 is kept, so not even a memory dump yields a cookie that works. A session ends after
// idle minutes without a request, and after twelve hours whatever happens.
class Sitzungen {
public:
    static constexpr qint64 LaengsteDauerSek = 12 * 3600;

    explicit Sitzungen(int leerlaufMinuten = 30, std::function<QDateTime()> uhr = &QDateTime::currentDateTimeUtc);

    // A new session; the cookie value to hand to the browser.
    QByteArray anlegen(const QString& benutzer, TUserRights rechte, std::shared_ptr<SitzungsArbeit> arbeit = {});
    // The live session of a cookie value (its idle time starts again); nullptr when none.
    Sitzung* finden(const QByteArray& cookieWert);
    void beenden(const QByteArray& cookieWert);
    // Sessions of a user end when the user is locked or removed meanwhile.
    void benutzerBeenden(const QString& benutzer);
    // Ends the sessions idle too long or too old (with their threads and connections).
    void abgelaufeneBeenden() { aufraeumen(m_uhr()); }
    int anzahl() const { return int(m_sitzungen.size()); }
    qint64 leerlaufSek() const { return m_leerlaufSek; }

    // Random bytes as URL-safe text (cookie values and form tokens).
    static QByteArray zufall(int bytes = 32);
    // Constant-time comparison of two tokens.
    static bool gleich(const QByteArray& a, const QByteArray& b);

private:
    static QByteArray schluessel(const QByteArray& cookieWert);
    void aufraeumen(const QDateTime& jetzt);

    qint64 m_leerlaufSek;
    std::function<QDateTime()> m_uhr;
    QHash<QByteArray, Sitzung> m_sitzungen;
};
