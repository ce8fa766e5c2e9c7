// The file menu's "Benutzer wechseln .." (F12) and "Passwort ändern ...", and "Benutzerverwaltung"
// in Extras: after a successful login the new user's name and rights take effect at once.
#include "Features.h"

#include "Anmeldung.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Engine.h"
#include "LeiterGrid.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "SBenutzerVerw.h"
#include "UserControl.h"
#include "UserState.h"

#include <QLabel>

namespace {

// A locked user keeps the previous one logged in; otherwise name and rights take effect.
void uebernehmen(TLeiterVerw& w, const QString& name, TUserRights rechte, bool gesperrt)
{
    if (gesperrt) {
        Dialogs::error(&w, GesperrtText);
        return;
    }
    UserState::AktBenutzer = name;
    UserState::AktRechte = rechte;
    w.statusPanel(0)->setText(name);
    Engine::instance().setUserName(name);
    TUserControl* rights = w.dataModule().DataUserControl;
    rights->UserName = name;
    rights->setRights(rechte);
    // The caption of the rights menu names the user even when the rights stay the same.
    rights->Change();
}

// The keyboard goes back to the main window after a form, whatever way the form ended.
struct Reaktivieren {
    TLeiterVerw& w;
    ~Reaktivieren() { w.activateWindow(); }
};

} // namespace

void plugAccess(TLeiterVerw& w)
{
    if (!UserState::UserAdministration)
        return;
    TMainMenus& m = *w.menus();
    m.plug(QStringLiteral("MDateiExLogin"), [&w] {
        Reaktivieren zurueck{w};
        QString name;
        TUserRights rechte;
        bool gesperrt = true;
        if (Anmelden(name, rechte, gesperrt, &w))
            uebernehmen(w, name, rechte, gesperrt);
    });
    m.plug(QStringLiteral("MDateiExPassChange"), [&w] {
        Reaktivieren zurueck{w};
        QString name = UserState::AktBenutzer;
        TUserRights rechte;
        bool gesperrt = true;
        if (PasswortAendern(name, rechte, gesperrt, &w))
            uebernehmen(w, name, rechte, gesperrt);
    });
    m.plug(QStringLiteral("MExAdminUser"), [&w] {
        Reaktivieren zurueck{w};
        AdminModus(UserState::AktBenutzer, &w);
        w.grid()->setFocus();
    });
}
