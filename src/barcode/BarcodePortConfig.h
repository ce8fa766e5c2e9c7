#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

// Where the scanner's serial port is: the names COM1 … COM8 the dialogs show, each mapped to a
// device of this system, and the port the serial search starts with. Read from tarvino.ini:
//   [Barcode]
//   Port=/dev/ttyUSB0        port of a new serial search (a COM name or a device); COM1 if missing
//   COM3=/dev/ttyUSB1        device behind a COM name, when the platform's default does not fit
struct BarcodePortConfig {
    QString startPort = QStringLiteral("COM1");
    QHash<QString, QString> devices;            // "COM3" -> "/dev/ttyUSB1"

    // The values of this run; start-up fills them from the settings file.
    static BarcodePortConfig& instance();
};

BarcodePortConfig readBarcodePortConfig(const QString& iniFile);

// "COM1" … "COM8"
QStringList comPortNames();

// The device opened for a port name: the configured device of a COM name, else the platform's
// default (Windows: the name itself; elsewhere COMn -> /dev/ttyS<n-1>). Other names are devices.
QString comSystemLocation(const QString& port, const BarcodePortConfig& config = BarcodePortConfig::instance());
