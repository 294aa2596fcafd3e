#include "FrameCodec.h"
#include "SimController.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

#include <algorithm>
#include <csignal>

using namespace FrameCodec;

namespace {

QByteArray bodyOf(const QByteArray &frame)
{
    const qsizetype separator = frame.indexOf(';');
    return frame.mid(separator + 1, frame.size() - separator - 2);
}

// A bare client speaking frames to the simulator, as the driver would.
class Client
{
public:
    bool connectTo(const QString &address)
    {
        m_socket.connectToHost(address, 9100);
        return m_socket.waitForConnected(3000);
    }
    void sendRaw(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(1000);
    }
    void send(const QString &command) { sendRaw(frameCommand(command, QStringLiteral("CCMD"))); }
    // Reads until count frames have arrived or the time is up.
    QList<QByteArray> frames(int count, int timeoutMs = 2000)
    {
        QElapsedTimer timer;
        timer.start();
        while (m_frames.size() < count && timer.elapsed() < timeoutMs) {
            if (m_socket.bytesAvailable() > 0 || m_socket.waitForReadyRead(int(timeoutMs - timer.elapsed())))
                m_frames += m_splitter.feed(m_socket.readAll());
            if (m_socket.state() != QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0)
                break;
        }
        QList<QByteArray> taken = m_frames.mid(0, count);
        m_frames.remove(0, taken.size());
        return taken;
    }
    // The reply body to a command, empty when none came in time.
    QByteArray request(const QString &command, int timeoutMs = 2000)
    {
        send(command);
        return bodyOf(frames(1, timeoutMs).value(0));
    }
    // The bytes of one read.
    QByteArray chunk(int timeoutMs = 2000)
    {
        if (m_socket.bytesAvailable() == 0)
            m_socket.waitForReadyRead(timeoutMs);
        return m_socket.readAll();
    }
    bool waitForDisconnected(int timeoutMs = 2000)
    {
        return m_socket.state() == QAbstractSocket::UnconnectedState || m_socket.waitForDisconnected(timeoutMs);
    }

private:
    QTcpSocket m_socket;
    FrameSplitter m_splitter;
    QList<QByteArray> m_frames;
};

} // namespace

class TestSimController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void replies_data();
    void replies();
    void transcriptIsByteExact();
    void perModuleDeviceInfo();
    void writesChangeState_data();
    void writesChangeState();
    void lengthIsChecked();
    void faultScript();
    void controlLinesAndTimedEvents();
    void scriptedStateOverTime();
    void timedMotorMoves();
    void cutDataHandshake();
    void motionModel();
    void firmwareFramesByLength();
    void announcesOnLoopback();
    void endsOnSignalAndStdin();
    void refusesOtherHosts();

private:
    SimController m_sim; // legacy personality, read-only use
};

void TestSimController::initTestCase()
{
    QVERIFY2(QFile::exists(SimController::binaryPath()), qPrintable(SimController::binaryPath()));
    QVERIFY2(m_sim.start(), qPrintable(m_sim.errorOutput()));
}

void TestSimController::cleanupTestCase()
{
    m_sim.stop();
    QCOMPARE(m_sim.exitCode(), 0);
}

void TestSimController::replies_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("device info") << "1,0,0,0,0,0;" << QByteArray("CCMD;1,0,07x5,SM07x50001,PCB0001,HC1.2,V3.2.1;");
    QTest::newRow("rectify reset read") << "2,0,0,4;" << QByteArray("CCMD;2,0,0,0,4,0;");
    QTest::newRow("cut motor status") << "3;" << QByteArray("CCMD;3,0,0;");
    QTest::newRow("knife point") << "4,0,0,0;" << QByteArray("CCMD;4,0,0,0,0;");
    QTest::newRow("knife point per knife") << "4,0,2,0,0;" << QByteArray("CCMD;4,0,0,2,0,0;");
    QTest::newRow("speed") << "6,0,0,0;" << QByteArray("CCMD;6,0,0,0,100;");
    QTest::newRow("pressure") << "7,0,1,0;" << QByteArray("CCMD;7,0,0,1,120;");
    QTest::newRow("check camera centre") << "8,0,0,0,0;" << QByteArray("CCMD;8,0,0,0,0.00,0;");
    QTest::newRow("mark camera offset") << "8,0,2,0,0;" << QByteArray("CCMD;8,0,0,2,22.00,-12.00;");
    QTest::newRow("scale") << "9,0,0,0;" << QByteArray("CCMD;9,0,0,1.0000,1.0000;");
    QTest::newRow("cut model") << "10,0,0;" << QByteArray("CCMD;10,0,0,0;");
    QTest::newRow("work area") << "11,0,0,0;" << QByteArray("CCMD;11,0,0,1200,50000;");
    QTest::newRow("light strip") << "13,0,2,0,0,0;" << QByteArray("CCMD;13,0,0,2,70,0,0;");
    QTest::newRow("sensors") << "17;" << QByteArray("CCMD;17,0,0,0,0,0,0,0,0;");
    QTest::newRow("rollers") << "18,0,0;" << QByteArray("CCMD;18,0,0,0,9000,0,0,50.00,50.00,50.00;");
    QTest::newRow("rewind motor") << "20,0,3,0,0,0;" << QByteArray("CCMD;20,0,0,3,0,0,0,0;");
    QTest::newRow("ready for data") << "21;" << QByteArray("CCMD;21,0,0;");
    QTest::newRow("unused id") << "14;" << QByteArray("CCMD;14,1;");
    QTest::newRow("missing arguments") << "6;" << QByteArray("CCMD;6,1;");
    QTest::newRow("non-numeric argument") << "19,x;" << QByteArray("CCMD;19,1;");
}

void TestSimController::replies()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, reply);

    Client client;
    QVERIFY(client.connectTo(m_sim.address()));
    QCOMPARE(client.request(command), reply);
}

void TestSimController::transcriptIsByteExact()
{
    Client client;
    QVERIFY(client.connectTo(m_sim.address()));
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,0;"));
    QVERIFY(m_sim.waitForLine(QStringLiteral("TX \\x0216;CCMD;3,0,0;\\x03")));
    const QStringList lines = m_sim.transcript();
    const int rx = int(lines.lastIndexOf(QStringLiteral("RX \\x0212;CCMD;3;\\x03")));
    QVERIFY(rx >= 0);
    QCOMPARE(lines.value(rx + 1), QStringLiteral("TX ") + SimController::escape(frameRaw("CCMD;3,0,0;")));
    QCOMPARE(SimController::unescape(SimController::escape("a\\b\x02\xff")), QByteArray("a\\b\x02\xff"));
}

void TestSimController::perModuleDeviceInfo()
{
    SimController sim;
    QVERIFY2(sim.start({"--personality", "module"}), qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));

    // The one-shot query is refused, so the driver falls back to asking each module.
    QCOMPARE(client.request(QStringLiteral("1,0,0,0,0,0;")), QByteArray("CCMD;1,1;"));
    const QByteArray sensor = client.request(QStringLiteral("1,0,2,0,0,0,0;"));
    QCOMPARE(sensor, QByteArray("CCMD;1,0,0,2,07x5,SM07x50001,PCB0001,HS1.0,V1.5.0;"));
    const std::optional<CommandReply> reply = parseCommandReply(frameRaw(sensor));
    QVERIFY(reply && *reply->ok);
    QCOMPARE(reply->fields.size(), 8);
    QCOMPARE(client.request(QStringLiteral("1,0,0,0,0,0,0;")),
             QByteArray("CCMD;1,0,0,0,07x5,SM07x50001,PCB0001,HC1.2,V3.2.1;"));
    QCOMPARE(client.request(QStringLiteral("1,0,7,0,0,0,0;")), QByteArray("CCMD;1,1;"));
}

void TestSimController::writesChangeState_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<QByteArray>("writeReply");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QByteArray>("readReply");

    QTest::newRow("speed") << "6,1,0,55.4;" << QByteArray("CCMD;6,0,1,0,55;") << "6,0,0,0;"
                           << QByteArray("CCMD;6,0,0,0,55;");
    QTest::newRow("pressure") << "7,1,1,85;" << QByteArray("CCMD;7,0,1,1,85;") << "7,0,1,0;"
                              << QByteArray("CCMD;7,0,0,1,85;");
    QTest::newRow("mark camera offset") << "8,1,1,1.50,-2.00;" << QByteArray("CCMD;8,0,1,1,1.50,-2.00;")
                                        << "8,0,1,0,0;" << QByteArray("CCMD;8,0,0,1,1.50,-2.00;");
    QTest::newRow("check camera centre") << "8,1,0,640.25,0;" << QByteArray("CCMD;8,0,1,0,640.25,0;")
                                         << "8,0,0,0,0;" << QByteArray("CCMD;8,0,0,0,640.25,0;");
    QTest::newRow("scale") << "9,1,1.0010,0.9990;" << QByteArray("CCMD;9,0,1,1.0010,0.9990;") << "9,0,0,0;"
                           << QByteArray("CCMD;9,0,0,1.0010,0.9990;");
    QTest::newRow("cut model") << "10,1,2;" << QByteArray("CCMD;10,0,1,2;") << "10,0,0;"
                               << QByteArray("CCMD;10,0,0,2;");
    QTest::newRow("work area") << "11,1,1300,400;" << QByteArray("CCMD;11,0,1,1300,400;") << "11,0,0,0;"
                               << QByteArray("CCMD;11,0,0,1300,400;");
    QTest::newRow("coloured strip") << "13,1,3,10,20,30;" << QByteArray("CCMD;13,0,1,3,10,20,30;")
                                    << "13,0,3,0,0,0;" << QByteArray("CCMD;13,0,0,3,10,20,30;");
    QTest::newRow("rewind motor") << "20,1,3,0,10,100;" << QByteArray("CCMD;20,0,1,3,0,10,100,3;")
                                  << "20,0,3,0,0,0;" << QByteArray("CCMD;20,0,0,3,0,10,100,3;");
    QTest::newRow("web guide reset") << "2,1,0,4;" << QByteArray("CCMD;2,0,1,0,4,3;") << "2,0,0,4;"
                                     << QByteArray("CCMD;2,0,0,0,4,3;");
    QTest::newRow("trim y reset, short form") << "2,3,1;" << QByteArray("CCMD;2,0,3,1;") << "2,0,3,1;"
                                              << QByteArray("CCMD;2,0,0,3,1,3;");
    QTest::newRow("knife move") << "4,1,1,100,-200;" << QByteArray("CCMD;4,0,1,1,100,-200;") << "4,0,1,0,0;"
                                << QByteArray("CCMD;4,0,0,1,100,-200;");
}

void TestSimController::writesChangeState()
{
    QFETCH(QString, write);
    QFETCH(QByteArray, writeReply);
    QFETCH(QString, read);
    QFETCH(QByteArray, readReply);

    SimController sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));
    QCOMPARE(client.request(write), writeReply);
    QCOMPARE(client.request(read), readReply);

    // Factory settings bring the value back and ask the driver to read everything again.
    QCOMPARE(client.request(QStringLiteral("16,1;")), QByteArray("CCMD;16,0,1;"));
    QVERIFY(client.request(read) != readReply);
}

void TestSimController::lengthIsChecked()
{
    Client client;
    QVERIFY(client.connectTo(m_sim.address()));
    const QByteArray good = frameCommand(QStringLiteral("3;"), QStringLiteral("CCMD"));

    client.sendRaw(QByteArray("\x02" "99;CCMD;3;\x03") + good);
    QCOMPARE(bodyOf(client.frames(1).value(0)), QByteArray("CCMD;3,0,0;"));
    QVERIFY(client.frames(1, 200).isEmpty());

    client.sendRaw("xyz" + QByteArray("\x02" "12;CCMD;") + good);
    QCOMPARE(client.frames(2, 300).size(), 1);

    client.sendRaw(good.left(5));
    QVERIFY(client.frames(1, 100).isEmpty());
    client.sendRaw(good.mid(5));
    QCOMPARE(client.frames(1).size(), 1);

    QVERIFY(m_sim.waitForLine(QStringLiteral("RX-BADLEN \\x0299;CCMD;3;\\x03")));
    QVERIFY(m_sim.waitForLine(QStringLiteral("RX-JUNK xyz")));
    QVERIFY(m_sim.waitForLine(QStringLiteral("RX-BADLEN \\x0212;CCMD;")));
}

void TestSimController::faultScript()
{
    QFile script(QStringLiteral("faults.txt"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("# one fault per command\n"
                 "on 6 delay 300\n"
                 "on 10 drop\n"
                 "on 3 status 7 count 1\n"
                 "on 17 fields 1\n"
                 "on 18 split 10\n"
                 "on 19 double\n"
                 "on 9 garbage \\x01zz\n"
                 "on 11 alarm 4\n"
                 "on 21 progress 42.5\n"
                 "on 20,1,3 status 2   # only the rewind motor write\n"
                 "on 7 reply CCMD;7,0,0,abc;\n"
                 "on 5 close\n");
    script.close();
    SimController sim;
    QVERIFY2(sim.start({"--faults", "faults.txt", "--split-gap", "300"}), qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(client.request(QStringLiteral("6,0,0,0;")), QByteArray("CCMD;6,0,0,0,100;"));
    QVERIFY(timer.elapsed() >= 250);

    QVERIFY(client.request(QStringLiteral("10,0,0;"), 300).isEmpty());
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,7,0;"));
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,0;"));
    QCOMPARE(client.request(QStringLiteral("17;")), QByteArray("CCMD;17,0;"));
    QCOMPARE(client.request(QStringLiteral("20,1,3,0,10,0;")), QByteArray("CCMD;20,2,1,3,0,10,0,3;"));
    QCOMPARE(client.request(QStringLiteral("20,0,3,0,0,0;")), QByteArray("CCMD;20,0,0,3,0,10,0,3;"));
    QCOMPARE(client.request(QStringLiteral("7,0,1,0;")), QByteArray("CCMD;7,0,0,abc;"));

    client.send(QStringLiteral("18,0,0;"));
    const QByteArray first = client.chunk();
    QCOMPARE(first.size(), 10);
    const QByteArray whole = first + client.chunk();
    QCOMPARE(bodyOf(whole), QByteArray("CCMD;18,0,0,0,9000,0,0,50.00,50.00,50.00;"));

    client.send(QStringLiteral("19,3;"));
    QCOMPARE(client.frames(2), QList<QByteArray>(2, frameRaw("CCMD;19,0,3;")));

    client.send(QStringLiteral("9,0,0,0;"));
    QVERIFY(client.chunk().startsWith("\x01zz\x02"));

    client.send(QStringLiteral("11,0,0,0;"));
    const QList<QByteArray> alarm = client.frames(2);
    QCOMPARE(alarm.size(), 2);
    QCOMPARE(bodyOf(alarm.at(1)), QByteArray("CCMD;23,0,4;"));

    client.send(QStringLiteral("21;"));
    const QList<QByteArray> progress = client.frames(2);
    QCOMPARE(progress.size(), 2);
    QCOMPARE(parseUpgradeProgress(progress.at(1)).value_or(-1), 42.5);

    client.send(QStringLiteral("5,1,1;"));
    QVERIFY(client.waitForDisconnected());
    QVERIFY(sim.waitForLine(QStringLiteral("CLOSE")));
    QVERIFY(sim.transcript().contains(QStringLiteral("NOREPLY 10")));

    // The simulator keeps listening after a close.
    Client again;
    QVERIFY(again.connectTo(sim.address()));
    QCOMPARE(again.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,0;"));
}

void TestSimController::controlLinesAndTimedEvents()
{
    SimController sim;
    QVERIFY2(sim.start({"--fault", "at 100 alarm 2"}), qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));
    QCOMPARE(bodyOf(client.frames(1).value(0)), QByteArray("CCMD;23,0,2;"));

    QVERIFY(sim.control(QStringLiteral("set status 1")));
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,1;"));
    QVERIFY(sim.control(QStringLiteral("set sensors 1010001")));
    QCOMPARE(client.request(QStringLiteral("17;")), QByteArray("CCMD;17,0,1,0,1,0,0,0,1;"));

    QVERIFY(sim.control(QStringLiteral("now progress 55")));
    QCOMPARE(parseUpgradeProgress(client.frames(1).value(0)).value_or(-1), 55.0);
    QVERIFY(sim.control(QStringLiteral("now raw \\x02junk\\x0214;CCMD;3,0;\\x03")));
    QCOMPARE(client.frames(1).value(0), QByteArray("\x02" "14;CCMD;3,0;\x03"));

    QVERIFY(sim.control(QStringLiteral("on 6 drop count 1")));
    QVERIFY(client.request(QStringLiteral("6,0,0,0;"), 300).isEmpty());
    QCOMPARE(client.request(QStringLiteral("6,0,0,0;")), QByteArray("CCMD;6,0,0,0,100;"));

    QString error;
    QVERIFY(!sim.control(QStringLiteral("set nosuchkey 1"), &error));
    QVERIFY(error.startsWith(QLatin1String("ERROR")));
    QVERIFY(!sim.control(QStringLiteral("on 6 explode"), &error));
    QVERIFY(sim.control(QStringLiteral("now close")));
    QVERIFY(client.waitForDisconnected());
}

namespace {

// Field index (0: the status) of a reply body "CCMD;<id>,<fields>;" as a number.
double replyNumber(const QByteArray &body, int index)
{
    const QList<QByteArray> fields = body.mid(5, body.size() - 6).split(',');
    return fields.value(1 + index).toDouble();
}

} // namespace

void TestSimController::scriptedStateOverTime()
{
    // Script steps count from the first link and are refused at start when bad.
    SimController sim;
    QVERIFY2(sim.start({"--fault", "at 150 set filmRoller 40", "--fault", "at 150 set sensors 0000011", "--fault",
                        "at 300 ramp collectRoller 70 400"}),
             qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));
    QCOMPARE(client.request(QStringLiteral("18,0,0;")), QByteArray("CCMD;18,0,0,0,9000,0,0,50.00,50.00,50.00;"));
    QTRY_COMPARE_WITH_TIMEOUT(client.request(QStringLiteral("17;")), QByteArray("CCMD;17,0,0,0,0,0,0,1,1;"), 2000);

    // The ramp passes through values in between, never going back.
    QList<double> seen;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 3000 && (seen.isEmpty() || seen.last() < 70.0)) {
        const QByteArray rollers = client.request(QStringLiteral("18,0,0;"));
        QCOMPARE(replyNumber(rollers, 7), 40.0);
        const double rewind = replyNumber(rollers, 8);
        QVERIFY2(seen.isEmpty() || rewind >= seen.last(), rollers.constData());
        seen << rewind;
        QTest::qWait(20);
    }
    QCOMPARE(seen.last(), 70.0);
    QVERIFY(std::any_of(seen.cbegin(), seen.cend(), [](double v) { return v > 50.0 && v < 70.0; }));
    QVERIFY(sim.waitForLine(QStringLiteral("STATE filmRoller 40")));
    QVERIFY(sim.waitForLine(QStringLiteral("STATE collectRoller 70")));

    // On stdin, once linked, times count from the line.
    QVERIFY(sim.control(QStringLiteral("at 100 set gyroscope 1150")));
    QTRY_VERIFY_WITH_TIMEOUT(client.request(QStringLiteral("18,0,0;")).contains(",1150,"), 2000);
    QVERIFY(sim.control(QStringLiteral("set printRoller inf")));
    QCOMPARE(client.request(QStringLiteral("18,0,0;")), QByteArray("CCMD;18,0,0,0,1150,0,0,inf,40.00,70.00;"));
    QString error;
    QVERIFY(!sim.control(QStringLiteral("at 100 set nosuchkey 1"), &error));
    QVERIFY(!sim.control(QStringLiteral("at 100 set filmRoller x"), &error));
    QVERIFY(!sim.control(QStringLiteral("at 100 ramp devType 5 100"), &error));
    QVERIFY(!sim.control(QStringLiteral("at 100 ramp filmRoller x 100"), &error));
    QVERIFY(!sim.start({"--fault", "at 10 ramp gyroscope 100"}));
    QCOMPARE(sim.exitCode(), 2);
}

void TestSimController::timedMotorMoves()
{
    SimController sim;
    QVERIFY2(sim.start({"--set", "moveMs=300"}), qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));

    // A write with a length is a move: state 1 until its time is up, then standing.
    QCOMPARE(client.request(QStringLiteral("20,1,3,0,10,100;")), QByteArray("CCMD;20,0,1,3,0,10,100,1;"));
    QCOMPARE(client.request(QStringLiteral("20,0,3,0,0,0;")), QByteArray("CCMD;20,0,0,3,0,10,100,1;"));
    QTest::qWait(350);
    QCOMPARE(client.request(QStringLiteral("20,0,3,0,0,0;")), QByteArray("CCMD;20,0,0,3,0,0,100,0;"));
    // A speed alone keeps turning.
    QCOMPARE(client.request(QStringLiteral("20,1,4,1,300,0;")), QByteArray("CCMD;20,0,1,4,1,300,0,3;"));
    // A state forced from outside.
    QVERIFY(sim.control(QStringLiteral("set motor41 1")));
    QCOMPARE(client.request(QStringLiteral("20,0,4,1,0,0;")), QByteArray("CCMD;20,0,0,4,1,300,0,1;"));
    QVERIFY(!sim.control(QStringLiteral("set motor52 1")));
}

void TestSimController::cutDataHandshake()
{
    SimController sim;
    QVERIFY2(sim.start({"--job-ms", "600"}), qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));
    const QByteArray job("IN;PA;SP2;PU10,-20;PG;PG;");

    QCOMPARE(client.request(QStringLiteral("19,1;")), QByteArray("CCMD;19,0,1;"));
    QCOMPARE(client.request(QStringLiteral("22,%1,%1;").arg(job.size())), QByteArray("CCMD;22,0,25,25;"));
    QCOMPARE(client.request(QStringLiteral("21;")), QByteArray("CCMD;21,0,0;"));
    client.sendRaw(frameCommand(QString::fromLatin1(job.left(10)), QStringLiteral("PPLT")));
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,0;"));
    client.sendRaw(frameCommand(QString::fromLatin1(job.mid(10)), QStringLiteral("PPLT")));

    // All data in: the carriage is busy and takes no new data until it is idle.
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,1;"));
    QCOMPARE(client.request(QStringLiteral("21;")), QByteArray("CCMD;21,0,1;"));
    QCOMPARE(client.request(QStringLiteral("12,0;")), QByteArray("CCMD;12,0,0;"));
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,2;"));
    QTest::qWait(700);
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,2;"));
    QCOMPARE(client.request(QStringLiteral("12,1;")), QByteArray("CCMD;12,0,1;"));
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,1;"));
    QTRY_COMPARE_WITH_TIMEOUT(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,0;"), 5000);
    QCOMPARE(client.request(QStringLiteral("4,0,0,0;")), QByteArray("CCMD;4,0,0,10,-20;"));

    // A stopped job never moves the knives.
    QCOMPARE(client.request(QStringLiteral("22,%1,1024;").arg(job.size())), QByteArray("CCMD;22,0,25,1024;"));
    client.sendRaw(frameCommand(QString::fromLatin1(job), QStringLiteral("PPLT")));
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,1;"));
    QCOMPARE(client.request(QStringLiteral("12,2;")), QByteArray("CCMD;12,0,2;"));
    QCOMPARE(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,0;"));
    QTest::qWait(700);
    QCOMPARE(client.request(QStringLiteral("4,0,0,0;")), QByteArray("CCMD;4,0,0,10,-20;"));

    // Data without an announcement, or beyond it, is noted and ignored.
    client.sendRaw(frameCommand(QStringLiteral("PU1,1;"), QStringLiteral("PPLT")));
    QVERIFY(sim.waitForLine(QStringLiteral("NOTE cut data without a size announcement, ignored")));
    QCOMPARE(client.request(QStringLiteral("22,0,1024;")), QByteArray("CCMD;22,1;"));
}

// Jobs run from where the web and the selected knives stand; what they cut
// is in the transcript in machine coordinates.
void TestSimController::motionModel()
{
    SimController sim;
    QVERIFY2(sim.start({"--job-ms", "50", "--set", "point1=0,1000"}), qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));
    auto cut = [&](const QString &knives, const QByteArray &job) {
        QCOMPARE(client.request(QStringLiteral("19,%1;").arg(knives)), QByteArray("CCMD;19,0," + knives.toLatin1() + ";"));
        QVERIFY(client.request(QStringLiteral("22,%1,1024;").arg(job.size())).startsWith("CCMD;22,0,"));
        client.sendRaw(frameCommand(QString::fromLatin1(job), QStringLiteral("PPLT")));
        QTRY_COMPARE_WITH_TIMEOUT(client.request(QStringLiteral("3;")), QByteArray("CCMD;3,0,0;"), 3000);
    };
    auto lines = [&](const QString &prefix) { return sim.transcript().filter(QRegularExpression("^" + prefix)); };

    // Two knives cut the same square, each in its own lane; the web ends 1000
    // units on, the knives 50 units across.
    cut(QStringLiteral("3"), "IN;PA;SP2;PU0,0;PD0,400,400,400;PU1000,50;");
    QCOMPARE(lines(QStringLiteral("CUT ")),
             (QStringList{"CUT 0 0,0 0,400", "CUT 1 0,1000 0,1400", "CUT 0 0,400 400,400", "CUT 1 0,1400 400,1400"}));
    QVERIFY(sim.transcript().contains(QStringLiteral("JOB START 42 bytes knives 3 web 0")));
    QVERIFY(sim.transcript().contains(QStringLiteral("JOB END web 1000")));
    QCOMPARE(client.request(QStringLiteral("4,0,0,0,0;")), QByteArray("CCMD;4,0,0,0,1000,50;"));
    QCOMPARE(client.request(QStringLiteral("4,0,1,0,0;")), QByteArray("CCMD;4,0,0,1,1000,1050;"));
    // The same positions read back on stdin, as a test camera asks for them.
    QCOMPARE(sim.query(QStringLiteral("web")), QStringLiteral("1000"));
    QCOMPARE(sim.query(QStringLiteral("point1")), QStringLiteral("1000,1050"));
    QCOMPARE(sim.query(QStringLiteral("speed")), QString());
    QString refused;
    QVERIFY(!sim.control(QStringLiteral("get"), &refused));
    QVERIFY(refused.startsWith(QStringLiteral("ERROR ")));

    // Zeroing X moves nothing: the web keeps its place. Relative moves count
    // from the pen; knife 1 stays where it is.
    QCOMPARE(client.request(QStringLiteral("2,0,5;")), QByteArray("CCMD;2,0,0,5;"));
    cut(QStringLiteral("1"), "PU0,0;PD100,0;PR0,-10;PU;PR5,5;");
    QCOMPARE(lines(QStringLiteral("CUT ")).mid(4), (QStringList{"CUT 0 1000,50 1100,50", "CUT 0 1100,50 1100,40"}));
    QVERIFY(sim.transcript().contains(QStringLiteral("JOB END web 1105")));
    QCOMPARE(client.request(QStringLiteral("4,0,0,0,0;")), QByteArray("CCMD;4,0,0,0,105,45;"));
    QCOMPARE(client.request(QStringLiteral("4,0,1,0,0;")), QByteArray("CCMD;4,0,0,1,105,1050;"));
    QCOMPARE(sim.query(QStringLiteral("web")), QStringLiteral("1105"));
    QCOMPARE(sim.query(QStringLiteral("point0")), QStringLiteral("105,45"));

    // A stopped job cuts and moves nothing (data and stop in one write: the
    // job cannot end in between).
    const QByteArray stopped("PU0,0;PD500,0;");
    QVERIFY(client.request(QStringLiteral("22,%1,1024;").arg(stopped.size())).startsWith("CCMD;22,0,"));
    client.sendRaw(frameCommand(QString::fromLatin1(stopped), QStringLiteral("PPLT"))
                   + frameCommand(QStringLiteral("12,2;"), QStringLiteral("CCMD")));
    QCOMPARE(bodyOf(client.frames(1).value(0)), QByteArray("CCMD;12,0,2;"));
    QTest::qWait(100);
    QCOMPARE(lines(QStringLiteral("CUT ")).size(), 6);
    QVERIFY(sim.transcript().contains(QStringLiteral("JOB STOP web 1105")));

    // A controller that keeps saying busy to "21".
    QCOMPARE(client.request(QStringLiteral("21;")), QByteArray("CCMD;21,0,0;"));
    QVERIFY(sim.control(QStringLiteral("set dataBusy 1")));
    QCOMPARE(client.request(QStringLiteral("21;")), QByteArray("CCMD;21,0,1;"));
    QVERIFY(sim.control(QStringLiteral("set web 5000")));
    QVERIFY(sim.control(QStringLiteral("set dataBusy 0")));
    cut(QStringLiteral("1"), "PD0,10;");
    QCOMPARE(lines(QStringLiteral("CUT ")).last(), QStringLiteral("CUT 0 5000,45 5000,55"));
}

// Firmware frames carry raw bytes, 0x02 and 0x03 among them: the simulator
// takes them by their length, and what follows is a frame of its own again.
void TestSimController::firmwareFramesByLength()
{
    SimController sim;
    QVERIFY2(sim.start({"--fault", "on UPG progress 100"}), qPrintable(sim.errorOutput()));
    Client client;
    QVERIFY(client.connectTo(sim.address()));
    QByteArray firmware;
    for (int i = 0; i < 70000; ++i)
        firmware += char(i % 251);
    const QByteArray frame = frameRaw("UPG;1;" + firmware);
    const QByteArray next = frameCommand(QStringLiteral("3;"), QStringLiteral("CCMD"));
    // In pieces, as a socket delivers them.
    client.sendRaw(frame.left(3));
    client.sendRaw(frame.mid(3, 40000));
    client.sendRaw(frame.mid(40003) + next);
    const QList<QByteArray> replies = client.frames(2);
    QCOMPARE(replies.size(), 2);
    QCOMPARE(parseUpgradeProgress(replies.at(0)).value_or(-1), 100.0);
    QCOMPARE(bodyOf(replies.at(1)), QByteArray("CCMD;3,0,0;"));
    QVERIFY(sim.waitFor([&](const QStringList &) { return sim.received().contains(frame); }));
    QVERIFY(!sim.transcript().join('\n').contains("RX-BADLEN"));
}

void TestSimController::announcesOnLoopback()
{
    QUdpSocket listener;
    QVERIFY(listener.bind(QHostAddress::LocalHost, 0));
    const QString port = QString::number(listener.localPort());

    SimController sim;
    QVERIFY2(sim.start({"--announce-port", port, "--announce-interval", "50", "--type", "07x6", "--serial", "42"}),
             qPrintable(sim.errorOutput()));
    SimController other;
    QVERIFY2(other.start({"--announce-port", port, "--announce-interval", "50", "--id", "AB07x3ZZ"}),
             qPrintable(other.errorOutput()));
    QVERIFY(other.address() != sim.address());

    QMap<QByteArray, QString> heard;
    QElapsedTimer timer;
    timer.start();
    while (heard.size() < 2 && timer.elapsed() < 3000) {
        if (!listener.hasPendingDatagrams() && !listener.waitForReadyRead(500))
            continue;
        const QNetworkDatagram datagram = listener.receiveDatagram();
        heard.insert(datagram.data(), datagram.senderAddress().toString());
    }
    // Discovery links to the sender's address, so each datagram leaves from its simulator's address.
    QCOMPARE(heard.value(QByteArray("DISA;SM07x642\x03")), sim.address());
    QCOMPARE(heard.value(QByteArray("DISA;AB07x3ZZ\x03")), other.address());
}

void TestSimController::endsOnSignalAndStdin()
{
    SimController sim;
    QVERIFY(sim.start());
    QVERIFY(sim.processId() > 0);
    ::kill(pid_t(sim.processId()), SIGTERM);
    QVERIFY(sim.waitForExit(5000));
    QCOMPARE(sim.exitCode(), 0);

    QVERIFY(sim.start());
    sim.stop(); // closes stdin
    QCOMPARE(sim.exitCode(), 0);
}

void TestSimController::refusesOtherHosts()
{
    SimController sim;
    QVERIFY(!sim.start({}, QStringLiteral("10.0.0.1")));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.errorOutput().contains(QLatin1String("loopback")));

    QVERIFY(!sim.start({"--announce-to", "192.168.1.20"}));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(!sim.start({"--fault", "on 3 explode"}));
    QCOMPARE(sim.exitCode(), 2);
}

DRAVO_TEST_MAIN(TestSimController)
#include "tst_simcontroller.moc"
