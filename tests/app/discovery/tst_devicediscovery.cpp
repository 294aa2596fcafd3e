#include "tests/app/AppTestSupport.h"

#include "tests/support/Recorder.h"
#include "app/discovery/DeviceDiscovery.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QUdpSocket>

// Device discovery with real datagrams, on a port of the test's own (other programs here may listen on
// the discovery port): listing, adoption and link, the machine version, the bounds against floods and silence.
class TestDeviceDiscovery : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> m_fx;
    std::unique_ptr<DeviceDiscovery> m_discovery;

    bool send(const QByteArray &datagram, const QString &from = QStringLiteral("127.0.0.1"))
    {
        QUdpSocket socket;
        return socket.bind(QHostAddress(from), 0)
               && socket.writeDatagram(datagram, QHostAddress::LocalHost, m_discovery->port()) == datagram.size();
    }
    bool listed(const QString &id) { return m_discovery->onlineDevices().contains(id); }
    // The controller id announces itself from the address; true once listed.
    bool announce(const QString &id, const QString &from = QStringLiteral("127.0.0.1"))
    {
        return send("DISA;" + id.toLatin1() + '\x03', from) && QTest::qWaitFor([&] { return listed(id); }, 5000);
    }
    void start(const QByteArray &configIni = "[Dravolinte]\nIdent=ZZ07x50000\nVersion=3\n")
    {
        m_discovery.reset();
        m_fx = std::make_unique<AppFixture>(configIni);
        m_discovery = std::make_unique<DeviceDiscovery>(0);
        m_discovery->setDriver(m_fx->driver.get());
    }

private slots:
    // Junk of every kind is read and dropped; controllers are listed in id order, with their model names.
    void listsControllersOnly()
    {
        start();
        writeFile(m_fx->dir.filePath("dev.ini"), "[DeviceModel]\n10265=VK-120X/Roll\n");
        const QList<QByteArray> junk = {"SM07x5bad1\x03", "disa;SM07x5bad2\x03", "DISA;SM07x5bad3", "DISA;SM07x9bad4\x03",
                                        "DISA;" + QByteArray(65, 'Q') + '\x03', "DISA;SM07x5bad5\x03" + QByteArray(2000, 'x'),
                                        QByteArray("DISA;SM07\0x5bad6\x03", 17), "DISA;SM07x5\xff\xfe\x03",
                                        QByteArray("\x02\x00\x03\xfe", 4), QByteArray()};
        for (int round = 0; round < 30; ++round) {
            for (const QByteArray &datagram : junk)
                QVERIFY(send(datagram));
            QTest::qWait(2); // read as it comes: a kernel buffer that overflows drops datagrams unread
        }
        QTest::ignoreMessage(QtInfoMsg, "DravolinteApp::slotUdpRecv VK-120X Roll 127.0.0.1 SM07X5order1 07x5");
        const QString longest = QStringLiteral("SM07x5") + QString(58, 'z');
        QVERIFY(announce("SM07x5order2") && announce("SM07X5order1") && announce(longest));
        QCOMPARE(m_discovery->onlineDevices(), (QStringList{"SM07X5order1", "SM07x5order2", longest}));
        QCOMPARE(m_fx->config->ident(), QStringLiteral("ZZ07x50000"));
    }

    // The first controller heard is adopted and linked; heard from a new address, the driver moves there.
    void adoptsFirstControllerAndLinks()
    {
        start("[Dravolinte]\nVersion=3\n");
        SimController sim, moved;
        QVERIFY(sim.start() && moved.start() && announce("SM07x5adopt", sim.address()));
        QVERIFY(m_fx->driver->ident() == "SM07x5adopt" && QTest::qWaitFor([&] { return m_fx->driver->isReady(); }, 10000));
        QCOMPARE(QSettings(m_fx->config->cfgPath(), QSettings::IniFormat).value("Dravolinte/Ident").toString(), "SM07x5adopt");
        QVERIFY(announce("SM07x5adopt", moved.address()));
        QVERIFY(QTest::qWaitFor([&] { return m_fx->driver->ip() == moved.address() && m_fx->driver->isLinked(); }, 10000));
    }

    // Only the controller this program works with decides the machine version (without a restart on a
    // working "config.ini"; the restart on a first start: tst_program).
    void versionOfTheChosenController()
    {
        start("[Dravolinte]\nIdent=SM07x5chosen\nVersion=3\n");
        NotifierRecorder notifier;
        QVERIFY(announce("SM07x6other") && m_fx->config->version() == 3);
        m_fx->driver->setIdent(QStringLiteral("SM07x6other"));
        QVERIFY(announce("SM07x6other"));
        QVERIFY(QTest::qWaitFor([&] { return m_fx->config->version() == 4; }, 5000));
        QVERIFY(notifier.exitCodes().isEmpty());
    }

    // Made-up controllers by the hundred: the list stops at its bound. A silent one goes at the first tick
    // 11 s or more after it was heard (11 to 16 s, and a loaded machine's lateness); then there is room again.
    void floodIsBoundedAndSilentControllersGo()
    {
        start();
        QElapsedTimer silence;
        silence.start();
        QVERIFY(announce("SM07x5silent"));
        for (int i = 0; i < 300; ++i) {
            QVERIFY(send("DISA;FL07x5" + QByteArray::number(1000 + i) + '\x03'));
            if (i % 25 == 24)
                QVERIFY(QTest::qWaitFor([&] { return m_discovery->onlineDevices().size() >= qMin(256, i + 2); }, 5000));
        }
        QCOMPARE(m_discovery->onlineDevices().size(), DeviceList::kMaxDevices);
        QVERIFY(QTest::qWaitFor([&] { return !listed("SM07x5silent"); }, 30000));
        QVERIFY2(silence.elapsed() >= 11000 && silence.elapsed() <= 18000, qPrintable(QString::number(silence.elapsed())));
        QVERIFY(QTest::qWaitFor([&] { return m_discovery->onlineDevices().isEmpty(); }, 10000));
        QVERIFY(announce("SM07x5back"));
    }

    void cleanup() { m_discovery.reset(); m_fx.reset(); }
};

DRAVO_TEST_MAIN(TestDeviceDiscovery)
#include "tst_devicediscovery.moc"
