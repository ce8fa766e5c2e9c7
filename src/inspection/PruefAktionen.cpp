#include "PruefAktionen.h"

#include "DataModule.h"
#include "Dialogs.h"
#include "NeuTermin.h"
#include "Schema.h"
#include "SicherSchreiben.h"
#include "Table.h"
#include "UserControl.h"

bool DatensatzLoeschenBestaetigen(TUserControl& rights, QWidget* parent)
{
    rights.CheckRight(crDelete);
    return Dialogs::questionDefaultNo(parent, QStringLiteral("Datensatz löschen ?"));
}

PruefAktionen::PruefAktionen(Table& leiter, Table& pruef, TDataModule1& dm, TUserControl& rights, QWidget* parent)
    : m_leiter(leiter), m_pruef(pruef), m_dm(dm), m_rights(rights), m_parent(parent)
{
}

void PruefAktionen::SatzVerlassen()
{
    if (!m_pruef.isEditing())
        return;
    if (m_pruef.modified())
        m_pruef.post();
    else
        m_pruef.cancel();
}

void PruefAktionen::PruefNeu()
{
    if (m_leiter.isEmpty())
        throw HwError(QStringLiteral("Keine Leiter ausgewählt"));
    SatzVerlassen();
    sicherSchreiben(
        m_pruef, [this] { m_pruef.append(); },
        [this] {
            m_pruef.setValue(QStringLiteral("Datum"), m_leiter.value(QStringLiteral("PruefTermin")));
            m_pruef.setValue(QStringLiteral("PruefungArt_ID"), m_leiter.value(QStringLiteral("PruefungArt_ID")));
            for (const QStringList* list : {&Schema::simpleCriteria(), &Schema::extendedCriteria()})
                for (const QString& c : *list)
                    m_pruef.setValue(Schema::requiredColumn(c), m_leiter.value(Schema::requiredColumn(c)));
        });
}

QDate PruefAktionen::letztesPruefDatum()
{
    SatzVerlassen();
    if (m_pruef.isEmpty())
        return NeuTermin::leeresDatum();
    m_pruef.last();
    const QDate d = m_pruef.field(QStringLiteral("Datum")).asDate();
    return d.isValid() ? d : NeuTermin::leeresDatum();
}

bool PruefAktionen::NeuTermin()
{
    if (!Dialogs::question(m_parent, QStringLiteral("Neuen Termin in Stammdaten setzen")))
        return false;
    TerminSetzen([this] { Dialogs::error(m_parent, QStringLiteral("Fehler - Eingaben waren nicht korrekt")); });
    if (!Dialogs::question(m_parent, QStringLiteral("Neuen Prüfungs-Satz anlegen")))
        return false;
    PruefNeu();
    return true;
}

NeuTermin::Ergebnis PruefAktionen::TerminSetzen(const std::function<void()>& artFehlt)
{
    if (m_leiter.isEmpty())
        throw HwError(QStringLiteral("Keine Leiter ausgewählt"));
    const QDate basis = letztesPruefDatum();
    const NeuTermin::Ergebnis e =
        NeuTermin::BerechneNeuTermin(*m_dm.SPruef, m_leiter.value(QStringLiteral("PruefungArt_ID")), basis);
    if (!e.gueltig)
        throw HwError(QStringLiteral("Der neue Termin kann nicht berechnet werden: das Datum %1 liegt außerhalb "
                                     "der Jahre 1600 bis 3999. Der Termin bleibt unverändert.")
                          .arg(e.ausserhalb.toString(QStringLiteral("dd.MM.yyyy"))));
    if (!e.gefunden && artFehlt)
        artFehlt();
    sicherSchreiben(
        m_leiter,
        [this] {
            m_rights.CheckRight(crModify);
            m_leiter.edit();
        },
        [&] { m_leiter.setValue(QStringLiteral("PruefTermin"), e.termin); }, true);
    return e;
}

void PruefAktionen::AlleSetzen()
{
    sicherSchreiben(
        m_pruef, [this] { m_pruef.edit(); },
        [this] {
            for (const QString& c : Schema::simpleCriteria())
                if (m_pruef.field(Schema::requiredColumn(c)).asBoolean())
                    m_pruef.setValue(Schema::doneColumn(c), true);
        });
}

void PruefAktionen::Speichern()
{
    const DataSetState s = m_pruef.state();
    if (s == DataSetState::Edit || s == DataSetState::Insert || s == DataSetState::SetKey)
        m_pruef.post();
}

void PruefAktionen::Abbruch() { m_pruef.cancel(); }

void PruefAktionen::Loeschen()
{
    if (m_pruef.isEmpty())
        return;
    if (!DatensatzLoeschenBestaetigen(m_rights, m_parent))
        return;
    m_pruef.remove();
}
