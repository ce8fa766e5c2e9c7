// Import of a register kept as Paradox tables: LT_LEIT and LT_PRUEF with every column the
// register knows, written by the benchmark with pxlib (a memo on every tenth ladder, umlauts in
// Windows-1252), taken over into a fresh data directory; against reading the same tables with
// pxlib alone (every record, every field decoded by pxlib), measured in the same run before and
// after the import. Rows per second and the ratio import / reading. The benchmark writes its
// tables block by block (ParadoxWriter::setBulk): pxlib's PX_put_record needs minutes for
// 50,000 rows. With HW_TEST_PGHOST the same tables are also taken over into a scratch
// database on that PostgreSQL server, against the same reading and against the rows copied
// inside the server.
//   bench_import [ladders, default 100000] [inspections per ladder, default 6] [--tables DIR]
#include "Engine.h"
#include "ParadoxImport.h"
#include "ParadoxMemo.h"
#include "ParadoxRecords.h"
#include "ParadoxWriter.h"
#include "ScratchPg.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sqlite3.h>
extern "C" {
#include <paradox.h>
}

namespace {

char pxType(FieldType t)
{
    switch (t) {
    case FieldType::Integer: return pxfLong;
    case FieldType::AutoInc: return pxfAutoInc;
    case FieldType::Float: return pxfNumber;
    case FieldType::Text: return pxfAlpha;
    case FieldType::Memo: return pxfMemoBLOb;
    case FieldType::Date: return pxfDate;
    case FieldType::DateTime: return pxfTimestamp;
    case FieldType::Boolean: return pxfLogical;
    }
    return pxfAlpha;
}

const QString kMemo = QStringLiteral("Holm links gerichtet, Fußplatte erneuert, Sprosse 3 geprüft. ").repeated(4);

QVariant valueFor(const FieldDef& f, qint64 row, qint64 ladders, int perLadder)
{
    const QString& n = f.name;
    if (n == QLatin1String("ID") || n == QLatin1String("Nr"))
        return row;
    if (n == QLatin1String("LT_ID"))
        return (row - 1) / perLadder + 1;
    if (n.endsWith(QLatin1String("_ID"), Qt::CaseInsensitive) || n.endsWith(QLatin1String("AbtID")))
        return row % 20 + 1;
    switch (f.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        if (f.minValue && f.maxValue)
            return qint64(*f.minValue) + row % (qint64(*f.maxValue - *f.minValue) + 1);
        return row % 40 + 1;
    case FieldType::Float: return 1.5 + double(row % 10) * 0.25;
    case FieldType::Boolean: return row % 3 == 0;
    case FieldType::Date: return QDate(2018, 1, 1).addDays(row % 2500);
    case FieldType::DateTime: return QDateTime(QDate(2024, 3, 1).addDays(row % 300), QTime(8, 0).addSecs(row % 30000));
    case FieldType::Memo: return row % 10 == 0 ? QVariant(kMemo) : QVariant();
    case FieldType::Text: {
        if (row % 4 == 3 && !f.required)
            return QVariant();
        return QStringLiteral("Stehleiter Größe %1 Süd").arg(row % 97).left(std::max(1, f.size));
    }
    }
    Q_UNUSED(ladders);
    return QVariant();
}

void writeTable(const QString& dir, const TableDef& def, qint64 rows, qint64 ladders, int perLadder)
{
    QList<ParadoxWriter::Column> cols;
    bool memo = false;
    for (const FieldDef& f : def.fields) {
        if (!f.isStored())
            continue;
        const char t = pxType(f.type);
        cols << ParadoxWriter::Column{f.name.toLatin1(), t, t == pxfAlpha ? std::max(1, f.size) : t == pxfMemoBLOb ? 20 : 0};
        memo = memo || t == pxfMemoBLOb;
    }
    ParadoxWriter w(QDir(dir).filePath(def.name + QStringLiteral(".DB")), cols, 1252,
                    memo ? QDir(dir).filePath(def.name + QStringLiteral(".MB")) : QString());
    w.setBulk(true);
    QVariantList values;
    for (qint64 r = 1; r <= rows; ++r) {
        values.clear();
        for (const FieldDef& f : def.fields)
            if (f.isStored())
                values << valueFor(f, r, ladders, perLadder);
        w.addRow(values);
    }
}

pxdoc_t* openTable(const QString& file)
{
    pxdoc_t* doc = PX_new();
    if (PX_open_file(doc, QFile::encodeName(file).constData()) < 0) {
        fprintf(stderr, "cannot open %s\n", qPrintable(file));
        exit(1);
    }
    return doc;
}

// Every record of the table and every field decoded by pxlib: the records walked block by
// block (ParadoxRecords, as the import reads them), memos through the program's reader
// (pxlib's own one cannot open a memo file, see ParadoxMemo.h).
qint64 readWithPxlib(const QString& file, const QString& memoFile, double& checksum)
{
    pxdoc_t* doc = openTable(file);
    std::unique_ptr<ParadoxMemoFile> memo;
    if (!memoFile.isEmpty())
        memo = std::make_unique<ParadoxMemoFile>(memoFile);
    pxhead_t* h = doc->px_head;
    ParadoxRecords records(file, ParadoxRecords::Layout{h->px_headersize, qint64(h->px_maxtablesize) * 1024, h->px_firstblock,
                                                        h->px_fileblocks, h->px_recordsize});
    QByteArray blob;
    QString reason;
    while (char* rec = records.next()) {
        char* data = rec;
        for (int i = 0; i < h->px_numfields; ++i) {
            const pxfield_t& f = h->px_fields[i];
            switch (f.px_ftype) {
            case pxfAlpha: {
                char* s = nullptr;
                if (PX_get_data_alpha(doc, data, f.px_flen, &s) > 0 && s) {
                    checksum += s[0];
                    doc->free(doc, s);
                }
                break;
            }
            case pxfDate:
            case pxfLong:
            case pxfAutoInc: {
                long v = 0;
                if (PX_get_data_long(doc, data, f.px_flen, &v) > 0)
                    checksum += double(v);
                break;
            }
            case pxfShort: {
                short v = 0;
                if (PX_get_data_short(doc, data, f.px_flen, &v) > 0)
                    checksum += v;
                break;
            }
            case pxfNumber:
            case pxfTimestamp: {
                double v = 0;
                if (PX_get_data_double(doc, data, f.px_flen, &v) > 0)
                    checksum += v * 1e-9;
                break;
            }
            case pxfLogical: {
                char v = 0;
                if (PX_get_data_byte(doc, data, f.px_flen, &v) > 0)
                    checksum += v;
                break;
            }
            case pxfMemoBLOb:
                if (memo && memo->read(data, f.px_flen, &blob, &reason))
                    checksum += double(blob.size());
                break;
            default: break;
            }
            data += f.px_flen;
        }
    }
    const qint64 n = records.read();
    PX_close(doc);
    PX_delete(doc);
    return n;
}

// pxlib's own record access, PX_get_record(doc, n, ...), on the first rows of a table.
double getRecordRowsPerSecond(const QString& file, int rows)
{
    pxdoc_t* doc = openTable(file);
    QByteArray rec(doc->px_head->px_recordsize, 0);
    rows = std::min(rows, doc->px_head->px_numrecords);
    QElapsedTimer t;
    t.start();
    for (int r = 0; r < rows; ++r)
        PX_get_record(doc, r, rec.data());
    const double s = double(t.nsecsElapsed()) / 1e9;
    PX_close(doc);
    PX_delete(doc);
    return rows / s;
}

// CPU time of the process: on a machine shared with other work the wall clock of a run
// scatters by a factor of two, the CPU a run takes much less.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Took {
    double wallMs = 0;
    double cpuMs = 0;
};

Took readAll(const QString& dir, qint64& rows, double& checksum)
{
    QElapsedTimer t;
    t.start();
    const double cpu = cpuMs();
    rows = readWithPxlib(QDir(dir).filePath(QStringLiteral("LT_LEIT.DB")), QDir(dir).filePath(QStringLiteral("LT_LEIT.MB")), checksum)
         + readWithPxlib(QDir(dir).filePath(QStringLiteral("LT_PRUEF.DB")), QString(), checksum);
    return Took{double(t.nsecsElapsed()) / 1e6, cpuMs() - cpu};
}

void execOrDie(sqlite3* db, const QByteArray& sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        fprintf(stderr, "sqlite: %s\n  in %s\n", err ? err : "?", sql.constData());
        exit(1);
    }
}

// What writing the rows costs SQLite itself: the imported tables copied into a fresh file of
// the same schema inside SQLite (INSERT ... SELECT in one transaction, every index made after the
// rows), no value passing through the program at all. The connection makes the attached file,
// so it opens with the right to create.
Took copyInsideSqlite(const QString& registerFile, const QString& copyFile)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(registerFile).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        fprintf(stderr, "cannot open %s\n", qPrintable(registerFile));
        exit(1);
    }
    QList<QByteArray> tables, indexes;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT type, name, sql FROM sqlite_master WHERE name IN ('LT_LEIT', 'LT_PRUEF') OR "
                       "(type = 'index' AND tbl_name IN ('LT_LEIT', 'LT_PRUEF') AND sql IS NOT NULL)",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QByteArray type(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        const QByteArray sql(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        (type == "table" ? tables : indexes) << sql;
    }
    sqlite3_finalize(st);
    execOrDie(db, "ATTACH DATABASE '" + QFile::encodeName(copyFile) + "' AS copy");
    for (QByteArray sql : tables)
        execOrDie(db, sql.replace("CREATE TABLE ", "CREATE TABLE copy."));
    QElapsedTimer t;
    t.start();
    const double cpu = cpuMs();
    execOrDie(db, "BEGIN");
    execOrDie(db, "INSERT INTO copy.LT_LEIT SELECT * FROM main.LT_LEIT");
    execOrDie(db, "INSERT INTO copy.LT_PRUEF SELECT * FROM main.LT_PRUEF");
    for (QByteArray sql : indexes) {
        sql.replace("CREATE UNIQUE INDEX ", "CREATE UNIQUE INDEX copy.");
        sql.replace("CREATE INDEX ", "CREATE INDEX copy.");
        execOrDie(db, sql);
    }
    execOrDie(db, "COMMIT");
    const Took took{double(t.nsecsElapsed()) / 1e6, cpuMs() - cpu};
    sqlite3_close(db);
    return took;
}

// The PostgreSQL counterpart of copyInsideSqlite: both tables copied into empty tables of the
// same columns on the server (INSERT ... SELECT in one transaction, the indexes made after
// the rows).
Took copyInsidePg(const QString& connInfo)
{
    std::unique_ptr<Backend> db = createPgBackend(connInfo);
    QStringList indexes;
    auto c = db->select(QStringLiteral("SELECT indexdef FROM pg_indexes WHERE schemaname = current_schema() "
                                       "AND tablename IN ('lt_leit', 'lt_pruef')"),
                        {});
    while (c->next())
        indexes << c->textValue(0);
    c.reset();
    for (const char* t : {"lt_leit", "lt_pruef"})
        db->exec(QStringLiteral("CREATE TABLE copy_%1 (LIKE %1 INCLUDING DEFAULTS)").arg(QLatin1String(t)), {});
    QElapsedTimer t;
    t.start();
    const double cpu = cpuMs();
    db->exec(QStringLiteral("BEGIN"), {});
    db->exec(QStringLiteral("INSERT INTO copy_lt_leit SELECT * FROM lt_leit"), {});
    db->exec(QStringLiteral("INSERT INTO copy_lt_pruef SELECT * FROM lt_pruef"), {});
    for (QString sql : std::as_const(indexes)) {
        // "CREATE [UNIQUE] INDEX name ON public.lt_leit USING ..." for the copy
        sql.replace(QLatin1String("INDEX "), QLatin1String("INDEX copy_"));
        sql.replace(QLatin1String(".lt_"), QLatin1String(".copy_lt_"));
        db->exec(sql, {});
    }
    db->exec(QStringLiteral("COMMIT"), {});
    return Took{double(t.nsecsElapsed()) / 1e6, cpuMs() - cpu};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const qint64 ladders = argc > 1 ? std::atoll(argv[1]) : 100000;
    const int perLadder = argc > 2 ? std::atoi(argv[2]) : 6;
    QTemporaryDir src, target;
    // --tables DIR: only write the tables there (to try "Daten übernehmen" by hand).
    if (argc > 4 && QByteArray(argv[3]) == "--tables") {
        QDir().mkpath(QString::fromLocal8Bit(argv[4]));
        writeTable(QString::fromLocal8Bit(argv[4]), Schema::ladders(), ladders, ladders, perLadder);
        writeTable(QString::fromLocal8Bit(argv[4]), Schema::inspections(), ladders * perLadder, ladders, perLadder);
        return 0;
    }

    QElapsedTimer t;
    t.start();
    writeTable(src.path(), Schema::ladders(), ladders, ladders, perLadder);
    writeTable(src.path(), Schema::inspections(), ladders * perLadder, ladders, perLadder);
    printf("Paradox tables written by pxlib: %lld ladders, %lld inspections (%.1f s)\n", static_cast<long long>(ladders),
           static_cast<long long>(ladders * perLadder), double(t.elapsed()) / 1000.0);

    qint64 rows = 0;
    double checksum = 0;
    const Took floor1 = readAll(src.path(), rows, checksum);

    Engine& engine = Engine::instance();
    engine.setNetFileDir(target.path());
    engine.addSessionAlias(QStringLiteral("TARVINO"), target.path());
    engine.backend();     // schema created before the clock runs
    ParadoxImport imp(src.path());
    imp.setConfirmRefusals([](const ImportReport& r) {
        fprintf(stderr, "%s\n", qPrintable(r.details(10)));
        return false;
    });
    t.restart();
    const double importCpu0 = cpuMs();
    ImportReport rep;
    try {
        rep = imp.run();
    } catch (const Abort&) {
        fprintf(stderr, "rows refused: the benchmark's tables do not fit the register\n");
        return 1;
    }
    const Took import{double(t.nsecsElapsed()) / 1e6, cpuMs() - importCpu0};
    const Took floor2 = readAll(src.path(), rows, checksum);
    const Took floor{std::min(floor1.wallMs, floor2.wallMs), std::min(floor1.cpuMs, floor2.cpuMs)};

    qint64 imported = 0;
    for (const ImportTableResult& r : rep.tables)
        imported += r.imported;
    printf("%-44s%10.0f ms  %10.0f rows/s   CPU %8.0f ms\n", "reading with pxlib alone (best of 2):", floor.wallMs,
           rows / floor.wallMs * 1000.0, floor.cpuMs);
    printf("%-44s%10.0f ms  %10.0f rows/s   CPU %8.0f ms\n", "import into a data directory (SQLite):", import.wallMs,
           imported / import.wallMs * 1000.0, import.cpuMs);
    printf("ratio import / reading: %.2f, in CPU time %.2f (goal <= 2)   rows %lld of %lld, checksum %.0f\n",
           import.wallMs / floor.wallMs, import.cpuMs / floor.cpuMs, static_cast<long long>(imported), static_cast<long long>(rows),
           checksum);
    const int probe = 20000;
    const Took copy = copyInsideSqlite(QDir(target.path()).filePath(QStringLiteral("tarvino.sqlite")),
                                       QDir(target.path()).filePath(QStringLiteral("copy.sqlite")));
    printf("%-44s%10.0f ms  %10.0f rows/s   CPU %8.0f ms\n", "the rows copied inside SQLite (indexes after):",
           copy.wallMs, imported / copy.wallMs * 1000.0, copy.cpuMs);
    printf("ratio import / (reading + copy inside SQLite): %.2f, in CPU time %.2f\n", import.wallMs / (floor.wallMs + copy.wallMs),
           import.cpuMs / (floor.cpuMs + copy.cpuMs));
    printf("for comparison, pxlib's PX_get_record on the first %d inspections: %.0f rows/s\n", probe,
           getRecordRowsPerSecond(QDir(src.path()).filePath(QStringLiteral("LT_PRUEF.DB")), probe));
    if (!rep.committed || imported != rows)
        return 1;
    engine.reset();
    if (!ScratchPgDatabase::configured())
        return 0;

    // The same tables into an empty register on the server. CPU time is this process's only:
    // the server's own work runs in its process, so only the wall clock compares.
    ScratchPgDatabase pg(QStringLiteral("hwbench_import"));
    Took pgImport, pgCopy;
    qint64 pgImported = 0;
    try {
        engine.addServerAlias(QStringLiteral("TARVINO"), pg.settings());
        engine.backend();     // schema created before the clock runs
        ParadoxImport pgImp(src.path());
        t.restart();
        const double cpu = cpuMs();
        const ImportReport pgRep = pgImp.run();
        pgImport = Took{double(t.nsecsElapsed()) / 1e6, cpuMs() - cpu};
        for (const ImportTableResult& r : pgRep.tables)
            pgImported += r.imported;
        engine.reset();
        pgCopy = copyInsidePg(pg.connInfo());
    } catch (const HwError& e) {
        fprintf(stderr, "%s\n", e.what());
        engine.reset();
        return 1;
    }
    const Took floor3 = readAll(src.path(), rows, checksum);
    const double pgFloor = std::min(floor.wallMs, floor3.wallMs);
    printf("\nPostgreSQL on %s\n", qPrintable(pg.settings().host));
    printf("%-44s%10.0f ms  %10.0f rows/s   CPU %8.0f ms (this process)\n", "import into the server (COPY):", pgImport.wallMs,
           pgImported / pgImport.wallMs * 1000.0, pgImport.cpuMs);
    printf("ratio import / reading: %.2f (goal <= 2)   rows %lld of %lld\n", pgImport.wallMs / pgFloor,
           static_cast<long long>(pgImported), static_cast<long long>(rows));
    printf("%-44s%10.0f ms  %10.0f rows/s\n", "the rows copied inside the server (indexes after):", pgCopy.wallMs,
           pgImported / pgCopy.wallMs * 1000.0);
    printf("ratio import / (reading + copy inside the server): %.2f\n", pgImport.wallMs / (pgFloor + pgCopy.wallMs));
    return pgImported == rows ? 0 : 1;
}
