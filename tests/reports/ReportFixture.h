#pragma once
#include "Report.h"
#include "ReportDataSource.h"

#include <memory>

// A small ladder register for report tests: ladders with their inspections.
struct LadderFixture {
    MemoryDataSource ladders{{"ID", "Nr", "KurzBez", "Laenge", "Anzahl"}};
    MemoryDataSource inspections{{"LT_ID", "Datum", "Pruefer"}};

    LadderFixture();
    void addLadder(int id, const QString& kurzBez, double laenge, int anzahl);
    void addInspection(int ladderId, const QDate& date, const QString& pruefer);
};

// A report over the fixture: page header (20 mm) "Kopf" with "Seite : n", a detail band (10 mm)
// printing the ladder's KurzBez and its length.
std::unique_ptr<Report> simpleReport(LadderFixture& fixture, const QString& title = QStringLiteral("Testreport"));

// A rendered report of `pages` pages, one ladder per page, with a logo image on every page.
std::shared_ptr<class RenderedReport> renderedPages(int pages, const QString& title = QStringLiteral("Testreport"));
