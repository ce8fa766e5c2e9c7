#pragma once
#include <QApplication>

// The application with the top-level error box: an error raised by an action is shown with
// its German text and the action ends; a silent abort shows nothing.
class HwApplication : public QApplication {
    Q_OBJECT
public:
    HwApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // German texts in Qt's own dialogs.
    void installGermanTranslations();
};
