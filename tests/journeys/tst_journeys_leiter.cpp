#include "JourneyFixture.h"

#include "Dialogs.h"
#include "LadderPages.h"
#include "LeiterGrid.h"
#include "MainMenus.h"
#include "TVekPopUpControl.h"
#include "Table.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>

// The ladder journeys a user does every day, through keys and clicks only, each ending in the
// stored rows.
class TestJourneysLeiter : public QObject {
    Q_OBJECT

    static void tab(const QString& typed = QString())
    {
        Journey::key(Qt::Key_Tab);
        if (!typed.isEmpty())
            Journey::type(typed);
    }

private slots:
    // Insert in the grid, then every control of "Allgemein" typed or picked in tab order, the
    // description on its page, Ctrl+Enter.
    void newLadder()
    {
        Journey j;
        j.open();
        Journey::key(Qt::Key_Insert);
        QCOMPARE(QApplication::focusWidget(), j.child("EditNr"));
        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString("Neu"));
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("12");
        tab("A");                         // ladder kind by its first letter: "Anlegeleiter"
        tab("H");                         // material "Holz"
        tab("Neue Anlegeleiter");
        tab("EX-12");
        tab("2");                         // parts
        tab("9");                         // steps
        tab("2,5");
        tab("3,75");
        tab("7,25");
        tab("01022025");                  // issued
        tab("Bau AG");
        tab("03022025");                  // recorded
        tab("Steigtechnik Ost");
        tab("H");                         // inspection kind "Halbjährliche"
        tab();
        Journey::key(Qt::Key_Space);      // scrapped: its date appears
        tab("04032026");
        tab("05032025");                  // repaired
        tab("06082025");                  // due
        tab("Lag");                       // department "Lager" by its first letters
        QCOMPARE(QApplication::focusWidget(), j.child("EditCoboAbt"));
        Journey::click(j.w->tabSet(), j.w->tabSet()->tabRect(3).center());
        Journey::click(j.child("DBMemoBeschreibung"));
        Journey::type("Leiter im Lager");
        Journey::key(Qt::Key_Return, Qt::ControlModifier);

        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString());
        QVERIFY(Dialogs::shown().isEmpty());
        const QVariantMap s = j.ladder(12);
        QVERIFY2(!s.isEmpty(), "ladder 12 not stored");
        const QVariantMap expected{{"Art_ID", 2},           {"Mat_ID", 2},
                                   {"KurzBez", "Neue Anlegeleiter"},
                                   {"ExNrBez", "EX-12"},    {"LtAnzahl", 2},
                                   {"StufenAnzahl", 9},     {"Laenge", 2.5},
                                   {"LaengeBis", 3.75},     {"Gewicht", 7.25},
                                   {"AusgabeDatum", "2025-02-01"},
                                   {"Firma", "Bau AG"},     {"ErfasstDatum", "2025-02-03"},
                                   {"Lieferant", "Steigtechnik Ost"},
                                   {"PruefungArt_ID", 2},   {"Schrott", 1},
                                   {"SchrottDatum", "2026-03-04"},
                                   {"ReparaturDatum", "2025-03-05"},
                                   {"PruefTermin", "2025-08-06"},
                                   {"FirmenAbtID", 5},      {"Beschreibung", "Leiter im Lager"}};
        // A server hands logical columns back as bool, a data directory as 0/1.
        const auto text = [](const QVariant& v) {
            return v.typeId() == QMetaType::Bool ? QString::number(v.toInt()) : v.toString();
        };
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QVERIFY2(text(s.value(it.key())) == it.value().toString(),
                     qPrintable(QString("%1: %2").arg(it.key(), s.value(it.key()).toString())));
        QCOMPARE(j.count("LT_LEIT"), 6);
    }

    // One control of each kind changed on ladder 1, saved with OK; ladder 2 keeps its row.
    void editEachKindAndSave()
    {
        Journey j;
        j.open();
        const QVariantMap before2 = j.ladder(2);
        j.clickLadder(1);
        Journey::click(j.child("EditStufenAnzahl"));          // integer
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("7");
        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString("Ändern"));
        Journey::click(j.child("EditGewicht"));               // float
        Journey::type("8,5");
        Journey::click(j.child("EditAusgabeDatum"));          // masked date
        Journey::key(Qt::Key_Home);
        Journey::type("15032024");
        Journey::click(j.child("EditKurzBez"));               // editable combo box
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("Stehleiter 2");
        auto* material = static_cast<QComboBox*>(j.child("EditLookUpMaterial"));
        Journey::click(material);                             // lookup: the list opens, "Holz" clicked
        QTRY_VERIFY(material->view()->isVisible());
        QTest::qWait(QApplication::doubleClickInterval() + 50);   // a release that quick only closes it
        const QModelIndex holz = material->model()->index(material->findText("Holz"), 0);
        Journey::click(material->view()->viewport(), material->view()->visualRect(holz).center());
        Journey::click(j.child("EditCoboAbt"));               // tree lookup: Down in its tree
        Journey::key(Qt::Key_Down);
        Journey::key(Qt::Key_Return);
        Journey::click(j.child("EditCBSchrott"));             // check box
        Journey::click(j.w->tabSet(), j.w->tabSet()->tabRect(3).center());
        Journey::click(j.child("DBMemoBeschreibung"));        // memo
        Journey::type("Holm verbogen");
        Journey::click(j.w->okCancel()->BOK);

        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString());
        const QVariantMap s = j.ladder(1);
        QCOMPARE(s.value("StufenAnzahl").toInt(), 7);
        QCOMPARE(s.value("Gewicht").toDouble(), 8.5);
        QCOMPARE(s.value("AusgabeDatum").toString(), QString("2024-03-15"));
        QCOMPARE(s.value("KurzBez").toString(), QString("Stehleiter 2"));
        QCOMPARE(s.value("Mat_ID").toInt(), 2);
        QCOMPARE(s.value("FirmenAbtID").toInt(), 3);
        QCOMPARE(s.value("Schrott").toInt(), 1);
        QCOMPARE(s.value("Beschreibung").toString(), QString("Holm verbogen"));
        QCOMPARE(j.ladder(2), before2);
    }

    // Escape drops a change and a new ladder; nothing is written.
    void cancel()
    {
        Journey j;
        j.open();
        const QList<QVariantMap> before = j.rows("SELECT * FROM LT_LEIT ORDER BY ID");
        j.clickLadder(3);
        Journey::click(j.child("EditKurzBez"));
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("Weg damit");
        Journey::click(j.child("EditGewicht"));
        Journey::type("99");
        Journey::key(Qt::Key_Escape);
        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString());
        QCOMPARE(static_cast<QComboBox*>(j.child("EditKurzBez"))->currentText(), QString("Podestleiter"));
        QCOMPARE(static_cast<QLineEdit*>(j.child("EditGewicht"))->text(), QString());

        j.clickLadder(3);
        Journey::key(Qt::Key_Insert);
        Journey::key(Qt::Key_Tab);
        Journey::key(Qt::Key_Tab);
        Journey::key(Qt::Key_Tab);
        Journey::type("Nie gespeichert");
        Journey::click(j.w->okCancel()->BCancel);
        QCOMPARE(j.w->okCancel()->LabelTableStatus->text(), QString());
        QCOMPARE(j.rows("SELECT * FROM LT_LEIT ORDER BY ID"), before);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 3);
    }
    // Digits typed into the grid find the ladder in number order; the weight typed then is
    // saved into that ladder.
    void indexSearchByTyping()
    {
        Journey j;
        Journey::addRow("LT_LEIT", {{"Nr", 42}, {"KurzBez", "Rollgerüst"}});
        j.open();
        Journey::onNextForm([](QDialog*) {
            Journey::type("2");
            Journey::key(Qt::Key_Return);
        });
        Journey::key(Qt::Key_4);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 42);
        QCOMPARE(j.w->grid()->currentIndex().row(), j.rowOfNr(42));
        Journey::click(j.child("EditGewicht"));
        Journey::type("12");
        Journey::key(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(j.ladder(42).value("Gewicht").toDouble(), 12.0);
        QCOMPARE(j.scalar("SELECT COUNT(*) FROM LT_LEIT WHERE Gewicht IS NOT NULL").toInt(), 1);
    }

    // Ctrl+Alt+F, then "Suchen in Filter übernehmen" from the search button's list: the grid
    // keeps the matches; a new search text moves the filter along. A ladder found there is
    // deleted with Entf.
    void textSearchIntoFilter()
    {
        Journey j;
        j.open();
        Dialogs::scriptText("stehleiter");
        Journey::key(Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 1);
        Journey::click(j.w->BSuch, QPoint(j.w->BSuch->width() - 6, j.w->BSuch->height() / 2));
        Journey::clickMenuEntry(j.w->menus()->LtPopupSuch, j.w->menus()->action("ActSuchToFilter"));
        QCOMPARE(j.w->grid()->model()->rowCount(), 2);
        QCOMPARE(j.w->statusPanel(2)->text(), QString(" 2 gefiltert "));

        Dialogs::scriptText("podest");
        Journey::key(Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(Dialogs::shown().size(), 2);        // the two inputs, no "not found"
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 3);
        QCOMPARE(j.w->grid()->model()->rowCount(), 1);

        Dialogs::scriptAnswer(true);
        Journey::key(Qt::Key_Delete);
        QCOMPARE(Dialogs::shown().last().text, QString("Datensatz löschen ?"));
        QVERIFY(j.ladder(3).isEmpty());
        QCOMPARE(j.count("LT_LEIT"), 4);
    }

    // F9, the number typed and Enter, OK: the ladder is current and its page shown; a name
    // typed then goes into that ladder.
    void barcodeF9()
    {
        Journey j;
        j.open();
        j.clickLadder(1);
        Journey::onNextForm([](QDialog* d) {
            Journey::type("4");
            Journey::key(Qt::Key_Return);
            Journey::click(d->findChild<QWidget*>("BClose"));
        });
        Journey::key(Qt::Key_F9);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 4);
        QCOMPARE(j.w->grid()->currentIndex().row(), j.rowOfNr(4));
        QCOMPARE(j.w->tabSet()->currentIndex(), 0);
        Journey::click(j.child("EditKurzBez"));
        Journey::key(Qt::Key_End);
        Journey::type(" lang");
        Journey::key(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(j.ladder(4).value("KurzBez").toString(), QString("Schiebeleiter lang"));
        QCOMPARE(j.ladder(1).value("KurzBez").toString(), QString("Stehleiter Alu"));
    }

    // Entf in the grid: "Nein" keeps the ladder, "Ja" deletes it (its inspections stay).
    void deleteWithTheKeyboard()
    {
        Journey j;
        j.open();
        j.clickLadder(1);
        Dialogs::scriptAnswer(false);
        Journey::key(Qt::Key_Delete);
        QCOMPARE(j.count("LT_LEIT"), 5);
        Dialogs::scriptAnswer(true);
        Journey::key(Qt::Key_Delete);
        QCOMPARE(Dialogs::shownTexts(), (QStringList{"Datensatz löschen ?", "Datensatz löschen ?"}));
        QVERIFY(j.ladder(1).isEmpty());
        QCOMPARE(j.count("LT_LEIT"), 4);
        QCOMPARE(j.count("LT_PRUEF"), 2);
        QCOMPARE(j.w->leiter()->value("Nr").toInt(), 2);
    }
};

QTEST_MAIN(TestJourneysLeiter)
#include "tst_journeys_leiter.moc"
