#include "tests/support/online/MqttBroker.h"
#include "tests/support/ProgramCopy.h"
#include "tests/support/SimController.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "tests/support/online/UpgradeServer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <unistd.h>

// Written once the window has drawn, after the command line and the guard.
static const QRegularExpression kInitialised(QStringLiteral("OcrLite::initModels (model |Failed to initialize models\\.)"));

class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void secondCopyRefusedCrashedCopyNot();
    void findsAndLinksItsController();
    void otherVersionRestartsTheProgram();
    void showsTheCarouselAfterAnAd();
    void windowComesFirst();
};

void TestProgram::secondCopyRefusedCrashedCopyNot()
{
    ProgramCopy copy;
    // Test mode takes the exact first argument only: "test" with more after it, not "tests" or "Test".
    const QString testMode = QStringLiteral("DravolinteApp::setEnabledTest true");
    QVERIFY(copy.ok && writeFile(copy.path("config.ini"), "[Dravolinte]\nVersion=3\nIdent=SM07x5" + copy.serial().toLatin1())
            && copy.start({"tests"}));
    QVERIFY(copy.waitForCount(QStringLiteral("mqttMessage::connectToServer"), 1)); // one second into the event loop
    QVERIFY(copy.waitForCount(kInitialised, 1));
    QProcess second;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(copy.start({"test", "x"}, &second));
    QVERIFY(second.waitForFinished(60000) && second.exitCode() == 255); // -1, once the box closed itself after three seconds
    QVERIFY2(clock.elapsed() >= 2900, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(copy.count(QStringLiteral("main Instance Is Running!")), 1);
    QCOMPARE(copy.count(kInitialised), 1);
    QCOMPARE(copy.count(testMode), 1);
    QCOMPARE(copy.process.state(), QProcess::Running);

    copy.process.kill(); // no clean-up: the guard's block stays behind
    QVERIFY(copy.process.waitForFinished(10000) && copy.start({"Test"}));
    QVERIFY(copy.waitForCount(kInitialised, 2));
    QCOMPARE(copy.count(QStringLiteral("Instance Is Running!")), 1);
    QCOMPARE(copy.count(testMode), 1);
    QVERIFY(copy.stop());
    QVERIFY(copy.log().contains(QStringLiteral("main exit 0")));
}

void TestProgram::findsAndLinksItsController()
{
    ProgramCopy copy;
    QVERIFY(copy.ok && writeFile(copy.path("config.ini"), "[Dravolinte]\nVersion=3\nIdent=SM07x5" + copy.serial().toLatin1()));
    SimController sim;
    QVERIFY(sim.start({QStringLiteral("--announce-interval"), QStringLiteral("200"), QStringLiteral("--serial"), copy.serial()}));
    QVERIFY(copy.start({"x", "test"}));
    QVERIFY(copy.waitForCount(QStringLiteral("Varnok120X::link Connect succeed ") + sim.address(), 1));
    QVERIFY(QTest::qWaitFor([&] { // the link's initial reads
        const QStringList commands = sim.receivedCommands();
        return commands.contains("1,0,0,0,0,0;") && commands.contains("17;") && commands.contains("6,0,0,0;");
    }, 60000));
    QCOMPARE(copy.count(QStringLiteral("main start")), 1);
    QVERIFY(!copy.log().contains(QStringLiteral("DravolinteApp::setEnabledTest true")));
    QCOMPARE(copy.ini(QStringLiteral("Dravolinte/Version")), QStringLiteral("3"));
    QVERIFY(copy.stop());
    QVERIFY(sim.waitForLine(QStringLiteral("DISCONNECT"), 30000));
}

void TestProgram::otherVersionRestartsTheProgram()
{
    ProgramCopy copy;
    // A first start (no "config.ini" yet, the working file "tmp.ini"): the controller decides the version.
    QVERIFY(copy.ok && writeFile(copy.path("tmp.ini"), "[Dravolinte]\nIdent=SM07x6" + copy.serial().toLatin1()));
    SimController sim;
    QVERIFY(sim.start({QStringLiteral("--announce-interval"), QStringLiteral("200"), QStringLiteral("--type"), QStringLiteral("07x6"),
                       QStringLiteral("--serial"), copy.serial()}));
    QVERIFY(copy.start());
    QVERIFY(copy.process.waitForFinished(60000) && copy.process.exitCode() == 0);
    QVERIFY(copy.log().contains(QStringLiteral("Notifier::information 机器连接成功，重启完成初始化")));
    QCOMPARE(copy.ini(QStringLiteral("Dravolinte/Version")), QStringLiteral("4"));

    // The new, detached copy runs on the version's parameters and links again.
    QVERIFY(copy.waitForCount(QStringLiteral("Varnok120X::link Connect succeed ") + sim.address(), 2));
    QCOMPARE(copy.ini(QStringLiteral("Dravolinte/Ident")), "SM07x6" + copy.serial());
    static const QRegularExpression started(QStringLiteral("main start \\S+ (\\d+)"));
    QList<qint64> pids;
    for (auto it = started.globalMatch(copy.log()); it.hasNext();)
        pids << it.next().captured(1).toLongLong();
    QCOMPARE(pids.size(), 2);
    QVERIFY(pids.at(1) != pids.at(0) && copy.isOurs(pids.at(1)));
    QCOMPARE(copy.count(QStringLiteral("main exit 777")), 1);
    QCOMPARE(copy.count(QStringLiteral("Instance Is Running!")), 0);
    ::kill(pid_t(pids.at(1)), SIGTERM);
    QVERIFY(QTest::qWaitFor([&] { return !copy.isOurs(pids.at(1)); }, 30000));
    QVERIFY(copy.log().contains(QStringLiteral("main exit 0")));
}

// The program with the service's broker on its server's address at 1883 (the
// built-in account only): it connects under a client id of its own, and an
// ad message brings the carousel up with the image it names.
void TestProgram::showsTheCarouselAfterAnAd()
{
    if (MqttBroker::program().isEmpty())
        QSKIP("mosquitto is not installed");
    MqttBroker broker;
    MqttBroker::Options options;
    options.port = 1883;
    options.users.insert(QStringLiteral("admin"), QStringLiteral("mivo@7351"));
    options.anonymous = false;
    bool started = false;
    for (int host = 147; host < 152 && !started; ++host) {
        options.address = QStringLiteral("127.0.0.%1").arg(host);
        started = broker.start(options);
    }
    QVERIFY(started);
    UpgradeServer images;
    QVERIFY(images.listen(152, 0));
    QImage banner(1000, 250, QImage::Format_RGB32);
    banner.fill(Qt::darkCyan);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    banner.save(&png, "PNG");
    images.setReply(QStringLiteral("/banner.png"), png.data());

    ProgramCopy copy;
    QVERIFY(copy.ok && writeFile(copy.path("config.ini"), "[Dravolinte]\nVersion=3\nIdent=SM07x5" + copy.serial().toLatin1()
                                                                  + "\nIP=" + broker.address().toLatin1() + "\n"));
    QVERIFY(copy.start({"x"}));
    QVERIFY(copy.waitForCount(QStringLiteral("mqttMessage::connectToServer %1 1883 connected").arg(broker.address()), 1));
    QVERIFY(broker.waitForLog(QStringLiteral("\tplanning_ad (QoS 1)"), 30000));
    // Its own id, kept nowhere in its settings.
    const QRegularExpression seen(QStringLiteral(" as (Dravolinte-[0-9a-f]{12}) \\(p2, c0, k60, u'admin'\\)"));
    const QString id = seen.match(broker.log()).captured(1);
    QVERIFY2(!id.isEmpty(), qPrintable(broker.log()));
    QVERIFY(copy.ini(QStringLiteral("MQTT/ClientId")).isEmpty());
    const QByteArray ad = "{\"messageType\":2,\"coverImage\":\"" + images.url(QStringLiteral("/banner.png")).toLatin1()
                          + "\",\"link\":\"http://a.test/\"}";
    QVERIFY(broker.publish(QStringLiteral("planning_ad"), ad, QStringLiteral("admin"), QStringLiteral("mivo@7351")));
    QVERIFY(copy.waitForCount(QStringLiteral("CarouselImageWindow::handleNetworkResponse shown 632 x 158"), 1));
    const bool stopped = copy.stop();
    QVERIFY2(stopped, qPrintable(QStringLiteral("exit %1 %2 %3").arg(copy.process.exitCode()).arg(copy.process.exitStatus()).arg(copy.log().right(3000))));
    QVERIFY(broker.waitForLog(QStringLiteral("Received DISCONNECT from %1").arg(id), 30000));
}

// The window draws before the OCR models load (on their own thread) and
// before the camera sessions bring the multimedia backend up; OpenCV's video
// library is never loaded while nothing is recorded.
void TestProgram::windowComesFirst()
{
    ProgramCopy copy;
    QVERIFY(copy.ok && writeFile(copy.path("config.ini"), "[LogSetting]\nLOG_DEBUG=true\n[Dravolinte]\nVersion=3\nIdent=SM07x5"
                                                                  + copy.serial().toLatin1()));
    QVERIFY(copy.start());
    QVERIFY(copy.waitForCount(kInitialised, 1) && copy.waitForCount(QStringLiteral("DravolinteApp::startCheckCamera"), 1));
    const QString log = copy.log();
    const qsizetype frame = log.indexOf(QStringLiteral("main first frame"));
    QVERIFY(frame > 0);
    QVERIFY(frame < log.indexOf(QStringLiteral("DravolinteApp::afterFirstFrame the OCR models load")));
    QVERIFY(frame < log.indexOf(kInitialised) && frame < log.indexOf(QStringLiteral("DravolinteApp::startCheckCamera")));
    QVERIFY(log.indexOf(QStringLiteral("main start")) < frame);
    QFile maps(QStringLiteral("/proc/%1/maps").arg(copy.process.processId()));
    QVERIFY(maps.open(QIODevice::ReadOnly) && !maps.readAll().contains("libopencv_videoio"));
    QVERIFY(copy.stop());
}

DRAVO_TEST_MAIN(TestProgram)
#include "tst_program.moc"
