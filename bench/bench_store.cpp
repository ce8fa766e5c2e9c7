// Opening the main ladder cursor (Nr order, lookups, calculated department path) on a large
// register, against a bare SELECT of the same rows through the SQLite C API. With HW_TEST_PGHOST
// (HW_TEST_PGPORT, HW_TEST_PGUSER, PGPASSWORD) set, the same on a PostgreSQL server against
// the same SELECT through libpq.
#include "Backend.h"
#include "DataGenerator.h"
#include "Engine.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <cstdio>
#include <cstring>
#include <functional>

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

// The server's floor: the same SELECT through libpq, every value read once (text results,
// as the store reads them). The connection is made before the clock starts, as the store's is.
double bareSelectPgMs(const QString& conninfo)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QElapsedTimer timer;
    timer.start();
    PGresult* res = PQexec(conn, "SELECT * FROM LT_LEIT ORDER BY Nr");
    if (PQresultStatus(res) != PGRES_TUPLES_OK)
        fprintf(stderr, "floor: %s\n", PQerrorMessage(conn));
    long long sink = 0;
    const int rows = PQntuples(res), cols = PQnfields(res);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            if (!PQgetisnull(res, r, c))
                sink += PQgetlength(res, r, c) + *PQgetvalue(res, r, c);
    PQclear(res);
    const double ms = timer.nsecsElapsed() / 1e6;
    PQfinish(conn);
    benchmark::DoNotOptimize(sink);
    return ms;
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

// Best of three: the floor and the cursor, alternating.
void measure(const char* floorName, const std::function<double()>& floor, int ladders)
{
    const long rssBefore = peakRssMb();
    double floorMs = 1e18, openMs = 1e18;
    for (int run = 0; run < 3; ++run) {
        floorMs = std::min(floorMs, floor());
        Cursors c;
        QHash<int, QString> paths;
        openMs = std::min(openMs, openLadderCursorMs(c, paths));
        if (run == 0 && c.ladders.recordCount() != ladders)
            fprintf(stderr, "wrong row count %d\n", c.ladders.recordCount());
    }
    printf("bare SELECT (%s):%*s%8.1f ms\n", floorName, int(21 - strlen(floorName)), "", floorMs);
    printf("open ladder cursor (Nr, lookups):  %8.1f ms\n", openMs);
    printf("ratio cursor / floor:              %8.2f\n", openMs / floorMs);
    printf("peak resident memory:              %8ld MB (before opening: %ld MB)\n", peakRssMb(), rssBefore);
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
    measure("SQLite C API", [&] { return bareSelectMs(dir.path()); }, ladders);
    Engine::instance().reset();

    if (qEnvironmentVariableIsEmpty("HW_TEST_PGHOST"))
        return 0;
    // The same register on the server, in a database of its own that is dropped at the end.
    ServerSettings server;
    server.host = qEnvironmentVariable("HW_TEST_PGHOST");
    server.port = qEnvironmentVariableIntValue("HW_TEST_PGPORT");
    server.user = qEnvironmentVariable("HW_TEST_PGUSER");
    server.database = QStringLiteral("postgres");
    const QString dbName = QStringLiteral("hwbench_%1").arg(QCoreApplication::applicationPid());
    createPgBackend(server.connInfo())->exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(dbName), {});
    const QString maintenance = server.connInfo();
    server.database = dbName;
    try {
        o.dataDir = server.connInfo();
        o.driver = QStringLiteral("POSTGRESQL");
        gen.restart();
        generateRegister(o);
        printf("\nPostgreSQL on %s (generated in %.1f s)\n", qPrintable(server.host), gen.nsecsElapsed() / 1e9);
        createPgBackend(server.connInfo())->exec(QStringLiteral("VACUUM ANALYZE"), {});
        Engine::instance().addServerAlias("TARVINO", server);
        measure("libpq", [&] { return bareSelectPgMs(server.connInfo()); }, ladders);
    } catch (const HwError& e) {
        fprintf(stderr, "%s\n", e.what());
    }
    Engine::instance().reset();
    createPgBackend(maintenance)->exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(dbName), {});
    return 0;
}
