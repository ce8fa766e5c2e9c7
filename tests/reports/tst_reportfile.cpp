#include "Errors.h"
#include "RenderedReport.h"
#include "ReportFile.h"
#include "ReportFixture.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestReportFile : public QObject {
    Q_OBJECT
private slots:
    void init() { resetDialogsForTest(); }

    void saveThenLoadGivesEqualPages();
    void refusedFilesLeaveTheReportAsItWas_data();
    void refusedFilesLeaveTheReportAsItWas();
    void everyTruncationAndByteFlipIsRefused();

private:
    QTemporaryDir m_dir;
};

void TestReportFile::saveThenLoadGivesEqualPages()
{
    auto original = renderedPages(3, "Leiterübersicht");
    QVERIFY(original->images().size() == 1);
    const QString file = m_dir.filePath("bericht.QRP");
    ReportFile::save(*original, file);

    RenderedReport loaded;
    ReportFile::load(file, loaded);
    QCOMPARE(loaded.pageCount(), 3);
    QCOMPARE(loaded.title(), QStringLiteral("Leiterübersicht"));
    QCOMPARE(loaded.texts(2), original->texts(2));
    QVERIFY(loaded.isComplete());
    QVERIFY(loaded == *original);
}

void TestReportFile::refusedFilesLeaveTheReportAsItWas_data()
{
    const QByteArray valid = ReportFile::toBytes(*renderedPages(2));
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty") << QByteArray() << "ist keine Reportdatei";
    QTest::newRow("foreign text") << QByteArray("%PDF-1.4\n%...") << "ist keine Reportdatei";
    QByteArray version = valid;
    version[9] = char(7);   // big-endian quint16 after the signature
    QTest::newRow("newer format") << version << "hat das Format 7";
    QTest::newRow("header only") << valid.left(14) << "beschädigt oder unvollständig";
    QTest::newRow("cut in the content") << valid.left(valid.size() / 2) << "beschädigt oder unvollständig";
    QTest::newRow("cut in the checksum") << valid.left(valid.size() - 1) << "beschädigt oder unvollständig";
    QByteArray flipped = valid;
    flipped[valid.size() / 2] = char(flipped[valid.size() / 2] ^ 0x40);
    QTest::newRow("flipped byte") << flipped << "beschädigt oder unvollständig";
    QByteArray longer = valid;
    longer[13] = char(longer[13] + 1);   // content length one too many
    QTest::newRow("wrong length") << longer << "beschädigt oder unvollständig";
    QTest::newRow("trailing bytes") << valid + QByteArray("x") << "beschädigt oder unvollständig";
}

void TestReportFile::refusedFilesLeaveTheReportAsItWas()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString file = m_dir.filePath("kaputt.QRP");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    auto shown = renderedPages(1, "Vorher");
    const RenderedReport before = *shown;
    try {
        ReportFile::load(file, *shown);
        QFAIL("file accepted");
    } catch (const HwError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        QVERIFY2(e.message().contains("kaputt.QRP"), qPrintable(e.message()));
    }
    QVERIFY(*shown == before);
}

void TestReportFile::everyTruncationAndByteFlipIsRefused()
{
    const QByteArray valid = ReportFile::toBytes(*renderedPages(2));
    RenderedReport target;
    int refused = 0, checked = 0;
    auto expectRefused = [&](const QByteArray& bytes) {
        ++checked;
        try {
            ReportFile::fromBytes(bytes, target, "x.QRP");
        } catch (const HwError& e) {
            if (!e.message().isEmpty())
                ++refused;
        }
    };
    const int step = qMax(1, int(valid.size() / 97));
    for (int len = 0; len < valid.size(); len += step)
        expectRefused(valid.left(len));
    for (int pos = 0; pos < valid.size(); pos += step) {
        for (char mask : {char(0x01), char(0x80), char(0xff)}) {
            QByteArray b = valid;
            b[pos] = char(b[pos] ^ mask);
            expectRefused(b);
        }
    }
    QCOMPARE(refused, checked);
    QCOMPARE(target.pageCount(), 0);
    // The unharmed bytes still load.
    ReportFile::fromBytes(valid, target, "x.QRP");
    QCOMPARE(target.pageCount(), 2);
}

QTEST_MAIN(TestReportFile)
#include "tst_reportfile.moc"
