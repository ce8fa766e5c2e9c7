#include "DatePicker.h"
#include "DateRoutines.h"

#include <QtTest>
#include <climits>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace {
// Independent reference: Qt's proleptic Gregorian calendar.
const QDate Day0(1600, 1, 1);
int reference(const QDate& d) { return int(Day0.daysTo(d)); }
}

class TestDates : public QObject {
    Q_OBJECT
private slots:
    void monthLengths_data();
    void monthLengths();
    void dayNumbers_data();
    void dayNumbers();
    void wholeRangeAgreesWithCalendar();
    void outsideRange();
    void addMonthsYears_data();
    void addMonthsYears();
    void calendarWeeks_data();
    void calendarWeeks();

    void pickerLayout_data();
    void pickerLayout();
    void pickerWeekRows_data();
    void pickerWeekRows();
    void pickerHighlightedRow_data();
    void pickerHighlightedRow();
    void pickerKeys_data();
    void pickerKeys();
    void pickerTitleAndRange();
};

void TestDates::monthLengths_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("leap");
    QTest::addColumn<int>("days");
    QTest::newRow("Feb 1600, leap century") << 2 << 1600 << true << 29;
    QTest::newRow("Feb 1700") << 2 << 1700 << false << 28;
    QTest::newRow("Feb 1900") << 2 << 1900 << false << 28;
    QTest::newRow("Feb 2000") << 2 << 2000 << true << 29;
    QTest::newRow("Feb 2004") << 2 << 2004 << true << 29;
    QTest::newRow("Feb 2005") << 2 << 2005 << false << 28;
    QTest::newRow("Feb 3600") << 2 << 3600 << true << 29;
    QTest::newRow("April") << 4 << 2004 << true << 30;
    QTest::newRow("November") << 11 << 2005 << false << 30;
    QTest::newRow("December 3999") << 12 << 3999 << false << 31;
    QTest::newRow("month 0") << 0 << 2004 << true << 0;
    QTest::newRow("month 13") << 13 << 2004 << true << 0;
    QTest::newRow("year 1599") << 1 << 1599 << false << 0;
    QTest::newRow("year 4000, no leap year") << 1 << 4000 << false << 0;
}

void TestDates::monthLengths()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(bool, leap);
    QFETCH(int, days);
    QCOMPARE(IstSchaltjahr(year), leap);
    QCOMPARE(TageImMonat(month, year), days);
}

void TestDates::dayNumbers_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("expected");
    QTest::newRow("first day") << 1 << 1 << 1600 << 0;
    QTest::newRow("last day") << 31 << 12 << 3999 << 876581;
    QTest::newRow("1 March 1600 after leap day") << 1 << 3 << 1600 << 60;
    QTest::newRow("29.02.2000") << 29 << 2 << 2000 << reference(QDate(2000, 2, 29));
    QTest::newRow("1 March 1700, no leap day") << 1 << 3 << 1700 << reference(QDate(1700, 3, 1));
    QTest::newRow("29.02.1900 does not exist") << 29 << 2 << 1900 << -1;
    QTest::newRow("31 April") << 31 << 4 << 2004 << -1;
    QTest::newRow("day 0") << 0 << 5 << 2004 << -1;
    QTest::newRow("month 13") << 1 << 13 << 2004 << -1;
    QTest::newRow("year 1599") << 1 << 1 << 1599 << -1;
    QTest::newRow("year 4000") << 1 << 1 << 4000 << -1;
}

void TestDates::dayNumbers()
{
    QFETCH(int, day);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, expected);
    QCOMPARE(TagNummer(day, month, year), expected);
    if (expected >= 0) {
        QCOMPARE(TagNummer(QDate(year, month, day)), expected);
        QCOMPARE(DatumAusTagNummer(expected), QDate(year, month, day));
    }
}

// Every day of the range against Qt's calendar: conversion both ways, weekday, ISO week.
void TestDates::wholeRangeAgreesWithCalendar()
{
    QDate d = Day0;
    for (int n = 0; n <= 876581; ++n, d = d.addDays(1)) {
        const QDate got = DatumAusTagNummer(n);
        if (got != d)
            QFAIL(qPrintable(QStringLiteral("DatumAusTagNummer(%1) = %2, expected %3")
                                 .arg(n).arg(got.toString(Qt::ISODate), d.toString(Qt::ISODate))));
        if (TagNummer(d) != n)
            QFAIL(qPrintable(QStringLiteral("TagNummer(%1) = %2").arg(d.toString(Qt::ISODate)).arg(TagNummer(d))));
        if (WochentagNummer(n) != d.dayOfWeek() % 7)
            QFAIL(qPrintable(QStringLiteral("WochentagNummer(%1) = %2").arg(n).arg(WochentagNummer(n))));
        if (KalenderWoche(n) != d.weekNumber())
            QFAIL(qPrintable(QStringLiteral("KalenderWoche(%1) for %2 = %3, expected %4")
                                 .arg(n).arg(d.toString(Qt::ISODate)).arg(KalenderWoche(n)).arg(d.weekNumber())));
    }
    QCOMPARE(d, QDate(4000, 1, 1));
}

void TestDates::outsideRange()
{
    QCOMPARE(DatumAusTagNummer(-1), QDate());
    QCOMPARE(DatumAusTagNummer(876582), QDate());
    QCOMPARE(TagNummer(QDate()), -1);
    QCOMPARE(TagNummer(QDate(1599, 12, 31)), -1);
    QCOMPARE(WochentagNummer(0), 6);   // 1 January 1600 was a Saturday
    QCOMPARE(WochentagNummer(-1), 7);
    QCOMPARE(KalenderWoche(-1), 0);
    QCOMPARE(KalenderWoche(876582), 0);
}

void TestDates::addMonthsYears_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("months");
    QTest::addColumn<int>("years");
    QTest::addColumn<QDate>("expected");   // null: -1
    QTest::newRow("31.01. + 1 month, leap year") << QDate(2004, 1, 31) << 1 << 0 << QDate(2004, 2, 29);
    QTest::newRow("31.01. + 1 month") << QDate(2005, 1, 31) << 1 << 0 << QDate(2005, 2, 28);
    QTest::newRow("11 months and 2 years") << QDate(2004, 3, 15) << 11 << 2 << QDate(2007, 2, 15);
    QTest::newRow("31.03. - 1 month") << QDate(2004, 3, 31) << -1 << 0 << QDate(2004, 2, 29);
    QTest::newRow("31.05. - 1 month") << QDate(2004, 5, 31) << -1 << 0 << QDate(2004, 4, 30);
    QTest::newRow("30.01. + 1 month") << QDate(2004, 1, 30) << 1 << 0 << QDate(2004, 2, 29);
    QTest::newRow("29.02. + 1 year") << QDate(2004, 2, 29) << 0 << 1 << QDate(2005, 2, 28);
    QTest::newRow("29.02. + 4 years") << QDate(2004, 2, 29) << 0 << 4 << QDate(2008, 2, 29);
    QTest::newRow("31.12. + 2 months") << QDate(2004, 12, 31) << 2 << 0 << QDate(2005, 2, 28);
    QTest::newRow("+25 months") << QDate(2004, 1, 15) << 25 << 0 << QDate(2006, 2, 15);
    QTest::newRow("-13 months") << QDate(2004, 1, 15) << -13 << 0 << QDate(2002, 12, 15);
    QTest::newRow("-12 months") << QDate(2004, 3, 15) << -12 << 0 << QDate(2003, 3, 15);
    QTest::newRow("months and years against each other") << QDate(2004, 3, 15) << 14 << -2 << QDate(2003, 5, 15);
    QTest::newRow("beyond 3999") << QDate(3999, 12, 31) << 1 << 0 << QDate();
    QTest::newRow("before 1600") << QDate(1600, 1, 1) << -1 << 0 << QDate();
    QTest::newRow("huge years") << QDate(2004, 1, 1) << 0 << INT_MAX << QDate();
    QTest::newRow("huge months") << QDate(2004, 1, 1) << INT_MIN << 0 << QDate();
    QTest::newRow("invalid day number") << QDate() << 1 << 0 << QDate();
}

void TestDates::addMonthsYears()
{
    QFETCH(QDate, start);
    QFETCH(int, months);
    QFETCH(int, years);
    QFETCH(QDate, expected);
    const int n = AddiereMonateJahre(TagNummer(start), months, years);
    QCOMPARE(n, TagNummer(expected));
    QCOMPARE(DatumAusTagNummer(n), expected);
}

void TestDates::calendarWeeks_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("week");
    QTest::newRow("Sat 01.01.2005 in week 53 of 2004") << QDate(2005, 1, 1) << 53;
    QTest::newRow("Sun 02.01.2005") << QDate(2005, 1, 2) << 53;
    QTest::newRow("Mon 03.01.2005") << QDate(2005, 1, 3) << 1;
    QTest::newRow("Wed 31.12.2003 in week 1 of 2004") << QDate(2003, 12, 31) << 1;
    QTest::newRow("Mon 29.12.2003") << QDate(2003, 12, 29) << 1;
    QTest::newRow("Sun 28.12.2003") << QDate(2003, 12, 28) << 52;
    QTest::newRow("Sat 01.01.1600 in the last week of 1599") << QDate(1600, 1, 1) << 52;
    QTest::newRow("Mon 03.01.1600") << QDate(1600, 1, 3) << 1;
    QTest::newRow("Fri 31.12.3999") << QDate(3999, 12, 31) << 52;
}

void TestDates::calendarWeeks()
{
    QFETCH(QDate, date);
    QFETCH(int, week);
    QCOMPARE(KalenderWoche(TagNummer(date)), week);
}

void TestDates::pickerLayout_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("Monday the 1st in the first row") << QDate(2010, 2, 14) << 0 << 0 << QDate(2010, 2, 1);
    QTest::newRow("last of February 2010") << QDate(2010, 2, 14) << 3 << 6 << QDate(2010, 2, 28);
    QTest::newRow("row 4 of February 2010 blank") << QDate(2010, 2, 14) << 4 << 0 << QDate();
    QTest::newRow("Sunday the 1st in the first row") << QDate(2005, 5, 20) << 0 << 6 << QDate(2005, 5, 1);
    QTest::newRow("before the 1st blank") << QDate(2005, 5, 20) << 0 << 5 << QDate();
    QTest::newRow("31 May 2005 in the sixth row") << QDate(2005, 5, 20) << 5 << 1 << QDate(2005, 5, 31);
    QTest::newRow("after the last blank") << QDate(2005, 5, 20) << 5 << 2 << QDate();
    QTest::newRow("Tuesday the 1st") << QDate(2004, 6, 30) << 0 << 1 << QDate(2004, 6, 1);
}

void TestDates::pickerLayout()
{
    QFETCH(QDate, month);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QDate, expected);
    DatePicker picker(month);
    QCOMPARE(picker.dateAt(row, column), expected);
    if (expected.isValid()) {
        QCOMPARE(picker.rowOf(expected), row);
        QCOMPARE(picker.columnOf(expected), column);
    }
}

void TestDates::pickerWeekRows_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("June 2004") << QDate(2004, 6, 15) << QStringList{"KW", "23", "24", "25", "26", "27", ""};
    QTest::newRow("February 2010") << QDate(2010, 2, 1) << QStringList{"KW", "5", "6", "7", "8", "", ""};
    QTest::newRow("May 2005") << QDate(2005, 5, 1) << QStringList{"KW", "17", "18", "19", "20", "21", "22"};
    QTest::newRow("January 2005") << QDate(2005, 1, 31) << QStringList{"KW", "53", "1", "2", "3", "4", "5"};
    QTest::newRow("December 2003") << QDate(2003, 12, 1) << QStringList{"KW", "49", "50", "51", "52", "1", ""};
}

void TestDates::pickerWeekRows()
{
    QFETCH(QDate, date);
    QFETCH(QStringList, rows);
    QCOMPARE(DatePicker(date).weekRows(), rows);
}

void TestDates::pickerHighlightedRow_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("row");
    QTest::newRow("30.06.2004") << QDate(2004, 6, 30) << 5;
    QTest::newRow("06.06.2004, Sunday of row 1") << QDate(2004, 6, 6) << 1;
    QTest::newRow("07.06.2004, Monday of row 2") << QDate(2004, 6, 7) << 2;
    QTest::newRow("01.05.2005") << QDate(2005, 5, 1) << 1;
    QTest::newRow("02.05.2005") << QDate(2005, 5, 2) << 2;
    QTest::newRow("31.05.2005") << QDate(2005, 5, 31) << 6;
    QTest::newRow("01.02.2010") << QDate(2010, 2, 1) << 1;
    QTest::newRow("28.02.2010") << QDate(2010, 2, 28) << 4;
}

void TestDates::pickerHighlightedRow()
{
    QFETCH(QDate, date);
    QFETCH(int, row);
    QCOMPARE(DatePicker(date).weekRow(), row);
}

void TestDates::pickerKeys_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QDate>("expected");   // null: key not handled
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+PgDn on 29 February") << QDate(2004, 2, 29) << int(Qt::Key_PageDown) << ctrl << QDate(2005, 2, 28);
    QTest::newRow("Ctrl+PgUp on 29 February") << QDate(2004, 2, 29) << int(Qt::Key_PageUp) << ctrl << QDate(2003, 2, 28);
    QTest::newRow("Ctrl+PgDn") << QDate(2004, 6, 15) << int(Qt::Key_PageDown) << ctrl << QDate(2005, 6, 15);
    QTest::newRow("PgUp from 31 March") << QDate(2004, 3, 31) << int(Qt::Key_PageUp) << none << QDate(2004, 2, 29);
    QTest::newRow("PgDn from 31 January") << QDate(2005, 1, 31) << int(Qt::Key_PageDown) << none << QDate(2005, 2, 28);
    QTest::newRow("PgDn over new year") << QDate(2004, 12, 15) << int(Qt::Key_PageDown) << none << QDate(2005, 1, 15);
    QTest::newRow("PgUp over new year") << QDate(2005, 1, 15) << int(Qt::Key_PageUp) << none << QDate(2004, 12, 15);
    QTest::newRow("Right") << QDate(2004, 6, 15) << int(Qt::Key_Right) << none << QDate(2004, 6, 16);
    QTest::newRow("Down") << QDate(2004, 6, 10) << int(Qt::Key_Down) << none << QDate(2004, 6, 17);
    QTest::newRow("Left stays in the month") << QDate(2004, 6, 1) << int(Qt::Key_Left) << none << QDate(2004, 6, 1);
    QTest::newRow("Down stays in the month") << QDate(2004, 6, 27) << int(Qt::Key_Down) << none << QDate(2004, 6, 27);
    QTest::newRow("Up stays in the month") << QDate(2004, 6, 3) << int(Qt::Key_Up) << none << QDate(2004, 6, 3);
    QTest::newRow("Home") << QDate(2004, 6, 15) << int(Qt::Key_Home) << none << QDate(2004, 6, 1);
    QTest::newRow("End") << QDate(2004, 2, 15) << int(Qt::Key_End) << none << QDate(2004, 2, 29);
    QTest::newRow("PgUp at the first month") << QDate(1600, 1, 10) << int(Qt::Key_PageUp) << none << QDate(1600, 1, 10);
    QTest::newRow("Ctrl+PgDn in the last year") << QDate(3999, 12, 31) << int(Qt::Key_PageDown) << ctrl << QDate(3999, 12, 31);
    QTest::newRow("Return is left to the dialog") << QDate(2004, 6, 15) << int(Qt::Key_Return) << none << QDate();
    QTest::newRow("Escape is left to the dialog") << QDate(2004, 6, 15) << int(Qt::Key_Escape) << none << QDate();
}

void TestDates::pickerKeys()
{
    QFETCH(QDate, start);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QDate, expected);
    QCOMPARE(DatePicker(start).afterKey(key, modifiers), expected);
}

void TestDates::pickerTitleAndRange()
{
    DatePicker picker(QDate(2004, 6, 30));
    QCOMPARE(picker.title(), QStringLiteral("Juni, 2004"));
    QVERIFY(picker.setDate(QDate(2005, 3, 1)));
    QCOMPARE(picker.title(), QStringLiteral("März, 2005"));

    QVERIFY(!picker.setDate(QDate(1599, 12, 31)));
    QVERIFY(!picker.setDate(QDate()));
    QCOMPARE(picker.date(), QDate(2005, 3, 1));
}

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"
