#pragma once
#include <QString>

// Passwords (users' and tables') are kept only as salted, deliberately slow hashes (Argon2id
// through libsodium) of the trimmed password in case-folded form, so that a stolen table
// yields no password and the comparison stays case-insensitive.
namespace PasswortHash {

// The text stored in Benutzer.Passwort; empty for an empty (trimmed) password.
QString erzeugen(const QString& passwort);
// Whether the typed password matches the stored text, without regard to case. An empty
// stored text, or one that is no hash, matches nothing.
bool passt(const QString& gespeichert, const QString& passwort);

}
