#include "AppPrinter.h"

#include <QCoreApplication>
#include <QPrinter>

namespace {
QPrinter* g_printer = nullptr;
}

QPrinter* appPrinter()
{
    if (!g_printer) {
        g_printer = new QPrinter(QPrinter::HighResolution);
        // Gone with the application, before the print system shuts down.
        qAddPostRoutine([] {
            delete g_printer;
            g_printer = nullptr;
        });
    }
    return g_printer;
}
