#pragma once
#include "TVRecordList.h"

#include <vector>

// The nodes a tree view shows for a record list, worked out without any widget.
struct TreeShapeNode {
    QString id;
    QString text;
    std::vector<TreeShapeNode> children;
};

struct TreeShape {
    std::vector<TreeShapeNode> tops;
    bool rootNotFound = false;   // rootId was given and names no entry (list not empty)
    int closedLoops = 0;         // entries skipped because they would be their own descendant
};

// With rootId empty every entry whose parent is not in the list is a top node; with rootId
// set, that entry alone (or, when it is missing, the entries below it) with its subtree.
// Siblings come in parent-index order (by text without regard to case); top nodes likewise
// when sortByText is set, else in ID order. Rows on a cycle that no top node reaches are
// not shown.
TreeShape buildTreeShape(const TTVRecordList& list, const QString& rootId, bool sortByText);
