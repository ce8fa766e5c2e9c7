#include "Table.h"

#include "PendingText.h"

#include "Backend.h"
#include "Catalog.h"
#include "Engine.h"
#include "Query.h"
#include "RowLoader.h"
#include "RowStore.h"
#include "Schema.h"
#include "SharedRows.h"
#include "TableSecurity.h"
#include "Verlauf.h"

#include <algorithm>

namespace {

QString changedElsewhereText()
{
    return QStringLiteral("Der Datensatz wurde zwischenzeitlich an einem anderen Arbeitsplatz geändert. "
                          "Ihre Änderungen wurden nicht gespeichert: bitte abbrechen und neu bearbeiten.");
}

QString deletedElsewhereText()
{
    return QStringLiteral("Der Datensatz wurde zwischenzeitlich an einem anderen Arbeitsplatz gelöscht. "
                          "Ihre Änderungen wurden nicht gespeichert.");
}

// History rows of a recorded table for the row just written (old and new values by field index).
void writeHistory(const Table& t, Backend& backend, Verlauf::Aktion aktion, qint64 rowId, const std::vector<QVariant>& old,
                  const std::vector<QVariant>& now)
{
    QList<FieldDef> defs;
    QList<QVariant> before, after;
    std::optional<qint64> ladderId;
    const QString table = normalTableName(t.tableName());
    for (const auto& f : t.fields()) {
        if (f->kind() != FieldKind::Data)
            continue;
        const size_t i = size_t(f->index());
        // A password with field rights wrote only its fields.
        if (aktion == Verlauf::Aktion::Geaendert && !t.access().canWrite(f->name()))
            continue;
        defs << f->def();
        before << (i < old.size() ? old[i] : QVariant());
        after << (i < now.size() ? now[i] : QVariant());
        if (table == QLatin1String("LT_PRUEF") && f->name().compare(QLatin1String("LT_ID"), Qt::CaseInsensitive) == 0) {
            const QVariant& v = aktion == Verlauf::Aktion::Geloescht ? before.last() : after.last();
            if (v.isValid() && !v.isNull())
                ladderId = v.toLongLong();
        }
    }
    if (table == QLatin1String("LT_LEIT"))
        ladderId = rowId;
    const QList<Verlauf::FeldAenderung> changes = Verlauf::aenderungen(table, defs, before, after);
    // A save that changed nothing leaves no trace.
    if (changes.isEmpty() && aktion == Verlauf::Aktion::Geaendert)
        return;
    Verlauf::write(backend, table, aktion, rowId, ladderId, changes);
}

} // namespace

Table::Table(const QString& tableName, QObject* parent) : DataSet(parent), m_tableName(tableName) {}

Table::~Table()
{
    try {
        close();
    } catch (...) {
    }
}

void Table::setTableName(const QString& name)
{
    if (active())
        throw EngineError(QStringLiteral("Die Tabelle ist geöffnet"), EngineCode::Generic);
    m_tableName = name;
}

Backend& Table::db() const { return Engine::instance().backend(m_alias); }

bool Table::exists() { return Catalog::tableExists(db(), m_tableName); }

void Table::createTable(const TableDef& def)
{
    TableDef d = def;
    d.name = m_tableName.isEmpty() ? def.name : m_tableName;
    if (Catalog::tableExists(db(), d.name))
        throw EngineError(QStringLiteral("Die Tabelle %1 ist schon vorhanden").arg(normalTableName(d.name)), EngineCode::Generic);
    Catalog::createTable(db(), d);
}

void Table::deleteTable()
{
    if (active())
        close();
    if (Verlauf::isHistoryTable(m_tableName))
        refuseRights(QStringLiteral("der Änderungsverlauf %1 kann nicht gelöscht werden"));
    // A protected table goes only with its master password.
    if (!TableSecurity::accessFor(db(), m_tableName).full)
        refuseRights(QStringLiteral("die Tabelle %1 darf nicht gelöscht werden"));
    Catalog::dropTable(db(), m_tableName);
    TableSecurity::unprotect(db(), m_tableName);
}

void Table::createFromQuery(const QString& tableName, Query& query, const QString& alias)
{
    if (Verlauf::isHistoryTable(tableName))
        throw EngineError(QStringLiteral("Keine ausreichenden Rechte: der Änderungsverlauf kann nicht ersetzt werden"),
                          EngineCode::InsufficientRights);
    Table target(tableName);
    target.setAlias(alias);
    Backend& db = Engine::instance().backend(alias);
    if (!query.active())
        query.open();
    TableDef def;
    def.name = tableName;
    QStringList cols;
    for (const auto& f : query.fields()) {
        if (f->kind() != FieldKind::Data)
            continue;
        FieldDef d = f->def();
        if (d.type == FieldType::AutoInc)
            d.type = FieldType::Integer;
        d.required = false;
        def.fields << d;
        cols << d.name;
    }
    // Replacing is dropping: a protected table goes only with its master password.
    if (Catalog::tableExists(db, tableName) && !TableSecurity::accessFor(db, tableName).full)
        target.refuseRights(QStringLiteral("die Tabelle %1 darf nicht ersetzt werden"));
    Transaction t(db);
    if (Catalog::tableExists(db, tableName))
        Catalog::dropTable(db, tableName);
    Catalog::createTable(db, def);
    const QString placeholders = QStringList(QList<QString>(cols.size(), QStringLiteral("?"))).join(QLatin1Char(','));
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(normalTableName(tableName), cols.join(QLatin1Char(',')), placeholders);
    const int n = query.recordCount();
    for (int r = 0; r < n; ++r) {
        QVariantList values;
        for (int c = 0; c < cols.size(); ++c)
            values << query.valueAt(r, c);
        db.exec(sql, values);
    }
    Catalog::bumpChange(db, tableName);
    t.commit();
}

// ------------------------------------------------------------------ open / load

QString Table::selectList() const
{
    QStringList cols;
    for (const FieldDef& f : m_def.fields)
        cols << f.name;
    if (m_def.primaryIndex())
        cols << QLatin1String(Catalog::RowVersionColumn);
    return cols.join(QStringLiteral(", "));
}

void Table::open()
{
    if (active())
        return;
    if (m_tableName.isEmpty())
        throw EngineError(QStringLiteral("Kein Tabellenname angegeben"), EngineCode::TableNotFound);
    Backend& backend = db();
    std::optional<TableDef> def = Catalog::readTable(backend, m_tableName);
    if (!def)
        throw EngineError(QStringLiteral("Tabelle nicht gefunden: %1").arg(normalTableName(m_tableName)),
                          EngineCode::TableNotFound);
    // Labels and formats follow the program, not the data file.
    if (const TableDef* known = Schema::known(m_tableName)) {
        for (FieldDef& f : def->fields) {
            if (const FieldDef* k = known->field(f.name)) {
                f.displayLabel = k->displayLabel;
                f.displayFormat = k->displayFormat;
                f.boolTexts = k->boolTexts;
                f.rightAligned = k->rightAligned;
                f.displayWidth = k->displayWidth;
            }
        }
    }
    m_def = *def;
    // A protected table opens only with a password of the engine's list (or one the hook gives).
    m_access = TableSecurity::accessFor(backend, m_tableName);
    Engine::instance().lockTable(m_alias, m_tableName, m_exclusive);
    m_locked = true;
    try {
        setStoredFields(m_def.fields);
        setIndexFieldNames(m_indexFields);
        m_keyCols.clear();
        if (const IndexDef* p = m_def.primaryIndex())
            for (const QString& f : p->fieldList())
                for (int i = 0; i < m_def.fields.size(); ++i)
                    if (m_def.fields[i].name.compare(f, Qt::CaseInsensitive) == 0)
                        m_keyCols.push_back(i);
        if (m_master)
            m_rangeValues = masterValues();
        // A detail shows a range of its own; the whole table is read once for all cursors.
        if (!m_master && !m_keyCols.empty())
            attachSharedRows();
        else
            loadRows();
    } catch (...) {
        detachSharedRows();
        Engine::instance().unlockTable(m_alias, m_tableName);
        m_locked = false;
        throw;
    }
    DataSet::open();
}

void Table::close()
{
    if (!active())
        return;
    DataSet::close();
    forgetOrder();
    detachSharedRows();
    m_viewStale = false;
    if (m_locked) {
        Engine::instance().unlockTable(m_alias, m_tableName);
        m_locked = false;
    }
}

QStringList Table::rangeFields() const
{
    if (!m_master)
        return {};
    const int n = int(m_masterFields.split(QLatin1Char(';'), Qt::SkipEmptyParts).size());
    QStringList idx = m_indexFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return idx.mid(0, n);
}

QVariantList Table::masterValues() const
{
    QVariantList values;
    if (!m_master || !m_master->active() || m_master->isEmpty())
        return values;
    for (const QString& f : m_masterFields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        values << m_master->field(f.trimmed()).value();
    return values;
}

void Table::loadRows()
{
    Backend& backend = db();
    RowStore& rs = store();
    rs.clear();
    m_seenChange = Catalog::changeCount(backend, m_tableName);
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectList(), normalTableName(m_tableName));
    QVariantList params;
    if (m_master) {
        const QStringList rf = rangeFields();
        if (m_rangeValues.size() != rf.size() || rf.isEmpty())
            return;                                     // no master row: no detail rows
        QStringList conds;
        for (int i = 0; i < rf.size(); ++i) {
            if (!m_rangeValues[i].isValid())
                return;
            conds << rf[i] + QStringLiteral(" = ?");
            params << m_rangeValues[i];
        }
        sql += QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
    }
    if (!m_master) {
        // All rows made at once, column by column: appending row by row costs a branch per
        // column and row, copies on growth and page faults. Counted first: a server's rows
        // arrive one by one, and its connection answers nothing else meanwhile.
        auto count = backend.select(QStringLiteral("SELECT COUNT(*) FROM %1").arg(normalTableName(m_tableName)));
        const qint64 rows = count->next() ? count->intValue(0) : 0;
        count.reset();
        rs.resize(int(std::clamp<qint64>(rows, 0, 50'000'000)));
    }
    // A detail's few rows come at once; the whole table streams.
    auto cursor = m_master ? backend.select(sql, params) : backend.selectStreamed(sql, params);
    RowLoader loader(rs, int(m_def.fields.size()), m_def.primaryIndex() != nullptr);
    int phys = 0;
    while (cursor->next()) {
        if (phys == rs.rowCount())
            rs.appendRow();                     // written between counting and reading
        loader.load(phys++, *cursor, true);
    }
    if (phys < rs.rowCount())
        rs.resize(phys);
    forgetOrder();
}

// ------------------------------------------------------------------ rows shared by cursors

void Table::attachSharedRows()
{
    QStringList layout;
    for (const FieldDef& f : m_def.fields)
        layout << f.name.toUpper() + QLatin1Char(':') + QString::number(int(f.type));
    m_shared = SharedRows::acquire(db(), m_tableName, layout.join(QLatin1Char(',')));
    // The cursor reads and writes the shared rows through store(); they live as long as a cursor holds them.
    attachStore(std::shared_ptr<RowStore>(m_shared, &m_shared->rows));
    if (m_shared->seenChange < 0) {
        m_shared->rows.setColumns(m_def.fields);
        if (m_readRestLater && canReadRestLater())
            loadFirstScreen();
        else
            loadRows();
        m_shared->seenChange = m_seenChange;
        m_shared->setKeyOrderValid(false);
    } else if (m_shared->loading()) {
        // A change since the first screen is caught by the refresh after the load, as for
        // the cursor that started it; re-read now, the rest would come twice.
        m_seenChange = m_shared->seenChange;
    } else if (Catalog::changeCount(db(), m_tableName) != m_shared->seenChange) {
        // Written since the others read it: this cursor must open on the table as it is now.
        rereadSharedRows(true);
        tellOtherCursors(-1);
    } else {
        m_seenChange = m_shared->seenChange;
    }
    m_shared->cursors.push_back(this);
    // A cursor may show the rows read so far only in the order they were read in.
    setRowsPending(m_shared->loading(), showWhileLoading() && orderKey() == m_shared->firstScreenOrder);
}

QString Table::orderKey() const
{
    QStringList names;
    for (int col : m_sortCols)
        names << m_def.fields[col].name.toUpper();
    return names.join(QLatin1Char(';'));
}

bool Table::canReadRestLater() const
{
    // The benchmark's "as before": every row read at once.
    if (qEnvironmentVariableIsSet("HW_BENCH_READ_AT_ONCE"))
        return false;
    if (m_keyCols.size() != 1)
        return false;
    const FieldType keyType = m_def.fields[m_keyCols.front()].type;
    if (keyType != FieldType::Integer && keyType != FieldType::AutoInc)
        return false;
    // Texts the database may order otherwise than the store (case, umlauts): read at once.
    for (int col : m_sortCols) {
        const FieldType t = m_def.fields[col].type;
        if (t != FieldType::Integer && t != FieldType::AutoInc && t != FieldType::Date)
            return false;
    }
    return true;
}

void Table::loadFirstScreen()
{
    Backend& backend = db();
    RowStore& rs = store();
    rs.clear();
    const QString table = normalTableName(m_tableName);
    // Before the first query: whatever is written from here on is caught by the next refresh.
    m_seenChange = Catalog::changeCount(backend, m_tableName);
    auto count = backend.select(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
    const qint64 total = count->next() ? count->intValue(0) : 0;
    count.reset();
    const QString keyField = m_def.fields[m_keyCols.front()].name;
    const int screen = firstScreenRows();
    RowLoader loader(rs, int(m_def.fields.size()), true);
    RestPlan rest;
    rest.keyField = keyField;
    rest.keyCol = m_keyCols.front();
    const auto readScreen = [&](const QString& where, const QString& order, int limit) {
        auto c = backend.select(QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT %5")
                                    .arg(selectList(), table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
                                         order)
                                    .arg(limit));
        while (c->next()) {
            const int phys = rs.appendRow();
            loader.load(phys, *c, true);
            rest.held.insert(c->intValue(rest.keyCol));
        }
    };
    if (m_sortCols.size() <= 1) {
        // One column (or the key alone): the rest follows in this order, chunk after chunk.
        rest.inOrder = true;
        if (m_sortCols.empty() || m_sortCols.front() == rest.keyCol) {
            readScreen(QString(), keyField, screen);
        } else {
            const int col = m_sortCols.front();
            rest.orderCol = col;
            rest.orderField = m_def.fields[col].name;
            rest.orderIsDate = m_def.fields[col].type == FieldType::Date;
            // Empty values first, each part through the column's index: a server that sorts
            // empty values last in its index would otherwise sort every row for "NULLS FIRST".
            readScreen(QStringLiteral("%1 IS NULL").arg(rest.orderField), keyField, screen);
            if (rs.rowCount() < screen)
                readScreen(QStringLiteral("%1 IS NOT NULL").arg(rest.orderField),
                           QStringLiteral("%1, %2").arg(rest.orderField, keyField), screen - rs.rowCount());
        }
    } else {
        QStringList order;
        for (int col : m_sortCols)
            order << m_def.fields[col].name + backend.nullsOrder(false);
        order << keyField;
        readScreen(QString(), order.join(QStringLiteral(", ")), screen);
    }
    forgetOrder();
    if (rs.rowCount() < screen)
        return;                                 // that was the whole table
    const int last = rs.rowCount() - 1;
    rest.lastKey = rs.get(last, rest.keyCol).toLongLong();
    if (rest.orderCol >= 0) {
        rest.lastOrderNull = rs.isNull(last, rest.orderCol);
        if (!rest.lastOrderNull)
            rest.lastOrder = rest.orderIsDate ? rs.get(last, rest.orderCol).toDate().toJulianDay()
                                              : rs.get(last, rest.orderCol).toLongLong();
    }
    if (rest.inOrder)
        rest.held.clear();                      // the rest starts after them
    rest.alias = m_alias;
    rest.table = table;
    rest.selectList = selectList();
    rest.columns = int(m_def.fields.size());
    rest.expected = total;
    rest.read = rs.rowCount();
    m_shared->firstScreenOrder = orderKey();
    m_shared->firstScreenLast = last;
    m_shared->startRest(std::move(rest));
}

void Table::awaitFullLoad() const
{
    if (m_shared)
        m_shared->finishLoading();
}

int Table::rowsInOrder() const
{
    if (!m_shared || m_shared->firstScreenLast < 0)
        return 0;
    // The view is in the first screen's order: every row up to the last one read in it.
    const std::vector<int>& v = view();
    const int last = m_shared->firstScreenLast;
    return int(std::upper_bound(v.begin(), v.end(), last, [this](int a, int b) { return rowLess(a, b); }) - v.begin());
}

qint64 Table::rowsBeyondView() const
{
    if (!m_shared || !m_shared->loading())
        return 0;
    const RowStore& rs = m_shared->rows;
    qint64 live = 0;
    for (int r = 0; r < rs.rowCount(); ++r)
        live += rs.deleted(r) ? 0 : 1;
    return std::max<qint64>(0, live + m_shared->rowsNotRead() - qint64(view().size()));
}

qint64 Table::rowMemoryBytes() const { return store().memoryBytes(); }

void Table::sharedRowsAppended(int from, int to)
{
    // Only a cursor that shows the rows read so far, in their order, as it is browsing: any
    // other one is rebuilt once the rows are complete (or when it leaves edit state).
    if (!rowsPending() || !showWhileLoading() || orderKey() != m_shared->firstScreenOrder)
        return;
    if (state() != DataSetState::Browse || filtered()) {
        m_viewStale = true;
        return;
    }
    // The new rows continue the order read so far; rows this process wrote beyond it follow
    // them where their order puts them.
    std::vector<int>& v = viewRef();
    const auto less = [this](int a, int b) { return rowLess(a, b); };
    const size_t at = size_t(std::upper_bound(v.begin(), v.end(), from, less) - v.begin());
    std::vector<int> tail;
    tail.reserve(v.size() - at + size_t(to - from));
    std::vector<int> fresh;
    fresh.reserve(size_t(to - from));
    for (int r = from; r < to; ++r)
        if (!store().deleted(r))
            fresh.push_back(r);
    std::merge(fresh.begin(), fresh.end(), v.begin() + std::ptrdiff_t(at), v.end(), std::back_inserter(tail), less);
    const int added = int(fresh.size());
    if (added == 0)
        return;
    const int pos = viewPos();
    const int cur = currentPhys();
    emit rowsAboutToBeAppended(int(at), added);
    // Room for the rows still coming, taken once: growing by doubling would copy the view at
    // every step and leave up to twice its size behind.
    if (v.capacity() < v.size() + size_t(added))
        v.reserve(v.size() + size_t(added) + size_t(std::max<qint64>(0, m_shared->rowsNotRead())));
    v.resize(at);
    v.insert(v.end(), tail.begin(), tail.end());
    if (pos >= int(at))
        setCurrentPos(int(std::find(v.begin(), v.end(), cur) - v.begin()));
    forgetOrder();
    emit rowsAppended();
}

void Table::sharedRowsComplete()
{
    // A view that grew with every chunk in its order holds every row already: it is kept, not
    // sorted again, unless it missed chunks or doubles were dropped.
    bool whole = false;
    if (rowsPending() && showWhileLoading() && orderKey() == m_shared->firstScreenOrder && !m_viewStale
        && state() == DataSetState::Browse && !filtered() && !m_shared->doublesDropped) {
        const RowStore& rs = store();
        size_t live = 0;
        for (int r = 0; r < rs.rowCount(); ++r)
            live += rs.deleted(r) ? 0 : 1;
        whole = live == view().size();
    }
    setRowsPending(false, false);
    if (!whole) {
        sharedRowsChanged(-1);
        return;
    }
    forgetOrder();
    m_viewIsOrder = true;
    invalidateCalcCache();
    bumpGeneration();
    rebuildKeepingPlace();
}

void Table::detachSharedRows()
{
    if (!m_shared)
        return;
    auto& list = m_shared->cursors;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    m_shared.reset();
    // Never keep a hold on the shared rows: a later open sets this cursor's columns afresh.
    attachStore(std::make_shared<RowStore>());
}

int Table::compareKeyToResult(int phys, ResultCursor& c) const
{
    const RowStore& rs = store();
    for (int col : m_keyCols) {
        int r = 0;
        const FieldType t = rs.columnType(col);
        if (c.isNull(col) || rs.isNull(phys, col))
            r = rs.isNull(phys, col) == c.isNull(col) ? 0 : (rs.isNull(phys, col) ? -1 : 1);
        else if (t == FieldType::Integer || t == FieldType::AutoInc)
            r = rs.compareInt(phys, col, c.intValue(col));
        else if (t == FieldType::Text || t == FieldType::Memo)
            r = rs.get(phys, col).toString().compare(c.textValue(col), Qt::CaseSensitive);
        else if (t == FieldType::Date)
            r = rs.compareInt(phys, col, c.dateJulianDay(col));
        else if (t == FieldType::DateTime)
            r = rs.compareToValue(phys, col, QDateTime(QDate::fromJulianDay(c.dateTimeMs(col) / 86400000),
                                                       QTime::fromMSecsSinceStartOfDay(int(c.dateTimeMs(col) % 86400000))), false);
        else if (t == FieldType::Float)
            r = rs.compareToValue(phys, col, c.doubleValue(col), false);
        else
            r = rs.compareToValue(phys, col, c.boolValue(col), false);
        if (r)
            return r;
    }
    return 0;
}

int Table::sharedRowOf(ResultCursor& c) const
{
    const std::vector<int>& order = m_shared->keyOrder(m_keyCols);
    size_t lo = 0, hi = order.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        const int cmp = compareKeyToResult(order[mid], c);
        if (cmp == 0)
            return order[mid];
        if (cmp < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return -1;
}

void Table::rereadSharedRows(bool skipUnchanged)
{
    Backend& backend = db();
    SharedRows& sh = *m_shared;
    RowStore& rs = sh.rows;
    const qint64 counter = Catalog::changeCount(backend, m_tableName);
    m_shared->keyOrder(m_keyCols);
    auto c = backend.selectStreamed(QStringLiteral("SELECT %1 FROM %2").arg(selectList(), normalTableName(m_tableName)));
    const int versionCol = int(m_def.fields.size());
    RowLoader loader(rs, versionCol, true);
    std::vector<quint8> seen(size_t(rs.rowCount()), 0);
    bool rowsAddedOrGone = false;
    while (c->next()) {
        int phys = sharedRowOf(*c);
        const bool added = phys < 0;
        if (added) {
            phys = rs.appendRow();
            seen.push_back(1);
            rowsAddedOrGone = true;
        } else {
            seen[size_t(phys)] = 1;
            if (skipUnchanged && rs.rowVersion(phys) == c->intValue(versionCol))
                continue;
        }
        loader.load(phys, *c, added);
    }
    for (int r : sh.keyOrder(m_keyCols)) {
        if (!seen[size_t(r)]) {
            rs.markDeleted(r);
            rowsAddedOrGone = true;
        }
    }
    if (rowsAddedOrGone)
        sh.setKeyOrderValid(false);
    sh.seenChange = counter;
    m_seenChange = counter;
    forgetOrder();
}

void Table::tellOtherCursors(int phys)
{
    if (!m_shared)
        return;
    // A cursor told may close or open others: walk a copy, skip those gone meanwhile.
    const std::shared_ptr<SharedRows> keep = m_shared;
    const std::vector<Table*> cursors = keep->cursors;
    for (Table* t : cursors) {
        if (t == this || std::find(keep->cursors.begin(), keep->cursors.end(), t) == keep->cursors.end())
            continue;
        t->sharedRowsChanged(phys);
    }
}

void Table::shareRowWrite(int phys, bool keyOrderChanged)
{
    if (!m_shared)
        return;
    if (keyOrderChanged)
        m_shared->setKeyOrderValid(false);
    tellOtherCursors(phys);
}

void Table::sharedRowsChanged(int phys)
{
    if (phys >= 0)
        placeRow(phys);
    else
        forgetOrder();
    invalidateCalcCache();
    bumpGeneration();
    if (state() == DataSetState::Browse)
        rebuildKeepingPlace();
    else
        m_viewStale = true;
}

void Table::rebuildKeepingPlace()
{
    m_viewStale = false;
    const int oldPos = viewPos();
    const int oldPhys = currentPhys();
    rebuildView(oldPhys);
    if (oldPhys >= 0 && currentPhys() != oldPhys) {
        // The row is gone: the one now in its place becomes current, and everyone is told so.
        setCurrentPos(oldPos);
        emit currentChanged();
    }
}

void Table::catchUpView()
{
    if (m_viewStale && state() == DataSetState::Browse)
        rebuildKeepingPlace();
}

// ------------------------------------------------------------------ refresh

void Table::refresh()
{
    if (!active() || isEditing())
        return;
    waitForFullLoad();
    if (m_shared) {
        rereadSharedRows(false);
        rebuildKeepingPlace();
        tellOtherCursors(-1);
        return;
    }
    const QVariantList key = currentPhys() >= 0 ? primaryKeyValues() : QVariantList();
    const int oldPos = viewPos();
    loadRows();
    int keep = -1;
    if (!key.isEmpty()) {
        const QStringList kf = keyFields();
        for (int r = 0; r < store().rowCount() && keep < 0; ++r) {
            bool eq = true;
            for (int i = 0; i < kf.size() && eq; ++i)
                eq = compareVariants(field(kf[i]).type(), store().get(r, field(kf[i]).index()), key[i], false) == 0;
            if (eq)
                keep = r;
        }
    }
    rebuildView(keep);
    if (keep < 0 && oldPos >= 0) {
        // The row is gone: the one now in its place becomes current, and everyone is told so
        // (a grid would otherwise highlight another row than the cursor's).
        setCurrentPos(oldPos);
        emit currentChanged();
    }
}

bool Table::changedElsewhere()
{
    if (!active())
        return false;
    return Catalog::changeCount(db(), m_tableName) != m_seenChange;
}

bool Table::refreshIfChanged()
{
    // While the rest is read the rows are not yet the table's: the first refresh after it catches up.
    if (m_shared && m_shared->loading())
        return false;
    if (!changedElsewhere() || isEditing())
        return false;
    if (!m_shared) {
        refresh();
        return true;
    }
    const qint64 now = Catalog::changeCount(db(), m_tableName);
    if (now == m_shared->seenChange) {
        // Another cursor of this process already read or wrote the change into the shared rows.
        m_seenChange = now;
        rebuildKeepingPlace();
        return true;
    }
    rereadSharedRows(true);
    rebuildKeepingPlace();
    tellOtherCursors(-1);
    return true;
}

// ------------------------------------------------------------------ index

void Table::setIndexFieldNames(const QString& fields)
{
    if (active()) {
        checkBrowseMode();
        waitForFullLoad();
    }
    m_indexFields = fields;
    m_sortCols.clear();
    m_sortCi.clear();
    QStringList list = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (list.isEmpty() && m_def.primaryIndex())
        list = m_def.primaryIndex()->fieldList();
    const IndexDef* idx = indexForFields(fields);
    for (const QString& name : list) {
        if (!active() && fields.isEmpty() == false && !m_def.field(name.trimmed()) && !m_def.fields.isEmpty())
            throw EngineError(QStringLiteral("Kein Index für die Felder %1").arg(fields), EngineCode::Generic);
        for (int i = 0; i < m_def.fields.size(); ++i) {
            if (m_def.fields[i].name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
                m_sortCols.push_back(i);
                m_sortCi.push_back(idx ? idx->caseInsensitive : true);
            }
        }
    }
    forgetOrder();
    if (active() && !isEditing())
        rebuildView();
}

const IndexDef* Table::indexForFields(const QString& fields) const
{
    const QStringList want = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const IndexDef& i : m_def.indexes) {
        const QStringList have = i.fieldList();
        if (have.size() != want.size())
            continue;
        bool same = true;
        for (int k = 0; k < have.size() && same; ++k)
            same = have[k].compare(want[k].trimmed(), Qt::CaseInsensitive) == 0;
        if (same)
            return &i;
    }
    return nullptr;
}

// Index order; equal index values in primary-key order, then in the order read.
bool Table::rowLess(int a, int b) const
{
    const RowStore& rs = store();
    for (size_t k = 0; k < m_sortCols.size(); ++k)
        if (const int c = rs.compareRows(a, b, m_sortCols[k], m_sortCi[k]))
            return c < 0;
    for (int col : m_keyCols)
        if (const int c = rs.compareRows(a, b, col, false))
            return c < 0;
    return a < b;
}

std::vector<int> Table::sortedRows() const
{
    const RowStore& rs = store();
    std::vector<int> rows;
    rows.reserve(size_t(rs.rowCount()));
    for (int r = 0; r < rs.rowCount(); ++r)
        if (!rs.deleted(r))
            rows.push_back(r);
    const auto less = [this](int a, int b) { return rowLess(a, b); };
    if (!std::is_sorted(rows.begin(), rows.end(), less))
        std::sort(rows.begin(), rows.end(), less);
    return rows;
}

std::vector<int> Table::orderedRows() const
{
    if (m_sortCacheValid)
        return m_sortCache;
    if (m_viewIsOrder)
        return view();
    m_sortCache = sortedRows();
    m_sortCacheValid = true;
    return m_sortCache;
}

std::vector<int> Table::orderForView()
{
    // The order moves into the view: an unfiltered view is the order itself, and a second copy
    // of it per cursor would cost as much again (4 MB a million rows).
    std::vector<int> rows = m_sortCacheValid ? std::move(m_sortCache) : m_viewIsOrder ? view() : sortedRows();
    m_sortCache = std::vector<int>();
    m_sortCacheValid = false;
    m_viewIsOrder = !(filtered() && onFilterRecord);
    return rows;
}

void Table::forgetOrder()
{
    m_sortCacheValid = false;
    m_viewIsOrder = false;
}

// One row was written, added or deleted: moves it to its place in the index order instead of
// sorting every row again.
void Table::placeRow(int phys)
{
    if (!m_sortCacheValid) {
        if (!m_viewIsOrder)
            return;
        // The view held the order; from here on the order differs from the view until rebuilt.
        m_sortCache = view();
        m_sortCacheValid = true;
        m_viewIsOrder = false;
    }
    const auto it = std::find(m_sortCache.begin(), m_sortCache.end(), phys);
    if (it != m_sortCache.end())
        m_sortCache.erase(it);
    if (phys < 0 || phys >= store().rowCount() || store().deleted(phys))
        return;
    const auto at = std::lower_bound(m_sortCache.begin(), m_sortCache.end(), phys,
                                     [this](int a, int b) { return rowLess(a, b); });
    m_sortCache.insert(at, phys);
}

int Table::compareRowToValues(int phys, const QStringList& fields, const QVariantList& values) const
{
    for (int i = 0; i < fields.size() && i < values.size(); ++i) {
        const Field& f = field(fields[i].trimmed());
        const int c = store().compareToValue(phys, f.index(), values[i], size_t(i) < m_sortCi.size() ? m_sortCi[size_t(i)] : true);
        if (c)
            return c;
    }
    return 0;
}

int Table::lowerBound(const QStringList& fields, const QVariantList& values) const
{
    const std::vector<int>& v = view();
    int lo = 0, hi = int(v.size());
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (compareRowToValues(v[size_t(mid)], fields, values) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// Values typed by the user arrive as text; convert with the field's own message.
static QVariantList convertKeyValues(const Table& t, const QStringList& fields, const QVariantList& values)
{
    QVariantList out;
    for (int i = 0; i < values.size() && i < fields.size(); ++i) {
        const Field& f = t.field(fields[i].trimmed());
        const QVariant& v = values[i];
        if (v.typeId() == QMetaType::QString && f.type() != FieldType::Text && f.type() != FieldType::Memo)
            out << f.convertText(v.toString());
        else
            out << v;
    }
    return out;
}

bool Table::findKey(const QVariantList& values)
{
    if (!active())
        throw EngineError(QStringLiteral("Die Datenmenge ist nicht geöffnet"), EngineCode::Generic);
    waitForFullLoad();
    // Without an active index the rows stand in primary-key order: search that key.
    QStringList fields = m_indexFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (fields.isEmpty())
        fields = keyFields();
    fields = fields.mid(0, values.size());
    if (fields.isEmpty())
        throw EngineError(QStringLiteral("Keine Schlüsselfelder für die Suche in Tabelle %1").arg(m_tableName), EngineCode::Generic);
    const QVariantList key = convertKeyValues(*this, fields, values);
    const int pos = lowerBound(fields, key);
    if (pos >= int(view().size()) || compareRowToValues(view()[size_t(pos)], fields, key) != 0)
        return false;
    return gotoBookmark(view()[size_t(pos)]);
}

void Table::findNearest(const QVariantList& values)
{
    if (!active())
        throw EngineError(QStringLiteral("Die Datenmenge ist nicht geöffnet"), EngineCode::Generic);
    waitForFullLoad();
    QStringList fields = m_indexFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (fields.isEmpty())
        fields = keyFields();
    fields = fields.mid(0, values.size());
    const QVariantList key = convertKeyValues(*this, fields, values);
    if (view().empty())
        return;
    int pos = lowerBound(fields, key);
    if (pos >= int(view().size()))
        pos = int(view().size()) - 1;
    gotoBookmark(view()[size_t(pos)]);
}

void Table::setKey()
{
    if (isEditing())
        throw EngineError(QStringLiteral("Die Datenmenge befindet sich im Editier- oder Einfügemodus"), EngineCode::Generic);
    m_buffer.assign(size_t(fieldCount()), QVariant());
    m_bufferChanged.assign(size_t(fieldCount()), false);
    setState(DataSetState::SetKey);
}

static QVariantList keyBufferValues(const Table& t, const std::vector<QVariant>& buffer)
{
    QVariantList values;
    for (const QString& f : t.indexFieldNames().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QVariant v = buffer[size_t(t.field(f).index())];
        if (!v.isValid())
            break;
        values << v;
    }
    return values;
}

bool Table::gotoKey()
{
    const QVariantList values = keyBufferValues(*this, m_buffer);
    m_buffer.clear();
    setState(DataSetState::Browse);
    catchUpView();
    return findKey(values);
}

void Table::gotoNearest()
{
    const QVariantList values = keyBufferValues(*this, m_buffer);
    m_buffer.clear();
    setState(DataSetState::Browse);
    catchUpView();
    findNearest(values);
}

QStringList Table::keyFields() const
{
    if (const IndexDef* p = m_def.primaryIndex())
        return p->fieldList();
    return {};
}

QVariantList Table::primaryKeyValues() const
{
    needRows();
    QVariantList values;
    const int phys = currentPhys();
    if (phys < 0)
        return values;
    for (const QString& f : keyFields())
        values << store().get(phys, field(f).index());
    return values;
}

bool Table::gotoCurrent(const Table& other)
{
    waitForFullLoad();
    const QVariantList key = other.primaryKeyValues();
    if (key.isEmpty())
        return false;
    const QStringList kf = keyFields();
    for (int phys : view()) {
        bool eq = true;
        for (int i = 0; i < kf.size() && eq; ++i)
            eq = compareVariants(field(kf[i]).type(), store().get(phys, field(kf[i]).index()), key[i], false) == 0;
        if (eq)
            return gotoBookmark(phys);
    }
    return false;
}

// ------------------------------------------------------------------ editing

void Table::checkWritable() const
{
    if (!active())
        throw EngineError(QStringLiteral("Die Datenmenge ist nicht geöffnet"), EngineCode::Generic);
    if (m_readOnly)
        throw EngineError(QStringLiteral("Die Tabelle %1 kann nicht geändert werden").arg(normalTableName(m_tableName)),
                          EngineCode::InsufficientRights);
    // History rows are only ever added, by the store itself.
    if (Verlauf::isHistoryTable(m_tableName))
        refuseRights(QStringLiteral("der Änderungsverlauf %1 kann nicht geändert werden"));
}

bool Table::modified() const
{
    return std::any_of(m_bufferChanged.begin(), m_bufferChanged.end(), [](bool b) { return b; });
}

void Table::startInsert(bool atEnd)
{
    checkWritable();
    needRows();
    if (!m_access.canInsert())
        refuseRights(QStringLiteral("in die Tabelle %1 dürfen keine Datensätze eingefügt werden"));
    if (isEditing())
        post();
    if (beforeInsert)
        beforeInsert(*this);
    m_buffer.assign(size_t(fieldCount()), QVariant());
    m_bufferChanged.assign(size_t(fieldCount()), false);
    m_insertPos = atEnd ? int(view().size()) : std::max(viewPos(), 0);
    setState(DataSetState::Insert);
    // New detail rows belong to the master's current row.
    const QStringList rf = rangeFields();
    const QVariantList mv = masterValues();
    for (int i = 0; i < rf.size() && i < mv.size(); ++i)
        m_buffer[size_t(field(rf[i]).index())] = mv[i];
    emit rowsReset();
    try {
        if (onNewRecord)
            onNewRecord(*this);
    } catch (...) {
        cancel();
        throw;
    }
    if (afterInsert)
        afterInsert(*this);
    emit currentChanged();
}

void Table::append() { startInsert(true); }
void Table::insert() { startInsert(false); }

int Table::readRowByKey(const QVariantList& keyValues, int intoPhys)
{
    const QStringList kf = keyFields();
    QStringList conds;
    for (const QString& f : kf)
        conds << f + QStringLiteral(" = ?");
    auto c = db().select(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                             .arg(selectList(), normalTableName(m_tableName), conds.join(QStringLiteral(" AND "))),
                         keyValues);
    if (!c->next())
        return -1;
    const int phys = intoPhys >= 0 ? intoPhys : store().appendRow();
    // A row added or written while the rest is read: the rest must not bring it a second time.
    if (m_shared && m_keyCols.size() == 1)
        m_shared->noteHeldKey(c->intValue(m_keyCols.front()));
    RowLoader(store(), int(m_def.fields.size()), m_def.primaryIndex() != nullptr).load(phys, *c, intoPhys < 0);
    return phys;
}

void Table::rereadCurrent()
{
    const int phys = currentPhys();
    if (phys < 0 || keyFields().isEmpty())
        return;
    const qint64 versionBefore = store().rowVersion(phys);
    if (readRowByKey(primaryKeyValues(), phys) < 0) {
        store().markDeleted(phys);
        placeRow(phys);
        const int pos = viewPos();
        rebuildView();
        setCurrentPos(pos);
        emit currentChanged();
        shareRowWrite(phys, true);
        throw EngineError(deletedElsewhereText(), EngineCode::RecordDeleted);
    }
    invalidateCalcCache();
    bumpGeneration();
    emit rowChanged(viewPos());
    // This cursor keeps its order while the row is edited; the cache and the others follow it.
    if (store().rowVersion(phys) != versionBefore) {
        placeRow(phys);
        shareRowWrite(phys, false);
    }
}

void Table::edit()
{
    if (isEditing())
        return;
    checkWritable();
    if (!m_access.canModify())
        refuseRights(QStringLiteral("die Tabelle %1 darf nicht geändert werden"));
    if (isEmpty()) {
        insert();
        return;
    }
    if (keyFields().isEmpty())
        throw EngineError(QStringLiteral("Die Tabelle %1 hat keinen Schlüssel und kann nicht geändert werden")
                              .arg(normalTableName(m_tableName)),
                          EngineCode::Generic);
    if (beforeEdit)
        beforeEdit(*this);
    rereadCurrent();
    m_buffer.assign(size_t(fieldCount()), QVariant());
    m_bufferChanged.assign(size_t(fieldCount()), false);
    const int phys = currentPhys();
    for (int i = 0; i < fieldCount(); ++i)
        if (fieldAt(i).kind() == FieldKind::Data)
            m_buffer[size_t(i)] = store().get(phys, i);
    m_editKey = primaryKeyValues();
    m_editVersion = store().rowVersion(phys);
    setState(DataSetState::Edit);
    if (afterEdit)
        afterEdit(*this);
    emit rowChanged(viewPos());
}

void Table::noteOwnWrite()
{
    // Our own write moves the counter by one; anything more was another workstation.
    const qint64 now = Catalog::changeCount(db(), m_tableName);
    if (m_shared && now == m_shared->seenChange + 1)
        m_shared->seenChange = now;
    if (now == m_seenChange + 1)
        m_seenChange = now;
}

void Table::post()
{
    if (state() == DataSetState::SetKey) {
        setState(DataSetState::Browse);
        m_buffer.clear();
        catchUpView();
        return;
    }
    if (!isEditing())
        return;
    checkWritable();
    if (beforePost)
        beforePost(*this);
    for (const auto& f : fields()) {
        if (f->kind() == FieldKind::Data && f->required() && f->type() != FieldType::AutoInc
            && !m_buffer[size_t(f->index())].isValid())
            throw EngineError(QStringLiteral("Feld '%1' muß einen Wert haben").arg(f->displayLabel()), EngineCode::RequiredField);
    }
    Backend& backend = db();
    const bool inserting = state() == DataSetState::Insert;
    const QString table = normalTableName(m_tableName);
    QStringList cols;
    QVariantList values;
    for (const auto& f : fields()) {
        if (f->kind() != FieldKind::Data || f->type() == FieldType::AutoInc)
            continue;
        // A password with field rights writes only its fields (the others cannot have changed).
        if (!m_access.canWrite(f->name()))
            continue;
        cols << f->name();
        values << m_buffer[size_t(f->index())];
    }
    const QStringList kf = keyFields();
    QVariantList newKey;
    const bool recorded = Verlauf::recorded(m_tableName);
    // The row as editing found it: should another cursor have re-read it to a newer version
    // since, the update below is refused anyway.
    std::vector<QVariant> original;
    if (recorded && !inserting && currentPhys() >= 0) {
        original.resize(static_cast<size_t>(fieldCount()));
        for (int i = 0; i < fieldCount(); ++i)
            if (fieldAt(i).kind() == FieldKind::Data)
                original[size_t(i)] = store().get(currentPhys(), i);
    }
    {
        Transaction t(backend);
        // Taken before the row's own write, so that no writer waits for it while holding a row.
        if (recorded)
            Verlauf::serialize(backend);
        if (inserting) {
            const QString marks = QStringList(QList<QString>(cols.size(), QStringLiteral("?"))).join(QLatin1Char(','));
            backend.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, cols.join(QLatin1Char(',')), marks), values);
            for (const QString& k : kf) {
                const Field& f = field(k);
                newKey << (f.type() == FieldType::AutoInc ? QVariant(backend.lastInsertId()) : m_buffer[size_t(f.index())]);
            }
        } else {
            QStringList sets;
            for (const QString& c : cols)
                sets << c + QStringLiteral(" = ?");
            sets << QStringLiteral("%1 = %1 + 1").arg(QLatin1String(Catalog::RowVersionColumn));
            QStringList conds;
            QVariantList params = values;
            // The row as editing found it, whatever another cursor of this process re-read since.
            for (int i = 0; i < kf.size(); ++i) {
                conds << kf[i] + QStringLiteral(" = ?");
                params << m_editKey.value(i);
            }
            conds << QStringLiteral("%1 = ?").arg(QLatin1String(Catalog::RowVersionColumn));
            params << m_editVersion;
            const int n = backend.exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                           .arg(table, sets.join(QStringLiteral(", ")), conds.join(QStringLiteral(" AND "))),
                                       params);
            if (n == 0) {
                const QVariantList oldKey = m_editKey;
                QStringList kc;
                for (const QString& k : kf)
                    kc << k + QStringLiteral(" = ?");
                auto c = backend.select(QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(table, kc.join(QStringLiteral(" AND "))), oldKey);
                const bool stillThere = c->next();
                c.reset();
                throw EngineError(stillThere ? changedElsewhereText() : deletedElsewhereText(),
                                  stillThere ? EngineCode::RecordChanged : EngineCode::RecordDeleted);
            }
            for (const QString& k : kf)
                newKey << m_buffer[size_t(field(k).index())];
        }
        if (recorded)
            writeHistory(*this, backend, inserting ? Verlauf::Aktion::Neu : Verlauf::Aktion::Geaendert, newKey.value(0).toLongLong(),
                         original, m_buffer);
        Catalog::bumpChange(backend, table);
        t.commit();
    }
    noteOwnWrite();
    const int phys = readRowByKey(newKey, inserting ? -1 : currentPhys());
    const bool keyMoved = inserting || newKey != m_editKey;
    m_buffer.clear();
    m_bufferChanged.clear();
    m_insertPos = -1;
    setState(DataSetState::Browse);
    if (phys >= 0) {
        placeRow(phys);
    } else {
        forgetOrder();
    }
    m_viewStale = false;
    rebuildView(phys);
    if (phys >= 0)
        shareRowWrite(phys, keyMoved);
    if (afterPost)
        afterPost(*this);
}

void Table::checkBrowseMode()
{
    if (state() == DataSetState::SetKey) {
        cancel();
        return;
    }
    if (!isEditing())
        return;
    // What the controls still hold counts as typed into the row.
    PendingText::take(*this);
    if (modified())
        post();
    else
        cancel();
}

void Table::cancel()
{
    if (state() == DataSetState::SetKey) {
        m_buffer.clear();
        setState(DataSetState::Browse);
        catchUpView();
        return;
    }
    if (!isEditing())
        return;
    if (beforeCancel)
        beforeCancel(*this);
    const bool wasInsert = state() == DataSetState::Insert;
    m_buffer.clear();
    m_bufferChanged.clear();
    m_insertPos = -1;
    setState(DataSetState::Browse);
    if (wasInsert)
        emit rowsReset();
    else
        emit rowChanged(viewPos());
    emit currentChanged();
    catchUpView();
    if (afterCancel)
        afterCancel(*this);
}

void Table::remove()
{
    if (state() == DataSetState::Insert) {
        cancel();
        return;
    }
    checkWritable();
    if (!m_access.canDelete())
        refuseRights(QStringLiteral("aus der Tabelle %1 dürfen keine Datensätze gelöscht werden"));
    if (isEmpty())
        throw EngineError(QStringLiteral("Keine Datensätze vorhanden"), EngineCode::Generic);
    if (state() == DataSetState::Edit)
        cancel();
    if (beforeDelete)
        beforeDelete(*this);
    Backend& backend = db();
    const QString table = normalTableName(m_tableName);
    const int phys = currentPhys();
    const QStringList kf = keyFields();
    if (kf.isEmpty())
        throw EngineError(QStringLiteral("Die Tabelle %1 hat keinen Schlüssel").arg(table), EngineCode::Generic);
    QStringList conds;
    QVariantList params;
    for (const QString& k : kf) {
        conds << k + QStringLiteral(" = ?");
        params << store().get(phys, field(k).index());
    }
    const bool recorded = Verlauf::recorded(m_tableName);
    {
        Transaction t(backend);
        if (recorded)
            Verlauf::serialize(backend);
        const int n = backend.exec(QStringLiteral("DELETE FROM %1 WHERE %2 AND %3 = ?")
                                       .arg(table, conds.join(QStringLiteral(" AND ")), QLatin1String(Catalog::RowVersionColumn)),
                                   params + QVariantList{store().rowVersion(phys)});
        if (n == 0) {
            auto c = backend.select(QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(table, conds.join(QStringLiteral(" AND "))), params);
            const bool stillThere = c->next();
            c.reset();
            throw EngineError(stillThere ? changedElsewhereText() : deletedElsewhereText(),
                              stillThere ? EngineCode::RecordChanged : EngineCode::RecordDeleted);
        }
        if (recorded) {
            std::vector<QVariant> old(static_cast<size_t>(fieldCount()));
            for (int i = 0; i < fieldCount(); ++i)
                if (fieldAt(i).kind() == FieldKind::Data)
                    old[size_t(i)] = store().get(phys, i);
            writeHistory(*this, backend, Verlauf::Aktion::Geloescht, params.value(0).toLongLong(), old, {});
        }
        Catalog::bumpChange(backend, table);
        t.commit();
    }
    noteOwnWrite();
    const int pos = viewPos();
    store().markDeleted(phys);
    placeRow(phys);
    rebuildView(-2);
    setCurrentPos(pos);
    emit currentChanged();
    shareRowWrite(phys, true);
    if (afterDelete)
        afterDelete(*this);
}

// ------------------------------------------------------------------ protection

void Table::refuseRights(const QString& what) const
{
    throw EngineError(QStringLiteral("Keine ausreichenden Rechte: ") + what.arg(normalTableName(m_tableName)),
                      EngineCode::InsufficientRights);
}

void Table::writeValue(Field& f, const QVariant& v)
{
    if (isEditing() && f.kind() == FieldKind::Data && !m_access.canWrite(f.name()))
        refuseRights(QStringLiteral("das Feld '%1' der Tabelle %2 darf nicht geändert werden").arg(f.name(), QStringLiteral("%1")));
    DataSet::writeValue(f, v);
}

void Table::checkProtectionChange() const
{
    if (!active() || !m_exclusive)
        throw EngineError(QStringLiteral("Tabelle muß exklusiv geöffnet sein!"), EngineCode::Generic);
    if (!m_access.full)
        refuseRights(QStringLiteral("der Schutz der Tabelle %1 kann nur mit dem Master-Passwort geändert werden"));
    if (isEditing())
        throw EngineError(QStringLiteral("Die Datenmenge befindet sich im Editier- oder Einfügemodus"), EngineCode::Generic);
}

void Table::setProtection(const QString& master, const QList<SecurityDescriptor>& aux)
{
    checkProtectionChange();
    TableSecurity::protect(db(), m_tableName, master, aux);
    close();
    open();
}

void Table::removeProtection()
{
    checkProtectionChange();
    TableSecurity::unprotect(db(), m_tableName);
    close();
    open();
}

// ------------------------------------------------------------------ master-detail

void Table::setMasterSource(DataSet* master, const QString& masterFields)
{
    disconnect(m_masterConn);
    disconnect(m_masterResetConn);
    m_master = master;
    m_masterFields = masterFields;
    if (master) {
        m_masterConn = connect(master, &DataSet::currentChanged, this, [this] { onMasterChanged(); });
        m_masterResetConn = connect(master, &DataSet::rowsReset, this, [this] { onMasterChanged(); });
    }
    if (active())
        onMasterChanged();
}

void Table::onMasterChanged()
{
    if (!active() || !m_master)
        return;
    const QVariantList values = masterValues();
    if (values == m_rangeValues && !m_rangeValues.isEmpty())
        return;
    if (isEditing()) {
        if (modified())
            post();
        else
            cancel();
    }
    m_rangeValues = values;
    loadRows();
    rebuildView(-2);
    setCurrentPos(0);
    emit currentChanged();
}
