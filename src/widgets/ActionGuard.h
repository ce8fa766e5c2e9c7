#pragma once
#include <functional>

class QWidget;

// Runs a user action the way the application's top-level handler treats errors: an HwError
// is shown in the error box with its German text, a silent Abort ends the action quietly.
// Handlers of windows use it so that an action ends cleanly whatever event loop runs them.
// Returns true when the action ran to its end.
bool runGuarded(QWidget* parent, const std::function<void()>& action);
