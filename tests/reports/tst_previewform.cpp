#include "Dialogs.h"
#include "RenderedReport.h"
#include "Report.h"
#include "ReportFile.h"
#include "ReportFixture.h"
#include "ReportPreviewWidget.h"
#include "TVekStdPreviewForm.h"
#include "TVekStdPreviewInterface.h"
#include "TestSupport.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

int pdfPageCount(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(pdf).count(page));
}

} // namespace

class TestPreviewForm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void captionStateAndStatusOnCreation();
    void toolbarHints_data();
    void toolbarHints();
    void pageNavigationStaysWithinThePages_data();
    void pageNavigationStaysWithinThePages();
    void zoomKeysStopAtTheLimits_data();
    void zoomKeysStopAtTheLimits();
    void customZoomAcceptsOnly2To2000_data();
    void customZoomAcceptsOnly2To2000();
    void shiftClickZooms_data();
    void shiftClickZooms();
    void fitAndWidthZoom();
    void arrowKeysScroll();
    void progressRule();
    void permissionsAfterRendering_data();
    void permissionsAfterRendering();
    void printAsksFirstAndPrintsEveryPage_data();
    void printAsksFirstAndPrintsEveryPage();
    void printWhileRenderingDoesNothing();
    void saveAndLoadThroughTheWindow();
    void loadRefusalsKeepTheShownReport_data();
    void loadRefusalsKeepTheShownReport();
    void savePdfButton();
    void escapeAndExitClose();
    void statusPanelsShowTheirWholeTexts();
    void modelessPreviewIsRenderedShownAndDeletedOnClose();

private:
    std::unique_ptr<TVekStdPreviewForm> makeForm(int pages, const QString& title = QStringLiteral("LeiterKartei"));
    template <typename T> T* child(const char* name) const
    {
        T* w = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("missing %s", name);
        return w;
    }
    QToolButton* button(const char* name) const { return child<QToolButton>(name); }
    QString panel(int i) const { return child<QLabel>(qPrintable(QStringLiteral("StatusPanel%1").arg(i)))->text(); }
    int page() const { return m_form->preview()->pageNumber(); }
    int zoom() const { return m_form->preview()->zoom(); }

    std::unique_ptr<TVekStdPreviewForm> m_form;
    QTemporaryDir m_dir;
};

void TestPreviewForm::init()
{
    resetDialogsForTest();
    SetPreviewRechte(true);
}

void TestPreviewForm::cleanup()
{
    m_form.reset();
    SetPreviewRechte(true);
}

std::unique_ptr<TVekStdPreviewForm> TestPreviewForm::makeForm(int pages, const QString& title)
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    auto form = std::make_unique<TVekStdPreviewForm>(renderedPages(pages, title), printer);
    form->show();
    return form;
}

void TestPreviewForm::captionStateAndStatusOnCreation()
{
    m_form = makeForm(3);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("LeiterKartei"));
    QVERIFY(m_form->windowState() & Qt::WindowMaximized);
    QVERIFY(button("ZoomToWidth")->isChecked());
    QCOMPARE(zoom(), 100);
    QCOMPARE(page(), 1);
    QCOMPARE(panel(0), QStringLiteral("100 %"));
    QCOMPARE(panel(1), QStringLiteral("A4"));
    QCOMPARE(panel(2), QStringLiteral("Seite 1 von 3"));
    QCOMPARE(panel(3), QString());
    QCOMPARE(panel(4), QStringLiteral("1.00.001"));
    QCOMPARE(m_form->reportState(), TVekStdPreviewForm::ReportState::Rendered);

    m_form = makeForm(1, QString());
    QCOMPARE(m_form->windowTitle(), QStringLiteral("VEK Preview"));
}

void TestPreviewForm::toolbarHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::newRow("fit") << "ZoomFit" << "Zoom Einpassen auf Seite";
    QTest::newRow("100") << "Zoom100" << "Zoom auf 100%";
    QTest::newRow("width") << "ZoomToWidth" << "Zoom auf Seitenbreite";
    QTest::newRow("custom") << "ZoomCustom" << "Zoom-Auswahl";
    QTest::newRow("first") << "FirstPage" << "erste Seite";
    QTest::newRow("previous") << "PreviousPage" << "vorherige Seite";
    QTest::newRow("next") << "NextPage" << "nächste Seite";
    QTest::newRow("last") << "LastPage" << "letzte Seite";
    QTest::newRow("setup") << "PrintSetup" << "Druckereinstellungen";
    QTest::newRow("print") << "Print" << "Report drucken";
    QTest::newRow("save") << "SaveReport" << "Report speichern";
    QTest::newRow("load") << "LoadReport" << "Report öffnen";
    QTest::newRow("exit") << "ExitButton" << "Vorschau Schließen";
}

void TestPreviewForm::toolbarHints()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    m_form = makeForm(1);
    QCOMPARE(button(qPrintable(name))->toolTip(), hint);
    if (name == "ExitButton")
        QCOMPARE(button("ExitButton")->text(), QStringLiteral("&Schließen"));
}

void TestPreviewForm::pageNavigationStaysWithinThePages_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");
    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    QTest::newRow("previous on first") << 1 << "PreviousPage" << 0 << none << 1;
    QTest::newRow("next on last") << 3 << "NextPage" << 0 << none << 3;
    QTest::newRow("next") << 1 << "NextPage" << 0 << none << 2;
    QTest::newRow("last") << 1 << "LastPage" << 0 << none << 3;
    QTest::newRow("first") << 3 << "FirstPage" << 0 << none << 1;
    QTest::newRow("PgUp on first") << 1 << "" << int(Qt::Key_PageUp) << none << 1;
    QTest::newRow("PgDown on last") << 3 << "" << int(Qt::Key_PageDown) << none << 3;
    QTest::newRow("PgDown") << 1 << "" << int(Qt::Key_PageDown) << none << 2;
    QTest::newRow("PgUp") << 3 << "" << int(Qt::Key_PageUp) << none << 2;
    QTest::newRow("Ctrl+PgDown") << 1 << "" << int(Qt::Key_PageDown) << ctrl << 3;
    QTest::newRow("Ctrl+PgUp") << 3 << "" << int(Qt::Key_PageUp) << ctrl << 1;
    QTest::newRow("Ctrl+Shift+PgDown is next") << 1 << "" << int(Qt::Key_PageDown)
                                              << int(Qt::ControlModifier | Qt::ShiftModifier) << 2;
    QTest::newRow("Home") << 3 << "" << int(Qt::Key_Home) << none << 1;
    QTest::newRow("End") << 1 << "" << int(Qt::Key_End) << none << 3;
}

void TestPreviewForm::pageNavigationStaysWithinThePages()
{
    QFETCH(int, start);
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    m_form = makeForm(3);
    if (start == 3)
        QTest::mouseClick(this->button("LastPage"), Qt::LeftButton);
    QCOMPARE(page(), start);
    if (!button.isEmpty())
        QTest::mouseClick(this->button(qPrintable(button)), Qt::LeftButton);
    else   // keys reach the window whichever control has them
        QTest::keyClick(m_form->preview(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(page(), expected);
    QCOMPARE(panel(2), QStringLiteral("Seite %1 von 3").arg(expected));
}

void TestPreviewForm::zoomKeysStopAtTheLimits_data()
{
    QTest::addColumn<QString>("customStart");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("expected");
    QTest::newRow("minus from 100") << "" << int(Qt::Key_Minus) << 15 << 10;
    QTest::newRow("minus from 95") << "95" << int(Qt::Key_Minus) << 15 << 5;
    QTest::newRow("minus from 12") << "12" << int(Qt::Key_Minus) << 3 << 2;
    QTest::newRow("plus to 2000") << "1960" << int(Qt::Key_Plus) << 10 << 2000;
    QTest::newRow("plus from 1995") << "1995" << int(Qt::Key_Plus) << 3 << 1995;
}

void TestPreviewForm::zoomKeysStopAtTheLimits()
{
    QFETCH(QString, customStart);
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(int, expected);
    m_form = makeForm(1);
    if (!customStart.isEmpty()) {
        Dialogs::scriptText(customStart);
        QTest::mouseClick(button("ZoomCustom"), Qt::LeftButton);
        QCOMPARE(zoom(), customStart.toInt());
    }
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(m_form.get(), Qt::Key(key), Qt::KeypadModifier);
    QCOMPARE(zoom(), expected);
    QVERIFY(button("ZoomCustom")->isChecked());
    QCOMPARE(panel(0), QStringLiteral("%1 %").arg(expected));
    // The main keyboard's minus is no zoom key.
    QTest::keyClick(m_form.get(), Qt::Key_Minus);
    QCOMPARE(zoom(), expected);
}

void TestPreviewForm::customZoomAcceptsOnly2To2000_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("customDown");
    QTest::newRow("2") << "2" << 2 << true;
    QTest::newRow("2000") << "2000" << 2000 << true;
    QTest::newRow("1") << "1" << 100 << false;
    QTest::newRow("2001") << "2001" << 100 << false;
    QTest::newRow("text") << "gross" << 100 << false;
    QTest::newRow("cancel") << QString() << 100 << false;
}

void TestPreviewForm::customZoomAcceptsOnly2To2000()
{
    QFETCH(QString, answer);
    QFETCH(int, expected);
    QFETCH(bool, customDown);
    m_form = makeForm(1);
    if (answer.isNull())
        Dialogs::scriptCancel();
    else
        Dialogs::scriptText(answer);
    QTest::mouseClick(button("ZoomCustom"), Qt::LeftButton);
    QCOMPARE(zoom(), expected);
    QCOMPARE(button("ZoomCustom")->isChecked(), customDown);
    QCOMPARE(button("ZoomToWidth")->isChecked(), !customDown);
    QCOMPARE(Dialogs::unscriptedCount(), 0);
}

void TestPreviewForm::shiftClickZooms_data()
{
    QTest::addColumn<int>("mouseButton");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");
    QTest::newRow("shift left") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << 110;
    QTest::newRow("shift right") << int(Qt::RightButton) << int(Qt::ShiftModifier) << 90;
    QTest::newRow("shift middle") << int(Qt::MiddleButton) << int(Qt::ShiftModifier) << 90;
    QTest::newRow("plain left") << int(Qt::LeftButton) << int(Qt::NoModifier) << 100;
    QTest::newRow("shift ctrl left") << int(Qt::LeftButton) << int(Qt::ShiftModifier | Qt::ControlModifier) << 100;
}

void TestPreviewForm::shiftClickZooms()
{
    QFETCH(int, mouseButton);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    m_form = makeForm(1);
    QWidget* pageView = m_form->preview()->findChild<QWidget*>("QRPreviewPage");
    QVERIFY(pageView);
    QTest::mouseClick(pageView, Qt::MouseButton(mouseButton), Qt::KeyboardModifiers(modifiers), QPoint(20, 20));
    QCOMPARE(zoom(), expected);
    QCOMPARE(button("ZoomCustom")->isChecked(), expected != 100);
}

void TestPreviewForm::fitAndWidthZoom()
{
    m_form = makeForm(1);
    m_form->resize(1000, 800);
    QTest::mouseClick(button("ZoomFit"), Qt::LeftButton);
    const QSize area = m_form->preview()->maximumViewportSize();
    const QSize pageAt100(qRound(2100 * m_form->logicalDpiX() / 254.0), qRound(2970 * m_form->logicalDpiX() / 254.0));
    const int fit = zoom();
    QVERIFY(button("ZoomFit")->isChecked());
    QVERIFY(pageAt100.height() * fit / 100 <= area.height());
    QVERIFY(pageAt100.height() * (fit + 3) / 100 > area.height());
    QTest::mouseClick(button("ZoomToWidth"), Qt::LeftButton);
    QVERIFY(zoom() > fit);
    QVERIFY(pageAt100.width() * zoom() / 100 <= area.width());
    QCOMPARE(panel(0), QStringLiteral("%1 %").arg(zoom()));
    QTest::mouseClick(button("Zoom100"), Qt::LeftButton);
    QCOMPARE(zoom(), 100);
}

void TestPreviewForm::arrowKeysScroll()
{
    m_form = makeForm(2);
    Dialogs::scriptText("400");
    QTest::mouseClick(button("ZoomCustom"), Qt::LeftButton);
    QScrollBar* h = m_form->preview()->horizontalScrollBar();
    QScrollBar* v = m_form->preview()->verticalScrollBar();
    QTest::keyClick(m_form.get(), Qt::Key_Right);
    QTest::keyClick(m_form.get(), Qt::Key_Right);
    QTest::keyClick(m_form.get(), Qt::Key_Down);
    QCOMPARE(h->value(), 20);
    QCOMPARE(v->value(), 10);
    QTest::keyClick(m_form.get(), Qt::Key_Left);
    QCOMPARE(h->value(), 10);
    // A new page is shown from its top left corner.
    QTest::keyClick(m_form.get(), Qt::Key_PageDown);
    QCOMPARE(h->value(), 0);
    QCOMPARE(v->value(), 0);
}

void TestPreviewForm::progressRule()
{
    m_form = makeForm(1);
    QCOMPARE(panel(0), QStringLiteral("100 %"));
    m_form->QRPreviewProgressUpdate(3);
    QCOMPARE(panel(0), QStringLiteral("100 %"));
    m_form->QRPreviewProgressUpdate(7);
    QCOMPARE(panel(0), QStringLiteral("7%"));
    m_form->QRPreviewProgressUpdate(12);
    QCOMPARE(panel(0), QStringLiteral("12%"));
    m_form->QRPreviewProgressUpdate(16);
    QCOMPARE(panel(0), QStringLiteral("12%"));
    m_form->QRPreviewProgressUpdate(17);
    QCOMPARE(panel(0), QStringLiteral("17%"));
    m_form->QRPreviewProgressUpdate(100);
    QCOMPARE(panel(0), QString());
    m_form->QRPreviewProgressUpdate(0);
    QCOMPARE(panel(0), QString());
    m_form->QRPreviewProgressUpdate(4);
    QCOMPARE(panel(0), QString());
    m_form->QRPreviewProgressUpdate(5);
    QCOMPARE(panel(0), QStringLiteral("5%"));
}

void TestPreviewForm::permissionsAfterRendering_data()
{
    QTest::addColumn<bool>("allowed");
    QTest::newRow("may print") << true;
    QTest::newRow("may not print") << false;
}

void TestPreviewForm::permissionsAfterRendering()
{
    QFETCH(bool, allowed);
    SetPreviewRechte(allowed);
    LadderFixture fixture;
    for (int i = 1; i <= 40; ++i)
        fixture.addLadder(i, QStringLiteral("Leiter %1").arg(i), 2, 1);
    auto report = simpleReport(fixture, "Leiterübersicht");
    report->detail()->setForceNewPage(true);

    // The engine's preview request through the registered provider; the hook sees the window
    // as the user would, after rendering.
    TVekStdPreviewInterface provider;
    ReportPreviewProvider::setCurrent(&provider);
    bool checked = false;
    Dialogs::setFormHook([&](QDialog* dialog) {
        auto* form = qobject_cast<TVekStdPreviewForm*>(dialog);
        if (!form)
            return int(QDialog::Rejected);
        auto enabled = [form](const char* name) { return form->findChild<QToolButton*>(name)->isEnabled(); };
        [&] {
            QCOMPARE(form->windowTitle(), QStringLiteral("Leiterübersicht"));
            QCOMPARE(form->report()->pageCount(), 40);
            QCOMPARE(form->statusText(2), QStringLiteral("Seite 1 von 40"));
            QCOMPARE(form->statusText(0), QString());   // emptied at 100
            QCOMPARE(form->lastProgressShown() >= 95, true);
            for (const char* name : {"Print", "PrintSetup", "SaveReport", "LoadReport", "SavePdf"})
                QVERIFY2(enabled(name) == allowed, name);
            QVERIFY(enabled("NextPage"));
            checked = true;
        }();
        return int(QDialog::Accepted);
    });
    report->preview(true);
    ReportPreviewProvider::setCurrent(nullptr);
    QVERIFY(checked);
}

void TestPreviewForm::printAsksFirstAndPrintsEveryPage_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Ja") << true;
    QTest::newRow("Nein") << false;
}

void TestPreviewForm::printAsksFirstAndPrintsEveryPage()
{
    QFETCH(bool, yes);
    m_form = makeForm(3);
    const QString file = m_dir.filePath(QStringLiteral("druck%1.pdf").arg(yes));
    m_form->printer()->setOutputFileName(file);
    Dialogs::scriptAnswer(yes);
    QTest::mouseClick(button("Print"), Qt::LeftButton);
    QCOMPARE(Dialogs::shownTexts(), QStringList{"Report drucken ?"});
    QCOMPARE(Dialogs::shown().first().kind, Dialogs::Kind::Question);
    QCOMPARE(QFile::exists(file), yes);
    if (yes)
        QCOMPARE(pdfPageCount(file), 3);
}

void TestPreviewForm::printWhileRenderingDoesNothing()
{
    auto rendering = std::make_shared<RenderedReport>(*renderedPages(2));
    rendering->setComplete(false);
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    const QString file = m_dir.filePath("unfertig.pdf");
    printer->setOutputFileName(file);
    m_form = std::make_unique<TVekStdPreviewForm>(rendering, printer);
    QCOMPARE(m_form->reportState(), TVekStdPreviewForm::ReportState::Rendering);
    QVERIFY(button("Print")->isEnabled());
    QTest::mouseClick(button("Print"), Qt::LeftButton);
    QVERIFY(Dialogs::shown().isEmpty());
    QVERIFY(!QFile::exists(file));
    // The last page arrives: printing follows the flags.
    SetPreviewRechte(false);
    rendering->setComplete(true);
    m_form->QRPreviewPageAvailable(2);
    QVERIFY(!button("Print")->isEnabled());
    QVERIFY(!button("PrintSetup")->isEnabled());
}

void TestPreviewForm::saveAndLoadThroughTheWindow()
{
    m_form = makeForm(3, "Prüfungs-Übersicht");
    const RenderedReport original = *m_form->report();
    const QString base = m_dir.filePath("gespeichert");
    Dialogs::scriptText(base);   // the suffix is added
    QTest::mouseClick(button("SaveReport"), Qt::LeftButton);
    QCOMPARE(Dialogs::shown().last().caption, QStringLiteral("Report speichern"));
    QCOMPARE(Dialogs::shown().last().text, QStringLiteral("Reportdatei (*.QRP)"));
    QVERIFY(QFile::exists(base + ".QRP"));

    m_form = makeForm(1, "Anderer");
    QTest::mouseClick(button("LastPage"), Qt::LeftButton);
    Dialogs::scriptText(base + ".QRP");
    QTest::mouseClick(button("LoadReport"), Qt::LeftButton);
    QCOMPARE(Dialogs::shown().last().caption, QStringLiteral("Report öffnen"));
    QCOMPARE(Dialogs::shown().last().text, QStringLiteral("Reportdatei (*.QRP)"));
    QVERIFY(*m_form->report() == original);
    QCOMPARE(m_form->reportState(), TVekStdPreviewForm::ReportState::Loaded);
    QCOMPARE(page(), 1);
    QCOMPARE(panel(2), QStringLiteral("Seite 1 von 3"));
    QVERIFY(!button("PrintSetup")->isEnabled());
    QVERIFY(button("Print")->isEnabled());

    // The loaded report prints with the same pages.
    const QString pdf = m_dir.filePath("geladen.pdf");
    m_form->printer()->setOutputFileName(pdf);
    Dialogs::scriptAnswer(true);
    QTest::mouseClick(button("Print"), Qt::LeftButton);
    QCOMPARE(pdfPageCount(pdf), 3);
}

void TestPreviewForm::loadRefusalsKeepTheShownReport_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    const QString missing = m_dir.filePath("fehlt.QRP");
    QTest::newRow("missing") << missing << QByteArray() << int(Dialogs::Kind::Information)
                             << missing + " nicht vorhanden";
    QTest::newRow("foreign") << m_dir.filePath("fremd.QRP") << QByteArray("GIF89a....")
                             << int(Dialogs::Kind::Error) << "Die Datei fremd.QRP ist keine Reportdatei.";
}

void TestPreviewForm::loadRefusalsKeepTheShownReport()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(int, kind);
    QFETCH(QString, message);
    if (!content.isEmpty()) {
        QFile f(fileName);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    m_form = makeForm(2);
    const RenderedReport before = *m_form->report();
    QTest::mouseClick(button("NextPage"), Qt::LeftButton);
    Dialogs::scriptText(fileName);
    QTest::mouseClick(button("LoadReport"), Qt::LeftButton);
    QCOMPARE(int(Dialogs::shown().last().kind), kind);
    QCOMPARE(Dialogs::shown().last().text, message);
    QVERIFY(*m_form->report() == before);
    QCOMPARE(page(), 2);
    QCOMPARE(m_form->reportState(), TVekStdPreviewForm::ReportState::Rendered);
    QVERIFY(button("PrintSetup")->isEnabled());
}

void TestPreviewForm::savePdfButton()
{
    m_form = makeForm(4);
    const QString file = m_dir.filePath("bericht");
    Dialogs::scriptText(file);
    QTest::mouseClick(button("SavePdf"), Qt::LeftButton);
    QCOMPARE(pdfPageCount(file + ".pdf"), 4);
}

void TestPreviewForm::escapeAndExitClose()
{
    m_form = makeForm(1);
    QVERIFY(m_form->isVisible());
    QTest::keyClick(m_form->preview(), Qt::Key_Escape);
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_form->report()->pageCount(), 0);   // pages released

    m_form = makeForm(1);
    QTest::mouseClick(button("ExitButton"), Qt::LeftButton);
    QVERIFY(!m_form->isVisible());
}

void TestPreviewForm::modelessPreviewIsRenderedShownAndDeletedOnClose()
{
    LadderFixture fixture;
    for (int i = 1; i <= 3; ++i)
        fixture.addLadder(i, QStringLiteral("Leiter %1").arg(i), 2, 1);
    auto report = simpleReport(fixture, "Erfassung-Kontrollblatt");
    report->detail()->setForceNewPage(true);
    TVekStdPreviewInterface provider;
    QPointer<TVekStdPreviewForm> form = provider.showModeless(*report);
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QVERIFY(form->windowState() & Qt::WindowMaximized);
    QCOMPARE(form->windowTitle(), QStringLiteral("Erfassung-Kontrollblatt"));
    QCOMPARE(form->statusText(2), QStringLiteral("Seite 1 von 3"));
    QCOMPARE(form->printer(), report->printer().get());   // prints on the report's printer

    Dialogs::scriptAnswer(false);
    QTest::mouseClick(form->findChild<QToolButton*>("PrintSetup"), Qt::LeftButton);
    QCOMPARE(Dialogs::shown().size(), 1);
    QCOMPARE(Dialogs::shown().first().kind, Dialogs::Kind::Print);

    QTest::keyClick(form.data(), Qt::Key_Escape);
    QTRY_VERIFY(form.isNull());
}

QTEST_MAIN(TestPreviewForm)
#include "tst_previewform.moc"

// The status panels show their texts whole at the last page of a long report ("Seite 1000 von
// 1000") and at the largest zoom, measured as the labels lay them out.
void TestPreviewForm::statusPanelsShowTheirWholeTexts()
{
    m_form = makeForm(1000);
    QTest::mouseClick(button("LastPage"), Qt::LeftButton);
    Dialogs::scriptText("2000");
    QTest::mouseClick(button("ZoomCustom"), Qt::LeftButton);
    QCOMPARE(panel(0), QStringLiteral("2000 %"));
    QCOMPARE(panel(2), QStringLiteral("Seite 1000 von 1000"));
    for (int i = 0; i < 5; ++i) {
        auto* p = child<QLabel>(qPrintable(QStringLiteral("StatusPanel%1").arg(i)));
        QVERIFY2(p->width() >= p->sizeHint().width(),
                 qPrintable(QStringLiteral("%1: %2 < %3").arg(p->text()).arg(p->width()).arg(p->sizeHint().width())));
    }
}
