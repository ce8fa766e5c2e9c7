#pragma once

class QPrinter;

// The printer chosen in "Druckerwahl ...": one for the run, used by everything that prints.
QPrinter* appPrinter();
