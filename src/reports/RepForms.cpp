#include "RepForms.h"

#include "RepFaellig.h"

#include "RepForm.h"
#include "RepLeiterCount.h"
#include "RepLeiterF1.h"
#include "RepLeiterUebF1.h"
#include "RepLtPruefBlattF1.h"
#include "RepLtPruefF1.h"

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
    registerReportForm(TRepArt::Faellig, [](TDataModule1& dm) { return std::make_unique<TRepFaellig>(dm); });
    registerReportForm(TRepArt::LeiterKartei, [](TDataModule1& dm) { return std::make_unique<TRepLeiterF1>(dm); });
    registerReportForm(TRepArt::LeiterUebersicht,
                       [](TDataModule1& dm) { return std::make_unique<TRepLeiterUebF1>(dm); });
    registerReportForm(TRepArt::PruefUebersicht, [](TDataModule1& dm) { return std::make_unique<TRepLtPruefF1>(dm); });
    registerReportForm(TRepArt::Kontrollblatt, [](TDataModule1& dm) { return std::make_unique<TRepLtPruefBlattF1>(dm); });
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
