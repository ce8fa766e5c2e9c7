#include "HwApplication.h"
#include "LocalZone.h"
#include "Startup.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstring>

int main(int argc, char** argv)
{
    systemZoneOnceOnly();
    // Answered without a window system, so that it works on a terminal of a server too.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        QCoreApplication app(argc, argv);
        QTextStream(stdout) << versionText();
        return 0;
    }
    HwApplication app(argc, argv);
    app.installGermanTranslations();
    return runHolmwacht(app, app.arguments());
}
