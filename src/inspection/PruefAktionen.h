#pragma once
#include "NeuTermin.h"

#include <QDate>
#include <functional>

class Table;
class TDataModule1;
class TUserControl;
class QWidget;

// Delete right, then "Datensatz löschen ?"; true only on Ja. The same check and question
// serve ladders and inspections.
bool DatensatzLoeschenBestaetigen(TUserControl& rights, QWidget* parent);

// The actions of the inspection page on the ladder cursor and its inspections, without the
// page's widgets (questions and messages go through Dialogs, with parent as their window).
class PruefAktionen {
public:
    PruefAktionen(Table& leiter, Table& pruef, TDataModule1& dm, TUserControl& rights, QWidget* parent = nullptr);

    // "Prüf.-Neu": a new inspection with date, kind and the 31 required flags of the ladder,
    // left in insert state.
    void PruefNeu();
    // "Neu.-Termin": true when the new inspection was created afterwards.
    bool NeuTermin();
    // The steps of "Neu.-Termin" after its question: the due date from the latest inspection
    // and the ladder's kind, saved on the ladder (modify right). artFehlt is called before the
    // save when the kind is not in PR_TAB (the due date is then the base date).
    NeuTermin::Ergebnis TerminSetzen(const std::function<void()>& artFehlt = {});
    // "Alle  setzen": every required simple criterion done; not saved.
    void AlleSetzen();
    void Speichern();
    void Abbruch();
    void Loeschen();
    // Leaves the current inspection: pending changes are saved, an untouched new or edited
    // record is dropped. A failing save throws and the record stays as it is.
    void SatzVerlassen();

    // Date of the latest inspection of the ladder (the last one in the index order); the
    // empty date value without inspection or date.
    QDate letztesPruefDatum();

private:
    Table& m_leiter;
    Table& m_pruef;
    TDataModule1& m_dm;
    TUserControl& m_rights;
    QWidget* m_parent;
};
