#include "PruefungErfassen.h"

#include "Backend.h"
#include "Engine.h"
#include "Errors.h"
#include "PruefAktionen.h"
#include "Schema.h"
#include "Table.h"

#include <optional>

PruefErfasst pruefungErfassen(PruefAktionen& aktionen, Table& leiter, Table& pruef, const PruefEingabe& eingabe)
{
    if (!eingabe.datum.isValid())
        throw HwError(QStringLiteral("Bitte ein gültiges Prüfdatum angeben."));
    PruefErfasst r;
    std::optional<Transaction> t;
    t.emplace(Engine::instance().backend(leiter.alias()));
    try {
        aktionen.PruefNeu();
        pruef.setValue(QStringLiteral("Datum"), eingabe.datum);
        pruef.setValue(QStringLiteral("Pruefer_ID"), eingabe.prueferId);
        for (const QStringList* list : {&Schema::simpleCriteria(), &Schema::extendedCriteria()})
            for (const QString& c : *list)
                if (pruef.field(Schema::requiredColumn(c)).asBoolean())
                    pruef.setValue(Schema::doneColumn(c), eingabe.erledigt.contains(c));
        if (!eingabe.bemerkung.trimmed().isEmpty())
            pruef.setValue(QStringLiteral("Bemerkung"), eingabe.bemerkung);
        pruef.post();
        r.pruefId = pruef.field(QStringLiteral("ID")).asInteger();
        r.termin = aktionen.TerminSetzen();
        t->commit();
    } catch (...) {
        if (pruef.isEditing())
            pruef.cancel();
        if (leiter.isEditing())
            leiter.cancel();
        // The saved inspection goes with the transaction; then the shared rows forget it.
        t.reset();
        try {
            pruef.refresh();
            leiter.refresh();
        } catch (...) {
        }
        throw;
    }
    return r;
}
