// Opening the main ladder cursor (Nr order, lookups, calculated department path) on a large
// register, against a bare SELECT of the same rows through the SQLite C API.
#include "DataGenerator.h"
#include "Engine.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <cstdio>

namespace {

long peakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// The floor: every row and column read once, as the store must do at least.
double bareSelectMs(const QString& dir)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QString(dir + "/tarvino.sqlite").toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM LT_LEIT ORDER BY Nr", -1, &st, nullptr);
    long long sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const int n = sqlite3_column_count(st);
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER: sink += sqlite3_column_int64(st, c); break;
            case SQLITE_FLOAT: sink += (long long)sqlite3_column_double(st, c); break;
            case SQLITE_TEXT: sink += sqlite3_column_bytes(st, c); sink += *sqlite3_column_text(st, c); break;
            default: break;
            }
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    benchmark::DoNotOptimize(sink);
    return timer.nsecsElapsed() / 1e6;
}

struct Cursors {
    Table kinds{"PR_TAB"}, types{"LARTEN"}, materials{"MATERIAL"}, firms{"FIRMEN"};
    Table ladders{"LT_LEIT"};
};

// The main window's cursor: Nr order, four lookups and the department path computed per row.
double openLadderCursorMs(Cursors& c, QHash<int, QString>& paths)
{
    QElapsedTimer timer;
    timer.start();
    for (Table* t : {&c.kinds, &c.types, &c.materials, &c.firms})
        t->open();
    paths.clear();
    QHash<int, std::pair<int, QString>> nodes;
    for (c.firms.first(); !c.firms.isEmpty(); c.firms.next()) {
        nodes.insert(c.firms.field("ID").asInteger(), {c.firms.field("ParentID").asInteger(), c.firms.field("KurzBez").asString()});
        if (c.firms.recNo() == c.firms.recordCount())
            break;
    }
    for (auto it = nodes.begin(); it != nodes.end(); ++it) {
        QStringList parts;
        int id = it.key();
        for (int steps = 0; nodes.contains(id) && steps <= nodes.size(); ++steps) {
            parts.prepend(nodes[id].second);
            id = nodes[id].first;
        }
        paths.insert(it.key(), parts.join(" - "));
    }
    Table& t = c.ladders;
    t.addLookupField("PruefungArtText", 30, "Prüfung", "PruefungArt_ID", &c.kinds, "Nr", "KurzBez");
    t.addLookupField("Art", 30, "Leiter-Art", "Art_ID", &c.types, "ID", "KurzBez");
    t.addLookupField("Mat", 30, "Material", "Mat_ID", &c.materials, "ID", "KurzBez");
    t.addLookupField("FirmaAbteilung", 30, "", "FirmenAbtID", &c.firms, "ID", "KurzBez");
    FieldDef path;
    path.name = "FirmaAbtText";
    path.type = FieldType::Text;
    path.size = 50;
    t.addCalculatedField(path);
    t.onCalcFields = [&paths](DataSet& d) { d.setValue("FirmaAbtText", paths.value(d.field("FirmenAbtID").asInteger())); };
    t.setIndexFieldNames("Nr");
    t.open();
    t.first();
    // What the grid shows first: one screen of rows with their lookups and paths.
    long long sink = 0;
    for (int r = 0; r < 40 && r < t.recordCount(); ++r)
        for (int f = 0; f < t.fieldCount(); ++f)
            sink += t.displayTextAt(r, f).size();
    benchmark::DoNotOptimize(sink);
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int ladders = argc > 1 ? atoi(argv[1]) : 100000;
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
    const long rssBefore = peakRssMb();

    double floorMs = 1e18, openMs = 1e18;
    for (int run = 0; run < 3; ++run) {
        floorMs = std::min(floorMs, bareSelectMs(dir.path()));
        Cursors c;
        QHash<int, QString> paths;
        openMs = std::min(openMs, openLadderCursorMs(c, paths));
        if (run == 0 && c.ladders.recordCount() != ladders)
            fprintf(stderr, "wrong row count %d\n", c.ladders.recordCount());
    }
    printf("bare SELECT (SQLite C API):        %8.1f ms\n", floorMs);
    printf("open ladder cursor (Nr, lookups):  %8.1f ms\n", openMs);
    printf("ratio cursor / floor:              %8.2f\n", openMs / floorMs);
    printf("peak resident memory:              %8ld MB (before opening: %ld MB)\n", peakRssMb(), rssBefore);
    Engine::instance().reset();
    return 0;
}
