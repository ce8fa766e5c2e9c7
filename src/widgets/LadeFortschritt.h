#pragma once
#include <functional>
#include <memory>

class LoadWait;
class QString;
class QWidget;

// Progress while an action waits for the rest of a large table: a window over parent once the
// wait has taken longer than a moment.
std::function<std::unique_ptr<LoadWait>(const QString& table)> loadProgressFactory(QWidget* parent);

// How often the progress window was shown (tests).
int loadProgressShownCount();
