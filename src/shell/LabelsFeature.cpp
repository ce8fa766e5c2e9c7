// "Etiketten drucken" from the Datei menu and the ladder grid's pop-up: the label window gets
// the current ladder, the marked ones and the grid's rows under its filter.
#include "Features.h"

#include "AppConfig.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "EtikettenForm.h"
#include "LeiterGrid.h"
#include "LeiterVerlassen.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "MarkListe.h"
#include "Table.h"
#include "UserControl.h"

#include <QAction>
#include <QMenu>

namespace {

// The IDs of the rows the grid shows, in its order; the cursor does not move.
QList<int> sichtbareIds(Table& t)
{
    QList<int> ids;
    if (!t.active())
        return ids;
    const int spalte = t.field(QStringLiteral("ID")).index();
    const int n = t.viewRowCount();
    ids.reserve(n);
    for (int row = 0; row < n; ++row) {
        const QVariant v = t.valueAt(row, spalte);
        if (v.isValid() && !v.isNull())
            ids << v.toInt();
    }
    return ids;
}

void oeffnen(TLeiterVerw& w)
{
    Table* t = w.leiter();
    EtikettenQuellen q;
    if (t->active() && !t->isEmpty() && t->state() != DataSetState::Insert) {
        q.aktuelleId = t->field(QStringLiteral("ID")).asInteger();
        q.aktuelleNr = t->field(QStringLiteral("Nr")).asString();
    }
    for (const QString& id : w.markListe().ids())
        q.markierte << id.toInt();
    q.gefiltert = [t] { return sichtbareIds(*t); };
    q.filterAktiv = t->filtered();
    q.abteilungen = &w.firmAbt();
    q.iniDatei = settingsFilePath();
    TDataModule1& dm = w.dataModule();
    if (dm.DataUserControl && dm.DataUserControl->Active())
        q.rechte = dm.DataUserControl;
    TEtikettenForm form(std::move(q), &w);
    Dialogs::exec(&form);
    w.grid()->setFocus();
}

// Puts the entry right after another one of the menu.
void einfuegenNach(QMenu* menu, QAction* nach, QAction* neu)
{
    const QList<QAction*> alle = menu->actions();
    const int i = int(alle.indexOf(nach));
    menu->insertAction(i >= 0 && i + 1 < alle.size() ? alle[i + 1] : nullptr, neu);
}

} // namespace

void plugLabels(TLeiterVerw& w)
{
    TMainMenus& m = *w.menus();
    auto* datei = new QAction(QStringLiteral("&Etiketten drucken ..."), &w);
    datei->setObjectName(QStringLiteral("MDateiEtiketten"));
    auto* pop = new QAction(QStringLiteral("Etiketten drucken ..."), &w);
    pop->setObjectName(QStringLiteral("LtPopEtiketten"));
    // After "Drucken der aktuellen Leiter" in both menus.
    einfuegenNach(m.MDatei, m.MDateiDruck->menuAction(), datei);
    einfuegenNach(m.LtPopupMenu, m.LtPopDruck->menuAction(), pop);
    m.plug(datei, [&w] { oeffnen(w); });
    m.plug(pop, [&w] { oeffnen(w); });
    // The window asks the right to print itself; choosing and previewing labels needs none.
    m.setWanted(datei, true);
    m.setWanted(pop, true);
    // The labels are made from the stored rows: an edited ladder is saved (or the window refused)
    // first, so its labels carry what was typed.
    MenuGuard::markLeaving(datei);
    MenuGuard::markLeaving(pop);
}
