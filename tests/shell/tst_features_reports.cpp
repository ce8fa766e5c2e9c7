#include "AppPrinter.h"
#include "DataModule.h"
#include "FaelligePruefungen.h"
#include "Dialogs.h"
#include "Features.h"
#include "LeiterGrid.h"
#include "LeiterVerw.h"
#include "MainMenus.h"
#include "Query.h"
#include "RepForm.h"
#include "RepForms.h"
#include "RepMenue.h"
#include "PruefGrid.h"
#include "PruefungsSeite.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserControl.h"
#include "UserState.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <algorithm>

// The main window's print entries: "Listen" (Ctrl+P) and the "Vorschau" / "Druck" buttons,
// "Drucken der aktuellen Leiter" from the menu and the grid's pop-up, and the control sheet
// of the inspection list, each on the current ladder or inspection.
namespace {

// A report form that prints the numbers of the ladders it selects, and records the single
// inspection it was restricted to.
class ProbeForm : public TRepForm {
public:
    static inline int einzelPruefung = 0;
    ProbeForm(TDataModule1& dm, TRepProfile p, const QString& title) : TRepForm(dm, std::move(p), title)
    {
        query().setSql(QStringLiteral("SELECT *\nFROM LT_LEIT\nWHERE ID > 0"));
        useQueryAsDataSource();
        ReportBand* kopf = logoBand()->addChild(10);
        kopf->addSystemField(QRectF(0, 0, 100, 6), SystemField::ReportTitle);
        addHeaderLabel(kopf, QRectF(100, 0, 90, 6), TRepLabel::Bereich);
        report().detail()->setHeightMm(6);
        report().detail()->addField(QRectF(0, 0, 60, 6), QStringLiteral("Nr"), QString(), nullptr).setPrefix("Leiter ");
    }
    void SetEinzelPruefung(int pruefId) override { einzelPruefung = pruefId; }
};

void registerProbes()
{
    const QList<std::pair<TRepArt, QString>> arts = {{TRepArt::LeiterKartei, "Probe Kartei"},
                                                     {TRepArt::LeiterUebersicht, "Probe Übersicht"},
                                                     {TRepArt::PruefUebersicht, "Probe Prüf"},
                                                     {TRepArt::Kontrollblatt, "Probe Blatt"}};
    for (const auto& [art, title] : arts) {
        const QString t = title;
        registerReportForm(art, [t](TDataModule1& dm) -> std::unique_ptr<TRepForm> {
            return std::make_unique<ProbeForm>(dm, TRepProfile::leiter(false), t);
        });
    }
}

// How a print is started: an action, a button of the main window, the selection window's
// "Druck" or "Vorschau" then the preview's "Drucken", the inspection list's pop-up, the due
// list's preview, or twice in one preview.
enum class Weg { Aktion, Knopf, Listen, ListenVorschau, PruefAktion, FaelligVorschau, VorschauNochmal };

QString pdfText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestFeaturesReports : public QObject {
    Q_OBJECT

    struct Register {
        TestDataDir dir;
        std::unique_ptr<TDataModule1> dm;
        std::unique_ptr<TLeiterVerw> w;
        QList<int> pruefIds;

        Register()
        {
            Table l(QStringLiteral("LT_LEIT"));
            l.open();
            for (int nr : {1, 2, 3}) {
                l.append();
                l.setValue("Nr", nr);
                l.setValue("KurzBez", QStringLiteral("Leiter %1").arg(nr));
                l.post();
            }
            Table p(QStringLiteral("LT_PRUEF"));
            p.open();
            for (const QDate& d : {QDate(2024, 1, 10), QDate(2024, 6, 10)}) {
                p.append();
                p.setValue("LT_ID", l.lookup("Nr", {2}, "ID"));
                p.setValue("Datum", d);
                p.post();
                pruefIds << p.field("ID").asInteger();
            }
        }
        ~Register()
        {
            w.reset();
            dm.reset();
        }
        TLeiterVerw& open(bool erweitert)
        {
            dm = std::make_unique<TDataModule1>();
            w = std::make_unique<TLeiterVerw>(*dm);
            w->SpBDetailNeu->setChecked(erweitert);
            plugInspections(*w);
            plugSearchAndFilters(*w);
            plugReports(*w);
            w->show();
            w->activateWindow();
            [this] { QVERIFY(QTest::qWaitForWindowActive(w.get())); }();
            return *w;
        }
        void gotoNr(int nr)
        {
            Table& l = *w->leiter();
            QVERIFY(l.locate("Nr", {nr}));
        }
        QAction* action(const char* name) const { return w->menus()->action(QLatin1String(name)); }
    };

    // The selection window as the entry opened it.
    struct MenueSeen {
        int count = 0;
        QString nrV, nrB;
        int pruefArt = -1;
        bool markierte = false;
        bool druckEnabled = false;
        int tab = -1;
        MenueSeen()
        {
            Dialogs::setFormHook([this](QDialog* d) {
                if (auto* m = qobject_cast<TRepMenue*>(d)) {
                    ++count;
                    nrV = m->EditNrV->text();
                    nrB = m->EditNrB->text();
                    pruefArt = m->CoboLeiterPrgPruefArt->currentIndex();
                    markierte = m->cbMarkierte->isEnabled();
                    druckEnabled = m->druckButton(0)->isEnabled();
                    tab = m->PageControl1->currentIndex();
                }
                return int(QDialog::Rejected);
            });
        }
    };

    QTemporaryDir m_tmp;

private slots:
    void initTestCase() { registerProbes(); }
    void init()
    {
        resetDialogsForTest();
        UserState::reset();
        appPrinter()->setOutputFormat(QPrinter::NativeFormat);
        appPrinter()->setOutputFileName(QString());
    }

    void listenOpensWithTheCurrentLadder_data()
    {
        QTest::addColumn<bool>("erweitert");
        QTest::addColumn<bool>("marked");
        QTest::newRow("simple, no marks") << false << false;
        QTest::newRow("extended, a mark") << true << true;
    }
    void listenOpensWithTheCurrentLadder()
    {
        QFETCH(bool, erweitert);
        QFETCH(bool, marked);
        Register r;
        TLeiterVerw& w = r.open(erweitert);
        r.gotoNr(1);
        if (marked)
            QTest::keyClick(w.grid(), Qt::Key_Space);     // marks 1, moves on to 2
        else
            r.gotoNr(2);
        MenueSeen seen;
        QTest::keyClick(w.grid(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(seen.count, 1);
        QCOMPARE(seen.nrV, QStringLiteral("2"));
        QCOMPARE(seen.nrB, QStringLiteral("2"));
        QCOMPARE(seen.pruefArt, erweitert ? 1 : 0);
        QCOMPARE(seen.markierte, marked);
        QCOMPARE(seen.tab, 0);
        QVERIFY(seen.druckEnabled);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.grid()));
    }

    void buttonsOpenTheListsOutsideEditing()
    {
        Register r;
        TLeiterVerw& w = r.open(false);
        QVERIFY(r.action("MListen")->isEnabled());
        MenueSeen seen;
        for (QPushButton* b : {w.BVorschau, w.BDruck}) {
            QVERIFY(b->isEnabled());
            QTest::mouseClick(b, Qt::LeftButton);
        }
        QCOMPARE(seen.count, 2);
        w.leiter()->edit();
        QVERIFY(!w.BVorschau->isEnabled());
        QVERIFY(!w.BDruck->isEnabled());
        w.leiter()->cancel();
        QVERIFY(w.BVorschau->isEnabled());
        QVERIFY(w.BDruck->isEnabled());
    }

    void printRightFollowsTheUser()
    {
        Register r;
        TLeiterVerw& w = r.open(false);
        r.dm->DataUserControl->setRights(TUserRights{crView});
        r.dm->DataUserControl->setActive(true);
        MenueSeen seen;
        QTest::keyClick(w.grid(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(seen.count, 1);
        QVERIFY(!seen.druckEnabled);
        QVERIFY(!r.action("MDateiDruck")->isEnabled());
    }

    void printCurrentLadder_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("title");
        QTest::newRow("menu: card") << "MDateiDruckKartei" << "Probe Kartei";
        QTest::newRow("menu: overview") << "MDateiDruckUebersicht" << "Probe Übersicht";
        QTest::newRow("menu: inspections") << "MDateiDruckPruefUebersicht" << "Probe Prüf";
        QTest::newRow("pop-up: card") << "LtPopDruckKartei" << "Probe Kartei";
    }
    void printCurrentLadder()
    {
        QFETCH(QString, entry);
        QFETCH(QString, title);
        Register r;
        r.open(false);
        r.gotoNr(3);
        const QString file = m_tmp.filePath(entry + ".pdf");
        appPrinter()->setOutputFormat(QPrinter::PdfFormat);
        appPrinter()->setOutputFileName(file);

        Dialogs::scriptAnswer(false);
        r.action(qPrintable(entry))->trigger();
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Liste drucken ?"});
        QVERIFY(!QFile::exists(file));

        Dialogs::scriptAnswer(true);
        r.action(qPrintable(entry))->trigger();
        QCOMPARE(Dialogs::shownTexts().last(), QStringLiteral("Liste drucken ?"));
        const QString text = pdfText(file);
        QVERIFY2(text.contains(title), qPrintable(text));
        QVERIFY2(text.contains("Leiter-Nr : 3 bis 3"), qPrintable(text));
        QVERIFY(text.contains("Leiter 3"));
        QVERIFY(!text.contains("Leiter 1") && !text.contains("Leiter 2"));
    }

    void controlSheetOfTheCurrentInspection()
    {
        Register r;
        TLeiterVerw& w = r.open(true);
        r.gotoNr(2);
        auto* seite = qobject_cast<TPruefungsSeite*>(w.page(TLeiterVerw::PagePruefUebersicht));
        QVERIFY(seite);
        Table& pruef = *seite->LtPruef();
        QCOMPARE(pruef.recordCount(), 2);
        pruef.last();
        const int id = pruef.field("ID").asInteger();
        QVERIFY(r.pruefIds.contains(id));

        QStringList previews;
        Dialogs::setFormHook([&](QDialog* d) {
            previews << d->windowTitle();
            return int(QDialog::Accepted);
        });
        ProbeForm::einzelPruefung = 0;
        QVERIFY(r.action("VorschauPruefKontrollblatt")->isEnabled());
        r.action("VorschauPruefKontrollblatt")->trigger();
        QCOMPARE(previews, QStringList{"Probe Blatt"});
        QCOMPARE(ProbeForm::einzelPruefung, id);

        ProbeForm::einzelPruefung = 0;
        Dialogs::scriptAnswer(false);
        r.action("DruckPruefKontrollblatt")->trigger();
        QCOMPARE(Dialogs::shownTexts().last(), QStringLiteral("Kontrollblatt drucken ?"));
        QCOMPARE(ProbeForm::einzelPruefung, id);
    }
    // Every way to print, each twice in one run: first with no printer (the message says the
    // printer is not ready), then after "In PDF-Datei drucken" was chosen (what the print
    // dialog sets on the printer): the second print writes the file. A failed print used to
    // leave the printer refusing every setting until the program ended.
    void failedPrintLeavesThePrinterUsable_data()
    {
        QTest::addColumn<int>("weg");
        QTest::addColumn<QString>("entry");   // action or button name
        QTest::addColumn<int>("tab");         // the selection window's tab, -1 for none
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("title");
        const auto add = [](const char* tag, Weg weg, const char* entry, int tab, const char* question, const char* title) {
            QTest::newRow(tag) << int(weg) << QString::fromUtf8(entry) << tab << QString::fromUtf8(question)
                               << QString::fromUtf8(title);
        };
        const char* liste = "Liste drucken ?";
        const char* report = "Report drucken ?";
        add("Datei: Leiter-Kartei", Weg::Aktion, "MDateiDruckKartei", -1, liste, "Probe Kartei");
        add("Datei: Leiter-Übersicht", Weg::Aktion, "MDateiDruckUebersicht", -1, liste, "Probe Übersicht");
        add("Datei: Prüf-Übersicht", Weg::Aktion, "MDateiDruckPruefUebersicht", -1, liste, "Probe Prüf");
        add("Pop-up: Leiter-Kartei", Weg::Aktion, "LtPopDruckKartei", -1, liste, "Probe Kartei");
        add("Pop-up: Leiter-Übersicht", Weg::Aktion, "LtPopDruckUebersicht", -1, liste, "Probe Übersicht");
        add("Pop-up: Prüf-Übersicht", Weg::Aktion, "LtPopDruckPruefUebersicht", -1, liste, "Probe Prüf");
        add("Knopf Druck: Leiter-Kartei", Weg::Knopf, "BDruck", 0, liste, "Probe Kartei");
        add("Knopf Vorschau: Leiter-Kartei, Drucken", Weg::Knopf, "BVorschau", 0, report, "Probe Kartei");
        const char* tabs[] = {"Leiter-Kartei", "Leiter-Übersicht", "Prüf-Übersicht", "Kontrollblatt",
                              "Firmen / Abteilung", "Fällige Prüfungen"};
        const char* titles[] = {"Probe Kartei", "Probe Übersicht", "Probe Prüf", "Probe Blatt",
                                "Firmen / Abteilung - Übersicht", "Fällige Prüfungen"};
        for (int tab = 0; tab < 6; ++tab) {
            const QByteArray druck = QByteArray("Listen, ") + tabs[tab] + ": Druck";
            const QByteArray vorschau = QByteArray("Listen, ") + tabs[tab] + ": Vorschau, Drucken";
            add(druck.constData(), Weg::Listen, "MListen", tab, liste, titles[tab]);
            add(vorschau.constData(), Weg::ListenVorschau, "MListen", tab, report, titles[tab]);
        }
        add("Prüfungsübersicht: Druck Kontrollblatt", Weg::PruefAktion, "DruckPruefKontrollblatt", -1,
            "Kontrollblatt drucken ?", "Probe Blatt");
        add("Prüfungsübersicht: Vorschau Kontrollblatt, Drucken", Weg::PruefAktion, "VorschauPruefKontrollblatt", -1,
            report, "Probe Blatt");
        add("Fällige Prüfungen: Vorschau, Drucken", Weg::FaelligVorschau, "ActFaelligePruefungen", -1, report,
            "Fällige Prüfungen");
        // In one preview: "Drucken" fails, "Drucker" chooses the file, "Drucken" writes it.
        add("Vorschau: Drucken, Drucker, Drucken", Weg::VorschauNochmal, "MListen", 0, report, "Probe Kartei");
    }
    void failedPrintLeavesThePrinterUsable()
    {
        QFETCH(int, weg);
        QFETCH(QString, entry);
        QFETCH(int, tab);
        QFETCH(QString, question);
        QFETCH(QString, title);
        Register r;
        TLeiterVerw& w = r.open(true);
        plugDue(w);
        r.gotoNr(2);
        auto* seite = qobject_cast<TPruefungsSeite*>(w.page(TLeiterVerw::PagePruefUebersicht));
        QVERIFY(seite && seite->LtPruef()->recordCount() == 2);

        static int run = 0;
        const QString file = m_tmp.filePath(QStringLiteral("druck%1.pdf").arg(++run));
        const auto chooseFile = [&file] {
            // What "In PDF-Datei drucken" in the print dialog leaves on the printer.
            appPrinter()->setOutputFileName(file);
        };
        // The selection window: a click on the tab, then on its button; the preview: "Drucken".
        int previews = 0;
        Dialogs::setFormHook([&](QDialog* d) {
            if (auto* m = qobject_cast<TRepMenue*>(d)) {
                QTabBar* bar = m->pageControl()->tabBar();
                QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
                [&] { QCOMPARE(m->pageControl()->currentIndex(), tab); }();
                const bool vorschau = Weg(weg) == Weg::ListenVorschau || Weg(weg) == Weg::VorschauNochmal
                                      || entry == QStringLiteral("BVorschau");
                QTest::mouseClick(vorschau ? m->vorschauButton(tab) : m->druckButton(tab), Qt::LeftButton);
            } else if (auto* print = d->findChild<QToolButton*>(QStringLiteral("Print"))) {
                ++previews;
                Dialogs::scriptAnswer(true);
                QTest::mouseClick(print, Qt::LeftButton);
                if (Weg(weg) == Weg::VorschauNochmal) {
                    Dialogs::scriptAnswer(true);
                    QTest::mouseClick(d->findChild<QToolButton*>(QStringLiteral("PrintSetup")), Qt::LeftButton);
                    chooseFile();
                    Dialogs::scriptAnswer(true);
                    QTest::mouseClick(print, Qt::LeftButton);
                }
            }
            return int(QDialog::Rejected);
        });
        TFaelligePruefungen* faellig = nullptr;
        const auto printOnce = [&] {
            switch (Weg(weg)) {
            case Weg::Aktion:
            case Weg::PruefAktion:
                Dialogs::scriptAnswer(true);
                r.action(qPrintable(entry))->trigger();
                break;
            case Weg::Knopf:
                Dialogs::scriptAnswer(true);
                QTest::mouseClick(w.findChild<QPushButton*>(entry), Qt::LeftButton);
                break;
            case Weg::Listen:
            case Weg::ListenVorschau:
            case Weg::VorschauNochmal:
                Dialogs::scriptAnswer(true);
                r.action("MListen")->trigger();
                break;
            case Weg::FaelligVorschau:
                if (!faellig) {
                    QVERIFY(w.findChild<QAction*>(entry));
                    QTest::keyClick(w.grid(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
                    faellig = w.findChild<TFaelligePruefungen*>(QStringLiteral("FaelligePruefungen"));
                }
                QVERIFY(faellig && faellig->isVisible());
                QCOMPARE(faellig->BDruck->text(), QStringLiteral("&Vorschau"));
                QTest::mouseClick(faellig->BDruck, Qt::LeftButton);
                break;
            }
        };

        const auto failures = [](const QStringList& shown) {
            return int(std::count_if(shown.begin(), shown.end(), [](const QString& t) { return t.contains("nicht bereit"); }));
        };
        printOnce();
        QStringList shown = Dialogs::shownTexts();
        QVERIFY2(shown.contains(question) && failures(shown) == 1, qPrintable(shown.join(" | ")));
        QVERIFY(appPrinter()->printerState() != QPrinter::Active);
        if (Weg(weg) != Weg::VorschauNochmal) {
            QVERIFY(shown.last().contains("nicht bereit"));
            QVERIFY(!QFile::exists(file));
            chooseFile();
            QCOMPARE(appPrinter()->outputFileName(), file);
            printOnce();
        }
        // The second print asked the same and ended without a message.
        shown = Dialogs::shownTexts();
        QVERIFY2(failures(shown) == 1 && shown.last() == question, qPrintable(shown.join(" | ")));
        QVERIFY(QFile::exists(file));
        const QString text = pdfText(file);
        QVERIFY2(text.contains(title), qPrintable(text));
        if (weg == int(Weg::ListenVorschau) || weg == int(Weg::VorschauNochmal) || weg == int(Weg::FaelligVorschau)
            || entry.startsWith("Vorschau") || entry == "BVorschau")
            QCOMPARE(previews, Weg(weg) == Weg::VorschauNochmal ? 1 : 2);
    }
};

QTEST_MAIN(TestFeaturesReports)
#include "tst_features_reports.moc"
