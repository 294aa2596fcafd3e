// Cut-data transfers against the simulated controller: the size
// announcement, packages within the announced total and package size, the
// bytes as they reach the wire, what the controller cut, pause, resume and
// stop while the data streams, and the bad input that ends a cut.
#include "DriverFixture.h"
#include "FrameCodec.h"
#include "TaskWorker.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// Squares of 400 units side by side along the web, 500 units apart.
QByteArray squares(int count)
{
    QByteArray data;
    for (int i = 0; i < count; ++i) {
        const QByteArray x = QByteArray::number(i * 500), x2 = QByteArray::number(i * 500 + 400);
        data += "PU" + x + ",0;PD" + x + ",400," + x2 + ",400," + x2 + ",0," + x + ",0;";
    }
    return data + "PU" + QByteArray::number(count * 500) + ",0;";
}

// What knife 0 standing at y cuts of squares(count) with the web at w.
QStringList squareCuts(int count, qint64 w, qint64 y)
{
    QStringList cuts;
    auto line = [&](qint64 x1, qint64 y1, qint64 x2, qint64 y2) {
        cuts << QStringLiteral("CUT 0 %1,%2 %3,%4").arg(w + x1).arg(y + y1).arg(w + x2).arg(y + y2);
    };
    for (int i = 0; i < count; ++i) {
        const qint64 x = i * 500;
        line(x, 0, x, 400);
        line(x, 400, x + 400, 400);
        line(x + 400, 400, x + 400, 0);
        line(x + 400, 0, x, 0);
    }
    return cuts;
}

int packageCount(const SimController &sim, int from)
{
    int n = 0;
    const QList<QByteArray> frames = sim.received().mid(from);
    for (const QByteArray &frame : frames)
        n += frame.contains(";PPLT;") ? 1 : 0;
    return n;
}

} // namespace

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

    // A job of many packages: what was cut is what was meant, also after a
    // pause in the middle of the stream; a stop there cuts nothing.
    void pauseResumeAndStopMidStream()
    {
        DriverFixture &f = *m_f;
        QVERIFY(f.sim.control("on 21 delay 15")); // the controller takes its time between packages
        const QByteArray data = squares(400); // about 40 packages
        QVERIFY(f.driver->rDevicePoint(0));
        const qint64 y = qint64(f.driver->devicePoint(0).y());
        int from = int(f.sim.received().size());
        const int cutsBefore = int(f.sim.transcript().filter(QRegularExpression("^CUT ")).size());
        auto *worker = new TaskWorker(f.driver.get(), -1);
        worker->setData(data);
        worker->setTaskType(1);
        QVERIFY(f.driver->createWork(worker));
        QVERIFY(QTest::qWaitFor([&] { return packageCount(f.sim, from) >= 5; }, 5000));

        // Paused between two packages: nothing more goes, the carriage has
        // nothing to pause yet (the job starts with its last byte).
        QVERIFY(f.driver->rCutMotorStatus());
        QCOMPARE(f.driver->cutMotorStatus(), 0);
        f.host->setTaskStatus(0);
        QTest::qWait(200);
        const int held = packageCount(f.sim, from);
        QTest::qWait(400);
        QCOMPARE(packageCount(f.sim, from), held);
        QVERIFY(held < int((data.size() + 1023) / 1024));

        f.host->setTaskStatus(1);
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 10000));
        QCOMPARE(packageCount(f.sim, from), int((data.size() + 1023) / 1024));
        const QStringList lines = f.sim.transcript();
        const QString start = lines.filter(QRegularExpression("^JOB START")).last();
        const qint64 web = start.section(' ', -1).toLongLong();
        QCOMPARE(start, QStringLiteral("JOB START %1 bytes knives 1 web %2").arg(data.size()).arg(web));
        QCOMPARE(lines.filter(QRegularExpression("^CUT ")).mid(cutsBefore), squareCuts(400, web, y));

        // Stopped in the middle of the stream: the controller drops what it has.
        from = int(f.sim.received().size());
        worker = new TaskWorker(f.driver.get(), -1);
        worker->setData(data);
        worker->setTaskType(1);
        QVERIFY(f.driver->createWork(worker));
        QVERIFY(QTest::qWaitFor([&] { return packageCount(f.sim, from) >= 5; }, 5000));
        f.host->stopTask(true);
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 3000));
        QVERIFY(packageCount(f.sim, from) < int((data.size() + 1023) / 1024));
        QVERIFY(f.sim.waitForLine(QStringLiteral("JOB STOP web %1").arg(web + 400 * 500)));
        QCOMPARE(f.sim.transcript().filter(QRegularExpression("^CUT ")).size(), cutsBefore + 1600);
        QCOMPARE(f.host->taskStatus(), 2);
    }

    // Cut files that cannot be cut whole are refused before anything is sent.
    void unreadableCutFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "empty.plt" << QByteArray() << QStringLiteral("切割文件为空 \n");
        QTest::newRow("a folder") << "folder.plt" << QByteArray() << QStringLiteral("无法读取切割文件 \n");
        QTest::newRow("missing") << "" << QByteArray() << QStringLiteral("切割文件未打开 \n");
    }

    void unreadableCutFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        DriverFixture &f = *m_f;
        if (name == QLatin1String("folder.plt"))
            QVERIFY(QDir().mkpath(name));
        else if (!name.isEmpty())
            QVERIFY(writeFile(name, content));
        f.cut->setCutFile(name.isEmpty() ? QStringLiteral("nowhere.plt") : QDir::current().absoluteFilePath(name));
        f.driver->setErrorMessage(QString());
        const int before = int(f.commands().size());
        f.driver->cut();
        QCOMPARE(f.driver->errorMessage(), message);
        QVERIFY(f.driver->isWorkIdle());
        QTest::qWait(30);
        QCOMPARE(int(f.commands().size()), before);
        f.cut->setCutFile(QString());
    }

    void packageSizeZero()
    {
        DriverFixture &f = *m_f;
        f.config->setProperty(Config::CPT_Package_size, 0);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^TaskWorker::taskSendPltSize 切割数据包大小错误"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::wPltSize totalSize: 10 packageSize 0"));
        QVERIFY(!f.driver->wPltSize(10));
        const int before = int(f.commands().size());
        QVERIFY(f.driver->startJob(1, "PU0,0;PD1,1;"));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 3000));
        QCOMPARE(f.driver->errorMessage(), QString("切割数据包大小错误"));
        QCOMPARE(f.config->runErrTip(), QString("切割数据包大小错误"));
        QVERIFY(f.commands(before).filter(QRegularExpression("^2[12][,;]")).isEmpty());
        QVERIFY(f.commands(before).contains("12,2;"));
        f.config->setProperty(Config::CPT_Package_size, 1024);
        f.config->setRunErrTip(QString());
    }

    // A controller that refuses the announcement, or never takes the data,
    // ends the job once the long reply time-out has passed.
    void controllerNeverTakesTheData_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("origin");
        QTest::newRow("announcement refused") << "on 22 status 1" << QStringLiteral("控制器拒绝切割数据大小")
                                              << "TaskWorker::taskSendPltSize";
        QTest::newRow("always busy") << "set dataBusy 1" << QStringLiteral("控制器未准备好接收切割数据")
                                     << "TaskWorker::taskRequestSend";
    }

    void controllerNeverTakesTheData()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(QString, origin);
        DriverFixture f;
        f.config->setProperty(Config::CPT_wait_TcpRet_Msecs_Max, 600);
        QVERIFY(f.link(QString(), {"--job-ms", "20"}));
        QVERIFY(f.sim.control(fault));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^" + origin + " " + message + " failing for \\d+ ms"));
        const int from = int(f.sim.received().size());
        QVERIFY(f.driver->startJob(1, squares(3)));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 5000));
        QCOMPARE(f.driver->errorMessage(), message);
        QCOMPARE(f.config->runErrTip(), message);
        QCOMPARE(packageCount(f.sim, from), 0);
        QVERIFY(f.commands().mid(0).contains("12,2;"));
        QCOMPARE(f.host->taskStatus(), 2);
    }

    // A link that drops while a walk streams ends the run: the copy booked
    // for that walk stays booked once, no second one follows.
    void linkDroppedMidStream()
    {
        DriverFixture f;
        QVERIFY(f.link(QString(), {"--job-ms", "20", "--fault", "on 21 delay 20"}));
        f.config->setEnableCut(false);
        f.config->setEnablePrint(true);
        f.host->setCutTaskCopies(0);
        f.driver->wStart(); // a run without cutting: print, book, walk
        QVERIFY(QTest::qWaitFor([&] { return packageCount(f.sim, 0) >= 3; }, 5000));
        QVERIFY(f.sim.control("now close"));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 3000));
        QCOMPARE(f.driver->errorMessage(), QString("设备未连接，请重启设备或者选择设备 \n"));
        QCOMPARE(f.host->taskStatus(), 2);
        QCOMPARE(f.host->finishedCopies(), 1);
        QCOMPARE(f.host->prints(), 1);
        QVERIFY(f.sim.transcript().filter(QRegularExpression("^JOB ")).isEmpty());
    }
};

DRAVO_TEST_MAIN(TestVarnokStreaming)
#include "tst_varnok_streaming.moc"
