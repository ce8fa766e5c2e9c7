#include "UserControl.h"
#include "UserRights.h"
#include "XorHex.h"

#include <QtTest>

class TestRights : public QObject {
    Q_OBJECT
private slots:
    void xorHex_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("hex");
        QTest::newRow("no key: plain hex") << "" << "abc" << "616263";
        QTest::newRow("key repeats") << "KX" << "abc" << "2a3a28";
        QTest::newRow("one rights group under KX") << "KX" << "01" << "7b69";
        QTest::newRow("umlaut is one byte") << "" << "ä" << "e4";
        QTest::newRow("empty text") << "KX" << "" << "";
    }

    void xorHex()
    {
        QFETCH(QString, key);
        QFETCH(QString, plain);
        QFETCH(QString, hex);
        QCOMPARE(XorHexEncode(key, plain), hex);
        QCOMPARE(XorHexDecode(key, hex), plain);
        QCOMPARE(XorHexDecode(key, hex.toUpper()), plain);
    }

    void xorHexDecodeOfDamagedText_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("plain");
        QTest::newRow("zz is a space") << "" << "zz" << " ";
        QTest::newRow("the space takes the key") << "KX" << "zz" << "k";
        QTest::newRow("odd last digit ignored") << "" << "616" << "a";
        QTest::newRow("sign is no hex digit") << "" << "+1" << " ";
        QTest::newRow("half a pair bad") << "" << "6g61" << " a";
    }

    void xorHexDecodeOfDamagedText()
    {
        QFETCH(QString, key);
        QFETCH(QString, hex);
        QFETCH(QString, plain);
        QCOMPARE(XorHexDecode(key, hex), plain);
    }

    void rightsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bits");
        QTest::newRow("seven groups 01") << QString("01").repeated(7) << 0x7F;
        QTest::newRow("01 00: view only") << "0100" << 0x01;
        QTest::newRow("empty") << "" << 0x00;
        QTest::newRow("seven groups 00") << QString("00").repeated(7) << 0x00;
        QTest::newRow("short last group") << "01010" << 0x03;
        QTest::newRow("only 01 counts") << "10110210 1" << 0x00;
        QTest::newRow("admin alone") << "000000000000" "01" << 0x40;
        QTest::newRow("an eighth group is no right") << QString("00").repeated(7) + "01" << 0x00;
    }

    void rightsText()
    {
        QFETCH(QString, text);
        QFETCH(int, bits);
        const TUserRights rights = RechteAusText(text);
        QCOMPARE(int(rights.toByte()), bits);
        QCOMPARE(RechteAusText(RechteText(rights)), rights);
        QCOMPARE(RechteText(rights).size(), 14);
    }

    void rightsByte()
    {
        const TUserRights rights{crInsert, crAdmin};
        QCOMPARE(int(rights.toByte()), 0x42);
        QVERIFY(rights.contains(crAdmin));
        QVERIFY(!rights.contains(crView));
        QVERIFY(!TUserRights::all().contains(TUserRight(7)));
        QCOMPARE(RechteText(rights), QStringLiteral("00010000000001"));
    }

    void checkRightMessages_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("message");
        QTest::newRow("crView") << int(crView) << "Keine Berechtigung zum Ansehen von Datensätzen vorhanden";
        QTest::newRow("crInsert") << int(crInsert) << "Keine Berechtigung zum Einfügen von Datensätzen vorhanden";
        QTest::newRow("crModify") << int(crModify) << "Keine Berechtigung zum Ändern von Datensätzen vorhanden";
        QTest::newRow("crDelete") << int(crDelete) << "Keine Berechtigung zum Löschen von Datensätzen vorhanden";
        QTest::newRow("crPrint") << int(crPrint) << "Keine Berechtigung zum Drucken von Datensätzen vorhanden";
        QTest::newRow("crCalcReport") << int(crCalcReport) << "Keine Berechtigung für Reports erstellen vorhanden";
        QTest::newRow("crAdmin has no text") << int(crAdmin) << "Unbekannter Aufruf - bei Berechtigungen";
        QTest::newRow("value 7") << 7 << "Unbekannter Aufruf - bei Berechtigungen";
    }

    // Active and without the right: refused with the right's text; every other right of the
    // set passes, and inactive everything passes.
    void checkRightMessages()
    {
        QFETCH(int, right);
        QFETCH(QString, message);
        const auto r = TUserRight(right);
        TUserControl control;
        control.setActive(true);
        TUserRights others = TUserRights::all();
        others.exclude(r);
        control.setRights(others);
        try {
            control.CheckRight(r);
            QFAIL("right granted");
        } catch (const UserControlException& e) {
            QCOMPARE(e.message(), message);
        }
        for (int o = 0; o < UserRightCount; ++o)
            if (o != right)
                control.CheckRight(TUserRight(o));
        control.setActive(false);
        control.setRights(TUserRights());
        control.CheckRight(r);
        QVERIFY(!control.HasRight(r));
    }

    void onRightErrorAbortsSilently()
    {
        TUserControl control;
        control.setActive(true);
        control.setRights({crView});
        QList<int> reported;
        control.OnRightError = [&](TUserRight r) { reported << int(r); };
        QVERIFY_THROWS_EXCEPTION(Abort, control.CheckRight(crDelete));
        control.CheckRight(crView);
        QCOMPARE(reported, QList<int>{int(crDelete)});
    }

    // OnChange only on a different value or Change(); the user name notifies nobody.
    void onChange()
    {
        TUserControl control;
        int calls = 0;
        TUserControl* sender = nullptr;
        control.OnChange = [&](TUserControl* c) { ++calls; sender = c; };
        control.setActive(false);
        control.setRights(TUserRights());
        control.UserName = QStringLiteral("Anna");
        QCOMPARE(calls, 0);
        control.setActive(true);
        control.setRights({crPrint});
        control.setRights({crPrint});
        QCOMPARE(calls, 2);
        control.Change();
        QCOMPARE(calls, 3);
        QCOMPARE(sender, &control);
        QVERIFY(control.HasRight(crPrint));
        control.setActive(false);
        QVERIFY(control.HasRight(crPrint));   // HasRight ignores Active
        QVERIFY(!control.HasRight(crAdmin));
    }
};

QTEST_MAIN(TestRights)
#include "tst_rights.moc"
