#include "TbcSuchForm.h"

TbcSuchForm::TbcSuchForm(QWidget* parent)
    : TbcSuchDialog(QStringLiteral("Suchen nach Leiternummer mit Barcode - Scanner"), parent)
{
    setObjectName(QStringLiteral("TbcSuchForm"));
}
