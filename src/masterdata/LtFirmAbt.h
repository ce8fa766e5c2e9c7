#pragma once
#include "TVRecordList.h"

#include <memory>

class DataSet;

// Snapshot of the company, site and department tree (FIRMEN) for path texts, depths and
// subtree tests by a node's ID text. It does not follow later changes of the table until
// Reload.
//
// The walks up the parent chain are bounded by the number of entries: a node whose chain
// runs into a cycle counts as not in the list (empty path, level -1, in no subtree), like
// a node that was deleted.
class TLtFirmAbt {
public:
    TLtFirmAbt();
    explicit TLtFirmAbt(DataSet& dataSet);      // creates the empty list, then Load
    ~TLtFirmAbt();

    // Adds one entry per row of an open data set (ID, ParentID, KurzBez), from the first
    // row; the cursor is left after the last row. A closed data set adds nothing.
    void Load(DataSet& dataSet);
    // Drops the list and loads afresh.
    void Reload(DataSet& dataSet);

    // "Firma - Standort - Abteilung": names from the company down to the node.
    QString PathText(const QString& id) const;
    // 0 for a company, 1 for its children ...; -1 when not in the list.
    int Level(const QString& id) const;
    // True when id is ancestor itself or lies below it.
    bool IsAtOrBelow(const QString& id, const QString& ancestor) const;

    const TTVRecordList& list() const { return *m_list; }
    // Changes with every Load and Reload: answers kept from before are stale then.
    quint64 generation() const { return m_generation; }

private:
    // Calls visit for the node's entry and each ancestor upwards; false when the node is
    // not in the list or its chain does not end within count() steps.
    template<class Visit>
    bool walkUp(const QString& id, Visit visit) const;

    std::unique_ptr<TTVRecordList> m_list;
    quint64 m_generation = 0;
};
