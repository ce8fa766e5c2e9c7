#include "BenutzerVerwaltung.h"

#include "BenutzerRegeln.h"
#include "Backend.h"
#include "Dialogs.h"
#include "Engine.h"
#include "ServerLogin.h"
#include "ServerRollen.h"
#include "ServerUmstellung.h"
#include "PasswortHash.h"
#include "Query.h"
#include "Table.h"
#include "UserState.h"
#include "XorHex.h"

#include <optional>

namespace {
const QString Name = QStringLiteral("Name");
const QString Passwort = QStringLiteral("Passwort");
const QString AllgRechte = QStringLiteral("AllgRechte");
const QString Gesperrt = QStringLiteral("Gesperrt");

// A hash of a password nobody knows, made as the stored ones are: an unknown name costs the
// same check as a known one, so that timing does not tell which names exist.
const QString KeinBenutzerHash =
    QStringLiteral("$argon2id$v=19$m=65536,t=2,p=1$kkJvqoJqv2bkyy2/Zazzew$M8/29MOENVQgZEBdZaWBhUnUrfoDJHCbLr9oKzkQoy0");
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
    Detail->beforeDelete = [this](DataSet&) { letzterAdminBleibt(true); };
    Detail->onNewRecord = [this](DataSet& ds) {
        m_serverPasswort.clear();
        ds.setValue(Gesperrt, false);
    };
    Detail->afterCancel = [this](DataSet&) { m_serverPasswort.clear(); };
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
    if (Detail->state() == DataSetState::Edit)
        letzterAdminBleibt(false);
    if (AufServer())
        serverSpeichern();
}

void BenutzerVerwaltung::letzterAdminBleibt(bool loeschen)
{
    // Against the rows as stored now, not as this cursor read them.
    Query q;
    q.setAlias(Detail->alias());
    q.setSql(QStringLiteral("SELECT ID, AllgRechte, Gesperrt FROM Benutzer"));
    q.open();
    QList<BenutzerRegeln::BenutzerStand> gespeichert;
    for (int r = 0, n = q.recordCount(); r < n; ++r)
        gespeichert << BenutzerRegeln::BenutzerStand{
            q.valueAt(r, 0).toLongLong(), RechteAusText(XorHexDecode(RechteSchluessel, q.valueAt(r, 1).toString())), q.valueAt(r, 2).toBool()};
    std::optional<BenutzerRegeln::BenutzerStand> nachher;
    if (!loeschen)
        nachher = BenutzerRegeln::BenutzerStand{
            Detail->field(QStringLiteral("ID")).asInteger(),
            RechteAusText(XorHexDecode(RechteSchluessel, Detail->field(AllgRechte).asString())),
            Detail->field(Gesperrt).asBoolean()};
    const QString fehler = BenutzerRegeln::LetzterAdminFehler(gespeichert, Detail->field(QStringLiteral("ID")).asInteger(), nachher);
    if (!fehler.isEmpty())
        throw HwError(fehler);
}

void BenutzerVerwaltung::LoeschenPruefen() { letzterAdminBleibt(true); }

bool BenutzerVerwaltung::FindBenutzer(const QString& name)
{
    return Detail->active() && Detail->findKey({name});
}

bool BenutzerVerwaltung::AufServer() const { return ServerLogin::roles(Detail->alias()); }

bool BenutzerVerwaltung::HatPasswort() const
{
    // On the server a stored user's password is the role's; a new row needs one typed, unless
    // its role is there already (the first administrator made by the set-up).
    if (AufServer())
        return Detail->state() != DataSetState::Insert || !m_serverPasswort.isEmpty()
            || ServerRollen::vorhanden(Engine::instance().backend(Detail->alias()), Detail->field(Name).asString());
    return !Detail->field(Passwort).asString().isEmpty();
}

bool BenutzerVerwaltung::PasswortPasst(const QString& passwort) const
{
    return PasswortHash::passt(Detail->field(Passwort).asString(), passwort);
}

void BenutzerVerwaltung::SetPasswort(const QString& passwort)
{
    Bearbeiten();
    if (AufServer()) {
        m_serverPasswort = passwort.trimmed();
        return;
    }
    const QString hash = PasswortHash::erzeugen(passwort);
    Detail->setValue(Passwort, hash.isEmpty() ? QVariant() : QVariant(hash));
}

bool BenutzerVerwaltung::CheckBenutzer(const QString& name, const QString& passwort)
{
    const Qt::CaseSensitivity cs = UserState::NameGrossKlein ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (!FindBenutzer(name) || Detail->field(Name).asString().compare(name, cs) != 0) {
        PasswortHash::passt(KeinBenutzerHash, passwort);
        return false;
    }
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
    // Editing reads the row again: the old password must match the row as stored now (a
    // stale copy may still hold a password changed at another workstation), and saving
    // refuses a row changed after that.
    Bearbeiten();
    if (!PasswortPasst(alt)) {
        Detail->cancel();
        return false;
    }
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

void BenutzerVerwaltung::serverSpeichern()
{
    Backend& db = Engine::instance().backend(Detail->alias());
    const QString neu = Detail->field(Name).asString().trimmed();
    const int bits = ServerBits(RechteAusText(XorHexDecode(RechteSchluessel, Detail->field(AllgRechte).asString())));
    const bool gesperrt = Detail->field(Gesperrt).asBoolean();
    QString alt = neu;
    if (Detail->state() == DataSetState::Edit) {
        // The role carries the name as stored, not as this cursor read it.
        auto c = db.select(QStringLiteral("SELECT Name FROM Benutzer WHERE ID = ?"), {Detail->field(QStringLiteral("ID")).asInteger()});
        if (c->next())
            alt = c->textValue(0);
    }
    if (ServerRollen::vorhanden(db, alt)) {
        ServerRollen::aendern(db, alt, neu, bits, gesperrt);
        if (!m_serverPasswort.isEmpty())
            ServerRollen::passwortSetzen(db, neu, m_serverPasswort);
    } else if (!m_serverPasswort.isEmpty()) {
        ServerRollen::anlegen(db, neu, m_serverPasswort, bits, gesperrt);
    } else {
        throw HwError(QStringLiteral("Für den Benutzer %1 gibt es am Datenbankserver keine Anmelde-Rolle: "
                                     "bitte mit \"Paßwort neu..\" ein Passwort vergeben.")
                          .arg(neu));
    }
}

void BenutzerVerwaltung::Loeschen()
{
    if (!AufServer()) {
        Detail->remove();
        return;
    }
    Backend& db = Engine::instance().backend(Detail->alias());
    Transaction t(db);
    const QString name = Detail->field(Name).asString();
    if (ServerRollen::vorhanden(db, name))
        ServerRollen::loeschen(db, name);
    Detail->remove();
    t.commit();
}

void BenutzerVerwaltung::Speichern()
{
    // On the server the role changes in the transaction of the row: both or neither.
    std::optional<Transaction> t;
    if (AufServer())
        t.emplace(Engine::instance().backend(Detail->alias()));
    try {
        Detail->post();
        if (t)
            t->commit();
        m_serverPasswort.clear();
    } catch (const EngineError& e) {
        if (e.code() != EngineCode::KeyViolation)
            throw;
        Dialogs::warning(nullptr, QStringLiteral("Fehler : doppelter BenutzerName"));
        throw Abort();
    }
}
