#include "EingabeDialog.h"

#include "DialogFont.h"
#include "Dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int kWidth = 280;
constexpr int kButtonW = 77;
constexpr int kButtonH = 27;
}

TEingabeDialog::TEingabeDialog(const QString& caption, const QString& prompt, const QString& text, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("EingabeDialog"));
    setWindowTitle(caption);
    setFont(smallDialogFont());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    m_prompt = new QLabel(prompt, this);
    m_prompt->setObjectName(QStringLiteral("Prompt"));
    m_prompt->adjustSize();
    m_prompt->move(10, 10);

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Edit"));
    m_edit->setMaxLength(255);
    m_edit->setText(text);
    m_edit->setCursorPosition(int(m_edit->text().size()));
    m_edit->setGeometry(10, m_prompt->geometry().bottom() + 1 + 5, kWidth - 20, m_edit->sizeHint().height());

    const int buttonsY = m_edit->geometry().bottom() + 1 + 10;
    const int left = (kWidth - (2 * kButtonW + 10)) / 2;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setDefault(true);
    m_ok->setGeometry(left, buttonsY, kButtonW, kButtonH);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setGeometry(left + kButtonW + 10, buttonsY, kButtonW, kButtonH);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(kWidth, buttonsY + kButtonH + 10);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_edit->setFocus();
}

bool EingabeDialog(const QString& caption, const QString& prompt, QString& text, QWidget* parent)
{
    TEingabeDialog dialog(caption, prompt, text, parent);
    if (Dialogs::exec(&dialog) != QDialog::Accepted)
        return false;
    text = dialog.edit()->text();
    return true;
}
