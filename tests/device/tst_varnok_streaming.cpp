// Cut-data transfers against the simulated controller: the size
// announcement, packages within the announced total and package size, and
// the bytes as they reach the wire.
#include "DriverFixture.h"
#include "FrameCodec.h"
#include "TestMain.h"

#include <QRegularExpression>

class TestVarnokStreaming : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

    // The frames the simulator received after the first `from`, once `count` are in.
    QList<QByteArray> receivedAfter(int from, int count)
    {
        m_f->sim.waitFor([&](const QStringList &) { return m_f->sim.received().size() >= from + count; });
        return m_f->sim.received().mid(from);
    }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(QString(), {"--job-ms", "20"}));
    }

    void cleanupTestCase() { m_f.reset(); }

    void announcement()
    {
        DriverFixture &f = *m_f;
        int before = int(f.commands().size());
        QVERIFY(f.driver->wPltSize(1000));
        QCOMPARE(f.commands(before), QStringList{"22,1000,1024;"}); // the configured package size
        QCOMPARE(f.driver->pltTransfer().package, quint64(1024));

        // Nothing to send: refused unsent, with the run error text.
        before = int(f.commands().size());
        QVERIFY(!f.driver->wPltSize(0, 512));
        QCOMPARE(f.config->runErrTip(), QString("文件长度错误"));
        QTest::qWait(30);
        QCOMPARE(int(f.commands().size()), before);
        QCOMPARE(f.driver->pltTransfer().total, quint64(1000));

        // A refused announcement keeps the counters of the last one.
        QVERIFY(f.sim.control("on 22 status 1 count 1"));
        QVERIFY(!f.driver->wPltSize(77, 7));
        QCOMPARE(f.driver->pltTransfer().total, quint64(1000));
        f.config->setRunErrTip(QString());
    }

    void packagesWithinTheAnnouncement()
    {
        DriverFixture &f = *m_f;
        QVERIFY(f.driver->wPltSize(100, 40));
        const int from = int(f.sim.received().size());
        const QByteArray data(100, 'x');
        QVERIFY(f.driver->wPlt(data.left(40)));
        QVERIFY(f.driver->wPlt(data.mid(40, 40)));
        QVERIFY(f.driver->wPlt(data.mid(80)));
        QCOMPARE(f.driver->pltTransfer().sent, quint64(100));
        QVERIFY(f.driver->cutSent());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::wPlt totalSize: 100 sendPltLen: 100"));
        QVERIFY(!f.driver->wPlt("y"));
        QVERIFY(f.driver->wPltSize(100, 40));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::wPlt packageSize: 40 current send len: 41"));
        QVERIFY(!f.driver->wPlt(QByteArray(41, 'z')));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::wPlt data is null"));
        QVERIFY(!f.driver->wPlt(QByteArray()));
        QCOMPARE(f.driver->pltTransfer().sent, quint64(0));

        const QList<QByteArray> frames = receivedAfter(from, 4);
        QCOMPARE(frames.size(), 4); // three packages and the second announcement
        QCOMPARE(frames.at(0), QByteArray("\x02" "50;PPLT;" + QByteArray(40, 'x') + "\x03"));
        QCOMPARE(frames.at(2), QByteArray("\x02" "30;PPLT;" + QByteArray(20, 'x') + "\x03"));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->rCutMotorStatus() && f.driver->cutMotorStatus() == 0; }, 3000));
    }

    // Cut data is bytes: whatever the file holds reaches the controller
    // unchanged, and as many bytes as were announced.
    void bytesGoUnchanged()
    {
        DriverFixture &f = *m_f;
        const QByteArray data("PU0,0;LB\xb2\xe2\xca\xd4;PU;", 16);
        QVERIFY(f.driver->wPltSize(size_t(data.size()), 1024));
        const int from = int(f.sim.received().size());
        QVERIFY(f.driver->wPlt(data));
        const QList<QByteArray> frames = receivedAfter(from, 1);
        QCOMPARE(frames.value(0), FrameCodec::frameRaw("PPLT;" + data));
        QVERIFY(!f.sim.transcript().join('\n').contains("beyond"));
    }
};

DRAVO_TEST_MAIN(TestVarnokStreaming)
#include "tst_varnok_streaming.moc"
