#include "HwApplication.h"

#include "Dialogs.h"
#include "Errors.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The icons are compiled into the shell's static library; a static library's resources are
// registered by hand.
static void initIconResource() { Q_INIT_RESOURCE(icons); }

HwApplication::HwApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    initIconResource();
    setApplicationName(QStringLiteral("Holmwacht"));
    // The desktop's menu entry and the window belong together through this name.
    setDesktopFileName(QStringLiteral("de.holmwacht.Holmwacht"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/holmwacht-48.png"));
    icon.addFile(QStringLiteral(":/icons/holmwacht-256.png"));
    setWindowIcon(icon);
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
