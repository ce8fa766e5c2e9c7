#pragma once
#include <QString>
#include <vector>

// One node of a tree held as rows: its ID text, the ID text of its parent (empty for none)
// and the text shown for it.
struct TVRecord {
    QString id;
    QString parentId;
    QString text;
};

// The rows of a tree in memory. Kept in main order (ID text ascending by code unit, which
// is byte order for the decimal IDs it holds) and searched by binary search. Sorting
// happens lazily before the first lookup after a change, so loading many rows stays linear
// until someone asks. Further orders (by parent, by text) belong beside the main order and
// are to be discarded in invalidate() whenever entries change.
class TTVRecordList {
public:
    void add(const QString& id, const QString& parentId, const QString& text);
    void clear();

    int count() const { return int(m_entries.size()); }
    // Entry at a position of the main order.
    const TVRecord& at(int pos) const;
    // Position of the entry with this ID text in main order; -1 when there is none.
    int findId(const QString& id) const;

private:
    void sortMain() const;
    void invalidate();

    mutable std::vector<TVRecord> m_entries;
    mutable bool m_sorted = true;
};
