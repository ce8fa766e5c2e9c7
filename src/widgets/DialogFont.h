#pragma once
#include <QFont>

// The small bold font of the register's fixed dialogs (8 point, "MS Sans Serif" where present).
QFont smallDialogFont();
