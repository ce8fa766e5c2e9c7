#include "BarcodePortConfig.h"
#include "BarcodeWert.h"
#include "BarcodeSuche.h"
#include "ComPort.h"
#include "Dialogs.h"
#include "Table.h"
#include "TbcSuchCom.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal pair: the program opens the slave end as its serial port, the test plays
// the scanner by writing into the master end.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_slave = QString::fromLocal8Bit(::ptsname(m_master));
    }
    ~PseudoTerminal() { closeMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    QString slave() const { return m_slave; }
    bool write(const QByteArray& bytes) const
    {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_slave;
};

class TestComPort : public QObject {
    Q_OBJECT

    QStringList m_asked;

    // A shown serial dialog on the pseudo terminal; ladders 11 and 4711 exist.
    std::unique_ptr<TbcSuchCom> dialogOn(const QString& port)
    {
        BarcodePortConfig::instance().startPort = port;
        auto d = std::make_unique<TbcSuchCom>();
        d->OnLeiterSuchen = [this](const QString& code) {
            m_asked << code;
            return code == QStringLiteral("11") || code == QStringLiteral("4711");
        };
        d->Vorbereiten();
        d->setAutoSchliessen(false);
        d->PortVorbereiten(false);
        d->show();
        return d;
    }
    static QLabel* panCom(QWidget* d) { return d->findChild<QLabel*>("PanCom"); }
    static QPushButton* onOff(QWidget* d) { return d->findChild<QPushButton*>("B_ONOFF"); }
    static QLineEdit* edit(QWidget* d) { return d->findChild<QLineEdit*>("EditSuchen"); }
    static QColor panColor(QWidget* d) { return panCom(d)->palette().color(QPalette::WindowText); }

    static termios slaveTermios(const QString& slave)
    {
        termios tio{};
        const int fd = ::open(slave.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            ::tcgetattr(fd, &tio);
            ::close(fd);
        }
        return tio;
    }

private slots:
    void init()
    {
        resetDialogsForTest();
        m_asked.clear();
        BarcodePortConfig::instance() = BarcodePortConfig();
        BarcodeWert::setWebBasis(QString());
    }
    void cleanup() { BarcodeWert::setWebBasis(QString()); }

    void receivedCodes_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("basis");
        const QString url = QStringLiteral("https://leitern.firma.local:8443");
        QTest::newRow("phone address in three chunks")
            << QList<QByteArray>{"https://leitern.fir", "ma.local:8443/l/47", "11\r"} << url + "/l/4711"
            << QStringList{"4711"} << "Leiter 4711 gefunden" << url;
        QTest::newRow("number after a phone address")
            << QList<QByteArray>{"https://leitern.firma.local:8443/l/11\r", "47", "11\r"} << "11"
            << QStringList{"11", "11"} << "Leiter 11 gefunden" << url;
        QTest::newRow("code and CR in one chunk") << QList<QByteArray>{"4711\r"} << "4711" << QStringList{"4711"}
                                                  << "Leiter 4711 gefunden" << QString();
        QTest::newRow("code in two chunks") << QList<QByteArray>{"47", "11\r"} << "11" << QStringList{"11"}
                                            << "Leiter 11 gefunden" << QString();
        QTest::newRow("CR and LF") << QList<QByteArray>{"4711\r\n"} << "4711\r\n" << QStringList() << "" << QString();
        QTest::newRow("lone CR") << QList<QByteArray>{"\r"} << "" << QStringList() << "Fehler : Eingabefeld ist leer" << QString();
        QTest::newRow("no CR") << QList<QByteArray>{"4711"} << "4711" << QStringList() << "" << QString();
        QTest::newRow("not a number") << QList<QByteArray>{"12a\r"} << "12a" << QStringList()
                                      << "12a ist keine gültige Eingabe" << QString();
        QTest::newRow("unknown ladder") << QList<QByteArray>{"0815\r"} << "0815" << QStringList{"0815"}
                                        << "Leiter 0815 nicht gefunden" << QString();
    }
    void receivedCodes()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QString, input);
        QFETCH(QStringList, asked);
        QFETCH(QString, result);
        QFETCH(QString, basis);
        BarcodeWert::setWebBasis(basis);
        PseudoTerminal pty;
        QVERIFY(!pty.slave().isEmpty());
        auto d = dialogOn(pty.slave());
        QCOMPARE(panCom(d.get())->text(), QStringLiteral(" COM : nicht aktiv"));
        QCOMPARE(onOff(d.get())->text(), QStringLiteral("Öffnen"));

        QTest::mouseClick(onOff(d.get()), Qt::LeftButton);
        QCOMPARE(Dialogs::shown().size(), 0);
        QVERIFY(d->ComPort()->Connected());
        QVERIFY(d->ComAktiv());
        QCOMPARE(panCom(d.get())->text(), QStringLiteral(" COM : aktiv"));
        QCOMPARE(panColor(d.get()), QColor(0, 128, 0));
        QCOMPARE(onOff(d.get())->text(), QStringLiteral("Schließen"));

        QSignalSpy received(d->ComPort(), &TComPort::RxChar);
        for (int i = 0; i < chunks.size(); ++i) {
            QVERIFY(pty.write(chunks[i]));
            QTRY_COMPARE_WITH_TIMEOUT(received.count(), i + 1, 5000);
        }
        QCOMPARE(edit(d.get())->text(), input);
        QCOMPARE(m_asked, asked);
        QCOMPARE(d->ergebnis(), result);
        QVERIFY(d->isVisible());

        QTest::mouseClick(onOff(d.get()), Qt::LeftButton);
        QVERIFY(!d->ComPort()->Connected());
        QVERIFY(!d->ComAktiv());
        QCOMPARE(panCom(d.get())->text(), QStringLiteral(" COM : nicht aktiv"));
        QCOMPARE(panColor(d.get()), QColor(255, 0, 0));
        QCOMPARE(onOff(d.get())->text(), QStringLiteral("Öffnen"));
    }

    // With auto close a scan that finds its ladder closes the dialog, and with it the port.
    void scanClosesDialog()
    {
        PseudoTerminal pty;
        auto d = dialogOn(pty.slave());
        d->setAutoSchliessen(true);
        QTest::mouseClick(onOff(d.get()), Qt::LeftButton);
        QVERIFY(d->ComPort()->Connected());
        QVERIFY(pty.write("11\r"));
        QTRY_VERIFY_WITH_TIMEOUT(!d->isVisible(), 5000);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QVERIFY(d->Gefunden());
        QVERIFY(!d->ComPort()->Connected());
        QVERIFY(d->ComAktiv());     // it was open: the next dialog opens it again
        // The port is free again.
        TComPort other;
        other.SetPort(pty.slave());
        other.Open();
        QVERIFY(other.Connected());
    }

    void portCannotBeOpened_data()
    {
        QTest::addColumn<bool>("inUse");
        QTest::addColumn<int>("code");
        QTest::newRow("missing device") << false << ENOENT;
        QTest::newRow("port in use") << true << EBUSY;
    }
    void portCannotBeOpened()
    {
        QFETCH(bool, inUse);
        QFETCH(int, code);
        PseudoTerminal pty;
        TComPort holder;
        if (inUse) {
            holder.SetPort(pty.slave());
            holder.Open();
        }
        auto d = dialogOn(inUse ? pty.slave() : QStringLiteral("/dev/holmwacht-kein-port"));
        QSignalSpy opened(d->ComPort(), &TComPort::AfterOpen);
        QTest::mouseClick(onOff(d.get()), Qt::LeftButton);
        QCOMPARE(Dialogs::shown().size(), 1);
        QCOMPARE(Dialogs::shown()[0].kind, Dialogs::Kind::Error);
        QCOMPARE(Dialogs::shown()[0].text, QStringLiteral("Unable to open com port (win error code: %1)").arg(code));
        QCOMPARE(opened.count(), 0);
        QVERIFY(!d->ComPort()->Connected());
        QVERIFY(!d->ComAktiv());
        QCOMPARE(panCom(d.get())->text(), QStringLiteral(" COM : nicht aktiv"));
        QCOMPARE(onOff(d.get())->text(), QStringLiteral("Öffnen"));
        // Typed input still works.
        QTest::keyClicks(edit(d.get()), "11");
        QTest::keyClick(edit(d.get()), Qt::Key_Return);
        QCOMPARE(d->ergebnis(), QStringLiteral("Leiter 11 gefunden"));
    }

    // An adapter pulled while the port is open: the dialog shows the port closed.
    void deviceGoneShowsClosed()
    {
        PseudoTerminal pty;
        auto d = dialogOn(pty.slave());
        QTest::mouseClick(onOff(d.get()), Qt::LeftButton);
        QVERIFY(d->ComAktiv());
        pty.closeMaster();
        QTRY_COMPARE_WITH_TIMEOUT(panCom(d.get())->text(), QStringLiteral(" COM : nicht aktiv"), 5000);
        QVERIFY(!d->ComAktiv());
        QVERIFY(!d->ComPort()->Connected());
        QCOMPARE(onOff(d.get())->text(), QStringLiteral("Öffnen"));
    }

    // The port stays open across searches only through OK; the next serial search opens it at
    // once, Cancel leaves that as it was, closing it and OK ends it.
    void okWithOpenPortReopensNextTime()
    {
        TestDataDir dir;
        {
            Table t("LT_LEIT");
            t.open();
            t.append();
            t.setValue("Nr", 11);
            t.setValue("KurzBez", "Stehleiter");
            t.post();
        }
        Table leiter("LT_LEIT");
        leiter.setIndexFieldNames("Nr");
        leiter.open();
        QWidget window;
        BarcodeSuche suche(&leiter, &window);
        PseudoTerminal pty;
        BarcodePortConfig::instance().startPort = pty.slave();

        struct Seen {
            bool openAtStart = false;
            QString panAtStart;
        };
        auto run = [&](const std::function<void(TbcSuchCom*)>& user) {
            Seen seen;
            Dialogs::setFormHook([&](QDialog* dialog) {
                auto* d = qobject_cast<TbcSuchCom*>(dialog);
                seen.openAtStart = d->ComPort()->Connected();
                seen.panAtStart = panCom(d)->text();
                d->show();
                user(d);
                return d->result();
            });
            suche.ActBcSuchComLeiterExecute();
            return seen;
        };
        const auto click = [](QWidget* d, const char* name) {
            QTest::mouseClick(d->findChild<QPushButton*>(name), Qt::LeftButton);
        };

        Seen s = run([&](TbcSuchCom* d) {
            click(d, "B_ONOFF");
            click(d, "BClose");
        });
        QVERIFY(!s.openAtStart);
        QVERIFY(suche.einstellungen().BcComAktiv);

        bool scanned = false;
        s = run([&](TbcSuchCom* d) {
            pty.write("11\r");
            scanned = QTest::qWaitFor([d] { return d->Gefunden(); }, 5000);
            click(d, "BCancel");
        });
        QVERIFY(s.openAtStart);
        QCOMPARE(s.panAtStart, QStringLiteral(" COM : aktiv"));
        QVERIFY(scanned);
        QVERIFY(suche.einstellungen().BcComAktiv);

        s = run([&](TbcSuchCom* d) {
            click(d, "B_ONOFF");
            click(d, "BClose");
        });
        QVERIFY(s.openAtStart);
        QVERIFY(!suche.einstellungen().BcComAktiv);

        s = run([&](TbcSuchCom* d) { click(d, "BClose"); });
        QVERIFY(!s.openAtStart);
        QCOMPARE(s.panAtStart, QStringLiteral(" COM : nicht aktiv"));
    }

    // The automatic open fails: no dialog, the error is raised, and the next search tries again.
    void failedReopenEndsAction()
    {
        TestDataDir dir;
        Table leiter("LT_LEIT");
        leiter.open();
        QWidget window;
        BarcodeSuche suche(&leiter, &window);
        suche.einstellungen().BcComAktiv = true;
        BarcodePortConfig::instance().startPort = QStringLiteral("/dev/holmwacht-kein-port");
        int focus = 0;
        suche.focusGrid = [&] { ++focus; };
        try {
            suche.ActBcSuchComLeiterExecute();
            QFAIL("no error");
        } catch (const HwError& e) {
            QCOMPARE(e.message(), QStringLiteral("Unable to open com port (win error code: %1)").arg(ENOENT));
        }
        QVERIFY(Dialogs::shown().isEmpty());
        QVERIFY(suche.einstellungen().BcComAktiv);
        QCOMPARE(focus, 2);
    }

    // "Communication Settings": presets, and the parameters applied to the open port on OK only.
    void settingsDialog()
    {
        PseudoTerminal pty;
        auto d = dialogOn(pty.slave());
        QTest::mouseClick(onOff(d.get()), Qt::LeftButton);
        QVERIFY(d->ComPort()->Connected());

        const auto choose = [](QDialog* s, bool ok) {
            s->findChild<QComboBox*>("BaudRate")->setCurrentText("19200");
            QTest::mouseClick(s->findChild<QPushButton*>("BRtsCts"), Qt::LeftButton);
            QTest::mouseClick(s->findChild<QPushButton*>("BClearAll"), Qt::LeftButton);
            QTest::mouseClick(s->findChild<QPushButton*>("BXonXoff"), Qt::LeftButton);
            QTest::mouseClick(s->findChild<QPushButton*>(ok ? "BOK" : "BCancel"), Qt::LeftButton);
        };
        QString caption;
        QStringList groups, ports;
        int rates = 0;
        bool presetRtsCts = false;
        Dialogs::setFormHook([&](QDialog* s) {
            caption = s->windowTitle();
            for (QGroupBox* g : s->findChildren<QGroupBox*>())
                groups << g->title();
            auto* port = s->findChild<QComboBox*>("CommPort");
            for (int i = 0; i < port->count(); ++i)
                ports << port->itemText(i);
            rates = s->findChild<QComboBox*>("BaudRate")->count();
            QTest::mouseClick(s->findChild<QPushButton*>("BRtsCts"), Qt::LeftButton);
            presetRtsCts = s->findChild<QComboBox*>("RtsInput")->currentText() == "Handshake"
                           && s->findChild<QCheckBox*>("CtsOutput")->isChecked();
            choose(s, false);
            return s->result();
        });
        QTest::mouseClick(d->findChild<QPushButton*>("Button_Settings"), Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("Communication Settings"));
        QVERIFY(groups.contains("Common Settings") && groups.contains("Flow Control"));
        QCOMPARE(ports.mid(0, 4), (QStringList{"COM 1", "COM 2", "COM 3", "COM 4"}));
        QVERIFY(ports.contains(pty.slave()));
        QCOMPARE(rates, 13);
        QVERIFY(presetRtsCts);
        QCOMPARE(d->ComPort()->settings().baudRate, 9600);
        const termios before = slaveTermios(pty.slave());
        QCOMPARE(::cfgetispeed(&before), speed_t(B9600));

        Dialogs::setFormHook([&](QDialog* s) {
            choose(s, true);
            return s->result();
        });
        QTest::mouseClick(d->findChild<QPushButton*>("Button_Settings"), Qt::LeftButton);
        QCOMPARE(Dialogs::unscriptedCount(), 0);
        QCOMPARE(d->ComPort()->settings().baudRate, 19200);
        QVERIFY(d->ComPort()->settings().flow.xonXoffInput && d->ComPort()->settings().flow.xonXoffOutput);
        const termios tio = slaveTermios(pty.slave());
        QCOMPARE(::cfgetispeed(&tio), speed_t(B19200));
        QVERIFY(tio.c_iflag & IXON);
        QVERIFY(tio.c_iflag & IXOFF);
        QVERIFY(d->ComPort()->Connected());

        // DTR/DSR handshake is beyond the port: refused, nothing changed.
        Dialogs::setFormHook([&](QDialog* s) {
            QTest::mouseClick(s->findChild<QPushButton*>("BDtrDsr"), Qt::LeftButton);
            QTest::mouseClick(s->findChild<QPushButton*>("BOK"), Qt::LeftButton);
            return s->result();
        });
        QTest::mouseClick(d->findChild<QPushButton*>("Button_Settings"), Qt::LeftButton);
        QCOMPARE(Dialogs::shown().last().text, QStringLiteral("SetCommState function failed (win error code: %1)").arg(EINVAL));
        QCOMPARE(d->ComPort()->settings().flow.dtrInput, ComDtrControl::Disable);
        QVERIFY(d->ComPort()->Connected());
    }

    void portNames_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("startPort");
        QTest::newRow("default device") << "" << "COM2" << "/dev/ttyS1" << "COM1";
        QTest::newRow("configured device") << "[Barcode]\nCOM2=/dev/ttyUSB0\n" << "com2" << "/dev/ttyUSB0" << "COM1";
        QTest::newRow("start port") << "[barcode]\nPort=/dev/ttyACM0\n" << "/dev/ttyACM0" << "/dev/ttyACM0" << "/dev/ttyACM0";
        QTest::newRow("beyond COM8") << "" << "COM9" << "COM9" << "COM1";
    }
    void portNames()
    {
        QFETCH(QString, ini);
        QFETCH(QString, port);
        QFETCH(QString, location);
        QFETCH(QString, startPort);
        QTemporaryDir dir;
        QFile file(dir.filePath("tarvino.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[System]\nNetFileDir=x\n" + ini.toUtf8());
        file.close();
        const BarcodePortConfig config = readBarcodePortConfig(file.fileName());
        QCOMPARE(comSystemLocation(port, config), location);
        QCOMPARE(config.startPort, startPort);
    }
};

QTEST_MAIN(TestComPort)
#include "tst_comport.moc"
