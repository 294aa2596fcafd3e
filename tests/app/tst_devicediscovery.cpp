#include "AppTestSupport.h"

#include "DeviceDiscovery.h"
#include "Recorder.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QUdpSocket>

// Device discovery with real datagrams on the discovery port: what is
// listed (announcements, model names, bounds against floods and silence),
// adopted and linked, and which controller decides the machine version.
class TestDeviceDiscovery : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppFixture> m_fx;
    std::unique_ptr<DeviceDiscovery> m_discovery;

    // To a port of the test's own: other programs on this computer may listen on the discovery port.
    bool send(const QByteArray &datagram, const QString &from = QStringLiteral("127.0.0.1"))
    {
        QUdpSocket socket;
        return socket.bind(QHostAddress(from), 0)
               && socket.writeDatagram(datagram, QHostAddress::LocalHost, m_discovery->port()) == datagram.size();
    }
    static QByteArray announcement(const QString &id) { return "DISA;" + id.toLatin1() + '\x03'; }
    bool listed(const QString &id)
    {
        return QTest::qWaitFor([&] { return m_discovery->onlineDevices().contains(id); }, 5000);
    }
    void start(const QByteArray &configIni)
    {
        m_discovery.reset();
        m_fx = std::make_unique<AppFixture>(configIni);
        m_discovery = std::make_unique<DeviceDiscovery>(0);
        m_discovery->setDriver(m_fx->driver.get());
    }

private slots:
    void cleanup()
    {
        m_discovery.reset();
        m_fx.reset();
    }

    // Junk of every kind is read and dropped; controllers are listed in id
    // order, capitals in the type code counting as the same model.
    void listsControllersOnly()
    {
        start("[Dravolinte]\nIdent=ZZ07x50000\nVersion=3\n");
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
        QVERIFY(send(announcement("SM07x5order2")) && send(announcement("SM07X5order1")) && send(announcement(longest)));
        QVERIFY(listed(longest));
        QCOMPARE(m_discovery->onlineDevices(), (QStringList{"SM07X5order1", "SM07x5order2", longest}));
        QCOMPARE(m_fx->config->ident(), QStringLiteral("ZZ07x50000"));
    }

    // The first controller heard is adopted (store, driver, address) and
    // linked; heard from a new address, the driver moves there.
    void adoptsFirstControllerAndLinks()
    {
        start("[Dravolinte]\nVersion=3\n");
        SimController sim, moved;
        QVERIFY(sim.start() && moved.start());
        QVERIFY(send(announcement("SM07x5adopt"), sim.address()) && listed("SM07x5adopt"));
        QCOMPARE(m_fx->driver->ident(), QStringLiteral("SM07x5adopt"));
        QVERIFY(QTest::qWaitFor([&] { return m_fx->driver->isReady(); }, 10000));
        QCOMPARE(QSettings(m_fx->config->cfgPath(), QSettings::IniFormat).value("Dravolinte/Ident").toString(), "SM07x5adopt");
        QVERIFY(send(announcement("SM07x5adopt"), moved.address()));
        QVERIFY(QTest::qWaitFor([&] { return m_fx->driver->ip() == moved.address() && m_fx->driver->isLinked(); }, 10000));
    }

    // Only the controller this program works with decides the machine
    // version; on a first start (no "config.ini" yet) that means one restart.
    void versionOfTheChosenController()
    {
        start("[Dravolinte]\nIdent=SM07x5chosen\nVersion=3\n");
        m_fx->driver->setIdent(m_fx->config->ident());
        NotifierRecorder notifier;
        QVERIFY(send(announcement("SM07x6other")) && listed("SM07x6other"));
        QCOMPARE(m_fx->config->version(), 3);
        m_fx->driver->setIdent(QStringLiteral("SM07x6other"));
        QVERIFY(send(announcement("SM07x6other")));
        QVERIFY(QTest::qWaitFor([&] { return m_fx->config->version() == 4; }, 5000));
        start(QByteArray());
        QVERIFY(send(announcement("SM07x6fresh")) && listed("SM07x6fresh") && send(announcement("SM07x6fresh")));
        QTest::qWait(300); // heard again: looks for a second restart that should not come
        QCOMPARE(notifier.exitCodes(), QList<int>{777});
        QCOMPARE(QSettings(m_fx->dir.filePath("config.ini"), QSettings::IniFormat).value("Dravolinte/Version").toInt(), 4);
    }

    // Made-up controllers by the hundred: the list stops at its bound. A
    // controller that falls silent goes at the first tick 11 s or more after
    // its last announcement (11 to 16 s later, and a loaded machine's
    // lateness); then there is room again.
    void floodIsBoundedAndSilentControllersGo()
    {
        start("[Dravolinte]\nIdent=ZZ07x50000\nVersion=3\n");
        QElapsedTimer silence;
        silence.start();
        QVERIFY(send(announcement("SM07x5silent")) && listed("SM07x5silent"));
        for (int i = 0; i < 300; ++i) {
            QVERIFY(send(announcement(QStringLiteral("FL07x5%1").arg(i, 4, 10, QLatin1Char('0')))));
            if (i % 25 == 24)
                QVERIFY(QTest::qWaitFor([&] { return m_discovery->onlineDevices().size() >= qMin(256, i + 2); }, 5000));
        }
        QCOMPARE(m_discovery->onlineDevices().size(), DeviceList::kMaxDevices);
        QVERIFY(QTest::qWaitFor([&] { return !m_discovery->onlineDevices().contains("SM07x5silent"); }, 30000));
        QVERIFY2(silence.elapsed() >= 11000 && silence.elapsed() <= 18000, qPrintable(QString::number(silence.elapsed())));
        QVERIFY(QTest::qWaitFor([&] { return m_discovery->onlineDevices().isEmpty(); }, 10000));
        QVERIFY(send(announcement("SM07x5back")) && listed("SM07x5back"));
    }
};

DRAVO_TEST_MAIN(TestDeviceDiscovery)
#include "tst_devicediscovery.moc"
