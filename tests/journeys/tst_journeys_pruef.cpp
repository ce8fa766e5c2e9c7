#include "JourneyFixture.h"

#include "Dialogs.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QtTest>

// The inspection journeys on ladder 1 (two inspections, Material and Verbindungen required),
// through keys and clicks only, each ending in the stored rows.
class TestJourneysPruef : public QObject {
    Q_OBJECT

    static void openInspections(Journey& j)
    {
        j.clickLadder(1);
        QTabBar* tabs = j.w->tabSet();
        Journey::click(tabs, tabs->tabRect(2).center());
    }
    static QList<QVariantMap> inspectionsOfLadder1(const Journey& j)
    {
        return j.rows(QStringLiteral("SELECT * FROM LT_PRUEF WHERE LT_ID = 1 ORDER BY Datum"));
    }

private slots:
    // "Prüf.-Neu" beside the two old inspections; date typed, kind and inspector picked by
    // their first letters with Tab between the cells; "Speichern".
    void newInspection()
    {
        Journey j;
        j.open();
        openInspections(j);
        Journey::click(j.child("BPruefNeu"));
        Journey::key(Qt::Key_A, Qt::ControlModifier);
        Journey::type("15.07.2026");
        Journey::key(Qt::Key_Tab);
        Journey::type("H");             // "Halbjährliche"
        Journey::key(Qt::Key_Tab);
        Journey::type("S");             // "Schulz"
        Journey::click(j.child("BPruefSpeichern"));

        QCOMPARE(Dialogs::shownTexts(), QStringList());
        const QList<QVariantMap> rows = inspectionsOfLadder1(j);
        QCOMPARE(rows.size(), 3);
        const QVariantMap& n = rows.last();
        QCOMPARE(n.value("Datum").toString(), QString("2026-07-15"));
        QCOMPARE(n.value("PruefungArt_ID").toInt(), 2);
        QCOMPARE(n.value("Pruefer_ID").toInt(), 2);
        QCOMPARE(n.value("PrMaterial").toInt(), 1);       // required as on the ladder
        QCOMPARE(n.value("PrVerbindungen").toInt(), 1);
        QCOMPARE(n.value("PrErlMaterial").toInt(), 0);
        QCOMPARE(rows[1].value("Datum").toString(), QString("2025-05-12"));
    }

    // "Neu.-Termin": the due date moves one year on from the latest inspection and is saved;
    // the new inspection takes it and is saved with "Speichern".
    void neuTermin()
    {
        Journey j;
        j.open();
        openInspections(j);
        Dialogs::scriptAnswer(true);    // "Neuen Termin in Stammdaten setzen"
        Dialogs::scriptAnswer(true);    // "Neuen Prüfungs-Satz anlegen"
        Journey::click(j.child("BSetzeNeuTermin"));
        QCOMPARE(j.ladder(1).value("PruefTermin").toString(), QString("2026-05-12"));
        Journey::click(j.child("BPruefSpeichern"));

        QCOMPARE(Dialogs::shown().size(), 2);
        const QList<QVariantMap> rows = inspectionsOfLadder1(j);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.last().value("Datum").toString(), QString("2026-05-12"));
        QCOMPARE(rows.last().value("PruefungArt_ID").toInt(), 1);
    }

    // The checklist on the latest inspection: "Pruef.-Setzen" requires Holme/Verformung,
    // "Erl.-Setzen" marks it done, "Speichern" writes both.
    void checklist()
    {
        Journey j;
        j.open();
        openInspections(j);
        auto tick = [](QDialog* d) {
            auto* box = d->findChild<QCheckBox*>(QStringLiteral("DBCbHo1"));
            QVERIFY(box && box->isEnabled());
            QStyleOptionButton opt;
            opt.initFrom(box);
            Journey::click(box, box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &opt, box).center());
            QVERIFY(box->isChecked());
            Journey::click(d->findChild<QPushButton*>(QStringLiteral("BitBtnOK")));
        };
        auto* list = qobject_cast<QAbstractItemView*>(j.child("DBGridLtPruef"));
        QVERIFY(list);
        const QModelIndex latest = list->model()->index(1, 2);   // its "Datum" cell
        Journey::click(list->viewport(), list->visualRect(latest).center());
        Journey::onNextForm(tick);
        Journey::click(j.child("BPruefSetzen"));
        Journey::onNextForm(tick);
        Journey::click(j.child("BErledigtSetzen"));
        Journey::click(j.child("BPruefSpeichern"));

        QCOMPARE(Dialogs::shownTexts(), (QStringList{"TPruefForm", "TPruefForm"}));
        const QList<QVariantMap> rows = inspectionsOfLadder1(j);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].value("PrHo_Verform").toInt(), 0);
        QCOMPARE(rows[1].value("PrHo_Verform").toInt(), 1);
        QCOMPARE(rows[1].value("PrHo_ErlVerform").toInt(), 1);
        QCOMPARE(rows[1].value("PrErlMaterial").toInt(), 1);   // kept
    }
};

QTEST_MAIN(TestJourneysPruef)
#include "tst_journeys_pruef.moc"
