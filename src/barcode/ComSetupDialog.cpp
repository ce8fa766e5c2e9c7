#include "ComSetupDialog.h"

#include "BarcodePortConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace {

QComboBox* combo(const QString& name, const QStringList& items)
{
    auto* box = new QComboBox;
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

QCheckBox* check(const QString& name, const QString& caption, bool checked)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    box->setChecked(checked);
    return box;
}

QPushButton* button(const QString& name, const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TComSetupDialog::TComSetupDialog(const ComSettings& settings, QWidget* parent) : QDialog(parent), m_start(settings)
{
    setObjectName(QStringLiteral("ComSetupDialog"));
    setWindowTitle(QStringLiteral("Communication Settings"));

    // The four ports of the classic list, then the ports this system reports (USB adapters),
    // and the port in use when it is neither.
    m_port = new QComboBox;
    m_port->setObjectName(QStringLiteral("CommPort"));
    for (int i = 1; i <= 4; ++i)
        m_port->addItem(QStringLiteral("COM %1").arg(i), QStringLiteral("COM%1").arg(i));
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (m_port->findData(info.systemLocation()) < 0)
            m_port->addItem(info.systemLocation(), info.systemLocation());
    int portIndex = m_port->findData(settings.port.trimmed().toUpper().remove(QLatin1Char(' ')));
    if (portIndex < 0)
        portIndex = m_port->findData(settings.port);
    if (portIndex < 0) {
        m_port->addItem(settings.port, settings.port);
        portIndex = m_port->count() - 1;
    }
    m_port->setCurrentIndex(portIndex);

    QStringList rates;
    for (int rate : comBaudRates())
        rates << QString::number(rate);
    m_baud = combo(QStringLiteral("BaudRate"), rates);
    if (!rates.contains(QString::number(settings.baudRate)))
        m_baud->addItem(QString::number(settings.baudRate));
    m_baud->setCurrentText(QString::number(settings.baudRate));
    m_stop = combo(QStringLiteral("StopBits"), {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")});
    m_stop->setCurrentIndex(int(settings.stopBits));
    m_data = combo(QStringLiteral("DataBits"), {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")});
    m_data->setCurrentText(QString::number(settings.dataBits));
    m_parity = combo(QStringLiteral("Parity"), {QStringLiteral("None"), QStringLiteral("Odd"), QStringLiteral("Even"),
                                                QStringLiteral("Mark"), QStringLiteral("Space")});
    m_parity->setCurrentIndex(int(settings.parity));

    auto* common = new QGroupBox(QStringLiteral("Common Settings"));
    common->setObjectName(QStringLiteral("GroupCommon"));
    auto* commonForm = new QFormLayout(common);
    commonForm->addRow(QStringLiteral("Comm Port"), m_port);
    commonForm->addRow(QStringLiteral("Baud Rate"), m_baud);
    commonForm->addRow(QStringLiteral("Stop Bits"), m_stop);
    commonForm->addRow(QStringLiteral("Data Bits"), m_data);
    commonForm->addRow(QStringLiteral("Parity"), m_parity);

    const ComFlowControl& f = settings.flow;
    m_cts = check(QStringLiteral("CtsOutput"), QStringLiteral("Cts output flow control"), f.ctsOutput);
    m_dsr = check(QStringLiteral("DsrOutput"), QStringLiteral("Dsr output flow control"), f.dsrOutput);
    m_xonOut = check(QStringLiteral("XonXoffOutput"), QStringLiteral("Xon/Xoff output flow control"), f.xonXoffOutput);
    m_xonIn = check(QStringLiteral("XonXoffInput"), QStringLiteral("Xon/Xoff input flow control"), f.xonXoffInput);
    m_rts = combo(QStringLiteral("RtsInput"), {QStringLiteral("Disable"), QStringLiteral("Enable"),
                                               QStringLiteral("Handshake"), QStringLiteral("Toggle")});
    m_rts->setCurrentIndex(int(f.rtsInput));
    m_dtr = combo(QStringLiteral("DtrInput"), {QStringLiteral("Disable"), QStringLiteral("Enable"), QStringLiteral("Handshake")});
    m_dtr->setCurrentIndex(int(f.dtrInput));

    auto* flow = new QGroupBox(QStringLiteral("Flow Control"));
    flow->setObjectName(QStringLiteral("GroupFlow"));
    auto* flowLayout = new QVBoxLayout(flow);
    flowLayout->addWidget(m_cts);
    flowLayout->addWidget(m_dsr);
    flowLayout->addWidget(m_xonOut);
    flowLayout->addWidget(m_xonIn);
    auto* lines = new QFormLayout;
    lines->addRow(QStringLiteral("Rts input flow control"), m_rts);
    lines->addRow(QStringLiteral("Dtr input flow control"), m_dtr);
    flowLayout->addLayout(lines);
    auto* presets = new QHBoxLayout;
    QPushButton* rtsCts = button(QStringLiteral("BRtsCts"), QStringLiteral("Hardware (Rts/Cts)"));
    QPushButton* dtrDsr = button(QStringLiteral("BDtrDsr"), QStringLiteral("Hardware (Dtr/Dsr)"));
    QPushButton* xonXoff = button(QStringLiteral("BXonXoff"), QStringLiteral("Software (Xon/Xoff)"));
    QPushButton* clear = button(QStringLiteral("BClearAll"), QStringLiteral("Clear all"));
    for (QPushButton* b : {rtsCts, dtrDsr, xonXoff, clear})
        presets->addWidget(b);
    flowLayout->addLayout(presets);
    connect(rtsCts, &QPushButton::clicked, this, &TComSetupDialog::presetRtsCts);
    connect(dtrDsr, &QPushButton::clicked, this, &TComSetupDialog::presetDtrDsr);
    connect(xonXoff, &QPushButton::clicked, this, &TComSetupDialog::presetXonXoff);
    connect(clear, &QPushButton::clicked, this, &TComSetupDialog::clearAll);

    QPushButton* ok = button(QStringLiteral("BOK"), QStringLiteral("OK"));
    QPushButton* cancel = button(QStringLiteral("BCancel"), QStringLiteral("Cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(common);
    groups->addWidget(flow);
    layout->addLayout(groups);
    layout->addLayout(buttons);
}

ComSettings TComSetupDialog::settings() const
{
    ComSettings s = m_start;
    s.port = m_port->currentData().toString();
    s.baudRate = m_baud->currentText().toInt();
    s.stopBits = ComStopBits(m_stop->currentIndex());
    s.dataBits = m_data->currentText().toInt();
    s.parity = ComParity(m_parity->currentIndex());
    s.flow.ctsOutput = m_cts->isChecked();
    s.flow.dsrOutput = m_dsr->isChecked();
    s.flow.xonXoffOutput = m_xonOut->isChecked();
    s.flow.xonXoffInput = m_xonIn->isChecked();
    s.flow.rtsInput = ComRtsControl(m_rts->currentIndex());
    s.flow.dtrInput = ComDtrControl(m_dtr->currentIndex());
    return s;
}

void TComSetupDialog::presetRtsCts()
{
    m_rts->setCurrentIndex(int(ComRtsControl::Handshake));
    m_cts->setChecked(true);
}

void TComSetupDialog::presetDtrDsr()
{
    m_dtr->setCurrentIndex(int(ComDtrControl::Handshake));
    m_dsr->setChecked(true);
}

void TComSetupDialog::presetXonXoff()
{
    m_xonOut->setChecked(true);
    m_xonIn->setChecked(true);
}

void TComSetupDialog::clearAll()
{
    for (QCheckBox* box : {m_cts, m_dsr, m_xonOut, m_xonIn})
        box->setChecked(false);
    m_rts->setCurrentIndex(int(ComRtsControl::Disable));
    m_dtr->setCurrentIndex(int(ComDtrControl::Disable));
}
