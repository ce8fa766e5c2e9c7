#include "Zertifikat.h"

#include "Errors.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QSaveFile>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace {

template<class T, void (*F)(T*)>
struct Frei {
    void operator()(T* p) const { F(p); }
};
using PKey = std::unique_ptr<EVP_PKEY, Frei<EVP_PKEY, EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Frei<X509, X509_free>>;
using Bio = std::unique_ptr<BIO, Frei<BIO, BIO_free_all>>;

[[noreturn]] void fehler(const QString& was)
{
    throw HwError(QStringLiteral("Das Zertifikat des Web-Servers kann nicht erzeugt werden (%1).").arg(was));
}

QByteArray bioText(BIO* b)
{
    char* data = nullptr;
    const long n = BIO_get_mem_data(b, &data);
    return QByteArray(data, int(n));
}

void schreibe(const QString& datei, const QByteArray& inhalt, QFile::Permissions rechte)
{
    QDir().mkpath(QFileInfo(datei).absolutePath());
    QSaveFile f(datei);
    if (!f.open(QIODevice::WriteOnly))
        throw HwError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(datei, f.errorString()));
    f.setPermissions(rechte);
    f.write(inhalt);
    if (!f.commit())
        throw HwError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(datei, f.errorString()));
}

void erzeuge(const QString& zertDatei, const QString& schluesselDatei, const QStringList& namen)
{
    PKey key(EVP_EC_gen("P-256"));
    if (!key)
        fehler(QStringLiteral("Schlüssel"));
    Cert x(X509_new());
    X509_set_version(x.get(), 2);
    unsigned char serial[16];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7F;
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(x.get()));
    BN_free(bn);
    X509_gmtime_adj(X509_getm_notBefore(x.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x.get()), 825L * 24 * 3600);
    X509_set_pubkey(x.get(), key.get());
    X509_NAME* name = X509_get_subject_name(x.get());
    const QByteArray cn = (namen.isEmpty() ? QStringLiteral("holmwacht") : namen.first()).toUtf8().left(64);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Holmwacht"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(cn.constData()), -1, -1, 0);
    X509_set_issuer_name(x.get(), name);

    QStringList alt;
    for (const QString& n : namen) {
        QHostAddress a;
        const QString e = (a.setAddress(n) ? QStringLiteral("IP:") : QStringLiteral("DNS:")) + n;
        if (!alt.contains(e))
            alt << e;
    }
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, x.get(), x.get(), nullptr, nullptr, 0);
    const QList<QPair<int, QByteArray>> ext = {{NID_subject_alt_name, alt.join(QLatin1Char(',')).toLatin1()},
                                               {NID_basic_constraints, "critical,CA:FALSE"},
                                               {NID_key_usage, "critical,digitalSignature"},
                                               {NID_ext_key_usage, "serverAuth"}};
    for (const auto& [nid, value] : ext) {
        if (value.isEmpty())
            continue;
        X509_EXTENSION* e = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.constData());
        if (!e)
            fehler(QStringLiteral("Erweiterung"));
        X509_add_ext(x.get(), e, -1);
        X509_EXTENSION_free(e);
    }
    if (!X509_sign(x.get(), key.get(), EVP_sha256()))
        fehler(QStringLiteral("Signatur"));

    Bio kb(BIO_new(BIO_s_mem()));
    Bio cb(BIO_new(BIO_s_mem()));
    if (!PEM_write_bio_PrivateKey(kb.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) ||
        !PEM_write_bio_X509(cb.get(), x.get()))
        fehler(QStringLiteral("PEM"));
    schreibe(schluesselDatei, bioText(kb.get()), QFile::ReadOwner | QFile::WriteOwner);
    schreibe(zertDatei, bioText(cb.get()), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

QByteArray lies(const QString& datei)
{
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly))
        throw HwError(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(datei, f.errorString()));
    return f.readAll();
}

} // namespace

ServerZertifikat ladeOderErzeuge(const QString& zertDatei, const QString& schluesselDatei, const QStringList& namen)
{
    ServerZertifikat r;
    const bool z = QFileInfo::exists(zertDatei);
    const bool s = QFileInfo::exists(schluesselDatei);
    if (z != s)
        throw HwError(QStringLiteral("Zertifikat %1 und Schlüssel %2 gehören zusammen: eine der beiden Dateien fehlt. "
                                     "Bitte die fehlende ergänzen oder beide entfernen (dann wird ein neues "
                                     "Zertifikat erzeugt).")
                          .arg(zertDatei, schluesselDatei));
    if (!z) {
        erzeuge(zertDatei, schluesselDatei, namen);
        r.neu = true;
    }
    const QList<QSslCertificate> certs = QSslCertificate::fromData(lies(zertDatei), QSsl::Pem);
    if (certs.isEmpty() || certs.first().isNull())
        throw HwError(QStringLiteral("Die Datei %1 enthält kein Zertifikat im PEM-Format.").arg(zertDatei));
    r.zertifikat = certs.first();
    const QByteArray keyPem = lies(schluesselDatei);
    for (QSsl::KeyAlgorithm alg : {QSsl::Ec, QSsl::Rsa}) {
        r.schluessel = QSslKey(keyPem, alg, QSsl::Pem);
        if (!r.schluessel.isNull())
            break;
    }
    if (r.schluessel.isNull())
        throw HwError(QStringLiteral("Die Datei %1 enthält keinen privaten Schlüssel im PEM-Format (oder einen mit "
                                     "Passwort geschützten).")
                          .arg(schluesselDatei));
    // A key of another certificate would let the server start and every phone fail at the
    // handshake: refused here, with the files named.
    const QByteArray certPem = r.zertifikat.toPem();
    Bio cb(BIO_new_mem_buf(certPem.constData(), int(certPem.size())));
    Cert x(PEM_read_bio_X509(cb.get(), nullptr, nullptr, nullptr));
    const QByteArray schluesselPem = r.schluessel.toPem();
    Bio kb(BIO_new_mem_buf(schluesselPem.constData(), int(schluesselPem.size())));
    PKey key(PEM_read_bio_PrivateKey(kb.get(), nullptr, nullptr, nullptr));
    if (!x || !key || X509_check_private_key(x.get(), key.get()) != 1)
        throw HwError(QStringLiteral("Der Schlüssel %1 gehört nicht zum Zertifikat %2. Bitte die passenden Dateien "
                                     "eintragen oder beide entfernen (dann wird ein neues Zertifikat erzeugt).")
                          .arg(schluesselDatei, zertDatei));
    return r;
}

QString fingerabdruck(const QSslCertificate& zertifikat)
{
    const QByteArray hex = zertifikat.digest(QCryptographicHash::Sha256).toHex().toUpper();
    QStringList paare;
    for (int i = 0; i < hex.size(); i += 2)
        paare << QString::fromLatin1(hex.mid(i, 2));
    return paare.join(QLatin1Char(':'));
}
