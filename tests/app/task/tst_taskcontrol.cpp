#include "tests/app/AppTestSupport.h"

#include <QApplication>
#include <QRegularExpression>

// Task control: the checks before a start, a run without cutting on the simulator, the trial run.
class TestTaskControl : public QObject
{
    Q_OBJECT
private slots:
    void startRefusals_data()
    {
        QTest::addColumn<QList<int>>("copies"); // cut task, cut done, print task, print done; print on, trial run
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("cut"); // a cut file open, none, none but a code at the marks picks it, no cutting
        QTest::addColumn<QString>("text");
        QTest::newRow("no copies") << QList<int>{0, 0, 0, 0, 0, 0} << "" << "open" << QStringLiteral("任务份数不能为0 \n");
        QTest::newRow("all at once, in order") << QList<int>{2, 2, 1, 1, 1, 0} << "" << "none"
                                               << QStringLiteral("切割份数已完成 \n打印份数已完成 \n打印文件未打开 \n切割文件未打开 \n");
        QTest::newRow("CorelDRAW needs no print file") << QList<int>{2, 0, 2, 0, 1, 0} << "CorelDRAW" << "open" << QString();
        QTest::newRow("a trial run does not print") << QList<int>{2, 0, 2, 2, 1, 1} << "" << "open" << QString();
        QTest::newRow("a trial run cuts") << QList<int>{2, 0, 0, 0, 0, 1} << "" << "none" << QStringLiteral("切割文件未打开 \n");
        QTest::newRow("the code picks the cut file") << QList<int>{2, 0, 0, 0, 0, 0} << "" << "by code" << QString();
        QTest::newRow("no cutting, no cut file") << QList<int>{0, 0, 2, 0, 0, 0} << "" << "off" << QString();
    }
    // Refused with the reasons in order (unlinked last): nothing moved, the check parameters the store's again.
    void startRefusals()
    {
        QFETCH(QList<int>, copies);
        QFETCH(QString, printer);
        QFETCH(QString, cut);
        QFETCH(QString, text);
        PartsFixture fx;
        fx.config->setEnableCut(cut != "off");
        fx.config->setProperty(Config::CPT_Enable_Cut_Marker_Type, cut == "by code" ? 1 : 0);
        if (cut == "open") {
            const QString file = fx.dir.filePath("square.plt");
            writeFile(file, "IN;PU0,0;PD400,0,400,400,0,400,0,0;PU;");
            QTest::ignoreMessage(QtCriticalMsg, "DravolinteApp::loadTemplate m_cutScene->bkImage() is NULL");
            fx.cut.open(file);
            QVERIFY(fx.cut.hasCutItems());
        }
        fx.config->setProperty(Config::CPT_Enable_Print, copies[4] == 1);
        fx.config->setProperty(Config::CPT_Printer_Name, printer);
        fx.records.setCutTaskCopies(copies[0]);
        fx.records.setCutCopies(copies[1]);
        fx.records.setPrintTaskCopies(copies[2]);
        fx.records.setPrintCopies(copies[3]);
        const QDateTime startedBefore = fx.records.currentWorkRecord().timestamp;
        fx.task.startTask(true, copies[5] == 1);
        QCOMPARE(fx.driver->errorMessage(), text + QStringLiteral("设备未连接，请重启设备或者选择设备 \n"));
        QVERIFY(fx.records.cutCopies() == copies[1] && fx.task.taskStatus() == 2 && !fx.task.isExecOnce());
        QVERIFY(fx.task.checkParams().enablePrint == (copies[4] == 1) && fx.records.currentWorkRecord().timestamp == startedBefore);
    }

    // Pause and resume act on a live job only; a start while it lives is refused, so is a second request.
    void runWithoutCutting()
    {
        PartsFixture fx;
        SimController sim;
        QVERIFY(fx.link(sim, {"--job-ms", "1500"}));
        fx.config->setEnableCut(false);
        fx.config->setProperty(Config::CPT_Enable_Print, false);
        fx.task.pauseTask(true);
        fx.task.resumeTask(true);
        QVERIFY(!sim.receivedCommands().contains("12,0;") && !sim.receivedCommands().contains("12,1;"));
        fx.task.startTask(true, false);
        QTRY_VERIFY_WITH_TIMEOUT(fx.driver->cutSent() && fx.driver->cutMotorStatus() == 1, 10000);
        fx.task.pauseTask(true);
        QCOMPARE(fx.task.taskStatus(), 0);
        fx.records.setPrintCopies(7);
        fx.task.startTask(true, true);
        QCOMPARE(fx.driver->errorMessage(), QStringLiteral("机器繁忙，请稍后重试"));
        QVERIFY(fx.records.printCopies() == 7 && !fx.task.isExecOnce());
        fx.task.resumeTask(true);
        QCOMPARE(fx.task.taskStatus(), 1);
        QVERIFY(sim.control(QStringLiteral("on 3 delay 60 count 3")));
        QTest::ignoreMessage(QtCriticalMsg, "DravolinteApp::stopTask 正在执行,请稍后重试");
        fx.task.pauseTask(false);
        fx.task.stopTask(false);
        QTRY_VERIFY_WITH_TIMEOUT(!fx.task.isTaskThreadBusy(), 10000);
        fx.task.stopTask(true);
        QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle() && fx.task.taskStatus() == 2, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(sim.receivedCommands().filter(QRegularExpression("^12,")),
                                  (QStringList{"12,0;", "12,1;", "12,0;", "12,2;"}), 10000);
    }

    // A trial run books its copy before its walk, prints nothing, stops the machine once; printing is on again after.
    void trialRunEndsTheJob()
    {
        PartsFixture fx;
        fx.config->setEnableCut(false);
        fx.driver->setPolling(false); // the rollers' watch is not what this is about
        SimController sim;
        QVERIFY(fx.link(sim, {"--job-ms", "20"}));
        fx.task.startTask(false, true);
        QVERIFY(fx.task.isExecOnce() && !fx.task.checkParams().enablePrint);
        QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle() && fx.task.taskStatus() == 2, 30000);
        QCOMPARE(sim.receivedCommands().filter(QRegularExpression("^12,|^22,")), QStringList{"12,2;"});
        QVERIFY(fx.config->todayCopies() == 0 && !fx.task.isExecOnce() && fx.task.checkParams().enablePrint);
    }
};

DRAVO_GUI_TEST_MAIN(TestTaskControl)
#include "tst_taskcontrol.moc"
