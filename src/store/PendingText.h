#pragma once
#include <QObject>
#include <functional>

class DataSet;

// Controls bound to a cursor hand over what they hold typed but not yet written, so that
// whichever way a row is left, a change counts the same whatever control it was typed in.
// A handler throws the field's refusal; the move then stops and the row stays in edit.
namespace PendingText {
void addHandler(DataSet& dataSet, const QObject* owner, std::function<void()> handler);
void removeHandlers(const QObject* owner);
// Runs the handlers of the cursor (a row in edit state only).
void take(DataSet& dataSet);
} // namespace PendingText
