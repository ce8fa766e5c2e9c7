#include "Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <deque>

namespace {

struct Scripted {
    bool accept = false;
    std::optional<QString> text;
    bool cancel = false;
};

struct State {
    bool testMode = false;
    std::deque<Scripted> script;
    QList<Dialogs::Shown> shown;
    int unscripted = 0;
    std::function<int(QDialog*)> formHook;
};

State& state()
{
    static State s;
    return s;
}

// In test mode: record the dialog and take the next scripted answer (or a refusal).
std::optional<Scripted> takeScripted(Dialogs::Kind kind, const QString& caption, const QString& text)
{
    State& s = state();
    if (!s.testMode)
        return std::nullopt;
    Scripted answer;
    bool scripted = !s.script.empty();
    if (scripted) {
        answer = s.script.front();
        s.script.pop_front();
    } else {
        ++s.unscripted;
        qWarning("Dialogs: unscripted %s", qPrintable(text.isEmpty() ? caption : text));
    }
    s.shown.append({kind, caption, text, scripted});
    return answer;
}

QString appCaption(const QString& caption)
{
    return caption.isEmpty() ? QStringLiteral("Holmwacht") : caption;
}

void messageBox(QWidget* parent, QMessageBox::Icon icon, Dialogs::Kind kind, const QString& text,
                const QString& caption)
{
    if (takeScripted(kind, caption, text))
        return;
    QMessageBox box(icon, appCaption(caption), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

namespace {
bool yesNo(QWidget* parent, const QString& text, const QString& caption, bool defaultNo)
{
    if (auto a = takeScripted(Dialogs::Kind::Question, caption, text)) {
        if (defaultNo)
            state().shown.last().defaultNo = true;
        return a->accept;
    }
    QMessageBox box(QMessageBox::Question, appCaption(caption), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(defaultNo ? no : yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}
} // namespace

bool Dialogs::question(QWidget* parent, const QString& text, const QString& caption)
{
    return yesNo(parent, text, caption, false);
}

bool Dialogs::questionDefaultNo(QWidget* parent, const QString& text, const QString& caption)
{
    return yesNo(parent, text, caption, true);
}

std::optional<bool> Dialogs::questionYesNoCancel(QWidget* parent, const QString& text, const QString& caption)
{
    if (auto a = takeScripted(Kind::Question, caption, text)) {
        // Unscripted counts as Cancel: nothing is saved or thrown away.
        if (a->cancel || !state().shown.last().scripted)
            return std::nullopt;
        return a->accept;
    }
    QMessageBox box(QMessageBox::Question, appCaption(caption), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return true;
    if (box.clickedButton() == no)
        return false;
    return std::nullopt;
}

void Dialogs::information(QWidget* parent, const QString& text, const QString& caption)
{
    messageBox(parent, QMessageBox::Information, Kind::Information, text, caption);
}

void Dialogs::warning(QWidget* parent, const QString& text, const QString& caption)
{
    messageBox(parent, QMessageBox::Warning, Kind::Warning, text, caption);
}

void Dialogs::error(QWidget* parent, const QString& text, const QString& caption)
{
    messageBox(parent, QMessageBox::Critical, Kind::Error, text, caption);
}

std::optional<QString> Dialogs::input(QWidget* parent, const QString& caption, const QString& prompt,
                                      const QString& proposal)
{
    if (auto a = takeScripted(Kind::Input, caption, prompt)) {
        if (a->text)
            return *a->text;
        if (a->accept)
            return proposal;
        return std::nullopt;
    }
    bool ok = false;
    QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, proposal, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString Dialogs::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter)
{
    if (auto a = takeScripted(Kind::OpenFile, caption, filter))
        return a->text.value_or(QString());
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString Dialogs::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                              const QString& filter, const QString& defaultSuffix)
{
    if (auto a = takeScripted(Kind::SaveFile, caption, filter))
        return a->text.value_or(QString());
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool Dialogs::printDialog(QWidget* parent, QPrinter* printer)
{
    if (auto a = takeScripted(Kind::Print, QStringLiteral("Drucken"), QString()))
        return a->accept;
    QPrintDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool Dialogs::pageSetupDialog(QWidget* parent, QPrinter* printer)
{
    if (auto a = takeScripted(Kind::PageSetup, QStringLiteral("Seite einrichten"), QString()))
        return a->accept;
    QPageSetupDialog dialog(printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

int Dialogs::exec(QDialog* dialog)
{
    State& s = state();
    if (s.testMode) {
        s.shown.append({Kind::Form, dialog->windowTitle(), dialog->objectName(), bool(s.formHook)});
        if (!s.formHook) {
            ++s.unscripted;
            qWarning("Dialogs: unscripted form %s", qPrintable(dialog->objectName()));
            return QDialog::Rejected;
        }
        return s.formHook(dialog);
    }
    return dialog->exec();
}

void Dialogs::setTestMode(bool on) { state().testMode = on; }
bool Dialogs::testMode() { return state().testMode; }
void Dialogs::scriptAnswer(bool accept) { state().script.push_back({accept, std::nullopt}); }
void Dialogs::scriptText(const QString& text) { state().script.push_back({true, text}); }
void Dialogs::scriptCancel() { state().script.push_back({false, std::nullopt, true}); }
void Dialogs::setFormHook(std::function<int(QDialog*)> hook) { state().formHook = std::move(hook); }
const QList<Dialogs::Shown>& Dialogs::shown() { return state().shown; }

QStringList Dialogs::shownTexts()
{
    QStringList texts;
    for (const Shown& s : state().shown)
        texts << s.text;
    return texts;
}

int Dialogs::unscriptedCount() { return state().unscripted; }

void Dialogs::reset()
{
    State& s = state();
    s.script.clear();
    s.shown.clear();
    s.unscripted = 0;
    s.formHook = nullptr;
}
