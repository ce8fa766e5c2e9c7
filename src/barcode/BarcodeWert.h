#pragma once
#include <QString>
#include <QVariant>
#include <optional>

// What a ladder's label code holds, and what the barcode search makes of a scanned text.
//
// The code holds the ladder number as the search accepts it. With a base address for phones
// ([Web] BaseUrl in tarvino.ini) the QR code holds "<BaseUrl>/l/<number>", so a phone camera
// opens the ladder's page; the search takes that form as well.
namespace BarcodeWert {

// The base address of this run (no trailing slash); start-up reads it from the settings file.
QString webBasis();
void setWebBasis(const QString& url);
QString readWebBasis(const QString& iniFile);

// The ladder number as the code holds it; empty when the search could not take it (no number,
// or more digits than a scan may have).
QString leiterWert(const QVariant& nr);
// The content of a QR code for a value: the phone address when a base address is set.
QString qrInhalt(const QString& wert);

// A scanned or typed text as the search takes it: "<BaseUrl>/l/<value>" gives the value,
// anything else stays as it is.
QString suchwert(const QString& gescannt);
// The ladder number a scanned or typed text stands for, as every search takes it (F9, serial
// scanner, the phones' /l/<value>): the phone address reduced to its value, then at most nine
// characters of a number. None when the search refuses the text.
std::optional<qint32> leiterNr(const QString& gescannt);

// The text is the beginning of a phone address (a scanner's first pieces of one).
bool adresseBegonnen(const QString& text);

} // namespace BarcodeWert
