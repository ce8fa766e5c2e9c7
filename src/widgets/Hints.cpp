#include "Hints.h"

#include <QAction>
#include <QWidget>

namespace {
QString plain(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}
}

QString shortHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return plain(bar < 0 ? hint : hint.left(bar));
}

QString longHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return plain(bar < 0 ? hint : hint.mid(bar + 1));
}

void setHint(QWidget* widget, const QString& hint)
{
    widget->setToolTip(shortHint(hint));
    // The status bar shows one line.
    widget->setStatusTip(longHint(hint).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified());
}

void setHint(QAction* action, const QString& hint)
{
    action->setToolTip(shortHint(hint));
    action->setStatusTip(longHint(hint).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified());
}
