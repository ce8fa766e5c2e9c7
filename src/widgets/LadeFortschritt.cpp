#include "LadeFortschritt.h"

#include "SharedRows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

namespace {

int g_shown = 0;

// Within this the wait passes unseen.
constexpr qint64 QuietMs = 300;

class ProgressWait : public LoadWait {
public:
    explicit ProgressWait(QWidget* parent) : m_parent(parent) { m_clock.start(); }
    ~ProgressWait() override { delete m_dialog; }

    void progress(qint64 read, qint64 total) override
    {
        if (!m_dialog) {
            if (m_clock.elapsed() < QuietMs)
                return;
            m_dialog = new QProgressDialog(QStringLiteral("Die Leitern werden noch gelesen …"), QString(), 0, 1000, m_parent);
            m_dialog->setWindowTitle(QStringLiteral("Bitte warten"));
            m_dialog->setObjectName(QStringLiteral("LadeFortschritt"));
            m_dialog->setCancelButton(nullptr);
            m_dialog->setWindowModality(Qt::ApplicationModal);
            m_dialog->setMinimumDuration(0);
            m_dialog->show();
            ++g_shown;
        }
        m_dialog->setValue(total > 0 ? int(std::min<qint64>(1000, read * 1000 / total)) : 0);
        // Painting only: the user's input waits until the rows are complete.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QPointer<QWidget> m_parent;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
};

} // namespace

std::function<std::unique_ptr<LoadWait>(const QString&)> loadProgressFactory(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](const QString&) -> std::unique_ptr<LoadWait> { return std::make_unique<ProgressWait>(owner.data()); };
}

int loadProgressShownCount() { return g_shown; }
