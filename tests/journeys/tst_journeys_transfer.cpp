#include "CursorModel.h"
#include "Dialogs.h"
#include "Engine.h"
#include "JourneyFixture.h"
#include "LeiterGrid.h"
#include "LeiterVerw.h"
#include "ParadoxWriter.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>
extern "C" {
#include <paradox.h>
}

// "Datei → Daten übernehmen ...", "Datensicherung ..." and "Datensicherung zurückladen ..." as
// the office uses them: the file dialogs and questions answered, the grid and the stored rows
// checked afterwards.
class TestJourneysTransfer : public QObject {
    Q_OBJECT

    static QAction* entry(Journey& j, const char* name)
    {
        auto* a = j.w->findChild<QAction*>(name);
        if (!a || !a->isEnabled())
            qFatal("menu entry %s missing or disabled", name);
        return a;
    }

    static qint64 laddersIn(const QString& file)
    {
        sqlite3* h = nullptr;
        sqlite3_open_v2(file.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* st = nullptr;
        qint64 n = -1;
        if (sqlite3_prepare_v2(h, "SELECT COUNT(*) FROM LT_LEIT", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        sqlite3_close(h);
        return n;
    }

private slots:
    void init() { resetDialogsForTest(); }

    // Replacing the register asks first, keeps the old state as a backup, and the grid shows
    // the ladders taken over at once.
    void importReplacesTheRegisterAfterTheQuestion()
    {
        Journey j;
        j.open();
        QTemporaryDir old;
        {
            ParadoxWriter w(old.filePath(QStringLiteral("LT_LEIT.DB")),
                            {{"ID", pxfAutoInc}, {"Nr", pxfLong}, {"KurzBez", pxfAlpha, 30}, {"FirmenAbtID", pxfLong}, {"Art_ID", pxfLong}});
            // Department 2 and kind 1 are the old register's; the old tables hold neither.
            w.addRow({1, 101, QStringLiteral("Stehleiter Größe 2"), 2, 1});
            w.addRow({2, 102, QStringLiteral("Anlegeleiter Süd"), QVariant(), QVariant()});
        }
        {
            ParadoxWriter w(old.filePath(QStringLiteral("LT_PRUEF.DB")), {{"ID", pxfAutoInc}, {"LT_ID", pxfLong}, {"Datum", pxfDate}});
            w.addRow({1, 2, QDate(2023, 4, 5)});
        }
        Dialogs::scriptText(old.filePath(QStringLiteral("LT_LEIT.DB")));
        Dialogs::scriptAnswer(true);
        entry(j, "MDateiUebernahme")->trigger();

        const QStringList texts = Dialogs::shownTexts();
        QVERIFY2(texts.join("\n").contains(QStringLiteral("Das Register enthält schon 5 Leitern")), qPrintable(texts.join("\n")));
        QVERIFY2(Dialogs::shown().last().text.startsWith(QStringLiteral("Datenübernahme abgeschlossen.")),
                 qPrintable(Dialogs::shown().last().text));
        QVERIFY(Dialogs::shown().last().text.contains(QStringLiteral("Leitern (LT_LEIT.DB, Windows-1252): 2 von 2 Zeilen übernommen")));
        QCOMPARE(j.count("LT_LEIT"), 2);
        QCOMPARE(j.ladder(101).value("KurzBez").toString(), QStringLiteral("Stehleiter Größe 2"));
        QVERIFY(j.rowOfNr(101) >= 0);
        QCOMPARE(j.rowOfNr(1), -1);
        // Nothing of the replaced register still shows: not the department path, not the kind.
        TLeiterGrid* g = j.w->grid();
        QCOMPARE(g->model()->index(j.rowOfNr(101), g->cursorModel()->columnOf(QStringLiteral("FirmaAbtText"))).data().toString(), QString());
        QCOMPARE(j.w->leiter()->field(QStringLiteral("Nr")).asInteger(), 101);
        auto* kind = j.w->findChild<QComboBox*>(QStringLiteral("EditLookUpArt"));
        QVERIFY(kind);
        QCOMPARE(kind->currentText(), QString());
        if (!TestDataDir::onServer()) {
            const QStringList kept = QDir(j.dir.path()).entryList({QStringLiteral("tarvino vor Datenübernahme *.sqlite")});
            QCOMPARE(kept.size(), 1);
            QCOMPARE(laddersIn(QDir(j.dir.path()).filePath(kept.first())), 5);
        }
        j.w->findChild<QAction*>("MExVerlaufPruefen")->trigger();
        QVERIFY2(Dialogs::shown().last().text.contains(QStringLiteral("intakt")), qPrintable(Dialogs::shown().last().text));
    }

    // A backup made from the menu comes back: the question names its date and ladders, a ladder
    // added since is gone again, and the grid follows.
    void backupAndRestoreFromTheMenu()
    {
        Journey j;
        j.open();
        QTemporaryDir target;
        const QString file = target.filePath(QStringLiteral("Holmwacht-Sicherung 2026-12-11 09-15-00.sqlite"));
        Dialogs::scriptText(file);
        entry(j, "MDateiSicherung")->trigger();
        if (TestDataDir::onServer()) {
            QVERIFY2(Dialogs::shown().last().text.contains(QStringLiteral("pg_dump")), qPrintable(Dialogs::shown().last().text));
            return;
        }
        QVERIFY2(Dialogs::shown().last().text.contains(QStringLiteral("5 Leitern, 2 Prüfungen")), qPrintable(Dialogs::shown().last().text));
        Journey::addRow(QStringLiteral("LT_LEIT"), {{"Nr", 6}, {"KurzBez", "Neue Leiter"}});
        QCOMPARE(j.count("LT_LEIT"), 6);

        Dialogs::scriptText(file);
        Dialogs::scriptAnswer(true);
        entry(j, "MDateiZurueckladen")->trigger();
        const QString question = Dialogs::shown().at(Dialogs::shown().size() - 2).text;
        QVERIFY2(question.contains(QStringLiteral("Die Datensicherung vom 11.12.2026 09:15 mit 5 Leitern und 2 Prüfungen zurückladen?"))
                     && question.contains(QStringLiteral("Das Register hat jetzt 6 Leitern")),
                 qPrintable(question));
        QVERIFY2(Dialogs::shown().last().text.contains(QStringLiteral("Die Datensicherung ist zurückgeladen")),
                 qPrintable(Dialogs::shown().last().text));
        QCOMPARE(j.count("LT_LEIT"), 5);
        QCOMPARE(j.rowOfNr(6), -1);
        QVERIFY(j.rowOfNr(5) >= 0);
    }
};

QTEST_MAIN(TestJourneysTransfer)
#include "tst_journeys_transfer.moc"
