#pragma once
#include <QWidget>
#include <memory>

class PruefAktionen;
class QAction;
class QMenu;
class QPushButton;
class QToolButton;
class Table;
class TDataModule1;
class TDataSource;
class TDBMemo;
class TPruefGrid;
class TUserControl;

// The page "Prüfungsübersicht": the inspections of the current ladder in DBGridLtPruef with
// the row of buttons above it. Owns the inspection cursor LtPruef (detail of the ladder).
class TPruefungsSeite : public QWidget {
    Q_OBJECT
public:
    TPruefungsSeite(Table* leiter, TDataModule1& dm, TUserControl& rights, QWidget* parent = nullptr);
    ~TPruefungsSeite() override;

    Table* LtPruef() const { return m_pruef; }
    TPruefGrid* grid() const { return m_grid; }
    // The current inspection's remark, saved with the inspection.
    TDBMemo* bemerkung() const { return m_bemerkung; }
    QMenu* PruefPopupMenu() const { return m_popup; }
    QAction* VorschauPruefKontrollblatt() const { return m_vorschau; }
    QAction* DruckPruefKontrollblatt() const { return m_druck; }
    bool erweitert() const { return m_erweitert; }

    // Before the ladder cursor moves: saves the pending inspection (or drops an untouched one).
    // Throws when the save fails, so the move does not happen.
    void LeiterBeforeScroll();

public slots:
    // Simple (false) or extended (true) display of the page.
    void setErweitert(bool on);
    void BSetzeNeuTerminClick();
    void BPruefNeuClick();
    void SpBShowErfClick();
    void BAlleSetzenClick();
    void BPruefLoeClick();
    void BPruefAbbruchClick();
    void BPruefSpeichernClick();
    void BPruefSetzenClick();
    void BErledigtSetzenClick();
    void BAutomErledigtSetzenClick();
    void DBGridLtPruefEditButtonClick();

signals:
    // Context menu entries, once the control sheet exists: the inspection's ID and
    // whether the extended display is on.
    void VorschauKontrollblatt(int pruefId, bool erweitert);
    void DruckKontrollblatt(int pruefId, bool erweitert);

private:
    template <class F>
    void aktion(F&& f);
    void ausfuehren(const std::function<void()>& f);
    void nurLesendeErlSpalten();
    void bemerkungNurLesend();
    void kontrollblatt(bool druck);

    Table* m_leiter;
    TDataModule1& m_dm;
    TUserControl& m_rights;
    Table* m_pruef = nullptr;
    TPruefGrid* m_grid = nullptr;
    TDataSource* m_quelle = nullptr;
    TDBMemo* m_bemerkung = nullptr;
    std::unique_ptr<PruefAktionen> m_aktionen;
    QMenu* m_popup = nullptr;
    QAction* m_vorschau = nullptr;
    QAction* m_druck = nullptr;
    QToolButton* m_showErf = nullptr;
    bool m_erweitert = true;
};
