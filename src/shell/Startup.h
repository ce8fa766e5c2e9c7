#pragma once
#include <QStringList>
#include <functional>

class HwApplication;

// From the start of the program to the end of its message loop: settings, table engine,
// data module, main window. Returns the exit code.
int runHolmwacht(HwApplication& app, const QStringList& arguments);

// Called once the user is known (after the login, or at once without user administration),
// before the data module and the main window are made; for measurements of the start.
void setLoggedInObserver(std::function<void()> observer);
