#pragma once
#include "DataModule.h"
#include "LeiterVerw.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>

class QAction;
class QDialog;
class QMenu;
class QWidget;

// A small register in a data directory of its own and the main window on it, built as the
// program's start-up builds it (every feature plugged in, the serial scanner window hidden),
// shown and active. Journeys drive it only by keys and mouse clicks and check the stored
// rows by reading the database file itself.
//
// The register (IDs are the order written, from 1):
//   PR_TAB    Nr 1 "Jährliche" (1 year), Nr 2 "Halbjährliche" (6 months)
//   PRUEFER   1 "Meier", 2 "Schulz"
//   LARTEN    1 "Stehleiter"/"ST", 2 "Anlegeleiter"/"AL"
//   MATERIAL  1 "Alu", 2 "Holz"
//   FIRMEN    1 "Muster GmbH" (top) > 2 "Halle Nord", 3 "Halle Süd"; 4 "Bau AG" (top) > 5 "Lager"
//   LFNAME    1 "Leiterbau Krause", 2 "Steigtechnik Ost"
//   LT_LEIT   Nr 1..5 (ID = Nr): 1 "Stehleiter Alu", 2 "Anlegeleiter Holz", 3 "Podestleiter",
//             4 "Schiebeleiter", 5 "Stehleiter Holz"; ladder 1 has kind 1, Firma "Muster GmbH",
//             department 2, supplier "Leiterbau Krause", Stufen 6, a due date 01.06.2026;
//             ladders 1 and 2 require Material and Verbindungen.
//   LT_PRUEF  ladder 1: ID 1 on 10.05.2024, ID 2 on 12.05.2025, kind 1, inspector 1, Material
//             and Verbindungen required and done.
struct Journey {
    TestDataDir dir;
    QTemporaryDir programDir;
    std::unique_ptr<TDataModule1> dm;
    std::unique_ptr<TLeiterVerw> w;

    // Resets the dialog script, the user state and the numbering settings, then writes the
    // register; the window is built by open().
    Journey();
    ~Journey();
    // Builds, plugs, shows and activates the main window; the grid has the focus.
    TLeiterVerw& open();

    // One more row written through a cursor of its own (before open(), or as another
    // workstation would); returns the value of the table's first field (ID or Nr).
    static int addRow(const QString& table, const QVariantMap& values);

    // --- input: only events
    // Left click in the middle of a widget (or at pos).
    static void click(QWidget* widget);
    static void click(QWidget* widget, const QPoint& pos);
    // Left click on the grid cell of a view row and a field of the ladder grid.
    void clickCell(int row, const QString& field) const;
    // The grid row showing ladder nr (-1 when not shown).
    int rowOfNr(int nr) const;
    // As a user does, once the ladder is shown (the rest of a large register may still be read).
    void clickLadder(int nr) const;
    // Clicks the entry of a menu that is open (waits for it to open).
    static void clickMenuEntry(QMenu* menu, QAction* entry);
    // Keys to whatever widget has the keyboard focus now (re-asked for every key).
    static void type(const QString& text);
    static void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The next own form (Dialogs::exec) is shown, drive runs with it active (keys go to its
    // focus widget), and its result is what the keys left: drive ends it with Enter or Escape.
    static void onNextForm(std::function<void(QDialog*)> drive);
    // A named child of the main window (any type); fails the test when missing.
    QWidget* child(const char* objectName) const;

    // --- the stored register: SQL on the database itself, not through a cursor
    QList<QVariantMap> rows(const QString& sql) const;
    QVariant scalar(const QString& sql) const;
    // The stored ladder with number nr (empty map when none).
    QVariantMap ladder(int nr) const;
    int count(const QString& table) const;
};
