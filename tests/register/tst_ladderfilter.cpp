#include "DataModule.h"
#include "LadderFilter.h"
#include "LeiterCursor.h"
#include "LtFirmAbt.h"
#include "Table.h"
#include "TestSupport.h"

#include <QtTest>

// Search, marks and filters of the ladder register on a small real register.
class TestLadderFilter : public QObject {
    Q_OBJECT

    struct Register {
        TestDataDir dir;
        std::unique_ptr<TDataModule1> dm;
        std::unique_ptr<TLtFirmAbt> depts;
        Table* leiter = nullptr;
        MarkListe marks;
        std::unique_ptr<LadderFilter> filter;
        QHash<QString, int> node;     // department name -> ID

        // Company "Werk" (site "Halle" with "Lager"), company "Büro"; ladders 1..8.
        Register()
        {
            Table f("FIRMEN");
            f.open();
            auto add = [&](const QString& name, int parent) {
                f.append();
                f.setValue("KurzBez", name);
                f.setValue("ParentID", parent);
                f.post();
                node.insert(name, f.field("ID").asInteger());
            };
            add("Werk", 0);
            add("Halle", node["Werk"]);
            add("Lager", node["Halle"]);
            add("Büro", 0);
            Table t("LT_LEIT");
            t.open();
            const QList<std::tuple<int, QString, QString, QVariant>> rows = {
                {1, "Stehleiter ändern", "Werk", node["Lager"]},
                {2, "Anlegeleiter", "Werk", node["Halle"]},
                {3, "Podest", "Büro", node["Büro"]},
                {12, "Tritt", "", node["Werk"]},
                {123, "Mastleiter", "", QVariant()},
                {7, "Schiebeleiter", "Nordstahl", node["Lager"]},
                {8, "Bock", "", QVariant()},
                {9, "Bock", "", QVariant()},
            };
            for (const auto& [nr, text, firma, dept] : rows) {
                t.append();
                t.setValue("Nr", nr);
                t.setValue("KurzBez", text);
                t.setValue("Firma", firma);
                t.setValue("FirmenAbtID", dept);
                t.post();
            }
            dm = std::make_unique<TDataModule1>();
            depts = std::make_unique<TLtFirmAbt>(*dm->StFirmAbtList);
            leiter = createLeiterCursor(*dm, *depts, dm.get());
            leiter->open();
            filter = std::make_unique<LadderFilter>(*leiter, marks, *depts);
        }
        int nr() const { return leiter->field("Nr").asInteger(); }
        QList<int> visibleNumbers() const
        {
            QList<int> out;
            for (int r = 0; r < leiter->recordCount(); ++r)
                out << leiter->valueAt(r, leiter->field("Nr").index()).toInt();
            return out;
        }
        void gotoNr(int n) { QVERIFY(leiter->findKey({n})); }
    };

private slots:
    void init() { resetDialogsForTest(); }

    void textMatch_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("match");
        QTest::newRow("substring") << "leiter" << "Stehleiter" << true;
        QTest::newRow("a-z folded") << "STEH" << "stehleiter" << true;
        QTest::newRow("umlaut exact") << "ÄNDERN" << "ändern" << false;
        QTest::newRow("umlaut same case") << "ändern" << "Ändern" << false;
        QTest::newRow("?2 in 12") << "?2" << "12" << true;
        QTest::newRow("?2 in 123") << "?2" << "123" << true;
        QTest::newRow("?2 not in 2") << "?2" << "2" << false;
        QTest::newRow("? inside field only") << "R?" << "Leiter" << false;
        QTest::newRow("? any char") << "L??TER" << "Leiter" << true;
        QTest::newRow("empty matches nothing") << "" << "Leiter" << false;
    }

    void textMatch()
    {
        QFETCH(QString, search);
        QFETCH(QString, field);
        QFETCH(bool, match);
        QCOMPARE(TextMatcher(search).matches(field), match);
    }

    void textSearchOverFields()
    {
        Register r;
        QVERIFY(r.filter->searchFirst("?2"));
        QCOMPARE(r.nr(), 12);
        QVERIFY(r.filter->searchNext());
        QCOMPARE(r.nr(), 123);
        QVERIFY(!r.filter->searchNext());        // stays on the last match
        QCOMPARE(r.nr(), 123);
        QVERIFY(r.filter->searchPrior());
        QCOMPARE(r.nr(), 12);
        QVERIFY(r.filter->searchFirst("nordstahl"));   // Firma
        QCOMPARE(r.nr(), 7);
        QVERIFY(!r.filter->searchFirst("gibtsnicht"));
        QCOMPARE(r.nr(), 7);
        r.filter->clearSearch();
        QVERIFY(!r.filter->searchNext());        // F3 with an empty text does nothing
        QCOMPARE(r.nr(), 7);
    }

    void searchToMarksAndFilter()
    {
        Register r;
        r.filter->searchFirst("bock");
        QCOMPARE(r.filter->searchToMarks(), 2);
        QCOMPARE(r.nr(), 9);
        QCOMPARE(r.marks.count(), 2);
        r.filter->setCondition(FilterKind::SuchText, r.filter->suchText());
        QCOMPARE(r.visibleNumbers(), QList<int>({8, 9}));
        QCOMPARE(r.filter->recordCounterText(), QString(" 2 gefiltert "));
        QCOMPARE(r.filter->filterText(), QString("Daten gefiltert"));
        // The condition tests the current text: cleared, no ladder passes.
        r.filter->clearSearch();
        QCOMPARE(r.leiter->recordCount(), 0);
        r.filter->setCondition(FilterKind::SuchText, QString());
        QCOMPARE(r.leiter->recordCount(), 8);
        QCOMPARE(r.filter->filterText(), QString());
    }

    void departmentCondition()
    {
        Register r;
        r.filter->setCondition(FilterKind::Abteilung, QString::number(r.node["Halle"]));
        QCOMPARE(r.visibleNumbers(), QList<int>({1, 2, 7}));     // Halle and Lager below it
        r.filter->setCondition(FilterKind::Abteilung, QString::number(r.node["Werk"]));
        QCOMPARE(r.visibleNumbers(), QList<int>({1, 2, 7, 12}));
        // A ladder without department gives 0: no ladder passes.
        r.filter->setCondition(FilterKind::Abteilung, "0");
        QCOMPARE(r.leiter->recordCount(), 0);
        r.filter->clearAll();
        QCOMPARE(r.leiter->recordCount(), 8);
        QVERIFY(!r.leiter->filtered());
    }

    void marksCondition()
    {
        Register r;
        r.gotoNr(3);
        QVERIFY(r.filter->toggleMark());
        r.gotoNr(8);
        r.filter->mark();
        r.filter->setCondition(FilterKind::Markierung, "M");
        QCOMPARE(r.visibleNumbers(), QList<int>({3, 8}));
        // "Markierungen löschen": the condition stays on but accepts every row.
        r.marks.clear();
        r.leiter->refilter();
        QCOMPARE(r.leiter->recordCount(), 8);
        QCOMPARE(r.filter->filterText(), QString("Daten gefiltert"));
        QCOMPARE(r.filter->markCounterText(), QString());
    }

    void markToCurrent_data()
    {
        QTest::addColumn<QList<int>>("marked");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<bool>("noMarkError");
        // Order by Nr: 1 2 3 7 8 9 12 123
        QTest::newRow("mark three rows above") << QList<int>{2} << 8 << QList<int>{2, 3, 7, 8} << false;
        QTest::newRow("none above") << QList<int>{12} << 3 << QList<int>{12} << false;
        QTest::newRow("no mark at all") << QList<int>{} << 3 << QList<int>{} << true;
    }

    void markToCurrent()
    {
        QFETCH(QList<int>, marked);
        QFETCH(int, current);
        QFETCH(QList<int>, expected);
        QFETCH(bool, noMarkError);
        Register r;
        for (int n : marked) {
            r.gotoNr(n);
            r.filter->mark();
        }
        r.gotoNr(current);
        try {
            r.filter->markToCurrent();
            QVERIFY(!noMarkError);
        } catch (const HwError& e) {
            QVERIFY(noMarkError);
            QCOMPARE(e.message(), QString("Kein Datensatz markiert"));
        }
        QList<int> got;
        for (int n : {1, 2, 3, 7, 8, 9, 12, 123}) {
            r.gotoNr(n);
            if (r.marks.contains(r.leiter->field("ID").asString()))
                got << n;
        }
        std::sort(expected.begin(), expected.end());
        QCOMPARE(got, expected);
    }

    void markNavigation()
    {
        Register r;
        for (int n : {7, 2, 12}) {
            r.gotoNr(n);
            r.filter->mark();
        }
        QCOMPARE(r.marks.ids().size(), 3);
        r.gotoNr(1);
        QVERIFY(r.filter->markFindNext());
        QCOMPARE(r.nr(), 2);
        QVERIFY(r.filter->markFindLast());
        QCOMPARE(r.nr(), 12);
        QVERIFY(!r.filter->markFindNext());
        QCOMPARE(r.nr(), 12);
        QVERIFY(r.filter->markFindFirst());
        QCOMPARE(r.nr(), 2);
        QVERIFY(!r.filter->markFindPrior());
        QCOMPARE(r.filter->markCounterText(), QString("M : 3"));
        QCOMPARE(r.filter->recordCounterText(), QString(" 2 von 8 "));
    }
};

QTEST_MAIN(TestLadderFilter)
#include "tst_ladderfilter.moc"
