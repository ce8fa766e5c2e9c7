#include "TabellenPasswoerter.h"

#include "Engine.h"
#include "Errors.h"
#include "Table.h"
#include "XorHex.h"

namespace {
QString g_lesePasswort = QStringLiteral("lesen");

void requireExclusive(const Table& table)
{
    if (!table.active() || !table.exclusive())
        throw HwError(QStringLiteral("Tabelle muß exklusiv geöffnet sein!"));
}
}

namespace TabellenPasswoerter {

QString LesePasswort() { return g_lesePasswort; }

QString LesePasswortBasis() { return QStringLiteral("Hlmw7"); }

void SetLesePasswort(const QString& basis)
{
    if constexpr (LesePasswortModus == 0) {
        g_lesePasswort = basis;
    } else if constexpr (LesePasswortModus == 1) {
        const QString trimmed = basis.trimmed();
        if (trimmed.size() < 5)
            throw HwError(QStringLiteral("Lesepasswort zu kurz"));
        g_lesePasswort = XorHexEncode(QStringLiteral("40817"), trimmed);
    } else {
        g_lesePasswort = QStringLiteral("leserr");
    }
}

SecurityDescriptor LesePasswortDescriptor(const QString& lesePasswort)
{
    SecurityDescriptor d;
    d.password = lesePasswort;
    d.tableRight = TableRight::Modify;
    d.writableFields = {QStringLiteral("Passwort")};
    return d;
}

void TabellenPasswortEntfernen(Table& table)
{
    requireExclusive(table);
    table.removeProtection();
}

void TabellenPasswortSetzen(Table& table, const QString& master, const QString& hilfsPasswort)
{
    Engine::instance().addPassword(master);
    requireExclusive(table);
    table.setProtection(master, {LesePasswortDescriptor(hilfsPasswort)});
}

}
