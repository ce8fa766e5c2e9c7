#pragma once
#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// Small fixed dialog with a label over a read-only list of lines, OK and Abbrechen.
class TListenDialog : public QDialog {
    Q_OBJECT
public:
    TListenDialog(const QString& caption, const QString& label, const QStringList& lines, QWidget* parent = nullptr);

    QLabel* label() const { return m_label; }
    QPlainTextEdit* memo() const { return m_memo; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    QLabel* m_label;
    QPlainTextEdit* m_memo;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// Shows the dialog modally (through Dialogs::exec); true on OK.
bool ListenDialog(const QString& caption, const QString& label, const QStringList& lines, QWidget* parent = nullptr);
