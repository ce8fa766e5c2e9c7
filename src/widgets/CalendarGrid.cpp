#include "CalendarGrid.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

CalendarGrid::CalendarGrid(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(pal);
}

void CalendarGrid::setDate(const QDate& date)
{
    if (date == m_picker.date() || !m_picker.setDate(date))
        return;
    update();
    emit dateChanged(m_picker.date());
}

QSize CalendarGrid::sizeHint() const
{
    return QSize(DatePicker::Columns * ColumnWidth, (DatePicker::WeekRows + 1) * RowHeight);
}

QRect CalendarGrid::cellRect(const QDate& date) const
{
    int row = m_picker.rowOf(date);
    if (row < 0)
        return QRect();
    return QRect(m_picker.columnOf(date) * ColumnWidth, (row + 1) * RowHeight, ColumnWidth, RowHeight);
}

QDate CalendarGrid::dateAtPos(const QPoint& pos) const
{
    if (pos.x() < 0 || pos.y() < RowHeight)
        return QDate();
    return m_picker.dateAt(pos.y() / RowHeight - 1, pos.x() / ColumnWidth);
}

void CalendarGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QLocale german(QLocale::German);
    p.setPen(palette().color(QPalette::WindowText));
    for (int c = 0; c < DatePicker::Columns; ++c) {
        QString name = german.standaloneDayName(c + 1, QLocale::ShortFormat);
        p.drawText(QRect(c * ColumnWidth, 0, ColumnWidth, RowHeight), Qt::AlignCenter, name);
    }
    const QColor lines = palette().color(QPalette::Mid);
    for (int r = 0; r < DatePicker::WeekRows; ++r) {
        for (int c = 0; c < DatePicker::Columns; ++c) {
            QRect cell(c * ColumnWidth, (r + 1) * RowHeight, ColumnWidth, RowHeight);
            p.setPen(lines);
            p.drawRect(cell.adjusted(0, 0, -1, -1));
            QDate d = m_picker.dateAt(r, c);
            if (!d.isValid())
                continue;
            if (d == m_picker.date()) {
                p.fillRect(cell.adjusted(1, 1, -1, -1), palette().color(QPalette::Highlight));
                p.setPen(palette().color(QPalette::HighlightedText));
            } else {
                p.setPen(palette().color(QPalette::WindowText));
            }
            p.drawText(cell, Qt::AlignCenter, QString::number(d.day()));
        }
    }
}

void CalendarGrid::keyPressEvent(QKeyEvent* event)
{
    QDate target = m_picker.afterKey(event->key(), event->modifiers());
    if (!target.isValid()) {
        QWidget::keyPressEvent(event);   // Return, Escape ... go on to the dialog
        return;
    }
    setDate(target);
    event->accept();
}

void CalendarGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        QDate d = dateAtPos(event->position().toPoint());
        if (d.isValid())
            setDate(d);
    }
    QWidget::mousePressEvent(event);
}

void CalendarGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    QDate d = dateAtPos(event->position().toPoint());
    if (d.isValid())
        setDate(d);
    emit activated();
}
