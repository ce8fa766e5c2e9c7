#include "DatePicker.h"

#include "DateRoutines.h"

#include <QLocale>

DatePicker::DatePicker() : m_date(QDate::currentDate()) {}

DatePicker::DatePicker(const QDate& date) : m_date(QDate::currentDate())
{
    setDate(date);
}

bool DatePicker::setDate(const QDate& date)
{
    if (TagNummer(date) == DayNumber::Invalid)
        return false;
    m_date = date;
    return true;
}

QString DatePicker::title() const
{
    return QLocale(QLocale::German).toString(m_date, QStringLiteral("MMMM, yyyy"));
}

int DatePicker::firstOfMonth() const
{
    return TagNummer(1, m_date.month(), m_date.year());
}

int DatePicker::firstColumn() const
{
    return (WochentagNummer(firstOfMonth()) + 6) % 7;
}

QDate DatePicker::dateAt(int row, int column) const
{
    if (row < 0 || row >= WeekRows || column < 0 || column >= Columns)
        return QDate();
    int day = row * 7 + column - firstColumn() + 1;
    if (day < 1 || day > TageImMonat(m_date.month(), m_date.year()))
        return QDate();
    return QDate(m_date.year(), m_date.month(), day);
}

int DatePicker::rowOf(const QDate& date) const
{
    if (!date.isValid() || date.year() != m_date.year() || date.month() != m_date.month())
        return -1;
    return (date.day() - 1 + firstColumn()) / 7;
}

int DatePicker::columnOf(const QDate& date) const
{
    if (rowOf(date) < 0)
        return -1;
    return (date.day() - 1 + firstColumn()) % 7;
}

QStringList DatePicker::weekRows() const
{
    const int first = firstOfMonth();
    const int offset = firstColumn();
    const int days = TageImMonat(m_date.month(), m_date.year());
    QStringList rows{QStringLiteral("KW")};
    for (int r = 1; r <= WeekRows; ++r) {
        // Rows 1..4 always hold a Monday-column day or the 1st; rows 5 and 6 only when the
        // month reaches their Monday.
        bool shown = r <= 4 || 7 * (r - 1) - offset < days;
        rows << (shown ? QString::number(KalenderWoche(first + 7 * (r - 1))) : QString());
    }
    return rows;
}

int DatePicker::weekRow() const
{
    return (TagNummer(m_date) - firstOfMonth() + firstColumn()) / 7 + 1;
}

QDate DatePicker::shifted(int months, int years) const
{
    int n = AddiereMonateJahre(TagNummer(m_date), months, years);
    return n == DayNumber::Invalid ? m_date : DatumAusTagNummer(n);
}

QDate DatePicker::previousMonth() const { return shifted(-1, 0); }
QDate DatePicker::nextMonth() const { return shifted(1, 0); }
QDate DatePicker::previousYear() const { return shifted(0, -1); }
QDate DatePicker::nextYear() const { return shifted(0, 1); }

QDate DatePicker::insideMonth(int days) const
{
    QDate target = m_date.addDays(days);
    return target.month() == m_date.month() && target.year() == m_date.year() ? target : m_date;
}

QDate DatePicker::afterKey(int key, Qt::KeyboardModifiers modifiers) const
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_PageUp:
        return ctrl ? previousYear() : previousMonth();
    case Qt::Key_PageDown:
        return ctrl ? nextYear() : nextMonth();
    case Qt::Key_Left:
        return insideMonth(-1);
    case Qt::Key_Right:
        return insideMonth(1);
    case Qt::Key_Up:
        return insideMonth(-7);
    case Qt::Key_Down:
        return insideMonth(7);
    case Qt::Key_Home:
        return QDate(m_date.year(), m_date.month(), 1);
    case Qt::Key_End:
        return QDate(m_date.year(), m_date.month(), TageImMonat(m_date.month(), m_date.year()));
    default:
        return QDate();
    }
}
