#include "SharedRows.h"

#include "Backend.h"

std::shared_ptr<SharedRows> SharedRows::acquire(Backend& db, const QString& table, const QString& layout)
{
    auto& registry = db.sharedRows();
    const QString key = normalTableName(table).toUpper() + QLatin1Char('\n') + layout;
    if (auto it = registry.find(key); it != registry.end()) {
        if (std::shared_ptr<SharedRows> live = it.value().lock())
            return live;
    }
    // Entries of closed tables expire; drop them so the registry does not grow.
    for (auto it = registry.begin(); it != registry.end();)
        it = it.value().expired() ? registry.erase(it) : std::next(it);
    auto rows = std::make_shared<SharedRows>();
    registry.insert(key, rows);
    return rows;
}
