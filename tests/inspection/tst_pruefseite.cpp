#include "DBKontrollen.h"
#include "DataControls.h"
#include "Dialogs.h"
#include "ErfPruefungenSeiten.h"
#include "PruefAnzeige.h"
#include "PruefFixture.h"
#include "PruefGrid.h"
#include "PruefungsSeite.h"
#include "UserControl.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

// The pages as the user works them: buttons, grid columns, in-place editing, the display
// switch and the ladder's criteria check boxes.
class TestPruefSeite : public QObject {
    Q_OBJECT

    static QStringList visibleTitles(TPruefGrid* g)
    {
        QStringList out;
        for (int c = 0; c < g->model()->columnCount(); ++c)
            if (!g->isColumnHidden(c))
                out << g->model()->headerData(c, Qt::Horizontal).toString();
        return out;
    }

private slots:
    void init() { resetDialogsForTest(); }

    void buttons()
    {
        PruefFixture fx;
        PruefFixture::addLadder(5);
        fx.open(5);
        TPruefungsSeite page(fx.leiter.get(), *fx.dm, *fx.dm->DataUserControl);
        const QList<QPair<QString, QString>> expected = {
            {"BSetzeNeuTermin", "Neu.-Termin"}, {"BPruefNeu", "Prüf.-Neu"}, {"SpBShowErf", "Anzeige erf."},
            {"BAlleSetzen", "Alle  setzen"}, {"BPruefLoe", "Löschen"}, {"BPruefAbbruch", "Abbruch"},
            {"BPruefSpeichern", "Speichern"}, {"BPruefSetzen", "Pruef.-Setzen"}, {"BErledigtSetzen", "Erl.-Setzen"},
            {"BAutomErledigtSetzen", "Autom. Erl.-Setzen"}};
        int lastX = -1, lastY = -1;
        page.setErweitert(false);
        page.show();
        for (const auto& [name, caption] : expected) {
            auto* b = page.findChild<QAbstractButton*>(name);
            QVERIFY2(b, qPrintable(name));
            QCOMPARE(b->text(), caption);
            QVERIFY(!b->toolTip().isEmpty());
            if (b->isVisible()) {
                // Left to right, wrapping to a further row where the page is narrow.
                QVERIFY2(b->y() > lastY || (b->y() == lastY && b->x() > lastX), qPrintable(name));
                lastX = b->x();
                lastY = b->y();
            }
        }
        QCOMPARE(page.findChild<QAbstractButton*>("BPruefAbbruch")->toolTip(),
                 QString("Eingabe abbrechen und Änderungen\rdabei nicht ausführen."));
        auto* menu = page.PruefPopupMenu();
        QCOMPARE(menu->objectName(), QString("PruefPopupMenu"));
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions()[0]->text(), QString("Vorschau Kontrollblatt"));
        QCOMPARE(menu->actions()[1]->text(), QString("Druck Kontrollblatt"));
        QVERIFY(!menu->actions()[0]->isEnabled());
    }

    // Visible columns in the extended display (start), the simple one, and with "Anzeige erf.".
    void displaySwitch()
    {
        PruefFixture fx;
        const int id = PruefFixture::addLadder(5);
        PruefFixture::addInspection(id, {{"Datum", QDate(2004, 1, 1)}});
        fx.open(5);
        TPruefungsSeite page(fx.leiter.get(), *fx.dm, *fx.dm->DataUserControl);
        QToolButton* sw = TPruefAnzeige::erzeugeSpBDetailNeu(nullptr);
        std::unique_ptr<QToolButton> owner(sw);
        TPruefAnzeige anzeige(sw, &page, nullptr);
        page.show();
        TPruefGrid* g = page.grid();
        const QStringList tail = {"Prüfer", "Holme..", "Sprossen..", "SpreizS..", "Beschlag..", "Leiterfüs..",
                                  "Zubehör..", "Kenn..Z", "Sonstiges"};
        QCOMPARE(visibleTitles(g), QStringList({"Datum", "Prüfung"}) + tail);
        QVERIFY(!page.findChild<QWidget*>("SpBShowErf")->isVisible());
        QVERIFY(page.findChild<QWidget*>("BPruefSetzen")->isVisible());

        QTest::mouseClick(sw, Qt::LeftButton);   // up: simple display
        QVERIFY(!anzeige.erweitert());
        const QStringList done = {"Material", "Verbind.", "Beschl.", "Scharn.", "Funkt.", "Durchb.", "Schuhe", "Sonst."};
        QCOMPARE(visibleTitles(g), QStringList({"Datum", "Prüfung"}) + done + tail);
        QVERIFY(page.findChild<QWidget*>("SpBShowErf")->isVisible());
        QVERIFY(page.findChild<QWidget*>("BAlleSetzen")->isVisible());
        QVERIFY(!page.findChild<QWidget*>("BErledigtSetzen")->isVisible());
        QVERIFY(page.findChild<QWidget*>("BAutomErledigtSetzen")->isVisible());

        QTest::mouseClick(page.findChild<QToolButton*>("SpBShowErf"), Qt::LeftButton);
        QStringList pairs;
        for (const QString& d : done)
            pairs << "erf." << d;
        QCOMPARE(visibleTitles(g), QStringList({"Datum", "Prüfung"}) + pairs + tail);
        QCOMPARE(g->currentIndex().column(), g->spalte("Datum"));
        QCOMPARE(g->model()->data(g->model()->index(0, g->spalte("PrMaterial")), Qt::BackgroundRole).value<QColor>(),
                 QColor(Qt::yellow));
        QVERIFY(!(g->model()->flags(g->model()->index(0, g->pruefModel()->sonstigesSpalte())) & Qt::ItemIsEditable));
    }

    // At any font the date editor opened by keys shows its whole date (Home and End both
    // reach the ends of the text without scrolling it), every visible title fits its column
    // as the header draws the current one (bold), and the longest inspection kind fits.
    void columnsFitTheirTexts_data()
    {
        QTest::addColumn<int>("pointSize");
        QTest::newRow("9 pt") << 9;
        QTest::newRow("16 pt") << 16;
    }

    void columnsFitTheirTexts()
    {
        QFETCH(int, pointSize);
        const QFont appFont = QApplication::font();
        QFont big = appFont;
        big.setPointSize(pointSize);
        QApplication::setFont(big);
        auto restore = qScopeGuard([&] { QApplication::setFont(appFont); });

        PruefFixture fx;
        const QString kind = "Vierteljährliche Sichtprüfung";   // 29 of 30 characters
        PruefFixture::addKind(7, kind, 0, 3, 0);
        const int id = PruefFixture::addLadder(5);
        PruefFixture::addInspection(id, {{"Datum", QDate(2027, 8, 28)}, {"PruefungArt_ID", 7}});
        fx.open(5);
        TPruefungsSeite page(fx.leiter.get(), *fx.dm, *fx.dm->DataUserControl);
        page.setErweitert(false);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTest::mouseClick(page.findChild<QToolButton*>("SpBShowErf"), Qt::LeftButton);
        TPruefGrid* g = page.grid();

        // The editor as the user opens it: a click into the list below the rows, then F2.
        const QModelIndex cell = g->model()->index(0, g->spalte("Datum"));
        QCOMPARE(g->currentIndex(), cell);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(5, g->viewport()->height() - 5));
        QCOMPARE(QApplication::focusWidget(), g);
        QTest::keyClick(g, Qt::Key_F2);
        auto* edit = g->findChild<QLineEdit*>("DatumEdit");
        QVERIFY(edit && edit->isVisible());
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->text(), QString("28.08.27"));
        // The line edit scrolls its text when it paints.
        QTest::keyClick(edit, Qt::Key_Home);
        edit->repaint();
        const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
        QTest::keyClick(edit, Qt::Key_End);
        edit->repaint();
        const int end = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
        QCOMPARE(end - start, edit->fontMetrics().horizontalAdvance(edit->text()));
        QVERIFY2(start >= 0 && end < edit->width(), qPrintable(QString("%1..%2 in %3").arg(start).arg(end).arg(edit->width())));
        auto* button = g->findChild<QToolButton*>("EllipsisButton");
        QVERIFY(button->isVisible());
        QVERIFY(button->width() >= button->sizeHint().width());
        QVERIFY(button->geometry().right() < g->columnWidth(cell.column()));

        // Every visible title whole, drawn bold as the current column's; the longest kind whole.
        QFont bold = g->horizontalHeader()->font();
        bold.setBold(true);
        const int headerMargin = g->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, g->horizontalHeader());
        for (int c = 0; c < g->model()->columnCount(); ++c) {
            if (g->isColumnHidden(c))
                continue;
            const QString title = g->model()->headerData(c, Qt::Horizontal).toString();
            const int needed = QFontMetrics(bold).horizontalAdvance(title) + 2 * headerMargin;
            QVERIFY2(g->columnWidth(c) >= needed,
                     qPrintable(QString("%1: %2 < %3").arg(title).arg(g->columnWidth(c)).arg(needed)));
        }
        const int textMargin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
        const int kindNeeded = g->fontMetrics().horizontalAdvance(kind) + 2 * textMargin;
        QVERIFY2(g->columnWidth(g->spalte("PruefungArtText")) >= kindNeeded,
                 qPrintable(QString("%1 < %2").arg(g->columnWidth(g->spalte("PruefungArtText"))).arg(kindNeeded)));
    }

    void tabToPage_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<int>("page");
        QTest::newRow("Allgemein") << 0 << true << 0;
        QTest::newRow("criteria, simple") << 1 << false << 1;
        QTest::newRow("criteria, extended") << 1 << true << 2;
        QTest::newRow("Prüfungsübersicht") << 2 << false << 3;
        QTest::newRow("Beschreibung") << 3 << true << 4;
    }

    void tabToPage()
    {
        QFETCH(int, tab);
        QFETCH(bool, extended);
        QFETCH(int, page);
        QCOMPARE(TPruefAnzeige::seiteFuerTab(tab, extended), page);
    }

    // "Prüf.-Neu" through the button, then the flags edited in place with the "" / "Ja" list
    // and Tab; clearing a required flag clears its done flag; a done cell of a criterion not
    // required cannot be edited.
    void editInPlace()
    {
        PruefFixture fx;
        PruefFixture::addLadder(5, {{"PruefTermin", QDate(2004, 6, 23)}, {"PrMaterial", true}, {"PrSchuhe", true}});
        fx.open(5);
        TPruefungsSeite page(fx.leiter.get(), *fx.dm, *fx.dm->DataUserControl);
        page.setErweitert(false);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTest::mouseClick(page.findChild<QToolButton*>("SpBShowErf"), Qt::LeftButton);
        QTest::mouseClick(page.findChild<QPushButton*>("BPruefNeu"), Qt::LeftButton);
        Table* t = page.LtPruef();
        QCOMPARE(t->state(), DataSetState::Insert);
        TPruefGrid* g = page.grid();
        QCOMPARE(g->currentIndex().column(), g->spalte("Datum"));

        auto editCell = [&](const QString& field, const QString& choice) {
            g->setCurrentIndex(g->model()->index(t->currentViewRow(), g->spalte(field)));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);   // the last editor
            auto* cb = g->findChild<QComboBox*>("FlagListe");
            QVERIFY2(cb, qPrintable(field));
            cb->setCurrentIndex(cb->findText(choice));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTRY_VERIFY(!g->findChild<QComboBox*>("FlagListe") || g->currentIndex().column() != g->spalte(field));
        };
        editCell("PrErlMaterial", "Ja");
        QVERIFY(t->field("PrErlMaterial").asBoolean());
        QCOMPARE(g->currentIndex().column(), g->spalte("PrVerbindungen"));   // Tab moved on
        editCell("PrMaterial", "");
        QVERIFY(t->field("PrMaterial").isNull());
        QVERIFY(!t->field("PrErlMaterial").asBoolean());
        QVERIFY(!(g->model()->flags(g->model()->index(t->currentViewRow(), g->spalte("PrErlMaterial")))
                  & Qt::ItemIsEditable));
        QVERIFY(g->model()->flags(g->model()->index(t->currentViewRow(), g->spalte("PrErlSchuhe"))) & Qt::ItemIsEditable);

        QTest::mouseClick(page.findChild<QPushButton*>("BPruefSpeichern"), Qt::LeftButton);
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);
        QCOMPARE(t->field("Datum").asDate(), QDate(2004, 6, 23));
        QVERIFY(Dialogs::shown().isEmpty());
    }

    // The grid's model takes no done flag for a criterion the record does not require, nor a
    // value for the read-only "Sonstiges" column, whoever hands it in.
    void modelRefusesReadOnlyCells()
    {
        PruefFixture fx;
        const int id = PruefFixture::addLadder(5);
        PruefFixture::addInspection(id, {{"Datum", QDate(2024, 1, 1)}, {"PrSchuhe", true}});
        const int second = PruefFixture::addInspection(id, {{"Datum", QDate(2025, 1, 1)}});
        fx.open(5);
        TPruefungsSeite page(fx.leiter.get(), *fx.dm, *fx.dm->DataUserControl);
        PruefGridModel* m = page.grid()->pruefModel();
        Table* t = page.LtPruef();
        t->first();
        QVERIFY(!m->setData(m->index(1, page.grid()->spalte("PrErlSchuhe")), true));
        QVERIFY(!m->setData(m->index(1, m->sonstigesSpalte()), true));
        QVERIFY(t->state() != DataSetState::Edit || !t->modified());
        t->cancel();
        QVERIFY(!PruefFixture::stored("LT_PRUEF", second).value("PrErlSchuhe").toBool());
        QVERIFY(m->setData(m->index(0, page.grid()->spalte("PrErlSchuhe")), true));
        QVERIFY(t->field("PrErlSchuhe").asBoolean());
    }

    // The current inspection's remark through the keyboard: saved with the inspection, a
    // stored one and a new one alike; the next row shows its own.
    void bemerkungMitTasten()
    {
        PruefFixture fx;
        const int id = PruefFixture::addLadder(5, {{"PrMaterial", true}, {"PruefungArt_ID", 1}});
        const int alt = PruefFixture::addInspection(id, {{"Datum", QDate(2024, 1, 1)}, {"PrMaterial", true}});
        fx.open(5);
        TPruefungsSeite page(fx.leiter.get(), *fx.dm, *fx.dm->DataUserControl);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        TDBMemo* memo = page.bemerkung();
        QCOMPARE(page.findChild<QLabel*>("LabelBemerkung")->buddy(), memo);
        QVERIFY(!memo->isReadOnly());
        Table* t = page.LtPruef();

        memo->setFocus();
        QTest::keyClicks(memo, "Holm verbogen");
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClicks(memo, QString("Öl & <Fett>"));
        QCOMPARE(t->state(), DataSetState::Edit);
        QTest::mouseClick(page.findChild<QPushButton*>("BPruefSpeichern"), Qt::LeftButton);
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(PruefFixture::stored("LT_PRUEF", alt).value("Bemerkung").toString(), QString("Holm verbogen\nÖl & <Fett>"));

        QTest::mouseClick(page.findChild<QPushButton*>("BPruefNeu"), Qt::LeftButton);
        QCOMPARE(t->state(), DataSetState::Insert);
        QVERIFY(memo->toPlainText().isEmpty());
        memo->setFocus();
        QTest::keyClicks(memo, "neu");
        QTest::mouseClick(page.findChild<QPushButton*>("BPruefSpeichern"), Qt::LeftButton);
        QCOMPARE(t->state(), DataSetState::Browse);
        QCOMPARE(PruefFixture::stored("LT_PRUEF", t->field("ID").asInteger()).value("Bemerkung").toString(), QString("neu"));
        QVERIFY(Dialogs::shown().isEmpty());
        QVERIFY(t->locate("ID", {alt}));
        QCOMPARE(memo->toPlainText(), QString("Holm verbogen\nÖl & <Fett>"));
    }

    // Without the modify right the remark of a stored inspection cannot be typed into.
    void bemerkungOhneAenderungsrecht()
    {
        PruefFixture fx;
        const int id = PruefFixture::addLadder(5);
        const int p = PruefFixture::addInspection(id, {{"Datum", QDate(2024, 1, 1)}, {"Bemerkung", "alt"}});
        fx.open(5);
        fx.limitRights({crView, crInsert});
        TPruefungsSeite page(fx.leiter.get(), *fx.dm, *fx.dm->DataUserControl);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        TDBMemo* memo = page.bemerkung();
        QCOMPARE(memo->toPlainText(), QString("alt"));
        QVERIFY(memo->isReadOnly());
        memo->setFocus();
        QTest::keyClicks(memo, "neu");
        QCOMPARE(page.LtPruef()->state(), DataSetState::Browse);
        QCOMPARE(PruefFixture::stored("LT_PRUEF", p).value("Bemerkung").toString(), QString("alt"));
    }

    // A refused insert through the button shows the rights message and adds nothing.
    void refusalShown()
    {
        PruefFixture fx;
        PruefFixture::addLadder(5);
        fx.open(5);
        fx.limitRights({crView, crModify});
        TPruefungsSeite page(fx.leiter.get(), *fx.dm, *fx.dm->DataUserControl);
        page.show();
        QTest::mouseClick(page.findChild<QPushButton*>("BPruefNeu"), Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts(), QStringList{TUserControl::RightErrorText(crInsert)});
        QCOMPARE(page.LtPruef()->state(), DataSetState::Browse);
    }

    // Ladder criteria: greyed for an empty flag, a click checks it and puts the ladder into
    // edit state; without the modify right the refusal is shown and nothing changes.
    void criteriaBoxes_data()
    {
        QTest::addColumn<bool>("modifyRight");
        QTest::newRow("granted") << true;
        QTest::newRow("refused") << false;
    }

    void criteriaBoxes()
    {
        QFETCH(bool, modifyRight);
        PruefFixture fx;
        PruefFixture::addLadder(5, {{"PrSonstiges", true}, {"PrSonstigesText", "Seil"}});
        fx.open(5);
        if (!modifyRight)
            fx.limitRights({crView, crInsert});
        TErfPruefErweitertSeite ext(fx.leiter.get(), *fx.dm->DataUserControl);
        TErfPruefEinfachSeite simple(fx.leiter.get(), *fx.dm->DataUserControl);
        ext.show();
        simple.show();
        auto* box = ext.findChild<TDBTriCheckBox*>("DBCbSprS3");
        QCOMPARE(box->text(), QString("Beschädigung / Korrosion"));
        QCOMPARE(box->checkState(), Qt::PartiallyChecked);
        QVERIFY(simple.findChild<QWidget*>("EditPrSonstigesText")->isVisible());
        QCOMPARE(ext.findChild<QLineEdit*>("DBEdit1")->text(), QString("Seil"));
        QTest::mouseClick(box, Qt::LeftButton);
        if (modifyRight) {
            QCOMPARE(box->checkState(), Qt::Checked);
            QCOMPARE(fx.leiter->state(), DataSetState::Edit);
            QVERIFY(fx.leiter->field("PrSprS_Beschaed").asBoolean());
            QTest::mouseClick(simple.findChild<TDBTriCheckBox*>("EditPrSonstiges"), Qt::LeftButton);
            QVERIFY(!fx.leiter->field("PrSonstiges").asBoolean());
            QVERIFY(!simple.findChild<QWidget*>("EditPrSonstigesText")->isVisible());
            QVERIFY(Dialogs::shown().isEmpty());
        } else {
            QCOMPARE(box->checkState(), Qt::PartiallyChecked);
            QCOMPARE(fx.leiter->state(), DataSetState::Browse);
            QCOMPARE(Dialogs::shownTexts(), QStringList{TUserControl::RightErrorText(crModify)});
        }
    }
};

QTEST_MAIN(TestPruefSeite)
#include "tst_pruefseite.moc"
