#pragma once
#include "NeuTermin.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <QVariant>

class PruefAktionen;
class Table;

// An inspection recorded in one go, as a phone records it at the ladder: the steps of
// "Prüf.-Neu" (date, kind and required criteria from the ladder), the done criteria written
// as "Erl.-Setzen" writes them, the inspection saved, then the due date as "Neu.-Termin"
// computes it. All in one transaction: whatever is refused (a right, a row changed by another
// workstation, a date out of range) leaves neither the inspection nor a new due date.
struct PruefEingabe {
    QDate datum;
    QVariant prueferId;          // PRUEFER.ID; empty: no inspector
    QSet<QString> erledigt;      // criteria found in order, named as in Schema ("Material", "Ho_Verform")
    QString bemerkung;           // the defects found and anything else worth noting; may be empty
};

struct PruefErfasst {
    int pruefId = 0;
    NeuTermin::Ergebnis termin;
};

// leiter stands on the ladder; pruef is its inspection cursor (detail of leiter). A criterion
// that the new inspection does not require is never set done. On failure both cursors are
// read again, so that they show what the database holds.
PruefErfasst pruefungErfassen(PruefAktionen& aktionen, Table& leiter, Table& pruef, const PruefEingabe& eingabe);
