#include "VerlaufForm.h"

#include "ActionGuard.h"
#include "Dialogs.h"
#include "Errors.h"
#include "ExportDialog.h"
#include "TabellenExport.h"
#include "Verlauf.h"
#include "VerlaufAnzeige.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TVerlaufForm::TVerlaufForm(Backend& db, const QHash<qint64, QString>& nummern, const QString& ueberschrift, QWidget* parent)
    : QDialog(parent), m_db(db), m_nummern(nummern)
{
    setObjectName(QStringLiteral("TVerlaufForm"));
    setWindowTitle(QStringLiteral("Änderungsverlauf"));
    setSizeGripEnabled(true);
    resize(860, 460);

    LabLeiter = new QLabel(ueberschrift, this);
    LabLeiter->setObjectName(QStringLiteral("LabLeiter"));
    QFont bold = LabLeiter->font();
    bold.setBold(true);
    LabLeiter->setFont(bold);

    CBZeitraum = new QCheckBox(QStringLiteral("nur Zeitraum &von :"), this);
    CBZeitraum->setObjectName(QStringLiteral("CBZeitraum"));
    const auto dateEdit = [this](const char* name, const QDate& d) {
        auto* e = new QDateEdit(d, this);
        e->setObjectName(QLatin1String(name));
        e->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        e->setCalendarPopup(true);
        e->setLocale(QLocale(QLocale::German, QLocale::Germany));
        e->setEnabled(false);
        return e;
    };
    const QDate heute = QDate::currentDate();
    EditVon = dateEdit("EditVon", heute.addMonths(-1));
    EditBis = dateEdit("EditBis", heute);

    GridVerlauf = new QTableWidget(this);
    GridVerlauf->setObjectName(QStringLiteral("GridVerlauf"));
    GridVerlauf->setColumnCount(int(VerlaufAnzeige::titel().size()));
    GridVerlauf->setHorizontalHeaderLabels(VerlaufAnzeige::titel());
    GridVerlauf->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridVerlauf->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridVerlauf->verticalHeader()->setVisible(false);
    GridVerlauf->horizontalHeader()->setStretchLastSection(true);

    LabAnzahl = new QLabel(this);
    LabAnzahl->setObjectName(QStringLiteral("LabAnzahl"));
    BExport = new QPushButton(QStringLiteral("&Exportieren ..."), this);
    BExport->setObjectName(QStringLiteral("BExport"));
    BExport->setToolTip(QStringLiteral("Die angezeigten Änderungen nach Excel oder CSV exportieren"));
    BSchliessen = new QPushButton(QStringLiteral("&Schließen"), this);
    BSchliessen->setObjectName(QStringLiteral("BSchliessen"));

    auto* filter = new QHBoxLayout;
    filter->addWidget(CBZeitraum);
    filter->addWidget(EditVon);
    filter->addWidget(new QLabel(QStringLiteral("bis :"), this));
    filter->addWidget(EditBis);
    filter->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LabAnzahl, 1);
    buttons->addWidget(BExport);
    buttons->addWidget(BSchliessen);
    auto* v = new QVBoxLayout(this);
    v->addWidget(LabLeiter);
    v->addLayout(filter);
    v->addWidget(GridVerlauf, 1);
    v->addLayout(buttons);

    connect(CBZeitraum, &QCheckBox::toggled, this, [this](bool on) {
        EditVon->setEnabled(on);
        EditBis->setEnabled(on);
        runGuarded(this, [this] { Laden(); });
    });
    connect(EditVon, &QDateEdit::dateChanged, this, [this] { runGuarded(this, [this] { Laden(); }); });
    connect(EditBis, &QDateEdit::dateChanged, this, [this] { runGuarded(this, [this] { Laden(); }); });
    connect(BExport, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { BExportClick(); }); });
    connect(BSchliessen, &QPushButton::clicked, this, &QDialog::accept);
    Laden();
}

void TVerlaufForm::Laden()
{
    const bool zeitraum = CBZeitraum->isChecked();
    const QList<Verlauf::Eintrag> eintraege = Verlauf::fuerLeitern(m_db, m_nummern.keys(), zeitraum ? EditVon->date() : QDate(),
                                                                   zeitraum ? EditBis->date() : QDate());
    VerlaufAnzeige anzeige(m_db);
    anzeige.setLeiterNummern(m_nummern);
    const QList<VerlaufZeile> zeilen = anzeige.zeilen(eintraege);
    GridVerlauf->setRowCount(int(zeilen.size()));
    for (int r = 0; r < zeilen.size(); ++r) {
        const VerlaufZeile& z = zeilen[r];
        const QStringList cells = {z.zeit, z.benutzer, z.arbeitsplatz, z.bereich, z.aktion, z.feld, z.alt, z.neu};
        for (int c = 0; c < cells.size(); ++c)
            GridVerlauf->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    GridVerlauf->resizeColumnsToContents();
    LabAnzahl->setText(zeilen.size() == 1 ? QStringLiteral("1 Änderung") : QStringLiteral("%1 Änderungen").arg(zeilen.size()));
    m_zeilen = zeilen;
}

void TVerlaufForm::BExportClick()
{
    // Like the other lists: Excel or CSV, the times as times.
    ExportTabelle t;
    t.blatt = QStringLiteral("Änderungsverlauf");
    const QStringList titel = VerlaufAnzeige::titel();
    for (int c = 0; c < titel.size(); ++c)
        t.spalten << ExportSpalte{titel[c], c == 0 ? ExportTyp::DatumZeit : ExportTyp::Text, c == 0 ? 18 : c >= 5 ? 24 : 14};
    t.zeilen = m_zeilen.size();
    const QList<VerlaufZeile> zeilen = m_zeilen;
    t.wert = [zeilen](qint64 r, int c) -> QVariant {
        const VerlaufZeile& z = zeilen[int(r)];
        switch (c) {
        case 0: return z.zeitLokal;
        case 1: return z.benutzer;
        case 2: return z.arbeitsplatz;
        case 3: return z.bereich;
        case 4: return z.aktion;
        case 5: return z.feld;
        case 6: return z.alt;
        default: return z.neu;
        }
    };
    exportiereMitDialog(this, t, QStringLiteral("Aenderungsverlauf"));
}
