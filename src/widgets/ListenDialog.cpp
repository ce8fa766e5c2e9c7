#include "ListenDialog.h"

#include "DialogFont.h"
#include "Dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int kButtonW = 77;
constexpr int kButtonH = 27;
}

TListenDialog::TListenDialog(const QString& caption, const QString& label, const QStringList& lines, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ListenDialog"));
    setWindowTitle(caption);
    setFont(smallDialogFont());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    m_label = new QLabel(label, this);
    m_label->setObjectName(QStringLiteral("Label"));
    m_label->adjustSize();
    m_label->move(10, 10);

    const QFontMetrics fm(font());
    int widest = 0;
    for (const QString& line : lines)
        widest = qMax(widest, fm.horizontalAdvance(line));
    const int memoW = qMax(285, widest + 25);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setPlainText(lines.join(QLatin1Char('\n')));
    m_memo->setGeometry(10, m_label->geometry().bottom() + 1 + 5, memoW, 100);

    const int clientW = memoW + 20;
    const int buttonsY = m_memo->geometry().bottom() + 1 + 10;
    const int left = (clientW - (2 * kButtonW + 10)) / 2;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setDefault(true);
    m_ok->setGeometry(left, buttonsY, kButtonW, kButtonH);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    m_cancel->setGeometry(left + kButtonW + 10, buttonsY, kButtonW, kButtonH);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(clientW, buttonsY + kButtonH + 10);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

bool ListenDialog(const QString& caption, const QString& label, const QStringList& lines, QWidget* parent)
{
    TListenDialog dialog(caption, label, lines, parent);
    return Dialogs::exec(&dialog) == QDialog::Accepted;
}
