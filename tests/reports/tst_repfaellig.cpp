// The printed list of due inspections: order, selection, totals, read from the PDF and from
// the report shown by the selection window's sixth tab.
#include "Dialogs.h"
#include "RenderedReport.h"
#include "RepFaellig.h"
#include "RepFixture.h"
#include "RepMenue.h"
#include "TVekStdPreviewForm.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString pdfText(TRepForm& form, const QString& file)
{
    form.writePdf(file);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The ladder numbers of the lines, top to bottom: the first number of each line that has a date
// column or says "ohne Termin".
QList<int> lineNumbers(const QString& text)
{
    QList<int> nrs;
    static const QRegularExpression line(QStringLiteral("^\\s*(\\d+)\\s+\\S.*(überfällig|bald fällig|ohne Termin)\\s*$"));
    for (const QString& l : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = line.match(l);
        if (m.hasMatch())
            nrs << m.captured(1).toInt();
    }
    return nrs;
}

} // namespace

class TestRepFaellig : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;

private slots:
    void init() { resetDialogsForTest(); }

    // Stichtag 15.03.2004, due up to 01.04.2004 (see the fixture's dates).
    void auswahl_data()
    {
        QTest::addColumn<bool>("ohneSchrott");
        QTest::addColumn<QString>("abteilung");
        QTest::addColumn<QList<int>>("nrs");
        QTest::addColumn<QString>("summe");
        QTest::newRow("all") << false << "" << QList<int>{4, 1, 7, 8, 2, 3, 6}
                             << "überfällig : 2 bald fällig : 4 ohne Termin : 1 gesamt : 7";
        QTest::newRow("without scrap") << true << "" << QList<int>{4, 1, 7, 8, 3, 6}
                                       << "überfällig : 2 bald fällig : 3 ohne Termin : 1 gesamt : 6";
        QTest::newRow("department Werk with its subtree") << false << "Werk" << QList<int>{4, 1, 7, 2, 3}
                                                           << "überfällig : 2 bald fällig : 3 ohne Termin : 0 gesamt : 5";
    }

    void auswahl()
    {
        QFETCH(bool, ohneSchrott);
        QFETCH(QString, abteilung);
        QFETCH(QList<int>, nrs);
        QFETCH(QString, summe);
        RepRegister reg;
        TRepFaellig form(*reg.dm);
        form.SetFaelligBis(QDate(2004, 4, 1), QDate(2004, 3, 15));
        if (ohneSchrott)
            form.SetFilterFlag(rfSchrott, false);
        if (!abteilung.isEmpty())
            form.SetFilter(rfAbteilung, QString::number(reg.node.value(abteilung)));
        const QString text = pdfText(form, m_tmp.filePath("faellig.pdf"));
        QCOMPARE(lineNumbers(text), nrs);
        QVERIFY2(text.simplified().contains(summe), qPrintable(text));
        QVERIFY(text.contains("Fällige Prüfungen"));
        QVERIFY(text.contains("fällig bis : 01.04.2004"));
        if (!abteilung.isEmpty())
            QVERIFY(text.contains("Abtl. : Werk"));
        // Ladder 4, due 29.02.2004: 15 days overdue; ladder 3 due on the last day: 17 days left.
        if (nrs.contains(4))
            QVERIFY(text.contains(QRegularExpression("29\\.02\\.04\\s+15\\s+überfällig")));
        QVERIFY(text.contains(QRegularExpression("01\\.04\\.04\\s+-17\\s+bald fällig")));
        // The last inspection of ladder 1 (10.03.2004) as a date.
        QVERIFY(text.contains(QRegularExpression("Anlegeleiter\\s+.*10\\.03\\.04\\s+01\\.03\\.04")));
    }

    // The sixth tab of the selection window starts the list with its date.
    void tabImAuswahlfenster()
    {
        RepRegister reg;
        TRepMenue m(*reg.dm);
        QString texts;
        Dialogs::setFormHook([&texts](QDialog* d) {
            if (auto* f = qobject_cast<TVekStdPreviewForm*>(d))
                texts = allTexts(*f->report());
            return int(QDialog::Accepted);
        });
        QCOMPARE(m.PageControl1->tabText(5), QString("Fällige Prüfungen"));
        m.PageControl1->setCurrentIndex(5);
        QLineEdit* bis = m.findChild<QLineEdit*>("FaelligEditBis");
        QVERIFY(bis);
        bis->setFocus();
        QTest::keyClick(bis, Qt::Key_Home);
        QTest::keyClicks(bis, "31032004");
        QTest::mouseClick(m.vorschauButton(5), Qt::LeftButton);
        QVERIFY2(texts.contains("fällig bis : 31.03.2004"), qPrintable(texts));
        // Today lies after 2004: every dated ladder up to 31.03.2004 is overdue (1, 2, 4, 7, 8).
        QVERIFY2(texts.contains("überfällig : 5"), qPrintable(texts));
        QVERIFY(texts.contains("ohne Termin : 1"));
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }
};

QTEST_MAIN(TestRepFaellig)
#include "tst_repfaellig.moc"
