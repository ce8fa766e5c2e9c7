#include "PruefKriterienWege.h"

#include "Dialogs.h"
#include "PruefForm.h"
#include "SicherSchreiben.h"
#include "Table.h"
#include "UserControl.h"

#include <QLocale>
#include <memory>

namespace PruefKriterienWege {

namespace {

QString pruefTitel(Table& leiter, Table& pruef, const QString& what)
{
    const QDate d = pruef.field(QStringLiteral("Datum")).asDate();
    const QString datum = d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    return QStringLiteral("%1 - %2 - %3 / %4")
        .arg(datum, what, QString::number(leiter.field(QStringLiteral("Nr")).asInteger()),
             leiter.field(QStringLiteral("KurzBez")).asString());
}

// An untouched record of the inspection cursor goes into edit state; on a ladder without
// inspections a new one is inserted (the cursor's hooks check the rights).
void pruefEdit(Table& pruef) { pruef.edit(); }

std::unique_ptr<TPruefForm> erlForm(Table& leiter, Table& pruef, QWidget* parent)
{
    auto form = std::make_unique<TPruefForm>(parent);
    form->TitelSetzen(pruefTitel(leiter, pruef, QStringLiteral("erledigte Prüfungen")));
    form->ErfFreigeben(pruef);
    form->SonstTextAnzeigen(leiter);
    form->ErlLaden(pruef);
    return form;
}

}

bool DetailListe(Table& leiter, TUserControl& rights, QWidget* parent)
{
    auto form = std::make_unique<TPruefForm>(parent);
    form->TitelSetzen(QStringLiteral("Stammdaten - %1 / %2")
                          .arg(QString::number(leiter.field(QStringLiteral("Nr")).asInteger()),
                               leiter.field(QStringLiteral("KurzBez")).asString()));
    form->ErfLaden(leiter);
    form->SonstTextLaden(leiter);
    if (Dialogs::exec(form.get()) != QDialog::Accepted)
        return false;
    sicherSchreiben(
        leiter,
        [&] {
            rights.CheckRight(crModify);
            leiter.edit();
        },
        [&] {
            form->ErfSpeichern(leiter);
            form->SonstTextSpeichern(leiter);
        });
    return true;
}

bool PruefSetzen(Table& leiter, Table& pruef, QWidget* parent)
{
    auto form = std::make_unique<TPruefForm>(parent);
    form->TitelSetzen(pruefTitel(leiter, pruef, QStringLiteral("erforderliche Prüfungen")));
    form->ErfLaden(pruef);
    form->SonstTextAnzeigen(leiter);
    if (Dialogs::exec(form.get()) != QDialog::Accepted)
        return false;
    sicherSchreiben(pruef, [&] { pruefEdit(pruef); }, [&] { form->ErfSpeichern(pruef); });
    return true;
}

bool ErlSetzen(Table& leiter, Table& pruef, QWidget* parent)
{
    auto form = erlForm(leiter, pruef, parent);
    if (Dialogs::exec(form.get()) != QDialog::Accepted)
        return false;
    sicherSchreiben(pruef, [&] { pruefEdit(pruef); }, [&] { form->ErlSpeichern(pruef); });
    return true;
}

void AutomErlSetzen(Table& leiter, Table& pruef, QWidget* parent)
{
    auto form = erlForm(leiter, pruef, parent);
    form->BAlleSetzenClick();
    sicherSchreiben(pruef, [&] { pruefEdit(pruef); }, [&] { form->ErlSpeichern(pruef); }, true);
}

}
