#pragma once
#include "DatePicker.h"

#include <QWidget>

// Month grid of the date picker: a header with the weekday names and six week rows,
// Monday first, the 1st always in the first row, cells outside the month left blank.
// Cursor keys, Home and End move inside the month; Page Up/Down change the month, with Ctrl
// the year. Reports every change of the date.
class CalendarGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int RowHeight = 16;
    static constexpr int ColumnWidth = 26;

    explicit CalendarGrid(QWidget* parent = nullptr);

    QDate date() const { return m_picker.date(); }
    const DatePicker& picker() const { return m_picker; }
    void setDate(const QDate& date);

    // Rectangle of a day of the shown month (invalid for another month); header row excluded.
    QRect cellRect(const QDate& date) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void dateChanged(const QDate& date);
    void activated();                   // double-click

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QDate dateAtPos(const QPoint& pos) const;

    DatePicker m_picker;
};
