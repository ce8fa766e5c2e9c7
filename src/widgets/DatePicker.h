#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <Qt>

// What the date picker shows and where its keys lead, without any widget: the month grid
// (Monday first, the 1st always in the first week row), the week column next to it and the
// title. The dialog only draws this.
class DatePicker {
public:
    static constexpr int WeekRows = 6;
    static constexpr int Columns = 7;

    DatePicker();                       // today
    explicit DatePicker(const QDate& date);

    QDate date() const { return m_date; }
    // Dates outside 1600..3999 cannot be shown; they are refused and the date stays.
    bool setDate(const QDate& date);

    // "MMMM, YYYY" with the German month name, e.g. "Juni, 2004".
    QString title() const;

    // Column of the 1st of the month, Monday 0 ... Sunday 6.
    int firstColumn() const;
    // Day of the shown month at calendar row 0..5 and column 0..6; null for a blank cell.
    QDate dateAt(int row, int column) const;
    // Calendar row (0..5) and column of a day of the shown month; -1 for another month.
    int rowOf(const QDate& date) const;
    int columnOf(const QDate& date) const;

    // The week column: row 0 "KW", rows 1..6 the calendar weeks of the calendar rows, empty
    // for a row without a day in its Monday column.
    QStringList weekRows() const;
    // Row of the week column (1..6) that holds the chosen day.
    int weekRow() const;

    // Where a key in the calendar leads: Page Up/Down a month, with Ctrl a year, cursor keys,
    // Home and End inside the month. Null for a key the calendar does not handle; the date
    // itself when the move would leave the month or the valid range.
    QDate afterKey(int key, Qt::KeyboardModifiers modifiers) const;

    QDate previousMonth() const;
    QDate nextMonth() const;
    QDate previousYear() const;
    QDate nextYear() const;

private:
    int firstOfMonth() const;           // day number of the 1st of the shown month
    QDate shifted(int months, int years) const;
    QDate insideMonth(int days) const;

    QDate m_date;
};
