#pragma once
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Puts the dialog wrapper into test mode and clears its log; call in init().
void resetDialogsForTest();
