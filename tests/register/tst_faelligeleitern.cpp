#include "FaelligeLeitern.h"
#include "LtFirmAbt.h"
#include "Table.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

// The due list on a small register: which ladders, in which state, in which order.
class TestFaelligeLeitern : public QObject {
    Q_OBJECT

    const QDate heute{2026, 3, 10};

    static int addFirma(const QString& name, int parent)
    {
        Table t("FIRMEN");
        t.open();
        t.append();
        t.setValue("KurzBez", name);
        if (parent)
            t.setValue("ParentID", parent);
        t.post();
        return t.field("ID").asInteger();
    }

    static int addLeiter(int nr, const QDate& termin, bool schrott = false, int abt = 0)
    {
        Table t("LT_LEIT");
        t.open();
        t.append();
        t.setValue("Nr", nr);
        t.setValue("KurzBez", QString("Leiter %1").arg(nr));
        if (termin.isValid())
            t.setValue("PruefTermin", termin);
        t.setValue("Schrott", schrott);
        if (abt)
            t.setValue("FirmenAbtID", abt);
        t.post();
        return t.field("ID").asInteger();
    }

    static void addPruefung(int ladderId, const QDate& datum)
    {
        Table t("LT_PRUEF");
        t.open();
        t.append();
        t.setValue("LT_ID", ladderId);
        t.setValue("Datum", datum);
        t.post();
    }

private slots:
    void init() { resetDialogsForTest(); }

    // One ladder at a time against today and the horizon of four weeks.
    void grenzen_data()
    {
        QTest::addColumn<int>("tage");          // due date relative to today; 9999: none
        QTest::addColumn<bool>("schrott");
        QTest::addColumn<bool>("mitSchrott");
        QTest::addColumn<bool>("gelistet");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("tageUeber");
        QTest::newRow("yesterday") << -1 << false << false << true << int(Faelligkeit::Ueberfaellig) << 1;
        QTest::newRow("a year ago") << -365 << false << false << true << int(Faelligkeit::Ueberfaellig) << 365;
        QTest::newRow("today") << 0 << false << false << true << int(Faelligkeit::BaldFaellig) << 0;
        QTest::newRow("in exactly 4 weeks") << 28 << false << false << true << int(Faelligkeit::BaldFaellig) << -28;
        QTest::newRow("in 4 weeks + 1 day") << 29 << false << false << false << 0 << 0;
        QTest::newRow("no due date") << 9999 << false << false << true << int(Faelligkeit::OhneTermin) << 0;
        QTest::newRow("scrap, overdue") << -10 << true << false << false << 0 << 0;
        QTest::newRow("scrap asked for") << -10 << true << true << true << int(Faelligkeit::Ueberfaellig) << 10;
    }

    void grenzen()
    {
        QFETCH(int, tage);
        QFETCH(bool, schrott);
        QFETCH(bool, mitSchrott);
        QFETCH(bool, gelistet);
        QFETCH(int, status);
        QFETCH(int, tageUeber);
        TestDataDir dir;
        addLeiter(1, tage == 9999 ? QDate() : heute.addDays(tage), schrott);
        TLtFirmAbt abt;
        FaelligAuswahl a;
        a.heute = heute;
        a.bis = heute.addDays(28);
        a.mitSchrott = mitSchrott;
        const FaelligeListe l = faelligeLeitern(a, abt);
        QCOMPARE(l.zeilen.size(), gelistet ? 1 : 0);
        if (!gelistet)
            return;
        const FaelligeLeiter& z = l.zeilen.first();
        QCOMPARE(int(z.status), status);
        QCOMPARE(z.tageUeberfaellig, tageUeber);
        QCOMPARE(z.schrott, schrott);
        QCOMPARE(l.ueberfaellig, status == int(Faelligkeit::Ueberfaellig) ? 1 : 0);
        QCOMPARE(l.baldFaellig, status == int(Faelligkeit::BaldFaellig) ? 1 : 0);
        QCOMPARE(l.ohneTermin, status == int(Faelligkeit::OhneTermin) ? 1 : 0);
        // The main window's count agrees, scrap never counted there.
        QCOMPARE(anzahlUeberfaellig(heute), status == int(Faelligkeit::Ueberfaellig) && !schrott ? 1 : 0);
    }

    // Order: by date, ties by number, the ladders without a date at the end; the last
    // inspection is the latest of several; the department filter takes the whole subtree.
    void ordnungUndAbteilung()
    {
        TestDataDir dir;
        const int firma = addFirma("Muster GmbH", 0);
        const int werk = addFirma("Werk Nord", firma);
        const int halle = addFirma("Halle 3", werk);
        const int andere = addFirma("Andere AG", 0);
        addLeiter(5, QDate(), false, halle);
        addLeiter(4, heute.addDays(3), false, werk);
        const int l3 = addLeiter(3, heute.addDays(-40), false, halle);
        addLeiter(2, heute.addDays(3), false, andere);
        addLeiter(1, QDate(), false, 0);
        addLeiter(6, heute.addDays(-2), false, 0);
        addPruefung(l3, QDate(2024, 5, 1));
        addPruefung(l3, QDate(2025, 1, 28));
        addPruefung(l3, QDate(2023, 2, 1));

        Table firmen("FIRMEN");
        firmen.open();
        TLtFirmAbt abt(firmen);
        FaelligAuswahl a;
        a.heute = heute;
        a.bis = heute.addDays(28);
        FaelligeListe l = faelligeLeitern(a, abt);
        QList<int> nrs;
        for (const FaelligeLeiter& z : l.zeilen)
            nrs << z.nr;
        QCOMPARE(nrs, (QList<int>{3, 6, 2, 4, 1, 5}));
        QCOMPARE(l.zeilen[0].letztePruefung, QDate(2025, 1, 28));
        QVERIFY(!l.zeilen[1].letztePruefung.isValid());
        QCOMPARE(l.zeilen[0].abteilung, abt.PathText(QString::number(halle)));
        QVERIFY(l.zeilen[0].abteilung.contains("Halle 3"));
        QCOMPARE(l.ueberfaellig, 2);
        QCOMPARE(l.baldFaellig, 2);
        QCOMPARE(l.ohneTermin, 2);

        a.abtKey = QString::number(werk);
        l = faelligeLeitern(a, abt);
        nrs.clear();
        for (const FaelligeLeiter& z : l.zeilen)
            nrs << z.nr;
        QCOMPARE(nrs, (QList<int>{3, 4, 5}));
        QCOMPARE(l.ueberfaellig + l.baldFaellig + l.ohneTermin, 3);
    }

    // The weeks live in the settings file beside the other sections, which stay as they were.
    void wochenImIni()
    {
        QTemporaryDir tmp;
        const QString ini = tmp.filePath("tarvino.ini");
        QCOMPARE(faelligWochen(ini), kFaelligWochenStandard);
        {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[System]\nNetFileDir=C:\\Daten\\Net\n\n[Data]\nTarvino=C:\\Daten\n");
        }
        QVERIFY(setFaelligWochen(ini, 6));
        QCOMPARE(faelligWochen(ini), 6);
        QVERIFY(setFaelligWochen(ini, 8));
        QCOMPARE(faelligWochen(ini), 8);
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY(text.contains("NetFileDir=C:\\Daten\\Net"));
        QVERIFY(text.contains("Tarvino=C:\\Daten"));
        QCOMPARE(text.count("Wochen="), 1);
        QVERIFY(setFaelligWochen(ini, 0) && faelligWochen(ini) == kFaelligWochenStandard);
    }
};

QTEST_MAIN(TestFaelligeLeitern)
#include "tst_faelligeleitern.moc"
