#pragma once
#include <QByteArray>
#include <QtGlobal>

// Where a request's time goes, for finding the slow ones: with HW_WEB_ZEITEN set, every
// answer of a session's page carries a Server-Timing header (waiting for the session's
// thread, the parts of the work, the way back), and the steady-clock moments the request
// arrived and its answer left. Unset, nothing is measured.
namespace WebZeiten {

bool an();
// Steady clock, nanoseconds (the same clock in every thread of the process).
qint64 jetzt();

// Collects the parts of the work of the request running in this thread.
void beginnen();
// The parts as Server-Timing entries ("sperre;dur=1.2, commit;dur=3.4"); collecting ends.
QByteArray abschliessen();

// A part of the work: its time is added under its name while the thread collects.
class Teil {
public:
    explicit Teil(const char* name);
    ~Teil();
    Teil(const Teil&) = delete;
    Teil& operator=(const Teil&) = delete;

private:
    const char* m_name;
    qint64 m_start = 0;
};

} // namespace WebZeiten
