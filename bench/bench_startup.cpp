// What a user waits for at start-up: the program's own start (runHolmwacht, as main() calls it)
// on a generated register, from the user logged in (password checks done) to the main window
// shown with the event loop idle, with the peak memory from there on up to that moment; beside
// it the login's password checks and the whole time from runHolmwacht's call. Beside it, in the same run: the main
// ladder cursor opened alone (as bench_store opens it) and the floors, the bare SELECT of LT_LEIT
// through the database's C API: unsorted as the store sends it, in Nr order as bench_store's
// floor, and the first screen's 40 rows in Nr order (LIMIT 40). The first screen is the main
// window shown, the full load the main window idle. Each measurement runs in a process of its own, so that its peak
// resident memory is its own: the bench copies itself next to the register with a tarvino.ini
// and starts that copy (offscreen, no arguments; the mode goes by environment). The child answers
// the login dialog by keys, user "Demo", password "demo".
//
//   bench_startup [--sizes 10000,100000,1000000] [--runs 3] [--years 1] [--companies 8]
//                 [--pg-sizes 10000,100000]
// With HW_TEST_PGHOST (HW_TEST_PGPORT, HW_TEST_PGUSER, PGPASSWORD) set, the same against a
// PostgreSQL server for --pg-sizes, in a database of its own that is dropped afterwards; the
// floor is then the SELECT through libpq, up to every value read (PQclear of the result after
// the clock, printed beside it). At the end, for every size measured on both: PostgreSQL against
// SQLite, time and peak memory.
#include "Anmeldung.h"
#include "AppConfig.h"
#include "Backend.h"
#include "DataGenerator.h"
#include "DataModule.h"
#include "Engine.h"
#include "Errors.h"
#include "HwApplication.h"
#include "LadderCursorBench.h"
#include "LeiterVerw.h"
#include "PasswordDialog.h"
#include "ScratchPg.h"
#include "Startup.h"
#include "TabellenPasswoerter.h"
#include "UserState.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

namespace {

using namespace ladderbench;

constexpr const char* ModeVariable = "HW_BENCH_STARTUP_CHILD";

[[noreturn]] void childFails(const QString& why)
{
    fprintf(stderr, "child: %s\n", qPrintable(why));
    fflush(stdout);
    fflush(stderr);
    std::_Exit(3);
}

// ---------------------------------------------------------------- child processes

// runHolmwacht with the login answered by keys; the clock runs from its call and from the
// accepted login to the first moment the event loop waits after the main window was shown.
int childStartup(int argc, char** argv)
{
    HwApplication app(argc, argv);
    app.installGermanTranslations();
    const long baseKb = peakRssKb();

    QElapsedTimer clock;
    qint64 loginNs = -1, loggedInNs = -1, shownNs = -1, idleNs = -1;
    long loginPeakKb = 0, idlePeakKb = 0;
    int logins = 0, ladderRows = -1, windowRows = -1;
    qint64 rowBytes = -1;

    // Watches for the login dialog and any message box (which would mean the start failed).
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            childFails(QStringLiteral("message box \"%1\"").arg(box->text()));
        auto* dialog = qobject_cast<TvekPasswordDialog*>(modal);
        if (!dialog || !dialog->isVisible() || dialog->property("hwBenchAnswered").toBool())
            return;
        if (dialog->windowTitle() != QStringLiteral("Paßwort - Abfrage"))
            childFails(QStringLiteral("unexpected dialog \"%1\"").arg(dialog->windowTitle()));
        QWidget* focus = QApplication::focusWidget();
        if (!focus || focus->window() != dialog)
            return;     // not active yet
        if (++logins > 1)
            childFails(QStringLiteral("the login was asked again: user Demo/demo refused"));
        dialog->setProperty("hwBenchAnswered", true);
        QObject::connect(dialog, &QDialog::accepted, [&] { loginNs = clock.nsecsElapsed(); });
        QTest::keyClicks(focus, QStringLiteral("Demo"));
        QTest::keyClick(focus, Qt::Key_Return);
        QWidget* password = QApplication::focusWidget();
        QTest::keyClicks(password, QStringLiteral("demo"));
        QTest::keyClick(password, Qt::Key_Return);
    });
    watcher.start();

    // Shown main window, then the first time the event loop has nothing left to do.
    struct ShowFilter : QObject {
        std::function<void(TLeiterVerw*)> onShow;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (e->type() == QEvent::Show)
                if (auto* w = qobject_cast<TLeiterVerw*>(o))
                    onShow(w);
            return false;
        }
    } filter;
    QMetaObject::Connection idleWatch;
    filter.onShow = [&](TLeiterVerw* window) {
        if (shownNs >= 0)
            return;
        shownNs = clock.nsecsElapsed();
        watcher.stop();
        QTimer::singleShot(0, [&, window] {
            idleWatch = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [&, window] {
                // The full load: every ladder read, not only the first screen.
                if (window->leiter() && window->leiter()->rowsPending())
                    return;
                QObject::disconnect(idleWatch);
                idleNs = clock.nsecsElapsed();
                // A message box's own loop waits too: that is no idle main window.
                if (QWidget* modal = QApplication::activeModalWidget())
                    childFails(QStringLiteral("a modal window is open at idle: \"%1\"").arg(modal->windowTitle()));
                if (TDataModule1* dm = TDataModule1::instance())
                    ladderRows = dm->SLeiter->recordCount();
                windowRows = window->leiter() ? window->leiter()->recordCount() : -1;
                // The start-up's peak, before the rows' size is counted: the count keeps a set
                // of every distinct text (some 50 MB at a million ladders) that the program never holds.
                idlePeakKb = peakRssKb();
                rowBytes = window->leiter() ? window->leiter()->rowMemoryBytes() : -1;
                QCoreApplication::exit(0);
            });
        });
    };
    app.installEventFilter(&filter);

    // The password checks (Argon2id, 64 MB each) are the login's; the start-up proper begins
    // when the user is known. The peak is measured from there on: Linux resets the high-water
    // mark on "5" written to clear_refs.
    setLoggedInObserver([&] {
        loggedInNs = clock.nsecsElapsed();
        loginPeakKb = peakRssKb();
        if (FILE* f = fopen("/proc/self/clear_refs", "w")) {
            fputs("5", f);
            fclose(f);
        }
    });

    clock.start();
    const int rc = runHolmwacht(app, app.arguments());
    if (rc != 0 || idleNs < 0 || loginNs < 0 || loggedInNs < 0)
        childFails(QStringLiteral("runHolmwacht returned %1 (login %2, idle %3)").arg(rc).arg(loginNs >= 0).arg(idleNs >= 0));
    const long startPeakKb = idlePeakKb;
    printf("RESULT ms=%.3f whole_ms=%.3f shown_ms=%.3f login_ms=%.3f kb=%ld whole_kb=%ld base_kb=%ld rows=%d window_rows=%d "
           "row_kb=%lld\n",
           (idleNs - loggedInNs) / 1e6, idleNs / 1e6, (shownNs - loggedInNs) / 1e6, (loggedInNs - loginNs) / 1e6, startPeakKb,
           std::max(startPeakKb, loginPeakKb), baseKb, ladderRows, windowRows, rowBytes / 1024);
    return 0;
}

// The server of tarvino.ini, as the program reads it.
ServerSettings serverOf(const StartSettings& s)
{
    ServerSettings server;
    server.host = s.server;
    server.port = s.port.toInt();
    server.database = s.database;
    server.user = s.user;
    return server;
}

// The ladder cursor alone, opened as bench_store opens it, on the register of tarvino.ini.
int childCursor(int argc, char** argv, const StartSettings& s)
{
    QApplication app(argc, argv);
    const long baseKb = peakRssKb();
    if (s.usesServer()) {
        Engine::instance().addServerAlias(QStringLiteral("TARVINO"), serverOf(s));
    } else {
        Engine::instance().addSessionAlias(QStringLiteral("TARVINO"), s.dataPath);
    }
    double ms = 0;
    int rows = 0;
    try {
        // The database is opened and checked before the clock, as the program does before the
        // login: both figures start with an open database.
        Engine::instance().backend();
        Cursors c;
        QHash<int, QString> paths;
        ms = openLadderCursorMs(c, paths);
        rows = c.ladders.recordCount();
    } catch (const HwError& e) {
        childFails(e.message());
    }
    printf("RESULT ms=%.3f kb=%ld base_kb=%ld rows=%d\n", ms, peakRssKb(), baseKb, rows);
    return 0;
}

// The floor: one SELECT * FROM LT_LEIT, every value read once; unsorted as the store asks for
// it, in Nr order as bench_store's floor, or one screen of rows in Nr order.
int childSelect(int argc, char** argv, const StartSettings& s, const char* sql)
{
    QApplication app(argc, argv);
    const long baseKb = peakRssKb();
    double ms = 0, withClearMs = 0;
    if (s.usesServer()) {
        withClearMs = bareSelectPgMs(serverOf(s).connInfo(), sql, &ms);
    } else {
        ms = withClearMs = bareSelectMs(s.dataPath, sql);
    }
    printf("RESULT ms=%.3f whole_ms=%.3f kb=%ld base_kb=%ld\n", ms, withClearMs, peakRssKb(), baseKb);
    return 0;
}

int child(const QByteArray& mode, int argc, char** argv)
{
    // The settings of the copy next to the register, read as the program reads them.
    const QString ini = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteDir().filePath(QStringLiteral("tarvino.ini"));
    const StartSettings s = readStartSettings(ini);
    if (mode == "startup")
        return childStartup(argc, argv);
    if (mode == "startup-at-once") {
        // As before the first screen came first: every ladder read before the window is shown.
        qputenv("HW_BENCH_READ_AT_ONCE", "1");
        return childStartup(argc, argv);
    }
    if (mode == "cursor")
        return childCursor(argc, argv, s);
    if (mode == "select")
        return childSelect(argc, argv, s, "SELECT * FROM LT_LEIT");
    if (mode == "select-sorted")
        return childSelect(argc, argv, s, SortedSelect);
    if (mode == "select-screen")
        return childSelect(argc, argv, s, "SELECT * FROM LT_LEIT ORDER BY Nr LIMIT 40");
    childFails(QStringLiteral("unknown mode %1").arg(QString::fromLatin1(mode)));
}

// ---------------------------------------------------------------- parent

struct Sample {
    double ms = 0, wholeMs = 0, shownMs = 0, loginMs = 0;
    long kb = 0, wholeKb = 0, baseKb = 0;
    int rows = -1, windowRows = -1;
    long rowKb = 0;
};

struct Series {
    std::vector<Sample> runs;
    const Sample& first() const { return runs.front(); }
    Sample best() const
    {
        return *std::min_element(runs.begin(), runs.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    }
    double bestShownMs() const
    {
        double m = 1e18;
        for (const Sample& s : runs)
            m = std::min(m, s.shownMs);
        return m;
    }
    double bestWholeMs() const
    {
        double m = 1e18;
        for (const Sample& s : runs)
            m = std::min(m, s.wholeMs);
        return m;
    }
    long minKb() const
    {
        long m = LONG_MAX;
        for (const Sample& s : runs)
            m = std::min(m, s.kb);
        return m;
    }
};

// One register with its program copy and settings file.
struct Site {
    QString root;       // holds bin/, priv/ and, for the data directory, data/
    QString program;    // the copy of this executable in root/bin
};

Site prepareSite(const QString& root, const QStringList& dataLines)
{
    Site site;
    site.root = root;
    QDir(root).mkpath(QStringLiteral("bin"));
    QDir(root).mkpath(QStringLiteral("priv"));
    site.program = root + QStringLiteral("/bin/") + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QFile::remove(site.program);
    if (!QFile::copy(QCoreApplication::applicationFilePath(), site.program))
        qFatal("cannot copy the program to %s", qPrintable(site.program));
    QFile ini(root + QStringLiteral("/bin/tarvino.ini"));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Text))
        qFatal("cannot write %s", qPrintable(ini.fileName()));
    QStringList lines{QStringLiteral("[System]"), QStringLiteral("PrivateDir=%1/priv").arg(root), QString(), QStringLiteral("[Data]")};
    lines += dataLines;
    ini.write((lines.join('\n') + '\n').toUtf8());
    return site;
}

std::optional<Sample> runChild(const Site& site, const char* mode)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(ModeVariable), QString::fromLatin1(mode));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The engine's persistent configuration of this machine takes no part.
    env.insert(QStringLiteral("HOLMWACHT_ENGINE_CFG"), site.root + QStringLiteral("/engine.cfg"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(site.root);
    p.start(site.program, {});
    if (!p.waitForFinished(15 * 60 * 1000)) {
        p.kill();
        p.waitForFinished();
        fprintf(stderr, "%s: no result within 15 minutes\n", mode);
        return std::nullopt;
    }
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^RESULT (.*)$"), QRegularExpression::MultilineOption).match(out);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !m.hasMatch()) {
        fprintf(stderr, "%s: child failed (exit %d)\n%s%s", mode, p.exitCode(), qPrintable(out), qPrintable(err));
        return std::nullopt;
    }
    QHash<QString, QString> v;
    for (const QString& kv : m.captured(1).split(' ', Qt::SkipEmptyParts))
        v.insert(kv.section('=', 0, 0), kv.section('=', 1));
    Sample s;
    s.ms = v.value(QStringLiteral("ms")).toDouble();
    s.wholeMs = v.value(QStringLiteral("whole_ms")).toDouble();
    s.shownMs = v.value(QStringLiteral("shown_ms")).toDouble();
    s.kb = v.value(QStringLiteral("kb")).toLong();
    s.loginMs = v.value(QStringLiteral("login_ms")).toDouble();
    s.wholeKb = v.value(QStringLiteral("whole_kb")).toLong();
    s.baseKb = v.value(QStringLiteral("base_kb")).toLong();
    s.rows = v.value(QStringLiteral("rows"), QStringLiteral("-1")).toInt();
    s.windowRows = v.value(QStringLiteral("window_rows"), QStringLiteral("-1")).toInt();
    s.rowKb = v.value(QStringLiteral("row_kb"), QStringLiteral("0")).toLong();
    return s;
}

// The machine is shared: the figures are read against its load.
QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(' ', 0, 2) : QStringLiteral("?");
}

double mb(long kb) { return kb / 1024.0; }

// What one register gave, for PostgreSQL against SQLite at the same size.
struct SiteFigures {
    double firstScreenMs = 0, fullMs = 0, cursorMs = 0, selectMs = 0;
    long startupKb = 0, cursorKb = 0, selectKb = 0;
};

// The measurements, round after round (start-up first: its first run is what a user meets).
bool measureSite(const Site& site, int ladders, int runs, const char* floorName, SiteFigures* figures)
{
    Series startup, atOnce, cursor, select, sorted, screen;
    for (int run = 0; run < runs; ++run) {
        const auto a = runChild(site, "startup");
        const auto w = runChild(site, "startup-at-once");
        const auto b = runChild(site, "cursor");
        const auto c = runChild(site, "select");
        const auto d = runChild(site, "select-sorted");
        const auto e = runChild(site, "select-screen");
        if (!a || !w || !b || !c || !d || !e)
            return false;
        startup.runs.push_back(*a);
        atOnce.runs.push_back(*w);
        cursor.runs.push_back(*b);
        select.runs.push_back(*c);
        sorted.runs.push_back(*d);
        screen.runs.push_back(*e);
        if (a->rows != ladders || b->rows != ladders)
            fprintf(stderr, "wrong row count: start-up %d (main window %d), cursor %d, expected %d\n", a->rows,
                    a->windowRows, b->rows, ladders);
    }
    const Sample s1 = startup.first(), sb = startup.best(), c1 = cursor.first(), cb = cursor.best(), f1 = select.first(),
                 fb = select.best(), o1 = sorted.first(), ob = sorted.best(), l1 = screen.first(), lb = screen.best();
    const QString best = QStringLiteral("best of %1").arg(runs);
    printf("  %-54s%10s %10s   %s\n", "", "first", qPrintable(best), "peak MB first / lowest (process base)");
    auto line = [](const QString& label, double first, double bestMs, long kbFirst, long kbMin, long base) {
        if (kbFirst > 0)
            printf("  %-54s%10.1f %10.1f ms  %7.1f / %.1f (%.1f)\n", qPrintable(label), first, bestMs, mb(kbFirst), mb(kbMin),
                   mb(base));
        else
            printf("  %-54s%10.1f %10.1f ms\n", qPrintable(label), first, bestMs);
    };
    const QString api = QLatin1String(floorName);
    line(QStringLiteral("full load: user logged in -> main window idle"), s1.ms, sb.ms, s1.kb, startup.minKb(), s1.baseKb);
    line(QStringLiteral("first screen: user logged in -> main window shown"), s1.shownMs, startup.bestShownMs(), 0, 0, 0);
    const Sample w1 = atOnce.first(), wb = atOnce.best();
    line(QStringLiteral("every ladder read before the window (as before)"), w1.ms, wb.ms, w1.kb, atOnce.minKb(), w1.baseKb);
    line(QStringLiteral("  its first screen"), w1.shownMs, atOnce.bestShownMs(), 0, 0, 0);
    line(QStringLiteral("login: password accepted -> user logged in"), s1.loginMs, sb.loginMs, 0, 0, 0);
    line(QStringLiteral("whole: runHolmwacht called -> main window idle"), s1.wholeMs, startup.bestWholeMs(), s1.wholeKb, s1.wholeKb, s1.baseKb);
    line(QStringLiteral("ladder cursor open alone (Nr, lookups, path)"), c1.ms, cb.ms, c1.kb, cursor.minKb(), c1.baseKb);
    line(QStringLiteral("bare SELECT * FROM LT_LEIT (%1)").arg(api), f1.ms, fb.ms, f1.kb, select.minKb(), f1.baseKb);
    line(QStringLiteral("bare SELECT ... ORDER BY Nr (%1)").arg(api), o1.ms, ob.ms, o1.kb, sorted.minKb(), o1.baseKb);
    line(QStringLiteral("bare SELECT ... ORDER BY Nr LIMIT 40 (%1)").arg(api), l1.ms, lb.ms, l1.kb, screen.minKb(), l1.baseKb);
    if (f1.wholeMs > f1.ms)
        line(QStringLiteral("  (not in the floor: SELECT with PQclear of the result)"), f1.wholeMs, select.bestWholeMs(), 0, 0, 0);
    auto ratio = [](const char* label, const Sample& a1, const Sample& ab, const Series& a, const Sample& b1, const Sample& bb,
                    const Series& b) {
        printf("  %-54s%10.2f %10.2f     memory %.2f / %.2f\n", label, a1.ms / b1.ms, ab.ms / bb.ms, double(a1.kb) / b1.kb,
               double(a.minKb()) / b.minKb());
    };
    ratio("ratio start-up / cursor", s1, sb, startup, c1, cb, cursor);
    ratio("ratio start-up / bare SELECT", s1, sb, startup, f1, fb, select);
    ratio("ratio cursor / bare SELECT", c1, cb, cursor, f1, fb, select);
    ratio("ratio start-up / bare SELECT ORDER BY Nr", s1, sb, startup, o1, ob, sorted);
    ratio("ratio cursor / bare SELECT ORDER BY Nr", c1, cb, cursor, o1, ob, sorted);
    printf("  %-54s%10.2f %10.2f\n", "ratio first screen / bare SELECT LIMIT 40", s1.shownMs / l1.ms, startup.bestShownMs() / lb.ms);
    printf("  %-54s%10.2f %10.2f\n", "ratio first screen / every ladder read first", s1.shownMs / w1.shownMs,
           startup.bestShownMs() / atOnce.bestShownMs());
    ratio("ratio full load / every ladder read first", s1, sb, startup, w1, wb, atOnce);
    // The rows' own size: their columns and texts in the row store, against what the start-up
    // added to the process at its peak.
    printf("  %-54s%10.2f   (%.1f MB above the base of %.1f MB; the rows %.1f MB)\n", "ratio peak memory / the rows' own size",
           double(startup.minKb() - s1.baseKb) / std::max(1L, s1.rowKb), mb(startup.minKb() - s1.baseKb), mb(s1.baseKb),
           mb(s1.rowKb));
    if (figures) {
        figures->firstScreenMs = startup.bestShownMs();
        figures->fullMs = sb.ms;
        figures->cursorMs = cb.ms;
        figures->selectMs = fb.ms;
        figures->startupKb = startup.minKb();
        figures->cursorKb = cursor.minKb();
        figures->selectKb = select.minKb();
    }
    auto all = [](const Series& x) {
        QStringList v;
        for (const Sample& s : x.runs)
            v << QString::number(s.ms, 'f', 0);
        return v.join(QStringLiteral(", "));
    };
    printf("  every run, ms: start-up %s; cursor %s; SELECT %s; SELECT ORDER BY Nr %s; LIMIT 40 %s\n", qPrintable(all(startup)),
           qPrintable(all(cursor)), qPrintable(all(select)), qPrintable(all(sorted)), qPrintable(all(screen)));
    printf("  rows loaded: start-up %d (main window's cursor %d), cursor alone %d\n", s1.rows, s1.windowRows, c1.rows);
    printf("  load average after the runs: %s\n", qPrintable(loadAverage()));
    fflush(stdout);
    return true;
}

// The login user of a generated register, as hw_datagen --demo writes it.
void addDemoUser(const QString& path, const QString& driver)
{
    Engine::instance().addSessionAlias(QStringLiteral("HWGEN"), path, driver);
    UserState::BenutzerDatenbank = QStringLiteral("HWGEN");
    TabellenPasswoerter::SetLesePasswort(TabellenPasswoerter::LesePasswortBasis());
    ErsterAdministrator(QStringLiteral("Demo"), QStringLiteral("demo"), QStringLiteral("master"));
    Engine::instance().reset();
}

QList<int> sizesFrom(const QString& text)
{
    QList<int> sizes;
    for (const QString& part : text.split(',', Qt::SkipEmptyParts))
        if (const int n = part.trimmed().toInt(); n > 0)
            sizes << n;
    return sizes;
}

void printRegister(const char* where, const DataGeneratorResult& r, const DataGeneratorOptions& o, double seconds)
{
    printf("\n%s: %d ladders, %d inspections (%d year%s of history), %d companies/sites/departments, "
           "generated in %.1f s\n",
           where, r.ladders, r.inspections, o.years, o.years == 1 ? "" : "s", r.departments, seconds);
    fflush(stdout);
}

int parent(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("sizes"), QStringLiteral("ladders per register, comma-separated"), QStringLiteral("list"),
                      QStringLiteral("10000,100000,1000000")});
    parser.addOption({QStringLiteral("pg-sizes"), QStringLiteral("the same on the PostgreSQL server (HW_TEST_PGHOST)"),
                      QStringLiteral("list"), QStringLiteral("10000,100000")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("processes per measurement"), QStringLiteral("n"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("years"), QStringLiteral("years of inspection history"), QStringLiteral("n"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("companies"), QStringLiteral("companies"), QStringLiteral("n"), QStringLiteral("8")});
    parser.process(app);
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    DataGeneratorOptions o;
    o.companies = std::max(1, parser.value(QStringLiteral("companies")).toInt());
    o.years = std::max(1, parser.value(QStringLiteral("years")).toInt());

    printf("Start-up of the program (runHolmwacht, offscreen, login by keys) against the ladder cursor and the bare "
           "SELECT;\n%d child process%s per measurement, first = the first process of its kind on the register.\n",
           runs, runs == 1 ? "" : "es");
    printf("Load average at the start: %s (%d cores)\n", qPrintable(loadAverage()), QThread::idealThreadCount());
    bool ok = true;
    QMap<int, SiteFigures> onSqlite;
    for (const int ladders : sizesFrom(parser.value(QStringLiteral("sizes")))) {
        QTemporaryDir dir;
        o.dataDir = dir.filePath(QStringLiteral("data"));
        o.driver = QStringLiteral("PARADOX");
        o.ladders = ladders;
        QDir().mkpath(o.dataDir);
        QElapsedTimer gen;
        gen.start();
        try {
            const DataGeneratorResult r = generateRegister(o);
            addDemoUser(o.dataDir, o.driver);
            printRegister("SQLite", r, o, gen.nsecsElapsed() / 1e9);
        } catch (const HwError& e) {
            fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        const Site site = prepareSite(dir.path(), {QStringLiteral("Tarvino=%1").arg(o.dataDir)});
        SiteFigures f;
        ok = measureSite(site, ladders, runs, "SQLite C API", &f) && ok;
        onSqlite.insert(ladders, f);
    }

    if (!ScratchPgDatabase::configured())
        return ok ? 0 : 1;
    const ServerSettings server = ScratchPgDatabase::server();
    QMap<int, SiteFigures> onServer;
    for (const int ladders : sizesFrom(parser.value(QStringLiteral("pg-sizes")))) {
        // A database of this run's own, dropped at the end.
        ScratchPgDatabase scratch(QStringLiteral("hwbench_startup"), QString::number(ladders));
        const QString dbName = scratch.name();
        const ServerSettings db = scratch.settings();
        QTemporaryDir dir;
        try {
            o.dataDir = db.connInfo();
            o.driver = QStringLiteral("POSTGRESQL");
            o.ladders = ladders;
            QElapsedTimer gen;
            gen.start();
            const DataGeneratorResult r = generateRegister(o);
            addDemoUser(o.dataDir, o.driver);
            createPgBackend(db.connInfo())->exec(QStringLiteral("VACUUM ANALYZE"), {});
            printRegister(qPrintable(QStringLiteral("PostgreSQL on %1:%2").arg(server.host).arg(server.port)), r, o,
                          gen.nsecsElapsed() / 1e9);
            const Site site = prepareSite(dir.path(), {QStringLiteral("Server=%1").arg(server.host),
                                                       QStringLiteral("Port=%1").arg(server.port),
                                                       QStringLiteral("Database=%1").arg(dbName),
                                                       QStringLiteral("User=%1").arg(server.user)});
            SiteFigures f;
            ok = measureSite(site, ladders, runs, "libpq", &f) && ok;
            onServer.insert(ladders, f);
        } catch (const HwError& e) {
            fprintf(stderr, "%s\n", e.what());
            ok = false;
        }
        Engine::instance().reset();
    }
    // The server's rows arrive one by one into the row store: its memory beside the file database's.
    for (auto it = onServer.cbegin(); it != onServer.cend(); ++it) {
        if (!onSqlite.contains(it.key()))
            continue;
        const SiteFigures& pg = it.value();
        const SiteFigures& lite = onSqlite.value(it.key());
        printf("\nPostgreSQL / SQLite at %d ladders (best runs, lowest peaks):\n", it.key());
        printf("  %-54s%10.2f   (%.1f / %.1f MB)\n", "peak memory, start-up", double(pg.startupKb) / lite.startupKb, mb(pg.startupKb),
               mb(lite.startupKb));
        printf("  %-54s%10.2f   (%.1f / %.1f MB)\n", "peak memory, ladder cursor alone", double(pg.cursorKb) / lite.cursorKb,
               mb(pg.cursorKb), mb(lite.cursorKb));
        printf("  %-54s%10.2f   (%.1f / %.1f ms)\n", "full load", pg.fullMs / lite.fullMs, pg.fullMs, lite.fullMs);
        printf("  %-54s%10.2f   (%.1f / %.1f ms)\n", "first screen", pg.firstScreenMs / lite.firstScreenMs, pg.firstScreenMs,
               lite.firstScreenMs);
    }
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const QByteArray mode = qgetenv(ModeVariable);
    return mode.isEmpty() ? parent(argc, argv) : child(mode, argc, argv);
}
