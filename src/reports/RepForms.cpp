#include "RepForms.h"

#include "RepForm.h"
#include "RepLeiterCount.h"

#include <QHash>

namespace {

QHash<int, TRepFactory>& factories()
{
    static QHash<int, TRepFactory> f;
    return f;
}

void registerBuiltIn()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerReportForm(TRepArt::Count, [](TDataModule1& dm) { return std::make_unique<TRepLeiterCount>(dm); });
    // The record reports register here.
}

} // namespace

void registerReportForm(TRepArt art, TRepFactory factory)
{
    registerBuiltIn();
    factories().insert(int(art), std::move(factory));
}

TRepFactory reportFormFactory(TRepArt art)
{
    registerBuiltIn();
    return factories().value(int(art));
}
