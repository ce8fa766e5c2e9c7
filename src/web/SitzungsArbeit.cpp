#include "SitzungsArbeit.h"

#include "Engine.h"
#include "Errors.h"
#include "WebArbeitsplatz.h"
#include "WebZeiten.h"

#include <cstdio>

SitzungsArbeit::SitzungsArbeit(const QString& alias, const QString& benutzer) : m_alias(alias), m_benutzer(benutzer)
{
    m_thread.setObjectName(QStringLiteral("hw_web ") + alias);
    m_ziel = new QObject;
    m_ziel->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_ziel, &QObject::deleteLater);
    m_thread.start();
    // Connected and read while the phone loads its next page; a failure here is shown by the
    // first request, which tries again.
    QMetaObject::invokeMethod(
        m_ziel,
        [this] {
            try {
                arbeitsplatz();
            } catch (...) {
            }
        },
        Qt::QueuedConnection);
}

WebArbeitsplatz& SitzungsArbeit::arbeitsplatz()
{
    if (!m_ap) {
        // Whatever this thread writes names the session's person.
        Engine::instance().setThreadUserName(m_benutzer);
        m_ap = std::make_unique<WebArbeitsplatz>(m_alias);
    }
    return *m_ap;
}

SitzungsArbeit::~SitzungsArbeit()
{
    // Queued behind the requests still waiting: they are answered first.
    QMetaObject::invokeMethod(
        m_ziel,
        [this] {
            try {
                m_ap.reset();
            } catch (...) {
            }
            Engine::instance().setThreadUserName(QString());
            Engine::instance().closeAlias(m_alias);
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
}

void SitzungsArbeit::ausfuehren(Seite seite, FehlerSeite fehler, QObject* kontext,
                                std::function<void(const WebAntwort&)> fertig)
{
    const qint64 gestellt = WebZeiten::an() ? WebZeiten::jetzt() : 0;
    QMetaObject::invokeMethod(
        m_ziel,
        [this, seite = std::move(seite), fehler = std::move(fehler), kontext, fertig = std::move(fertig), gestellt] {
            const qint64 start = gestellt ? WebZeiten::jetzt() : 0;
            if (gestellt)
                WebZeiten::beginnen();
            WebAntwort w;
            try {
                w = seite(arbeitsplatz());
            } catch (const HwError& e) {
                w = fehler(e.message());
            } catch (const std::exception& e) {
                std::fprintf(stderr, "hw_web: interner Fehler: %s\n", e.what());
                std::fflush(stderr);
                w = fehler(QStringLiteral("Es ist ein interner Fehler aufgetreten."));
            }
            if (gestellt) {
                // Waiting for the thread (the requests before it), then the work and its parts.
                w.fertigNs = WebZeiten::jetzt();
                const QByteArray teile = WebZeiten::abschliessen();
                w.zeiten = "warten;dur=" + QByteArray::number(double(start - gestellt) / 1e6, 'f', 3) +
                           ", arbeit;dur=" + QByteArray::number(double(w.fertigNs - start) / 1e6, 'f', 3) +
                           (teile.isEmpty() ? QByteArray() : ", " + teile);
            }
            QMetaObject::invokeMethod(kontext, [fertig, w] { fertig(w); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}
