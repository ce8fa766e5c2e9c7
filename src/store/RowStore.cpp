#include "RowStore.h"

#include <unordered_set>

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <cmath>

namespace {

bool usesInts(FieldType t) { return t == FieldType::Integer || t == FieldType::AutoInc || t == FieldType::Date; }

template <typename T>
int cmp(const T& a, const T& b) { return a < b ? -1 : (b < a ? 1 : 0); }

bool fitsInt(qlonglong n) { return n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max(); }

bool isIntegerType(int id)
{
    switch (id) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::Short: case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

} // namespace

void RowStore::setColumns(const QList<FieldDef>& defs)
{
    m_cols.clear();
    for (const FieldDef& d : defs) {
        Column c;
        c.type = d.type;
        m_cols.push_back(std::move(c));
    }
    m_rows = 0;
    m_deleted.clear();
    m_version.clear();
}

void RowStore::clear()
{
    for (Column& c : m_cols) {
        c.ints.clear();
        c.doubles.clear();
        c.longs.clear();
        c.texts.clear();
        c.bools.clear();
        c.nulls.clear();
        c.wide.clear();
    }
    m_deleted.clear();
    m_version.clear();
    m_rows = 0;
}

void RowStore::reserve(int rows)
{
    const size_t n = size_t(rows);
    for (Column& c : m_cols) {
        switch (c.type) {
        case FieldType::Integer: case FieldType::AutoInc: c.ints.reserve(n); c.nulls.reserve(n); break;
        case FieldType::Date: c.ints.reserve(n); break;
        case FieldType::Float: c.doubles.reserve(n); c.nulls.reserve(n); break;
        case FieldType::DateTime: c.longs.reserve(n); break;
        case FieldType::Text: case FieldType::Memo: c.texts.reserve(n); break;
        case FieldType::Boolean: c.bools.reserve(n); break;
        }
    }
    m_deleted.reserve(n);
    m_version.reserve(n);
}

void RowStore::resize(int rows)
{
    const size_t n = size_t(std::max(rows, 0));
    for (Column& c : m_cols) {
        switch (c.type) {
        case FieldType::Integer: case FieldType::AutoInc: c.ints.resize(n, 0); c.nulls.resize(n, 1); break;
        case FieldType::Date: c.ints.resize(n, NullDate); break;
        case FieldType::Float: c.doubles.resize(n, 0); c.nulls.resize(n, 1); break;
        case FieldType::DateTime: c.longs.resize(n, NullDateTime); break;
        case FieldType::Text: case FieldType::Memo: c.texts.resize(n); break;
        case FieldType::Boolean: c.bools.resize(n, -1); break;
        }
        if (!c.wide.empty() && n < size_t(m_rows))
            for (auto it = c.wide.begin(); it != c.wide.end();)
                it = it->first >= n ? c.wide.erase(it) : std::next(it);
    }
    m_deleted.resize(n, 0);
    m_version.resize(n, 0);
    m_rows = int(n);
}

int RowStore::appendRow()
{
    for (Column& c : m_cols) {
        switch (c.type) {
        case FieldType::Integer: case FieldType::AutoInc: c.ints.push_back(0); c.nulls.push_back(1); break;
        case FieldType::Date: c.ints.push_back(NullDate); break;
        case FieldType::Float: c.doubles.push_back(0); c.nulls.push_back(1); break;
        case FieldType::DateTime: c.longs.push_back(NullDateTime); break;
        case FieldType::Text: case FieldType::Memo: c.texts.emplace_back(); break;
        case FieldType::Boolean: c.bools.push_back(-1); break;
        }
    }
    m_deleted.push_back(0);
    m_version.push_back(0);
    return m_rows++;
}

bool RowStore::isNull(int row, int col) const
{
    const Column& c = m_cols[size_t(col)];
    const size_t r = size_t(row);
    switch (c.type) {
    case FieldType::Integer: case FieldType::AutoInc: case FieldType::Float: return c.nulls[r] != 0;
    case FieldType::Date: return c.ints[r] == NullDate;
    case FieldType::DateTime: return c.longs[r] == NullDateTime;
    case FieldType::Text: case FieldType::Memo: return c.texts[r].isEmpty();
    case FieldType::Boolean: return c.bools[r] < 0;
    }
    return true;
}

QVariant RowStore::get(int row, int col) const
{
    if (isNull(row, col))
        return QVariant();
    const Column& c = m_cols[size_t(col)];
    const size_t r = size_t(row);
    switch (c.type) {
    case FieldType::Integer: case FieldType::AutoInc:
        if (!c.wide.empty()) {
            const auto it = c.wide.find(r);
            if (it != c.wide.end())
                return qlonglong(it->second);
        }
        return c.ints[r];
    case FieldType::Float: return c.doubles[r];
    case FieldType::Date: return QDate::fromJulianDay(c.ints[r]);
    case FieldType::DateTime: {
        // Wall-clock time as Julian day and milliseconds of the day: no time-zone work per row.
        const qint64 v = c.longs[r];
        return QDateTime(QDate::fromJulianDay(v / 86400000), QTime::fromMSecsSinceStartOfDay(int(v % 86400000)));
    }
    case FieldType::Text: case FieldType::Memo: return c.texts[r];
    case FieldType::Boolean: return c.bools[r] != 0;
    }
    return QVariant();
}

void RowStore::setNull(int row, int col)
{
    Column& c = m_cols[size_t(col)];
    const size_t r = size_t(row);
    if (!c.wide.empty())
        c.wide.erase(r);
    switch (c.type) {
    case FieldType::Integer: case FieldType::AutoInc: case FieldType::Float: c.nulls[r] = 1; break;
    case FieldType::Date: c.ints[r] = NullDate; break;
    case FieldType::DateTime: c.longs[r] = NullDateTime; break;
    case FieldType::Text: case FieldType::Memo: c.texts[r].clear(); break;
    case FieldType::Boolean: c.bools[r] = -1; break;
    }
}

void RowStore::setInt(int row, int col, qint64 v)
{
    Column& c = m_cols[size_t(col)];
    if (c.type == FieldType::Integer || c.type == FieldType::AutoInc) {
        constexpr qint64 lo = std::numeric_limits<qint32>::min(), hi = std::numeric_limits<qint32>::max();
        if (!c.wide.empty())
            c.wide.erase(size_t(row));
        if (v < lo || v > hi)
            c.wide[size_t(row)] = v;
        c.ints[size_t(row)] = qint32(std::clamp(v, lo, hi));
        c.nulls[size_t(row)] = 0;
        return;
    }
    if (c.type == FieldType::Float) {
        c.doubles[size_t(row)] = v;
        c.nulls[size_t(row)] = 0;
        return;
    }
    if (c.type == FieldType::Boolean) {
        c.bools[size_t(row)] = v != 0;
        return;
    }
    c.ints[size_t(row)] = v;
    if (c.type != FieldType::Date)
        c.nulls[size_t(row)] = 0;
}

void RowStore::setDouble(int row, int col, double v)
{
    Column& c = m_cols[size_t(col)];
    if (usesInts(c.type) && c.type != FieldType::Date) {
        setInt(row, col, std::isfinite(v) && std::abs(v) < 9.2e18 ? qint64(v) : 0);
        return;
    }
    c.doubles[size_t(row)] = v;
    c.nulls[size_t(row)] = 0;
}

void RowStore::setText(int row, int col, const QString& v) { m_cols[size_t(col)].texts[size_t(row)] = v; }
void RowStore::setDateJd(int row, int col, qint32 jd) { m_cols[size_t(col)].ints[size_t(row)] = jd; }
void RowStore::setDateTimeMs(int row, int col, qint64 ms) { m_cols[size_t(col)].longs[size_t(row)] = ms; }
void RowStore::setBool(int row, int col, bool v) { m_cols[size_t(col)].bools[size_t(row)] = v ? 1 : 0; }

void RowStore::set(int row, int col, const QVariant& value)
{
    const FieldType t = m_cols[size_t(col)].type;
    QVariant v = normaliseValue(t, value);
    if (!v.isValid()) {
        setNull(row, col);
        return;
    }
    switch (t) {
    case FieldType::Integer: case FieldType::AutoInc: setInt(row, col, v.toLongLong()); break;
    case FieldType::Float: setDouble(row, col, v.toDouble()); break;
    case FieldType::Date: setDateJd(row, col, qint32(v.toDate().toJulianDay())); break;
    case FieldType::DateTime: {
        const QDateTime dt = v.toDateTime();
        setDateTimeMs(row, col, dt.date().toJulianDay() * 86400000 + dt.time().msecsSinceStartOfDay());
        break;
    }
    case FieldType::Text: case FieldType::Memo: setText(row, col, v.toString()); break;
    case FieldType::Boolean: setBool(row, col, v.toBool()); break;
    }
}

int RowStore::compareRows(int a, int b, int col, bool ci) const
{
    const Column& c = m_cols[size_t(col)];
    const bool na = isNull(a, col), nb = isNull(b, col);
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    const size_t ra = size_t(a), rb = size_t(b);
    switch (c.type) {
    case FieldType::Integer: case FieldType::AutoInc:
        if (!c.wide.empty())
            return cmp(get(a, col).toLongLong(), get(b, col).toLongLong());
        return cmp(c.ints[ra], c.ints[rb]);
    case FieldType::Date: return cmp(c.ints[ra], c.ints[rb]);
    case FieldType::Float: return cmp(c.doubles[ra], c.doubles[rb]);
    case FieldType::DateTime: return cmp(c.longs[ra], c.longs[rb]);
    case FieldType::Text: case FieldType::Memo:
        return c.texts[ra].compare(c.texts[rb], ci ? Qt::CaseInsensitive : Qt::CaseSensitive);
    case FieldType::Boolean: return cmp(c.bools[ra], c.bools[rb]);
    }
    return 0;
}

int RowStore::compareToValue(int row, int col, const QVariant& value, bool ci) const
{
    return compareVariants(m_cols[size_t(col)].type, get(row, col), value, ci);
}

int RowStore::compareInt(int row, int col, qint64 value) const
{
    if (isNull(row, col))
        return -1;
    const Column& c = m_cols[size_t(col)];
    qint64 have = c.ints[size_t(row)];
    if (!c.wide.empty()) {
        const auto it = c.wide.find(size_t(row));
        if (it != c.wide.end())
            have = it->second;
    }
    return cmp(have, value);
}

QString RowStore::keyText(int row, int col) const
{
    const QVariant v = get(row, col);
    if (!v.isValid())
        return QString();
    if (m_cols[size_t(col)].type == FieldType::Float)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

QVariant normaliseValue(FieldType type, const QVariant& value, bool* ok)
{
    if (ok)
        *ok = true;
    if (!value.isValid() || value.isNull())
        return QVariant();
    bool good = true;
    QVariant out;
    switch (type) {
    case FieldType::Integer: case FieldType::AutoInc: {
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            const qlonglong n = s.toLongLong(&good);
            out = fitsInt(n) ? QVariant(int(n)) : QVariant(n);
        } else if (isIntegerType(value.typeId())) {
            const qlonglong n = value.toLongLong(&good);
            out = fitsInt(n) ? QVariant(int(n)) : QVariant(n);
        } else {
            // Never through int(): a value beyond 32 bits stays as it is for the range check.
            const double d = value.toDouble(&good);
            good = good && std::isfinite(d) && std::abs(d) < 9.2e18;
            if (good)
                out = fitsInt(qlonglong(d)) ? QVariant(int(d)) : QVariant(qlonglong(d));
        }
        break;
    }
    case FieldType::Float: {
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
            return QVariant();
        const double d = value.toDouble(&good);
        // NaN and infinity are no measurements (and SQLite would store NaN as empty).
        good = good && std::isfinite(d);
        out = d;
        break;
    }
    case FieldType::Date: {
        QDate d;
        if (value.typeId() == QMetaType::QDate)
            d = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            d = value.toDateTime().date();
        else {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            d = QDate::fromString(s.left(10), Qt::ISODate);
        }
        good = d.isValid();
        out = d;
        break;
    }
    case FieldType::DateTime: {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDateTime)
            dt = value.toDateTime();
        else if (value.typeId() == QMetaType::QDate)
            dt = QDateTime(value.toDate(), QTime(0, 0));
        else {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            dt = QDateTime::fromString(s, Qt::ISODate);
        }
        good = dt.isValid();
        out = dt;
        break;
    }
    case FieldType::Text: case FieldType::Memo: {
        const QString s = value.toString();
        if (s.isEmpty())
            return QVariant();
        out = s;
        break;
    }
    case FieldType::Boolean:
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed().toLower();
            if (s.isEmpty())
                return QVariant();
            if (s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("ja") || s == QLatin1String("wahr"))
                out = true;
            else if (s == QLatin1String("false") || s == QLatin1String("0") || s == QLatin1String("nein") || s == QLatin1String("falsch"))
                out = false;
            else
                good = false;
        } else {
            out = value.toBool();
        }
        break;
    }
    if (ok)
        *ok = good;
    return good ? out : QVariant();
}

int compareVariants(FieldType type, const QVariant& a, const QVariant& b, bool ci)
{
    const QVariant x = normaliseValue(type, a), y = normaliseValue(type, b);
    if (!x.isValid() || !y.isValid())
        return x.isValid() == y.isValid() ? 0 : (x.isValid() ? 1 : -1);
    switch (type) {
    case FieldType::Integer: case FieldType::AutoInc: return cmp(x.toLongLong(), y.toLongLong());
    case FieldType::Float: return cmp(x.toDouble(), y.toDouble());
    case FieldType::Date: return cmp(x.toDate(), y.toDate());
    case FieldType::DateTime: return cmp(x.toDateTime(), y.toDateTime());
    case FieldType::Text: case FieldType::Memo:
        return x.toString().compare(y.toString(), ci ? Qt::CaseInsensitive : Qt::CaseSensitive);
    case FieldType::Boolean: return cmp(int(x.toBool()), int(y.toBool()));
    }
    return 0;
}

qint64 RowStore::memoryBytes() const
{
    qint64 bytes = qint64(m_deleted.capacity()) + qint64(m_version.capacity() * sizeof(qint64));
    std::unordered_set<const void*> texts;
    for (const Column& c : m_cols) {
        bytes += qint64(c.ints.capacity() * sizeof(qint32) + c.doubles.capacity() * sizeof(double)
                        + c.longs.capacity() * sizeof(qint64) + c.texts.capacity() * sizeof(QString)
                        + c.bools.capacity() + c.nulls.capacity());
        bytes += qint64(c.wide.size() * (sizeof(size_t) + sizeof(qint64) + 16));
        for (const QString& t : c.texts) {
            // The characters, their header and the allocator's word.
            if (!t.isNull() && texts.insert(t.constData()).second)
                bytes += qint64(t.capacity() * 2 + 24);
        }
    }
    return bytes;
}
