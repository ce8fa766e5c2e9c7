#include "ComPort.h"

#include "BarcodePortConfig.h"
#include "ComSetupDialog.h"
#include "Dialogs.h"

#include <cerrno>
#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
constexpr int kNotFound = 2, kDenied = 5, kInUse = 5, kInvalid = 87, kFailure = 31;
#else
constexpr int kNotFound = ENOENT, kDenied = EACCES, kInUse = EBUSY, kInvalid = EINVAL, kFailure = EIO;
#endif

int systemCodeFor(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return kNotFound;
    case QSerialPort::PermissionError: return kDenied;
    case QSerialPort::OpenError: return kInUse;
    case QSerialPort::UnsupportedOperationError: return kInvalid;
    default: return kFailure;
    }
}

// Qt keeps the system's error number to itself; an open that failed in the system is repeated
// to learn it. When that open succeeds, the port was refused by a lock: another program has it.
int openErrorCode(const QString& location, QSerialPort::SerialPortError error)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(location.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    if (error == QSerialPort::PermissionError)
        return kInUse;
#endif
    return systemCodeFor(error);
}

// Qt SerialPort knows RTS/CTS and Xon/Xoff in both directions; anything else cannot be set.
std::optional<QSerialPort::FlowControl> qtFlowControl(const ComFlowControl& f)
{
    const bool hardware = f.ctsOutput || f.rtsInput == ComRtsControl::Handshake;
    const bool software = f.xonXoffOutput || f.xonXoffInput;
    if (f.dsrOutput || f.dtrInput == ComDtrControl::Handshake || f.rtsInput == ComRtsControl::Toggle)
        return std::nullopt;
    if (hardware && (software || !f.ctsOutput || f.rtsInput != ComRtsControl::Handshake))
        return std::nullopt;
    if (software && !(f.xonXoffOutput && f.xonXoffInput))
        return std::nullopt;
    if (hardware)
        return QSerialPort::HardwareControl;
    if (software)
        return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

void validate(const ComSettings& s)
{
    bool ok = qtFlowControl(s.flow).has_value() && s.baudRate > 0 && s.dataBits >= 5 && s.dataBits <= 8
              && s.inputBufferSize >= 0 && !s.port.trimmed().isEmpty();
#ifndef Q_OS_WIN
    ok = ok && s.stopBits != ComStopBits::OneAndHalf;     // no 1.5 stop bits in termios
#endif
    if (!ok)
        throw ComError(ComStep::SetCommState, kInvalid);
}

QSerialPort::StopBits qtStopBits(ComStopBits s)
{
    switch (s) {
    case ComStopBits::OneAndHalf: return QSerialPort::OneAndHalfStop;
    case ComStopBits::Two: return QSerialPort::TwoStop;
    default: return QSerialPort::OneStop;
    }
}

QSerialPort::Parity qtParity(ComParity p)
{
    switch (p) {
    case ComParity::Odd: return QSerialPort::OddParity;
    case ComParity::Even: return QSerialPort::EvenParity;
    case ComParity::Mark: return QSerialPort::MarkParity;
    case ComParity::Space: return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

} // namespace

QString comStepText(ComStep step)
{
    switch (step) {
    case ComStep::Open: return QStringLiteral("Unable to open com port");
    case ComStep::WriteFile: return QStringLiteral("WriteFile function failed");
    case ComStep::ReadFile: return QStringLiteral("ReadFile function failed");
    case ComStep::InvalidAsync: return QStringLiteral("Invalid Async parameter");
    case ComStep::PurgeComm: return QStringLiteral("PurgeComm function failed");
    case ComStep::AsyncStatus: return QStringLiteral("Unable to get async status");
    case ComStep::SetCommState: return QStringLiteral("SetCommState function failed");
    case ComStep::SetCommTimeouts: return QStringLiteral("SetCommTimeouts failed");
    case ComStep::SetupComm: return QStringLiteral("SetupComm function failed");
    case ComStep::ClearCommError: return QStringLiteral("ClearCommError function failed");
    case ComStep::GetCommModemStatus: return QStringLiteral("GetCommModemStatus function failed");
    case ComStep::EscapeCommFunction: return QStringLiteral("EscapeCommFunction function failed");
    case ComStep::TransmitCommChar: return QStringLiteral("TransmitCommChar function failed");
    case ComStep::SyncMethod: return QStringLiteral("Cannot set SyncMethod while connected");
    }
    return QString();
}

ComError::ComError(ComStep step, int systemCode)
    : HwError(comStepText(step) + QStringLiteral(" (win error code: %1)").arg(systemCode), systemCode), m_step(step)
{
}

const QList<int>& comBaudRates()
{
    static const QList<int> rates = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200};
    return rates;
}

TComPort::TComPort(QObject* parent) : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] { emit RxChar(int(m_port.bytesAvailable())); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &TComPort::onError);
}

TComPort::~TComPort()
{
    // No close event to a window that is being torn down.
    m_port.blockSignals(true);
    if (m_port.isOpen())
        m_port.close();
}

void TComPort::setSettings(const ComSettings& settings)
{
    validate(settings);
    if (!m_open) {
        m_settings = settings;
        return;
    }
    if (comSystemLocation(settings.port) != systemLocation()) {
        Close();
        m_settings = settings;
        Open();
        return;
    }
    try {
        applyLine(settings);
    } catch (const ComError&) {
        try {
            applyLine(m_settings);
        } catch (const ComError&) {
        }
        throw;
    }
    m_settings = settings;
}

void TComPort::SetPort(const QString& port)
{
    ComSettings s = m_settings;
    s.port = port;
    setSettings(s);
}

void TComPort::SetBaudRate(int baudRate)
{
    ComSettings s = m_settings;
    s.baudRate = baudRate;
    setSettings(s);
}

void TComPort::SetDataBits(int dataBits)
{
    ComSettings s = m_settings;
    s.dataBits = dataBits;
    setSettings(s);
}

void TComPort::SetStopBits(ComStopBits stopBits)
{
    ComSettings s = m_settings;
    s.stopBits = stopBits;
    setSettings(s);
}

void TComPort::SetParity(ComParity parity)
{
    ComSettings s = m_settings;
    s.parity = parity;
    setSettings(s);
}

void TComPort::SetFlowControl(const ComFlowControl& flow)
{
    ComSettings s = m_settings;
    s.flow = flow;
    setSettings(s);
}

QString TComPort::systemLocation() const
{
    return comSystemLocation(m_settings.port);
}

void TComPort::Open()
{
    if (m_open)
        return;
    const QString location = systemLocation();
    m_port.setPortName(location);
    m_port.setReadBufferSize(m_settings.inputBufferSize);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
        throw ComError(ComStep::Open, openErrorCode(location, error));
    }
    try {
        applyLine(m_settings);
    } catch (const ComError&) {
        m_port.close();
        throw;
    }
    m_open = true;
    emit AfterOpen();
}

void TComPort::Close()
{
    if (!m_open)
        return;
    m_open = false;
    if (m_port.isOpen())
        m_port.close();
    emit AfterClose();
}

QString TComPort::ReadStr(int count)
{
    if (!m_open || count <= 0)
        return QString();
    const QByteArray bytes = m_port.read(count);
    if (m_port.error() == QSerialPort::ReadError) {
        m_port.clearError();
        throw ComError(ComStep::ReadFile, kFailure);
    }
    return QString::fromLatin1(bytes);
}

bool TComPort::ShowSetupDialog(QWidget* parent)
{
    TComSetupDialog dialog(m_settings, parent);
    if (Dialogs::exec(&dialog) != QDialog::Accepted)
        return false;
    setSettings(dialog.settings());
    return true;
}

void TComPort::applyLine(const ComSettings& s)
{
    const auto fail = [this] {
        const int code = systemCodeFor(m_port.error());
        m_port.clearError();
        throw ComError(ComStep::SetCommState, code);
    };
    const QSerialPort::FlowControl flow = *qtFlowControl(s.flow);
    if (!m_port.setBaudRate(s.baudRate))
        fail();
    if (!m_port.setDataBits(QSerialPort::DataBits(s.dataBits)))
        fail();
    if (!m_port.setParity(qtParity(s.parity)))
        fail();
    if (!m_port.setStopBits(qtStopBits(s.stopBits)))
        fail();
    if (!m_port.setFlowControl(flow))
        fail();
    // Best effort: USB adapters and pseudo terminals have no modem lines to set, and a
    // scanner that only sends does not need them.
    if (flow != QSerialPort::HardwareControl)
        m_port.setRequestToSend(s.flow.rtsInput == ComRtsControl::Enable);
    m_port.setDataTerminalReady(s.flow.dtrInput == ComDtrControl::Enable);
    m_port.clearError();
}

void TComPort::onError(QSerialPort::SerialPortError error)
{
    // The device went away (adapter unplugged, line hung up): Qt then reports read errors in a
    // loop. Close the port so the dialog shows it closed; later, not inside Qt's notification.
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && m_open && !m_closePending) {
        m_closePending = true;
        QMetaObject::invokeMethod(this, [this] {
            m_closePending = false;
            Close();
        }, Qt::QueuedConnection);
    }
}
