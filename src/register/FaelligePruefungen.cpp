#include "FaelligePruefungen.h"

#include "ActionGuard.h"
#include "DBTreeView.h"
#include "DataModule.h"
#include "DbTreeLookupComboBox.h"
#include "FaelligFarben.h"
#include "LtFirmAbt.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QLocale kDe(QLocale::German);
}

// The list lines, then one heading row "ohne Termin" before the ladders without a date.
class FaelligModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    static QStringList titel()
    {
        return {QStringLiteral("Leiter-Nr"),     QStringLiteral("Kurz.-Bezeichnung"), QStringLiteral("Firma - Abteilung"),
                QStringLiteral("Leiter-Art"),    QStringLiteral("letzte Prüfung"),    QStringLiteral("Prüf.-Termin"),
                QStringLiteral("Tage überfällig")};
    }

    void setListe(FaelligeListe l)
    {
        beginResetModel();
        m_liste = std::move(l);
        m_heading = m_liste.ohneTermin > 0 ? int(m_liste.zeilen.size()) - m_liste.ohneTermin : -1;
        endResetModel();
    }
    const FaelligeListe& liste() const { return m_liste; }
    int headingRow() const { return m_heading; }
    // Line of the list at a grid row; nullptr on the heading.
    const FaelligeLeiter* at(int row) const
    {
        if (row < 0 || row == m_heading)
            return nullptr;
        const int i = m_heading >= 0 && row > m_heading ? row - 1 : row;
        return i < m_liste.zeilen.size() ? &m_liste.zeilen[i] : nullptr;
    }
    int rowOf(int id) const
    {
        for (int r = 0; r < rowCount(); ++r)
            if (const FaelligeLeiter* z = at(r); z && z->id == id)
                return r;
        return -1;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_liste.zeilen.size()) + (m_heading >= 0 ? 1 : 0);
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override { return parent.isValid() ? 0 : 7; }

    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole)
            return titel().value(section);
        return QVariant();
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (index.row() == m_heading) {
            if (role == Qt::DisplayRole && index.column() == 0)
                return QStringLiteral("ohne Termin");
            if (role == Qt::FontRole) {
                QFont f;
                f.setBold(true);
                return f;
            }
            return QVariant();
        }
        const FaelligeLeiter* z = at(index.row());
        if (!z)
            return QVariant();
        const int c = index.column();
        if (role == Qt::DisplayRole) {
            switch (c) {
            case 0: return z->nr;
            case 1: return z->kurzBez;
            case 2: return z->abteilung;
            case 3: return z->art;
            case 4: return z->letztePruefung.isValid() ? kDe.toString(z->letztePruefung, QStringLiteral("dd.MM.yy")) : QString();
            case 5: return z->termin.isValid() ? kDe.toString(z->termin, QStringLiteral("ddd dd.MM.yy")) : QString();
            case 6: return z->termin.isValid() ? QVariant(z->tageUeberfaellig) : QVariant();
            }
        }
        if (role == Qt::TextAlignmentRole && (c == 0 || c >= 4))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if ((role == Qt::BackgroundRole || role == Qt::ForegroundRole) && (c == 5 || c == 6)) {
            const std::optional<QColor> bg = faelligFarbe(z->status);
            if (!bg)
                return QVariant();
            return role == Qt::BackgroundRole ? QVariant(*bg) : QVariant(faelligTextFarbe(z->status));
        }
        return QVariant();
    }

private:
    FaelligeListe m_liste;
    int m_heading = -1;
};

TFaelligePruefungen::TFaelligePruefungen(TDataModule1& dm, const TLtFirmAbt& departments, const QString& iniFile,
                                         QWidget* parent)
    : QDialog(parent), m_departments(departments), m_iniFile(iniFile)
{
    setObjectName(QStringLiteral("FaelligePruefungen"));
    setWindowTitle(QStringLiteral("Fällige Prüfungen"));
    setModal(false);
    setSizeGripEnabled(true);
    auto* top = new QVBoxLayout(this);

    auto* auswahl = new QHBoxLayout;
    auswahl->addWidget(new QLabel(QStringLiteral("fällig bis :"), this));
    EditBis = new QDateEdit(this);
    EditBis->setObjectName(QStringLiteral("EditBis"));
    EditBis->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    EditBis->setCalendarPopup(true);
    auswahl->addWidget(EditBis);
    auto* wochenLabel = new QLabel(QStringLiteral("Wochen :"), this);
    auswahl->addWidget(wochenLabel);
    SpinWochen = new QSpinBox(this);
    SpinWochen->setObjectName(QStringLiteral("SpinWochen"));
    SpinWochen->setRange(1, 104);
    SpinWochen->setToolTip(QStringLiteral("Wochen ab heute, die als bald fällig gelten"));
    auswahl->addWidget(SpinWochen);
    auswahl->addSpacing(8);
    auswahl->addWidget(new QLabel(QStringLiteral("Abteilung :"), this));
    DbTreeLookupAbt = new TDbTreeLookupComboBox(this);
    DbTreeLookupAbt->setObjectName(QStringLiteral("DbTreeLookupAbt"));
    DbTreeLookupAbt->setListSource(dm.StFirmAbtList, QStringLiteral("ID"), QStringLiteral("KurzBez"));
    DbTreeLookupAbt->setListTreeIDField(QStringLiteral("ID"));
    DbTreeLookupAbt->setListTreeParentField(QStringLiteral("ParentID"));
    DbTreeLookupAbt->treeView()->setSortType(TDBTreeView::stText);
    DbTreeLookupAbt->setDropDownWidth(300);
    DbTreeLookupAbt->setDropDownHeight(300);
    DbTreeLookupAbt->setMinimumWidth(DbTreeLookupAbt->fontMetrics().horizontalAdvance(QStringLiteral("Muster GmbH - Werk")) + 40);
    auswahl->addWidget(DbTreeLookupAbt, 1);
    SpbAbtLoe = new QToolButton(this);
    SpbAbtLoe->setObjectName(QStringLiteral("SpbAbtLoe"));
    SpbAbtLoe->setText(QStringLiteral("X"));
    SpbAbtLoe->setToolTip(QStringLiteral("Auswahl Firma/Abteilung löschen"));
    auswahl->addWidget(SpbAbtLoe);
    CbMitSchrott = new QCheckBox(QStringLiteral("mit Schrott"), this);
    CbMitSchrott->setObjectName(QStringLiteral("CbMitSchrott"));
    auswahl->addWidget(CbMitSchrott);
    top->addLayout(auswahl);

    GridFaellig = new QTableView(this);
    GridFaellig->setObjectName(QStringLiteral("GridFaellig"));
    m_model = new FaelligModel(this);
    GridFaellig->setModel(m_model);
    GridFaellig->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridFaellig->setSelectionMode(QAbstractItemView::SingleSelection);
    GridFaellig->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridFaellig->setTabKeyNavigation(false);
    GridFaellig->setWordWrap(false);
    GridFaellig->verticalHeader()->hide();
    GridFaellig->verticalHeader()->setDefaultSectionSize(GridFaellig->fontMetrics().height() + 4);
    GridFaellig->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int cw = GridFaellig->fontMetrics().averageCharWidth();
    const int widths[] = {9, 24, 32, 14, 10, 12, 5};
    // A column is never narrower than its title: "letzte Prüfung", "Tage überfällig" stay whole.
    QFont kopfFont = GridFaellig->horizontalHeader()->font();
    kopfFont.setBold(true);
    const QFontMetrics kopf(kopfFont);
    int breiten[7];
    for (int c = 0; c < 7; ++c) {
        breiten[c] = qMax(widths[c] * cw + 12, kopf.horizontalAdvance(FaelligModel::titel()[c]) + 20);
        GridFaellig->setColumnWidth(c, breiten[c]);
    }
    GridFaellig->horizontalHeader()->setStretchLastSection(true);
    int gridWidth = 0;
    for (int w : breiten)
        gridWidth += w;
    GridFaellig->installEventFilter(this);
    top->addWidget(GridFaellig, 1);

    auto* unten = new QHBoxLayout;
    LabAnzahl = new QLabel(this);
    LabAnzahl->setObjectName(QStringLiteral("LabAnzahl"));
    QFont bold = LabAnzahl->font();
    bold.setBold(true);
    LabAnzahl->setFont(bold);
    unten->addWidget(LabAnzahl, 1);
    BExport = new QPushButton(QStringLiteral("&Export .."), this);
    BExport->setObjectName(QStringLiteral("BExport"));
    BExport->setAutoDefault(false);
    unten->addWidget(BExport);
    BDruck = new QPushButton(QStringLiteral("&Vorschau"), this);
    BDruck->setObjectName(QStringLiteral("BDruck"));
    BDruck->setAutoDefault(false);
    unten->addWidget(BDruck);
    BSchliessen = new QPushButton(QStringLiteral("&Schließen"), this);
    BSchliessen->setObjectName(QStringLiteral("BSchliessen"));
    BSchliessen->setAutoDefault(false);
    unten->addWidget(BSchliessen);
    top->addLayout(unten);

    m_loading = true;
    SpinWochen->setValue(faelligWochen(m_iniFile));
    EditBis->setDate(QDate::currentDate().addDays(7 * SpinWochen->value()));
    m_loading = false;

    connect(SpinWochen, &QSpinBox::valueChanged, this, [this](int w) {
        if (m_loading)
            return;
        setFaelligWochen(m_iniFile, w);
        faelligStandardWochen() = w;
        m_loading = true;
        EditBis->setDate(QDate::currentDate().addDays(7 * w));
        m_loading = false;
        reload();
    });
    connect(EditBis, &QDateEdit::dateChanged, this, [this] {
        if (!m_loading)
            reload();
    });
    connect(DbTreeLookupAbt, &TDbTreeLookupComboBox::clicked, this, [this] { reload(); });
    connect(SpbAbtLoe, &QToolButton::clicked, this, [this] {
        DbTreeLookupAbt->setKeyValue(QVariant());
        reload();
    });
    connect(CbMitSchrott, &QCheckBox::toggled, this, [this] { reload(); });
    connect(GridFaellig, &QTableView::doubleClicked, this, [this] { springen(); });
    connect(BExport, &QPushButton::clicked, this, [this] {
        if (exportieren)
            runGuarded(this, exportieren);
    });
    connect(BDruck, &QPushButton::clicked, this, [this] {
        if (drucken)
            runGuarded(this, drucken);
    });
    connect(BSchliessen, &QPushButton::clicked, this, &QDialog::close);

    resize(gridWidth + 40, 480);
    reload();
}

TFaelligePruefungen::~TFaelligePruefungen() = default;

const FaelligeListe& TFaelligePruefungen::liste() const { return m_model->liste(); }

FaelligAuswahl TFaelligePruefungen::auswahl() const
{
    FaelligAuswahl a;
    a.bis = EditBis->date();
    a.mitSchrott = CbMitSchrott->isChecked();
    const QVariant key = DbTreeLookupAbt->KeyValue();
    if (key.isValid() && !key.isNull() && !key.toString().isEmpty())
        a.abtKey = QString::number(key.toLongLong());
    return a;
}

QString TFaelligePruefungen::auswahlText() const
{
    const FaelligAuswahl a = auswahl();
    QString t = QStringLiteral("fällig bis %1").arg(kDe.toString(a.bis, QStringLiteral("dd.MM.yyyy")));
    if (!a.abtKey.isEmpty())
        t += QStringLiteral(" / Abtl. : %1").arg(m_departments.PathText(a.abtKey));
    t += a.mitSchrott ? QStringLiteral(" / mit Schrott") : QStringLiteral(" / ohne Schrott");
    return t;
}

void TFaelligePruefungen::reload()
{
    runGuarded(this, [this] {
        const int id = currentLeiterId();
        m_model->setListe(faelligeLeitern(auswahl(), m_departments));
        const int heading = m_model->headingRow();
        GridFaellig->clearSpans();
        if (heading >= 0)
            GridFaellig->setSpan(heading, 0, 1, m_model->columnCount());
        int row = id ? m_model->rowOf(id) : -1;
        if (row < 0 && m_model->rowCount() > 0)
            row = heading == 0 ? (m_model->rowCount() > 1 ? 1 : -1) : 0;
        if (row >= 0)
            GridFaellig->setCurrentIndex(m_model->index(row, 0));
        updateCount();
    });
}

void TFaelligePruefungen::updateCount()
{
    const FaelligeListe& l = m_model->liste();
    LabAnzahl->setText(QStringLiteral("%1 überfällig, %2 bald fällig, %3 ohne Termin")
                           .arg(l.ueberfaellig)
                           .arg(l.baldFaellig)
                           .arg(l.ohneTermin));
}

int TFaelligePruefungen::currentLeiterId() const
{
    const FaelligeLeiter* z = m_model->at(GridFaellig->currentIndex().row());
    return z ? z->id : 0;
}

int TFaelligePruefungen::rowOfLeiter(int id) const { return m_model->rowOf(id); }

void TFaelligePruefungen::springen()
{
    const int id = currentLeiterId();
    if (id && gehZuLeiter)
        runGuarded(this, [this, id] { gehZuLeiter(id); });
}

bool TFaelligePruefungen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == GridFaellig && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier) {
            springen();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
