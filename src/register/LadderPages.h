#pragma once
#include <QFrame>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;
class TDataModule1;
class TDataSource;
class TDBCheckBox;
class TDBComboBox;
class TDBDateEdit;
class TDBEdit;
class TDBLookupComboBox;
class TDbTreeLookupComboBox;
class TDBMemo;
class TDBText;

// Page "Allgemein": the master data of the current ladder, every control bound to the ladder
// cursor of the data source.
class TLeiterAllgemeinPage : public QWidget {
    Q_OBJECT
public:
    TLeiterAllgemeinPage(TDataSource* source, TDataModule1& dm, QWidget* parent = nullptr);

    // Label and edit of the external number shown or not.
    void setExterneNrSichtbar(bool on);
    // Company list and supplier list of the two combo boxes.
    void FillFirmenListe();
    void FillLieferantenListe();
    // Suggestion list of the short description (read from "kurzbez.vor").
    void LadeVorschlaege();
    QStringList vorschlaege() const;

    // Scrap date shown exactly for scrapped ladders.
    void updateRowDisplay();

    TDBEdit* EditNr;
    TDBLookupComboBox* EditLookUpArt;
    TDBLookupComboBox* EditLookUpMaterial;
    TDBComboBox* EditKurzBez;
    QToolButton* SpBEditKurzBezItems;
    QLabel* LabelExtNr;
    TDBEdit* EditExtNrStr;
    TDBEdit* EditLtAnz;
    TDBEdit* EditStufenAnzahl;
    TDBEdit* EditLaenge;
    TDBEdit* EditLaengeBis;
    TDBEdit* EditGewicht;
    TDBDateEdit* EditAusgabeDatum;
    QToolButton* SpBAusgabeDatum;
    TDBComboBox* EditCoboFirmen;
    TDBDateEdit* EditErfasstDatum;
    QToolButton* SpBErfasstDatum;
    TDBComboBox* EditCoboLieferanten;
    TDBLookupComboBox* EditLookUpPruef;
    TDBCheckBox* EditCBSchrott;
    TDBDateEdit* EditSchrottDatum;
    QToolButton* SpBSchrottDatum;
    TDBDateEdit* EditReparaturDatum;
    QToolButton* SpBRepDatum;
    TDBDateEdit* EditPruefTermin;
    QToolButton* SpBPruefTermin;
    // Department: a node of the company, site and department tree.
    TDbTreeLookupComboBox* EditCoboAbt;
    TDBText* DBTextLAend;

    // The controls in tab order.
    QList<QWidget*> tabOrder() const;

public slots:
    void SpBAusgabeDatumClick();
    void SpBErfasstDatumClick();
    void SpBRepDatumClick();
    void SpBSchrottDatumClick();
    void SpBPruefTerminClick();
    void SpBEditKurzBezItemsClick();

private:
    void pickDate(TDBDateEdit* edit, const QString& fieldName);
    TDataSource* m_source;
    TDataModule1& m_dm;
};

// Page "Beschreibung": free text of the ladder.
class TLeiterBeschreibungPage : public QWidget {
    Q_OBJECT
public:
    explicit TLeiterBeschreibungPage(TDataSource* source, QWidget* parent = nullptr);
    TDBMemo* DBMemoBeschreibung;
};

// The column beside the pages: state label, "&OK" and "&Abbruch".
class TOkCancelPanel : public QFrame {
    Q_OBJECT
public:
    explicit TOkCancelPanel(QWidget* parent = nullptr);
    QLabel* LabelTableStatus;
    QPushButton* BOK;
    QPushButton* BCancel;
};
