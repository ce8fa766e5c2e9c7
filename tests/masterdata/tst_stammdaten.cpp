#include "DataControls.h"
#include "Dialogs.h"
#include "StammdatenVerw.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserControl.h"

#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

// The shared master-data editor driven through its controls, on a small register:
// one scrapped ladder, one old inspection, rows in every master table.
class TestStammdaten : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDataDir> m_dir;

    static int add(const QString& table, const QVariantMap& values)
    {
        return addTestRow(table, values);
    }

    static int count(const QString& table)
    {
        Table t(table);
        t.open();
        return t.recordCount();
    }

    template<class W>
    static W* child(QWidget* w, const char* name)
    {
        W* c = w->findChild<W*>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }

    // Moves the editor's list to the row whose KurzBez is the given name.
    static void selectRow(TStammdatenVerw& w, const QString& name)
    {
        QVERIFY(w.Detail->locate("KurzBez", {name}));
        QCOMPARE(w.DBGridDetail->currentIndex().row(), w.Detail->currentViewRow());
    }

    static void typeInto(QWidget* edit, const QString& text)
    {
        edit->setFocus();
        auto* line = qobject_cast<QLineEdit*>(edit);
        QTest::keyClick(edit, Qt::Key_End);
        for (int guard = 0; !line->text().isEmpty() && guard < 40; ++guard)
            QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        m_dir = std::make_unique<TestDataDir>();
    }
    void cleanup() { m_dir.reset(); }

    // The key of each kept table is referred to by exactly one row elsewhere: the delete is
    // refused with the usage message and no question; an unused row asks and goes.
    void usageCheckRefusesDelete_data()
    {
        QTest::addColumn<int>("art");
        QTest::addColumn<QString>("used");
        QTest::addColumn<QString>("unused");
        QTest::newRow("material of a scrapped ladder") << int(StammdatenArt::Material) << "Alu" << "Holz";
        QTest::newRow("kind of an old inspection only") << int(StammdatenArt::PruefTermine) << "UVV" << "Sicht";
        QTest::newRow("inspector of an inspection only") << int(StammdatenArt::Pruefer) << "Meier" << "Huber";
        QTest::newRow("ladder type") << int(StammdatenArt::LeiterArten) << "Stehleiter" << "Podest";
    }
    void usageCheckRefusesDelete()
    {
        QFETCH(int, art);
        QFETCH(QString, used);
        QFETCH(QString, unused);
        const int alu = add("MATERIAL", {{"KurzBez", "Alu"}});
        add("MATERIAL", {{"KurzBez", "Holz"}});
        add("PR_TAB", {{"Nr", 3}, {"KurzBez", "UVV"}, {"Jahre", 1}});
        add("PR_TAB", {{"Nr", 4}, {"KurzBez", "Sicht"}});
        const int meier = add("PRUEFER", {{"KurzBez", "Meier"}});
        add("PRUEFER", {{"KurzBez", "Huber"}});
        const int steh = add("LARTEN", {{"KurzBez", "Stehleiter"}});
        add("LARTEN", {{"KurzBez", "Podest"}});
        // The ladder uses material and type, but not the kind; it is scrapped.
        const int ladder = add("LT_LEIT", {{"Nr", 1}, {"KurzBez", "L1"}, {"Mat_ID", alu}, {"Art_ID", steh},
                                           {"Schrott", true}, {"PruefungArt_ID", 4}});
        // An old inspection of another kind, by Meier.
        add("LT_PRUEF", {{"LT_ID", ladder}, {"PruefungArt_ID", 3}, {"Pruefer_ID", meier}, {"Datum", QDate(2001, 3, 1)}});
        // Kind 4 is used by the ladder: the unused kind must be free of ladders and inspections.
        {
            Table t("LT_LEIT");
            t.open();
            t.first();
            t.edit();
            t.setValue("PruefungArt_ID", QVariant());
            t.post();
        }

        TStammdatenVerw w(stammdatenConfig(StammdatenArt(art)));
        w.show();
        const int before = w.Detail->recordCount();
        selectRow(w, used);
        QTest::mouseClick(child<QToolButton>(&w, "SpBLoeschen"), Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Stammdaten werden schon verwendet"});
        QCOMPARE(w.Detail->recordCount(), before);
        QCOMPARE(count(w.config().table), before);

        Dialogs::reset();
        selectRow(w, unused);
        Dialogs::scriptAnswer(true);
        QTest::mouseClick(child<QToolButton>(&w, "SpBLoeschen"), Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Datensatz löschen ?"});
        QCOMPARE(count(w.config().table), before - 1);
    }

    // Once the scrapped ladder no longer names the material, the delete asks; No keeps it.
    void materialFreedAfterLadderCleared()
    {
        const int alu = add("MATERIAL", {{"KurzBez", "Alu"}});
        add("LT_LEIT", {{"Nr", 1}, {"KurzBez", "L1"}, {"Mat_ID", alu}, {"Schrott", true}});
        TStammdatenVerw w(stammdatenConfig(StammdatenArt::Material));
        w.show();
        Dialogs::scriptAnswer(true);
        w.SpBLoeschenClick();
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Stammdaten werden schon verwendet"});
        {
            Table t("LT_LEIT");
            t.open();
            t.edit();
            t.setValue("Mat_ID", QVariant());
            t.post();
        }
        Dialogs::reset();
        Dialogs::scriptAnswer(false);
        w.SpBLoeschenClick();
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Datensatz löschen ?"});
        QCOMPARE(count("MATERIAL"), 1);
        Dialogs::scriptAnswer(true);
        w.SpBLoeschenClick();
        QCOMPARE(count("MATERIAL"), 0);
    }

    // Renumbering a kind that a ladder or an inspection stores is refused like its delete;
    // the stored kinds, ladders and inspections stay as they were. A free kind renumbers.
    void usedKindKeepsItsNumber_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("refused");
        QTest::newRow("kind of a ladder") << "UVV" << true;
        QTest::newRow("kind of an old inspection only") << "Sicht" << true;
        QTest::newRow("kind used by nothing") << "Frei" << false;
    }
    void usedKindKeepsItsNumber()
    {
        QFETCH(QString, kind);
        QFETCH(bool, refused);
        add("PR_TAB", {{"Nr", 1}, {"KurzBez", "UVV"}, {"Jahre", 1}});
        add("PR_TAB", {{"Nr", 2}, {"KurzBez", "Sicht"}});
        add("PR_TAB", {{"Nr", 3}, {"KurzBez", "Frei"}});
        const int ladder = add("LT_LEIT", {{"Nr", 1}, {"KurzBez", "L1"}, {"PruefungArt_ID", 1}});
        add("LT_PRUEF", {{"LT_ID", ladder}, {"PruefungArt_ID", 2}, {"Datum", QDate(2001, 3, 1)}});

        TSPruefTabVerw w;
        w.show();
        QApplication::setActiveWindow(&w);
        selectRow(w, kind);
        const int old = w.Detail->field("Nr").asInteger();
        typeInto(child<QWidget>(&w, "EditNr"), "9");
        QCOMPARE(w.LabelTableStatus->text(), QString("Ändern"));
        QTest::mouseClick(child<QPushButton>(&w, "BOk"), Qt::LeftButton);

        Table t("PR_TAB");
        t.open();
        QVERIFY(t.locate("KurzBez", {kind}));
        if (refused) {
            QCOMPARE(Dialogs::shownTexts(), QStringList{"Stammdaten werden schon verwendet"});
            QCOMPARE(t.field("Nr").asInteger(), old);
            QCOMPARE(w.Detail->state(), DataSetState::Edit);
            QTest::keyClick(&w, Qt::Key_Escape);
            QCOMPARE(w.Detail->field("Nr").asInteger(), old);
        } else {
            QCOMPARE(Dialogs::shownTexts(), QStringList());
            QCOMPARE(t.field("Nr").asInteger(), 9);
        }
        Table l("LT_LEIT");
        l.open();
        QCOMPARE(l.field("PruefungArt_ID").asInteger(), 1);
        Table p("LT_PRUEF");
        p.open();
        QCOMPARE(p.field("PruefungArt_ID").asInteger(), 2);
        QVERIFY(t.locate("Nr", {1}));
        QVERIFY(t.locate("Nr", {2}));
    }

    // A company with a site (and a department below it) is not deleted: the message names
    // the site; the rows stay. A company without nodes asks and goes.
    void companyWithNodesNotDeleted()
    {
        const int muster = add("FIRMEN", {{"KurzBez", "Muster"}});
        const int nord = add("FIRMEN", {{"KurzBez", "Werk Nord"}, {"ParentID", muster}});
        add("FIRMEN", {{"KurzBez", "Lager"}, {"ParentID", nord}});
        add("FIRMEN", {{"KurzBez", "Werk Süd"}, {"ParentID", muster}});
        add("FIRMEN", {{"KurzBez", "Leer"}});
        TSFirmenVerw w;
        w.show();
        selectRow(w, "Muster");
        Dialogs::scriptAnswer(true);
        QTest::mouseClick(child<QToolButton>(&w, "SpBLoeschen"), Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts().size(), 1);
        const QString text = Dialogs::shownTexts().first();
        QVERIFY2(text.contains("Muster") && text.contains("Werk Nord, Werk Süd") && !text.contains("Lager"), qPrintable(text));
        QCOMPARE(count("FIRMEN"), 5);

        Dialogs::reset();
        selectRow(w, "Leer");
        Dialogs::scriptAnswer(true);
        QTest::mouseClick(child<QToolButton>(&w, "SpBLoeschen"), Qt::LeftButton);
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Datensatz löschen ?"});
        QCOMPARE(count("FIRMEN"), 4);
    }

    void supplierDeletedLaddersKeepText()
    {
        add("LFNAME", {{"KurzBez", "Hailo"}});
        add("LT_LEIT", {{"Nr", 1}, {"KurzBez", "L1"}, {"Lieferant", "Hailo"}});
        TStammdatenVerw w(stammdatenConfig(StammdatenArt::Lieferanten));
        QCOMPARE(w.height(), 275);
        w.show();
        Dialogs::scriptAnswer(true);
        w.SpBLoeschenClick();
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Datensatz löschen ?"});
        QCOMPARE(count("LFNAME"), 0);
        Table l("LT_LEIT");
        l.open();
        QCOMPARE(l.field("Lieferant").asString(), QString("Hailo"));
    }

    // Typed into the interval fields and saved with "Ok": the limits pass, one more is
    // refused with the range message and the stored row keeps its old value.
    void intervalLimits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("Jahre 10") << "EditJahre" << "10" << "";
        QTest::newRow("Monate 11") << "EditMonate" << "11" << "";
        QTest::newRow("Tage 31") << "EditTage" << "31" << "";
        QTest::newRow("Tage 0") << "EditTage" << "0" << "";
        QTest::newRow("Jahre 11") << "EditJahre" << "11"
                                  << "11 ist kein gültiger Wert für das Feld 'Jahre'. Der zulässige Bereich ist  0 bis 10";
        QTest::newRow("Monate 12") << "EditMonate" << "12"
                                   << "12 ist kein gültiger Wert für das Feld 'Monate'. Der zulässige Bereich ist  0 bis 11";
        QTest::newRow("Tage 32") << "EditTage" << "32"
                                 << "32 ist kein gültiger Wert für das Feld 'Tage'. Der zulässige Bereich ist  0 bis 31";
        QTest::newRow("Tage -1") << "EditTage" << "-1"
                                 << "-1 ist kein gültiger Wert für das Feld 'Tage'. Der zulässige Bereich ist  0 bis 31";
        QTest::newRow("not a number") << "EditMonate" << "x"
                                      << "'x' ist kein gültiger Integerwert für Feld 'Monate'";
    }
    void intervalLimits()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        add("PR_TAB", {{"Nr", 1}, {"KurzBez", "UVV"}, {"Jahre", 1}, {"Monate", 2}, {"Tage", 3}});
        TStammdatenVerw w(stammdatenConfig(StammdatenArt::PruefTermine));
        w.show();
        QWidget* e = child<QWidget>(&w, qPrintable(edit));
        typeInto(e, typed);
        QCOMPARE(w.LabelTableStatus->text(), QString("Ändern"));
        QTest::mouseClick(child<QPushButton>(&w, "BOk"), Qt::LeftButton);
        const QString field = edit.mid(4);
        Table t("PR_TAB");
        t.open();
        if (message.isEmpty()) {
            QCOMPARE(Dialogs::shownTexts(), QStringList());
            QCOMPARE(t.field(field).asInteger(), typed.toInt());
            QCOMPARE(w.LabelTableStatus->text(), QString());
        } else {
            QCOMPARE(Dialogs::shownTexts(), QStringList{message});
            const QMap<QString, int> old{{"Jahre", 1}, {"Monate", 2}, {"Tage", 3}};
            QCOMPARE(t.field(field).asInteger(), old.value(field));
            QCOMPARE(w.Detail->field(field).asInteger(), t.field(field).asInteger());
        }
    }

    void insertKeyInList_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("starts");
        QTest::newRow("Insert") << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+Insert") << int(Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+Insert") << int(Qt::ControlModifier) << false;
    }
    void insertKeyInList()
    {
        QFETCH(int, modifiers);
        QFETCH(bool, starts);
        add("LARTEN", {{"KurzBez", "Stehleiter"}});
        TSLeiterArtenVerw w;
        w.show();
        QApplication::setActiveWindow(&w);
        w.DBGridDetail->setFocus();
        QTest::keyClick(w.DBGridDetail, Qt::Key_Insert, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.Detail->state() == DataSetState::Insert, starts);
        QCOMPARE(w.LabelTableStatus->text(), starts ? QString("Neu") : QString());
        QCOMPARE(w.BOk->isEnabled(), starts);
        if (!starts)
            return;
        // A new ladder type starts with "<..>"; typing the name and Ok saves it.
        QCOMPARE(w.Detail->field("Typ").asString(), QString("<..>"));
        QCOMPARE(w.focusWidget(), child<QWidget>(&w, "EditKurzBez"));
        QTest::keyClicks(w.focusWidget(), "Anlegeleiter");
        w.BOkClick();
        QCOMPARE(Dialogs::shownTexts(), QStringList());
        Table t("LARTEN");
        t.open();
        QVERIFY(t.locate("KurzBez", {"Anlegeleiter"}));
        QCOMPARE(t.field("Typ").asString(), QString("<..>"));
    }

    void emptyNameRefusedAndCancelDropsRow()
    {
        TStammdatenVerw w(stammdatenConfig(StammdatenArt::Material));
        w.show();
        w.SpBNeuClick();
        w.BOkClick();
        QCOMPARE(Dialogs::shownTexts(), QStringList{"Feld 'KurzBez' muß einen Wert haben"});
        QCOMPARE(w.Detail->state(), DataSetState::Insert);
        QTest::mouseClick(w.BCancel, Qt::LeftButton);
        QCOMPARE(w.Detail->state(), DataSetState::Browse);
        QCOMPARE(count("MATERIAL"), 0);
    }

    // Only companies are listed; a company made here has no parent.
    void companyEditorListsCompaniesOnly()
    {
        const int muster = add("FIRMEN", {{"KurzBez", "Muster"}});
        add("FIRMEN", {{"KurzBez", "Werk Nord"}, {"ParentID", muster}});
        add("FIRMEN", {{"KurzBez", "Andere"}, {"ParentID", 0}});
        TSFirmenVerw w;
        w.show();
        QCOMPARE(w.DBGridDetail->model()->rowCount(), 2);
        w.SpBNeuClick();
        QTest::keyClicks(w.focusWidget(), "Neue Firma");
        w.BOkClick();
        QCOMPARE(w.DBGridDetail->model()->rowCount(), 3);
        Table t("FIRMEN");
        t.open();
        QVERIFY(t.locate("KurzBez", {"Neue Firma"}));
        QVERIFY(t.field("ParentID").isNull());
        QVERIFY(t.field("ID").asInteger() > 0);
    }

    // With a rights component lacking the delete right, the refusal is its message.
    void missingRightRefuses()
    {
        add("MATERIAL", {{"KurzBez", "Alu"}});
        TUserControl rights;
        rights.setActive(true);
        rights.setRights({crView, crInsert, crModify});
        TStammdatenVerw w(stammdatenConfig(StammdatenArt::Material));
        w.setUserControl(&rights);
        w.show();
        w.SpBLoeschenClick();
        QCOMPARE(Dialogs::shownTexts(), QStringList{TUserControl::RightErrorText(crDelete)});
        QCOMPARE(count("MATERIAL"), 1);
    }
};

QTEST_MAIN(TestStammdaten)
#include "tst_stammdaten.moc"
