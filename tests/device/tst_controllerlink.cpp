// The controller link against the simulated controller: each sender gets its
// own reply, waits end when the link goes, late replies go to nobody, and
// frames nobody asked for reach the handler, which may itself send.
#include "ControllerLink.h"
#include "DriverFixture.h"
#include "FrameCodec.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>

namespace {

QByteArray command(const QString &text)
{
    return FrameCodec::frameCommand(text, QStringLiteral("CCMD"));
}

// A link whose handler hands the replies back and counts alarms and late replies.
struct LinkRig
{
    SimController sim;
    std::atomic<int> alarms{0}, late{0}, nested{0};
    std::atomic<quint64> dropped{0};
    quint64 generation = 0;
    ControllerLink link{[this](const QByteArray &frame) { handle(frame); }, [this](quint64 g) { dropped = g; }};

    void handle(const QByteArray &frame)
    {
        const auto reply = FrameCodec::parseCommandReply(frame);
        if (reply && reply->id == FrameCodec::kAlarmId) // the handler sends and waits on its own
            alarms += 1, nested += link.request(command("3;"), 3, 5000).replied;
        else if (reply)
            late += link.deliver(reply->id, reply->ok.value_or(false), reply->fields).late;
    }
    bool open(const QStringList &arguments = {})
    {
        QString error;
        return DriverFixture::startSim(sim, QString(), arguments) && link.changeAddress(sim.address(), &generation)
               && link.open(generation, Varnok120X::kPort, 3000, &error);
    }
};

} // namespace

class TestControllerLink : public QObject
{
    Q_OBJECT

private slots:
    // Two threads send the same command with replies delayed 80 ms: each
    // call returns with the reply to its own frame, after the delay.
    void sameCommandFromTwoThreads()
    {
        LinkRig rig;
        QVERIFY(rig.open({"--fault", "on 6 delay 80"}));
        std::atomic<int> wrong{0};
        auto sender = [&](int base) {
            return QThread::create([&, base] {
                for (int value = base; value < base + 10; ++value) {
                    QElapsedTimer clock;
                    clock.start();
                    const auto reply = rig.link.request(command(QStringLiteral("6,1,0,%1;").arg(value)), 6, 5000);
                    wrong += !reply.ok || reply.fields.value(3).toInt() != value || clock.elapsed() < 70;
                }
            });
        };
        std::unique_ptr<QThread> a(sender(100)), b(sender(200));
        a->start();
        b->start();
        QVERIFY(a->wait(20000) && b->wait(20000));
        QCOMPARE(wrong.load(), 0);
    }

    // Closing wakes every waiter at once, wherever in its wait it is (a test
    // about the wait: ten rounds of eight waiters on a command never
    // answered, each given 10 s).
    void closeWakesEveryWaiter()
    {
        LinkRig rig;
        QVERIFY(rig.open({"--fault", "on 17 drop"}));
        for (int round = 0; round < 10; ++round) {
            QString error;
            QVERIFY(rig.link.open(rig.link.close(), Varnok120X::kPort, 3000, &error));
            const int before = int(rig.sim.receivedCommands().size());
            std::atomic<int> answered{0};
            QList<QThread *> threads;
            for (int i = 0; i < 8; ++i) {
                threads << QThread::create([&] { answered += rig.link.request(command("17;"), 17, 10000).replied; });
                threads.last()->start();
            }
            QVERIFY(QTest::qWaitFor([&] { return rig.sim.receivedCommands().size() >= before + 8; }, 10000));
            QElapsedTimer clock;
            clock.start();
            rig.link.close();
            for (QThread *t : threads) {
                QVERIFY(t->wait(5000));
                delete t;
            }
            QVERIFY2(clock.elapsed() < 3000 && answered == 0, qPrintable(QString::number(clock.elapsed())));
        }
    }

    // A reply after its sender gave up (after 50 ms, on purpose) is known as
    // late and satisfies no later sender.
    void lateReplyGoesToNobody()
    {
        LinkRig rig;
        QVERIFY(rig.open({"--fault", "on 6 delay 400 count 1"}));
        QVERIFY(!rig.link.request(command("6,1,0,11;"), 6, 50).replied);
        QCOMPARE(rig.link.request(command("6,1,0,22;"), 6, 5000).fields.value(3), QString("22"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.late.load(), 1, 5000);
    }

    // A frame nobody waits for reaches the handler, which may send and wait
    // itself; a peer that goes drops the connection of its generation.
    void unaskedFramesAndDrop()
    {
        LinkRig rig;
        QVERIFY(rig.open());
        QVERIFY(rig.sim.control("now alarm 7"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.nested.load(), 1, 10000);
        QCOMPARE(rig.alarms.load(), 1);
        QVERIFY(rig.sim.control("now close"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.dropped.load(), rig.generation, 10000);
    }
};

DRAVO_TEST_MAIN(TestControllerLink)
#include "tst_controllerlink.moc"
