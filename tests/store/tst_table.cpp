#include "Dialogs.h"
#include "Backend.h"
#include "Engine.h"
#include "Query.h"
#include "Schema.h"
#include "Table.h"
#include "TestSupport.h"

#include <QApplication>
#include <QtTest>
#include <optional>

// Cursor behaviour on a real SQLite data directory.
class TestTable : public QObject {
    Q_OBJECT

private:
    static void addKind(Table& kinds, int nr, const QString& name, int years, int months, int days)
    {
        kinds.append();
        kinds.setValue("Nr", nr);
        kinds.setValue("KurzBez", name);
        kinds.setValue("Jahre", years);
        kinds.setValue("Monate", months);
        kinds.setValue("Tage", days);
        kinds.post();
    }

    static int addLadder(Table& t, int nr, const QString& text, const QVariant& kind = QVariant())
    {
        t.append();
        t.setValue("Nr", nr);
        t.setValue("KurzBez", text);
        t.setValue("PruefungArt_ID", kind);
        t.post();
        return t.field("ID").asInteger();
    }

    // A second workstation: this test program started again, opening one table. It prints
    // "ok" or the error code, then the users it sees.
    static QString openInOtherProcess(const TestDataDir& dir, const QString& table, const QString& user = QString(),
                                      bool exclusiveThenCrash = false)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HW_CHILD_NETDIR", dir.path());
        env.insert("HW_CHILD_DRIVER", dir.driver());
        env.insert("HW_CHILD_LOCATION", dir.location());
        env.insert("HW_CHILD_TABLE", table);
        env.insert("HW_CHILD_USER", user);
        if (exclusiveThenCrash)
            env.insert("HW_CHILD_CRASH", "1");
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {});
        if (!p.waitForFinished(30000))
            return "timeout";
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

private slots:
    void init() { resetDialogsForTest(); }

    void schemaHasColumnsInOrder()
    {
        TestDataDir dir;
        Table t("LT_LEIT.DB");
        t.open();
        QStringList names;
        for (const auto& f : t.fields())
            names << f->name();
        QCOMPARE(names.size(), 56);
        QCOMPARE(names.mid(0, 4), QStringList({"ID", "Nr", "KurzBez", "Art_ID"}));
        QCOMPARE(names.at(names.indexOf("PruefTermin") + 1), QString("PrMaterial"));
        QCOMPARE(names.at(names.indexOf("ReparaturDatum") + 1), QString("PrHo_Verform"));
        QCOMPARE(names.last(), QString("ExNrBez"));
        Table p("lt_pruef.db");
        p.open();
        // The remark came later: it stands after the columns stored files already have.
        QCOMPARE(p.fieldCount(), 4 + 16 + 1 + 46 + 1);
        QCOMPARE(p.fieldAt(5).name(), QString("PrErlMaterial"));
        QCOMPARE(p.fieldAt(21).name(), QString("PrHo_Verform"));
        QCOMPARE(p.fieldAt(22).name(), QString("PrHo_ErlVerform"));
        QCOMPARE(p.fieldAt(p.fieldCount() - 1).name(), QString("Bemerkung"));
    }

    void statesAndHooks()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.setIndexFieldNames("Nr");
        QStringList calls;
        t.beforeInsert = [&](DataSet&) { calls << "beforeInsert"; };
        t.onNewRecord = [&](DataSet& d) { calls << "onNewRecord"; d.setValue("Schrott", false); };
        t.afterInsert = [&](DataSet&) { calls << "afterInsert"; };
        t.beforePost = [&](DataSet& d) { calls << "beforePost:" + stateText(d.state()); };
        t.afterPost = [&](DataSet&) { calls << "afterPost"; };
        t.beforeEdit = [&](DataSet&) { calls << "beforeEdit"; };
        t.afterEdit = [&](DataSet&) { calls << "afterEdit"; };
        t.beforeDelete = [&](DataSet&) { calls << "beforeDelete"; };
        t.afterDelete = [&](DataSet&) { calls << "afterDelete"; };
        t.open();
        QCOMPARE(t.state(), DataSetState::Browse);
        t.append();
        QCOMPARE(t.state(), DataSetState::Insert);
        QCOMPARE(stateText(t.state()), QString("Neu"));
        t.setValue("Nr", 5);
        t.setValue("KurzBez", "Stehleiter");
        t.post();
        QCOMPARE(t.state(), DataSetState::Browse);
        QVERIFY(t.field("ID").asInteger() > 0);
        QCOMPARE(t.field("Schrott").asBoolean(), false);
        t.edit();
        QCOMPARE(stateText(t.state()), QString("Ändern"));
        t.setValue("KurzBez", "Anlegeleiter");
        t.post();
        t.remove();
        QCOMPARE(t.recordCount(), 0);
        QCOMPARE(calls, QStringList({"beforeInsert", "onNewRecord", "afterInsert", "beforePost:Neu", "afterPost",
                                     "beforeEdit", "afterEdit", "beforePost:Ändern", "afterPost", "beforeDelete",
                                     "afterDelete"}));
    }

    // A hook that aborts leaves everything as it was, silently.
    void abortingHooksCancelSilently()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "A");
        t.beforeEdit = [](DataSet&) { throw Abort(); };
        QVERIFY_THROWS_EXCEPTION(Abort, t.edit());
        QCOMPARE(t.state(), DataSetState::Browse);
        t.beforeEdit = nullptr;
        t.beforeInsert = [](DataSet&) { throw Abort(); };
        QVERIFY_THROWS_EXCEPTION(Abort, t.append());
        QCOMPARE(t.state(), DataSetState::Browse);
        t.beforeInsert = nullptr;
        t.beforeDelete = [](DataSet&) { throw Abort(); };
        QVERIFY_THROWS_EXCEPTION(Abort, t.remove());
        QCOMPARE(t.recordCount(), 1);
        t.beforeDelete = nullptr;
        t.edit();
        t.setValue("KurzBez", "B");
        t.beforePost = [](DataSet&) { throw Abort(); };
        QVERIFY_THROWS_EXCEPTION(Abort, t.post());
        QCOMPARE(t.state(), DataSetState::Edit);
        t.cancel();
        Table fresh("LT_LEIT");
        fresh.open();
        QCOMPARE(fresh.value("KurzBez").toString(), QString("A"));
        QCOMPARE(Dialogs::shown().size(), 0);
    }

    void fieldMessages_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("years above 10") << "Jahre" << "11"
                                        << "11 ist kein gültiger Wert für das Feld 'Jahre'. Der zulässige Bereich ist  0 bis 10";
        QTest::newRow("months 12") << "Monate" << "12"
                                   << "12 ist kein gültiger Wert für das Feld 'Monate'. Der zulässige Bereich ist  0 bis 11";
        QTest::newRow("days 32") << "Tage" << "32"
                                 << "32 ist kein gültiger Wert für das Feld 'Tage'. Der zulässige Bereich ist  0 bis 31";
        QTest::newRow("negative") << "Tage" << "-1"
                                  << "-1 ist kein gültiger Wert für das Feld 'Tage'. Der zulässige Bereich ist  0 bis 31";
        QTest::newRow("not an integer") << "Jahre" << "1x" << "'1x' ist kein gültiger Integerwert für Feld 'Jahre'";
        QTest::newRow("limit 10 ok") << "Jahre" << "10" << "";
        QTest::newRow("limit 11 ok") << "Monate" << "11" << "";
        QTest::newRow("limit 31 ok") << "Tage" << "31" << "";
        QTest::newRow("zero ok") << "Tage" << "0" << "";
    }

    void fieldMessages()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        TestDataDir dir;
        Table kinds("PR_TAB");
        kinds.open();
        kinds.append();
        kinds.setValue(field, 3);
        try {
            kinds.field(field).setAsString(text);
            QVERIFY2(message.isEmpty(), "value was accepted");
            QCOMPARE(kinds.field(field).asInteger(), text.toInt());
        } catch (const EngineError& e) {
            QCOMPARE(e.message(), message);
            QCOMPARE(kinds.field(field).asInteger(), 3);     // the old value stays
        }
    }

    void requiredFieldsRefuseSave()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        t.append();
        t.setValue("Nr", 1);
        try {
            t.post();
            QFAIL("saved without KurzBez");
        } catch (const EngineError& e) {
            QCOMPARE(e.message(), QString("Feld 'Kurz.-Bezeichnung' muß einen Wert haben"));
        }
        QCOMPARE(t.state(), DataSetState::Insert);
        t.setValue("Nr", QVariant());
        t.setValue("KurzBez", "X");
        QVERIFY_THROWS_EXCEPTION(EngineError, t.post());
        Table kinds("PR_TAB");
        kinds.open();
        kinds.append();
        kinds.setValue("Nr", 1);
        try {
            kinds.post();
            QFAIL("saved without KurzBez");
        } catch (const EngineError& e) {
            QCOMPARE(e.message(), QString("Feld 'KurzBez' muß einen Wert haben"));
        }
    }

    // Empty booleans read as false; display formats are German.
    void emptyBooleansAndDisplay()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        t.append();
        t.setValue("Nr", 7);
        t.setValue("KurzBez", "X");
        t.setValue("Laenge", 2.5);
        t.setValue("PruefTermin", QDate(2004, 6, 23));
        t.setValue("Schrott", true);
        t.setValue("LAend", QDateTime(QDate(2004, 6, 23), QTime(14, 5)));
        t.post();
        QVERIFY(t.field("PrHo_Verform").isNull());
        QCOMPARE(t.field("PrHo_Verform").asBoolean(), false);
        QCOMPARE(t.field("Laenge").displayText(), QString("2,50"));
        QCOMPARE(t.field("PruefTermin").displayText(), QString("Mi 23.06.04"));
        QCOMPARE(t.field("Schrott").displayText(), QString("A"));
        QCOMPARE(t.field("LAend").displayText(), QString("23.06.04  14:05"));
        QCOMPARE(t.field("ID").displayText(), t.field("ID").asString());
    }

    void lookupAndCalculatedFields()
    {
        TestDataDir dir;
        Table kinds("PR_TAB");
        kinds.open();
        addKind(kinds, 1, "Jährlich", 1, 0, 0);
        Table t("LT_LEIT");
        t.addLookupField("PruefungArtText", 30, "Prüfung", "PruefungArt_ID", &kinds, "Nr", "KurzBez");
        FieldDef calc;
        calc.name = "NrText";
        calc.type = FieldType::Text;
        calc.size = 20;
        t.addCalculatedField(calc);
        t.onCalcFields = [](DataSet& d) { d.setValue("NrText", "L-" + d.field("Nr").asString()); };
        t.setIndexFieldNames("Nr");
        t.open();
        addLadder(t, 2, "B", 1);
        addLadder(t, 1, "A", 99);   // kind that does not exist: empty lookup
        t.first();
        QCOMPARE(t.value("PruefungArtText"), QVariant());
        QCOMPARE(t.value("NrText").toString(), QString("L-1"));
        t.next();
        QCOMPARE(t.value("PruefungArtText").toString(), QString("Jährlich"));
        QCOMPARE(t.displayTextAt(1, t.field("NrText").index()), QString("L-2"));
        // A renamed kind shows at once.
        kinds.first();
        kinds.edit();
        kinds.setValue("KurzBez", "Jahr");
        kinds.post();
        QCOMPARE(t.value("PruefungArtText").toString(), QString("Jahr"));
    }

    void indexSearches_data()
    {
        QTest::addColumn<QVariant>("key");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("nearestNr");
        QTest::newRow("exact") << QVariant(7) << true << 7;
        QTest::newRow("between") << QVariant(4) << false << 5;
        QTest::newRow("below all") << QVariant(0) << false << 1;
        QTest::newRow("above all") << QVariant(100) << false << 12;
        QTest::newRow("text input") << QVariant(QString("12")) << true << 12;
    }

    void indexSearches()
    {
        QFETCH(QVariant, key);
        QFETCH(bool, found);
        QFETCH(int, nearestNr);
        TestDataDir dir;
        Table t("LT_LEIT");
        t.setIndexFieldNames("Nr");
        t.open();
        for (int nr : {12, 1, 7, 5, 3})
            addLadder(t, nr, QString("L%1").arg(nr));
        t.first();
        QCOMPARE(t.field("Nr").asInteger(), 1);
        const int before = t.field("Nr").asInteger();
        QCOMPARE(t.findKey({key}), found);
        if (!found)
            QCOMPARE(t.field("Nr").asInteger(), before);
        t.findNearest({key});
        QCOMPARE(t.field("Nr").asInteger(), nearestNr);
    }

    // Values that one database would change or the other keep are refused before anything
    // is written, with the field named; the stored row keeps its value.
    void hostileValuesRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("message");
        const QString nul = QStringLiteral("Der Text für das Feld '%1' enthält ein Nullzeichen (Steuerzeichen 0) und kann nicht "
                                           "gespeichert werden.");
        QTest::newRow("NUL in a text") << "KurzBez" << QVariant(QString("abc") + QChar(0) + "def") << false
                                       << nul.arg("Kurz.-Bezeichnung");
        QTest::newRow("NUL in a memo") << "Beschreibung" << QVariant(QString("x") + QChar(0)) << false << nul.arg("Beschreibung");
        QTest::newRow("integer beyond 32 bits") << "LtAnzahl" << QVariant(qlonglong(5000000000)) << false
                                                << "5000000000 ist kein gültiger Wert für das Feld 'LT-Anz'. Der zulässige "
                                                   "Bereich ist  -2147483648 bis 2147483647";
        QTest::newRow("integer beyond 32 bits typed") << "LtAnzahl" << QVariant(QString("5000000000")) << true
                                                      << "'5000000000' ist kein gültiger Integerwert für Feld 'LT-Anz'";
        QTest::newRow("double beyond 32 bits") << "LtAnzahl" << QVariant(5e9) << false
                                               << "5000000000 ist kein gültiger Wert für das Feld 'LT-Anz'. Der zulässige "
                                                  "Bereich ist  -2147483648 bis 2147483647";
        QTest::newRow("NaN") << "Laenge" << QVariant(std::nan("")) << false
                             << "'nan' ist kein gültiger Gleitkommawert für Feld 'Länge (m)'";
        QTest::newRow("infinity") << "Gewicht" << QVariant(std::numeric_limits<double>::infinity()) << false
                                  << "'inf' ist kein gültiger Gleitkommawert für Feld 'Gew. (kg)'";
        QTest::newRow("nan typed") << "Laenge" << QVariant(QString("nan")) << true
                                   << "'nan' ist kein gültiger Gleitkommawert für Feld 'Länge (m)'";
        QTest::newRow("inf typed") << "Laenge" << QVariant(QString("inf")) << true
                                   << "'inf' ist kein gültiger Gleitkommawert für Feld 'Länge (m)'";
    }
    void hostileValuesRefused()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(bool, typed);
        QFETCH(QString, message);
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        t.append();
        t.setValue("Nr", 1);
        t.setValue("KurzBez", "alt");
        t.setValue("Beschreibung", "alt");
        t.setValue("LtAnzahl", 2);
        t.setValue("Laenge", 1.5);
        t.setValue("Gewicht", 4.0);
        t.post();
        const QVariant before = t.value(field);
        t.edit();
        try {
            if (typed)
                t.field(field).setAsString(value.toString());
            else
                t.setValue(field, value);
            QFAIL("value accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.message(), message);
        }
        t.post();
        Table fresh("LT_LEIT");
        fresh.open();
        QCOMPARE(fresh.value(field), before);
    }

    // The same text through a query parameter or a quoted literal never reaches a database.
    void nulRefusedOnEveryPath()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "abc");
        const QString bad = QString("abc") + QChar(0) + "def";
        Query q;
        q.setSql("SELECT Nr FROM LT_LEIT WHERE KurzBez = :T");
        q.setParam("T", bad);
        QVERIFY_THROWS_EXCEPTION(EngineError, q.open());
        Query lit;
        lit.setSql("SELECT Nr FROM LT_LEIT WHERE KurzBez = " + Query::quoted(bad));
        QVERIFY_THROWS_EXCEPTION(EngineError, lit.open());
        Backend& db = Engine::instance().backend();
        QVERIFY_THROWS_EXCEPTION(EngineError, db.exec("UPDATE LT_LEIT SET KurzBez = ?", {bad}));
        Table fresh("LT_LEIT");
        fresh.open();
        QCOMPARE(fresh.value("KurzBez").toString(), QString("abc"));
    }

    // A number beyond 32 bits written by another tool reads back exactly, shows in full
    // and survives a save of the row unchanged.
    void wideIntegerKeptExactly()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "A");
        Backend& db = Engine::instance().backend();
        if (TestDataDir::onServer())
            db.exec("ALTER TABLE LT_LEIT ALTER COLUMN LtAnzahl TYPE BIGINT");
        db.exec("UPDATE LT_LEIT SET LtAnzahl = 5000000000");
        // Read as another program would: this process's cursors share what they read.
        dir.addAlias("ZWEITER");
        Table other("LT_LEIT");
        other.setAlias("ZWEITER");
        other.open();
        QCOMPARE(other.value("LtAnzahl").toLongLong(), qlonglong(5000000000));
        QCOMPARE(other.field("LtAnzahl").displayText(), QString("5000000000"));
        other.edit();
        other.setValue("KurzBez", "B");
        other.post();
        auto c = db.select("SELECT LtAnzahl, KurzBez FROM LT_LEIT", {});
        QVERIFY(c->next());
        QCOMPARE(c->intValue(0), qint64(5000000000));
        QCOMPARE(c->textValue(1), QString("B"));
    }

    // Cutting to the field size never splits a character outside the BMP.
    void textCutBetweenCharacters()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        const QString face = QString::fromUtf8("\xF0\x9F\x98\x80");     // two UTF-16 units
        t.append();
        t.setValue("Nr", 1);
        t.setValue("KurzBez", QString(29, 'a') + face + "b");
        t.post();
        Table fresh("LT_LEIT");
        fresh.open();
        QCOMPARE(fresh.value("KurzBez").toString(), QString(29, 'a'));
        t.edit();
        t.setValue("KurzBez", QString(28, 'a') + face + "b");
        t.post();
        fresh.refresh();
        QCOMPARE(fresh.value("KurzBez").toString(), QString(28, 'a') + face);
    }

    // Without an active index the key search goes by the primary key; it finds only what is there.
    void findKeyWithoutIndexUsesPrimaryKey()
    {
        TestDataDir dir;
        Table kinds("PR_TAB");
        kinds.open();
        addKind(kinds, 5, "Fünf", 1, 0, 0);
        addKind(kinds, 2, "Zwei", 1, 0, 0);
        kinds.first();
        QVERIFY(!kinds.findKey({7}));
        QCOMPARE(kinds.field("Nr").asInteger(), 2);
        QVERIFY(kinds.findKey({5}));
        QCOMPARE(kinds.field("KurzBez").asString(), QString("Fünf"));
        // A table with no key at all cannot be searched by key: said, not "found".
        TableDef def;
        def.name = "ZwOhneSchluessel";
        FieldDef nr;
        nr.name = "Nr";
        nr.type = FieldType::Integer;
        def.fields << nr;
        Table noKey(def.name);
        noKey.createTable(def);
        Engine::instance().backend().exec("INSERT INTO ZwOhneSchluessel (Nr) VALUES (1)");
        noKey.open();
        QVERIFY_THROWS_EXCEPTION(EngineError, noKey.findKey({42}));
    }

    // An existing register file that is empty or damaged is never taken for a new register:
    // the message names the file and says to restore the backup; the file stays as it was.
    void damagedRegisterFileRefused_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("empty file") << "empty";
        QTest::newRow("pages overwritten") << "pages";
        QTest::newRow("not a database") << "garbage";
    }
    void damagedRegisterFileRefused()
    {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QString file = dir.filePath("tarvino.sqlite");
        Engine& engine = Engine::instance();
        engine.addSessionAlias("DEFEKT", dir.path());
        if (damage == "empty") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (damage == "garbage") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8192, 'x'));
        } else {
            {
                Table t("LT_LEIT");
                t.setAlias("DEFEKT");
                t.open();
                for (int nr = 1; nr <= 300; ++nr)
                    addLadder(t, nr, QString("Leiter %1 mit einem längeren Namen").arg(nr));
            }
            engine.removeSessionAlias("DEFEKT");
            engine.reset();
            resetDialogsForTest();
            engine.addSessionAlias("DEFEKT", dir.path());
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 16 * 4096);
            // Every page after the first few: b-tree pages full of nonsense.
            for (qint64 at = 4 * 4096; at + 4096 <= f.size(); at += 4096) {
                f.seek(at);
                f.write(QByteArray(4096, char(0xA5)));
            }
        }
        const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        try {
            engine.backend("DEFEKT");
            QFAIL("damaged file opened");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(QDir::toNativeSeparators(file)), qPrintable(e.message()));
            QVERIFY2(e.message().contains("Datensicherung"), qPrintable(e.message()));
        }
        QFile after(file);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        engine.removeSessionAlias("DEFEKT");
    }

    // Another workstation's write is noticed by the change counter. On a server the counter
    // comes with the server's notice: asking again while nothing changed sends nothing.
    void changesOfOtherWorkstationNoticed()
    {
        TestDataDir dir;
        dir.addAlias("ZWEITER");
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "A");
        QVERIFY(!t.changedElsewhere());
        const qint64 before = statementCount();
        for (int i = 0; i < 10; ++i)
            QVERIFY(!t.changedElsewhere());
        QCOMPARE(statementCount() - before, qint64(TestDataDir::onServer() ? 0 : 10));

        Table other("LT_LEIT");
        other.setAlias("ZWEITER");
        other.open();
        other.edit();
        other.setValue("KurzBez", "B");
        other.post();
        QTRY_VERIFY_WITH_TIMEOUT(t.changedElsewhere(), 3000);
        QVERIFY(t.refreshIfChanged());
        QCOMPARE(t.value("KurzBez").toString(), QString("B"));
        QVERIFY(!t.changedElsewhere());
        // Our own write is not taken for another's.
        t.edit();
        t.setValue("KurzBez", "C");
        t.post();
        QTest::qWait(200);
        QVERIFY(!t.changedElsewhere());
        QTRY_VERIFY_WITH_TIMEOUT(other.changedElsewhere(), 3000);
    }

    void conversionMessageOnKeySearch()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.setIndexFieldNames("Nr");
        t.open();
        addLadder(t, 3, "A");
        addLadder(t, 4, "B");
        t.first();
        try {
            t.findNearest({QString("abc")});
            QFAIL("no conversion error");
        } catch (const EngineError& e) {
            QCOMPARE(e.message(), QString("'abc' ist kein gültiger Integerwert für Feld 'Leiter-Nr'"));
        }
        QCOMPARE(t.field("Nr").asInteger(), 3);
    }

    void textIndexIsCaseInsensitive()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.setIndexFieldNames("KurzBez");
        t.open();
        addLadder(t, 1, "bock");
        addLadder(t, 2, "Anlege");
        addLadder(t, 3, "Zug");
        addLadder(t, 4, "ausziehbar");
        QStringList order;
        for (t.first(); !t.eof(); t.next())
            order << t.value("KurzBez").toString();
        QCOMPARE(order, QStringList({"Anlege", "ausziehbar", "bock", "Zug"}));
        QVERIFY(t.findKey({"BOCK"}));
        QCOMPARE(t.field("Nr").asInteger(), 1);
    }

    // The inspections of one ladder follow the ladder; new rows get its ID.
    void masterDetail()
    {
        TestDataDir dir;
        Table ladders("LT_LEIT");
        ladders.setIndexFieldNames("Nr");
        ladders.open();
        const int a = addLadder(ladders, 1, "A");
        const int b = addLadder(ladders, 2, "B");
        Table insp("LT_PRUEF");
        insp.setIndexFieldNames("LT_ID;Datum");
        insp.setMasterSource(&ladders, "ID");
        insp.open();
        ladders.first();
        QCOMPARE(insp.recordCount(), 0);
        for (const QDate& d : {QDate(2004, 5, 1), QDate(2003, 5, 1)}) {
            insp.append();
            QCOMPARE(insp.field("LT_ID").asInteger(), a);
            insp.setValue("Datum", d);
            insp.post();
        }
        QCOMPARE(insp.recordCount(), 2);
        insp.first();
        QCOMPARE(insp.field("Datum").asDate(), QDate(2003, 5, 1));
        ladders.next();
        QCOMPARE(ladders.field("ID").asInteger(), b);
        QCOMPARE(insp.recordCount(), 0);
        insp.append();
        QCOMPARE(insp.field("LT_ID").asInteger(), b);
        insp.setValue("Datum", QDate(2005, 1, 1));
        insp.post();
        ladders.first();
        QCOMPARE(insp.recordCount(), 2);
        // An inspection of a ladder that does not exist is never shown.
        Table raw("LT_PRUEF");
        raw.open();
        raw.append();
        raw.setValue("LT_ID", 999);
        raw.post();
        QCOMPARE(raw.recordCount(), 4);
        QCOMPARE(insp.recordCount(), 2);
    }

    // FindFirst/Next/Prior/Last use the filter callback also while filtering is off.
    void findWithFilterOff()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.setIndexFieldNames("Nr");
        t.open();
        for (int nr = 1; nr <= 6; ++nr)
            addLadder(t, nr, nr % 2 ? "ungerade" : "gerade");
        t.onFilterRecord = [](DataSet& d) { return d.value("KurzBez").toString() == "gerade"; };
        QVERIFY(!t.filtered());
        QVERIFY(t.findFirst());
        QCOMPARE(t.field("Nr").asInteger(), 2);
        QVERIFY(t.findNext());
        QCOMPARE(t.field("Nr").asInteger(), 4);
        QVERIFY(t.findNext());
        QCOMPARE(t.field("Nr").asInteger(), 6);
        QVERIFY(!t.findNext());
        QCOMPARE(t.field("Nr").asInteger(), 6);
        QVERIFY(t.findPrior());
        QCOMPARE(t.field("Nr").asInteger(), 4);
        QVERIFY(t.findLast());
        QCOMPARE(t.field("Nr").asInteger(), 6);
        QCOMPARE(t.recordCount(), 6);
        t.setFiltered(true);
        QCOMPARE(t.recordCount(), 3);
        t.setFiltered(false);
        QCOMPARE(t.recordCount(), 6);
    }

    // Moving on from a row in edit state saves it; a refused save keeps row and position.
    void movingSavesPendingRow()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.setIndexFieldNames("Nr");
        t.open();
        for (int nr = 1; nr <= 3; ++nr)
            addLadder(t, nr, QString("L%1").arg(nr));
        t.first();
        t.edit();
        t.setValue("KurzBez", "geändert");
        t.next();
        QCOMPARE(t.state(), DataSetState::Browse);
        QCOMPARE(t.field("Nr").asInteger(), 2);
        QCOMPARE(t.field("KurzBez").asString(), QString("L2"));
        t.first();
        QCOMPARE(t.field("KurzBez").asString(), QString("geändert"));
        // Unchanged edit: dropped, not written.
        t.edit();
        t.last();
        QCOMPARE(t.state(), DataSetState::Browse);
        QCOMPARE(t.field("KurzBez").asString(), QString("L3"));
        // A save that fails keeps the edit and the row.
        t.edit();
        t.setValue("KurzBez", QVariant());
        QVERIFY_THROWS_EXCEPTION(EngineError, t.first());
        QCOMPARE(t.state(), DataSetState::Edit);
        QCOMPARE(t.field("Nr").asInteger(), 3);
        t.cancel();
        Table check("LT_LEIT");
        check.setIndexFieldNames("Nr");
        check.open();
        check.last();
        QCOMPARE(check.field("KurzBez").asString(), QString("L3"));
    }

    void bookmarksAndSecondCursor()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.setIndexFieldNames("Nr");
        t.open();
        for (int nr = 1; nr <= 4; ++nr)
            addLadder(t, nr, "X");
        t.setRecNo(3);
        const auto mark = t.bookmark();
        t.first();
        QVERIFY(t.gotoBookmark(mark));
        QCOMPARE(t.field("Nr").asInteger(), 3);
        QCOMPARE(t.recNo(), 3);
        Table org("LT_LEIT");
        org.setIndexFieldNames("ID");
        org.open();
        QVERIFY(org.gotoCurrent(t));
        QCOMPARE(org.field("Nr").asInteger(), 3);
        QVERIFY(t.locate("KurzBez;Nr", {"x", 2}));
        QCOMPARE(t.recNo(), 2);
    }

    // Two workstations on one data directory: the second save of the same row is refused
    // and keeps its edit state; nothing is overwritten.
    void noLostUpdate()
    {
        TestDataDir dir;
        dir.addAlias("OTHER");
        Table mine("LT_LEIT");
        mine.open();
        addLadder(mine, 1, "Original");
        Table theirs("LT_LEIT");
        theirs.setAlias("OTHER");
        theirs.open();
        mine.edit();
        mine.setValue("KurzBez", "Meine Änderung");
        theirs.edit();
        theirs.setValue("KurzBez", "Andere Änderung");
        theirs.post();
        // A server tells the other connection asynchronously; the save below checks for itself.
        QTRY_VERIFY_WITH_TIMEOUT(mine.changedElsewhere(), 3000);
        try {
            mine.post();
            QFAIL("lost update");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), EngineCode::RecordChanged);
            QVERIFY(e.message().contains("anderen Arbeitsplatz geändert"));
        }
        QCOMPARE(mine.state(), DataSetState::Edit);
        QCOMPARE(mine.value("KurzBez").toString(), QString("Meine Änderung"));
        mine.cancel();
        mine.refresh();
        QCOMPARE(mine.value("KurzBez").toString(), QString("Andere Änderung"));
        // Editing again starts from the stored row and saves.
        mine.edit();
        mine.setValue("KurzBez", "Zweiter Versuch");
        mine.post();
        theirs.refresh();
        QCOMPARE(theirs.value("KurzBez").toString(), QString("Zweiter Versuch"));
    }

    void deletedElsewhere()
    {
        TestDataDir dir;
        dir.addAlias("OTHER");
        Table mine("LT_LEIT");
        mine.open();
        addLadder(mine, 1, "A");
        addLadder(mine, 2, "B");
        mine.first();
        Table theirs("LT_LEIT");
        theirs.setAlias("OTHER");
        theirs.open();
        theirs.first();
        theirs.remove();
        try {
            mine.remove();
            QFAIL("deleted twice");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), EngineCode::RecordDeleted);
        }
        // Edit re-reads the row: a deleted row cannot be edited.
        QVERIFY_THROWS_EXCEPTION(EngineError, mine.edit());
        QCOMPARE(mine.state(), DataSetState::Browse);
    }

    void uniqueNumberInStore()
    {
        TestDataDir dir;
        Table t("LT_LEIT");
        t.open();
        addLadder(t, 1, "A");
        t.append();
        t.setValue("Nr", 1);
        t.setValue("KurzBez", "B");
        try {
            t.post();
            QFAIL("duplicate number saved");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), EngineCode::KeyViolation);
        }
        QCOMPARE(t.state(), DataSetState::Insert);
        t.cancel();
        QCOMPARE(t.recordCount(), 1);
    }

    // A unique text index of the database compares without regard to case: "MEIER" is taken
    // once "Meier" is there, also for a writer that bypasses the cursor's own checks.
    void uniqueTextIndexIgnoresCase()
    {
        TestDataDir dir;
        TableDef def;
        def.name = "NAMEN";
        FieldDef id;
        id.name = "ID";
        id.type = FieldType::AutoInc;
        FieldDef name;
        name.name = "Name";
        name.type = FieldType::Text;
        name.size = 20;
        def.fields << id << name;
        def.indexes << IndexDef{QString(), "ID", true, true, false} << IndexDef{"NachName", "Name", false, true, true};
        Table t("NAMEN");
        t.createTable(def);
        t.open();
        t.append();
        t.setValue("Name", "Meier");
        t.post();
        t.append();
        t.setValue("Name", "MEIER");
        try {
            t.post();
            QFAIL("same name in other case saved");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), EngineCode::KeyViolation);
        }
        t.cancel();
        t.append();
        t.setValue("Name", "Meyer");
        t.post();
        QCOMPARE(t.recordCount(), 2);
    }

    void createAndDeleteTables()
    {
        TestDataDir dir;
        Table sort("ZwFirmSort.DB");
        QVERIFY(!sort.exists());
        sort.createTable(Schema::firmSort());
        QVERIFY(sort.exists());
        sort.setExclusive(true);
        sort.setIndexFieldNames("Nr");
        sort.open();
        sort.append();
        sort.setValue("Nr", 1);
        sort.setValue("Abt_Id", 10);
        sort.setValue("Parent_Id", 0);
        sort.setValue("Spalte", 0);
        sort.post();
        // Another workstation cannot open an exclusively used table; once closed, it can.
        QCOMPARE(openInOtherProcess(dir, "ZwFirmSort").section('\n', 0, 0), QString("10245"));
        sort.close();
        QCOMPARE(openInOtherProcess(dir, "ZwFirmSort").section('\n', 0, 0), QString("ok"));
        sort.open();
        sort.deleteTable();
        QVERIFY(!sort.exists());
        Table missing("NICHTDA");
        try {
            missing.open();
            QFAIL("opened a missing table");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), EngineCode::TableNotFound);
        }
    }

    // A workstation that died while holding a table exclusively does not block it.
    void lockOfEndedWorkstationIsCleared()
    {
        TestDataDir dir;
        QCOMPARE(openInOtherProcess(dir, "LT_LEIT", "Alt", true), QString("ok"));
        Table t("LT_LEIT");
        t.setExclusive(true);
        t.open();
        QVERIFY(t.active());
        QCOMPARE(Engine::instance().networkUsers(), QStringList({"<leer>"}));
    }

    void locationNamesDirectoryOrServer()
    {
        TestDataDir dir;
        const QString where = Engine::instance().location();
        if (TestDataDir::onServer())
            QVERIFY2(where.startsWith("PostgreSQL-Server ") && where.contains(", Datenbank hwt_"), qPrintable(where));
        else
            QCOMPARE(where, dir.path());
    }

    // A whole table is read as the rows arrive (on a server one row at a time). Rows read to
    // the end or given up after the first: the database answers the next statement, a
    // transaction around the read still writes and commits, and the read saw its rows.
    void streamedRowsLeaveTheConnectionReady_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("readRows");      // -1: to the end
        QTest::addColumn<bool>("inTransaction");
        QTest::newRow("no rows") << 0 << -1 << false;
        QTest::newRow("all rows") << 3000 << -1 << false;
        QTest::newRow("given up after one") << 3000 << 1 << false;
        QTest::newRow("all rows, in a transaction") << 3000 << -1 << true;
        QTest::newRow("given up, in a transaction") << 3000 << 1 << true;
    }
    void streamedRowsLeaveTheConnectionReady()
    {
        QFETCH(int, rows);
        QFETCH(int, readRows);
        QFETCH(bool, inTransaction);
        TestDataDir dir;
        Table("LT_LEIT").open();
        Backend& db = Engine::instance().backend();
        {
            Transaction t(db);
            for (int nr = 1; nr <= rows; ++nr)
                db.exec("INSERT INTO LT_LEIT (Nr, KurzBez) VALUES (?, ?)", {nr, QString("Leiter %1").arg(nr)});
            t.commit();
        }
        std::optional<Transaction> open;
        int expected = rows;
        if (inTransaction) {
            open.emplace(db);
            db.exec("INSERT INTO LT_LEIT (Nr, KurzBez) VALUES (?, ?)", {rows + 1, QString("Leiter %1").arg(rows + 1)});
            ++expected;
        }
        auto c = db.selectStreamed("SELECT Nr, KurzBez FROM LT_LEIT WHERE Nr > ? ORDER BY Nr", {0});
        int read = 0;
        while ((readRows < 0 || read < readRows) && c->next()) {
            ++read;
            QCOMPARE(int(c->intValue(0)), read);
            QCOMPARE(c->textValue(1), QString("Leiter %1").arg(read));
        }
        if (TestDataDir::onServer() && read < expected) {
            // Nothing else runs on the connection while rows still arrive.
            try {
                db.select("SELECT COUNT(*) FROM LT_LEIT");
                QFAIL("a statement ran while rows were arriving");
            } catch (const EngineError& e) {
                QVERIFY2(e.message().contains("liest noch die Zeilen"), qPrintable(e.message()));
            }
            // The refusal left the rows arriving as they were.
            QVERIFY(c->next());
            QCOMPARE(int(c->intValue(0)), read + 1);
        }
        QCOMPARE(read, readRows < 0 ? expected : std::min(readRows, expected));
        c.reset();
        auto count = db.select("SELECT COUNT(*), MAX(Nr) FROM LT_LEIT");
        QVERIFY(count->next());
        QCOMPARE(int(count->intValue(0)), expected);
        count.reset();
        if (open) {
            db.exec("UPDATE LT_LEIT SET KurzBez = 'geändert' WHERE Nr = 1");
            open->commit();
        }
        Table t("LT_LEIT");
        t.open();
        QCOMPARE(t.recordCount(), expected);
        if (inTransaction && rows > 0)
            QVERIFY(t.locate("KurzBez", {"geändert"}));
    }

    void networkUsersListsLiveSessions()
    {
        TestDataDir dir;
        Engine::instance().setUserName("Meier");
        Table t("LT_LEIT");
        t.open();
        QCOMPARE(Engine::instance().networkUsers(), QStringList({"Meier"}));
        // A second workstation sees both users while it runs; once it has ended it no longer counts.
        QCOMPARE(openInOtherProcess(dir, "LT_LEIT", "Schulz"), QString("ok\nMeier,Schulz"));
        if (!TestDataDir::onServer()) {
            // The ended program left nothing behind (before anyone tidies up); this one keeps
            // its lock and its user.
            const QString own = Engine::instance().sessionId() + ".lck";
            QCOMPARE(QDir(dir.path() + "/HWUSERS").entryList(QDir::Files, QDir::Name), QStringList({own, own + ".usr"}));
        }
        QCOMPARE(Engine::instance().networkUsers(), QStringList({"Meier"}));
        if (!TestDataDir::onServer()) {
            // A session file whose program has ended does not count.
            QDir(dir.path()).mkpath("HWUSERS");
            QFile stale(dir.path() + "/HWUSERS/gone-1-x.lck.usr");
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write("Alt\thost");
            stale.close();
            QCOMPARE(Engine::instance().networkUsers(), QStringList({"Meier"}));
        }
    }
};

// Started as a second workstation by openInOtherProcess: open a table and say how it went.
static int childOpen()
{
    Engine& engine = Engine::instance();
    engine.setNetFileDir(qEnvironmentVariable("HW_CHILD_NETDIR"));
    engine.addSessionAlias("TARVINO", qEnvironmentVariable("HW_CHILD_LOCATION"), qEnvironmentVariable("HW_CHILD_DRIVER"));
    engine.setUserName(qEnvironmentVariable("HW_CHILD_USER"));
    Table t(qEnvironmentVariable("HW_CHILD_TABLE"));
    const bool crash = qEnvironmentVariableIsSet("HW_CHILD_CRASH");
    t.setExclusive(crash);
    try {
        t.open();
        printf("ok\n");
        if (crash) {
            // Ends like a workstation that lost power: no unlock, no goodbye.
            fflush(stdout);
            _exit(0);
        }
        QStringList users = engine.networkUsers();
        users.sort();
        printf("%s\n", qPrintable(users.join(",")));
    } catch (const EngineError& e) {
        printf("%d\n", e.code());
    }
    return 0;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("HW_CHILD_TABLE"))
        return childOpen();
    TestTable test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_table.moc"
