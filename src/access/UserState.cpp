#include "UserState.h"

void UserState::reset()
{
    AktBenutzer = QStringLiteral("<leer>");
    AktRechte = ResetRechte;
    ProgrammTitel = QStringLiteral("<unbekannt>");
    BenutzerDatenbank.clear();
    NameGrossKlein = false;
}
