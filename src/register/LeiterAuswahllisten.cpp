#include "LeiterAuswahllisten.h"

#include "Table.h"

#include <algorithm>

QStringList firmenListe(DataSet& firmen)
{
    if (!firmen.active())
        return {};
    const int id = firmen.field(QStringLiteral("ID")).index();
    const int parent = firmen.field(QStringLiteral("ParentID")).index();
    const int name = firmen.field(QStringLiteral("KurzBez")).index();
    std::vector<std::pair<qint64, QString>> rows;
    const int n = firmen.viewRowCount();
    for (int r = 0; r < n; ++r) {
        const QVariant p = firmen.valueAt(r, parent);
        const QVariant key = firmen.valueAt(r, id);
        if (!key.isValid() || (p.isValid() && p.toLongLong() != 0))
            continue;
        rows.emplace_back(key.toLongLong(), firmen.valueAt(r, name).toString());
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList out;
    for (const auto& r : rows)
        out << r.second;
    return out;
}

QStringList lieferantenListe()
{
    Table t(QStringLiteral("LFNAME.DB"));
    t.setIndexFieldNames(QStringLiteral("ID"));
    t.setReadOnly(true);
    t.open();
    QStringList out;
    const Field& name = t.field(QStringLiteral("KurzBez"));
    for (t.first(); !t.eof(); t.next())
        out << name.asString();
    return out;
}
