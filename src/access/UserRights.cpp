#include "UserRights.h"

QString RechteText(TUserRights rights)
{
    QString text;
    for (int r = 0; r < UserRightCount; ++r)
        text += rights.contains(TUserRight(r)) ? QStringLiteral("01") : QStringLiteral("00");
    return text;
}

bool RechtImText(const QString& text, TUserRight right)
{
    if (right >= UserRightCount)
        return false;
    return QStringView(text).mid(2 * right, 2) == u"01";
}

TUserRights RechteAusText(const QString& text)
{
    TUserRights rights;
    for (int r = 0; r < UserRightCount; ++r)
        if (RechtImText(text, TUserRight(r)))
            rights.include(TUserRight(r));
    return rights;
}
