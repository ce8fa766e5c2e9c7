#include "TbcSuchDialog.h"

#include "BarcodeEingabe.h"
#include "BarcodeWert.h"
#include "Dialogs.h"
#include "Errors.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

const QColor kRot(255, 0, 0);
const QColor kSchwarz(0, 0, 0);

QPushButton* button(const QString& name, const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    // Enter belongs to the input: it searches, it never closes the dialog.
    b->setAutoDefault(false);
    return b;
}

} // namespace

TbcSuchDialog::TbcSuchDialog(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(caption);

    m_kopf = new QVBoxLayout;

    auto* suche = new QGroupBox;
    suche->setObjectName(QStringLiteral("GroupSuchen"));
    auto* sucheLayout = new QGridLayout(suche);
    auto* label = new QLabel(QStringLiteral("Leiter.- Nr :"));
    label->setObjectName(QStringLiteral("LabNr"));
    m_edit = new QLineEdit;
    m_edit->setObjectName(QStringLiteral("EditSuchen"));
    label->setBuddy(m_edit);
    m_suchen = button(QStringLiteral("BSuchen"), QStringLiteral("&Leiter suchen"));
    m_panel = new QLabel;
    m_panel->setObjectName(QStringLiteral("PanelSuche"));
    m_panel->setFrameShape(QFrame::Panel);
    m_panel->setFrameShadow(QFrame::Sunken);
    m_panel->setMinimumHeight(m_panel->fontMetrics().height() + 8);
    sucheLayout->addWidget(label, 0, 0);
    sucheLayout->addWidget(m_edit, 0, 1);
    sucheLayout->addWidget(m_suchen, 0, 2);
    sucheLayout->addWidget(m_panel, 1, 0, 1, 3);

    auto* optionen = new QGroupBox(QStringLiteral(" &Optionen : "));
    optionen->setObjectName(QStringLiteral("GroupOptionen"));
    auto* optLayout = new QVBoxLayout(optionen);
    auto* labSeite = new QLabel(QStringLiteral("Auswahl Seite :"));
    labSeite->setObjectName(QStringLiteral("LabSeite"));
    m_allg = new QRadioButton(QStringLiteral("&Allgemein"));
    m_allg->setObjectName(QStringLiteral("rbAwAllg"));
    m_erf = new QRadioButton(QStringLiteral("&erforderl. Prüfungen"));
    m_erf->setObjectName(QStringLiteral("rbAwErf"));
    m_pruef = new QRadioButton(QStringLiteral("&Prüfungsübersicht"));
    m_pruef->setObjectName(QStringLiteral("rbAwPruef"));
    auto* labClose = new QLabel(QStringLiteral("bei gefundener Leiter :"));
    labClose->setObjectName(QStringLiteral("LabAutoClose"));
    m_autoClose = new QCheckBox(QStringLiteral("&Fenster autom. schließen"));
    m_autoClose->setObjectName(QStringLiteral("cbFormClose"));
    m_autoClose->setChecked(true);
    optLayout->addWidget(labSeite);
    optLayout->addWidget(m_allg);
    optLayout->addWidget(m_erf);
    optLayout->addWidget(m_pruef);
    optLayout->addWidget(labClose);
    optLayout->addWidget(m_autoClose);

    auto* cancel = button(QStringLiteral("BCancel"), QStringLiteral("Abbrechen"));
    auto* ok = button(QStringLiteral("BClose"), QStringLiteral("OK"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(ok);

    m_status = new QStatusBar;
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel;
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_status->addWidget(panel, 1);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_kopf);
    layout->addWidget(suche);
    layout->addWidget(optionen);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_allg, &QRadioButton::clicked, this, &TbcSuchDialog::rbAwAllgClick);
    connect(m_erf, &QRadioButton::clicked, this, &TbcSuchDialog::rbAwErfClick);
    connect(m_pruef, &QRadioButton::clicked, this, &TbcSuchDialog::rbAwPruefClick);
    connect(m_suchen, &QPushButton::clicked, this, &TbcSuchDialog::BSuchenClick);
    connect(ok, &QPushButton::clicked, this, &TbcSuchDialog::BCloseClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_edit, &QLineEdit::textChanged, this, &TbcSuchDialog::EditSuchenChange);
    m_edit->installEventFilter(this);

    SeiteSetzen(0);
    setErgebnis(QString(), kRot);
    m_edit->setFocus();
}

void TbcSuchDialog::Vorbereiten()
{
    EingabeLoeschen();
    m_gefunden = false;
    setResult(QDialog::Rejected);
    m_edit->setFocus();
}

void TbcSuchDialog::EingabeLoeschen()
{
    m_edit->clear();
}

bool TbcSuchDialog::EingabeLeer() const
{
    return m_edit->text().isEmpty();
}

void TbcSuchDialog::SeiteSetzen(int seite)
{
    m_seite = seite;
    if (seite == 1)
        m_erf->setChecked(true);
    else if (seite == 2)
        m_pruef->setChecked(true);
    else
        m_allg->setChecked(true);
}

bool TbcSuchDialog::autoSchliessen() const
{
    return m_autoClose->isChecked();
}

void TbcSuchDialog::setAutoSchliessen(bool on)
{
    m_autoClose->setChecked(on);
}

void TbcSuchDialog::SucheStarten()
{
    m_gefunden = false;
    setErgebnis(ergebnis(), kRot);
    m_edit->setFocus();
    m_edit->selectAll();
    // Every way in (typed, keyboard wedge, serial scanner) ends here.
    const QString text = BarcodeWert::suchwert(m_edit->text());
    const QString fehler = barcodeFehler(text);
    if (!fehler.isEmpty()) {
        setErgebnis(fehler, kRot);
        return;
    }
    const bool found = OnLeiterSuchen && OnLeiterSuchen(text);
    if (!found) {
        setErgebnis(QStringLiteral("Leiter %1 nicht gefunden").arg(text), kRot);
        return;
    }
    setErgebnis(ergebnis(), kSchwarz);
    m_gefunden = true;
    if (autoSchliessen()) {
        done(QDialog::Accepted);
        return;
    }
    setErgebnis(QStringLiteral("Leiter %1 gefunden").arg(text), kSchwarz);
    m_edit->setFocus();
}

QString TbcSuchDialog::ergebnis() const
{
    return m_panel->text();
}

QColor TbcSuchDialog::ergebnisFarbe() const
{
    return m_panel->palette().color(QPalette::WindowText);
}

void TbcSuchDialog::geschuetzt(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const Abort&) {
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
    }
}

void TbcSuchDialog::BSuchenClick()
{
    geschuetzt([this] { SucheStarten(); });
}

void TbcSuchDialog::BCloseClick()
{
    geschuetzt([this] {
        if (!m_gefunden && !EingabeLeer()) {
            SucheStarten();
            // Closed already when auto close took the hit.
            if (!m_gefunden || result() == QDialog::Accepted)
                return;
        }
        done(QDialog::Accepted);
    });
}

void TbcSuchDialog::EditSuchenChange()
{
    if (!m_panel->text().isEmpty())
        m_panel->clear();
    m_gefunden = false;
}

void TbcSuchDialog::setErgebnis(const QString& text, const QColor& color)
{
    QPalette p = m_panel->palette();
    p.setColor(QPalette::WindowText, color);
    m_panel->setPalette(p);
    m_panel->setText(text);
}

bool TbcSuchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            geschuetzt([this] { SucheStarten(); });
            return true;
        }
        if (key == LoeschTaste) {
            EingabeLoeschen();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TbcSuchDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == LoeschTaste) {
        EingabeLoeschen();
        m_edit->setFocus();
        return;
    }
    // Esc closes with Cancel (QDialog's own handling).
    QDialog::keyPressEvent(event);
}

void TbcSuchDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    m_edit->setFocus();
}
