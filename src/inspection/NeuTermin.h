#pragma once
#include <QDate>
#include <QVariant>
#include <optional>

class DataSet;

// Due dates from the interval of an inspection kind, on day numbers.
namespace NeuTermin {

// The empty date value of the register: a ladder without inspection counts from here.
inline QDate leeresDatum() { return QDate(1899, 12, 30); }

struct Intervall {
    int jahre = 0;
    int monate = 0;
    int tage = 0;
};

// Years and months in one step with the day clamped to the month's end, then the days.
// Empty base date: the empty date value. No result (invalid) when the base date or the
// date after the years and months lies outside 1600 to 3999: a due date made up from
// nothing would be worse than none.
std::optional<QDate> addiere(const QDate& basis, const Intervall& intervall);

// The date the interval leads to without the range check: the date to name when addiere has
// no result (the base date itself when that is already outside the range).
QDate ohneGrenzen(const QDate& basis, const Intervall& intervall);

struct Ergebnis {
    bool gefunden = false;   // the kind exists in PR_TAB
    bool gueltig = true;     // the date could be computed
    QDate termin;            // the base date when not found
    QDate ausserhalb;        // not gueltig: the date outside 1600 to 3999
};

// BerechneNeuTermin: kind is a PR_TAB Nr, looked up in the given cursor on PR_TAB
// (empty Jahre, Monate, Tage count as 0).
Ergebnis BerechneNeuTermin(DataSet& prTab, const QVariant& art, const QDate& basis);

}
