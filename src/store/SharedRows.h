#pragma once
#include "RowStore.h"

#include <QString>
#include <memory>
#include <vector>

class Backend;
class Table;

// The rows of one whole table as this process read them, shared by every cursor that shows
// the whole table (not a detail range). Each cursor keeps its own position, index, filter and
// view; the rows are read once. Physical rows are never reused or moved: a re-read overwrites
// rows in place, appends new ones and marks vanished ones deleted, so every cursor's view and
// bookmarks stay valid.
class SharedRows {
public:
    RowStore rows;
    // Change counter of the table that the rows reflect (-1: never read).
    qint64 seenChange = -1;
    // Cursors attached, in the order they opened.
    std::vector<Table*> cursors;

    // The shared rows of a table on a database for cursors with this column layout (field
    // names and types); a new, empty set when none is open or the layout differs.
    static std::shared_ptr<SharedRows> acquire(Backend& db, const QString& table, const QString& layout);

    // The live physical rows in primary-key order, for matching re-read rows to the rows held.
    // Built on first use; invalid once rows are added, deleted or a key changes.
    std::vector<int>& keyOrder() { return m_keyOrder; }
    bool keyOrderValid() const { return m_keyOrderValid; }
    void setKeyOrderValid(bool valid) { m_keyOrderValid = valid; }

private:
    std::vector<int> m_keyOrder;
    bool m_keyOrderValid = false;
};
