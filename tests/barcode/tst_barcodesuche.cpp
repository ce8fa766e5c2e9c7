#include "BarcodeSuche.h"
#include "BarcodeWert.h"
#include "Dialogs.h"
#include "Table.h"
#include "TbcSuchDialog.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

// The main window's barcode actions on a real ladder table: ladders 11, 12 and 17, whose short
// descriptions sort them differently from their numbers.
class TestBarcodeSuche : public QObject {
    Q_OBJECT

    struct Fixture {
        TestDataDir dir;
        Table leiter{"LT_LEIT"};
        Table pruef{"LT_PRUEF"};
        QWidget window;
        QTabWidget* tabs = new QTabWidget(&window);
        BarcodeSuche suche{&leiter, &window};
        int gridFocus = 0;

        Fixture()
        {
            Table t("LT_LEIT");
            t.open();
            for (auto [nr, name] : {std::pair{11, "Stehleiter"}, {12, "Anlegeleiter"}, {17, "Mehrzweckleiter"}}) {
                t.append();
                t.setValue("Nr", nr);
                t.setValue("KurzBez", name);
                t.post();
            }
            leiter.setIndexFieldNames("KurzBez");
            leiter.open();
            pruef.open();
            QVERIFY(leiter.locate("Nr", {17}));
            for (const char* caption : {"&Allgemein", "erforderl. Prüfungen", "Prüfungsübersicht", "Beschreibung"})
                tabs->addTab(new QWidget, QString::fromUtf8(caption));
            tabs->setCurrentIndex(3);
            suche.setPruefungen(&pruef);
            suche.tabCaptions = [this] {
                QStringList captions;
                for (int i = 0; i < tabs->count(); ++i)
                    captions << tabs->tabText(i);
                return captions;
            };
            suche.selectTab = [this](int tab) { tabs->setCurrentIndex(tab); };
            suche.focusGrid = [this] { ++gridFocus; };
        }
        int nr() const { return leiter.field("Nr").asInteger(); }
    };

    static TbcSuchDialog* suchDialog(QDialog* d)
    {
        auto* s = qobject_cast<TbcSuchDialog*>(d);
        s->show();
        return s;
    }
    static QLineEdit* edit(QDialog* d) { return d->findChild<QLineEdit*>("EditSuchen"); }
    static void click(QDialog* d, const char* name)
    {
        auto* b = d->findChild<QAbstractButton*>(name);
        const bool box = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, box ? QPoint(6, b->height() / 2) : QPoint());
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        BarcodeWert::setWebBasis(QString());
    }
    void cleanup() { BarcodeWert::setWebBasis(QString()); }

    void inputRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("nrAfter");
        QTest::addColumn<bool>("numberOrder");
        QTest::newRow("9 digits searched") << "123456789" << "Leiter 123456789 nicht gefunden" << 17 << true;
        QTest::newRow("10 digits") << "1234567890" << "Fehler :nur bis zu 9 Stellen möglich" << 17 << false;
        QTest::newRow("trailing letter") << "12a" << "12a ist keine gültige Eingabe" << 17 << false;
        QTest::newRow("trailing blank") << "12 " << "12  ist keine gültige Eingabe" << 17 << false;
        QTest::newRow("leading blank") << " 12" << "Leiter  12 gefunden" << 12 << true;
        QTest::newRow("plus sign") << "+12" << "Leiter +12 gefunden" << 12 << true;
        QTest::newRow("leading zeros") << "0012" << "Leiter 0012 gefunden" << 12 << true;
        QTest::newRow("hexadecimal") << "$0C" << "Leiter $0C gefunden" << 12 << true;
        QTest::newRow("negative") << "-12" << "Leiter -12 nicht gefunden" << 17 << true;
        QTest::newRow("sign alone") << "+" << "+ ist keine gültige Eingabe" << 17 << false;
        QTest::newRow("beyond 32 bits") << "$1FFFFFFFF" << "Fehler :nur bis zu 9 Stellen möglich" << 17 << false;
        QTest::newRow("hex beyond 32 bits") << "$FFFFFFFF" << "$FFFFFFFF ist keine gültige Eingabe" << 17 << false;
        QTest::newRow("empty") << "" << "Fehler : Eingabefeld ist leer" << 17 << false;
    }
    void inputRules()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QFETCH(int, nrAfter);
        QFETCH(bool, numberOrder);
        Fixture f;
        int orderSignals = 0;
        f.suche.numberOrderSet = [&] { ++orderSignals; };
        QString shown;
        Dialogs::setFormHook([&](QDialog* d) {
            suchDialog(d);
            QTest::keyClicks(edit(d), typed);
            QTest::keyClick(edit(d), Qt::Key_Return);
            shown = qobject_cast<TbcSuchDialog*>(d)->ergebnis();
            QTest::keyClick(edit(d), Qt::Key_Escape);
            return d->result();
        });
        f.suche.ActBcSuchLeiterExecute();
        QCOMPARE(shown, result);
        QCOMPARE(f.nr(), nrAfter);
        QCOMPARE(f.leiter.indexFieldNames(), numberOrder ? QStringLiteral("Nr") : QStringLiteral("KurzBez"));
        QCOMPARE(orderSignals, numberOrder ? 1 : 0);
        QCOMPARE(f.tabs->currentIndex(), 3);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // A label's QR code holds the phone address of the ladder's page when a base address is
    // set; typed or from a keyboard wedge that form finds the ladder like its number.
    void phoneAddressFindsTheLadder_data()
    {
        QTest::addColumn<QString>("basis");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("nrAfter");
        const QString url = QStringLiteral("https://leitern.firma.local:8443");
        QTest::newRow("address") << url << url + "/l/12" << "Leiter 12 gefunden" << 12;
        QTest::newRow("base with slash, host in capitals, trailing slash")
            << url + "/" << "HTTPS://LEITERN.FIRMA.LOCAL:8443/l/11/" << "Leiter 11 gefunden" << 11;
        QTest::newRow("unknown ladder") << url << url + "/l/13" << "Leiter 13 nicht gefunden" << 17;
        QTest::newRow("not a number") << url << url + "/l/12a" << "12a ist keine gültige Eingabe" << 17;
        QTest::newRow("other server") << url << "https://andere.firma.local/l/12"
                                      << "Fehler :nur bis zu 9 Stellen möglich" << 17;
        QTest::newRow("no base address set") << QString() << url + "/l/12" << "Fehler :nur bis zu 9 Stellen möglich"
                                             << 17;
        QTest::newRow("number still taken") << url << "12" << "Leiter 12 gefunden" << 12;
    }
    void phoneAddressFindsTheLadder()
    {
        QFETCH(QString, basis);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QFETCH(int, nrAfter);
        Fixture f;
        BarcodeWert::setWebBasis(basis);
        QString shown;
        Dialogs::setFormHook([&](QDialog* d) {
            suchDialog(d);
            QTest::keyClicks(edit(d), typed);
            QTest::keyClick(edit(d), Qt::Key_Return);
            shown = qobject_cast<TbcSuchDialog*>(d)->ergebnis();
            QTest::keyClick(edit(d), Qt::Key_Escape);
            return d->result();
        });
        f.suche.ActBcSuchLeiterExecute();
        QCOMPARE(shown, result);
        QCOMPARE(f.nr(), nrAfter);
    }

    // After OK the chosen page is opened and the choices are kept for the next search; after
    // Cancel the ladder stays found, but the tab and the choices stay as they were.
    void okOrCancelAfterHit_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("autoClose");
        QTest::addColumn<int>("tabAfter");
        QTest::addColumn<int>("seiteNext");
        QTest::addColumn<bool>("autoCloseNext");
        QTest::newRow("OK") << "BClose" << false << 2 << 2 << false;
        QTest::newRow("Abbrechen") << "BCancel" << false << 3 << 0 << false;
        QTest::newRow("auto close on the hit") << "" << true << 2 << 2 << true;
    }
    void okOrCancelAfterHit()
    {
        QFETCH(QString, button);
        QFETCH(bool, autoClose);
        QFETCH(int, tabAfter);
        QFETCH(int, seiteNext);
        QFETCH(bool, autoCloseNext);
        Fixture f;
        bool openAfterHit = true;
        Dialogs::setFormHook([&](QDialog* d) {
            TbcSuchDialog* s = suchDialog(d);
            click(d, "rbAwPruef");
            if (autoClose)
                click(d, "cbFormClose");
            QTest::keyClicks(edit(d), "12");
            QTest::keyClick(edit(d), Qt::Key_Return);
            openAfterHit = s->isVisible();
            if (!button.isEmpty())
                click(d, qPrintable(button));
            return d->result();
        });
        f.suche.ActBcSuchLeiterExecute();
        QCOMPARE(openAfterHit, !autoClose);
        QCOMPARE(f.nr(), 12);
        QCOMPARE(f.tabs->currentIndex(), tabAfter);
        QCOMPARE(f.gridFocus, 2);

        int seite = -1;
        bool autoSchliessen = true;
        Dialogs::setFormHook([&](QDialog* d) {
            auto* s = qobject_cast<TbcSuchDialog*>(d);
            seite = s->Seite();
            autoSchliessen = s->autoSchliessen();
            return int(QDialog::Rejected);
        });
        f.suche.ActBcSuchLeiterExecute();
        QCOMPARE(seite, seiteNext);
        QCOMPARE(autoSchliessen, autoCloseNext);
        // The serial search keeps choices of its own.
        f.suche.ActBcSuchComLeiterExecute();
        QCOMPARE(seite, 0);
        QCOMPARE(autoSchliessen, false);
    }

    // An inspection and the ladder being edited when the search starts: the inspection is
    // saved, the ladder's changes are dropped, and both messages follow the dialog in order.
    void pendingEditsEnded()
    {
        Fixture f;
        const int ladderId = f.leiter.field("ID").asInteger();
        f.leiter.edit();
        f.leiter.setValue("KurzBez", "geändert");
        f.pruef.append();
        f.pruef.setValue("LT_ID", ladderId);
        f.pruef.setValue("Datum", QDate(2004, 6, 1));
        DataSetState pruefDuringDialog = DataSetState::Inactive;
        DataSetState leiterDuringDialog = DataSetState::Inactive;
        Dialogs::setFormHook([&](QDialog* d) {
            pruefDuringDialog = f.pruef.state();
            leiterDuringDialog = f.leiter.state();
            suchDialog(d);
            QTest::keyClicks(edit(d), "11");
            click(d, "BClose");
            return d->result();
        });
        Dialogs::scriptAnswer(true);
        Dialogs::scriptAnswer(true);
        f.suche.ActBcSuchComLeiterExecute();
        QCOMPARE(Dialogs::unscriptedCount(), 0);
        QCOMPARE(pruefDuringDialog, DataSetState::Browse);
        QCOMPARE(leiterDuringDialog, DataSetState::Browse);
        QCOMPARE(f.nr(), 11);
        QCOMPARE(f.tabs->currentIndex(), 0);

        const QList<Dialogs::Shown>& shown = Dialogs::shown();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[0].kind, Dialogs::Kind::Form);
        QCOMPARE(shown[1].kind, Dialogs::Kind::Information);
        QCOMPARE(shown[1].text, QStringLiteral("Die Bearbeitung der Prüfungen der Leiter 17 \nist bei der Barcode-Eingabe "
                                               "abgebrochen worden.\nDie Änderungen sind übernommen worden."));
        QCOMPARE(shown[2].kind, Dialogs::Kind::Information);
        QCOMPARE(shown[2].text, QStringLiteral("Die Bearbeitung der Stammdaten der Leiter 17 \nist bei der Barcode-Eingabe "
                                               "abgebrochen worden.\nDie Änderungen sind nicht eingetragen worden. !!!"));

        Table check("LT_LEIT");
        check.open();
        QVERIFY(check.locate("Nr", {17}));
        QCOMPARE(check.field("KurzBez").asString(), QStringLiteral("Mehrzweckleiter"));
        Table pruefungen("LT_PRUEF");
        pruefungen.open();
        QCOMPARE(pruefungen.recordCount(), 1);
        QCOMPARE(pruefungen.field("LT_ID").asInteger(), ladderId);
    }

    // An inspection that cannot be saved is not reported as saved: the error ends the action
    // before the dialog, and the ladder's changes are not thrown away.
    void failedInspectionSaveIsNotReportedAsSaved()
    {
        Fixture f;
        f.pruef.beforePost = [](DataSet&) { throw EngineError("Feld 'Datum' muß einen Wert haben"); };
        f.leiter.edit();
        f.leiter.setValue("KurzBez", "geändert");
        f.pruef.append();
        try {
            f.suche.ActBcSuchLeiterExecute();
            QFAIL("no error");
        } catch (const HwError& e) {
            QCOMPARE(e.message(), QStringLiteral("Feld 'Datum' muß einen Wert haben"));
        }
        QVERIFY(Dialogs::shown().isEmpty());
        QCOMPARE(f.pruef.state(), DataSetState::Insert);
        QCOMPARE(f.leiter.state(), DataSetState::Edit);
        QCOMPARE(f.leiter.field("KurzBez").asString(), QStringLiteral("geändert"));
        QCOMPARE(f.gridFocus, 1);
    }

    void tabIndexFuerSeite_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("seite");
        QTest::addColumn<int>("index");
        const QStringList pages = {"Allgemein", "Beschreibung", "Prüfungsübersicht", "erforderl. Prüfungen"};
        QTest::newRow("found by caption") << pages << 1 << 3;
        QTest::newRow("other page number") << pages << 5 << 0;
        QTest::newRow("caption missing") << QStringList{"Beschreibung", "Allgemein"} << 2 << 0;
    }
    void tabIndexFuerSeite()
    {
        QFETCH(QStringList, captions);
        QFETCH(int, seite);
        QFETCH(int, index);
        QCOMPARE(BarcodeSuche::tabIndexFuerSeite(captions, seite), index);
    }
};

QTEST_MAIN(TestBarcodeSuche)
#include "tst_barcodesuche.moc"
