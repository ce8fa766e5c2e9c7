// The "Stammdaten" menu: the six master-data editors and the department tree editor. After an
// editor closes, also when it failed, the main window shows what was written there.
#include "Features.h"

#include "ActionGuard.h"
#include "DataModule.h"
#include "Engine.h"
#include "LeiterGrid.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "SFirmAbtVerw.h"
#include "StammdatenVerw.h"
#include "Table.h"

#include <functional>

namespace {

// The lookup tables behind the grid's text columns, then the ladders themselves.
void rereadLadders(TLeiterVerw& w)
{
    TDataModule1& dm = w.dataModule();
    for (Table* t : {dm.SLeiterArten, dm.SMaterial, dm.SPruef, dm.StPruefer})
        if (t && t->active())
            t->refresh();
    w.leiter()->refresh();
    w.grid()->viewport()->update();
}

// Opens the editor and brings the window up to date in every case; an error of the editor
// is raised again after the refresh so that the error box shows it.
void openAndRefresh(TLeiterVerw& w, const std::function<void()>& open, const std::function<void()>& refresh)
{
    try {
        open();
    } catch (...) {
        runGuarded(&w, refresh);
        throw;
    }
    refresh();
}

void plugEditor(TLeiterVerw& w, const char* name, StammdatenArt art, std::function<void()> extra = {})
{
    w.menus()->plug(QLatin1String(name), [&w, art, extra] {
        openAndRefresh(
            w, [&w, art] { openStammdatenEditor(&w, w.dataModule(), art); },
            [&w, extra] {
                rereadLadders(w);
                if (extra)
                    extra();
                w.grid()->setFocus();
            });
    });
}

} // namespace

void plugMasterData(TLeiterVerw& w)
{
    plugEditor(w, "MLArt", StammdatenArt::LeiterArten);
    plugEditor(w, "MMaterial", StammdatenArt::Material);
    // Inspector names show in the inspection lists too: every cursor re-reads.
    plugEditor(w, "MPruef", StammdatenArt::Pruefer, [] { Engine::instance().refreshAll(); });
    plugEditor(w, "MPruefTermine", StammdatenArt::PruefTermine);
    plugEditor(w, "MLieferanten", StammdatenArt::Lieferanten, [&w] { w.FillLieferantenListe(); });
    // Companies are the top nodes of the department tree, so their names are part of the paths.
    plugEditor(w, "MFirmen", StammdatenArt::Firmen, [&w] {
        w.dataModule().StFirmAbtList->refresh();
        w.reloadFirmAbt();
        w.FillFirmenListe();
    });
    w.menus()->plug(QStringLiteral("MFirmenAbt"), [&w] {
        openAndRefresh(
            w, [&w] { openFirmAbtEditor(&w, w.dataModule()); },
            [&w] {
                w.dataModule().StFirmAbtList->refresh();
                w.reloadFirmAbt();
                rereadLadders(w);
                w.FillFirmenListe();
                w.grid()->setFocus();
            });
    });
}
