#include "NeuTermin.h"

#include "DataSet.h"
#include "DateRoutines.h"
#include "Table.h"

#include <optional>

namespace NeuTermin {

std::optional<QDate> addiere(const QDate& basisIn, const Intervall& iv)
{
    const QDate basis = basisIn.isValid() ? basisIn : leeresDatum();
    int n = TagNummer(basis);
    if (n == DayNumber::Invalid)
        return std::nullopt;
    n = AddiereMonateJahre(n, iv.monate, iv.jahre);
    if (n == DayNumber::Invalid)
        return std::nullopt;
    QDate result = DatumAusTagNummer(n);
    if (!result.isValid())
        return std::nullopt;
    if (iv.tage != 0)
        result = result.addDays(iv.tage);
    if (TagNummer(result) == DayNumber::Invalid)
        return std::nullopt;
    return result;
}

QDate ohneGrenzen(const QDate& basisIn, const Intervall& iv)
{
    const QDate basis = basisIn.isValid() ? basisIn : leeresDatum();
    if (TagNummer(basis) == DayNumber::Invalid)
        return basis;
    // QDate clamps the day to the end of the target month as the day numbers do.
    return basis.addMonths(iv.jahre * 12 + iv.monate).addDays(iv.tage);
}

Ergebnis BerechneNeuTermin(DataSet& prTab, const QVariant& art, const QDate& basis)
{
    Ergebnis e;
    e.termin = basis.isValid() ? basis : leeresDatum();
    // Another workstation may have added the kind since the cursor was read.
    if (auto* t = qobject_cast<Table*>(&prTab))
        t->refreshIfChanged();
    const QString nr = QStringLiteral("Nr");
    if (!art.isValid() || !prTab.lookup(nr, {art}, nr).isValid())
        return e;
    e.gefunden = true;
    const Intervall iv{prTab.lookup(nr, {art}, QStringLiteral("Jahre")).toInt(),
                       prTab.lookup(nr, {art}, QStringLiteral("Monate")).toInt(),
                       prTab.lookup(nr, {art}, QStringLiteral("Tage")).toInt()};
    const std::optional<QDate> d = addiere(e.termin, iv);
    if (!d) {
        e.gueltig = false;
        e.ausserhalb = ohneGrenzen(e.termin, iv);
        return e;
    }
    e.termin = *d;
    return e;
}

}
