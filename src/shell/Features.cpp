#include "Features.h"

void plugFeatures(TLeiterVerw& window)
{
    plugInspections(window);
    plugBarcode(window);
    plugMasterData(window);
    plugSearchAndFilters(window);
    plugReports(window);
    plugAccess(window);
    plugDue(window);
    plugHistory(window);
    plugTransfer(window);
    plugLabels(window);
}
