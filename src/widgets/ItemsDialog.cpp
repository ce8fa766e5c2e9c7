#include "ItemsDialog.h"

#include "Dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TItemsDialog::TItemsDialog(const QStringList& items, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ItemsDialog"));
    setWindowTitle(QStringLiteral("< leer >"));
    setSizeGripEnabled(true);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo"));
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_memo->setPlainText(items.join(QLatin1Char('\n')));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_memo);
    layout->addWidget(buttons);
    resize(400, 250);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QStringList TItemsDialog::items() const
{
    QStringList lines = m_memo->toPlainText().split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QStringList> TItemsDialog::edit(const QStringList& items, QWidget* parent)
{
    TItemsDialog dialog(items, parent);
    if (Dialogs::exec(&dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.items();
}
