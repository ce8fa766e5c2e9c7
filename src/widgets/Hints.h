#pragma once
#include <QString>

class QAction;
class QWidget;

// Hints in the register's form "short|long": the short part is the tooltip, the long part goes
// to the status bar while the mouse is over the control. Without "|" both are the whole text.
// "\r\n" in a hint breaks the tooltip into lines.
QString shortHint(const QString& hint);
QString longHint(const QString& hint);
void setHint(QWidget* widget, const QString& hint);
void setHint(QAction* action, const QString& hint);
