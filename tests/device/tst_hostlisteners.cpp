// The listeners of the driver's roles: the order in which the task status
// reaches them, and their removal while calls are under way.
#include "tests/support/TestMain.h"
#include "device/DriverHost.h"

#include <QSemaphore>
#include <QThread>
#include <atomic>

class TestHostListeners : public QObject
{
    Q_OBJECT

private slots:
    // A start (1) still being delivered when a stop (2) is stored: the
    // listener must not end with the 1, or a job runs while the application
    // says stopped (and refuses starts as busy).
    void listenersEndWithTheCurrentStatus()
    {
        NullTaskHost host;
        QSemaphore inSlowCall, release;
        std::atomic<int> seen{-1};
        host.addTaskStatusListener([&](int status) {
            if (status == 1 && seen.load() == -1) {
                inSlowCall.release();
                release.acquire();
            }
            seen.store(status);
        });
        std::unique_ptr<QThread> starter(QThread::create([&] { host.setTaskStatus(1); }));
        starter->start();
        QVERIFY(inSlowCall.tryAcquire(1, 10000));
        host.setTaskStatus(2);
        release.release();
        QVERIFY(starter->wait(10000));
        QCOMPARE(seen.load(), 2);
    }

    // After remove() the listener never runs again: removal waits for a call
    // on another thread (the test looks for a return too early), not for one
    // of its own, from inside which a listener may remove itself.
    void removalWaitsForCallsUnderWay()
    {
        HostListeners listeners;
        QSemaphore inCall, release;
        std::atomic<int> calls{0};
        std::atomic<bool> callEnded{false}, endedAtRemoval{false};
        const int id = listeners.add([&](int) {
            ++calls;
            inCall.release();
            release.acquire();
            callEnded = true;
        });
        std::unique_ptr<QThread> notifier(QThread::create([&] { listeners.notify(1); }));
        std::unique_ptr<QThread> remover(QThread::create([&] {
            listeners.remove(id);
            endedAtRemoval = callEnded.load();
        }));
        notifier->start();
        QVERIFY(inCall.tryAcquire(1, 10000));
        remover->start();
        QVERIFY(!remover->wait(300));
        release.release();
        QVERIFY(remover->wait(10000) && notifier->wait(10000));
        QVERIFY(endedAtRemoval);
        int selfId = 0;
        selfId = listeners.add([&](int) { listeners.remove(selfId), ++calls; });
        listeners.notify(2);
        listeners.notify(3);
        QCOMPARE(calls.load(), 2);
    }
};

DRAVO_TEST_MAIN(TestHostListeners)
#include "tst_hostlisteners.moc"
