#pragma once
#include "DataModule.h"
#include "Table.h"
#include "TestSupport.h"

#include <QDate>
#include <QVariantMap>
#include <memory>

// A register with ladders, inspection kinds and inspectors in its own data directory, the
// data module and a ladder cursor in Nr order as the main window has it (its edit hook
// re-reads; the rights are the data module's).
struct PruefFixture {
    TestDataDir dir;
    std::unique_ptr<TDataModule1> dm;
    std::unique_ptr<Table> leiter;

    PruefFixture();
    ~PruefFixture();

    // Rows written through their own cursors; returns the new ID (or Nr for kinds).
    static int addKind(int nr, const QString& name, const QVariant& jahre, const QVariant& monate, const QVariant& tage);
    static int addPruefer(const QString& name);
    static int addLadder(int nr, const QVariantMap& values = {});
    static int addInspection(int ladderId, const QVariantMap& values);
    // The stored row of a table by ID (a fresh cursor).
    static QVariantMap stored(const QString& table, int id);
    static int count(const QString& table);

    // Opens the master cursors again after rows were added and puts the ladder cursor on Nr.
    void open(int nr = 0);
    // Rights component active with just these rights.
    void limitRights(std::initializer_list<TUserRight> rights);
};
