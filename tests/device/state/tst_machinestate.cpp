// The machine state's combined changes: bits set from many threads at once,
// per-knife values that report a change only when there is one.
#include "tests/support/TestMain.h"
#include "device/state/MachineState.h"

#include <QThread>
#include <atomic>

class TestMachineState : public QObject
{
    Q_OBJECT

private slots:
    void concurrentBitChangesLoseNothing()
    {
        MachineState state(0, 0, 0, 0);
        std::atomic<int> changes{0};
        QList<QThread *> threads;
        for (const qulonglong bit : {2ull, 256ull}) {
            threads << QThread::create([&, bit] {
                for (int i = 0; i < 2000; ++i)
                    changes += state.changeDeviceState(bit, bit) + state.changeDeviceState(bit, 0);
                changes += state.changeDeviceState(bit, bit);
            });
            threads.last()->start();
        }
        for (QThread *t : threads) {
            QVERIFY(t->wait(10000));
            delete t;
        }
        QCOMPARE(state.deviceState(), qulonglong(258));
        QCOMPARE(changes.load(), 2 * (2 * 2000 + 1));
    }

    void perKnifeValues()
    {
        MachineState state(0, 0, 0, 0);
        QCOMPARE(state.pressure(1), 100); // never reported
        QVERIFY(state.setPressure(1, 80) && !state.setPressure(1, 80) && state.pressure(0) == 100);
        state.setKnifeOffsetY(2, 40.0);
        QCOMPARE(state.knifeOffset(2), QPointF(0, 40));
        state.setFeatureFlag(MachineState::kFeatureFlagCount, 1); // beyond the table: ignored
        QCOMPARE(state.featureFlag(MachineState::kFeatureFlagCount), 0);
        const MachineState::Versions before = state.versions();
        state.firmwareTrim.set(QStringLiteral("V9"));
        QVERIFY(state.versions() != before);
    }
};

DRAVO_TEST_MAIN(TestMachineState)
#include "tst_machinestate.moc"
