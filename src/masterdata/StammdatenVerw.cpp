#include "StammdatenVerw.h"

#include "ActionGuard.h"
#include "CursorModel.h"
#include "DataControls.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Query.h"
#include "Table.h"
#include "UserControl.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
StammdatenFeld kurzBez(int listWidth = 0) { return {QStringLiteral("KurzBez"), QStringLiteral("Kurzbez.:"), true, listWidth, {}}; }
QStringList lines(const char* select, const char* where) { return {QString::fromUtf8(select), QString::fromUtf8(where)}; }
}

StammdatenConfig stammdatenConfig(StammdatenArt art)
{
    StammdatenConfig c;
    c.index = QStringLiteral("ID");
    c.usageKey = QStringLiteral("ID");
    switch (art) {
    case StammdatenArt::LeiterArten:
        c.className = QStringLiteral("TSLeiterArtenVerw");
        c.caption = QStringLiteral("Stammdaten : Leiter - Arten");
        c.table = QStringLiteral("LARTEN");
        c.fields = {kurzBez(),
                    {QStringLiteral("Typ"), QStringLiteral("veränderl / fest :"), true, 0,
                     {QStringLiteral("<..>"), QStringLiteral("ortsveränderlich"), QStringLiteral("ortsfest")}}};
        c.usageQueries = {lines("SELECT * FROM LT_LEIT", "WHERE ART_ID = :SID")};
        c.newTyp = QStringLiteral("<..>");
        break;
    case StammdatenArt::Material:
        c.className = QStringLiteral("TSMaterialVerw");
        c.caption = QStringLiteral("Stammdaten : Material - Arten");
        c.table = QStringLiteral("MATERIAL");
        c.fields = {kurzBez()};
        c.usageQueries = {lines("SELECT * FROM LT_LEIT", "WHERE MAT_ID = :SID")};
        break;
    case StammdatenArt::Pruefer:
        c.className = QStringLiteral("TSPrueferVerw");
        c.caption = QStringLiteral("Stammdaten : Interne / externe Prüfer");
        c.table = QStringLiteral("PRUEFER");
        c.index = QStringLiteral("KurzBez");
        c.fields = {kurzBez(24),
                    {QStringLiteral("PersNr"), QStringLiteral(" interne Pers.Nr. :"), true, 0, {}},
                    {QStringLiteral("Name"), QStringLiteral("Name.:"), false, 0, {}},
                    {QStringLiteral("Vorname"), QStringLiteral("Vorname.:"), false, 0, {}},
                    {QStringLiteral("Firma"), QStringLiteral("Firma.:"), false, 0, {}}};
        c.usageQueries = {lines("SELECT * FROM LT_PRUEF", "WHERE Pruefer_ID = :SID")};
        break;
    case StammdatenArt::PruefTermine:
        c.className = QStringLiteral("TSPruefTabVerw");
        c.caption = QStringLiteral("Stammdaten : Prüf - Termine");
        c.table = QStringLiteral("PR_TAB");
        c.index = QStringLiteral("Nr");
        c.usageKey = QStringLiteral("Nr");
        c.fields = {{QStringLiteral("Nr"), QStringLiteral("Nr.:"), true, 5, {}},
                    kurzBez(29),
                    {QStringLiteral("Jahre"), QStringLiteral("Jahre.:"), false, 0, {}},
                    {QStringLiteral("Monate"), QStringLiteral("Monate.:"), false, 0, {}},
                    {QStringLiteral("Tage"), QStringLiteral("Tage.:"), false, 0, {}}};
        // Ladders first; the inspections only when no ladder uses the kind.
        c.usageQueries = {lines("SELECT * FROM LT_LEIT", "WHERE PruefungART_ID = :SID"),
                          lines("SELECT * FROM LT_PRUEF", "WHERE PruefungART_ID = :SID")};
        break;
    case StammdatenArt::Lieferanten:
        c.className = QStringLiteral("TSLieferantenVerw");
        c.caption = QStringLiteral("Stammdaten : Lieferanten / Hersteller");
        c.table = QStringLiteral("LFNAME");
        c.fields = {kurzBez()};
        c.height = 275;
        break;
    case StammdatenArt::Firmen:
        c.className = QStringLiteral("TSFirmenVerw");
        c.caption = QStringLiteral("Stammdaten : Firmen / Standort / Abteilung");
        c.table = QStringLiteral("FIRMEN");
        c.fields = {kurzBez()};
        c.onlyCompanies = true;
        break;
    }
    return c;
}

// ------------------------------------------------------------------ rules

StammdatenRegeln::StammdatenRegeln(const StammdatenConfig& config, Table& detail, QWidget* dialogParent)
    : m_config(config), m_detail(detail), m_parent(dialogParent)
{
    detail.beforeInsert = [this](DataSet&) { checkRight(crInsert); };
    detail.beforeEdit = [this](DataSet&) { checkRight(crModify); };
    detail.beforeDelete = [this](DataSet&) {
        checkRight(crDelete);
        if (m_config.onlyCompanies)
            checkNoNodesBelow();
        if (inUse()) {
            Dialogs::information(m_parent, QStringLiteral("Stammdaten werden schon verwendet"));
            throw Abort();
        }
        if (!Dialogs::questionDefaultNo(m_parent, QStringLiteral("Datensatz löschen ?")))
            throw Abort();
    };
    // Ladders and inspections store the key: renumbering a used row would orphan them.
    detail.beforePost = [this](DataSet&) { checkKeyChange(); };
    detail.afterPost = [](DataSet&) {};
    detail.afterDelete = [](DataSet&) {};
    if (!config.newTyp.isEmpty())
        detail.onNewRecord = [this](DataSet& ds) { ds.setValue(QStringLiteral("Typ"), m_config.newTyp); };
    if (config.onlyCompanies) {
        // An empty ParentID reads as 0: a company.
        detail.onFilterRecord = [](DataSet& ds) { return ds.field(QStringLiteral("ParentID")).asInteger() == 0; };
    }
}

void StammdatenRegeln::checkRight(int right) const
{
    if (m_rights)
        m_rights->CheckRight(TUserRight(right));
}

bool StammdatenRegeln::inUse() const
{
    if (m_config.usageQueries.isEmpty() || m_detail.isEmpty())
        return false;
    return keyInUse(m_detail.field(m_config.usageKey).value());
}

bool StammdatenRegeln::keyInUse(const QVariant& key) const
{
    if (m_config.usageQueries.isEmpty() || !key.isValid())
        return false;
    for (const QStringList& sql : m_config.usageQueries) {
        Query q;
        for (const QString& line : sql)
            q.addSql(line);
        q.setParam(QStringLiteral("SID"), key);
        q.open();
        const bool used = q.recordCount() > 0;
        q.close();
        if (used)
            return true;
    }
    return false;
}

void StammdatenRegeln::checkKeyChange() const
{
    if (m_detail.state() != DataSetState::Edit || m_config.usageQueries.isEmpty())
        return;
    // The key as stored: the usage key is the table's primary key in every editor.
    const IndexDef* primary = m_detail.tableDef().primaryIndex();
    const QStringList keys = primary ? primary->fieldList() : QStringList();
    const int at = int(keys.indexOf(m_config.usageKey));
    const QVariantList stored = m_detail.primaryKeyValues();
    if (at < 0 || at >= stored.size())
        return;
    const QVariant before = stored[at];
    const QVariant now = m_detail.field(m_config.usageKey).value();
    if (before.isValid() == now.isValid() && (!before.isValid() || before.toLongLong() == now.toLongLong()))
        return;
    if (keyInUse(before)) {
        Dialogs::information(m_parent, QStringLiteral("Stammdaten werden schon verwendet"));
        throw Abort();
    }
}

QStringList StammdatenRegeln::nodesBelow() const
{
    QStringList names;
    if (m_detail.isEmpty())
        return names;
    const QVariant id = m_detail.field(QStringLiteral("ID")).value();
    if (!id.isValid())
        return names;
    Query q;
    q.addSql(QStringLiteral("SELECT KurzBez FROM FIRMEN"));
    q.addSql(QStringLiteral("WHERE ParentID = :SID ORDER BY KurzBez"));
    q.setParam(QStringLiteral("SID"), id);
    q.open();
    for (q.first(); !q.eof(); q.next())
        names << q.field(QStringLiteral("KurzBez")).asString();
    q.close();
    return names;
}

void StammdatenRegeln::checkNoNodesBelow() const
{
    QStringList names = nodesBelow();
    if (names.isEmpty())
        return;
    const int total = int(names.size());
    constexpr int shown = 10;
    if (total > shown) {
        names = names.mid(0, shown);
        names << QStringLiteral("und %1 weitere").arg(total - shown);
    }
    Dialogs::information(m_parent,
                         QStringLiteral("Die Firma \u201E%1\u201C kann nicht gelöscht werden: unter ihr stehen noch Standorte / "
                                        "Abteilungen (%2).\nBitte diese zuerst unter Stammdaten, \u201EAbteilungsdaten => "
                                        "Standort / Abteilung ...\u201C löschen.")
                             .arg(m_detail.field(QStringLiteral("KurzBez")).asString(), names.join(QStringLiteral(", "))));
    throw Abort();
}

// ------------------------------------------------------------------ window

TStammdatenVerw::TStammdatenVerw(const StammdatenConfig& config, QWidget* parent) : QDialog(parent), m_config(config)
{
    setObjectName(config.className);
    setWindowTitle(config.caption);

    Detail = new Table(config.table, this);
    Detail->setObjectName(QStringLiteral("Detail"));
    m_regeln = std::make_unique<StammdatenRegeln>(config, *Detail, this);
    Detail->open();
    Detail->setIndexFieldNames(config.index);
    // The messages name the fields as the table does.
    for (const auto& f : Detail->fields())
        f->setDisplayLabel(f->name());
    if (config.onlyCompanies)
        Detail->setFiltered(true);
    Detail->first();
    DetailSource = new TDataSource(Detail, this);
    DetailSource->setObjectName(QStringLiteral("DetailSource"));

    DBGridDetail = new QTableView(this);
    DBGridDetail->setObjectName(QStringLiteral("DBGridDetail"));
    m_model = new CursorModel(Detail, this);
    m_model->setReadOnly(true);
    QStringList cols;
    for (const StammdatenFeld& f : config.fields)
        if (f.listed)
            cols << f.name;
    m_model->setColumns(cols);
    for (const QString& c : cols)
        m_model->setColumnTitle(c, c);
    DBGridDetail->setModel(m_model);
    DBGridDetail->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridDetail->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridDetail->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridDetail->verticalHeader()->hide();
    const int cw = DBGridDetail->fontMetrics().averageCharWidth();
    for (int c = 0; c < cols.size(); ++c) {
        int chars = 0;
        for (const StammdatenFeld& f : config.fields)
            if (f.name == cols[c])
                chars = f.listWidth;
        if (chars == 0)
            chars = std::min(Detail->field(cols[c]).displayWidth(), 30);
        DBGridDetail->setColumnWidth(c, chars * cw + 8);
    }
    DBGridDetail->installEventFilter(this);
    connect(DBGridDetail->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid() || current.row() == Detail->currentViewRow())
                    return;
                // Moving on saves the row, as leaving a row does everywhere.
                const bool ok = runGuarded(this, [&] {
                    if (Detail->isEditing()) {
                        DetailSource->updateRecord();
                        Detail->post();
                    }
                    Detail->moveToViewRow(current.row());
                });
                if (!ok && Detail->currentViewRow() >= 0)
                    DBGridDetail->setCurrentIndex(m_model->index(Detail->currentViewRow(), 0));
            });
    connect(m_model, &CursorModel::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != DBGridDetail->currentIndex().row())
            DBGridDetail->setCurrentIndex(m_model->index(row, 0));
    });
    if (Detail->currentViewRow() >= 0)
        DBGridDetail->setCurrentIndex(m_model->index(Detail->currentViewRow(), 0));

    auto* form = new QFormLayout;
    for (const StammdatenFeld& f : config.fields) {
        QWidget* edit;
        if (!f.items.isEmpty()) {
            auto* combo = new TDBComboBox(this);
            combo->setItems(f.items);
            combo->setDataSource(DetailSource, f.name);
            edit = combo;
        } else {
            auto* line = new TDBEdit(this);
            line->setDataSource(DetailSource, f.name);
            edit = line;
        }
        edit->setObjectName(QStringLiteral("Edit") + f.name);
        auto* label = new QLabel(f.label, this);
        label->setObjectName(QStringLiteral("Label") + f.name);
        label->setBuddy(edit);
        form->addRow(label, edit);
        m_edits << edit;
    }

    LabelTableStatus = new QLabel(this);
    LabelTableStatus->setObjectName(QStringLiteral("LabelTableStatus"));
    LabelTableStatus->setAlignment(Qt::AlignCenter);
    LabelTableStatus->setAutoFillBackground(true);
    LabelTableStatus->setStyleSheet(QStringLiteral("background: white;"));
    LabelTableStatus->setMinimumWidth(80);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PanelButtons"));
    SpBNeu = new QToolButton(panel);
    SpBNeu->setObjectName(QStringLiteral("SpBNeu"));
    SpBNeu->setText(QStringLiteral("Neu"));
    SpBLoeschen = new QToolButton(panel);
    SpBLoeschen->setObjectName(QStringLiteral("SpBLoeschen"));
    SpBLoeschen->setText(QStringLiteral("Löschen"));
    auto* pl = new QHBoxLayout(panel);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->addWidget(SpBNeu);
    pl->addWidget(SpBLoeschen);

    BOk = new QPushButton(QStringLiteral("Ok"), this);
    BOk->setObjectName(QStringLiteral("BOk"));
    BOk->setAutoDefault(false);
    BCancel = new QPushButton(QStringLiteral("Abbruch"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BCancel->setAutoDefault(false);
    BCancel->setProperty("hwDiscardsChanges", true);
    BEnde = new QPushButton(QStringLiteral("&Schließen"), this);
    BEnde->setObjectName(QStringLiteral("BEnde"));
    BEnde->setAutoDefault(false);
    BEnde->setProperty("hwDiscardsChanges", true);
    BHilfe = new QPushButton(QStringLiteral("&Hilfe"), this);
    BHilfe->setObjectName(QStringLiteral("BHilfe"));
    BHilfe->hide();

    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addWidget(LabelTableStatus);
    right->addWidget(panel);
    right->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BOk);
    buttons->addWidget(BCancel);
    right->addLayout(buttons);
    right->addWidget(BEnde);
    right->addWidget(BHilfe);
    auto* main = new QHBoxLayout(this);
    main->addWidget(DBGridDetail, 1);
    main->addLayout(right);

    connect(SpBNeu, &QToolButton::clicked, this, &TStammdatenVerw::SpBNeuClick);
    connect(SpBLoeschen, &QToolButton::clicked, this, &TStammdatenVerw::SpBLoeschenClick);
    connect(BOk, &QPushButton::clicked, this, &TStammdatenVerw::BOkClick);
    connect(BCancel, &QPushButton::clicked, this, &TStammdatenVerw::BCancelClick);
    connect(BEnde, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(DetailSource, &TDataSource::stateChanged, this, &TStammdatenVerw::DetailSourceStateChange);
    DetailSourceStateChange(Detail->state());

    resize(560, config.height > 0 ? config.height : 360);
}

TStammdatenVerw::~TStammdatenVerw()
{
    // The controls go before the cursor they show, and the cursor before the window's parts.
    disconnect(DetailSource, nullptr, this, nullptr);
    delete DBGridDetail;
    DBGridDetail = nullptr;
    for (QWidget* w : m_edits)
        delete w;
    m_edits.clear();
    Detail->close();
}

QWidget* TStammdatenVerw::firstEdit() const { return m_edits.isEmpty() ? nullptr : m_edits.first(); }

void TStammdatenVerw::DetailSourceStateChange(DataSetState state)
{
    LabelTableStatus->setText(stateText(state));
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    BOk->setEnabled(editing);
    BCancel->setEnabled(editing);
}

void TStammdatenVerw::SpBNeuClick()
{
    if (runGuarded(this, [this] { Detail->append(); }))
        if (QWidget* w = firstEdit())
            w->setFocus();
}

void TStammdatenVerw::SpBLoeschenClick()
{
    DBGridDetail->setFocus();
    runGuarded(this, [this] { Detail->remove(); });
}

void TStammdatenVerw::BOkClick()
{
    if (runGuarded(this, [this] {
            DetailSource->updateRecord();
            Detail->post();
        }))
        DBGridDetail->setFocus();
}

void TStammdatenVerw::BCancelClick()
{
    runGuarded(this, [this] { Detail->cancel(); });
    DetailSource->refreshControls();
    DBGridDetail->setFocus();
}

bool TStammdatenVerw::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DBGridDetail && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Insert
            && !(k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
            SpBNeuClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TStammdatenVerw::keyPressEvent(QKeyEvent* event)
{
    // Esc is the cancel key of the row, not of the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (BCancel->isEnabled())
            BCancelClick();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TStammdatenVerw::done(int result)
{
    // Closing leaves a pending change unsaved.
    if (Detail->isEditing())
        runGuarded(this, [this] { Detail->cancel(); });
    QDialog::done(result);
}

void openStammdatenEditor(QWidget* parent, TDataModule1& dm, StammdatenArt art)
{
    TStammdatenVerw window(stammdatenConfig(art), parent);
    if (dm.DataUserControl)
        window.setUserControl(dm.DataUserControl);
    Dialogs::exec(&window);
}
