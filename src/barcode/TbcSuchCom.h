#pragma once
#include "TbcSuchDialog.h"

class QLabel;
class QPushButton;
class TComPort;

// Barcode search with a scanner on a serial port: every code that arrives with a trailing CR
// is searched. The dialog owns the port; it is closed whenever the dialog closes.
class TbcSuchCom : public TbcSuchDialog {
    Q_OBJECT
public:
    explicit TbcSuchCom(QWidget* parent = nullptr);

    TComPort* ComPort() const { return m_comPort; }
    // True while the port is open; after closing the dialog: the port was open then.
    bool ComAktiv() const { return m_comAktiv; }

    // Before showing: the start port at 9600 baud; when the port was open as the last search
    // closed with OK, it is opened at once (throws the port's error, the dialog is then not shown).
    void PortVorbereiten(bool bcComAktiv);

    // t without one trailing CR; a lone CR gives an empty text.
    static QString OhneEndCR(const QString& t);
    // t ends with CR.
    static bool EndetMitCR(const QString& t);

    void done(int result) override;

private:
    void B_ONOFFClick();
    void Button_SettingsClick();
    void ComPortOpen();
    void ComPortClose();
    void ComPortRxChar(int count);
    void FormClose();
    void setPanCom(const QString& text, const QColor& color);

    TComPort* m_comPort;
    QLabel* m_panCom;
    QPushButton* m_onOff;
    bool m_comAktiv = false;
    // The input so far is the beginning of a phone address still arriving.
    bool m_adresseOffen = false;
};
