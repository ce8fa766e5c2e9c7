#include "DatumWaehlen.h"

#include "BrDateForm.h"
#include "Table.h"

bool DatumWaehlen(Field& field, QWidget* parent)
{
    const std::optional<QDate> chosen = TBrDateForm::choose(parent, field.isNull() ? QDate() : field.asDate());
    if (!chosen)
        return false;
    DataSet* ds = field.dataSet();
    if (ds->state() == DataSetState::Browse) {
        if (auto* table = qobject_cast<Table*>(ds))
            table->edit();
    }
    field.setValue(*chosen);
    return true;
}
