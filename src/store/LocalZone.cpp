#include "LocalZone.h"

#include <QFileInfo>
#include <QtGlobal>
#include <ctime>

void systemZoneOnceOnly()
{
#if defined(Q_OS_LINUX)
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QStringLiteral("/etc/localtime")))
        return;
    qputenv("TZ", QByteArrayLiteral(":/etc/localtime"));
    tzset();
#endif
}
