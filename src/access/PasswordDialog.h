#pragma once
#include "BenutzerRegeln.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;

// The one form for every password entry ("Login"), shown in three variants: query (name and
// password), new password (twice) and change (old password, new one twice). Closing with OK
// runs the variant's check first; a check either moves the focus on (Enter walks through the
// fields) or shows an error and keeps the form open. Cancel always closes.
class TvekPasswordDialog : public QDialog {
    Q_OBJECT
public:
    enum class Variante { Abfrage, Neueingabe, Aenderung };

    TvekPasswordDialog(Variante variante, const QString& titel, const QString& name, bool nameEditierbar,
                       QWidget* parent = nullptr);

    static constexpr int PasswortMinLaenge = BenutzerRegeln::PasswortMinLaenge;
    static constexpr int PasswortMaxLaenge = BenutzerRegeln::PasswortMaxLaenge;

    QLabel* LabHeader;
    QLabel* LabHeaderName;
    QFrame* PanelUser;
    QLineEdit* UserName;
    QFrame* PanelPassword1;
    QLineEdit* Password1;
    QFrame* PanelPassword2;
    QLineEdit* Password2;
    QFrame* PanelPassword3;
    QLineEdit* Password3;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    void accept() override;

private:
    bool PassWordCloseQuery();
    bool NewPassWordCloseQuery();
    // The first two steps shared by both checks; false: refused.
    bool nameAndOldPassword();
    bool focusOn(QWidget* w) const;
    void moveFocus(QWidget* w);
    void refuse(QWidget* focus, const QString& message);

    Variante m_variante;
};

// The three variants; true when closed with OK, then the fields are handed back.
bool PasswortAbfrage(const QString& titel, QString& name, QString& passwort, bool nameEditierbar,
                     QWidget* parent = nullptr);
bool PasswortNeueingabe(const QString& titel, QString& name, QString& neu, bool nameEditierbar,
                        QWidget* parent = nullptr);
bool PasswortAenderung(const QString& titel, QString& name, QString& alt, bool nameEditierbar, QString& neu,
                       QWidget* parent = nullptr);
