// The count report over a large register, from the start handler of the selection window to
// the rendered pages, against the bare GROUP BY count through the SQLite C API in the same run.
//   bench_countreport [ladders] [companies] [data dir]
// Default 100000 ladders, 220 companies (~2,000 nodes) in a temporary directory; a data
// directory that already holds a register is used as it is.
#include "DataGenerator.h"
#include "DataModule.h"
#include "DbTreeLookupComboBox.h"
#include "Dialogs.h"
#include "Engine.h"
#include "RenderedReport.h"
#include "RepMenue.h"
#include "TVekStdPreviewForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <algorithm>
#include <cstdio>

namespace {

// The floor: the counts per department as the database computes them, every row read once.
double bareCountMs(const QString& dir, long long& total)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QString(dir + "/tarvino.sqlite").toUtf8().constData(), &db,
                    SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT FirmenAbtID, count(*) FROM LT_LEIT WHERE ID > 0 GROUP BY FirmenAbtID", -1, &st,
                       nullptr);
    total = 0;
    long long sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        sink += sqlite3_column_int64(st, 0);
        total += sqlite3_column_int64(st, 1);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return timer.nsecsElapsed() / 1e6 + double(sink & 0);
}

struct Run {
    double ms = 0;
    int pages = 0;
    QString summe;
};

// "&Vorschau" of the "Firmen.-Übersicht" tab; the clock stops when the preview window receives
// the completely rendered report.
Run countReportMs(TDataModule1& dm, bool department)
{
    TRepMenue menue(dm);
    if (department) {
        // The first company: its subtree is counted, the whole structure listed.
        menue.DbTreeLookupAbt->setKeyValue(dm.StFirmAbtList->lookup(QStringLiteral("ParentID"), {0}, QStringLiteral("ID")));
    }
    Run run;
    QElapsedTimer timer;
    Dialogs::setFormHook([&](QDialog* d) {
        run.ms = timer.nsecsElapsed() / 1e6;
        if (auto* f = qobject_cast<TVekStdPreviewForm*>(d)) {
            run.pages = f->report()->pageCount();
            const QStringList t = f->report()->texts(run.pages);
            run.summe = t.value(t.indexOf(QStringLiteral("Summe :")) + 1);
        }
        return int(QDialog::Accepted);
    });
    timer.start();
    menue.AusgabeCountBlatt(menue.vorschauButton(4));
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int ladders = argc > 1 ? atoi(argv[1]) : 100000;
    const int companies = argc > 2 ? atoi(argv[2]) : 220;

    QTemporaryDir tmp;
    const QString dir = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();
    if (!QFileInfo::exists(dir + QStringLiteral("/tarvino.sqlite"))) {
        QDir().mkpath(dir);
        DataGeneratorOptions o;
        o.dataDir = dir;
        o.ladders = ladders;
        o.companies = companies;
        o.years = 1;
        generateRegister(o);
    }
    Engine::instance().addSessionAlias(QStringLiteral("TARVINO"), dir);
    Dialogs::setTestMode(true);
    TDataModule1 dm;
    printf("register: %d ladders, %d companies/sites/departments\n", dm.SLeiter->recordCount(),
           dm.StFirmAbtList->recordCount());

    for (bool department : {false, true}) {
        double floorMs = 1e18;
        Run best;
        best.ms = 1e18;
        long long total = 0;
        for (int i = 0; i < 3; ++i) {
            floorMs = std::min(floorMs, bareCountMs(dir, total));
            const Run r = countReportMs(dm, department);
            if (r.ms < best.ms)
                best = r;
        }
        printf("%s:\n", department ? "department of the first company (whole structure)" : "no department");
        printf("  bare GROUP BY (SQLite C API)    %8.1f ms  (%lld ladders)\n", floorMs, total);
        printf("  count report, handler to pages %8.1f ms  (%d pages, Summe : %s)\n", best.ms, best.pages,
               qPrintable(best.summe));
        printf("  ratio                           %8.1f\n", best.ms / floorMs);
    }
    if (Dialogs::unscriptedCount() > 0)
        fprintf(stderr, "unexpected dialogs: %s\n", qPrintable(Dialogs::shownTexts().join(" | ")));
    return 0;
}
