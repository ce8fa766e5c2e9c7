#pragma once
#include "UserRights.h"

#include <QString>

#ifndef HW_USER_ADMINISTRATION
#define HW_USER_ADMINISTRATION 0
#endif

// Program-wide user state: who is logged in, with which rights, and how the user table is
// reached. One instance for the run; start-up and the login fill it.
struct UserState {
    // Login and user administration, fixed at build time (CMake option HW_USER_ADMINISTRATION).
    static constexpr bool UserAdministration = HW_USER_ADMINISTRATION != 0;

    static inline QString AktBenutzer = QStringLiteral("<leer>");
    static inline TUserRights AktRechte;
    static inline QString ProgrammTitel = QStringLiteral("<unbekannt>");
    // Database (alias) of the user table; empty: the table keeps its own, "Benutzer".
    static inline QString BenutzerDatenbank;
    // User names compared with regard to case.
    static inline bool NameGrossKlein = false;

    // Back to the values before start-up (tests); the rights become ResetRechte.
    static void reset();
    // The rights reset() gives: none in the program. The test support sets every right here,
    // so that tests written without a login can edit (tests/support: grantRightsForTest).
    static inline TUserRights ResetRechte;
};
