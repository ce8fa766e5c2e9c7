#include "SBenutzerVerw.h"

#include "ActionGuard.h"
#include "Backend.h"
#include "BenutzerRegeln.h"
#include "BenutzerVerwaltung.h"
#include "CursorModel.h"
#include "DataControls.h"
#include "Dialogs.h"
#include "EingabeDialog.h"
#include "Engine.h"
#include "PasswordDialog.h"
#include "TabellenPasswoerter.h"
#include "Table.h"
#include "UserState.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const RechteBoxNamen[] = {"cbBenView", "cbBenInsert", "cbBenModify", "cbBenDelete",
                                      "cbBenPrint", "cbBenReport", "cbBenAdmin"};
const char* const RechteBoxTexte[] = {"AnSehen von Daten", "Einfügen von Datensätzen", "Ändern von Daten",
                                      "Löschen von bestehenden Datensätzen", "Drucken von Daten",
                                      "Reports zusammenstellen", "Admin - Verwaltungsrechte"};

// Rows of locked users on red.
class BenutzerModel : public CursorModel {
public:
    using CursorModel::CursorModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::BackgroundRole) {
            const Field* f = dataSet()->findField(QStringLiteral("Gesperrt"));
            if (f && dataSet()->valueAt(index.row(), f->index()).toBool())
                return QColor(Qt::red);
        }
        return CursorModel::data(index, role);
    }
};

bool g_abgebrochen = false;

} // namespace

TSBenutzerVerw::TSBenutzerVerw(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TSBenutzerVerw"));
    setWindowTitle(QStringLiteral("Stammdaten : Benutzerverwaltung") + QStringLiteral(" - ") + UserState::ProgrammTitel);

    Verwaltung = new BenutzerVerwaltung(this);
    Detail = Verwaltung->Detail;
    Detail->setObjectName(QStringLiteral("Detail"));
    Verwaltung->RechteZumSpeichern = [this] {
        TUserRights r;
        for (int i = 0; i < UserRightCount; ++i)
            if (RechteBoxen[i]->isChecked())
                r.include(TUserRight(i));
        return r;
    };
    DetailSource = new TDataSource(Detail, this);

    DBGridDetail = new QTableView(this);
    DBGridDetail->setObjectName(QStringLiteral("DBGridDetail"));
    m_model = new BenutzerModel(Detail, this);
    m_model->setReadOnly(true);
    QStringList cols{QStringLiteral("Name")};
    cols << BenutzerVerwaltung::RechteFelder();
    m_model->setColumns(cols);
    m_model->setColumnTitle(QStringLiteral("Name"), QStringLiteral("Benutzer - Name"));
    DBGridDetail->setModel(m_model);
    DBGridDetail->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridDetail->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridDetail->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridDetail->verticalHeader()->hide();
    const int cw = DBGridDetail->fontMetrics().averageCharWidth();
    DBGridDetail->setColumnWidth(0, 16 * cw);
    for (int c = 1; c < cols.size(); ++c)
        DBGridDetail->setColumnWidth(c, 5 * cw + 8);
    connect(DBGridDetail->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid() || current.row() == Detail->currentViewRow() || !Detail->active())
                    return;
                const bool ok = runGuarded(this, [&] {
                    if (Detail->isEditing())
                        Verwaltung->Speichern();
                    Detail->moveToViewRow(current.row());
                });
                if (!ok && Detail->currentViewRow() >= 0)
                    DBGridDetail->setCurrentIndex(m_model->index(Detail->currentViewRow(), 0));
            });
    connect(m_model, &CursorModel::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != DBGridDetail->currentIndex().row())
            DBGridDetail->setCurrentIndex(m_model->index(row, 0));
    });

    DBTextName = new TDBText(this);
    DBTextName->setObjectName(QStringLiteral("DBTextName"));
    DBTextName->setDataSource(DetailSource, QStringLiteral("Name"));
    QFont bold = DBTextName->font();
    bold.setBold(true);
    DBTextName->setFont(bold);
    LabPassVorh = new QLabel(this);
    LabPassVorh->setObjectName(QStringLiteral("LabPassVorh"));
    DBCheckBox1 = new TDBCheckBox(QStringLiteral("gesperrt"), this);
    DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
    DBCheckBox1->setDataSource(DetailSource, QStringLiteral("Gesperrt"));
    for (int i = 0; i < UserRightCount; ++i) {
        auto* cb = new QCheckBox(QString::fromUtf8(RechteBoxTexte[i]), this);
        cb->setObjectName(QLatin1String(RechteBoxNamen[i]));
        connect(cb, &QCheckBox::clicked, this, &TSBenutzerVerw::rightTicked);
        RechteBoxen << cb;
    }
    SpBAlleRechte = new QToolButton(this);
    SpBAlleRechte->setObjectName(QStringLiteral("SpBAlleRechte"));
    SpBAlleRechte->setText(QStringLiteral("Alle"));
    BPasswNeu = new QPushButton(QStringLiteral("Paßwort neu.."), this);
    BPasswNeu->setObjectName(QStringLiteral("BPasswNeu"));
    BChangeMasterPw = new QPushButton(QStringLiteral("Master - Passwort ändern"), this);
    BChangeMasterPw->setObjectName(QStringLiteral("BChangeMasterPw"));
    SpBNeu = new QToolButton(this);
    SpBNeu->setObjectName(QStringLiteral("SpBNeu"));
    SpBNeu->setText(QStringLiteral("Neu"));
    SpBLoeschen = new QToolButton(this);
    SpBLoeschen->setObjectName(QStringLiteral("SpBLoeschen"));
    SpBLoeschen->setText(QStringLiteral("Löschen"));
    BOk = new QPushButton(QStringLiteral("Ok"), this);
    BOk->setObjectName(QStringLiteral("BOk"));
    BCancel = new QPushButton(QStringLiteral("Abbruch"), this);
    BCancel->setObjectName(QStringLiteral("BCancel"));
    BEnde = new QPushButton(QStringLiteral("&Schließen"), this);
    BEnde->setObjectName(QStringLiteral("BEnde"));
    for (QPushButton* b : {BPasswNeu, BChangeMasterPw, BOk, BCancel, BEnde})
        b->setAutoDefault(false);
    LabelTableStatus = new QLabel(this);
    LabelTableStatus->setObjectName(QStringLiteral("LabelTableStatus"));
    LabelTableStatus->setAlignment(Qt::AlignCenter);
    LabelTableStatus->setMinimumWidth(80);
    LabelTableStatus->setStyleSheet(QStringLiteral("background: white;"));
    LabAdmin = new QLabel(this);
    LabAdmin->setObjectName(QStringLiteral("LabAdmin"));
    LabExclusive = new QLabel(QStringLiteral("Normal"), this);
    LabExclusive->setObjectName(QStringLiteral("LabExclusive"));
    LabExclusive->setToolTip(QStringLiteral("Anzeige ob Tabelle Exclusiv geöffnet ist."));
    SetAdminName(QStringLiteral("<unbekannt>"));

    auto* top = new QHBoxLayout;
    top->addWidget(SpBNeu);
    top->addWidget(SpBLoeschen);
    top->addStretch(1);
    top->addWidget(LabAdmin);
    top->addWidget(LabExclusive);
    auto* right = new QVBoxLayout;
    right->addWidget(DBTextName);
    right->addWidget(LabPassVorh);
    right->addWidget(DBCheckBox1);
    right->addSpacing(6);
    for (QCheckBox* cb : RechteBoxen)
        right->addWidget(cb);
    right->addWidget(SpBAlleRechte);
    right->addSpacing(6);
    right->addWidget(BPasswNeu);
    // On a server the name is the login role's: renaming it renames the role, the password
    // stays. The user table itself never had a way to rename.
    if (Verwaltung->AufServer()) {
        auto* umbenennen = new QPushButton(QStringLiteral("Umbenennen.."), this);
        umbenennen->setObjectName(QStringLiteral("BUmbenennen"));
        umbenennen->setAutoDefault(false);
        right->addWidget(umbenennen);
        connect(umbenennen, &QPushButton::clicked, this, [this] {
            runGuarded(this, [this] {
                if (Detail->isEmpty() && Detail->state() != DataSetState::Insert)
                    return;
                QString name = Detail->field(QStringLiteral("Name")).asString();
                if (!EingabeDialog(QStringLiteral("Benutzer umbenennen"), QStringLiteral("Neuer Name :"), name, this)
                    || name.trimmed().isEmpty())
                    return;
                Verwaltung->Bearbeiten();
                Detail->setValue(QStringLiteral("Name"), name.trimmed());
                rowShown();
            });
        });
    }
    right->addWidget(BChangeMasterPw);
    right->addStretch(1);
    right->addWidget(LabelTableStatus);
    auto* okRow = new QHBoxLayout;
    okRow->addWidget(BOk);
    okRow->addWidget(BCancel);
    right->addLayout(okRow);
    right->addWidget(BEnde);
    auto* body = new QHBoxLayout;
    body->addWidget(DBGridDetail, 1);
    body->addLayout(right);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(body, 1);

    connect(SpBNeu, &QToolButton::clicked, this, &TSBenutzerVerw::SpBNeuClick);
    connect(SpBLoeschen, &QToolButton::clicked, this, &TSBenutzerVerw::SpBLoeschenClick);
    connect(SpBAlleRechte, &QToolButton::clicked, this, &TSBenutzerVerw::SpBAlleRechteClick);
    connect(BPasswNeu, &QPushButton::clicked, this, &TSBenutzerVerw::BPasswNeuClick);
    connect(BChangeMasterPw, &QPushButton::clicked, this, [this] {
        runGuarded(this, [this] { ChangeMasterPasswort(); });
        DBGridDetail->setFocus();
    });
    connect(BOk, &QPushButton::clicked, this, &TSBenutzerVerw::BOkClick);
    connect(BCancel, &QPushButton::clicked, this, &TSBenutzerVerw::BCancelClick);
    connect(BEnde, &QPushButton::clicked, this, &QWidget::close);
    connect(Detail, &DataSet::stateChanged, this, &TSBenutzerVerw::stateChange);
    connect(Detail, &DataSet::currentChanged, this, &TSBenutzerVerw::rowShown);
    connect(Detail, &DataSet::rowsReset, this, &TSBenutzerVerw::rowShown);
    connect(Detail, &DataSet::fieldChanged, this, [this] { rowShown(); });
    stateChange(Detail->state());
    resize(720, 440);
}

TSBenutzerVerw::~TSBenutzerVerw()
{
    disconnect(Detail, nullptr, this, nullptr);
    delete DBGridDetail;
    DBGridDetail = nullptr;
    try {
        Detail->cancel();
        Detail->close();
    } catch (...) {
    }
}

void TSBenutzerVerw::SetAdminName(const QString& name)
{
    LabAdmin->setText(QStringLiteral("Benutzer : %1  ").arg(name));
}

void TSBenutzerVerw::stateChange(DataSetState state)
{
    LabelTableStatus->setText(stateText(state));
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    BOk->setEnabled(editing);
    BCancel->setEnabled(editing);
    rowShown();
}

// The rights boxes and the password label follow the row while browsing or inserting;
// while a row is edited they hold what the administrator ticked.
void TSBenutzerVerw::rowShown()
{
    // On a server the administrator may also give a stored user a new (one-time) password.
    // Decided with the row, not the state: a cursor that opens reports its state before it
    // has read its rows.
    const DataSetState state = Detail->state();
    BPasswNeu->setEnabled(state == DataSetState::Insert
                          || (Verwaltung->AufServer() && Detail->active()
                              && (state == DataSetState::Edit || !Detail->isEmpty())));
    if (!Detail->active()) {
        LabPassVorh->clear();
        return;
    }
    const bool hasRow = Detail->state() == DataSetState::Insert || !Detail->isEmpty();
    LabPassVorh->setText(hasRow && Verwaltung->HatPasswort() ? QStringLiteral("Passwort : < vorhanden >")
                                                            : QStringLiteral("Passwort : < leer >"));
    if (Detail->state() == DataSetState::Edit)
        return;
    const TUserRights r = hasRow ? Verwaltung->RechteAusDatensatz() : TUserRights();
    m_showingRow = true;
    for (int i = 0; i < UserRightCount; ++i)
        RechteBoxen[i]->setChecked(r.contains(TUserRight(i)));
    m_showingRow = false;
}

void TSBenutzerVerw::rightTicked()
{
    if (m_showingRow)
        return;
    // Ticking by the administrator puts the row into edit state; the box keeps its tick.
    QList<bool> ticks;
    for (QCheckBox* cb : RechteBoxen)
        ticks << cb->isChecked();
    if (!runGuarded(this, [this] { Verwaltung->Bearbeiten(); })) {
        rowShown();
        return;
    }
    for (int i = 0; i < UserRightCount; ++i)
        RechteBoxen[i]->setChecked(ticks[i]);
}

void TSBenutzerVerw::SpBNeuClick()
{
    runGuarded(this, [this] {
        QString name, passwort;
        if (!PasswortNeueingabe(QStringLiteral("Neues Paßwort"), name, passwort, true, this))
            return;
        if (Detail->isEditing())
            Verwaltung->Speichern();
        Detail->append();
        Detail->setValue(QStringLiteral("Name"), name);
        Verwaltung->SetPasswort(passwort);
        rowShown();
    });
}

void TSBenutzerVerw::SpBLoeschenClick()
{
    DBGridDetail->setFocus();
    runGuarded(this, [this] {
        if (Detail->isEmpty() && Detail->state() != DataSetState::Insert)
            return;
        if (Detail->state() != DataSetState::Insert)
            Verwaltung->LoeschenPruefen();
        if (Dialogs::questionDefaultNo(this, QStringLiteral("Datensatz löschen ?")))
            Verwaltung->Loeschen();
    });
}

void TSBenutzerVerw::SpBAlleRechteClick()
{
    runGuarded(this, [this] {
        Verwaltung->Bearbeiten();
        for (int i = crView; i <= crCalcReport; ++i)
            RechteBoxen[i]->setChecked(true);
    });
}

void TSBenutzerVerw::BPasswNeuClick()
{
    runGuarded(this, [this] {
        if (Detail->state() != DataSetState::Insert && !Verwaltung->AufServer())
            return;
        QString name = Detail->field(QStringLiteral("Name")).asString();
        QString passwort;
        if (PasswortNeueingabe(QStringLiteral("Neues Paßwort"), name, passwort, false, this))
            Verwaltung->SetPasswort(passwort);
        rowShown();
    });
}

void TSBenutzerVerw::BOkClick()
{
    if (runGuarded(this, [this] {
            DetailSource->updateRecord();
            Verwaltung->Speichern();
        }))
        DBGridDetail->setFocus();
}

void TSBenutzerVerw::BCancelClick()
{
    runGuarded(this, [this] { Detail->cancel(); });
    DetailSource->refreshControls();
    rowShown();
    DBGridDetail->setFocus();
}

void TSBenutzerVerw::SetTabellenModus(bool exklusiv, bool offen)
{
    try {
        if (Detail->exclusive() != exklusiv) {
            if (Detail->active())
                Detail->close();
            Detail->setExclusive(exklusiv);
        }
        if (Detail->active() != offen) {
            if (offen)
                Detail->open();
            else
                Detail->close();
        }
    } catch (const EngineError&) {
        Dialogs::error(this, exklusiv ? QStringLiteral("Tabelle konnte nicht auf Exclusiv gesetzt werden")
                                      : QStringLiteral("Tabelle konnte nicht auf Normal gesetzt werden"));
    }
    LabExclusive->setText(Detail->exclusive() && Detail->active() ? QStringLiteral("Exclusiv") : QStringLiteral("Normal"));
    if (DBGridDetail && Detail->active() && Detail->currentViewRow() >= 0)
        DBGridDetail->setCurrentIndex(m_model->index(Detail->currentViewRow(), 0));
}

void TSBenutzerVerw::ChangeMasterPasswort()
{
    QString name = QStringLiteral("Admin");
    QString alt, neu;
    if (!PasswortAenderung(QStringLiteral("Master-Passwort ändern"), name, alt, false, neu, this))
        return;
    if (alt.compare(TabellenPasswoerter::MasterPasswort, Qt::CaseInsensitive) != 0) {
        Dialogs::error(this, QStringLiteral("Falsches Passwort"));
        return;
    }
    const QString fehler = BenutzerRegeln::MasterPasswortFehler(neu);
    if (!fehler.isEmpty()) {
        Dialogs::error(this, fehler);
        return;
    }
    if (Detail->isEditing())
        Verwaltung->Speichern();
    try {
        SetTabellenModus(true, true);
        QCoreApplication::processEvents();
        // Removing and setting go together: a failure leaves the old protection, never none.
        Backend& db = Engine::instance().backend(Detail->alias());
        Transaction t(db);
        TabellenPasswoerter::TabellenPasswortEntfernen(*Detail);
        TabellenPasswoerter::TabellenPasswortSetzen(*Detail, neu, TabellenPasswoerter::LesePasswort());
        t.commit();
        TabellenPasswoerter::MasterPasswort = neu;
    } catch (...) {
        SetTabellenModus(TabellenPasswoerter::AdminExklusiv, true);
        throw;
    }
    SetTabellenModus(TabellenPasswoerter::AdminExklusiv, true);
}

void TSBenutzerVerw::showEvent(QShowEvent* event)
{
    // Each heading as wide as the header draws it (its font and margins are known once the
    // window is polished).
    QHeaderView* header = DBGridDetail->horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        header->resizeSection(c, qMax(header->sectionSize(c), header->sectionSizeHint(c)));
    if (!Detail->active())
        runGuarded(this, [this] { Detail->open(); });
    rowShown();
    QDialog::showEvent(event);
    DBGridDetail->setFocus();
}

void TSBenutzerVerw::done(int result)
{
    if (Detail->isEditing()) {
        // Yes throws the pending change away: Enter must not.
        if (!Dialogs::questionDefaultNo(this, QStringLiteral("Benutzerverwaltung beenden?\nDaten noch nicht gespeichert")))
            return;
        runGuarded(this, [this] { Detail->cancel(); });
    } else if (!Dialogs::question(this, QStringLiteral("Benutzerverwaltung beenden?"))) {
        return;
    }
    QDialog::done(result);
}

bool AskMasterPasswort(QWidget* parent)
{
    for (;;) {
        TabellenPasswoerter::MasterPasswort.clear();
        QString name = QStringLiteral("Admin");
        QString passwort;
        if (!PasswortAbfrage(UserState::ProgrammTitel, name, passwort, false, parent)) {
            g_abgebrochen = true;
            return false;
        }
        // The read password never opens the administration.
        if (passwort.compare(TabellenPasswoerter::LesePasswort(), Qt::CaseInsensitive) == 0)
            continue;
        TabellenPasswoerter::MasterPasswort = passwort;
        Engine::instance().addPassword(passwort);
        return true;
    }
}

void AdminModus(const QString& operatorName, QWidget* parent, const QString& master)
{
    Engine& engine = Engine::instance();
    // Without a master password the table would open to any password.
    const BenutzerRegeln::Schutz schutz = BenutzerRegeln::BenutzerTabellenSchutz(
        UserState::BenutzerDatenbank.isEmpty() ? QStringLiteral("Benutzer") : UserState::BenutzerDatenbank);
    if (schutz != BenutzerRegeln::Schutz::Geschuetzt) {
        Dialogs::error(parent, schutz == BenutzerRegeln::Schutz::Leer
                                   ? QStringLiteral("Die Benutzertabelle hat noch kein Master-Passwort: "
                                                    "bitte das Programm neu starten, die Ersteinrichtung legt es fest.")
                                   : BenutzerRegeln::OhneSchutzText);
        return;
    }
    TSBenutzerVerw window(parent);
    window.SetAdminName(operatorName);
    engine.removeAllPasswords();
    const Engine::PasswordHook saved = engine.passwordHook();
    g_abgebrochen = false;
    engine.setPasswordHook([&window] { return AskMasterPasswort(&window); });
    struct Aufraeumen {
        Engine& engine;
        TSBenutzerVerw& window;
        const Engine::PasswordHook& saved;
        ~Aufraeumen()
        {
            engine.removeAllPasswords();
            window.SetTabellenModus(false, false);
            engine.setPasswordHook(saved);
        }
    } aufraeumen{engine, window, saved};
    window.SetTabellenModus(TabellenPasswoerter::AdminExklusiv, false);
    if (!master.isEmpty()) {
        TabellenPasswoerter::MasterPasswort = master;
        engine.addPassword(master);
    } else if (!engine.requestPassword()) {
        return;
    }
    try {
        window.Detail->open();
    } catch (const EngineError& e) {
        if (g_abgebrochen)
            return;
        QString text;
        switch (e.code()) {
        case EngineCode::InsufficientRights: text = QStringLiteral("Falsches Passwort - Error- keine Rechte"); break;
        case EngineCode::TableBusy: text = QStringLiteral("Fehler : Tabelle in Benutzung (anderer Nutzer)"); break;
        case EngineCode::TableLocked: text = QStringLiteral("Fehler : Tabelle ist gesperrt (anderer Nutzer)"); break;
        default: text = QStringLiteral("Fehler %1 aufgetreten").arg(e.code()); break;
        }
        Dialogs::error(&window, text);
        return;
    }
    window.SetTabellenModus(TabellenPasswoerter::AdminExklusiv, true);
    Dialogs::exec(&window);
}
