#include "SharedRows.h"

#include "Backend.h"
#include "Engine.h"
#include "Errors.h"
#include "RowLoader.h"
#include "Table.h"

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
    rows.reserve(int(std::clamp<qint64>(m_rest->plan.expected + m_rest->chunkRows, 0, 50'000'000)));
    m_timer = std::make_unique<QTimer>();
    m_timer->setSingleShot(true);
    m_timer->setInterval(testDelayMs());
    std::weak_ptr<SharedRows> self = weak_from_this();
    QObject::connect(m_timer.get(), &QTimer::timeout, [self] {
        const std::shared_ptr<SharedRows> keep = self.lock();
        if (!keep || !keep->loading())
            return;
        try {
            if (keep->readChunk())
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

bool SharedRows::readChunk()
{
    Rest& r = *m_rest;
    if (r.busy || r.done)
        return r.done;
    r.busy = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{r.busy};
    Backend& db = Engine::instance().backend(r.plan.alias);
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(r.plan.selectList, r.plan.table);
    QVariantList params;
    if (r.lastKey) {
        sql += QStringLiteral(" WHERE %1 > ?").arg(r.plan.keyField);
        params << *r.lastKey;
    }
    sql += QStringLiteral(" ORDER BY %1 LIMIT %2").arg(r.plan.keyField).arg(r.chunkRows);
    // Written column by column for the whole chunk at once, as a full read does.
    const int base = rows.rowCount();
    rows.resize(base + r.chunkRows);
    int phys = base;
    int got = 0;
    try {
        auto c = db.selectStreamed(sql, params);
        while (c->next()) {
            ++got;
            const qint64 key = c->intValue(r.plan.keyCol);
            r.lastKey = key;
            if (r.plan.held.count(key))
                continue;
            r.loader->load(phys++, *c, true);
            ++r.plan.read;
        }
    } catch (...) {
        rows.resize(phys);
        throw;
    }
    rows.resize(phys);
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
    // A cursor told may close or open others: walk a copy, skip those gone meanwhile.
    const std::shared_ptr<SharedRows> keep = shared_from_this();
    const std::vector<Table*> told = cursors;
    for (Table* t : told)
        if (std::find(cursors.begin(), cursors.end(), t) != cursors.end())
            t->sharedRowsComplete();
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
