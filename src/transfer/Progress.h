#pragma once
#include <QElapsedTimer>
#include <QString>
#include <functional>

// Progress of a long transfer (export, import, backup). The callback gets rows done, rows in
// all (0 when unknown) and what is being worked on; it returns false to cancel. Windows show a
// progress dialog with it, the command-line tools print lines.
using ProgressCallback = std::function<bool(qint64 done, qint64 total, const QString& what)>;

// Calls the callback at most every few milliseconds, so a loop over a million rows can report
// every row without paying for a repaint each time. The first and the last call always go through.
class ProgressThrottle {
public:
    explicit ProgressThrottle(ProgressCallback callback, int intervalMs = 100);
    // false when the user cancelled (the callback returned false, now or earlier)
    bool report(qint64 done, qint64 total, const QString& what);
    bool finish(qint64 done, qint64 total, const QString& what);
    bool cancelled() const { return m_cancelled; }

private:
    ProgressCallback m_callback;
    int m_intervalMs;
    QElapsedTimer m_timer;
    bool m_started = false;
    bool m_cancelled = false;
};
