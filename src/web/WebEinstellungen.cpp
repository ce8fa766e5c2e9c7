#include "WebEinstellungen.h"

#include "BarcodeWert.h"
#include "Errors.h"
#include "IniFile.h"

#include <QDir>

namespace {
int zahl(const QString& ini, const QString& key, int standard, int min, int max)
{
    const QString text = readIniValue(ini, QStringLiteral("Web"), key).trimmed();
    if (text.isEmpty())
        return standard;
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max)
        throw HwError(QStringLiteral("[Web] %1=%2 in %3 ist ungültig (erlaubt: %4 bis %5).")
                          .arg(key, text, ini)
                          .arg(min)
                          .arg(max));
    return v;
}
}

WebEinstellungen leseWebEinstellungen(const QString& ini, const QString& standardDir)
{
    WebEinstellungen w;
    const QString adresse = readIniValue(ini, QStringLiteral("Web"), QStringLiteral("Adresse")).trimmed();
    if (!adresse.isEmpty())
        w.adresse = adresse;
    w.port = zahl(ini, QStringLiteral("Port"), w.port, 1, 65535);
    w.httpPort = zahl(ini, QStringLiteral("HttpPort"), w.httpPort, 0, 65535);
    w.sitzungMinuten = zahl(ini, QStringLiteral("SitzungMinuten"), w.sitzungMinuten, 1, 24 * 60);
    w.verbindungen = zahl(ini, QStringLiteral("Verbindungen"), w.verbindungen, 0, 64);
    w.zertifikat = readIniValue(ini, QStringLiteral("Web"), QStringLiteral("Zertifikat")).trimmed();
    w.schluessel = readIniValue(ini, QStringLiteral("Web"), QStringLiteral("Schluessel")).trimmed();
    // The same address the labels' QR codes are made with.
    w.baseUrl = BarcodeWert::readWebBasis(ini);
    if (w.zertifikat.isEmpty())
        w.zertifikat = QDir(standardDir).filePath(QStringLiteral("hw_web.crt"));
    if (w.schluessel.isEmpty())
        w.schluessel = QDir(standardDir).filePath(QStringLiteral("hw_web.key"));
    return w;
}
