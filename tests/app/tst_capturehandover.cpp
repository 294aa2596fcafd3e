#include "CaptureHandover.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <functional>

// The capture hand-over between the threads that ask for images and the GUI
// thread where the cameras answer: here the test's main thread answers by hand.
class TestCaptureHandover : public QObject
{
    Q_OBJECT
    CaptureHandover m_handover;
    std::atomic<int> m_asked{0};

    // Camera 1 asked from a thread of its own, waiting up to waitMs; once it
    // asked, the main thread answers (-1: within the request itself), then
    // waits for the thread itself.
    bool request(int waitMs, int answers)
    {
        const int before = m_asked.load();
        std::atomic<bool> result{false};
        std::unique_ptr<QThread> worker(QThread::create([&] {
            result = m_handover.request(1, false, waitMs, [&] {
                if (answers < 0)
                    m_handover.answer(1);
                return ++m_asked > 0;
            });
        }));
        worker->start();
        if (answers > 0 && QTest::qWaitFor([&] { return m_asked.load() > before; }, 10000))
            m_handover.answer(1);
        worker->wait();
        return result.load();
    }

private slots:
    // Answered within the request or while it waits; never: the wait runs out,
    // and the late answer settles its debt.
    void answered()
    {
        QVERIFY(request(60000, -1));
        QVERIFY(request(60000, 1));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!request(300, 0));
        QVERIFY(clock.elapsed() >= 300);
        m_handover.answer(1);
    }

    // An answer that comes after its request gave up is not the next
    // request's; should the camera have lost the earlier request instead,
    // that costs the one request, and the one after is served again.
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

    // Shutdown: every waiting request wakes at once; a later one neither asks nor waits.
    void cancelWakesEveryRequest()
    {
        std::atomic<bool> other{true};
        std::unique_ptr<QThread> second(QThread::create([&] { other = m_handover.request(2, false, 600000, [] { return true; }); }));
        second->start();
        std::unique_ptr<QThread> canceller(QThread::create([&] {
            QThread::msleep(300);
            m_handover.cancel();
        }));
        canceller->start();
        QVERIFY(!request(600000, 0));
        QVERIFY(second->wait(60000) && canceller->wait() && !other);
        bool asked = false;
        QVERIFY(!m_handover.request(1, false, 600000, [&] { return asked = true; }));
        QVERIFY(!asked);
    }
};

DRAVO_TEST_MAIN(TestCaptureHandover)
#include "tst_capturehandover.moc"
