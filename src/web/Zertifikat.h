#pragma once
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>

// The server's certificate and key. When neither file exists, a self-signed certificate
// (EC P-256, valid 825 days, for the given host names and addresses) is made and written,
// the key readable by the owner only. One file without the other, or a file that does not
// read, is a HwError: silently replacing a certificate would break every phone that trusts it.
struct ServerZertifikat {
    QSslCertificate zertifikat;
    QSslKey schluessel;
    bool neu = false;      // made at this start
};
ServerZertifikat ladeOderErzeuge(const QString& zertDatei, const QString& schluesselDatei, const QStringList& namen);

// "AB:CD:..." SHA-256 of the certificate, as browsers show it.
QString fingerabdruck(const QSslCertificate& zertifikat);
