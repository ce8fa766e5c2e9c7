// Due inspections at a glance: the "Fällige Prüfungen" list, the colours of the due date in
// the ladder grid, the count of overdue ladders beside the list's button, the notice after the
// start or a change of user, and the spreadsheet exports of the main window's lists.
#include "DueFeature.h"
#include "Features.h"

#include "ActionGuard.h"
#include "AppConfig.h"
#include "DataControls.h"
#include "Dialogs.h"
#include "Errors.h"
#include "ExportDialog.h"
#include "FaelligFarben.h"
#include "FaelligePruefungen.h"
#include "LeiterGrid.h"
#include "LeiterVerlassen.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "PruefGrid.h"
#include "PruefungsSeite.h"
#include "RepFaellig.h"
#include "RepMenue.h"
#include "ReportExport.h"
#include "TabellenExport.h"
#include "Table.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

ExportTabelle faelligExportTabelle(const FaelligeListe& liste)
{
    ExportTabelle t;
    t.blatt = QStringLiteral("Fällige Prüfungen");
    t.spalten = {{QStringLiteral("Leiter-Nr"), ExportTyp::Ganzzahl, 9},
                 {QStringLiteral("externe Leiter-Nr"), ExportTyp::Text, 15},
                 {QStringLiteral("Kurz.-Bezeichnung"), ExportTyp::Text, 27},
                 {QStringLiteral("Firma - Abteilung"), ExportTyp::Text, 40},
                 {QStringLiteral("Leiter-Art"), ExportTyp::Text, 18},
                 {QStringLiteral("letzte Prüfung"), ExportTyp::Datum, 11},
                 {QStringLiteral("Prüf.-Termin"), ExportTyp::Datum, 11},
                 {QStringLiteral("Tage überfällig"), ExportTyp::Ganzzahl, 8},
                 {QStringLiteral("Status"), ExportTyp::Text, 12}};
    t.zeilen = liste.zeilen.size();
    auto zeilen = std::make_shared<QList<FaelligeLeiter>>(liste.zeilen);
    t.wert = [zeilen](qint64 r, int c) -> QVariant {
        const FaelligeLeiter& z = (*zeilen)[int(r)];
        switch (c) {
        case 0: return z.nr;
        case 1: return z.exNr;
        case 2: return z.kurzBez;
        case 3: return z.abteilung;
        case 4: return z.art;
        case 5: return z.letztePruefung.isValid() ? QVariant(z.letztePruefung) : QVariant();
        case 6: return z.termin.isValid() ? QVariant(z.termin) : QVariant();
        case 7: return z.termin.isValid() ? QVariant(z.tageUeberfaellig) : QVariant();
        case 8:
            switch (z.status) {
            case Faelligkeit::Ueberfaellig: return QStringLiteral("überfällig");
            case Faelligkeit::BaldFaellig: return QStringLiteral("bald fällig");
            case Faelligkeit::OhneTermin: return QStringLiteral("ohne Termin");
            default: return QString();
            }
        }
        return QVariant();
    };
    return t;
}

namespace {

class DueFeature : public QObject {
public:
    explicit DueFeature(TLeiterVerw& w) : QObject(&w), m_w(w)
    {
        setObjectName(QStringLiteral("DueFeature"));
        m_iniFile = settingsFilePath();
        faelligStandardWochen() = faelligWochen(m_iniFile);
        buildActions();
        buildBar();
        FaelligGridFarben::install(m_w.grid(), m_w.leiter(), [] { return 7 * faelligStandardWochen(); });

        // Saves, F5 and inspections all end in the ladder cursor; one count per burst.
        m_countTimer.setSingleShot(true);
        m_countTimer.setInterval(0);
        connect(&m_countTimer, &QTimer::timeout, this, [this] { aktualisieren(); });
        Table* t = m_w.leiter();
        connect(t, &DataSet::rowsReset, &m_countTimer, qOverload<>(&QTimer::start));
        connect(t, &DataSet::rowChanged, &m_countTimer, qOverload<>(&QTimer::start));
        connect(t, &DataSet::stateChanged, this, [this](DataSetState s) {
            if (s == DataSetState::Browse)
                m_countTimer.start();
        });
        if (QAction* login = m_w.menus()->action(QStringLiteral("MDateiExLogin")))
            connect(login, &QAction::triggered, this, [this] { QTimer::singleShot(0, this, [this] { hinweis(); }); });
        // Counted once the window is up: on a large register the count over every ladder would
        // hold back the first screen.
        QTimer::singleShot(0, this, [this] {
            aktualisieren();
            hinweis();
        });
        m_w.grid()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The notice keeps to the grid's corner when the window changes its size.
        if (watched == m_w.grid() && event->type() == QEvent::Resize && m_hinweis && m_hinweis->isVisible())
            platziereHinweis();
        return QObject::eventFilter(watched, event);
    }

    TFaelligePruefungen* liste()
    {
        if (!m_liste) {
            m_liste = new TFaelligePruefungen(m_w.dataModule(), m_w.firmAbt(), m_iniFile, &m_w);
            m_liste->setAttribute(Qt::WA_DeleteOnClose, false);
            m_liste->gehZuLeiter = [this](int id) { gehZuLeiter(id); };
            m_liste->exportieren = [this] {
                exportiereMitDialog(m_liste, faelligExportTabelle(m_liste->liste()), QStringLiteral("Faellige_Pruefungen"));
            };
            m_liste->drucken = [this] { vorschau(); };
        }
        return m_liste;
    }

    void oeffnen()
    {
        TFaelligePruefungen* l = liste();
        if (l->isVisible())
            l->reload();
        l->show();
        l->raise();
        l->activateWindow();
        l->GridFaellig->setFocus();
        if (m_hinweis)
            m_hinweis->hide();
    }

private:
    void buildActions()
    {
        TMainMenus& m = *m_w.menus();
        auto* faellig = new QAction(QStringLiteral("Fällige Prüfungen .."), &m_w);
        faellig->setObjectName(QStringLiteral("ActFaelligePruefungen"));
        faellig->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
        faellig->setToolTip(QStringLiteral("Überfällige und bald fällige Prüfungen"));
        m_w.addAction(faellig);
        m.MAnsicht->addSeparator();
        m.MAnsicht->addAction(faellig);
        m.plug(faellig, [this] { oeffnen(); });
        m.setWanted(faellig, true);

        QMenu* exp = m.MDatei->addMenu(QStringLiteral("Export nach Excel / CSV"));
        exp->setObjectName(QStringLiteral("MDateiExport"));
        m.MDatei->insertMenu(m.MDateiDruck->menuAction(), exp);
        auto* leitern = exp->addAction(QStringLiteral("Leiterliste .."));
        leitern->setObjectName(QStringLiteral("ActExportLeiter"));
        m.plug(leitern, [this] { exportLeitern(); });
        m.setWanted(leitern, true);
        auto* pruef = exp->addAction(QStringLiteral("Prüfungen der aktuellen Leiter .."));
        pruef->setObjectName(QStringLiteral("ActExportPruefungen"));
        m.plug(pruef, [this] { exportPruefungen(); });
        m.setWanted(pruef, true);
        auto* faelligExp = exp->addAction(QStringLiteral("Fällige Prüfungen .."));
        faelligExp->setObjectName(QStringLiteral("ActExportFaellig"));
        m.plug(faelligExp, [this] {
            TFaelligePruefungen* l = liste();
            l->reload();
            exportiereMitDialog(&m_w, faelligExportTabelle(l->liste()), QStringLiteral("Faellige_Pruefungen"));
        });
        m.setWanted(faelligExp, true);
        // An export writes the stored rows: an edited ladder is saved first, so the file holds
        // what the window shows.
        for (QAction* a : {leitern, pruef, faelligExp})
            MenuGuard::markLeaving(a);
        m_faellig = faellig;
    }

    void buildBar()
    {
        QWidget* bar = m_w.findChild<QWidget*>(QStringLiteral("ButtonPanelZus"));
        if (!bar || !bar->layout())
            return;
        auto* group = new QWidget(bar);
        auto* l = new QHBoxLayout(group);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(4);
        auto* button = new QToolButton(group);
        button->setObjectName(QStringLiteral("SpBFaellig"));
        button->setDefaultAction(m_faellig);
        button->setText(QStringLiteral("Fällige Prüfungen"));
        l->addWidget(button);
        m_label = new QLabel(group);
        m_label->setObjectName(QStringLiteral("LabUeberfaellig"));
        QFont bold = m_label->font();
        bold.setBold(true);
        m_label->setFont(bold);
        m_label->setStyleSheet(QStringLiteral("color: rgb(176,0,0)"));
        l->addWidget(m_label);
        bar->layout()->addWidget(group);
    }

    void aktualisieren()
    {
        if (m_w.leiter()->isEditing())
            return;
        runGuarded(&m_w, [this] {
            m_anzahl = anzahlUeberfaellig();
            if (m_label)
                m_label->setText(m_anzahl ? QStringLiteral("%1 überfällig").arg(m_anzahl) : QString());
            m_w.grid()->viewport()->update();
            if (m_liste && m_liste->isVisible())
                m_liste->reload();
        });
    }

    // A notice over the grid's corner, not a box that stops the work.
    void hinweis()
    {
        if (m_anzahl <= 0)
            return;
        if (!m_hinweis) {
            m_hinweis = new QFrame(&m_w);
            m_hinweis->setObjectName(QStringLiteral("HinweisUeberfaellig"));
            m_hinweis->setFrameShape(QFrame::Box);
            m_hinweis->setAutoFillBackground(true);
            m_hinweis->setStyleSheet(QStringLiteral("#HinweisUeberfaellig { background: rgb(255,240,200); border: 2px solid rgb(204,0,0); }"));
            auto* l = new QHBoxLayout(m_hinweis);
            l->setContentsMargins(8, 4, 4, 4);
            auto* b = new QPushButton(m_hinweis);
            b->setObjectName(QStringLiteral("BHinweisOeffnen"));
            b->setFlat(true);
            b->setCursor(Qt::PointingHandCursor);
            l->addWidget(b);
            auto* x = new QToolButton(m_hinweis);
            x->setObjectName(QStringLiteral("BHinweisSchliessen"));
            x->setText(QStringLiteral("X"));
            x->setAutoRaise(true);
            l->addWidget(x);
            connect(b, &QPushButton::clicked, this, [this] { oeffnen(); });
            connect(x, &QToolButton::clicked, m_hinweis, &QWidget::hide);
        }
        auto* b = m_hinweis->findChild<QPushButton*>(QStringLiteral("BHinweisOeffnen"));
        b->setText(m_anzahl == 1 ? QStringLiteral("1 Leiter ist überfällig – Liste öffnen")
                                 : QStringLiteral("%1 Leitern sind überfällig – Liste öffnen").arg(m_anzahl));
        m_hinweis->adjustSize();
        platziereHinweis();
        m_hinweis->show();
        m_hinweis->raise();
    }

    void platziereHinweis()
    {
        const QRect g = m_w.grid()->geometry();
        const QPoint corner = m_w.grid()->parentWidget()->mapTo(&m_w, g.bottomRight());
        m_hinweis->move(qMax(0, corner.x() - m_hinweis->width() - 24), qMax(0, corner.y() - m_hinweis->height() - 8));
    }

    // The printed list with the window's choices, in the preview window.
    void vorschau()
    {
        TRepFaellig form(m_w.dataModule());
        form.report().setPrinter(TRepMenue::chosenPrinter());
        const FaelligAuswahl a = m_liste->auswahl();
        form.SetFaelligBis(a.bis);
        if (!a.mitSchrott)
            form.SetFilterFlag(rfSchrott, false);
        if (!a.abtKey.isEmpty())
            form.SetFilter(rfAbteilung, a.abtKey);
        form.preview();
    }

    void gehZuLeiter(int id)
    {
        Table* t = m_w.leiter();
        // An edited ladder is saved first (or the jump refused with the field's message).
        leaveRecord(m_w);
        bool found = t->locate(QStringLiteral("ID"), {id});
        if (!found && t->filtered()) {
            // The register's filter hides it: the list asked for this ladder, so the filter goes.
            if (QAction* clear = m_w.menus()->action(QStringLiteral("ActFilterLoeschen")); clear && clear->isEnabled())
                clear->trigger();
            found = t->locate(QStringLiteral("ID"), {id});
        }
        if (!found)
            throw HwError(QStringLiteral("Die Leiter ist nicht mehr im Register (von einem anderen Arbeitsplatz gelöscht?)."));
        m_w.grid()->followCursor();
        m_w.raise();
        m_w.activateWindow();
        m_w.grid()->setFocus();
    }

    void exportLeitern()
    {
        Table* t = m_w.leiter();
        t->checkBrowseMode();
        exportiereMitDialog(&m_w, exportTabelle(*t, m_w.grid()->columns(), QStringLiteral("Leitern")),
                            QStringLiteral("Leitern"));
    }

    void exportPruefungen()
    {
        auto* seite = qobject_cast<TPruefungsSeite*>(m_w.page(TLeiterVerw::PagePruefUebersicht));
        Table* pruef = seite ? seite->LtPruef() : nullptr;
        if (!pruef || !pruef->active())
            throw HwError(QStringLiteral("Keine Prüfungen zum Exportieren vorhanden."));
        Table* t = m_w.leiter();
        const QString nr = t->isEmpty() ? QString() : t->field(QStringLiteral("Nr")).asString();
        exportiereMitDialog(&m_w, exportTabelle(*pruef, seite->grid()->pruefModel()->columns(), QStringLiteral("Prüfungen ") + nr),
                            QStringLiteral("Pruefungen_Leiter_") + nr);
    }

    TLeiterVerw& m_w;
    QString m_iniFile;
    QPointer<TFaelligePruefungen> m_liste;
    QPointer<QFrame> m_hinweis;
    QPointer<QLabel> m_label;
    QAction* m_faellig = nullptr;
    QTimer m_countTimer;
    int m_anzahl = 0;
};

} // namespace

void plugDue(TLeiterVerw& w)
{
    new DueFeature(w);
    TRepMenue::exportHook() = [](TRepForm& form, QWidget* parent) { exportiereReport(form, parent); };
}

TFaelligePruefungen* faelligePruefungenOeffnen(TLeiterVerw& w)
{
    QObject* o = w.findChild<QObject*>(QStringLiteral("DueFeature"), Qt::FindDirectChildrenOnly);
    if (!o)
        return nullptr;
    auto* f = static_cast<DueFeature*>(o);
    f->oeffnen();
    return f->liste();
}
