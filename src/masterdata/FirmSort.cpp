#include "FirmSort.h"

#include "DBTreeView.h"
#include "DataModule.h"
#include "LtFirmAbt.h"
#include "Schema.h"
#include "Table.h"
#include "TreeShape.h"

#include <functional>

void BuildFirmSort(TDataModule1& dm, const QStringList& nodeIds, const TLtFirmAbt* firmAbt)
{
    Table& sort = *dm.LtFirmAbtSort;
    if (sort.exists()) {
        sort.close();
        sort.deleteTable();
    }
    sort.createTable(Schema::firmSort());
    sort.open();
    if (nodeIds.isEmpty()) {
        sort.close();
        return;
    }
    Table& firmen = *dm.StFirmAbtList;
    firmen.refreshIfChanged();
    try {
        for (int i = 0; i < nodeIds.size(); ++i) {
            const QString& id = nodeIds[i];
            int parent = -1;
            bool ok = false;
            const int key = id.toInt(&ok);
            if (ok && firmen.active() && firmen.locate(QStringLiteral("ID"), {key}))
                parent = firmen.field(QStringLiteral("ParentID")).asInteger();    // empty reads as 0
            sort.append();
            sort.setValue(QStringLiteral("Nr"), i + 1);
            sort.setValue(QStringLiteral("Abt_Id"), key);
            sort.setValue(QStringLiteral("Parent_Id"), parent);
            sort.setValue(QStringLiteral("Spalte"), firmAbt ? firmAbt->Level(id) : -1);
            sort.post();
        }
    } catch (...) {
        if (sort.isEditing())
            sort.cancel();
        sort.close();
        throw;
    }
    sort.close();
}

void BuildFirmSort(TDataModule1& dm, const TDBTreeView& treeView, const TLtFirmAbt* firmAbt)
{
    QStringList ids;
    for (const TTreeIDNode* n : treeView.nodesInDisplayOrder())
        ids << n->ID;
    BuildFirmSort(dm, ids, firmAbt);
}

namespace {
// Node IDs of the text-sorted tree in display order.
QStringList treeOrder(const TLtFirmAbt& firmAbt)
{
    const TreeShape shape = buildTreeShape(firmAbt.list(), QString(), true);
    QStringList ids;
    std::function<void(const TreeShapeNode&)> walk = [&](const TreeShapeNode& n) {
        ids << n.id;
        for (const TreeShapeNode& c : n.children)
            walk(c);
    };
    for (const TreeShapeNode& t : shape.tops)
        walk(t);
    return ids;
}
}

void BuildFirmSort(TDataModule1& dm, const TLtFirmAbt& firmAbt)
{
    BuildFirmSort(dm, treeOrder(firmAbt), &firmAbt);
}

QList<FirmSortRow> FirmSortRows(const TLtFirmAbt& firmAbt)
{
    const QStringList ids = treeOrder(firmAbt);
    const TTVRecordList& list = firmAbt.list();
    QList<FirmSortRow> rows;
    rows.reserve(ids.size());
    for (int i = 0; i < ids.size(); ++i) {
        FirmSortRow r;
        r.nr = i + 1;
        r.abtId = ids[i].toInt();
        const int pos = list.findId(ids[i]);
        r.parentId = pos < 0 ? -1 : list.at(pos).parentId.toInt();   // empty reads as 0
        r.spalte = firmAbt.Level(ids[i]);
        rows << r;
    }
    return rows;
}
