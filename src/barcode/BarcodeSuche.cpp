#include "BarcodeSuche.h"

#include "BarcodeWert.h"
#include "Dialogs.h"
#include "Table.h"
#include "TbcSuchCom.h"
#include "TbcSuchForm.h"

#include <exception>
#include <memory>

namespace {

bool bearbeitet(const Table* t)
{
    const DataSetState s = t->state();
    return s == DataSetState::Edit || s == DataSetState::Insert || s == DataSetState::SetKey;
}

QString ohneKuerzel(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

} // namespace

BarcodeSuche::BarcodeSuche(Table* leiter, QWidget* dialogParent, QObject* parent)
    : QObject(parent), m_leiter(leiter), m_parent(dialogParent)
{
}

void BarcodeSuche::ActBcSuchLeiterExecute()
{
    ausfuehren(false);
}

void BarcodeSuche::ActBcSuchComLeiterExecute()
{
    ausfuehren(true);
}

bool BarcodeSuche::SucheLeiterNr(const QString& code)
{
    if (m_leiter->indexFieldNames().compare(QStringLiteral("Nr"), Qt::CaseInsensitive) != 0) {
        m_leiter->setIndexFieldNames(QStringLiteral("Nr"));
        if (numberOrderSet)
            numberOrderSet();
    }
    const std::optional<qint32> nr = BarcodeWert::leiterNr(code);
    return nr && m_leiter->findKey({*nr});
}

int BarcodeSuche::tabIndexFuerSeite(const QStringList& captions, int seite)
{
    static const QStringList seiten = {QStringLiteral("Allgemein"), QStringLiteral("erforderl. Prüfungen"),
                                       QStringLiteral("Prüfungsübersicht")};
    if (seite < 0 || seite >= seiten.size())
        return 0;
    for (int i = 0; i < captions.size(); ++i)
        if (ohneKuerzel(captions[i]) == seiten[seite])
            return i;
    return 0;
}

void BarcodeSuche::gridFokus()
{
    if (focusGrid)
        focusGrid();
}

void BarcodeSuche::ausfuehren(bool seriell)
{
    const int nr = m_leiter->active() && (!m_leiter->isEmpty() || m_leiter->isEditing())
                       ? m_leiter->field(QStringLiteral("Nr")).asInteger()
                       : 0;
    bool pruefungGesichert = false;
    bool leiterVerworfen = false;
    std::exception_ptr fehler;
    try {
        if (m_pruef && bearbeitet(m_pruef)) {
            if (savePendingInspection)
                savePendingInspection();
            else
                m_pruef->post();
            // Only a save that went through may be reported as taken over.
            pruefungGesichert = true;
        }
        if (bearbeitet(m_leiter)) {
            if (discardPendingLadder)
                discardPendingLadder();
            else
                m_leiter->cancel();
            leiterVerworfen = true;
        }
        gridFokus();

        std::unique_ptr<TbcSuchDialog> dialog;
        TbcSuchCom* com = nullptr;
        if (seriell) {
            com = new TbcSuchCom(m_parent);
            dialog.reset(com);
        } else {
            dialog = std::make_unique<TbcSuchForm>(m_parent);
        }
        dialog->OnLeiterSuchen = [this](const QString& code) { return SucheLeiterNr(code); };
        dialog->Vorbereiten();
        dialog->SeiteSetzen(seriell ? m_einst.BcComSeite : m_einst.BcSeite);
        dialog->setAutoSchliessen(seriell ? m_einst.BcComAutoSchliessen : m_einst.BcAutoSchliessen);
        if (com)
            com->PortVorbereiten(m_einst.BcComAktiv);

        if (Dialogs::exec(dialog.get()) == QDialog::Accepted) {
            if (com) {
                m_einst.BcComAutoSchliessen = com->autoSchliessen();
                m_einst.BcComSeite = com->Seite();
                m_einst.BcComAktiv = com->ComAktiv();
            } else {
                m_einst.BcAutoSchliessen = dialog->autoSchliessen();
                m_einst.BcSeite = dialog->Seite();
            }
            if (dialog->Gefunden() && selectTab)
                selectTab(tabIndexFuerSeite(tabCaptions ? tabCaptions() : QStringList(), dialog->Seite()));
        }
    } catch (...) {
        fehler = std::current_exception();
    }
    gridFokus();
    if (pruefungGesichert)
        Dialogs::information(m_parent, QStringLiteral("Die Bearbeitung der Prüfungen der Leiter %1 \nist bei der "
                                                      "Barcode-Eingabe abgebrochen worden.\nDie Änderungen sind "
                                                      "übernommen worden.").arg(nr));
    if (leiterVerworfen)
        Dialogs::information(m_parent, QStringLiteral("Die Bearbeitung der Stammdaten der Leiter %1 \nist bei der "
                                                      "Barcode-Eingabe abgebrochen worden.\nDie Änderungen sind "
                                                      "nicht eingetragen worden. !!!").arg(nr));
    if (fehler)
        std::rethrow_exception(fehler);
}
