#include "TbcSuchCom.h"

#include "BarcodePortConfig.h"
#include "BarcodeWert.h"
#include "ComPort.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TbcSuchCom::TbcSuchCom(QWidget* parent)
    : TbcSuchDialog(QStringLiteral("Suchen nach LeiterNr mit Barcode - Scanner / Com"), parent)
{
    setObjectName(QStringLiteral("TbcSuchCom"));
    m_comPort = new TComPort(this);
    m_comPort->setObjectName(QStringLiteral("ComPort"));

    m_panCom = new QLabel;
    m_panCom->setObjectName(QStringLiteral("PanCom"));
    m_panCom->setFrameShape(QFrame::Panel);
    m_panCom->setFrameShadow(QFrame::Sunken);
    m_panCom->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_panCom->setAutoFillBackground(true);
    QPalette p = m_panCom->palette();
    p.setColor(QPalette::Window, Qt::white);
    m_panCom->setPalette(p);
    m_panCom->setText(QStringLiteral(" COM : nicht aktiv"));

    m_onOff = new QPushButton(QStringLiteral("Öffnen"));
    m_onOff->setObjectName(QStringLiteral("B_ONOFF"));
    auto* settings = new QPushButton(QStringLiteral("Einstellungen"));
    settings->setObjectName(QStringLiteral("Button_Settings"));
    for (QPushButton* b : {m_onOff, settings}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::ClickFocus);      // not in the Tab order
    }

    auto* row = new QHBoxLayout;
    row->addWidget(m_panCom, 1);
    row->addWidget(m_onOff);
    row->addWidget(settings);
    kopfBereich()->addLayout(row);

    connect(m_onOff, &QPushButton::clicked, this, &TbcSuchCom::B_ONOFFClick);
    connect(settings, &QPushButton::clicked, this, &TbcSuchCom::Button_SettingsClick);
    connect(m_comPort, &TComPort::AfterOpen, this, &TbcSuchCom::ComPortOpen);
    connect(m_comPort, &TComPort::AfterClose, this, &TbcSuchCom::ComPortClose);
    connect(m_comPort, &TComPort::RxChar, this, &TbcSuchCom::ComPortRxChar);
}

void TbcSuchCom::PortVorbereiten(bool bcComAktiv)
{
    // Both ways start on the configured scanner port, so a reopen finds the scanner where
    // the manual open found it.
    m_comPort->SetPort(BarcodePortConfig::instance().startPort);
    m_comPort->SetBaudRate(9600);
    if (bcComAktiv)
        m_comPort->Open();
}

QString TbcSuchCom::OhneEndCR(const QString& t)
{
    return EndetMitCR(t) ? t.left(t.size() - 1) : t;
}

bool TbcSuchCom::EndetMitCR(const QString& t)
{
    return !t.isEmpty() && t.back() == QLatin1Char('\r');
}

void TbcSuchCom::done(int result)
{
    FormClose();
    TbcSuchDialog::done(result);
}

void TbcSuchCom::B_ONOFFClick()
{
    geschuetzt([this] {
        if (m_comPort->Connected())
            m_comPort->Close();
        else
            m_comPort->Open();
    });
}

void TbcSuchCom::Button_SettingsClick()
{
    geschuetzt([this] { m_comPort->ShowSetupDialog(this); });
}

void TbcSuchCom::ComPortOpen()
{
    m_onOff->setText(QStringLiteral("Schließen"));
    setPanCom(QStringLiteral(" COM : aktiv"), QColor(0, 128, 0));
    m_comAktiv = true;
}

void TbcSuchCom::ComPortClose()
{
    m_onOff->setText(QStringLiteral("Öffnen"));
    setPanCom(QStringLiteral(" COM : nicht aktiv"), QColor(255, 0, 0));
    m_comAktiv = false;
}

void TbcSuchCom::ComPortRxChar(int count)
{
    geschuetzt([this, count] {
        QString t = m_comPort->ReadStr(count);
        // A piece replaces the input, as scanners send a number at once; a phone address is long
        // enough to arrive in pieces at 9600 baud, so its pieces are joined until the CR.
        if (m_adresseOffen)
            t = editSuchen()->text() + t;
        m_adresseOffen = !EndetMitCR(t) && BarcodeWert::adresseBegonnen(t);
        EingabeLoeschen();
        editSuchen()->setText(OhneEndCR(t));
        if (EndetMitCR(t))
            SucheStarten();
    });
}

void TbcSuchCom::FormClose()
{
    // The port never stays open without its dialog; ComAktiv keeps that it was open.
    if (m_comAktiv) {
        m_comPort->Close();
        m_comAktiv = true;
    }
}

void TbcSuchCom::setPanCom(const QString& text, const QColor& color)
{
    QPalette p = m_panCom->palette();
    p.setColor(QPalette::WindowText, color);
    m_panCom->setPalette(p);
    m_panCom->setText(text);
}
