#include "BarcodeSuche.h"
#include "BarcodeWert.h"
#include "Dialogs.h"
#include "Errors.h"
#include "Etiketten.h"
#include "LabelScan.h"
#include "RenderedReport.h"
#include "ReportPrinter.h"
#include "ReportUnits.h"
#include "Table.h"
#include "TbcSuchDialog.h"
#include "TestSupport.h"

#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

// Labels rendered to PDF, read back by zbar and fed into the program's own barcode search.
class TestLabels : public QObject {
    Q_OBJECT

    static EtikettenFormat format(const QString& id)
    {
        for (const EtikettenFormat& f : EtikettenFormat::standard())
            if (f.id == id)
                return f;
        return {};
    }

    // Ladders with numbers of every length the search takes, stored in the register.
    static QList<EtikettDaten> leitern(int n)
    {
        static const qint64 nummern[] = {7, 123456789, 42, 999999999};
        QList<EtikettDaten> out;
        for (int i = 0; i < n; ++i) {
            const qint64 nr = i < 4 ? nummern[i] : 1000 + i;
            out << EtikettDaten{i + 1, nr, QStringLiteral("Stehleiter %1").arg(i + 1), QStringLiteral("Werk - Halle"),
                                QDate(2027, 3, 1)};
        }
        return out;
    }

    static void speichern(const QList<EtikettDaten>& leitern)
    {
        Table t("LT_LEIT");
        t.open();
        for (const EtikettDaten& d : leitern) {
            t.append();
            t.setValue("Nr", d.nr);
            t.setValue("KurzBez", d.kurzBez);
            t.post();
        }
    }

    // What the F9 search makes of a scanned text: the number of the ladder it finds, or -1.
    static qint64 suchen(const QString& gescannt)
    {
        Table leiter("LT_LEIT");
        leiter.open();
        QWidget fenster;
        BarcodeSuche suche(&leiter, &fenster);
        bool gefunden = false;
        Dialogs::setFormHook([&](QDialog* d) {
            auto* s = qobject_cast<TbcSuchDialog*>(d);
            s->show();
            auto* edit = d->findChild<QLineEdit*>("EditSuchen");
            QTest::keyClicks(edit, gescannt);
            QTest::keyClick(edit, Qt::Key_Return);
            gefunden = s->Gefunden();
            QTest::keyClick(edit, Qt::Key_Escape);
            return d->result();
        });
        suche.ActBcSuchLeiterExecute();
        Dialogs::setFormHook({});
        return gefunden ? leiter.field("Nr").asInteger() : -1;
    }

    // Word boxes of a PDF in tenths of a millimetre, per page from 1.
    static QList<QPair<int, QPair<QString, QRectF>>> woerter(const QString& pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        p.waitForFinished(60000);
        QXmlStreamReader xml(p.readAllStandardOutput());
        QList<QPair<int, QPair<QString, QRectF>>> out;
        int seite = 0;
        const double unitsPerPt = 254.0 / 72.0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("page"))
                ++seite;
            if (xml.name() != QLatin1String("word"))
                continue;
            const auto a = xml.attributes();
            const QRectF r(QPointF(a.value("xMin").toDouble(), a.value("yMin").toDouble()) * unitsPerPt,
                           QPointF(a.value("xMax").toDouble(), a.value("yMax").toDouble()) * unitsPerPt);
            out.append({seite, {xml.readElementText(), r}});
        }
        return out;
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        BarcodeWert::setWebBasis(QString());
    }
    void cleanup() { BarcodeWert::setWebBasis(QString()); }

    // Every label's code, cut from the printed page as a scanner sees it, decodes to what the
    // search takes for its ladder and finds that ladder; places before the start stay empty.
    void everyCodeScansBackToItsLadder_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("art");
        QTest::addColumn<QString>("basis");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("anzahl");
        QTest::addColumn<int>("seiten");
        const int qr = int(BarcodeArt::QrCode), c128 = int(BarcodeArt::Code128);
        const QString url = QStringLiteral("https://leitern.firma.local:8443");
        QTest::newRow("3x8 QR from place 5") << "A4-3x8" << qr << QString() << 5 << 30 << 2;
        QTest::newRow("3x8 QR with phone address") << "A4-3x8" << qr << url << 5 << 30 << 2;
        QTest::newRow("3x8 Code 128 from place 5") << "A4-3x8" << c128 << QString() << 5 << 30 << 2;
        QTest::newRow("2x7 QR with phone address, full sheet") << "A4-2x7" << qr << url + u'/' << 1 << 14 << 1;
        QTest::newRow("2x7 Code 128 last place") << "A4-2x7" << c128 << QString() << 14 << 2 << 2;
        QTest::newRow("62x29 QR with phone address") << "62x29" << qr << url << 1 << 3 << 3;
        QTest::newRow("62x29 Code 128") << "62x29" << c128 << QString() << 1 << 3 << 3;
    }
    void everyCodeScansBackToItsLadder()
    {
        QFETCH(QString, layout);
        QFETCH(int, art);
        QFETCH(QString, basis);
        QFETCH(int, start);
        QFETCH(int, anzahl);
        QFETCH(int, seiten);
        TestDataDir data;
        BarcodeWert::setWebBasis(basis);
        const EtikettenFormat f = format(layout);
        EtikettInhalt inhalt;
        inhalt.art = BarcodeArt(art);
        const QList<EtikettDaten> liste = leitern(anzahl);
        speichern(liste);

        auto report = Etiketten::rendern(f, inhalt, start, liste);
        QCOMPARE(report->pageCount(), seiten);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("etiketten.pdf");
        ReportPrinter::writePdf(*report, pdf);
        const QList<QStringList> gelesen = LabelScan::scanPlaces(pdf, f);
        QCOMPARE(gelesen.size(), seiten * f.proSeite());

        QList<QStringList> erwartet(gelesen.size());
        QList<qint64> nummer(gelesen.size(), -1);
        for (int i = 0; i < liste.size(); ++i) {
            const int platz = (start - 1) + i;
            const QString wert = QString::number(liste[i].nr.toLongLong());
            erwartet[platz] << (inhalt.art == BarcodeArt::QrCode && !basis.isEmpty()
                                    ? url(basis) + QStringLiteral("/l/") + wert
                                    : wert);
            nummer[platz] = liste[i].nr.toLongLong();
        }
        for (int platz = 0; platz < gelesen.size(); ++platz) {
            QVERIFY2(gelesen[platz] == erwartet[platz],
                     qPrintable(QStringLiteral("place %1: read %2, expected %3")
                                    .arg(platz)
                                    .arg(gelesen[platz].join(u','), erwartet[platz].join(u','))));
            if (!gelesen[platz].isEmpty())
                QCOMPARE(suchen(gelesen[platz].first()), nummer[platz]);
        }
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // A text too long for its label is cut with "…" and never reaches the code, on every
    // layout and code type, while the next inspection's date stays whole: checked on the
    // words of the PDF.
    void longTextsStayClearOfTheCode_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("art");
        for (const EtikettenFormat& f : EtikettenFormat::standard()) {
            QTest::addRow("%s QR", qPrintable(f.id)) << f.id << int(BarcodeArt::QrCode);
            QTest::addRow("%s Code 128", qPrintable(f.id)) << f.id << int(BarcodeArt::Code128);
        }
    }
    void longTextsStayClearOfTheCode()
    {
        QFETCH(QString, layout);
        QFETCH(int, art);
        const EtikettenFormat f = format(layout);
        EtikettInhalt inhalt;
        inhalt.art = BarcodeArt(art);
        inhalt.freieZeile = true;
        inhalt.freierText = QStringLiteral("Holmwacht Maschinenbau GmbH & Co. KG, Werk Süd-West");
        EtikettDaten d{1, 4711,
                       QStringLiteral("Mehrzweckleiter_Aluminium_dreiteilig_mit_Traverse_und_Plattform_WWWWWWWWWW"),
                       QStringLiteral("Holmwacht GmbH - Werk Nord - Halle 7 - Instandhaltung - Elektrowerkstatt"),
                       QDate(2027, 3, 1)};
        auto report = Etiketten::rendern(f, inhalt, 1, {d});
        QTemporaryDir dir;
        const QString pdf = dir.filePath("lang.pdf");
        ReportPrinter::writePdf(*report, pdf);

        const QList<ReportItem> codes = report->barcodes(1);
        QCOMPARE(codes.size(), 1);
        const QRectF code = codes.first().rect;
        const QRectF etikett = ReportUnits::fromMm(f.platz(0));
        const auto words = woerter(pdf);
        QVERIFY(!words.isEmpty());
        bool gekuerzt = false;
        bool datum = false;
        bool terminZeile = false;
        for (const auto& [seite, wort] : words) {
            QCOMPARE(seite, 1);
            // Glyph boxes of pdftotext reach a little above and below the ink.
            const QRectF ink = wort.second.adjusted(0, 3, 0, -3);
            QVERIFY2(!ink.intersects(code), qPrintable(wort.first));
            QVERIFY2(etikett.contains(ink), qPrintable(wort.first));
            if (wort.first.startsWith(QStringLiteral("Mehrzweckleiter")))
                gekuerzt = wort.first.endsWith(QChar(0x2026));
            // The date may carry the "…" that says lines were left off below it.
            datum = datum || wort.first == QLatin1String("01.03.27") || wort.first == QStringLiteral("01.03.27…");
            terminZeile = terminZeile || wort.first.startsWith(QStringLiteral("Prüf")) ||
                          wort.first.startsWith(QStringLiteral("fällig")) || wort.first.startsWith(QStringLiteral("01."));
        }
        // The words before the date give way, the date itself is never cut (a label too low
        // for all lines leaves the last ones off, this one among them).
        QVERIFY2(datum || !terminZeile, "the next inspection's date is shown whole");
        if (layout == QLatin1String("A4-3x8"))
            QVERIFY2(datum, "the date on the usual sheet");
        QVERIFY2(gekuerzt, "the long short description is shortened with an ellipsis");
        QVERIFY(!report->pagesWithText(QStringLiteral("Leiter-Nr 4711")).isEmpty());
    }

    // A label whose code cannot be made is refused before anything is printed, naming the ladder.
    void laddersWithoutUsableNumberAreRefused_data()
    {
        QTest::addColumn<QVariantList>("nummern");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("no number") << QVariantList{11, QVariant(), 12}
                                   << "Für die Leiter \"Leiter 2\" (ohne Nummer, ID 2) kann kein Barcode erstellt "
                                      "werden: sie hat keine gültige Leiter-Nr (höchstens 9 Stellen).\nEs wurden keine "
                                      "Etiketten gedruckt.";
        QTest::newRow("ten digits") << QVariantList{QVariant(qint64(1234567890))}
                                    << "Für die Leiter \"Leiter 1\" (1234567890, ID 1) kann kein Barcode erstellt "
                                       "werden: sie hat keine gültige Leiter-Nr (höchstens 9 Stellen).\nEs wurden keine "
                                       "Etiketten gedruckt.";
        QTest::newRow("two without") << QVariantList{QVariant(), 5, QVariant()}
                                     << "Für 2 Leitern kann kein Barcode erstellt werden, weil ihnen eine gültige "
                                        "Leiter-Nr (höchstens 9 Stellen) fehlt:\n\"Leiter 1\" (ohne Nummer, ID 1)\n"
                                        "\"Leiter 3\" (ohne Nummer, ID 3)\nEs wurden keine Etiketten gedruckt.";
    }
    void laddersWithoutUsableNumberAreRefused()
    {
        QFETCH(QVariantList, nummern);
        QFETCH(QString, meldung);
        QList<EtikettDaten> liste;
        for (int i = 0; i < nummern.size(); ++i)
            liste << EtikettDaten{i + 1, nummern[i], QStringLiteral("Leiter %1").arg(i + 1), {}, {}};
        for (BarcodeArt art : {BarcodeArt::QrCode, BarcodeArt::Code128}) {
            EtikettInhalt inhalt;
            inhalt.art = art;
            try {
                Etiketten::rendern(EtikettenFormat::standard().first(), inhalt, 1, liste);
                QFAIL("labels made");
            } catch (const HwError& e) {
                QCOMPARE(e.message(), meldung);
            }
        }
    }

private:
    static QString url(QString basis)
    {
        while (basis.endsWith(u'/'))
            basis.chop(1);
        return basis;
    }
};

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
