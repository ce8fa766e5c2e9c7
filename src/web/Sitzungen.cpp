#include "Sitzungen.h"

#include "SitzungsArbeit.h"

#include <QCryptographicHash>
#include <sodium.h>

Sitzungen::Sitzungen(int leerlaufMinuten, std::function<QDateTime()> uhr)
    : m_leerlaufSek(qint64(leerlaufMinuten) * 60), m_uhr(std::move(uhr))
{
}

QByteArray Sitzungen::zufall(int bytes)
{
    if (sodium_init() < 0)
        qFatal("libsodium kann nicht gestartet werden");
    QByteArray raw(bytes, Qt::Uninitialized);
    randombytes_buf(raw.data(), size_t(raw.size()));
    return raw.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

bool Sitzungen::gleich(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size() || a.isEmpty())
        return false;
    return sodium_memcmp(a.constData(), b.constData(), size_t(a.size())) == 0;
}

QByteArray Sitzungen::schluessel(const QByteArray& cookieWert)
{
    return QCryptographicHash::hash(cookieWert, QCryptographicHash::Sha256);
}

QByteArray Sitzungen::anlegen(const QString& benutzer, TUserRights rechte, std::shared_ptr<SitzungsArbeit> arbeit)
{
    const QDateTime jetzt = m_uhr();
    aufraeumen(jetzt);
    const QByteArray wert = zufall();
    Sitzung s;
    s.benutzer = benutzer;
    s.rechte = rechte;
    s.formToken = zufall();
    s.beginn = jetzt;
    s.zuletzt = jetzt;
    s.arbeit = std::move(arbeit);
    m_sitzungen.insert(schluessel(wert), s);
    return wert;
}

Sitzung* Sitzungen::finden(const QByteArray& cookieWert)
{
    if (cookieWert.isEmpty() || cookieWert.size() > 100)
        return nullptr;
    const auto it = m_sitzungen.find(schluessel(cookieWert));
    if (it == m_sitzungen.end())
        return nullptr;
    const QDateTime jetzt = m_uhr();
    if (it->zuletzt.secsTo(jetzt) > m_leerlaufSek || it->beginn.secsTo(jetzt) > LaengsteDauerSek) {
        m_sitzungen.erase(it);
        return nullptr;
    }
    it->zuletzt = jetzt;
    return &*it;
}

void Sitzungen::beenden(const QByteArray& cookieWert) { m_sitzungen.remove(schluessel(cookieWert)); }

void Sitzungen::benutzerBeenden(const QString& benutzer)
{
    for (auto it = m_sitzungen.begin(); it != m_sitzungen.end();) {
        if (it->benutzer.compare(benutzer, Qt::CaseInsensitive) == 0)
            it = m_sitzungen.erase(it);
        else
            ++it;
    }
}

void Sitzungen::aufraeumen(const QDateTime& jetzt)
{
    for (auto it = m_sitzungen.begin(); it != m_sitzungen.end();) {
        if (it->zuletzt.secsTo(jetzt) > m_leerlaufSek || it->beginn.secsTo(jetzt) > LaengsteDauerSek)
            it = m_sitzungen.erase(it);
        else
            ++it;
    }
}
