#include "DialogFont.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QScreen>

QFont smallDialogFont()
{
    QFont font(QStringLiteral("MS Sans Serif"), 8, QFont::Bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void setupFixedDialog(QDialog* dialog, const QString& objectName, const QString& caption)
{
    dialog->setObjectName(objectName);
    dialog->setWindowTitle(caption);
    dialog->setFont(smallDialogFont());
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

std::pair<QPushButton*, QPushButton*> addOkCancelRow(QDialog* dialog, int clientWidth, int y)
{
    constexpr int kButtonW = 77;
    constexpr int kButtonH = 27;
    const int left = (clientWidth - (2 * kButtonW + 10)) / 2;
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    ok->setGeometry(left, y, kButtonW, kButtonH);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), dialog);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(left + kButtonW + 10, y, kButtonW, kButtonH);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    dialog->setFixedSize(clientWidth, y + kButtonH + 10);
    if (QScreen* screen = QApplication::primaryScreen())
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    return {ok, cancel};
}
