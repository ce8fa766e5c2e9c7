#pragma once
#include "RepForm.h"

// Inspection overview: one row per selected inspection with its ladder (A4 landscape, 8 pt).
class TRepLtPruefF1 : public TRepForm {
public:
    explicit TRepLtPruefF1(TDataModule1& dm);

    void SetErweitert(int index) override;

private:
    void buildBands();

    ReportBand* m_kopfEinfach = nullptr;
    ReportBand* m_kopfErweitert = nullptr;
    ReportBand* m_zeileEinfach = nullptr;
    ReportBand* m_zeileErweitert = nullptr;
};
