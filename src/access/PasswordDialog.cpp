#include "PasswordDialog.h"

#include "BenutzerRegeln.h"
#include "Dialogs.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int RowHeight = 32;

QFrame* row(QWidget* parent, const char* panelName, const QString& caption, QLineEdit*& edit, const char* editName,
            bool hidden)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(panelName));
    panel->setFixedHeight(RowHeight);
    auto* l = new QHBoxLayout(panel);
    l->setContentsMargins(8, 0, 8, 0);
    auto* label = new QLabel(caption, panel);
    label->setMinimumWidth(110);
    edit = new QLineEdit(panel);
    edit->setObjectName(QLatin1String(editName));
    edit->setMaxLength(31);
    if (hidden)
        edit->setEchoMode(QLineEdit::Password);
    label->setBuddy(edit);
    l->addWidget(label);
    l->addWidget(edit, 1);
    return panel;
}
}

TvekPasswordDialog::TvekPasswordDialog(Variante variante, const QString& titel, const QString& name,
                                       bool nameEditierbar, QWidget* parent)
    : QDialog(parent), m_variante(variante)
{
    setObjectName(QStringLiteral("TvekPasswordDialog"));
    setWindowTitle(variante == Variante::Abfrage      ? QStringLiteral("Paßwort - Abfrage")
                   : variante == Variante::Neueingabe ? QStringLiteral("Paßwort - Neueingabe")
                                                      : QStringLiteral("Paßwort - Änderung"));
    // A fixed dialog border: no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    auto* header = new QWidget(this);
    auto* hl = new QHBoxLayout(header);
    hl->setContentsMargins(8, 4, 8, 4);
    LabHeader = new QLabel(QStringLiteral("Programm :"), header);
    LabHeader->setObjectName(QStringLiteral("LabHeader"));
    LabHeaderName = new QLabel(titel, header);
    LabHeaderName->setObjectName(QStringLiteral("LabHeaderName"));
    QFont bold = LabHeaderName->font();
    bold.setBold(true);
    LabHeaderName->setFont(bold);
    hl->addWidget(LabHeader);
    hl->addWidget(LabHeaderName, 1);

    PanelUser = row(this, "PanelUser", QStringLiteral("&Benutzername:"), UserName, "UserName", false);
    PanelPassword1 = row(this, "PanelPassword1", QStringLiteral("&Paßwort:"), Password1, "Password1", true);
    PanelPassword2 = row(this, "PanelPassword2", QStringLiteral("Neues Paßwort:"), Password2, "Password2", true);
    PanelPassword3 = row(this, "PanelPassword3", QStringLiteral("Wiederholung :"), Password3, "Password3", true);
    for (QLineEdit* e : {Password2, Password3})
        e->setStyleSheet(QStringLiteral("QLineEdit { background: yellow; }"));

    UserName->setText(name);
    if (!nameEditierbar) {
        UserName->setEnabled(false);
        UserName->setStyleSheet(QStringLiteral("QLineEdit { background: palette(button); }"));
    }

    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);

    auto* l = new QVBoxLayout(this);
    l->setSpacing(0);
    l->addWidget(header);
    for (QFrame* p : {PanelUser, PanelPassword1, PanelPassword2, PanelPassword3})
        l->addWidget(p);
    l->addSpacing(8);
    l->addLayout(buttons);

    const bool nameFirst = nameEditierbar && name.isEmpty();
    switch (variante) {
    case Variante::Abfrage:
        PanelPassword2->hide();
        PanelPassword3->hide();
        (nameFirst ? UserName : Password1)->setFocus();
        break;
    case Variante::Neueingabe:
        PanelPassword1->hide();
        (nameFirst ? UserName : Password2)->setFocus();
        break;
    case Variante::Aenderung:
        (nameFirst ? UserName : Password1)->setFocus();
        break;
    }
    setFixedSize(340, sizeHint().height());
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

bool TvekPasswordDialog::focusOn(QWidget* w) const { return focusWidget() == w; }

void TvekPasswordDialog::moveFocus(QWidget* w)
{
    if (w->isVisibleTo(this) && w->isEnabled())
        w->setFocus();
}

void TvekPasswordDialog::refuse(QWidget* focus, const QString& message)
{
    moveFocus(focus);
    Dialogs::error(this, message);
}

bool TvekPasswordDialog::nameAndOldPassword()
{
    if (UserName->text().isEmpty()) {
        refuse(UserName, QStringLiteral("Fehler : Keinen Benutzer eingegeben"));
        return false;
    }
    // In the new-password variant the hidden old password takes no part.
    if (m_variante != Variante::Neueingabe && focusOn(UserName) && Password1->text().isEmpty()) {
        moveFocus(Password1);
        return false;
    }
    return true;
}

bool TvekPasswordDialog::PassWordCloseQuery() { return nameAndOldPassword(); }

bool TvekPasswordDialog::NewPassWordCloseQuery()
{
    if (!nameAndOldPassword())
        return false;
    auto silently = [this](QWidget* to) {
        moveFocus(to);
        return false;
    };
    if (focusOn(Password2) && Password3->text().isEmpty())
        return silently(Password3);
    if (focusOn(Password1) && Password2->text().isEmpty())
        return silently(Password2);
    if (focusOn(UserName) && Password2->text().isEmpty())
        return silently(Password2);
    auto clearBoth = [this] {
        Password2->clear();
        Password3->clear();
    };
    if (Password2->text() != Password3->text()) {
        clearBoth();
        refuse(Password2, QStringLiteral("Neues Paßwort bzw Wiederholung nicht korrekt eingegeben"));
        return false;
    }
    // The rule is the one of what is stored: spaces around the password do not count.
    const QString fehler = BenutzerRegeln::PasswortLaengeFehler(Password2->text());
    if (!fehler.isEmpty()) {
        if (!Password2->text().isEmpty())
            clearBoth();
        refuse(Password2, fehler);
        return false;
    }
    return true;
}

void TvekPasswordDialog::accept()
{
    const bool ok = m_variante == Variante::Abfrage ? PassWordCloseQuery() : NewPassWordCloseQuery();
    if (ok)
        QDialog::accept();
}

bool PasswortAbfrage(const QString& titel, QString& name, QString& passwort, bool nameEditierbar, QWidget* parent)
{
    TvekPasswordDialog d(TvekPasswordDialog::Variante::Abfrage, titel, name, nameEditierbar, parent);
    d.Password1->setText(passwort);
    if (Dialogs::exec(&d) != QDialog::Accepted)
        return false;
    name = d.UserName->text();
    passwort = d.Password1->text();
    return true;
}

bool PasswortNeueingabe(const QString& titel, QString& name, QString& neu, bool nameEditierbar, QWidget* parent)
{
    TvekPasswordDialog d(TvekPasswordDialog::Variante::Neueingabe, titel, name, nameEditierbar, parent);
    d.Password2->setText(neu);
    d.Password3->setText(neu);
    if (Dialogs::exec(&d) != QDialog::Accepted)
        return false;
    name = d.UserName->text();
    neu = d.Password2->text();
    return true;
}

bool PasswortAenderung(const QString& titel, QString& name, QString& alt, bool nameEditierbar, QString& neu,
                       QWidget* parent)
{
    TvekPasswordDialog d(TvekPasswordDialog::Variante::Aenderung, titel, name, nameEditierbar, parent);
    d.Password1->setText(alt);
    d.Password2->setText(neu);
    d.Password3->setText(neu);
    if (Dialogs::exec(&d) != QDialog::Accepted)
        return false;
    name = d.UserName->text();
    alt = d.Password1->text();
    neu = d.Password2->text();
    return true;
}
