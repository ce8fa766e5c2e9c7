#include "LeiterVerw.h"

#include "ActionGuard.h"
#include "AppConfig.h"
#include "CursorModel.h"
#include "DataControls.h"
#include "DataModule.h"
#include "DBTreeView.h"
#include "DbTreeLookupComboBox.h"
#include "FensterLage.h"
#include "FlowLayout.h"
#include "Dialogs.h"
#include "HelpWindow.h"
#include "Hints.h"
#include "LadeFortschritt.h"
#include "LadderPages.h"
#include "LeiterVerlassen.h"
#include "LeiterCursor.h"
#include "SharedRows.h"
#include "LeiterGrid.h"
#include "LeiterRegeln.h"
#include "LtFirmAbt.h"
#include "MainMenus.h"
#include "StatusPanels.h"
#include "TVekPopUpControl.h"
#include "Table.h"
#include "UserControl.h"
#include "UserState.h"

#if __has_include("TVekStdPreviewForm.h")
#include "TVekStdPreviewForm.h"
#define HW_HAS_PREVIEW 1
#endif

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kMinWidth = 604;
constexpr int kMinHeight = 522;
const char* const kPendingWidget = "hwPending";

QPushButton* button(const char* name, const QString& text, const QString& hint, int width, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    if (!hint.isEmpty())
        setHint(b, hint);
    b->setFixedSize(width, 26);
    return b;
}

QToolButton* toggle(const char* name, const QString& text, const QString& hint, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setCheckable(true);
    b->setFocusPolicy(Qt::NoFocus);
    setHint(b, hint);
    return b;
}
// The size that shows the whole ladder page beside the OK/Cancel panel, and a dozen grid rows:
// the window's first size on a workstation.
QSize gewuenschteGroesse(const TLeiterVerw& w)
{
    const int width = w.allgemeinPage()->sizeHint().width() + w.okCancel()->sizeHint().width() + 8;
    const int height = qMax(kMinHeight, w.minimumSizeHint().height()) + 9 * w.grid()->verticalHeader()->defaultSectionSize();
    return QSize(qMax(kMinWidth, width), height);
}
} // namespace

TLeiterVerw::TLeiterVerw(TDataModule1& dataModule, QWidget* parent) : QMainWindow(parent), m_dm(dataModule)
{
    setObjectName(QStringLiteral("TLeiterVerw"));
    setWindowTitle(QStringLiteral("Leiter - Prüfungsverwaltung"));
    setProperty("helpContext", 100);
    // The window's controls are laid out for a small font, as the register always had.
    QFont small = font();
    small.setPointSizeF(qMin<qreal>(small.pointSizeF(), 8.0));
    setFont(small);
    setMinimumSize(kMinWidth, kMinHeight);
    resize(kMinWidth, kMinHeight);

    // The window's department tree index and the ladder cursor with its rules.
    m_firmAbt = std::make_unique<TLtFirmAbt>(*m_dm.StFirmAbtList);
    m_leiter = createLeiterCursor(m_dm, *m_firmAbt, this);
    // The grid shows the first ladders while the rest is read; whatever needs all of them waits.
    m_leiter->setShowWhileLoading(true);
    setLoadWaitFactory(loadProgressFactory(this));
    m_leiter->open();
    setLeiterGridWidths(*m_leiter);
    m_leiter->first();
    m_source = new TDataSource(m_leiter, this);
    m_source->setObjectName(QStringLiteral("LeiterSource"));
    m_regeln = new TLeiterRegeln(*m_leiter, m_dm, this);
    m_regeln->dialogParent = this;
    m_regeln->beforeNewLadder = [this] { selectTab(0); };
    m_regeln->afterNewLadder = [this] {
        if (m_allgemein->EditNr->isVisible())
            m_allgemein->EditNr->setFocus();
    };

    m_menus = new TMainMenus(this);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientPanel"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);
    buildButtonPanel(central);

    auto* gridPanel = new QWidget(central);
    gridPanel->setObjectName(QStringLiteral("GridPanel"));
    auto* gridLayout = new QVBoxLayout(gridPanel);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(0);
    buildButtonPanelZus(gridPanel);
    m_grid = new TLeiterGrid(m_leiter, gridPanel);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_menus->LtPopupMenu->popup(m_grid->viewport()->mapToGlobal(pos)); });
    m_grid->addKeyHandler([this](QKeyEvent* e) { return DBGridLeiterKeyDown(e); });
    // At the minimum size the wrapped button rows take their room from the grid, down to a
    // header and three rows.
    m_grid->setMinimumHeight(m_grid->horizontalHeader()->sizeHint().height()
                             + 3 * m_grid->verticalHeader()->defaultSectionSize() + 2 * m_grid->frameWidth());
    m_grid->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    gridLayout->addWidget(m_grid, 1);
    layout->addWidget(gridPanel, 1);

    buildDataPanel(central);
    buildStatusBar(central);

    // 1. View options at start.
    m_menus->action(QStringLiteral("MAnsFirmaAbtZuerst"))->setChecked(false);
    m_menus->action(QStringLiteral("MExMPUserList"))->setVisible(true);
    m_menus->action(QStringLiteral("MExMPUserListLine"))->setVisible(true);
#ifdef HW_HAS_PREVIEW
    // 2. The report preview has no minimise box for the rest of the run.
    SetPreviewBorderIcons(previewBorderIcons() & ~Qt::WindowMinimizeButtonHint);
#endif
    // 3. Version.
    m_status->panel(5)->setText(QStringLiteral(" Vers: ") + AppConfig::instance().version);
    // 5. No filter; view options applied.
    m_leiter->setFiltered(false);
    AnzeigeExterneNr(m_menus->action(QStringLiteral("MAnsExtNr"))->isChecked());
    AnzeigeFirmaAbtZuerst(false);
    // 6. Marks start empty.
    m_markListe.clear();
    // 8. Company and supplier lists.
    FillFirmenListe();
    FillLieferantenListe();
    // 9. Tabs over the pages, "erforderl. Pruefungen" has no tab of its own.
    TabSetClick(0);
    // 12. Rights component and rights menu.
    TUserControl* rights = m_dm.DataUserControl;
    rights->OnChange = [this](TUserControl* uc) { UpdateRechteMenue(uc); };
    rights->Change();
    rights->UserName = UserState::AktBenutzer;
    rights->setRights(UserState::AktRechte);
    UpdateRechteMenue(rights);
    m_status->panel(0)->setText(UserState::AktBenutzer);

    connectMenus();
    MenuGuard::setGuard(this, [this] { leaveRecord(*this); });
    // Every entry that moves the cursor, re-reads or filters the rows, or opens a window that
    // shows or changes the stored rows (entries added by features take the same property).
    for (const char* name :
         {"MBearbIndexSuche", "LtPopIndexSuche", "ActSuchTextFolge", "ActSuchNext", "ActSuchPrior", "ActSuchLast",
          "ActSuchClear", "ActSuchToMark", "ActSuchToFilter", "ActSuchFilterClear", "ActMarkChangeGotoNext",
          "ActMarkClearAll", "ActMarkToCurrent", "ActMarkFindFirst", "ActMarkFindPrior", "ActMarkFindNext",
          "ActMarkFindLast", "ActMarkToFilter", "ActMarkFilterClear", "LtPopFilterAktAbt", "ActFilterLoeschen",
          "ActBcSuchLeiter", "ActBcSuchComLeiter", "MListen", "MDateiDruckKartei", "MDateiDruckUebersicht",
          "MDateiDruckPruefUebersicht", "MLArt", "MMaterial", "MPruef", "MPruefTermine", "MFirmen", "MFirmenAbt",
          "MLieferanten", "MDateiExLogin"})
        if (QAction* a = m_menus->action(QLatin1String(name)))
            MenuGuard::markLeaving(a);
    connect(m_source, &TDataSource::stateChanged, this, &TLeiterVerw::LeiterStateChange);
    connect(m_source, &TDataSource::dataChanged, this, &TLeiterVerw::updateStatusTexts);
    connect(m_leiter, &DataSet::rowsReset, this, &TLeiterVerw::updateStatusTexts);
    LeiterStateChange();
    updateStatusTexts();

    // Enter moves on, Ctrl+Enter saves, Esc cancels: the window sees keys before its controls.
    qApp->installEventFilter(this);
    m_grid->setFocus();

    // As this workstation left it, or at a size that shows the whole ladder page.
    FensterLage::wiederherstellen(*this, gewuenschteGroesse(*this));
}

TLeiterVerw::~TLeiterVerw()
{
    qApp->removeEventFilter(this);
    if (m_dm.DataUserControl)
        m_dm.DataUserControl->OnChange = nullptr;
    // Controls first, then the rules that hook the cursor, then the cursor.
    delete centralWidget();
    delete m_help;
    delete m_regeln;
    delete m_source;
    delete m_leiter;
}

// ------------------------------------------------------------------ layout

namespace {
// One group of a wrapping button bar: its controls stay side by side.
QHBoxLayout* controlGroup(QWidget* panel, FlowLayout* flow)
{
    auto* group = new QWidget(panel);
    auto* l = new QHBoxLayout(group);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    flow->addWidget(group);
    return l;
}
}

void TLeiterVerw::buildButtonPanel(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("ButtonPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    // Groups of controls that wrap to a second row in a narrow window instead of squeezing
    // their captions.
    auto* flow = new FlowLayout(panel, 2);
    flow->setContentsMargins(2, 2, 2, 2);
    QHBoxLayout* l = controlGroup(panel, flow);

    Nav = new TDBNavigator(panel);
    Nav->setObjectName(QStringLiteral("Nav"));
    Nav->setDataSource(m_source);
    connect(Nav, &TDBNavigator::clicked, this, [this] { m_grid->setFocus(); });
    l->addWidget(Nav);

    Sort = new QComboBox(panel);
    Sort->setObjectName(QStringLiteral("Sort"));
    // As wide as its longest order name ("Kurzbezeichnung", "Erfassungsdatum").
    Sort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Sort->addItem(m_leiter->field(QStringLiteral("Nr")).displayLabel());
    setHint(Sort, QStringLiteral("Sortierung wechseln"));
    Sort->setProperty(kPendingWidget, true);
    l->addWidget(Sort);

    BNeu = new TVekPopUpControl(panel);
    BNeu->setObjectName(QStringLiteral("BNeu"));
    BNeu->setCaption(QStringLiteral("Neu"));
    BNeu->setPopupMenu(m_menus->LtPopupNeu);
    BNeu->setPopUpVisible(true);
    BNeu->setPopUpWidth(16);
    BNeu->setSpace(0);
    BNeu->setPopUpPlace(TVekPopUpControl::ppDown);
    BNeu->OnButtonClick = [this] { LeiterNeuExecute(); };
    BNeu->setFixedSize(60, 26);
    l->addWidget(BNeu);
    l = controlGroup(panel, flow);

    // From here on the buttons keep their distance to the right edge.
    BLoe = button("BLoe", QStringLiteral("Löschen"), QStringLiteral("Leiter löschen|"), 58, panel);
    l->addWidget(BLoe);
    BSuch = new TVekPopUpControl(panel);
    BSuch->setObjectName(QStringLiteral("BSuch"));
    BSuch->setCaption(QStringLiteral("Suchen"));
    setHint(BSuch, QStringLiteral("Suchen"));
    BSuch->setPopupMenu(m_menus->LtPopupSuch);
    BSuch->setButtonDefaultPopUp(true);
    BSuch->setPopUpWidth(16);
    BSuch->setSpace(0);
    BSuch->setPopUpPlace(TVekPopUpControl::ppDown);
    BSuch->setFixedSize(70, 26);
    l->addWidget(BSuch);
    BWeiterS = button("BWeiterS", QStringLiteral("WeiterSu"), QString(), 60, panel);
    BWeiterS->setEnabled(false);
    l->addWidget(BWeiterS);
    BVorschau = button("BVorschau", QStringLiteral("Vorschau"), QStringLiteral("Listenmenue aufrufen"), 60, panel);
    l->addWidget(BVorschau);
    BDruck = button("BDruck", QStringLiteral("Druck"), QStringLiteral("Listenmenue aufrufen"), 46, panel);
    l->addWidget(BDruck);
    BEnde = button("BEnde", QStringLiteral("Ende"), QStringLiteral("Programm beenden"), 46, panel);
    l->addWidget(BEnde);

    static_cast<QVBoxLayout*>(parent->layout())->addWidget(panel);
}

void TLeiterVerw::buildButtonPanelZus(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("ButtonPanelZus"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* flow = new FlowLayout(panel, 2);
    flow->setContentsMargins(2, 1, 2, 1);
    QHBoxLayout* l = controlGroup(panel, flow);

    SpBDetailNeu = toggle("SpBDetailNeu", QStringLiteral("erweiterte Prüfungen"),
                          QStringLiteral("Schalter muss eingerastet bleiben"), panel);
    SpBDetailNeu->setChecked(true);
    l->addWidget(SpBDetailNeu);
    SpBKopieren = toggle("SpBKopieren", QStringLiteral("Akt..Kopieren"),
                         QStringLiteral("Sofern Schalter eingerastet ist\r\n  wird bei Betätigen von <NEU>\r\n"
                                        "  der aktuelle Datensatz kopiert"),
                         panel);
    l->addWidget(SpBKopieren);

    l = controlGroup(panel, flow);
    auto* label = new QLabel(QStringLiteral("Firma/Abteilg.:"), panel);
    label->setObjectName(QStringLiteral("LabelFilterAbt"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    l->addWidget(label);
    DbFilterAbt = new TDbTreeLookupComboBox(panel);
    DbFilterAbt->setObjectName(QStringLiteral("DbFilterAbt"));
    DbFilterAbt->setMinimumWidth(DbFilterAbt->fontMetrics().horizontalAdvance(QStringLiteral("Muster GmbH")) + 40);
    DbFilterAbt->setListSource(m_dm.StFirmAbtList, QStringLiteral("ID"), QStringLiteral("KurzBez"));
    DbFilterAbt->setListTreeIDField(QStringLiteral("ID"));
    DbFilterAbt->setListTreeParentField(QStringLiteral("ParentID"));
    DbFilterAbt->treeView()->setSortType(TDBTreeView::stText);
    DbFilterAbt->setDropDownWidth(400);
    DbFilterAbt->setDropDownHeight(400);
    setHint(DbFilterAbt, QStringLiteral("Firma / Auswählen\r\nzum Filtern in Holmwacht"));
    DbFilterAbt->setProperty(kPendingWidget, true);
    DbFilterAbt->setEnabled(false);
    l->addWidget(DbFilterAbt, 1);
    SpBFilterAbtLoe = new QToolButton(panel);
    SpBFilterAbtLoe->setObjectName(QStringLiteral("SpBFilterAbtLoe"));
    SpBFilterAbtLoe->setText(QStringLiteral("X"));
    setHint(SpBFilterAbtLoe, QStringLiteral("Auswahl Firma/Abteilung\r\nlöschen"));
    SpBFilterAbtLoe->setProperty(kPendingWidget, true);
    SpBFilterAbtLoe->setEnabled(false);
    l->addWidget(SpBFilterAbtLoe);

    l = controlGroup(panel, flow);
    VekPopUpControl1 = new TVekPopUpControl(panel);
    VekPopUpControl1->setObjectName(QStringLiteral("VekPopUpControl1"));
    VekPopUpControl1->setCaption(QStringLiteral("Markieren"));
    VekPopUpControl1->setPopupMenu(m_menus->LtPopupMark);
    VekPopUpControl1->setButtonDefaultPopUp(true);
    VekPopUpControl1->setPopUpWidth(16);
    VekPopUpControl1->setSpace(0);
    VekPopUpControl1->setPopUpPlace(TVekPopUpControl::ppDown);
    VekPopUpControl1->setFixedSize(84, 24);
    l->addWidget(VekPopUpControl1);

    BFilterLoe = new QToolButton(panel);
    BFilterLoe->setObjectName(QStringLiteral("BFilterLoe"));
    BFilterLoe->setDefaultAction(m_menus->action(QStringLiteral("ActFilterLoeschen")));
    l->addWidget(BFilterLoe);

    static_cast<QVBoxLayout*>(parent->layout())->addWidget(panel);
}

void TLeiterVerw::buildDataPanel(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("DataPanel"));
    auto* l = new QHBoxLayout(panel);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);

    auto* pagesBox = new QWidget(panel);
    auto* pl = new QVBoxLayout(pagesBox);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->setSpacing(0);
    m_notebook = new QStackedWidget(pagesBox);
    m_notebook->setObjectName(QStringLiteral("Notebook"));

    m_allgemein = new TLeiterAllgemeinPage(m_source, m_dm);
    auto* sheetAllgemein = new QWidget;
    sheetAllgemein->setObjectName(QStringLiteral("TabSheetAllgemein"));
    sheetAllgemein->setWindowTitle(QStringLiteral("Allgemein"));
    auto* al = new QVBoxLayout(sheetAllgemein);
    al->setContentsMargins(0, 0, 0, 0);
    // Four columns of fields need more than the window's minimum width: the page scrolls
    // rather than cutting its texts.
    auto* scroll = new QScrollArea(sheetAllgemein);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_allgemein);
    al->addWidget(scroll);
    m_notebook->addWidget(sheetAllgemein);

    // The criteria pages and the inspection list come with the inspection windows.
    const std::pair<const char*, QString> placeholders[] = {
        {"TabSheetPruef", QStringLiteral("erforderl. Prüfungen")},
        {"TabSheetPruefDetail", QStringLiteral("erforderl. Pruefungen")},
        {"TabSheetPruefUebersicht", QStringLiteral("Prüfungsübersicht")}};
    for (const auto& [name, caption] : placeholders) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QLatin1String(name));
        sheet->setWindowTitle(caption);
        m_notebook->addWidget(sheet);
    }

    m_beschreibung = new TLeiterBeschreibungPage(m_source);
    m_beschreibung->setObjectName(QStringLiteral("TabSheetBeschreibung"));
    m_beschreibung->setWindowTitle(QStringLiteral("Beschreibung"));
    m_notebook->addWidget(m_beschreibung);

    m_tabSet = new QTabBar(pagesBox);
    m_tabSet->setObjectName(QStringLiteral("TabSet"));
    m_tabSet->setShape(QTabBar::RoundedSouth);
    m_tabSet->setFocusPolicy(Qt::NoFocus);
    m_tabSet->setExpanding(false);
    for (int i = 0; i < m_notebook->count(); ++i)
        m_tabSet->addTab(m_notebook->widget(i)->windowTitle());
    m_tabSet->removeTab(PagePruefDetail);
    // A click on the shown tab maps it again (the criteria page follows "erweiterte Prüfungen");
    // a click on another tab arrives as the change of the current tab.
    connect(m_tabSet, &QTabBar::tabBarClicked, this, [this](int tab) {
        if (tab == m_tabSet->currentIndex())
            TabSetClick(tab);
    });
    connect(m_tabSet, &QTabBar::currentChanged, this, &TLeiterVerw::TabSetClick);

    pl->addWidget(m_notebook, 1);
    pl->addWidget(m_tabSet);
    l->addWidget(pagesBox, 1);

    m_okCancel = new TOkCancelPanel(panel);
    l->addWidget(m_okCancel);
    connect(m_okCancel->BOK, &QPushButton::clicked, this, &TLeiterVerw::BOKClick);
    connect(m_okCancel->BCancel, &QPushButton::clicked, this, &TLeiterVerw::BCancelClick);

    // The page's height follows its fields (see eventFilter): some are shown only once the
    // window is, and a page cut by a few pixels scrolls both ways even in a maximised window.
    panel->setFixedHeight(m_allgemein->sizeHint().height() + m_tabSet->sizeHint().height());
    static_cast<QVBoxLayout*>(parent->layout())->addWidget(panel);

    connect(SpBDetailNeu, &QToolButton::toggled, this, &TLeiterVerw::erweitertePruefungenChanged);
    connect(SpBKopieren, &QToolButton::toggled, m_regeln, &TLeiterRegeln::setKopieren);
    connect(m_regeln, &TLeiterRegeln::kopierenChanged, SpBKopieren, [this](bool on) {
        const QSignalBlocker block(SpBKopieren);
        SpBKopieren->setChecked(on);
    });
}

void TLeiterVerw::buildStatusBar(QWidget* parent)
{
    m_status = new TStatusPanels(parent);
    m_status->setObjectName(QStringLiteral("StatusBar"));
    m_status->addPanel(100, Qt::AlignCenter);
    m_status->addPanel(100);
    m_status->addPanel(80);
    m_status->addPanel(50);
    m_status->addPanel(90);
    m_status->addPanel(80);
    connect(m_status, &TStatusPanels::resized, this, &TLeiterVerw::layoutStatusPanels);
    static_cast<QVBoxLayout*>(parent->layout())->addWidget(m_status);
    layoutStatusPanels();
}

QLabel* TLeiterVerw::statusPanel(int index) const { return m_status->panel(index); }

void TLeiterVerw::layoutStatusPanels()
{
    // The hint panel takes what the other five leave.
    m_status->setPanelWidth(1, m_status->width() - 400);
}

void TLeiterVerw::updateStatusTexts()
{
    if (!m_leiter->active())
        return;
    const int count = m_leiter->recordCount();
    if (m_leiter->filtered())
        m_status->panel(2)->setText(QStringLiteral(" %1 gefiltert ").arg(count));
    else
        m_status->panel(2)->setText(QStringLiteral(" %1 von %2 ").arg(m_leiter->recNo()).arg(count));
    m_status->panel(3)->setText(m_markListe.isEmpty() ? QString() : QStringLiteral("M : %1").arg(m_markListe.count()));
    m_status->panel(4)->setText(m_leiter->filtered() ? QStringLiteral("Daten gefiltert") : QString());
}

// ------------------------------------------------------------------ pages and tabs

QWidget* TLeiterVerw::page(int index) const { return m_notebook->widget(index); }

void TLeiterVerw::replacePage(int index, QWidget* newPage)
{
    QWidget* old = m_notebook->widget(index);
    if (!old || !newPage || old == newPage)
        return;
    if (newPage->objectName().isEmpty())
        newPage->setObjectName(old->objectName());
    newPage->setWindowTitle(old->windowTitle());
    const bool shown = m_notebook->currentIndex() == index;
    m_notebook->insertWidget(index, newPage);
    m_notebook->removeWidget(old);
    if (shown)
        m_notebook->setCurrentIndex(index);
    if (old == m_beschreibung)
        m_beschreibung = nullptr;
    old->deleteLater();
}

bool TLeiterVerw::erweitertePruefungen() const { return SpBDetailNeu->isChecked(); }

int TLeiterVerw::pageForTab(int tab) const
{
    if (tab <= 0)
        return PageAllgemein;
    if (tab == 1 && !erweitertePruefungen())
        return PagePruef;
    return tab + 1;
}

void TLeiterVerw::TabSetClick(int tab)
{
    if (tab < 0)
        return;
    const int page = pageForTab(tab);
    // The inspection list works on the stored ladder: an edited one is saved first, and a
    // refused save keeps the page where the ladder is edited.
    if (page == PagePruefUebersicht && m_leiter->isEditing() && !runGuarded(this, [this] { leaveRecord(*this); })) {
        const int back = m_notebook->currentIndex();
        const QSignalBlocker block(m_tabSet);
        m_tabSet->setCurrentIndex(back <= PagePruefDetail ? qMin(back, 1) : back - 1);
        return;
    }
    m_notebook->setCurrentIndex(page);
}

void TLeiterVerw::selectTab(int tab)
{
    if (tab < 0 || tab >= m_tabSet->count())
        tab = 0;
    if (m_tabSet->currentIndex() != tab)
        m_tabSet->setCurrentIndex(tab);
    else
        TabSetClick(tab);
}

// ------------------------------------------------------------------ state display

void TLeiterVerw::setWidgetAvailable(QWidget* widget)
{
    widget->setProperty(kPendingWidget, false);
    widget->setEnabled(true);
    LeiterStateChange();
}

void TLeiterVerw::setWidgetWanted(QWidget* w, bool enabled) { w->setEnabled(enabled && !w->property(kPendingWidget).toBool()); }

void TLeiterVerw::LeiterStateChange()
{
    const DataSetState s = m_leiter->state();
    m_okCancel->LabelTableStatus->setText(stateText(s));
    const bool editing = s == DataSetState::Edit || s == DataSetState::Insert;
    m_okCancel->BOK->setEnabled(editing);
    m_okCancel->BCancel->setEnabled(editing);
    const bool lists = !m_menus->isPending(m_menus->MListen);
    for (QWidget* w : std::initializer_list<QWidget*>{m_grid, Nav, Sort, BNeu, BLoe, BSuch})
        setWidgetWanted(w, !editing);
    BVorschau->setEnabled(!editing && lists);
    BDruck->setEnabled(!editing && lists);
    BWeiterS->setEnabled(false);
    BEnde->setEnabled(true);
    for (const char* name : {"ActLeiterNeu", "ActLeiterNeuFreieNr", "ActLeiterNeuFreieNrAb", "ActLeiterNeuFreieNrAbZeile",
                             "ActLeiterNeuKopieren"})
        m_menus->setWanted(QLatin1String(name), !editing);
    Nav->updateButtons();
}

// ------------------------------------------------------------------ keys

bool TLeiterVerw::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_allgemein && event->type() == QEvent::LayoutRequest)
        m_okCancel->parentWidget()->setFixedHeight(m_allgemein->sizeHint().height() + m_tabSet->sizeHint().height());
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // Only at the first delivery, to the control that has the focus.
        if (w->window() == this && w == QApplication::focusWidget() && FormKeyDown(static_cast<QKeyEvent*>(event), w))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TLeiterVerw::FormKeyDown(QKeyEvent* e, QWidget* control)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (mods == Qt::ControlModifier) {
            const DataSetState s = m_leiter->state();
            if (s == DataSetState::Edit || s == DataSetState::Insert || s == DataSetState::SetKey) {
                BOKClick();
                return true;
            }
            return false;
        }
        if (mods != Qt::NoModifier)
            return false;
        if (qobject_cast<QAbstractItemView*>(control) || qobject_cast<QPlainTextEdit*>(control)
            || qobject_cast<QTextEdit*>(control))
            return false;
        focusNextChild();
        return true;
    }
    if (e->key() == Qt::Key_Escape && mods == Qt::NoModifier && m_okCancel->BCancel->isEnabled()) {
        BCancelClick();
        return true;
    }
    if (e->key() == Qt::Key_F1 && mods == Qt::NoModifier) {
        showHelp(100);
        return true;
    }
    return false;
}

bool TLeiterVerw::DBGridLeiterKeyDown(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    switch (e->key()) {
    case Qt::Key_Right:
        selectTab((m_tabSet->currentIndex() + 1) % m_tabSet->count());
        return true;
    case Qt::Key_Left:
        selectTab((m_tabSet->currentIndex() + m_tabSet->count() - 1) % m_tabSet->count());
        return true;
    case Qt::Key_Insert:
        if (mods == Qt::NoModifier) {
            LeiterNeuExecute();
            return true;
        }
        if (mods == Qt::ControlModifier) {
            LeiterNeuKopierenExecute();
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if (mods == Qt::NoModifier) {
            BLoeClick();
            return true;
        }
        return false;
    default:
        return false;
    }
}

// ------------------------------------------------------------------ window events

bool TLeiterVerw::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        // Hints of the control under the mouse (and of menu entries) go to panel 1.
        m_status->panel(1)->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TLeiterVerw::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Back from a dialog or another program: show what was written meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_leiter && !m_leiter->isEditing()
        && !m_closing) {
        runGuarded(this, [this] {
            for (Table* t : {m_dm.SLeiterArten, m_dm.SMaterial, m_dm.SPruef, m_dm.StPruefer})
                t->refreshIfChanged();
            m_leiter->refreshIfChanged();
        });
        m_grid->viewport()->update();
    }
}

void TLeiterVerw::addUnsavedCheck(Table* cursor) { m_unsavedChecks << cursor; }

void TLeiterVerw::closeEvent(QCloseEvent* event)
{
    const bool pageUnsaved = std::any_of(m_unsavedChecks.begin(), m_unsavedChecks.end(),
                                         [](const QPointer<Table>& t) { return t && t->isEditing(); });
    if (m_leiter->isEditing() || pageUnsaved) {
        // "Nein" by default: a hasty Enter must not throw the typed data away.
        if (!Dialogs::questionDefaultNo(this, QStringLiteral("Programm beenden?\nDaten noch nicht gespeichert"))) {
            event->ignore();
            return;
        }
        // The pages' records first: moving the ladder would save them.
        for (const QPointer<Table>& t : m_unsavedChecks)
            if (t)
                t->cancel();
        m_leiter->cancel();
        QApplication::processEvents();
    } else if (!Dialogs::question(this, QStringLiteral("Programm beenden?"))) {
        event->ignore();
        return;
    }
    m_closing = true;
    FensterLage::sichern(*this);
    m_grid->setFocus();
    if (m_help)
        m_help->close();
    event->accept();
}
