#include "AppConfig.h"
#include "UserState.h"

#include "Engine.h"
#include "ServerLogin.h"
#include "Errors.h"
#include "IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

AppConfig& AppConfig::instance()
{
    static AppConfig config;
    return config;
}

#ifndef HW_SYSCONFDIR
#define HW_SYSCONFDIR "/etc"
#endif

QStringList settingsFileCandidates(const SettingsPlaces& places)
{
    const QString name = QStringLiteral("tarvino.ini");
    const QString userConfig = !places.xdgConfigHome.isEmpty() && QDir::isAbsolutePath(places.xdgConfigHome)
                                   ? places.xdgConfigHome
                                   : QDir(places.homeDir).filePath(QStringLiteral(".config"));
    return {QDir(places.programDir).filePath(name), QDir(userConfig).filePath(QStringLiteral("holmwacht/") + name),
            QDir(places.systemDir).filePath(QStringLiteral("holmwacht/") + name)};
}

SettingsPlaces settingsPlaces()
{
    SettingsPlaces places;
    places.programDir = QCoreApplication::applicationDirPath();
    places.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    places.homeDir = QDir::homePath();
    places.systemDir = QStringLiteral(HW_SYSCONFDIR);
    return places;
}

QString findSettingsFile(const SettingsPlaces& places)
{
    for (const QString& candidate : settingsFileCandidates(places)) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

QString settingsFilePath() { return findSettingsFile(settingsPlaces()); }

QString missingSettingsMessage(const SettingsPlaces& places)
{
    const QStringList candidates = settingsFileCandidates(places);
    return QStringLiteral("Die Einstellungsdatei tarvino.ini wurde nicht gefunden. Gesucht wurde in dieser Reihenfolge:\n"
                          "  %1\n  %2\n  %3\n\n"
                          "Legen Sie eine dieser Dateien an, zum Beispiel:\n\n"
                          "[Data]\nTarvino=/srv/holmwacht\n\n"
                          "(das Datenverzeichnis des Registers) oder für ein Register auf einem PostgreSQL-Server:\n\n"
                          "[Data]\nServer=db1.firma.local\nDatabase=tarvino")
        .arg(candidates.value(0), candidates.value(1), candidates.value(2));
}

QString settingsInUseText()
{
    const QString file = settingsFilePath();
    return file.isEmpty() ? QStringLiteral("Einstellungen : keine tarvino.ini gefunden")
                          : QStringLiteral("Einstellungen : %1").arg(QDir::toNativeSeparators(file));
}

StartSettings readStartSettings(const QString& iniFile)
{
    StartSettings s;
    s.netFileDir = readIniValue(iniFile, QStringLiteral("System"), QStringLiteral("NetFileDir"));
    s.privateDir = readIniValue(iniFile, QStringLiteral("System"), QStringLiteral("PrivateDir"));
    s.dataPath = readIniValue(iniFile, QStringLiteral("Data"), QStringLiteral("Tarvino"));
    s.server = readIniValue(iniFile, QStringLiteral("Data"), QStringLiteral("Server")).trimmed();
    s.port = readIniValue(iniFile, QStringLiteral("Data"), QStringLiteral("Port")).trimmed();
    s.database = readIniValue(iniFile, QStringLiteral("Data"), QStringLiteral("Database")).trimmed();
    s.user = readIniValue(iniFile, QStringLiteral("Data"), QStringLiteral("User")).trimmed();
    return s;
}

QString defaultPrivateDir() { return QDir(QDir::tempPath()).filePath(QStringLiteral("TEMPVEK")); }

QString ensurePrivateDir(const QString& configured)
{
    const QString dir = configured.isEmpty() ? defaultPrivateDir() : configured;
    if (!QFileInfo(dir).isDir())
        QDir().mkpath(dir);
    if (!QFileInfo(dir).isDir())
        throw HwError(QStringLiteral("Das PrivateDir %1 konnte nicht angelegt werden").arg(dir));
    return dir;
}

void configureEngine(const StartSettings& settings)
{
    Engine& engine = Engine::instance();
    if (!settings.netFileDir.isEmpty())
        engine.setNetFileDir(settings.netFileDir);
    const QString priv = ensurePrivateDir(settings.privateDir);
    AppConfig::instance().privateDirInUse = priv;
    engine.setPrivateDir(priv);
    // The alias holds for this process only; the engine's persistent configuration stays as it is.
    if (settings.usesServer()) {
        ServerSettings server;
        server.host = settings.server;
        if (!settings.port.isEmpty()) {
            bool ok = false;
            server.port = settings.port.toInt(&ok);
            if (!ok || server.port <= 0 || server.port > 65535)
                throw HwError(QStringLiteral("Der Port '%1' in tarvino.ini ist keine gültige Portnummer").arg(settings.port));
        }
        server.database = settings.database.isEmpty() ? QStringLiteral("tarvino") : settings.database;
        server.user = settings.user;
        engine.addServerAlias(QStringLiteral("TARVINO"), server);
        // A server that wants each person's own login connects at the login.
        try {
            engine.backend(QStringLiteral("TARVINO"));
        } catch (const EngineError& e) {
            if (e.code() != EngineCode::LoginRequired || !UserState::UserAdministration)
                throw;
        }
    } else if (!settings.dataPath.isEmpty()) {
        engine.addSessionAlias(QStringLiteral("TARVINO"), settings.dataPath, QStringLiteral("PARADOX"));
    }
}
