#include "CameraDevices.h"
#include "Config.h"
#include "ConfigFixture.h"
#include "ParamTable.h"
#include "TestMain.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QThread>

#include <cmath>
#include <memory>
#include <vector>

// Records every signal of a Config in the order emitted; propertyChanged with its id.
class SignalTrace : public QObject
{
    Q_OBJECT
public:
    explicit SignalTrace(Config *cfg)
    {
        const QMetaObject *mo = cfg->metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            if (mo->method(i).methodType() == QMetaMethod::Signal && mo->method(i).name() != "propertyChanged")
                connect(cfg, mo->method(i), this, metaObject()->method(metaObject()->indexOfSlot("hit()")));
        }
        connect(cfg, &Config::propertyChanged, this, [this](Config::ConfigParamType key) {
            events << QStringLiteral("propertyChanged(%1)").arg(int(key));
        });
    }
    QStringList take() { return std::exchange(events, {}); }
    QStringList events;

public slots:
    void hit() { events << QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name()); }
};

// The set operation and its side effects, the property write path and its one
// change signal, counters and their day row, camera flags, knife offsets, threads.
class TestConfigStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = startConfigTest(); }
    void cleanup() { CameraDevices::setProvider(nullptr); }

    void startUpAndTheSetOperation()
    {
        writeFile("config.ini", "[Dravolinte]\npackage_size=16\n[UI]\nlogo=file:/nowhere/logo.png\n");
        Config cfg(m_dir);
        QCOMPARE(QVariantList({cfg.getProperty(Config::CPT_Package_size), cfg.getProperty(Config::CPT_NO_CUT_SPEED),
                               cfg.enableSort(), cfg.getProperty(Config::CPT_UI_Logo), cfg.getProperty(Config::CPT_Device_Version)}),
                 QVariantList({1024, 200, true, "file:Dravolinte/res/logo.png", 0})); // the last never registered nor set
        QCOMPARE(iniValue("config.ini", "UI/logo").toString(), QStringLiteral("file:/nowhere/logo.png")); // memory only
        const QByteArray before = readAll("config.ini");
        QSignalSpy changed(&cfg, &Config::propertyChanged);
        cfg.setProperty(Config::CPT_Run, QStringLiteral("正在运行")); // no key: memory only
        QCOMPARE(readAll("config.ini"), before);
        // The value it holds is written and told again; only its own signal waits for a real change.
        QSettings(cfg.settingsFileName(), QSettings::IniFormat).setValue("Dravolinte/Mark_Light", 99);
        QSignalSpy light(&cfg, &Config::markLightChanged);
        cfg.setProperty(Config::CPT_Mark_Light, 30);
        QCOMPARE(iniValue("config.ini", "Dravolinte/Mark_Light").toInt(), 30);
        QCOMPARE(QList<qsizetype>({changed.count(), light.count()}), QList<qsizetype>({2, 0}));
    }

    // Every property of a row signals once per real change (compared in its type), never for the value it holds.
    void propertyWrites_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("start"); // none: as loaded
        QTest::addColumn<QVariant>("next");  // none: another value
        QTest::addColumn<int>("told");
        for (int id : rowsWithProperty())
            QTest::newRow(rowProperty(id).name()) << QByteArray(rowProperty(id).name()) << QVariant() << QVariant() << 1;
        QTest::newRow("double within 1e-12") << QByteArray("gyroscopeTrigger") << QVariant(3.0) << QVariant(3.0 + 2e-12) << 0;
        QTest::newRow("double beyond 1e-12") << QByteArray("gyroscopeTrigger") << QVariant(3.0) << QVariant(3.0 + 4e-12) << 1;
        QTest::newRow("float exact") << QByteArray("todayCut") << QVariant(1.5f) << QVariant(std::nextafter(1.5f, 2.0f)) << 1;
        QTest::newRow("total beyond 32 bits") << QByteArray("totalCopies") << QVariant(5ull) << QVariant(0x100000005ull) << 0;
    }
    void propertyWrites()
    {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, start);
        QFETCH(QVariant, next);
        QFETCH(int, told);
        Config cfg(m_dir);
        const QMetaProperty p = cfg.metaObject()->property(cfg.metaObject()->indexOfProperty(property));
        if (start.isValid())
            QVERIFY(p.write(&cfg, start));
        if (!next.isValid()) {
            next = p.read(&cfg);
            switch (next.typeId()) {
            case QMetaType::Bool: next = !next.toBool(); break;
            case QMetaType::QString: next = next.toString() + QStringLiteral("x"); break;
            case QMetaType::QDate: next = next.toDate().addDays(1); break;
            default: next = next.toInt() + 1; break;
            }
        }
        QSignalSpy own(&cfg, p.notifySignal());
        const QByteArray stored = readAll("tmp.ini");
        QVERIFY(p.write(&cfg, next) && p.write(&cfg, next));
        QCOMPARE(own.count(), told);
        if (told == 0)
            QCOMPARE(readAll("tmp.ini"), stored);
        else
            QCOMPARE(p.read(&cfg), next);
    }

    void sideEffectsSignalInOrder()
    {
        Config cfg(m_dir);
        SignalTrace trace(&cfg);
        cfg.setEnablePrintRoller(false); // printing needs the print roller
        cfg.setEnableGyroscope(false);
        QCOMPARE(trace.take(), QStringList({"propertyChanged(61)", "propertyChanged(59)", "enablePrintChanged",
                                            "enablePrintRollerChanged", "propertyChanged(58)", "enableGyroscopeChanged"}));
        cfg.setEnablePrint(true); // printing brings the gyroscope and the print roller back
        QCOMPARE(trace.take(), QStringList({"propertyChanged(59)", "propertyChanged(58)", "enableGyroscopeChanged",
                                            "propertyChanged(61)", "enablePrintRollerChanged", "enablePrintChanged"}));
        cfg.setTrim(true);
        cfg.setRectify(true);
        cfg.setShowCamera(1);
        trace.take();
        cfg.setEnableTrim(false);
        cfg.setEnableRectify(false);
        cfg.setEnableTrim(true);
        cfg.setEnableTrim(false); // its dependant is already off
        cfg.setEnableDetection(false); // without detection the view goes back to the first camera
        QCOMPARE(trace.take(), QStringList({"propertyChanged(72)", "propertyChanged(19)", "trimChanged", "enableTrimChanged",
                                            "propertyChanged(63)", "propertyChanged(74)", "rectifyChanged",
                                            "enableRectifyChanged", "propertyChanged(72)", "enableTrimChanged",
                                            "propertyChanged(72)", "enableTrimChanged", "propertyChanged(73)",
                                            "propertyChanged(15)", "showCameraChanged", "enableDetectionChanged"}));
        // A new day resets only the counters that are not 0, and writes no day row for it.
        cfg.setTodayCopies(5);
        trace.take();
        cfg.setToday(cfg.today().addDays(1));
        QCOMPARE(trace.take(), QStringList({"propertyChanged(1)", "propertyChanged(4)", "todayCopiesChanged", "todayChanged"}));
        cfg.setToday(cfg.today().addDays(1));
        QCOMPARE(trace.take(), QStringList({"propertyChanged(1)", "todayChanged"}));
        QCOMPARE(dayRows(cfg.db()).size(), 2); // the first day's, the second's at 0, none for the third
    }

    void countersSurviveStartOnSameDay_data()
    {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<int>("copies");
        QTest::newRow("same day") << 0 << 7;
        QTest::newRow("day before") << 1 << 0;
    }
    void countersSurviveStartOnSameDay()
    {
        QFETCH(int, daysAgo);
        QFETCH(int, copies);
        writeFile("config.ini", "[Total]\nCopies=7\nCut=12.5\n[Today]\nCopies=100\nToday="
                                    + QDate::currentDate().addDays(-daysAgo).toString(Qt::ISODate).toLatin1() + "\n");
        {
            Config cfg(m_dir);
            QCOMPARE(QVariantList({cfg.today(), cfg.todayCopies(), cfg.todayCut(), cfg.totalCopies()}),
                     QVariantList({QDate::currentDate(), copies, copies ? 12.5f : 0.0f, 100ull})); // totals never roll over
            // The load pass sets the counters before their day is known: no row without a date.
            for (const QVariantList &row : dayRows(cfg.db()))
                QVERIFY(row.first().toDate().isValid());
        }
        QCOMPARE(iniValue("config.ini", "Total/Copies").toInt(), copies);
    }

    void countersReachTheDayRow()
    {
        Config cfg(m_dir);
        cfg.setTodayCopies(3);
        cfg.setTodayCut(2.5f);
        cfg.setTodayScanMarkOk(2);
        cfg.setTotalCopies(1000); // the all-time totals stay out of the day's row, stored crosswise under "Today"
        cfg.setTotalCut(999.5f);
        QCOMPARE(dayRows(cfg.db()), QList<QVariantList>({{cfg.today().toString("yyyy-MM-dd"), 2.5, 0.0, 3, 0, 2}}));
        QCOMPARE(QList<float>({iniValue("tmp.ini", "Today/Cut").toFloat(), iniValue("tmp.ini", "Total/Cut").toFloat()}),
                 QList<float>({999.5f, 2.5f}));
        cfg.setProperty(Config::CPT_Total_Scan_Mark, -1); // 32-bit ints, seen sign-extended
        QCOMPARE(cfg.totalScanMark(), ~0ull);
    }

    void brokenDatabaseKeepsStoreRunning()
    {
        writeFile("config.db", "the operator's notes, not a database\n");
        MessageLog criticals;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^DbConfig::DbConfig config.db is not a usable database"));
        Config(m_dir).setTodayCopies(3);
        QCOMPARE(iniValue("tmp.ini", "Total/Copies").toInt(), 3);
        QCOMPARE(criticals.lines().size(), 1);
        QCOMPARE(readAll("config.db"), QByteArray("the operator's notes, not a database\n"));
    }

    // The shown camera's source is the usedQMLCamera property: signalled when it changes, never stored.
    void cameraSources()
    {
        CameraDevices::setProvider([] { return QStringList{"DA0001", "DA0002"}; });
        Config cfg(m_dir);
        QSignalSpy used(&cfg, &Config::usedQMLCameraChanged);
        QSignalSpy rotation(&cfg, &Config::checkCameraRotationChanged);
        cfg.setCheckCamera(QStringLiteral("DA0002")); // an industrial camera, not shown
        QVERIFY(!cfg.usedQMLCamera(1) && cfg.usedQMLCamera(0) && used.isEmpty());
        cfg.setShowCamera(1);
        QVERIFY(!cfg.usedQMLCamera());
        cfg.setCheckCameraName(QStringLiteral("USB Camera"));
        cfg.setCheckCamera(QStringLiteral("/dev/video0"));
        QVERIFY(cfg.usedQMLCamera());
        QCOMPARE(cfg.checkCameraRotation(), 90);
        cfg.setCheckCameraName(QStringLiteral("Integrated Camera"));
        cfg.setCheckCamera(QStringLiteral("DA0001"));
        const QByteArray stored = readAll("tmp.ini");
        cfg.setUsedQMLCamera(true);
        QCOMPARE(readAll("tmp.ini"), stored);
        QCOMPARE(QVariantList({cfg.checkCameraRotation(), used.count(), rotation.count()}), QVariantList({0, 4, 2}));
    }

    void knifeOffsetsFollowTheKnife()
    {
        Config cfg(m_dir);
        QSignalSpy x(&cfg, &Config::markCameraOffsetXChanged);
        QSignalSpy changed(&cfg, &Config::propertyChanged);
        cfg.setKnifeNo(2);
        cfg.QObject::setProperty("markCameraOffsetX", 4.5);
        cfg.QObject::setProperty("markCameraOffsetX", 4.5);
        QCOMPARE(QVariantList({x.count(), changed.count(), cfg.markCameraOffsetX(2), cfg.markCameraOffsetX(0)}),
                 QVariantList({1, 1, 4.5, 0.0})); // offsets are not rows
        QCOMPARE(iniValue("tmp.ini", "Dravolinte/Mark_Camera_Offset_X2").toDouble(), 4.5);
    }

    void concurrentCounterUpdates()
    {
        Config cfg(m_dir);
        // Each thread owns one counter and one knife; all share the table, the file and the database.
        const QList<Config::ConfigParamType> counters{Config::CPT_Today_Copies, Config::CPT_Today_Scan_Mark,
                                                      Config::CPT_Today_Scan_Mark_OK, Config::CPT_Total_Copies};
        constexpr int rounds = 25;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < counters.size(); ++t) {
            threads.emplace_back(QThread::create([&cfg, &counters, t] {
                for (int i = 1; i <= rounds; ++i) {
                    cfg.setProperty(counters[t], cfg.getProperty(counters[t]).toInt() + 1);
                    cfg.setMarkCameraOffsetY(t, i);
                    cfg.getPropertyName(Config::CPT_Gyroscope_Trigger);
                }
            }));
            threads.back()->start();
        }
        for (auto &thread : threads)
            QVERIFY(thread->wait(60000));
        const QSettings ini("tmp.ini", QSettings::IniFormat);
        for (const char *key : {"Total/Copies", "Total/ScanMarkOk", "Today/Copies", "Dravolinte/Mark_Camera_Offset_Y3"})
            QCOMPARE(ini.value(key).toInt(), rounds);
        // The day row holds the final counts, whichever thread wrote last.
        QCOMPARE(dayRows(cfg.db()), QList<QVariantList>({{cfg.today().toString("yyyy-MM-dd"), 0.0, 0.0, rounds, rounds, rounds}}));
    }

private:
    QString m_dir;
};

DRAVO_TEST_MAIN(TestConfigStore)
#include "tst_config_store.moc"
