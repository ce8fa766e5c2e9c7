#include "UserControl.h"

TUserControl::TUserControl(QObject* parent) : QObject(parent) {}

void TUserControl::setActive(bool on)
{
    if (m_active == on)
        return;
    m_active = on;
    Change();
}

void TUserControl::setRights(TUserRights rights)
{
    if (m_rights == rights)
        return;
    m_rights = rights;
    Change();
}

void TUserControl::Change()
{
    if (OnChange)
        OnChange(this);
}

void TUserControl::CheckRight(TUserRight right)
{
    if (!m_active || HasRight(right))
        return;
    if (OnRightError) {
        OnRightError(right);
        throw Abort();
    }
    throw UserControlException(RightErrorText(right));
}

QString TUserControl::RightErrorText(TUserRight right)
{
    switch (right) {
    case crView: return QStringLiteral("Keine Berechtigung zum Ansehen von Datensätzen vorhanden");
    case crInsert: return QStringLiteral("Keine Berechtigung zum Einfügen von Datensätzen vorhanden");
    case crModify: return QStringLiteral("Keine Berechtigung zum Ändern von Datensätzen vorhanden");
    case crDelete: return QStringLiteral("Keine Berechtigung zum Löschen von Datensätzen vorhanden");
    case crPrint: return QStringLiteral("Keine Berechtigung zum Drucken von Datensätzen vorhanden");
    case crCalcReport: return QStringLiteral("Keine Berechtigung für Reports erstellen vorhanden");
    default:
        // crAdmin has no text of its own; it is only ever asked with HasRight.
        return QStringLiteral("Unbekannter Aufruf - bei Berechtigungen");
    }
}
