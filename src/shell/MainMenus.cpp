#include "MainMenus.h"

#include "ActionGuard.h"
#include "Hints.h"
#include "LeiterVerlassen.h"
#include "UserState.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {
const char* const kPending = "hwPending";
const char* const kWanted = "hwWanted";
}

TMainMenus::TMainMenus(QMainWindow* window) : QObject(window), m_window(window)
{
    setObjectName(QStringLiteral("MainMenus"));
    buildActions();
    buildMainMenu();
    buildPopups();
}

QAction* TMainMenus::make(const char* name, const QString& text, const QString& hint, const QKeySequence& key)
{
    auto* a = new QAction(text, m_window);
    a->setObjectName(QLatin1String(name));
    if (!hint.isEmpty())
        setHint(a, hint);
    if (!key.isEmpty())
        a->setShortcut(key);
    a->setProperty(kWanted, true);
    m_actions.insert(a->objectName(), a);
    return a;
}

QAction* TMainMenus::later(const char* name, const QString& text, const QString& hint, const QKeySequence& key)
{
    QAction* a = make(name, text, hint, key);
    a->setProperty(kPending, true);
    a->setEnabled(false);
    return a;
}

QAction* TMainMenus::entryFor(const char* name, const QString& text, QAction* target)
{
    QAction* a = make(name, text);
    connect(a, &QAction::triggered, target, &QAction::trigger);
    a->setEnabled(target->isEnabled());
    connect(target, &QAction::changed, a, [a, target] { a->setEnabled(target->isEnabled()); });
    return a;
}

QMenu* TMainMenus::makeMenu(const char* name, const QString& title, QWidget* parent)
{
    auto* m = new QMenu(title, parent);
    m->setObjectName(QLatin1String(name));
    m_menus.insert(m->objectName(), m);
    return m;
}

QAction* TMainMenus::action(const QString& name) const { return m_actions.value(name); }
QMenu* TMainMenus::menu(const QString& name) const { return m_menus.value(name); }

bool TMainMenus::isPending(const QAction* a) const { return a && a->property(kPending).toBool(); }

QStringList TMainMenus::pendingNames() const
{
    QStringList names;
    for (QAction* a : m_actions)
        if (isPending(a))
            names << a->objectName();
    names.sort();
    return names;
}

void TMainMenus::applyEnabled(QAction* a) { a->setEnabled(!isPending(a) && a->property(kWanted).toBool()); }

void TMainMenus::setWanted(QAction* a, bool enabled)
{
    a->setProperty(kWanted, enabled);
    applyEnabled(a);
}

void TMainMenus::setWanted(const QString& name, bool enabled)
{
    if (QAction* a = action(name))
        setWanted(a, enabled);
}

void TMainMenus::plug(QAction* a, std::function<void()> handler)
{
    a->setProperty(kPending, false);
    connect(a, &QAction::triggered, a, [this, a, handler = std::move(handler)] {
        runGuarded(m_window, [&] {
            MenuGuard::run(m_window, a);
            handler();
        });
    });
    applyEnabled(a);
}

void TMainMenus::plug(const QString& name, std::function<void()> handler)
{
    if (QAction* a = action(name))
        plug(a, std::move(handler));
}

void TMainMenus::buildActions()
{
    // Ladder creation (the ladder register).
    make("ActLeiterNeu", QStringLiteral("Neu anlegen ( Standard /Max +1 )"), QStringLiteral("höchste Leiter.-Nr +1"));
    make("ActLeiterNeuFreieNr", QStringLiteral("Neu anlegen ( nächste freie Nr ab 1 )"));
    make("ActLeiterNeuFreieNrAb", QStringLiteral("Neu anlegen ( nächste freie Nr ab Eingabe )"));
    make("ActLeiterNeuFreieNrAbZeile", QStringLiteral("Neu anlegen ( nächste freie Nr ab akt. Zeile )"));
    make("ActLeiterNeuKopieren", QStringLiteral("Leiter kopieren ( Standard /Max + 1 )"));

    // Search, marks and filters.
    later("ActSuchTextFolge", QStringLiteral("Suchen nach Textfolge .."), QString(),
          QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));
    later("ActSuchNext", QStringLiteral("Weitersuchen vorwärts  ..  < F3 >"));
    later("ActSuchPrior", QStringLiteral("Weitersuchen rückwärts .. < Shift+F3 >"));
    later("ActSuchLast", QStringLiteral("Letzten suchen .."));
    later("ActSuchClear", QStringLiteral("Suchtextfolge löschen"));
    later("ActSuchToMark", QStringLiteral("Suchen in Markierungen übernehmen .."));
    later("ActSuchToFilter", QStringLiteral("Suchen in Filter übernehmen"));
    later("ActSuchFilterClear", QStringLiteral("Filter für Suchen löschen"));
    later("ActMarkChange", QStringLiteral("Markieren / Unmarkieren   < Leertaste >"));
    later("ActMarkChangeGotoNext", QStringLiteral("Markieren / Unmarkieren   < Leertaste >"));
    later("ActMark", QString());
    later("ActMarkClear", QString());
    later("ActMarkClearAll", QStringLiteral("Markierungen löschen"));
    later("ActMarkToCurrent", QStringLiteral("Alle Zeilen markieren bis zur aktuellen Zeile"));
    later("ActMarkFindFirst", QStringLiteral("[<= zur ersten Markierung  < Alt+Pos1 >"));
    later("ActMarkFindPrior", QStringLiteral("<= zur vorherigen Markierung  < Alt+Cursor oben >"));
    later("ActMarkFindNext", QStringLiteral("=> zur nächsten Markierung  < Alt+Cursor unten >"));
    later("ActMarkFindLast", QStringLiteral("=>] zur letzten Markierung  < Alt+Ende >"));
    later("ActMarkCheck", QString());
    later("ActMarkToFilter", QStringLiteral("Markierung in Filter übenehmen"));
    later("ActMarkFilterClear", QStringLiteral("Filter für Markierungen löschen"));
    later("ActFilterLoeschen", QStringLiteral("Alle Filter löschen"));

    // Barcode search.
    later("ActBcSuchLeiter", QStringLiteral("Suchen mit Barcode / Tastatur .."), QString(), QKeySequence(Qt::Key_F9));
    later("ActBcSuchComLeiter", QStringLiteral("Suchen mit Barcode - COM-Schnittstelle"), QString(),
          QKeySequence(Qt::Key_F8));
}

void TMainMenus::buildMainMenu()
{
    QMenuBar* bar = m_window->menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    // --- Datei
    MDatei = makeMenu("MDatei", QStringLiteral("Datei"), bar);
    MDatei->setProperty("helpContext", 200);
    setHint(MDatei->menuAction(), QStringLiteral("Druckerwahl.. , Beenden"));
    MDateiNeu = makeMenu("MDateiNeu", QStringLiteral("Neue Leiter anlegen .."), MDatei);
    setHint(MDateiNeu->menuAction(), QStringLiteral("Auswahl Leiter anlegen"));
    MDateiNeu->addAction(action(QStringLiteral("ActLeiterNeu")));
    MDateiNeu->addAction(action(QStringLiteral("ActLeiterNeuFreieNr")));
    MDateiNeu->addAction(action(QStringLiteral("ActLeiterNeuFreieNrAb")));
    MDateiNeu->addAction(action(QStringLiteral("ActLeiterNeuFreieNrAbZeile")));
    MDatei->addMenu(MDateiNeu);
    MDatei->addSeparator();
    MDatei->addAction(make("MDruckerwahl", QStringLiteral("Druckerwahl ..."),
                           QStringLiteral("Druckerauswahl aus den installierten Druckern")));
    MDateiDruck = makeMenu("MDateiDruck", QStringLiteral("Drucken der aktuellen Leiter"), MDatei);
    MDateiDruck->addAction(later("MDateiDruckKartei", QStringLiteral("Leiter-Kartei")));
    MDateiDruck->addAction(later("MDateiDruckUebersicht", QStringLiteral("Leiter-Übersicht")));
    MDateiDruck->addAction(later("MDateiDruckPruefUebersicht", QStringLiteral("Prüf-Übersicht")));
    MDatei->addMenu(MDateiDruck);
    m_actions.insert(QStringLiteral("MDateiDruck"), MDateiDruck->menuAction());
    QAction* loginLine = MDatei->addSeparator();
    loginLine->setObjectName(QStringLiteral("MDateiExLoginLine"));
    m_actions.insert(loginLine->objectName(), loginLine);
    QAction* login = later("MDateiExLogin", QStringLiteral("Benutzer wechseln .."), QString(), QKeySequence(Qt::Key_F12));
    QAction* pass = later("MDateiExPassChange", QStringLiteral("Passwort ändern ..."));
    MDatei->addAction(login);
    MDatei->addAction(pass);
    MDatei->addSeparator();
    MDatei->addAction(make("MDateiEnde", QStringLiteral("Beenden      Alt+F4"), QStringLiteral("Programm beenden")));
    bar->addMenu(MDatei);

    // --- Bearbeiten
    MBearbeiten = makeMenu("MBearbeiten", QStringLiteral("Bearbeiten"), bar);
    MBearbeiten->setProperty("helpContext", 400);
    setHint(MBearbeiten->menuAction(), QStringLiteral("Suchen usw .."));
    MBearbeiten->addAction(later("MBearbIndexSuche", QStringLiteral("Suchen nach Sortierung ..."),
                                 QStringLiteral("Suchen in Datenfeldern"), QKeySequence(Qt::CTRL | Qt::Key_F)));
    MBearbeiten->addAction(action(QStringLiteral("ActSuchTextFolge")));
    MBearbeiten->addAction(action(QStringLiteral("ActBcSuchLeiter")));
    MBearbeiten->addAction(action(QStringLiteral("ActBcSuchComLeiter")));
    MBearbeiten->addSeparator();
    // Names the Space key of the grid; choosing it does nothing.
    MBearbeiten->addAction(make("MBearbMarkieren", QStringLiteral("Markieren / Unmarkieren          < Leertaste >")));
    MBearbeiten->addAction(
        entryFor("MBearbMarkClearAll", QStringLiteral("Markierungen löschen"), action(QStringLiteral("ActMarkClearAll"))));
    MBearbeiten->addSeparator();
    MBearbeiten->addAction(entryFor("MBearbFilterLoeschen", QStringLiteral("Alle Filter löschen"),
                                    action(QStringLiteral("ActFilterLoeschen"))));
    bar->addMenu(MBearbeiten);

    // --- Stammdaten
    MStammdaten = makeMenu("MStammdaten", QStringLiteral("Stammdaten"), bar);
    MStammdaten->setProperty("helpContext", 300);
    setHint(MStammdaten->menuAction(), QStringLiteral("Stammdateneingabe ..."));
    MStammdaten->addAction(later("MLArt", QStringLiteral("Leiter - Arten ..")));
    MStammdaten->addAction(later("MMaterial", QStringLiteral("Material - Arten ..")));
    MStammdaten->addAction(later("MPruef", QStringLiteral("Interne / externe Prüfer ..")));
    MStammdaten->addAction(later("MPruefTermine", QStringLiteral("Prüftermine ..")));
    MStammdaten->addAction(later("MFirmen", QStringLiteral("Firmen / Standort / Abteilung ..")));
    MStammdaten->addAction(later("MFirmenAbt", QStringLiteral("Abteilungsdaten => Standort / Abteilung ..."), QString(),
                                 QKeySequence(Qt::Key_F11)));
    MStammdaten->addAction(later("MLieferanten", QStringLiteral("Lieferanten / Hersteller ..")));
    bar->addMenu(MStammdaten);

    // --- Ansicht
    MAnsicht = makeMenu("MAnsicht", QStringLiteral("Ansicht"), bar);
    MAnsicht->addAction(make("MAnsStandard", QStringLiteral("Fenster auf Standardeinstellungen")));
    MAnsicht->addAction(make("MAnsMitte", QStringLiteral("Fenster in Mitte setzen")));
    MAnsicht->addSeparator();
    QAction* zus = make("MAnsButtonZus", QStringLiteral("Buttonleiste - Zusatzfunktionen"));
    zus->setCheckable(true);
    zus->setChecked(true);
    zus->setProperty(kWanted, false);
    zus->setEnabled(false);
    MAnsicht->addAction(zus);
    MAnsicht->addSeparator();
    MAnsBenutzerRechte = makeMenu("MAnsBenutzerRechte", QStringLiteral("Benutzer - Rechte für  .."), MAnsicht);
    MAnsBenutzerRechte->addAction(make("MAnsUser_crView", QStringLiteral("Ansehen")));
    MAnsBenutzerRechte->addAction(make("MAnsUser_crInsert", QStringLiteral("Einfügen")));
    MAnsBenutzerRechte->addAction(make("MAnsUser_crModify", QStringLiteral("Ändern")));
    MAnsBenutzerRechte->addAction(make("MAnsUser_crDelete", QStringLiteral("Löschen")));
    MAnsBenutzerRechte->addAction(make("MAnsUser_crPrint", QStringLiteral("Drucken")));
    MAnsicht->addMenu(MAnsBenutzerRechte);
    MAnsicht->addSeparator();
    QAction* extNr = make("MAnsExtNr", QStringLiteral("Anzeige externe LeiterNr.-Bezeichnung"));
    extNr->setCheckable(true);
    extNr->setChecked(true);
    MAnsicht->addAction(extNr);
    QAction* abtZuerst = make("MAnsFirmaAbtZuerst", QStringLiteral("Anzeige Firma - Abteilung zuerst"));
    abtZuerst->setCheckable(true);
    MAnsicht->addAction(abtZuerst);
    MAnsicht->addSeparator();
    MAnsicht->addAction(make("MAnsAktualisieren", QStringLiteral("Aktualisieren"), QString(), QKeySequence(Qt::Key_F5)));
    bar->addMenu(MAnsicht);

    // --- Listen: the menu item itself is the command.
    MListen = later("MListen", QStringLiteral("Listen"), QStringLiteral("Listenmenue aufrufen"),
                    QKeySequence(Qt::CTRL | Qt::Key_P));
    MListen->setProperty("helpContext", 500);
    bar->addAction(MListen);

    // --- Extras
    MExtras = makeMenu("MExtras", QStringLiteral("Extras"), bar);
    MExtras->addAction(make("MExDatenVerz", QStringLiteral("Anzeige Paradox Daten-Verzeichnis ...")));
    MExtras->addAction(make("MExNetFileDir", QStringLiteral("Anzeige Paradox NetFileDir ...")));
    MExtras->addAction(make("MExPrivateDir", QStringLiteral("Anzeige Paradox PrivateDir ..")));
    QAction* mpLine = MExtras->addSeparator();
    mpLine->setObjectName(QStringLiteral("MExMPUserListLine"));
    m_actions.insert(mpLine->objectName(), mpLine);
    MExtras->addAction(make("MExMPUserList", QStringLiteral("MP - Anzeige der aktuellen Benutzer"),
                            QStringLiteral("Benutzer der Netzwerk-Kontrolldatei")));
    QAction* adminLine = MExtras->addSeparator();
    adminLine->setObjectName(QStringLiteral("MExAdminUserLine"));
    m_actions.insert(adminLine->objectName(), adminLine);
    QAction* admin = later("MExAdminUser", QStringLiteral("Benutzerverwaltung"), QString(),
                           QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_B));
    MExtras->addAction(admin);
    bar->addMenu(MExtras);

    // --- Hilfe
    MHilfe = makeMenu("MHilfe", QStringLiteral("Hilfe"), bar);
    MHilfe->setProperty("helpContext", 600);
    MHilfe->addAction(make("MHilfeInhalt", QStringLiteral("Inhalt")));
    MHilfe->addSeparator();
    MHilfe->addAction(make("MHilfeAufrufVEKHomePage", QStringLiteral("Aufruf VEK im Internet")));
    MHilfe->addAction(make("HilfeVEKEmail1", QStringLiteral("Email an VEK schicken")));
    MHilfe->addSeparator();
    MHilfe->addAction(make("MHilfeUeber", QStringLiteral("Über ...")));
    bar->addMenu(MHilfe);

    // Login and user administration entries only where users exist.
    for (QAction* a : {loginLine, login, pass, adminLine, admin})
        a->setVisible(UserState::UserAdministration);
}

void TMainMenus::buildPopups()
{
    // Grid context menu.
    LtPopupMenu = makeMenu("LtPopupMenu", QString(), m_window);
    QAction* idx = later("LtPopIndexSuche", QStringLiteral("Suchen nach Sortierung .."), QString(),
                         QKeySequence(Qt::CTRL | Qt::Key_F));
    idx->setShortcutContext(Qt::WidgetShortcut);     // the menu entry of the Bearbeiten menu owns the key
    LtPopupMenu->addAction(idx);
    LtPopupMenu->addAction(action(QStringLiteral("ActSuchTextFolge")));
    LtPopupMenu->addSeparator();
    LtPopupMenu->addAction(action(QStringLiteral("ActMarkChange")));
    LtPopupMenu->setDefaultAction(action(QStringLiteral("ActMarkChange")));
    LtPopupMenu->addAction(action(QStringLiteral("ActMarkClearAll")));
    LtPopupMenu->addSeparator();
    LtPopupMenu->addAction(later("LtPopFilterAktAbt", QStringLiteral("Filter für akt. Firma / Abteilung setzen")));
    LtPopupMenu->addAction(entryFor("LtPopFilterLoeschen", QStringLiteral("Alle gesetzten Filter löschen"),
                                    action(QStringLiteral("ActFilterLoeschen"))));
    LtPopupMenu->addSeparator();
    LtPopDruck = makeMenu("LtPopDruck", QStringLiteral("Drucken der aktuellen Leiter"), LtPopupMenu);
    LtPopDruck->addAction(entryFor("LtPopDruckKartei", QStringLiteral("Leiter-Kartei"), action(QStringLiteral("MDateiDruckKartei"))));
    LtPopDruck->addAction(entryFor("LtPopDruckUebersicht", QStringLiteral("Leiter-Übersicht"),
                                   action(QStringLiteral("MDateiDruckUebersicht"))));
    LtPopDruck->addAction(entryFor("LtPopDruckPruefUebersicht", QStringLiteral("Prüf-Übersicht"),
                                   action(QStringLiteral("MDateiDruckPruefUebersicht"))));
    LtPopupMenu->addMenu(LtPopDruck);
    m_actions.insert(QStringLiteral("LtPopDruck"), LtPopDruck->menuAction());

    // Drop-down of "Suchen".
    LtPopupSuch = makeMenu("LtPopupSuch", QString(), m_window);
    LtPopupSuch->addAction(action(QStringLiteral("ActSuchTextFolge")));
    LtPopupSuch->setDefaultAction(action(QStringLiteral("ActSuchTextFolge")));
    LtPopupSuch->addAction(entryFor("LtPopSuchClear", QStringLiteral("SuchTextfolge löschen .."), action(QStringLiteral("ActSuchClear"))));
    LtPopupSuch->addSeparator();
    LtPopupSuch->addAction(action(QStringLiteral("ActSuchPrior")));
    LtPopupSuch->addAction(action(QStringLiteral("ActSuchNext")));
    LtPopupSuch->addAction(action(QStringLiteral("ActSuchLast")));
    LtPopupSuch->addSeparator();
    LtPopupSuch->addAction(action(QStringLiteral("ActSuchToMark")));
    LtPopupSuch->addAction(action(QStringLiteral("ActSuchToFilter")));
    LtPopupSuch->addAction(action(QStringLiteral("ActSuchFilterClear")));

    // Drop-down of "Neu".
    LtPopupNeu = makeMenu("LtPopupNeu", QString(), m_window);
    LtPopupNeu->addAction(action(QStringLiteral("ActLeiterNeu")));
    LtPopupNeu->setDefaultAction(action(QStringLiteral("ActLeiterNeu")));
    LtPopupNeu->addAction(action(QStringLiteral("ActLeiterNeuKopieren")));

    // Drop-down of "Markieren".
    LtPopupMark = makeMenu("LtPopupMark", QString(), m_window);
    LtPopupMark->addAction(action(QStringLiteral("ActMarkChange")));
    LtPopupMark->setDefaultAction(action(QStringLiteral("ActMarkChange")));
    LtPopupMark->addAction(action(QStringLiteral("ActMarkClearAll")));
    LtPopupMark->addAction(action(QStringLiteral("ActMarkToCurrent")));
    LtPopupMark->addSeparator();
    LtPopupMark->addAction(action(QStringLiteral("ActMarkFindFirst")));
    LtPopupMark->addAction(action(QStringLiteral("ActMarkFindPrior")));
    LtPopupMark->addAction(action(QStringLiteral("ActMarkFindNext")));
    LtPopupMark->addAction(action(QStringLiteral("ActMarkFindLast")));
    LtPopupMark->addSeparator();
    LtPopupMark->addAction(action(QStringLiteral("ActMarkToFilter")));
    LtPopupMark->addAction(action(QStringLiteral("ActMarkFilterClear")));

    // Context menu of the inspection grid.
    PruefPopupMenu = makeMenu("PruefPopupMenu", QString(), m_window);
    PruefPopupMenu->addAction(later("VorschauPruefKontrollblatt", QStringLiteral("Vorschau Kontrollblatt")));
    PruefPopupMenu->addAction(later("DruckPruefKontrollblatt", QStringLiteral("Druck Kontrollblatt")));
}
