#include "BenutzerVerwaltung.h"

#include "Dialogs.h"
#include "PasswortHash.h"
#include "Table.h"
#include "UserState.h"
#include "XorHex.h"

namespace {
const QString Name = QStringLiteral("Name");
const QString Passwort = QStringLiteral("Passwort");
const QString AllgRechte = QStringLiteral("AllgRechte");
const QString Gesperrt = QStringLiteral("Gesperrt");
}

const QStringList& BenutzerVerwaltung::RechteFelder()
{
    static const QStringList names{"BenView", "BenInsert", "BenModify", "BenDelete", "BenPrint", "BenReport", "BenAdmin"};
    return names;
}

BenutzerVerwaltung::BenutzerVerwaltung(QObject* parent) : QObject(parent)
{
    Detail = new Table(QStringLiteral("Benutzer"), this);
    Detail->setAlias(UserState::BenutzerDatenbank.isEmpty() ? QStringLiteral("Benutzer") : UserState::BenutzerDatenbank);
    Detail->setIndexFieldNames(Name);

    static const QStringList trueTexts{"Seh", "Einf", "Änd", "Lös", "Dru", "Rep", "Adm"};
    for (int r = 0; r < UserRightCount; ++r) {
        FieldDef def;
        def.name = RechteFelder().at(r);
        def.type = FieldType::Boolean;
        def.kind = FieldKind::Calculated;
        def.displayLabel = trueTexts.at(r);
        def.boolTexts = trueTexts.at(r) + QLatin1Char(';');
        Detail->addCalculatedField(def);
    }
    Detail->onCalcFields = [this](DataSet&) { calcFields(); };
    Detail->beforePost = [this](DataSet&) { beforePost(); };
    Detail->onNewRecord = [](DataSet& ds) { ds.setValue(Gesperrt, false); };
}

void BenutzerVerwaltung::calcFields()
{
    const QString text = XorHexDecode(RechteSchluessel, Detail->field(AllgRechte).asString());
    for (int r = 0; r < UserRightCount; ++r)
        Detail->field(RechteFelder().at(r)).setValue(RechtImText(text, TUserRight(r)));
}

void BenutzerVerwaltung::beforePost()
{
    // Only the test uses the trimmed name; the name is stored as typed.
    if (Detail->field(Name).asString().trimmed().isEmpty() || !HatPasswort())
        throw HwError(QStringLiteral("Fehler : Benutzer oder Paßwort nicht eingegeben"));
    // Without the administration's check boxes (a password change) the stored rights stay as
    // they are: the read password may not write them.
    if (RechteZumSpeichern)
        Detail->setValue(AllgRechte, XorHexEncode(RechteSchluessel, RechteText(RechteZumSpeichern())));
}

bool BenutzerVerwaltung::FindBenutzer(const QString& name)
{
    return Detail->active() && Detail->findKey({name});
}

bool BenutzerVerwaltung::HatPasswort() const
{
    return !Detail->field(Passwort).asString().isEmpty();
}

bool BenutzerVerwaltung::PasswortPasst(const QString& passwort) const
{
    return PasswortHash::passt(Detail->field(Passwort).asString(), passwort);
}

void BenutzerVerwaltung::SetPasswort(const QString& passwort)
{
    Bearbeiten();
    const QString hash = PasswortHash::erzeugen(passwort);
    Detail->setValue(Passwort, hash.isEmpty() ? QVariant() : QVariant(hash));
}

bool BenutzerVerwaltung::CheckBenutzer(const QString& name, const QString& passwort)
{
    if (!FindBenutzer(name))
        return false;
    const Qt::CaseSensitivity cs = UserState::NameGrossKlein ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (Detail->field(Name).asString().compare(name, cs) != 0)
        return false;
    return PasswortPasst(passwort);
}

TUserRights BenutzerVerwaltung::BenutzerRechte(const QString& name, const QString& passwort)
{
    return CheckBenutzer(name, passwort) ? RechteAusDatensatz() : TUserRights();
}

bool BenutzerVerwaltung::BenutzerGesperrt(const QString& name, const QString& passwort)
{
    if (CheckBenutzer(name, passwort) && Detail->active())
        return Detail->field(Gesperrt).asBoolean();
    return true;
}

bool BenutzerVerwaltung::ChangeBenutzerPasswort(const QString& name, const QString& alt, const QString& neu)
{
    if (!CheckBenutzer(name, alt))
        return false;
    Bearbeiten();
    SetPasswort(neu);
    Speichern();
    return true;
}

TUserRights BenutzerVerwaltung::RechteAusDatensatz() const
{
    TUserRights rights;
    for (int r = 0; r < UserRightCount; ++r)
        if (Detail->field(RechteFelder().at(r)).asBoolean())
            rights.include(TUserRight(r));
    return rights;
}

void BenutzerVerwaltung::Bearbeiten()
{
    if (Detail->isEditing())
        return;
    try {
        Detail->edit();
    } catch (const EngineError&) {
        Dialogs::error(nullptr, QStringLiteral("OnEdit-Error : aufschreiben"));
        throw;
    }
}

void BenutzerVerwaltung::Speichern()
{
    try {
        Detail->post();
    } catch (const EngineError& e) {
        if (e.code() != EngineCode::KeyViolation)
            throw;
        Dialogs::warning(nullptr, QStringLiteral("Fehler : doppelter BenutzerName"));
        throw Abort();
    }
}
