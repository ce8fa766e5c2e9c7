#include "Errors.h"
#include "Query.h"
#include "RepFixture.h"
#include "RepForm.h"

#include <QtTest>

// Query lines, header texts and the selected ladders for a table of selections, as the
// selection window hands them to a report form.
namespace {

class LeiterForm : public TRepForm {
public:
    LeiterForm(TDataModule1& dm, TRepProfile p) : TRepForm(dm, std::move(p), QStringLiteral("Test"))
    {
        query().setSql(QStringLiteral("SELECT *\nFROM LT_LEIT\nWHERE ID > 0"));
    }
};

class PruefForm : public TRepForm {
public:
    explicit PruefForm(TDataModule1& dm) : TRepForm(dm, TRepProfile::pruefung(), QStringLiteral("Test"))
    {
        query().setSql(QStringLiteral("SELECT L.Nr,L.KurzBez,L.Firma,L.Art_ID,L.Mat_ID,L.ID AS LeiterID,L.ExNrBez,"
                                      "L.FirmenAbtID,P.Datum,P.PruefungArt_ID,P.Pruefer_ID\n"
                                      "FROM LT_PRUEF P,LT_LEIT L\nWHERE P.LT_ID = L.ID"));
    }
};

QDate isoDate(const QString& s) { return QDate::fromString(s, Qt::ISODate); }

} // namespace

class TestRepSelection : public QObject {
    Q_OBJECT
    std::unique_ptr<RepRegister> m_reg;   // read only: shared by all rows

private slots:
    void initTestCase() { m_reg = std::make_unique<RepRegister>(); }
    void cleanupTestCase() { m_reg.reset(); }
    void init() { resetDialogsForTest(); }
    void selection_data();
    void selection();
    void datumBetween();
};

void TestRepSelection::selection_data()
{
    QTest::addColumn<QString>("form");         // leiter, uebersicht, pruefung, count
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("lines");    // lines after the design text
    QTest::addColumn<QString>("sortiert");
    QTest::addColumn<QString>("bereich");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<int>>("numbers");

    QTest::newRow("<Alle>, first sort item") << "leiter" << QStringList{"sort 0"} << QString()
        << QStringList{"ORDER BY Nr"} << "Sortiert nach Leiter-Nr" << "" << "" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("number range") << "leiter" << QStringList{"nr 2 4", "sort 1"} << QString()
        << QStringList{"AND Nr BETWEEN 2 and 4", "ORDER BY KurzBez"} << "Sortiert nach Leiter-Kurzbez"
        << "Leiter-Nr : 2 bis 4" << "" << QList<int>{2, 3, 4};
    QTest::newRow("number von = bis") << "leiter" << QStringList{"nr 3 3"} << QString()
        << QStringList{"AND Nr BETWEEN 3 and 3"} << "" << "Leiter-Nr : 3 bis 3" << "" << QList<int>{3};
    QTest::newRow("number bis < von") << "leiter" << QStringList{"nr 4 2"}
        << "Leiter-Nr..bis muss >= LeiterNr..von sein" << QStringList() << "" << "" << "" << QList<int>();
    QTest::newRow("short description with a quote") << "leiter" << QStringList{"kurz O'Brien|O'Brien"} << QString()
        << QStringList{"AND KurzBez BETWEEN :KurzBezVon and :KurzBezBis"} << ""
        << "Leiter-KurzBez : O'Brien bis O'Brien" << "" << QList<int>{2};
    QTest::newRow("short description a to B") << "leiter" << QStringList{"kurz a|B"}
        << "Leiter-KurzBez..bis muss >= LeiterNr..von sein" << QStringList() << "" << "" << "" << QList<int>();
    QTest::newRow("due date") << "leiter" << QStringList{"termin 2004-03-01 2004-03-31"} << QString()
        << QStringList{"AND PruefTermin BETWEEN  '03/01/2004' and '03/31/2004'"} << ""
        << "n. Prüf-Termin : 01.03.2004 bis 31.03.2004" << "" << QList<int>{1, 2, 7, 8};
    QTest::newRow("issue date von = bis") << "leiter" << QStringList{"ausgabe 2003-01-03 2003-01-03"} << QString()
        << QStringList{"AND AusgabeDatum BETWEEN  '01/03/2003' and '01/03/2003'"} << ""
        << "AusgabeDatum : 03.01.2003 bis 03.01.2003" << "" << QList<int>{3};
    QTest::newRow("date bis < von") << "leiter" << QStringList{"termin 2004-03-31 2004-03-01"}
        << "Datum..bis muss >= Datum..von sein" << QStringList() << "" << "" << "" << QList<int>();
    QTest::newRow("type and material") << "leiter" << QStringList{"art Anlegeleiter", "mat Alu"} << QString()
        << QStringList{"AND Art_ID = %Anlegeleiter", "AND MAT_ID = %Alu"} << "" << ""
        << "LeiterArt :Anlegeleiter / Material :Alu / " << QList<int>{3, 4};
    QTest::newRow("company name with a quote") << "leiter" << QStringList{"firma Müller's"} << QString()
        << QStringList{"AND Firma = :Firma"} << "" << "" << "Firma : Müller's / " << QList<int>{1, 4};
    QTest::newRow("department subtree") << "leiter" << QStringList{"abt Halle"} << QString() << QStringList() << ""
        << "" << "Abtl. : Werk - Halle / " << QList<int>{2, 3};
    QTest::newRow("marks and department") << "leiter" << QStringList{"marks 1,3,4,5", "abt Werk"} << QString()
        << QStringList() << "" << "" << "nur markierte Sätze / Abtl. : Werk / " << QList<int>{1, 3, 4};
    QTest::newRow("inspection kind, scrap, inspector without effect") << "uebersicht"
        << QStringList{"ltpruefart Jährlich", "pruefer Meier", "schrott"} << QString()
        << QStringList{"AND PruefungArt_ID = %Jährlich", "AND Schrott = false"} << "" << ""
        << "Prüfung :Jährlich / ohne Schrott /" << QList<int>{1, 5, 6, 7, 8};
    QTest::newRow("all criteria together") << "leiter"
        << QStringList{"nr 1 7", "art Stehleiter", "mat Alu", "firma Nordstahl", "ltpruefart Jährlich", "schrott",
                       "marks 5,7,2", "abt Werk", "sort 4"}
        << QString()
        << QStringList{"AND Nr BETWEEN 1 and 7", "AND Art_ID = %Stehleiter", "AND MAT_ID = %Alu", "AND Firma = :Firma",
                       "AND PruefungArt_ID = %Jährlich", "AND Schrott = false", "ORDER BY ExNrBez"}
        << "Sortiert nach externe Leiter-Nr" << "Leiter-Nr : 1 bis 7"
        << "LeiterArt :Stehleiter / Material :Alu / Firma : Nordstahl / Prüfung :Jährlich / ohne Schrott / "
           "nur markierte Sätze / Abtl. : Werk / "
        << QList<int>{7};
    QTest::newRow("inspections: date is the inspection's, marks on LeiterID") << "pruefung"
        << QStringList{"termin 2004-03-01 2004-03-31", "pruefart Jährlich", "pruefer Meier", "marks 3", "sort 2"}
        << QString()
        << QStringList{"AND Datum BETWEEN  '03/01/2004' and '03/31/2004'", "AND P.PruefungArt_ID = %Jährlich",
                       "AND Pruefer_ID = %Meier", "ORDER BY P.Datum"}
        << "Sortiert nach Prüf-Datum" << "Prüf-Datum : 01.03.2004 bis 31.03.2004"
        << "Prüfung :Jährlich / int. Prüfer :Meier / nur markierte Sätze" << QList<int>{3};
    QTest::newRow("inspections: short description qualified") << "pruefung" << QStringList{"kurz P|Q"} << QString()
        << QStringList{"AND L.KurzBez BETWEEN :KurzBezVon and :KurzBezBis"} << "" << "Leiter-KurzBez : P bis Q" << ""
        << QList<int>{3, 3};
    QTest::newRow("count: texts, no marks, no sort") << "count"
        << QStringList{"nr 1 2", "art Stehleiter", "marks 1", "sort 0"} << QString()
        << QStringList{"AND Nr BETWEEN 1 and 2", "AND Art_ID = %Stehleiter"} << "" << "Leiter.-Nr : 1 bis 2"
        << "Leiter-Art :Stehleiter / " << QList<int>();
    QTest::newRow("count: number error wording") << "count" << QStringList{"nr 2 1"}
        << "Leiter-Nr..bis muss >= Leiter-Nr..von sein" << QStringList() << "" << "" << "" << QList<int>();
}

void TestRepSelection::selection()
{
    QFETCH(QString, form);
    QFETCH(QStringList, steps);
    QFETCH(QString, error);
    QFETCH(QStringList, lines);
    QFETCH(QString, sortiert);
    QFETCH(QString, bereich);
    QFETCH(QString, filter);
    QFETCH(QList<int>, numbers);

    RepRegister& reg = *m_reg;
    std::unique_ptr<TRepForm> f;
    if (form == "pruefung")
        f = std::make_unique<PruefForm>(*reg.dm);
    else if (form == "count")
        f = std::make_unique<LeiterForm>(*reg.dm, TRepProfile::count());
    else
        f = std::make_unique<LeiterForm>(*reg.dm, TRepProfile::leiter(form == "uebersicht"));
    const int designLines = int(f->query().sqlLines().size());

    QString thrown;
    try {
        for (const QString& step : steps) {
            const QString cmd = step.section(' ', 0, 0);
            const QString arg = step.section(' ', 1);
            if (cmd == "nr")
                f->SetBereichNr(arg.section(' ', 0, 0).toInt(), arg.section(' ', 1, 1).toInt());
            else if (cmd == "kurz")
                f->SetBereichKurzBez(arg.section('|', 0, 0), arg.section('|', 1, 1));
            else if (cmd == "termin")
                f->SetBereichDatum(f->profile().pruefTerminField, f->profile().pruefTerminLabel,
                                   isoDate(arg.section(' ', 0, 0)), isoDate(arg.section(' ', 1, 1)));
            else if (cmd == "ausgabe")
                f->SetBereichDatum("AusgabeDatum", "AusgabeDatum", isoDate(arg.section(' ', 0, 0)),
                                   isoDate(arg.section(' ', 1, 1)));
            else if (cmd == "art")
                f->SetFilterID(rfLeiterArt, reg.key[arg]);
            else if (cmd == "mat")
                f->SetFilterID(rfMaterial, reg.key[arg]);
            else if (cmd == "firma")
                f->SetFilter(rfFirma, arg);
            else if (cmd == "ltpruefart")
                f->SetFilterID(rfLtPruefArt, reg.key[arg]);
            else if (cmd == "pruefart")
                f->SetFilterID(rfPruefArt, reg.key[arg]);
            else if (cmd == "pruefer")
                f->SetFilterID(rfPruefer, reg.key[arg]);
            else if (cmd == "schrott")
                f->SetFilterFlag(rfSchrott, false);
            else if (cmd == "abt")
                f->SetFilter(rfAbteilung, QString::number(reg.node[arg]));
            else if (cmd == "marks") {
                QStringList ids;
                for (const QString& nr : arg.split(','))
                    ids << QString::number(reg.ladderId[nr.toInt()]);
                f->SetFilterMarkiert(rfMarkiert, ids);
            } else if (cmd == "sort")
                f->SetSortierung(arg.toInt());
            else
                QFAIL(qPrintable("unknown step " + step));
        }
    } catch (const HwError& e) {
        thrown = e.message();
    }
    QCOMPARE(thrown, error);
    if (!error.isEmpty())
        return;

    // "%Name" in an expected line stands for the key of that master row.
    QStringList expected;
    for (QString l : lines) {
        const int pct = l.indexOf('%');
        if (pct >= 0)
            l = l.left(pct) + QString::number(reg.key[l.mid(pct + 1)]);
        expected << l;
    }
    QCOMPARE(f->query().sqlLines().mid(designLines), expected);
    QCOMPARE(f->QRLabSortiert(), sortiert);
    QCOMPARE(f->QRLabBereich(), bereich);
    QCOMPARE(f->QRLabFilter(), filter);
    if (form == "count")
        return;
    QList<int> got = selectedNumbers(*f);
    std::sort(got.begin(), got.end());
    QCOMPARE(got, numbers);
}

void TestRepSelection::datumBetween()
{
    QCOMPARE(TRepForm::DatumBetween(QDate(2004, 3, 1), QDate(2004, 3, 31)),
             QStringLiteral("BETWEEN  '03/01/2004' and '03/31/2004'"));
    QCOMPARE(TRepForm::DatumBetween(QDate(2004, 12, 9), QDate(2004, 12, 9)),
             QStringLiteral("BETWEEN  '12/09/2004' and '12/09/2004'"));
}

QTEST_MAIN(TestRepSelection)
#include "tst_repselection.moc"
