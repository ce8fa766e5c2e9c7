#include "TVekStdPreviewForm.h"

#include "Dialogs.h"
#include "Errors.h"
#include "RenderedReport.h"
#include "ReportFile.h"
#include "ReportPreviewWidget.h"
#include "ReportPrinter.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

PreviewRechte& rechte()
{
    static PreviewRechte r;
    return r;
}

Qt::WindowFlags& borderIcons()
{
    static Qt::WindowFlags flags = Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                                   | Qt::WindowMaximizeButtonHint;
    return flags;
}

QString withSuffix(const QString& fileName, const QString& suffix)
{
    return QFileInfo(fileName).suffix().isEmpty() ? fileName + u'.' + suffix : fileName;
}

} // namespace

void SetPreviewRechte(bool allowed)
{
    rechte() = PreviewRechte{allowed, allowed, allowed, allowed};
}

PreviewRechte previewRechte() { return rechte(); }

void SetPreviewBorderIcons(Qt::WindowFlags flags) { borderIcons() = flags; }
Qt::WindowFlags previewBorderIcons() { return borderIcons(); }

TVekStdPreviewForm::TVekStdPreviewForm(std::shared_ptr<RenderedReport> report, std::shared_ptr<QPrinter> printer,
                                       QWidget* parent)
    : QDialog(parent), m_report(std::move(report)), m_printer(std::move(printer))
{
    if (!m_printer)
        m_printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    if (!m_report)
        m_report = std::make_shared<RenderedReport>();
    FormCreate();
}

TVekStdPreviewForm::~TVekStdPreviewForm() = default;

QToolButton* TVekStdPreviewForm::addButton(const char* name, const QString& text, const QString& hint,
                                           void (TVekStdPreviewForm::*slot)())
{
    auto* button = new QToolButton(m_toolBar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    m_toolBar->addWidget(button);
    connect(button, &QToolButton::clicked, this, slot);
    return button;
}

void TVekStdPreviewForm::FormCreate()
{
    setObjectName(QStringLiteral("TVekStdPreviewForm"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | borderIcons());
    setWindowTitle(m_report->title().isEmpty() ? QStringLiteral("VEK Preview") : m_report->title());
    setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    layout->addWidget(m_toolBar);

    m_zoomFit = addButton("ZoomFit", QStringLiteral("Seite"), QStringLiteral("Zoom Einpassen auf Seite"),
                          &TVekStdPreviewForm::ZoomToFitClick);
    m_zoom100 = addButton("Zoom100", QStringLiteral("100%"), QStringLiteral("Zoom auf 100%"),
                          &TVekStdPreviewForm::ZoomTo100Click);
    m_zoomWidth = addButton("ZoomToWidth", QStringLiteral("Breite"), QStringLiteral("Zoom auf Seitenbreite"),
                            &TVekStdPreviewForm::ZoomToWidthClick);
    m_zoomCustom = addButton("ZoomCustom", QStringLiteral("Zoom…"), QStringLiteral("Zoom-Auswahl"),
                             &TVekStdPreviewForm::ZoomCustomClick);
    m_zoomGroup = new QButtonGroup(this);
    m_zoomGroup->setExclusive(true);
    for (QToolButton* b : {m_zoomFit, m_zoom100, m_zoomWidth, m_zoomCustom}) {
        b->setCheckable(true);
        m_zoomGroup->addButton(b);
    }
    m_toolBar->addSeparator();
    QToolButton* first = addButton("FirstPage", QStringLiteral("|◀"), QStringLiteral("erste Seite"),
                                   &TVekStdPreviewForm::FirstPageClick);
    QToolButton* prev = addButton("PreviousPage", QStringLiteral("◀"), QStringLiteral("vorherige Seite"),
                                  &TVekStdPreviewForm::PrevPageClick);
    QToolButton* next = addButton("NextPage", QStringLiteral("▶"), QStringLiteral("nächste Seite"),
                                  &TVekStdPreviewForm::NextPageClick);
    QToolButton* last = addButton("LastPage", QStringLiteral("▶|"), QStringLiteral("letzte Seite"),
                                  &TVekStdPreviewForm::LastPageClick);
    Q_UNUSED(first);
    Q_UNUSED(prev);
    Q_UNUSED(next);
    Q_UNUSED(last);
    m_toolBar->addSeparator();
    m_printSetup = addButton("PrintSetup", QStringLiteral("Drucker"), QStringLiteral("Druckereinstellungen"),
                             &TVekStdPreviewForm::PrintSetupClick);
    m_print = addButton("Print", QStringLiteral("Drucken"), QStringLiteral("Report drucken"),
                        &TVekStdPreviewForm::PrintClick);
    m_toolBar->addSeparator();
    m_save = addButton("SaveReport", QStringLiteral("Speichern"), QStringLiteral("Report speichern"),
                       &TVekStdPreviewForm::SaveClick);
    m_savePdf = addButton("SavePdf", QStringLiteral("PDF"), QStringLiteral("Report als PDF speichern"),
                          &TVekStdPreviewForm::SavePdfClick);
    m_load = addButton("LoadReport", QStringLiteral("Öffnen"), QStringLiteral("Report öffnen"),
                       &TVekStdPreviewForm::LoadClick);
    m_toolBar->addSeparator();
    addButton("ExitButton", QStringLiteral("&Schließen"), QStringLiteral("Vorschau Schließen"),
              &TVekStdPreviewForm::ExitClick);

    m_preview = new ReportPreviewWidget(this);
    layout->addWidget(m_preview, 1);
    connect(m_preview, &ReportPreviewWidget::mouseReleasedOnPage, this, &TVekStdPreviewForm::QRPreviewMouseUp);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setSizeGripEnabled(false);
    // The least widths; a panel grows to its longest text (fitPanel).
    const int widths[5] = {70, 120, 100, 200, 100};
    for (int i = 0; i < 5; ++i) {
        m_panels[i] = new QLabel(status);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setFixedWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        status->addWidget(m_panels[i]);
    }
    m_panels[0]->setAlignment(Qt::AlignCenter);
    layout->addWidget(status);

    m_preview->setZoom(100);
    m_preview->setReport(m_report);
    setZoomButton(m_zoomWidth);

    const PreviewRechte& r = rechte();
    if (m_report->isComplete())
        m_print->setEnabled(r.print);
    m_printSetup->setEnabled(r.printSetup);
    m_save->setEnabled(r.save);
    m_savePdf->setEnabled(r.save);
    m_load->setEnabled(r.load);

    watchKeys(this);
    setWindowState(windowState() | Qt::WindowMaximized);
    updateStatus();
}

void TVekStdPreviewForm::watchKeys(QWidget* widget)
{
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

TVekStdPreviewForm::ReportState TVekStdPreviewForm::reportState() const
{
    if (m_loaded)
        return ReportState::Loaded;
    return m_report && m_report->isComplete() ? ReportState::Rendered : ReportState::Rendering;
}

QString TVekStdPreviewForm::statusText(int panel) const
{
    return panel >= 0 && panel < 5 ? m_panels[panel]->text() : QString();
}

namespace {
// A panel as wide as the longest text it may show, measured as the label lays it out (frame,
// indent, font); it only grows, so the panels do not jump while pages are turned.
void fitPanel(QLabel* panel, const QString& longest)
{
    const QString shown = panel->text();
    panel->setText(longest);
    const int wanted = panel->sizeHint().width();
    panel->setText(shown);
    if (wanted > panel->minimumWidth())
        panel->setFixedWidth(wanted);
}

// The widest number of as many digits as n has.
QString widestNumber(int n)
{
    return QString(QString::number(n).size(), QLatin1Char('8'));
}
} // namespace

void TVekStdPreviewForm::updateStatus()
{
    m_panels[0]->setText(QString::asprintf("%d %%", m_preview->zoom()));
    m_panels[1]->setText(m_report ? m_report->paperSizeName() : QString());
    m_panels[2]->setText(QStringLiteral("Seite %1 von %2").arg(m_preview->pageNumber()).arg(m_preview->pageCount()));
    m_panels[3]->setText(QString());
    m_panels[4]->setText(QString::fromLatin1(versionText));
    fitPanel(m_panels[0], QStringLiteral("2000 %"));
    fitPanel(m_panels[1], m_panels[1]->text());
    const QString pages = widestNumber(m_preview->pageCount());
    fitPanel(m_panels[2], QStringLiteral("Seite %1 von %1").arg(pages));
    fitPanel(m_panels[4], m_panels[4]->text());
}

void TVekStdPreviewForm::ZoomToFitClick()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_preview->zoomToFit();
    m_fitMode = FitMode::Page;
    setZoomButton(m_zoomFit);
    updateStatus();
}

void TVekStdPreviewForm::ZoomTo100Click()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_preview->setZoom(100);
    m_fitMode = FitMode::None;
    setZoomButton(m_zoom100);
    updateStatus();
}

void TVekStdPreviewForm::ZoomToWidthClick()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_preview->zoomToWidth();
    m_fitMode = FitMode::Width;
    setZoomButton(m_zoomWidth);
    updateStatus();
}

void TVekStdPreviewForm::ZoomCustomClick()
{
    const std::optional<QString> answer =
        Dialogs::input(this, QStringLiteral("Zoom-Auswahl"), QStringLiteral("Zoom in Prozent (2 bis 2000) :"),
                       QString::number(m_preview->zoom()));
    bool ok = false;
    const int percent = answer ? answer->trimmed().remove(u'%').trimmed().toInt(&ok) : 0;
    if (ok && m_preview->setZoom(percent)) {
        m_fitMode = FitMode::None;
        m_zoomButton = m_zoomCustom;
    }
    setZoomButton(m_zoomButton);
    updateStatus();
}

// Puts the button of the zoom in force down again (a cancelled custom choice).
void TVekStdPreviewForm::setZoomButton(QToolButton* button)
{
    m_zoomButton = button;
    button->setChecked(true);
}

void TVekStdPreviewForm::FirstPageClick()
{
    m_preview->setPageNumber(1);
    updateStatus();
}

void TVekStdPreviewForm::PrevPageClick()
{
    m_preview->setPageNumber(m_preview->pageNumber() - 1);
    updateStatus();
}

void TVekStdPreviewForm::NextPageClick()
{
    m_preview->setPageNumber(m_preview->pageNumber() + 1);
    updateStatus();
}

void TVekStdPreviewForm::LastPageClick()
{
    m_preview->setPageNumber(m_preview->pageCount());
    updateStatus();
}

void TVekStdPreviewForm::PrintSetupClick()
{
    Dialogs::printDialog(this, m_printer.get());
    updateStatus();
}

void TVekStdPreviewForm::PrintClick()
{
    if (!m_report || !m_report->isComplete())
        return;
    if (!Dialogs::question(this, QStringLiteral("Report drucken ?")))
        return;
    try {
        ReportPrinter::print(*m_report, *m_printer);
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
    }
}

void TVekStdPreviewForm::SaveClick()
{
    if (!m_report || !m_report->isComplete())
        return;
    QString fileName = Dialogs::saveFileName(this, QStringLiteral("Report speichern"), QString(),
                                             QStringLiteral("Reportdatei (*.QRP)"), QStringLiteral("QRP"));
    if (fileName.isEmpty())
        return;
    try {
        ReportFile::save(*m_report, withSuffix(fileName, QStringLiteral("QRP")));
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
    }
}

void TVekStdPreviewForm::SavePdfClick()
{
    if (!m_report || !m_report->isComplete())
        return;
    QString fileName = Dialogs::saveFileName(this, QStringLiteral("Report als PDF speichern"), QString(),
                                             QStringLiteral("PDF-Datei (*.pdf)"), QStringLiteral("pdf"));
    if (fileName.isEmpty())
        return;
    try {
        ReportPrinter::writePdf(*m_report, withSuffix(fileName, QStringLiteral("pdf")));
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
    }
}

void TVekStdPreviewForm::LoadClick()
{
    const QString fileName = Dialogs::openFileName(this, QStringLiteral("Report öffnen"), QString(),
                                                   QStringLiteral("Reportdatei (*.QRP)"));
    if (fileName.isEmpty())
        return;
    if (!QFileInfo::exists(fileName)) {
        Dialogs::information(this, fileName + QStringLiteral(" nicht vorhanden"));
        return;
    }
    auto loaded = std::make_shared<RenderedReport>();
    try {
        ReportFile::load(fileName, *loaded);
    } catch (const HwError& e) {
        Dialogs::error(this, e.message());
        return;
    }
    m_report = loaded;
    m_loaded = true;
    m_preview->setReport(m_report);
    updateStatus();
    m_printSetup->setEnabled(false);
    m_print->setEnabled(true);
}

void TVekStdPreviewForm::ExitClick()
{
    close();
}

void TVekStdPreviewForm::zoomBy(int delta)
{
    m_preview->setZoom(m_preview->zoom() + delta);
    m_fitMode = FitMode::None;
    setZoomButton(m_zoomCustom);
    updateStatus();
}

void TVekStdPreviewForm::QRPreviewMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    if (modifiers != Qt::ShiftModifier)
        return;
    zoomBy(button == Qt::LeftButton ? 10 : -10);
}

void TVekStdPreviewForm::QRPreviewPageAvailable(int)
{
    m_preview->refresh();
    updateStatus();
    if (m_report && m_report->isComplete()) {
        m_printSetup->setEnabled(rechte().printSetup);
        m_print->setEnabled(rechte().print);
    }
}

void TVekStdPreviewForm::QRPreviewProgressUpdate(int percent)
{
    if (percent == 0 || percent == 100) {
        m_panels[0]->clear();
        if (percent == 0)
            m_lastProgress = 0;
        return;
    }
    if (percent >= m_lastProgress + 5) {
        m_panels[0]->setText(QStringLiteral("%1%").arg(percent));
        m_lastProgress = percent;
    }
}

bool TVekStdPreviewForm::FormKeyDown(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrlAlone = (mods & ~Qt::KeypadModifier) == Qt::ControlModifier;
    const bool keypad = mods & Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Escape: close(); return true;
    case Qt::Key_PageUp: ctrlAlone ? FirstPageClick() : PrevPageClick(); return true;
    case Qt::Key_Home: FirstPageClick(); return true;
    case Qt::Key_PageDown: ctrlAlone ? LastPageClick() : NextPageClick(); return true;
    case Qt::Key_End: LastPageClick(); return true;
    case Qt::Key_Left: m_preview->scrollBy(-10, 0); return true;
    case Qt::Key_Right: m_preview->scrollBy(10, 0); return true;
    case Qt::Key_Up: m_preview->scrollBy(0, -10); return true;
    case Qt::Key_Down: m_preview->scrollBy(0, 10); return true;
    case Qt::Key_Plus:
        if (!keypad)
            return false;
        zoomBy(10);
        return true;
    case Qt::Key_Minus:
        if (!keypad)
            return false;
        zoomBy(-10);
        return true;
    default:
        return false;
    }
}

void TVekStdPreviewForm::keyPressEvent(QKeyEvent* event)
{
    if (!FormKeyDown(event))
        QDialog::keyPressEvent(event);
}

bool TVekStdPreviewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TVekStdPreviewForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_fitMode == FitMode::Page)
        m_preview->zoomToFit();
    else if (m_fitMode == FitMode::Width)
        m_preview->zoomToWidth();
}

void TVekStdPreviewForm::closeEvent(QCloseEvent* event)
{
    // The pages go with the window.
    m_preview->setReport(nullptr);
    m_report = std::make_shared<RenderedReport>();
    QDialog::closeEvent(event);
}
