#pragma once
#include "TbcSuchDialog.h"

// Barcode search for scanners that type into the keyboard (or typing the number by hand).
class TbcSuchForm : public TbcSuchDialog {
    Q_OBJECT
public:
    explicit TbcSuchForm(QWidget* parent = nullptr);
};
