#pragma once
// What bench_store and bench_startup both measure: the main ladder cursor's open and its floor,
// the bare SELECT of LT_LEIT through the database's C API.
#include "Table.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <cstdio>
#include <utility>

namespace ladderbench {

// Peak resident memory of this process so far, in KB: VmHWM of the process's own address space.
// getrusage's ru_maxrss is not used: Linux carries the high-water mark of the address space
// replaced by exec over into it, so a child started by a large parent would report the parent's.
inline long peakRssKb()
{
    if (FILE* f = fopen("/proc/self/status", "r")) {
        char line[256];
        long kb = -1;
        while (fgets(line, sizeof line, f))
            if (sscanf(line, "VmHWM: %ld kB", &kb) == 1)
                break;
        fclose(f);
        if (kb >= 0)
            return kb;
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The SELECT of the floor; bench_store's asks for the cursor's order too.
inline constexpr const char* SortedSelect = "SELECT * FROM LT_LEIT ORDER BY Nr";

// The floor: every row and column read once, as the store must do at least.
inline double bareSelectMs(const QString& dir, const char* sql = SortedSelect)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QString(dir + "/tarvino.sqlite").toUtf8().constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
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
// readMs gets the time before PQclear: freeing a large result can cost as much as receiving it
// (glibc trims the heap page by page as the blocks go back, each trim a TLB flush on a VM).
inline double bareSelectPgMs(const QString& conninfo, const char* sql = SortedSelect, double* readMs = nullptr)
{
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    QElapsedTimer timer;
    timer.start();
    PGresult* res = PQexec(conn, sql);
    if (PQresultStatus(res) != PGRES_TUPLES_OK)
        fprintf(stderr, "floor: %s\n", PQerrorMessage(conn));
    long long sink = 0;
    const int rows = PQntuples(res), cols = PQnfields(res);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            if (!PQgetisnull(res, r, c))
                sink += PQgetlength(res, r, c) + *PQgetvalue(res, r, c);
    if (readMs)
        *readMs = timer.nsecsElapsed() / 1e6;
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
inline double openLadderCursorMs(Cursors& c, QHash<int, QString>& paths)
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

} // namespace ladderbench
