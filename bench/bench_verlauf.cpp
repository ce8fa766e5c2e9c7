// 10,000 ladder updates through the ladder cursor, each with its change history, against the
// same updates of a table of the same columns whose changes are not recorded, in one run and
// alternating in blocks. With HW_TEST_PGHOST (HW_TEST_PGPORT, HW_TEST_PGUSER, PGPASSWORD) set,
// the same on a PostgreSQL server.
//   bench_verlauf [updates, default 10000] [ladders, default 500]
#include "Backend.h"
#include "Catalog.h"
#include "Engine.h"
#include "Schema.h"
#include "ScratchPg.h"
#include "Table.h"
#include "Verlauf.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const QString kCopy = QStringLiteral("LT_LEIT_OHNE");

void fill(Table& t, int ladders)
{
    for (int i = 1; i <= ladders; ++i) {
        t.append();
        t.setValue(QStringLiteral("Nr"), i);
        t.setValue(QStringLiteral("KurzBez"), QStringLiteral("Leiter %1").arg(i));
        t.setValue(QStringLiteral("PrMaterial"), true);
        t.post();
    }
}

// Two fields per save, as an office changes a ladder.
double updatesMs(Table& t, int count, int& serial)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i, ++serial) {
        t.next();
        if (t.eof())
            t.first();
        t.edit();
        t.setValue(QStringLiteral("KurzBez"), QStringLiteral("Leiter geändert %1").arg(serial));
        t.setValue(QStringLiteral("PruefTermin"), QDate(2027, 1, 1).addDays(serial % 365));
        t.post();
    }
    return timer.nsecsElapsed() / 1e6;
}

void measure(const char* where, int updates, int ladders)
{
    Backend& db = Engine::instance().backend();
    TableDef copy = Schema::ladders();
    copy.name = kCopy;
    for (IndexDef& i : copy.indexes)
        if (!i.primary)
            i.name = QStringLiteral("O") + i.name;
    Catalog::createTable(db, copy);
    Table with(QStringLiteral("LT_LEIT")), without(kCopy);
    with.setIndexFieldNames(QStringLiteral("Nr"));
    without.setIndexFieldNames(QStringLiteral("Nr"));
    with.open();
    without.open();
    fill(with, ladders);
    fill(without, ladders);
    with.first();
    without.first();
    constexpr int kBlocks = 10;
    const int block = std::max(1, updates / kBlocks);
    double msWith = 0, msWithout = 0;
    int serialWith = 0, serialWithout = 0;
    for (int done = 0; done < updates; done += block) {
        const int n = std::min(block, updates - done);
        msWithout += updatesMs(without, n, serialWithout);
        msWith += updatesMs(with, n, serialWith);
    }
    const Verlauf::Pruefung check = Verlauf::pruefen(db);
    printf("%s: %d updates of %d ladders\n", where, updates, ladders);
    printf("  %-34s%10.1f ms  (%.3f ms each)\n", "without history (same columns):", msWithout, msWithout / updates);
    printf("  %-34s%10.1f ms  (%.3f ms each)\n", "with history (LT_LEIT):", msWith, msWith / updates);
    printf("  %-34s%10.2f  (goal <= 1.5)\n", "ratio with / without:", msWith / msWithout);
    printf("  %-34s%s\n", "history check:", qPrintable(check.text));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int updates = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int ladders = argc > 2 ? std::max(1, atoi(argv[2])) : 500;
    Engine::instance().setUserName(QStringLiteral("Bench"));
    {
        QTemporaryDir dir;
        Engine::instance().setNetFileDir(dir.path());
        Engine::instance().addSessionAlias(QStringLiteral("TARVINO"), dir.path());
        measure("SQLite", updates, ladders);
        Engine::instance().reset();
    }
    if (!ScratchPgDatabase::configured())
        return 0;
    {
        ScratchPgDatabase db(QStringLiteral("hwbench_verlauf"));
        try {
            QTemporaryDir dir;
            Engine::instance().setNetFileDir(dir.path());
            Engine::instance().addServerAlias(QStringLiteral("TARVINO"), db.settings());
            measure("PostgreSQL", updates, ladders);
        } catch (const HwError& e) {
            fprintf(stderr, "%s\n", e.what());
        }
        Engine::instance().reset();
    }
    return 0;
}
