#include "BenutzerRegeln.h"

#include "Engine.h"
#include "TabellenPasswoerter.h"
#include "Table.h"

namespace BenutzerRegeln {

QString PasswortLaengeFehler(const QString& passwort)
{
    const qsizetype n = passwort.trimmed().size();
    if (n == 0)
        return QStringLiteral("Fehler : Kein neues Paßwort eingegeben");
    if (n < PasswortMinLaenge)
        return QStringLiteral("Fehler : Paßwort zu kurz (Min = %1 Zeichen)").arg(PasswortMinLaenge);
    if (n > PasswortMaxLaenge)
        return QStringLiteral("Fehler : Paßwort zu lang (Max = %1 Zeichen)").arg(PasswortMaxLaenge);
    return QString();
}

QString MasterPasswortFehler(const QString& neu)
{
    if (neu.trimmed().compare(TabellenPasswoerter::LesePasswort(), Qt::CaseInsensitive) == 0)
        return KeinMasterText;
    return QString();
}

bool IstAdministrator(const BenutzerStand& b) { return b.rechte.contains(crAdmin) && !b.gesperrt; }

QString LetzterAdminFehler(const QList<BenutzerStand>& gespeichert, qint64 id,
                           const std::optional<BenutzerStand>& nachher)
{
    bool warAdmin = false;
    bool andereAdmins = false;
    for (const BenutzerStand& b : gespeichert) {
        if (b.id == id)
            warAdmin = IstAdministrator(b);
        else if (IstAdministrator(b))
            andereAdmins = true;
    }
    if (!warAdmin || andereAdmins || (nachher && IstAdministrator(*nachher)))
        return QString();
    const QString naechsterSchritt =
        QStringLiteral("\nGeben Sie zuerst einem anderen Benutzer das Recht \"Admin - Verwaltungsrechte\".");
    if (!nachher)
        return QStringLiteral("Der letzte Benutzer mit Verwaltungsrecht kann nicht gelöscht werden.") + naechsterSchritt;
    if (nachher->gesperrt)
        return QStringLiteral("Der letzte Benutzer mit Verwaltungsrecht kann nicht gesperrt werden.") + naechsterSchritt;
    return QStringLiteral("Dem letzten Benutzer mit Verwaltungsrecht kann dieses Recht nicht genommen werden.")
        + naechsterSchritt;
}

Schutz BenutzerTabellenSchutz(const QString& alias)
{
    Backend& db = Engine::instance().backend(alias);
    if (TableSecurity::isProtected(db, QStringLiteral("Benutzer")))
        return Schutz::Geschuetzt;
    // Unprotected: anyone may open it, so the count needs no password.
    Table t(QStringLiteral("Benutzer"));
    t.setAlias(alias);
    t.open();
    return t.isEmpty() ? Schutz::Leer : Schutz::OhneSchutzMitBenutzern;
}

}
