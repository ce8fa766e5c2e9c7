#include "PruefAnzeige.h"

#include "PruefungsSeite.h"

#include <QStackedWidget>
#include <QToolButton>

int TPruefAnzeige::seiteFuerTab(int tabIndex, bool erweitert)
{
    if (tabIndex <= 0)
        return 0;
    if (tabIndex == 1)
        return erweitert ? 2 : 1;
    return tabIndex + 1;
}

QToolButton* TPruefAnzeige::erzeugeSpBDetailNeu(QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QStringLiteral("SpBDetailNeu"));
    b->setText(QStringLiteral("erweiterte Prüfungen"));
    b->setToolTip(QStringLiteral("Schalter muss eingerastet bleiben"));
    b->setCheckable(true);
    b->setChecked(true);
    return b;
}

TPruefAnzeige::TPruefAnzeige(QToolButton* button, TPruefungsSeite* seite, QStackedWidget* seiten, QObject* parent)
    : QObject(parent), m_button(button), m_seite(seite), m_seiten(seiten)
{
    connect(button, &QToolButton::toggled, this, [this] { SpBDetailNeuClick(); });
    SpBDetailNeuClick();
}

bool TPruefAnzeige::erweitert() const { return m_button->isChecked(); }

void TPruefAnzeige::tabGeklickt(int tabIndex)
{
    if (m_seiten)
        m_seiten->setCurrentIndex(seiteFuerTab(tabIndex, erweitert()));
}

void TPruefAnzeige::SpBDetailNeuClick()
{
    if (m_seite)
        m_seite->setErweitert(erweitert());
    emit erweitertChanged(erweitert());
}
