#include "TVekPopUpControl.h"

#include <QAction>
#include <QMenu>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>

namespace {

// The arrow half: a button face with the style's combo-box arrow on it.
class ArrowButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter p(this);
        QStyleOptionToolButton opt;
        initStyleOption(&opt);
        opt.text.clear();
        opt.icon = QIcon();
        opt.features &= ~QStyleOptionToolButton::HasMenu;
        p.drawComplexControl(QStyle::CC_ToolButton, opt);
        QStyleOption arrow;
        arrow.initFrom(this);
        const int side = qMin(8, qMin(width(), height()) - 4);
        arrow.rect = QRect((width() - side) / 2, (height() - side) / 2, side, side);
        p.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);
    }
};

} // namespace

TVekPopUpControl::TVekPopUpControl(QWidget* parent) : QWidget(parent)
{
    m_main = new QToolButton(this);
    m_main->setObjectName(QStringLiteral("MainButton"));
    m_main->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_main->setAutoRaise(false);
    m_arrow = new ArrowButton(this);
    m_arrow->setObjectName(QStringLiteral("PopUpButton"));
    m_arrow->setFocusPolicy(Qt::NoFocus);
    connect(m_main, &QToolButton::clicked, this, [this] { mainClicked(); });
    connect(m_arrow, &QToolButton::clicked, this, [this] { openPopup(); });
    resize(120, 24);
    placeButtons();
}

QString TVekPopUpControl::Caption() const { return m_main->text(); }
void TVekPopUpControl::setCaption(const QString& caption) { m_main->setText(caption); }
QIcon TVekPopUpControl::Glyph() const { return m_main->icon(); }
void TVekPopUpControl::setGlyph(const QIcon& glyph) { m_main->setIcon(glyph); }

void TVekPopUpControl::setPopUpVisible(bool on)
{
    m_popUpVisible = on;
    placeButtons();
}

void TVekPopUpControl::setPopUpWidth(int width)
{
    m_popUpWidth = qMax(0, width);
    placeButtons();
}

void TVekPopUpControl::setSpace(int space)
{
    m_space = qMax(0, space);
    placeButtons();
}

void TVekPopUpControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeButtons();
}

void TVekPopUpControl::placeButtons()
{
    const int w = width();
    const int h = height();
    if (m_popUpVisible) {
        m_main->setGeometry(0, 0, qMax(0, w - m_popUpWidth - m_space), h);
        m_arrow->setGeometry(w - m_popUpWidth, 0, m_popUpWidth, h);
        m_arrow->show();
    } else {
        m_main->setGeometry(0, 0, w, h);
        m_arrow->hide();
    }
}

QSize TVekPopUpControl::sizeHint() const
{
    const QSize main = m_main->sizeHint();
    return QSize(main.width() + (m_popUpVisible ? m_popUpWidth + m_space : 0), qMax(24, main.height()));
}

QPoint TVekPopUpControl::popupPosition() const
{
    if (m_place == ppRight)
        return mapToGlobal(QPoint(width(), -1));
    return mapToGlobal(QPoint(-1, height()));
}

void TVekPopUpControl::openPopup()
{
    if (m_menu)
        m_menu->popup(popupPosition());
}

void TVekPopUpControl::mainClicked()
{
    if (m_buttonPopUp) {
        openPopup();
    } else if (m_action) {
        m_action->trigger();
    } else if (m_buttonDefaultPopUp && m_menu) {
        if (QAction* def = m_menu->defaultAction())
            def->trigger();
    } else {
        if (OnButtonClick)
            OnButtonClick();
        emit buttonClicked();
    }
}
