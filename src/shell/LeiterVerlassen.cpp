#include "LeiterVerlassen.h"

#include "LeiterVerw.h"
#include "Table.h"

#include <QAction>
#include <QHash>

void leaveRecord(TLeiterVerw& window)
{
    // The store's moves do the same; here it runs before paths that do not move the cursor or
    // that would ask something first.
    window.leiter()->checkBrowseMode();
    // Everything past this point may need every ladder: never a half-read register.
    window.leiter()->waitForFullLoad();
}

namespace MenuGuard {

namespace {
const char* const kLeaves = "hwLeavesRecord";
QHash<const QObject*, std::function<void()>>& guards()
{
    static QHash<const QObject*, std::function<void()>> map;
    return map;
}
} // namespace

void setGuard(const QObject* window, std::function<void()> guard)
{
    if (!guards().contains(window))
        QObject::connect(window, &QObject::destroyed, [window] { guards().remove(window); });
    guards().insert(window, std::move(guard));
}

void markLeaving(QAction* action) { action->setProperty(kLeaves, true); }

void run(const QObject* window, const QAction* action)
{
    if (!action || !action->property(kLeaves).toBool())
        return;
    const auto it = guards().constFind(window);
    if (it != guards().constEnd() && *it)
        (*it)();
}

} // namespace MenuGuard
