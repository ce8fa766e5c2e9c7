#include "AppPrinter.h"
#include "DbTreeLookupComboBox.h"
#include "Dialogs.h"
#include "RenderedReport.h"
#include "RepFixture.h"
#include "RepForms.h"
#include "RepMenue.h"
#include "TVekStdPreviewForm.h"
#include "UserControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

// The selection window driven through its controls: defaults, the shared panel, ranges and
// their errors, department chosen and cleared, preview, PDF, printing and the print right.
namespace {

QString pdfText(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Texts of the report shown in the preview; the window is closed at once.
struct PreviewCatcher {
    QStringList titles;
    QString texts;
    QString pdfFile;    // when set, "als PDF speichern" writes the shown report there
    PreviewCatcher()
    {
        Dialogs::setFormHook([this](QDialog* d) {
            auto* f = qobject_cast<TVekStdPreviewForm*>(d);
            if (!f)
                return int(QDialog::Rejected);
            titles << f->windowTitle();
            texts = allTexts(*f->report());
            if (!pdfFile.isEmpty()) {
                Dialogs::scriptText(pdfFile);
                QTest::mouseClick(f->findChild<QToolButton*>("SavePdf"), Qt::LeftButton);
            }
            return int(QDialog::Accepted);
        });
    }
};

void chooseAuswahl(TRepMenue& m, int index)
{
    m.CoboAuswahl->setFocus();
    while (m.CoboAuswahl->currentIndex() < index)
        QTest::keyClick(m.CoboAuswahl, Qt::Key_Down);
    while (m.CoboAuswahl->currentIndex() > index)
        QTest::keyClick(m.CoboAuswahl, Qt::Key_Up);
}

void typeInto(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, text);
}

} // namespace

class TestRepMenue : public QObject {
    Q_OBJECT
    std::unique_ptr<RepRegister> m_reg;
    QTemporaryDir m_tmp;

private slots:
    void initTestCase() { m_reg = std::make_unique<RepRegister>(); }
    void cleanupTestCase() { m_reg.reset(); }
    void init()
    {
        resetDialogsForTest();
        appPrinter()->setOutputFormat(QPrinter::NativeFormat);
        appPrinter()->setOutputFileName(QString());
    }

    void windowDefaults();
    void panelFollowsTheTab();
    void rangeErrorsKeepTheWindow_data();
    void rangeErrorsKeepTheWindow();
    void departmentChosenThenCleared();
    void previewSavesPdf();
    void printAsksAndGoesToTheChosenPrinter();
    void printRefusedWithoutRight();
    void unregisteredReportRefuses();
};

void TestRepMenue::windowDefaults()
{
    TRepMenue m(*m_reg->dm);
    QCOMPARE(m.windowTitle(), QStringLiteral("Leiter- Prüfungsverwaltung - Listen"));
    QStringList tabs;
    for (int i = 0; i < m.PageControl1->count(); ++i)
        tabs << m.PageControl1->tabText(i);
    QCOMPARE(tabs, (QStringList{"Leiter.-Kartei", "Leiter.-Übersicht", "Prüf-Übersicht", "Kontrollblatt",
                                "Firmen.-Übersicht", "Fällige Prüfungen"}));
    QCOMPARE(m.PageControl1->currentIndex(), 0);
    QCOMPARE(m.LtKCoboSortiert->count(), 5);
    QCOMPARE(m.LtPUebCoboSortiert->itemText(2), QStringLiteral("Prüf- Datum"));
    QCOMPARE(m.LtKontrBCoboSortiert->count(), 4);
    QVERIFY(!m.LtKCbSeiteProLeiter->isChecked());
    QVERIFY(m.LtKCbDruckPruefUebersicht->isChecked());
    QVERIFY(!m.LtKontrBCbPrintErledigt->isChecked());
    QVERIFY(m.LtCountCbAllFirmAbtShow->isChecked());
    QCOMPARE(m.CoboAuswahl->currentText(), QStringLiteral("<Alle>"));
    QCOMPARE(m.EditDateV->text(), QDate::currentDate().toString("dd.MM.yyyy"));
    // Master lists: "<Alle>" first; companies only in "Firma :".
    auto items = [](QComboBox* b) {
        QStringList s;
        for (int i = 0; i < b->count(); ++i)
            s << b->itemText(i);
        return s;
    };
    QCOMPARE(items(m.CoboLeiterArt), (QStringList{"<Alle>", "Stehleiter", "Anlegeleiter"}));
    QCOMPARE(items(m.CoboFirmen), (QStringList{"<Alle>", "Werk", "Zweigwerk"}));
    QCOMPARE(items(m.CoboPruefungsArt), (QStringList{"<Alle>", "Jährlich", "Halbjährlich"}));
    QCOMPARE(items(m.CoboLeiterPrgPruefArt), (QStringList{"einfache   Prüfungen", "erweiterte Prüfungen"}));
    QVERIFY(!m.cbMarkierte->isEnabled());
    TRepMenue marked(*m_reg->dm, {QString::number(m_reg->ladderId[1])});
    QVERIFY(marked.cbMarkierte->isEnabled());

    m.SetLeiterNr(4711);
    QCOMPARE(m.EditNrV->text(), QStringLiteral("4711"));
    QCOMPARE(m.EditNrB->text(), QStringLiteral("4711"));
    m.SetPruefArtAnzeige(1);
    QCOMPARE(m.CoboLeiterPrgPruefArt->currentIndex(), 1);
    m.SetPruefArtAnzeige(2);
    QCOMPARE(m.CoboLeiterPrgPruefArt->currentIndex(), 0);
    m.SetPruefArtAnzeige(-1);
    QCOMPARE(m.CoboLeiterPrgPruefArt->currentIndex(), 0);
}

void TestRepMenue::panelFollowsTheTab()
{
    TRepMenue m(*m_reg->dm);
    m.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m));
    for (int tab : {4, 2, 0}) {
        QTest::mouseClick(m.PageControl1->tabBar(), Qt::LeftButton, {},
                          m.PageControl1->tabBar()->tabRect(tab).center());
        QCOMPARE(m.PageControl1->currentIndex(), tab);
        QCOMPARE(m.PanAuswahl->parentWidget(), m.PageControl1->widget(tab));
        QCOMPARE(m.PanAuswahl->pos(), QPoint(16, 48));
        QVERIFY(m.PanAuswahl->isVisible());
    }
    // The page of the range fields follows the choice; both dates share one page.
    const QStringList pages = {"Leer", "Nr", "KurzBez", "Datum", "Datum"};
    for (int i = 0; i < 5; ++i) {
        chooseAuswahl(m, i);
        QCOMPARE(m.NotebookAuswahl->currentWidget()->objectName(), pages[i]);
    }
}

void TestRepMenue::rangeErrorsKeepTheWindow_data()
{
    QTest::addColumn<int>("auswahl");
    QTest::addColumn<QString>("von");
    QTest::addColumn<QString>("bis");
    QTest::addColumn<QString>("message");
    QTest::newRow("numbers") << 1 << "5" << "2" << "Leiter-Nr..bis muss >= Leiter-Nr..von sein";
    QTest::newRow("short descriptions a to B") << 2 << "a" << "B"
                                               << "Leiter-KurzBez..bis muss >= Leiter-Nr..von sein";
    QTest::newRow("dates") << 3 << "31.03.2004" << "01.03.2004" << "Datum..bis muss >= Datum..von sein";
}

void TestRepMenue::rangeErrorsKeepTheWindow()
{
    QFETCH(int, auswahl);
    QFETCH(QString, von);
    QFETCH(QString, bis);
    QFETCH(QString, message);
    TRepMenue m(*m_reg->dm);
    m.show();
    QTest::mouseClick(m.PageControl1->tabBar(), Qt::LeftButton, {}, m.PageControl1->tabBar()->tabRect(4).center());
    chooseAuswahl(m, auswahl);
    QLineEdit* v = auswahl == 1 ? m.EditNrV : auswahl == 2 ? m.EditKurzBezV : m.EditDateV;
    QLineEdit* b = auswahl == 1 ? m.EditNrB : auswahl == 2 ? m.EditKurzBezB : m.EditDateB;
    typeInto(v, von);
    typeInto(b, bis);
    PreviewCatcher preview;
    QTest::mouseClick(m.vorschauButton(4), Qt::LeftButton);
    QVERIFY(preview.titles.isEmpty());
    QCOMPARE(Dialogs::shownTexts(), QStringList{message});
    QCOMPARE(Dialogs::shown().last().kind, Dialogs::Kind::Error);
    QCOMPARE(v->text(), von);
    QCOMPARE(b->text(), bis);
    QCOMPARE(m.CoboAuswahl->currentIndex(), auswahl);
}

void TestRepMenue::departmentChosenThenCleared()
{
    TRepMenue m(*m_reg->dm);
    m.show();
    QTest::mouseClick(m.PageControl1->tabBar(), Qt::LeftButton, {}, m.PageControl1->tabBar()->tabRect(4).center());
    m.DbTreeLookupAbt->setFocus();
    QTest::keyClicks(m.DbTreeLookupAbt, "Hal");
    QCOMPARE(m.DbTreeLookupAbt->KeyValue().toInt(), m_reg->node["Halle"]);

    PreviewCatcher preview;
    QTest::mouseClick(m.vorschauButton(4), Qt::LeftButton);
    QCOMPARE(preview.titles, QStringList{"Firmen / Abteilung - Übersicht"});
    QVERIFY2(preview.texts.contains("Abtl. : Werk - Halle /"), qPrintable(preview.texts));
    QVERIFY(preview.texts.contains("Summe :\n2"));

    QTest::mouseClick(m.SpbAbtLoe, Qt::LeftButton);
    QTest::mouseClick(m.vorschauButton(4), Qt::LeftButton);
    QVERIFY(!preview.texts.contains("Abtl."));
    QVERIFY2(preview.texts.contains("Summe :\n8"), qPrintable(preview.texts));
    for (const Dialogs::Shown& d : Dialogs::shown())
        QCOMPARE(d.kind, Dialogs::Kind::Form);
}

void TestRepMenue::previewSavesPdf()
{
    TRepMenue m(*m_reg->dm);
    m.show();
    QTest::mouseClick(m.PageControl1->tabBar(), Qt::LeftButton, {}, m.PageControl1->tabBar()->tabRect(4).center());
    chooseAuswahl(m, 1);
    typeInto(m.EditNrV, "1");
    typeInto(m.EditNrB, "4");
    PreviewCatcher preview;
    preview.pdfFile = m_tmp.filePath("vorschau.pdf");
    QTest::mouseClick(m.vorschauButton(4), Qt::LeftButton);
    const QString text = pdfText(preview.pdfFile);
    QVERIFY2(text.contains("Firmen / Abteilung - Übersicht"), qPrintable(text));
    QVERIFY2(text.contains("Leiter.-Nr : 1 bis 4"), qPrintable(text));
    QVERIFY(QRegularExpression("Halle\\s+1\\b").match(text).hasMatch());
    QVERIFY(QRegularExpression("Summe :\\s+4\\b").match(text).hasMatch());
}

void TestRepMenue::printAsksAndGoesToTheChosenPrinter()
{
    TRepMenue m(*m_reg->dm);
    m.show();
    QTest::mouseClick(m.PageControl1->tabBar(), Qt::LeftButton, {}, m.PageControl1->tabBar()->tabRect(4).center());
    // "D&rucker": the printer chosen there receives the print.
    const QString file = m_tmp.filePath("druck.pdf");
    Dialogs::setFormHook({});
    Dialogs::scriptAnswer(true);
    QTest::mouseClick(m.BDruckerConfig, Qt::LeftButton);
    QCOMPARE(Dialogs::shown().last().kind, Dialogs::Kind::Print);
    appPrinter()->setOutputFormat(QPrinter::PdfFormat);
    appPrinter()->setOutputFileName(file);

    Dialogs::scriptAnswer(false);
    QTest::mouseClick(m.druckButton(4), Qt::LeftButton);
    QCOMPARE(Dialogs::shownTexts().last(), QStringLiteral("Liste drucken ?"));
    QVERIFY(!QFile::exists(file));

    Dialogs::scriptAnswer(true);
    QTest::mouseClick(m.druckButton(4), Qt::LeftButton);
    QCOMPARE(Dialogs::shownTexts().last(), QStringLiteral("Liste drucken ?"));
    const QString text = pdfText(file);
    QVERIFY2(text.contains("Firmen / Abteilung - Übersicht"), qPrintable(text));
    QVERIFY(QRegularExpression("nicht zugeordnet\\s+2\\b").match(text).hasMatch());
    QVERIFY(QRegularExpression("Summe :\\s+8\\b").match(text).hasMatch());
}

void TestRepMenue::printRefusedWithoutRight()
{
    TUserControl rights;
    rights.setActive(true);
    rights.setRights(TUserRights{crView});
    TRepMenue m(*m_reg->dm);
    m.SetUserControl(&rights);
    for (int tab = 0; tab < 5; ++tab) {
        QVERIFY(!m.druckButton(tab)->isEnabled());
        QVERIFY(m.vorschauButton(tab)->isEnabled());
    }
    const QString file = m_tmp.filePath("verboten.pdf");
    appPrinter()->setOutputFormat(QPrinter::PdfFormat);
    appPrinter()->setOutputFileName(file);
    Dialogs::scriptAnswer(true);
    m.AusgabeCountBlatt(m.druckButton(4));
    QCOMPARE(Dialogs::shownTexts(), QStringList{"Keine Berechtigung zum Drucken von Datensätzen vorhanden"});
    QVERIFY(!QFile::exists(file));
    m.DruckEinzelKontrollblatt(1);
    QCOMPARE(Dialogs::shownTexts().last(), QStringLiteral("Keine Berechtigung zum Drucken von Datensätzen vorhanden"));
    QVERIFY(!QFile::exists(file));

    rights.setRights(TUserRights{crView, crPrint});
    m.SetUserControl(&rights);
    QVERIFY(m.druckButton(4)->isEnabled());
}

void TestRepMenue::unregisteredReportRefuses()
{
    registerReportForm(TRepArt::LeiterUebersicht, {});
    TRepMenue m(*m_reg->dm);
    m.show();
    PreviewCatcher preview;
    QTest::mouseClick(m.vorschauButton(1), Qt::LeftButton);
    QVERIFY(preview.titles.isEmpty());
    QCOMPARE(Dialogs::shownTexts(), QStringList{"Der Report \"Leiter.-Übersicht\" ist noch nicht verfügbar."});
}

QTEST_MAIN(TestRepMenue)
#include "tst_repmenue.moc"
