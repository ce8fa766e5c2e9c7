#pragma once
#include <QHash>
#include <QStringList>

// The marked ladders: ID texts in the order of marking, none twice. Never stored.
class MarkListe {
public:
    bool contains(const QString& id) const { return m_index.contains(id); }
    bool add(const QString& id);        // false when already marked
    bool remove(const QString& id);     // false when not marked
    bool toggle(const QString& id);     // true when marked afterwards
    void clear();
    int count() const { return int(m_ids.size()); }
    bool isEmpty() const { return m_ids.isEmpty(); }
    const QStringList& ids() const { return m_ids; }

private:
    QStringList m_ids;
    QHash<QString, int> m_index;
};
