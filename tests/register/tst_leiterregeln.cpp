#include "DataModule.h"
#include "Dialogs.h"
#include "Engine.h"
#include "KurzBezVorschlaege.h"
#include "LeiterAuswahllisten.h"
#include "LeiterRegeln.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QtTest>

// The ladder rules on a plain ladder cursor, without the main window.
class TestLeiterRegeln : public QObject {
    Q_OBJECT

    static void addLadders(const QList<int>& numbers)
    {
        Table t("LT_LEIT");
        t.open();
        for (int nr : numbers) {
            t.append();
            t.setValue("Nr", nr);
            t.setValue("KurzBez", QString("Leiter %1").arg(nr));
            t.post();
        }
    }

    struct Fixture {
        TestDataDir dir;
        std::unique_ptr<TDataModule1> dm;
        std::unique_ptr<Table> leiter;
        std::unique_ptr<TLeiterRegeln> regeln;
        explicit Fixture(const QList<int>& numbers)
        {
            addLadders(numbers);
            dm = std::make_unique<TDataModule1>();
            leiter = std::make_unique<Table>("LT_LEIT");
            leiter->setIndexFieldNames("Nr");
            leiter->open();
            regeln = std::make_unique<TLeiterRegeln>(*leiter, *dm);
        }
        ~Fixture()
        {
            regeln.reset();
            leiter.reset();
            dm.reset();
        }
    };

private slots:
    void init()
    {
        resetDialogsForTest();
        LeiterNrPolitik::reset();
        UserState::reset();
    }

    // The number a new ladder gets under each command, and the mode afterwards.
    void numbering_data()
    {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("input");       // scripted answer of the start prompt; "-" cancels
        QTest::addColumn<int>("expected");
        QTest::newRow("empty, max+1") << QList<int>{} << "neu" << "" << 1;
        QTest::newRow("empty, free from 1") << QList<int>{} << "frei" << "" << 1;
        QTest::newRow("1237, max+1") << QList<int>{1, 2, 3, 7} << "neu" << "" << 8;
        QTest::newRow("1237, free from 1") << QList<int>{1, 2, 3, 7} << "frei" << "" << 4;
        QTest::newRow("1237, from 5") << QList<int>{1, 2, 3, 7} << "ab" << "5" << 5;
        QTest::newRow("1237, from 7") << QList<int>{1, 2, 3, 7} << "ab" << "7" << 8;
        QTest::newRow("1237, from 2 with blanks") << QList<int>{1, 2, 3, 7} << "ab" << " 2 " << 4;
        QTest::newRow("1237, prompt cancelled: proposal 1") << QList<int>{1, 2, 3, 7} << "ab" << "-" << 4;
    }

    void numbering()
    {
        QFETCH(QList<int>, numbers);
        QFETCH(QString, command);
        QFETCH(QString, input);
        QFETCH(int, expected);
        Fixture f(numbers);
        if (command == "ab") {
            if (input == "-")
                Dialogs::scriptCancel();
            else
                Dialogs::scriptText(input);
            f.regeln->LeiterNeuFreieNrAbExecute();
            QCOMPARE(Dialogs::shown().last().caption, QString("Suche nach freier Nummer ab :"));
            QCOMPARE(Dialogs::shown().last().text, QString("Nr (?) :"));
        } else if (command == "frei") {
            f.regeln->LeiterNeuFreieNrExecute();
        } else {
            f.regeln->LeiterNeuExecute();
        }
        QCOMPARE(f.leiter->state(), DataSetState::Insert);
        QCOMPARE(f.leiter->value("Nr").toInt(), expected);
        // The command's mode holds for one creation only.
        QVERIFY(LeiterNrPolitik::NrModus == TNrModus::NrMaxPlus1);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // The prompt proposes the last number entered, or the current ladder's number.
    void startPromptProposals()
    {
        Fixture f({1, 2, 3, 7});
        Dialogs::scriptText("5");
        f.regeln->LeiterNeuFreieNrAbExecute();
        f.leiter->cancel();
        QCOMPARE(LeiterNrPolitik::NrStartWert, 5);
        Dialogs::scriptCancel();
        f.regeln->LeiterNeuFreieNrAbExecute();
        QCOMPARE(f.leiter->value("Nr").toInt(), 5);
        f.leiter->setValue("KurzBez", "Fünf");
        f.leiter->post();

        // From the current row: the ladder 3 proposes 3, giving 4.
        QVERIFY(f.leiter->findKey({3}));
        Dialogs::scriptCancel();
        f.regeln->LeiterNeuFreieNrAbZeileExecute();
        QCOMPARE(f.leiter->value("Nr").toInt(), 4);
        QCOMPARE(LeiterNrPolitik::NrStartWert, 3);
    }

    // A start number that is no integer ends the command before a row is added.
    void startNumberNoInteger()
    {
        Fixture f({1});
        Dialogs::scriptText("5a");
        QVERIFY_THROWS_EXCEPTION(HwError, f.regeln->LeiterNeuFreieNrAbExecute());
        try {
            Dialogs::scriptText("5a");
            f.regeln->LeiterNeuFreieNrAbExecute();
        } catch (const HwError& e) {
            QCOMPARE(e.message(), QString("'5a' ist kein gültiger Integerwert"));
        }
        QCOMPARE(f.leiter->state(), DataSetState::Browse);
        QCOMPARE(f.leiter->recordCount(), 1);
        QCOMPARE(LeiterNrPolitik::NrStartWert, 1);
        QVERIFY(LeiterNrPolitik::NrModus == TNrModus::NrMaxPlus1);
    }

    // A new ladder: the seven simple criteria on, "other" off, not scrapped, nothing else.
    void newLadderDefaults()
    {
        Fixture f({});
        f.regeln->LeiterNeuExecute();
        for (const char* name : {"PrMaterial", "PrVerbindungen", "PrBeschlaege", "PrScharniere", "PrFunktionen",
                                 "PrDurchbiegung", "PrSchuhe"})
            QVERIFY2(f.leiter->field(name).value() == QVariant(true), name);
        QCOMPARE(f.leiter->field("PrSonstiges").value(), QVariant(false));
        QCOMPARE(f.leiter->field("Schrott").value(), QVariant(false));
        for (const char* name : {"KurzBez", "AusgabeDatum", "PruefTermin", "PrHo_Verform", "FirmenAbtID", "LAend"})
            QVERIFY2(f.leiter->field(name).isNull(), name);
    }

    // The number check on every write of Nr, also of a ladder's own number.
    void numberCheck()
    {
        Fixture f({1, 2});
        f.leiter->first();
        f.leiter->edit();
        try {
            f.leiter->setValue("Nr", 2);
            QFAIL("duplicate accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.message(), QString("LeiterNr 2 schon vorhanden"));
        }
        QVERIFY_THROWS_EXCEPTION(EngineError, f.leiter->setValue("Nr", 1));
        QCOMPARE(f.leiter->state(), DataSetState::Edit);
        f.leiter->setValue("Nr", 9);
        f.leiter->post();
        QVERIFY(f.dm->LeiterNrVorhanden(9));
        QVERIFY(!f.dm->LeiterNrVorhanden(1));
    }

    // Saving stamps LAend; Nr and KurzBez are required with their labels.
    void saveStampsAndRequires()
    {
        Fixture f({});
        f.regeln->LeiterNeuExecute();
        try {
            f.leiter->post();
            QFAIL("saved without KurzBez");
        } catch (const EngineError& e) {
            QCOMPARE(e.message(), QString("Feld 'Kurz.-Bezeichnung' muß einen Wert haben"));
        }
        QCOMPARE(f.leiter->state(), DataSetState::Insert);
        f.leiter->setValue("KurzBez", "Tritt");
        f.leiter->setValue("Nr", QVariant());
        QVERIFY_THROWS_EXCEPTION(EngineError, f.leiter->post());
        f.leiter->setValue("Nr", 1);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        f.leiter->post();
        QVERIFY(f.leiter->field("LAend").asDateTime() >= before);
    }

    // A copy takes every column of the current ladder, keeps its own number and gets its own
    // key; the source's inspections stay with the source.
    void copy()
    {
        Fixture f({1, 2, 3, 7});
        const QDateTime sourceStamp(QDate(2000, 1, 1), QTime(8, 0));
        int sourceId = 0;
        {
            // Written past the window's rules, as another workstation would.
            Table t("LT_LEIT");
            t.setIndexFieldNames("Nr");
            t.open();
            QVERIFY(t.findKey({2}));
            t.edit();
            t.setValue("ExNrBez", "K-2");
            t.setValue("AusgabeDatum", QDate(2001, 2, 3));
            t.setValue("PrHo_Kanten", true);
            t.setValue("PrMaterial", false);
            t.setValue("FirmenAbtID", 17);
            t.setValue("Beschreibung", "Zeile 1\nZeile 2");
            t.setValue("Laenge", 2.5);
            t.setValue("LAend", sourceStamp);
            t.post();
            sourceId = t.value("ID").toInt();
            Table p("LT_PRUEF");
            p.open();
            p.append();
            p.setValue("LT_ID", sourceId);
            p.setValue("Datum", QDate(2003, 1, 1));
            p.post();
        }
        f.leiter->refresh();
        QVERIFY(f.leiter->findKey({2}));
        QSignalSpy switchSpy(f.regeln.get(), &TLeiterRegeln::kopierenChanged);
        f.regeln->LeiterNeuKopierenExecute();
        QVERIFY(!f.regeln->kopieren());
        QCOMPARE(switchSpy.count(), 2);
        QCOMPARE(f.leiter->value("Nr").toInt(), 8);
        QCOMPARE(f.leiter->value("KurzBez").toString(), QString("Leiter 2"));
        QCOMPARE(f.leiter->value("ExNrBez").toString(), QString("K-2"));
        QCOMPARE(f.leiter->value("AusgabeDatum").toDate(), QDate(2001, 2, 3));
        QCOMPARE(f.leiter->value("PrHo_Kanten"), QVariant(true));
        QCOMPARE(f.leiter->value("PrMaterial"), QVariant(false));
        QCOMPARE(f.leiter->value("FirmenAbtID").toInt(), 17);
        QCOMPARE(f.leiter->value("Beschreibung").toString(), QString("Zeile 1\nZeile 2"));
        QCOMPARE(f.leiter->value("Laenge").toDouble(), 2.5);
        QCOMPARE(f.leiter->field("LAend").asDateTime(), sourceStamp);
        QVERIFY(f.regeln->nrPruefung());
        f.leiter->post();
        const int copyId = f.leiter->value("ID").toInt();
        QVERIFY(copyId != sourceId && copyId > 0);
        QVERIFY(f.leiter->field("LAend").asDateTime() > sourceStamp);
        Table p("LT_PRUEF");
        p.open();
        QCOMPARE(p.recordCount(), 1);
        QCOMPARE(p.value("LT_ID").toInt(), sourceId);
    }

    // With the copy switch down every creation copies, also the one from the first free number.
    void copySwitchWithFreeNumber()
    {
        Fixture f({1, 2, 3, 7});
        QVERIFY(f.leiter->findKey({7}));
        f.regeln->setKopieren(true);
        f.regeln->LeiterNeuFreieNrExecute();
        QCOMPARE(f.leiter->value("Nr").toInt(), 4);
        QCOMPARE(f.leiter->value("KurzBez").toString(), QString("Leiter 7"));
        QVERIFY(f.regeln->kopieren());
    }

    // A refused insert leaves nothing behind: no row, the mode back, the copy switch released.
    void insertRefused()
    {
        Fixture f({1});
        f.dm->DataUserControl->setActive(true);
        f.dm->DataUserControl->setRights(TUserRights{crView, crModify});
        QVERIFY_THROWS_EXCEPTION(UserControlException, f.regeln->LeiterNeuFreieNrExecute());
        QVERIFY(LeiterNrPolitik::NrModus == TNrModus::NrMaxPlus1);
        QVERIFY_THROWS_EXCEPTION(UserControlException, f.regeln->LeiterNeuKopierenExecute());
        QVERIFY(!f.regeln->kopieren());
        QCOMPARE(f.leiter->state(), DataSetState::Browse);
        QCOMPARE(f.leiter->recordCount(), 1);
    }

    // Delete: right first, then the question; only Ja deletes.
    void deleteCheck()
    {
        Fixture f({1, 2});
        Dialogs::scriptAnswer(false);
        QVERIFY_THROWS_EXCEPTION(Abort, f.leiter->remove());
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Datensatz löschen ?"});
        QCOMPARE(f.leiter->recordCount(), 2);
        f.dm->DataUserControl->setActive(true);
        f.dm->DataUserControl->setRights(TUserRights{crView});
        QVERIFY_THROWS_EXCEPTION(UserControlException, f.leiter->remove());
        QCOMPARE(Dialogs::shown().size(), 1);
        f.dm->DataUserControl->setRights(TUserRights{crDelete});
        Dialogs::scriptAnswer(true);
        f.leiter->remove();
        QCOMPARE(f.leiter->recordCount(), 1);
    }

    void suggestionFile()
    {
        QTemporaryDir dir;
        KurzBezVorschlaege::setVerzeichnis(dir.path());
        QCOMPARE(KurzBezVorschlaege::laden(), (QStringList{"Leiter, ortsveränderlich", "Steigleiter, ortsfest"}));
        KurzBezVorschlaege::speichern({"Stehleiter", "Podest, fahrbar"});
        QCOMPARE(KurzBezVorschlaege::laden(), (QStringList{"Stehleiter", "Podest, fahrbar"}));
        // A list written in the Windows code page still reads.
        QFile old(dir.filePath("kurzbez.vor"));
        QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("Schiebeleiter\r\nTritt, f\xfc" "nfstufig\r\n");
        old.close();
        QCOMPARE(KurzBezVorschlaege::laden(), (QStringList{"Schiebeleiter", "Tritt, fünfstufig"}));
        KurzBezVorschlaege::setVerzeichnis(dir.filePath("fehlt/nicht/da"));
        QVERIFY_THROWS_EXCEPTION(HwError, KurzBezVorschlaege::speichern({"x"}));
        KurzBezVorschlaege::setVerzeichnis(QString());
    }

    // The company list: top-level rows only (ParentID 0 or empty), in ID order.
    void companyAndSupplierLists()
    {
        TestDataDir dir;
        {
            Table firmen("FIRMEN");
            firmen.open();
            auto add = [&](const QString& name, const QVariant& parent) {
                firmen.append();
                firmen.setValue("KurzBez", name);
                firmen.setValue("ParentID", parent);
                firmen.post();
                return firmen.value("ID").toInt();
            };
            const int zeta = add("Zeta GmbH", QVariant());
            add("Werk Nord", zeta);
            add("Alpha AG", 0);
            Table lf("LFNAME");
            lf.open();
            for (const char* n : {"Krause", "Alu-Steig"}) {
                lf.append();
                lf.setValue("KurzBez", n);
                lf.post();
            }
        }
        TDataModule1 dm;
        QCOMPARE(firmenListe(*dm.StFirmAbtList), (QStringList{"Zeta GmbH", "Alpha AG"}));
        QCOMPARE(lieferantenListe(), (QStringList{"Krause", "Alu-Steig"}));
    }
};

QTEST_MAIN(TestLeiterRegeln)
#include "tst_leiterregeln.moc"
