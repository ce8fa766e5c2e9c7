#include "Startup.h"

#include "Anmeldung.h"
#include "AppConfig.h"
#include "BarcodeFeature.h"
#include "Features.h"
#include "DataModule.h"
#include "Engine.h"
#include "Dialogs.h"
#include "Errors.h"
#include "HwApplication.h"
#include "LeiterVerw.h"
#include "UserState.h"

namespace {
std::function<void()> g_loggedInObserver;
}

void setLoggedInObserver(std::function<void()> observer) { g_loggedInObserver = std::move(observer); }

QString versionText()
{
    const AppConfig& config = AppConfig::instance();
    return QStringLiteral("Holmwacht %1 (int. Version %2 - %3)\n%4\n")
        .arg(config.version, config.internalVersion, config.versionDate, settingsInUseText());
}

StartSettings loadStartSettings(const SettingsPlaces& places)
{
    const QString settingsFile = findSettingsFile(places);
    // Without any settings file only an alias of the engine's own configuration can name the
    // register; never start on a data directory nobody chose.
    if (settingsFile.isEmpty() && !Engine::instance().aliasKnown(QStringLiteral("TARVINO")))
        throw HwError(missingSettingsMessage(places));
    return readStartSettings(settingsFile);
}

int runHolmwacht(HwApplication& app, const QStringList& arguments)
{
    AppConfig& config = AppConfig::instance();
    try {
        config.settings = loadStartSettings(settingsPlaces());
        configureEngine(config.settings);
    } catch (const HwError& e) {
        Dialogs::error(nullptr, e.message());
        return 1;
    }

    // With user administration: the command line's Admin branch, or the login. Nothing else
    // is opened before the user is known; a failed or cancelled login ends the program.
    if (UserState::UserAdministration) {
        try {
            if (!BenutzerStart(arguments.mid(1)))
                return 0;
        } catch (const Abort&) {
            return 0;
        } catch (const HwError& e) {
            Dialogs::error(nullptr, e.message());
            return 1;
        }
    }

    if (g_loggedInObserver)
        g_loggedInObserver();

    // A missing alias, data directory or table surfaces here as the engine's error.
    std::unique_ptr<TDataModule1> dataModule;
    std::unique_ptr<TLeiterVerw> mainWindow;
    try {
        dataModule = std::make_unique<TDataModule1>();
        mainWindow = std::make_unique<TLeiterVerw>(*dataModule);
        plugFeatures(*mainWindow);
        // The serial scanner's window exists from the start, hidden; it opens its port only when asked.
        createSerialBarcodeWindow(*mainWindow);
    } catch (const HwError& e) {
        mainWindow.reset();
        dataModule.reset();
        Dialogs::error(nullptr, e.message());
        return 1;
    }
    mainWindow->show();
    return app.exec();
}
