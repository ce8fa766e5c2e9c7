#include "LtFirmAbt.h"

#include "DataSet.h"

#include <QStringList>

namespace {
// Decimal text of an integer ID; empty for an empty field, so it matches no ID.
QString idText(const Field& f)
{
    const QVariant v = f.value();
    return v.isValid() ? QString::number(v.toLongLong()) : QString();
}
}

TLtFirmAbt::TLtFirmAbt() : m_list(std::make_unique<TTVRecordList>()) {}

TLtFirmAbt::TLtFirmAbt(DataSet& dataSet) : TLtFirmAbt()
{
    Load(dataSet);
}

TLtFirmAbt::~TLtFirmAbt() = default;

void TLtFirmAbt::Load(DataSet& dataSet)
{
    ++m_generation;
    if (!dataSet.active())
        return;
    const Field& id = dataSet.field(QStringLiteral("ID"));
    const Field& parent = dataSet.field(QStringLiteral("ParentID"));
    const Field& name = dataSet.field(QStringLiteral("KurzBez"));
    for (dataSet.first(); !dataSet.eof(); dataSet.next())
        m_list->add(idText(id), idText(parent), name.asString());
}

void TLtFirmAbt::Reload(DataSet& dataSet)
{
    m_list = std::make_unique<TTVRecordList>();
    Load(dataSet);
}

template<class Visit>
bool TLtFirmAbt::walkUp(const QString& id, Visit visit) const
{
    int pos = m_list->findId(id);
    if (pos < 0)
        return false;
    const int limit = m_list->count();
    for (int steps = 0; pos >= 0; ++steps) {
        if (steps == limit)
            return false;                       // cycle in ParentID
        const TVRecord& entry = m_list->at(pos);
        visit(entry);
        pos = m_list->findId(entry.parentId);
    }
    return true;
}

QString TLtFirmAbt::PathText(const QString& id) const
{
    QStringList names;
    if (!walkUp(id, [&](const TVRecord& e) { names.prepend(e.text); }))
        return QString();
    return names.join(QStringLiteral(" - "));
}

int TLtFirmAbt::Level(const QString& id) const
{
    int met = 0;
    if (!walkUp(id, [&](const TVRecord&) { ++met; }))
        return -1;
    return met - 1;
}

bool TLtFirmAbt::IsAtOrBelow(const QString& id, const QString& ancestor) const
{
    bool seen = false;
    const bool complete = walkUp(id, [&](const TVRecord& e) { seen = seen || e.id == ancestor; });
    return complete && seen;
}
