#include "TreeShape.h"

#include <QSet>
#include <algorithm>

namespace {

struct Builder {
    const TTVRecordList& list;
    const QString& rootId;
    TreeShape& shape;
    QSet<QString> onPath;    // guards against a cycle that slips past the two checks below

    TreeShapeNode node(int pos)
    {
        const TVRecord& r = list.at(pos);
        TreeShapeNode n{r.id, r.text, {}};
        onPath.insert(r.id);
        for (int c : list.children(r.id)) {
            const TVRecord& child = list.at(c);
            if (child.id == rootId || child.id == child.parentId || onPath.contains(child.id)) {
                ++shape.closedLoops;
                continue;
            }
            n.children.push_back(node(c));
        }
        onPath.remove(r.id);
        return n;
    }
};

} // namespace

TreeShape buildTreeShape(const TTVRecordList& list, const QString& rootId, bool sortByText)
{
    TreeShape shape;
    Builder b{list, rootId, shape, {}};
    std::vector<int> tops;
    if (rootId.isEmpty()) {
        for (int i = 0; i < list.count(); ++i)
            if (list.findId(list.at(i).parentId) < 0)
                tops.push_back(i);
        if (sortByText)
            std::stable_sort(tops.begin(), tops.end(),
                             [&](int a, int c) { return treeTextOrder(list.at(a).text, list.at(c).text) < 0; });
    } else {
        const int root = list.findId(rootId);
        if (root >= 0) {
            tops.push_back(root);
        } else if (list.count() > 0) {
            shape.rootNotFound = true;
            tops = list.children(rootId);
        }
    }
    for (int t : tops)
        shape.tops.push_back(b.node(t));
    return shape;
}
