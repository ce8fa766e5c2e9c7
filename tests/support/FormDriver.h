#pragma once
#include <QDialog>
#include <QList>
#include <QStringList>
#include <functional>

// Drives the forms the code under test shows through Dialogs::exec, one driver each, in
// order: the form is shown and activated, the driver presses keys on whatever has the focus,
// and the form's result is what the keys left. A form without a driver is cancelled.
class FormDriver {
public:
    using Drive = std::function<void(QDialog*)>;
    FormDriver();
    ~FormDriver();
    FormDriver& then(Drive drive);
    // Keys go to the focus widget of the form being driven (else the application's).
    // Types into the focused widget, then presses Enter (an empty text: Enter only).
    static Drive enter(const QStringList& texts);
    static void type(const QString& text);
    static void key(int key);
    static QString focusName();

    QStringList titles;         // window titles of the forms shown, in order
    int undriven = 0;

    int drive(QDialog* dialog);

private:
    QList<Drive> m_drives;
    FormDriver* m_prev;
};
