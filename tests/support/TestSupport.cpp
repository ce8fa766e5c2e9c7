#include "TestSupport.h"

#include "Dialogs.h"

void resetDialogsForTest()
{
    Dialogs::setTestMode(true);
    Dialogs::reset();
}
