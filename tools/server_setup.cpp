#include "Backend.h"
#include "Engine.h"
#include "Errors.h"
#include "ServerRollen.h"
#include "ServerUmstellung.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

// Sets up the server's own roles of a register on PostgreSQL, converts a register that ran
// with one shared role, and creates the first administrator. Run as a superuser of the
// server; the password of that login comes from ~/.pgpass or PGPASSWORD as for psql.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Richtet ein Holmwacht-Register auf einem PostgreSQL-Server so ein, dass der Server die Rechte durchsetzt: "
        "eine Anmelde-Rolle je Person, Gruppenrollen für die Rechte, alle Tabellen im Besitz einer Rolle, "
        "mit der sich niemand anmeldet."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("host"), QStringLiteral("Server (Name oder Adresse)"), QStringLiteral("host")});
    parser.addOption({QStringLiteral("port"), QStringLiteral("Port"), QStringLiteral("port")});
    parser.addOption({QStringLiteral("database"), QStringLiteral("Datenbank des Registers"), QStringLiteral("name"),
                      QStringLiteral("tarvino")});
    parser.addOption({QStringLiteral("user"), QStringLiteral("Superuser, mit dem eingerichtet wird"), QStringLiteral("rolle")});
    parser.addOption({QStringLiteral("praefix"), QStringLiteral("Anfang der Rollennamen (ein zweites Register auf demselben Server "
                                                                "braucht ein eigenes)"),
                      QStringLiteral("text"), QStringLiteral("hw_")});
    parser.addOption({QStringLiteral("admin"), QStringLiteral("legt den ersten Administrator an (Einmal-Passwort)"), QStringLiteral("name")});
    parser.addOption({QStringLiteral("umstellen"),
                      QStringLiteral("stellt ein Register um, das mit einer gemeinsamen Rolle lief: jeder Benutzer bekommt eine "
                                     "eigene Rolle mit Einmal-Passwort")});
    parser.process(app);

    ServerSettings s;
    s.host = parser.value(QStringLiteral("host"));
    s.port = parser.value(QStringLiteral("port")).toInt();
    s.database = parser.value(QStringLiteral("database"));
    s.user = parser.value(QStringLiteral("user"));
    const QString praefix = parser.value(QStringLiteral("praefix"));
    try {
        std::unique_ptr<Backend> db = createPgBackend(s.connInfo());
        QStringList bericht;
        QList<UmgestellterBenutzer> benutzer;
        if (parser.isSet(QStringLiteral("umstellen"))) {
            const ServerUmstellung u = ServerUmstellen(*db, praefix);
            bericht = u.bericht;
            benutzer = u.benutzer;
        } else {
            bericht = ServerRollen::einrichten(*db, praefix);
        }
        if (parser.isSet(QStringLiteral("admin"))) {
            UmgestellterBenutzer b;
            b.name = parser.value(QStringLiteral("admin"));
            b.rolle = ServerRollen::rollenName(b.name);
            b.passwort = ServerErsterAdministrator(*db, b.name);
            b.hinweis = QStringLiteral("erster Administrator, alle Rechte");
            benutzer << b;
        }
        for (const QString& z : bericht)
            printf("%s\n", qPrintable(z));
        if (!benutzer.isEmpty()) {
            printf("\nBenutzer (Anmeldename am Server, Einmal-Passwort; wird nur jetzt angezeigt und muss bei der ersten "
                   "Anmeldung geändert werden):\n");
            for (const UmgestellterBenutzer& b : benutzer)
                printf("  %-30s %-20s %-12s %s%s\n", qPrintable(b.name), qPrintable(b.rolle),
                       qPrintable(b.passwort.isEmpty() ? QStringLiteral("-") : b.passwort), b.gesperrt ? "gesperrt " : "",
                       qPrintable(b.hinweis));
        }
        printf("\nDie Arbeitsplätze brauchen kein Kennwort in ~/.pgpass oder PGPASSWORD mehr: in tarvino.ini genügen "
               "Server, Port und Database.\n");
        return 0;
    } catch (const HwError& e) {
        fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}
