#include "SFirmAbtVerw.h"

#include "ActionGuard.h"
#include "DBTreeView.h"
#include "DataControls.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Query.h"
#include "Table.h"
#include "UserControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QToolButton* speedButton(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    return b;
}
QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}
void refuse(QWidget* parent, const QString& text)
{
    Dialogs::information(parent, text);
    throw Abort();
}
}

TSFirmAbtVerw::TSFirmAbtVerw(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TSFirmAbtVerw"));
    setWindowTitle(QStringLiteral("Stammdaten : Firmen + Abteilung"));

    Detail = new Table(QStringLiteral("FIRMEN"), this);
    Detail->setObjectName(QStringLiteral("Detail"));
    StFirmen = new Table(QStringLiteral("FIRMEN"), this);
    StFirmen->setObjectName(QStringLiteral("StFirmen"));
    DBTreeViewDetail = new TDBTreeView(this);
    DBTreeViewDetail->setObjectName(QStringLiteral("DBTreeViewDetail"));

    // The window's checks; the tree calls them before its own reaction.
    Detail->beforeInsert = [this](DataSet&) {
        checkRight(crInsert);
        TTreeIDNode* sel = DBTreeViewDetail->selectedNode();
        // A row without parent would be a company, and those belong to the company editor.
        if (!sel || (TDBTreeView::isTopNode(sel) && !DBTreeViewDetail->insertingAsChild()))
            refuse(this, QStringLiteral("Neue Firma kann in dieser Maske nicht angelegt werden"));
    };
    // A new node starts without a name: the name is required, so a node saved right after "Neu"
    // is refused instead of being stored as "Neu".
    Detail->beforeEdit = [this](DataSet& ds) {
        checkRight(crModify);
        if (TDBTreeView::isTopNode(DBTreeViewDetail->findNode(ds.field(QStringLiteral("ID")).asString())))
            refuse(this, QStringLiteral("Hauptdatensatz / Firma kann in dieser Maske nicht geändert werden"));
    };
    Detail->beforeDelete = [this](DataSet& ds) {
        checkRight(crDelete);
        const int id = ds.field(QStringLiteral("ID")).asInteger();
        if (TDBTreeView::isTopNode(DBTreeViewDetail->findNode(QString::number(id))))
            refuse(this, QStringLiteral("Firma kann in dieser Maske nicht gelöscht werden"));
        if (CheckDeleteActive) {
            if (!OnCheckDelete) {
                Dialogs::information(this, QStringLiteral("Routine zum Prüfen vor dem Löschen nicht vorhanden"));
                refuse(this, QStringLiteral("Löschen zur Zeit nicht möglich"));
            }
            if (OnCheckDelete(this, id))
                refuse(this, QStringLiteral("Datensatz wird im Leiterprogramm noch verwendet :\r\n"
                                            "Bitte vorm Löschen dort anderen Datensatz zuordnen => Abbruch"));
        }
        if (!Dialogs::questionDefaultNo(this, QStringLiteral("Datensatz löschen ?")))
            throw Abort();
    };
    Detail->open();
    Detail->setIndexFieldNames(QStringLiteral("ID"));
    Detail->first();
    DetailSource = new TDataSource(Detail, this);
    DetailSource->setObjectName(QStringLiteral("DetailSource"));

    DBTreeViewDetail->setOptions(dtAllowDelete | dtAllowInsert | dtAutoExpand | dtAutoShowRoot | dtFocusOnEdit
                                 | dtInsertAsChild | dtRootItemReadOnly | dtSynchronizeDataSet);
    DBTreeViewDetail->OnRootNotFound = [this](TDBTreeView*) {
        Dialogs::information(this, QStringLiteral("Root nicht gefunden ?? - Text noch klären ??"));
    };
    DBTreeViewDetail->setTableIDField(QStringLiteral("ID"));
    DBTreeViewDetail->setTableParentField(QStringLiteral("ParentID"));
    DBTreeViewDetail->setTableTextField(QStringLiteral("KurzBez"));
    DBTreeViewDetail->setSortType(TDBTreeView::stText);
    DBTreeViewDetail->setDataSource(Detail);

    CoboFirmen = new QComboBox(this);
    CoboFirmen->setObjectName(QStringLiteral("CoboFirmen"));
    auto* labelFirma = new QLabel(QStringLiteral("Auswahl Firma :"), this);
    labelFirma->setBuddy(CoboFirmen);
    fillFirmen();

    SpBFullCollapse = speedButton(this, "SpBFullCollapse", QStringLiteral("-"));
    SpBFullExpand = speedButton(this, "SpBFullExpand", QStringLiteral("+"));
    SpBNeu = speedButton(this, "SpBNeu", QStringLiteral("Neu"));
    SpBAend = speedButton(this, "SpBAend", QStringLiteral("Ändern"));
    SpBLoeschen = speedButton(this, "SpBLoeschen", QStringLiteral("Löschen"));
    BAlle = button(this, "BAlle", QStringLiteral("Alle ..."));
    BSetRoot = button(this, "BSetRoot", QStringLiteral("Firma ..."));
    BSetRoot->setToolTip(QStringLiteral("Nur Abteilungen zur \r\nausgwählte Firma anzeigen\r\n(nur ganz links)"));

    PopupTree = new QMenu(this);
    PopupTree->setObjectName(QStringLiteral("PopupTree"));
    QAction* expand = PopupTree->addAction(QStringLiteral("Alle Anzeigen"));
    expand->setObjectName(QStringLiteral("PM_FullExpand"));
    QAction* collapse = PopupTree->addAction(QStringLiteral("Nur Firmen Anzeigen"));
    collapse->setObjectName(QStringLiteral("PM_FullCollapse"));
    DBTreeViewDetail->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBTreeViewDetail, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupTree->popup(DBTreeViewDetail->viewport()->mapToGlobal(p)); });

    PanFirmaAbt = new QLabel(this);
    PanFirmaAbt->setObjectName(QStringLiteral("PanFirmaAbt"));
    PanFirmaAbt->setFrameShape(QFrame::Panel);
    // The selected node's name; it takes typing while the node is new or changed ("Neu",
    // "Ändern"), as the label in the tree does, and looks read-only otherwise.
    EditKurzBez = new TDBEdit(this);
    EditKurzBez->setObjectName(QStringLiteral("EditKurzBez"));
    EditKurzBez->setReadOnly(true);
    EditKurzBez->setStyleSheet(QStringLiteral("QLineEdit:read-only { background: palette(window); }"));
    EditKurzBez->setToolTip(QStringLiteral("Name der Auswahl (nach \"Neu\" oder \"Ändern\" hier oder im Baum eingeben)"));
    EditKurzBez->setDataSource(DetailSource, QStringLiteral("KurzBez"));
    auto* labelKurz = new QLabel(QStringLiteral("Kurzbez.:"), this);
    labelKurz->setBuddy(EditKurzBez);
    LabelTableStatus = new QLabel(this);
    LabelTableStatus->setObjectName(QStringLiteral("LabelTableStatus"));
    LabelTableStatus->setAlignment(Qt::AlignCenter);
    LabelTableStatus->setStyleSheet(QStringLiteral("background: white;"));
    LabelTableStatus->setMinimumWidth(80);
    BOk = button(this, "BOk", QStringLiteral("Ok"));
    BCancel = button(this, "BCancel", QStringLiteral("Abbruch"));
    BCancel->setProperty("hwDiscardsChanges", true);
    CbBoxKind = new QCheckBox(QStringLiteral("neue Abteilungen als Unterpunkt einfügen"), this);
    CbBoxKind->setObjectName(QStringLiteral("CbBoxKind"));
    CbBoxKind->setChecked(true);
    BEnde = button(this, "BEnde", QStringLiteral("&Schließen"));

    auto* top = new QHBoxLayout;
    top->addWidget(labelFirma);
    top->addWidget(CoboFirmen, 1);
    top->addWidget(BAlle);
    top->addWidget(BSetRoot);
    auto* tools = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(SpBFullCollapse), static_cast<QWidget*>(SpBFullExpand),
                       static_cast<QWidget*>(SpBNeu), static_cast<QWidget*>(SpBAend), static_cast<QWidget*>(SpBLoeschen)})
        tools->addWidget(w);
    tools->addStretch();
    tools->addWidget(LabelTableStatus);
    auto* edit = new QHBoxLayout;
    edit->addWidget(labelKurz);
    edit->addWidget(EditKurzBez, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CbBoxKind);
    bottom->addStretch();
    bottom->addWidget(BOk);
    bottom->addWidget(BCancel);
    bottom->addWidget(BEnde);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(tools);
    main->addWidget(DBTreeViewDetail, 1);
    main->addWidget(PanFirmaAbt);
    main->addLayout(edit);
    main->addLayout(bottom);

    connect(SpBFullCollapse, &QToolButton::clicked, DBTreeViewDetail, &TDBTreeView::fullCollapse);
    connect(collapse, &QAction::triggered, DBTreeViewDetail, &TDBTreeView::fullCollapse);
    connect(SpBFullExpand, &QToolButton::clicked, DBTreeViewDetail, &TDBTreeView::fullExpand);
    connect(expand, &QAction::triggered, DBTreeViewDetail, &TDBTreeView::fullExpand);
    connect(SpBNeu, &QToolButton::clicked, this, &TSFirmAbtVerw::SpBNeuClick);
    connect(SpBAend, &QToolButton::clicked, this, &TSFirmAbtVerw::SpBAendClick);
    connect(SpBLoeschen, &QToolButton::clicked, this, &TSFirmAbtVerw::SpBLoeschenClick);
    connect(BOk, &QPushButton::clicked, this, &TSFirmAbtVerw::BOkClick);
    connect(BCancel, &QPushButton::clicked, this, &TSFirmAbtVerw::BCancelClick);
    connect(BAlle, &QPushButton::clicked, this, &TSFirmAbtVerw::BAlleClick);
    connect(BSetRoot, &QPushButton::clicked, this, &TSFirmAbtVerw::BSetRootClick);
    connect(BEnde, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(CoboFirmen, &QComboBox::currentIndexChanged, this, &TSFirmAbtVerw::CoboFirmenChange);
    connect(CbBoxKind, &QCheckBox::toggled, this, [this](bool on) { DBTreeViewDetail->setOption(dtInsertAsChild, on); });
    connect(EditKurzBez, &QLineEdit::returnPressed, this, [this] {
        if (Detail->isEditing())
            BOkClick();
    });
    // The path follows the selection and every rename, in the tree's label or in "Kurzbez.:".
    auto showPath = [this] { PanFirmaAbt->setText(nodePathText()); };
    connect(DBTreeViewDetail, &QTreeWidget::currentItemChanged, this, showPath);
    connect(DBTreeViewDetail, &QTreeWidget::itemChanged, this, showPath);
    connect(DetailSource, &TDataSource::dataChanged, this, showPath);
    connect(DetailSource, &TDataSource::stateChanged, this, &TSFirmAbtVerw::stateChange);
    stateChange(Detail->state());
    PanFirmaAbt->setText(nodePathText());
    resize(480, 520);
}

TSFirmAbtVerw::~TSFirmAbtVerw()
{
    // The tree gives the table its hooks back before the table goes.
    disconnect(DetailSource, nullptr, this, nullptr);
    disconnect(DBTreeViewDetail, nullptr, this, nullptr);
    delete DBTreeViewDetail;
    DBTreeViewDetail = nullptr;
    delete EditKurzBez;
    EditKurzBez = nullptr;
    Detail->close();
}

void TSFirmAbtVerw::checkRight(int right) const
{
    if (m_rights)
        m_rights->CheckRight(TUserRight(right));
}

void TSFirmAbtVerw::fillFirmen()
{
    CoboFirmen->blockSignals(true);
    CoboFirmen->clear();
    StFirmen->open();
    StFirmen->setIndexFieldNames(QStringLiteral("ID"));
    for (StFirmen->first(); !StFirmen->eof(); StFirmen->next())
        if (StFirmen->field(QStringLiteral("ParentID")).asInteger() == 0)
            CoboFirmen->addItem(StFirmen->field(QStringLiteral("KurzBez")).asString(),
                                StFirmen->field(QStringLiteral("ID")).asInteger());
    StFirmen->close();
    CoboFirmen->insertItem(0, QStringLiteral("<Alle>"));
    CoboFirmen->setCurrentIndex(0);
    CoboFirmen->blockSignals(false);
}

void TSFirmAbtVerw::stateChange(DataSetState state)
{
    LabelTableStatus->setText(stateText(state));
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    BOk->setEnabled(editing);
    BCancel->setEnabled(editing);
    if (EditKurzBez->isReadOnly() == editing) {
        EditKurzBez->setReadOnly(!editing);
        // The read-only look comes from the style sheet, which reads the state when polished.
        EditKurzBez->style()->unpolish(EditKurzBez);
        EditKurzBez->style()->polish(EditKurzBez);
    }
}

QString TSFirmAbtVerw::nodePathText() const
{
    const QTreeWidgetItem* n = DBTreeViewDetail ? DBTreeViewDetail->currentItem() : nullptr;
    if (!n)
        return QStringLiteral(" <unbekannt> ");
    QString text = n->text(0);
    for (n = n->parent(); n; n = n->parent())
        text = n->text(0) + QStringLiteral(" - ") + text;
    return text;
}

bool TSFirmAbtVerw::selectedIsTop() const { return TDBTreeView::isTopNode(DBTreeViewDetail->selectedNode()); }

void TSFirmAbtVerw::SpBNeuClick()
{
    runGuarded(this, [this] { DBTreeViewDetail->insertNode(CbBoxKind->isChecked()); });
}

void TSFirmAbtVerw::SpBAendClick()
{
    runGuarded(this, [this] { Detail->edit(); });
}

void TSFirmAbtVerw::SpBLoeschenClick()
{
    runGuarded(this, [this] { DBTreeViewDetail->deleteSelected(); });
}

void TSFirmAbtVerw::BOkClick()
{
    if (runGuarded(this, [this] { save(); }))
        DBTreeViewDetail->setFocus();
    else if (Detail->isEditing())
        EditKurzBez->setFocus();
}

void TSFirmAbtVerw::save()
{
    // What "Kurzbez.:" still holds goes into the row first (Enter there, or Escape and "Ja").
    DetailSource->updateRecord();
    Detail->post();
}

void TSFirmAbtVerw::BCancelClick()
{
    runGuarded(this, [this] { Detail->cancel(); });
    DBTreeViewDetail->setFocus();
}

void TSFirmAbtVerw::setRootIfTop(const QString& id)
{
    TTreeIDNode* n = DBTreeViewDetail->findNode(id);
    if (n && TDBTreeView::isTopNode(n))
        DBTreeViewDetail->setRootID(id);
}

void TSFirmAbtVerw::CoboFirmenChange(int index)
{
    DBTreeViewDetail->setRootID(QString());
    if (index > 0)
        setRootIfTop(CoboFirmen->itemData(index).toString());
}

void TSFirmAbtVerw::BAlleClick()
{
    DBTreeViewDetail->setRootID(QString());
    CoboFirmen->blockSignals(true);
    CoboFirmen->setCurrentIndex(0);
    CoboFirmen->blockSignals(false);
    DBTreeViewDetail->setFocus();
}

void TSFirmAbtVerw::BSetRootClick()
{
    const QString id = Detail->isEmpty() ? QString() : Detail->field(QStringLiteral("ID")).asString();
    const int item = CoboFirmen->findData(id.toInt());
    if (!id.isEmpty() && item > 0) {
        CoboFirmen->blockSignals(true);
        CoboFirmen->setCurrentIndex(item);
        CoboFirmen->blockSignals(false);
    }
    setRootIfTop(id);
    DBTreeViewDetail->setFocus();
}

void TSFirmAbtVerw::done(int result)
{
    if (Detail->isEditing()) {
        const std::optional<bool> save = Dialogs::questionYesNoCancel(this, QStringLiteral("Änderungen speichern ?"));
        if (!save)
            return;
        if (*save) {
            if (!runGuarded(this, [this] { this->save(); }))
                return;
        } else {
            runGuarded(this, [this] { Detail->cancel(); });
        }
    }
    QDialog::done(result);
}

bool FirmAbtInUse(int id)
{
    Query QAbt;
    QAbt.addSql(QStringLiteral("SELECT L.Nr,L.FirmenAbtID"));
    QAbt.addSql(QStringLiteral("FROM LT_LEIT L"));
    QAbt.addSql(QStringLiteral("WHERE L.FirmenAbtID = :SID"));
    QAbt.addSql(QStringLiteral("ORDER BY L.NR"));
    QAbt.setParam(QStringLiteral("SID"), id);
    QAbt.open();
    const bool used = !QAbt.isEmpty();
    QAbt.close();
    return used;
}

void openFirmAbtEditor(QWidget* parent, TDataModule1& dm, std::function<bool(QObject*, int)> checkDelete)
{
    TSFirmAbtVerw window(parent);
    if (dm.DataUserControl)
        window.setUserControl(dm.DataUserControl);
    window.OnCheckDelete = std::move(checkDelete);
    Dialogs::exec(&window);
}
