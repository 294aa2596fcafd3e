// What only these tests check of the simulator: framing by length, the transcript, the fault and state
// scripts, announcements, and the job and motion model whose CUT lines the cutting tests read.
#include "tests/support/SimController.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "device/link/FrameCodec.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>
#include <csignal>

using namespace FrameCodec;

#define START(sim, ...) QVERIFY2((sim).start(__VA_ARGS__), qPrintable((sim).errorOutput()))
#define LINK(client, sim) Client client(sim); QVERIFY(client.connected())

namespace {

constexpr int kWaitMs = 10000; // a loaded machine answers late, never not at all

QByteArray bodyOf(const QByteArray &frame) { return frame.mid(frame.indexOf(';') + 1).chopped(!frame.isEmpty()); }
QByteArray ccmd(const QString &command) { return frameCommand(command, QStringLiteral("CCMD")); }
QByteArray pplt(const QByteArray &data) { return frameCommand(QString::fromLatin1(data), QStringLiteral("PPLT")); }

// A bare client speaking frames to the simulator, as the driver would. Replies
// come in the order of the requests: a reply that should not exist shows up in
// place of the next expected one, so no test waits for silence.
class Client
{
public:
    explicit Client(const SimController &sim) { m_socket.connectToHost(sim.address(), 9100); }
    bool connected() { return m_socket.waitForConnected(kWaitMs); }
    void sendRaw(const QByteArray &bytes) { m_socket.write(bytes); m_socket.waitForBytesWritten(kWaitMs); }
    void send(const QString &command) { sendRaw(ccmd(command)); }
    QByteArray request(const QString &command) { send(command); return bodyOf(next()); }
    // The next whole frame, empty when none came in time or the link closed.
    QByteArray next()
    {
        const QDeadlineTimer deadline(kWaitMs);
        while (m_frames.isEmpty() && !deadline.hasExpired() && m_socket.state() == QAbstractSocket::ConnectedState) {
            if (m_socket.bytesAvailable() > 0 || m_socket.waitForReadyRead(int(deadline.remainingTime())))
                m_frames += m_splitter.feed(m_socket.readAll());
        }
        return m_frames.isEmpty() ? QByteArray() : m_frames.takeFirst();
    }
    // The raw bytes of one read; the frames among them still come through next().
    QByteArray chunk()
    {
        if (m_socket.bytesAvailable() == 0)
            m_socket.waitForReadyRead(kWaitMs);
        const QByteArray bytes = m_socket.readAll();
        m_frames += m_splitter.feed(bytes);
        return bytes;
    }
    bool closed() { return m_socket.state() == QTcpSocket::UnconnectedState || m_socket.waitForDisconnected(kWaitMs); }

private:
    QTcpSocket m_socket;
    FrameSplitter m_splitter;
    QList<QByteArray> m_frames;
};

// Sends each command and checks its reply body after "CCMD;"; the first mismatch, empty when none.
QString talk(Client &client, const QStringList &dialogue)
{
    for (qsizetype i = 0; i + 1 < dialogue.size(); i += 2) {
        const QByteArray reply = client.request(dialogue[i]);
        if (reply != "CCMD;" + dialogue[i + 1].toLatin1() + ';')
            return dialogue[i] + QStringLiteral(" answered ") + QString::fromLatin1(reply);
    }
    return QString();
}

} // namespace

class TestSimController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        START(m_sim);
        START(m_module, {"--personality", "module"});
    }

    // Replies carry the fields the driver reads; writes change what the reads
    // report, and factory settings bring the power-on values back.
    void exchanges_data()
    {
        QTest::addColumn<bool>("module");
        QTest::addColumn<QStringList>("dialogue"); // command, reply body after "CCMD;", ...
        auto row = [](const char *name, const QStringList &talk, bool module = false) {
            QTest::newRow(name) << module << talk;
        };
        row("power-on reads", {"1,0,0,0,0,0;", "1,0,07x5,SM07x50001,PCB0001,HC1.2,V3.2.1", "18,0,0;",
                               "18,0,0,0,9000,0,0,50.00,50.00,50.00"});
        // The module personality refuses the one-shot query, so the driver asks each module.
        row("module", {"1,0,0,0,0,0;", "1,1", "1,0,2,0,0,0,0;", "1,0,0,2,07x5,SM07x50001,PCB0001,HS1.0,V1.5.0",
                       "1,0,7,0,0,0,0;", "1,1"}, true);
        row("refused", {"14;", "14,1", "6;", "6,1", "19,x;", "19,1"}); // unused id, missing or non-numeric argument
        row("speed, whole, then factory settings",
            {"6,1,0,55.4;", "6,0,1,0,55", "6,0,0,0;", "6,0,0,0,55", "16,1;", "16,0,1", "6,0,0,0;", "6,0,0,0,100"});
        row("mark camera offset", {"8,1,1,1.50,-2.00;", "8,0,1,1,1.50,-2.00", "8,0,1,0,0;", "8,0,0,1,1.50,-2.00"});
        row("rewind motor", {"20,1,3,0,10,100;", "20,0,1,3,0,10,100,3", "20,0,3,0,0,0;", "20,0,0,3,0,10,100,3"});
        row("trim y reset, short form", {"2,3,1;", "2,0,3,1", "2,0,3,1;", "2,0,0,3,1,3"});
        row("knife move", {"4,1,1,100,-200;", "4,0,1,1,100,-200", "4,0,1,0,0;", "4,0,0,1,100,-200"});
    }
    void exchanges()
    {
        QFETCH(bool, module);
        QFETCH(QStringList, dialogue);
        LINK(client, module ? m_module : m_sim);
        QCOMPARE(talk(client, dialogue << "16,1;" << "16,0,1"), QString()); // power-on values for the next row
    }

    // A wrong length, junk and a cut-off frame are dropped and logged; the good
    // frame after each is answered, and only it.
    void lengthIsChecked()
    {
        LINK(client, m_sim);
        client.sendRaw(QByteArray("\x02" "99;CCMD;17;\x03") + ccmd("3;"));
        QCOMPARE(bodyOf(client.next()), QByteArray("CCMD;3,0,0;"));
        client.sendRaw("xyz" + QByteArray("\x02" "12;CCMD;") + ccmd("6,0,0,0;"));
        QCOMPARE(bodyOf(client.next()), QByteArray("CCMD;6,0,0,0,100;"));
        client.sendRaw(ccmd("10,0,0;").left(5));
        client.sendRaw(ccmd("10,0,0;").mid(5));
        QCOMPARE(bodyOf(client.next()), QByteArray("CCMD;10,0,0,0;"));
        // The transcript holds each frame whole and byte for byte, the reply after its request.
        QVERIFY(m_sim.waitFor([](const QStringList &lines) {
            const qsizetype rx = lines.lastIndexOf(QStringLiteral("RX \\x0217;CCMD;10,0,0;\\x03"));
            return rx >= 0 && lines.value(rx + 1) == QStringLiteral("TX \\x0219;CCMD;10,0,0,0;\\x03");
        }, kWaitMs));
        for (const char *line : {"RX-BADLEN \\x0299;CCMD;17;\\x03", "RX-JUNK xyz", "RX-BADLEN \\x0212;CCMD;"})
            QVERIFY2(m_sim.waitForLine(QString::fromLatin1(line), kWaitMs), line);
    }

    // Firmware frames carry raw bytes, 0x02 and 0x03 among them: the simulator
    // takes them by their length, and what follows is a frame of its own again.
    void firmwareFramesByLength()
    {
        SimController sim;
        START(sim, {"--fault", "on UPG progress 100"});
        LINK(client, sim);
        QByteArray firmware;
        for (int i = 0; i < 70000; ++i)
            firmware += char(i % 251);
        const QByteArray frame = frameRaw("UPG;1;" + firmware);
        client.sendRaw(frame.left(3)); // in pieces, as a socket delivers them
        client.sendRaw(frame.mid(3, 40000));
        client.sendRaw(frame.mid(40003) + ccmd("3;"));
        QCOMPARE(parseUpgradeProgress(client.next()).value_or(-1), 100.0);
        QCOMPARE(bodyOf(client.next()), QByteArray("CCMD;3,0,0;"));
        QVERIFY(sim.waitFor([&](const QStringList &) { return sim.received().contains(frame); }, kWaitMs));
        QVERIFY(!sim.transcript().join('\n').contains("RX-BADLEN"));
    }

    void faultScript()
    {
        QVERIFY(writeFile("faults.txt", "# one fault per command\n"
                                        "on 6 delay 300\non 10 drop\non 3 status 7 count 1\non 17 fields 1\n"
                                        "on 18 split 10\non 19 double\non 9 garbage \\x01zz\non 11 alarm 4\n"
                                        "on 21 progress 42.5\non 20,1,3 status 2   # only the rewind motor write\n"
                                        "on 7 reply CCMD;7,0,0,abc;\non 5 close\n"));
        SimController sim;
        START(sim, {"--faults", "faults.txt", "--split-gap", "300"});
        LINK(client, sim);
        QElapsedTimer timer; // delays are lower bounds, which hold however loaded the machine
        timer.start();
        QCOMPARE(talk(client, {"6,0,0,0;", "6,0,0,0,100"}), QString());
        QVERIFY(timer.elapsed() >= 250);
        client.send(QStringLiteral("10,0,0;")); // dropped: the next frame answers "3;"
        QCOMPARE(talk(client, {"3;", "3,7,0", "3;", "3,0,0", "17;", "17,0", "20,1,3,0,10,0;", "20,2,1,3,0,10,0,3",
                               "20,0,3,0,0,0;", "20,0,0,3,0,10,0,3", "7,0,1,0;", "7,0,0,abc"}),
                 QString());
        timer.restart(); // split: the rest follows the first 10 bytes after the gap
        client.send(QStringLiteral("18,0,0;"));
        const qsizetype first = client.chunk().size(); // the whole frame only when read late
        const QByteArray rollers = frameRaw("CCMD;18,0,0,0,9000,0,0,50.00,50.00,50.00;");
        QCOMPARE(client.next(), rollers);
        QVERIFY(timer.elapsed() >= 250 && (first == 10 || first == rollers.size()));

        client.send(QStringLiteral("19,3;"));
        QCOMPARE(client.next() + client.next(), frameRaw("CCMD;19,0,3;").repeated(2));
        client.send(QStringLiteral("9,0,0,0;"));
        QVERIFY(client.chunk().startsWith("\x01zz\x02"));
        QCOMPARE(bodyOf(client.next()), QByteArray("CCMD;9,0,0,1.0000,1.0000;"));
        QCOMPARE(talk(client, {"11,0,0,0;", "11,0,0,1200,50000"}), QString());
        QCOMPARE(bodyOf(client.next()), QByteArray("CCMD;23,0,4;"));
        QCOMPARE(talk(client, {"21;", "21,0,0"}), QString());
        QCOMPARE(parseUpgradeProgress(client.next()).value_or(-1), 42.5);
        client.send(QStringLiteral("5,1,1;"));
        QVERIFY(client.closed());
        QVERIFY(sim.waitForLine(QStringLiteral("CLOSE"), kWaitMs));
        QVERIFY(sim.transcript().contains(QStringLiteral("NOREPLY 10")));
        LINK(again, sim); // still listening after a close
        QCOMPARE(talk(again, {"3;", "3,0,0"}), QString());
    }

    // Timed events and state steps count from the first link; control lines act at once.
    void controlLinesAndTimedEvents()
    {
        SimController sim;
        START(sim, {"--fault", "at 100 alarm 2", "--fault", "at 150 set filmRoller 40", "--fault",
                    "at 150 set sensors 0000011", "--fault", "at 300 ramp collectRoller 70 1000"});
        LINK(client, sim);
        QCOMPARE(bodyOf(client.next()), QByteArray("CCMD;23,0,2;"));
        QVERIFY(sim.control(QStringLiteral("set status 1")));
        QTRY_COMPARE_WITH_TIMEOUT(talk(client, {"3;", "3,0,1", "17;", "17,0,0,0,0,0,0,1,1"}), QString(), kWaitMs);
        QVERIFY(sim.control(QStringLiteral("now progress 55")));
        QCOMPARE(parseUpgradeProgress(client.next()).value_or(-1), 55.0);
        QVERIFY(sim.control(QStringLiteral("now raw \\x02junk\\x0214;CCMD;3,0;\\x03")));
        QCOMPARE(client.next(), QByteArray("\x02" "14;CCMD;3,0;\x03"));
        QVERIFY(sim.waitForLine(QStringLiteral("STATE collectRoller 70"), kWaitMs));
        QList<double> ramp; // through values in between, never going back
        for (const QString &line : sim.transcript().filter(QStringLiteral("STATE collectRoller ")))
            ramp << line.section(QLatin1Char(' '), 2).toDouble();
        QVERIFY(std::is_sorted(ramp.cbegin(), ramp.cend()));
        QVERIFY(std::any_of(ramp.cbegin(), ramp.cend(), [](double v) { return v > 50.0 && v < 70.0; }));
        QCOMPARE(talk(client, {"18,0,0;", "18,0,0,0,9000,0,0,50.00,40.00,70.00"}), QString());
        for (const char *bad : {"set nosuchkey 1", "on 6 explode", "at 100 set filmRoller x",
                                "at 100 ramp devType 5 100", "at 100 ramp filmRoller x 100"})
            QVERIFY2(!sim.control(QString::fromLatin1(bad)), bad);
        QVERIFY(sim.control(QStringLiteral("now close")));
        QVERIFY(client.closed());
        QVERIFY(!sim.start({"--fault", "at 10 ramp gyroscope 100"}));
        QCOMPARE(sim.exitCode(), 2);
    }

    // A motor write with a length is a move: state 1 until its time is up.
    void timedMotorMoves()
    {
        SimController sim;
        START(sim, {"--set", "moveMs=300"});
        LINK(client, sim);
        QCOMPARE(talk(client, {"20,1,3,0,10,100;", "20,0,1,3,0,10,100,1"}), QString());
        QTRY_COMPARE_WITH_TIMEOUT(talk(client, {"20,0,3,0,0,0;", "20,0,0,3,0,0,100,0"}), QString(), kWaitMs);
        QCOMPARE(talk(client, {"20,1,4,1,300,0;", "20,0,1,4,1,300,0,3"}), QString()); // a speed alone: turning
        QVERIFY(sim.control(QStringLiteral("set motor41 1"))); // a state forced from outside
        QCOMPARE(talk(client, {"20,0,4,1,0,0;", "20,0,0,4,1,300,0,1"}), QString());
        QVERIFY(!sim.control(QStringLiteral("set motor52 1")));
    }

    // A job runs once all its announced data is in; pause, resume and stop act
    // on it, and a stopped job moves nothing. It is long enough never to end here.
    void cutDataHandshake()
    {
        SimController sim;
        START(sim, {"--job-ms", "600000"});
        LINK(client, sim);
        const QByteArray job("IN;PA;SP2;PU10,-20;PG;PG;");
        QCOMPARE(talk(client, {"19,1;", "19,0,1", "22,25,25;", "22,0,25,25", "21;", "21,0,0"}), QString());
        client.sendRaw(pplt(job.left(10)));
        QCOMPARE(talk(client, {"3;", "3,0,0"}), QString());
        client.sendRaw(pplt(job.mid(10)));
        QCOMPARE(talk(client, {"3;", "3,0,1", "21;", "21,0,1", "12,0;", "12,0,0", "3;", "3,0,2", "12,1;", "12,0,1",
                               "3;", "3,0,1", "12,2;", "12,0,2", "3;", "3,0,0", "4,0,0,0;", "4,0,0,0,0"}),
                 QString());
        QVERIFY(sim.waitForLine(QStringLiteral("JOB STOP web 0"), kWaitMs));
        client.sendRaw(pplt("PU1,1;")); // no transfer open: noted and ignored
        QVERIFY(sim.waitForLine(QStringLiteral("NOTE cut data without a size announcement, ignored"), kWaitMs));
        QCOMPARE(talk(client, {"22,0,1024;", "22,1"}), QString());
    }

    // Jobs run from where the web and the selected knives stand; what they cut
    // is in the transcript in machine coordinates.
    void motionModel()
    {
        SimController sim;
        START(sim, {"--job-ms", "50", "--set", "point1=0,1000"});
        LINK(client, sim);
        auto cut = [&](const QString &knives, const QByteArray &job) {
            QCOMPARE(talk(client, {"19," + knives + ';', "19,0," + knives}), QString());
            QVERIFY(client.request(QStringLiteral("22,%1,1024;").arg(job.size())).startsWith("CCMD;22,0,"));
            client.sendRaw(pplt(job));
            QTRY_COMPARE_WITH_TIMEOUT(talk(client, {"3;", "3,0,0"}), QString(), kWaitMs);
        };
        auto cuts = [&] { return sim.transcript().filter(QStringLiteral("CUT ")); };

        // Two knives cut the same square, each in its own lane; the web ends
        // 1000 units on, the knives 50 units across.
        cut(QStringLiteral("3"), "IN;PA;SP2;PU0,0;PD0,400,400,400;PU1000,50;");
        QCOMPARE(cuts(), (QStringList{"CUT 0 0,0 0,400", "CUT 1 0,1000 0,1400", "CUT 0 0,400 400,400",
                                      "CUT 1 0,1400 400,1400"}));
        QVERIFY(sim.transcript().contains(QStringLiteral("JOB START 42 bytes knives 3 web 0")));
        QVERIFY(sim.transcript().contains(QStringLiteral("JOB END web 1000")));
        QCOMPARE(talk(client, {"4,0,1,0,0;", "4,0,0,1,1000,1050"}), QString());
        QCOMPARE(sim.query(QStringLiteral("point1")), QStringLiteral("1000,1050")); // as the test camera asks

        // Zeroing X moves nothing: the web keeps its place. Relative moves count
        // from the pen; knife 1 stays where it is.
        QCOMPARE(talk(client, {"2,0,5;", "2,0,0,5"}), QString());
        cut(QStringLiteral("1"), "PU0,0;PD100,0;PR0,-10;PU;PR5,5;");
        QCOMPARE(cuts().mid(4), (QStringList{"CUT 0 1000,50 1100,50", "CUT 0 1100,50 1100,40"}));
        QVERIFY(sim.transcript().contains(QStringLiteral("JOB END web 1105")));
        QCOMPARE(talk(client, {"4,0,0,0,0;", "4,0,0,0,105,45", "4,0,1,0,0;", "4,0,0,1,105,1050"}), QString());
        QCOMPARE(sim.query(QStringLiteral("web")), QStringLiteral("1105"));

        // Data and stop in one write, so the job cannot end in between: nothing cut.
        const QByteArray stopped("PU0,0;PD500,0;");
        QVERIFY(client.request(QStringLiteral("22,%1,1024;").arg(stopped.size())).startsWith("CCMD;22,0,"));
        client.sendRaw(pplt(stopped) + ccmd("12,2;"));
        QCOMPARE(bodyOf(client.next()), QByteArray("CCMD;12,0,2;"));
        QVERIFY(sim.waitForLine(QStringLiteral("JOB STOP web 1105"), kWaitMs));
        QCOMPARE(cuts().size(), 6);

        // A controller that keeps saying busy to "21", and a web set from outside.
        QVERIFY(sim.control(QStringLiteral("set dataBusy 1")));
        QCOMPARE(talk(client, {"21;", "21,0,1"}), QString());
        QVERIFY(sim.control(QStringLiteral("set web 5000")));
        QVERIFY(sim.control(QStringLiteral("set dataBusy 0")));
        cut(QStringLiteral("1"), "PD0,10;");
        QCOMPARE(cuts().last(), QStringLiteral("CUT 0 5000,45 5000,55"));
    }

    // Each datagram leaves from its simulator's own address: discovery links to the sender.
    void announcesOnLoopback()
    {
        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress::LocalHost, 0));
        const QString port = QString::number(listener.localPort());
        SimController sim, other;
        START(sim, {"--announce-port", port, "--announce-interval", "50", "--type", "07x6", "--serial", "42"});
        START(other, {"--announce-port", port, "--announce-interval", "50", "--id", "AB07x3ZZ"});
        QMap<QByteArray, QString> heard;
        for (const QDeadlineTimer deadline(kWaitMs); heard.size() < 2 && !deadline.hasExpired();) {
            if (listener.hasPendingDatagrams() || listener.waitForReadyRead(500)) {
                const QNetworkDatagram datagram = listener.receiveDatagram();
                heard.insert(datagram.data(), datagram.senderAddress().toString());
            }
        }
        QVERIFY(other.address() != sim.address());
        QCOMPARE(heard.value(QByteArray("DISA;SM07x642\x03")), sim.address());
        QCOMPARE(heard.value(QByteArray("DISA;AB07x3ZZ\x03")), other.address());
    }

    // It ends cleanly when stdin closes or on SIGTERM, and reaches loopback addresses only.
    void endsAndStaysOnLoopback()
    {
        m_sim.stop();
        QCOMPARE(m_sim.exitCode(), 0);
        START(m_sim);
        ::kill(pid_t(m_sim.processId()), SIGTERM);
        QVERIFY(m_sim.waitForExit(kWaitMs));
        QCOMPARE(m_sim.exitCode(), 0);
        QVERIFY(!m_sim.start({}, QStringLiteral("10.0.0.1")));
        QVERIFY(m_sim.errorOutput().contains(QLatin1String("loopback")));
        QVERIFY(!m_sim.start({"--announce-to", "192.168.1.20"}));
        QCOMPARE(m_sim.exitCode(), 2);
    }

private:
    SimController m_sim; // legacy personality: each test leaves it as it found it
    SimController m_module;
};

DRAVO_TEST_MAIN(TestSimController)
#include "tst_simcontroller.moc"
