// Opening the main ladder cursor (Nr order, lookups, calculated department path) on a large
// register, against a bare SELECT of the same rows through the SQLite C API. With HW_TEST_PGHOST
// (HW_TEST_PGPORT, HW_TEST_PGUSER, PGPASSWORD) set, the same on a PostgreSQL server against
// the same SELECT through libpq.
//   bench_store [ladders, default 100000] [runs, default 3]
// Prints the first open in the process (cold caches of the store and the allocator) beside the
// best of the runs, for the cursor and for the floor.
#include "Backend.h"
#include "DataGenerator.h"
#include "Engine.h"
#include "LadderCursorBench.h"
#include "ScratchPg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using namespace ladderbench;

long peakRssMb() { return peakRssKb() / 1024; }

// The first open in this process (what a user waits for) beside the best of the runs; the floor
// and the cursor alternate.
void measure(const char* floorName, const std::function<double()>& floor, int ladders, int runs)
{
    const long rssBefore = peakRssMb();
    double floorFirst = 0, openFirst = 0, floorBest = 1e18, openBest = 1e18;
    for (int run = 0; run < runs; ++run) {
        const double f = floor();
        Cursors c;
        QHash<int, QString> paths;
        const double o = openLadderCursorMs(c, paths);
        if (run == 0) {
            floorFirst = f;
            openFirst = o;
            if (c.ladders.recordCount() != ladders)
                fprintf(stderr, "wrong row count %d\n", c.ladders.recordCount());
        }
        floorBest = std::min(floorBest, f);
        openBest = std::min(openBest, o);
    }
    const QString floorLabel = QStringLiteral("bare SELECT (%1):").arg(QLatin1String(floorName));
    printf("%-36s%10s %10s\n", "", "first", qPrintable(QStringLiteral("best of %1").arg(runs)));
    printf("%-36s%10.1f %10.1f ms\n", qPrintable(floorLabel), floorFirst, floorBest);
    printf("%-36s%10.1f %10.1f ms\n", "open ladder cursor (Nr, lookups):", openFirst, openBest);
    printf("%-36s%10.2f %10.2f\n", "ratio cursor / floor:", openFirst / floorFirst, openBest / floorBest);
    printf("%-36s%10ld MB (before opening: %ld MB)\n", "peak resident memory:", peakRssMb(), rssBefore);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int ladders = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QTemporaryDir dir;
    DataGeneratorOptions o;
    o.dataDir = dir.path();
    o.companies = 8;
    o.ladders = ladders;
    o.years = 6;
    QElapsedTimer gen;
    gen.start();
    const DataGeneratorResult r = generateRegister(o);
    printf("register: %d ladders, %d inspections, %d nodes (generated in %.1f s)\n", r.ladders, r.inspections,
           r.departments, gen.nsecsElapsed() / 1e9);
    Engine::instance().addSessionAlias("TARVINO", dir.path());
    measure("SQLite C API", [&] { return bareSelectMs(dir.path()); }, ladders, runs);
    Engine::instance().reset();

    if (!ScratchPgDatabase::configured())
        return 0;
    // The same register on the server, in a database of its own that is dropped at the end.
    {
        ScratchPgDatabase db(QStringLiteral("hwbench"));
        const ServerSettings server = db.settings();
        try {
            o.dataDir = server.connInfo();
            o.driver = QStringLiteral("POSTGRESQL");
            gen.restart();
            generateRegister(o);
            printf("\nPostgreSQL on %s (generated in %.1f s)\n", qPrintable(server.host), gen.nsecsElapsed() / 1e9);
            createPgBackend(server.connInfo())->exec(QStringLiteral("VACUUM ANALYZE"), {});
            Engine::instance().addServerAlias("TARVINO", server);
            measure("libpq", [&] { return bareSelectPgMs(server.connInfo()); }, ladders, runs);
        } catch (const HwError& e) {
            fprintf(stderr, "%s\n", e.what());
        }
        Engine::instance().reset();
    }
    return 0;
}
