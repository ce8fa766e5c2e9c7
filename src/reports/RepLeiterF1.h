#pragma once
#include "RepForm.h"

#include <memory>

class DataSetSource;
class ReportSubDetail;
class Table;

// Ladder card: master data, required criteria and texts of every selected ladder, optionally
// with the list of its inspections (A4 portrait).
class TRepLeiterF1 : public TRepForm {
public:
    explicit TRepLeiterF1(TDataModule1& dm);
    ~TRepLeiterF1() override;

    void SetErweitert(int index) override;
    void SetSeiteProLeiter(bool on) override;
    void SetPruefUebersicht(bool on) override;

    // The inspections of the ladder in print (LtPruef, by date).
    Table& LtPruef() const { return *m_ltPruef; }

protected:
    void openQueries() override;
    void closeQueries() override;

private:
    void buildBands();
    void switchBands();

    std::unique_ptr<Table> m_ltPruef;
    std::unique_ptr<DataSetSource> m_ltPruefSource;
    ReportSubDetail* m_liste = nullptr;
    ReportBand* m_kriterienEinfach = nullptr;
    ReportBand* m_kriterienErweitert = nullptr;
    ReportBand* m_listeKopfEinfach = nullptr;
    ReportBand* m_listeKopfErweitert = nullptr;
    ReportBand* m_zeileEinfach = nullptr;
    ReportBand* m_zeileErweitert = nullptr;
    bool m_erweitert = false;
    bool m_pruefUebersicht = false;
};
