// The writes of the machine pages against the simulated controller: they are
// slots the pages can call, values that cannot be meant never go out, a
// write the controller refuses or leaves unanswered is told to the operator,
// the factory commands wait for the task, the web-guide reset runs beside the
// caller; and what the diagrams show of the motors and the alarm follows the
// controller.
#include "tests/support/TestMain.h"
#include "device/state/MachineAlarms.h"
#include "device/state/PageWrites.h"
#include "tests/device/DriverFixture.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <cmath>
#include <limits>

using Call = std::function<bool(Varnok120X &)>;
Q_DECLARE_METATYPE(Call)

#define CALL(call) Call([](Varnok120X &d) { return d.call; })

class TestVarnokPageWrites : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

    // call's result, and the commands it put on the wire within waitMs.
    QPair<bool, QStringList> run(const Call &call, int expected, int waitMs = 10000)
    {
        const int before = m_f->commandCount();
        const bool ok = call(*m_f->driver);
        m_f->waitForCommandCount(before + qMax(expected, 1), expected > 0 ? waitMs : 100);
        return {ok, m_f->commands(before)};
    }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link());
    }
    void cleanupTestCase() { m_f.reset(); }
    void init()
    {
        m_f->driver->setErrorMessage(QString());
        m_f->host->setTaskStatus(2);
    }

    // The pages reach these by name, as slots.
    void pagesCallThem_data()
    {
        QTest::addColumn<QByteArray>("signature");
        for (const char *s : {"wCutModel(int)", "wCheckCameraCenterX(double)", "wSpeed(double)", "wPressure(double)",
                              "wMarkCameraOffset(double,double)", "setMarkCameraOffset(double,double)", "wFactoryReset()", "wSaveToFactorySet()",
                              "wRectifyMotorReset()", "wTrimMotorYReset()"})
            QTest::newRow(s) << QByteArray(s);
    }
    void pagesCallThem()
    {
        QFETCH(QByteArray, signature);
        QVERIFY(Varnok120X::staticMetaObject.indexOfSlot(signature.constData()) >= 0);
    }

    // Refused before sending, logged, and nothing else changes.
    void impossibleValues_data()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::addColumn<Call>("call");
        QTest::newRow("mode 3") << CALL(wCutModel(3));
        QTest::newRow("mode -1") << CALL(wCutModel(-1));
        QTest::newRow("speed NaN") << Call([nan](Varnok120X &d) { return d.wSpeed(nan); });
        QTest::newRow("speed infinite") << Call([inf](Varnok120X &d) { return d.wSpeed(inf); });
        QTest::newRow("speed negative") << CALL(wSpeed(-10));
        QTest::newRow("pressure negative") << CALL(wPressure(-1));
        QTest::newRow("pressure NaN") << Call([nan](Varnok120X &d) { return d.wPressure(nan); });
        QTest::newRow("cut-off infinite") << Call([inf](Varnok120X &d) { return d.wCheckCameraCenterX(-inf); });
        QTest::newRow("offset x NaN") << Call([nan](Varnok120X &d) { return d.wMarkCameraOffset(nan, 1.0); });
        QTest::newRow("offset y infinite") << Call([inf](Varnok120X &d) { return d.wMarkCameraOffset(1.0, inf); });
    }
    void impossibleValues()
    {
        QFETCH(Call, call);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::w\\w+ refused, not sent:"));
        const auto [ok, sent] = run(call, 0);
        QVERIFY(!ok);
        QCOMPARE(sent, QStringList());
        QCOMPARE(m_f->driver->errorMessage(), QString());
    }

    // The controller's refusal and its silence read alike to the operator.
    void notAccepted_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("message");
        QTest::newRow("pressure refused") << "on 7 status 1 count 1" << CALL(wPressure(300)) << "7,1,0,300;"
                                          << "压力设置失败，请检查设备";
        QTest::newRow("speed unanswered") << "on 6 drop count 1" << CALL(wSpeed(250)) << "6,1,0,250;"
                                          << "速度设置失败，请检查设备";
        QTest::newRow("mode refused") << "on 10 status 1 count 1" << CALL(wCutModel(2)) << "10,1,2;"
                                      << "工作模式设置失败，请检查设备";
        QTest::newRow("offset unanswered") << "on 8 drop count 1" << CALL(wMarkCameraOffset(1, -2)) << "8,1,1,1.00,-2.00;"
                                           << "摄像头偏移设置失败，请检查设备";
        QTest::newRow("accepted") << "" << CALL(wCheckCameraCenterX(600)) << "8,1,0,600.00,0;" << "";
    }
    void notAccepted()
    {
        QFETCH(QString, fault);
        QFETCH(Call, call);
        QFETCH(QString, sent);
        QFETCH(QString, message);
        m_f->config->setProperty(Config::CPT_wait_TcpRet_Msecs, 300);
        if (!fault.isEmpty()) {
            QVERIFY(m_f->sim.control(fault));
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::sendCMD "));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Varnok120X::w\\w+ not accepted"));
        }
        const int pressure = m_f->driver->pressure();
        const auto [ok, commands] = run(call, 1);
        m_f->config->setProperty(Config::CPT_wait_TcpRet_Msecs, 2000);
        QCOMPARE(ok, message.isEmpty());
        if (!ok) // the refusal's reply names the value that was not taken
            QCOMPARE(m_f->driver->pressure(), pressure);
        QCOMPARE(commands, QStringList{sent});
        QCOMPARE(m_f->driver->errorMessage(), message);
    }

    // The offsets the pages set are kept for the knife they went out for,
    // and only once the controller has accepted them.
    void offsetsKeptOnceAccepted_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("accepted") << "";
        QTest::newRow("refused") << "on 8 status 1 count 1";
        QTest::newRow("unanswered") << "on 8 drop count 1";
    }
    void offsetsKeptOnceAccepted()
    {
        QFETCH(QString, fault);
        Config &config = *m_f->config;
        config.setKnifeNum(2);
        config.setKnifeNo(1);
        config.setMarkCameraOffsetX(1, 1.0);
        config.setMarkCameraOffsetY(1, 2.0);
        config.setProperty(Config::CPT_wait_TcpRet_Msecs, 300);
        if (!fault.isEmpty()) {
            QVERIFY(m_f->sim.control(fault));
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::sendCMD "));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Varnok120X::wMarkCameraOffset not accepted"));
        }
        const auto [ok, commands] = run(CALL(setMarkCameraOffset(3.5, -4.25)), 1);
        config.setProperty(Config::CPT_wait_TcpRet_Msecs, 2000);
        config.setKnifeNo(0);
        QCOMPARE(ok, fault.isEmpty());
        QCOMPARE(commands, QStringList{"8,1,2,3.50,-4.25;"});
        QCOMPARE(config.markCameraOffsetX(1), ok ? 3.5 : 1.0);
        QCOMPARE(config.markCameraOffsetY(1), ok ? -4.25 : 2.0);
        QCOMPARE(m_f->driver->errorMessage(), ok ? QString() : QStringLiteral("摄像头偏移设置失败，请检查设备"));
    }

    // While a task exists the factory commands and the web-guide reset are
    // refused with the operator's reason; afterwards they go out.
    void factoryCommandsWaitForTheTask_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<QString>("sent");
        // The restore last: the reads it starts anew set the task status too.
        QTest::newRow("save") << CALL(wSaveToFactorySet()) << "16,0;";
        QTest::newRow("restore") << CALL(wFactoryReset()) << "16,1;";
    }
    void factoryCommandsWaitForTheTask()
    {
        QFETCH(Call, call);
        QFETCH(QString, sent);
        // A restore the controller confirms reruns the reads of the link
        // beside this test: only the factory commands count here.
        const QRegularExpression factory("^16,");
        for (int status : {1, 0}) {
            m_f->host->setTaskStatus(status);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("refused while a task exists"));
            const auto [ok, commands] = run(call, 0);
            QVERIFY(!ok && commands.filter(factory).isEmpty());
            QCOMPARE(m_f->driver->errorMessage(), QStringLiteral("任务运行中不可设置"));
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("refused while a task exists"));
        QVERIFY(!m_f->driver->startRectifyMotorReset() && !m_f->driver->rectifyResetBusy());
        m_f->host->setTaskStatus(2);
        m_f->driver->setErrorMessage(QString());
        const auto [ok, commands] = run(call, 1);
        QVERIFY(ok && commands.filter(factory) == QStringList{sent});
        QCOMPARE(m_f->driver->errorMessage(), QString());
    }

    // A slow reset reply keeps the caller waiting no longer than the start;
    // the reset is busy until its reply, and a second press adds nothing.
    void rectifyResetBesideTheCaller()
    {
        DriverFixture &f = *m_f;
        const int resets = f.vision->paperCenterResets();
        QVERIFY(f.sim.control("on 2 delay 1500 count 1"));
        SignalCount busy(f.driver.get(), &Varnok120X::rectifyResetBusyChanged);
        const int before = f.commandCount();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(f.driver->startRectifyMotorReset());
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(f.driver->rectifyResetBusy());
        QVERIFY(!f.driver->startRectifyMotorReset());
        QTRY_VERIFY_WITH_TIMEOUT(!f.driver->rectifyResetBusy(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(busy.count(), 2, 10000);
        QCOMPARE(f.commands(before).filter(QRegularExpression("^2,")), QStringList{"2,0,4;"});
        QCOMPARE(f.vision->paperCenterResets(), resets + 1);
        QCOMPARE(f.driver->errorMessage(), QString());
    }

    // The rewind turns from an accepted rewind write until a stop; a lost
    // link stops every motor in the pictures.
    void motorsFollowWritesAndLink()
    {
        DriverFixture f;
        QVERIFY(f.link());
        QVERIFY(!f.driver->collectMotorRunning());
        QVERIFY(f.driver->wCollectMotor(50, 100) && f.driver->collectMotorRunning());
        QVERIFY(f.driver->wCollectMotor(0, 0) && !f.driver->collectMotorRunning());
        QVERIFY(f.sim.control("on 20,1,3 status 1 count 1"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Varnok120X::sendCMD .* result error"));
        QVERIFY(!f.driver->wCollectMotor(50, 100) && !f.driver->collectMotorRunning());
        QVERIFY(f.driver->wCollectMotor(50, 100) && f.driver->wFilmMotorSpeed(30));
        f.driver->setFeedMotorRunning(true);
        QVERIFY(f.sim.control("now close"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.driver->collectMotorRunning() && !f.driver->filmMotorRunning()
                                     && !f.driver->feedMotorRunning(), 10000);
    }

    // Every new alarm text is signalled, also while the alarm bit stays set.
    void newAlarmTextSignalled()
    {
        DriverFixture &f = *m_f;
        SignalCount texts(f.driver.get(), &Varnok120X::alarmTextChanged);
        QVERIFY(f.sim.control("now alarm 3"));
        QTRY_COMPARE_WITH_TIMEOUT(texts.count(), 1, 10000);
        QVERIFY(f.driver->deviceState() & MachineAlarms::AlarmReport);
        QVERIFY(f.driver->deviceStateString().startsWith("主控软限位X轴超幅宽 "));
        QVERIFY(f.sim.control("now alarm 5"));
        QTRY_COMPARE_WITH_TIMEOUT(texts.count(), 2, 10000);
        QVERIFY(f.driver->deviceStateString().startsWith("分切X轴电机报错 "));
        QVERIFY(f.driver->rCutMotorStatus());
        QVERIFY(f.sim.control("now alarm 5"));
        // The report came before this reply; its queued signal is delivered now.
        QVERIFY(f.driver->rCutMotorStatus());
        QCoreApplication::processEvents();
        QCOMPARE(texts.count(), 2);
    }
};

DRAVO_TEST_MAIN(TestVarnokPageWrites)
#include "tst_varnok_pagewrites.moc"
