#pragma once
#include <QDialog>
#include <memory>

class QButtonGroup;
class QKeyEvent;
class QLabel;
class QPrinter;
class QToolButton;
class RenderedReport;
class ReportPreviewWidget;

// Process-wide permissions of the preview window, all on at start; the main window sets them to
// whether the user may print when the rights are applied.
struct PreviewRechte {
    bool printSetup = true;
    bool print = true;
    bool save = true;
    bool load = true;
};
void SetPreviewRechte(bool allowed);
PreviewRechte previewRechte();

// Window decorations of every preview window; the main window drops the minimise box.
void SetPreviewBorderIcons(Qt::WindowFlags flags);
Qt::WindowFlags previewBorderIcons();

// The preview window: pages of one rendered report with zoom, navigation, printing, saving and
// loading. Rendering may still be going on; the engine's progress and page events arrive at
// QRPreviewProgressUpdate and QRPreviewPageAvailable.
class TVekStdPreviewForm : public QDialog {
    Q_OBJECT
public:
    enum class ReportState { Rendering, Rendered, Loaded };
    static constexpr const char* versionText = "1.00.001";

    TVekStdPreviewForm(std::shared_ptr<RenderedReport> report, std::shared_ptr<QPrinter> printer,
                       QWidget* parent = nullptr);
    ~TVekStdPreviewForm() override;

    RenderedReport* report() const { return m_report.get(); }
    ReportPreviewWidget* preview() const { return m_preview; }
    QPrinter* printer() const { return m_printer.get(); }
    ReportState reportState() const;
    QString statusText(int panel) const;
    int lastProgressShown() const { return m_lastProgress; }

public slots:
    void ZoomToFitClick();
    void ZoomTo100Click();
    void ZoomToWidthClick();
    void ZoomCustomClick();
    void FirstPageClick();
    void PrevPageClick();
    void NextPageClick();
    void LastPageClick();
    void PrintSetupClick();
    void PrintClick();
    void SaveClick();
    void SavePdfClick();
    void LoadClick();
    void ExitClick();
    void QRPreviewMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void QRPreviewPageAvailable(int pageNumber);
    void QRPreviewProgressUpdate(int percent);

protected:
    void FormCreate();
    bool FormKeyDown(QKeyEvent* event);
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;   // FormResize
    void closeEvent(QCloseEvent* event) override;     // FormClose

private:
    QToolButton* addButton(const char* name, const QString& text, const QString& hint, void (TVekStdPreviewForm::*slot)());
    void updateStatus();
    void zoomBy(int delta);
    void watchKeys(QWidget* widget);
    void setZoomButton(QToolButton* button);
    QToolButton* m_zoomButton = nullptr;
    enum class FitMode { None, Page, Width };
    FitMode m_fitMode = FitMode::None;

    std::shared_ptr<RenderedReport> m_report;
    std::shared_ptr<QPrinter> m_printer;
    ReportPreviewWidget* m_preview = nullptr;
    QButtonGroup* m_zoomGroup = nullptr;
    QToolButton* m_zoomFit = nullptr;
    QToolButton* m_zoom100 = nullptr;
    QToolButton* m_zoomWidth = nullptr;
    QToolButton* m_zoomCustom = nullptr;
    QToolButton* m_printSetup = nullptr;
    QToolButton* m_print = nullptr;
    QToolButton* m_save = nullptr;
    QToolButton* m_savePdf = nullptr;
    QToolButton* m_load = nullptr;
    QLabel* m_panels[5] = {};
    int m_lastProgress = 0;
    bool m_loaded = false;
    class QToolBar* m_toolBar = nullptr;
};
