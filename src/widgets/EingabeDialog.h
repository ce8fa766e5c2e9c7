#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// One-line input: prompt, edit field (at most 255 characters), OK and Abbrechen.
class TEingabeDialog : public QDialog {
    Q_OBJECT
public:
    TEingabeDialog(const QString& caption, const QString& prompt, const QString& text, QWidget* parent = nullptr);

    QLabel* prompt() const { return m_prompt; }
    QLineEdit* edit() const { return m_edit; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLabel* m_prompt;
    QLineEdit* m_edit;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// Shows the dialog modally (through Dialogs::exec) with text preset and the caret after it.
// OK: true and text holds the edited text; otherwise false and text is unchanged.
bool EingabeDialog(const QString& caption, const QString& prompt, QString& text, QWidget* parent = nullptr);
