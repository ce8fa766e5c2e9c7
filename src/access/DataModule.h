#pragma once
#include "Table.h"
#include "UserControl.h"

#include <QObject>

// The shared data module: one open cursor per master table for lookups, two cursors on the
// ladder table (number operations, copy source), the department table and the rights
// component. Created at start-up before the main window and kept for the whole run.
// It lives beside the rights component, which it owns.
class TDataModule1 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule1(QObject* parent = nullptr);   // opens its cursors
    // The same on another alias (a web session's own connection); not the start-up's one.
    // Without the ladder lists, SLeiter and LeiterOrg stay closed (a phone's pages read one
    // ladder at a time); SLeiter is opened by the first number operation.
    enum class LeiterListen { Oeffnen, Geschlossen };
    TDataModule1(const QString& alias, QObject* parent, LeiterListen leiterListen = LeiterListen::Oeffnen);
    ~TDataModule1() override;

    static TDataModule1* instance();                    // the one created at start-up
    QString alias() const { return m_alias; }

    Table* SLeiterArten;    // larten.db, ID
    Table* SMaterial;       // material.db, ID
    Table* SPruef;          // pr_tab.db, Nr
    Table* StPruefer;       // pruefer.db, ID
    Table* SLeiter;         // LT_LEIT.DB, Nr: number operations, never filtered
    Table* LeiterOrg;       // LT_LEIT.DB, ID: source row when a ladder is copied
    Table* StFirmAbtList;   // firmen.db, table order
    Table* LtFirmAbtSort;   // ZwFirmSort.DB, Nr, exclusive; not opened here
    // The one rights component; inactive (every right granted) without user administration.
    TUserControl* DataUserControl;

    // True when a ladder has this number.
    bool LeiterNrVorhanden(int nr);
    // Highest ladder number; 0 without ladders.
    int MaxLeiterNr();
    // Smallest number >= start that no ladder has.
    int FreieLeiterNrAb(int start);

private:
    QString m_alias;
    Table* makeCursor(const QString& table, const QString& index);
    // Other cursors and workstations add ladders; the number operations must see them.
    void syncLadders();
};
