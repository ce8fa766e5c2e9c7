#pragma once
#include <QDialog>
#include <QStringList>
#include <optional>

class QPlainTextEdit;

// Resizable text dialog that edits a list, one entry per line ("< leer >", 400 x 250).
class TItemsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TItemsDialog(const QStringList& items, QWidget* parent = nullptr);

    QPlainTextEdit* memo() const { return m_memo; }
    // The lines as they stand; empty lines at the end are dropped.
    QStringList items() const;

    // Modal through Dialogs::exec: the edited list on OK, nothing on Cancel.
    static std::optional<QStringList> edit(const QStringList& items, QWidget* parent = nullptr);

private:
    QPlainTextEdit* m_memo;
};
