#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// One node of a tree held as rows: its ID text, the ID text of its parent (empty for none)
// and the text shown for it.
struct TVRecord {
    QString id;
    QString parentId;
    QString text;
};

// Order of sibling texts in every tree of the program: without regard to case, locale-aware.
int treeTextOrder(const QString& a, const QString& b);

// The rows of a tree in memory. Kept in main order (ID text ascending by code unit, which
// is byte order for the decimal IDs it holds) and searched by binary search. Sorting
// happens lazily before the first lookup after a change, so loading many rows stays linear
// until someone asks. The three further orders (by parent, by upper-case text, by exact
// text) are built on first use and dropped whenever entries change.
class TTVRecordList {
public:
    enum class Compare { Same, TextsChanged, StructureChanged };

    void add(const QString& id, const QString& parentId, const QString& text);
    void clear();

    int count() const { return int(m_entries.size()); }
    // Entry at a position of the main order.
    const TVRecord& at(int pos) const;
    // Position of the entry with this ID text in main order; -1 when there is none.
    int findId(const QString& id) const;

    // Main-order positions of the entries with this parent ID, by text without regard to case.
    std::vector<int> children(const QString& parentId) const;
    // Main-order position of the first entry (in parent order) with this parent ID; -1 when none.
    int firstChild(const QString& parentId) const;
    // After a node was moved; drops the parent index.
    void setParent(int pos, const QString& parentId);

    // Both lists in main order: same, only texts differ, or counts / IDs / parents differ.
    Compare compare(const TTVRecordList& other) const;

    // IDs whose text equals (or, with prefix, starts with) the given text, in text order.
    QStringList searchText(const QString& text, bool prefix, bool caseSensitive) const;

private:
    void sortMain() const;
    void invalidate();
    void buildParentIndex() const;
    void buildTextIndexes() const;

    mutable std::vector<TVRecord> m_entries;
    mutable bool m_sorted = true;
    // Positions of the main order, each sorted by its own key.
    mutable std::vector<int> m_byParent, m_byUpperText, m_byText;
    mutable std::vector<QString> m_upper;        // upper-case texts by main position
    mutable bool m_parentValid = false, m_textValid = false;
};
