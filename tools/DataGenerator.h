#pragma once
#include <QDate>
#include <QString>

// Writes a plausible register into a data directory: companies with sites and departments,
// every master table, ladders and their inspections over several years.
struct DataGeneratorOptions {
    QString dataDir;            // or a libpq connection text with driver "POSTGRESQL"
    QString driver = QStringLiteral("PARADOX");
    int companies = 3;
    int ladders = 400;
    int years = 6;              // inspection history
    quint32 seed = 1;
    QDate today = QDate::currentDate();
};

struct DataGeneratorResult {
    int ladders = 0;
    int inspections = 0;
    int departments = 0;
};

// Throws EngineError when the directory already holds ladders or cannot be used.
DataGeneratorResult generateRegister(const DataGeneratorOptions& options);
