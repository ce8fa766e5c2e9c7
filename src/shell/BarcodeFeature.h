#pragma once

class TLeiterVerw;

// Start-up, once the main window exists: reads the scanner port settings of tarvino.ini and
// creates the serial barcode window hidden (each search creates its own dialog).
void createSerialBarcodeWindow(TLeiterVerw& window);
