#include "UserState.h"

void UserState::reset()
{
    AktBenutzer = QStringLiteral("<leer>");
    AktRechte = TUserRights();
    ProgrammTitel = QStringLiteral("<unbekannt>");
    BenutzerDatenbank.clear();
    NameGrossKlein = false;
}
