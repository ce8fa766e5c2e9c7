#include "StatusPanels.h"

#include <QLabel>

TStatusPanels::TStatusPanels(QWidget* parent) : QFrame(parent)
{
    setFixedHeight(fontMetrics().height() + 8);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QLabel* TStatusPanels::addPanel(int width, Qt::Alignment alignment)
{
    auto* l = new QLabel(this);
    l->setObjectName(QStringLiteral("StatusPanel%1").arg(m_panels.size()));
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(alignment);
    l->setTextFormat(Qt::PlainText);
    m_panels << l;
    m_widths << width;
    placePanels();
    return l;
}

void TStatusPanels::setPanelWidth(int index, int width)
{
    if (index < 0 || index >= m_widths.size())
        return;
    m_widths[index] = qMax(0, width);
    placePanels();
}

int TStatusPanels::panelWidth(int index) const { return m_widths.value(index); }

void TStatusPanels::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    emit resized();
    placePanels();
}

void TStatusPanels::placePanels()
{
    int x = 0;
    for (int i = 0; i < m_panels.size(); ++i) {
        m_panels[i]->setGeometry(x, 1, qMax(0, m_widths[i] - 2), height() - 2);
        x += m_widths[i];
    }
}
