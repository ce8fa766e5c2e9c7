#include "PruefForm.h"

#include "DataSet.h"
#include "GrauesLabel.h"
#include "Kriterien.h"
#include "Schema.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kLeer = QStringLiteral("<leer>");
}

TPruefForm::TPruefForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TPruefForm"));
    setWindowTitle(QStringLiteral("Prüfkriterien  (Kriterien für Leitern)"));
    setMinimumSize(560, 488);
    auto* main = new QVBoxLayout(this);
    m_labLeiter = new QLabel(this);
    m_labLeiter->setObjectName(QStringLiteral("LabLeiter"));
    m_labLeiter->setAlignment(Qt::AlignCenter);
    m_labLeiter->setAutoFillBackground(true);
    {
        QPalette p = m_labLeiter->palette();
        p.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
        m_labLeiter->setPalette(p);
    }
    main->addWidget(m_labLeiter);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    main->addLayout(columns);
    const QList<Kriterien::Gruppe>& groups = Kriterien::gruppen();
    for (int gi = 0; gi < groups.size(); ++gi) {
        const Kriterien::Gruppe& g = groups[gi];
        auto* panel = new QFrame(this);
        panel->setObjectName(g.panelName);
        panel->setFrameShape(QFrame::Box);
        auto* pl = new QVBoxLayout(panel);
        auto* head = new QHBoxLayout;
        QWidget* h = grauesLabel(g.headingDialog, panel);
        h->setToolTip(g.tooltip);
        head->addWidget(h, 1);
        auto* alle = new QToolButton(panel);
        alle->setObjectName(QStringLiteral("SpButton") + g.panelName);
        alle->setText(QStringLiteral("Alle"));
        alle->setToolTip(QStringLiteral("Alle Schalter setzen"));
        const QString prefix = g.prefix;
        connect(alle, &QToolButton::clicked, this, [this, prefix] { SpButtonGruppeClick(prefix); });
        head->addWidget(alle);
        pl->addLayout(head);
        for (const Kriterien::Box& b : Kriterien::boxen()) {
            if (!g.items.contains(b.criterion))
                continue;
            auto* cb = new QCheckBox(b.captionDialog, panel);
            cb->setObjectName(b.name);
            cb->setToolTip(b.tooltip);
            cb->setLayoutDirection(Qt::RightToLeft);   // caption left of the box
            pl->addWidget(cb);
            m_boxes.insert(b.name, cb);
            m_groupBoxes[g.prefix] << b.name;
        }
        (gi < 3 ? left : right)->addWidget(panel);
    }
    left->addStretch();
    right->addStretch();

    auto* sonstRow = new QHBoxLayout;
    sonstRow->addWidget(new QLabel(QStringLiteral("Sonstiges  :"), this));
    m_sonst = new QCheckBox(QStringLiteral(".."), this);
    m_sonst->setObjectName(QStringLiteral("DbCbSonst1"));
    m_sonst->setLayoutDirection(Qt::RightToLeft);
    m_sonstEdit = new QLineEdit(this);
    m_sonstEdit->setObjectName(QStringLiteral("DbEditSonst1"));
    m_sonstEdit->setMaxLength(30);
    m_sonstEdit->setToolTip(QStringLiteral("zusätzliche Prüfungen, eingetragen in den Stammdaten der einzelnen Leitern"));
    sonstRow->addWidget(m_sonstEdit, 1);
    sonstRow->addWidget(m_sonst);
    main->addLayout(sonstRow);

    auto* buttons = new QHBoxLayout;
    auto mk = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(mk("BAlleSetzen", QStringLiteral("Alle Setzen")), &QPushButton::clicked, this, &TPruefForm::BAlleSetzenClick);
    connect(mk("BAlleLoeschen", QStringLiteral("Alle Loeschen")), &QPushButton::clicked, this,
            &TPruefForm::BAlleLoeschenClick);
    buttons->addStretch();
    connect(mk("BitBtnCancel", QStringLiteral("Abbrechen")), &QPushButton::clicked, this, &QDialog::reject);
    connect(mk("BitBtnOK", QStringLiteral("OK")), &QPushButton::clicked, this, &QDialog::accept);
    main->addLayout(buttons);
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    main->addWidget(status);
}

void TPruefForm::TitelSetzen(const QString& text) { m_labLeiter->setText(text); }

void TPruefForm::ErfLaden(const DataSet& r)
{
    for (const Kriterien::Box& b : Kriterien::boxen())
        m_boxes[b.name]->setChecked(r.field(Schema::requiredColumn(b.criterion)).asBoolean());
    m_sonst->setChecked(r.field(QStringLiteral("PrSonstiges")).asBoolean());
}

void TPruefForm::ErfSpeichern(DataSet& r) const
{
    for (const Kriterien::Box& b : Kriterien::boxen())
        r.setValue(Schema::requiredColumn(b.criterion), m_boxes[b.name]->isChecked());
    r.setValue(QStringLiteral("PrSonstiges"), m_sonst->isChecked());
}

void TPruefForm::ErfFreigeben(const DataSet& r)
{
    for (const Kriterien::Box& b : Kriterien::boxen())
        m_boxes[b.name]->setEnabled(r.field(Schema::requiredColumn(b.criterion)).asBoolean());
    m_sonst->setEnabled(r.field(QStringLiteral("PrSonstiges")).asBoolean());
}

void TPruefForm::ErlLaden(const DataSet& r)
{
    for (const Kriterien::Box& b : Kriterien::boxen())
        m_boxes[b.name]->setChecked(r.field(Schema::doneColumn(b.criterion)).asBoolean());
    m_sonst->setChecked(r.field(QStringLiteral("PrErlSonstiges")).asBoolean());
}

void TPruefForm::ErlSpeichern(DataSet& r) const
{
    for (const Kriterien::Box& b : Kriterien::boxen())
        r.setValue(Schema::doneColumn(b.criterion), m_boxes[b.name]->isChecked());
    r.setValue(QStringLiteral("PrErlSonstiges"), m_sonst->isChecked());
}

void TPruefForm::SonstTextLaden(const DataSet& ladder)
{
    m_sonstEdit->setText(ladder.field(QStringLiteral("PrSonstigesText")).asString());
}

void TPruefForm::SonstTextSpeichern(DataSet& ladder) const
{
    const QString t = m_sonstEdit->text();
    ladder.setValue(QStringLiteral("PrSonstigesText"), t.isEmpty() ? QVariant() : QVariant(t));
}

void TPruefForm::SonstTextAnzeigen(const DataSet& ladder)
{
    QString s = ladder.field(QStringLiteral("PrSonstigesText")).asString();
    if (s.isEmpty())
        s = kLeer;
    m_sonst->setText(s);
    m_sonstEdit->setText(s);
    m_sonstEdit->hide();
}

void TPruefForm::SpButtonGruppeClick(const QString& prefix)
{
    for (const QString& name : m_groupBoxes.value(prefix))
        if (m_boxes[name]->isEnabled())
            m_boxes[name]->setChecked(true);
}

void TPruefForm::BAlleSetzenClick()
{
    for (const Kriterien::Gruppe& g : Kriterien::gruppen())
        SpButtonGruppeClick(g.prefix);
    const QString t = m_sonstEdit->text();
    if (m_sonst->isEnabled() && !t.isEmpty() && t != kLeer)
        m_sonst->setChecked(true);
}

void TPruefForm::BAlleLoeschenClick()
{
    for (QCheckBox* cb : std::as_const(m_boxes))
        cb->setChecked(false);
    m_sonst->setChecked(false);
}
