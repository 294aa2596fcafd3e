// The controller link against the simulated controller: each sender gets its
// own reply, waits end when the link goes, late replies go to nobody, and
// frames nobody asked for reach the handler, which may itself send.
#include "tests/support/TestMain.h"
#include "device/link/ControllerLink.h"
#include "device/link/FrameCodec.h"
#include "tests/device/DriverFixture.h"

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

    // Every reply of one key 200 ms late, the waits taking turns between
    // 100 ms (always given up) and long, 40 calls from each thread, each with
    // its own value: a caller gets its own answer or none, never another's;
    // the late ones still reach the handler, as late.
    void lateRepliesAnswerTheirOwnRequests_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("lateMs");
        QTest::newRow("one thread") << 1 << 10000;
        QTest::newRow("two threads") << 2 << 10000;
        // Behind for far longer than the bound, yet every reply within it:
        // the echoed values keep each one with its request.
        QTest::newRow("two threads, behind past the bound") << 2 << 2000;
    }
    void lateRepliesAnswerTheirOwnRequests()
    {
        QFETCH(int, threads);
        QFETCH(int, lateMs);
        LinkRig rig;
        QVERIFY(rig.open({"--fault", "on 6 delay 200"}));
        std::atomic<int> wrong{0}, answered{0};
        QList<QThread *> senders;
        for (int t = 0; t < threads; ++t) {
            senders << QThread::create([&, t] {
                for (int i = 0; i < 40; ++i) {
                    const int value = 1000 * (t + 1) + i;
                    const QByteArray frame = command(QStringLiteral("6,1,0,%1;").arg(value));
                    const auto reply = rig.link.request(frame, 6, i % 2 ? 5000 : 100, lateMs);
                    if (reply.replied)
                        answered += 1, wrong += reply.fields.value(3).toInt() != value;
                }
            });
            senders.last()->start();
        }
        for (QThread *sender : senders) {
            QVERIFY(sender->wait(120000));
            delete sender;
        }
        QCOMPARE(wrong.load(), 0);
        QVERIFY(answered > 0);
        QTRY_VERIFY_WITH_TIMEOUT(rig.late >= 20 * threads, 10000);
    }

    // A reply that never comes, then normal replies, from threads sending
    // without a pause: with the frames telling the requests apart the next
    // reply is known as the next request's at once; with the same frame
    // each reply may be the missing one's late reply, until the requests
    // have been behind for longer than the bound (here 1 s after the one
    // without a reply) and the replies go to their senders again.
    void lostReplyIsGivenUpWithinTheBound_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("boundMs");
        QTest::newRow("values told apart") << "6,1,0,%1;" << 1 << 60000;
        QTest::newRow("same frame") << "6,0,0,0;" << 1 << 1000;
        QTest::newRow("same frame, two threads") << "6,0,0,0;" << 2 << 1000;
    }
    void lostReplyIsGivenUpWithinTheBound()
    {
        QFETCH(QString, text);
        QFETCH(int, threads);
        QFETCH(int, boundMs);
        LinkRig rig;
        QVERIFY(rig.open({"--fault", "on 6 drop count 1"}));
        auto frame = [&](int value) { return command(text.contains("%1") ? text.arg(value) : text); };
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!rig.link.request(frame(1), 6, 300, boundMs).replied);
        std::atomic<int> wrong{0};
        std::atomic<qint64> recovered{-1};
        QList<QThread *> senders;
        for (int t = 0; t < threads; ++t) {
            senders << QThread::create([&, t] {
                int inStep = 0;
                for (int i = 2; inStep < 5 && clock.elapsed() < boundMs + 20000; ++i) {
                    const int value = 100 * (t + 1) + i;
                    const auto reply = rig.link.request(frame(value), 6, 300, boundMs);
                    if (!reply.replied)
                        continue;
                    qint64 none = -1;
                    recovered.compare_exchange_strong(none, clock.elapsed());
                    inStep += 1;
                    wrong += text.contains("%1") && reply.fields.value(3).toInt() != value;
                }
            });
            senders.last()->start();
        }
        for (QThread *sender : senders) {
            QVERIFY(sender->wait(60000));
            delete sender;
        }
        QCOMPARE(wrong.load(), 0);
        // The first reply after the bound at the latest, with room for a loaded machine.
        QVERIFY2(recovered >= 0 && recovered < (text.contains("%1") ? 3000 : boundMs + 3000),
                 qPrintable(QString::number(recovered)));
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
