#pragma once
#include <QDate>
#include <QDialog>
#include <optional>

class CalendarGrid;
class QLabel;
class QPushButton;
class QTableWidget;
class QToolButton;

// "Datumsauswahl": month calendar with the calendar week of every row. The chosen date is
// the calendar's; OK or a double-click in the calendar accepts it.
class TBrDateForm : public QDialog {
    Q_OBJECT
public:
    explicit TBrDateForm(QWidget* parent = nullptr);

    QDate date() const;
    // Redraws title, calendar and weeks even when the date does not change.
    void setDate(const QDate& date);

    // Shows the picker modally (through Dialogs::exec) on start, or today when start is
    // empty or not representable; the chosen date on OK, nothing otherwise.
    static std::optional<QDate> choose(QWidget* parent, const QDate& start);

private:
    void Calendar1Change();
    void PrevMonthBtnClick();
    void NextMonthBtnClick();

    QLabel* m_title;
    QToolButton* m_prev;
    QToolButton* m_next;
    CalendarGrid* m_calendar;
    QTableWidget* m_weeks;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
