#include "AppTestSupport.h"

#include "DbConfig.h"
#include "GScene.h"
#include "SceneWriter.h"
#include "SimController.h"
#include "TaskWorker.h"

#include <QRegularExpression>
#include <QSettings>

#include <QSignalSpy>

// Task control of the application object: the checks before a start and
// their texts, the bookkeeping of copies and records, and a whole run
// without cutting (type 2) against the simulated controller.
class TestAppTask : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startRefusals_data();
    void startRefusals();
    void unsupportedMarkType();
    void pauseAndResumeNeedATask();
    void finishedCopiesBookCutRecords();
    void printRecords();
    void noCutRunAgainstSimulator();
    void trialRunEndsAfterOneCopy();
    void cutCopiesEndTheJob();

private:
    static bool linkTo(AppFixture &fx, SimController &sim, const QStringList &arguments = {});
};

void TestAppTask::init()
{
    DravolinteApp &app = AppFixture::app();
    app.reCount();
    app.setCutTaskCopies(100);
    app.setPrintTaskCopies(100);
    app.setTaskStatus(2);
}

bool TestAppTask::linkTo(AppFixture &fx, SimController &sim, const QStringList &arguments)
{
    if (!sim.start(arguments))
        return false;
    fx.driver->setIp(sim.address());
    return QTest::qWaitFor([&] { return fx.driver->isReady(); }, 10000);
}

void TestAppTask::startRefusals_data()
{
    QTest::addColumn<bool>("enableCut");
    QTest::addColumn<bool>("enablePrint");
    QTest::addColumn<int>("cutTask");
    QTest::addColumn<int>("cutDone");
    QTest::addColumn<int>("printTask");
    QTest::addColumn<int>("printDone");
    QTest::addColumn<QString>("printer");
    QTest::addColumn<bool>("execOnce");
    QTest::addColumn<QString>("text");

    const QString unlinked = QStringLiteral("设备未连接，请重启设备或者选择设备 \n");
    QTest::newRow("no copies") << true << false << 0 << 0 << 0 << 0 << "" << false
                               << QStringLiteral("任务份数不能为0 \n") + unlinked;
    QTest::newRow("no copies, cutting off") << false << false << 0 << 0 << 0 << 0 << "" << false << unlinked;
    QTest::newRow("cut copies done") << true << false << 3 << 3 << 0 << 0 << "" << false
                                     << QStringLiteral("切割份数已完成 \n") + unlinked;
    QTest::newRow("all at once, in order")
        << true << true << 2 << 2 << 1 << 1 << "" << false
        << QStringLiteral("切割份数已完成 \n打印份数已完成 \n打印文件未打开 \n") + unlinked;
    QTest::newRow("CorelDRAW needs no print file") << true << true << 2 << 0 << 2 << 0 << "CorelDRAW" << false << unlinked;
    QTest::newRow("a trial run does not print") << true << true << 2 << 0 << 2 << 2 << "" << true << unlinked;
}

void TestAppTask::startRefusals()
{
    QFETCH(bool, enableCut);
    QFETCH(bool, enablePrint);
    QFETCH(int, cutTask);
    QFETCH(int, cutDone);
    QFETCH(int, printTask);
    QFETCH(int, printDone);
    QFETCH(QString, printer);
    QFETCH(bool, execOnce);
    QFETCH(QString, text);

    AppFixture fx;
    DravolinteApp &app = AppFixture::app();
    fx.config->setEnableCut(enableCut);
    fx.config->setProperty(Config::CPT_Enable_Print, enablePrint);
    fx.config->setProperty(Config::CPT_Printer_Name, printer);
    app.setCutTaskCopies(cutTask);
    app.setCutCopies(cutDone);
    app.setPrintTaskCopies(printTask);
    app.setPrintCopies(printDone);
    const QDateTime startedBefore = app.currentWorkRecord().timestamp;

    app.startTask(true, execOnce);
    QCOMPARE(fx.driver->errorMessage(), text);
    // Refused: nothing moved, and the check parameters are those of the store again.
    QCOMPARE(app.cutCopies(), cutDone);
    QCOMPARE(app.printCopies(), printDone);
    QCOMPARE(app.taskStatus(), 2);
    QVERIFY(!app.isExecOnce());
    QCOMPARE(app.checkParams().enablePrint, enablePrint);
    QCOMPARE(app.currentWorkRecord().timestamp, startedBefore);
}

void TestAppTask::unsupportedMarkType()
{
    AppFixture fx;
    DravolinteApp &app = AppFixture::app();
    QVERIFY(app.isSupport()); // an empty scene
    SceneData data;
    data.hasPage = true;
    data.pageMm = QSizeF(100, 200);
    data.hasMark = true;
    data.markType = 2;
    data.markSizeMm = 3;
    data.markAreaMm = QRectF(5, 5, 90, 190);
    QPainterPath square;
    square.addRect(QRectF(50, 50, 100, 100));
    data.paths.append({square, 1});
    const QString file = fx.dir.filePath(QStringLiteral("mark2.tqc"));
    QVERIFY(SceneWriter::writeFile(file, SceneWriter::tqc(data)));
    QVERIFY(app.cutScene()->openFile(file));
    QCOMPARE(app.pageMarkType(), 2);

    LogCapture log;
    QVERIFY(!app.isSupport());
    QCOMPARE(fx.driver->errorMessage(), QStringLiteral("不支持的切割类型!"));
    QVERIFY(log.contains(QStringLiteral("DravolinteApp::isSupport 未实现的切割类型 2")));
    app.cutScene()->gClear();
    QVERIFY(app.isSupport());
}

void TestAppTask::pauseAndResumeNeedATask()
{
    AppFixture fx;
    SimController sim;
    QVERIFY(linkTo(fx, sim));
    DravolinteApp &app = AppFixture::app();
    const int before = sim.receivedCommands().size();
    QSignalSpy status(&app, &DravolinteApp::taskStatusChanged);
    app.pauseTask();
    app.resumeTask();
    // No thread, no machine command, no message; stopped stays stopped.
    QCOMPARE(app.taskStatus(), 2);
    QCOMPARE(status.count(), 0);
    QCOMPARE(fx.driver->errorMessage(), QString());
    QTest::qWait(100);
    QCOMPARE(sim.receivedCommands().size(), before);
    // setTaskStatus always signals, also without a change.
    app.setTaskStatus(2);
    app.setTaskStatus(2);
    QCOMPARE(status.count(), 2);
}

void TestAppTask::finishedCopiesBookCutRecords()
{
    AppFixture fx;
    DravolinteApp &app = AppFixture::app();
    fx.config->setEnableCut(true);
    fx.config->setProperty(Config::CPT_Enable_Print, false);
    app.loadCheckParams();
    app.setPageSizes(QSizeF(100, 250), QSizeF(100, 250));
    app.setCutTaskCopies(3);
    TaskRecord task;
    task.timestamp = QDateTime::currentDateTime();
    task.code = fx.config->db().maxTaskCode();
    QVERIFY(task.code > 0);
    app.setCurrentTaskRecord(task);
    const int todayBefore = fx.config->todayCopies();
    const qulonglong totalBefore = fx.config->totalCopies();

    QVERIFY(app.finishedOneCopies());
    QVERIFY(app.finishedOneCopies());
    QVERIFY(!app.finishedOneCopies());
    QCOMPARE(app.cutCopies(), 3);
    QCOMPARE(fx.config->todayCopies(), todayBefore + 3);
    QCOMPARE(fx.config->totalCopies(), totalBefore + 3);
    QCOMPARE(fx.config->todayCut(), 0.75f);
    QCOMPARE(app.currentWorkRecord().cut_cnt, 3u);

    TaskRecord stored;
    QVERIFY(fx.config->db().selectTaskRecord(task.code, stored));
    QCOMPARE(stored.cutCopies, 3u);
    WorkRecord work;
    QVERIFY(fx.config->db().selectWorkRecord(app.cutWorkRecord().timestamp, work));
    QCOMPARE(work.cut_cnt, 3u);
    app.setCurrentTaskRecord(TaskRecord());
}

void TestAppTask::printRecords()
{
    AppFixture fx;
    DravolinteApp &app = AppFixture::app();
    fx.config->setProperty(Config::CPT_Enable_Print_Marker_Type, 0);
    QCOMPARE(app.updatePrintRecord(4), 0);
    fx.config->setProperty(Config::CPT_Enable_Print_Marker_Type, 1);
    const int code = app.updatePrintRecord(4);
    QVERIFY(code > 0);
    TaskRecord task;
    QVERIFY(fx.config->db().selectTaskRecord(quint32(code), task));
    QCOMPARE(task.printCopies, 4u);
    QCOMPARE(task.dataIndex, -1);
    // Printed outside a task: a job of its own.
    WorkRecord work;
    QVERIFY(fx.config->db().selectWorkRecord(task.work_record_timestamp, work));
    QCOMPARE(work.print_cnt, 4u);
}

void TestAppTask::noCutRunAgainstSimulator()
{
    AppFixture fx;
    SimController sim;
    QVERIFY(linkTo(fx, sim, {QStringLiteral("--job-ms"), QStringLiteral("1500")}));
    DravolinteApp &app = AppFixture::app();
    // No cutting: the web runs in pen-up walks (task type 2).
    fx.config->setEnableCut(false);
    fx.config->setProperty(Config::CPT_Enable_Print, false);
    app.setPrintCopies(0);

    app.startTask();
    QCOMPARE(app.taskStatus(), 1);
    QVERIFY(!fx.driver->isWorkIdle());
    const QDateTime started = app.currentWorkRecord().timestamp;
    // The walk has reached the controller and the carriage runs it.
    QTRY_VERIFY_WITH_TIMEOUT(fx.driver->cutSent() && fx.driver->cutMotorStatus() == 1, 10000);

    app.pauseTask();
    QCOMPARE(app.taskStatus(), 0);
    QVERIFY(sim.receivedCommands().contains(QStringLiteral("12,0;")));

    // While the job lives, a start is refused and changes nothing.
    app.setPrintCopies(7);
    app.startTask(true, true);
    QCOMPARE(fx.driver->errorMessage(), QStringLiteral("机器繁忙，请稍后重试"));
    QCOMPARE(app.printCopies(), 7);
    QVERIFY(!app.isExecOnce());
    QCOMPARE(app.currentWorkRecord().timestamp, started);
    QCOMPARE(app.taskStatus(), 0);

    app.resumeTask();
    QCOMPARE(app.taskStatus(), 1);
    QVERIFY(sim.receivedCommands().contains(QStringLiteral("12,1;")));

    // One request at a time: the second is refused at once.
    QVERIFY(sim.control(QStringLiteral("on 3 delay 60 count 3")));
    LogCapture log;
    app.pauseTask(false);
    app.stopTask(false);
    QVERIFY(log.contains(QStringLiteral("DravolinteApp::stopTask 正在执行,请稍后重试")));
    QCOMPARE(fx.driver->errorMessage(), QStringLiteral("请稍后重试 \n"));
    QTRY_VERIFY_WITH_TIMEOUT(!app.isTaskThreadBusy(), 5000);
    QCOMPARE(app.taskStatus(), 0);

    app.stopTask();
    QVERIFY(sim.receivedCommands().contains(QStringLiteral("12,2;")));
    QTRY_COMPARE_WITH_TIMEOUT(app.taskStatus(), 2, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle(), 10000);
    QCOMPARE(app.printCopies(), 7);
}

void TestAppTask::trialRunEndsAfterOneCopy()
{
    AppFixture fx;
    SimController sim;
    QVERIFY(linkTo(fx, sim));
    DravolinteApp &app = AppFixture::app();
    fx.config->setEnableCut(false);
    // Printing on in the store: the run books its copy; the trial run itself prints nothing.
    fx.config->setProperty(Config::CPT_Enable_Print, true);
    app.setPrintCopies(2);
    const int todayBefore = fx.config->todayCopies();
    LogCapture log;

    app.startTask(false, true);
    QVERIFY(app.isExecOnce());
    QVERIFY(!app.checkParams().enablePrint);
    // The job ends itself after its one copy and stops the machine's task.
    QTRY_COMPARE_WITH_TIMEOUT(app.taskStatus(), 2, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle(), 10000);
    QVERIFY(sim.receivedCommands().contains(QStringLiteral("12,2;")));
    QVERIFY(!app.isExecOnce());
    QVERIFY(app.checkParams().enablePrint);
    QCOMPARE(app.printCopies(), 2);
    QCOMPARE(fx.config->todayCopies(), todayBefore);
    QVERIFY(!log.contains(QStringLiteral("DravolinteApp::print")));
}

// A job that books its copies (a run with printing on) ends by itself at
// the third cut copy; the counters are in "config.ini", the records in
// "config.db", each copy once.
void TestAppTask::cutCopiesEndTheJob()
{
    AppFixture fx(QByteArray("[Total]\nCopies=0\n")); // a machine with its working file
    fx.driver->setPolling(false); // the rollers' watch is not what this is about
    SimController sim;
    QVERIFY(linkTo(fx, sim, {QStringLiteral("--job-ms"), QStringLiteral("20")}));
    DravolinteApp &app = AppFixture::app();
    Config &cfg = *fx.config;
    cfg.setEnableCut(true);
    cfg.setProperty(Config::CPT_Enable_Print, true);
    app.loadCheckParams();
    app.setPageSizes(QSizeF(100, 250), QSizeF(100, 250));
    app.setCutTaskCopies(3);
    app.setPrintTaskCopies(0);
    TaskRecord task;
    task.timestamp = QDateTime::currentDateTime();
    task.code = cfg.db().maxTaskCode();
    QVERIFY(task.code > 0);
    app.setCurrentTaskRecord(task);
    const quint32 workBefore = app.cutWorkRecord().cut_cnt;
    const int todayBefore = cfg.todayCopies();

    QVERIFY(fx.driver->createWork(new TaskWorker(fx.driver.get(), 2)));
    QCOMPARE(app.taskStatus(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(fx.driver->isWorkIdle(), 15000);
    QCOMPARE(app.cutCopies(), 3);
    QCOMPARE(app.taskStatus(), 2);
    QCOMPARE(sim.receivedCommands().filter(QStringLiteral("12,2;")).size(), 1);
    // Booked before each walk: the third copy ends the job before a third walk.
    QCOMPARE(sim.transcript().filter(QRegularExpression("^JOB END")).size(), 2);

    // The keys as the parameter table has them.
    QCOMPARE(QFileInfo(cfg.cfgPath()).fileName(), QStringLiteral("config.ini"));
    QSettings ini(cfg.cfgPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("Total/Copies")).toInt(), todayBefore + 3);
    QCOMPARE(ini.value(QStringLiteral("Total/Cut")).toFloat(), cfg.todayCut());
    QCOMPARE(cfg.todayCut(), 0.75f);
    TaskRecord stored;
    QVERIFY(cfg.db().selectTaskRecord(task.code, stored));
    QCOMPARE(stored.cutCopies, 3u);
    WorkRecord work;
    QVERIFY(cfg.db().selectWorkRecord(app.cutWorkRecord().timestamp, work));
    QCOMPARE(work.cut_cnt, workBefore + 3);
    app.setCurrentTaskRecord(TaskRecord());
}

DRAVO_APP_TEST_MAIN(TestAppTask)
#include "tst_apptask.moc"
