#pragma once
#include "Progress.h"

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// What a backup file holds, read before it is restored.
struct BackupInfo {
    QString file;
    QDateTime created;                   // when the copy was taken (from its name, else the file's time)
    qint64 ladders = 0;
    qint64 inspections = 0;
    QMap<QString, qint64> rowCounts;     // table -> rows
};

// Backups of a register kept in a data directory (one SQLite file). A register on a
// PostgreSQL server is saved with pg_dump and restored with pg_restore; the functions here
// refuse it with serverText().
namespace RegisterBackup {

// "Holmwacht-Sicherung 2026-12-10 23-05-12.sqlite"
QString fileNameFor(const QDateTime& moment);

// True when the alias's register lies on a server (the menu entries then point to pg_dump).
bool onServer(const QString& alias = QStringLiteral("TARVINO"));
QString serverText();

// Copies the register with the SQLite online backup API while other workstations keep
// working: the copy and the row counts come from one read transaction (writers of other
// workstations wait for it, as for any long read). Written to a temporary file beside
// targetFile, checked (integrity_check and the rows of every table against the counts of
// the snapshot) and only then renamed to targetFile, so a failed backup leaves no file that
// looks like one. Throws HwError.
BackupInfo backup(const QString& targetFile, const QString& alias = QStringLiteral("TARVINO"),
                  const ProgressCallback& progress = {});

// Reads a backup file without changing it. Throws HwError when it is no register or damaged.
BackupInfo inspect(const QString& file);

// The other programs working with the register of the alias ("user (workstation)").
QStringList otherUsers(const QString& alias = QStringLiteral("TARVINO"));

// Puts a backup back. Refused (HwError) while another workstation is connected and for a file
// that is no register; asks confirm with the backup's info (false: Abort, nothing changed);
// keeps the current register as a checked copy in the data directory first and returns its
// path; then copies the backup over the register and notes it in the change history. The
// caller re-reads its cursors.
QString restore(const QString& file, const std::function<bool(const BackupInfo&)>& confirm,
                const QString& alias = QStringLiteral("TARVINO"));

// The automatic backup: when folder holds no backup of today's date, writes one and removes
// the oldest backups so that `keep` remain. Returns the new file, or an empty string when
// today's backup is there already.
QString dailyBackup(const QString& folder, int keep, const QString& alias = QStringLiteral("TARVINO"),
                    const QDateTime& now = QDateTime::currentDateTime());

// [Datensicherung] Ordner= and Anzahl= of a settings file; folder empty when not set.
struct DailySettings {
    QString folder;
    int keep = 7;
};
DailySettings readDailySettings(const QString& iniFile);

}
