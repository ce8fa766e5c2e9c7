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
    if (!settings.dataPath.isEmpty())
        engine.addSessionAlias(QStringLiteral("TARVINO"), settings.dataPath, QStringLiteral("PARADOX"));
}
