// Search and filter in a large register: a text search that finds nothing and switching the
// department filter on and off, each against a plain loop over the same data as the floor.
#include "DataGenerator.h"
#include "DataModule.h"
#include "Engine.h"
#include "LadderFilter.h"
#include "LeiterCursor.h"
#include "LtFirmAbt.h"
#include "Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

template <class F>
double bestMs(F f, int runs = 5)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
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
    o.years = 2;
    generateRegister(o);
    Engine::instance().addSessionAlias("TARVINO", dir.path());
    {
        TDataModule1 dm;
        TLtFirmAbt depts(*dm.StFirmAbtList);
        Table* leiter = createLeiterCursor(dm, depts, &dm);
        leiter->open();
        MarkListe marks;
        LadderFilter filter(*leiter, marks, depts);

        // Floor data: the four searched texts of every ladder, and the department keys.
        QList<QStringList> texts;
        QList<int> deptOfRow;
        for (int r = 0; r < leiter->recordCount(); ++r) {
            QStringList t;
            for (const char* f : {"KurzBez", "Firma", "Nr", "ExNrBez"})
                t << leiter->valueAt(r, leiter->field(f).index()).toString();
            texts << t;
            deptOfRow << leiter->valueAt(r, leiter->field("FirmenAbtID").index()).toInt();
        }

        const QString needle = "gibt es nicht";
        const double searchMs = bestMs([&] {
            leiter->first();
            if (filter.searchFirst(needle))
                fprintf(stderr, "unexpected match\n");
        });
        const double searchFloorMs = bestMs([&] {
            long hits = 0;
            for (const QStringList& t : texts)
                for (const QString& s : t)
                    hits += s.contains(needle, Qt::CaseInsensitive);
            benchmark::DoNotOptimize(hits);
        });

        dm.StFirmAbtList->first();
        const QString company = dm.StFirmAbtList->field("ID").asString();
        QSet<int> subtree;
        for (dm.StFirmAbtList->first(); !dm.StFirmAbtList->eof(); dm.StFirmAbtList->next())
            if (depts.IsAtOrBelow(dm.StFirmAbtList->field("ID").asString(), company))
                subtree.insert(dm.StFirmAbtList->field("ID").asInteger());
        int shown = 0;
        const double onMs = bestMs([&] {
            filter.setCondition(FilterKind::Abteilung, company);
            shown = leiter->recordCount();
            filter.setCondition(FilterKind::Abteilung, QString());
        });
        const double deptFloorMs = bestMs([&] {
            std::vector<int> kept;
            for (int d : deptOfRow)
                if (subtree.contains(d))
                    kept.push_back(d);
            std::vector<int> all(deptOfRow.begin(), deptOfRow.end());
            benchmark::DoNotOptimize(kept.data());
            benchmark::DoNotOptimize(all.data());
        });

        printf("register: %d ladders\n", leiter->recordCount());
        printf("text search finding nothing:      %7.1f ms   floor %6.1f ms   ratio %5.2f\n", searchMs, searchFloorMs,
               searchMs / searchFloorMs);
        printf("department filter on + off:       %7.1f ms   floor %6.1f ms   ratio %5.2f  (%d ladders shown)\n", onMs,
               deptFloorMs, onMs / deptFloorMs, shown);
    }
    Engine::instance().reset();
    return 0;
}
