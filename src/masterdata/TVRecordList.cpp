#include "TVRecordList.h"

#include <algorithm>

namespace {
bool idLess(const TVRecord& a, const TVRecord& b)
{
    return QString::compare(a.id, b.id, Qt::CaseSensitive) < 0;
}

}

int treeTextOrder(const QString& a, const QString& b)
{
    const int c = QString::localeAwareCompare(a.toLower(), b.toLower());
    return c != 0 ? c : QString::compare(a, b, Qt::CaseSensitive);
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
    m_parentValid = false;
    m_textValid = false;
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

void TTVRecordList::buildParentIndex() const
{
    sortMain();
    if (m_parentValid)
        return;
    m_byParent.resize(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_byParent[i] = int(i);
    std::stable_sort(m_byParent.begin(), m_byParent.end(), [this](int a, int b) {
        const int c = QString::compare(m_entries[size_t(a)].parentId, m_entries[size_t(b)].parentId, Qt::CaseSensitive);
        if (c != 0)
            return c < 0;
        return treeTextOrder(m_entries[size_t(a)].text, m_entries[size_t(b)].text) < 0;
    });
    m_parentValid = true;
}

void TTVRecordList::buildTextIndexes() const
{
    sortMain();
    if (m_textValid)
        return;
    const size_t n = m_entries.size();
    m_upper.resize(n);
    m_byUpperText.resize(n);
    m_byText.resize(n);
    for (size_t i = 0; i < n; ++i) {
        m_upper[i] = m_entries[i].text.toUpper();
        m_byUpperText[i] = m_byText[i] = int(i);
    }
    std::stable_sort(m_byUpperText.begin(), m_byUpperText.end(),
                     [this](int a, int b) { return m_upper[size_t(a)] < m_upper[size_t(b)]; });
    std::stable_sort(m_byText.begin(), m_byText.end(),
                     [this](int a, int b) { return m_entries[size_t(a)].text < m_entries[size_t(b)].text; });
    m_textValid = true;
}

std::vector<int> TTVRecordList::children(const QString& parentId) const
{
    buildParentIndex();
    auto lo = std::lower_bound(m_byParent.begin(), m_byParent.end(), parentId, [this](int pos, const QString& p) {
        return QString::compare(m_entries[size_t(pos)].parentId, p, Qt::CaseSensitive) < 0;
    });
    std::vector<int> result;
    for (auto it = lo; it != m_byParent.end() && m_entries[size_t(*it)].parentId == parentId; ++it)
        result.push_back(*it);
    return result;
}

int TTVRecordList::firstChild(const QString& parentId) const
{
    const std::vector<int> c = children(parentId);
    return c.empty() ? -1 : c.front();
}

void TTVRecordList::setParent(int pos, const QString& parentId)
{
    sortMain();
    m_entries.at(size_t(pos)).parentId = parentId;
    m_parentValid = false;
}

TTVRecordList::Compare TTVRecordList::compare(const TTVRecordList& other) const
{
    sortMain();
    other.sortMain();
    if (m_entries.size() != other.m_entries.size())
        return Compare::StructureChanged;
    bool texts = false;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const TVRecord& a = m_entries[i];
        const TVRecord& b = other.m_entries[i];
        if (a.id != b.id || a.parentId != b.parentId)
            return Compare::StructureChanged;
        if (a.text != b.text)
            texts = true;
    }
    return texts ? Compare::TextsChanged : Compare::Same;
}

QStringList TTVRecordList::searchText(const QString& text, bool prefix, bool caseSensitive) const
{
    buildTextIndexes();
    const std::vector<int>& index = caseSensitive ? m_byText : m_byUpperText;
    const QString key = caseSensitive ? text : text.toUpper();
    auto keyOf = [&](int pos) -> const QString& { return caseSensitive ? m_entries[size_t(pos)].text : m_upper[size_t(pos)]; };
    auto lo = std::lower_bound(index.begin(), index.end(), key, [&](int pos, const QString& k) { return keyOf(pos) < k; });
    QStringList ids;
    for (auto it = lo; it != index.end(); ++it) {
        const QString& t = keyOf(*it);
        if (prefix ? !t.startsWith(key) : t != key)
            break;
        ids << m_entries[size_t(*it)].id;
    }
    return ids;
}
