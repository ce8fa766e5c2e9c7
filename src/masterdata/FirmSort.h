#pragma once
#include <QList>
#include <QStringList>

class TDataModule1;
class TDBTreeView;
class TLtFirmAbt;

// Writes the working table ZwFirmSort anew: one row per node of the view in display order
// (Nr from 1, Abt_Id, Parent_Id as stored or -1, Spalte = depth from firmAbt or -1).
// The department count report calls it before it runs.
void BuildFirmSort(TDataModule1& dm, const TDBTreeView& treeView, const TLtFirmAbt* firmAbt);
// The same for the tree a text-sorted view would show of firmAbt, without a view.
void BuildFirmSort(TDataModule1& dm, const TLtFirmAbt& firmAbt);
// Core of both: the node IDs in tree order.
void BuildFirmSort(TDataModule1& dm, const QStringList& nodeIds, const TLtFirmAbt* firmAbt);

// One row of ZwFirmSort.
struct FirmSortRow {
    int nr = 0;
    int abtId = 0;
    int parentId = -1;
    int spalte = -1;
};
// The rows BuildFirmSort(dm, firmAbt) writes, without a table: for a report that keeps its
// working tables to itself.
QList<FirmSortRow> FirmSortRows(const TLtFirmAbt& firmAbt);
