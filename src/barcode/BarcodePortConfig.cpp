#include "BarcodePortConfig.h"

#include "IniFile.h"

#include <QRegularExpression>

BarcodePortConfig& BarcodePortConfig::instance()
{
    static BarcodePortConfig config;
    return config;
}

BarcodePortConfig readBarcodePortConfig(const QString& iniFile)
{
    BarcodePortConfig config;
    const QString port = readIniValue(iniFile, QStringLiteral("Barcode"), QStringLiteral("Port")).trimmed();
    if (!port.isEmpty())
        config.startPort = port;
    for (const QString& name : comPortNames()) {
        const QString device = readIniValue(iniFile, QStringLiteral("Barcode"), name).trimmed();
        if (!device.isEmpty())
            config.devices.insert(name, device);
    }
    return config;
}

QStringList comPortNames()
{
    QStringList names;
    for (int i = 1; i <= 8; ++i)
        names << QStringLiteral("COM%1").arg(i);
    return names;
}

QString comSystemLocation(const QString& port, const BarcodePortConfig& config)
{
    static const QRegularExpression comName(QStringLiteral("^COM\\s*([1-8])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = comName.match(port.trimmed());
    if (!m.hasMatch())
        return port.trimmed();
    const QString name = QStringLiteral("COM") + m.captured(1);
    const QString configured = config.devices.value(name);
    if (!configured.isEmpty())
        return configured;
#ifdef Q_OS_WIN
    return name;
#else
    return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
#endif
}
