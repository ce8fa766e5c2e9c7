// Ladder cards with their inspection lists for a generated register (2,000 ladders, about
// 12,000 inspections): the whole job (query, layout, PDF) against painting the same rendered
// pages into a PDF again in the same run (the floor: painter and PDF writer alone).
#include "DataGenerator.h"
#include "DataModule.h"
#include "Engine.h"
#include "RenderedReport.h"
#include "RepLeiterF1.h"
#include "ReportPrinter.h"
#include "Table.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

namespace {
// Processor time of this process: on a shared machine the wall clock also counts the others.
double cpuNow() { return double(std::clock()) / CLOCKS_PER_SEC; }

struct Timer {
    QElapsedTimer wall;
    double cpu0 = 0;
    void start() { wall.start(); cpu0 = cpuNow(); }
    double seconds() const { return wall.nsecsElapsed() / 1e9; }
    double cpu() const { return cpuNow() - cpu0; }
};
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int ladders = argc > 1 ? atoi(argv[1]) : 2000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    QTemporaryDir dir;
    DataGeneratorOptions o;
    o.dataDir = dir.path();
    o.companies = 3;
    o.ladders = ladders;
    o.years = 6;
    o.seed = 1;
    const DataGeneratorResult gen = generateRegister(o);
    Engine::instance().addSessionAlias("TARVINO", dir.path());

    double renderS = 1e18, fullS = 1e18, floorS = 1e18, renderC = 1e18, fullC = 1e18, floorC = 1e18;
    int pages = 0;
    {
        TDataModule1 dm;
        std::shared_ptr<RenderedReport> rendered;
        for (int run = 0; run < runs; ++run) {
            // Layout alone, query included.
            {
                TRepLeiterF1 form(dm);
                form.SetPruefUebersicht(true);
                form.SetSortierung(0);
                Timer t;
                t.start();
                rendered = form.render();
                renderS = std::min(renderS, t.seconds());
                renderC = std::min(renderC, t.cpu());
            }
            // The whole job: a fresh form, rendered and written as PDF.
            {
                TRepLeiterF1 form(dm);
                form.SetPruefUebersicht(true);
                form.SetSortierung(0);
                Timer t;
                t.start();
                form.writePdf(dir.filePath("full.pdf"));
                fullS = std::min(fullS, t.seconds());
                fullC = std::min(fullC, t.cpu());
            }
            // The floor: the rendered pages painted again.
            Timer t;
            t.start();
            ReportPrinter::writePdf(*rendered, dir.filePath("floor.pdf"));
            floorS = std::min(floorS, t.seconds());
            floorC = std::min(floorC, t.cpu());
            pages = rendered->pageCount();
        }
    }
    const qint64 pdfBytes = QFileInfo(dir.filePath("full.pdf")).size();
    printf("ladder cards: %d ladders, %d inspections, %d pages, best of %d runs\n", gen.ladders, gen.inspections, pages,
           runs);
    printf("                                   wall clock             processor time\n");
    printf("query + layout (rendered pages):   %8.2f s %6.0f pages/s  %8.2f s %6.0f pages/s\n", renderS,
           pages / renderS, renderC, pages / renderC);
    printf("query + layout + write PDF:        %8.2f s %6.0f pages/s  %8.2f s %6.0f pages/s  (PDF %.1f MB)\n", fullS,
           pages / fullS, fullC, pages / fullC, pdfBytes / 1e6);
    printf("floor: paint rendered pages to PDF %8.2f s %6.0f pages/s  %8.2f s %6.0f pages/s\n", floorS,
           pages / floorS, floorC, pages / floorC);
    printf("ratio job / floor:                 %8.2f                 %8.2f\n", fullS / floorS, fullC / floorC);
    benchmark::DoNotOptimize(pages);
    return pages > 0 ? 0 : 1;
}
