#include "DataModule.h"
#include "Dialogs.h"
#include "Features.h"
#include "FensterLage.h"
#include "KurzBezVorschlaege.h"
#include "LadderPages.h"
#include "LeiterRegeln.h"
#include "LeiterVerw.h"
#include "Table.h"
#include "TestSupport.h"
#include "UserState.h"

#include <QFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

// The main window's size and place per workstation, on a virtual screen of 1280 × 1024 (set up
// in main below).
class TestFensterLage : public QObject {
    Q_OBJECT

    struct Register {
        TestDataDir dir;
        QTemporaryDir programDir;
        std::unique_ptr<TDataModule1> dm;
        std::unique_ptr<TLeiterVerw> w;

        Register()
        {
            KurzBezVorschlaege::setVerzeichnis(programDir.path());
            Table t(QStringLiteral("LT_LEIT"));
            t.open();
            t.append();
            t.setValue(QStringLiteral("Nr"), 1);
            t.setValue(QStringLiteral("KurzBez"), QStringLiteral("Stehleiter"));
            t.post();
        }
        ~Register()
        {
            w.reset();
            dm.reset();
            KurzBezVorschlaege::setVerzeichnis(QString());
        }
        TLeiterVerw& open()
        {
            w.reset();
            dm = std::make_unique<TDataModule1>();
            w = std::make_unique<TLeiterVerw>(*dm);
            plugFeatures(*w);
            w->show();
            [this] { QVERIFY(QTest::qWaitForWindowExposed(w.get())); }();
            return *w;
        }
        // "Ende" with the question answered: the window closes as the user closes it.
        void close()
        {
            Dialogs::scriptAnswer(true);
            w->close();
            QVERIFY(!w->isVisible());
        }
    };

private slots:
    void init()
    {
        resetDialogsForTest();
        LeiterNrPolitik::reset();
        UserState::reset();
    }

    // A first start shows the whole ladder page: no horizontal scroll bar, the window inside the
    // screen.
    void firstStartShowsTheWholeLadderPage()
    {
        Register r;
        TLeiterVerw& w = r.open();
        QVERIFY(!QFile::exists(FensterLage::datei()));
        const QRect screen = w.screen()->availableGeometry();
        QCOMPARE(screen.size(), QSize(1280, 1024));
        QVERIFY2(screen.contains(w.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(w.x()).arg(w.y()).arg(w.width()).arg(w.height())));
        QVERIFY(w.width() > w.minimumWidth());
        auto* scroll = w.allgemeinPage()->parentWidget()->parentWidget();
        auto* area = qobject_cast<QScrollArea*>(scroll);
        QVERIFY(area);
        QVERIFY(!area->horizontalScrollBar()->isVisible());
        QVERIFY(!area->verticalScrollBar()->isVisible());
        QVERIFY(area->viewport()->width() >= w.allgemeinPage()->sizeHint().width());
    }

    // Size, place and the maximised state come back at the next start of this workstation.
    void placementRemembered_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::newRow("normal") << false;
        QTest::newRow("maximised") << true;
    }

    void placementRemembered()
    {
        QFETCH(bool, maximised);
        Register r;
        TLeiterVerw& w = r.open();
        const QRect left(QPoint(40, 60), QSize(900, 700));
        w.setGeometry(left);
        QTRY_COMPARE(w.geometry(), left);
        if (maximised) {
            w.showMaximized();
            QTRY_VERIFY(w.isMaximized());
        }
        r.close();

        TLeiterVerw& again = r.open();
        QCOMPARE(again.isMaximized(), maximised);
        if (maximised)
            again.showNormal();
        QTRY_COMPARE(again.geometry(), left);
    }

    // A remembered place on a screen no longer there, or larger than the screen: the window
    // comes onto the screen at hand, no larger than it.
    void rememberedPlaceFitsTheScreen_data()
    {
        QTest::addColumn<QRect>("remembered");
        QTest::newRow("screen removed") << QRect(3000, 200, 900, 700);
        QTest::newRow("larger than the screen") << QRect(-50, -40, 2000, 1500);
        QTest::newRow("half off the bottom") << QRect(600, 800, 900, 700);
    }

    void rememberedPlaceFitsTheScreen()
    {
        QFETCH(QRect, remembered);
        Register r;
        QVERIFY(FensterLage::schreiben(FensterLage::datei(), {remembered, false}));
        TLeiterVerw& w = r.open();
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY2(screen.contains(w.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(w.x()).arg(w.y()).arg(w.width()).arg(w.height())));
        if (remembered.width() <= screen.width() && remembered.height() <= screen.height())
            QCOMPARE(w.size(), remembered.size());
    }

    // The placement on the screens at hand, for a remembered rectangle and a set of screens.
    void onScreen_data()
    {
        QTest::addColumn<QRect>("remembered");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("on the first screen") << QRect(100, 100, 800, 600) << QRect(100, 100, 800, 600);
        QTest::newRow("on the second screen") << QRect(1500, 100, 800, 600) << QRect(1500, 100, 800, 600);
        QTest::newRow("across both: where most of it is") << QRect(1200, 100, 800, 600) << QRect(1280, 100, 800, 600);
        QTest::newRow("larger than the second") << QRect(1300, 0, 2500, 1200) << QRect(1280, 0, 1920, 1080);
        QTest::newRow("on no screen") << QRect(5000, 100, 800, 600) << QRect();
    }

    void onScreen()
    {
        QFETCH(QRect, remembered);
        QFETCH(QRect, expected);
        const QList<QRect> screens{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
        const std::optional<QRect> r = FensterLage::aufBildschirm(remembered, screens, QSize(604, 522));
        QCOMPARE(r.value_or(QRect()), expected);
    }
};

int main(int argc, char** argv)
{
    // One virtual screen of 1280 × 1024, the size of the office screen the window is made for.
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("screens.json"));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    f.write(R"({"screens": [{"name": "Buero", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(file));
    QApplication app(argc, argv);
    TestFensterLage t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_fensterlage.moc"
