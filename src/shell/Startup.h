#pragma once
#include "AppConfig.h"

#include <QStringList>
#include <functional>

class HwApplication;

// From the start of the program to the end of its message loop: settings, table engine,
// data module, main window. Returns the exit code.
int runHolmwacht(HwApplication& app, const QStringList& arguments);

// The settings of the first tarvino.ini found; without one, a HwError naming the places unless
// the engine's own configuration defines the alias.
StartSettings loadStartSettings(const SettingsPlaces& places);

// "holmwacht --version": the version and the settings file in use.
QString versionText();

// Called once the user is known (after the login, or at once without user administration),
// before the data module and the main window are made; for measurements of the start.
void setLoggedInObserver(std::function<void()> observer);
