// Page breaks of the full ladder card on a generated register, read back from the PDF page by
// page: a page never begins inside a ladder without naming it, and never ends with a list
// heading alone.
#include "DataGenerator.h"
#include "DataModule.h"
#include "Query.h"
#include "RepLeiterF1.h"
#include "TestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString pdfPage(const QString& file, int page)
{
    QProcess p;
    const QString n = QString::number(page);
    p.start(QStringLiteral("pdftotext"), {"-layout", "-f", n, "-l", n, file, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {file});
    if (!p.waitForFinished(30000))
        return -1;
    const QRegularExpression re(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const auto m = re.match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Inspections of the ladder with the number, as stored.
int inspections(int nr)
{
    Query q;
    q.setSql(QStringLiteral("SELECT COUNT(*) AS n FROM LT_PRUEF p JOIN LT_LEIT l ON l.ID = p.LT_ID WHERE l.Nr = %1").arg(nr));
    q.open();
    return q.field(QStringLiteral("n")).asInteger();
}

} // namespace

class TestReportPages : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void init() { resetDialogsForTest(); }

    void fullLadderCardKeepsEveryLadderNamed_data()
    {
        QTest::addColumn<int>("layout");
        QTest::newRow("extended") << 1;
        QTest::newRow("simple") << 0;
    }
    void fullLadderCardKeepsEveryLadderNamed()
    {
        QFETCH(int, layout);
        TestDataDir dir;
        DataGeneratorOptions o;
        o.dataDir = dir.location();
        o.driver = dir.driver();
        o.companies = 3;
        o.ladders = 250;
        o.years = 6;
        o.seed = 7;
        o.today = QDate(2026, 12, 1);
        const DataGeneratorResult gen = generateRegister(o);
        QVERIFY(gen.inspections > gen.ladders * 3);

        const QString file = m_dir.filePath(QStringLiteral("kartei%1.pdf").arg(layout));
        {
            TDataModule1 dm;
            TRepLeiterF1 form(dm);
            form.SetErweitert(layout);
            form.SetPruefUebersicht(true);
            form.SetSortierung(0);
            form.writePdf(file);
        }
        const int pages = pdfPages(file);
        QVERIFY(pages > 10);

        const QRegularExpression blockHeading(QStringLiteral("^\\s*Leiter\\.-Nr\\s+Leiterart"));
        const QRegularExpression fortsetzung(QStringLiteral("^\\s*Leiter-Nr (\\d+) \\(Fortsetzung\\)\\s*$"));
        const QRegularExpression listHeading(QStringLiteral("^\\s*Datum\\s+Prüfung\\s.*int\\. Prüfer"));
        const QRegularExpression row(QStringLiteral("^\\s*\\d\\d\\.\\d\\d\\.\\d\\d\\s"));
        const QRegularExpression ladderPart(
            QStringLiteral("Beschreibung :|Text Prüfung Sonstiges :|prüfen|KurzBez\\.:|Ausgabedatum\\.:"));
        const QRegularExpression number(QStringLiteral("^\\s*(\\d+)\\s"));

        int current = -1;   // the ladder whose block was printed last
        int continued = 0;
        int emptyAtBottom = 0;
        for (int p = 1; p <= pages; ++p) {
            const QStringList lines = pdfPage(file, p).split(u'\n');
            // Where the body begins: the first line that belongs to a ladder.
            int first = -1;
            for (int i = 0; i < lines.size() && first < 0; ++i) {
                const QString& l = lines[i];
                if (blockHeading.match(l).hasMatch() || fortsetzung.match(l).hasMatch() || listHeading.match(l).hasMatch()
                    || row.match(l).hasMatch() || ladderPart.match(l).hasMatch())
                    first = i;
            }
            QVERIFY2(first >= 0, qPrintable(QStringLiteral("page %1 without a ladder").arg(p)));
            const QString head = lines[first];
            const auto cont = fortsetzung.match(head);
            QVERIFY2(blockHeading.match(head).hasMatch() || cont.hasMatch(),
                     qPrintable(QStringLiteral("page %1 begins inside a ladder without naming it: %2").arg(p).arg(head)));
            if (cont.hasMatch()) {
                ++continued;
                QCOMPARE(cont.captured(1).toInt(), current);
                // The list's column heading again, right below.
                int next = first + 1;
                while (next < lines.size() && lines[next].trimmed().isEmpty())
                    ++next;
                QVERIFY2(next < lines.size() && listHeading.match(lines[next]).hasMatch(),
                         qPrintable(QStringLiteral("page %1: no heading after the continuation line").arg(p)));
            }
            // Follow the ladders: the number stands under each block heading.
            for (int i = first; i + 1 < lines.size(); ++i) {
                if (!blockHeading.match(lines[i]).hasMatch())
                    continue;
                int v = i + 1;
                while (v < lines.size() && lines[v].trimmed().isEmpty())
                    ++v;
                const auto m = number.match(v < lines.size() ? lines[v] : QString());
                QVERIFY2(m.hasMatch(), qPrintable(QStringLiteral("page %1: no ladder number under the heading").arg(p)));
                current = m.captured(1).toInt();
            }
            // The last line of the page is never a list heading whose rows follow on the next
            // page; a ladder without inspections prints its heading with the closing line and no
            // row, which may end a page.
            int last = lines.size() - 1;
            while (last >= 0 && lines[last].trimmed().isEmpty())
                --last;
            QVERIFY(last >= 0);
            if (listHeading.match(lines[last]).hasMatch()) {
                ++emptyAtBottom;
                QVERIFY2(inspections(current) == 0,
                         qPrintable(QStringLiteral("page %1 ends with the list heading of ladder %2 alone").arg(p).arg(current)));
            }
        }
        // The register is large enough that lists do go on over pages.
        QVERIFY(continued > 0);
        qInfo("%d pages, %d continued, %d ending with an empty list", pages, continued, emptyAtBottom);
    }
};

QTEST_MAIN(TestReportPages)
#include "tst_reportpages.moc"
