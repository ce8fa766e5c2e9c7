#pragma once
#include "DataModule.h"
#include "TestSupport.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <memory>

class TRepForm;

// A small register for the report forms: company "Werk" with site "Halle" (department
// "Lager" below it) and department "Büro", company "Zweigwerk"; master lists; ladders 1..8.
//
//  Nr KurzBez     Dept     Art         Mat   Firma      Schrott PruefTermin  PruefArt
//  1  Anlegeleiter Werk    Stehleiter  Alu   Müller's   no      2004-03-01   Jährlich
//  2  O'Brien      Halle   Stehleiter  Holz  Nordstahl  yes     2004-03-31   Jährlich
//  3  Podest       Lager   Anlegeleiter Alu  Nordstahl  no      2004-04-01   Halbjährlich
//  4  Tritt        Büro    Anlegeleiter Alu  Müller's   no      2004-02-29   Halbjährlich
//  5  Bock         (none)  Stehleiter  Alu   Nordstahl  no      2005-01-01   Jährlich
//  6  Mast         Zweigwerk Stehleiter Holz Nordstahl  no      (empty)      Jährlich
//  7  O'Brian      Werk    Stehleiter  Alu   Nordstahl  no      2004-03-15   Jährlich
//  8  Alt          99 (deleted department) Stehleiter Alu Nordstahl no 2004-03-15 Jährlich
// Inspections: ladder 1 on 2004-03-10 by "Meier" (Jährlich), ladder 3 on 2004-05-01 by "Huber"
// (Halbjährlich), ladder 3 on 2004-03-20 by "Meier" (Jährlich).
struct RepRegister {
    TestDataDir dir;
    std::unique_ptr<TDataModule1> dm;
    QHash<QString, int> node;       // department -> ID
    QHash<QString, int> key;        // master-list text -> ID / Nr
    QHash<int, int> ladderId;       // Nr -> ID

    RepRegister();
    // Another ladder for edge cases.
    int addLadder(int nr, const QString& kurzBez, const QVariant& dept);
};

// The Nr values of the ladders a form's query selects (record filter applied), in query order.
QList<int> selectedNumbers(TRepForm& form);
// All texts of all pages, joined by newlines.
QString allTexts(const class RenderedReport& report);
