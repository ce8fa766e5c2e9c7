#pragma once
#include <QObject>

class QToolButton;
class QStackedWidget;
class QWidget;
class TPruefungsSeite;

// The display switch "erweiterte Prüfungen" (SpBDetailNeu) and the page mapping of the
// main window's tabs. The main window owns the button, the tab bar and the page stack.
class TPruefAnzeige : public QObject {
    Q_OBJECT
public:
    // Pages of the stack: 0 general, 1 simple criteria, 2 extended criteria, 3 inspection
    // list, 4 description.
    static int seiteFuerTab(int tabIndex, bool erweitert);
    // The toggle button, down at start.
    static QToolButton* erzeugeSpBDetailNeu(QWidget* parent);

    TPruefAnzeige(QToolButton* spBDetailNeu, TPruefungsSeite* pruefSeite, QStackedWidget* seiten,
                  QObject* parent = nullptr);
    bool erweitert() const;
    // Shows the page of a tab; connect the tab bar's currentChanged/tabBarClicked here.
    void tabGeklickt(int tabIndex);

    // SpBDetailNeuClick; also run once at construction.
    void SpBDetailNeuClick();

signals:
    void erweitertChanged(bool on);

private:
    QToolButton* m_button;
    TPruefungsSeite* m_seite;
    QStackedWidget* m_seiten;
};
