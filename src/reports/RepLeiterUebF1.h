#pragma once
#include "RepForm.h"

// Ladder overview: two lines per selected ladder (A4 portrait, 8 pt).
class TRepLeiterUebF1 : public TRepForm {
public:
    explicit TRepLeiterUebF1(TDataModule1& dm);

private:
    void buildBands();
};
