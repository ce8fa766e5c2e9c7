// Printing from the main window: "Listen" and the "Vorschau" / "Druck" buttons open the report
// selection; "Drucken der aktuellen Leiter" prints one report of the current ladder; the
// inspection list's context menu previews or prints the control sheet of one inspection.
#include "Features.h"

#include "DataModule.h"
#include "Dialogs.h"
#include "LeiterGrid.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "PruefungsSeite.h"
#include "RepMenue.h"
#include "Table.h"
#include "UserControl.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

namespace {

// The selection window as every entry point prepares it.
std::unique_ptr<TRepMenue> menueFor(TLeiterVerw& w)
{
    TDataModule1& dm = w.dataModule();
    auto m = std::make_unique<TRepMenue>(dm, w.markListe().ids(), &w);
    if (dm.DataUserControl && dm.DataUserControl->Active())
        m->SetUserControl(dm.DataUserControl);
    Table* leiter = w.leiter();
    if (leiter->active() && !leiter->isEmpty())
        m->SetLeiterNr(leiter->field(QStringLiteral("Nr")).asInteger());
    m->SetPruefArtAnzeige(w.erweitertePruefungen() ? 1 : 0);
    return m;
}

// One report of exactly the current ladder, printed after "Liste drucken ?".
void druckAktuelleLeiter(TLeiterVerw& w, TRepArt art)
{
    std::unique_ptr<TRepMenue> m = menueFor(w);
    m->CoboAuswahl->setCurrentIndex(1);
    QObject* druck = m->druckButton(int(art));
    switch (art) {
    case TRepArt::LeiterKartei: m->LeiterKartei(druck); break;
    case TRepArt::LeiterUebersicht: m->LeiterUebersicht(druck); break;
    case TRepArt::PruefUebersicht: m->PruefUebersicht(druck); break;
    default: break;
    }
}

void kontrollblatt(TLeiterVerw& w, bool vorschau)
{
    auto* seite = qobject_cast<TPruefungsSeite*>(w.page(TLeiterVerw::PagePruefUebersicht));
    Table* pruef = seite ? seite->LtPruef() : nullptr;
    if (!pruef || !pruef->active() || pruef->isEmpty())
        return;
    const int id = pruef->field(QStringLiteral("ID")).asInteger();
    std::unique_ptr<TRepMenue> m = menueFor(w);
    if (vorschau)
        m->VorschauEinzelKontrollblatt(id);
    else
        m->DruckEinzelKontrollblatt(id);
}

} // namespace

void plugReports(TLeiterVerw& w)
{
    TLeiterVerw* win = &w;
    TMainMenus& menus = *w.menus();
    menus.plug(QStringLiteral("MListen"), [win] {
        std::unique_ptr<TRepMenue> m = menueFor(*win);
        Dialogs::exec(m.get());
        m.reset();
        win->grid()->setFocus();
    });
    menus.plug(QStringLiteral("MDateiDruckKartei"), [win] { druckAktuelleLeiter(*win, TRepArt::LeiterKartei); });
    menus.plug(QStringLiteral("MDateiDruckUebersicht"),
               [win] { druckAktuelleLeiter(*win, TRepArt::LeiterUebersicht); });
    menus.plug(QStringLiteral("MDateiDruckPruefUebersicht"),
               [win] { druckAktuelleLeiter(*win, TRepArt::PruefUebersicht); });
    menus.plug(QStringLiteral("VorschauPruefKontrollblatt"), [win] { kontrollblatt(*win, true); });
    menus.plug(QStringLiteral("DruckPruefKontrollblatt"), [win] { kontrollblatt(*win, false); });
    // The "Vorschau" and "Druck" buttons follow "Listen".
    w.LeiterStateChange();
}
