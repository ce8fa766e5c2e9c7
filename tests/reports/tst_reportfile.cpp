#include "Errors.h"
#include "RenderedReport.h"
#include "ReportFile.h"
#include "ReportFixture.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Writes the content of a report file item by item, so a test can make one that the program
// itself would never write.
struct CraftedContent {
    QByteArray bytes;
    QDataStream out{&bytes, QIODevice::WriteOnly};

    CraftedContent() { out.setVersion(QDataStream::Qt_6_4); }
    void header(const QList<QByteArray>& pngs)
    {
        out << QStringLiteral("Bericht") << qint32(QPageSize::A4) << qint32(QPageLayout::Portrait) << qint32(2100)
            << qint32(2970) << quint32(pngs.size());
        for (const QByteArray& png : pngs)
            out << png;
    }
    void itemStart(quint8 type, qint32 x, qint32 y, qint32 w, qint32 h)
    {
        out << type << x << y << w << h << quint8(1) << quint32(0xff000000) << qint32(0);
    }
    void text(const QString& text, qint32 x = 100, qint32 y = 100, qint32 w = 500, qint32 h = 50)
    {
        itemStart(1, x, y, w, h);
        out << text << QStringLiteral("Arial") << 10.0 << quint8(0) << qint32(0);
    }
    void line(qint32 x, qint32 y, qint32 w, qint32 h) { itemStart(2, x, y, w, h); }
    // bars in micrometres from the item's corner, as (x, y, width, height)
    void barcode(qint32 w, qint32 h, const QList<QRect>& bars)
    {
        itemStart(5, 100, 100, w, h);
        out << QStringLiteral("4711") << quint32(bars.size());
        for (const QRect& b : bars)
            out << qint32(b.x()) << qint32(b.y()) << qint32(b.width()) << qint32(b.height());
    }
};

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.fill(1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The framing of a report file around crafted content; the checksum fits, as it would in a
// file made on purpose.
QByteArray framed(const QByteArray& content, quint16 version = ReportFile::formatVersion)
{
    const QByteArray packed = qCompress(content, 9);
    QByteArray bytes("HWQRP\r\n\x1a", 8);
    QDataStream header(&bytes, QIODevice::Append);
    header.setVersion(QDataStream::Qt_6_4);
    header << version << quint32(packed.size());
    return bytes + packed + QCryptographicHash::hash(packed, QCryptographicHash::Sha256);
}

} // namespace

class TestReportFile : public QObject {
    Q_OBJECT
private slots:
    void init() { resetDialogsForTest(); }

    void saveThenLoadGivesEqualPages();
    void labelsKeepCodesAndPaper();
    void filesOfTheFirstFormatAreRead();
    void refusedFilesLeaveTheReportAsItWas_data();
    void refusedFilesLeaveTheReportAsItWas();
    void everyTruncationAndByteFlipIsRefused();
    void craftedFilesBeyondTheLimitsAreRefused_data();
    void craftedFilesBeyondTheLimitsAreRefused();

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

// A label sheet on paper of its own size: the codes come back bar for bar.
void TestReportFile::labelsKeepCodesAndPaper()
{
    RenderedReport original;
    original.setTitle(QStringLiteral("Etiketten"));
    original.setCustomPage(QSizeF(62, 29));
    RenderedPage page;
    ReportItem code;
    code.type = ReportItem::Type::Barcode;
    code.rect = QRect(20, 20, 210, 210);
    code.text = QStringLiteral("https://leitern.firma.local/l/4711");
    code.color = Qt::black;
    code.bars = {QRect(0, 0, 700, 700), QRect(1400, 0, 700, 2100), QRect(20300, 20300, 700, 700)};
    page.items << code;
    original.appendPage(std::move(page));
    original.setComplete(true);
    const QString file = m_dir.filePath("etiketten.QRP");
    ReportFile::save(original, file);

    RenderedReport loaded;
    ReportFile::load(file, loaded);
    QVERIFY(loaded == original);
    QCOMPARE(loaded.barcodes(1).first().bars, code.bars);
    QCOMPARE(loaded.pageSize().size(QPageSize::Millimeter), QSizeF(62, 29));
    QCOMPARE(loaded.paperSizeName(), QStringLiteral("62 x 29 mm"));
}

void TestReportFile::filesOfTheFirstFormatAreRead()
{
    CraftedContent c;
    c.header({});
    c.out << quint32(1) << quint32(1);
    c.text(QStringLiteral("Leiterübersicht"));
    const QString file = m_dir.filePath("alt.QRP");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(framed(c.bytes, 1));
    }
    RenderedReport loaded;
    ReportFile::load(file, loaded);
    QCOMPARE(loaded.texts(1), QStringList{QStringLiteral("Leiterübersicht")});
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

void TestReportFile::craftedFilesBeyondTheLimitsAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");

    const QString longest(int(ReportFile::maxTextLength), QChar('x'));
    {
        CraftedContent c;
        c.header({});
        c.out << quint32(1) << quint32(2);
        c.text(longest);
        c.line(-500, 0, 2100, 2970);
        QTest::newRow("longest text, line from outside the page") << c.bytes << true;
    }
    {
        // Every item within the limits, but far more than any report holds: inflated it
        // would take more memory than the file is worth.
        CraftedContent c;
        c.header({});
        const int items = int(ReportFile::maxContentBytes / (2 * longest.size())) + 10;
        c.out << quint32(1) << quint32(items);
        for (int i = 0; i < items; ++i)
            c.text(longest);
        QTest::newRow("inflates beyond the limit") << c.bytes << false;
    }
    {
        CraftedContent c;
        c.header({});
        c.out << quint32(1) << quint32(1);
        c.barcode(210, 210, {QRect(0, 0, 700, 700), QRect(20300, 20300, 700, 700)});
        QTest::newRow("code with bars up to its edge") << c.bytes << true;
    }
    {
        CraftedContent c;
        c.header({});
        c.out << quint32(1) << quint32(1);
        c.barcode(210, 210, {QRect(0, 0, 700, 700), QRect(20400, 0, 700, 700)});
        QTest::newRow("code bar outside its item") << c.bytes << false;
    }
    {
        CraftedContent c;
        c.header({});
        c.out << quint32(1) << quint32(1);
        c.barcode(210, 210, {QRect(0, 0, 0, 700)});
        QTest::newRow("code bar without width") << c.bytes << false;
    }
    {
        CraftedContent c;
        c.header({});
        c.out << quint32(1) << quint32(1);
        c.barcode(2100, 2100, QList<QRect>(int(ReportFile::maxBars) + 1, QRect(0, 0, 10, 10)));
        QTest::newRow("code with too many bars") << c.bytes << false;
    }
    {
        CraftedContent c;
        c.header({});
        c.out << quint32(1) << quint32(1);
        c.text(QString(int(ReportFile::maxTextLength) + 1, QChar('x')));
        QTest::newRow("text too long") << c.bytes << false;
    }
    {
        CraftedContent c;
        c.header({});
        c.out << quint32(1) << quint32(1);
        c.text("x", std::numeric_limits<qint32>::max() - 10, 100, 100, 50);
        QTest::newRow("right edge beyond the integers") << c.bytes << false;
    }
    {
        CraftedContent c;
        c.header({});
        c.out << quint32(1) << quint32(1);
        c.line(100, std::numeric_limits<qint32>::min(), 0, std::numeric_limits<qint32>::max());
        QTest::newRow("line over the whole integer range") << c.bytes << false;
    }
    {
        CraftedContent c;
        c.header({png(ReportFile::maxImageSide + 1, 1)});
        c.out << quint32(0);
        QTest::newRow("image wider than allowed") << c.bytes << false;
    }
    {
        CraftedContent c;
        const QByteArray big = png(5000, 5000);
        c.header({big, big, big});
        c.out << quint32(0);
        QTest::newRow("images together too large") << c.bytes << false;
    }
    {
        CraftedContent c;
        c.header(QList<QByteArray>(int(ReportFile::maxImages) + 1, png(1, 1)));
        c.out << quint32(0);
        QTest::newRow("too many images") << c.bytes << false;
    }
}

void TestReportFile::craftedFilesBeyondTheLimitsAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, accepted);
    const QString file = m_dir.filePath("fremd.QRP");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(framed(content));
    }
    QVERIFY2(QFileInfo(file).size() < 512 * 1024, "the crafted file should be small on disk");
    auto shown = renderedPages(1, "Vorher");
    const RenderedReport before = *shown;
    try {
        ReportFile::load(file, *shown);
        QVERIFY2(accepted, "file accepted");
        QCOMPARE(shown->pageCount(), 1);
    } catch (const HwError& e) {
        QVERIFY2(!accepted, qPrintable(e.message()));
        QCOMPARE(e.message(), QStringLiteral("Die Reportdatei fremd.QRP ist beschädigt oder unvollständig."));
        QVERIFY(*shown == before);
    }
}

QTEST_MAIN(TestReportFile)
#include "tst_reportfile.moc"
