#include "RegisterBackup.h"
#include "TestSupport.h"

#include "Backend.h"
#include "Catalog.h"
#include "Engine.h"
#include "Errors.h"
#include "Table.h"
#include "Verlauf.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <sqlite3.h>

namespace {

Backend& db() { return Engine::instance().backend(); }

qint64 count(const QString& sql)
{
    auto c = db().select(sql);
    return c->next() ? c->intValue(0) : -1;
}

void fill(int ladders)
{
    Transaction t(db());
    for (int i = 1; i <= ladders; ++i) {
        db().exec(QStringLiteral("INSERT INTO LT_LEIT (ID, Nr, KurzBez, Beschreibung) VALUES (?, ?, ?, ?)"),
                  {i, i, QStringLiteral("Leiter %1 Größe").arg(i), QStringLiteral("Prüfbericht ").repeated(40)});
        db().exec(QStringLiteral("INSERT INTO LT_PRUEF (LT_ID, Datum) VALUES (?, ?)"), {i, QDate(2025, 1, 1 + i % 28)});
    }
    t.commit();
}

// Rows of a register file read with a connection of its own, one text per row.
QStringList fileRows(const QString& file, const char* sql)
{
    sqlite3* h = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    QStringList out;
    if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cols;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                cols << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
            out << cols.join(QLatin1Char('|'));
        }
    } else {
        out << QString::fromUtf8(sqlite3_errmsg(h));
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return out;
}

// Another workstation: its own connection, writing a ladder and its inspection in one
// transaction, again and again.
class Writer : public QThread {
public:
    explicit Writer(QString file) : m_file(std::move(file)) {}
    ~Writer() override
    {
        stop = true;
        wait();
    }
    std::atomic<int> written{0};
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};

protected:
    void run() override
    {
        sqlite3* h = nullptr;
        sqlite3_open_v2(m_file.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(h, 20000);
        for (int n = 0; !stop; ++n) {
            const QByteArray sql = QStringLiteral("BEGIN IMMEDIATE; INSERT INTO LT_LEIT (Nr, KurzBez) VALUES (%1, 'von PC-2'); "
                                                  "INSERT INTO LT_PRUEF (LT_ID, Datum) VALUES (last_insert_rowid(), '2026-12-11'); COMMIT;")
                                       .arg(100000 + n)
                                       .toUtf8();
            if (sqlite3_exec(h, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK) {
                ++written;
            } else {
                ++failures;
                sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
            }
            msleep(2);
        }
        sqlite3_close(h);
    }

private:
    QString m_file;
};

bool waitFor(const std::function<bool()>& cond)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > 20000)
            return false;
        QThread::msleep(5);
    }
    return true;
}

}

class TestRegisterBackup : public QObject {
    Q_OBJECT
private slots:
    void init() { resetDialogsForTest(); }

    // The copy shows one moment although another workstation writes all along (its ladder
    // and inspection come together or not at all), is checked, and comes back by restore.
    void backupWhileAnotherWritesThenRestore()
    {
        TestDataDir data;
        if (TestDataDir::onServer()) {
            try {
                RegisterBackup::backup(data.path() + QStringLiteral("/x.sqlite"));
                QFAIL("backup of a server register");
            } catch (const HwError& e) {
                QVERIFY2(e.message().contains(QStringLiteral("pg_dump")), qPrintable(e.message()));
            }
            return;
        }
        fill(3000);
        Writer writer(data.path() + QStringLiteral("/tarvino.sqlite"));
        writer.start();
        QVERIFY(waitFor([&] { return writer.written >= 5; }));

        QTemporaryDir target;
        const QString file = target.filePath(RegisterBackup::fileNameFor(QDateTime(QDate(2026, 12, 11), QTime(1, 2, 3))));
        int before = 0;
        BackupInfo made;
        made = RegisterBackup::backup(file, QStringLiteral("TARVINO"), [&](qint64, qint64, const QString&) {
            // The other workstation tries to write while the copy is taken.
            if (!before) {
                before = writer.written;
                QThread::msleep(150);
            }
            return true;
        });
        QVERIFY(waitFor([&] { return writer.written >= before + 5; }));
        writer.stop = true;
        writer.wait();
        QCOMPARE(writer.failures.load(), 0);

        QVERIFY(QFile::exists(file));
        QVERIFY(!QFile::exists(target.filePath(QStringLiteral(".") + QFileInfo(file).fileName() + QStringLiteral(".teil"))));
        const BackupInfo info = RegisterBackup::inspect(file);
        QCOMPARE(info.created, QDateTime(QDate(2026, 12, 11), QTime(1, 2, 3)));
        QCOMPARE(info.ladders, made.ladders);
        QVERIFY(info.ladders >= 3005);
        QCOMPARE(info.inspections - 3000, info.ladders - 3000);
        const qint64 liveLadders = count(QStringLiteral("SELECT COUNT(*) FROM LT_LEIT"));
        QVERIFY(liveLadders > info.ladders);

        qint64 asked = -1;
        const QString keep = RegisterBackup::restore(file, [&](const BackupInfo& i) {
            asked = i.ladders;
            return true;
        });
        QCOMPARE(asked, info.ladders);
        QCOMPARE(RegisterBackup::inspect(keep).ladders, liveLadders);
        const char* ladders = "SELECT ID, Nr, KurzBez, Beschreibung FROM LT_LEIT ORDER BY ID";
        const char* inspections = "SELECT ID, LT_ID, Datum FROM LT_PRUEF ORDER BY ID";
        const QString live = data.path() + QStringLiteral("/tarvino.sqlite");
        QCOMPARE(fileRows(live, ladders), fileRows(file, ladders));
        QCOMPARE(fileRows(live, inspections), fileRows(file, inspections));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM LT_LEIT")), info.ladders);
        const Verlauf::Pruefung p = Verlauf::pruefen(db());
        QVERIFY2(p.intakt, qPrintable(p.text));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM LT_VERLAUF WHERE Feld = 'Datensicherung' AND Neu LIKE 'zurückgeladen%'")), 1);
    }

    // A backup from before the inspection's remark: restored, the register gets the column
    // back at once, and the remark is written and recorded like any field.
    void restoreOfAnOlderBackupAddsTheRemark()
    {
        TestDataDir data;
        if (TestDataDir::onServer())
            return;     // no file backups on a server: see backupWhileAnotherWritesThenRestore
        fill(5);
        QTemporaryDir target;
        const QString file = target.filePath(QStringLiteral("alt.sqlite"));
        RegisterBackup::backup(file);
        QProcess alt;
        alt.start(QStringLiteral("sqlite3"), {file, QStringLiteral("ALTER TABLE LT_PRUEF DROP COLUMN Bemerkung; DELETE FROM "
                                                                    "_hw_fields WHERE tbl = 'LT_PRUEF' AND name = 'Bemerkung';")});
        QVERIFY(alt.waitForFinished(30000));
        QCOMPARE(alt.exitCode(), 0);
        RegisterBackup::restore(file, [](const BackupInfo&) { return true; });
        QVERIFY(Catalog::columnExists(db(), QStringLiteral("LT_PRUEF"), QStringLiteral("Bemerkung")));
        Table p(QStringLiteral("LT_PRUEF"));
        p.open();
        p.first();
        p.edit();
        p.setValue(QStringLiteral("Bemerkung"), QStringLiteral("nach dem Zurückladen"));
        p.post();
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM LT_PRUEF WHERE Bemerkung = 'nach dem Zurückladen'")), 1);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM LT_VERLAUF WHERE Feld = 'Bemerkung'")), 1);
        const Verlauf::Pruefung v = Verlauf::pruefen(db());
        QVERIFY2(v.intakt, qPrintable(v.text));
    }

    void restoreRefusedChangesNothing_data()
    {
        QTest::addColumn<QString>("why");
        QTest::addColumn<QString>("message");
        QTest::newRow("another workstation") << "other" << "Noch angemeldet: Meier (PC-7)";
        QTest::newRow("text file") << "text" << "keine Datensicherung eines Leiterregisters";
        QTest::newRow("other database") << "foreign" << "Tabelle LT_LEIT fehlt";
        QTest::newRow("question declined") << "declined" << "";
    }
    void restoreRefusedChangesNothing()
    {
        QFETCH(QString, why);
        QFETCH(QString, message);
        TestDataDir data;
        if (TestDataDir::onServer())
            return;     // refused as a whole on a server: see backupWhileAnotherWritesThenRestore
        fill(5);
        QTemporaryDir target;
        QString file = target.filePath(QStringLiteral("sicherung.sqlite"));
        RegisterBackup::backup(file);
        Transaction t(db());
        db().exec(QStringLiteral("DELETE FROM LT_PRUEF"));
        t.commit();

        QLockFile other(data.path() + QStringLiteral("/HWUSERS/fremd.lck"));
        if (why == QLatin1String("other")) {
            QVERIFY(QDir(data.path()).mkpath(QStringLiteral("HWUSERS")));
            other.setStaleLockTime(0);
            QVERIFY(other.tryLock(0));
            QFile usr(data.path() + QStringLiteral("/HWUSERS/fremd.lck.usr"));
            QVERIFY(usr.open(QIODevice::WriteOnly));
            usr.write("Meier\tPC-7");
        } else if (why == QLatin1String("text")) {
            file = target.filePath(QStringLiteral("notiz.sqlite"));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("Leiter 1 bis 5, gesichert am Freitag\n").repeated(200));
        } else if (why == QLatin1String("foreign")) {
            file = target.filePath(QStringLiteral("fremd.sqlite"));
            sqlite3* h = nullptr;
            sqlite3_open(file.toUtf8().constData(), &h);
            sqlite3_exec(h, "CREATE TABLE kunden (id INTEGER); INSERT INTO kunden VALUES (1);", nullptr, nullptr, nullptr);
            sqlite3_close(h);
        }
        int asked = 0;
        QString err;
        try {
            RegisterBackup::restore(file, [&](const BackupInfo&) {
                ++asked;
                return false;
            });
        } catch (const HwError& e) {
            err = e.message();
        } catch (const Abort&) {
            err = QStringLiteral("Abort");
        }
        if (message.isEmpty()) {
            QCOMPARE(err, QStringLiteral("Abort"));
            QCOMPARE(asked, 1);
        } else {
            QVERIFY2(err.contains(message), qPrintable(err));
            QCOMPARE(asked, 0);
        }
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM LT_PRUEF")), 0);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM LT_LEIT")), 5);
        QCOMPARE(QDir(data.path()).entryList({QStringLiteral("tarvino vor*")}, QDir::Files), QStringList());
    }

    // Once a day, the newest `keep` backups stay.
    void dailyBackupKeepsTheLastN()
    {
        TestDataDir data;
        if (TestDataDir::onServer())
            return;
        fill(2);
        QTemporaryDir folder;
        const QDir dir(folder.path() + QStringLiteral("/sicherungen"));
        QStringList made;
        for (int day = 1; day <= 4; ++day) {
            const QDateTime morning(QDate(2026, 12, day), QTime(7, 30));
            made << RegisterBackup::dailyBackup(dir.path(), 2, QStringLiteral("TARVINO"), morning);
            QVERIFY(!made.last().isEmpty());
            QCOMPARE(RegisterBackup::dailyBackup(dir.path(), 2, QStringLiteral("TARVINO"), morning.addSecs(3600)), QString());
        }
        QCOMPARE(dir.entryList(QDir::Files), (QStringList{QFileInfo(made[2]).fileName(), QFileInfo(made[3]).fileName()}));
        QCOMPARE(RegisterBackup::inspect(made[3]).ladders, 2);
    }
};

QTEST_MAIN(TestRegisterBackup)
#include "tst_registerbackup.moc"
