#pragma once
#include <QStringList>

class HwApplication;

// From the start of the program to the end of its message loop: settings, table engine,
// data module, main window. Returns the exit code.
int runHolmwacht(HwApplication& app, const QStringList& arguments);
