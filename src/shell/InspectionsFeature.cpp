// The inspection pages in the main window: criteria pages of the ladder, the inspection list,
// the display switch, saving before the ladder moves, re-reading and the list's context menu.
#include "Features.h"

#include "DataModule.h"
#include "DataSet.h"
#include "ErfPruefungenSeiten.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "PruefAnzeige.h"
#include "PruefGrid.h"
#include "PruefungsSeite.h"
#include "Table.h"
#include "UserControl.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QStackedWidget>

namespace {

// Re-reads the inspections when the main window is active again (back from a modal window
// or another program), unless an inspection is being edited.
class PruefNachModal : public QObject {
public:
    PruefNachModal(TLeiterVerw& window, TPruefungsSeite* seite)
        : QObject(seite), m_window(window), m_seite(seite)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window && event->type() == QEvent::ActivationChange && m_window.isActiveWindow())
            neuLesen(m_seite->LtPruef());
        return false;
    }

public:
    static void neuLesen(Table* pruef)
    {
        if (pruef && pruef->active() && !pruef->isEditing())
            pruef->refreshIfChanged();
    }

private:
    TLeiterVerw& m_window;
    TPruefungsSeite* m_seite;
};

} // namespace

void plugInspections(TLeiterVerw& w)
{
    TDataModule1& dm = w.dataModule();
    TUserControl& rights = *dm.DataUserControl;
    QStackedWidget* stack = w.notebook();

    auto* einfach = new TErfPruefEinfachSeite(w.leiter(), rights, stack);
    auto* erweitert = new TErfPruefErweitertSeite(w.leiter(), rights, stack);
    auto* pruefSeite = new TPruefungsSeite(w.leiter(), dm, rights, stack);
    w.replacePage(TLeiterVerw::PagePruef, einfach);
    w.replacePage(TLeiterVerw::PagePruefDetail, erweitert);
    w.replacePage(TLeiterVerw::PagePruefUebersicht, pruefSeite);

    // The window's switch drives the list's columns and buttons; the window maps the tabs
    // itself, so no page stack is handed over. Applied once here.
    new TPruefAnzeige(w.SpBDetailNeu, pruefSeite, nullptr, pruefSeite);

    // The pending inspection is saved (or an untouched new one dropped) before the ladder
    // moves; a failed save throws and keeps the ladder where it is.
    Table* leiter = w.leiter();
    const DataSet::Hook vorher = leiter->beforeScroll;
    const QPointer<TPruefungsSeite> seite(pruefSeite);
    leiter->beforeScroll = [vorher, seite](DataSet& ds) {
        if (vorher)
            vorher(ds);
        if (seite)
            seite->LeiterBeforeScroll();
    };

    // "Ende" asks before an unsaved inspection is lost, as for an unsaved ladder.
    w.addUnsavedCheck(pruefSeite->LtPruef());

    // F5: after the window re-read everything, the inspections once more (the list may have
    // been in edit state while the others were read).
    Table* pruef = pruefSeite->LtPruef();
    QObject::connect(w.menus()->action(QStringLiteral("MAnsAktualisieren")), &QAction::triggered, pruefSeite,
                     [pruef] {
                         if (pruef->active() && !pruef->isEditing())
                             pruef->refresh();
                     });
    new PruefNachModal(w, pruefSeite);

    // The list's context menu is the window's, whose entries stay disabled until the control
    // sheet can be printed.
    TPruefGrid* grid = pruefSeite->grid();
    QObject::disconnect(grid, &QWidget::customContextMenuRequested, pruefSeite, nullptr);
    QMenu* popup = w.menus()->PruefPopupMenu;
    QObject::connect(grid, &QWidget::customContextMenuRequested, pruefSeite,
                     [grid, popup](const QPoint& p) { popup->popup(grid->viewport()->mapToGlobal(p)); });
}
