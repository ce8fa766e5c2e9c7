#pragma once
#include "RowStore.h"

#include <QString>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

class Backend;
class QTimer;
class Table;

// Shown while an action waits for the rest of a table's rows; the program's windows install a
// factory (a progress window after a moment), without one the wait shows nothing.
class LoadWait {
public:
    virtual ~LoadWait() = default;
    virtual void progress(qint64 read, qint64 total) = 0;
};
void setLoadWaitFactory(std::function<std::unique_ptr<LoadWait>(const QString& table)> factory);

// Rows read before the rest of a large table (HW_TEST_LOAD_ROWS for tests, which also sets the
// rest's chunks; HW_TEST_LOAD_DELAY_MS pauses before every chunk).
int firstScreenRows();

// How the rest of a table is read after its first screen: a chunk at a time, skipping the rows
// already held (rows this process wrote meanwhile). In the first screen's order when that is one
// integer or date column (or the key), so each chunk continues the rows shown; else in key order.
struct RestPlan {
    QString alias;
    QString table;          // as written in SQL
    QString selectList;
    QString keyField;       // a single integer key
    int keyCol = 0;
    int columns = 0;        // stored columns; the row version follows
    qint64 expected = 0;    // rows counted before the first screen
    qint64 read = 0;        // rows read with the first screen
    std::unordered_set<qint64> held;
    bool inOrder = false;   // chunks follow the first screen's order
    QString orderField;     // that order's column before the key; empty: the key alone
    int orderCol = -1;
    bool orderIsDate = false;
    // The first screen's last row: where the chunks go on.
    qint64 lastKey = 0;
    qint64 lastOrder = 0;
    bool lastOrderNull = false;
};

// The rows of one whole table as this process read them, shared by every cursor that shows
// the whole table (not a detail range). Each cursor keeps its own position, index, filter and
// view; the rows are read once. Physical rows are never reused or moved: a re-read overwrites
// rows in place, appends new ones and marks vanished ones deleted, so every cursor's view and
// bookmarks stay valid.
class SharedRows : public std::enable_shared_from_this<SharedRows> {
public:
    SharedRows();
    ~SharedRows();

    RowStore rows;
    // Change counter of the table that the rows reflect (-1: never read).
    qint64 seenChange = -1;
    // Cursors attached, in the order they opened.
    std::vector<Table*> cursors;

    // The shared rows of a table on a database for cursors with this column layout (field
    // names and types); a new, empty set when none is open or the layout differs.
    static std::shared_ptr<SharedRows> acquire(Backend& db, const QString& table, const QString& layout);

    // The live physical rows in primary-key order (equal keys in the order read), for matching
    // re-read rows to the rows held. Built on first use; invalid once rows are added, deleted or
    // a key changes.
    const std::vector<int>& keyOrder(const std::vector<int>& keyCols);
    bool keyOrderValid() const { return m_keyOrderValid; }
    void setKeyOrderValid(bool valid) { m_keyOrderValid = valid; }

    // --- the rest read after the first screen
    // The index order (field names, upper case) whose first rows are held while the rest is read.
    QString firstScreenOrder;
    // The last row of that order read so far: every row before it in that order is held.
    int firstScreenLast = -1;
    // Rows read twice (moved elsewhere during the load) were dropped when it completed.
    bool doublesDropped = false;
    // Starts reading the rest on the event loop, a chunk at a time.
    void startRest(RestPlan plan);
    bool loading() const;
    // Rows counted but not read yet (0 once everything is read).
    qint64 rowsNotRead() const;
    // Reads everything still missing now; cursors attached are told once the rows are complete.
    void finishLoading();
    // A row this process wrote into the rows while the rest is read: the rest must not add it again.
    void noteHeldKey(qint64 key);

private:
    struct Rest;
    // One chunk; true when the rest is complete. Rows read go to [*from, *to).
    bool readChunk(int* from = nullptr, int* to = nullptr);
    int readRows(const QString& where, const QVariantList& params, int limit, const QString& order);
    bool changedElsewhereDuringLoad() const;
    void dropDoubles();
    void complete();
    void scheduleChunk();

    std::vector<int> m_keyOrder;
    bool m_keyOrderValid = false;
    std::unique_ptr<Rest> m_rest;
    std::unique_ptr<QTimer> m_timer;
};
