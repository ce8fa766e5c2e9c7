#pragma once
#include "RepForms.h"

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPrinter;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QToolButton;
class TDataModule1;
class TDbTreeLookupComboBox;
class TRepForm;
class TUserControl;

// "Leiter- Prüfungsverwaltung - Listen": one tab per report and one selection panel that
// every tab shows. Created for one use; shown modally, or not at all when the main window
// prints a report of the current ladder or the inspection list a control sheet.
class TRepMenue : public QDialog {
    Q_OBJECT
public:
    // marks: the marked ladders (ID texts), copied for "nur markierte Daten drucken".
    explicit TRepMenue(TDataModule1& dm, const QStringList& marks = {}, QWidget* parent = nullptr);
    ~TRepMenue() override;

    // The rights component; with it the "&Druck" buttons follow crPrint.
    void SetUserControl(TUserControl* rights);
    void SetLeiterNr(int nr);
    void SetPruefArtAnzeige(int index);
    void VorschauEinzelKontrollblatt(int pruefId);
    void DruckEinzelKontrollblatt(int pruefId);

    // Start handlers: from the tab's "&Vorschau" they preview, from its "&Druck" they print.
    void LeiterKartei(QObject* sender);
    void LeiterUebersicht(QObject* sender);
    void PruefUebersicht(QObject* sender);
    void PruefBlattBearbeiter(QObject* sender);
    void AusgabeCountBlatt(QObject* sender);
    void FaelligePruefungen(QObject* sender);

    // The tab's buttons, 0..5 in tab order.
    QPushButton* vorschauButton(int tab) const { return m_vorschau[tab]; }
    QPushButton* druckButton(int tab) const { return m_druck[tab]; }
    QTabWidget* pageControl() const { return PageControl1; }
    QComboBox* auswahl() const { return CoboAuswahl; }

    // "E&xport" beside "&Vorschau": the form with its selection goes to this hook instead of
    // the preview (set by the program; without it the buttons stay hidden).
    static std::function<void(TRepForm& form, QWidget* parent)>& exportHook();
    QPushButton* exportButton(int tab) const { return m_export[tab]; }

    // The printer chosen with "D&rucker" (the application's printer).
    static std::shared_ptr<QPrinter> chosenPrinter();

    QTabWidget* PageControl1;
    QFrame* PanAuswahl;
    QComboBox* CoboAuswahl;
    QStackedWidget* NotebookAuswahl;
    QLineEdit *EditNrV, *EditNrB;
    QLineEdit *EditDateV, *EditDateB;
    QToolButton *SpBVon, *SpBBis;
    QLineEdit *EditKurzBezV, *EditKurzBezB;
    QComboBox *CoboLeiterArt, *CoboMaterial, *CoboFirmen, *CoboPruefungsArt, *CoboPrPruefer, *CoboLeiterPrgPruefArt;
    TDbTreeLookupComboBox* DbTreeLookupAbt;
    QToolButton* SpbAbtLoe;
    QCheckBox *cbMarkierte, *CbOhneSchrott;
    QComboBox *LtKCoboSortiert, *LtUebCoboSortiert, *LtPUebCoboSortiert, *LtKontrBCoboSortiert;
    QCheckBox *LtKCbSeiteProLeiter, *LtKCbDruckPruefUebersicht;
    QCheckBox *LtKontrBCbPrintErledigt, *LtKontrBCbPrintMaschBewertung;
    QCheckBox* LtCountCbAllFirmAbtShow;
    QLineEdit* FaelligEditBis;
    QPushButton *BDruckerConfig, *BEnde;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    QWidget* buildTab(int tab, const QString& name, const QString& caption);
    void buildPanel();
    void fillList(QComboBox* box, class DataSet* table, const QString& keyField);
    void PlaceAuswahlPanel();
    void CoboAuswahlChange();
    void BDruckerConfigClick();
    void pickDate(QLineEdit* edit);
    QDate dateOf(QLineEdit* edit) const;
    int numberOf(QLineEdit* edit) const;
    // Runs one start; errors are shown, the form is discarded in any case.
    void starten(TRepArt art, QObject* sender);
    void run(TRepArt art, bool preview, bool exportieren = false);
    std::unique_ptr<TRepForm> createForm(TRepArt art);
    void output(TRepForm& form, bool preview, const QString& question);
    void einzelKontrollblatt(int pruefId, bool preview);

    TDataModule1& m_dm;
    QStringList m_marks;
    TUserControl* m_rights = nullptr;
    QPushButton* m_vorschau[6] = {};
    QPushButton* m_druck[6] = {};
    QPushButton* m_export[6] = {};
    QComboBox* m_sort[6] = {};
};
