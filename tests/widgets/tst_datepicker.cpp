#include "BrDateForm.h"
#include "CalendarGrid.h"
#include "Dialogs.h"
#include "TestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace {

template<class T>
T* child(QWidget* form, const char* name)
{
    T* w = form->findChild<T*>(QLatin1String(name));
    if (!w)
        qWarning("control %s missing", name);
    return w;
}

QStringList weekTexts(QWidget* form)
{
    auto* grid = child<QTableWidget>(form, "KWGrid");
    QStringList texts;
    for (int r = 0; r < grid->rowCount(); ++r)
        texts << grid->item(r, 0)->text();
    return texts;
}

int highlightedWeekRow(QWidget* form)
{
    const QModelIndexList rows = child<QTableWidget>(form, "KWGrid")->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

QString title(QWidget* form)
{
    return child<QLabel>(form, "TitleLabel")->text();
}

} // namespace

class TestDatePicker : public QObject {
    Q_OBJECT
private slots:
    void init() { resetDialogsForTest(); }

    void showsMonthWeeksAndTitle_data();
    void showsMonthWeeksAndTitle();
    void keysInCalendar_data();
    void keysInCalendar();
    void monthButtons();
    void clickSelectsDay();
    void doubleClickChoosesDay();
    void okAndCancelThroughWrapper_data();
    void okAndCancelThroughWrapper();
    void startsTodayWithoutDate();
    void controls();
};

void TestDatePicker::showsMonthWeeksAndTitle_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("weeks");
    QTest::addColumn<int>("highlighted");
    QTest::newRow("30.06.2004") << QDate(2004, 6, 30) << "Juni, 2004"
                                << QStringList{"KW", "23", "24", "25", "26", "27", ""} << 5;
    QTest::newRow("01.05.2005") << QDate(2005, 5, 1) << "Mai, 2005"
                                << QStringList{"KW", "17", "18", "19", "20", "21", "22"} << 1;
    QTest::newRow("03.01.2005") << QDate(2005, 1, 3) << "Januar, 2005"
                                << QStringList{"KW", "53", "1", "2", "3", "4", "5"} << 2;
}

void TestDatePicker::showsMonthWeeksAndTitle()
{
    QFETCH(QDate, date);
    QFETCH(QString, title);
    QFETCH(QStringList, weeks);
    QFETCH(int, highlighted);
    TBrDateForm form;
    form.setDate(date);
    QCOMPARE(form.date(), date);
    QCOMPARE(::title(&form), title);
    QCOMPARE(weekTexts(&form), weeks);
    QCOMPARE(highlightedWeekRow(&form), highlighted);
}

void TestDatePicker::keysInCalendar_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QDate>("expected");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("highlighted");
    QTest::newRow("Ctrl+PgDn on 29.02.2004") << QDate(2004, 2, 29) << int(Qt::Key_PageDown)
                                            << Qt::KeyboardModifiers(Qt::ControlModifier)
                                            << QDate(2005, 2, 28) << "Februar, 2005" << 5;
    QTest::newRow("Ctrl+PgUp") << QDate(2005, 6, 30) << int(Qt::Key_PageUp)
                               << Qt::KeyboardModifiers(Qt::ControlModifier)
                               << QDate(2004, 6, 30) << "Juni, 2004" << 5;
    QTest::newRow("PgDn into May 2005") << QDate(2005, 4, 30) << int(Qt::Key_PageDown)
                                        << Qt::KeyboardModifiers() << QDate(2005, 5, 30) << "Mai, 2005" << 6;
    QTest::newRow("PgUp from 31.03.2004") << QDate(2004, 3, 31) << int(Qt::Key_PageUp)
                                          << Qt::KeyboardModifiers() << QDate(2004, 2, 29) << "Februar, 2004" << 5;
    QTest::newRow("Down to the next row") << QDate(2004, 6, 6) << int(Qt::Key_Down)
                                          << Qt::KeyboardModifiers() << QDate(2004, 6, 13) << "Juni, 2004" << 2;
    QTest::newRow("Right stops at the month's end") << QDate(2004, 6, 30) << int(Qt::Key_Right)
                                                    << Qt::KeyboardModifiers() << QDate(2004, 6, 30) << "Juni, 2004" << 5;
}

void TestDatePicker::keysInCalendar()
{
    QFETCH(QDate, start);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QDate, expected);
    QFETCH(QString, title);
    QFETCH(int, highlighted);
    TBrDateForm form;
    form.setDate(start);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClick(child<CalendarGrid>(&form, "Calendar1"), Qt::Key(key), modifiers);
    QCOMPARE(form.date(), expected);
    QCOMPARE(::title(&form), title);
    QCOMPARE(highlightedWeekRow(&form), highlighted);
    QVERIFY(form.isVisible());
}

void TestDatePicker::monthButtons()
{
    TBrDateForm form;
    form.setDate(QDate(2010, 3, 31));
    QTest::mouseClick(child<QToolButton>(&form, "PrevMonthBtn"), Qt::LeftButton);
    QCOMPARE(form.date(), QDate(2010, 2, 28));
    QCOMPARE(::title(&form), QStringLiteral("Februar, 2010"));
    QCOMPARE(weekTexts(&form), (QStringList{"KW", "5", "6", "7", "8", "", ""}));
    QCOMPARE(highlightedWeekRow(&form), 4);

    QTest::mouseClick(child<QToolButton>(&form, "NextMonthBtn"), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>(&form, "NextMonthBtn"), Qt::LeftButton);
    QCOMPARE(form.date(), QDate(2010, 4, 28));
    QCOMPARE(::title(&form), QStringLiteral("April, 2010"));
}

void TestDatePicker::clickSelectsDay()
{
    TBrDateForm form;
    form.setDate(QDate(2005, 5, 31));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* calendar = child<CalendarGrid>(&form, "Calendar1");
    const QRect first = calendar->cellRect(QDate(2005, 5, 1));
    QTest::mouseClick(calendar, Qt::LeftButton, {}, first.center());
    QCOMPARE(form.date(), QDate(2005, 5, 1));
    QCOMPARE(highlightedWeekRow(&form), 1);
    // the blank cell left of the 1st belongs to no day
    QTest::mouseClick(calendar, Qt::LeftButton, {}, first.center() - QPoint(first.width(), 0));
    QCOMPARE(form.date(), QDate(2005, 5, 1));
    QVERIFY(form.isVisible());
}

void TestDatePicker::doubleClickChoosesDay()
{
    TBrDateForm form;
    form.setDate(QDate(2004, 6, 15));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* calendar = child<CalendarGrid>(&form, "Calendar1");
    const QRect cell = calendar->cellRect(QDate(2004, 6, 30));
    QVERIFY(cell.isValid());
    QTest::mouseDClick(calendar, Qt::LeftButton, {}, cell.center());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
    QCOMPARE(form.date(), QDate(2004, 6, 30));
    QCOMPARE(highlightedWeekRow(&form), 5);
}

void TestDatePicker::okAndCancelThroughWrapper_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("OK button") << "BOK" << true;
    QTest::newRow("Return") << "Return" << true;
    QTest::newRow("Abbrechen") << "BCancel" << false;
    QTest::newRow("Escape") << "Escape" << false;
}

// The picker runs through the dialog wrapper; the hook plays the user: one month on, then
// closes the window as the row says.
void TestDatePicker::okAndCancelThroughWrapper()
{
    QFETCH(QString, how);
    QFETCH(bool, accepted);
    Dialogs::setFormHook([&](QDialog* dialog) {
        dialog->show();
        auto* calendar = child<CalendarGrid>(dialog, "Calendar1");
        QTest::keyClick(calendar, Qt::Key_PageDown);
        if (how == QLatin1String("Return"))
            QTest::keyClick(calendar, Qt::Key_Return);
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(calendar, Qt::Key_Escape);
        else
            QTest::mouseClick(child<QPushButton>(dialog, qPrintable(how)), Qt::LeftButton);
        return dialog->result();
    });
    const std::optional<QDate> chosen = TBrDateForm::choose(nullptr, QDate(2005, 1, 31));
    QCOMPARE(chosen.has_value(), accepted);
    if (accepted)
        QCOMPARE(*chosen, QDate(2005, 2, 28));
    QCOMPARE(Dialogs::shown().size(), 1);
    QCOMPARE(Dialogs::shown().first().caption, QStringLiteral("Datumsauswahl"));
}

void TestDatePicker::startsTodayWithoutDate()
{
    QDate shown;
    Dialogs::setFormHook([&](QDialog* dialog) {
        shown = static_cast<TBrDateForm*>(dialog)->date();
        return int(QDialog::Rejected);
    });
    QVERIFY(!TBrDateForm::choose(nullptr, QDate()));
    QCOMPARE(shown, QDate::currentDate());
    QVERIFY(!TBrDateForm::choose(nullptr, QDate(1500, 5, 5)));
    QCOMPARE(shown, QDate::currentDate());
}

void TestDatePicker::controls()
{
    TBrDateForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Datumsauswahl"));
    QVERIFY(form.font().bold());
    QCOMPARE(child<QPushButton>(&form, "BOK")->text(), QStringLiteral("OK"));
    auto* cancel = child<QPushButton>(&form, "BCancel");
    QCOMPARE(cancel->text(), QStringLiteral("Abbrechen"));
    QVERIFY(!cancel->font().bold());
    auto* weeks = child<QTableWidget>(&form, "KWGrid");
    QCOMPARE(weeks->rowCount(), 7);
    QCOMPARE(weeks->columnCount(), 1);
    QCOMPARE(weeks->rowHeight(1), 16);
    QCOMPARE(weeks->columnWidth(0), 45);
    QCOMPARE(weeks->focusPolicy(), Qt::NoFocus);
    QCOMPARE(weeks->item(3, 0)->textAlignment(), int(Qt::AlignCenter));
}

QTEST_MAIN(TestDatePicker)
#include "tst_datepicker.moc"
