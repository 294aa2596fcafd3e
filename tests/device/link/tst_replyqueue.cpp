// Whose a reply is, on timelines written out step by step: the order of a
// key's requests, what a reply echoes, and when an owed reply is given up.
#include "tests/support/TestMain.h"
#include "device/link/FrameCodec.h"
#include "device/link/ReplyQueue.h"

#include <QMap>
#include <memory>

class TestReplyQueue : public QObject
{
    Q_OBJECT

private slots:
    // Steps, all on key 6, times in ms:
    //   "A 6,1,0,500; @0"   request A sent at 0 (bound 1000 ms)
    //   "A gives up"        A's sender stops waiting
    //   "1,0,500 @250 = A"  a reply (fields after the status) at 250 goes to
    //                       A's sender; "= late A": it is A's late reply;
    //                       "= none": nobody's
    //   "size 1"            requests left on the key
    void whoseReply_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("late reply goes to its own request, the next one waits on")
            << QStringList{"A 6,1,0,500; @0", "A gives up", "B 6,1,0,501; @100", "1,0,500 @250 = late A",
                           "1,0,501 @260 = B", "size 0"};
        QTest::newRow("a reply echoing a later request passes over an earlier one")
            << QStringList{"A 6,1,0,500; @0", "A gives up", "B 6,1,0,501; @100", "1,0,501 @110 = B", "size 1",
                           "1,0,500 @400 = late A"};
        QTest::newRow("a 0 argument proves nothing: the order decides")
            << QStringList{"A 6,0,0,0; @0", "A gives up", "B 6,1,0,501; @100", "1,0,501 @110 = late A",
                           "1,0,501 @120 = B"};
        QTest::newRow("echo that fits no request: the order decides")
            << QStringList{"A 6,1,0,500; @0", "1,0,999 @10 = A"};
        QTest::newRow("owed past its bound is given up, the next reply is the next request's")
            << QStringList{"A 3; @0", "A gives up", "B 3; @1100", "size 1", "0 @1110 = B"};
        QTest::newRow("the same frame asked again: the reply goes to the sender that waits")
            << QStringList{"A 3; @0", "A gives up", "B 3; @300", "size 2", "0 @301 = B", "size 0",
                           "C 3; @600", "0 @601 = C", "0 @700 = none"};
        QTest::newRow("same frame again behind another key's owed one: only the same frames are passed over")
            << QStringList{"A 6,1,0,7; @0", "A gives up", "B 6,1,0,8; @100", "B gives up", "C 6,1,0,8; @200",
                           "1,0,7 @250 = late A", "1,0,8 @260 = C", "size 0"};
        QTest::newRow("told apart, behind past the bound: still each its own")
            << QStringList{"A 6,1,0,1; @0",  "A gives up",       "B 6,1,0,2; @300", "1,0,1 @301 = late A",
                           "B gives up",     "C 6,1,0,3; @900", "1,0,2 @901 = late B", "C gives up",
                           "D 6,1,0,4; @1200", "1,0,3 @1201 = late C", "1,0,4 @1210 = D"};
        QTest::newRow("a request never written owes nothing")
            << QStringList{"A 3; @0", "A withdrawn", "0 @10 = none", "size 0"};
    }
    void whoseReply()
    {
        QFETCH(QStringList, steps);
        ReplyQueue queue;
        QMap<QString, std::shared_ptr<ReplyQueue::Waiter>> waiters;
        QMap<QString, QByteArray> frames;
        auto ns = [](const QString &at) { return at.mid(1).toLongLong() * 1000000; };
        for (const QString &step : steps) {
            const QStringList words = step.split(' ');
            if (words.first() == "size") {
                QVERIFY2(queue.size(6) == words.at(1).toInt(), qPrintable(step));
            } else if (words.size() == 3 && words.at(2).startsWith('@')) {
                waiters[words.at(0)] = std::make_shared<ReplyQueue::Waiter>();
                frames[words.at(0)] = FrameCodec::frameCommand(words.at(1), QStringLiteral("CCMD"));
                queue.push(6, frames[words.at(0)], waiters[words.at(0)].get(), ns(words.at(2)), 1000000000);
            } else if (words.at(1) == "gives") {
                queue.giveUp(6, waiters[words.at(0)].get());
            } else if (words.at(1) == "withdrawn") {
                queue.withdraw(6, waiters[words.at(0)].get());
            } else {
                const ReplyQueue::Answer answer = queue.answer(6, ("0," + words.at(0)).split(','), ns(words.at(1)));
                const QString expected = step.section("= ", 1);
                if (expected == "none")
                    QVERIFY2(!answer.waiter && !answer.late, qPrintable(step));
                else if (expected.startsWith("late "))
                    QVERIFY2(answer.late && answer.frame == frames.value(expected.mid(5)), qPrintable(step));
                else
                    QVERIFY2(answer.waiter == waiters.value(expected).get() && !answer.late, qPrintable(step));
            }
        }
    }
};

DRAVO_TEST_MAIN(TestReplyQueue)
#include "tst_replyqueue.moc"
