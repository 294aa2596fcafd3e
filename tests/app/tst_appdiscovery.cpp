#include "AppTestSupport.h"

#include "Announcement.h"
#include "Recorder.h"
#include "SimController.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QUdpSocket>

// Device discovery of the application object, with real datagrams on the
// discovery port. The list lives as long as the application object: each
// test uses ids of its own, and the flood and silence test comes last.
class TestAppDiscovery : public QObject
{
    Q_OBJECT
private slots:
    void badInputIsDropped();
    void listsInIdOrderWithModelNames();
    void adoptsFirstControllerAndLinks();
    void anotherVersionRestartsOnFallbackFile();
    void onlyTheChosenControllerSwitchesVersion();
    void floodIsBoundedAndSilentControllersGo();

private:
    static bool send(const QByteArray &datagram, const QString &from = QStringLiteral("127.0.0.1"));
    static QByteArray announcement(const QString &id) { return "DISA;" + id.toLatin1() + '\x03'; }
    static bool listed(const QString &id) { return AppFixture::app().onlineDevices().contains(id); }
    static bool waitListed(const QString &id) { return QTest::qWaitFor([&] { return listed(id); }, 3000); }
};

bool TestAppDiscovery::send(const QByteArray &datagram, const QString &from)
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(from), 0))
        return false;
    return socket.writeDatagram(datagram, QHostAddress::LocalHost, Announcement::kPort) == datagram.size();
}

void TestAppDiscovery::badInputIsDropped()
{
    AppFixture fx("[Dravolinte]\nIdent=ZZ07x50000\nVersion=3\n");
    NotifierRecorder notifier;
    const QList<QByteArray> junk = {
        QByteArray("SM07x5bad1\x03"),
        QByteArray("DISA;SM07x5bad2"),
        QByteArray("DISA;SM07x9bad3\x03"),
        QByteArray("DISA;") + QByteArray(500, 'Q') + '\x03',
        QByteArray("DISA;SM07x5bad4\x03") + QByteArray(4000, '\xff'),
        QByteArray("\x02\x00\x03\xfe", 4),
        QByteArray(),
    };
    for (int round = 0; round < 30; ++round) {
        for (const QByteArray &datagram : junk)
            QVERIFY(send(datagram));
        // Read as it comes, as from a network: a kernel buffer that overflows drops datagrams unread.
        QTest::qWait(2);
    }
    // A good one after the junk: the junk was read and dropped, nothing else.
    QVERIFY(send(announcement(QStringLiteral("SM07x5good"))));
    QVERIFY(waitListed(QStringLiteral("SM07x5good")));
    const QStringList ids = AppFixture::app().onlineDevices();
    for (const QString &id : ids)
        QVERIFY2(!id.contains(QLatin1String("bad")) && !id.startsWith(QLatin1String("QQQ")), qPrintable(id));
    QVERIFY(notifier.messages().isEmpty());
    QCOMPARE(fx.config->ident(), QStringLiteral("ZZ07x50000"));
}

void TestAppDiscovery::listsInIdOrderWithModelNames()
{
    AppFixture fx("[Dravolinte]\nIdent=ZZ07x50000\nVersion=3\n");
    writeFile(fx.dir.filePath(QStringLiteral("dev.ini")), "[DeviceModel]\n10265=VK-120X/Roll\n");
    LogCapture log;
    QVERIFY(send(announcement(QStringLiteral("SM07x5order2"))));
    QVERIFY(send(announcement(QStringLiteral("SM07X5order1"))));
    QVERIFY(waitListed(QStringLiteral("SM07x5order2")));
    QVERIFY(waitListed(QStringLiteral("SM07X5order1")));
    const QStringList ids = AppFixture::app().onlineDevices();
    QVERIFY(ids.indexOf(QStringLiteral("SM07X5order1")) < ids.indexOf(QStringLiteral("SM07x5order2")));
    // Capital letters in the type code count as the same machine version and model.
    QVERIFY(log.contains(QStringLiteral("DravolinteApp::slotUdpRecv VK-120X Roll 127.0.0.1 SM07X5order1 07x5")));
}

void TestAppDiscovery::adoptsFirstControllerAndLinks()
{
    AppFixture fx("[Dravolinte]\nVersion=3\n");
    NotifierRecorder notifier;
    SimController sim;
    QVERIFY(sim.start());
    const QString id = QStringLiteral("SM07x5adopt");
    QVERIFY(send(announcement(id), sim.address()));
    QVERIFY(waitListed(id));
    // Adopted in the same pass: the store, the driver's identity and its address.
    QCOMPARE(fx.config->ident(), id);
    QCOMPARE(fx.driver->ident(), id);
    QCOMPARE(fx.driver->ip(), sim.address());
    QVERIFY(QTest::qWaitFor([&] { return fx.driver->isReady(); }, 10000));
    QVERIFY(sim.receivedCommands().contains(QStringLiteral("1,0,0,0,0,0;")));
    QSettings saved(fx.dir.filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
    QCOMPARE(saved.value(QStringLiteral("Dravolinte/Ident")).toString(), id);
    QCOMPARE(saved.value(QStringLiteral("Dravolinte/Version")).toInt(), 3);
    QVERIFY(notifier.exitCodes().isEmpty());

    // The chosen controller heard from a new address: the driver moves there.
    SimController moved;
    QVERIFY(moved.start());
    QVERIFY(send(announcement(id), moved.address()));
    QVERIFY(QTest::qWaitFor([&] { return fx.driver->ip() == moved.address() && fx.driver->isLinked(); }, 10000));
    QVERIFY(moved.waitFor([](const QStringList &lines) { return !lines.filter(QStringLiteral("CONNECT ")).isEmpty(); }));
}

void TestAppDiscovery::anotherVersionRestartsOnFallbackFile()
{
    // A first start: no "config.ini" yet, and no preset for the version.
    AppFixture fx;
    NotifierRecorder notifier;
    QVERIFY(QFile::exists(fx.dir.filePath(QStringLiteral("tmp.ini"))));
    QVERIFY(send(announcement(QStringLiteral("SM07x6fresh"))));
    QVERIFY(waitListed(QStringLiteral("SM07x6fresh")));
    QCOMPARE(notifier.messages(), QStringList({QStringLiteral("机器连接成功，重启完成初始化")}));
    QCOMPARE(notifier.exitCodes(), QList<int>({777}));
    QVERIFY(!QFile::exists(fx.dir.filePath(QStringLiteral("tmp.ini"))));
    QSettings saved(fx.dir.filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
    QCOMPARE(saved.value(QStringLiteral("Dravolinte/Version")).toInt(), 4);
    QCOMPARE(saved.value(QStringLiteral("Dravolinte/Ident")).toString(), QStringLiteral("SM07x6fresh"));

    // Heard again: the version matches now, no second restart.
    QVERIFY(send(announcement(QStringLiteral("SM07x6fresh"))));
    QTest::qWait(200);
    QCOMPARE(notifier.exitCodes(), QList<int>({777}));
}

void TestAppDiscovery::onlyTheChosenControllerSwitchesVersion()
{
    AppFixture fx("[Dravolinte]\nIdent=SM07x5chosen\nVersion=3\n");
    fx.driver->setIdent(fx.config->ident());
    NotifierRecorder notifier;
    LogCapture log;
    QVERIFY(send(announcement(QStringLiteral("SM07x6other"))));
    QVERIFY(waitListed(QStringLiteral("SM07x6other")));
    // Another machine on the network is listed, nothing more.
    QCOMPARE(fx.config->version(), 3);
    QVERIFY(!log.contains(QStringLiteral("Config::resetVersionParam")));

    // The operator picks it: its next announcement brings its version.
    fx.config->setIdent(QStringLiteral("SM07x6other"));
    fx.driver->setIdent(QStringLiteral("SM07x6other"));
    QVERIFY(send(announcement(QStringLiteral("SM07x6other"))));
    QVERIFY(QTest::qWaitFor([&] { return fx.config->version() == 4; }, 3000));
    QVERIFY(log.contains(QStringLiteral("Config::resetVersionParam VT_7x6")));
    // Already on "config.ini": no restart.
    QVERIFY(notifier.exitCodes().isEmpty());
}

void TestAppDiscovery::floodIsBoundedAndSilentControllersGo()
{
    AppFixture fx("[Dravolinte]\nIdent=ZZ07x50000\nVersion=3\n");
    const QString last = QStringLiteral("SM07x5silent");
    QVERIFY(send(announcement(last)));
    QElapsedTimer silence;
    silence.start();
    QVERIFY(waitListed(last));

    // Made-up controllers by the hundred: the list stops growing at its bound.
    for (int batch = 0; batch < 12; ++batch) {
        for (int i = 0; i < 25; ++i)
            QVERIFY(send(announcement(QStringLiteral("FL07x5%1").arg(batch * 25 + i, 4, 10, QLatin1Char('0')))));
        const int expected = qMin(DeviceList::kMaxDevices, (batch + 1) * 25);
        QVERIFY(QTest::qWaitFor([&] { return AppFixture::app().onlineDevices().size() >= expected; }, 3000));
    }
    QCOMPARE(AppFixture::app().onlineDevices().size(), DeviceList::kMaxDevices);

    // Silent from now on: gone at the first tick 11 s or more after its last
    // announcement, i.e. 11 to 16 s later.
    QVERIFY(QTest::qWaitFor([&] { return !listed(last); }, 20000));
    const qint64 gone = silence.elapsed();
    QVERIFY2(gone >= 11000 && gone <= 16500, qPrintable(QString::number(gone)));
    // The made-up ones went quiet a little later: gone by the next tick at the latest.
    QVERIFY(QTest::qWaitFor([] { return AppFixture::app().onlineDevices().isEmpty(); }, 6000));
    // Room again.
    QVERIFY(send(announcement(QStringLiteral("SM07x5back"))));
    QVERIFY(waitListed(QStringLiteral("SM07x5back")));
}

DRAVO_APP_TEST_MAIN(TestAppDiscovery)
#include "tst_appdiscovery.moc"
