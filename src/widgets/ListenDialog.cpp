#include "ListenDialog.h"

#include "DialogFont.h"
#include "Dialogs.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <tuple>

TListenDialog::TListenDialog(const QString& caption, const QString& label, const QStringList& lines, QWidget* parent)
    : QDialog(parent)
{
    setupFixedDialog(this, QStringLiteral("ListenDialog"), caption);

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

    std::tie(m_ok, m_cancel) = addOkCancelRow(this, memoW + 20, m_memo->geometry().bottom() + 1 + 10);
}

bool ListenDialog(const QString& caption, const QString& label, const QStringList& lines, QWidget* parent)
{
    TListenDialog dialog(caption, label, lines, parent);
    return Dialogs::exec(&dialog) == QDialog::Accepted;
}
