#include "AppConfig.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Engine.h"
#include "LeiterVerw.h"
#include "Startup.h"
#include "Table.h"
#include "TestSupport.h"

#include <QLabel>
#include <QTableView>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT

    static void writeFile(const QString& path, const QByteArray& text)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        Engine::instance().reset();
    }
    void cleanup() { Engine::instance().reset(); }

    void readsSettingsFile()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("tarvino.ini");
        writeFile(ini, "[System]\r\nNetFileDir=\\\\server\\net\r\nprivatedir = C:\\TEMPVEK\\A\r\n"
                       "[DATA]\r\nTarvino=/daten/tarvino\r\n[Other]\r\nTarvino=falsch\r\n");
        const StartSettings s = readStartSettings(ini);
        QCOMPARE(s.netFileDir, QString("\\\\server\\net"));
        QCOMPARE(s.privateDir, QString("C:\\TEMPVEK\\A"));
        QCOMPARE(s.dataPath, QString("/daten/tarvino"));
        // A missing file reads like one without keys, without a message.
        const StartSettings none = readStartSettings(dir.filePath("fehlt.ini"));
        QVERIFY(none.netFileDir.isEmpty() && none.privateDir.isEmpty() && none.dataPath.isEmpty());
    }

    // tarvino.ini beside the program wins, then the user's, then the system's; none: empty,
    // and the start's message names all three places.
    void settingsLookupOrder_data()
    {
        QTest::addColumn<QStringList>("present");   // program, user, system
        QTest::addColumn<bool>("xdgSet");
        QTest::addColumn<QString>("expected");
        QTest::newRow("program alone") << QStringList{"program"} << true << "program";
        QTest::newRow("user alone") << QStringList{"user"} << true << "user";
        QTest::newRow("user alone, no XDG_CONFIG_HOME") << QStringList{"user"} << false << "user";
        QTest::newRow("system alone") << QStringList{"system"} << true << "system";
        QTest::newRow("program and system") << QStringList{"program", "system"} << true << "program";
        QTest::newRow("user and system") << QStringList{"user", "system"} << true << "user";
        QTest::newRow("all three") << QStringList{"program", "user", "system"} << false << "program";
        QTest::newRow("none") << QStringList{} << true << "";
    }

    void settingsLookupOrder()
    {
        QFETCH(QStringList, present);
        QFETCH(bool, xdgSet);
        QFETCH(QString, expected);
        QTemporaryDir root;
        SettingsPlaces places;
        places.programDir = root.filePath("bin");
        places.homeDir = root.filePath("home");
        places.xdgConfigHome = xdgSet ? root.filePath("xdg") : QString();
        places.systemDir = root.filePath("etc");
        const QString userDir = xdgSet ? root.filePath("xdg/holmwacht") : root.filePath("home/.config/holmwacht");
        const QHash<QString, QString> files{{"program", root.filePath("bin/tarvino.ini")},
                                            {"user", userDir + "/tarvino.ini"},
                                            {"system", root.filePath("etc/holmwacht/tarvino.ini")}};
        // A folder of the same name is no settings file.
        QVERIFY(QDir().mkpath(files.value("program")));
        QVERIFY(QDir().rmdir(files.value("program")));
        for (const QString& place : present) {
            QVERIFY(QDir().mkpath(QFileInfo(files.value(place)).absolutePath()));
            writeFile(files.value(place), "[Data]\nTarvino=/daten/" + place.toUtf8() + "\n");
        }
        const QString found = findSettingsFile(places);
        QCOMPARE(found, files.value(expected));
        if (!found.isEmpty())
            QCOMPARE(readStartSettings(found).dataPath, "/daten/" + expected);
        const QString message = missingSettingsMessage(places);
        for (const QString& file : files)
            QVERIFY2(message.contains(file), qPrintable(message));
    }

    // A start without any settings file and without an alias of the engine's configuration ends
    // with that message; it never makes up a data directory. An alias of the engine's
    // configuration still serves as before.
    void startWithoutSettingsFile()
    {
        QTemporaryDir dir;
        SettingsPlaces places;
        places.programDir = dir.filePath("bin");
        places.homeDir = dir.filePath("home");
        places.systemDir = dir.filePath("etc");
        Engine::instance().setConfigFile(dir.filePath("engine.cfg"));
        try {
            loadStartSettings(places);
            QFAIL("started without settings");
        } catch (const HwError& e) {
            QVERIFY2(e.message().startsWith("Die Einstellungsdatei tarvino.ini wurde nicht gefunden"), qPrintable(e.message()));
            QVERIFY(e.message().contains(dir.filePath("etc/holmwacht/tarvino.ini")));
        }
        writeFile(dir.filePath("engine.cfg"), "[DATABASES\\TARVINO\\DB INFO]\nPATH=" + dir.path().toUtf8() + "\n");
        QVERIFY(loadStartSettings(places).dataPath.isEmpty());
        Engine::instance().setConfigFile(QString());
    }

    // The register on a server: the keys of [Data], and a start that cannot reach the server
    // or names no valid port ends with a German message and leaves no alias behind in use.
    void serverSettings_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");
        QTest::newRow("server down") << QByteArray("Server=127.0.0.1\nPort=1\nDatabase=lager\nUser=meier\n")
                                     << "Der Datenbankserver 127.0.0.1:1 ist nicht erreichbar.";
        QTest::newRow("port no number") << QByteArray("Server=db1\nPort=54x\n")
                                        << "Der Port '54x' in tarvino.ini ist keine gültige Portnummer";
    }

    void serverSettings()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString ini = dir.filePath("tarvino.ini");
        writeFile(ini, "[System]\nPrivateDir=" + dir.filePath("priv").toUtf8() + "\n[Data]\nTarvino=/daten\n" + data);
        const StartSettings s = readStartSettings(ini);
        QVERIFY(s.usesServer());
        try {
            configureEngine(s);
            QFAIL("started without a server");
        } catch (const HwError& e) {
            QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
        }
        if (s.port == "1") {
            QCOMPARE(s.database, QString("lager"));
            QCOMPARE(s.user, QString("meier"));
            QVERIFY_THROWS_EXCEPTION(EngineError, TDataModule1());
        }
    }

    void privateDirectory_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("creatable");
        QTest::newRow("nested, none present") << "A/B/C" << true;
        QTest::newRow("exists") << "." << true;
        QTest::newRow("below a file") << "datei/B" << false;
    }

    void privateDirectory()
    {
        QFETCH(QString, relative);
        QFETCH(bool, creatable);
        QTemporaryDir dir;
        writeFile(dir.filePath("datei"), "x");
        const QString wanted = QDir::cleanPath(dir.filePath(relative));
        try {
            QCOMPARE(ensurePrivateDir(wanted), wanted);
            QVERIFY(creatable);
            QVERIFY(QFileInfo(wanted).isDir());
        } catch (const HwError& e) {
            QVERIFY(!creatable);
            QCOMPARE(e.message(), QString("Das PrivateDir %1 konnte nicht angelegt werden").arg(wanted));
        }
    }

    void defaultPrivateDirIsInTemp()
    {
        QCOMPARE(QFileInfo(defaultPrivateDir()).fileName(), QString("TEMPVEK"));
        QCOMPARE(QFileInfo(defaultPrivateDir()).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    }

    // Without a data path in the settings the alias must come from the engine's own configuration.
    void aliasFromPersistentConfiguration()
    {
        TestDataDir data;
        Engine::instance().reset();
        QTemporaryDir cfgDir;
        const QString cfg = cfgDir.filePath("engine.cfg");
        writeFile(cfg, QString("[DATABASES\\TARVINO\\DB INFO]\nPATH=%1\n").arg(data.path()).toUtf8());
        Engine::instance().setConfigFile(cfg);
        StartSettings s;
        s.privateDir = cfgDir.filePath("priv");
        configureEngine(s);
        QCOMPARE(Engine::instance().configEntry("\\DATABASES\\TARVINO\\DB INFO", "PATH"), data.path());
        TDataModule1 dm;
        QVERIFY(dm.SLeiter->active());
        QCOMPARE(Engine::instance().privateDir(), s.privateDir);
    }

    void missingAliasOrDirectoryIsAnEngineError()
    {
        QTemporaryDir cfgDir;
        Engine::instance().setConfigFile(cfgDir.filePath("none.cfg"));
        StartSettings s;
        s.privateDir = cfgDir.filePath("priv");
        configureEngine(s);
        QVERIFY_THROWS_EXCEPTION(EngineError, TDataModule1());
        s.dataPath = cfgDir.filePath("nicht-da");
        configureEngine(s);
        try {
            TDataModule1 dm;
            QFAIL("opened a missing directory");
        } catch (const EngineError& e) {
            QVERIFY(e.message().contains("nicht-da"));
        }
    }

    void mainWindowShowsRegisterAndAsksBeforeClosing()
    {
        TestDataDir data;
        {
            Table t("LT_LEIT");
            t.open();
            for (int nr : {3, 1, 2}) {
                t.append();
                t.setValue("Nr", nr);
                t.setValue("KurzBez", QString("Leiter %1").arg(nr));
                t.post();
            }
        }
        TDataModule1 dm;
        TLeiterVerw w(dm);
        w.show();
        QCOMPARE(w.windowTitle(), QString("Leiter - Prüfungsverwaltung"));
        QCOMPARE(w.minimumSize(), QSize(604, 522));
        QCOMPARE(w.grid()->model()->rowCount(), 3);
        QCOMPARE(w.grid()->model()->index(0, 1).data().toString(), QString("1"));
        QCOMPARE(w.statusPanel(5)->text(), QString(" Vers: 1.60"));
        QCOMPARE(w.statusPanel(0)->text(), QString("<leer>"));

        Dialogs::scriptAnswer(false);
        QVERIFY(!w.close());
        QCOMPARE(Dialogs::shownTexts().last(), QString("Programm beenden?"));
        w.leiter()->edit();
        w.leiter()->setValue("KurzBez", "geändert");
        Dialogs::scriptAnswer(true);
        QVERIFY(w.close());
        QCOMPARE(Dialogs::shownTexts().last(), QString("Programm beenden?\nDaten noch nicht gespeichert"));
        Table check("LT_LEIT");
        check.setIndexFieldNames("Nr");
        check.open();
        QCOMPARE(check.value("KurzBez").toString(), QString("Leiter 1"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
