#include "tests/app/AppTestSupport.h"

#include "tests/support/Recorder.h"
#include "tests/support/online/UpgradeServer.h"
#include "online/upgrades/UpgradesWidget.h"

#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTimer>
#include <unistd.h>

// The upgrade hand-over of the application object: the firmware check per
// module when the controller reports its boards, the transfer's progress and
// file between dialog and driver, the refusal to close while a board is
// flashed, and the software update's tool, which outlives the program.

namespace {

const char *kChildVariable = "DRAVO_UPDATE_CHILD";

// The program's side of a software update, run as a copy of this test in a
// folder of its own: the update starts the tool and ends the event loop.
int updateChild(int argc, char **argv)
{
    DravolinteApp app(argc, argv);
    QTimer::singleShot(0, &app, [&app] { app.checkUpdate(); });
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(3); });
    return app.exec();
}

// The upgrade tool's stand-in: notes where it runs and what it got, then
// waits (bounded) for the program to be gone and notes that it still runs.
const QByteArray kTool = "#!/bin/sh\n"
                         "{ pwd; echo \"$#\"; printf '%s\\n' \"$@\"; } > tool.txt\n"
                         "i=0; while [ ! -e program-ended ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i+1)); done\n"
                         "echo outlived >> tool.txt\n";

} // namespace

class TestUpgradeHandover : public QObject
{
    Q_OBJECT
private slots:
    void firmwareCheckPerModule();
    void firmwareRoadOnTheController();
    void successFromThePageNotFromASwap();
    void allowedExitDuringTransfer_data();
    void allowedExitDuringTransfer();
    void updateStartsTheToolAndEnds();
    void updateRefusedOrWithoutTool();
    void languageOnAndOff();
};

// Two reports of the boards, the second while the first one's host lookup
// still waits: one dialog, two rounds one after the other, the host asked in
// the first only (kept for the day), one query per module carrying the
// server's address and location.
void TestUpgradeHandover::firmwareCheckPerModule()
{
    UpgradeServer server;
    QVERIFY(server.listen(81));
    server.setReply("/getIP", R"({"data":"203.0.113.7"})", 400);
    server.setReply("/getLocation", R"({"data":"浙江 杭州"})");
    server.setReply("/machine/firmware/versions", R"({"code":200,"rows":[{"firmNo":"V9.9.9"}]})");
    // Short captures: the collect poller asks for labels that no camera answers here.
    AppFixture fx("[Dravolinte]\nwaitCapture=200\nIP=" + server.address().toLatin1() + "\n");
    DravolinteApp &app = AppFixture::app();
    QVERIFY(app.initApp());
    UpgradesWidget *during = nullptr;
    qsizetype lookupsAfterSecondCall = -1;
    connect(&server, &UpgradeServer::requested, this, [&](const QString &target) {
        if (target == QLatin1String("/getIP") && !during) {
            during = app.firmwareWidget();
            app.upgrade(); // the driver reports again while the lookup waits: deferred, not run inside
            lookupsAfterSecondCall = server.queries(QStringLiteral("/getLocation")).size();
        }
    });
    SimController sim;
    QVERIFY(fx.link(sim)); // the boards' versions: the first check
    const qsizetype modules = fx.config->getModules().size();
    const QString firmware = QStringLiteral("/machine/firmware/versions");
    QTRY_COMPARE_WITH_TIMEOUT(server.queries(firmware).size(), 2 * modules, 30000);
    QVERIFY(during && app.firmwareWidget() == during);
    QCOMPARE(during->url(), QStringLiteral("http://%1:38021/machine/firmware/versions").arg(server.address()));
    QCOMPARE(lookupsAfterSecondCall, 1);
    // Asked once, in the first round: the answers are kept for the day.
    QCOMPARE(server.queries(QStringLiteral("/getLocation")).size(), 1);
    QCOMPARE(server.queries(QStringLiteral("/getIP")).size(), 1);
    const QList<QStringList> queries = server.queries(firmware);
    for (const QStringList &q : queries) {
        QVERIFY(q.contains(QStringLiteral("ip=203.0.113.7")) && q.contains(QStringLiteral("location=浙江 杭州")));
        QVERIFY(q.contains(QStringLiteral("machineCode=") + fx.driver->ident()));
    }
    QCOMPARE(queries.first().value(1), QStringLiteral("firmNo=V3.2.1"));
    QCOMPARE(queries.first().value(3), QStringLiteral("pcbversion=HC1.2"));
    QCOMPARE(queries.value(1).value(10), QStringLiteral("firmModule=1"));

    // The dialog's file goes to the controller; its progress comes back.
    emit during->upgrade(2, QByteArray("FIRMWARE\x02\x03"), QVariantMap());
    QTRY_VERIFY_WITH_TIMEOUT(sim.received().join().contains("UPG;2;FIRMWARE\x02\x03"), 30000);
    fx.driver->setUpdateProgress(37.5);
    QTRY_COMPARE_WITH_TIMEOUT(during->upgradeProgress(), 37, 10000);
    fx.driver->setUpdateProgress(100.0);
    QTRY_COMPARE_WITH_TIMEOUT(during->upgradeProgress(), 100, 10000);
}

// From the boards' versions to the new firmware on the simulated controller:
// the dialog offers the sensor board's latest version; a local file is not
// fetched; "升级" sends the downloaded bytes in one frame; the controller's
// progress comes back; once it reports the new version, "升级成功".
void TestUpgradeHandover::firmwareRoadOnTheController()
{
    NotifierRecorder notices;
    UpgradeServer server;
    QVERIFY(server.listen(191));
    const QByteArray file("FW\x02" "12;CCMD;3;\x03\x00\xff-sensor", 22);
    server.setReply("/fw/sensor.bin", file);
    const auto offer = [&server](const QString &files) {
        server.setReply("/machine/firmware/versions",
                        R"({"code":200,"rows":[{"firmNo":"V1.6.0","firmModule":2,"firmModuleStr":"检测","files":")"
                            + files.toUtf8() + R"("},{"firmNo":"V1.5.0","firmModule":2,"isCurrentVersion":true}]})");
    };
    offer(QStringLiteral("file:///etc/passwd"));
    AppFixture fx("[Dravolinte]\nwaitCapture=200\nIP=" + server.address().toLatin1() + "\n");
    DravolinteApp &app = AppFixture::app();
    QVERIFY(app.initApp());
    SimController sim;
    QVERIFY(fx.link(sim, {QStringLiteral("--personality"), QStringLiteral("module")}));
    const qsizetype modules = fx.config->getModules().size();
    QTRY_VERIFY_WITH_TIMEOUT(server.queries(QStringLiteral("/machine/firmware/versions")).size() == modules
                                 && app.firmwareWidget()->pendingQueries() == 0, 30000);
    UpgradesWidget *dialog = app.firmwareWidget();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->model()->rowCount(), 1); // the other modules' answers name module 2: dropped
    const auto upgradeFrames = [&sim] {
        QList<QByteArray> frames;
        for (const QByteArray &frame : sim.received())
            if (frame.contains(";UPG;"))
                frames << frame;
        return frames;
    };

    dialog->upgradeButton()->click();
    QCOMPARE(notices.messages().value(0).left(5), QStringLiteral("下载失败："));
    QVERIFY(dialog->upgradeButton()->isEnabled());

    offer(server.url(QStringLiteral("/fw/sensor.bin")));
    app.upgrade();
    QTRY_VERIFY_WITH_TIMEOUT(dialog->pendingQueries() == 0 && dialog->model()->rowCount() == 1, 30000);
    dialog->upgradeButton()->click();
    QTRY_COMPARE_WITH_TIMEOUT(upgradeFrames().size(), 1, 30000);
    QVERIFY(upgradeFrames().first().endsWith(";UPG;2;" + file + '\x03'));
    QCOMPARE(fx.driver->index(), 2);
    QVERIFY(!dialog->upgradeButton()->isEnabled());

    QVERIFY(sim.control(QStringLiteral("now progress 50")));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->upgradeProgress(), 50, 10000);
    QCOMPARE(dialog->progressBar()->format(), QStringLiteral("升级进度%p%"));
    QVERIFY(sim.control(QStringLiteral("now progress 100")));
    QTRY_COMPARE_WITH_TIMEOUT(dialog->upgradeProgress(), 100, 10000);
    QVERIFY(notices.messages().size() == 1);

    // The board restarts with the new firmware; the controller reports it on the next link.
    QVERIFY(sim.control(QStringLiteral("set firmware2 V1.6.0")));
    QVERIFY(sim.control(QStringLiteral("now close")));
    QTRY_VERIFY_WITH_TIMEOUT(!fx.driver->isLinked(), 10000);
    fx.driver->setIp(sim.address());
    QTRY_COMPARE_WITH_TIMEOUT(notices.messages().size(), 2, 30000);
    QCOMPARE(notices.messages().last(), QStringLiteral("升级成功"));
    QCOMPARE(upgradeFrames().size(), 1);
}

// A file sent from the firmware page (the driver's update, as the page calls
// it) is an upgrade too: "升级成功" once the controller reports the new number.
// Another controller put in its place reports other numbers: nothing.
void TestUpgradeHandover::successFromThePageNotFromASwap()
{
    NotifierRecorder notices;
    LogCapture log;
    AppFixture fx("[Dravolinte]\nwaitCapture=200\nIP=127.0.0.89\n"); // nobody answers the lookups and queries there
    DravolinteApp &app = AppFixture::app();
    QVERIFY(app.initApp());
    const QStringList personality{QStringLiteral("--personality"), QStringLiteral("module")};
    SimController sim;
    fx.driver->setIdent(QStringLiteral("SM07x5a001"));
    QVERIFY(fx.link(sim, personality));
    QTRY_VERIFY_WITH_TIMEOUT(app.firmwareWidget(), 30000);

    QVERIFY(writeFile(QStringLiteral("sensor.bin"), "FW-from-the-page"));
    fx.driver->setIndex(2);
    fx.driver->setUpdateFile(QDir::current().absoluteFilePath(QStringLiteral("sensor.bin")));
    fx.driver->update();
    QTRY_VERIFY_WITH_TIMEOUT(sim.received().join().contains("UPG;2;FW-from-the-page"), 30000);
    QVERIFY(sim.control(QStringLiteral("now progress 100")));
    QVERIFY(sim.control(QStringLiteral("set firmware2 V1.6.0")));
    QVERIFY(sim.control(QStringLiteral("now close")));
    QTRY_VERIFY_WITH_TIMEOUT(!fx.driver->isLinked(), 10000);
    fx.driver->setIp(sim.address());
    QTRY_COMPARE_WITH_TIMEOUT(notices.messages(), QStringList{QStringLiteral("升级成功")}, 30000);

    SimController other; // its sensor board at V1.5.0
    QVERIFY(other.start(personality));
    fx.driver->setIdent(QStringLiteral("SM07x5b002"));
    fx.driver->setIp(other.address());
    // The queries of all modules go out together: an answer for the new controller comes after every check.
    QVERIFY(log.waitFor(QStringLiteral("machineCode=SM07x5b002")));
    QCOMPARE(notices.messages().size(), 1);
}

void TestUpgradeHandover::allowedExitDuringTransfer_data()
{
    QTest::addColumn<bool>("linked");
    QTest::addColumn<double>("progress");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("not linked, 37.5") << false << 37.5 << true;
    QTest::newRow("linked, 0") << true << 0.0 << true;
    QTest::newRow("linked, 37.5") << true << 37.5 << false;
    QTest::newRow("linked, 100") << true << 100.0 << true;
}

// Closing is refused only while a linked controller takes firmware; else both dialogs close.
void TestUpgradeHandover::allowedExitDuringTransfer()
{
    QFETCH(bool, linked);
    QFETCH(double, progress);
    QFETCH(bool, allowed);
    AppFixture fx("[Dravolinte]\nIP=127.0.0.89\n"); // nobody answers the lookups and queries there
    DravolinteApp &app = AppFixture::app();
    SimController sim;
    if (linked)
        QVERIFY(fx.link(sim));
    app.upgrade(); // the firmware dialog
    QVERIFY(app.firmwareWidget());
    app.firmwareWidget()->show();
    fx.driver->setErrorMessage(QString());
    fx.driver->setUpdateProgress(progress);
    QCOMPARE(app.allowedExit(), allowed);
    QCOMPARE(fx.driver->errorMessage(), allowed ? QString() : QStringLiteral("请等待升级结束"));
    QCOMPARE(app.firmwareWidget()->isVisible(), !allowed);
    fx.driver->setUpdateProgress(0.0);
}

// A copy of the program in a folder with a blank and Chinese in its name
// starts the tool there, detached, without arguments, and ends with 0; the
// tool runs on after it.
void TestUpgradeHandover::updateStartsTheToolAndEnds()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("程序 目录"));
    QVERIFY(QDir().mkpath(folder));
    const QString program = folder + QStringLiteral("/Dravolinte copy");
    QVERIFY(::link(QFile::encodeName(QCoreApplication::applicationFilePath()), QFile::encodeName(program)) == 0 ||
            QFile::copy(QCoreApplication::applicationFilePath(), program));
    QVERIFY(writeFile(folder + QStringLiteral("/runtool.sh"), kTool));
    QVERIFY(QFile::setPermissions(folder + QStringLiteral("/runtool.sh"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.setWorkingDirectory(dir.path()); // not the tool's folder: it must be set
    child.start(program, {});
    QVERIFY(child.waitForFinished(90000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QVERIFY(writeFile(folder + QStringLiteral("/program-ended"), QByteArray()));
    QTRY_VERIFY_WITH_TIMEOUT(readAll(folder + QStringLiteral("/tool.txt")).endsWith("outlived\n"), 60000);
    const QStringList record = QString::fromUtf8(readAll(folder + QStringLiteral("/tool.txt"))).split(QLatin1Char('\n'));
    QCOMPARE(record.value(0), QFileInfo(folder).canonicalFilePath());
    QCOMPARE(record.value(1), QStringLiteral("0")); // no arguments
}

// During a transfer the update waits; without the tool the program stays,
// says why and ends nothing.
void TestUpgradeHandover::updateRefusedOrWithoutTool()
{
    if (QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/runtool.sh")))
        QSKIP("a runtool.sh lies beside the test");
    NotifierRecorder recorder;
    LogCapture log;
    AppFixture fx("[Dravolinte]\nIP=127.0.0.89\n");
    DravolinteApp &app = AppFixture::app();
    SimController sim;
    QVERIFY(fx.link(sim));
    fx.driver->setUpdateProgress(37.5);
    app.checkUpdate();
    QCOMPARE(fx.driver->errorMessage(), QStringLiteral("请等待升级结束"));
    QCOMPARE(log.count(QStringLiteral("DravolinteApp::checkUpdate a firmware transfer runs")), 1);
    QCOMPARE(log.count(QStringLiteral("upgrade tool")), 0);

    fx.driver->setUpdateProgress(100.0);
    app.checkUpdate();
    QCOMPARE(log.count(QStringLiteral("runtool.sh is missing")), 1);
    QVERIFY(fx.driver->errorMessage().startsWith(QStringLiteral("升级工具无法启动：")));
    QVERIFY(recorder.exitCodes().isEmpty());
    fx.driver->setUpdateProgress(0.0);
}

// Beside this test there is no "translations" folder: a log line, no English,
// and switching back leaves nothing installed (the file itself is tested with
// LanguageSwitch).
void TestUpgradeHandover::languageOnAndOff()
{
    LogCapture log;
    DravolinteApp &app = AppFixture::app();
    app.setLanguage(1);
    QCOMPARE(log.count(QStringLiteral("DravolinteApp::setLanguage no translation appDravolinte2024_en.qm")), 1);
    QCOMPARE(DravolinteApp::translate("DravolinteApp", "请等待升级结束"), QStringLiteral("请等待升级结束"));
    app.setLanguage(0);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet(kChildVariable)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return updateChild(argc, argv);
    }
    DravolinteApp app(argc, argv);
    TestUpgradeHandover test;
    return runTestInTempDir(argc, argv, &test, true);
}

#include "tst_upgradehandover.moc"
