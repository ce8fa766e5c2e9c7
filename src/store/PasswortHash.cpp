#include "PasswortHash.h"

#include "Errors.h"

#include <QHash>
#include <QSet>
#include <condition_variable>
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

// Answers already found in this run: a table opened again with the same passwords does not pay
// the slow check again. Keyed by a hash under a key made at random for the run, so that the
// memory holds nothing that leads back to a password.
class VerifyCache {
public:
    VerifyCache() { randombytes_buf(m_key, sizeof m_key); }
    QByteArray key(const QByteArray& stored, const QByteArray& plain) const
    {
        unsigned char out[32];
        crypto_generichash_state st;
        crypto_generichash_init(&st, m_key, sizeof m_key, sizeof out);
        crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(stored.constData()), size_t(stored.size()));
        const unsigned char sep = 0;
        crypto_generichash_update(&st, &sep, 1);
        crypto_generichash_update(&st, reinterpret_cast<const unsigned char*>(plain.constData()), size_t(plain.size()));
        crypto_generichash_final(&st, out, sizeof out);
        return QByteArray(reinterpret_cast<const char*>(out), sizeof out);
    }
    std::mutex mutex;
    QHash<QByteArray, bool> answers;
    // Checks running now: the same question asked meanwhile (fifty phone sessions opening the
    // same tables at once) waits for that answer instead of paying the slow check again.
    QSet<QByteArray> running;
    std::condition_variable answered;

private:
    unsigned char m_key[crypto_generichash_KEYBYTES];
};

VerifyCache& cache()
{
    static VerifyCache c;
    return c;
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
    // An empty stored text is no password at all: nothing matches it, not even an empty one
    // (a row written by another tool must not open the door).
    if (gespeichert.isEmpty())
        return false;
    const QByteArray plain = folded(passwort);
    initSodium();
    const QByteArray hash = gespeichert.toLatin1();
    VerifyCache& c = cache();
    const QByteArray k = c.key(hash, plain);
    {
        std::unique_lock<std::mutex> lock(c.mutex);
        for (;;) {
            const auto it = c.answers.constFind(k);
            if (it != c.answers.constEnd())
                return it.value();
            if (!c.running.contains(k))
                break;
            c.answered.wait(lock);
        }
        c.running.insert(k);
    }
    const bool ok = crypto_pwhash_str_verify(hash.constData(), plain.constData(), quint64(plain.size())) == 0;
    {
        std::lock_guard<std::mutex> lock(c.mutex);
        c.answers.insert(k, ok);
        c.running.remove(k);
    }
    c.answered.notify_all();
    return ok;
}

}
