#include "MarkListe.h"

bool MarkListe::add(const QString& id)
{
    if (m_index.contains(id))
        return false;
    m_index.insert(id, 0);
    m_ids << id;
    return true;
}

bool MarkListe::remove(const QString& id)
{
    if (!m_index.remove(id))
        return false;
    m_ids.removeOne(id);
    return true;
}

bool MarkListe::toggle(const QString& id)
{
    if (remove(id))
        return false;
    add(id);
    return true;
}

void MarkListe::clear()
{
    m_ids.clear();
    m_index.clear();
}
