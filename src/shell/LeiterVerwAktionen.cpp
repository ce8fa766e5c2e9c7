// The main window's commands: creation, saving and deleting of ladders, view options, Extras,
// help and the rights menu.
#include "LeiterVerw.h"

#include "AboutBox.h"
#include "ActionGuard.h"
#include "AppConfig.h"
#include "AppPrinter.h"
#include "DataControls.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Engine.h"
#include "HelpWindow.h"
#include "Hints.h"
#include "LadderPages.h"
#include "LeiterVerlassen.h"
#include "LeiterCursor.h"
#include "LeiterGrid.h"
#include "LeiterRegeln.h"
#include "ListenDialog.h"
#include "LtFirmAbt.h"
#include "MainMenus.h"
#include "TVekPopUpControl.h"
#include "Table.h"
#include "UserControl.h"

#if __has_include("TVekStdPreviewForm.h")
#include "TVekStdPreviewForm.h"
#define HW_HAS_PREVIEW 1
#endif

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

QUrl herstellerHomepage() { return QUrl(QStringLiteral("https://www.vek.example/holmwacht")); }
QUrl herstellerEmail() { return QUrl(QStringLiteral("mailto:support@vek.example")); }

void TLeiterVerw::connectMenus()
{
    TMainMenus& m = *m_menus;
    auto on = [this, &m](const char* name, auto handler) {
        connect(m.action(QLatin1String(name)), &QAction::triggered, this, [this, handler] { runGuarded(this, handler); });
    };
    on("ActLeiterNeu", [this] { LeiterNeuExecute(); });
    on("ActLeiterNeuFreieNr", [this] { LeiterNeuFreieNrExecute(); });
    on("ActLeiterNeuFreieNrAb", [this] { LeiterNeuFreieNrAbExecute(); });
    on("ActLeiterNeuFreieNrAbZeile", [this] { LeiterNeuFreieNrAbZeileExecute(); });
    on("ActLeiterNeuKopieren", [this] { LeiterNeuKopierenExecute(); });
    on("MDruckerwahl", [this] { Dialogs::printDialog(this, appPrinter()); });
    on("MDateiEnde", [this] { close(); });
    on("MAnsStandard", [this] { FensterStandard(); });
    on("MAnsMitte", [this] { FensterMitte(); });
    connect(m.action(QStringLiteral("MAnsExtNr")), &QAction::toggled, this, &TLeiterVerw::AnzeigeExterneNr);
    connect(m.action(QStringLiteral("MAnsFirmaAbtZuerst")), &QAction::toggled, this, &TLeiterVerw::AnzeigeFirmaAbtZuerst);
    on("MAnsAktualisieren", [this] { Aktualisieren(); });
    on("MExDatenVerz", [this] { showExtrasMessages(QStringLiteral("MExDatenVerz")); });
    on("MExNetFileDir", [this] { showExtrasMessages(QStringLiteral("MExNetFileDir")); });
    on("MExPrivateDir", [this] { showExtrasMessages(QStringLiteral("MExPrivateDir")); });
    on("MExMPUserList", [this] {
        QStringList users;
        for (const QString& u : Engine::instance().networkUsers())
            users << u.left(14);
        ListenDialog(QStringLiteral("Anzeige der aktuellen Benutzer"), QStringLiteral("zur Zeit : %1 - Benutzer").arg(users.size()),
                     users, this);
    });
    on("MHilfeInhalt", [this] { showHelp(0); });
    setHint(m.action(QStringLiteral("MHilfeAufrufVEKHomePage")), herstellerHomepage().toString());
    setHint(m.action(QStringLiteral("HilfeVEKEmail1")), herstellerEmail().path());
    on("MHilfeAufrufVEKHomePage", [] { QDesktopServices::openUrl(herstellerHomepage()); });
    on("HilfeVEKEmail1", [] { QDesktopServices::openUrl(herstellerEmail()); });
    on("MHilfeUeber", [this] { TAboutBox::zeigen(this); });

    // The report selection opens from "Listen", "Vorschau" and "Druck" once it exists.
    connect(BVorschau, &QPushButton::clicked, m.MListen, &QAction::trigger);
    connect(BDruck, &QPushButton::clicked, m.MListen, &QAction::trigger);
    connect(m.MListen, &QAction::changed, this, &TLeiterVerw::LeiterStateChange);
    connect(BLoe, &QPushButton::clicked, this, &TLeiterVerw::BLoeClick);
    connect(BEnde, &QPushButton::clicked, this, &QWidget::close);
}

// ------------------------------------------------------------------ ladders

void TLeiterVerw::runCommand(void (TLeiterRegeln::*command)())
{
    if (m_leiter->isEditing())
        return;
    runGuarded(this, [this, command] { (m_regeln->*command)(); });
}

void TLeiterVerw::LeiterNeuExecute() { runCommand(&TLeiterRegeln::LeiterNeuExecute); }
void TLeiterVerw::LeiterNeuFreieNrExecute() { runCommand(&TLeiterRegeln::LeiterNeuFreieNrExecute); }
void TLeiterVerw::LeiterNeuFreieNrAbExecute() { runCommand(&TLeiterRegeln::LeiterNeuFreieNrAbExecute); }
void TLeiterVerw::LeiterNeuFreieNrAbZeileExecute() { runCommand(&TLeiterRegeln::LeiterNeuFreieNrAbZeileExecute); }
void TLeiterVerw::LeiterNeuKopierenExecute() { runCommand(&TLeiterRegeln::LeiterNeuKopierenExecute); }

void TLeiterVerw::BOKClick()
{
    const bool saved = runGuarded(this, [this] {
        m_source->updateRecord();
        m_leiter->post();
    });
    if (saved)
        m_grid->setFocus();
}

void TLeiterVerw::BCancelClick()
{
    runGuarded(this, [this] { m_leiter->cancel(); });
    m_grid->setFocus();
}

void TLeiterVerw::BLoeClick()
{
    if (m_leiter->isEditing())
        return;
    m_grid->setFocus();
    runGuarded(this, [this] { m_leiter->remove(); });
}

// ------------------------------------------------------------------ rights

void TLeiterVerw::UpdateRechteMenue(TUserControl* rights)
{
    // Without user administration the component is inactive and grants everything.
    auto granted = [rights](TUserRight r) { return !rights->Active() || rights->HasRight(r); };
    const bool print = granted(crPrint);
    m_menus->setWanted(QStringLiteral("MDateiDruck"), print);
    m_menus->setWanted(QStringLiteral("LtPopDruck"), print);
    m_menus->setWanted(QStringLiteral("DruckPruefKontrollblatt"), print);
#ifdef HW_HAS_PREVIEW
    SetPreviewRechte(print);
#endif
    m_menus->setWanted(QStringLiteral("MExAdminUser"), granted(crAdmin));
    m_menus->MAnsBenutzerRechte->setTitle(QStringLiteral("Benutzer - Rechte für ") + rights->UserName);
    m_menus->setWanted(QStringLiteral("MAnsUser_crView"), granted(crView));
    m_menus->setWanted(QStringLiteral("MAnsUser_crInsert"), granted(crInsert));
    m_menus->setWanted(QStringLiteral("MAnsUser_crModify"), granted(crModify));
    m_menus->setWanted(QStringLiteral("MAnsUser_crDelete"), granted(crDelete));
    m_menus->setWanted(QStringLiteral("MAnsUser_crPrint"), granted(crPrint));
}

// ------------------------------------------------------------------ view options

void TLeiterVerw::FensterStandard()
{
    showNormal();
    resize(minimumSize());
}

void TLeiterVerw::FensterMitte()
{
    if (isMaximized() || isMinimized())
        return;
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
}

void TLeiterVerw::AnzeigeExterneNr(bool on)
{
    if (Field* f = m_leiter->findField(QStringLiteral("ExNrBez")))
        f->setVisible(on);
    m_allgemein->setExterneNrSichtbar(on);
    AnzeigeFirmaAbtZuerst(m_menus->action(QStringLiteral("MAnsFirmaAbtZuerst"))->isChecked());
}

void TLeiterVerw::AnzeigeFirmaAbtZuerst(bool on)
{
    const bool extNr = m_menus->action(QStringLiteral("MAnsExtNr"))->isChecked();
    m_grid->setColumns(leiterGridColumns(extNr, on));
}

void TLeiterVerw::Aktualisieren()
{
    leaveRecord(*this);
    // Every open cursor re-reads the shared files; the grid waits until the ladders are in.
    m_leiter->disableControls();
    try {
        // The department names first: the ladders' path texts are computed from them.
        m_dm.StFirmAbtList->refreshIfChanged();
        m_firmAbt->Reload(*m_dm.StFirmAbtList);
        Engine::instance().refreshAll();
    } catch (...) {
        m_leiter->enableControls();
        throw;
    }
    m_leiter->enableControls();
    FillFirmenListe();
    FillLieferantenListe();
    m_grid->viewport()->update();
}

void TLeiterVerw::FillFirmenListe() { m_allgemein->FillFirmenListe(); }

void TLeiterVerw::FillLieferantenListe()
{
    runGuarded(this, [this] { m_allgemein->FillLieferantenListe(); });
}

void TLeiterVerw::reloadFirmAbt()
{
    m_firmAbt->Reload(*m_dm.StFirmAbtList);
    m_leiter->refilter();
}

// ------------------------------------------------------------------ Extras, help

void TLeiterVerw::showExtrasMessages(const QString& which)
{
    Engine& engine = Engine::instance();
    if (which == QLatin1String("MExDatenVerz")) {
        // The directory in use: this run's alias first, then the engine's configuration.
        Dialogs::information(this, QStringLiteral("Daten sind im Verzeichnis %1 gespeichert")
                                       .arg(QDir::toNativeSeparators(engine.aliasPath(m_leiter->alias()))));
    } else if (which == QLatin1String("MExNetFileDir")) {
        Dialogs::information(this, QStringLiteral("aktuelles Paradox NetFileDir ist %1 ")
                                       .arg(QDir::toNativeSeparators(engine.netFileDir())));
    } else if (which == QLatin1String("MExPrivateDir")) {
        Dialogs::information(this, QStringLiteral("aktuelles Paradox PrivateDir ist %1 ")
                                       .arg(QDir::toNativeSeparators(engine.privateDir())));
    }
}

void TLeiterVerw::showHelp(int context)
{
    if (!m_help)
        m_help = new THelpWindow(nullptr);
    if (context > 0)
        m_help->showContext(context);
    else
        m_help->showContents();
}
