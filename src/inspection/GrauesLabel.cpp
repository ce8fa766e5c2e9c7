#include "GrauesLabel.h"

#include <QColor>
#include <QLabel>
#include <QPalette>

QLabel* grauesLabel(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    l->setPalette(p);
    return l;
}
