#pragma once
#include "Errors.h"

#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QString>

class QWidget;

// The steps a port operation can fail in; each has the text the user sees.
enum class ComStep {
    Open, WriteFile, ReadFile, InvalidAsync, PurgeComm, AsyncStatus, SetCommState, SetCommTimeouts,
    SetupComm, ClearCommError, GetCommModemStatus, EscapeCommFunction, TransmitCommChar, SyncMethod
};
QString comStepText(ComStep step);

// "<step text> (win error code: <system error code>)"
class ComError : public HwError {
public:
    ComError(ComStep step, int systemCode);
    ComStep step() const { return m_step; }
private:
    ComStep m_step;
};

enum class ComStopBits { One, OneAndHalf, Two };
enum class ComParity { None, Odd, Even, Mark, Space };
enum class ComRtsControl { Disable, Enable, Handshake, Toggle };
enum class ComDtrControl { Disable, Enable, Handshake };

struct ComFlowControl {
    bool ctsOutput = false;
    bool dsrOutput = false;
    bool xonXoffOutput = false;
    bool xonXoffInput = false;
    ComRtsControl rtsInput = ComRtsControl::Disable;
    ComDtrControl dtrInput = ComDtrControl::Disable;
    bool operator==(const ComFlowControl&) const = default;
};

// Line parameters of a port object; the defaults are those of a new search dialog.
// Xon/Xoff use the characters 17 and 19 of the system's line discipline; reads return at once
// with what has arrived; null characters are kept (raw mode).
struct ComSettings {
    QString port = QStringLiteral("COM2");
    int baudRate = 9600;
    int dataBits = 8;
    ComStopBits stopBits = ComStopBits::One;
    ComParity parity = ComParity::None;
    ComFlowControl flow;
    int inputBufferSize = 1024;
    bool operator==(const ComSettings&) const = default;
};

// 110 … 115200, the rates the settings dialog offers.
const QList<int>& comBaudRates();

// A serial port for a scanner. Parameters take effect at the next open, or at once when open.
// Events arrive on the thread that owns the object (the user-interface thread).
class TComPort : public QObject {
    Q_OBJECT
public:
    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override;

    const ComSettings& settings() const { return m_settings; }
    // Throws ComError (SetCommState) for values the port cannot take; nothing changes then.
    void setSettings(const ComSettings& settings);
    void SetPort(const QString& port);
    void SetBaudRate(int baudRate);
    void SetDataBits(int dataBits);
    void SetStopBits(ComStopBits stopBits);
    void SetParity(ComParity parity);
    void SetFlowControl(const ComFlowControl& flow);

    // Opens with the current parameters; nothing when already open. Throws ComError; the port
    // then stays closed and AfterOpen is not sent.
    void Open();
    // Nothing when closed; sends AfterClose.
    void Close();
    bool Connected() const { return m_open; }
    QString systemLocation() const;

    // Up to count characters that have arrived, as text.
    QString ReadStr(int count);
    int InputCount() const { return int(m_port.bytesAvailable()); }

    // "Communication Settings"; applies the parameters on OK. True on OK.
    bool ShowSetupDialog(QWidget* parent);

signals:
    void AfterOpen();
    void AfterClose();
    void RxChar(int count);             // characters waiting

private:
    void applyLine(const ComSettings& s);
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    ComSettings m_settings;
    bool m_open = false;
    bool m_closePending = false;
};
