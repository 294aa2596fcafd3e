// The command set against the simulated controller: the body each operation
// puts on the wire, the wait key it is answered under, and the guards that
// refuse or short-cut before anything is sent.
#include "DriverFixture.h"
#include "MachineAlarms.h"
#include "Recorder.h"
#include "TestMain.h"

#include <QSignalSpy>
#include <functional>

using Operation = std::function<bool(Varnok120X &)>;
Q_DECLARE_METATYPE(Operation)

namespace {
const QString kAddress = QStringLiteral("127.0.0.44");
const QString kModernAddress = QStringLiteral("127.0.0.45");
} // namespace

class TestVarnokCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriverFixture> m_f;

    // Runs op and returns its result with the commands it put on the wire.
    QPair<bool, QStringList> run(const Operation &op, DriverFixture &f)
    {
        const int before = int(f.commands().size());
        const bool ok = op(*f.driver);
        // A command without a wait may still be on its way to the transcript.
        QTest::qWait(30);
        return {ok, f.commands(before)};
    }

    // Waits until the simulated carriage has finished its job.
    static bool waitIdle(DriverFixture &f)
    {
        return QTest::qWaitFor([&] { return f.driver->rCutMotorStatus() && f.driver->cutMotorStatus() == 0; }, 5000);
    }

private slots:
    void initTestCase()
    {
        m_f = std::make_unique<DriverFixture>();
        QVERIFY(m_f->link(kAddress));
    }

    void cleanupTestCase() { m_f.reset(); }

    void bodies_data()
    {
        QTest::addColumn<Operation>("op");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<bool>("ok");
        auto row = [](const char *name, Operation op, QStringList sent, bool ok = true) {
            QTest::newRow(name) << op << sent << ok;
        };
        row("rDeviceInfo(2)", [](Varnok120X &d) { return d.rDeviceInfo(2); }, {"1,0,2,0,0,0,0;"});
        row("wRectifyMotorReset", [](Varnok120X &d) { return d.wRectifyMotorReset(); }, {"2,0,4;"});
        row("rRectifyMotorReset unsent", [](Varnok120X &d) { return d.rRectifyMotorReset(); }, {}, false);
        row("wTrimMotorYReset", [](Varnok120X &d) { return d.wTrimMotorYReset(); }, {"2,3,1;"});
        row("rTrimMotorYReset unsent", [](Varnok120X &d) { return d.rTrimMotorYReset(); }, {}, false);
        row("rDevicePoint", [](Varnok120X &d) { return d.rDevicePoint(3); }, {"4,0,0,0;"});
        row("wDevicePoint ints", [](Varnok120X &d) { return d.wDevicePoint(2, 100, -50); }, {"4,1,100,-50;"});
        row("wKnifePD", [](Varnok120X &d) { return d.wKnifePD(1); }, {"5,1,1;"});
        row("wKnifePU", [](Varnok120X &d) { return d.wKnifePU(1); }, {"5,1,0;"});
        row("rSpeed", [](Varnok120X &d) { return d.rSpeed(); }, {"6,0,0,0;"});
        row("wSpeed general", [](Varnok120X &d) { return d.wSpeed(150.25); }, {"6,1,0,150.25;"});
        row("wSpeed six digits", [](Varnok120X &d) { return d.wSpeed(1234567.0); }, {"6,1,0,1.23457e+06;"});
        row("rPressure", [](Varnok120X &d) { return d.rPressure(0); }, {"7,0,0,0;"});
        row("wPressure", [](Varnok120X &d) { return d.wPressure(85.5); }, {"7,1,0,85.5;"});
        row("rCheckCameraCenterX", [](Varnok120X &d) { return d.rCheckCameraCenterX(); }, {"8,0,0,0,0;"});
        row("wCheckCameraCenterX", [](Varnok120X &d) { return d.wCheckCameraCenterX(12.5); }, {"8,1,0,12.50,0;"});
        row("rMarkCameraOffset", [](Varnok120X &d) { return d.rMarkCameraOffset(0); }, {"8,0,1,0,0;"});
        row("wMarkCameraOffset", [](Varnok120X &d) { return d.wMarkCameraOffset(1.5, -2); }, {"8,1,1,1.50,-2.00;"});
        row("rScale", [](Varnok120X &d) { return d.rScale(); }, {"9,0,0,0;"});
        row("wScale", [](Varnok120X &d) { return d.wScale(1.25, 0.5); }, {"9,1,1.2500,0.5000;"});
        row("setScale", [](Varnok120X &d) { return d.setScale(1.25, 0.5); }, {"9,1,1.25,0.5;"});
        row("setScale stored", [](Varnok120X &d) { return d.setScale(1.0, 1.0); }, {});
        row("rCutModel", [](Varnok120X &d) { return d.rCutModel(); }, {"10,0,0;"});
        row("wCutModel", [](Varnok120X &d) { return d.wCutModel(2); }, {"10,1,2;"});
        row("workArea", [](Varnok120X &d) { return d.workArea(); }, {"11,0,0,0;"});
        row("setWorkArea rounds", [](Varnok120X &d) { return d.setWorkArea(QSizeF(300.4, 400.6)); },
            {"11,1,300,401;"});
        row("wPause waits on 101", [](Varnok120X &d) { return d.wPause(); }, {"12,0;"});
        row("wResume waits on 102", [](Varnok120X &d) { return d.wResume(); }, {"12,1;"});
        row("wStop waits on 100", [](Varnok120X &d) { return d.wStop(); }, {"12,2;"});
        row("rMarkLight", [](Varnok120X &d) { return d.rMarkLight(); }, {"13,0,0,0,0,0;"});
        row("wMarkLight", [](Varnok120X &d) { return d.wMarkLight(40); }, {"13,1,0,40,0,0;"});
        row("rCheckBackgroundLight", [](Varnok120X &d) { return d.rCheckBackgroundLight(); }, {"13,0,1,0,0,0;"});
        row("wCheckBackgroundLight", [](Varnok120X &d) { return d.wCheckBackgroundLight(41); }, {"13,1,1,41,0,0;"});
        row("rCheckLightStrip", [](Varnok120X &d) { return d.rCheckLightStrip(); }, {"13,0,2,0,0,0;"});
        row("wCheckLightStrip", [](Varnok120X &d) { return d.wCheckLightStrip(42); }, {"13,1,2,42,0,0;"});
        row("rRGBLightStrip", [](Varnok120X &d) { return d.rRGBLightStrip(); }, {"13,0,3,0,0,0;"});
        row("wRGBLightStrip", [](Varnok120X &d) { return d.wRGBLightStrip(QColor(1, 2, 3)); }, {"13,1,3,1,2,3;"});
        row("wMoveX forward", [](Varnok120X &d) { return d.wMoveX(1); }, {"15,1,0;"});
        row("wMoveX back", [](Varnok120X &d) { return d.wMoveX(-1); }, {"15,-1,0;"});
        row("wMoveX stop", [](Varnok120X &d) { return d.wMoveX(0); }, {"15,0,0;"});
        row("wMoveX 2 unsent", [](Varnok120X &d) { return d.wMoveX(2); }, {}, false);
        row("wMoveX -2 unsent", [](Varnok120X &d) { return d.wMoveX(-2); }, {}, false);
        row("wMoveY", [](Varnok120X &d) { return d.wMoveY(5); }, {"15,0,5;"});
        row("wSaveToFactorySet", [](Varnok120X &d) { return d.wSaveToFactorySet(); }, {"16,0;"});
        row("rSensor", [](Varnok120X &d) { return d.rSensor(); }, {"17;"});
        row("rGyroscope", [](Varnok120X &d) { return d.rGyroscope(); }, {"18,0,0;"});
        row("setKnife without support", [](Varnok120X &d) { return d.setKnife(5); }, {});
        row("wFeedMotorSpeed", [](Varnok120X &d) { return d.wFeedMotorSpeed(30); }, {"20,1,0,0,30,0;"});
        row("wFilmMotorSpeed raised", [](Varnok120X &d) { return d.wFilmMotorSpeed(5); }, {"20,1,1,0,10,0;"});
        row("rRectifyMotor on 104", [](Varnok120X &d) { return d.rRectifyMotor(); }, {"20,0,2,0,0,0;"});
        row("wRectifyMotor no wait", [](Varnok120X &d) { return d.wRectifyMotor(5, 2.5f); }, {"20,1,2,0,5,2.5;"});
        row("rCollectMotor on 106", [](Varnok120X &d) { return d.rCollectMotor(); }, {"20,0,3,0,0,0;"});
        row("wCollectMotor raised", [](Varnok120X &d) { return d.wCollectMotor(3, 100); }, {"20,1,3,0,10,100;"});
        row("rTrimMotorX on 108", [](Varnok120X &d) { return d.rTrimMotorX(); }, {"20,0,4,0,0,0;"});
        row("wTrimMotorX on 107", [](Varnok120X &d) { return d.wTrimMotorX(20, 30); }, {"20,1,4,0,20,30;"});
        row("rTrimMotorY on 110", [](Varnok120X &d) { return d.rTrimMotorY(); }, {"20,0,4,1,0,0;"});
        row("wTrimMotorYSpeed on 109", [](Varnok120X &d) { return d.wTrimMotorYSpeed(300); }, {"20,1,4,1,300,0;"});
        row("rPrePltSend", [](Varnok120X &d) { return d.rPrePltSend(); }, {"21;"});
        row("cutterXClear", [](Varnok120X &d) { return d.cutterXClear(); }, {"2,0,5;"});
    }

    void bodies()
    {
        QFETCH(Operation, op);
        QFETCH(QStringList, sent);
        QFETCH(bool, ok);
        const auto result = run(op, *m_f);
        QCOMPARE(result.second, sent);
        QCOMPARE(result.first, ok);
    }

    void sideEffects()
    {
        DriverFixture &f = *m_f;
        const int resets = f.vision->paperCenterResets();
        QVERIFY(f.driver->wRectifyMotorReset());
        QCOMPARE(f.vision->paperCenterResets(), resets + 1);

        QVERIFY(f.driver->wFilmMotorSpeed(5));
        QVERIFY(f.driver->filmMotorRunning());
        QVERIFY(f.driver->wFilmMotorSpeed(0));
        QVERIFY(!f.driver->filmMotorRunning());

        QVERIFY(f.driver->wCollectMotor(30, 10));
        QCOMPARE(f.config->collectSpeedRealTime(), 30);

        QVERIFY(f.driver->rPressure(0));
        QCOMPARE(run([](Varnok120X &d) { return d.wPressure(d.pressure()); }, f).second, QStringList());

        const int films = f.vision->clearedFilms().size();
        QVERIFY(f.driver->wMoveY(0));
        QCOMPARE(f.vision->clearedFilms().mid(films), QList<int>{0});
    }

    void jogAndRewindGuards_data()
    {
        QTest::addColumn<qulonglong>("state");
        QTest::addColumn<Operation>("op");
        QTest::addColumn<bool>("sent");
        const Operation back = [](Varnok120X &d) { return d.wMoveX(-1); };
        const Operation forward = [](Varnok120X &d) { return d.wMoveX(1); };
        const Operation stop = [](Varnok120X &d) { return d.wMoveX(0); };
        const Operation rewind = [](Varnok120X &d) { return d.wCollectMotor(30, 0); };
        const Operation rewindStop = [](Varnok120X &d) { return d.wCollectMotor(0, 0); };
        QTest::newRow("back, film limit") << qulonglong(8) << back << false;
        QTest::newRow("back, rewind full") << qulonglong(64) << back << false;
        QTest::newRow("back, rewind low") << qulonglong(32) << back << true;
        QTest::newRow("forward, film full") << qulonglong(16) << forward << false;
        QTest::newRow("forward, rewind low") << qulonglong(32) << forward << false;
        QTest::newRow("forward, film limit") << qulonglong(8) << forward << true;
        QTest::newRow("stop, everything") << qulonglong(0x3ff) << stop << true;
        QTest::newRow("rewind, rewind low") << qulonglong(32) << rewind << false;
        QTest::newRow("rewind stop, rewind low") << qulonglong(32) << rewindStop << true;
    }

    void jogAndRewindGuards()
    {
        QFETCH(qulonglong, state);
        QFETCH(Operation, op);
        QFETCH(bool, sent);
        m_f->driver->setDeviceState(state);
        const auto result = run(op, *m_f);
        m_f->driver->setDeviceState(0);
        QCOMPARE(result.first, sent);
        QCOMPARE(result.second.size(), sent ? 1 : 0);
    }

    void moveAllowedFollowsDirection()
    {
        Varnok120X &d = *m_f->driver;
        QVERIFY(d.wMoveX(1));
        d.setDeviceState(MachineAlarms::CollectRollerLimit);
        QVERIFY(!d.isMoveAllowed());
        d.setDeviceState(MachineAlarms::FilmRollerLimit);
        QVERIFY(d.isMoveAllowed());
        QVERIFY(d.wMoveX(0));
        d.setDeviceState(0x3ff);
        QVERIFY(d.isMoveAllowed());
        d.setDeviceState(0);
    }

    void positioningJob()
    {
        DriverFixture &f = *m_f;
        const int before = int(f.sim.received().size());
        QVERIFY(f.driver->wDevicePoint(0, QPointF(10.5, -10.5)));
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().size() >= before + 3; }));
        const QList<QByteArray> frames = f.sim.received().mid(before);
        QCOMPARE(frames.at(0), FrameCodec::frameCommand("21;", "CCMD"));
        QCOMPARE(frames.at(1), FrameCodec::frameCommand("22,25,25;", "CCMD"));
        QCOMPARE(frames.at(2), QByteArray("\x02" "35;PPLT;IN;PA;SP2;PU11,-11;PG;PG;\x03"));
    }

    void originAndGotoOrigin()
    {
        DriverFixture &f = *m_f;
        NotifierRecorder notes;
        f.driver->setErrorMessage(QString());
        QVERIFY(waitIdle(f));
        QVERIFY(f.sim.control("set point0 400,800"));
        // Without an origin only the message is set.
        f.driver->gotoOrigin();
        QCOMPARE(f.driver->errorMessage(), QString("未设置原点"));

        f.driver->setOrigin();
        QCOMPARE(notes.messages(), QStringList{"设置成功"});
        QCOMPARE(f.driver->origin(), QPointF(400, 800));

        f.host->setTaskStatus(1);
        f.driver->gotoOrigin();
        QCOMPARE(f.driver->errorMessage(), QString("请检查设备状态"));
        f.driver->setOrigin();
        QCOMPARE(f.driver->errorMessage(), QString("请检查设备状态"));
        QCOMPARE(notes.messages().size(), 1);
        f.host->setTaskStatus(2);

        QVERIFY(f.sim.control("set point0 100,200"));
        const int before = int(f.commands().size());
        f.driver->gotoOrigin();
        QVERIFY(f.waitForCommandCount(before + 4));
        QCOMPARE(f.commands(before), (QStringList{"3;", "4,0,0,0;", "21;", "22,26,26;"}));
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().last().contains("PPLT"); }));
        QCOMPARE(f.sim.received().last(), FrameCodec::frameCommand("IN;PA;SP2;PU300,600;PG;PG;", "PPLT"));
    }

    void moveOffsetUsesCameraOffset()
    {
        DriverFixture &f = *m_f;
        f.config->setMarkCameraOffsetX(0, 1.5);
        f.config->setMarkCameraOffsetY(0, -2.0);
        f.config->setCutCoordinates(1);
        QVERIFY(waitIdle(f));
        const int before = int(f.sim.received().size());
        f.driver->moveOffset();
        QVERIFY(f.sim.waitFor([&](const QStringList &) { return f.sim.received().size() >= before + 3; }));
        QCOMPARE(f.sim.received().mid(before).last(), FrameCodec::frameCommand("IN;PA;SP2;PU60,80;PG;PG;", "PPLT"));
        f.config->setCutCoordinates(0);
    }

    void modernControllerForms()
    {
        DriverFixture f;
        f.config->setProperty(Config::CPT_Version, 4);
        f.config->setKnifeNum(5);
        QVERIFY(f.link(kModernAddress));
        // Several knives: a knife reset job follows the link; let it end.
        QVERIFY(QTest::qWaitFor([&] { return f.host->statusLog().contains(1); }, 2000));
        QVERIFY(QTest::qWaitFor([&] { return f.driver->isWorkIdle(); }, 15000));
        QCOMPARE(run([](Varnok120X &d) { return d.rDevicePoint(1); }, f).second, QStringList{"4,0,1,0,0;"});
        QCOMPARE(run([](Varnok120X &d) { return d.wDevicePoint(1, 5, 6); }, f).second, QStringList{"4,1,1,5,6;"});
        QCOMPARE(run([](Varnok120X &d) { return d.wMoveX(1); }, f).second, QStringList{"15,0,1,0;"});
        QCOMPARE(run([](Varnok120X &d) { return d.wMoveY(-1); }, f).second, QStringList{"15,0,0,-1;"});
        QCOMPARE(run([](Varnok120X &d) { return d.setKnife(5); }, f).second, QStringList{"19,5;"});
        QCOMPARE(f.config->runTip(), QString("移动第1,3把刀"));
        QCOMPARE(run([](Varnok120X &d) { return d.setKnife(0); }, f).second, QStringList{"19,1;"});
        // The current knife while the carriage works is not selected again.
        QVERIFY(f.sim.control("set status 1"));
        QVERIFY(f.driver->rCutMotorStatus());
        QCOMPARE(run([](Varnok120X &d) { return d.setKnife(1); }, f), qMakePair(true, QStringList()));
        // A positioning job selects its knives first.
        QVERIFY(f.sim.control("set status 0"));
        QVERIFY(f.driver->rCutMotorStatus());
        QCOMPARE(run([](Varnok120X &d) { return d.wDevicePoint(2, QPointF(0, 40)); }, f).second,
                 (QStringList{"19,2;", "21;", "22,23,23;"}));
    }
};

DRAVO_TEST_MAIN(TestVarnokCommands)
#include "tst_varnok_commands.moc"
