#pragma once
#include "MarkListe.h"
#include "TextMatch.h"

#include <QHash>
#include <QObject>
#include <QSet>

class DataSet;
class Table;
class TLtFirmAbt;

// Condition kinds, numbered like the criterion kinds of the report selection.
enum class FilterKind { Abteilung = 3, SuchText = 9, Markierung = 10 };

// Search, marks and filter of the ladder register: the record filter of the ladder cursor,
// the text search and the searches over marked rows, and the status texts they produce.
// Holds no widgets; the main window shows the messages it raises.
class LadderFilter : public QObject {
    Q_OBJECT
public:
    LadderFilter(Table& ladders, MarkListe& marks, const TLtFirmAbt& departments, QObject* parent = nullptr);

    // --- record filter ---
    bool accepts(const DataSet& row) const;
    // Empty value switches the condition off. Filters the cursor exactly while a condition is on.
    void setCondition(FilterKind kind, const QString& value, bool refresh = true);
    bool conditionOn(FilterKind kind) const { return m_bits.contains(kind); }
    QString conditionValue(FilterKind kind) const { return m_values.value(kind); }
    bool filtered() const { return !m_bits.isEmpty(); }
    void clearAll(bool refresh = true);

    // --- text search ---
    QString suchText() const { return m_suchText; }
    // New text and first match; false when none.
    bool searchFirst(const QString& text);
    bool searchNext();                   // false (and no move) when none or the text is empty
    bool searchPrior();
    bool searchLast();
    void clearSearch();
    // Marks every match; the cursor ends on the last one. Returns the number of matches.
    int searchToMarks();

    // --- marks ---
    MarkListe& marks() { return m_marks; }
    void markCheck() const;              // "Kein Datensatz markiert" when there is no mark
    bool toggleMark();                   // of the current ladder; true when marked afterwards
    void mark();
    void unmark();
    // Marks the rows from the nearest marked row above up to the current one; false when
    // there is no marked row above.
    bool markToCurrent();
    bool markFindFirst();
    bool markFindPrior();
    bool markFindNext();
    bool markFindLast();

    // --- status texts ---
    QString recordCounterText() const;   // " %d von %d " or " %d gefiltert "
    QString markCounterText() const;     // "M : %d" or empty
    QString filterText() const;          // "Daten gefiltert" or empty

    static QString noMoreRecordsText() { return QStringLiteral("Kein (weiterer) Datensatz vorhanden"); }
    static QString noMoreMarksText() { return QStringLiteral("Kein (weiterer) Datensatz markiert"); }

signals:
    void filterChanged();
    void marksChanged();

private:
    QString currentId() const;
    bool inDepartment(const DataSet& row) const;
    bool withSearchMode(const std::function<bool()>& search);
    bool withMarkSearchMode(const std::function<bool()>& search);
    void hideUnmarked();

    Table& m_ladders;
    MarkListe& m_marks;
    const TLtFirmAbt& m_departments;
    LadderTextMatch m_match;
    int m_idField;
    int m_deptField;

    QSet<FilterKind> m_bits;
    QHash<FilterKind, QString> m_values;
    QString m_suchText;
    TextMatcher m_matcher;
    bool m_suchModus = false;
    bool m_markSuchModus = false;
    mutable QHash<int, bool> m_deptMemo;    // FirmenAbtID -> in the chosen subtree
    mutable quint64 m_deptMemoGeneration = 0;
};
