#include "tests/support/LogCapture.h"
#include "tests/support/TestMain.h"
#include "app/vision/CheckQueue.h"

#include <QSemaphore>
#include <QThread>
#include <memory>

// The label check's thread: one image checked, one waiting, the newest
// taking the waiting one's place; joined by its owner, never by itself.
class TestCheckQueue : public QObject
{
    Q_OBJECT

    static QImage image(int width) { return QImage(width, 1, QImage::Format_RGB32); }

private slots:
    void newestWaitsAndFinishWaitsForAll()
    {
        QSemaphore entered, release;
        QMutex lock;
        QList<int> checked;
        CheckQueue queue([&](int id, const QImage &img) {
            entered.release();
            release.acquire();
            QMutexLocker l(&lock);
            checked << id * 1000 + img.width();
        });
        QVERIFY(queue.submit(1, image(11)).accepted);
        QVERIFY(entered.tryAcquire(1, 10000));
        QVERIFY(!queue.submit(2, image(22)).replaced);
        const CheckQueue::Handed third = queue.submit(3, image(33));
        QVERIFY(third.accepted && third.replaced == 2);
        release.release(2);
        queue.finish(); // both through once it returns
        QMutexLocker l(&lock);
        QCOMPARE(checked, (QList<int>{1011, 3033}));
    }

    // From inside a check, finish and close neither wait nor join; the owner's
    // close hands back the waiting image, joins, and takes no more.
    void joinedByItsOwnerOnly()
    {
        LogCapture log;
        QSemaphore entered, release;
        CheckQueue *self = nullptr;
        CheckQueue queue([&](int, const QImage &) {
            self->finish();
            self->close();
            entered.release();
            release.acquire();
        });
        self = &queue;
        QVERIFY(queue.submit(1, image(1)).accepted);
        QVERIFY(entered.tryAcquire(1, 10000));
        QVERIFY(queue.submit(2, image(2)).accepted);
        // The check in progress ends only once the queue is closed: image 2 is still waiting then.
        std::unique_ptr<QThread> releaser(QThread::create([&] {
            if (!QTest::qWaitFor([&] { return queue.isClosed(); }, 10000))
                qWarning("the queue was not closed");
            release.release();
        }));
        releaser->start();
        QCOMPARE(queue.close(), std::optional<int>(2));
        QVERIFY(releaser->wait(10000));
        QVERIFY(queue.isClosed() && !queue.submit(4, image(4)).accepted);
        QCOMPARE(log.count("called from the check itself"), 2);
        QCOMPARE(log.count("Thread tried to wait on itself"), 0);
    }
};

DRAVO_TEST_MAIN(TestCheckQueue)
#include "tst_checkqueue.moc"
