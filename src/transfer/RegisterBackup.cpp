#include "RegisterBackup.h"

#include "Backend.h"
#include "Catalog.h"
#include "Engine.h"
#include "Errors.h"
#include "IniFile.h"
#include "Schema.h"
#include "Verlauf.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <sqlite3.h>

namespace RegisterBackup {
namespace {

// As the store names the register's file in a data directory and the engine its sessions.
constexpr const char* kDbFile = "tarvino.sqlite";
constexpr const char* kSessionDir = "HWUSERS";
const QString kPrefix = QStringLiteral("Holmwacht-Sicherung ");
const QString kStamp = QStringLiteral("yyyy-MM-dd HH-mm-ss");
const QString kSuffix = QStringLiteral(".sqlite");

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

class Db {
public:
    Db(const QString& path, int flags)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            const QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
            sqlite3_close(m_db);
            m_db = nullptr;
            throw HwError(QStringLiteral("Die Datei „%1“ lässt sich nicht öffnen: %2").arg(native(path), msg));
        }
        // Other workstations may be writing for a moment.
        sqlite3_busy_timeout(m_db, 10000);
    }
    ~Db() { sqlite3_close(m_db); }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    sqlite3* get() const { return m_db; }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

    // false with the message when the statement fails (for "file is not a database").
    bool exec(const char* sql, QString* error = nullptr)
    {
        char* msg = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &msg) == SQLITE_OK)
            return true;
        if (error)
            *error = QString::fromUtf8(msg ? msg : "");
        sqlite3_free(msg);
        return false;
    }
    // The single text or number a statement answers; false when it fails.
    bool value(const QString& sql, QString* out, QString* error = nullptr)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            if (error)
                *error = this->error();
            return false;
        }
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            *out = QString::fromUtf8(t ? t : "");
        } else if (rc != SQLITE_DONE) {
            if (error)
                *error = this->error();
            sqlite3_finalize(st);
            return false;
        }
        sqlite3_finalize(st);
        return true;
    }
    QStringList tables()
    {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name",
                               -1, &st, nullptr)
            != SQLITE_OK)
            throw HwError(error());
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        return out;
    }
    QMap<QString, qint64> rowCounts()
    {
        QMap<QString, qint64> out;
        for (const QString& t : tables()) {
            QString n, err;
            if (!value(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(t), &n, &err))
                throw HwError(QStringLiteral("Tabelle %1 nicht lesbar: %2").arg(t, err));
            out.insert(t, n.toLongLong());
        }
        return out;
    }
    // "ok" or the first problem found.
    QString integrity()
    {
        QString r, err;
        if (!value(QStringLiteral("PRAGMA integrity_check(1)"), &r, &err))
            return err;
        return r;
    }

private:
    sqlite3* m_db = nullptr;
};

QString registerFile(const QString& alias)
{
    if (onServer(alias))
        throw HwError(serverText());
    Backend& db = Engine::instance().backend(alias);
    return QDir(db.location()).filePath(QLatin1String(kDbFile));
}

qint64 countOf(const QMap<QString, qint64>& counts, const QString& table)
{
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.key().compare(table, Qt::CaseInsensitive) == 0)
            return it.value();
    return 0;
}

QDateTime createdFromName(const QFileInfo& fi)
{
    const QString name = fi.completeBaseName();
    const qsizetype at = name.indexOf(kPrefix);
    if (at >= 0) {
        const QDateTime t = QDateTime::fromString(name.mid(at + kPrefix.size(), kStamp.size()), kStamp);
        if (t.isValid())
            return t;
    }
    return fi.lastModified();
}

// Copies src into dst page by page; the caller holds src's read transaction when the copy
// must match counts taken before.
void copyPages(Db& src, Db& dst, const ProgressCallback& progress, const QString& what)
{
    sqlite3_backup* b = sqlite3_backup_init(dst.get(), "main", src.get(), "main");
    if (!b)
        throw HwError(QStringLiteral("Die Kopie lässt sich nicht beginnen: %1").arg(dst.error()));
    ProgressThrottle throttle(progress);
    QElapsedTimer busy;
    int rc = SQLITE_OK;
    while (true) {
        rc = sqlite3_backup_step(b, 256);
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            // Another workstation writes; wait for it as the program waits for any lock.
            if (!busy.isValid())
                busy.start();
            if (busy.elapsed() < 15000) {
                sqlite3_sleep(20);
                continue;
            }
            break;
        }
        busy.invalidate();
        if (rc != SQLITE_OK)
            break;
        const int total = sqlite3_backup_pagecount(b);
        if (!throttle.report(total - sqlite3_backup_remaining(b), total, what)) {
            sqlite3_backup_finish(b);
            throw Abort();
        }
    }
    const int total = sqlite3_backup_pagecount(b);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        throw HwError(QStringLiteral("Die Kopie ist fehlgeschlagen: %1").arg(QString::fromUtf8(sqlite3_errstr(rc))));
    throttle.finish(total, total, what);
}

QString countsText(const QMap<QString, qint64>& counts)
{
    QStringList parts;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        parts << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString fileNameFor(const QDateTime& moment) { return kPrefix + moment.toString(kStamp) + kSuffix; }

bool onServer(const QString& alias)
{
    return Engine::instance().aliasDriver(alias).compare(QLatin1String("POSTGRESQL"), Qt::CaseInsensitive) == 0;
}

QString serverText()
{
    return QStringLiteral("Das Register liegt auf einem PostgreSQL-Server. Gesichert wird es dort mit pg_dump "
                          "(z. B. „pg_dump -Fc -f tarvino.dump tarvino“) und zurückgeladen mit pg_restore "
                          "(„pg_restore --clean --if-exists -d tarvino tarvino.dump“), durch den Verwalter des Servers.");
}

BackupInfo backup(const QString& targetFile, const QString& alias, const ProgressCallback& progress)
{
    const QString source = registerFile(alias);
    const QFileInfo target(targetFile);
    if (!QDir().mkpath(target.absolutePath()))
        throw HwError(QStringLiteral("Der Ordner „%1“ lässt sich nicht anlegen.").arg(native(target.absolutePath())));
    if (target.absoluteFilePath() == QFileInfo(source).absoluteFilePath())
        throw HwError(QStringLiteral("Die Datensicherung kann nicht die Datei des Registers selbst sein."));
    const QString part = target.absoluteDir().filePath(QStringLiteral(".%1.teil").arg(target.fileName()));
    QFile::remove(part);

    BackupInfo info;
    info.file = target.absoluteFilePath();
    info.created = QDateTime::currentDateTime();
    try {
        Db src(source, SQLITE_OPEN_READONLY);
        // One read transaction for the counts and the copy: both show the same moment.
        if (!src.exec("BEGIN"))
            throw HwError(src.error());
        info.rowCounts = src.rowCounts();
        {
            Db dst(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            copyPages(src, dst, progress, QStringLiteral("Datensicherung"));
            src.exec("COMMIT");
            const QString check = dst.integrity();
            if (check != QLatin1String("ok"))
                throw HwError(QStringLiteral("Die Prüfung der Kopie meldet: %1").arg(check));
            const QMap<QString, qint64> copied = dst.rowCounts();
            if (copied != info.rowCounts)
                throw HwError(QStringLiteral("Die Kopie hat andere Zeilenzahlen (%1) als das Register (%2).")
                                  .arg(countsText(copied), countsText(info.rowCounts)));
        }
        if (QFile::exists(info.file) && !QFile::remove(info.file))
            throw HwError(QStringLiteral("Die vorhandene Datei lässt sich nicht ersetzen."));
        if (!QFile::rename(part, info.file))
            throw HwError(QStringLiteral("Die Kopie lässt sich nicht umbenennen."));
    } catch (const HwError& e) {
        QFile::remove(part);
        throw HwError(QStringLiteral("Die Datensicherung nach „%1“ ist nicht gelungen. %2 Es wurde keine Sicherung geschrieben.")
                          .arg(native(info.file), e.message()));
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    info.ladders = countOf(info.rowCounts, QStringLiteral("LT_LEIT"));
    info.inspections = countOf(info.rowCounts, QStringLiteral("LT_PRUEF"));
    return info;
}

BackupInfo inspect(const QString& file)
{
    const QFileInfo fi(file);
    if (!fi.isFile())
        throw HwError(QStringLiteral("Die Datei „%1“ gibt es nicht.").arg(native(file)));
    const auto notRegister = [&](const QString& why) {
        return HwError(QStringLiteral("„%1“ ist keine Datensicherung eines Leiterregisters (%2). Es wurde nichts geändert.")
                           .arg(native(file), why));
    };
    Db db(file, SQLITE_OPEN_READONLY);
    QString n, err;
    if (!db.value(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), &n, &err))
        throw notRegister(QStringLiteral("keine Datenbankdatei"));
    const QStringList tables = db.tables();
    for (const char* needed : {"LT_LEIT", "LT_PRUEF", "_hw_fields"})
        if (!tables.contains(QLatin1String(needed), Qt::CaseInsensitive))
            throw notRegister(QStringLiteral("Tabelle %1 fehlt").arg(QLatin1String(needed)));
    const QString check = db.integrity();
    if (check != QLatin1String("ok"))
        throw HwError(QStringLiteral("Die Datensicherung „%1“ ist beschädigt (%2). Es wurde nichts geändert.").arg(native(file), check));
    BackupInfo info;
    info.file = fi.absoluteFilePath();
    info.created = createdFromName(fi);
    info.rowCounts = db.rowCounts();
    info.ladders = countOf(info.rowCounts, QStringLiteral("LT_LEIT"));
    info.inspections = countOf(info.rowCounts, QStringLiteral("LT_PRUEF"));
    return info;
}

QStringList otherUsers(const QString& alias)
{
    Engine& e = Engine::instance();
    if (onServer(alias))
        return e.backend(alias).otherSessions(e.sessionId()).value_or(QStringList());
    const QString dir = e.netFileDir().isEmpty() ? e.backend(alias).location() : e.netFileDir();
    QStringList users;
    const QDir sessions(QDir(dir).filePath(QLatin1String(kSessionDir)));
    for (const QFileInfo& fi : sessions.entryInfoList({QStringLiteral("*.lck.usr")}, QDir::Files, QDir::Name)) {
        const QString id = fi.fileName().chopped(8);
        if (id == e.sessionId() || !e.sessionAlive(id))
            continue;
        QFile f(fi.filePath());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString line = QString::fromUtf8(f.readAll());
        users << QStringLiteral("%1 (%2)").arg(line.section(QLatin1Char('\t'), 0, 0), line.section(QLatin1Char('\t'), 1, 1));
    }
    return users;
}

QString restore(const QString& file, const std::function<bool(const BackupInfo&)>& confirm, const QString& alias)
{
    const QString live = registerFile(alias);
    const BackupInfo info = inspect(file);
    if (QFileInfo(file).absoluteFilePath() == QFileInfo(live).absoluteFilePath())
        throw HwError(QStringLiteral("Die gewählte Datei ist das Register selbst."));
    const QStringList others = otherUsers(alias);
    if (!others.isEmpty())
        throw HwError(QStringLiteral("Eine Datensicherung kann nur zurückgeladen werden, wenn an keinem anderen Arbeitsplatz "
                                     "mit dem Register gearbeitet wird. Noch angemeldet: %1.\nBitte dort das Programm beenden "
                                     "und dann erneut zurückladen. Es wurde nichts geändert.")
                          .arg(others.join(QStringLiteral(", "))));
    if (!confirm || !confirm(info))
        throw Abort();

    // The register as it is now stays beside it, checked like any backup.
    const QString keep = QDir(QFileInfo(live).absolutePath())
                             .filePath(QStringLiteral("tarvino vor Zurückladen %1.sqlite").arg(QDateTime::currentDateTime().toString(kStamp)));
    backup(keep, alias);

    Backend& db = Engine::instance().backend(alias);
    // The change counters must move past what any cursor has seen, also where the backup's
    // counters are lower than the register's.
    QList<QPair<QString, qint64>> seen;
    {
        auto c = db.select(QStringLiteral("SELECT tbl, n FROM _hw_changes"));
        while (c->next())
            seen << qMakePair(c->textValue(0), c->intValue(1));
    }
    {
        Db src(file, SQLITE_OPEN_READONLY);
        Db dst(live, SQLITE_OPEN_READWRITE);
        copyPages(src, dst, {}, QStringLiteral("Zurückladen"));
        const QMap<QString, qint64> now = dst.rowCounts();
        if (dst.integrity() != QLatin1String("ok") || now != info.rowCounts)
            throw HwError(QStringLiteral("Das zurückgeladene Register stimmt nicht mit der Sicherung überein (%1). Der vorherige "
                                         "Stand liegt in „%2“.")
                              .arg(countsText(now), native(keep)));
    }
    // A backup of an older version gets the columns added since, as at the start.
    Schema::createIfMissing(db);
    // The history tells that the register went back, and the cursors of this program see
    // every table as changed.
    Transaction t(db);
    Verlauf::write(db, QStringLiteral("LT_LEIT"), Verlauf::Aktion::Geaendert, 0, std::nullopt,
                   {{QStringLiteral("Datensicherung"), QString(),
                     QStringLiteral("zurückgeladen aus %1 vom %2 (%3 Leitern); vorheriger Stand in %4")
                         .arg(native(info.file), QLocale(QLocale::German).toString(info.created, QStringLiteral("dd.MM.yyyy HH:mm")))
                         .arg(info.ladders)
                         .arg(native(keep))}});
    for (const auto& [table, n] : std::as_const(seen)) {
        db.exec(QStringLiteral("UPDATE _hw_changes SET n = max(n, ?) WHERE tbl = ?"), {n, table});
        Catalog::bumpChange(db, table);
    }
    t.commit();
    return keep;
}

QString dailyBackup(const QString& folder, int keep, const QString& alias, const QDateTime& now)
{
    if (!QDir().mkpath(folder))
        throw HwError(QStringLiteral("Der Ordner der Datensicherung „%1“ lässt sich nicht anlegen.").arg(native(folder)));
    const QDir dir(folder);
    const QStringList pattern{kPrefix + QStringLiteral("*") + kSuffix};
    const QString today = kPrefix + now.date().toString(QStringLiteral("yyyy-MM-dd"));
    for (const QString& f : dir.entryList(pattern, QDir::Files, QDir::Name))
        if (f.startsWith(today))
            return QString();
    const QString target = dir.filePath(fileNameFor(now));
    backup(target, alias);
    // Names sort by their time: the oldest first.
    QStringList all = dir.entryList(pattern, QDir::Files, QDir::Name);
    while (all.size() > std::max(1, keep))
        QFile::remove(dir.filePath(all.takeFirst()));
    return target;
}

DailySettings readDailySettings(const QString& iniFile)
{
    DailySettings s;
    s.folder = readIniValue(iniFile, QStringLiteral("Datensicherung"), QStringLiteral("Ordner")).trimmed();
    bool ok = false;
    const int n = readIniValue(iniFile, QStringLiteral("Datensicherung"), QStringLiteral("Anzahl")).trimmed().toInt(&ok);
    if (ok && n > 0)
        s.keep = n;
    return s;
}

} // namespace RegisterBackup
