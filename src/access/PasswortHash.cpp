#include "PasswortHash.h"

#include "Errors.h"

#include <mutex>
#include <sodium.h>

namespace {
void initSodium()
{
    static std::once_flag once;
    static int result = 0;
    std::call_once(once, [] { result = sodium_init(); });
    if (result < 0)
        throw HwError(QStringLiteral("Verschlüsselung konnte nicht gestartet werden"));
}

QByteArray folded(const QString& passwort)
{
    return passwort.toCaseFolded().toUtf8();
}
}

namespace PasswortHash {

QString erzeugen(const QString& passwort)
{
    const QByteArray plain = folded(passwort.trimmed());
    if (plain.isEmpty())
        return QString();
    initSodium();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, plain.constData(), quint64(plain.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0)
        throw HwError(QStringLiteral("Zu wenig Speicher für das Paßwort"));
    return QString::fromLatin1(out);
}

bool passt(const QString& gespeichert, const QString& passwort)
{
    // Typed as is: spaces around a password are never stored, so they do not match.
    const QByteArray plain = folded(passwort);
    if (gespeichert.isEmpty())
        return plain.isEmpty();
    initSodium();
    const QByteArray hash = gespeichert.toLatin1();
    return crypto_pwhash_str_verify(hash.constData(), plain.constData(), quint64(plain.size())) == 0;
}

}
