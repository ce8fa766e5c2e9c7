#include "Backend.h"
#include "Catalog.h"
#include "Engine.h"
#include "Errors.h"
#include "Table.h"
#include "TestSupport.h"
#include "Verlauf.h"

#include <QApplication>
#include <QProcess>
#include <QtTest>

// The change history written by the store: rows per changed field, nothing for a refused
// change, kept when a ladder goes, and a chain that finds changes made behind the program.
class TestVerlauf : public QObject {
    Q_OBJECT

private:
    struct Row {
        QString aktion, feld, alt, neu, benutzer;
        qint64 dsId = 0;
    };

    static Backend& db(const QString& alias = "TARVINO") { return Engine::instance().backend(alias); }

    static QList<Row> rows(const QString& table)
    {
        QList<Row> out;
        auto c = db().select("SELECT Aktion, Feld, Alt, Neu, Benutzer, DS_ID FROM LT_VERLAUF WHERE Tabelle = ? ORDER BY ID",
                             {table});
        while (c->next())
            out << Row{c->textValue(0), c->textValue(1), c->textValue(2), c->textValue(3), c->textValue(4), c->intValue(5)};
        return out;
    }

    static qint64 count(const QString& sql)
    {
        auto c = db().select(sql);
        return c->next() ? c->intValue(0) : -1;
    }

    static int addLadder(Table& t, int nr, const QString& text)
    {
        t.append();
        t.setValue("Nr", nr);
        t.setValue("KurzBez", text);
        t.setValue("PrMaterial", true);
        t.post();
        return t.field("ID").asInteger();
    }

    static int addInspection(Table& p, int ladderId, const QDate& date)
    {
        p.append();
        p.setValue("LT_ID", ladderId);
        p.setValue("Datum", date);
        p.setValue("PrMaterial", true);
        p.post();
        return p.field("ID").asInteger();
    }

    // Changes the history with the database's own tool where there is one (sqlite3), as
    // someone with the file would.
    static void behindTheProgram(const TestDataDir& dir, const QString& sql)
    {
        if (TestDataDir::onServer()) {
            db().exec(sql);
            return;
        }
        QProcess p;
        p.start("sqlite3", {dir.path() + "/tarvino.sqlite", sql});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
    }

private slots:
    void init()
    {
        resetDialogsForTest();
    }

    void editOfTwoFieldsWritesTwoFieldRows()
    {
        TestDataDir dir;
        Engine::instance().setUserName("Meier");
        Table t("LT_LEIT");
        t.open();
        const int id = addLadder(t, 7, "Stehleiter");
        const qint64 before = count("SELECT COUNT(*) FROM LT_VERLAUF");
        t.edit();
        t.setValue("KurzBez", "Anlegeleiter");
        t.setValue("PruefTermin", QDate(2027, 3, 1));
        t.setValue("LAend", QDateTime(QDate(2026, 1, 1), QTime(9, 0)));
        t.post();
        QCOMPARE(count("SELECT COUNT(*) FROM LT_VERLAUF") - before, 2);
        const QList<Row> r = rows("LT_LEIT").mid(int(before));
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0].aktion, QString("Geändert"));
        QCOMPARE(r[0].feld, QString("KurzBez"));
        QCOMPARE(r[0].alt, QString("Stehleiter"));
        QCOMPARE(r[0].neu, QString("Anlegeleiter"));
        QCOMPARE(r[1].feld, QString("PruefTermin"));
        QCOMPARE(r[1].alt, QString());
        QCOMPARE(r[1].neu, QString("2027-03-01"));
        for (const Row& x : r) {
            QCOMPARE(x.benutzer, QString("Meier"));
            QCOMPARE(x.dsId, qint64(id));
        }
        // The insert before it named its non-empty fields; a save without a change adds nothing.
        const QList<Row> all = rows("LT_LEIT");
        QCOMPARE(all.first().aktion, QString("Neu"));
        QStringList inserted;
        for (const Row& x : all.mid(0, int(before)))
            inserted << x.feld + "=" + x.neu;
        QCOMPARE(inserted, QStringList({"Nr=7", "KurzBez=Stehleiter", "PrMaterial=1"}));
        t.edit();
        t.setValue("KurzBez", "Anlegeleiter");
        t.post();
        QCOMPARE(count("SELECT COUNT(*) FROM LT_VERLAUF"), before + 2);
    }

    void withoutLoginTheSystemUserIsRecorded()
    {
        TestDataDir dir;
        Engine::instance().setUserName(QString());
        Table t("MATERIAL");
        t.open();
        t.append();
        t.setValue("KurzBez", "Holz");
        t.post();
        const QList<Row> r = rows("MATERIAL");
        QCOMPARE(r.size(), 1);
        QVERIFY(!r[0].benutzer.isEmpty());
        QCOMPARE(r[0].benutzer, Verlauf::benutzer());
        QVERIFY(r[0].benutzer != "<leer>");
    }

    void refusedChangeWritesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("code");
        QTest::newRow("changed by another workstation") << "conflict" << int(EngineCode::RecordChanged);
        QTest::newRow("delete of a row changed elsewhere") << "deleteConflict" << int(EngineCode::RecordChanged);
        QTest::newRow("required field empty") << "required" << int(EngineCode::RequiredField);
        QTest::newRow("key taken (unique number)") << "key" << int(EngineCode::KeyViolation);
        QTest::newRow("read-only cursor") << "readonly" << int(EngineCode::InsufficientRights);
    }

    void refusedChangeWritesNothing()
    {
        QFETCH(QString, how);
        QFETCH(int, code);
        TestDataDir dir;
        dir.addAlias("ZWEITER");
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "Eins");
        addLadder(t, 2, "Zwei");
        t.first();
        const qint64 before = count("SELECT COUNT(*) FROM LT_VERLAUF");
        int got = 0;
        try {
            if (how == "conflict" || how == "deleteConflict") {
                Table other("LT_LEIT");
                other.setAlias("ZWEITER");
                other.open();
                other.first();
                other.edit();
                other.setValue("KurzBez", "von dort");
                other.post();
                const qint64 afterOther = count("SELECT COUNT(*) FROM LT_VERLAUF");
                QCOMPARE(afterOther, before + 1);
                if (how == "conflict") {
                    t.edit();
                    // edit() re-reads: make the conflict after it, as a slower save would meet it
                    other.edit();
                    other.setValue("KurzBez", "noch einmal");
                    other.post();
                    t.setValue("KurzBez", "von hier");
                    t.post();
                } else {
                    t.remove();
                }
            } else if (how == "required") {
                t.edit();
                t.setValue("KurzBez", QVariant());
                t.post();
            } else if (how == "key") {
                t.edit();
                t.setValue("Nr", 2);
                t.post();
            } else if (how == "readonly") {
                Table ro("LT_LEIT");
                ro.setReadOnly(true);
                ro.open();
                ro.first();
                ro.edit();
            }
        } catch (const EngineError& e) {
            got = e.code();
        }
        QCOMPARE(got, code);
        // Only the other workstation's saves are in the history.
        const qint64 others = how == "conflict" ? 2 : how == "deleteConflict" ? 1 : 0;
        QCOMPARE(count("SELECT COUNT(*) FROM LT_VERLAUF"), before + others);
        QVERIFY(Verlauf::pruefen(db()).intakt);
        if (t.isEditing())
            t.cancel();
    }

    void deletedLadderKeepsItsHistory()
    {
        TestDataDir dir;
        Engine::instance().setUserName("Meier");
        Table t("LT_LEIT");
        t.open();
        const int keep = addLadder(t, 1, "bleibt");
        const int id = addLadder(t, 5, "Schiebeleiter");
        Table p("LT_PRUEF");
        p.open();
        const int pid = addInspection(p, id, QDate(2026, 4, 1));
        QVERIFY(t.locate("ID", {id}));
        t.remove();
        QCOMPARE(count("SELECT COUNT(*) FROM LT_LEIT"), 1);

        const QList<Verlauf::Eintrag> e = Verlauf::fuerLeitern(db(), {id});
        QVERIFY(!e.isEmpty());
        // Newest first: the delete with the values it took away, then the inspection, then the insert.
        QCOMPARE(e.first().aktion, QString("Gelöscht"));
        QStringList gone;
        for (const auto& x : e)
            if (x.aktion == "Gelöscht")
                gone << x.feld + "=" + x.alt;
        QVERIFY2(gone.contains("Nr=5") && gone.contains("KurzBez=Schiebeleiter"), qPrintable(gone.join(",")));
        bool inspectionSeen = false;
        for (const auto& x : e)
            inspectionSeen |= x.tabelle == "LT_PRUEF" && x.dsId == pid && x.feld == "Datum" && x.neu == "2026-04-01";
        QVERIFY(inspectionSeen);
        QCOMPARE(e.last().aktion, QString("Neu"));

        const QList<Verlauf::GeloeschteLeiter> deleted = Verlauf::geloeschteLeitern(db());
        QCOMPARE(deleted.size(), 1);
        QCOMPARE(deleted[0].id, qint64(id));
        QCOMPARE(deleted[0].nr, QString("5"));
        QCOMPARE(deleted[0].kurzBez, QString("Schiebeleiter"));
        QCOMPARE(Verlauf::leiterMitNr(db(), 5), QList<qint64>({id}));
        QCOMPARE(Verlauf::leiterMitNr(db(), 1), QList<qint64>({keep}));
        // A new ladder under the old number: both are found by the number.
        const int again = addLadder(t, 5, "neue Fünf");
        QCOMPARE(Verlauf::leiterMitNr(db(), 5), QList<qint64>({again, id}));
    }

    void periodFilterTakesLocalDays()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        const int id = addLadder(t, 1, "Eins");
        const QDate today = QDate::currentDate();
        QVERIFY(!Verlauf::fuerLeitern(db(), {id}, today, today).isEmpty());
        QVERIFY(Verlauf::fuerLeitern(db(), {id}, today.addDays(1), QDate()).isEmpty());
        QVERIFY(Verlauf::fuerLeitern(db(), {id}, QDate(), today.addDays(-1)).isEmpty());
    }

    void historyTableRefusesChanges_data()
    {
        QTest::addColumn<QString>("op");
        QTest::newRow("edit") << "edit";
        QTest::newRow("append") << "append";
        QTest::newRow("delete") << "delete";
        QTest::newRow("drop") << "drop";
    }

    void historyTableRefusesChanges()
    {
        QFETCH(QString, op);
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "Eins");
        const qint64 before = count("SELECT COUNT(*) FROM LT_VERLAUF");
        Table h("LT_VERLAUF");
        h.open();
        h.first();
        int code = 0;
        try {
            if (op == "edit")
                h.edit();
            else if (op == "append")
                h.append();
            else if (op == "delete")
                h.remove();
            else
                h.deleteTable();
        } catch (const EngineError& e) {
            code = e.code();
        }
        QCOMPARE(code, int(EngineCode::InsufficientRights));
        QCOMPARE(count("SELECT COUNT(*) FROM LT_VERLAUF"), before);
    }

    void checkNamesTheFirstTamperedRow_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<qint64>("badId");
        QTest::addColumn<QString>("words");
        QTest::newRow("intact") << QString() << qint64(0) << "Alle 7 Einträge";
        QTest::newRow("value changed") << "UPDATE LT_VERLAUF SET Neu = 'Zwo' WHERE ID = 4" << qint64(4) << "Nr. 4 (";
        QTest::newRow("user changed") << "UPDATE LT_VERLAUF SET Benutzer = 'Schulze' WHERE ID = 2" << qint64(2) << "verändert";
        QTest::newRow("time changed") << "UPDATE LT_VERLAUF SET Zeit = '2020-01-01 10:00:00' WHERE ID = 6" << qint64(6) << "verändert";
        QTest::newRow("row deleted") << "DELETE FROM LT_VERLAUF WHERE ID = 3" << qint64(4) << "Eintrag Nr. 3 wurde";
        QTest::newRow("first row deleted") << "DELETE FROM LT_VERLAUF WHERE ID = 1" << qint64(2) << "Eintrag Nr. 1 wurde";
        QTest::newRow("rows deleted") << "DELETE FROM LT_VERLAUF WHERE ID IN (3, 4)" << qint64(5) << "Nr. 3 bis 4";
        QTest::newRow("row inserted")
            << "INSERT INTO LT_VERLAUF (ID, Zeit, Benutzer, Tabelle, Aktion, DS_ID, Feld, Neu, Vorher, Hash) "
               "VALUES (8, '2026-01-01 10:00:00', 'x', 'LT_LEIT', 'Geändert', 1, 'KurzBez', 'y', 'a', 'b')"
            << qint64(8) << "eingefügt";
    }

    void checkNamesTheFirstTamperedRow()
    {
        QFETCH(QString, sql);
        QFETCH(qint64, badId);
        QFETCH(QString, words);
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "Eins");        // rows 1-3
        t.edit();
        t.setValue("KurzBez", "Zwei");  // row 4
        t.post();
        addLadder(t, 2, "Drei");        // rows 5-7
        if (!sql.isEmpty())
            behindTheProgram(dir, sql);
        const Verlauf::Pruefung p = Verlauf::pruefen(db());
        QCOMPARE(p.intakt, sql.isEmpty());
        QCOMPARE(p.fehlerId, badId);
        QVERIFY2(p.text.contains(words), qPrintable(p.text));
    }

    void twoWorkstationsKeepOneChain()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "Eins");
        addLadder(t, 2, "Zwei");
        constexpr int kUpdates = 25;
        QList<QProcess*> children;
        for (int nr : {1, 2}) {
            auto* p = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("HW_VERLAUF_CHILD", QString::number(nr));
            env.insert("HW_CHILD_NETDIR", dir.path());
            env.insert("HW_CHILD_DRIVER", dir.driver());
            env.insert("HW_CHILD_LOCATION", dir.location());
            env.insert("HW_CHILD_UPDATES", QString::number(kUpdates));
            p->setProcessEnvironment(env);
            p->start(QCoreApplication::applicationFilePath(), {});
            children << p;
        }
        for (QProcess* p : children) {
            QVERIFY(p->waitForFinished(120000));
            QCOMPARE(QString::fromUtf8(p->readAllStandardOutput()).trimmed(), QString("ok"));
        }
        const Verlauf::Pruefung check = Verlauf::pruefen(db());
        QVERIFY2(check.intakt, qPrintable(check.text));
        // 3 + 3 rows for the inserts, one per update.
        QCOMPARE(check.anzahl, qint64(6 + 2 * kUpdates));
        QCOMPARE(count("SELECT COUNT(DISTINCT Arbeitsplatz || Benutzer) FROM LT_VERLAUF WHERE Benutzer LIKE 'Platz%'"), 2);
    }

    void oldRegisterGetsTheHistoryTable()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "Eins");
        t.close();
        Catalog::dropTable(db(), "LT_VERLAUF");
        QVERIFY(!Catalog::tableExists(db(), "LT_VERLAUF"));
        Engine::instance().reset();
        Engine::instance().setNetFileDir(dir.path());
        dir.addAlias("TARVINO");
        Table again("LT_LEIT");
        again.open();
        again.first();
        again.edit();
        again.setValue("KurzBez", "Eins neu");
        again.post();
        QCOMPARE(rows("LT_LEIT").size(), 1);
        QVERIFY(Verlauf::pruefen(db()).intakt);
    }

    // A register of the version before the inspection's remark: the column is added on start,
    // at the end, empty; the history written before still verifies and records the remark's
    // changes from then on.
    void oldRegisterGetsTheRemarkColumn()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        const int ladder = addLadder(t, 1, "Eins");
        t.close();
        {
            Table p("LT_PRUEF");
            p.open();
            addInspection(p, ladder, QDate(2025, 5, 1));
        }
        db().exec("ALTER TABLE LT_PRUEF DROP COLUMN Bemerkung");
        db().exec("DELETE FROM _hw_fields WHERE tbl = 'LT_PRUEF' AND name = 'Bemerkung'");
        QVERIFY(!Catalog::columnExists(db(), "LT_PRUEF", "Bemerkung"));
        const qint64 before = count("SELECT COUNT(*) FROM LT_VERLAUF");
        Engine::instance().reset();
        Engine::instance().setNetFileDir(dir.path());
        dir.addAlias("TARVINO");

        Table p("LT_PRUEF");
        p.open();
        QCOMPARE(Catalog::readTable(db(), "LT_PRUEF")->fields.last().name, QString("Bemerkung"));
        QCOMPARE(count("SELECT COUNT(*) FROM LT_PRUEF WHERE Bemerkung IS NULL"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM LT_VERLAUF"), before);
        QVERIFY(Verlauf::pruefen(db()).intakt);
        p.first();
        p.edit();
        p.setValue("Bemerkung", "Schuhe: abgelaufen\nÖl am Holm");
        p.post();
        const QList<Row> r = rows("LT_PRUEF");
        QCOMPARE(r.last().aktion, QString("Geändert"));
        QCOMPARE(r.last().feld, QString("Bemerkung"));
        QCOMPARE(r.last().alt, QString());
        QCOMPARE(r.last().neu, QString("Schuhe: abgelaufen\nÖl am Holm"));
        const Verlauf::Pruefung v = Verlauf::pruefen(db());
        QVERIFY2(v.intakt, qPrintable(v.text));
        QCOMPARE(v.anzahl, before + 1);
    }
};

// A workstation of its own: updates its ladder again and again, each save with its history.
static int childWriter()
{
    Engine& engine = Engine::instance();
    engine.setNetFileDir(qEnvironmentVariable("HW_CHILD_NETDIR"));
    engine.addSessionAlias("TARVINO", qEnvironmentVariable("HW_CHILD_LOCATION"), qEnvironmentVariable("HW_CHILD_DRIVER"));
    const int nr = qEnvironmentVariableIntValue("HW_VERLAUF_CHILD");
    engine.setUserName(QStringLiteral("Platz%1").arg(nr));
    const int updates = qEnvironmentVariableIntValue("HW_CHILD_UPDATES");
    try {
        Table t("LT_LEIT");
        t.open();
        if (!t.locate("Nr", {nr})) {
            printf("no ladder\n");
            return 1;
        }
        for (int i = 0; i < updates; ++i) {
            t.edit();
            t.setValue("KurzBez", QStringLiteral("Platz %1 Nr %2").arg(nr).arg(i));
            t.post();
        }
        printf("ok\n");
    } catch (const HwError& e) {
        printf("%s\n", qPrintable(e.message()));
    }
    return 0;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("HW_VERLAUF_CHILD"))
        return childWriter();
    TestVerlauf test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_verlauf.moc"
