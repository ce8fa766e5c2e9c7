// The due list and the spreadsheet export over a large register.
//   bench_due [ladders] [data dir]
// Default 100000 ladders in a temporary directory; a data directory that already holds a
// register is used as it is. The due list (overdue and due within four weeks, the ladders
// without a date, department paths, types and last inspections) is timed against the bare
// SELECT of the due ladders through the SQLite C API in the same run; the Excel export of the
// whole ladder grid is given in rows per second, by the wall clock and by the process's CPU time,
// beside the same rows written as CSV.
#include "DataGenerator.h"
#include "DataModule.h"
#include "Engine.h"
#include "FaelligeLeitern.h"
#include "LeiterCursor.h"
#include "LocalZone.h"
#include "LtFirmAbt.h"
#include "TabellenExport.h"
#include "Table.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

// The floor: the due ladders' own columns, every value read once.
double bareDueMs(const QString& dir, const QDate& bis, long long& rows)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QString(dir + "/tarvino.sqlite").toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT ID, Nr, ExNrBez, KurzBez, FirmenAbtID, PruefTermin, Schrott, Art_ID FROM LT_LEIT "
                       "WHERE PruefTermin < ?",
                       -1, &st, nullptr);
    const QByteArray limit = bis.addDays(1).toString(Qt::ISODate).toUtf8();
    sqlite3_bind_text(st, 1, limit.constData(), -1, SQLITE_TRANSIENT);
    rows = 0;
    long long sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < 8; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER: sink += sqlite3_column_int64(st, c); break;
            case SQLITE_TEXT: sink += sqlite3_column_bytes(st, c) + *sqlite3_column_text(st, c); break;
            default: break;
            }
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return timer.nsecsElapsed() / 1e6 + double(sink & 0);
}

// The process's CPU time: on a machine shared with other work, the part of the wall clock
// that is this program's own.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    systemZoneOnceOnly();      // as the program starts
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int ladders = argc > 1 ? atoi(argv[1]) : 100000;
    QTemporaryDir tmp;
    const QString dir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path();
    if (!QFileInfo::exists(dir + QStringLiteral("/tarvino.sqlite"))) {
        QDir().mkpath(dir);
        DataGeneratorOptions o;
        o.dataDir = dir;
        o.ladders = ladders;
        o.companies = 220;
        o.years = 2;
        generateRegister(o);
    }
    Engine::instance().addSessionAlias(QStringLiteral("TARVINO"), dir);
    TDataModule1 dm;
    TLtFirmAbt abt(*dm.StFirmAbtList);
    printf("register: %d ladders, %d companies/sites/departments\n", dm.SLeiter->recordCount(),
           dm.StFirmAbtList->recordCount());

    FaelligAuswahl a;
    a.bis = a.heute.addDays(28);
    double floorMs = 1e18, listMs = 1e18;
    long long floorRows = 0;
    FaelligeListe liste;
    for (int i = 0; i < 5; ++i) {
        floorMs = std::min(floorMs, bareDueMs(dir, a.bis, floorRows));
        QElapsedTimer t;
        t.start();
        liste = faelligeLeitern(a, abt);
        listMs = std::min(listMs, t.nsecsElapsed() / 1e6);
    }
    printf("due list up to %s:\n", qPrintable(a.bis.toString(QStringLiteral("dd.MM.yyyy"))));
    printf("  bare SELECT ... WHERE PruefTermin < ? (SQLite C API) %8.1f ms  (%lld rows)\n", floorMs, floorRows);
    printf("  due list (types, paths, last inspections, ohne Termin) %6.1f ms  (%d overdue, %d due soon, %d without date)\n",
           listMs, liste.ueberfaellig, liste.baldFaellig, liste.ohneTermin);
    printf("  ratio                                                %8.1f\n", listMs / floorMs);

    std::unique_ptr<Table> leiter(createLeiterCursor(dm, abt, nullptr));
    leiter->open();
    setLeiterGridWidths(*leiter);
    const ExportTabelle tabelle = exportTabelle(*leiter, leiterGridColumns(true, false), QStringLiteral("Leitern"));
    for (ExportFormat f : {ExportFormat::Xlsx, ExportFormat::Csv}) {
        const QString file = tmp.filePath(f == ExportFormat::Xlsx ? QStringLiteral("leitern.xlsx") : QStringLiteral("leitern.csv"));
        double best = 1e18, bestCpu = 1e18;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer t;
            const double cpu0 = cpuMs();
            t.start();
            exportiere(tabelle, file, f);
            best = std::min(best, t.nsecsElapsed() / 1e6);
            bestCpu = std::min(bestCpu, cpuMs() - cpu0);
        }
        printf("export of the ladder grid (%lld rows x %d columns) to %s: %8.1f ms, %8.0f rows/s (CPU %7.1f ms, %8.0f rows/s), "
               "%lld KB\n",
               tabelle.zeilen, int(tabelle.spalten.size()), f == ExportFormat::Xlsx ? "XLSX" : "CSV ", best,
               tabelle.zeilen / (best / 1000.0), bestCpu, tabelle.zeilen / (bestCpu / 1000.0), QFileInfo(file).size() / 1024);
    }
    return 0;
}
