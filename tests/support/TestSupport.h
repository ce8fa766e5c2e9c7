#pragma once
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Puts the dialog wrapper into test mode and clears its log; call in init().
void resetDialogsForTest();

#ifdef HW_TESTS_HAVE_ACCESS
#include "UserRights.h"
// Every test program starts with all seven rights granted to the (not logged-in) user, and
// UserState::reset() keeps granting them, so that tests written without a login can edit
// while the program is built with user administration. A test that checks refusals either
// sets the rights component itself or calls this with the rights it wants (until the next
// call, also across UserState::reset()).
void grantRightsForTest(TUserRights rights = TUserRights::all());
#endif

// Appends one row to a table of the test's register through a cursor (the store's own rules
// and defaults apply) and returns its key: the field keyField, the table's first field when
// keyField is empty, 0 when the table has no such field.
#include <QVariantMap>
int addTestRow(const QString& table, const QVariantMap& values, const QString& keyField = QStringLiteral("ID"));

// A data directory of its own for one test: a temporary directory registered as the alias
// TARVINO (the schema is created on first use), also used as network control directory.
//
// With HW_TEST_BACKEND=pgsql the alias names a fresh database on the test server instead
// (HW_TEST_PGHOST, HW_TEST_PGPORT, HW_TEST_PGUSER; the password from PGPASSWORD); it is
// dropped again at the end. The temporary directory stays for private files.
class TestDataDir {
public:
    TestDataDir();
    ~TestDataDir();
    QString path() const { return m_dir.path(); }
    bool isValid() const { return m_dir.isValid(); }

    static bool onServer();
    // Registers one more alias on the same data: a second workstation in this process.
    void addAlias(const QString& alias) const;
    // What a child process needs to register the alias itself (Engine::addSessionAlias).
    QString driver() const { return m_driver; }
    QString location() const { return m_location; }

private:
    QTemporaryDir m_dir;
    QString m_driver;
    QString m_location;
    QString m_database;
};
