#include "ActionGuard.h"

#include "Dialogs.h"
#include "Errors.h"

bool runGuarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const Abort&) {
    } catch (const HwError& e) {
        Dialogs::error(parent, e.message());
    } catch (const std::exception& e) {
        Dialogs::error(parent, QString::fromLocal8Bit(e.what()));
    }
    return false;
}
