#pragma once
#include "LeiterGrid.h"
#include "MarkListe.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTabBar;
class QToolButton;
class Table;
class TDataModule1;
class TDataSource;
class TDBNavigator;
class TDbTreeLookupComboBox;
class THelpWindow;
class TLeiterAllgemeinPage;
class TLeiterBeschreibungPage;
class TLeiterRegeln;
class TLtFirmAbt;
class TMainMenus;
class TOkCancelPanel;
class TStatusPanels;
class TUserControl;
class TVekPopUpControl;
class QUrl;

// The maker's web page and support address ("Hilfe" menu).
QUrl herstellerHomepage();
QUrl herstellerEmail();

// The main window "Leiter - Prüfungsverwaltung": the ladder register with its grid and pages,
// the menus, bars and status bar, and everything opened from it.
//
// Features built elsewhere plug in through: menus() (named actions, plug()), the ladder cursor
// leiter() and its data source leiterSource(), grid() (key handlers, row colours, context
// menu), replacePage() for the inspection pages, markListe() and updateStatusTexts().
class TLeiterVerw : public QMainWindow {
    Q_OBJECT
public:
    // The five pages of the data panel; the tab bar shows four tabs over them.
    enum Page { PageAllgemein, PagePruef, PagePruefDetail, PagePruefUebersicht, PageBeschreibung, PageCount };

    explicit TLeiterVerw(TDataModule1& dataModule, QWidget* parent = nullptr);
    ~TLeiterVerw() override;

    TDataModule1& dataModule() const { return m_dm; }
    Table* leiter() const { return m_leiter; }
    TDataSource* leiterSource() const { return m_source; }
    TLeiterGrid* grid() const { return m_grid; }
    TMainMenus* menus() const { return m_menus; }
    TLeiterRegeln* regeln() const { return m_regeln; }
    TLeiterAllgemeinPage* allgemeinPage() const { return m_allgemein; }
    TLeiterBeschreibungPage* beschreibungPage() const { return m_beschreibung; }
    TOkCancelPanel* okCancel() const { return m_okCancel; }
    TLtFirmAbt& firmAbt() const { return *m_firmAbt; }
    // The marked ladders (ID texts in marking order), handed to the report selection.
    MarkListe& markListe() { return m_markListe; }
    THelpWindow* helpWindow() const { return m_help; }

    // --- pages and tabs
    QTabBar* tabSet() const { return m_tabSet; }
    QStackedWidget* notebook() const { return m_notebook; }
    QWidget* page(int index) const;
    // Puts a page in place of the one at index (the old one is deleted); keeps the caption.
    void replacePage(int index, QWidget* page);
    // Selects a tab and shows its page.
    void selectTab(int tab);
    // Page of a tab: tab 1 shows the simple or the extended criteria by "erweiterte Prüfungen".
    int pageForTab(int tab) const;
    bool erweitertePruefungen() const;

    // --- status bar
    TStatusPanels* statusPanels() const { return m_status; }
    QLabel* statusPanel(int index) const;
    // Record counter, mark counter and filter text.
    void updateStatusTexts();

    // A control of the bars that waited for its feature (Sort, DbFilterAbt, SpBFilterAbtLoe)
    // takes part in the state display from now on.
    void setWidgetAvailable(QWidget* widget);

    // A cursor of a plugged-in page whose unsaved record counts as unsaved data when the
    // window closes (the question names it; Ja drops it with the ladder's changes).
    void addUnsavedCheck(Table* cursor);

    // --- lists and trees that other windows change
    void FillFirmenListe();
    void FillLieferantenListe();
    void reloadFirmAbt();

    // Button bar
    TDBNavigator* Nav;
    QComboBox* Sort;
    TVekPopUpControl* BNeu;
    QPushButton* BLoe;
    TVekPopUpControl* BSuch;
    QPushButton* BWeiterS;
    QPushButton* BVorschau;
    QPushButton* BDruck;
    QPushButton* BEnde;
    // Additional bar
    QToolButton* SpBDetailNeu;
    QToolButton* SpBKopieren;
    TDbTreeLookupComboBox* DbFilterAbt;
    QToolButton* SpBFilterAbtLoe;
    TVekPopUpControl* VekPopUpControl1;
    QToolButton* BFilterLoe;

public slots:
    void LeiterNeuExecute();
    void LeiterNeuFreieNrExecute();
    void LeiterNeuFreieNrAbExecute();
    void LeiterNeuFreieNrAbZeileExecute();
    void LeiterNeuKopierenExecute();
    void BOKClick();
    void BCancelClick();
    void BLoeClick();
    // Right of the rights component: menus and print permission follow the user's rights.
    void UpdateRechteMenue(TUserControl* rights);
    void LeiterStateChange();
    void Aktualisieren();
    void FensterStandard();
    void FensterMitte();
    void AnzeigeExterneNr(bool on);
    void AnzeigeFirmaAbtZuerst(bool on);

signals:
    // "erweiterte Prüfungen" switched (the inspection pages follow it).
    void erweitertePruefungenChanged(bool on);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildButtonPanel(QWidget* parent);
    void buildButtonPanelZus(QWidget* parent);
    void buildDataPanel(QWidget* parent);
    void buildStatusBar(QWidget* parent);
    void connectMenus();
    void runCommand(void (TLeiterRegeln::*command)());
    bool FormKeyDown(QKeyEvent* event, QWidget* control);
    bool DBGridLeiterKeyDown(QKeyEvent* event);
    void TabSetClick(int tab);
    void layoutStatusPanels();
    void setWidgetWanted(QWidget* widget, bool enabled);
    void showExtrasMessages(const QString& which);
    void showHelp(int context);

    TDataModule1& m_dm;
    std::unique_ptr<TLtFirmAbt> m_firmAbt;
    MarkListe m_markListe;
    Table* m_leiter = nullptr;
    TDataSource* m_source = nullptr;
    TLeiterRegeln* m_regeln = nullptr;
    TMainMenus* m_menus = nullptr;
    TLeiterGrid* m_grid = nullptr;
    TLeiterAllgemeinPage* m_allgemein = nullptr;
    TLeiterBeschreibungPage* m_beschreibung = nullptr;
    TOkCancelPanel* m_okCancel = nullptr;
    QTabBar* m_tabSet = nullptr;
    QStackedWidget* m_notebook = nullptr;
    TStatusPanels* m_status = nullptr;
    THelpWindow* m_help = nullptr;
    bool m_closing = false;
    QList<QPointer<Table>> m_unsavedChecks;
};
