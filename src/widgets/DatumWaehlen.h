#pragma once

class Field;
class QWidget;

// Opens the date picker on a date field (today when the field is empty). Only on OK the
// field's table goes into edit state, through its own beforeEdit hook and thus its rights
// check, and the field takes the chosen date; true then. Any other close leaves field and
// state untouched. Errors on the way go on to the caller.
bool DatumWaehlen(Field& field, QWidget* parent = nullptr);
