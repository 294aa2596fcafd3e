// Reply decoding fed frame by frame, without a socket: what each reply does
// to the machine state, the parameters and the application.
#include "Config.h"
#include "FrameCodec.h"
#include "MachineAlarms.h"
#include "RecordingHost.h"
#include "TestMain.h"
#include "Varnok120X.h"

#include <QDir>
#include <QSignalSpy>
#include <QThread>
#include <atomic>
#include <memory>

class TestVarnokReplies : public QObject
{
    Q_OBJECT

private:
    void feed(const QByteArray &body) { m_driver->decode(FrameCodec::frameRaw("CCMD;" + body)); }

    std::unique_ptr<Config> m_config;
    std::unique_ptr<RecordingHost> m_host;
    std::unique_ptr<Varnok120X> m_driver;

private slots:
    void init()
    {
        m_config = std::make_unique<Config>(QDir::currentPath());
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

    void deviceInfo_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("expected"); // devType, devId, pcbId, pcbVer, firmware, pcbVerSensor, firmwareSensor
        QTest::newRow("legacy") << QByteArray("1,0,T1,D2,P3,V4,F5;")
                                << QStringList{"T1", "D2", "P3", "V4", "F5", "", ""};
        QTest::newRow("module 0") << QByteArray("1,0,0,0,T1,D2,P3,V4,F5;")
                                  << QStringList{"T1", "D2", "P3", "V4", "F5", "", ""};
        QTest::newRow("module 2 only its versions") << QByteArray("1,0,0,2,T1,D2,P3,V4,F5;")
                                                    << QStringList{"", "", "", "", "", "V4", "F5"};
        QTest::newRow("module 7 ignored") << QByteArray("1,0,0,7,T1,D2,P3,V4,F5;")
                                          << QStringList{"", "", "", "", "", "", ""};
        QTest::newRow("5 fields") << QByteArray("1,0,T1,D2,P3,V4;") << QStringList{"", "", "", "", "", "", ""};
        QTest::newRow("7 fields") << QByteArray("1,0,T1,D2,P3,V4,F5,X;") << QStringList{"", "", "", "", "", "", ""};
        QTest::newRow("status 1") << QByteArray("1,1,T1,D2,P3,V4,F5;") << QStringList{"", "", "", "", "", "", ""};
    }

    void deviceInfo()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, expected);
        QSignalSpy sensorFw(m_driver.get(), &Varnok120X::firmwareSensorChanged);
        feed(body);
        const QStringList got{m_driver->devType(),        m_driver->devId(),         m_driver->pcbId(),
                              m_driver->pcbVer(),         m_driver->firmware(),      m_driver->pcbVerSensor(),
                              m_driver->firmwareSensor()};
        QCOMPARE(got, expected);
        QCOMPARE(sensorFw.count(), expected.at(6).isEmpty() ? 0 : 1);
        QVERIFY(m_driver->pcbVerDriver().isEmpty());
        QVERIFY(m_driver->pcbVerTrim().isEmpty());
    }

    void resetReplies()
    {
        feed("2,0,1,0,4,3;");
        QCOMPARE(m_config->getProperty(Config::CPT_Rectify_Reset).toBool(), true);
        feed("2,0,0,3,1,3;");
        QCOMPARE(m_driver->trimYResetValue(), 3);
        QCOMPARE(m_config->getProperty(Config::CPT_Trim_Reset).toBool(), true);
        feed("2,0,0,3,1,0;");
        QCOMPARE(m_driver->trimYResetValue(), 0);
        QCOMPARE(m_config->getProperty(Config::CPT_Trim_Reset).toBool(), false);
        feed("2,0,0,3,1,x;"); // not a number: nothing stored
        QCOMPARE(m_driver->trimYResetValue(), 0);
    }

    void cutMotorStatusClearsSentFlagOnIdle()
    {
        QSignalSpy spy(m_driver.get(), &Varnok120X::cutMotorStatusChanged);
        feed("3,0,1;");
        QCOMPARE(m_driver->cutMotorStatus(), 1);
        m_driver->setCutSent(true);
        feed("3,0,1;");
        QVERIFY(m_driver->cutSent());
        feed("3,0,0;");
        QCOMPARE(m_driver->cutMotorStatus(), 0);
        QVERIFY(!m_driver->cutSent());
        QCOMPARE(spy.count(), 2);
        feed("3,0,-4;"); // not an unsigned status
        QCOMPARE(m_driver->cutMotorStatus(), 0);
    }

    void knifePositions()
    {
        feed("4,0,0,100,-200;");
        QCOMPARE(m_driver->devicePoint(0), QPointF(100, -200));
        feed("4,0,0,2,5,6;");
        QCOMPARE(m_driver->devicePoint(2), QPointF(5, 6));
        feed("4,0,1,9,9;"); // the end of a move stores nothing
        QCOMPARE(m_driver->devicePoint(0), QPointF(100, -200));
        feed("4,0,0,abc,1;");
        QCOMPARE(m_driver->devicePoint(0), QPointF(100, -200));
    }

    void pressures()
    {
        m_config->setKnifeNum(2);
        QSignalSpy spy(m_driver.get(), &Varnok120X::pressureChanged);
        QCOMPARE(m_driver->pressure(), 100); // never reported
        feed("7,0,0,0,80;");
        QCOMPARE(m_driver->pressure(), 80);
        feed("7,0,0,0,80;");
        QCOMPARE(spy.count(), 1);
        feed("7,0,0,2,55;"); // knife index beyond the knife count
        QCOMPARE(spy.count(), 1);
        m_config->setKnifeNo(1);
        QCOMPARE(m_driver->pressure(), 100);
    }

    void cameraPoints()
    {
        m_config->setKnifeNum(2);
        feed("8,0,0,0,640,0;");
        QCOMPARE(m_config->checkCameraCenterX(), 640.0);
        feed("8,0,0,2,1.5,-2;");
        QCOMPARE(m_config->markCameraOffsetX(1), 1.5);
        QCOMPARE(m_config->markCameraOffsetY(1), -2.0);
        const double before = m_config->markCameraOffsetX(0);
        feed("8,0,0,3,7,7;"); // knife 3 of 2
        feed("8,0,1,1,7,7;"); // a write echo
        QCOMPARE(m_config->markCameraOffsetX(0), before);
    }

    void plainValues()
    {
        QSignalSpy speed(m_driver.get(), &Varnok120X::speedChanged);
        feed("6,0,0,0,55;");
        feed("6,0,0,0,55;");
        QCOMPARE(m_driver->speed(), 55);
        QCOMPARE(speed.count(), 1);
        feed("10,0,0,3;");
        QCOMPARE(m_driver->cutModel(), 3);
        feed("11,0,0,300,400;");
        QCOMPARE(m_driver->workAreaSize(), QSizeF(300, 400));
        feed("17,0,1,0,1,0,0,0,1;");
        QCOMPARE(QList<bool>({m_driver->sensor1(), m_driver->sensor2(), m_driver->sensor3(), m_driver->sensor7()}),
                 QList<bool>({true, false, true, true}));
        feed("19,0,5;");
        QCOMPARE(m_driver->currentKnife(), 5);
        feed("19,1,6;"); // refused: the knife did not change
        QCOMPARE(m_driver->currentKnife(), 5);
    }

    void rollers()
    {
        QSignalSpy spy(m_driver.get(), &Varnok120X::filmRollerChanged);
        feed("18,0,0,0,4550,0,0,60.5,70.5,80.5;");
        QCOMPARE(m_driver->gyroscope(), 45.5);
        QCOMPARE(m_driver->printRoller(), 60.5);
        QCOMPARE(m_driver->filmRoller(), 70.5);
        QCOMPARE(m_driver->collectRoller(), 80.5);
        feed("18,0,0,0,4550,0,0,60.5,70.5000000000001,80.5;"); // fuzzy equal
        QCOMPARE(spy.count(), 1);
        feed("18,0,0,0,4550,0,0,1,nan?,1;");
        QCOMPARE(m_driver->printRoller(), 60.5);
    }

    void taskControl()
    {
        feed("12,0,2;");
        QCOMPARE(m_host->taskStatus(), 2);
        feed("12,0,1;");
        QCOMPARE(m_host->taskStatus(), 1);
        feed("12,0,0;"); // a pause nobody sent: the machine's own
        QCOMPARE(m_host->taskStatus(), 0);
        feed("12,0,9;");
        QCOMPARE(m_host->taskStatus(), 2);
    }

    void motors()
    {
        feed("20,0,1,3,0,500,0,3;");
        QCOMPARE(m_driver->collectMotorState(), 3);
        QCOMPARE(m_config->collectSpeedRealTime(), 500);
        feed("20,0,0,2,0,0,12.5,1;");
        QCOMPARE(m_driver->rectifyLength(), 12.5f);
        QCOMPARE(m_driver->rectifyMotorState(), 1);
        feed("20,0,1,4,1,0,0,2;");
        QCOMPARE(m_driver->trimYMotorState(), 2);
        QCOMPARE(m_driver->trimXMotorState(), 0);
        feed("20,0,1,1,0,77.9,0,0;");
        QCOMPARE(m_config->filmSpeedRealTime(), 77);
        feed("20,0,1,4,0,0,0;"); // six fields
        QCOMPARE(m_driver->trimXMotorState(), 0);
    }

    void alarmReportSetsBitOnce()
    {
        QSignalSpy spy(m_driver.get(), &Varnok120X::deviceStateChanged);
        feed("23,0,3;");
        feed("23,0,1,9;");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(m_driver->deviceState(), qulonglong(MachineAlarms::AlarmReport));
        QCOMPARE(m_driver->alarmText(), QString("驱动X轴电机报错 23,0,1,9"));
        feed("23,0;");
        QCOMPARE(m_driver->alarmText(), QString("23,0"));
    }

    void deviceStateText_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<qulonglong>("state");
        QTest::addColumn<QString>("expected");
        QTest::newRow("feed limit v1") << 1 << qulonglong(1) << QString(" 送纸限位 msg");
        QTest::newRow("waste limit v3") << 3 << qulonglong(1) << QString(" 排废限位 msg");
        QTest::newRow("no text v5") << 5 << qulonglong(1) << QString("msg");
        QTest::newRow("order") << 0 << qulonglong(512 | 64 | 2)
                               << QString(" 打印容纸限位  收纸容纸过多  纠偏错误 msg");
        QTest::newRow("defect replaces message") << 0 << qulonglong(128) << QString(" 缺陷检测失败 ");
    }

    void deviceStateText()
    {
        QFETCH(int, version);
        QFETCH(qulonglong, state);
        QFETCH(QString, expected);
        m_config->setProperty(Config::CPT_Version, version);
        m_host->setMessage("msg");
        m_driver->setDeviceState(state);
        QCOMPARE(m_driver->deviceStateString(), expected);
    }

    void concurrentBitChangesLoseNothing()
    {
        std::atomic<int> emitted{0};
        connect(m_driver.get(), &Varnok120X::deviceStateChanged, this, [&emitted] { ++emitted; },
                Qt::DirectConnection);
        auto toggler = [this](qulonglong bit, int rounds) {
            return QThread::create([this, bit, rounds] {
                for (int i = 0; i < rounds; ++i) {
                    m_driver->changeDeviceState(bit, bit);
                    m_driver->changeDeviceState(bit, 0);
                }
                m_driver->changeDeviceState(bit, bit);
            });
        };
        std::unique_ptr<QThread> a(toggler(2, 2000)), b(toggler(256, 2000));
        a->start();
        b->start();
        a->wait();
        b->wait();
        QCOMPARE(m_driver->deviceState(), qulonglong(258));
        QCOMPARE(emitted.load(), 2 * (2 * 2000 + 1));
    }

    void upgradeProgressAndJunk()
    {
        QSignalSpy spy(m_driver.get(), &Varnok120X::updateProgressChanged);
        m_driver->decode(FrameCodec::frameRaw("UPG;1,0,45.5;"));
        QCOMPARE(m_driver->updateProgress(), 45.5);
        m_driver->decode(FrameCodec::frameRaw("UPG;1,0,45.5;"));
        QCOMPARE(spy.count(), 1);
        m_driver->decode(FrameCodec::frameRaw("CCMD;5;"));
        m_driver->decode(QByteArray("\x02garbage\x03", 9));
        m_driver->decode(FrameCodec::frameRaw("CCMD;999999999999,0;"));
        m_driver->decode(FrameCodec::frameRaw("CCMD;18,0,0,0,1,0,0,1,1;")); // eight fields
        QCOMPARE(m_driver->printRoller(), m_config->getProperty(Config::CPT_Print_Roller_Trigger).toDouble());
    }
};

DRAVO_TEST_MAIN(TestVarnokReplies)
#include "tst_varnok_replies.moc"
