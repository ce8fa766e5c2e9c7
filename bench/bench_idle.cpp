// Database statements of an idle main window, per minute. The window (with every feature
// plugged in) stands on a generated register and is left alone for a few seconds while the
// store counts what it sends; the count is scaled to one minute. The same window is then
// measured once more with every tree view asking the change counter every 500 ms whether it
// is visible or not, as the trees did before they stopped polling while hidden.
//
// Usage: bench_idle [seconds per phase, default 10]. With HW_BENCH_PG set to a libpq
// connection text the register lives on that PostgreSQL database instead (it must be empty
// or hold a register).
#include "Backend.h"
#include "DBTreeView.h"
#include "DataGenerator.h"
#include "DataModule.h"
#include "Engine.h"
#include "Features.h"
#include "LeiterVerw.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

void idle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

double perMinute(int seconds)
{
    const qint64 before = statementCount();
    idle(seconds * 1000);
    return double(statementCount() - before) * 60.0 / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    QTemporaryDir dir;
    const QString pg = qEnvironmentVariable("HW_BENCH_PG");
    if (pg.isEmpty()) {
        DataGeneratorOptions o;
        o.dataDir = dir.path();
        o.companies = 3;
        o.ladders = 400;
        o.years = 6;
        generateRegister(o);
        Engine::instance().addSessionAlias("TARVINO", dir.path());
    } else {
        Engine::instance().setNetFileDir(dir.path());
        Engine::instance().addSessionAlias("TARVINO", pg, QStringLiteral("POSTGRESQL"));
    }
    Engine::instance().setPrivateDir(dir.filePath("priv"));

    TDataModule1 dm;
    TLeiterVerw window(dm);
    plugFeatures(window);
    window.show();
    idle(1500);

    QList<TDBTreeView*> trees;
    for (QWidget* w : QApplication::allWidgets())
        if (auto* t = qobject_cast<TDBTreeView*>(w))
            trees << t;
    int visible = 0;
    for (TDBTreeView* t : trees)
        visible += t->isVisible() ? 1 : 0;

    const double now = perMinute(seconds);

    QTimer everyTree;
    everyTree.setInterval(500);
    QObject::connect(&everyTree, &QTimer::timeout, [&] {
        for (TDBTreeView* t : trees)
            if (!t->isVisible())
                t->checkChangedElsewhere();
    });
    everyTree.start();
    const double polling = perMinute(seconds);
    everyTree.stop();

    std::printf("idle main window on %s, %d tree views (%d visible), %d s per phase\n",
                qPrintable(Engine::instance().backend().description()), int(trees.size()), visible, seconds);
    std::printf("  statements per minute, hidden trees polling every 500 ms: %.0f\n", polling);
    std::printf("  statements per minute, as built:                          %.0f\n", now);
    if (Engine::instance().backend().serverBased())
        std::printf("  (on a server the polling phase is answered from change notices too; before them every\n"
                    "   poll of a tree was one statement: %d trees x 120 per minute = %d)\n",
                    int(trees.size()), int(trees.size()) * 120);
    return 0;
}
