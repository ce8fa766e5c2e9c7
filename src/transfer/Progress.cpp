#include "Progress.h"

ProgressThrottle::ProgressThrottle(ProgressCallback callback, int intervalMs)
    : m_callback(std::move(callback)), m_intervalMs(intervalMs)
{
}

bool ProgressThrottle::report(qint64 done, qint64 total, const QString& what)
{
    if (m_cancelled)
        return false;
    if (!m_callback)
        return true;
    if (m_started && m_timer.elapsed() < m_intervalMs)
        return true;
    m_started = true;
    m_timer.restart();
    if (!m_callback(done, total, what))
        m_cancelled = true;
    return !m_cancelled;
}

bool ProgressThrottle::finish(qint64 done, qint64 total, const QString& what)
{
    if (m_cancelled)
        return false;
    m_started = false;
    return report(done, total, what);
}
