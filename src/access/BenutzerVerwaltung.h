#pragma once
#include "UserRights.h"

#include <QObject>
#include <functional>

class Table;

// The user table (Benutzer) and what the login, the password change and the user
// administration window do with it; no window of its own, so the login can use it while
// nothing is shown.
//
// Passwords are stored as salted hashes (PasswortHash): there is no way back to the
// password. What used to read the decoded password asks instead whether the row has one
// (HatPasswort) or whether a typed one matches (PasswortPasst). The hash does not depend
// on the user name, so renaming a row keeps its password.
class BenutzerVerwaltung : public QObject {
    Q_OBJECT
public:
    // The table is on BenutzerDatenbank, or on "Benutzer" while that is empty; not opened here.
    explicit BenutzerVerwaltung(QObject* parent = nullptr);

    Table* Detail;

    // Calculated fields of the rights, in member order: BenView ... BenAdmin.
    static const QStringList& RechteFelder();

    // Positions Detail on the row with this name by its index; false when there is none.
    bool FindBenutzer(const QString& name);
    // Whether the current row holds a password.
    bool HatPasswort() const;
    // Whether a typed password matches the current row's, without regard to case.
    bool PasswortPasst(const QString& passwort) const;
    // Stores the password, trimmed, as hash in the current row; puts Detail into edit state
    // unless it is inserting. An empty password leaves the row without one.
    void SetPasswort(const QString& passwort);

    // Name found (compared as NameGrossKlein says) and password matching.
    bool CheckBenutzer(const QString& name, const QString& passwort);
    // The row's rights when CheckBenutzer holds, otherwise none.
    TUserRights BenutzerRechte(const QString& name, const QString& passwort);
    // The row's lock flag when CheckBenutzer holds, otherwise true.
    bool BenutzerGesperrt(const QString& name, const QString& passwort);
    // With name and old password matching: stores the new password and saves; true then.
    bool ChangeBenutzerPasswort(const QString& name, const QString& alt, const QString& neu);
    // The rights whose calculated field is true for the current row.
    TUserRights RechteAusDatensatz() const;

    // Puts Detail into edit state; a refusal of the engine is announced before its error.
    void Bearbeiten();
    // Saves the current row; refused when it would take the administration from the last
    // user who has it (locked or the right removed). A second user of the same name is announced in a warning box
    // and the save ends silently (Abort), the row still being edited.
    // On a server whose roles guard the register (ServerRollen) the save creates, renames,
    // locks and grants the user's role in the same transaction; the password goes to the
    // server (as its hash) instead of the row.
    void Speichern();
    // Deletes the current row (and the user's role on such a server) in one transaction.
    void Loeschen();
    // Whether the table lies on a server whose roles guard the register.
    bool AufServer() const;
    // Refuses (HwError) deleting the current row when it is the last user who can open the
    // administration: asked before the delete question, so nobody confirms a refused delete.
    void LoeschenPruefen();

    // Rights written on every save (the administration window's check boxes). Unset, a
    // save leaves the stored rights untouched.
    std::function<TUserRights()> RechteZumSpeichern;

private:
    void beforePost();
    void serverSpeichern();
    // The password typed for the role on such a server, until the save hands it over.
    QString m_serverPasswort;
    void calcFields();
    // Refuses (HwError) a save or delete of the current row that would leave the table
    // without a user who can open the administration.
    void letzterAdminBleibt(bool loeschen);
};
