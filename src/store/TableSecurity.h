#pragma once
#include <QList>
#include <QString>
#include <QStringList>

class Backend;

// Protection of a table by passwords, kept by the store itself because the databases have
// none of their own: a master password opens the table with all rights, an auxiliary
// password with the rights of its descriptor. Only salted, slow hashes are stored.
//
// This guards the table against the program's own paths (every cursor); it does not keep
// someone who can open the database file or log into the server from changing the rows.

// What an auxiliary password allows on the table as a whole.
enum class TableRight { ReadOnly, Modify /* read all rows, change existing ones */, Full };

struct SecurityDescriptor {
    QString password;
    TableRight tableRight = TableRight::ReadOnly;
    // Fields the password may change (names without regard to case); all others are read only.
    QStringList writableFields;
};

// What the cursor that opened a table may do with it.
struct TableAccess {
    bool full = true;                   // master password, or the table is not protected
    TableRight right = TableRight::Full;
    QStringList writableFields;         // for an auxiliary password

    bool canInsert() const { return full || right == TableRight::Full; }
    bool canDelete() const { return full || right == TableRight::Full; }
    bool canModify() const { return full || right != TableRight::ReadOnly; }
    bool canWrite(const QString& field) const;
};

namespace TableSecurity {

bool isProtected(Backend& db, const QString& table);
// The access the engine's password list gives. When no password fits, the engine's
// password-request hook is asked; it may add a password and ask for another try. Declined:
// EngineError InsufficientRights.
TableAccess accessFor(Backend& db, const QString& table);
// Replaces the table's protection in one transaction.
void protect(Backend& db, const QString& table, const QString& master, const QList<SecurityDescriptor>& aux);
void unprotect(Backend& db, const QString& table);

}
