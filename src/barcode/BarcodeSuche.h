#pragma once
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class QWidget;
class Table;

// Run-time choices of the barcode searches: kept while the program runs, never stored.
struct BarcodeEinstellungen {
    int BcSeite = 0;
    bool BcAutoSchliessen = false;
    int BcComSeite = 0;
    bool BcComAutoSchliessen = false;
    bool BcComAktiv = false;
};

// The main window's barcode actions (F9 keyboard, F8 serial port): pending edits are ended,
// the search dialog moves the ladder cursor, and after OK the chosen page is opened.
class BarcodeSuche : public QObject {
    Q_OBJECT
public:
    // leiter: the register's ladder cursor. dialogParent: the main window.
    BarcodeSuche(Table* leiter, QWidget* dialogParent, QObject* parent = nullptr);

    // The inspection cursor whose pending changes are saved before a search.
    void setPruefungen(Table* pruefungen) { m_pruef = pruefungen; }

    // Pending changes are found by the cursors' states. Unset, the inspection cursor is posted
    // and the ladder cursor cancelled; set, these run instead (a window's own save or cancel).
    std::function<void()> savePendingInspection;
    std::function<void()> discardPendingLadder;
    // Before the dialog and after it.
    std::function<void()> focusGrid;
    // The main window's tabs: their captions, and selecting one (which shows its page). After
    // OK on a hit the tab captioned like the chosen page is selected, else tab 0.
    std::function<QStringList()> tabCaptions;
    std::function<void(int tab)> selectTab;
    // Called after the search switched the ladder cursor to number order.
    std::function<void()> numberOrderSet;

    void ActBcSuchLeiterExecute();
    void ActBcSuchComLeiterExecute();

    // The search handed to the dialogs: puts the ladder cursor in number order and on the
    // ladder with that number; not found leaves it where it was.
    bool SucheLeiterNr(const QString& code);

    BarcodeEinstellungen& einstellungen() { return m_einst; }

    // Tab of the page for Seite: the tab with that caption, 0 when there is none.
    static int tabIndexFuerSeite(const QStringList& captions, int seite);

private:
    void ausfuehren(bool seriell);
    void gridFokus();

    Table* m_leiter;
    Table* m_pruef = nullptr;
    QPointer<QWidget> m_parent;
    BarcodeEinstellungen m_einst;
};
