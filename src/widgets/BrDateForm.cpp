#include "BrDateForm.h"

#include "CalendarGrid.h"
#include "DateRoutines.h"
#include "Dialogs.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int WeekColumnWidth = 45;
const QColor Silver(0xC0, 0xC0, 0xC0);
}

TBrDateForm::TBrDateForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TBrDateForm"));
    setWindowTitle(QStringLiteral("Datumsauswahl"));
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    m_prev = new QToolButton(this);
    m_prev->setObjectName(QStringLiteral("PrevMonthBtn"));
    m_prev->setArrowType(Qt::LeftArrow);
    m_prev->setFocusPolicy(Qt::NoFocus);
    m_next = new QToolButton(this);
    m_next->setObjectName(QStringLiteral("NextMonthBtn"));
    m_next->setArrowType(Qt::RightArrow);
    m_next->setFocusPolicy(Qt::NoFocus);
    m_title = new QLabel(QStringLiteral("noch nicht bekannt"), this);
    m_title->setObjectName(QStringLiteral("TitleLabel"));
    m_title->setAlignment(Qt::AlignCenter);

    m_calendar = new CalendarGrid(this);
    m_calendar->setObjectName(QStringLiteral("Calendar1"));

    m_weeks = new QTableWidget(DatePicker::WeekRows + 1, 1, this);
    m_weeks->setObjectName(QStringLiteral("KWGrid"));
    m_weeks->horizontalHeader()->hide();
    m_weeks->verticalHeader()->hide();
    m_weeks->verticalHeader()->setMinimumSectionSize(1);
    m_weeks->verticalHeader()->setDefaultSectionSize(CalendarGrid::RowHeight);
    m_weeks->horizontalHeader()->setDefaultSectionSize(WeekColumnWidth);
    m_weeks->setShowGrid(false);
    m_weeks->setFrameShape(QFrame::NoFrame);
    m_weeks->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_weeks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_weeks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_weeks->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_weeks->setSelectionMode(QAbstractItemView::SingleSelection);
    // Shows, never takes input: the highlighted row follows the calendar.
    m_weeks->setFocusPolicy(Qt::NoFocus);
    m_weeks->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_weeks->setFixedSize(WeekColumnWidth, (DatePicker::WeekRows + 1) * CalendarGrid::RowHeight);
    QPalette pal = m_weeks->palette();
    pal.setColor(QPalette::Base, Silver);
    m_weeks->setPalette(pal);
    for (int r = 0; r <= DatePicker::WeekRows; ++r) {
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_weeks->setItem(r, 0, item);
    }

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BOK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("BCancel"));
    QFont normal = m_cancel->font();
    normal.setBold(false);
    m_cancel->setFont(normal);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(m_prev);
    titleRow->addWidget(m_title, 1);
    titleRow->addWidget(m_next);
    auto* gridRow = new QHBoxLayout;
    gridRow->setSpacing(2);
    gridRow->addWidget(m_weeks, 0, Qt::AlignTop);
    gridRow->addWidget(m_calendar, 0, Qt::AlignTop);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_ok);
    buttonRow->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(titleRow);
    layout->addLayout(gridRow);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_prev, &QToolButton::clicked, this, &TBrDateForm::PrevMonthBtnClick);
    connect(m_next, &QToolButton::clicked, this, &TBrDateForm::NextMonthBtnClick);
    connect(m_calendar, &CalendarGrid::dateChanged, this, &TBrDateForm::Calendar1Change);
    connect(m_calendar, &CalendarGrid::activated, this, &QDialog::accept);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_calendar->setFocus();
    Calendar1Change();
}

QDate TBrDateForm::date() const
{
    return m_calendar->date();
}

void TBrDateForm::setDate(const QDate& date)
{
    m_calendar->setDate(date);
    Calendar1Change();
}

void TBrDateForm::Calendar1Change()
{
    const DatePicker& picker = m_calendar->picker();
    m_title->setText(picker.title());
    const QStringList rows = picker.weekRows();
    for (int r = 0; r < rows.size(); ++r)
        m_weeks->item(r, 0)->setText(rows.at(r));
    m_weeks->selectRow(picker.weekRow());
}

void TBrDateForm::PrevMonthBtnClick()
{
    m_calendar->setDate(m_calendar->picker().previousMonth());
}

void TBrDateForm::NextMonthBtnClick()
{
    m_calendar->setDate(m_calendar->picker().nextMonth());
}

std::optional<QDate> TBrDateForm::choose(QWidget* parent, const QDate& start)
{
    TBrDateForm form(parent);
    form.setDate(TagNummer(start) == DayNumber::Invalid ? QDate::currentDate() : start);
    if (Dialogs::exec(&form) != QDialog::Accepted)
        return std::nullopt;
    return form.date();
}
