#include "RepMenue.h"

#include "AppPrinter.h"
#include "BrDateForm.h"
#include "DataModule.h"
#include "DbTreeLookupComboBox.h"
#include "DBTreeView.h"
#include "Dialogs.h"
#include "Errors.h"
#include "RepFaellig.h"
#include "RepForm.h"
#include "FaelligeLeitern.h"
#include "Table.h"
#include "UserControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

namespace {

constexpr int TabCount = 6;
const QDate minDate(1990, 1, 1);
const QDate maxDate(2099, 12, 31);
const QString dateFormat = QStringLiteral("dd.MM.yyyy");

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w = 90)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y + 3, w, 18);
    return l;
}

int tabOf(TRepArt art) { return int(art); }

} // namespace

TRepMenue::TRepMenue(TDataModule1& dm, const QStringList& marks, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_marks(marks)
{
    FormCreate();
}

TRepMenue::~TRepMenue() = default;

std::shared_ptr<QPrinter> TRepMenue::chosenPrinter()
{
    // The application owns its printer; the reports only borrow it.
    return std::shared_ptr<QPrinter>(appPrinter(), [](QPrinter*) {});
}

QWidget* TRepMenue::buildTab(int tab, const QString& name, const QString& caption)
{
    auto* page = new QWidget(PageControl1);
    page->setObjectName(name);
    PageControl1->addTab(page, caption);
    static const char* prefixes[TabCount] = {"LtK", "LtUeb", "LtPUeb", "LtKontrB", "LtCount", "Faellig"};
    m_vorschau[tab] = new QPushButton(QStringLiteral("&Vorschau"), page);
    m_vorschau[tab]->setObjectName(QStringLiteral("%1BVorschau").arg(QLatin1String(prefixes[tab])));
    m_vorschau[tab]->setGeometry(470, 300, 120, 30);
    m_druck[tab] = new QPushButton(QStringLiteral("&Druck"), page);
    m_druck[tab]->setObjectName(QStringLiteral("%1BDruck").arg(QLatin1String(prefixes[tab])));
    m_druck[tab]->setGeometry(600, 300, 120, 30);
    m_export[tab] = new QPushButton(QStringLiteral("E&xport .."), page);
    m_export[tab]->setObjectName(QStringLiteral("%1BExport").arg(QLatin1String(prefixes[tab])));
    m_export[tab]->setGeometry(470, 264, 120, 30);
    m_export[tab]->setToolTip(QStringLiteral("Die ausgewählten Daten nach Excel oder CSV"));
    m_export[tab]->setVisible(bool(exportHook()));
    return page;
}

void TRepMenue::FormCreate()
{
    setObjectName(QStringLiteral("TRepMenue"));
    setWindowTitle(QStringLiteral("Leiter- Prüfungsverwaltung - Listen"));
    setFixedSize(800, 470);

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->setGeometry(8, 8, 784, 410);

    const QStringList leiterSort = {QStringLiteral("Leiter- Nr"), QStringLiteral("Leiter- KurzBez"),
                                    QStringLiteral("Leiter- Ausgabedatum"), QStringLiteral("Leiter- n. Prüf-Termin"),
                                    QStringLiteral("externe Leiter-Nr")};
    const QStringList pruefSort = {QStringLiteral("Leiter- Nr"), QStringLiteral("Leiter- KurzBez"),
                                   QStringLiteral("Prüf- Datum"), QStringLiteral("externe Leiter-Nr")};
    auto sortChoice = [this](QWidget* page, int tab, const char* name, const QStringList& items) {
        label(page, QStringLiteral("Sortierung nach :"), 16, 12, 120);
        auto* box = named(new QComboBox(page), name);
        box->addItems(items);
        box->setGeometry(140, 10, 220, 24);
        box->setCurrentIndex(0);
        m_sort[tab] = box;
        return box;
    };
    auto option = [](QWidget* page, const char* name, const QString& text, int y, bool on) {
        auto* cb = named(new QCheckBox(text, page), name);
        cb->setGeometry(470, y, 310, 22);
        cb->setChecked(on);
        return cb;
    };

    QWidget* t0 = buildTab(0, QStringLiteral("TabShLeiterKartei"), QStringLiteral("Leiter.-Kartei"));
    LtKCoboSortiert = sortChoice(t0, 0, "LtKCoboSortiert", leiterSort);
    LtKCbSeiteProLeiter = option(t0, "LtKCbSeiteProLeiter", QStringLiteral("Seite pro Leiter"), 48, false);
    LtKCbDruckPruefUebersicht =
        option(t0, "LtKCbDruckPruefUebersicht", QStringLiteral("Prüf-Übersicht drucken"), 74, true);

    QWidget* t1 = buildTab(1, QStringLiteral("TabShLeiterUebersicht"), QStringLiteral("Leiter.-Übersicht"));
    LtUebCoboSortiert = sortChoice(t1, 1, "LtUebCoboSortiert", leiterSort);

    QWidget* t2 = buildTab(2, QStringLiteral("TabShLeiterPruefUebersicht"), QStringLiteral("Prüf-Übersicht"));
    LtPUebCoboSortiert = sortChoice(t2, 2, "LtPUebCoboSortiert", pruefSort);

    QWidget* t3 = buildTab(3, QStringLiteral("TabShLeiterKontrollblatt"), QStringLiteral("Kontrollblatt"));
    LtKontrBCoboSortiert = sortChoice(t3, 3, "LtKontrBCoboSortiert", pruefSort);
    LtKontrBCbPrintErledigt =
        option(t3, "LtKontrBCbPrintErledigt", QStringLiteral("erledigte Prüfungen kennzeichnen"), 48, false);
    LtKontrBCbPrintMaschBewertung = option(t3, "LtKontrBCbPrintMaschBewertung",
                                           QStringLiteral("maschn. Bewertung der Ergebnisse drucken"), 74, false);

    QWidget* t4 = buildTab(4, QStringLiteral("TabShCount"), QStringLiteral("Firmen.-Übersicht"));
    LtCountCbAllFirmAbtShow = option(t4, "LtCountCbAllFirmAbtShow",
                                     QStringLiteral("bei Filter Abteilung gesamte Struktur darstellen"), 48, true);
    LtCountCbAllFirmAbtShow->setToolTip(QStringLiteral("=> gefiltert werden nur die Daten auf ihre Anzahl\n"
                                                       "=> Die Abteilungsstruktur wird trotzdem gesamt dargestellt."));

    QWidget* t5 = buildTab(5, QStringLiteral("TabShFaellig"), QStringLiteral("Fällige Prüfungen"));
    label(t5, QStringLiteral("fällig bis :"), 470, 48, 90);
    FaelligEditBis = named(new QLineEdit(t5), "FaelligEditBis");
    FaelligEditBis->setGeometry(560, 48, 110, 24);
    FaelligEditBis->setInputMask(QStringLiteral("99.99.9999"));
    FaelligEditBis->setText(QDate::currentDate().addDays(7 * faelligStandardWochen()).toString(dateFormat));

    static void (TRepMenue::*const handlers[TabCount])(QObject*) = {
        &TRepMenue::LeiterKartei, &TRepMenue::LeiterUebersicht, &TRepMenue::PruefUebersicht,
        &TRepMenue::PruefBlattBearbeiter, &TRepMenue::AusgabeCountBlatt, &TRepMenue::FaelligePruefungen};
    for (int i = 0; i < TabCount; ++i) {
        auto handler = handlers[i];
        for (QPushButton* b : {m_vorschau[i], m_druck[i], m_export[i]})
            connect(b, &QPushButton::clicked, this, [this, handler, b] { (this->*handler)(b); });
    }

    BDruckerConfig = named(new QPushButton(QStringLiteral("D&rucker"), this), "BDruckerConfig");
    BDruckerConfig->setGeometry(8, 430, 110, 30);
    connect(BDruckerConfig, &QPushButton::clicked, this, &TRepMenue::BDruckerConfigClick);
    BEnde = named(new QPushButton(QStringLiteral("&Ende"), this), "BEnde");
    BEnde->setGeometry(682, 430, 110, 30);
    connect(BEnde, &QPushButton::clicked, this, &QDialog::reject);

    buildPanel();
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PlaceAuswahlPanel(); });
    PlaceAuswahlPanel();
}

void TRepMenue::fillList(QComboBox* box, DataSet* table, const QString& keyField)
{
    box->clear();
    box->addItem(QStringLiteral("<Alle>"), QVariant());
    if (table) {
        if (!table->active())
            table->open();
        else if (auto* t = qobject_cast<Table*>(table))
            t->refreshIfChanged();
        const bool companiesOnly = table == m_dm.StFirmAbtList;
        for (table->first(); !table->eof(); table->next()) {
            if (companiesOnly && table->field(QStringLiteral("ParentID")).asInteger() != 0)
                continue;
            box->addItem(table->field(QStringLiteral("KurzBez")).asString(),
                         table->field(keyField).asInteger());
        }
    }
    box->setCurrentIndex(0);
}

void TRepMenue::buildPanel()
{
    PanAuswahl = named(new QFrame(this), "PanAuswahl");
    PanAuswahl->resize(440, 318);
    QFrame* p = PanAuswahl;

    label(p, QStringLiteral("Auswahl :"), 8, 8);
    CoboAuswahl = named(new QComboBox(p), "CoboAuswahl");
    CoboAuswahl->addItems({QStringLiteral("<Alle>"), QStringLiteral("Leiter-Nr"), QStringLiteral("Leiter-KurzBez"),
                           QStringLiteral("n. Prüf-Termin"), QStringLiteral("Ausgabedatum")});
    CoboAuswahl->setGeometry(100, 8, 200, 24);

    NotebookAuswahl = named(new QStackedWidget(p), "NotebookAuswahl");
    NotebookAuswahl->setGeometry(8, 38, 424, 30);
    auto* leer = new QWidget(NotebookAuswahl);
    leer->setObjectName(QStringLiteral("Leer"));
    auto* nr = new QWidget(NotebookAuswahl);
    nr->setObjectName(QStringLiteral("Nr"));
    auto* datum = new QWidget(NotebookAuswahl);
    datum->setObjectName(QStringLiteral("Datum"));
    auto* kurz = new QWidget(NotebookAuswahl);
    kurz->setObjectName(QStringLiteral("KurzBez"));
    for (QWidget* w : {leer, nr, datum, kurz})
        NotebookAuswahl->addWidget(w);

    auto range = [](QWidget* page) {
        label(page, QStringLiteral("von :"), 0, 3, 40);
        label(page, QStringLiteral("bis..:"), 212, 3, 40);
    };
    range(nr);
    EditNrV = named(new QLineEdit(nr), "EditNrV");
    EditNrB = named(new QLineEdit(nr), "EditNrB");
    for (QLineEdit* e : {EditNrV, EditNrB}) {
        e->setMaxLength(8);
        e->setValidator(new QIntValidator(-32768, 32767, e));
    }
    EditNrV->setGeometry(92, 3, 110, 24);
    EditNrB->setGeometry(256, 3, 110, 24);

    range(datum);
    EditDateV = named(new QLineEdit(datum), "EditDateV");
    EditDateB = named(new QLineEdit(datum), "EditDateB");
    SpBVon = named(new QToolButton(datum), "SpBVon");
    SpBBis = named(new QToolButton(datum), "SpBBis");
    for (QLineEdit* e : {EditDateV, EditDateB}) {
        e->setInputMask(QStringLiteral("99.99.9999"));
        e->setText(QDate::currentDate().toString(dateFormat));
    }
    EditDateV->setGeometry(92, 3, 90, 24);
    SpBVon->setGeometry(184, 3, 24, 24);
    EditDateB->setGeometry(256, 3, 90, 24);
    SpBBis->setGeometry(348, 3, 24, 24);
    for (QToolButton* b : {SpBVon, SpBBis})
        b->setText(QStringLiteral("..."));
    connect(SpBVon, &QToolButton::clicked, this, [this] { pickDate(EditDateV); });
    connect(SpBBis, &QToolButton::clicked, this, [this] { pickDate(EditDateB); });

    range(kurz);
    EditKurzBezV = named(new QLineEdit(kurz), "EditKurzBezV");
    EditKurzBezB = named(new QLineEdit(kurz), "EditKurzBezB");
    for (QLineEdit* e : {EditKurzBezV, EditKurzBezB})
        e->setMaxLength(30);
    EditKurzBezV->setGeometry(92, 3, 110, 24);
    EditKurzBezB->setGeometry(256, 3, 150, 24);

    int y = 76;
    auto row = [&](const QString& text, QWidget* w, int width = 240) {
        label(p, text, 8, y);
        w->setGeometry(100, y, width, 24);
        y += 28;
    };
    CoboLeiterArt = named(new QComboBox(p), "CoboLeiterArt");
    row(QStringLiteral("Leiter-Art :"), CoboLeiterArt);
    CoboMaterial = named(new QComboBox(p), "CoboMaterial");
    row(QStringLiteral("Material :"), CoboMaterial);
    CoboFirmen = named(new QComboBox(p), "CoboFirmen");
    row(QStringLiteral("Firma :"), CoboFirmen);
    DbTreeLookupAbt = named(new TDbTreeLookupComboBox(p), "DbTreeLookupAbt");
    DbTreeLookupAbt->setListSource(m_dm.StFirmAbtList, QStringLiteral("ID"), QStringLiteral("KurzBez"));
    DbTreeLookupAbt->setListTreeIDField(QStringLiteral("ID"));
    DbTreeLookupAbt->setListTreeParentField(QStringLiteral("ParentID"));
    DbTreeLookupAbt->treeView()->setSortType(TDBTreeView::stText);
    DbTreeLookupAbt->setDropDownWidth(240);
    DbTreeLookupAbt->setDropDownAlign(daRight);
    SpbAbtLoe = named(new QToolButton(p), "SpbAbtLoe");
    SpbAbtLoe->setText(QStringLiteral("X"));
    SpbAbtLoe->setGeometry(344, y, 24, 24);
    connect(SpbAbtLoe, &QToolButton::clicked, this, [this] { DbTreeLookupAbt->setKeyValue(QVariant()); });
    row(QStringLiteral("Abteilung :"), DbTreeLookupAbt);
    CoboPruefungsArt = named(new QComboBox(p), "CoboPruefungsArt");
    row(QStringLiteral("Prüfung :"), CoboPruefungsArt);
    CoboPrPruefer = named(new QComboBox(p), "CoboPrPruefer");
    row(QStringLiteral("int. Prüfer :"), CoboPrPruefer);
    CoboLeiterPrgPruefArt = named(new QComboBox(p), "CoboLeiterPrgPruefArt");
    CoboLeiterPrgPruefArt->addItems({QStringLiteral("einfache   Prüfungen"), QStringLiteral("erweiterte Prüfungen")});
    CoboLeiterPrgPruefArt->setCurrentIndex(0);
    row(QStringLiteral("Einstellung :"), CoboLeiterPrgPruefArt);
    cbMarkierte = named(new QCheckBox(QStringLiteral("nur markierte Daten drucken"), p), "cbMarkierte");
    cbMarkierte->setGeometry(8, y + 2, 300, 20);
    cbMarkierte->setEnabled(!m_marks.isEmpty());
    CbOhneSchrott = named(new QCheckBox(QStringLiteral("ohne Schrott ausdrucken"), p), "CbOhneSchrott");
    CbOhneSchrott->setGeometry(8, y + 24, 300, 20);

    fillList(CoboLeiterArt, m_dm.SLeiterArten, QStringLiteral("ID"));
    fillList(CoboMaterial, m_dm.SMaterial, QStringLiteral("ID"));
    fillList(CoboFirmen, m_dm.StFirmAbtList, QStringLiteral("ID"));
    fillList(CoboPruefungsArt, m_dm.SPruef, QStringLiteral("Nr"));
    fillList(CoboPrPruefer, m_dm.StPruefer, QStringLiteral("ID"));

    connect(CoboAuswahl, &QComboBox::currentIndexChanged, this, [this] { CoboAuswahlChange(); });
    CoboAuswahl->setCurrentIndex(0);
    CoboAuswahlChange();
}

void TRepMenue::CoboAuswahlChange()
{
    // <Alle>: empty page; number; short description; both dates share the date page.
    static const int pages[] = {0, 1, 3, 2, 2};
    const int i = CoboAuswahl->currentIndex();
    NotebookAuswahl->setCurrentIndex(i >= 0 && i < 5 ? pages[i] : 0);
}

void TRepMenue::PlaceAuswahlPanel()
{
    QWidget* tab = PageControl1->currentWidget();
    if (!tab)
        return;
    PanAuswahl->setParent(tab);
    PanAuswahl->setFrameShape(QFrame::NoFrame);
    PanAuswahl->move(16, 48);
    PanAuswahl->show();
}

void TRepMenue::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TRepMenue::BDruckerConfigClick() { Dialogs::printDialog(this, appPrinter()); }

void TRepMenue::pickDate(QLineEdit* edit)
{
    QDate start = QDate::fromString(edit->text(), dateFormat);
    if (const std::optional<QDate> d = TBrDateForm::choose(this, start))
        edit->setText(d->toString(dateFormat));
    edit->setFocus();
}

QDate TRepMenue::dateOf(QLineEdit* edit) const
{
    const QDate d = QDate::fromString(edit->text(), dateFormat);
    if (!d.isValid())
        throw HwError(QStringLiteral("'%1' ist kein gültiges Datum").arg(edit->text()));
    if (d < minDate || d > maxDate)
        throw HwError(QStringLiteral("%1 ist kein gültiges Datum. Der zulässige Bereich ist %2 bis %3")
                          .arg(edit->text(), minDate.toString(dateFormat), maxDate.toString(dateFormat)));
    return d;
}

int TRepMenue::numberOf(QLineEdit* edit) const
{
    const QString t = edit->text().trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < -32768 || v > 32767)
        throw HwError(QStringLiteral("'%1' ist kein gültiger Wert. Der zulässige Bereich ist -32768 bis 32767").arg(t));
    return v;
}

void TRepMenue::SetUserControl(TUserControl* rights)
{
    m_rights = rights;
    if (!rights)
        return;
    const bool allowed = !rights->Active() || rights->HasRight(crPrint);
    for (QPushButton* b : m_druck)
        b->setEnabled(allowed);
}

void TRepMenue::SetLeiterNr(int nr)
{
    EditNrV->setText(QString::number(nr));
    EditNrB->setText(QString::number(nr));
}

void TRepMenue::SetPruefArtAnzeige(int index)
{
    CoboLeiterPrgPruefArt->setCurrentIndex(index < 0 || index >= CoboLeiterPrgPruefArt->count() ? 0 : index);
}

std::unique_ptr<TRepForm> TRepMenue::createForm(TRepArt art)
{
    const TRepFactory factory = reportFormFactory(art);
    if (!factory)
        throw HwError(QStringLiteral("Der Report \"%1\" ist noch nicht verfügbar.")
                          .arg(PageControl1->tabText(tabOf(art)).remove(u'&')));
    std::unique_ptr<TRepForm> form = factory(m_dm);
    form->report().setPrinter(chosenPrinter());
    return form;
}

void TRepMenue::output(TRepForm& form, bool preview, const QString& question)
{
    if (preview) {
        form.preview();
        return;
    }
    if (m_rights)
        m_rights->CheckRight(crPrint);
    if (!Dialogs::question(this, question))
        return;
    form.print();
}

std::function<void(TRepForm&, QWidget*)>& TRepMenue::exportHook()
{
    static std::function<void(TRepForm&, QWidget*)> hook;
    return hook;
}

void TRepMenue::run(TRepArt art, bool preview, bool exportieren)
{
    std::unique_ptr<TRepForm> form = createForm(art);
    TRepForm& f = *form;
    const bool count = art == TRepArt::Count;

    switch (CoboAuswahl->currentIndex()) {
    case 1: f.SetBereichNr(numberOf(EditNrV), numberOf(EditNrB)); break;
    case 2: f.SetBereichKurzBez(EditKurzBezV->text(), EditKurzBezB->text()); break;
    case 3:
        f.SetBereichDatum(f.profile().pruefTerminField, f.profile().pruefTerminLabel, dateOf(EditDateV),
                          dateOf(EditDateB));
        break;
    case 4:
        f.SetBereichDatum(QStringLiteral("AusgabeDatum"), QStringLiteral("AusgabeDatum"), dateOf(EditDateV),
                          dateOf(EditDateB));
        break;
    default: break;
    }

    if (CoboLeiterArt->currentIndex() > 0)
        f.SetFilterID(rfLeiterArt, CoboLeiterArt->currentData().toInt());
    if (CoboMaterial->currentIndex() > 0)
        f.SetFilterID(rfMaterial, CoboMaterial->currentData().toInt());
    if (CoboFirmen->currentIndex() > 0)
        f.SetFilter(rfFirma, CoboFirmen->currentText());
    if (CoboPruefungsArt->currentIndex() > 0)
        f.SetFilterID(f.profile().pruefArtKind, CoboPruefungsArt->currentData().toInt());
    if (CoboPrPruefer->currentIndex() > 0)
        f.SetFilterID(rfPruefer, CoboPrPruefer->currentData().toInt());
    if (CbOhneSchrott->isChecked())
        f.SetFilterFlag(rfSchrott, false);
    if (cbMarkierte->isChecked() && cbMarkierte->isEnabled() && !count)
        f.SetFilterMarkiert(rfMarkiert, m_marks);
    const QVariant abt = DbTreeLookupAbt->KeyValue();
    if (abt.isValid() && !abt.isNull() && !abt.toString().isEmpty()) {
        if (count)
            f.SetGesamteStruktur(LtCountCbAllFirmAbtShow->isChecked());
        f.SetFilter(rfAbteilung, QString::number(abt.toLongLong()));
    }

    const int layout = CoboLeiterPrgPruefArt->currentIndex();
    switch (art) {
    case TRepArt::LeiterKartei:
        f.SetSeiteProLeiter(LtKCbSeiteProLeiter->isChecked());
        f.SetErweitert(layout);
        f.SetPruefUebersicht(LtKCbDruckPruefUebersicht->isChecked());
        break;
    case TRepArt::PruefUebersicht: f.SetErweitert(layout); break;
    case TRepArt::Kontrollblatt:
        f.SetErweitert(layout);
        f.SetErledigtKennzeichnen(LtKontrBCbPrintErledigt->isChecked());
        f.SetMaschBewertung(LtKontrBCbPrintMaschBewertung->isChecked());
        break;
    case TRepArt::Faellig:
        if (auto* faellig = dynamic_cast<TRepFaellig*>(&f))
            faellig->SetFaelligBis(dateOf(FaelligEditBis));
        break;
    default: break;
    }

    if (!count && m_sort[tabOf(art)])
        f.SetSortierung(m_sort[tabOf(art)]->currentIndex());

    if (exportieren && exportHook()) {
        exportHook()(f, this);
        return;
    }
    output(f, preview, QStringLiteral("Liste drucken ?"));
}

void TRepMenue::starten(TRepArt art, QObject* sender)
{
    const bool preview = sender == m_vorschau[tabOf(art)];
    const bool exportieren = sender && sender == m_export[tabOf(art)];
    try {
        run(art, preview, exportieren);
    } catch (const Abort&) {
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
    }
}

void TRepMenue::LeiterKartei(QObject* sender) { starten(TRepArt::LeiterKartei, sender); }
void TRepMenue::LeiterUebersicht(QObject* sender) { starten(TRepArt::LeiterUebersicht, sender); }
void TRepMenue::PruefUebersicht(QObject* sender) { starten(TRepArt::PruefUebersicht, sender); }
void TRepMenue::PruefBlattBearbeiter(QObject* sender) { starten(TRepArt::Kontrollblatt, sender); }
void TRepMenue::AusgabeCountBlatt(QObject* sender) { starten(TRepArt::Count, sender); }
void TRepMenue::FaelligePruefungen(QObject* sender) { starten(TRepArt::Faellig, sender); }

void TRepMenue::einzelKontrollblatt(int pruefId, bool preview)
{
    try {
        if (!preview && m_rights)
            m_rights->CheckRight(crPrint);
        std::unique_ptr<TRepForm> form = createForm(TRepArt::Kontrollblatt);
        form->SetEinzelPruefung(pruefId);
        form->SetErweitert(CoboLeiterPrgPruefArt->currentIndex());
        if (preview) {
            form->preview();
            return;
        }
        if (!Dialogs::question(this, QStringLiteral("Kontrollblatt drucken ?")))
            return;
        form->print();
    } catch (const Abort&) {
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
    }
}

void TRepMenue::VorschauEinzelKontrollblatt(int pruefId) { einzelKontrollblatt(pruefId, true); }
void TRepMenue::DruckEinzelKontrollblatt(int pruefId) { einzelKontrollblatt(pruefId, false); }
