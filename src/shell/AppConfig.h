#pragma once
#include <QString>

// The settings file tarvino.ini: sections System and Data.
struct StartSettings {
    QString netFileDir;     // [System] NetFileDir
    QString privateDir;     // [System] PrivateDir
    QString dataPath;       // [Data] Tarvino
    // [Data] Server, Port, Database, User: the register lies on a PostgreSQL server instead
    // of a data directory. On a server whose roles guard the register the login's name and
    // password connect; otherwise the shared role's password is read by the PostgreSQL
    // client from ~/.pgpass or PGPASSWORD, never from this file.
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

// Where tarvino.ini is looked for, in this order: beside the program (existing installations
// keep it there), the user's $XDG_CONFIG_HOME/holmwacht (~/.config/holmwacht without it), the
// system's /etc/holmwacht.
struct SettingsPlaces {
    QString programDir;
    QString xdgConfigHome;  // empty: not set
    QString homeDir;
    QString systemDir;      // the system's configuration directory, /etc for an installed program
};
QStringList settingsFileCandidates(const SettingsPlaces& places);
// The places of this process.
SettingsPlaces settingsPlaces();
// The first candidate that exists as a file; empty when there is none.
QString findSettingsFile(const SettingsPlaces& places);
// The settings file in use: the file found, or empty when there is none.
QString settingsFilePath();
// German message for a start without any settings file: names the places and an example.
QString missingSettingsMessage(const SettingsPlaces& places);
// One line for the About box and --version: the file in use, or that there is none.
QString settingsInUseText();
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
// with the engine's message (EngineError), unless it waits for the person's own login;
// a port that is no number is a HwError.
void configureEngine(const StartSettings& settings);
