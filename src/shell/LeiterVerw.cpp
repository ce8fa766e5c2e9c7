#include "LeiterVerw.h"

#include "AppConfig.h"
#include "CursorModel.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "LeiterCursor.h"
#include "LtFirmAbt.h"
#include "Table.h"
#include "UserState.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>

namespace {
constexpr int kMinWidth = 604;
constexpr int kMinHeight = 522;
}

TLeiterVerw::TLeiterVerw(TDataModule1& dataModule, QWidget* parent) : QMainWindow(parent), m_dm(dataModule)
{
    setObjectName(QStringLiteral("TLeiterVerw"));
    setWindowTitle(QStringLiteral("Leiter - Prüfungsverwaltung"));
    setMinimumSize(kMinWidth, kMinHeight);
    resize(kMinWidth, kMinHeight);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_firmAbt = std::make_unique<TLtFirmAbt>(*m_dm.StFirmAbtList);
    m_leiter = createLeiterCursor(m_dm, *m_firmAbt, this);
    m_leiter->open();
    m_leiter->first();

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGridLeiter"));
    m_model = new CursorModel(m_leiter, this);
    m_model->setReadOnly(true);
    m_model->setColumns(leiterGridColumns(true, false));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    const int charWidth = m_grid->fontMetrics().averageCharWidth();
    const QList<int> widths = {2, 11, 15, 27, 11, 18, 18, 18, 18, 40, 21};
    for (int c = 0; c < widths.size() && c < m_model->columnCount(); ++c)
        m_grid->setColumnWidth(c, widths[c] * charWidth + 8);
    setCentralWidget(m_grid);

    // Grid and cursor move together.
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.row() != m_leiter->currentViewRow())
                    m_leiter->moveToViewRow(current.row());
            });
    connect(m_model, &CursorModel::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != m_grid->currentIndex().row())
            m_grid->setCurrentIndex(m_model->index(row, qMax(0, m_grid->currentIndex().column())));
    });
    if (m_leiter->currentViewRow() >= 0)
        m_grid->setCurrentIndex(m_model->index(m_leiter->currentViewRow(), 0));

    buildStatusBar();
}

TLeiterVerw::~TLeiterVerw() = default;

void TLeiterVerw::buildStatusBar()
{
    const QList<int> widths = {100, 100, 80, 50, 90, 80};
    for (int i = 0; i < widths.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(widths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(panel);
        m_panels << panel;
    }
    m_panels[0]->setAlignment(Qt::AlignCenter);
    m_panels[0]->setText(UserState::AktBenutzer);
    m_panels[5]->setText(QStringLiteral(" Vers: ") + AppConfig::instance().version);
    layoutStatusPanels();
}

QLabel* TLeiterVerw::statusPanel(int index) const { return m_panels.value(index); }

void TLeiterVerw::layoutStatusPanels()
{
    // Panel 1 (hints) takes what the others leave.
    if (m_panels.size() > 1)
        m_panels[1]->setFixedWidth(qMax(0, statusBar()->width() - 400));
}

void TLeiterVerw::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutStatusPanels();
}

void TLeiterVerw::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Coming back from a dialog or another program: show what others wrote meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_leiter && !m_leiter->isEditing())
        m_leiter->refreshIfChanged();
}

void TLeiterVerw::closeEvent(QCloseEvent* event)
{
    if (m_leiter->isEditing()) {
        if (!Dialogs::question(this, QStringLiteral("Programm beenden?\nDaten noch nicht gespeichert"))) {
            event->ignore();
            return;
        }
        m_leiter->cancel();
        QApplication::processEvents();
    } else if (!Dialogs::question(this, QStringLiteral("Programm beenden?"))) {
        event->ignore();
        return;
    }
    event->accept();
}
