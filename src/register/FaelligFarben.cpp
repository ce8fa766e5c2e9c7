#include "FaelligFarben.h"

#include "CursorModel.h"
#include "LeiterGrid.h"
#include "Table.h"

#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>

std::optional<QColor> faelligFarbe(Faelligkeit status)
{
    switch (status) {
    case Faelligkeit::Ueberfaellig: return QColor(204, 0, 0);
    case Faelligkeit::BaldFaellig: return QColor(255, 170, 0);
    default: return std::nullopt;
    }
}

QColor faelligTextFarbe(Faelligkeit status)
{
    return status == Faelligkeit::Ueberfaellig ? QColor(Qt::white) : QColor(Qt::black);
}

namespace {

// Wraps the grid's delegate: the due date cell gets an inset block in the due colour with a
// dark frame, so that the row's own background (marked, selected) still shows around it.
class FaelligDelegate : public QStyledItemDelegate {
public:
    FaelligDelegate(TLeiterGrid* grid, Table* leiter, QAbstractItemDelegate* inner, std::function<int()> horizon)
        : QStyledItemDelegate(grid), m_grid(grid), m_leiter(leiter), m_inner(inner), m_horizon(std::move(horizon))
    {
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (m_inner)
            m_inner->paint(p, option, index);
        else
            QStyledItemDelegate::paint(p, option, index);
        const std::optional<Faelligkeit> s = statusOf(index);
        if (!s)
            return;
        const std::optional<QColor> c = faelligFarbe(*s);
        if (!c)
            return;
        p->save();
        const QRect r = option.rect.adjusted(2, 2, -2, -2);
        p->fillRect(r, *c);
        p->setPen(QColor(40, 40, 40));
        p->drawRect(r.adjusted(0, 0, -1, -1));
        p->setFont(option.font);
        p->setPen(faelligTextFarbe(*s));
        p->drawText(r.adjusted(2, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, index.data(Qt::DisplayRole).toString());
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return m_inner ? m_inner->sizeHint(option, index) : QStyledItemDelegate::sizeHint(option, index);
    }

private:
    std::optional<Faelligkeit> statusOf(const QModelIndex& index) const
    {
        if (!m_leiter || !m_leiter->active())
            return std::nullopt;
        Field* fieldAt = m_grid->cursorModel()->fieldAt(index.column());
        if (!fieldAt || fieldAt->name() != QLatin1String("PruefTermin"))
            return std::nullopt;
        if (index.row() < 0 || index.row() >= m_leiter->viewRowCount())
            return std::nullopt;
        const QVariant v = m_leiter->valueAt(index.row(), fieldAt->index());
        if (!v.isValid() || v.isNull())
            return std::nullopt;
        if (m_leiter->findField(QStringLiteral("Schrott"))
            && m_leiter->valueAt(index.row(), m_leiter->field(QStringLiteral("Schrott")).index()).toBool())
            return std::nullopt;
        const QDate heute = QDate::currentDate();
        return faelligkeit(v.toDate(), heute, heute.addDays(m_horizon ? m_horizon() : 28));
    }

    TLeiterGrid* m_grid;
    QPointer<Table> m_leiter;
    QPointer<QAbstractItemDelegate> m_inner;
    std::function<int()> m_horizon;
};

} // namespace

void FaelligGridFarben::install(TLeiterGrid* grid, Table* leiter, std::function<int()> horizonDays)
{
    grid->setItemDelegate(new FaelligDelegate(grid, leiter, grid->itemDelegate(), std::move(horizonDays)));
}
