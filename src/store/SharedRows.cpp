#include "SharedRows.h"

#include "Backend.h"
#include "Catalog.h"
#include "Engine.h"
#include "Errors.h"
#include "RowLoader.h"
#include "Table.h"

#include <QDate>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace {

std::function<std::unique_ptr<LoadWait>(const QString&)>& waitFactory()
{
    static std::function<std::unique_ptr<LoadWait>(const QString&)> factory;
    return factory;
}

// A slow load for tests: a pause before every chunk, and chunks of a few rows.
int testDelayMs() { return qEnvironmentVariableIntValue("HW_TEST_LOAD_DELAY_MS"); }

} // namespace

void setLoadWaitFactory(std::function<std::unique_ptr<LoadWait>(const QString& table)> factory)
{
    waitFactory() = std::move(factory);
}

int firstScreenRows()
{
    bool ok = false;
    const int rows = qEnvironmentVariableIntValue("HW_TEST_LOAD_ROWS", &ok);
    return ok && rows > 0 ? rows : 200;
}

struct SharedRows::Rest {
    RestPlan plan;
    std::optional<qint64> lastKey;
    std::unique_ptr<RowLoader> loader;
    int chunkRows = 10000;
    bool done = false;
    bool busy = false;
};

SharedRows::SharedRows() = default;
SharedRows::~SharedRows()
{
    // The last cursor may let go of the rows from within the timer's own signal.
    if (m_timer) {
        m_timer->stop();
        m_timer.release()->deleteLater();
    }
}

std::shared_ptr<SharedRows> SharedRows::acquire(Backend& db, const QString& table, const QString& layout)
{
    auto& registry = db.sharedRows();
    const QString key = normalTableName(table).toUpper() + QLatin1Char('\n') + layout;
    if (auto it = registry.find(key); it != registry.end()) {
        if (std::shared_ptr<SharedRows> live = it.value().lock())
            return live;
    }
    // Entries of closed tables expire; drop them so the registry does not grow.
    for (auto it = registry.begin(); it != registry.end();)
        it = it.value().expired() ? registry.erase(it) : std::next(it);
    auto rows = std::make_shared<SharedRows>();
    registry.insert(key, rows);
    return rows;
}

bool SharedRows::loading() const { return m_rest && !m_rest->done; }

qint64 SharedRows::rowsNotRead() const { return loading() ? std::max<qint64>(0, m_rest->plan.expected - m_rest->plan.read) : 0; }

void SharedRows::noteHeldKey(qint64 key)
{
    if (loading())
        m_rest->plan.held.insert(key);
}

void SharedRows::startRest(RestPlan plan)
{
    m_rest = std::make_unique<Rest>();
    m_rest->plan = std::move(plan);
    const int testRows = qEnvironmentVariableIntValue("HW_TEST_LOAD_ROWS");
    if (testRows > 0)
        m_rest->chunkRows = testRows;
    m_rest->loader = std::make_unique<RowLoader>(rows, m_rest->plan.columns, true);
    // Room for every row counted and one chunk more: a chunk is made whole before it is read.
    // Reserved only: the pages come with the chunks that fill them, after the first screen
    // (touching a million rows' columns up front took 70 ms to over a second here).
    {
        columnmemory::PagesOnTouch lazy;
        rows.reserve(int(std::clamp<qint64>(m_rest->plan.expected + m_rest->chunkRows, 0, 50'000'000)));
    }
    m_timer = std::make_unique<QTimer>();
    m_timer->setSingleShot(true);
    m_timer->setInterval(testDelayMs());
    std::weak_ptr<SharedRows> self = weak_from_this();
    QObject::connect(m_timer.get(), &QTimer::timeout, [self] {
        const std::shared_ptr<SharedRows> keep = self.lock();
        if (!keep || !keep->loading())
            return;
        try {
            int from = 0, to = 0;
            const bool done = keep->readChunk(&from, &to);
            // The grids grow with each chunk that continues their order.
            if (keep->m_rest->plan.inOrder && to > from) {
                const std::vector<Table*> told = keep->cursors;
                for (Table* t : told)
                    if (std::find(keep->cursors.begin(), keep->cursors.end(), t) != keep->cursors.end())
                        t->sharedRowsAppended(from, to);
            }
            if (done)
                keep->complete();
            else
                keep->scheduleChunk();
        } catch (...) {
            // The connection failed between two chunks: the next action that needs the rows
            // reads them and reports the error where it can be shown.
        }
    });
    scheduleChunk();
}

void SharedRows::scheduleChunk()
{
    if (m_timer && loading())
        m_timer->start();
}

int SharedRows::readRows(const QString& where, const QVariantList& params, int limit, const QString& order)
{
    Rest& r = *m_rest;
    const RestPlan& p = r.plan;
    Backend& db = Engine::instance().backend(p.alias);
    const QString sql = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT %5")
                            .arg(p.selectList, p.table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where, order)
                            .arg(limit);
    // Written column by column for the whole chunk at once, as a full read does.
    const int base = rows.rowCount();
    rows.resize(base + limit);
    int phys = base;
    int got = 0;
    struct Trim {
        RowStore& rows;
        int& end;
        ~Trim() { rows.resize(end); }
    } trim{rows, phys};
    auto c = db.selectStreamed(sql, params);
    while (c->next()) {
        ++got;
        const qint64 key = c->intValue(p.keyCol);
        r.plan.lastKey = key;
        r.lastKey = key;
        if (p.inOrder && p.orderCol >= 0) {
            r.plan.lastOrderNull = c->isNull(p.orderCol);
            if (!r.plan.lastOrderNull)
                r.plan.lastOrder = p.orderIsDate ? c->dateJulianDay(p.orderCol) : c->intValue(p.orderCol);
        }
        if (r.plan.held.count(key))
            continue;
        r.loader->load(phys++, *c, true);
        ++r.plan.read;
    }
    return got;
}

bool SharedRows::readChunk(int* from, int* to)
{
    Rest& r = *m_rest;
    if (r.busy || r.done)
        return r.done;
    r.busy = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{r.busy};
    const RestPlan& p = r.plan;
    const int base = rows.rowCount();
    if (from)
        *from = base;
    int got = 0;
    try {
        if (!p.inOrder) {
            // Key order from the start; the first screen's rows are held and skipped.
            QVariantList params;
            QString where;
            if (r.lastKey) {
                where = QStringLiteral("%1 > ?").arg(p.keyField);
                params << *r.lastKey;
            }
            got = readRows(where, params, r.chunkRows, p.keyField);
        } else if (p.orderField.isEmpty()) {
            got = readRows(QStringLiteral("%1 > ?").arg(p.keyField), {p.lastKey}, r.chunkRows, p.keyField);
        } else {
            // Empty values first, then the values in order; both through the column's index
            // (a server orders "NULLS FIRST" only by sorting every row).
            const QString o = p.orderField, k = p.keyField;
            if (p.lastOrderNull) {
                got = readRows(QStringLiteral("%1 IS NULL AND %2 > ?").arg(o, k), {p.lastKey}, r.chunkRows, k);
                if (got < r.chunkRows) {
                    // Past the empty ones: the next query starts at the first value.
                    const int more = readRows(QStringLiteral("%1 IS NOT NULL").arg(o), {}, r.chunkRows - got,
                                              QStringLiteral("%1, %2").arg(o, k));
                    got += more;
                }
            } else {
                const QVariant last = p.orderIsDate ? QVariant(QDate::fromJulianDay(p.lastOrder)) : QVariant(p.lastOrder);
                got = readRows(QStringLiteral("%1 >= ? AND (%1 > ? OR %2 > ?)").arg(o, k), {last, last, p.lastKey},
                               r.chunkRows, QStringLiteral("%1, %2").arg(o, k));
            }
        }
    } catch (...) {
        if (to)
            *to = rows.rowCount();
        if (p.inOrder && rows.rowCount() > base)
            firstScreenLast = rows.rowCount() - 1;
        throw;
    }
    if (to)
        *to = rows.rowCount();
    // Rows of the first screen's order up to the last one read are all held now.
    if (p.inOrder && rows.rowCount() > base)
        firstScreenLast = rows.rowCount() - 1;
    return got < r.chunkRows;
}

void SharedRows::complete()
{
    if (!m_rest || m_rest->done)
        return;
    m_rest->done = true;
    m_rest->loader.reset();
    m_rest->plan.held.clear();
    m_keyOrderValid = false;
    if (m_rest->plan.inOrder && !m_rest->plan.orderField.isEmpty() && changedElsewhereDuringLoad())
        dropDoubles();
    // A cursor told may close or open others: walk a copy, skip those gone meanwhile.
    const std::shared_ptr<SharedRows> keep = shared_from_this();
    const std::vector<Table*> told = cursors;
    for (Table* t : told)
        if (std::find(cursors.begin(), cursors.end(), t) != cursors.end())
            t->sharedRowsComplete();
}

bool SharedRows::changedElsewhereDuringLoad() const
{
    // The counter was read before the first screen and follows this process's own writes (which
    // never bring a row twice): unmoved, no other workstation wrote the table meanwhile.
    try {
        return Catalog::changeCount(Engine::instance().backend(m_rest->plan.alias), m_rest->plan.table) != seenChange;
    } catch (...) {
        return true;
    }
}

const std::vector<int>& SharedRows::keyOrder(const std::vector<int>& keyCols)
{
    if (m_keyOrderValid)
        return m_keyOrder;
    std::vector<int>& order = m_keyOrder;
    order.clear();
    order.reserve(size_t(rows.rowCount()));
    for (int r = 0; r < rows.rowCount(); ++r)
        if (!rows.deleted(r))
            order.push_back(r);
    const auto less = [&](int a, int b) {
        for (int col : keyCols)
            if (const int c = rows.compareRows(a, b, col, false))
                return c < 0;
        return a < b;
    };
    // Rows mostly arrive in key order already.
    if (!std::is_sorted(order.begin(), order.end(), less))
        std::sort(order.begin(), order.end(), less);
    m_keyOrderValid = true;
    return m_keyOrder;
}

void SharedRows::dropDoubles()
{
    // Read in another order than the key's, a row another workstation moved meanwhile may have
    // come twice: the copy read later is the newer one. The key order is needed for the next
    // re-read anyway.
    const int keyCol = m_rest->plan.keyCol;
    keyOrder({keyCol});
    std::vector<int>& order = m_keyOrder;
    size_t kept = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i + 1 < order.size() && rows.compareRows(order[i], order[i + 1], keyCol, false) == 0) {
            rows.markDeleted(order[i]);
            continue;
        }
        order[kept++] = order[i];
    }
    doublesDropped = doublesDropped || kept < order.size();
    order.resize(kept);
}

void SharedRows::finishLoading()
{
    if (!loading())
        return;
    const std::shared_ptr<SharedRows> keep = shared_from_this();
    std::unique_ptr<LoadWait> wait;
    if (waitFactory())
        wait = waitFactory()(m_rest->plan.table);
    const int delay = testDelayMs();
    while (loading()) {
        if (m_rest->busy)
            throw EngineError(QStringLiteral("Die Tabelle %1 wird noch gelesen").arg(m_rest->plan.table), EngineCode::Generic);
        if (delay > 0)
            QThread::msleep(uint(delay));
        if (readChunk()) {
            complete();
            break;
        }
        if (wait)
            wait->progress(m_rest->plan.read, m_rest->plan.expected);
    }
    if (m_timer)
        m_timer->stop();
}
