#pragma once
#include <QWidget>

class QTextBrowser;

// The program's help: a German HTML page shipped inside the program, shown in a window of its
// own beside the main window. Help contexts are anchors "hc<number>" in the page.
class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    static QUrl contentsUrl();
    QTextBrowser* browser() const { return m_browser; }
    // Shows the contents page, or the part of a help context.
    void showContents();
    void showContext(int helpContext);

private:
    QTextBrowser* m_browser;
};
