#include "PruefAktionen.h"
#include "PruefCursor.h"
#include "PruefFixture.h"
#include "PruefungErfassen.h"
#include "Schema.h"
#include "UserControl.h"

#include <QtTest>

// An inspection recorded in one go (the phone's save): the new row takes the ladder's
// required criteria, only required criteria become done, the due date follows the latest
// inspection, and a refusal after the inspection was written leaves nothing behind.
class TestPruefungErfassen : public QObject {
    Q_OBJECT

    std::unique_ptr<PruefFixture> f;
    int m_ladder = 0;

private slots:
    void init()
    {
        resetDialogsForTest();
        f = std::make_unique<PruefFixture>();
        PruefFixture::addKind(1, "Jährlich", 1, 0, 0);
        m_ladder = PruefFixture::addLadder(7, {{"PruefungArt_ID", 1},
                                               {"PruefTermin", QDate(2024, 5, 1)},
                                               {"PrMaterial", true},
                                               {"PrHo_Verform", true},
                                               {"PrSonstiges", true}});
        f->open(7);
    }
    void cleanup() { f.reset(); }

    void speichertUndRechnetTermin_data()
    {
        QTest::addColumn<QDate>("datum");
        QTest::addColumn<QDate>("spaetere");   // an inspection already stored, or none
        QTest::addColumn<QDate>("termin");
        QTest::newRow("heute") << QDate(2025, 3, 10) << QDate() << QDate(2026, 3, 10);
        QTest::newRow("29. Februar") << QDate(2024, 2, 29) << QDate() << QDate(2025, 2, 28);
        // Like "Neu.-Termin": the latest inspection counts, not the one just recorded.
        QTest::newRow("nachgetragen") << QDate(2025, 1, 5) << QDate(2025, 6, 1) << QDate(2026, 6, 1);
    }
    void speichertUndRechnetTermin()
    {
        QFETCH(QDate, datum);
        QFETCH(QDate, spaetere);
        QFETCH(QDate, termin);
        if (spaetere.isValid())
            PruefFixture::addInspection(m_ladder, {{"Datum", spaetere}});
        f->open(7);
        std::unique_ptr<Table> pruef(createLtPruefCursor(*f->dm, f->leiter.get(), *f->dm->DataUserControl, nullptr));
        PruefAktionen a(*f->leiter, *pruef, *f->dm, *f->dm->DataUserControl);
        PruefEingabe e;
        e.datum = datum;
        e.prueferId = 4;
        // "Schuhe" is not required: it must not become done.
        e.erledigt = {"Material", "Sonstiges", "Schuhe"};
        const PruefErfasst r = pruefungErfassen(a, *f->leiter, *pruef, e);
        QVERIFY(r.termin.gefunden);
        const QVariantMap row = PruefFixture::stored("LT_PRUEF", r.pruefId);
        QCOMPARE(row.value("LT_ID").toInt(), m_ladder);
        QCOMPARE(row.value("Datum").toDate(), datum);
        QCOMPARE(row.value("PruefungArt_ID").toInt(), 1);
        QCOMPARE(row.value("Pruefer_ID").toInt(), 4);
        QCOMPARE(row.value("PrMaterial").toBool(), true);
        QCOMPARE(row.value("PrErlMaterial").toBool(), true);
        QCOMPARE(row.value("PrHo_Verform").toBool(), true);
        QCOMPARE(row.value("PrHo_ErlVerform").toBool(), false);
        QCOMPARE(row.value("PrErlSonstiges").toBool(), true);
        QCOMPARE(row.value("PrErlSchuhe").toBool(), false);
        QCOMPARE(PruefFixture::stored("LT_LEIT", m_ladder).value("PruefTermin").toDate(), termin);
    }

    void verweigertLaesstNichtsZurueck_data()
    {
        QTest::addColumn<QDate>("datum");
        QTest::addColumn<bool>("aendernErlaubt");
        QTest::addColumn<QString>("meldung");
        // The inspection is written before the due date; both refusals come after it.
        QTest::newRow("Termin außerhalb") << QDate(3999, 6, 1) << true << QStringLiteral("außerhalb");
        QTest::newRow("ohne Änderungsrecht") << QDate(2025, 3, 10) << false << QString();
    }
    void verweigertLaesstNichtsZurueck()
    {
        QFETCH(QDate, datum);
        QFETCH(bool, aendernErlaubt);
        QFETCH(QString, meldung);
        if (aendernErlaubt)
            f->limitRights({crView, crInsert, crModify});
        else
            f->limitRights({crView, crInsert});
        std::unique_ptr<Table> pruef(createLtPruefCursor(*f->dm, f->leiter.get(), *f->dm->DataUserControl, nullptr));
        PruefAktionen a(*f->leiter, *pruef, *f->dm, *f->dm->DataUserControl);
        PruefEingabe e;
        e.datum = datum;
        e.erledigt = {"Material"};
        bool refused = false;
        try {
            pruefungErfassen(a, *f->leiter, *pruef, e);
        } catch (const HwError& err) {
            refused = true;
            QVERIFY2(err.message().contains(meldung), qPrintable(err.message()));
        }
        QVERIFY(refused);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 0);
        QCOMPARE(PruefFixture::stored("LT_LEIT", m_ladder).value("PruefTermin").toDate(), QDate(2024, 5, 1));
        // The cursors show what the database holds, and the next save works.
        QVERIFY(!pruef->isEditing());
        QCOMPARE(pruef->recordCount(), 0);
        f->limitRights({crView, crInsert, crModify});
        e.datum = QDate(2025, 3, 10);
        pruefungErfassen(a, *f->leiter, *pruef, e);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);
        QCOMPARE(pruef->recordCount(), 1);
    }
};

QTEST_MAIN(TestPruefungErfassen)
#include "tst_pruefungerfassen.moc"
