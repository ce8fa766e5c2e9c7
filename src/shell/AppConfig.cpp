#include "AppConfig.h"

#include "Engine.h"
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

QString settingsFilePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tarvino.ini"));
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
        engine.backend(QStringLiteral("TARVINO"));
    } else if (!settings.dataPath.isEmpty()) {
        engine.addSessionAlias(QStringLiteral("TARVINO"), settings.dataPath, QStringLiteral("PARADOX"));
    }
}
