#pragma once
#include <QDateTime>
#include <QHash>
#include <QString>
#include <functional>

// Slows down password guessing: after a few wrong tries for one user name, or from one
// address, further tries are refused for a while that doubles with every wrong try, up to a
// quarter of an hour. The password is not even checked while refused.
class AnmeldeBremse {
public:
    static constexpr int FreieVersuche = 5;
    static constexpr qint64 ErsteSperreSek = 30;
    static constexpr qint64 LaengsteSperreSek = 15 * 60;
    // Wrong tries older than this are forgotten.
    static constexpr qint64 VergessenNachSek = 60 * 60;

    explicit AnmeldeBremse(std::function<QDateTime()> uhr = &QDateTime::currentDateTimeUtc);

    // Seconds until the next try of this name from this address may be checked; 0: now.
    qint64 wartezeit(const QString& name, const QString& adresse);
    void fehlversuch(const QString& name, const QString& adresse);
    // A successful login clears the wrong tries of the name (those of the address stay, so
    // one known account cannot clear an address that guesses at others).
    void erfolg(const QString& name);

private:
    struct Stand {
        int fehler = 0;
        QDateTime letzter;
        QDateTime gesperrtBis;
    };
    qint64 rest(const QString& key, const QDateTime& jetzt);
    void zaehle(const QString& key, const QDateTime& jetzt);
    void aufraeumen(const QDateTime& jetzt);

    std::function<QDateTime()> m_uhr;
    QHash<QString, Stand> m_staende;
};
