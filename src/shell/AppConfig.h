#pragma once
#include <QString>

// The settings file tarvino.ini beside the program: sections System and Data.
struct StartSettings {
    QString netFileDir;     // [System] NetFileDir
    QString privateDir;     // [System] PrivateDir
    QString dataPath;       // [Data] Tarvino
    // [Data] Server, Port, Database, User: the register lies on a PostgreSQL server instead
    // of a data directory. The password is read by the PostgreSQL client from ~/.pgpass or
    // PGPASSWORD, never from this file.
    QString server;
    QString port;
    QString database;
    QString user;
    bool usesServer() const { return !server.isEmpty(); }
};

// Configuration values of the running program, read once at start.
struct AppConfig {
    StartSettings settings;
    QString aliasName = QStringLiteral("Tarvino");
    QString privateDirInUse;
    QString version = QStringLiteral("1.60");
    QString internalVersion = QStringLiteral("1.60.018");
    QString versionDate = QStringLiteral("23.06.2004");

    static AppConfig& instance();
};

// <program directory>/tarvino.ini
QString settingsFilePath();
// A missing file reads like a file without keys. Keys and sections ignore case; values are
// taken as they stand (Windows paths with backslashes included).
StartSettings readStartSettings(const QString& iniFile);
// The private directory when none is configured: TEMPVEK in the system's temp directory.
QString defaultPrivateDir();
// Creates the directory with all missing parents. Throws HwError
// "Das PrivateDir %s konnte nicht angelegt werden" when it still does not exist.
QString ensurePrivateDir(const QString& configured);
// Hands network control directory, private directory and data path or server to the table
// engine. A server is connected at once, so that one that is not reachable ends the start
// with the engine's message (EngineError); a port that is no number is a HwError.
void configureEngine(const StartSettings& settings);
