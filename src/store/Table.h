#pragma once
#include "DataSet.h"
#include "TableSecurity.h"

class Backend;
class Query;
class ResultCursor;
class SharedRows;

// A cursor on one table: states and hooks, the active index, key searches, master-detail
// range and writes that never overwrite a row another workstation changed meanwhile.
class Table : public DataSet {
    Q_OBJECT
public:
    explicit Table(const QString& tableName = QString(), QObject* parent = nullptr);
    ~Table() override;

    void setAlias(const QString& alias) { m_alias = alias; }
    QString alias() const { return m_alias; }
    void setTableName(const QString& name);
    QString tableName() const { return m_tableName; }
    void setExclusive(bool on) { m_exclusive = on; }
    bool exclusive() const { return m_exclusive; }
    void setReadOnly(bool on) { m_readOnly = on; }
    bool readOnly() const { return m_readOnly; }
    // The first cursor opening a large table reads its first rows in its index order and the
    // rest afterwards on the event loop (a counted table, a single integer key and an index
    // the database orders as the store does; otherwise everything at once).
    void setReadRestLater(bool on) { m_readRestLater = on; }

    // --- table level ---
    bool exists();
    void createTable(const TableDef& def);     // replaces nothing: fails when the table exists
    void deleteTable();
    // New table holding the rows and columns of an open query.
    static void createFromQuery(const QString& tableName, Query& query, const QString& alias = QStringLiteral("TARVINO"));
    const TableDef& tableDef() const { return m_def; }

    void open() override;
    void close() override;
    void refresh() override;
    // Re-reads when another workstation (or another cursor) wrote the table since the last read.
    bool changedElsewhere();
    bool refreshIfChanged();

    // --- active index ---
    // Field list of the active index ("Nr", "LT_ID;Datum"); empty: table order (primary key).
    void setIndexFieldNames(const QString& fields);
    QString indexFieldNames() const { return m_indexFields; }
    QList<IndexDef> indexDefs() const { return m_def.indexes; }
    const IndexDef* indexForFields(const QString& fields) const;
    // Exact search on the leading fields of the active index; no move when not found.
    bool findKey(const QVariantList& values);
    // First row at or after the values (last row when all are smaller).
    void findNearest(const QVariantList& values);
    // Key buffer searches: setKey(), write the index fields, then gotoKey() / gotoNearest().
    void setKey();
    bool gotoKey();
    void gotoNearest();

    // Puts this cursor on the row that another cursor of the same table shows.
    bool gotoCurrent(const Table& other);
    QVariantList primaryKeyValues() const;     // of the current row

    // --- editing ---
    void append();
    void insert();
    void edit();
    void post();
    void cancel();
    void remove();                             // Delete
    bool modified() const;
    void checkBrowseMode() override;

    using Hook = DataSet::Hook;
    Hook beforeInsert, afterInsert, beforeEdit, afterEdit, beforePost, afterPost, beforeCancel, afterCancel,
        beforeDelete, afterDelete, onNewRecord;

    // --- protection by passwords ---
    // What this cursor may do, decided by the engine's password list when it opened the table.
    const TableAccess& access() const { return m_access; }
    // Replaces or removes the table's protection. The cursor must be open exclusively with all
    // rights; it is opened again afterwards, with the passwords of the engine's list.
    void setProtection(const QString& master, const QList<SecurityDescriptor>& aux);
    void removeProtection();

    // --- master-detail ---
    // The rows whose leading index fields equal the master's fields; new rows get the key.
    void setMasterSource(DataSet* master, const QString& masterFields);
    DataSet* masterSource() const { return m_master; }

    // Another cursor of this process changed the rows this cursor shares with it: one row
    // (written, added or deleted), or all of them (-1) after a re-read.
    void sharedRowsChanged(int phys);
    // Memory of the rows this cursor shows (shared with the other cursors of the table).
    qint64 rowMemoryBytes() const;
    // The rest of the shared rows is read: every row is there now.
    void sharedRowsComplete();
    // A chunk of the rest arrived in the first screen's order: physical rows [from, to).
    void sharedRowsAppended(int from, int to);

protected:
    std::vector<int> orderedRows() const override;
    std::vector<int> orderForView() override;
    void writeValue(Field& f, const QVariant& v) override;
    void awaitFullLoad() const override;
    qint64 rowsBeyondView() const override;
    int rowsInOrder() const override;

private:
    void loadRows();
    bool canReadRestLater() const;
    void loadFirstScreen();
    QString orderKey() const;
    void attachSharedRows();
    void detachSharedRows();
    // Re-reads the shared rows in place; rows whose version did not move are kept as they are
    // when skipUnchanged (every write of the program moves the version).
    void rereadSharedRows(bool skipUnchanged);
    int sharedRowOf(ResultCursor& c) const;
    int compareKeyToResult(int phys, ResultCursor& c) const;
    void tellOtherCursors(int phys);
    // After this cursor wrote a row of the shared rows: the key order and the other cursors follow.
    void shareRowWrite(int phys, bool keyOrderChanged);
    bool rowLess(int a, int b) const;
    std::vector<int> sortedRows() const;
    // The index order changed or rows came or went: the order is built anew when next needed.
    void forgetOrder();
    void placeRow(int phys);
    void rebuildKeepingPlace();
    void catchUpView();
    QString selectList() const;
    QVariantList masterValues() const;
    QStringList rangeFields() const;
    void startInsert(bool atEnd);
    void rereadCurrent();
    int readRowByKey(const QVariantList& keyValues, int intoPhys);
    QStringList keyFields() const;
    void checkWritable() const;
    void checkProtectionChange() const;
    [[noreturn]] void refuseRights(const QString& what) const;
    void sortView();
    int compareRowToValues(int phys, const QStringList& fields, const QVariantList& values) const;
    int lowerBound(const QStringList& fields, const QVariantList& values) const;
    Backend& db() const;
    void onMasterChanged();
    void noteOwnWrite();

    QString m_alias = QStringLiteral("TARVINO");
    QString m_tableName;
    QString m_indexFields;
    bool m_exclusive = false;
    bool m_readOnly = false;
    bool m_readRestLater = false;
    bool m_locked = false;
    TableDef m_def;
    TableAccess m_access;
    DataSet* m_master = nullptr;
    QString m_masterFields;
    QMetaObject::Connection m_masterConn;
    QMetaObject::Connection m_masterResetConn;
    qint64 m_seenChange = -1;
    QVariantList m_rangeValues;
    mutable std::vector<int> m_sortCache;
    mutable bool m_sortCacheValid = false;
    bool m_viewIsOrder = false;                // the view holds every live row in index order
    std::vector<int> m_sortCols;
    std::vector<bool> m_sortCi;
    std::vector<int> m_keyCols;                // columns of the primary key
    std::shared_ptr<SharedRows> m_shared;      // rows shared with the other cursors of the table
    bool m_viewStale = false;                  // shared rows changed while this cursor was editing
    // The row as it was when editing began: another cursor may re-read the shared row meanwhile,
    // and the save must still be refused when another workstation changed it.
    QVariantList m_editKey;
    qint64 m_editVersion = 0;
};
