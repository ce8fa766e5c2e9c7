#pragma once
#include "Progress.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Backend;

// What an import did, table by table, for the German summary.
struct ImportTableResult {
    QString table;                 // "LT_LEIT"
    QString file;                  // file name as found in the source directory
    QString codePage;              // "Windows-1252", "DOS 850"
    qint64 read = 0;               // rows in the file
    qint64 imported = 0;
    qint64 refused = 0;
    QStringList extraColumns;      // in the file, unknown to the register: not taken over
    QStringList missingColumns;    // in the register, not in the file: left at their default
};

struct ImportReport {
    QList<ImportTableResult> tables;
    QStringList refusals;          // "LT_LEIT Zeile 7: Leiter-Nr 12 doppelt (schon bei ID 3)"
    QStringList notes;             // shortened texts and similar changes of a value
    QStringList replaced;          // "Prüfer: 5 Zeilen": what the import replaced
    QStringList danglingLinks;     // "3 Prüfungen verweisen auf keine Leiter (LT_ID 40, 41, 99)"
    bool committed = false;

    qint64 refusedRows() const;
    // German summary, one line per fact; nothing that was left out is missing from it.
    // maxListed >= 0 names at most that many refused rows and changed values, then the count
    // of the others (for a message box; the command-line tool lists all).
    QString summary(int maxListed = -1) const;
    // The same without the first line (for the question before anything is decided).
    QString details(int maxListed = -1) const;
};

// Takes over a register kept as Paradox tables (LT_LEIT.DB, LT_PRUEF.DB and the master tables)
// into the register of an alias, column by column by name, keeping the IDs so links stay
// intact.
//
// Refused rows and the transaction: every row is checked while it is read; a row that cannot
// be taken over as it is (duplicate key or ladder number, a date that is no date, a required
// value missing) is left out and named in the report. All accepted rows are written in one
// transaction; before it is committed, confirmRefusals is asked when rows were refused, and
// when it says no (or is not set) the transaction is rolled back and the register stays as it
// was. A damaged file, a database error or a cancel always rolls back everything.
//
// The change history gets one row per table taken over (and per table replaced), with the
// source file and the number of rows, in the same transaction: the old register had no
// history, so its rows enter as the starting state rather than as a change per field.
class ParadoxImport {
public:
    explicit ParadoxImport(QString sourceDir);
    ~ParadoxImport();

    // Checks the directory: which tables are there, headers and file lengths. Throws HwError
    // with a German message when there is no table or a file is damaged; nothing is written.
    void check();
    QStringList tablesFound() const;   // register table names, in import order

    // Replace the rows of a target that already holds ladders (otherwise refused).
    void setReplaceExisting(bool on) { m_replace = on; }
    // Asked before commit when rows were refused; true commits the rest.
    void setConfirmRefusals(std::function<bool(const ImportReport&)> confirm) { m_confirm = std::move(confirm); }
    void setProgress(ProgressCallback progress) { m_progress = std::move(progress); }

    // Runs the import into the alias's register. Throws HwError (nothing changed) on bad input
    // and while another workstation works with the register;
    // Abort when the user cancelled or declined the refused rows (nothing changed; the
    // report of the run is still available through report()).
    ImportReport run(const QString& alias = QStringLiteral("TARVINO"));
    const ImportReport& report() const { return m_report; }

    // Throws HwError naming the others while another workstation works with the register
    // (run() checks it first; the window asks before its questions).
    static void requireAlone(const QString& alias = QStringLiteral("TARVINO"));

    // Ladders in the register of the alias (the question before replacing names it).
    static qint64 ladderCount(const QString& alias = QStringLiteral("TARVINO"));

private:
    struct OpenTable;                      // the table file and its memo file, opened by check()
    struct Source {
        QString table;
        QString path;
        QString memoPath;
        std::shared_ptr<OpenTable> file;
    };
    void importTable(Backend& db, const Source& src, ProgressThrottle& progress, qint64& done, qint64 total);
    void findDanglingLinks(Backend& db);
    QString sourceFile(const ImportTableResult& r) const;

    QString m_dir;
    QList<Source> m_sources;
    bool m_replace = false;
    QHash<QString, qint64> m_rowVersion;   // table -> version of the rows it takes over
    struct Taken;                          // keys and link values of the rows taken over
    std::unique_ptr<Taken> m_taken;
    std::function<bool(const ImportReport&)> m_confirm;
    ProgressCallback m_progress;
    ImportReport m_report;
};
