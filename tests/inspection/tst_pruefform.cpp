#include "Dialogs.h"
#include "PruefCursor.h"
#include "PruefFixture.h"
#include "PruefForm.h"
#include "PruefKriterienWege.h"
#include "Schema.h"
#include "UserControl.h"
#include "Engine.h"
#include "Verlauf.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

// The checklist dialog in its four ways, played through its buttons by the form hook.
class TestPruefForm : public QObject {
    Q_OBJECT

    struct Setup {
        PruefFixture fx;
        int ladder = 0;
        Table* pruef = nullptr;
        ~Setup() { delete pruef; }
        void make()
        {
            fx.open(5);
            pruef = createLtPruefCursor(*fx.dm, fx.leiter.get(), *fx.dm->DataUserControl, nullptr);
        }
    };

    // What the user saw in the dialog, and which buttons were pressed before OK / Abbrechen.
    struct Play {
        QStringList clicks;
        bool ok = true;
        QString title;
        QStringList enabled;         // enabled boxes, "DbCbSonst1" included
        QString sonstCaption;
        bool sonstEditVisible = false;
    };

    static void playForm(Play& p)
    {
        Dialogs::setFormHook([&p](QDialog* d) {
            d->show();
            p.title = d->findChild<QLabel*>("LabLeiter")->text();
            for (QCheckBox* cb : d->findChildren<QCheckBox*>())
                if (cb->isEnabled())
                    p.enabled << cb->objectName();
            p.enabled.sort();
            p.sonstCaption = d->findChild<QCheckBox*>("DbCbSonst1")->text();
            p.sonstEditVisible = d->findChild<QLineEdit*>("DbEditSonst1")->isVisible();
            for (const QString& c : p.clicks) {
                if (c.startsWith("edit:")) {
                    auto* e = d->findChild<QLineEdit*>("DbEditSonst1");
                    e->clear();
                    QTest::keyClicks(e, c.mid(5));
                } else if (auto* b = d->findChild<QAbstractButton*>(c)) {
                    QTest::mouseClick(b, Qt::LeftButton);
                } else {
                    qWarning("no control %s", qPrintable(c));
                }
            }
            QTest::mouseClick(d->findChild<QPushButton*>(p.ok ? "BitBtnOK" : "BitBtnCancel"), Qt::LeftButton);
            return d->result();
        });
    }

    static QStringList doneFlags(const QVariantMap& row)
    {
        QStringList out;
        for (const QString& c : Schema::extendedCriteria() + QStringList{"Sonstiges"})
            if (row.value(Schema::doneColumn(c)).toBool())
                out << Schema::doneColumn(c);
        return out;
    }
    static QStringList requiredFlags(const QVariantMap& row)
    {
        QStringList out;
        for (const QString& c : Schema::extendedCriteria() + QStringList{"Sonstiges"})
            if (row.value(Schema::requiredColumn(c)).toBool())
                out << Schema::requiredColumn(c);
        return out;
    }
    static QVariantMap current(Table& t)
    {
        QVariantMap m;
        for (const auto& f : t.fields())
            m.insert(f->name(), f->value());
        return m;
    }

private slots:
    void init() { resetDialogsForTest(); }

    // "Erl.-Setzen": only required criteria can be ticked; "Alle Setzen" sets "Sonstiges"
    // only with a ladder text; "Alle Loeschen" also clears stored flags of criteria not required.
    void erlSetzen_data()
    {
        QTest::addColumn<QString>("ladderText");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("doneAfter");
        const QStringList stored = {"PrBes_ErlSchmier"};   // done, though not required
        QTest::newRow("Alle Setzen with a text") << "Leiterhaken" << QStringList{"BAlleSetzen"} << true << "Leiterhaken"
                                                 << QStringList{"PrHo_ErlVerform", "PrBes_ErlSchmier", "PrErlSonstiges"};
        QTest::newRow("Alle Setzen without text") << "" << QStringList{"BAlleSetzen"} << true << "<leer>"
                                                  << QStringList{"PrHo_ErlVerform", "PrBes_ErlSchmier"};
        QTest::newRow("Alle Loeschen clears all") << "x" << QStringList{"BAlleLoeschen"} << true << "x" << QStringList{};
        QTest::newRow("group Alle") << "x" << QStringList{"SpButtonPanHo"} << true << "x"
                                    << QStringList{"PrHo_ErlVerform", "PrBes_ErlSchmier"};
        QTest::newRow("Abbrechen keeps") << "x" << QStringList{"BAlleLoeschen"} << false << "x" << stored;
    }

    void erlSetzen()
    {
        QFETCH(QString, ladderText);
        QFETCH(QStringList, clicks);
        QFETCH(bool, ok);
        QFETCH(QString, caption);
        QFETCH(QStringList, doneAfter);
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"KurzBez", "Anlegeleiter"},
                                               {"PrSonstigesText", ladderText.isEmpty() ? QVariant() : QVariant(ladderText)}});
        const int id = PruefFixture::addInspection(s.ladder, {{"Datum", QDate(2004, 6, 23)}, {"PrHo_Verform", true},
                                                              {"PrSonstiges", true}, {"PrBes_ErlSchmier", true}});
        s.make();
        Play p;
        p.clicks = clicks;
        p.ok = ok;
        playForm(p);
        QCOMPARE(PruefKriterienWege::ErlSetzen(*s.fx.leiter, *s.pruef, nullptr), ok);
        QCOMPARE(p.title, QString("23.06.2004 - erledigte Prüfungen - 5 / Anlegeleiter"));
        QCOMPARE(p.enabled, (QStringList{"DBCbHo1", "DbCbSonst1"}));
        QCOMPARE(p.sonstCaption, caption);
        QVERIFY(!p.sonstEditVisible);
        QCOMPARE(s.pruef->state(), ok ? DataSetState::Edit : DataSetState::Browse);
        QCOMPARE(doneFlags(current(*s.pruef)), doneAfter);
        QCOMPARE(doneFlags(PruefFixture::stored("LT_PRUEF", id)), QStringList{"PrBes_ErlSchmier"});   // not saved
    }

    // A done flag ticked in the checklist and saved is in the change history, with the ladder.
    void doneFlagFromChecklistIsInTheHistory()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"KurzBez", "Anlegeleiter"}});
        const int id = PruefFixture::addInspection(s.ladder, {{"Datum", QDate(2004, 6, 23)}, {"PrHo_Verform", true}});
        s.make();
        Engine::instance().setUserName("Prüferin");
        Play p;
        p.clicks = {"SpButtonPanHo"};
        playForm(p);
        QVERIFY(PruefKriterienWege::ErlSetzen(*s.fx.leiter, *s.pruef, nullptr));
        s.pruef->post();
        QCOMPARE(doneFlags(PruefFixture::stored("LT_PRUEF", id)), QStringList{"PrHo_ErlVerform"});
        const QList<Verlauf::Eintrag> e = Verlauf::fuerLeitern(Engine::instance().backend(), {s.ladder});
        QVERIFY(!e.isEmpty());
        const Verlauf::Eintrag& last = e.first();
        QCOMPARE(last.tabelle, QString("LT_PRUEF"));
        QCOMPARE(last.dsId, qint64(id));
        QCOMPARE(last.aktion, QString("Geändert"));
        QCOMPARE(last.feld, QString("PrHo_ErlVerform"));
        QCOMPARE(last.alt, QString());
        QCOMPARE(last.neu, QString("1"));
        QCOMPARE(last.benutzer, QString("Prüferin"));
        Engine::instance().setUserName(QString());
    }

    // "Pruef.-Setzen": every box enabled; clearing "Sonstiges" clears its done flag, the
    // extended done flags stay.
    void pruefSetzen()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"PrSonstigesText", "Haken"}});
        PruefFixture::addInspection(s.ladder, {{"PrSonstiges", true}, {"PrErlSonstiges", true}, {"PrZub_Vollstaend", true},
                                               {"PrZub_ErlVollstaend", true}});
        s.make();
        Play p;
        p.clicks = {"BAlleLoeschen", "SpButtonPanSprS"};
        playForm(p);
        QVERIFY(PruefKriterienWege::PruefSetzen(*s.fx.leiter, *s.pruef, nullptr));
        QCOMPARE(p.enabled.size(), 24);
        QVERIFY(p.title.startsWith(" - erforderliche Prüfungen - 5 / Leiter 5"));
        const QVariantMap now = current(*s.pruef);
        QCOMPARE(requiredFlags(now), (QStringList{"PrSprS_Vollstaend", "PrSprS_Funktfaeh", "PrSprS_Beschaed"}));
        QCOMPARE(doneFlags(now), QStringList{"PrZub_ErlVollstaend"});
        QCOMPARE(s.pruef->state(), DataSetState::Edit);
    }

    // "Detail-Liste": the ladder's criteria and its other-text; "Alle Setzen" sets "Sonstiges"
    // only with a text; a flag never set is stored as false; the ladder stays in edit.
    void detailListe_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sonstiges");
        QTest::newRow("with a text") << "Seil" << true;
        QTest::newRow("empty text") << "" << false;
    }

    void detailListe()
    {
        QFETCH(QString, text);
        QFETCH(bool, sonstiges);
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"KurzBez", "Stehleiter"}, {"PrSonstigesText", "alt"}, {"PrHo_Kanten", true}});
        s.make();
        Play p;
        p.clicks = {"BAlleLoeschen", "edit:" + text, "SpButtonPanKennZ", "BAlleSetzen"};
        playForm(p);
        QVERIFY(PruefKriterienWege::DetailListe(*s.fx.leiter, *s.fx.dm->DataUserControl, nullptr));
        QCOMPARE(p.title, QString("Stammdaten - 5 / Stehleiter"));
        QVERIFY(p.sonstEditVisible);
        QCOMPARE(p.enabled.size(), 24);
        QCOMPARE(s.fx.leiter->state(), DataSetState::Edit);
        QCOMPARE(s.fx.leiter->field("PrSonstiges").asBoolean(), sonstiges);
        QCOMPARE(s.fx.leiter->field("PrSonstigesText").asString(), text);
        for (const QString& c : Schema::extendedCriteria()) {
            QVERIFY(!s.fx.leiter->field(Schema::requiredColumn(c)).isNull());   // written, never empty
            QVERIFY(s.fx.leiter->field(Schema::requiredColumn(c)).asBoolean());
        }
        QVERIFY(!PruefFixture::stored("LT_LEIT", s.ladder).value("PrHo_Verform").toBool());
    }

    // "Autom. Erl.-Setzen": required criteria done and saved, others keep their value; twice
    // in a row gives the same record.
    void automErlSetzenTwice()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"PrSonstigesText", "Seil"}});
        const int id = PruefFixture::addInspection(s.ladder, {{"PrHo_Verform", true}, {"PrKennZ_BetrAnl", true},
                                                              {"PrSonstiges", true}, {"PrBes_ErlSchmier", true},
                                                              {"PrMaterial", true}});
        s.make();
        PruefKriterienWege::AutomErlSetzen(*s.fx.leiter, *s.pruef, nullptr);
        QCOMPARE(s.pruef->state(), DataSetState::Browse);
        QVariantMap first = PruefFixture::stored("LT_PRUEF", id);
        QCOMPARE(doneFlags(first),
                 (QStringList{"PrHo_ErlVerform", "PrBes_ErlSchmier", "PrKennZ_ErlBetrAnl", "PrErlSonstiges"}));
        QVERIFY(!first.value("PrErlMaterial").toBool());   // simple ones are not part of the dialog
        PruefKriterienWege::AutomErlSetzen(*s.fx.leiter, *s.pruef, nullptr);
        QVariantMap second = PruefFixture::stored("LT_PRUEF", id);
        for (auto it = first.begin(); it != first.end(); ++it)
            if (it.key() != "HW_ROWVERSION" && !it.key().startsWith("_"))
                QCOMPARE(second.value(it.key()), it.value());
        QCOMPARE(PruefFixture::count("LT_PRUEF"), 1);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    // Without inspections: boxes load unchecked ("Erl.-Setzen": all disabled); OK or the
    // automatic way insert a record holding only LT_ID and the written flags.
    void ladderWithoutInspections_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("enabled");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Pruef.-Setzen") << "pruef" << 24 << false;
        QTest::newRow("Erl.-Setzen") << "erl" << 0 << false;
        QTest::newRow("Autom. Erl.-Setzen") << "autom" << -1 << true;
    }

    void ladderWithoutInspections()
    {
        QFETCH(QString, way);
        QFETCH(int, enabled);
        QFETCH(bool, saved);
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"PruefTermin", QDate(2004, 1, 1)}, {"PrSonstigesText", "Seil"},
                                               {"PrHo_Verform", true}});
        s.make();
        Play p;
        p.clicks = {"SpButtonPanHo"};
        playForm(p);
        if (way == "pruef")
            PruefKriterienWege::PruefSetzen(*s.fx.leiter, *s.pruef, nullptr);
        else if (way == "erl")
            PruefKriterienWege::ErlSetzen(*s.fx.leiter, *s.pruef, nullptr);
        else
            PruefKriterienWege::AutomErlSetzen(*s.fx.leiter, *s.pruef, nullptr);
        if (enabled >= 0)
            QCOMPARE(p.enabled.size(), enabled);
        QCOMPARE(s.pruef->state(), saved ? DataSetState::Browse : DataSetState::Insert);
        const QVariantMap now = current(*s.pruef);
        QCOMPARE(now.value("LT_ID").toInt(), s.ladder);
        QVERIFY(!now.value("Datum").isValid());
        QVERIFY(!now.value("PruefungArt_ID").isValid());
        const QStringList holme = {"PrHo_Verform", "PrHo_Beschaed", "PrHo_Kanten", "PrHo_Abnutzung", "PrHo_Schutzbeh"};
        QCOMPARE(requiredFlags(now), way == "pruef" ? holme : QStringList());
        QCOMPARE(doneFlags(now), QStringList{});
        QCOMPARE(PruefFixture::count("LT_PRUEF"), saved ? 1 : 0);
    }

    // A refused right when the result is written: the choices are dropped, nothing changes.
    void rightsRefused_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("withInspection");
        QTest::addColumn<int>("right");
        QTest::newRow("Detail-Liste without modify") << "detail" << true << int(crModify);
        QTest::newRow("Pruef.-Setzen without modify") << "pruef" << true << int(crModify);
        QTest::newRow("Erl.-Setzen without modify") << "erl" << true << int(crModify);
        QTest::newRow("Autom. without modify") << "autom" << true << int(crModify);
        QTest::newRow("Pruef.-Setzen, no inspection, without insert") << "pruef" << false << int(crInsert);
        QTest::newRow("Autom., no inspection, without insert") << "autom" << false << int(crInsert);
    }

    void rightsRefused()
    {
        QFETCH(QString, way);
        QFETCH(bool, withInspection);
        QFETCH(int, right);
        Setup s;
        s.ladder = PruefFixture::addLadder(5, {{"PrSonstigesText", "Seil"}, {"PrHo_Verform", true}});
        int id = 0;
        if (withInspection)
            id = PruefFixture::addInspection(s.ladder, {{"PrHo_Verform", true}});
        s.make();
        TUserRights rights = TUserRights::all();
        rights.exclude(TUserRight(right));
        s.fx.dm->DataUserControl->setRights(rights);
        s.fx.dm->DataUserControl->setActive(true);
        Play p;
        p.clicks = {"BAlleSetzen"};
        playForm(p);
        try {
            if (way == "detail")
                PruefKriterienWege::DetailListe(*s.fx.leiter, *s.fx.dm->DataUserControl, nullptr);
            else if (way == "pruef")
                PruefKriterienWege::PruefSetzen(*s.fx.leiter, *s.pruef, nullptr);
            else if (way == "erl")
                PruefKriterienWege::ErlSetzen(*s.fx.leiter, *s.pruef, nullptr);
            else
                PruefKriterienWege::AutomErlSetzen(*s.fx.leiter, *s.pruef, nullptr);
            QFAIL("no refusal");
        } catch (const UserControlException& e) {
            QCOMPARE(e.message(), TUserControl::RightErrorText(TUserRight(right)));
        }
        QCOMPARE(s.fx.leiter->state(), DataSetState::Browse);
        QCOMPARE(s.pruef->state(), DataSetState::Browse);
        QCOMPARE(PruefFixture::count("LT_PRUEF"), withInspection ? 1 : 0);
        QCOMPARE(requiredFlags(PruefFixture::stored("LT_LEIT", s.ladder)), QStringList{"PrHo_Verform"});
        if (withInspection)
            QCOMPARE(doneFlags(PruefFixture::stored("LT_PRUEF", id)), QStringList{});
    }

    // A save that fails (row changed by another workstation) leaves the pending values as they
    // were before the dialog; nothing is saved.
    void automFailureLeavesRecordAsBefore()
    {
        Setup s;
        s.ladder = PruefFixture::addLadder(5);
        const int id = PruefFixture::addInspection(s.ladder, {{"PrHo_Verform", true}, {"PrHo_Kanten", true}});
        s.make();
        s.pruef->edit();
        s.pruef->setValue("Datum", QDate(2005, 5, 5));   // the user's pending change
        {
            Table other("LT_PRUEF");
            other.open();
            other.locate("ID", {id});
            other.edit();
            other.setValue("PrHo_Kanten", false);
            other.post();
        }
        QVERIFY_THROWS_EXCEPTION(EngineError, PruefKriterienWege::AutomErlSetzen(*s.fx.leiter, *s.pruef, nullptr));
        QCOMPARE(s.pruef->state(), DataSetState::Edit);
        QCOMPARE(s.pruef->field("Datum").asDate(), QDate(2005, 5, 5));
        QCOMPARE(doneFlags(current(*s.pruef)), QStringList{});
        QCOMPARE(doneFlags(PruefFixture::stored("LT_PRUEF", id)), QStringList{});
    }
};

QTEST_MAIN(TestPruefForm)
#include "tst_pruefform.moc"
