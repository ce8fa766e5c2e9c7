#include "ErfPruefungenSeiten.h"

#include "DBKontrollen.h"
#include "Dialogs.h"
#include "GrauesLabel.h"
#include "Kriterien.h"
#include "PruefKriterienWege.h"
#include "Schema.h"
#include "Table.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

void fehlerZeigen(TDBTriCheckBox* cb, QWidget* page)
{
    QObject::connect(cb, &TDBTriCheckBox::fehler, page, [page](const QString& m) { Dialogs::error(page, m); });
}

}

TErfPruefEinfachSeite::TErfPruefEinfachSeite(Table* leiter, TUserControl& rights, QWidget* parent)
    : QWidget(parent), m_leiter(leiter)
{
    setObjectName(QStringLiteral("TabErfPruefEinfach"));
    auto* l = new QVBoxLayout(this);
    auto* head = new QLabel(QStringLiteral("erforderliche Prüfungen :"), this);
    QFont f = head->font();
    f.setBold(true);
    f.setUnderline(true);
    head->setFont(f);
    l->addWidget(head);
    for (const Kriterien::Einfach& e : Kriterien::einfache()) {
        const QString field = Schema::requiredColumn(e.criterion);
        auto* cb = new TDBTriCheckBox(leiter, field, &rights, this);
        cb->setObjectName(QStringLiteral("Edit") + field);
        cb->setText(e.caption);
        fehlerZeigen(cb, this);
        m_boxes.insert(cb->objectName(), cb);
        if (e.criterion == QLatin1String("Sonstiges")) {
            auto* row = new QHBoxLayout;
            row->addWidget(cb);
            m_sonstText = new TDBTextFeld(leiter, QStringLiteral("PrSonstigesText"), &rights, this);
            m_sonstText->setObjectName(QStringLiteral("EditPrSonstigesText"));
            connect(m_sonstText, &TDBTextFeld::fehler, this, [this](const QString& m) { Dialogs::error(this, m); });
            row->addWidget(m_sonstText, 1);
            l->addLayout(row);
        } else {
            l->addWidget(cb);
        }
    }
    l->addStretch();
    connect(leiter, &DataSet::currentChanged, this, [this] { sonstTextZeigen(); });
    connect(leiter, &DataSet::rowChanged, this, [this] { sonstTextZeigen(); });
    connect(leiter, &DataSet::fieldChanged, this, [this] { sonstTextZeigen(); });
    connect(leiter, &DataSet::stateChanged, this, [this] { sonstTextZeigen(); });
    sonstTextZeigen();
}

void TErfPruefEinfachSeite::sonstTextZeigen()
{
    const bool on = m_leiter->active() && m_leiter->currentViewRow() >= 0
        && m_leiter->field(QStringLiteral("PrSonstiges")).asBoolean();
    m_sonstText->setVisible(on);
}

TErfPruefErweitertSeite::TErfPruefErweitertSeite(Table* leiter, TUserControl& rights, QWidget* parent)
    : QWidget(parent), m_leiter(leiter), m_rights(rights)
{
    setObjectName(QStringLiteral("TabErfPruefErweitert"));
    // 23 boxes in seven groups need more height than the data panel has at the window's
    // minimum size: the page scrolls instead of squeezing the boxes over each other.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* content = new QWidget(scroll);
    scroll->setWidget(content);
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(scroll);
    auto* outer = new QVBoxLayout(content);
    outer->setContentsMargins(4, 2, 4, 2);
    outer->setSpacing(4);
    auto* cols = new QHBoxLayout;
    cols->setSpacing(6);
    outer->addLayout(cols);
    QVBoxLayout* col[3] = {new QVBoxLayout, new QVBoxLayout, new QVBoxLayout};
    for (auto* c : col) {
        c->setSpacing(4);
        cols->addLayout(c);
    }

    auto* heading = new QLabel(QStringLiteral("erforderliche Prüfungen"), this);
    heading->setFrameShape(QFrame::Box);
    heading->setAlignment(Qt::AlignCenter);
    col[1]->addWidget(heading);
    auto* detail = new QPushButton(QStringLiteral("Detail-Liste"), this);
    detail->setObjectName(QStringLiteral("BErfPruefungen"));
    detail->setToolTip(QStringLiteral("Liste mit detailiertem Aufbau"));
    connect(detail, &QPushButton::clicked, this, &TErfPruefErweitertSeite::BErfPruefungenClick);
    col[2]->addWidget(detail);

    // left: Holme, Sprossen; middle: Spreizsicherung, Beschlagteile; right: the rest
    const int spalteVon[7] = {0, 0, 1, 1, 2, 2, 2};
    const QList<Kriterien::Gruppe>& groups = Kriterien::gruppen();
    for (int gi = 0; gi < groups.size(); ++gi) {
        const Kriterien::Gruppe& g = groups[gi];
        auto* panel = new QFrame(this);
        panel->setObjectName(g.panelName);
        panel->setFrameShape(QFrame::Box);
        auto* pl = new QVBoxLayout(panel);
        pl->setContentsMargins(4, 2, 4, 2);
        pl->setSpacing(0);
        QLabel* h = grauesLabel(g.headingSeite, panel);
        h->setToolTip(g.tooltip);
        pl->addWidget(h);
        for (const Kriterien::Box& b : Kriterien::boxen()) {
            if (!g.items.contains(b.criterion))
                continue;
            auto* cb = new TDBTriCheckBox(leiter, Schema::requiredColumn(b.criterion), &rights, panel);
            cb->setObjectName(b.name);
            cb->setText(b.captionSeite);
            cb->setToolTip(b.tooltip);
            cb->setLayoutDirection(Qt::RightToLeft);
            fehlerZeigen(cb, this);
            pl->addWidget(cb);
            m_boxes.insert(b.name, cb);
        }
        col[spalteVon[gi]]->addWidget(panel);
    }
    for (auto* c : col)
        c->addStretch();

    auto* sonst = new QHBoxLayout;
    sonst->addWidget(grauesLabel(QStringLiteral("Sonstiges  :"), this));
    auto* cb = new TDBTriCheckBox(leiter, QStringLiteral("PrSonstiges"), &rights, this);
    cb->setObjectName(QStringLiteral("DBCheckBox1"));
    cb->setText(QStringLiteral(" .:"));
    cb->setLayoutDirection(Qt::RightToLeft);
    fehlerZeigen(cb, this);
    m_boxes.insert(cb->objectName(), cb);
    sonst->addWidget(cb);
    auto* edit = new TDBTextFeld(leiter, QStringLiteral("PrSonstigesText"), &rights, this);
    edit->setObjectName(QStringLiteral("DBEdit1"));
    connect(edit, &TDBTextFeld::fehler, this, [this](const QString& m) { Dialogs::error(this, m); });
    sonst->addWidget(edit, 1);
    outer->addLayout(sonst);
}

void TErfPruefErweitertSeite::BErfPruefungenClick()
{
    try {
        if (!m_leiter->active() || m_leiter->isEmpty())
            return;
        PruefKriterienWege::DetailListe(*m_leiter, m_rights, this);
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
    } catch (const Abort&) {
    }
}
