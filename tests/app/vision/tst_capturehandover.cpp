#include "tests/support/TestMain.h"
#include "app/vision/CaptureHandover.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>

// The capture hand-over between asking threads and the GUI thread, where the test answers by hand.
class TestCaptureHandover : public QObject
{
    Q_OBJECT
    CaptureHandover m_handover;
    std::atomic<int> m_asked{0};

    // Camera 1 asked from a thread of its own; answered by this thread once asked (answer > 0) or within the
    // request (answer < 0); then this thread waits for the thread itself.
    bool request(int waitMs, int answer)
    {
        const int before = m_asked.load();
        std::atomic<bool> result{false};
        std::unique_ptr<QThread> worker(QThread::create([&] {
            result = m_handover.request(1, false, waitMs, [&] {
                if (answer < 0)
                    m_handover.answer(1);
                return ++m_asked > 0;
            });
        }));
        worker->start();
        if (answer > 0 && QTest::qWaitFor([&] { return m_asked.load() > before; }, 10000))
            m_handover.answer(1);
        worker->wait();
        return result.load();
    }

private slots:
    // Answered within the request or while it waits; never: the wait runs out, the late answer settles its debt.
    void answered()
    {
        QVERIFY(request(60000, -1) && request(60000, 1));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!request(300, 0) && clock.elapsed() >= 300);
        m_handover.answer(1);
    }

    // An answer after its request gave up is not the next one's; had the camera lost the earlier request
    // instead, that costs one request, and the one after is served again.
    void lateOrLostAnswerCostsOneRequest()
    {
        QVERIFY(!request(300, 0));
        QVERIFY(!request(300, 1));
        QVERIFY(request(60000, 1));
    }

    // An answer nobody asked for is neither a debt nor the next request's.
    // The GUI thread asks and returns at once; its answer is nobody else's.
    void strayAndGuiThreadAnswers()
    {
        m_handover.answer(1);
        QVERIFY(request(60000, 1));
        m_handover.answer(1);
        QVERIFY(!m_handover.request(1, true, 60000, [] { return true; }));
        m_handover.answer(1);
        QVERIFY(!request(300, 0));
        m_handover.answer(1);
    }

    // A driver going: the request waiting now gives up at once, owing its answer; later ones wait as usual.
    void abandonWakesOnlyTheWaitingRequest()
    {
        std::unique_ptr<QThread> abandoner(QThread::create([&] {
            QDeadlineTimer deadline(60000);
            while (!m_handover.isWaiting() && !deadline.hasExpired())
                QThread::yieldCurrentThread();
            m_handover.abandonWaiting();
        }));
        abandoner->start();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!request(600000, 0) && abandoner->wait() && clock.elapsed() < 60000);
        m_handover.answer(1); // the late answer settles the abandoned request's debt
        QVERIFY(request(60000, 1));
    }

    // Shutdown: a waiting request wakes at once; a later one neither asks nor waits.
    void cancelWakesEveryRequest()
    {
        std::unique_ptr<QThread> canceller(QThread::create([&] {
            QThread::msleep(300);
            m_handover.cancel();
        }));
        canceller->start();
        QVERIFY(!request(600000, 0) && canceller->wait());
        bool asked = false;
        QVERIFY(!m_handover.request(2, false, 600000, [&] { return asked = true; }) && !asked);
    }
};

DRAVO_TEST_MAIN(TestCaptureHandover)
#include "tst_capturehandover.moc"
