#pragma once

class Report;

// The engine's way to show a report: the program registers its preview window at start-up,
// every Report::preview() goes through it.
class ReportPreviewProvider {
public:
    virtual ~ReportPreviewProvider() = default;
    // Renders the report and shows it; modal returns when the window is closed.
    virtual void showPreview(Report& report, bool modal) = 0;

    static void setCurrent(ReportPreviewProvider* provider);
    // The registered provider, or the standard preview window when none was registered.
    static ReportPreviewProvider& current();
};
