#pragma once

class Table;
class TUserControl;
class QWidget;

// The four ways of the checklist dialog on the current ladder or its current inspection.
// Whatever fails after the dialog was made (a refused right, an engine error) leaves the
// record as it was: nothing is saved and no choice of the dialog remains.
namespace PruefKriterienWege {

// "Detail-Liste": the ladder's extended required criteria and its other-text; left in edit.
// True on OK.
bool DetailListe(Table& leiter, TUserControl& rights, QWidget* parent);
// "Pruef.-Setzen": required criteria of the current inspection (a new one on a ladder
// without inspections); left in edit or insert state.
bool PruefSetzen(Table& leiter, Table& pruef, QWidget* parent);
// "Erl.-Setzen": done criteria of the current inspection; left in edit or insert state.
bool ErlSetzen(Table& leiter, Table& pruef, QWidget* parent);
// "Autom. Erl.-Setzen": every required criterion done, without dialog, and saved.
void AutomErlSetzen(Table& leiter, Table& pruef, QWidget* parent);

}
