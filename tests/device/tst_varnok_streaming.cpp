// Transfers against the simulated controller: cut data (the announcement,
// packages within it, bytes unchanged, cuts refused, paused, stopped or
// ended early) and firmware (the file whole in one frame, its progress,
// broken transfers).
#include "tests/support/TestFiles.h"
#include "tests/support/TestMain.h"
#include "device/task/TaskWorker.h"
#include "tests/device/DriverFixture.h"

#include <QRegularExpression>

class TestVarnokStreaming : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

    bool waitIdle() { return QTest::qWaitFor([&] { return m_f->driver->isWorkIdle(); }, 20000); }
    bool startCut(const QByteArray &data)
    {
        return m_f->driver->createWork(new TaskWorker(m_f->driver.get(), 1, data));
    }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(QString(), {"--job-ms", "20", "--fault", "on UPG progress 100"}));
    }
    void cleanupTestCase() { m_f.reset(); }

    // The announcement (the configured package size by default), then
    // packages within it, bytes unchanged; what does not fit is refused unsent.
    void announcementAndPackages()
    {
        DriverFixture &f = *m_f;
        QVERIFY(f.driver->wPltSize(1000) && f.commands().last() == "22,1000,1024;");
        const int before = f.commandCount();
        QVERIFY(!f.driver->wPltSize(0, 512));
        QCOMPARE(f.config->runErrTip(), QString("文件长度错误"));
        QVERIFY(f.sim.control("on 22 status 1 count 1") && !f.driver->wPltSize(77, 7)); // the last counters stay
        QVERIFY(f.commandCount() == before + 1 && f.driver->pltTransfer().total == 1000);
        const QByteArray data = QByteArray("PU0,0;LB\xb2\xe2\xca\xd4;PU;", 16).repeated(4) + QByteArray(36, 'x');
        QVERIFY(f.driver->wPltSize(100, 40));
        const int from = int(f.sim.received().size());
        for (int at = 0; at < 100; at += 40)
            QVERIFY(f.driver->wPlt(data.mid(at, 40)));
        QVERIFY(f.driver->pltTransfer().sent == 100 && f.driver->cutSent());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::wPlt totalSize: 100 sendPltLen: 100"));
        QVERIFY(!f.driver->wPlt("y"));
        QVERIFY(f.driver->wPltSize(100, 40));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::wPlt packageSize: 40 current send len: 41"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::wPlt data is null"));
        QVERIFY(!f.driver->wPlt(QByteArray(41, 'z')) && !f.driver->wPlt(QByteArray()));
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().size() >= from + 4; }, 10000));
        QCOMPARE(packages(f.sim.received().mid(from)), (QList<QByteArray>{data.left(40), data.mid(40, 40), data.mid(80)}));
        QVERIFY(!f.sim.transcript().join('\n').contains("beyond"));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->rCutMotorStatus() && f.driver->cutMotorStatus() == 0; }, 10000));
    }

    // What cannot be cut whole, or with no package size, is refused with its
    // message before any cut data is announced.
    void refusedCuts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "empty.plt" << QStringLiteral("切割文件为空 \n");
        QTest::newRow("a folder") << "folder.plt" << QStringLiteral("无法读取切割文件 \n");
        QTest::newRow("missing") << "" << QStringLiteral("切割文件未打开 \n");
        QTest::newRow("package size 0") << "square.plt" << QStringLiteral("切割数据包大小错误");
    }
    void refusedCuts()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        DriverFixture &f = *m_f;
        QVERIFY((name != "folder.plt" || QDir().mkpath(name)) && (name != "empty.plt" || writeFile(name, QByteArray())));
        if (name == "square.plt") {
            QVERIFY(writeFile(name, "PU0,0;PD1,1;"));
            f.config->setProperty(Config::CPT_Package_size, 0);
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^TaskWorker::taskSendPltSize 切割数据包大小错误"));
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::wPltSize totalSize: 10 packageSize 0"));
            QVERIFY(!f.driver->wPltSize(10));
        }
        f.cut->setCutFile(QDir::current().absoluteFilePath(name.isEmpty() ? QStringLiteral("nowhere.plt") : name));
        f.driver->setErrorMessage(QString());
        const int before = f.commandCount();
        f.driver->cut();
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 20000));
        QCOMPARE(f.driver->errorMessage(), message);
        QVERIFY(f.commands(before).filter(QRegularExpression("^2[12][,;]")).isEmpty());
        f.config->setProperty(Config::CPT_Package_size, 1024);
    }

    // A job of about 40 packages with the controller slow between them: a
    // pause between two packages holds the stream (watched for 400 ms); what
    // was cut is what was meant; a stop mid-stream cuts nothing.
    void pauseResumeAndStopMidStream()
    {
        DriverFixture &f = *m_f;
        QByteArray data;
        for (int x = 0; x < 400 * 500; x += 500)
            data += QStringLiteral("PU%1,0;PD%1,400,%2,400,%2,0,%1,0;").arg(x).arg(x + 400).toLatin1();
        data += "PU200000,0;";
        const int all = int((data.size() + 1023) / 1024);
        QVERIFY(f.sim.control("on 21 delay 15") && f.driver->rDevicePoint(0));
        const qint64 y = qint64(f.driver->devicePoint(0).y());
        const int cutsBefore = int(f.sim.transcript().filter(QRegularExpression("^CUT ")).size());
        int from = int(f.sim.received().size());
        const auto packageCount = [&] { return int(packages(f.sim.received().mid(from)).size()); };
        QVERIFY(startCut(data) && QTest::qWaitFor([&] { return packageCount() >= 5; }, 10000));
        f.host->setTaskStatus(0);
        int held = 0;
        QVERIFY(settles(packageCount, 600, &held) && held < all);
        QVERIFY(f.driver->rCutMotorStatus() && f.driver->cutMotorStatus() == 0); // nothing to pause yet
        f.host->setTaskStatus(1);
        QVERIFY(waitIdle() && packageCount() == all);
        const QStringList lines = f.sim.transcript();
        const qint64 web = lines.filter(QRegularExpression("^JOB START")).last().section(' ', -1).toLongLong();
        QStringList cuts;
        const auto line = [&](qint64 x1, qint64 y1, qint64 x2, qint64 y2) {
            cuts << QStringLiteral("CUT 0 %1,%2 %3,%4").arg(x1).arg(y + y1).arg(x2).arg(y + y2);
        };
        for (qint64 x = web; x < web + 400 * 500; x += 500)
            line(x, 0, x, 400), line(x, 400, x + 400, 400), line(x + 400, 400, x + 400, 0), line(x + 400, 0, x, 0);
        QCOMPARE(lines.filter(QRegularExpression("^CUT ")).mid(cutsBefore), cuts);
        from = int(f.sim.received().size());
        QVERIFY(startCut(data) && QTest::qWaitFor([&] { return packageCount() >= 5; }, 10000));
        f.host->stopTask(true);
        QVERIFY(waitIdle() && packageCount() < all && f.host->taskStatus() == 2);
        QVERIFY(f.sim.waitForLine(QStringLiteral("JOB STOP web %1").arg(web + 400 * 500), 10000));
        QCOMPARE(f.sim.transcript().filter(QRegularExpression("^CUT ")).size(), cutsBefore + 1600);
        QVERIFY(f.sim.control("on 21 delay 0"));
    }

    // A controller that refuses the announcement or never takes the data ends
    // the job after the long reply time-out (600 ms here) with nothing sent;
    // a link dropped mid-stream ends a run with its copy booked once.
    void cutEndsEarly_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("announcement refused") << "on 22 status 1" << QStringLiteral("控制器拒绝切割数据大小");
        QTest::newRow("always busy") << "set dataBusy 1" << QStringLiteral("控制器未准备好接收切割数据");
        QTest::newRow("link dropped") << "now close" << QStringLiteral("设备未连接，请重启设备或者选择设备 \n");
    }
    void cutEndsEarly()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        DriverFixture f;
        const bool drop = fault == "now close";
        f.config->setProperty(Config::CPT_wait_TcpRet_Msecs_Max, 600);
        QVERIFY(f.link(QString(), {"--job-ms", "20", "--fault", "on 21 delay 20"}));
        if (drop) { // a run without cutting: print, book, walk
            f.config->setEnableCut(false);
            f.config->setEnablePrint(true);
            f.driver->wStart();
            QVERIFY(QTest::qWaitFor([&] { return packages(f.sim.received()).size() >= 3; }, 10000));
        } else {
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(message + " failing for \\d+ ms"));
        }
        QVERIFY(f.sim.control(fault) && (drop || f.driver->startJob(1, "PU0,0;PD400,0;")));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 20000));
        QVERIFY(f.driver->errorMessage() == message && f.host->taskStatus() == 2);
        QVERIFY(packages(f.sim.received()).isEmpty() == !drop && f.host->finishedCopies() == (drop ? 1 : 0));
        QVERIFY(drop ? f.sim.transcript().filter(QRegularExpression("^JOB ")).isEmpty() : f.commands().contains("12,2;"));
    }

    // Firmware: the file's exact bytes (0x02 and 0x03 among them) after
    // "UPG;<module>;", whole, a command right behind it not mixed in, the
    // progress counted from nothing; the file named by updateFile goes to the
    // module of index; nothing to send is said, with the progress back at 0.
    void firmwareWholeInOneFrame()
    {
        DriverFixture &f = *m_f;
        QByteArray data(300000, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char((i * 7 + i / 256) % 256);
        f.driver->setUpdateProgress(100.0); // the last transfer's
        f.driver->setErrorMessage(QString());
        SignalCount progress(f.driver.get(), &Varnok120X::updateProgressChanged);
        int from = int(f.sim.received().size());
        f.driver->slotUpgrade(3, data, QVariantMap{{"ignored", 1}});
        QVERIFY(f.driver->index() == 3 && f.driver->rCutMotorStatus());
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().size() >= from + 2; }, 10000));
        QVERIFY(f.sim.received().mid(from).contains(FrameCodec::frameRaw("UPG;3;" + data)));
        QVERIFY(!f.sim.transcript().join('\n').contains("RX-BADLEN"));
        QTRY_COMPARE_WITH_TIMEOUT(progress.count(), 2, 10000); // back to 0, then the controller's 100
        QVERIFY(f.driver->updateProgress() == 100.0 && !f.driver->isUpgrading());
        QVERIFY(writeFile(QStringLiteral("module.bin"), data.left(1000)) && writeFile(QStringLiteral("empty.bin"), QByteArray()));
        f.driver->setIndex(1);
        for (const auto &[file, message] : {std::pair{"module.bin", ""}, {"missing.bin", "无法读取固件文件：missing.bin"},
                                            {"empty.bin", "固件文件为空"}}) {
            f.driver->setUpdateFile(QString::fromUtf8(file));
            f.driver->setUpdateProgress(100.0);
            from = int(f.sim.received().size());
            if (*message)
                QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::(update|slotUpgrade) "));
            f.driver->update();
            QVERIFY(f.driver->errorMessage() == QString::fromUtf8(message) && (*message ? f.driver->updateProgress() == 0.0 : true));
            QVERIFY(f.driver->rCutMotorStatus());
            const int sent = *message ? 1 : 2;
            QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().size() >= from + sent; }, 10000));
            QCOMPARE(f.sim.received().mid(from).size(), sent);
            QCOMPARE(f.sim.received().mid(from).contains(FrameCodec::frameRaw("UPG;1;" + data.left(1000))), !*message);
        }
    }

    // A folder or a file over 64 MB is no firmware file: told, nothing sent.
    void firmwareFileRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder") << "firmware.dir" << "无法读取固件文件：firmware.dir";
        QTest::newRow("over 64 MB") << "big.bin" << "固件文件过大：big.bin";
    }
    void firmwareFileRefused()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        DriverFixture &f = *m_f;
        QVERIFY(QDir().mkpath(QStringLiteral("firmware.dir")));
        QFile big(QStringLiteral("big.bin"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(64 * 1024 * 1024 + 1));
        big.close();
        f.driver->setUpdateFile(file);
        const int from = int(f.sim.received().size());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::update "));
        f.driver->update();
        QCOMPARE(f.driver->errorMessage(), message);
        QVERIFY(f.driver->rCutMotorStatus() && !f.driver->upgrading());
        QCOMPARE(f.sim.received().mid(from).size(), 1);
    }

    // One transfer at a time: a second is refused until the controller
    // reports the first done, and a report beyond 100 % is done too.
    void oneTransferAtATime()
    {
        DriverFixture f;
        QVERIFY(f.link());
        const auto upgrades = [&f] {
            int n = 0;
            for (const QByteArray &frame : f.sim.received())
                n += frame.contains(";UPG;2;") ? 1 : 0;
            return n;
        };
        f.driver->slotUpgrade(2, QByteArray(100, 'a'), {});
        QVERIFY(f.driver->upgrading() && f.driver->isUpgrading());
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::slotUpgrade a transfer is under way"));
        f.driver->slotUpgrade(2, QByteArray(100, 'b'), {});
        QCOMPARE(f.driver->errorMessage(), QString("请等待升级结束"));
        QVERIFY(f.sim.control("now progress 42"));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 42.0, 10000);
        QVERIFY(f.driver->upgrading());
        QVERIFY(f.sim.control("now progress 150"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.driver->upgrading(), 10000);
        QVERIFY(f.driver->updateProgress() == 150.0 && !f.driver->isUpgrading());
        QCOMPARE(upgrades(), 1);
        f.driver->slotUpgrade(2, QByteArray(100, 'c'), {});
        QVERIFY(f.driver->upgrading());
        QTRY_COMPARE_WITH_TIMEOUT(upgrades(), 2, 10000);
    }

    // A transfer that stops reporting (300 ms here), or whose link drops, no
    // longer counts as running: closing is not held up for ever.
    void brokenFirmwareTransferEnds_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::newRow("silent") << false;
        QTest::newRow("link dropped") << true;
    }
    void brokenFirmwareTransferEnds()
    {
        QFETCH(bool, drop);
        DriverFixture f;
        QVERIFY(f.link());
        f.driver->setUpgradeStallLimit(drop ? Varnok120X::kUpgradeStallMs : 300);
        f.driver->slotUpgrade(2, QByteArray(100, '\x03'), {});
        QVERIFY(f.sim.control("now progress 37.5"));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 37.5, 10000);
        QVERIFY(f.driver->isUpgrading());
        if (drop)
            QVERIFY(f.sim.control("now close"));
        else
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::checkUpgrade no progress for \\d+ ms at 37.5 %"));
        QTRY_COMPARE_WITH_TIMEOUT(f.driver->updateProgress(), 0.0, 10000);
        QVERIFY(!f.driver->isUpgrading() && f.driver->errorMessage() == "固件升级中断，请重新升级");
        if (!drop)
            return;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::slotUpgrade not linked"));
        f.driver->slotUpgrade(2, QByteArray(100, 'x'), {});
        QCOMPARE(f.driver->errorMessage(), QString("设备未连接，请重启设备或者选择设备 \n"));
    }
};

DRAVO_TEST_MAIN(TestVarnokStreaming)
#include "tst_varnok_streaming.moc"
