#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;
class QDialog;
class QPrinter;

// Every modal interaction goes through here, so tests can script the next answer
// instead of a window waiting for a person.
//
// Test use:
//   Dialogs::setTestMode(true);
//   Dialogs::scriptAnswer(true);            // next question answered "Ja" / OK
//   Dialogs::scriptText("4711");            // next input box returns "4711" (OK)
//   ... run the code ...
//   QCOMPARE(Dialogs::shown().last().text, "Programm beenden?");
// In test mode a dialog without a scripted answer is recorded as unscripted, answered
// No / Cancel and never blocks.
class Dialogs {
public:
    enum class Kind { Question, Information, Warning, Error, Input, OpenFile, SaveFile, Print, PageSetup, Form };

    struct Shown {
        Kind kind;
        QString caption;
        QString text;
        bool scripted;
        bool defaultNo = false;     // a question with "&Nein" as its default button
    };

    // Yes/No confirmation with "&Ja" and "&Nein"; true on Ja.
    static bool question(QWidget* parent, const QString& text, const QString& caption = QString());
    // The same with "&Nein" as the default button, for questions whose hasty Enter would destroy
    // data (every delete question).
    static bool questionDefaultNo(QWidget* parent, const QString& text, const QString& caption = QString());
    // Yes/No/Cancel ("&Ja", "&Nein", "Abbrechen"): true on Ja, false on Nein, empty on Cancel.
    // Scripted: scriptAnswer(true/false) for Ja/Nein, scriptCancel() for Cancel.
    static std::optional<bool> questionYesNoCancel(QWidget* parent, const QString& text,
                                                   const QString& caption = QString());
    static void information(QWidget* parent, const QString& text, const QString& caption = QString());
    static void warning(QWidget* parent, const QString& text, const QString& caption = QString());
    static void error(QWidget* parent, const QString& text, const QString& caption = QString());

    // One-line input box; the proposal is preset. Empty optional on Cancel.
    static std::optional<QString> input(QWidget* parent, const QString& caption, const QString& prompt,
                                        const QString& proposal);

    // File dialogs; empty text on Cancel. filter in Qt form ("Reportdatei (*.QRP)").
    static QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter);
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                const QString& filter, const QString& defaultSuffix);

    // Printer selection and page set-up on the platform's dialogs; true on OK.
    static bool printDialog(QWidget* parent, QPrinter* printer);
    static bool pageSetupDialog(QWidget* parent, QPrinter* printer);

    // Runs a form modally (QDialog::exec) or hands it to the test's form hook.
    // Returns the dialog's result code.
    static int exec(QDialog* dialog);

    // --- test hooks ---
    static void setTestMode(bool on);
    static bool testMode();
    static void scriptAnswer(bool accept);                 // question, message, print, page set-up
    static void scriptText(const QString& text);           // input / file dialogs: accept with text
    static void scriptCancel();                            // input / file dialogs: cancel
    // Called with the form instead of exec(); returns the result code (QDialog::Accepted ...).
    static void setFormHook(std::function<int(QDialog*)> hook);
    static const QList<Shown>& shown();
    static QStringList shownTexts();
    static int unscriptedCount();
    static void reset();                                   // clears scripts, log and hook
};
