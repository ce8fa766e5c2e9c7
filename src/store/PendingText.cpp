#include "PendingText.h"

#include "DataSet.h"

#include <vector>

namespace PendingText {

namespace {
struct Handler {
    const DataSet* dataSet;
    const QObject* owner;
    std::function<void()> run;
};
std::vector<Handler>& handlers()
{
    static std::vector<Handler> list;
    return list;
}
} // namespace

void addHandler(DataSet& dataSet, const QObject* owner, std::function<void()> handler)
{
    // The cursor may go before the controls' source: its handlers go with it.
    if (std::none_of(handlers().begin(), handlers().end(), [&](const Handler& h) { return h.dataSet == &dataSet; }))
        QObject::connect(&dataSet, &QObject::destroyed, [ds = &dataSet] {
            std::erase_if(handlers(), [ds](const Handler& h) { return h.dataSet == ds; });
        });
    handlers().push_back({&dataSet, owner, std::move(handler)});
}

void removeHandlers(const QObject* owner)
{
    std::erase_if(handlers(), [owner](const Handler& h) { return h.owner == owner; });
}

void take(DataSet& dataSet)
{
    if (!dataSet.isEditing())
        return;
    std::vector<std::function<void()>> runs;
    for (const Handler& h : handlers())
        if (h.dataSet == &dataSet)
            runs.push_back(h.run);
    for (const auto& run : runs)
        run();
}

} // namespace PendingText
