#include "Dialogs.h"
#include "TbcSuchCom.h"
#include "TbcSuchForm.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

// The search dialogs on their own: a search callback that knows ladder 17 and records what it
// was asked. Every test runs on both dialogs, which share one design.
class TestBarcodeDialog : public QObject {
    Q_OBJECT

    QStringList m_asked;

    std::unique_ptr<TbcSuchDialog> make(bool serial)
    {
        std::unique_ptr<TbcSuchDialog> d;
        if (serial)
            d = std::make_unique<TbcSuchCom>();
        else
            d = std::make_unique<TbcSuchForm>();
        d->OnLeiterSuchen = [this](const QString& code) {
            m_asked << code;
            return code == QStringLiteral("17");
        };
        d->Vorbereiten();
        d->setAutoSchliessen(false);
        d->show();
        if (!QTest::qWaitForWindowExposed(d.get()))
            qWarning("dialog not exposed");
        return d;
    }
    static QLineEdit* edit(TbcSuchDialog* d) { return d->findChild<QLineEdit*>("EditSuchen"); }
    static QLabel* panel(TbcSuchDialog* d) { return d->findChild<QLabel*>("PanelSuche"); }
    static void click(TbcSuchDialog* d, const char* name)
    {
        auto* b = d->findChild<QAbstractButton*>(name);
        // Radio and check boxes take clicks on their indicator and text only.
        const bool box = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
        QTest::mouseClick(b, Qt::LeftButton, {}, box ? QPoint(6, b->height() / 2) : QPoint());
    }

    static void bothDialogs()
    {
        QTest::addColumn<bool>("serial");
        QTest::newRow("TbcSuchForm") << false;
        QTest::newRow("TbcSuchCom") << true;
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        m_asked.clear();
    }

    void controls_data() { bothDialogs(); }
    void controls()
    {
        QFETCH(bool, serial);
        auto d = make(serial);
        QCOMPARE(d->windowTitle(), serial ? QStringLiteral("Suchen nach LeiterNr mit Barcode - Scanner / Com")
                                          : QStringLiteral("Suchen nach Leiternummer mit Barcode - Scanner"));
        const QList<QPair<const char*, QString>> captions = {
            {"BSuchen", "&Leiter suchen"}, {"rbAwAllg", "&Allgemein"}, {"rbAwErf", "&erforderl. Prüfungen"},
            {"rbAwPruef", "&Prüfungsübersicht"}, {"cbFormClose", "&Fenster autom. schließen"},
            {"BCancel", "Abbrechen"}, {"BClose", "OK"}};
        for (const auto& [name, caption] : captions)
            QCOMPARE(d->findChild<QAbstractButton*>(name)->text(), caption);
        QStringList labels;
        for (QLabel* l : d->findChildren<QLabel*>())
            labels << l->text();
        for (const char* text : {"Leiter.- Nr :", "Auswahl Seite :", "bei gefundener Leiter :"})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        QVERIFY(edit(d.get())->hasFocus());
        QCOMPARE(d->size(), d->minimumSize());
        QCOMPARE(d->size(), d->maximumSize());
    }

    // Enter searches and keeps the dialog open; F9 empties the input, also from another control;
    // Esc closes with Cancel.
    void keys_data() { bothDialogs(); }
    void keys()
    {
        QFETCH(bool, serial);
        auto d = make(serial);
        QLineEdit* e = edit(d.get());
        QTest::keyClicks(e, "42");
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(m_asked, QStringList{"42"});
        QVERIFY(d->isVisible());
        QCOMPARE(d->ergebnis(), QStringLiteral("Leiter 42 nicht gefunden"));
        QCOMPARE(e->selectedText(), QStringLiteral("42"));

        QTest::keyClick(e, Qt::Key_F9);
        QCOMPARE(e->text(), QString());
        QCOMPARE(d->ergebnis(), QString());

        QTest::keyClicks(e, "17");
        auto* radio = d->findChild<QRadioButton*>("rbAwPruef");
        radio->setFocus();
        QTest::keyClick(radio, Qt::Key_F9);
        QCOMPARE(e->text(), QString());
        QVERIFY(e->hasFocus());

        QTest::keyClick(e, Qt::Key_Escape);
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    // A hit with auto close off; one more digit clears the hit, OK then searches the new text.
    void moreDigitAfterHit_data() { bothDialogs(); }
    void moreDigitAfterHit()
    {
        QFETCH(bool, serial);
        auto d = make(serial);
        QLineEdit* e = edit(d.get());
        QTest::keyClicks(e, "17");
        QTest::keyClick(e, Qt::Key_Enter);
        QVERIFY(d->Gefunden());
        QCOMPARE(d->ergebnis(), QStringLiteral("Leiter 17 gefunden"));
        QCOMPARE(d->ergebnisFarbe(), QColor(0, 0, 0));
        QVERIFY(d->isVisible());

        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_1);
        QVERIFY(!d->Gefunden());
        QCOMPARE(d->ergebnis(), QString());

        click(d.get(), "BClose");
        QCOMPARE(m_asked, (QStringList{"17", "171"}));
        QVERIFY(d->isVisible());
        QCOMPARE(d->ergebnis(), QStringLiteral("Leiter 171 nicht gefunden"));
        QCOMPARE(d->ergebnisFarbe(), QColor(255, 0, 0));
    }

    // OK: empty input closes without a search; a text not searched yet is searched first and
    // closes only on a hit; auto close takes a hit at once, without a result line.
    void okRules_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("autoClose");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("result");
        for (bool serial : {false, true}) {
            const char* n = serial ? "Com: " : "Form: ";
            QTest::addRow("%sOK on empty input", n) << serial << "" << false << "BClose" << true << false << QStringList()
                                                   << "";
            QTest::addRow("%sOK on unknown number", n) << serial << "99" << false << "BClose" << false << false
                                                      << QStringList{"99"} << "Leiter 99 nicht gefunden";
            QTest::addRow("%sOK on invalid text", n) << serial << "1x" << false << "BClose" << false << false
                                                    << QStringList() << "1x ist keine gültige Eingabe";
            QTest::addRow("%sOK on a hit not yet searched", n) << serial << "17" << false << "BClose" << true << true
                                                              << QStringList{"17"} << "Leiter 17 gefunden";
            QTest::addRow("%sLeiter suchen with auto close", n) << serial << "17" << true << "BSuchen" << true << true
                                                               << QStringList{"17"} << "";
        }
    }
    void okRules()
    {
        QFETCH(bool, serial);
        QFETCH(QString, typed);
        QFETCH(bool, autoClose);
        QFETCH(QString, button);
        QFETCH(bool, closed);
        QFETCH(bool, found);
        QFETCH(QStringList, asked);
        QFETCH(QString, result);
        auto d = make(serial);
        d->setAutoSchliessen(autoClose);
        QTest::keyClicks(edit(d.get()), typed);
        click(d.get(), qPrintable(button));
        QCOMPARE(!d->isVisible(), closed);
        if (closed)
            QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(d->Gefunden(), found);
        QCOMPARE(m_asked, asked);
        QCOMPARE(d->ergebnis(), result);
    }

    // Cancel after a hit: closed with Cancel, the hit is still known to the caller.
    void cancelAfterHit_data() { bothDialogs(); }
    void cancelAfterHit()
    {
        QFETCH(bool, serial);
        auto d = make(serial);
        QTest::keyClicks(edit(d.get()), "17");
        QTest::keyClick(edit(d.get()), Qt::Key_Return);
        click(d.get(), "rbAwErf");
        QCOMPARE(d->Seite(), 1);
        click(d.get(), "BCancel");
        QVERIFY(!d->isVisible());
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QVERIFY(d->Gefunden());
    }

    void seiteSetzen_data()
    {
        QTest::addColumn<int>("seite");
        QTest::addColumn<QString>("checked");
        QTest::newRow("0") << 0 << "rbAwAllg";
        QTest::newRow("1") << 1 << "rbAwErf";
        QTest::newRow("2") << 2 << "rbAwPruef";
        QTest::newRow("7") << 7 << "rbAwAllg";
    }
    void seiteSetzen()
    {
        QFETCH(int, seite);
        QFETCH(QString, checked);
        TbcSuchForm d;
        d.SeiteSetzen(2 - seite % 3);     // from another page
        d.SeiteSetzen(seite);
        QVERIFY(d.findChild<QRadioButton*>(checked)->isChecked());
        QCOMPARE(d.Seite(), seite);
    }
};

QTEST_MAIN(TestBarcodeDialog)
#include "tst_barcodedialog.moc"
