#pragma once
#include "Errors.h"
#include "UserRights.h"

#include <QObject>
#include <functional>

// A missing right; shown to the user in the error box.
class UserControlException : public HwError {
public:
    using HwError::HwError;
};

// The rights component: name and rights of the logged-in user. Every window that changes
// data asks it before inserting, editing or deleting. Inactive, it grants every right.
class TUserControl : public QObject {
    Q_OBJECT
public:
    explicit TUserControl(QObject* parent = nullptr);

    // Plain field; setting it notifies nobody.
    QString UserName;

    bool Active() const { return m_active; }
    void setActive(bool on);
    TUserRights Rights() const { return m_rights; }
    void setRights(TUserRights rights);

    // After Active or Rights took a different value, and by Change().
    std::function<void(TUserControl*)> OnChange;
    // When set, a missing right calls it and the action is abandoned silently.
    std::function<void(TUserRight)> OnRightError;

    // Whether the right is in Rights, regardless of Active.
    bool HasRight(TUserRight right) const { return m_rights.contains(right); }
    // Returns when granted; otherwise OnRightError and Abort, or UserControlException.
    void CheckRight(TUserRight right);
    void Change();

    // The refusal text of a right.
    static QString RightErrorText(TUserRight right);

private:
    bool m_active = false;
    TUserRights m_rights;
};
