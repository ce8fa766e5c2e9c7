#pragma once

// Criteria handed from the selection window to a report form, with a text value. The
// numbering is shared with the main window's filter bits.
enum TRepFilterArt {
    rfLeiterArt = 0,
    rfMaterial = 1,
    rfFirma = 2,
    rfAbteilung = 3,
    rfLtPruefArt = 5,   // the ladder's own inspection kind
    rfSchrott = 6,
    rfPruefArt = 7,     // the inspection's kind
    rfPruefer = 8,
    rfMarkiert = 10,
};
