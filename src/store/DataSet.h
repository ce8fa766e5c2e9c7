#pragma once
#include "Errors.h"
#include "FieldDefs.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class DataSet;
class RowStore;

enum class DataSetState { Inactive, Browse, Edit, Insert, SetKey, CalcFields };

// The state label of every editing window: "Inaktiv", "" (browsing), "Ändern", "Neu", "SetKey", "Calc".
QString stateText(DataSetState state);

// One field of a cursor. Reads the current row (or the edit buffer while editing);
// writes go to the edit buffer and are checked against the definition.
class Field {
public:
    Field(DataSet* dataSet, FieldDef def, int index);

    DataSet* dataSet() const { return m_dataSet; }
    const FieldDef& def() const { return m_def; }
    QString name() const { return m_def.name; }
    FieldType type() const { return m_def.type; }
    FieldKind kind() const { return m_def.kind; }
    int index() const { return m_index; }

    QString displayLabel() const { return m_def.label(); }
    void setDisplayLabel(const QString& label) { m_def.displayLabel = label; }
    QString displayFormat() const { return m_def.displayFormat; }
    void setDisplayFormat(const QString& format) { m_def.displayFormat = format; }
    int displayWidth() const;
    void setDisplayWidth(int chars) { m_def.displayWidth = chars; }
    bool visible() const { return m_def.visible; }
    void setVisible(bool v) { m_def.visible = v; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool r) { m_readOnly = r; }
    bool required() const { return m_def.required; }
    void setRequired(bool r) { m_def.required = r; }
    void setBoolTexts(const QString& texts) { m_def.boolTexts = texts; }

    bool isNull() const;
    QVariant value() const;                 // invalid QVariant when empty
    // Checks range and hooks, then writes to the edit buffer. Throws EngineError / Abort.
    void setValue(const QVariant& value);
    void clear() { setValue(QVariant()); }

    QString asString() const;
    // Converts text to the field's type; "'%s' ist kein gültiger Integerwert für Feld '%s'" etc.
    void setAsString(const QString& text);
    int asInteger() const;
    double asFloat() const;
    bool asBoolean() const;                 // empty reads as false
    QDate asDate() const;
    QDateTime asDateTime() const;
    QString displayText() const;            // formatted by the display format

    // Called with the field holding the new value's candidate in `proposed`; throw to refuse.
    std::function<void(Field&, const QVariant& proposed)> onValidate;
    // After a value was written.
    std::function<void(Field&)> onChange;

    // Conversion of a text to this field's type without writing (throws the conversion message).
    QVariant convertText(const QString& text) const;
    // Formats any value of this field's type for display.
    QString formatValue(const QVariant& value) const;

private:
    friend class DataSet;
    DataSet* m_dataSet;
    FieldDef m_def;
    int m_index;
    bool m_readOnly = false;
};

// Base of Table and Query: an ordered, optionally filtered set of rows held in a compact
// column store, navigation, fields (stored, lookup, calculated) and the record filter.
class DataSet : public QObject {
    Q_OBJECT
public:
    explicit DataSet(QObject* parent = nullptr);
    ~DataSet() override;

    using Hook = std::function<void(DataSet&)>;
    using Bookmark = qint64;                // identity of a row while the cursor stays open

    // --- fields ---
    const std::vector<std::unique_ptr<Field>>& fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    Field& field(const QString& name) const;          // throws EngineError when unknown
    Field* findField(const QString& name) const;
    Field& fieldAt(int index) const { return *m_fields[size_t(index)]; }
    QVariant value(const QString& name) const { return field(name).value(); }
    void setValue(const QString& name, const QVariant& v) { field(name).setValue(v); }

    // Defined before open(): a lookup field and a calculated field.
    Field& addLookupField(const QString& name, int size, const QString& label, const QString& keyFields,
                          DataSet* lookupDataSet, const QString& lookupKeyFields,
                          const QString& lookupResultField);
    Field& addCalculatedField(const FieldDef& def);
    // Fills the calculated fields of the row in context (state CalcFields).
    Hook onCalcFields;

    // --- lifecycle ---
    virtual void open();
    virtual void close();
    // Before the cursor moves: a row in edit state is saved when changed, else dropped.
    virtual void checkBrowseMode() {}
    // Re-reads the rows from the store, keeping the current row where it still exists.
    virtual void refresh() { rebuildView(); }
    bool active() const { return m_state != DataSetState::Inactive; }
    DataSetState state() const { return m_state; }
    bool isEditing() const { return m_state == DataSetState::Edit || m_state == DataSetState::Insert; }

    // --- navigation over the visible rows ---
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const;
    int recordCount() const;                // visible rows
    int recNo() const;                      // 1-based; 0 without a current row
    void setRecNo(int recNo);
    Bookmark bookmark() const;
    bool bookmarkValid(Bookmark b) const;
    bool gotoBookmark(Bookmark b);          // false when the row is not visible any more
    // Case-insensitive, whole-value search over the visible rows from the first.
    bool locate(const QString& fields, const QVariantList& values, bool caseInsensitive = true,
                bool partialKey = false);
    // Value of resultField in the first row where keyFields = keyValues (no move).
    QVariant lookup(const QString& keyFields, const QVariantList& keyValues, const QString& resultField);

    // --- record filter ---
    std::function<bool(DataSet&)> onFilterRecord;
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }
    void refilter();                        // re-applies the filter after its conditions changed
    // Use the filter callback whether or not filtering is on; false (no move) when none.
    bool findFirst();
    bool findLast();
    bool findNext();
    bool findPrior();

    // --- events ---
    Hook afterOpen, beforeClose, afterClose, beforeScroll, afterScroll;

    // --- a large table whose rest is still read (Table::setReadRestLater)
    // A cursor that may show and move over the rows read so far (the main window's grid);
    // any other use of its rows, and every use of any other cursor's, waits for all of them.
    void setShowWhileLoading(bool on) { m_showWhileLoading = on; }
    bool showWhileLoading() const { return m_showWhileLoading; }
    bool rowsPending() const { return m_rowsPending; }
    // Reads the rows still missing now (searches, filters, reports: never on a half-read set).
    void waitForFullLoad() const
    {
        if (m_rowsPending)
            awaitFullLoad();
    }

    // Grids stop following the cursor while controls are disabled (counted).
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // --- row access for models (visible row index, 0-based) ---
    int viewRowCount() const;               // visible rows, plus the pending new row while inserting
    int currentViewRow() const;             // -1 when none
    QVariant valueAt(int viewRow, int fieldIndex) const;
    QString displayTextAt(int viewRow, int fieldIndex) const;
    void moveToViewRow(int viewRow);

    // Row context used while calculated fields or filters are evaluated for other rows.
    // Internal to the store; public for the lookup machinery.
    QVariant storedValue(int physRow, int fieldIndex) const;

signals:
    void rowsReset();                       // rows reloaded, order or filter changed
    // Rows of a large table read meanwhile join the view at a place: count of them at viewRow.
    void rowsAboutToBeAppended(int viewRow, int count);
    void rowsAppended();
    void rowChanged(int viewRow);
    void currentChanged();
    void stateChanged(DataSetState state);
    void fieldChanged(Field* field);

protected:
    // Subclasses fill the store: the stored fields are the first fields, in column order.
    void setStoredFields(const QList<FieldDef>& defs);
    RowStore& store() const { return *m_store; }
    // Rows held elsewhere (shared by several cursors of one table) instead of this cursor's own.
    void attachStore(std::shared_ptr<RowStore> rows) { m_store = std::move(rows); }
    void setState(DataSetState s);
    // Rebuilds the visible order from the store (sort + range + filter); keeps the row
    // identified by keepPhys when it is still visible.
    void rebuildView(qint64 keepPhys = -1);
    // Order of the physical rows before filtering; subclasses sort and restrict.
    virtual std::vector<int> orderedRows() const;
    // The order a view is rebuilt from; a cursor may hand over its cached order here.
    virtual std::vector<int> orderForView() { return orderedRows(); }
    int currentPhys() const;                // physical row of the current row; -1 when none
    void setCurrentPos(int pos);            // index into the view; clamps
    int viewPos() const { return m_pos; }
    const std::vector<int>& view() const { return m_view; }
    std::vector<int>& viewRef() { return m_view; }
    void notifyMoved();
    bool passesFilter(int physRow) const;
    void invalidateCalcCache();
    void resetNotify();

    // Rows of the table not read yet: partialOk when this cursor's view of the rows read so far
    // is the start of its order.
    void setRowsPending(bool pending, bool partialOk)
    {
        m_rowsPending = pending;
        m_partialOk = partialOk;
    }
    virtual void awaitFullLoad() const {}
    // Rows the table holds beyond this cursor's view while it is read (read or not yet).
    virtual qint64 rowsBeyondView() const { return 0; }
    // View rows that are the start of the whole order while the rest is read (rows this process
    // wrote meanwhile may stand after them).
    virtual int rowsInOrder() const { return int(m_view.size()); }
    // Plain row access: waits unless this cursor may work on the rows read so far.
    void needRows() const
    {
        if (m_rowsPending && !m_partialOk)
            awaitFullLoad();
    }

    // Edit buffer (one row) while Edit/Insert/SetKey.
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_bufferChanged;
    int m_insertPos = -1;                   // view position of the pending new row

    friend class Field;
    virtual QVariant currentValue(int fieldIndex) const;
    virtual void writeValue(Field& f, const QVariant& v);

private:
    QVariant computedValue(int physRow, int fieldIndex) const;
    QVariant lookupValue(int physRow, const Field& f) const;
    void fillCalcCache(int physRow) const;

    std::vector<std::unique_ptr<Field>> m_fields;
    std::shared_ptr<RowStore> m_store;
    std::vector<int> m_view;                // physical rows in visible order
    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;
    bool m_filtered = false;
    int m_disableCount = 0;
    bool m_showWhileLoading = false;
    bool m_rowsPending = false;
    bool m_partialOk = false;
    DataSetState m_state = DataSetState::Inactive;

    // Calculated values of physical rows; the context row while onCalcFields runs.
    mutable std::unordered_map<int, std::vector<QVariant>> m_calcCache;
    mutable int m_contextPhys = -1;
    mutable bool m_inCalc = false;
    int m_storedCount = 0;

    // Lookup caches: key text -> result, per lookup field index.
    struct LookupCache {
        quint64 sourceGeneration = 0;
        QHash<QString, QVariant> map;
    };
    mutable std::unordered_map<int, LookupCache> m_lookupCache;

public:
    // Changes whenever the rows are reloaded or written; lookups of other cursors rebuild on it.
    quint64 generation() const { return m_generation; }
protected:
    void bumpGeneration() { ++m_generation; }
private:
    quint64 m_generation = 1;
    friend class CalcContext;
};
