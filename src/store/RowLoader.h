#pragma once
#include <QString>
#include <array>
#include <vector>

class ResultCursor;
class RowStore;

// Copies rows of a result into a row store: result column i goes to store column i, the
// column after the stored ones (when present) is the row version. Texts that repeat in a
// column (company, supplier, kind of ladder) share one string instead of one copy per row.
class RowLoader {
public:
    RowLoader(RowStore& rows, int columns, bool withVersion);
    // freshRow: the row is still all empty (just appended), so empty values need no write.
    void load(int phys, ResultCursor& c, bool freshRow);

private:
    QString text(int col, ResultCursor& c);

    static constexpr size_t Slots = 64;
    struct RecentTexts {
        std::array<QString, Slots> slot;
    };
    RowStore& m_rows;
    int m_columns;
    bool m_withVersion;
    std::vector<RecentTexts> m_recent;     // per column; empty for columns without text
};
