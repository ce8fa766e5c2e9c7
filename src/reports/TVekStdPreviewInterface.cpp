#include "TVekStdPreviewInterface.h"

#include "Dialogs.h"
#include "RenderedReport.h"
#include "Report.h"
#include "ReportRenderer.h"
#include "TVekStdPreviewForm.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <memory>

TVekStdPreviewForm* TVekStdPreviewInterface::createAndRender(Report& report, bool show)
{
    auto rendered = std::make_shared<RenderedReport>();
    rendered->setTitle(report.title());
    rendered->setPage(report.pageSize(), report.orientation());
    auto* form = new TVekStdPreviewForm(rendered, report.printer(), QApplication::activeWindow());
    if (show)
        form->showMaximized();
    ReportRenderer renderer;
    QObject::connect(&renderer, &ReportRenderer::progress, form, &TVekStdPreviewForm::QRPreviewProgressUpdate);
    QObject::connect(&renderer, &ReportRenderer::pageAvailable, form, &TVekStdPreviewForm::QRPreviewPageAvailable);
    try {
        renderer.render(report, *rendered);
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

TVekStdPreviewForm* TVekStdPreviewInterface::showModeless(Report& report)
{
    TVekStdPreviewForm* form = createAndRender(report, true);
    form->setAttribute(Qt::WA_DeleteOnClose);
    return form;
}

int TVekStdPreviewInterface::showModal(Report& report)
{
    std::unique_ptr<TVekStdPreviewForm> form(createAndRender(report, false));
    return Dialogs::exec(form.get());
}

void TVekStdPreviewInterface::showPreview(Report& report, bool modal)
{
    if (modal || Dialogs::testMode()) {
        showModal(report);
        return;
    }
    QPointer<TVekStdPreviewForm> form = showModeless(report);
    QEventLoop loop;
    QObject::connect(form, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (form)
        loop.exec();
}
