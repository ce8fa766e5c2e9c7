#pragma once
#include <functional>

class Table;

// Writes into the current record so that a failure leaves it as it was: an edit begun here
// is cancelled, a record that was already being edited gets its earlier values back.
// beginEdit puts the record into edit or insert state (rights are checked there).
// With post the record is saved as the last step.
void sicherSchreiben(Table& table, const std::function<void()>& beginEdit, const std::function<void()>& write,
                     bool post = false);
