#pragma once
#include <QDateTime>
#include <QObject>
#include <memory>

class Report;
class RenderedReport;

// Lays a report's bands out on pages. Runs synchronously on the calling thread and tells its
// progress (percent of the detail rows) and each finished page as it goes.
class ReportRenderer : public QObject {
    Q_OBJECT
public:
    explicit ReportRenderer(QObject* parent = nullptr);

    // The date of printing shown by the system fields; now unless set.
    void setPrintDateTime(const QDateTime& when) { m_printDateTime = when; }

    std::shared_ptr<RenderedReport> render(Report& report);
    // Renders into target, appending pages as they are finished; target is complete at the end.
    // An HwError from the report's handlers stops rendering and propagates.
    void render(Report& report, RenderedReport& target);

signals:
    void progress(int percent);
    void pageAvailable(int pageNumber);

private:
    QDateTime m_printDateTime;
};
