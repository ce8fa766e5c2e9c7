#pragma once
#include <QIcon>
#include <QWidget>
#include <functional>

class QAction;
class QMenu;
class QToolButton;

// A button with a narrow arrow button at its right edge that opens a pop-up menu.
// The main button opens the menu too (ButtonPopUp), runs its action (ButtonAction), clicks the
// menu's default entry (ButtonDefaultPopUp) or calls OnButtonClick, the first that applies.
class TVekPopUpControl : public QWidget {
    Q_OBJECT
public:
    enum TPopUpPlace { ppRight, ppDown };
    Q_ENUM(TPopUpPlace)

    explicit TVekPopUpControl(QWidget* parent = nullptr);

    QString Caption() const;
    void setCaption(const QString& caption);
    QIcon Glyph() const;
    void setGlyph(const QIcon& glyph);
    QMenu* PopupMenu() const { return m_menu; }
    void setPopupMenu(QMenu* menu) { m_menu = menu; }
    bool PopUpVisible() const { return m_popUpVisible; }
    void setPopUpVisible(bool on);
    TPopUpPlace PopUpPlace() const { return m_place; }
    void setPopUpPlace(TPopUpPlace place) { m_place = place; }
    int PopUpWidth() const { return m_popUpWidth; }
    void setPopUpWidth(int width);
    int Space() const { return m_space; }
    void setSpace(int space);
    bool ButtonPopUp() const { return m_buttonPopUp; }
    void setButtonPopUp(bool on) { m_buttonPopUp = on; }
    bool ButtonDefaultPopUp() const { return m_buttonDefaultPopUp; }
    void setButtonDefaultPopUp(bool on) { m_buttonDefaultPopUp = on; }
    QAction* ButtonAction() const { return m_action; }
    void setButtonAction(QAction* action) { m_action = action; }
    std::function<void()> OnButtonClick;

    QToolButton* mainButton() const { return m_main; }
    QToolButton* arrowButton() const { return m_arrow; }

    // Where the menu opens, in global coordinates: below the control one pixel left of it
    // (ppDown), or right of it one pixel above its top (ppRight).
    QPoint popupPosition() const;
    // Opens the menu there without waiting for it to close.
    void openPopup();

    QSize sizeHint() const override;

signals:
    void buttonClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void mainClicked();
    void placeButtons();

    QToolButton* m_main;
    QToolButton* m_arrow;
    QMenu* m_menu = nullptr;
    QAction* m_action = nullptr;
    bool m_popUpVisible = true;
    TPopUpPlace m_place = ppDown;
    int m_popUpWidth = 18;
    int m_space = 0;
    bool m_buttonPopUp = false;
    bool m_buttonDefaultPopUp = false;
};
