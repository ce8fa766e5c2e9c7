#pragma once
#include <functional>

class QAction;
class QObject;
class TLeiterVerw;

// The one way off an edited ladder, for every path that moves the cursor, re-reads the rows or
// opens a window on the stored rows: what the controls still hold goes into the row, which is
// saved as "OK" saves it. A refused save throws the field's message; the ladder then stays in
// edit where it was. Then the ladders still being read are read (with progress after a moment).
void leaveRecord(TLeiterVerw& window);

// Menu entries that leave the current record run the window's guard before their handler
// (TMainMenus::plug); when it throws, the entry does nothing more.
namespace MenuGuard {
void setGuard(const QObject* window, std::function<void()> guard);
void markLeaving(QAction* action);
void run(const QObject* window, const QAction* action);
} // namespace MenuGuard
