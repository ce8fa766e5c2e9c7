#include "DataSet.h"

#include "DisplayFormat.h"
#include "Engine.h"
#include "RowStore.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

QString stateText(DataSetState state)
{
    switch (state) {
    case DataSetState::Inactive: return QStringLiteral("Inaktiv");
    case DataSetState::Browse: return QString();
    case DataSetState::Edit: return QStringLiteral("Ändern");
    case DataSetState::Insert: return QStringLiteral("Neu");
    case DataSetState::SetKey: return QStringLiteral("SetKey");
    case DataSetState::CalcFields: return QStringLiteral("Calc");
    }
    return QString();
}

// ---------------------------------------------------------------- Field

Field::Field(DataSet* dataSet, FieldDef def, int index) : m_dataSet(dataSet), m_def(std::move(def)), m_index(index) {}

int Field::displayWidth() const
{
    if (m_def.displayWidth > 0)
        return m_def.displayWidth;
    switch (m_def.type) {
    case FieldType::Text: return qMax(int(m_def.label().size()), qMin(m_def.size > 0 ? m_def.size : 20, 30));
    case FieldType::Memo: return 10;
    case FieldType::Boolean: return qMax(int(m_def.label().size()), 2);
    case FieldType::Date: return qMax(int(m_def.label().size()), 8);
    case FieldType::DateTime: return qMax(int(m_def.label().size()), 15);
    default: return qMax(int(m_def.label().size()), 8);
    }
}

QVariant Field::value() const { return m_dataSet->currentValue(m_index); }
bool Field::isNull() const { return !value().isValid(); }

QString Field::asString() const
{
    const QVariant v = value();
    if (!v.isValid())
        return QString();
    switch (m_def.type) {
    case FieldType::Date: return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case FieldType::DateTime: return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    case FieldType::Float: return DisplayFormat::german().toString(v.toDouble(), 'g', 15);
    case FieldType::Boolean: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return v.toString();
    }
}

int Field::asInteger() const
{
    const QVariant v = value();
    return v.isValid() ? v.toInt() : 0;
}

double Field::asFloat() const
{
    const QVariant v = value();
    return v.isValid() ? v.toDouble() : 0.0;
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    return v.isValid() && v.toBool();
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (!v.isValid())
        return QDate();
    return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (!v.isValid())
        return QDateTime();
    return v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime();
}

QVariant Field::convertText(const QString& text) const
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant();
    bool ok = true;
    QVariant out;
    switch (m_def.type) {
    case FieldType::Integer: case FieldType::AutoInc: {
        out = t.toInt(&ok);
        if (!ok)
            throw EngineError(QStringLiteral("'%1' ist kein gültiger Integerwert für Feld '%2'").arg(text, m_def.label()),
                              EngineCode::ConversionError);
        break;
    }
    case FieldType::Float: {
        double d = DisplayFormat::german().toDouble(t, &ok);
        if (!ok)
            d = t.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            throw EngineError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert für Feld '%2'").arg(text, m_def.label()),
                              EngineCode::ConversionError);
        out = d;
        break;
    }
    case FieldType::Date: case FieldType::DateTime: {
        QDate d;
        for (const char* f : {"dd.MM.yyyy", "d.M.yyyy", "dd.MM.yy", "d.M.yy", "yyyy-MM-dd"}) {
            d = QDate::fromString(t.left(10).trimmed(), QLatin1String(f));
            if (d.isValid()) {
                if (QLatin1String(f).endsWith(QLatin1String(".yy")) && d.year() < 1950)
                    d = d.addYears(100);
                break;
            }
        }
        if (!d.isValid())
            throw EngineError(QStringLiteral("'%1' ist kein gültiges Datum für Feld '%2'").arg(text, m_def.label()),
                              EngineCode::ConversionError);
        if (m_def.type == FieldType::Date) {
            out = d;
        } else {
            QTime time = QTime::fromString(t.mid(10).trimmed(), QStringLiteral("hh:mm:ss"));
            if (!time.isValid())
                time = QTime::fromString(t.mid(10).trimmed(), QStringLiteral("hh:mm"));
            out = QDateTime(d, time.isValid() ? time : QTime(0, 0));
        }
        break;
    }
    case FieldType::Boolean: {
        out = normaliseValue(FieldType::Boolean, t, &ok);
        if (!ok)
            throw EngineError(QStringLiteral("'%1' ist kein gültiger Boolescher Wert für Feld '%2'").arg(text, m_def.label()),
                              EngineCode::ConversionError);
        break;
    }
    case FieldType::Text: case FieldType::Memo:
        out = text;
        break;
    }
    return out;
}

void Field::setAsString(const QString& text) { setValue(convertText(text)); }

void Field::setValue(const QVariant& value) { m_dataSet->writeValue(*this, value); }

QString Field::formatValue(const QVariant& v) const
{
    if (m_def.type == FieldType::Boolean) {
        if (!v.isValid())
            return QString();
        const QString texts = m_def.boolTexts.isEmpty() ? QStringLiteral("Ja;") : m_def.boolTexts;
        const int semi = int(texts.indexOf(QLatin1Char(';')));
        const QString yes = semi < 0 ? texts : texts.left(semi);
        const QString no = semi < 0 ? QString() : texts.mid(semi + 1);
        return v.toBool() ? yes : no;
    }
    if (!v.isValid())
        return QString();
    switch (m_def.type) {
    case FieldType::Integer: case FieldType::AutoInc:
        return m_def.displayFormat.isEmpty() ? QString::number(v.toLongLong())
                                             : DisplayFormat::formatNumber(m_def.displayFormat, double(v.toLongLong()));
    case FieldType::Float:
        return DisplayFormat::formatNumber(m_def.displayFormat, v.toDouble());
    case FieldType::Date:
        return DisplayFormat::formatDate(m_def.displayFormat.isEmpty() ? QStringLiteral("dd.mm.yyyy") : m_def.displayFormat,
                                         v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate());
    case FieldType::DateTime:
        return DisplayFormat::formatDateTime(
            m_def.displayFormat.isEmpty() ? QStringLiteral("dd.mm.yyyy hh:mm") : m_def.displayFormat,
            v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime());
    case FieldType::Memo: {
        QString s = v.toString();
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return s;
    }
    default:
        return v.toString();
    }
}

QString Field::displayText() const { return formatValue(value()); }

// ---------------------------------------------------------------- DataSet

DataSet::DataSet(QObject* parent) : QObject(parent), m_store(std::make_shared<RowStore>())
{
    Engine::instance().registerDataSet(this);
}

DataSet::~DataSet() { Engine::instance().unregisterDataSet(this); }

Field* DataSet::findField(const QString& name) const
{
    for (const auto& f : m_fields)
        if (f->name().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field& DataSet::field(const QString& name) const
{
    if (Field* f = findField(name))
        return *f;
    throw EngineError(QStringLiteral("Feld '%1' nicht gefunden").arg(name), EngineCode::Generic);
}

void DataSet::setStoredFields(const QList<FieldDef>& defs)
{
    // Stored fields first, then the lookup and calculated fields defined before open().
    std::vector<std::unique_ptr<Field>> extra;
    for (auto& f : m_fields)
        if (f->kind() != FieldKind::Data)
            extra.push_back(std::move(f));
    m_fields.clear();
    int i = 0;
    for (const FieldDef& d : defs)
        m_fields.push_back(std::make_unique<Field>(this, d, i++));
    m_storedCount = i;
    for (auto& f : extra) {
        f->m_index = i++;
        m_fields.push_back(std::move(f));
    }
    m_store->setColumns(defs);
}

Field& DataSet::addLookupField(const QString& name, int size, const QString& label, const QString& keyFields,
                               DataSet* lookupDataSet, const QString& lookupKeyFields, const QString& lookupResultField)
{
    FieldDef d;
    d.name = name;
    d.type = FieldType::Text;
    d.size = size;
    d.displayLabel = label;
    d.kind = FieldKind::Lookup;
    d.keyFields = keyFields;
    d.lookupDataSet = lookupDataSet;
    d.lookupKeyFields = lookupKeyFields;
    d.lookupResultField = lookupResultField;
    m_fields.push_back(std::make_unique<Field>(this, d, int(m_fields.size())));
    return *m_fields.back();
}

Field& DataSet::addCalculatedField(const FieldDef& def)
{
    FieldDef d = def;
    d.kind = FieldKind::Calculated;
    m_fields.push_back(std::make_unique<Field>(this, d, int(m_fields.size())));
    return *m_fields.back();
}

void DataSet::open()
{
    // Subclasses load the store and then call DataSet::open().
    setState(DataSetState::Browse);
    rebuildView();
    if (afterOpen)
        afterOpen(*this);
}

void DataSet::close()
{
    if (!active())
        return;
    if (beforeClose)
        beforeClose(*this);
    // Rows shared with other cursors stay theirs; this cursor lets go of them.
    m_store = std::make_shared<RowStore>();
    m_view.clear();
    m_pos = -1;
    m_eof = m_bof = true;
    m_buffer.clear();
    m_calcCache.clear();
    m_lookupCache.clear();
    bumpGeneration();
    setState(DataSetState::Inactive);
    resetNotify();
    if (afterClose)
        afterClose(*this);
}

void DataSet::setState(DataSetState s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged(s);
}

std::vector<int> DataSet::orderedRows() const
{
    std::vector<int> rows;
    rows.reserve(size_t(m_store->rowCount()));
    for (int r = 0; r < m_store->rowCount(); ++r)
        if (!m_store->deleted(r))
            rows.push_back(r);
    return rows;
}

bool DataSet::passesFilter(int physRow) const
{
    if (!onFilterRecord)
        return true;
    const int saved = m_contextPhys;
    m_contextPhys = physRow;
    bool ok = false;
    try {
        ok = onFilterRecord(const_cast<DataSet&>(*this));
    } catch (...) {
        m_contextPhys = saved;
        throw;
    }
    m_contextPhys = saved;
    return ok;
}

void DataSet::rebuildView(qint64 keepPhys)
{
    // A filter decides over every row; the rest read from within it would rebuild this view meanwhile.
    if (m_filtered && onFilterRecord)
        waitForFullLoad();
    if (keepPhys < 0)
        keepPhys = currentPhys();
    std::vector<int> rows = orderForView();
    if (m_filtered && onFilterRecord) {
        std::vector<int> kept;
        kept.reserve(rows.size());
        for (int r : rows)
            if (passesFilter(r))
                kept.push_back(r);
        rows.swap(kept);
    }
    m_view.swap(rows);
    int pos = m_view.empty() ? -1 : 0;
    if (keepPhys >= 0) {
        auto it = std::find(m_view.begin(), m_view.end(), int(keepPhys));
        if (it != m_view.end())
            pos = int(it - m_view.begin());
    }
    m_pos = pos;
    m_bof = m_eof = m_view.empty();
    invalidateCalcCache();
    bumpGeneration();
    resetNotify();
}

void DataSet::resetNotify()
{
    emit rowsReset();
    emit currentChanged();
}

int DataSet::currentPhys() const
{
    if (m_pos < 0 || m_pos >= int(m_view.size()))
        return -1;
    return m_view[size_t(m_pos)];
}

void DataSet::setCurrentPos(int pos)
{
    if (m_view.empty()) {
        m_pos = -1;
        return;
    }
    m_pos = std::clamp(pos, 0, int(m_view.size()) - 1);
}

void DataSet::notifyMoved()
{
    if (afterScroll)
        afterScroll(*this);
    emit currentChanged();
}

bool DataSet::isEmpty() const
{
    needRows();
    return m_view.empty();
}

int DataSet::recordCount() const
{
    needRows();
    // While the rest is read the counter already counts the whole table.
    if (m_rowsPending)
        return int(m_view.size() + rowsBeyondView());
    return int(m_view.size());
}

int DataSet::recNo() const
{
    needRows();
    return m_pos < 0 ? 0 : m_pos + 1;
}

static void requireActive(const DataSet& ds)
{
    if (!ds.active())
        throw EngineError(QStringLiteral("Die Datenmenge ist nicht geöffnet"), EngineCode::Generic);
}

// Leaving a row in edit state first saves it (or drops it when nothing was changed), as a
// grid does when the user moves on; a failed save keeps the row and stops the move.
static void checkBrowse(DataSet& ds)
{
    requireActive(ds);
    ds.checkBrowseMode();
}

void DataSet::first()
{
    checkBrowse(*this);
    needRows();
    if (beforeScroll) beforeScroll(*this);
    setCurrentPos(0);
    m_bof = true;
    m_eof = m_view.empty();
    notifyMoved();
}

void DataSet::last()
{
    checkBrowse(*this);
    waitForFullLoad();
    if (beforeScroll) beforeScroll(*this);
    setCurrentPos(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.empty();
    notifyMoved();
}

int DataSet::moveBy(int distance)
{
    checkBrowse(*this);
    // Beyond the rows read so far: the rest first.
    if (m_rowsPending && (!m_partialOk || m_pos + qint64(distance) >= qint64(rowsInOrder())))
        awaitFullLoad();
    if (m_view.empty()) {
        m_bof = m_eof = true;
        return 0;
    }
    if (beforeScroll) beforeScroll(*this);
    const int old = m_pos;
    const int target = m_pos + distance;
    m_bof = m_eof = false;
    if (target < 0) {
        m_pos = 0;
        m_bof = true;
    } else if (target >= int(m_view.size())) {
        m_pos = int(m_view.size()) - 1;
        m_eof = true;
    } else {
        m_pos = target;
    }
    if (m_pos != old)
        notifyMoved();
    return m_pos - old;
}

void DataSet::next() { moveBy(1); }
void DataSet::prior() { moveBy(-1); }

void DataSet::setRecNo(int recNo)
{
    checkBrowse(*this);
    if (m_rowsPending && (!m_partialOk || recNo > rowsInOrder()))
        awaitFullLoad();
    if (beforeScroll) beforeScroll(*this);
    setCurrentPos(recNo - 1);
    m_bof = m_eof = m_view.empty();
    notifyMoved();
}

DataSet::Bookmark DataSet::bookmark() const { return currentPhys(); }

bool DataSet::bookmarkValid(Bookmark b) const
{
    return b >= 0 && b < m_store->rowCount() && !m_store->deleted(int(b));
}

bool DataSet::gotoBookmark(Bookmark b)
{
    if (!bookmarkValid(b))
        return false;
    if (isEditing() && b == currentPhys() && m_state != DataSetState::Insert)
        return true;
    checkBrowse(*this);
    needRows();
    auto it = std::find(m_view.begin(), m_view.end(), int(b));
    if (it == m_view.end())
        return false;
    if (beforeScroll) beforeScroll(*this);
    m_pos = int(it - m_view.begin());
    m_bof = m_eof = false;
    notifyMoved();
    return true;
}

bool DataSet::locate(const QString& fieldNames, const QVariantList& values, bool ci, bool partialKey)
{
    checkBrowse(*this);
    waitForFullLoad();
    const QStringList names = fieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    std::vector<Field*> fs;
    for (const QString& n : names)
        fs.push_back(&field(n.trimmed()));
    for (size_t p = 0; p < m_view.size(); ++p) {
        const int phys = m_view[p];
        bool match = true;
        for (size_t i = 0; i < fs.size() && match; ++i) {
            const QVariant want = i < size_t(values.size()) ? values[qsizetype(i)] : QVariant();
            const QVariant have = fs[i]->kind() == FieldKind::Data ? m_store->get(phys, fs[i]->index())
                                                                   : computedValue(phys, fs[i]->index());
            if (partialKey && (fs[i]->type() == FieldType::Text || fs[i]->type() == FieldType::Memo)) {
                match = have.toString().startsWith(want.toString(), ci ? Qt::CaseInsensitive : Qt::CaseSensitive);
            } else {
                match = compareVariants(fs[i]->type(), have, want, ci) == 0;
            }
        }
        if (match) {
            if (beforeScroll) beforeScroll(*this);
            m_pos = int(p);
            m_bof = m_eof = false;
            notifyMoved();
            return true;
        }
    }
    return false;
}

QVariant DataSet::lookup(const QString& keyFields, const QVariantList& keyValues, const QString& resultField)
{
    waitForFullLoad();
    const QStringList names = keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    Field& result = field(resultField);
    for (int phys : m_view) {
        bool match = true;
        for (int i = 0; i < names.size() && match; ++i) {
            Field& f = field(names[i]);
            match = compareVariants(f.type(), storedValue(phys, f.index()), keyValues.value(i), true) == 0;
        }
        if (match)
            return storedValue(phys, result.index());
    }
    return QVariant();
}

void DataSet::setFiltered(bool on)
{
    if (m_filtered == on)
        return;
    // The rows shown change: an edited row is saved first, so the new set holds it as stored.
    if (active()) {
        checkBrowse(*this);
        waitForFullLoad();
    }
    m_filtered = on;
    if (active())
        rebuildView();
}

void DataSet::refilter()
{
    if (active()) {
        checkBrowse(*this);
        if (m_filtered)
            waitForFullLoad();
        rebuildView();
    }
}

// The find functions walk the unfiltered order so that they also work while filtering is off.
bool DataSet::findFirst()
{
    requireActive(*this);
    waitForFullLoad();
    for (int r : orderedRows())
        if (passesFilter(r))
            return gotoBookmark(r);
    return false;
}

bool DataSet::findLast()
{
    requireActive(*this);
    waitForFullLoad();
    const std::vector<int> rows = orderedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (passesFilter(*it))
            return gotoBookmark(*it);
    return false;
}

bool DataSet::findNext()
{
    requireActive(*this);
    waitForFullLoad();
    const std::vector<int> rows = orderedRows();
    const int cur = currentPhys();
    auto it = std::find(rows.begin(), rows.end(), cur);
    if (it == rows.end())
        return findFirst();
    for (++it; it != rows.end(); ++it)
        if (passesFilter(*it))
            return gotoBookmark(*it);
    return false;
}

bool DataSet::findPrior()
{
    requireActive(*this);
    waitForFullLoad();
    const std::vector<int> rows = orderedRows();
    const int cur = currentPhys();
    auto it = std::find(rows.begin(), rows.end(), cur);
    if (it == rows.end())
        return findLast();
    while (it != rows.begin()) {
        --it;
        if (passesFilter(*it))
            return gotoBookmark(*it);
    }
    return false;
}

void DataSet::disableControls() { ++m_disableCount; }

void DataSet::enableControls()
{
    if (m_disableCount > 0 && --m_disableCount == 0)
        resetNotify();
}

int DataSet::viewRowCount() const
{
    needRows();
    return int(m_view.size()) + (m_state == DataSetState::Insert ? 1 : 0);
}

int DataSet::currentViewRow() const
{
    needRows();
    if (m_state == DataSetState::Insert)
        return m_insertPos;
    return m_pos;
}

// Maps a model row to a physical row; -2 is the pending new row.
static int physForViewRow(const DataSet& ds, const std::vector<int>& view, int insertPos, int viewRow)
{
    if (ds.state() == DataSetState::Insert) {
        if (viewRow == insertPos)
            return -2;
        if (viewRow > insertPos)
            --viewRow;
    }
    if (viewRow < 0 || viewRow >= int(view.size()))
        return -1;
    return view[size_t(viewRow)];
}

QVariant DataSet::valueAt(int viewRow, int fieldIndex) const
{
    needRows();
    const int phys = physForViewRow(*this, m_view, m_insertPos, viewRow);
    // While inserting, the row the cursor stood on keeps its stored values; only the new row
    // shows the edit buffer.
    if (phys == -2 || (m_state == DataSetState::Edit && phys == currentPhys()))
        return currentValue(fieldIndex);
    if (phys < 0)
        return QVariant();
    return storedValue(phys, fieldIndex);
}

QString DataSet::displayTextAt(int viewRow, int fieldIndex) const
{
    return m_fields[size_t(fieldIndex)]->formatValue(valueAt(viewRow, fieldIndex));
}

void DataSet::moveToViewRow(int viewRow)
{
    needRows();
    if (m_state == DataSetState::Insert && viewRow == m_insertPos)
        return;
    int phys = physForViewRow(*this, m_view, m_insertPos, viewRow);
    if (phys >= 0 && phys != currentPhys())
        gotoBookmark(phys);
}

QVariant DataSet::storedValue(int physRow, int fieldIndex) const
{
    if (fieldIndex < m_storedCount)
        return m_store->get(physRow, fieldIndex);
    return computedValue(physRow, fieldIndex);
}

QVariant DataSet::currentValue(int fieldIndex) const
{
    needRows();
    const bool buffered = (m_state == DataSetState::Edit || m_state == DataSetState::Insert
                           || m_state == DataSetState::SetKey || (m_state == DataSetState::CalcFields && m_inCalc))
        && m_contextPhys < 0 && !m_buffer.empty();
    if (buffered) {
        const Field& f = *m_fields[size_t(fieldIndex)];
        if (f.kind() == FieldKind::Lookup)
            return lookupValue(-1, f);
        if (f.kind() == FieldKind::Calculated && m_state != DataSetState::SetKey) {
            // Calculated fields of the row being edited follow the buffer.
            auto* self = const_cast<DataSet*>(this);
            if (!m_inCalc && onCalcFields) {
                self->m_inCalc = true;
                std::vector<QVariant> saved = m_buffer;
                const DataSetState st = m_state;
                self->m_state = DataSetState::CalcFields;
                try {
                    self->onCalcFields(*self);
                } catch (...) {
                }
                self->m_state = st;
                QVariant v = m_buffer[size_t(fieldIndex)];
                self->m_buffer = saved;
                self->m_inCalc = false;
                return v;
            }
        }
        return m_buffer[size_t(fieldIndex)];
    }
    const int phys = m_contextPhys >= 0 ? m_contextPhys : currentPhys();
    if (phys < 0)
        return QVariant();
    if (m_inCalc && m_fields[size_t(fieldIndex)]->kind() == FieldKind::Calculated) {
        auto it = m_calcCache.find(phys);
        return it != m_calcCache.end() ? it->second[size_t(fieldIndex - m_storedCount)] : QVariant();
    }
    return storedValue(phys, fieldIndex);
}

QVariant DataSet::lookupValue(int physRow, const Field& f) const
{
    DataSet* src = f.def().lookupDataSet;
    if (!src || !src->active())
        return QVariant();
    src->waitForFullLoad();
    LookupCache& cache = m_lookupCache[f.index()];
    if (cache.sourceGeneration != src->generation()) {
        cache.map.clear();
        const QStringList keys = f.def().lookupKeyFields.split(QLatin1Char(';'));
        std::vector<int> keyIdx;
        for (const QString& k : keys)
            keyIdx.push_back(src->field(k.trimmed()).index());
        const int resIdx = src->field(f.def().lookupResultField).index();
        for (int phys : src->orderedRows()) {
            QString key;
            for (size_t i = 0; i < keyIdx.size(); ++i) {
                if (i) key += QChar(0x1F);
                key += src->storedValue(phys, keyIdx[i]).toString();
            }
            if (!cache.map.contains(key))
                cache.map.insert(key, src->storedValue(phys, resIdx));
        }
        cache.sourceGeneration = src->generation();
    }
    const QStringList own = f.def().keyFields.split(QLatin1Char(';'));
    QString key;
    for (int i = 0; i < own.size(); ++i) {
        if (i) key += QChar(0x1F);
        const Field& kf = field(own[i].trimmed());
        const QVariant v = physRow >= 0 ? storedValue(physRow, kf.index()) : currentValue(kf.index());
        if (!v.isValid())
            return QVariant();
        key += v.toString();
    }
    return cache.map.value(key);
}

void DataSet::fillCalcCache(int physRow) const
{
    auto* self = const_cast<DataSet*>(this);
    std::vector<QVariant>& vals = m_calcCache[physRow];
    vals.assign(m_fields.size() - size_t(m_storedCount), QVariant());
    if (!onCalcFields)
        return;
    const int savedCtx = m_contextPhys;
    const DataSetState savedState = m_state;
    m_contextPhys = physRow;
    m_inCalc = true;
    self->m_state = DataSetState::CalcFields;
    try {
        self->onCalcFields(*self);
    } catch (...) {
    }
    self->m_state = savedState;
    m_inCalc = false;
    m_contextPhys = savedCtx;
}

QVariant DataSet::computedValue(int physRow, int fieldIndex) const
{
    const Field& f = *m_fields[size_t(fieldIndex)];
    if (f.kind() == FieldKind::Lookup)
        return lookupValue(physRow, f);
    if (m_inCalc && physRow == m_contextPhys) {
        auto it = m_calcCache.find(physRow);
        return it != m_calcCache.end() ? it->second[size_t(fieldIndex - m_storedCount)] : QVariant();
    }
    auto it = m_calcCache.find(physRow);
    if (it == m_calcCache.end()) {
        fillCalcCache(physRow);
        it = m_calcCache.find(physRow);
    }
    return it->second[size_t(fieldIndex - m_storedCount)];
}

void DataSet::invalidateCalcCache() { m_calcCache.clear(); }

void DataSet::writeValue(Field& f, const QVariant& value)
{
    // Calculated fields are written by onCalcFields into the context row's cache.
    if (m_state == DataSetState::CalcFields) {
        if (f.kind() != FieldKind::Calculated)
            throw EngineError(QStringLiteral("Feld '%1' kann nicht geändert werden").arg(f.displayLabel()), EngineCode::Generic);
        if (m_contextPhys >= 0)
            m_calcCache[m_contextPhys][size_t(f.index() - m_storedCount)] = value;
        else if (!m_buffer.empty())
            m_buffer[size_t(f.index())] = value;
        return;
    }
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert && m_state != DataSetState::SetKey)
        throw EngineError(QStringLiteral("Die Datenmenge befindet sich nicht im Editier- oder Einfügemodus"),
                          EngineCode::Generic);
    if (f.kind() == FieldKind::Lookup) {
        // Writing a lookup field writes the key found for the text.
        DataSet* src = f.def().lookupDataSet;
        if (!src)
            return;
        QVariant key = src->lookup(f.def().lookupResultField, {value}, f.def().lookupKeyFields.split(QLatin1Char(';')).first());
        field(f.def().keyFields.split(QLatin1Char(';')).first()).setValue(key);
        return;
    }
    bool ok = true;
    QVariant v = normaliseValue(f.type(), value, &ok);
    if (!ok)
        v = f.convertText(value.toString());
    if (v.isValid() && (f.type() == FieldType::Integer || f.type() == FieldType::AutoInc)) {
        // A register integer has 32 bits: a wider value would come back wrapped.
        const qlonglong n = v.toLongLong();
        if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            throw EngineError(QStringLiteral("%1 ist kein gültiger Wert für das Feld '%2'. Der zulässige Bereich ist  %3 bis %4")
                                  .arg(QString::number(n), f.displayLabel(), QString::number(std::numeric_limits<qint32>::min()),
                                       QString::number(std::numeric_limits<qint32>::max())),
                              EngineCode::InvalidValue);
    }
    if (v.isValid() && (f.type() == FieldType::Text || f.type() == FieldType::Memo) && v.toString().contains(QChar(0))) {
        // One database would cut the text there, the other keep it: refuse on both.
        throw EngineError(QStringLiteral("Der Text für das Feld '%1' enthält ein Nullzeichen (Steuerzeichen 0) und kann nicht "
                                         "gespeichert werden.")
                              .arg(f.displayLabel()),
                          EngineCode::InvalidValue);
    }
    if (v.isValid() && (f.type() == FieldType::Integer || f.type() == FieldType::Float)) {
        const double d = v.toDouble();
        const bool low = f.def().minValue && d < *f.def().minValue;
        const bool high = f.def().maxValue && d > *f.def().maxValue;
        if (low || high) {
            const QLocale& de = DisplayFormat::german();
            auto g = [&](double x) { return de.toString(x, 'g', 15); };
            throw EngineError(QStringLiteral("%1 ist kein gültiger Wert für das Feld '%2'. Der zulässige Bereich ist  %3 bis %4")
                                  .arg(g(d), f.displayLabel(), g(f.def().minValue.value_or(0)), g(f.def().maxValue.value_or(0))),
                              EngineCode::InvalidValue);
        }
    }
    if (v.isValid() && f.type() == FieldType::Text && f.def().size > 0 && v.toString().size() > f.def().size) {
        // Cut between characters: half of a character outside the BMP would be stored as '?'.
        const QString s = v.toString();
        int cut = f.def().size;
        if (s.at(cut - 1).isHighSurrogate())
            --cut;
        v = s.left(cut);
    }
    if (f.onValidate && m_state != DataSetState::SetKey)
        f.onValidate(f, v);
    m_buffer[size_t(f.index())] = v;
    if (size_t(f.index()) < m_bufferChanged.size())
        m_bufferChanged[size_t(f.index())] = true;
    if (f.onChange && m_state != DataSetState::SetKey)
        f.onChange(f);
    emit fieldChanged(&f);
    const int row = currentViewRow();
    if (row >= 0)
        emit rowChanged(row);
}
