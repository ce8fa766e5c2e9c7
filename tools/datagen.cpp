#include "Anmeldung.h"
#include "Backend.h"
#include "Catalog.h"
#include "DataGenerator.h"
#include "Engine.h"
#include "Errors.h"
#include "TabellenPasswoerter.h"
#include "UserState.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Schreibt ein Beispiel-Leiterregister in ein Datenverzeichnis."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("dir"), QStringLiteral("Datenverzeichnis"), QStringLiteral("pfad")});
    parser.addOption({QStringLiteral("companies"), QStringLiteral("Anzahl Firmen"), QStringLiteral("n"), QStringLiteral("3")});
    parser.addOption({QStringLiteral("ladders"), QStringLiteral("Anzahl Leitern"), QStringLiteral("n"), QStringLiteral("400")});
    parser.addOption({QStringLiteral("years"), QStringLiteral("Jahre Prüfgeschichte"), QStringLiteral("n"), QStringLiteral("6")});
    parser.addOption({QStringLiteral("seed"), QStringLiteral("Startwert des Zufallsgenerators"), QStringLiteral("n"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("demo"),
                      QStringLiteral("Demo-Register: Benutzer \"Demo\" (Passwort \"demo\", alle Rechte) und "
                                     "Master-Passwort \"master\" der Benutzertabelle. Nie für ein echtes Register.")});
    parser.process(app);
    if (!parser.isSet(QStringLiteral("dir"))) {
        fprintf(stderr, "--dir fehlt\n");
        return 2;
    }
    DataGeneratorOptions o;
    o.dataDir = QDir(parser.value(QStringLiteral("dir"))).absolutePath();
    o.companies = parser.value(QStringLiteral("companies")).toInt();
    o.ladders = parser.value(QStringLiteral("ladders")).toInt();
    o.years = qMax(1, parser.value(QStringLiteral("years")).toInt());
    o.seed = parser.value(QStringLiteral("seed")).toUInt();
    QDir().mkpath(o.dataDir);
    try {
        const DataGeneratorResult r = generateRegister(o);
        printf("%d Leitern, %d Prüfungen, %d Firmen/Standorte/Abteilungen in %s\n", r.ladders, r.inspections,
               r.departments, qPrintable(o.dataDir));
        if (parser.isSet(QStringLiteral("demo"))) {
            // A register for trying the program out: known credentials instead of the first set-up.
            Engine::instance().addSessionAlias(QStringLiteral("HWGEN"), o.dataDir, o.driver);
            UserState::BenutzerDatenbank = QStringLiteral("HWGEN");
            TabellenPasswoerter::SetLesePasswort(TabellenPasswoerter::LesePasswortBasis());
            ErsterAdministrator(QStringLiteral("Demo"), QStringLiteral("demo"), QStringLiteral("master"));
            // The phone records inspections only for a user who is an inspector too.
            Backend& db = Engine::instance().backend(QStringLiteral("HWGEN"));
            Transaction t(db);
            db.exec(QStringLiteral("INSERT INTO PRUEFER (KurzBez, Name, Vorname) VALUES (?, ?, ?)"),
                    {QStringLiteral("Demo"), QStringLiteral("Demo"), QStringLiteral("Prüfer")});
            Catalog::bumpChange(db, QStringLiteral("PRUEFER"));
            t.commit();
            printf("Demo-Benutzer \"Demo\" (Passwort \"demo\"), Master-Passwort \"master\"\n");
        }
    } catch (const HwError& e) {
        fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
