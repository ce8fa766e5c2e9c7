#pragma once
#include "ReportPreviewProvider.h"

class TVekStdPreviewForm;

// The engine's preview provider: every preview request creates a TVekStdPreviewForm, renders
// the report into it (progress and page events reach the window) and shows it.
class TVekStdPreviewInterface : public ReportPreviewProvider {
public:
    // Both ways return when the window has been closed. In the dialogs' test mode the window
    // goes to the test's form hook instead of waiting for a person.
    void showPreview(Report& report, bool modal) override;

    // Created, rendered and shown maximised; the window deletes itself when closed.
    TVekStdPreviewForm* showModeless(Report& report);
    // Created, rendered and run modally; returns the dialog's result.
    int showModal(Report& report);

private:
    TVekStdPreviewForm* createAndRender(Report& report, bool show);
};
