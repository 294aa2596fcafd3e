// Reply decoding fed frame by frame, without a socket: what each reply does
// to the machine state, the parameters and the application; replies whose
// fields do not fit change nothing.
#include "configuration/Config.h"
#include "tests/support/TestMain.h"
#include "device/Varnok120X.h"
#include "device/link/FrameCodec.h"
#include "device/state/MachineAlarms.h"
#include "tests/device/RecordingHost.h"

#include <QDir>
#include <functional>
#include <memory>

using Probe = std::function<QVariant(Varnok120X &, Config &, RecordingHost &)>;
Q_DECLARE_METATYPE(Probe)

class TestVarnokReplies : public QObject
{
    Q_OBJECT

private:
    void feed(const QByteArray &body)
    {
        m_driver->decode(FrameCodec::frameRaw(body.startsWith("UPG;") ? body : "CCMD;" + body));
    }

    std::unique_ptr<Config> m_config;
    std::unique_ptr<RecordingHost> m_host;
    std::unique_ptr<Varnok120X> m_driver;

private slots:
    void init()
    {
        m_config = std::make_unique<Config>(QDir::currentPath());
        m_config->setKnifeNum(2);
        m_host = std::make_unique<RecordingHost>();
        m_driver = std::make_unique<Varnok120X>(m_config.get());
        m_driver->setHost(m_host.get());
    }

    void cleanup()
    {
        m_driver.reset();
        m_host.reset();
        m_config.reset();
    }

    void replies_data()
    {
        QTest::addColumn<QByteArrayList>("bodies");
        QTest::addColumn<Probe>("probe");
        QTest::addColumn<QVariant>("expected");
#define ROW(name, bodies, probe, expected)                                                                                 \
    QTest::newRow(name) << QByteArrayList bodies << Probe([](Varnok120X &d, Config &c, RecordingHost &h) { return QVariant(probe); }) \
                        << QVariant(expected)
        const QStringList info{"T1", "D2", "P3", "V4", "F5"}, none(5, QString());
#define CONTROL QStringList{d.devType(), d.devId(), d.pcbId(), d.pcbVer(), d.firmware()}
#define MODULES QStringList{d.devType(), d.pcbVerSensor(), d.firmwareSensor(), d.pcbVerDriver(), d.pcbVerTrim()}
        ROW("info legacy", ({"1,0,T1,D2,P3,V4,F5;"}), CONTROL, info);
        ROW("info module 0", ({"1,0,0,0,T1,D2,P3,V4,F5;"}), CONTROL, info);
        ROW("info module 2: its versions", ({"1,0,0,2,T1,D2,P3,V4,F5;"}), MODULES, (QStringList{"", "V4", "F5", "", ""}));
        ROW("info module 7 ignored", ({"1,0,0,7,T1,D2,P3,V4,F5;"}), MODULES, none);
        ROW("info 5 fields", ({"1,0,T1,D2,P3,V4;"}), CONTROL, none);
        ROW("info 7 fields", ({"1,0,T1,D2,P3,V4,F5,X;"}), CONTROL, none);
        ROW("info status 1", ({"1,1,T1,D2,P3,V4,F5;"}), CONTROL, none);
        ROW("web guide reset", ({"2,0,1,0,4,3;"}), c.getProperty(Config::CPT_Rectify_Reset), true);
        ROW("trim Y reset", ({"2,0,0,3,1,3;", "2,0,0,3,1,x;"}), (QVariantList{d.trimYResetValue(), c.trimReset()}), (QVariantList{3, true}));
        ROW("trim Y not reset", ({"2,0,0,3,1,3;", "2,0,0,3,1,0;"}), (QVariantList{d.trimYResetValue(), c.trimReset()}), (QVariantList{0, false}));
        ROW("cut motor status", ({"3,0,1;", "3,0,-4;"}), d.cutMotorStatus(), 1);
        ROW("knife 0 position", ({"4,0,0,100,-200;", "4,0,1,9,9;", "4,0,0,abc,1;"}), d.devicePoint(0), QPointF(100, -200));
        ROW("knife 2 position", ({"4,0,0,2,5,6;"}), d.devicePoint(2), QPointF(5, 6));
        ROW("speed", ({"6,0,0,0,55;"}), d.speed(), 55);
        ROW("pressure, beyond the knives", ({"7,0,0,0,80;", "7,0,0,2,55;"}), d.pressure(), 80);
        ROW("pressure never reported", ({"7,0,0,1,80;"}), d.pressure(), 100);
        ROW("check camera centre", ({"8,0,0,0,640,0;"}), c.checkCameraCenterX(), 640.0);
        ROW("mark camera of knife 2", ({"8,0,0,2,1.5,-2;"}), QPointF(c.markCameraOffsetX(1), c.markCameraOffsetY(1)), QPointF(1.5, -2));
        ROW("mark camera: knife 3 of 2, echo", ({"8,0,0,3,7,7;", "8,0,1,1,7,7;"}), c.markCameraOffsetX(0) != 7.0 && c.markCameraOffsetX(1) != 7.0, true);
        ROW("cut model", ({"10,0,0,3;"}), d.cutModel(), 3);
        ROW("work area", ({"11,0,0,300,400;"}), d.workAreaSize(), QSizeF(300, 400));
        ROW("sensors", ({"17,0,1,0,1,0,0,0,1;"}), (QVariantList{d.sensor1(), d.sensor2(), d.sensor3(), d.sensor7()}), (QVariantList{true, false, true, true}));
        ROW("rollers", ({"18,0,0,0,4550,0,0,60.5,70.5,80.5;"}), (QVariantList{d.gyroscope(), d.printRoller(), d.filmRoller(), d.collectRoller()}),
            (QVariantList{45.5, 60.5, 70.5, 80.5}));
        ROW("rollers: no number, 8 fields", ({"18,0,0,0,1,0,0,60.5,1,1;", "18,0,0,0,1,0,0,1,nan?,1;", "18,0,0,0,1,0,0,1,1;"}), d.printRoller(), 60.5);
        ROW("knife selected, refusal kept", ({"19,0,5;", "19,1,6;"}), d.currentKnife(), 5);
        ROW("stopped", ({"12,0,2;"}), h.taskStatus(), 2);
        ROW("resumed", ({"12,0,1;"}), h.taskStatus(), 1);
        ROW("paused by the machine", ({"12,0,1;", "12,0,0;"}), h.taskStatus(), 0);
        ROW("unknown task state", ({"12,0,1;", "12,0,9;"}), h.taskStatus(), 2);
        ROW("rewind motor", ({"20,0,1,3,0,500,0,3;"}), (QVariantList{d.collectMotorState(), c.collectSpeedRealTime()}), (QVariantList{3, 500}));
        ROW("guide motor", ({"20,0,0,2,0,0,12.5,1;"}), (QVariantList{d.rectifyLength(), d.rectifyMotorState()}), (QVariantList{12.5f, 1}));
        ROW("trim motors, six fields", ({"20,0,1,4,1,0,0,2;", "20,0,1,4,0,0,0;"}), (QVariantList{d.trimYMotorState(), d.trimXMotorState()}), (QVariantList{2, 0}));
        ROW("film motor", ({"20,0,1,1,0,77.9,0,0;"}), c.filmSpeedRealTime(), 77);
        ROW("alarms", ({"23,0,3;", "23,0,1,9;"}), (QVariantList{d.alarmText(), d.deviceState()}),
            (QVariantList{QString("驱动X轴电机报错 23,0,1,9"), qulonglong(MachineAlarms::AlarmReport)}));
        ROW("alarm without code", ({"23,0;"}), d.alarmText(), QString("23,0"));
        ROW("progress, junk after", ({"UPG;1,0,45.5;", "5;", "999999999999,0;", "UPG;1,0,abc;"}), d.updateProgress(), 45.5);
        // The state text: limit texts by machine version, in bit order, then the application's message.
#define TEXT(version, state) (c.setProperty(Config::CPT_Version, version), h.setMessage("msg"), d.setDeviceState(state), d.deviceStateString())
        ROW("text: feed limit v1", ({}), TEXT(1, 1), QString(" 送纸限位 msg"));
        ROW("text: waste limit v3", ({}), TEXT(3, 1), QString(" 排废限位 msg"));
        ROW("text: none v5", ({}), TEXT(5, 1), QString("msg"));
        ROW("text: in bit order", ({}), TEXT(0, 512 | 64 | 2), QString(" 打印容纸限位  收纸容纸过多  纠偏错误 msg"));
        ROW("text: defect replaces message", ({}), TEXT(0, 128), QString(" 缺陷检测失败 "));
#undef TEXT
#undef ROW
#undef CONTROL
#undef MODULES
    }

    void replies()
    {
        QFETCH(QByteArrayList, bodies);
        QFETCH(Probe, probe);
        QFETCH(QVariant, expected);
        for (const QByteArray &body : bodies)
            feed(body);
        QCOMPARE(probe(*m_driver, *m_config, *m_host), expected);
    }

    // An idle carriage has cut whatever was sent.
    void idleCarriageClearsSentFlag()
    {
        feed("3,0,1;");
        m_driver->setCutSent(true);
        feed("3,0,1;");
        QVERIFY(m_driver->cutSent());
        feed("3,0,0;");
        QVERIFY(!m_driver->cutSent());
    }
};

DRAVO_TEST_MAIN(TestVarnokReplies)
#include "tst_varnok_replies.moc"
