#pragma once
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Puts the dialog wrapper into test mode and clears its log; call in init().
void resetDialogsForTest();

// A data directory of its own for one test: a temporary directory registered as the alias
// TARVINO (the schema is created on first use), also used as network control directory.
class TestDataDir {
public:
    TestDataDir();
    ~TestDataDir();
    QString path() const { return m_dir.path(); }
    bool isValid() const { return m_dir.isValid(); }
private:
    QTemporaryDir m_dir;
};
