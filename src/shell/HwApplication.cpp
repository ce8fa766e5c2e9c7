#include "HwApplication.h"

#include "Dialogs.h"
#include "Errors.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

HwApplication::HwApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Holmwacht"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

bool HwApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Abort&) {
    } catch (const HwError& e) {
        Dialogs::error(activeWindow(), e.message());
    } catch (const std::exception& e) {
        Dialogs::error(activeWindow(), QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void HwApplication::installGermanTranslations()
{
    auto* qt = new QTranslator(this);
    if (qt->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qt);
}
