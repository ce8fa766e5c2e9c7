#include "LadderFilter.h"

#include "LtFirmAbt.h"
#include "Table.h"

LadderFilter::LadderFilter(Table& ladders, MarkListe& marks, const TLtFirmAbt& departments, QObject* parent)
    : QObject(parent), m_ladders(ladders), m_marks(marks), m_departments(departments), m_match(ladders),
      m_idField(ladders.field(QStringLiteral("ID")).index()),
      m_deptField(ladders.field(QStringLiteral("FirmenAbtID")).index())
{
    m_ladders.onFilterRecord = [this](DataSet& row) { return accepts(row); };
}

bool LadderFilter::inDepartment(const DataSet& row) const
{
    const QVariant dept = row.fieldAt(m_deptField).value();
    if (!dept.isValid())
        return false;
    // Few departments, many ladders: decide once per department, until the tree is read again.
    if (m_deptMemoGeneration != m_departments.generation()) {
        m_deptMemo.clear();
        m_deptMemoGeneration = m_departments.generation();
    }
    const int id = dept.toInt();
    auto it = m_deptMemo.constFind(id);
    if (it != m_deptMemo.constEnd())
        return *it;
    const bool in = m_departments.IsAtOrBelow(QString::number(id), m_values.value(FilterKind::Abteilung));
    m_deptMemo.insert(id, in);
    return in;
}

bool LadderFilter::accepts(const DataSet& row) const
{
    if (m_bits.contains(FilterKind::Abteilung) && !inDepartment(row))
        return false;
    if (m_bits.contains(FilterKind::SuchText) && !m_match.matches(row, m_matcher))
        return false;
    const bool needMark = (m_bits.contains(FilterKind::Markierung) || m_markSuchModus) && !m_marks.isEmpty();
    if (needMark && !m_marks.contains(row.fieldAt(m_idField).value().toString()))
        return false;
    if (m_suchModus && !m_match.matches(row, m_matcher))
        return false;
    return true;
}

void LadderFilter::setCondition(FilterKind kind, const QString& value, bool refresh)
{
    // An edited ladder is saved before the condition changes: a refused save leaves the filter
    // as it was, and the rows are never rebuilt around a row in edit.
    if (refresh)
        m_ladders.checkBrowseMode();
    m_values.insert(kind, value);
    if (value.isEmpty())
        m_bits.remove(kind);
    else
        m_bits.insert(kind);
    if (kind == FilterKind::Abteilung)
        m_deptMemo.clear();
    if (!refresh)
        return;
    if (m_ladders.filtered() != filtered())
        m_ladders.setFiltered(filtered());
    else if (filtered())
        m_ladders.refilter();
    emit filterChanged();
}

void LadderFilter::clearAll(bool refresh)
{
    if (refresh)
        m_ladders.checkBrowseMode();
    m_bits.clear();
    m_values.clear();
    m_deptMemo.clear();
    if (!refresh)
        return;
    m_ladders.setFiltered(false);
    emit filterChanged();
}

bool LadderFilter::withSearchMode(const std::function<bool()>& search)
{
    m_suchModus = true;
    try {
        const bool found = search();
        m_suchModus = false;
        return found;
    } catch (...) {
        m_suchModus = false;
        throw;
    }
}

bool LadderFilter::withMarkSearchMode(const std::function<bool()>& search)
{
    m_markSuchModus = true;
    try {
        markCheck();
        const bool found = search();
        m_markSuchModus = false;
        return found;
    } catch (...) {
        m_markSuchModus = false;
        throw;
    }
}

bool LadderFilter::searchFirst(const QString& text)
{
    m_suchText = text;
    m_matcher = TextMatcher(text);
    // The search-text condition follows the new text before the search: the search can only
    // reach rows the filter lets through.
    if (conditionOn(FilterKind::SuchText)) {
        m_values.insert(FilterKind::SuchText, text);
        m_ladders.refilter();
    }
    return withSearchMode([this] { return m_ladders.findFirst(); });
}

bool LadderFilter::searchNext()
{
    if (m_suchText.isEmpty())
        return false;
    return withSearchMode([this] { return m_ladders.findNext(); });
}

bool LadderFilter::searchPrior()
{
    if (m_suchText.isEmpty())
        return false;
    return withSearchMode([this] { return m_ladders.findPrior(); });
}

bool LadderFilter::searchLast()
{
    if (m_suchText.isEmpty())
        return false;
    return withSearchMode([this] { return m_ladders.findLast(); });
}

void LadderFilter::clearSearch()
{
    m_suchText.clear();
    m_matcher = TextMatcher();
    if (conditionOn(FilterKind::SuchText))
        m_ladders.refilter();
}

int LadderFilter::searchToMarks()
{
    if (m_suchText.isEmpty())
        return 0;
    int n = 0;
    withSearchMode([&] {
        if (!m_ladders.findFirst())
            return false;
        do {
            m_marks.add(currentId());
            ++n;
        } while (m_ladders.findNext());
        return true;
    });
    emit marksChanged();
    return n;
}

QString LadderFilter::currentId() const
{
    if (m_ladders.isEmpty())
        return QString();
    return m_ladders.fieldAt(m_idField).value().toString();
}

void LadderFilter::markCheck() const
{
    if (m_marks.isEmpty())
        throw HwError(QStringLiteral("Kein Datensatz markiert"));
}

bool LadderFilter::toggleMark()
{
    const QString id = currentId();
    if (id.isEmpty())
        return false;
    const bool on = m_marks.toggle(id);
    if (!on)
        hideUnmarked();
    emit marksChanged();
    return on;
}

void LadderFilter::mark()
{
    const QString id = currentId();
    if (!id.isEmpty() && m_marks.add(id))
        emit marksChanged();
}

void LadderFilter::unmark()
{
    if (m_marks.remove(currentId())) {
        hideUnmarked();
        emit marksChanged();
    }
}

void LadderFilter::hideUnmarked()
{
    if (!conditionOn(FilterKind::Markierung))
        return;
    // The row just unmarked leaves the filtered rows; the cursor takes the row now in its place.
    const int recNo = m_ladders.recNo();
    const QString id = currentId();
    m_ladders.refilter();
    if (recNo > 0 && !m_ladders.isEmpty() && currentId() != id)
        m_ladders.setRecNo(qMin(recNo, m_ladders.recordCount()));
}

bool LadderFilter::markToCurrent()
{
    const QString target = currentId();
    const auto start = m_ladders.bookmark();
    bool done = withMarkSearchMode([&] {
        if (!m_ladders.findPrior()) {
            m_ladders.gotoBookmark(start);
            return false;
        }
        m_ladders.disableControls();
        try {
            for (;;) {
                const QString id = currentId();
                m_marks.add(id);
                if (id == target || m_ladders.eof())
                    break;
                m_ladders.next();
            }
        } catch (...) {
            m_ladders.enableControls();
            throw;
        }
        m_ladders.enableControls();
        return true;
    });
    if (done)
        emit marksChanged();
    return done;
}

bool LadderFilter::markFindFirst() { return withMarkSearchMode([this] { return m_ladders.findFirst(); }); }
bool LadderFilter::markFindPrior() { return withMarkSearchMode([this] { return m_ladders.findPrior(); }); }
bool LadderFilter::markFindNext() { return withMarkSearchMode([this] { return m_ladders.findNext(); }); }
bool LadderFilter::markFindLast() { return withMarkSearchMode([this] { return m_ladders.findLast(); }); }

QString LadderFilter::recordCounterText() const
{
    if (filtered())
        return QStringLiteral(" %1 gefiltert ").arg(m_ladders.recordCount());
    return QStringLiteral(" %1 von %2 ").arg(m_ladders.recNo()).arg(m_ladders.recordCount());
}

QString LadderFilter::markCounterText() const
{
    return m_marks.isEmpty() ? QString() : QStringLiteral("M : %1").arg(m_marks.count());
}

QString LadderFilter::filterText() const { return filtered() ? QStringLiteral("Daten gefiltert") : QString(); }
