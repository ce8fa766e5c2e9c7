#include "Engine.h"
#include "Query.h"
#include "Backend.h"
#include "Table.h"
#include "TestSupport.h"

#include <QtTest>

// The report dialect on a small register: dates, booleans, quotes, joins and counts.
class TestQuery : public QObject {
    Q_OBJECT

    void fill()
    {
        Table t("LT_LEIT");
        t.open();
        struct Row { int nr; const char* text; QVariant scrap; QDate due; QVariant dept; };
        const QList<Row> rows = {
            {1, "Stehleiter", false, QDate(2004, 6, 1), 1},
            {2, "O'Brien-Leiter", true, QDate(2004, 7, 1), 1},
            {3, "Anlegeleiter", QVariant(), QDate(2005, 1, 15), 2},
            {4, "Podest", false, QDate(2003, 12, 31), QVariant()},
        };
        for (const Row& r : rows) {
            t.append();
            t.setValue("Nr", r.nr);
            t.setValue("KurzBez", QString::fromUtf8(r.text));
            t.setValue("Schrott", r.scrap);
            t.setValue("PruefTermin", r.due);
            t.setValue("FirmenAbtID", r.dept);
            t.post();
        }
        Table f("FIRMEN");
        f.open();
        for (const char* name : {"Werk", "Lager", "Büro"}) {
            f.append();
            f.setValue("KurzBez", QString::fromUtf8(name));
            f.post();
        }
    }

    static QList<QVariantList> rows(Query& q)
    {
        QList<QVariantList> out;
        for (q.first(); !q.eof(); q.next()) {
            QVariantList r;
            for (const auto& f : q.fields())
                r << f->value();
            out << r;
            if (q.recNo() == q.recordCount())
                break;
        }
        return out;
    }

    static QList<int> numbers(const QString& sql)
    {
        Query q;
        q.setSql(sql);
        q.open();
        QList<int> out;
        for (q.first(); q.recordCount() > 0; q.next()) {
            out << q.field("Nr").asInteger();
            if (q.recNo() == q.recordCount())
                break;
        }
        return out;
    }

private slots:
    void dialect_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("date range") << "SELECT Nr FROM LT_LEIT WHERE PruefTermin BETWEEN '06/01/2004' AND '12/31/2004' ORDER BY Nr"
                                    << QList<int>{1, 2};
        QTest::newRow("date greater") << "SELECT Nr FROM \"LT_LEIT.DB\" WHERE PruefTermin > '12/31/2003' ORDER BY Nr"
                                      << QList<int>{1, 2, 3};
        QTest::newRow("false takes empty") << "SELECT Nr FROM LT_LEIT WHERE Schrott = false ORDER BY Nr" << QList<int>{1, 3, 4};
        QTest::newRow("true") << "SELECT Nr FROM lt_leit.db WHERE Schrott = true" << QList<int>{2};
        QTest::newRow("quote in text") << "SELECT Nr FROM LT_LEIT WHERE KurzBez = " + Query::quoted("O'Brien-Leiter")
                                       << QList<int>{2};
        QTest::newRow("text with false inside") << "SELECT Nr FROM LT_LEIT WHERE KurzBez = 'false' AND Nr > 0" << QList<int>{};
        QTest::newRow("empty sorts first") << "SELECT Nr FROM LT_LEIT ORDER BY FirmenAbtID, Nr" << QList<int>{4, 1, 2, 3};
        QTest::newRow("empty sorts last descending")
            << "SELECT Nr FROM LT_LEIT ORDER BY FirmenAbtID DESC, Nr DESC" << QList<int>{3, 2, 1, 4};
        QTest::newRow("and gt") << "SELECT L.Nr FROM LT_LEIT L WHERE L.Nr > 1 AND FirmenAbtID = 1" << QList<int>{2};
    }

    void dialect()
    {
        QFETCH(QString, sql);
        QFETCH(QList<int>, expected);
        TestDataDir dir;
        fill();
        QCOMPARE(numbers(sql), expected);
    }

    // A quoted text that reads like a date stays a text: it finds the ladder of that name.
    void quotedDateLikeTextStaysText()
    {
        TestDataDir dir;
        fill();
        Table t("LT_LEIT");
        t.open();
        t.append();
        t.setValue("Nr", 9);
        t.setValue("KurzBez", "01/02/2003");
        t.post();
        QCOMPARE(numbers("SELECT Nr FROM LT_LEIT WHERE KurzBez = " + Query::quoted("01/02/2003")), QList<int>{9});
        QCOMPARE(numbers("SELECT Nr FROM LT_LEIT WHERE KurzBez IN (" + Query::quoted("01/02/2003") + ", "
                         + Query::quoted("Podest") + ") ORDER BY Nr"),
                 QList<int>({4, 9}));
        // The dialect's own date literal still reads as a date.
        QCOMPARE(numbers("SELECT Nr FROM LT_LEIT WHERE PruefTermin = '12/31/2003'"), QList<int>{4});
    }

    void namedParameters()
    {
        TestDataDir dir;
        fill();
        Query q;
        q.setSql("SELECT Nr, KurzBez FROM LT_LEIT WHERE Nr = :SID OR KurzBez = :Name");
        QCOMPARE(q.paramNames(), QStringList({"SID", "Name"}));
        q.setParam("SID", 3);
        q.setParam(":name", "x' OR '1'='1");
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.field("KurzBez").asString(), QString("Anlegeleiter"));
        Query missing;
        missing.setSql("SELECT Nr FROM LT_LEIT WHERE Nr = :SID");
        QVERIFY_THROWS_EXCEPTION(EngineError, missing.open());
    }

    void countPerDepartmentWithFullOuterJoin()
    {
        TestDataDir dir;
        fill();
        Query q;
        q.setSql("SELECT F.ID, F.KurzBez, COUNT(L.ID) AS Anzahl FROM LT_LEIT L "
                 "FULL OUTER JOIN FIRMEN F ON L.FirmenAbtID = F.ID "
                 "GROUP BY F.ID, F.KurzBez ORDER BY F.ID");
        q.open();
        QCOMPARE(q.fieldCount(), 3);
        const auto r = rows(q);
        QCOMPARE(r.size(), 4);
        // Row without department first (empty ID sorts first), then every node, also those without ladders.
        QCOMPARE(r[0][0], QVariant());
        QCOMPARE(r[0][2].toInt(), 1);
        QCOMPARE(r[1][2].toInt(), 2);
        QCOMPARE(r[2][2].toInt(), 1);
        QCOMPARE(r[3][1].toString(), QString("Büro"));
        QCOMPARE(r[3][2].toInt(), 0);
    }

    void typesOfResultColumns()
    {
        TestDataDir dir;
        fill();
        Query q;
        q.setSql("SELECT * FROM LT_LEIT WHERE Nr = 1");
        q.open();
        QCOMPARE(q.field("PruefTermin").type(), FieldType::Date);
        QCOMPARE(q.field("PruefTermin").asDate(), QDate(2004, 6, 1));
        QCOMPARE(q.field("Schrott").type(), FieldType::Boolean);
        QCOMPARE(q.field("PrHo_Verform").asBoolean(), false);
        QCOMPARE(q.field("Laenge").type(), FieldType::Float);
        // The store's row version is no field of a query, so a copy of SELECT * can be made.
        QVERIFY(!q.findField("_rv"));
        Table::createFromQuery("KopieLeitern", q);
        Table copy("KopieLeitern");
        copy.open();
        QCOMPARE(copy.recordCount(), 1);
        QCOMPARE(copy.fieldCount(), q.fieldCount());
    }

    void copyQueryIntoTable()
    {
        TestDataDir dir;
        fill();
        Query q;
        q.setSql("SELECT ID,FirmenAbtID FROM LT_LEIT WHERE ID > 0 AND Schrott = false");
        q.open();
        Table::createFromQuery("ZwDat", q);
        Table zw("ZwDat.DB");
        zw.open();
        QCOMPARE(zw.recordCount(), 3);
        QCOMPARE(zw.fieldCount(), 2);
        zw.close();
        // A second copy replaces the first.
        Query q2;
        q2.setSql("SELECT ID,FirmenAbtID FROM LT_LEIT WHERE ID > 0");
        q2.open();
        Table::createFromQuery("ZwDat", q2);
        zw.open();
        QCOMPARE(zw.recordCount(), 4);
        zw.close();
        zw.deleteTable();
        QVERIFY(!zw.exists());
    }

    // A query only reads, whatever its text: each statement is refused with the same message
    // and changes nothing. "backend" rows hand the text to the database's read-only entry
    // directly, past the query's own check.
    void writingStatementsRefused_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("backend");
        QTest::newRow("insert") << "INSERT INTO LT_LEIT (Nr) VALUES (99)" << false;
        QTest::newRow("update") << "UPDATE LT_LEIT SET KurzBez = 'x'" << false;
        QTest::newRow("delete, lower case") << "delete from LT_LEIT" << false;
        QTest::newRow("drop") << "DROP TABLE FIRMEN" << false;
        QTest::newRow("create") << "CREATE TABLE Neu (a INTEGER)" << false;
        QTest::newRow("attach") << "ATTACH DATABASE 'x.sqlite' AS x" << false;
        QTest::newRow("pragma write") << "PRAGMA user_version = 7" << false;
        QTest::newRow("select, then delete") << "SELECT Nr FROM LT_LEIT; DELETE FROM LT_LEIT" << false;
        QTest::newRow("select;delete without space") << "SELECT Nr FROM LT_LEIT;DELETE FROM LT_LEIT" << false;
        QTest::newRow("delete inside a CTE") << "WITH d AS (DELETE FROM LT_LEIT RETURNING Nr) SELECT Nr FROM d" << false;
        QTest::newRow("select into a new table") << "SELECT Nr INTO Kopie FROM LT_LEIT" << false;
        QTest::newRow("select for update") << "SELECT Nr FROM LT_LEIT FOR UPDATE" << false;
        QTest::newRow("replace into") << "REPLACE INTO FIRMEN (ID, KurzBez) VALUES (1, 'x')" << false;
        QTest::newRow("database: delete") << "DELETE FROM LT_LEIT" << true;
        QTest::newRow("database: update") << "UPDATE LT_LEIT SET KurzBez = 'x'" << true;
        QTest::newRow("database: select, then delete") << "SELECT Nr FROM LT_LEIT; DELETE FROM LT_LEIT" << true;
    }

    void writingStatementsRefused()
    {
        QFETCH(QString, sql);
        QFETCH(bool, backend);
        TestDataDir dir;
        fill();
        const auto before = numbers("SELECT Nr FROM LT_LEIT ORDER BY Nr");
        try {
            if (backend) {
                auto c = Engine::instance().backend().selectReadOnly(sql);
                while (c->next()) {
                }
            } else {
                Query q;
                q.setSql(sql);
                q.open();
            }
            QFAIL("ran");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), EngineCode::SqlError);
            QVERIFY2(e.message().startsWith("Eine Abfrage darf nur lesen"), qPrintable(e.message()));
        }
        QCOMPARE(numbers("SELECT Nr FROM LT_LEIT ORDER BY Nr"), before);
        QCOMPARE(numbers("SELECT ID AS Nr FROM FIRMEN WHERE KurzBez = 'x'"), QList<int>{});
        QVERIFY(!Table("Neu").exists());
        QVERIFY(!Table("Kopie").exists());
        QVERIFY(!QFile::exists(dir.path() + "/x.sqlite"));
    }

    // A query inside a writing transaction leaves it writable, and a refused one does not
    // break it: the writes before and after are committed together.
    void queryInsideWritingTransaction()
    {
        TestDataDir dir;
        fill();
        Backend& db = Engine::instance().backend();
        {
            Transaction t(db);
            db.exec("INSERT INTO FIRMEN (KurzBez) VALUES ('Vorher')");
            QCOMPARE(numbers("SELECT ID AS Nr FROM FIRMEN WHERE KurzBez = 'Vorher'").size(), 1);
            QVERIFY_THROWS_EXCEPTION(EngineError, db.selectReadOnly("DELETE FROM FIRMEN"));
            db.exec("INSERT INTO FIRMEN (KurzBez) VALUES ('Nachher')");
            t.commit();
        }
        QCOMPARE(numbers("SELECT ID AS Nr FROM FIRMEN").size(), 5);
    }

    // Reading statements that look like writes in part still run.
    void readingStatementsRun_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QList<int>>("nrs");
        QTest::newRow("replace() is a text function")
            << "SELECT Nr FROM LT_LEIT WHERE REPLACE(KurzBez, 'leiter', '') = 'Steh' ORDER BY Nr" << QList<int>{1};
        QTest::newRow("write words in texts") << "SELECT Nr FROM LT_LEIT WHERE KurzBez <> 'DELETE; DROP' ORDER BY Nr"
                                              << QList<int>{1, 2, 3, 4};
        QTest::newRow("common table expression")
            << "WITH s AS (SELECT Nr FROM LT_LEIT WHERE Nr > 2) SELECT Nr FROM s ORDER BY Nr" << QList<int>{3, 4};
        QTest::newRow("trailing semicolon") << "SELECT Nr FROM LT_LEIT WHERE Nr = 2;" << QList<int>{2};
    }

    void readingStatementsRun()
    {
        QFETCH(QString, sql);
        QFETCH(QList<int>, nrs);
        TestDataDir dir;
        fill();
        QCOMPARE(numbers(sql), nrs);
    }

    // Only the master password replaces a protected table with the rows of a query.
    void protectedTableNotReplaced()
    {
        TestDataDir dir;
        fill();
        Engine& e = Engine::instance();
        {
            Table b("Benutzer");
            b.setExclusive(true);
            b.open();
            b.append();
            b.setValue("Name", "Anna");
            b.setValue("Passwort", "x");
            b.post();
            e.addPassword("Meister");
            b.setProtection("Meister", {SecurityDescriptor{"lesen", TableRight::Modify, {"Passwort"}}});
        }
        e.removeAllPasswords();
        e.addPassword("lesen");
        Query q;
        q.setSql("SELECT Nr AS Name FROM LT_LEIT");
        q.open();
        try {
            Table::createFromQuery("Benutzer", q);
            QFAIL("replaced");
        } catch (const EngineError& err) {
            QCOMPARE(err.code(), EngineCode::InsufficientRights);
        }
        e.removeAllPasswords();
        e.addPassword("Meister");
        Table b("Benutzer");
        b.open();
        QCOMPARE(b.recordCount(), 1);
        QCOMPARE(b.field("Name").asString(), QString("Anna"));
        b.close();
        Table::createFromQuery("Benutzer", q);
        b.open();
        QCOMPARE(b.recordCount(), 4);
        e.removeAllPasswords();
    }

    void badSqlGivesEngineError()
    {
        TestDataDir dir;
        Query q;
        q.setSql("SELECT Nr FROM NICHTDA");
        try {
            q.open();
            QFAIL("no error");
        } catch (const EngineError& e) {
            QVERIFY(!e.message().isEmpty());
        }
        QVERIFY(!q.active());
    }
};

QTEST_MAIN(TestQuery)
#include "tst_query.moc"
