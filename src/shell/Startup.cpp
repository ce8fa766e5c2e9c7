#include "Startup.h"

#include "Anmeldung.h"
#include "AppConfig.h"
#include "BarcodeFeature.h"
#include "Features.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Errors.h"
#include "HwApplication.h"
#include "LeiterVerw.h"
#include "UserState.h"

namespace {
std::function<void()> g_loggedInObserver;
}

void setLoggedInObserver(std::function<void()> observer) { g_loggedInObserver = std::move(observer); }

int runHolmwacht(HwApplication& app, const QStringList& arguments)
{
    AppConfig& config = AppConfig::instance();
    try {
        config.settings = readStartSettings(settingsFilePath());
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
