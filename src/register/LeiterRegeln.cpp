#include "LeiterRegeln.h"

#include "DataModule.h"
#include "Dialogs.h"
#include "Verlauf.h"
#include "Table.h"
#include "UserControl.h"

#include <QDateTime>

namespace {

const QStringList& vorbelegtePruefungen()
{
    static const QStringList list = {QStringLiteral("PrMaterial"),     QStringLiteral("PrVerbindungen"),
                                     QStringLiteral("PrBeschlaege"),   QStringLiteral("PrScharniere"),
                                     QStringLiteral("PrFunktionen"),   QStringLiteral("PrDurchbiegung"),
                                     QStringLiteral("PrSchuhe")};
    return list;
}

// Restores a value when leaving the scope, also on an exception.
template<class T>
class Restore {
public:
    Restore(T& ref, T value) : m_ref(ref), m_old(ref) { m_ref = value; }
    ~Restore() { m_ref = m_old; }
private:
    T& m_ref;
    T m_old;
};

} // namespace

void LeiterNrPolitik::reset()
{
    NrModus = TNrModus::NrMaxPlus1;
    NrStartWert = 1;
}

int naechsteLeiterNr(TDataModule1& dm, TNrModus modus, int startWert)
{
    switch (modus) {
    case TNrModus::NrFreiAb1: return dm.FreieLeiterNrAb(1);
    case TNrModus::NrFreiAbStart: return dm.FreieLeiterNrAb(startWert);
    case TNrModus::NrMaxPlus1: break;
    }
    return dm.MaxLeiterNr() + 1;
}

int startNrAusText(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok)
        throw HwError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text), EngineCode::ConversionError);
    return n;
}

void LeiterPruefBeforeDelete(TUserControl& rights, QWidget* dialogParent)
{
    rights.CheckRight(crDelete);
    if (!Dialogs::questionDefaultNo(dialogParent, QStringLiteral("Datensatz löschen ?")))
        throw Abort();
}

TLeiterRegeln::TLeiterRegeln(Table& leiter, TDataModule1& dm, QObject* parent)
    : QObject(parent), m_leiter(leiter), m_dm(dm)
{
    install();
}

TLeiterRegeln::~TLeiterRegeln()
{
    if (Field* nr = m_leiter.findField(QStringLiteral("Nr")))
        nr->onValidate = nullptr;
    m_leiter.beforeInsert = nullptr;
    m_leiter.onNewRecord = nullptr;
    m_leiter.beforeEdit = nullptr;
    m_leiter.beforePost = nullptr;
    m_leiter.beforeDelete = nullptr;
}

void TLeiterRegeln::install()
{
    TUserControl& rights = *m_dm.DataUserControl;
    m_leiter.beforeInsert = [this, &rights](DataSet&) {
        rights.CheckRight(crInsert);
        if (beforeNewLadder)
            beforeNewLadder();
    };
    m_leiter.onNewRecord = [this](DataSet& ds) { neueLeiterVorbelegen(ds); };
    // Table::edit re-reads the row after this hook, so the edit starts from the stored values.
    m_leiter.beforeEdit = [&rights](DataSet&) { rights.CheckRight(crModify); };
    m_leiter.beforePost = [](DataSet& ds) {
        ds.setValue(QStringLiteral("LAend"), QDateTime::currentDateTime());
        ds.setValue(QStringLiteral("LAendName"), Verlauf::benutzer().left(20));
    };
    m_leiter.beforeDelete = [this, &rights](DataSet&) { LeiterPruefBeforeDelete(rights, dialogParent); };

    m_leiter.field(QStringLiteral("Nr")).onValidate = [this](Field&, const QVariant& proposed) {
        if (!m_nrPruefung || !proposed.isValid())
            return;
        const int nr = proposed.toInt();
        if (m_dm.LeiterNrVorhanden(nr))
            throw EngineError(QStringLiteral("LeiterNr %1 schon vorhanden").arg(nr), EngineCode::KeyViolation);
    };
}

void TLeiterRegeln::setKopieren(bool on)
{
    if (m_kopieren == on)
        return;
    m_kopieren = on;
    emit kopierenChanged(on);
}

void TLeiterRegeln::neueLeiterVorbelegen(DataSet& ds)
{
    const TNrModus modus = LeiterNrPolitik::NrModus;
    ds.setValue(QStringLiteral("Nr"), naechsteLeiterNr(m_dm, modus, LeiterNrPolitik::NrStartWert));
    ds.setValue(QStringLiteral("Schrott"), false);
    for (const QString& f : vorbelegtePruefungen())
        ds.setValue(f, true);
    ds.setValue(QStringLiteral("PrSonstiges"), false);
}

void TLeiterRegeln::kopiereAusOrg()
{
    Table& org = *m_dm.LeiterOrg;
    Field& nrField = m_leiter.field(QStringLiteral("Nr"));
    const QVariant nr = nrField.value();
    {
        Restore<bool> checkOff(m_nrPruefung, false);
        m_leiter.disableControls();
        try {
            // Column by column into the column of the same name; the key column is the
            // store's to give, so the new row keeps its own ID.
            for (const auto& src : org.fields()) {
                if (src->kind() != FieldKind::Data)
                    continue;
                Field* dst = m_leiter.findField(src->name());
                if (!dst || dst->kind() != FieldKind::Data)
                    continue;
                dst->setValue(src->value());
            }
            nrField.setValue(nr);
        } catch (...) {
            m_leiter.enableControls();
            throw;
        }
        m_leiter.enableControls();
    }
}

void TLeiterRegeln::LeiterNeuExecute()
{
    m_kopierQuelle = false;
    if (m_kopieren) {
        Table& org = *m_dm.LeiterOrg;
        org.refreshIfChanged();
        m_kopierQuelle = org.gotoCurrent(m_leiter);
    }
    m_leiter.append();
    if (m_kopierQuelle) {
        try {
            kopiereAusOrg();
        } catch (...) {
            m_leiter.cancel();
            throw;
        }
    }
    if (afterNewLadder)
        afterNewLadder();
}

void TLeiterRegeln::withModus(TNrModus modus, const std::function<void()>& run)
{
    Restore<TNrModus> keep(LeiterNrPolitik::NrModus, modus);
    run();
}

void TLeiterRegeln::LeiterNeuFreieNrExecute()
{
    withModus(TNrModus::NrFreiAb1, [this] { LeiterNeuExecute(); });
}

void TLeiterRegeln::startNrAbfrage(int proposal)
{
    const QString vorschlag = QString::number(proposal);
    const std::optional<QString> answer =
        Dialogs::input(dialogParent, QStringLiteral("Suche nach freier Nummer ab :"), QStringLiteral("Nr (?) :"), vorschlag);
    LeiterNrPolitik::NrStartWert = startNrAusText(answer.value_or(vorschlag));
    withModus(TNrModus::NrFreiAbStart, [this] { LeiterNeuExecute(); });
}

void TLeiterRegeln::LeiterNeuFreieNrAbExecute() { startNrAbfrage(LeiterNrPolitik::NrStartWert); }

void TLeiterRegeln::LeiterNeuFreieNrAbZeileExecute()
{
    startNrAbfrage(m_leiter.field(QStringLiteral("Nr")).asInteger());
}

void TLeiterRegeln::LeiterNeuKopierenExecute()
{
    setKopieren(true);
    try {
        LeiterNeuExecute();
    } catch (...) {
        setKopieren(false);
        throw;
    }
    setKopieren(false);
}
