#pragma once
#include "BarcodeVektor.h"

#include <QDate>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariant>
#include <memory>

class RenderedReport;

// A sheet of labels (or one label for a label printer): paper, grid, label size and margins
// in millimetres. Places are counted from 0, row by row from the top left.
struct EtikettenFormat {
    QString id;              // key in the settings ("A4-3x8")
    QString name;            // shown in the window
    QSizeF papier;           // mm; for a label printer the label itself
    bool einzeln = false;    // the paper is one label: its size follows the label's
    int spalten = 1, zeilen = 1;
    double breite = 0, hoehe = 0;          // one label, mm
    double randLinks = 0, randOben = 0;    // first label from the paper's edge, mm
    double abstandX = 0, abstandY = 0;     // gap between neighbouring labels, mm

    int proSeite() const { return spalten * zeilen; }
    QSizeF papierMm() const { return einzeln ? QSizeF(breite, hoehe) : papier; }
    QRectF platz(int index) const;
    // The German reason why these labels do not fit on the paper; empty when they do.
    QString fehler() const;

    // A4 3 × 8 (70 × 37 mm), A4 2 × 7 (105 × 42 mm), a single label 62 × 29 mm.
    static QList<EtikettenFormat> standard();
};

// What a label shows besides its code.
struct EtikettInhalt {
    BarcodeArt art = BarcodeArt::QrCode;
    bool nr = true;
    bool kurzBez = true;
    bool abteilung = true;
    bool termin = true;
    bool freieZeile = false;
    QString freierText;      // e.g. the company
};

// One ladder's data for its label.
struct EtikettDaten {
    int id = 0;
    QVariant nr;             // invalid or null: no number
    QString kurzBez;
    QString abteilung;       // department path
    QDate termin;            // next due date
};

struct EtikettPlatz {
    int seite = 0;           // from 0
    int platz = 0;
};

namespace Etiketten {
// Where label i (from 0) goes when the sheet is used from start (1-based place) on.
EtikettPlatz platzFuer(const EtikettenFormat& format, int start, int i);
int seitenZahl(const EtikettenFormat& format, int start, int anzahl);

// The ladders whose code cannot be made, named for a message; empty when all can.
QString fehlendeCodes(const QList<EtikettDaten>& leitern);

// The labels as rendered pages: codes as vectors, texts shortened with "…" where they do not
// fit beside or above the code. Throws HwError when the format does not fit its paper, no
// ladder is given, or a ladder has no code (the message names it).
std::shared_ptr<RenderedReport> rendern(const EtikettenFormat& format, const EtikettInhalt& inhalt, int start,
                                        const QList<EtikettDaten>& leitern);
// The same sheets with the code's value as plain text instead of the code (benchmark floor).
std::shared_ptr<RenderedReport> rendernOhneCodes(const EtikettenFormat& format, const EtikettInhalt& inhalt,
                                                 int start, const QList<EtikettDaten>& leitern);
}
