#include "TVRecordList.h"

#include <algorithm>

namespace {
bool idLess(const TVRecord& a, const TVRecord& b)
{
    return QString::compare(a.id, b.id, Qt::CaseSensitive) < 0;
}
}

void TTVRecordList::add(const QString& id, const QString& parentId, const QString& text)
{
    m_entries.push_back({id, parentId, text});
    invalidate();
}

void TTVRecordList::clear()
{
    m_entries.clear();
    invalidate();
}

void TTVRecordList::invalidate()
{
    m_sorted = m_entries.size() < 2;
}

void TTVRecordList::sortMain() const
{
    if (m_sorted)
        return;
    std::stable_sort(m_entries.begin(), m_entries.end(), idLess);
    m_sorted = true;
}

const TVRecord& TTVRecordList::at(int pos) const
{
    sortMain();
    return m_entries.at(size_t(pos));
}

int TTVRecordList::findId(const QString& id) const
{
    sortMain();
    const TVRecord key{id, {}, {}};
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), key, idLess);
    if (it == m_entries.end() || it->id != id)
        return -1;
    return int(it - m_entries.begin());
}
