#include "AnmeldeBremse.h"

#include <algorithm>

namespace {
QString nameKey(const QString& name) { return QStringLiteral("u:") + name.trimmed().toCaseFolded(); }
QString adresseKey(const QString& adresse) { return QStringLiteral("a:") + adresse; }
}

AnmeldeBremse::AnmeldeBremse(std::function<QDateTime()> uhr) : m_uhr(std::move(uhr)) {}

qint64 AnmeldeBremse::rest(const QString& key, const QDateTime& jetzt)
{
    const auto it = m_staende.constFind(key);
    if (it == m_staende.constEnd() || !it->gesperrtBis.isValid())
        return 0;
    return std::max<qint64>(0, jetzt.secsTo(it->gesperrtBis));
}

qint64 AnmeldeBremse::wartezeit(const QString& name, const QString& adresse)
{
    const QDateTime jetzt = m_uhr();
    return std::max(rest(nameKey(name), jetzt), rest(adresseKey(adresse), jetzt));
}

void AnmeldeBremse::zaehle(const QString& key, const QDateTime& jetzt)
{
    Stand& s = m_staende[key];
    if (s.letzter.isValid() && s.letzter.secsTo(jetzt) > VergessenNachSek)
        s = Stand();
    ++s.fehler;
    s.letzter = jetzt;
    if (s.fehler >= FreieVersuche) {
        const int stufe = std::min(s.fehler - FreieVersuche, 10);
        s.gesperrtBis = jetzt.addSecs(std::min(ErsteSperreSek << stufe, LaengsteSperreSek));
    }
}

void AnmeldeBremse::fehlversuch(const QString& name, const QString& adresse)
{
    const QDateTime jetzt = m_uhr();
    aufraeumen(jetzt);
    zaehle(nameKey(name), jetzt);
    zaehle(adresseKey(adresse), jetzt);
}

void AnmeldeBremse::erfolg(const QString& name) { m_staende.remove(nameKey(name)); }

void AnmeldeBremse::aufraeumen(const QDateTime& jetzt)
{
    // Bounded memory against a flood of made-up names.
    if (m_staende.size() < 10000)
        return;
    for (auto it = m_staende.begin(); it != m_staende.end();) {
        if (it->letzter.secsTo(jetzt) > VergessenNachSek && (!it->gesperrtBis.isValid() || it->gesperrtBis < jetzt))
            it = m_staende.erase(it);
        else
            ++it;
    }
}
