#include "FormDriver.h"

#include "Dialogs.h"

#include <QApplication>
#include <QtTest>

namespace {
// The innermost driver gets the forms; a driver made while another drives a form (a form
// opened from a form) takes over until it ends.
FormDriver* g_current = nullptr;
// The form being driven (innermost): keys go to its focus widget. A form opened from another
// form is not always made the active window by the headless platform.
QList<QDialog*> g_forms;

QWidget* target()
{
    if (!g_forms.isEmpty() && g_forms.last()->focusWidget())
        return g_forms.last()->focusWidget();
    return QApplication::focusWidget();
}

int run(QDialog* d)
{
    FormDriver* f = g_current;
    return f ? f->drive(d) : int(QDialog::Rejected);
}
}

FormDriver::FormDriver() : m_prev(g_current)
{
    g_current = this;
    if (!m_prev)
        Dialogs::setFormHook(&run);
}

FormDriver::~FormDriver()
{
    g_current = m_prev;
    if (!m_prev)
        Dialogs::setFormHook(nullptr);
}

int FormDriver::drive(QDialog* d)
{
    titles << d->windowTitle();
    if (m_drives.isEmpty()) {
        ++undriven;
        return int(QDialog::Rejected);
    }
    const Drive drive = m_drives.takeFirst();
    d->setResult(QDialog::Rejected);
    d->show();
    d->activateWindow();
    if (!QTest::qWaitForWindowActive(d))
        qWarning("form %s not active", qPrintable(d->windowTitle()));
    g_forms << d;
    drive(d);
    g_forms.removeOne(d);
    if (!QTest::qWaitFor([d] { return !d->isVisible(); }, 2000)) {
        qWarning("form %s still open", qPrintable(d->windowTitle()));
        d->reject();
    }
    return d->result();
}

FormDriver& FormDriver::then(Drive drive)
{
    m_drives << std::move(drive);
    return *this;
}

void FormDriver::type(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClicks(target(), QString(c));
}

void FormDriver::key(int k) { QTest::keyClick(target(), Qt::Key(k)); }

QString FormDriver::focusName()
{
    QWidget* f = target();
    return f ? f->objectName() : QString();
}

FormDriver::Drive FormDriver::enter(const QStringList& texts)
{
    return [texts](QDialog*) {
        for (const QString& t : texts) {
            type(t);
            key(Qt::Key_Return);
        }
    };
}
