#include "DataControls.h"
#include "DataModule.h"
#include "DBTreeView.h"
#include "DbTreeLookupComboBox.h"
#include "Dialogs.h"
#include "EingabeDialog.h"
#include "Features.h"
#include "CursorModel.h"
#include "KurzBezVorschlaege.h"
#include "LadderPages.h"
#include "LeiterGrid.h"
#include "LeiterRegeln.h"
#include "LeiterVerw.h"
#include "LtFirmAbt.h"
#include "MainMenus.h"
#include "SFirmAbtVerw.h"
#include "StammdatenVerw.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

// Search, marks, filters, sort orders and the master-data editors, plugged into the real
// main window and driven through its keys, menus and controls.
class TestFeaturesSuche : public QObject {
    Q_OBJECT

    struct Ladder {
        int nr;
        QString kurzBez;
        QString firma = QString();
        int dept = 0;          // 0: none
        int pruefArt = 0;      // 0: none
    };

    struct Register {
        TestDataDir dir;
        QTemporaryDir programDir;
        std::unique_ptr<TDataModule1> dm;
        std::unique_ptr<TLeiterVerw> w;

        explicit Register(const QList<Ladder>& ladders = {})
        {
            KurzBezVorschlaege::setVerzeichnis(programDir.path());
            Table t("LT_LEIT");
            t.open();
            for (const Ladder& l : ladders) {
                t.append();
                t.setValue("Nr", l.nr);
                t.setValue("KurzBez", l.kurzBez);
                if (!l.firma.isEmpty())
                    t.setValue("Firma", l.firma);
                if (l.dept)
                    t.setValue("FirmenAbtID", l.dept);
                if (l.pruefArt)
                    t.setValue("PruefungArt_ID", l.pruefArt);
                t.post();
            }
        }
        TLeiterVerw& open()
        {
            dm = std::make_unique<TDataModule1>();
            w = std::make_unique<TLeiterVerw>(*dm);
            plugMasterData(*w);
            plugSearchAndFilters(*w);
            w->show();
            w->activateWindow();
            [this] { QVERIFY(QTest::qWaitForWindowActive(w.get())); }();
            return *w;
        }
        ~Register()
        {
            w.reset();
            dm.reset();
            KurzBezVorschlaege::setVerzeichnis(QString());
        }
        Table& leiter() const { return *w->leiter(); }
        TLeiterGrid* grid() const { return w->grid(); }
        QAction* action(const char* name) const { return w->menus()->action(QLatin1String(name)); }
        int nr() const { return leiter().value("Nr").toInt(); }
        void gotoNr(int nr) const { QVERIFY(leiter().locate("Nr", {nr})); }
        QString status(int panel) const { return w->statusPanel(panel)->text(); }
        // Ladder numbers the grid shows, top to bottom.
        QList<int> shownNrs() const
        {
            QList<int> out;
            const int col = grid()->cursorModel()->columnOf("Nr");
            for (int row = 0; row < grid()->model()->rowCount(); ++row)
                out << grid()->model()->index(row, col).data().toInt();
            return out;
        }
        QString cell(int row, const char* field) const
        {
            const int col = grid()->cursorModel()->columnOf(QLatin1String(field));
            return grid()->model()->index(row, col).data().toString();
        }
    };

    static int addFirma(const QString& name, int parent = 0)
    {
        Table f("FIRMEN");
        f.open();
        f.append();
        f.setValue("KurzBez", name);
        if (parent)
            f.setValue("ParentID", parent);
        f.post();
        return f.value("ID").toInt();
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        UserState::reset();
    }

    // Text search through the input box, F3 / Shift+F3, the message at the end, the search
    // text as filter, and clearing it.
    void textSearch()
    {
        Register r({{1, "Stehleiter", "Muster"},
                    {2, "Anlegeleiter", "Muster"},
                    {3, "Podest", "Stehwerk"},
                    {4, "Stehleiter groß", "Muster"},
                    {5, "Schiebeleiter", "ändern GmbH"}});
        TLeiterVerw& w = r.open();
        r.gotoNr(2);

        // Empty search text: F3 does nothing and shows nothing.
        QTest::keyClick(r.grid(), Qt::Key_F3);
        QCOMPARE(r.nr(), 2);
        QVERIFY(Dialogs::shown().isEmpty());

        Dialogs::scriptText("STEH");
        r.action("ActSuchTextFolge")->trigger();
        QCOMPARE(Dialogs::shown().last().caption, QString("Suchen nach Textfolge in Feldern"));
        QCOMPARE(Dialogs::shown().last().text, QString("Suchen nach :"));
        QCOMPARE(r.nr(), 1);       // from the first row, not from the current one
        QCOMPARE(r.grid()->currentIndex().row(), 0);
        QTest::keyClick(r.grid(), Qt::Key_F3);
        QCOMPARE(r.nr(), 3);       // Firma "Stehwerk"
        QTest::keyClick(r.grid(), Qt::Key_F3);
        QCOMPARE(r.nr(), 4);
        QTest::keyClick(r.grid(), Qt::Key_F3);
        QCOMPARE(r.nr(), 4);
        QCOMPARE(Dialogs::shownTexts().last(), QString("Kein (weiterer) Datensatz vorhanden"));
        QTest::keyClick(r.grid(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(r.nr(), 3);
        r.action("ActSuchLast")->trigger();
        QCOMPARE(r.nr(), 4);

        // The proposal is the last search text; only a-z are folded.
        Dialogs::scriptText("ÄNDERN");
        r.action("ActSuchTextFolge")->trigger();
        QCOMPARE(Dialogs::shownTexts().last(), QString("Kein (weiterer) Datensatz vorhanden"));
        QCOMPARE(r.nr(), 4);
        Dialogs::scriptCancel();
        r.action("ActSuchTextFolge")->trigger();
        QCOMPARE(r.nr(), 4);

        Dialogs::scriptText("steh");
        r.action("ActSuchTextFolge")->trigger();
        QVERIFY(!r.action("ActFilterLoeschen")->isEnabled());
        r.action("ActSuchToFilter")->trigger();
        QCOMPARE(r.shownNrs(), (QList<int>{1, 3, 4}));
        QCOMPARE(r.status(2), QString(" 3 gefiltert "));
        QCOMPARE(r.status(4), QString("Daten gefiltert"));
        QVERIFY(r.action("ActFilterLoeschen")->isEnabled());
        QVERIFY(w.BFilterLoe->isEnabled());

        // Clearing the text while its condition is on leaves no ladder in the grid.
        r.action("ActSuchClear")->trigger();
        QCOMPARE(r.shownNrs(), QList<int>{});
        QCOMPARE(r.status(4), QString("Daten gefiltert"));
        r.action("ActFilterLoeschen")->trigger();
        QCOMPARE(r.shownNrs(), (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(r.status(4), QString());
        QVERIFY(r.status(2).endsWith(" von 5 "));
        QVERIFY(!r.action("ActFilterLoeschen")->isEnabled());

        // Matches into marks: the cursor ends on the last one.
        Dialogs::scriptText("leiter");
        r.action("ActSuchTextFolge")->trigger();
        r.action("ActSuchToMark")->trigger();
        QCOMPARE(w.markListe().count(), 4);
        QCOMPARE(r.nr(), 5);
        QCOMPARE(r.status(3), QString("M : 4"));
    }

    // Space, Shift+Up/Down, double click, colours, mark search keys, Ctrl+B and Ctrl+C, marks
    // as filter and the status texts.
    void marks()
    {
        Register r({{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}, {6, "F"}});
        TLeiterVerw& w = r.open();
        TLeiterGrid* g = r.grid();
        r.gotoNr(1);

        // No marks: the mark searches and the marks filter refuse.
        QTest::keyClick(g, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(Dialogs::shownTexts().last(), QString("Kein Datensatz markiert"));
        r.action("ActMarkToFilter")->trigger();
        QCOMPARE(Dialogs::shown().size(), 2);
        QCOMPARE(Dialogs::shownTexts().last(), QString("Kein Datensatz markiert"));
        QCOMPARE(r.status(4), QString());
        QTest::keyClick(g, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(Dialogs::shownTexts().last(), QString("Kein Datensatz markiert"));
        QCOMPARE(r.nr(), 1);

        QTest::keyClick(g, Qt::Key_Space);
        QCOMPARE(r.nr(), 2);
        QCOMPARE(w.markListe().ids(), QStringList{r.leiter().lookup("Nr", {1}, "ID").toString()});
        QCOMPARE(r.status(3), QString("M : 1"));
        QCOMPARE(g->rowBackground(0, false), std::optional<QColor>(QColor(Qt::yellow)));
        QCOMPARE(g->rowBackground(0, true), std::optional<QColor>(QColor(176, 0, 0)));
        QVERIFY(!g->rowBackground(1, false));

        // Shift+Down marks and moves, Shift+Up unmarks and moves.
        QTest::keyClick(g, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(r.nr(), 3);
        QCOMPARE(w.markListe().count(), 2);
        QTest::keyClick(g, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(r.nr(), 2);
        QCOMPARE(w.markListe().count(), 2);
        QTest::keyClick(g, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(r.nr(), 1);
        QCOMPARE(w.markListe().count(), 1);

        // Double click toggles without moving.
        r.gotoNr(6);
        g->scrollTo(g->model()->index(5, 1));
        const QPoint cell = g->visualRect(g->model()->index(5, 1)).center();
        // A double click is a click followed by the double-click event.
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(r.nr(), 6);
        QCOMPARE(w.markListe().count(), 2);
        QCOMPARE(r.status(3), QString("M : 2"));

        // Mark searches: Alt+Home / Down / End / Up, and the message at the end.
        r.gotoNr(3);
        QTest::keyClick(g, Qt::Key_Home, Qt::AltModifier);
        QCOMPARE(r.nr(), 1);
        QTest::keyClick(g, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(r.nr(), 6);
        QTest::keyClick(g, Qt::Key_End, Qt::AltModifier);
        QCOMPARE(r.nr(), 6);
        QTest::keyClick(g, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(r.nr(), 6);
        QCOMPARE(Dialogs::shownTexts().last(), QString("Kein (weiterer) Datensatz markiert"));
        QTest::keyClick(g, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(r.nr(), 1);

        // Ctrl+B marks from the nearest mark above down to the current row, nothing below it.
        r.gotoNr(4);
        QTest::keyClick(g, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(r.nr(), 4);
        QCOMPARE(w.markListe().count(), 5);
        QCOMPARE(g->rowBackground(2, false), std::optional<QColor>(QColor(Qt::yellow)));
        QVERIFY(!g->rowBackground(4, false));
        QCOMPARE(r.status(3), QString("M : 5"));

        // Marks into the filter; after Ctrl+C the condition stays on and accepts every row.
        r.action("ActMarkToFilter")->trigger();
        QCOMPARE(r.shownNrs(), (QList<int>{1, 2, 3, 4, 6}));
        QCOMPARE(r.status(2), QString(" 5 gefiltert "));
        QCOMPARE(r.status(4), QString("Daten gefiltert"));
        QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(w.markListe().isEmpty());
        QCOMPARE(r.status(3), QString());
        QCOMPARE(r.shownNrs(), (QList<int>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(r.status(4), QString("Daten gefiltert"));
        QVERIFY(r.action("ActFilterLoeschen")->isEnabled());
        r.action("ActMarkFilterClear")->trigger();
        QCOMPARE(r.status(4), QString());
        QCOMPARE(r.status(2), QString(" %1 von 6 ").arg(r.leiter().recNo()));
        QVERIFY(!r.action("ActFilterLoeschen")->isEnabled());

        // The counter follows every row change.
        QTest::keyClick(g, Qt::Key_Down);
        QCOMPARE(r.status(2), QString(" %1 von 6 ").arg(r.leiter().recNo()));
    }

    // The department box with its subtree, "X", the current ladder's department and "Alle
    // Filter löschen" emptying the box.
    void departmentFilter()
    {
        Register r;
        const int muster = addFirma("Muster");
        const int lager = addFirma("Lager", muster);
        const int halle = addFirma("Halle", lager);
        const int andere = addFirma("Andere");
        {
            Table t("LT_LEIT");
            t.open();
            const QList<std::pair<int, int>> rows = {{1, halle}, {2, muster}, {3, andere}, {4, 0}, {5, lager}};
            for (auto [nr, dept] : rows) {
                t.append();
                t.setValue("Nr", nr);
                t.setValue("KurzBez", QString("L%1").arg(nr));
                if (dept)
                    t.setValue("FirmenAbtID", dept);
                t.post();
            }
        }
        TLeiterVerw& w = r.open();
        QVERIFY(w.DbFilterAbt->isEnabled());
        QVERIFY(w.SpBFilterAbtLoe->isEnabled());
        QVERIFY(w.Sort->isEnabled());

        w.DbFilterAbt->dropDown();
        QVERIFY(w.DbFilterAbt->droppedDown());
        TDBTreeView* tree = w.DbFilterAbt->treeView();
        tree->setCurrentItem(tree->findNode(QString::number(lager)));
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(w.DbFilterAbt->displayText(), QString("Lager"));
        QCOMPARE(r.shownNrs(), (QList<int>{1, 5}));
        QCOMPARE(r.status(2), QString(" 2 gefiltert "));
        QVERIFY(r.grid()->hasFocus());
        QVERIFY(w.DbFilterAbt->chooseNode(QString::number(muster)));
        QCOMPARE(r.shownNrs(), (QList<int>{1, 2, 5}));

        QTest::mouseClick(w.SpBFilterAbtLoe, Qt::LeftButton);
        QVERIFY(!w.DbFilterAbt->KeyValue().isValid());
        QCOMPARE(r.shownNrs(), (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(r.status(4), QString());
        QVERIFY(!r.action("ActFilterLoeschen")->isEnabled());

        // The current ladder's department: the box shows it.
        r.gotoNr(3);
        r.action("LtPopFilterAktAbt")->trigger();
        QCOMPARE(r.shownNrs(), QList<int>{3});
        QCOMPARE(w.DbFilterAbt->displayText(), QString("Andere"));
        r.action("ActFilterLoeschen")->trigger();
        QVERIFY(!w.DbFilterAbt->KeyValue().isValid());
        QCOMPARE(r.shownNrs().size(), 5);

        // A ladder without department: no ladder passes, the box stays empty.
        r.gotoNr(4);
        r.action("LtPopFilterAktAbt")->trigger();
        QCOMPARE(r.shownNrs(), QList<int>{});
        QVERIFY(!w.DbFilterAbt->KeyValue().isValid());
        QCOMPARE(r.status(2), QString(" 0 gefiltert "));
        QCOMPARE(r.status(4), QString("Daten gefiltert"));
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }

    // Index search by Ctrl+F and by typing: the nearest row, and a text of the wrong type
    // giving the conversion message without a move.
    void indexSearch_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedNr");
        QTest::addColumn<QString>("message");
        QTest::newRow("dialog exact") << false << "7" << 7 << QString();
        QTest::newRow("dialog nearest") << false << "8" << 12 << QString();
        QTest::newRow("dialog beyond last") << false << "99" << 12 << QString();
        QTest::newRow("dialog no number") << false << "abc" << 3
                                          << "'abc' ist kein gültiger Integerwert für Feld 'Leiter-Nr'";
        QTest::newRow("typed nearest") << true << "4" << 7 << QString();
        QTest::newRow("typed no number") << true << "x1" << 3
                                         << "'x1' ist kein gültiger Integerwert für Feld 'Leiter-Nr'";
    }

    void indexSearch()
    {
        QFETCH(bool, typed);
        QFETCH(QString, text);
        QFETCH(int, expectedNr);
        QFETCH(QString, message);
        Register r({{1, "A"}, {3, "B"}, {7, "C"}, {12, "D"}});
        r.open();
        r.gotoNr(3);
        QString caption, prompt, proposal;
        if (typed) {
            Dialogs::setFormHook([&](QDialog* d) {
                auto* e = qobject_cast<TEingabeDialog*>(d);
                if (!e)
                    return int(QDialog::Rejected);
                caption = e->windowTitle();
                prompt = e->prompt()->text();
                proposal = e->edit()->text();
                e->edit()->setText(text);
                return int(QDialog::Accepted);
            });
            QTest::keyClicks(r.grid(), text.left(1));
            QCOMPARE(caption, QString("Sortiert nach Nr"));
            QCOMPARE(prompt, QString("Suche nach"));
            QCOMPARE(proposal, text.left(1));
        } else {
            Dialogs::scriptText(text);
            QTest::keyClick(r.grid(), Qt::Key_F, Qt::ControlModifier);
            QCOMPARE(Dialogs::shown().first().kind, Dialogs::Kind::Input);
            QCOMPARE(Dialogs::shown().first().caption, QString("Sortiert nach Leiter-Nr"));
            QCOMPARE(Dialogs::shown().first().text, QString("Suche nach :"));
        }
        QCOMPARE(r.nr(), expectedNr);
        if (message.isEmpty())
            QVERIFY(Dialogs::shownTexts().size() <= 1);
        else
            QCOMPARE(Dialogs::shownTexts().last(), message);
    }

    // Title click asks before it changes the order; lookup columns and the active order do
    // nothing; the sort selector follows.
    void titleClick_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("Ja") << "KurzBez" << true << "Sortierung wechseln nach Kurz.-Bezeichnung ?" << "KurzBez"
                            << QList<int>{3, 1, 2};
        QTest::newRow("Nein") << "KurzBez" << false << "Sortierung wechseln nach Kurz.-Bezeichnung ?" << "Nr"
                              << QList<int>{1, 2, 3};
        QTest::newRow("active order") << "Nr" << true << QString() << "Nr" << QList<int>{1, 2, 3};
        QTest::newRow("lookup column") << "PruefungArtText" << true << QString() << "Nr" << QList<int>{1, 2, 3};
    }

    void titleClick()
    {
        QFETCH(QString, column);
        QFETCH(bool, answer);
        QFETCH(QString, question);
        QFETCH(QString, index);
        QFETCH(QList<int>, order);
        Register r({{1, "Mitte"}, {2, "Zuletzt"}, {3, "Anfang"}});
        TLeiterVerw& w = r.open();
        QHeaderView* header = r.grid()->horizontalHeader();
        const int section = r.grid()->cursorModel()->columnOf(column);
        QVERIFY(section >= 0);
        Dialogs::scriptAnswer(answer);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2));
        if (question.isEmpty()) {
            QVERIFY(Dialogs::shown().isEmpty());
        } else {
            QCOMPARE(Dialogs::shown().size(), 1);
            QCOMPARE(Dialogs::shown().first().text, question);
        }
        QCOMPARE(r.leiter().indexFieldNames(), index);
        QCOMPARE(r.shownNrs(), order);
        QCOMPARE(w.Sort->currentData().toString(), index);
    }

    // The sort selector names the orders, changes the index and gives the grid the focus.
    void sortSelector()
    {
        Register r({{1, "Mitte"}, {2, "Zuletzt"}, {3, "Anfang"}});
        TLeiterVerw& w = r.open();
        QCOMPARE(w.Sort->currentText(), QString("Leiter-Nr"));
        const int i = w.Sort->findText("Kurzbezeichnung");
        QVERIFY(i >= 0);
        w.Sort->setFocus();
        w.Sort->setCurrentIndex(i);
        emit w.Sort->activated(i);
        QCOMPARE(r.leiter().indexFieldNames(), QString("KurzBez"));
        QCOMPARE(r.shownNrs(), (QList<int>{3, 1, 2}));
        QVERIFY(r.grid()->hasFocus());
        // Changed elsewhere: the selector follows.
        r.leiter().setIndexFieldNames("Nr");
        QCOMPARE(w.Sort->currentText(), QString("Leiter-Nr"));
        // Disabled while a ladder is edited.
        r.leiter().edit();
        QVERIFY(!w.Sort->isEnabled());
        r.leiter().cancel();
        QVERIFY(w.Sort->isEnabled());
    }

    // A master-data editor opened from its menu entry; afterwards the window shows what the
    // editor wrote, also when the editor ended with an error.
    void masterDataRefresh_data()
    {
        QTest::addColumn<bool>("fails");
        QTest::newRow("closed") << false;
        QTest::newRow("error in the editor") << true;
    }

    void masterDataRefresh()
    {
        QFETCH(bool, fails);
        Register r({{1, "A", QString(), 0, 1}, {2, "B", QString(), 0, 2}});
        {
            Table k("PR_TAB");
            k.open();
            for (auto [nr, name] : QList<std::pair<int, QString>>{{1, "Sichtprüfung"}, {2, "Hauptprüfung"}}) {
                k.append();
                k.setValue("Nr", nr);
                k.setValue("KurzBez", name);
                k.post();
            }
        }
        TLeiterVerw& w = r.open();
        QCOMPARE(r.cell(0, "PruefungArtText"), QString("Sichtprüfung"));
        QString caption;
        Dialogs::setFormHook([&](QDialog* d) {
            auto* e = qobject_cast<TStammdatenVerw*>(d);
            if (!e)
                return int(QDialog::Rejected);
            caption = e->windowTitle();
            if (!e->Detail->locate("Nr", {1}))
                return int(QDialog::Rejected);
            e->Detail->edit();
            e->Detail->setValue("KurzBez", "Jahresprüfung");
            e->Detail->post();
            if (fails)
                throw HwError("Datei gesperrt");
            return int(QDialog::Accepted);
        });
        r.action("MPruefTermine")->trigger();
        QCOMPARE(caption, QString("Stammdaten : Prüf - Termine"));
        QCOMPARE(r.cell(0, "PruefungArtText"), QString("Jahresprüfung"));
        QCOMPARE(r.cell(1, "PruefungArtText"), QString("Hauptprüfung"));
        QVERIFY(r.grid()->hasFocus());
        if (fails)
            QCOMPARE(Dialogs::shownTexts().last(), QString("Datei gesperrt"));
        Q_UNUSED(w);
    }

    // Suppliers and companies: the lists of the ladder page are filled afresh; the tree
    // editor (F11) renames a department and the grid shows the new path.
    void masterDataLists()
    {
        Register r({{1, "A"}});
        const int muster = addFirma("Muster");
        const int lager = addFirma("Lager", muster);
        {
            Table t("LT_LEIT");
            t.open();
            t.first();
            t.edit();
            t.setValue("FirmenAbtID", lager);
            t.post();
        }
        TLeiterVerw& w = r.open();
        TLeiterAllgemeinPage& page = *w.allgemeinPage();
        QVERIFY(!page.EditCoboLieferanten->items().contains("Leitermann"));

        Dialogs::setFormHook([](QDialog* d) {
            auto* e = qobject_cast<TStammdatenVerw*>(d);
            if (!e)
                return int(QDialog::Rejected);
            e->Detail->append();
            e->Detail->setValue("KurzBez", e->config().table == "LFNAME" ? "Leitermann" : "Neufirma");
            e->Detail->post();
            return int(QDialog::Accepted);
        });
        r.action("MLieferanten")->trigger();
        QVERIFY(page.EditCoboLieferanten->items().contains("Leitermann"));
        r.action("MFirmen")->trigger();
        QVERIFY(page.EditCoboFirmen->items().contains("Neufirma"));

        QCOMPARE(r.cell(0, "FirmaAbtText"), QString("Muster - Lager"));
        QCOMPARE(r.action("MFirmenAbt")->shortcut(), QKeySequence(Qt::Key_F11));
        Dialogs::setFormHook([lager](QDialog* d) {
            auto* e = qobject_cast<TSFirmAbtVerw*>(d);
            if (!e)
                return int(QDialog::Rejected);
            Table f("FIRMEN");
            f.open();
            if (f.locate("ID", {lager})) {
                f.edit();
                f.setValue("KurzBez", "Hochlager");
                f.post();
            }
            return int(QDialog::Accepted);
        });
        r.action("MFirmenAbt")->trigger();
        QCOMPARE(r.cell(0, "FirmaAbtText"), QString("Muster - Hochlager"));
        QCOMPARE(w.firmAbt().PathText(QString::number(lager)), QString("Muster - Hochlager"));
        QCOMPARE(Dialogs::unscriptedCount(), 0);
    }
};

QTEST_MAIN(TestFeaturesSuche)
#include "tst_features_suche.moc"
