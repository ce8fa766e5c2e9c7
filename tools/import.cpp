// hw_import: takes over a register kept as Paradox tables into a data directory or into the
// server named by a tarvino.ini.
#include "AppConfig.h"
#include "Engine.h"
#include "Errors.h"
#include "ParadoxImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {
void usage()
{
    fprintf(stderr,
            "Aufruf: hw_import --from VERZEICHNIS (--to DATENVERZEICHNIS | --ini tarvino.ini)\n"
            "                  [--replace] [--accept-refused]\n"
            "  --replace         ein Register, das schon Leitern enthält, ersetzen\n"
            "  --accept-refused  übernehmen, auch wenn einzelne Zeilen abgewiesen werden\n"
            "Ohne --accept-refused bleibt das Register bei abgewiesenen Zeilen unverändert.\n");
}
void print(const QString& s)
{
    fprintf(stdout, "%s\n", s.toLocal8Bit().constData());
    fflush(stdout);
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString from, to, ini;
    bool replace = false, acceptRefused = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--from") && i + 1 < args.size())
            from = args[++i];
        else if (a == QLatin1String("--to") && i + 1 < args.size())
            to = args[++i];
        else if (a == QLatin1String("--ini") && i + 1 < args.size())
            ini = args[++i];
        else if (a == QLatin1String("--replace"))
            replace = true;
        else if (a == QLatin1String("--accept-refused"))
            acceptRefused = true;
        else {
            usage();
            return 64;
        }
    }
    if (from.isEmpty() || to.isEmpty() == ini.isEmpty()) {
        usage();
        return 64;
    }
    try {
        Engine& engine = Engine::instance();
        if (!ini.isEmpty()) {
            if (!QFileInfo(ini).isFile())
                throw HwError(QStringLiteral("Die Datei „%1“ gibt es nicht.").arg(ini));
            configureEngine(readStartSettings(ini));
        } else {
            QDir().mkpath(to);
            engine.setNetFileDir(to);
            engine.addSessionAlias(QStringLiteral("TARVINO"), to);
        }
        print(QStringLiteral("Ziel: %1").arg(engine.location()));
        ParadoxImport imp(from);
        imp.check();
        print(QStringLiteral("Gefundene Tabellen: %1").arg(imp.tablesFound().join(QStringLiteral(", "))));
        imp.setReplaceExisting(replace);
        QString lastWhat;
        imp.setProgress([&](qint64 done, qint64 total, const QString& what) {
            if (what != lastWhat) {
                print(what);
                lastWhat = what;
            }
            fprintf(stderr, "\r%lld / %lld Zeilen", static_cast<long long>(done), static_cast<long long>(total));
            return true;
        });
        imp.setConfirmRefusals([&](const ImportReport&) { return acceptRefused; });
        try {
            const ImportReport rep = imp.run();
            fprintf(stderr, "\n");
            print(rep.summary());
            return 0;
        } catch (const Abort&) {
            fprintf(stderr, "\n");
            print(imp.report().summary());
            print(QStringLiteral("Zeilen wurden abgewiesen; mit --accept-refused wird der Rest übernommen."));
            return 2;
        }
    } catch (const HwError& e) {
        fprintf(stderr, "\n%s\n", e.message().toLocal8Bit().constData());
        return 1;
    }
}
