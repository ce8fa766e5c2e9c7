#pragma once
#include "DataSet.h"

#include <QDialog>

class BenutzerVerwaltung;
class CursorModel;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class QToolButton;
class TDataSource;
class TDBCheckBox;
class TDBText;
class Table;

// "Stammdaten : Benutzerverwaltung": the users of the user table, their rights and lock,
// and the master password of the table. Reached only through AdminModus, which asks the
// master password first; the table is opened with it.
class TSBenutzerVerw : public QDialog {
    Q_OBJECT
public:
    explicit TSBenutzerVerw(QWidget* parent = nullptr);
    ~TSBenutzerVerw() override;

    BenutzerVerwaltung* Verwaltung;
    Table* Detail;
    TDataSource* DetailSource;

    QTableView* DBGridDetail;
    QToolButton* SpBNeu;
    QToolButton* SpBLoeschen;
    TDBText* DBTextName;
    QLabel* LabPassVorh;
    TDBCheckBox* DBCheckBox1;
    QList<QCheckBox*> RechteBoxen;      // cbBenView ... cbBenAdmin, in member order
    QToolButton* SpBAlleRechte;
    QPushButton* BPasswNeu;
    QPushButton* BChangeMasterPw;
    QPushButton* BOk;
    QPushButton* BCancel;
    QLabel* LabelTableStatus;
    QLabel* LabAdmin;
    QLabel* LabExclusive;
    QPushButton* BEnde;

    // "Benutzer : %s  " with the operator's name.
    void SetAdminName(const QString& name);
    // Shared or exclusive use of the table, open or closed; a refusal of the engine is
    // announced and ends the switch without an error.
    void SetTabellenModus(bool exklusiv, bool offen);
    // The master password change: old one checked against MasterPasswort, new one twice.
    void ChangeMasterPasswort();

    void SpBNeuClick();
    void SpBLoeschenClick();
    void SpBAlleRechteClick();
    void BPasswNeuClick();
    void BOkClick();
    void BCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void stateChange(DataSetState state);
    void rowShown();
    void rightTicked();

    CursorModel* m_model;
    bool m_showingRow = false;
};

// The administration entry: asks the master password (the read password never opens it),
// opens the user table (exclusively when AdminExklusiv) and shows the window. A refusal of
// the engine is announced and the window not shown. Afterwards the password list is empty,
// the table closed and shared, the password-request hook the one before. A table without
// master password is refused. master: set just before (first set-up), not asked again.
void AdminModus(const QString& operatorName, QWidget* parent = nullptr, const QString& master = QString());
// The engine's password request during the administration entry: asks for the master
// password until it is not the read password; adds it to the password list. False on Cancel.
bool AskMasterPasswort(QWidget* parent = nullptr);
