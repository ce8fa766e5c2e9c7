#include "Errors.h"
#include "RenderedReport.h"
#include "RepFixture.h"
#include "RepLeiterCount.h"
#include "ReportUnits.h"
#include "Query.h"
#include "Table.h"

#include <QtTest>

// The count report on its rendered pages: the listed nodes with their counts, indentation,
// "nicht zugeordnet", the total, both whole-structure modes, and two workstations counting
// at the same moment.
namespace {

struct Line {
    QString text;
    QString count;
};

// Department lines between the column header and the total, and the total.
QList<Line> countLines(const RenderedReport& r, QString* total)
{
    QStringList t;
    for (int p = 1; p <= r.pageCount(); ++p)
        t << r.texts(p);
    const int from = t.indexOf(QStringLiteral("Anzahl"));
    const int to = t.indexOf(QStringLiteral("Summe :"));
    QList<Line> out;
    if (from < 0 || to < 0)
        return out;
    for (int i = from + 1; i + 1 < to; i += 2)
        out << Line{t[i], t[i + 1]};
    if (total)
        *total = t.value(to + 1);
    return out;
}

QStringList asStrings(const QList<Line>& lines)
{
    QStringList s;
    for (const Line& l : lines)
        s << l.text + '=' + l.count;
    return s;
}

int leftOf(const RenderedReport& r, const QString& text)
{
    const QList<ReportItem> items = r.itemsWithText(1, text);
    return items.isEmpty() ? -1 : items.first().rect.x();
}

} // namespace

class TestRepCount : public QObject {
    Q_OBJECT
    std::unique_ptr<RepRegister> m_reg;   // left unchanged by counts() and indentationByLevel()

private slots:
    void initTestCase() { m_reg = std::make_unique<RepRegister>(); }
    void cleanupTestCase() { m_reg.reset(); }
    void init() { resetDialogsForTest(); }
    void counts_data();
    void counts();
    void indentationByLevel();
    void companyAndDepartmentCountedApart();
    void twoWorkstationsCountApart();
};

void TestRepCount::counts_data()
{
    QTest::addColumn<QString>("abt");
    QTest::addColumn<bool>("gesamt");
    QTest::addColumn<QString>("nrRange");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("filterText");

    // Tree order by text: Werk (Büro, Halle (Lager)), Zweigwerk. Ladder 5 has no department,
    // ladder 8 one that was deleted.
    QTest::newRow("no department") << "" << true << ""
        << QStringList{"nicht zugeordnet=2", "Werk=2", "Büro=1", "Halle=1", "Lager=1", "Zweigwerk=1"} << "8" << "";
    QTest::newRow("department, whole structure") << "Halle" << true << ""
        << QStringList{"Werk=0", "Büro=0", "Halle=1", "Lager=1", "Zweigwerk=0"} << "2" << "Abtl. : Werk - Halle /";
    QTest::newRow("department, subtree only") << "Halle" << false << ""
        << QStringList{"Halle=1", "Lager=1"} << "2" << "Abtl. : Werk - Halle /";
    QTest::newRow("number range, nothing unassigned") << "" << true << "1 4"
        << QStringList{"Werk=1", "Büro=1", "Halle=1", "Lager=1", "Zweigwerk=0"} << "4" << "";
    QTest::newRow("nothing selected") << "" << true << "100 200"
        << QStringList{"Werk=0", "Büro=0", "Halle=0", "Lager=0", "Zweigwerk=0"} << "0" << "";
}

void TestRepCount::counts()
{
    QFETCH(QString, abt);
    QFETCH(bool, gesamt);
    QFETCH(QString, nrRange);
    QFETCH(QStringList, lines);
    QFETCH(QString, total);
    QFETCH(QString, filterText);

    RepRegister& reg = *m_reg;
    TRepLeiterCount form(*reg.dm);
    if (!nrRange.isEmpty())
        form.SetBereichNr(nrRange.section(' ', 0, 0).toInt(), nrRange.section(' ', 1, 1).toInt());
    if (!abt.isEmpty()) {
        form.SetGesamteStruktur(gesamt);
        form.SetFilter(rfAbteilung, QString::number(reg.node[abt]));
    }
    const auto rendered = form.render();
    QString sum;
    QCOMPARE(asStrings(countLines(*rendered, &sum)), lines);
    QCOMPARE(sum, total);
    const QString all = allTexts(*rendered);
    QVERIFY(all.contains(QStringLiteral("Firmen / Abteilung - Übersicht")));
    QVERIFY(all.contains(QStringLiteral("Firma / Abteilung")));
    if (!filterText.isEmpty())
        QVERIFY2(all.contains(filterText), qPrintable(all));
    if (!nrRange.isEmpty())
        QVERIFY(all.contains(QStringLiteral("Leiter.-Nr : %1 bis %2").arg(nrRange.section(' ', 0, 0),
                                                                          nrRange.section(' ', 1, 1))));
    // The working table of the selected ladders is emptied again.
    Query q;
    q.setSql(QStringLiteral("SELECT count(*) AS n FROM ZwDat"));
    q.open();
    QCOMPARE(q.field("n").asInteger(), 0);
}

void TestRepCount::indentationByLevel()
{
    TRepLeiterCount form(*m_reg->dm);
    const auto r = form.render();
    const int step = ReportUnits::fromMm(ReportUnits::layoutPixelsToMm(50));
    const int werk = leftOf(*r, "Werk");
    QVERIFY(werk > 0);
    QVERIFY(qAbs(leftOf(*r, "Halle") - werk - step) <= 1);
    QVERIFY(qAbs(leftOf(*r, "Lager") - werk - 2 * step) <= 1);
    QCOMPARE(leftOf(*r, "Zweigwerk"), werk);
    QCOMPARE(leftOf(*r, "nicht zugeordnet"), werk);
}

void TestRepCount::companyAndDepartmentCountedApart()
{
    RepRegister reg;
    // Zweigwerk gets two more ladders of its own and a department with two ladders.
    Table f("FIRMEN");
    f.open();
    f.append();
    f.setValue("KurzBez", "Versand");
    f.setValue("ParentID", reg.node["Zweigwerk"]);
    f.post();
    const int versand = f.field("ID").asInteger();
    f.append();
    f.setValue("KurzBez", "Leer");
    f.setValue("ParentID", reg.node["Zweigwerk"]);
    f.post();
    reg.addLadder(20, "A", reg.node["Zweigwerk"]);
    reg.addLadder(21, "B", reg.node["Zweigwerk"]);
    reg.addLadder(22, "C", versand);
    reg.addLadder(23, "D", versand);
    reg.dm->StFirmAbtList->refresh();
    TRepLeiterCount form(*reg.dm);
    form.SetGesamteStruktur(true);
    form.SetFilter(rfAbteilung, QString::number(reg.node["Zweigwerk"]));
    QString sum;
    QCOMPARE(asStrings(countLines(*form.render(), &sum)),
             (QStringList{"Werk=0", "Büro=0", "Halle=0", "Lager=0", "Zweigwerk=3", "Leer=0", "Versand=2"}));
    QCOMPARE(sum, QStringLiteral("5"));
}

void TestRepCount::twoWorkstationsCountApart()
{
    RepRegister reg;
    reg.dir.addAlias(QStringLiteral("TARVINO2"));
    TRepLeiterCount mine(*reg.dm);
    mine.SetBereichNr(1, 3);
    TRepLeiterCount other(*reg.dm);
    other.setAlias(QStringLiteral("TARVINO2"));
    other.SetFilter(rfAbteilung, QString::number(reg.node["Zweigwerk"]));

    // The other workstation counts completely while this one holds its selected ladders.
    std::shared_ptr<RenderedReport> theirs;
    mine.afterWorkTables = [&] { theirs = other.render(); };
    const auto ours = mine.render();
    QVERIFY(theirs);

    QString sum;
    QCOMPARE(asStrings(countLines(*ours, &sum)),
             (QStringList{"Werk=1", "Büro=0", "Halle=1", "Lager=1", "Zweigwerk=0"}));
    QCOMPARE(sum, QStringLiteral("3"));
    QCOMPARE(asStrings(countLines(*theirs, &sum)),
             (QStringList{"Werk=0", "Büro=0", "Halle=0", "Lager=0", "Zweigwerk=1"}));
    QCOMPARE(sum, QStringLiteral("1"));
}

QTEST_MAIN(TestRepCount)
#include "tst_repcount.moc"
