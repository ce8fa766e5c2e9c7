#include "Dialogs.h"
#include "EtikettenForm.h"
#include "LabelScan.h"
#include "LtFirmAbt.h"
#include "RenderedReport.h"
#include "Table.h"
#include "TVekStdPreviewForm.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

// The window "Etiketten drucken" driven by keys and clicks; its output read back from the PDF.
class TestLabelForm : public QObject {
    Q_OBJECT

    // Ladders 11 to 16 in the department "Holmwacht - Werk Nord"; the IDs by number.
    struct Register {
        TestDataDir data;
        QTemporaryDir dir;
        QHash<int, int> id;
        std::unique_ptr<TLtFirmAbt> abteilungen;

        Register()
        {
            Table firmen("FIRMEN");
            firmen.open();
            firmen.append();
            firmen.setValue("KurzBez", "Holmwacht");
            firmen.post();
            const int firma = firmen.field("ID").asInteger();
            firmen.append();
            firmen.setValue("KurzBez", "Werk Nord");
            firmen.setValue("ParentID", firma);
            firmen.post();
            const int werk = firmen.field("ID").asInteger();
            Table t("LT_LEIT");
            t.open();
            for (int nr = 11; nr <= 16; ++nr) {
                t.append();
                t.setValue("Nr", nr);
                t.setValue("KurzBez", QStringLiteral("Stehleiter %1").arg(nr));
                t.setValue("FirmenAbtID", werk);
                t.setValue("PruefTermin", QDate(2027, 3, nr));
                t.post();
                id.insert(nr, t.field("ID").asInteger());
            }
            firmen.first();
            abteilungen = std::make_unique<TLtFirmAbt>(firmen);
        }
        QString ini() const { return dir.filePath("tarvino.ini"); }
        EtikettenQuellen quellen(QList<int> markiert = {}) const
        {
            EtikettenQuellen q;
            q.aktuelleId = id.value(13);
            q.aktuelleNr = QStringLiteral("13");
            for (int nr : markiert)
                q.markierte << id.value(nr);
            q.gefiltert = [this] { return QList<int>{id.value(16), id.value(11)}; };
            q.filterAktiv = true;
            q.abteilungen = abteilungen.get();
            q.iniDatei = ini();
            return q;
        }
    };

    template <class W>
    static W* child(QWidget* form, const char* name)
    {
        W* w = form->findChild<W*>(QLatin1String(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    // Shown and active, so that focus moves as it does for a user.
    static void zeigen(QWidget& form)
    {
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
    }
    static void click(QWidget* form, const char* name)
    {
        auto* b = child<QAbstractButton>(form, name);
        const bool box = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, box ? QPoint(6, b->height() / 2) : QPoint());
    }
    // Replaces a field's text by typing, as a user does, and leaves the field.
    static void tippen(QWidget* form, const char* name, const QString& text)
    {
        QWidget* w = child<QWidget>(form, name);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_Delete);
        QTest::keyClicks(w, text);
        QTest::keyClick(w, Qt::Key_Tab);
    }
    static void layoutWaehlen(QWidget* form, int index)
    {
        auto* cobo = child<QComboBox>(form, "CoboFormat");
        cobo->setFocus();
        QTest::keyClick(cobo, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(cobo, Qt::Key_Down);
    }
    static QString pdfText(const QString& pdf)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    static QString iniText(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // The decoded places that hold a code, as "place:value".
    static QStringList codes(const QString& pdf, const EtikettenFormat& format)
    {
        QStringList out;
        const QList<QStringList> places = LabelScan::scanPlaces(pdf, format);
        for (int i = 0; i < places.size(); ++i)
            for (const QString& v : places[i])
                out << QStringLiteral("%1:%2").arg(i + 1).arg(v);
        return out;
    }

private slots:
    void init() { resetDialogsForTest(); }

    // The marked ladders on a 2 × 7 sheet from place 3, as Code 128 with a free line, saved as
    // PDF: each code in its place scans to its ladder's number, the texts are on the labels,
    // and the choices come back in the next window from tarvino.ini.
    void markedLaddersToPdfAndChoicesKept()
    {
        Register r;
        const QString pdf = r.dir.filePath("etiketten.pdf");
        {
            TEtikettenForm form(r.quellen({12, 15, 14}));
            zeigen(form);
            QVERIFY(child<QRadioButton>(&form, "rbMarkiert")->isChecked());
            layoutWaehlen(&form, 1);
            tippen(&form, "SpinStart", "3");
            click(&form, "rbCode128");
            tippen(&form, "EditFreieZeile", "Pruefdienst Nord");
            Dialogs::scriptText(r.dir.filePath("etiketten"));
            click(&form, "BPdf");
            QCOMPARE(Dialogs::unscriptedCount(), 0);
            click(&form, "BSchliessen");
        }
        const EtikettenFormat zweiMalSieben = EtikettenFormat::standard().at(1);
        QCOMPARE(codes(pdf, zweiMalSieben), (QStringList{"3:12", "4:15", "5:14"}));
        const QString text = pdfText(pdf);
        for (const char* s : {"Leiter-Nr 12", "Stehleiter 15", "Holmwacht - Werk Nord", "Pruefdienst Nord",
                              "nächste Prüfung: Fr. 12.03.27"})
            QVERIFY2(text.contains(QString::fromUtf8(s)), s);

        const QString ini = iniText(r.ini());
        QVERIFY2(ini.contains("[Etiketten]"), qPrintable(ini));
        QVERIFY2(ini.contains("Format=A4-2x7"), qPrintable(ini));
        QVERIFY2(ini.contains("Code=Code128"), qPrintable(ini));
        TEtikettenForm wieder(r.quellen());
        QCOMPARE(child<QComboBox>(&wieder, "CoboFormat")->currentData().toString(), QStringLiteral("A4-2x7"));
        QVERIFY(child<QRadioButton>(&wieder, "rbCode128")->isChecked());
        QCOMPARE(child<QLineEdit>(&wieder, "EditFreieZeile")->text(), QStringLiteral("Pruefdienst Nord"));
        QVERIFY(child<QCheckBox>(&wieder, "cbFreieZeile")->isChecked());
        // Without marks the current ladder is offered.
        QVERIFY(child<QRadioButton>(&wieder, "rbAktuell")->isChecked());
    }

    // Each way to choose the ladders, printed as QR codes through the print dialog onto a PDF
    // printer.
    void whichLaddersArePrinted_data()
    {
        QTest::addColumn<QString>("wahl");
        QTest::addColumn<QString>("von");
        QTest::addColumn<QString>("bis");
        QTest::addColumn<QStringList>("erwartet");
        QTest::newRow("current") << "rbAktuell" << "" << "" << QStringList{"1:13"};
        QTest::newRow("filter, in the grid's order") << "rbFilter" << "" << "" << QStringList{"1:16", "2:11"};
        QTest::newRow("number range") << "rbBereich" << "12" << "14" << QStringList{"1:12", "2:13", "3:14"};
        QTest::newRow("number range of one") << "rbBereich" << "15" << "" << QStringList{"1:15"};
    }
    void whichLaddersArePrinted()
    {
        QFETCH(QString, wahl);
        QFETCH(QString, von);
        QFETCH(QString, bis);
        QFETCH(QStringList, erwartet);
        Register r;
        TEtikettenForm form(r.quellen({12}));
        zeigen(form);
        auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        const QString pdf = r.dir.filePath("druck.pdf");
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        form.setPrinter(printer);
        click(&form, qPrintable(wahl));
        if (!von.isEmpty())
            tippen(&form, "EditNrV", von);
        if (!bis.isEmpty())
            tippen(&form, "EditNrB", bis);
        Dialogs::scriptAnswer(true);
        click(&form, "BDrucken");
        QCOMPARE(Dialogs::unscriptedCount(), 0);
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown().first().kind, Dialogs::Kind::Print);
        QCOMPARE(codes(pdf, EtikettenFormat::standard().first()), erwartet);
    }

    // Wrong choices are refused with a German message and nothing is written.
    void refusals_data()
    {
        QTest::addColumn<QString>("von");
        QTest::addColumn<QString>("bis");
        QTest::addColumn<QString>("breite");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("range without ladders") << "20" << "30" << ""
                                               << "Im Bereich der Leiter-Nr 20 bis 30 gibt es keine Leiter.";
        QTest::newRow("range backwards") << "14" << "12" << ""
                                         << "Die Leiter-Nr \"bis\" muss mindestens so groß sein wie \"von\".";
        QTest::newRow("range without start") << "" << "12" << ""
                                             << "Bitte die erste Leiter-Nr des Bereichs eingeben.";
        QTest::newRow("labels wider than the sheet")
            << "11" << "12" << "75"
            << "Die Etiketten passen nicht auf das Blatt (210 × 297 mm): Etikettgröße, Ränder oder Abstände "
               "verkleinern.";
    }
    void refusals()
    {
        QFETCH(QString, von);
        QFETCH(QString, bis);
        QFETCH(QString, breite);
        QFETCH(QString, meldung);
        Register r;
        TEtikettenForm form(r.quellen());
        zeigen(form);
        layoutWaehlen(&form, 0);
        click(&form, "rbBereich");
        tippen(&form, "EditNrV", von);
        tippen(&form, "EditNrB", bis);
        if (!breite.isEmpty()) {
            tippen(&form, "SpinBreite", breite);
            QCOMPARE(child<QLabel>(&form, "LabFormatFehler")->text(), meldung);
        }
        Dialogs::scriptText(r.dir.filePath("nichts.pdf"));
        click(&form, "BPdf");
        QCOMPARE(Dialogs::shownTexts().value(0), meldung);
        QVERIFY(!QFile::exists(r.dir.filePath("nichts.pdf")));
    }

    // A marked ladder whose number no code can hold stops the whole print with a message
    // naming it; no file is written.
    void ladderWithoutUsableNumberRefusedByName()
    {
        Register r;
        Table t("LT_LEIT");
        t.open();
        t.append();
        t.setValue("Nr", qint64(1234567890));
        t.setValue("KurzBez", QStringLiteral("Anlegeleiter Tor 3"));
        t.post();
        EtikettenQuellen q = r.quellen({12});
        q.markierte << t.field("ID").asInteger();
        TEtikettenForm form(q);
        zeigen(form);
        Dialogs::scriptText(r.dir.filePath("nichts.pdf"));
        click(&form, "BPdf");
        QCOMPARE(Dialogs::shownTexts().value(0),
                 QStringLiteral("Für die Leiter \"Anlegeleiter Tor 3\" (1234567890, ID %1) kann kein Barcode erstellt "
                                "werden: sie hat keine gültige Leiter-Nr (höchstens 9 Stellen).\nEs wurden keine "
                                "Etiketten gedruckt.")
                     .arg(t.field("ID").asInteger()));
        QVERIFY(!QFile::exists(r.dir.filePath("nichts.pdf")));
    }

    // A label size typed in the window is kept per layout; the preview shows the sheet.
    void sizeKeptAndPreviewShown()
    {
        Register r;
        {
            TEtikettenForm form(r.quellen());
            zeigen(form);
            layoutWaehlen(&form, 2);
            QCOMPARE(child<QSpinBox>(&form, "SpinStart")->isEnabled(), false);
            // The width typed and the preview called by its shortcut while the field still
            // has the focus.
            auto* breite = child<QDoubleSpinBox>(&form, "SpinBreite");
            breite->setFocus();
            QTest::keyClick(breite, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(breite, "50");
            int seiten = 0;
            QSizeF papier;
            Dialogs::setFormHook([&](QDialog* d) {
                if (auto* p = qobject_cast<TVekStdPreviewForm*>(d)) {
                    seiten = p->report()->pageCount();
                    papier = p->report()->pageSize().size(QPageSize::Millimeter);
                }
                return int(QDialog::Rejected);
            });
            QTest::keyClick(breite, Qt::Key_V, Qt::AltModifier);
            // A mnemonic clicks its button after a moment, as on the screen.
            QTRY_COMPARE(seiten, 1);
            QCOMPARE(papier, QSizeF(50, 29));
            click(&form, "BSchliessen");
        }
        QVERIFY2(iniText(r.ini()).contains("62x29=50.0;29.0;0.0;0.0;0.0;0.0"), qPrintable(iniText(r.ini())));
        TEtikettenForm wieder(r.quellen());
        QCOMPARE(child<QDoubleSpinBox>(&wieder, "SpinBreite")->value(), 50.0);
        layoutWaehlen(&wieder, 0);
        QCOMPARE(child<QDoubleSpinBox>(&wieder, "SpinBreite")->value(), 70.0);
    }
};

QTEST_MAIN(TestLabelForm)
#include "tst_labelform.moc"
