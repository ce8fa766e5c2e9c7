#pragma once
#include <QString>

// The section [Web] of tarvino.ini.
struct WebEinstellungen {
    QString adresse = QStringLiteral("0.0.0.0");     // Adresse: where the server listens
    int port = 8443;                                 // Port: HTTPS
    int httpPort = 8080;                             // HttpPort: plain HTTP, only redirects; 0: none
    QString zertifikat;                              // Zertifikat: PEM file
    QString schluessel;                              // Schluessel: PEM file of the private key
    QString baseUrl;                                 // BaseUrl: "https://leitern.firma.de:8443"
    int sitzungMinuten = 30;                         // SitzungMinuten: idle time of a session
    int verbindungen = 0;                            // Verbindungen: connections the sessions share
                                                     // (no server roles); 0: as WebApp decides
};

// Missing keys keep their defaults; a port that is no number 1..65535 is a HwError. Without
// Zertifikat or Schluessel the files are "hw_web.crt" / "hw_web.key" in standardDir.
WebEinstellungen leseWebEinstellungen(const QString& iniFile, const QString& standardDir);
