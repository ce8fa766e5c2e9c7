// hw_web: the phones' web server beside the register.
#include "Anmeldung.h"
#include "AppConfig.h"
#include "Engine.h"
#include "Errors.h"
#include "LocalZone.h"
#include "Startup.h"
#include "WebEinstellungen.h"
#include "WebStart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {
void melde(const QString& text)
{
    std::fprintf(stderr, "hw_web: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}
}

int main(int argc, char** argv)
{
    systemZoneOnceOnly();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("hw_web"));
    QStringList args = app.arguments();
    QString ini;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--ini") && i + 1 < args.size()) {
            ini = args[++i];
        } else if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            std::printf("hw_web [--ini tarvino.ini]\n"
                        "Web-Server für die Prüfung am Telefon. Liest tarvino.ini (Abschnitte Data, System, Web).\n");
            return 0;
        } else {
            melde(QStringLiteral("unbekanntes Argument %1 (--help zeigt die Aufrufe)").arg(args[i]));
            return 2;
        }
    }
    std::unique_ptr<WebDienst> dienst;
    try {
        StartSettings s;
        if (ini.isEmpty()) {
            s = loadStartSettings(settingsPlaces());
            ini = settingsFilePath();
        } else {
            if (!QFileInfo(ini).isFile())
                throw HwError(QStringLiteral("Die Einstellungsdatei %1 gibt es nicht.").arg(ini));
            s = readStartSettings(ini);
        }
        AppConfig::instance().settings = s;
        configureEngine(s);
        Engine::instance().setUserName(QStringLiteral("hw_web"));
        BenutzerTabelleEinrichten();
        melde(QStringLiteral("Einstellungen: %1").arg(ini.isEmpty() ? QStringLiteral("(keine Datei)") : ini));
        melde(QStringLiteral("Register: %1").arg(Engine::instance().location()));
        const QString dir = ini.isEmpty() ? QDir::currentPath() : QFileInfo(ini).absolutePath();
        dienst = starteWebDienst(leseWebEinstellungen(ini, dir), melde);
    } catch (const HwError& e) {
        melde(e.message());
        return 1;
    }
    const int rc = app.exec();
    dienst.reset();
    return rc;
}
