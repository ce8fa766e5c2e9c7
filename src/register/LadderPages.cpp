#include "LadderPages.h"

#include "ActionGuard.h"
#include "DataControls.h"
#include "DataModule.h"
#include "DatumWaehlen.h"
#include "DBTreeView.h"
#include "DbTreeLookupComboBox.h"
#include "Hints.h"
#include "ItemsDialog.h"
#include "KurzBezVorschlaege.h"
#include "LeiterAuswahllisten.h"
#include "Table.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* label(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

template<class T>
T* named(T* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QToolButton* dateButton(const char* name, QWidget* parent)
{
    auto* b = named(new QToolButton(parent), name);
    b->setText(QStringLiteral("..."));
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedWidth(20);
    setHint(b, QStringLiteral("Datum wechseln|"));
    return b;
}

// Several controls side by side in one cell.
QWidget* row(QWidget* parent, std::initializer_list<QWidget*> widgets, bool stretch = true)
{
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    for (QWidget* c : widgets) {
        c->setParent(w);
        l->addWidget(c);
    }
    if (stretch)
        l->addStretch(1);
    return w;
}

} // namespace

TLeiterAllgemeinPage::TLeiterAllgemeinPage(TDataSource* source, TDataModule1& dm, QWidget* parent)
    : QWidget(parent), m_source(source), m_dm(dm)
{
    setObjectName(QStringLiteral("PanelAllgemein"));

    EditNr = named(new TDBEdit(this), "EditNr");
    EditNr->setFixedWidth(70);
    EditLookUpArt = named(new TDBLookupComboBox(this), "EditLookUpArt");
    EditLookUpArt->setListSource(dm.SLeiterArten, QStringLiteral("ID"), QStringLiteral("KurzBez;Typ"),
                                 {dm.SLeiterArten->field(QStringLiteral("KurzBez")).displayLabel(),
                                  dm.SLeiterArten->field(QStringLiteral("Typ")).displayLabel()});
    EditLookUpArt->setDropDownWidth(240);
    EditLookUpMaterial = named(new TDBLookupComboBox(this), "EditLookUpMaterial");
    EditLookUpMaterial->setListSource(dm.SMaterial, QStringLiteral("ID"), QStringLiteral("KurzBez"));

    EditKurzBez = named(new TDBComboBox(this), "EditKurzBez");
    SpBEditKurzBezItems = named(new QToolButton(this), "SpBEditKurzBezItems");
    SpBEditKurzBezItems->setText(QStringLiteral("..."));
    SpBEditKurzBezItems->setFocusPolicy(Qt::NoFocus);
    setHint(SpBEditKurzBezItems, QStringLiteral("Editieren der \r\nVorschlagswerte"));

    LabelExtNr = named(label(QStringLiteral("externe Leiter-Nr.:"), this), "LabelExtNr");
    EditExtNrStr = named(new TDBEdit(this), "EditExtNrStr");
    setHint(EditExtNrStr, QStringLiteral("zweite / externe Leiter-Nr.:\r\n(beim Bez vom Kunden bzw Zweitbezeichnung)\r\n"
                                         "( Alphanumerische Nummernangabe )"));

    EditLtAnz = named(new TDBEdit(this), "EditLtAnz");
    EditLtAnz->setFixedWidth(34);
    setHint(EditLtAnz, QStringLiteral("Anzahl Teil-Leiter\r\nbei Mehrfachleiter"));
    EditStufenAnzahl = named(new TDBEdit(this), "EditStufenAnzahl");
    EditStufenAnzahl->setFixedWidth(40);
    setHint(EditStufenAnzahl, QStringLiteral("Stufen/Sprossen je Leiter"));
    EditLaenge = named(new TDBEdit(this), "EditLaenge");
    EditLaenge->setFixedWidth(52);
    EditLaengeBis = named(new TDBEdit(this), "EditLaengeBis");
    EditLaengeBis->setFixedWidth(52);
    EditGewicht = named(new TDBEdit(this), "EditGewicht");
    EditGewicht->setFixedWidth(52);

    EditAusgabeDatum = named(new TDBDateEdit(this), "EditAusgabeDatum");
    SpBAusgabeDatum = dateButton("SpBAusgabeDatum", this);
    EditCoboFirmen = named(new TDBComboBox(this), "EditCoboFirmen");
    setHint(EditCoboFirmen, QStringLiteral("Auswahl der Firma"));
    EditErfasstDatum = named(new TDBDateEdit(this), "EditErfasstDatum");
    SpBErfasstDatum = dateButton("SpBErfasstDatum", this);
    EditCoboLieferanten = named(new TDBComboBox(this), "EditCoboLieferanten");
    EditLookUpPruef = named(new TDBLookupComboBox(this), "EditLookUpPruef");
    EditLookUpPruef->setListSource(dm.SPruef, QStringLiteral("Nr"), QStringLiteral("KurzBez"));
    EditCBSchrott = named(new TDBCheckBox(QStringLiteral("verschrottet.:"), this), "EditCBSchrott");
    EditCBSchrott->setLayoutDirection(Qt::RightToLeft);
    EditSchrottDatum = named(new TDBDateEdit(this), "EditSchrottDatum");
    SpBSchrottDatum = dateButton("SpBSchrottDatum", this);
    EditReparaturDatum = named(new TDBDateEdit(this), "EditReparaturDatum");
    SpBRepDatum = dateButton("SpBRepDatum", this);
    EditPruefTermin = named(new TDBDateEdit(this), "EditPruefTermin");
    SpBPruefTermin = dateButton("SpBPruefTermin", this);
    EditCoboAbt = named(new TDbTreeLookupComboBox(this), "EditCoboAbt");
    EditCoboAbt->setDropDownWidth(220);
    EditCoboAbt->setDropDownAlign(daRight);
    setHint(EditCoboAbt, QStringLiteral("Auswahl der Abteilung"));
    DBTextLAend = named(new TDBText(this), "DBTextLAend");
    QFont bold = DBTextLAend->font();
    bold.setBold(true);
    DBTextLAend->setFont(bold);

    for (TDBDateEdit* d : {EditAusgabeDatum, EditErfasstDatum, EditSchrottDatum, EditReparaturDatum, EditPruefTermin})
        d->setFixedWidth(74);
    // Combo boxes take the room of their cell, not of their longest entry.
    for (QComboBox* c : std::initializer_list<QComboBox*>{EditLookUpArt, EditLookUpMaterial, EditKurzBez, EditCoboFirmen,
                                                          EditCoboLieferanten, EditLookUpPruef}) {
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(6);
    }
    // The longest name of the usual kinds, "Vierteljährliche Prüfung", stays readable.
    EditLookUpPruef->setMinimumContentsLength(24);

    // Binding
    EditNr->setDataSource(source, QStringLiteral("Nr"));
    EditLookUpArt->setDataSource(source, QStringLiteral("Art_ID"));
    EditLookUpMaterial->setDataSource(source, QStringLiteral("Mat_ID"));
    EditKurzBez->setDataSource(source, QStringLiteral("KurzBez"));
    EditExtNrStr->setDataSource(source, QStringLiteral("ExNrBez"));
    EditLtAnz->setDataSource(source, QStringLiteral("LtAnzahl"));
    EditStufenAnzahl->setDataSource(source, QStringLiteral("StufenAnzahl"));
    EditLaenge->setDataSource(source, QStringLiteral("Laenge"));
    EditLaengeBis->setDataSource(source, QStringLiteral("LaengeBis"));
    EditGewicht->setDataSource(source, QStringLiteral("Gewicht"));
    EditAusgabeDatum->setDataSource(source, QStringLiteral("AusgabeDatum"));
    EditCoboFirmen->setDataSource(source, QStringLiteral("Firma"));
    EditErfasstDatum->setDataSource(source, QStringLiteral("ErfasstDatum"));
    EditCoboLieferanten->setDataSource(source, QStringLiteral("Lieferant"));
    EditLookUpPruef->setDataSource(source, QStringLiteral("PruefungArt_ID"));
    EditCBSchrott->setDataSource(source, QStringLiteral("Schrott"));
    EditSchrottDatum->setDataSource(source, QStringLiteral("SchrottDatum"));
    EditReparaturDatum->setDataSource(source, QStringLiteral("ReparaturDatum"));
    EditPruefTermin->setDataSource(source, QStringLiteral("PruefTermin"));
    // The lookup field of the department; choosing a node writes its ID into FirmenAbtID.
    EditCoboAbt->setDataSource(source, QStringLiteral("FirmaAbteilung"));
    EditCoboAbt->setListTreeIDField(QStringLiteral("ID"));
    EditCoboAbt->setListTreeParentField(QStringLiteral("ParentID"));
    EditCoboAbt->treeView()->setSortType(TDBTreeView::stText);
    DBTextLAend->setDataSource(source, QStringLiteral("LAend"));

    // Layout: two columns of label and controls.
    auto* g = new QGridLayout(this);
    g->setContentsMargins(4, 4, 4, 2);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(2);
    g->addWidget(label(QStringLiteral("lfd.Nr / Leiter.-Nr.:"), this), 0, 0);
    g->addWidget(row(this, {EditNr, EditLookUpArt, EditLookUpMaterial}, false), 0, 1, 1, 3);
    g->addWidget(label(QStringLiteral("Leiter - KurzBez.:"), this), 1, 0);
    g->addWidget(row(this, {EditKurzBez, SpBEditKurzBezItems}, false), 1, 1);
    g->addWidget(LabelExtNr, 1, 2);
    g->addWidget(EditExtNrStr, 1, 3);
    g->addWidget(label(QStringLiteral("Stufen / Sprossen .:"), this), 2, 0);
    g->addWidget(row(this, {EditLtAnz, new QLabel(QStringLiteral("( x ) ")), EditStufenAnzahl}), 2, 1);
    g->addWidget(label(QStringLiteral("Länge (m) :"), this), 2, 2);
    g->addWidget(row(this, {EditLaenge, new QLabel(QStringLiteral("bis :")), EditLaengeBis}), 2, 3);
    g->addWidget(label(QStringLiteral("Ausgabedatum.:"), this), 3, 0);
    g->addWidget(row(this, {EditAusgabeDatum, SpBAusgabeDatum}), 3, 1);
    g->addWidget(label(QStringLiteral("Gew (kg) :"), this), 3, 2);
    g->addWidget(row(this, {EditGewicht}), 3, 3);
    g->addWidget(label(QStringLiteral("erfaßt am.:"), this), 4, 0);
    g->addWidget(row(this, {EditErfasstDatum, SpBErfasstDatum}), 4, 1);
    g->addWidget(label(QStringLiteral("Firma/Standort/Abteilg :"), this), 4, 2);
    g->addWidget(EditCoboFirmen, 4, 3);
    g->addWidget(label(QStringLiteral("Prüfungs-Art.:"), this), 5, 0);
    g->addWidget(EditLookUpPruef, 5, 1);
    g->addWidget(label(QStringLiteral("Lieferant / Hersteller :"), this), 5, 2);
    g->addWidget(EditCoboLieferanten, 5, 3);
    g->addWidget(EditCBSchrott, 6, 0, Qt::AlignRight);
    g->addWidget(row(this, {EditSchrottDatum, SpBSchrottDatum}), 6, 1);
    g->addWidget(label(QStringLiteral("Standort/Abteilg :"), this), 6, 2);
    g->addWidget(EditCoboAbt, 6, 3);
    g->addWidget(label(QStringLiteral("Reparatur am.:"), this), 7, 0);
    g->addWidget(row(this, {EditReparaturDatum, SpBRepDatum}), 7, 1);
    g->addWidget(label(QStringLiteral("n. Prüf-Termin.:"), this), 7, 2);
    g->addWidget(row(this, {EditPruefTermin, SpBPruefTermin}), 7, 3);
    g->addWidget(label(QStringLiteral("letzte Änderung :"), this), 8, 2);
    g->addWidget(DBTextLAend, 8, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    g->setRowStretch(9, 1);

    const QList<QWidget*> order = tabOrder();
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    connect(SpBAusgabeDatum, &QToolButton::clicked, this, &TLeiterAllgemeinPage::SpBAusgabeDatumClick);
    connect(SpBErfasstDatum, &QToolButton::clicked, this, &TLeiterAllgemeinPage::SpBErfasstDatumClick);
    connect(SpBRepDatum, &QToolButton::clicked, this, &TLeiterAllgemeinPage::SpBRepDatumClick);
    connect(SpBSchrottDatum, &QToolButton::clicked, this, &TLeiterAllgemeinPage::SpBSchrottDatumClick);
    connect(SpBPruefTermin, &QToolButton::clicked, this, &TLeiterAllgemeinPage::SpBPruefTerminClick);
    connect(SpBEditKurzBezItems, &QToolButton::clicked, this, &TLeiterAllgemeinPage::SpBEditKurzBezItemsClick);
    connect(source, &TDataSource::dataChanged, this, &TLeiterAllgemeinPage::updateRowDisplay);
    connect(source, &TDataSource::stateChanged, this, &TLeiterAllgemeinPage::updateRowDisplay);

    LadeVorschlaege();
    updateRowDisplay();
}

QList<QWidget*> TLeiterAllgemeinPage::tabOrder() const
{
    return {EditNr,           EditLookUpArt,      EditLookUpMaterial, EditKurzBez,         EditExtNrStr,
            EditLtAnz,        EditStufenAnzahl,   EditLaenge,         EditLaengeBis,       EditGewicht,
            EditAusgabeDatum, EditCoboFirmen,     EditErfasstDatum,   EditCoboLieferanten, EditLookUpPruef,
            EditCBSchrott,    EditSchrottDatum,   EditReparaturDatum, EditPruefTermin,     EditCoboAbt};
}

void TLeiterAllgemeinPage::setExterneNrSichtbar(bool on)
{
    LabelExtNr->setVisible(on);
    EditExtNrStr->setVisible(on);
}

void TLeiterAllgemeinPage::FillFirmenListe() { EditCoboFirmen->setItems(firmenListe(*m_dm.StFirmAbtList)); }

void TLeiterAllgemeinPage::FillLieferantenListe() { EditCoboLieferanten->setItems(lieferantenListe()); }

void TLeiterAllgemeinPage::LadeVorschlaege() { EditKurzBez->setItems(KurzBezVorschlaege::laden()); }

QStringList TLeiterAllgemeinPage::vorschlaege() const { return EditKurzBez->items(); }

void TLeiterAllgemeinPage::updateRowDisplay()
{
    DataSet* ds = m_source->dataSet();
    if (!ds->active())
        return;
    const bool schrott = ds->field(QStringLiteral("Schrott")).asBoolean();
    EditSchrottDatum->setVisible(schrott);
    SpBSchrottDatum->setVisible(schrott);
}

void TLeiterAllgemeinPage::pickDate(TDBDateEdit* edit, const QString& fieldName)
{
    runGuarded(window(), [&] { DatumWaehlen(m_source->dataSet()->field(fieldName), window()); });
    edit->setFocus();
}

void TLeiterAllgemeinPage::SpBAusgabeDatumClick() { pickDate(EditAusgabeDatum, QStringLiteral("AusgabeDatum")); }
void TLeiterAllgemeinPage::SpBErfasstDatumClick() { pickDate(EditErfasstDatum, QStringLiteral("ErfasstDatum")); }
void TLeiterAllgemeinPage::SpBRepDatumClick() { pickDate(EditReparaturDatum, QStringLiteral("ReparaturDatum")); }
void TLeiterAllgemeinPage::SpBSchrottDatumClick() { pickDate(EditSchrottDatum, QStringLiteral("SchrottDatum")); }
void TLeiterAllgemeinPage::SpBPruefTerminClick() { pickDate(EditPruefTermin, QStringLiteral("PruefTermin")); }

void TLeiterAllgemeinPage::SpBEditKurzBezItemsClick()
{
    runGuarded(window(), [this] {
        const std::optional<QStringList> edited = TItemsDialog::edit(vorschlaege(), window());
        if (!edited)
            return;
        KurzBezVorschlaege::speichern(*edited);
        EditKurzBez->setItems(*edited);
    });
}

// ------------------------------------------------------------------ Beschreibung

TLeiterBeschreibungPage::TLeiterBeschreibungPage(TDataSource* source, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PanelBeschreibung"));
    auto* header = new QLabel(QStringLiteral("Leiterbeschreibung"), this);
    header->setObjectName(QStringLiteral("LabelBeschreibung"));
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    DBMemoBeschreibung = named(new TDBMemo(this), "DBMemoBeschreibung");
    DBMemoBeschreibung->setDataSource(source, QStringLiteral("Beschreibung"));
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(4, 4, 4, 2);
    l->setSpacing(2);
    l->addWidget(header);
    l->addWidget(DBMemoBeschreibung, 1);
}

// ------------------------------------------------------------------ OK / Abbruch

TOkCancelPanel::TOkCancelPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PanelOKCancel"));
    setFrameShape(QFrame::StyledPanel);
    LabelTableStatus = named(new QLabel(this), "LabelTableStatus");
    LabelTableStatus->setAlignment(Qt::AlignCenter);
    LabelTableStatus->setAutoFillBackground(true);
    QFont bold = LabelTableStatus->font();
    bold.setBold(true);
    LabelTableStatus->setFont(bold);
    QPalette pal = LabelTableStatus->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::blue);
    LabelTableStatus->setPalette(pal);
    LabelTableStatus->setFrameShape(QFrame::Panel);
    LabelTableStatus->setFrameShadow(QFrame::Sunken);
    LabelTableStatus->setMinimumHeight(22);

    BOK = named(new QPushButton(QStringLiteral("&OK"), this), "BOK");
    setHint(BOK, QStringLiteral("Daten speichern"));
    BOK->setProperty("hwWritesChanges", true);
    BCancel = named(new QPushButton(QStringLiteral("&Abbruch"), this), "BCancel");
    setHint(BCancel, QStringLiteral("Datenspeicherung abbrechen"));
    // Leaving an edit for these buttons does not write the edit's text first.
    BCancel->setProperty("hwDiscardsChanges", true);

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(4, 4, 4, 4);
    l->setSpacing(6);
    l->addWidget(LabelTableStatus);
    l->addWidget(BOK);
    l->addWidget(BCancel);
    l->addStretch(1);
    setFixedWidth(88);
}
