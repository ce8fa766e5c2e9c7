#pragma once
#include "FaelligeLeitern.h"

#include <QColor>
#include <optional>

class TLeiterGrid;
class Table;

// Colours of a due state, the same in the due list and in the ladder grid: strong enough to
// read on the grid's marked (yellow) and selected rows, with a text colour that reads on them.
std::optional<QColor> faelligFarbe(Faelligkeit status);
QColor faelligTextFarbe(Faelligkeit status);

// Paints the PruefTermin cell of the ladder grid in its due colour; every other cell is painted
// by the grid's own delegate. horizonDays tells how many days ahead count as due soon.
class FaelligGridFarben {
public:
    static void install(TLeiterGrid* grid, Table* leiter, std::function<int()> horizonDays);
};
