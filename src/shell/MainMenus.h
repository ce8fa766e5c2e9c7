#pragma once
#include <QHash>
#include <QKeySequence>
#include <QObject>
#include <QStringList>
#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QWidget;

// The main window's menu bar, its pop-up menus and their actions, each found by its object
// name. Entries whose feature is not built yet are "pending": they exist with their caption,
// hint and shortcut and stay disabled until a handler is plugged in.
class TMainMenus : public QObject {
    Q_OBJECT
public:
    explicit TMainMenus(QMainWindow* window);

    QAction* action(const QString& name) const;            // nullptr when unknown
    QMenu* menu(const QString& name) const;
    QList<QAction*> actions() const { return m_actions.values(); }

    // Connects the handler (run with the error box on failure) and makes the entry available.
    void plug(const QString& name, std::function<void()> handler);
    void plug(QAction* action, std::function<void()> handler);
    bool isPending(const QAction* action) const;
    QStringList pendingNames() const;
    // The enabled state the window wants (rights, editing state); a pending entry stays disabled.
    void setWanted(QAction* action, bool enabled);
    void setWanted(const QString& name, bool enabled);

    QMenu* MDatei;
    QMenu* MDateiNeu;
    QMenu* MDateiDruck;
    QMenu* MBearbeiten;
    QMenu* MStammdaten;
    QMenu* MAnsicht;
    QMenu* MAnsBenutzerRechte;
    QAction* MListen;
    QMenu* MExtras;
    QMenu* MHilfe;

    QMenu* LtPopupMenu;
    QMenu* LtPopDruck;
    QMenu* LtPopupSuch;
    QMenu* LtPopupNeu;
    QMenu* LtPopupMark;
    QMenu* PruefPopupMenu;

private:
    QAction* make(const char* name, const QString& text, const QString& hint = QString(),
                  const QKeySequence& key = QKeySequence());
    QAction* later(const char* name, const QString& text, const QString& hint = QString(),
                   const QKeySequence& key = QKeySequence());
    // A menu entry with a caption of its own that runs another action and follows its state.
    QAction* entryFor(const char* name, const QString& text, QAction* target);
    QMenu* makeMenu(const char* name, const QString& title, QWidget* parent);
    void applyEnabled(QAction* action);
    void buildActions();
    void buildMainMenu();
    void buildPopups();

    QMainWindow* m_window;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
};
