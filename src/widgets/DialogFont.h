#pragma once
#include <QFont>
#include <utility>

class QDialog;
class QPushButton;

// The small bold font of the register's fixed dialogs (8 point, "MS Sans Serif" where present).
QFont smallDialogFont();

// The frame of those dialogs: name, caption, small bold font, no resizing.
void setupFixedDialog(QDialog* dialog, const QString& objectName, const QString& caption);

// OK and "Abbrechen" (77 × 27 pixels, 10 apart, centred as a pair) at height y of a client area
// clientWidth wide; the client area ends 10 pixels below them and the dialog is centred on the
// screen. Returns OK and Cancel.
std::pair<QPushButton*, QPushButton*> addOkCancelRow(QDialog* dialog, int clientWidth, int y);
