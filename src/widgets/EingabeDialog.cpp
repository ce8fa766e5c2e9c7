#include "EingabeDialog.h"

#include "DialogFont.h"
#include "Dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <tuple>

namespace {
constexpr int kWidth = 280;

// A dialog hands the focus to its edit as if by Tab, which selects the whole text: the next key
// would replace the preset text (the first typed character of a search). The caret stays after it.
class PresetEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        if (m_first) {
            m_first = false;
            deselect();
            setCursorPosition(int(text().size()));
        }
    }

private:
    bool m_first = true;
};
} // namespace

TEingabeDialog::TEingabeDialog(const QString& caption, const QString& prompt, const QString& text, QWidget* parent)
    : QDialog(parent)
{
    setupFixedDialog(this, QStringLiteral("EingabeDialog"), caption);

    m_prompt = new QLabel(prompt, this);
    m_prompt->setObjectName(QStringLiteral("Prompt"));
    m_prompt->adjustSize();
    m_prompt->move(10, 10);

    m_edit = new PresetEdit(this);
    m_edit->setObjectName(QStringLiteral("Edit"));
    m_edit->setMaxLength(255);
    m_edit->setText(text);
    m_edit->setCursorPosition(int(m_edit->text().size()));
    m_edit->setGeometry(10, m_prompt->geometry().bottom() + 1 + 5, kWidth - 20, m_edit->sizeHint().height());

    std::tie(m_ok, m_cancel) = addOkCancelRow(this, kWidth, m_edit->geometry().bottom() + 1 + 10);
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
