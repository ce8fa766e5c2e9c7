#include "PruefungsSeite.h"

#include "DataControls.h"
#include "DataModule.h"
#include "DatumWaehlen.h"
#include "Dialogs.h"
#include "FlowLayout.h"
#include "PruefAktionen.h"
#include "PruefCursor.h"
#include "PruefGrid.h"
#include "PruefKriterienWege.h"
#include "Schema.h"
#include "Table.h"
#include "UserControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TPruefungsSeite::TPruefungsSeite(Table* leiter, TDataModule1& dm, TUserControl& rights, QWidget* parent)
    : QWidget(parent), m_leiter(leiter), m_dm(dm), m_rights(rights)
{
    setObjectName(QStringLiteral("TabPruefungen"));
    m_pruef = createLtPruefCursor(dm, leiter, rights, this);
    m_aktionen = std::make_unique<PruefAktionen>(*leiter, *m_pruef, dm, rights, this);

    auto* l = new QVBoxLayout(this);
    // The buttons wrap to a second row rather than cut their captions in a narrow window.
    auto* bar = new FlowLayout;
    l->addLayout(bar);
    auto button = [&](const char* name, const QString& caption, const QString& hint, void (TPruefungsSeite::*slot)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        bar->addWidget(b);
        return b;
    };
    button("BSetzeNeuTermin", QStringLiteral("Neu.-Termin"), QStringLiteral("Neuen Termin in Stammdaten\r\n(berechnet) eintragen"),
           &TPruefungsSeite::BSetzeNeuTerminClick);
    button("BPruefNeu", QStringLiteral("Prüf.-Neu"), QStringLiteral("Neue Prüfung anlegen\r\nmit Termin\r\naus den Stammdaten"),
           &TPruefungsSeite::BPruefNeuClick);
    m_showErf = new QToolButton(this);
    m_showErf->setObjectName(QStringLiteral("SpBShowErf"));
    m_showErf->setText(QStringLiteral("Anzeige erf."));
    m_showErf->setToolTip(QStringLiteral("Anzeige der Felder\r\nzum Ein-Ausschalten\r\nder Prüfungen"));
    m_showErf->setCheckable(true);
    connect(m_showErf, &QToolButton::clicked, this, &TPruefungsSeite::SpBShowErfClick);
    bar->addWidget(m_showErf);
    button("BAlleSetzen", QStringLiteral("Alle  setzen"), QStringLiteral("Alle Prüfungen als erledigt setzen"),
           &TPruefungsSeite::BAlleSetzenClick);
    // The hint's part after the bar is the (empty) status bar text.
    button("BPruefLoe", QStringLiteral("Löschen"), QStringLiteral("ausgewählte Zeile löschen"), &TPruefungsSeite::BPruefLoeClick);
    button("BPruefAbbruch", QStringLiteral("Abbruch"),
           QStringLiteral("Eingabe abbrechen und Änderungen\rdabei nicht ausführen."), &TPruefungsSeite::BPruefAbbruchClick);
    button("BPruefSpeichern", QStringLiteral("Speichern"), QStringLiteral("Änderungen und Eingaben  abspeichern"),
           &TPruefungsSeite::BPruefSpeichernClick);
    button("BPruefSetzen", QStringLiteral("Pruef.-Setzen"), QStringLiteral("erforderliche Prüfungen\r\nverändern"),
           &TPruefungsSeite::BPruefSetzenClick);
    button("BErledigtSetzen", QStringLiteral("Erl.-Setzen"), QStringLiteral("erforderliche Prüfungen\r\neingeben"),
           &TPruefungsSeite::BErledigtSetzenClick);
    button("BAutomErledigtSetzen", QStringLiteral("Autom. Erl.-Setzen"),
           QStringLiteral("erforderliche Prüfungen\r\nautomatisch auf erledigt\r\nsetzen"),
           &TPruefungsSeite::BAutomErledigtSetzenClick);

    m_grid = new TPruefGrid(m_pruef, dm, this);
    l->addWidget(m_grid, 1);

    // What the criteria do not say: the defects found, what was done about them.
    m_quelle = new TDataSource(m_pruef, this);
    auto* bemerkungLabel = new QLabel(QStringLiteral("&Bemerkung"), this);
    bemerkungLabel->setObjectName(QStringLiteral("LabelBemerkung"));
    m_bemerkung = new TDBMemo(this);
    m_bemerkung->setObjectName(QStringLiteral("DBMemoBemerkung"));
    m_bemerkung->setDataSource(m_quelle, QStringLiteral("Bemerkung"));
    m_bemerkung->setTabChangesFocus(true);
    m_bemerkung->setFixedHeight(m_bemerkung->fontMetrics().lineSpacing() * 4 + 12);
    bemerkungLabel->setBuddy(m_bemerkung);
    l->addWidget(bemerkungLabel);
    l->addWidget(m_bemerkung);
    connect(m_grid, &TPruefGrid::fehler, this, [this](const QString& m) { Dialogs::error(this, m); });
    connect(m_grid->delegate(), &PruefGridDelegate::editButtonClicked, this,
            &TPruefungsSeite::DBGridLtPruefEditButtonClick);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PruefPopupMenu"));
    m_vorschau = m_popup->addAction(QStringLiteral("Vorschau Kontrollblatt"));
    m_vorschau->setObjectName(QStringLiteral("VorschauPruefKontrollblatt"));
    m_druck = m_popup->addAction(QStringLiteral("Druck Kontrollblatt"));
    m_druck->setObjectName(QStringLiteral("DruckPruefKontrollblatt"));
    // Enabled by the main window once the control sheet report exists.
    m_vorschau->setEnabled(false);
    m_druck->setEnabled(false);
    connect(m_vorschau, &QAction::triggered, this, [this] { kontrollblatt(false); });
    connect(m_druck, &QAction::triggered, this, [this] { kontrollblatt(true); });
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { m_popup->popup(m_grid->viewport()->mapToGlobal(p)); });

    // LtPruefSourceDataChange
    connect(m_pruef, &DataSet::currentChanged, this, [this] { nurLesendeErlSpalten(); });
    connect(m_pruef, &DataSet::fieldChanged, this, [this] { nurLesendeErlSpalten(); });
    connect(m_pruef, &DataSet::rowChanged, this, [this] { nurLesendeErlSpalten(); });
    connect(m_pruef, &DataSet::stateChanged, this, [this] { nurLesendeErlSpalten(); });
    connect(m_pruef, &DataSet::currentChanged, this, [this] { bemerkungNurLesend(); });
    connect(m_pruef, &DataSet::stateChanged, this, [this] { bemerkungNurLesend(); });
    connect(m_pruef, &DataSet::rowsReset, this, [this] { bemerkungNurLesend(); });
    bemerkungNurLesend();
    setErweitert(true);
}

TPruefungsSeite::~TPruefungsSeite() = default;

void TPruefungsSeite::ausfuehren(const std::function<void()>& f)
{
    try {
        f();
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
    } catch (const Abort&) {
    }
}

template <class F>
void TPruefungsSeite::aktion(F&& f)
{
    m_grid->setFocus();
    ausfuehren(std::forward<F>(f));
    m_grid->viewport()->update();
}

void TPruefungsSeite::nurLesendeErlSpalten()
{
    if (!m_pruef->active())
        return;
    for (const QString& c : Schema::simpleCriteria())
        m_pruef->field(Schema::doneColumn(c)).setReadOnly(!m_pruef->field(Schema::requiredColumn(c)).asBoolean());
}

void TPruefungsSeite::bemerkungNurLesend()
{
    // Written under the rights of the inspection it belongs to: a new one needs the insert
    // right, a stored one the modify right; without an inspection there is nothing to write to.
    const bool neu = m_pruef->active() && m_pruef->state() == DataSetState::Insert;
    const bool leer = !m_pruef->active() || (m_pruef->isEmpty() && !neu);
    m_bemerkung->setReadOnly(leer || !m_rights.HasRight(neu ? crInsert : crModify));
}

void TPruefungsSeite::LeiterBeforeScroll()
{
    m_quelle->updateRecord();
    m_aktionen->SatzVerlassen();
}

void TPruefungsSeite::setErweitert(bool on)
{
    m_erweitert = on;
    for (const QString& c : Schema::simpleCriteria())
        m_grid->setColumnHidden(m_grid->spalte(Schema::doneColumn(c)), on);
    m_showErf->setVisible(!on);
    findChild<QPushButton*>(QStringLiteral("BAlleSetzen"))->setVisible(!on);
    findChild<QPushButton*>(QStringLiteral("BPruefSetzen"))->setVisible(on);
    findChild<QPushButton*>(QStringLiteral("BErledigtSetzen"))->setVisible(on);
}

void TPruefungsSeite::BSetzeNeuTerminClick()
{
    aktion([this] {
        if (m_aktionen->NeuTermin()) {
            m_grid->setFocus();
            m_grid->ersteSpalte();
        }
    });
}

void TPruefungsSeite::BPruefNeuClick()
{
    aktion([this] {
        m_aktionen->PruefNeu();
        m_grid->ersteSpalte();
    });
}

void TPruefungsSeite::SpBShowErfClick()
{
    const bool show = m_showErf->isChecked();
    for (const QString& c : Schema::simpleCriteria())
        m_grid->setColumnHidden(m_grid->spalte(Schema::requiredColumn(c)), !show);
    m_grid->ersteSpalte();
}

void TPruefungsSeite::BAlleSetzenClick() { aktion([this] { m_aktionen->AlleSetzen(); }); }
void TPruefungsSeite::BPruefLoeClick() { aktion([this] { m_aktionen->Loeschen(); }); }
void TPruefungsSeite::BPruefAbbruchClick() { aktion([this] { m_aktionen->Abbruch(); }); }
void TPruefungsSeite::BPruefSpeichernClick()
{
    aktion([this] {
        m_quelle->updateRecord();
        m_aktionen->Speichern();
    });
}

void TPruefungsSeite::BPruefSetzenClick()
{
    aktion([this] {
        if (!m_leiter->isEmpty())
            PruefKriterienWege::PruefSetzen(*m_leiter, *m_pruef, this);
    });
}

void TPruefungsSeite::BErledigtSetzenClick()
{
    aktion([this] {
        if (!m_leiter->isEmpty())
            PruefKriterienWege::ErlSetzen(*m_leiter, *m_pruef, this);
    });
}

void TPruefungsSeite::BAutomErledigtSetzenClick()
{
    aktion([this] {
        if (!m_leiter->isEmpty())
            PruefKriterienWege::AutomErlSetzen(*m_leiter, *m_pruef, this);
    });
}

void TPruefungsSeite::DBGridLtPruefEditButtonClick()
{
    ausfuehren([this] {
        if (m_pruef->isEmpty() && m_pruef->state() != DataSetState::Insert)
            return;
        DatumWaehlen(m_pruef->field(QStringLiteral("Datum")), this);
    });
    m_grid->setFocus();
}

void TPruefungsSeite::kontrollblatt(bool druck)
{
    if (m_pruef->isEmpty() || m_pruef->state() == DataSetState::Insert) {
        m_grid->setFocus();
        return;
    }
    const int id = m_pruef->field(QStringLiteral("ID")).asInteger();
    if (druck)
        emit DruckKontrollblatt(id, m_erweitert);
    else
        emit VorschauKontrollblatt(id, m_erweitert);
    m_grid->setFocus();
}
