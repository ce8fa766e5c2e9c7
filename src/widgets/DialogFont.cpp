#include "DialogFont.h"

QFont smallDialogFont()
{
    QFont font(QStringLiteral("MS Sans Serif"), 8, QFont::Bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
