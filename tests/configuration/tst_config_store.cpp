#include "CameraDevices.h"
#include "Config.h"
#include "ConfigFixture.h"
#include "TestMain.h"

#include <QMetaMethod>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QThread>

#include <cmath>
#include <memory>
#include <vector>

// Records every signal of a Config in the order it is emitted;
// propertyChanged with the id it carries.
class SignalTrace : public QObject
{
    Q_OBJECT
public:
    explicit SignalTrace(Config *cfg)
    {
        const QMetaMethod slot = metaObject()->method(metaObject()->indexOfSlot("hit()"));
        const QMetaObject *mo = cfg->metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod m = mo->method(i);
            if (m.methodType() == QMetaMethod::Signal && m.name() != "propertyChanged")
                connect(cfg, m, this, slot);
        }
        connect(cfg, &Config::propertyChanged, this, [this](Config::ConfigParamType key, const QVariant &) {
            events << QStringLiteral("propertyChanged(%1)").arg(int(key));
        });
    }
    QStringList take() { return std::exchange(events, {}); }
    QStringList events;

public slots:
    void hit() { events << QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name()); }
};

// Values, the set operation and its side effects, the property write path,
// counters and their day row, camera flags and per-knife offsets.
class TestConfigStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietInfoLog(); }
    void init() { m_dir = startConfigTest(); }
    void cleanup() { CameraDevices::setProvider(nullptr); }

    void setPropertyNeverCompares();
    void propertyWriteComparesValues_data();
    void propertyWriteComparesValues();
    void sideEffectSignalOrder();
    void dayRollOverResetsOnlyNonZeroCounters();
    void countersSurviveStartOnSameDay();
    void countersReachTheDayRow();
    void brokenDatabaseKeepsStoreRunning();
    void checkCameraSource();
    void startupValuesOfRunTimeRows();
    void knifeOffsetsAndTheirKeys();
    void concurrentCounterUpdates();

private:
    QString m_dir;
};

void TestConfigStore::setPropertyNeverCompares()
{
    Config cfg(m_dir);
    const QVariant none = cfg.getProperty(Config::CPT_Device_Version); // never registered nor set
    QCOMPARE(none.typeId(), int(QMetaType::Int));
    QCOMPARE(none.toInt(), 0);
    QCOMPARE(none.toBool(), false);

    // An id without a key is kept in memory and signalled, never stored.
    const QByteArray before = readAll("tmp.ini");
    QSignalSpy changed(&cfg, &Config::propertyChanged);
    cfg.setProperty(Config::CPT_Run, QStringLiteral("正在运行"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(1), QVariant(QStringLiteral("正在运行")));
    QCOMPARE(cfg.runTip(), QStringLiteral("正在运行"));
    QCOMPARE(readAll("tmp.ini"), before);

    // The value it already holds is written and signalled again (the file had another);
    // the property's own signal belongs to the property write path.
    QSettings(cfg.settingsFileName(), QSettings::IniFormat).setValue("Dravolinte/Mark_Light", 99);
    QSignalSpy own(&cfg, &Config::markLightChanged);
    cfg.setProperty(Config::CPT_Mark_Light, 30);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(own.count(), 0);
    QCOMPARE(iniValue("tmp.ini", "Dravolinte/Mark_Light").toInt(), 30);
}

void TestConfigStore::propertyWriteComparesValues_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("start");
    QTest::addColumn<QVariant>("next");
    QTest::addColumn<bool>("changes");
    QTest::newRow("int equal") << QByteArray("markLight") << QVariant(30) << QVariant(30) << false;
    QTest::newRow("int") << QByteArray("markLight") << QVariant(30) << QVariant(31) << true;
    QTest::newRow("double within 1e-12") << QByteArray("gyroscopeTrigger") << QVariant(3.0) << QVariant(3.0 + 2e-12) << false;
    QTest::newRow("double beyond 1e-12") << QByteArray("gyroscopeTrigger") << QVariant(3.0) << QVariant(3.0 + 4e-12) << true;
    QTest::newRow("double from zero") << QByteArray("pageSpacing") << QVariant(0.0) << QVariant(1e-300) << true;
    const float cut = 1.5f;
    QTest::newRow("float exact") << QByteArray("todayCut") << QVariant(cut) << QVariant(std::nextafter(cut, 2.0f)) << true;
    QTest::newRow("text") << QByteArray("ident") << QVariant(QStringLiteral("A")) << QVariant(QStringLiteral("A")) << false;
    QTest::newRow("date") << QByteArray("today") << QVariant(QDate::currentDate())
                          << QVariant(QDate::currentDate().addDays(1)) << true;
}

void TestConfigStore::propertyWriteComparesValues()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, start);
    QFETCH(QVariant, next);
    QFETCH(bool, changes);
    Config cfg(m_dir);
    QVERIFY(cfg.QObject::setProperty(property, start));
    const QMetaProperty meta = cfg.metaObject()->property(cfg.metaObject()->indexOfProperty(property));
    QSignalSpy own(&cfg, meta.notifySignal());
    QSignalSpy changed(&cfg, &Config::propertyChanged);
    const QByteArray stored = readAll("tmp.ini");
    QVERIFY(cfg.QObject::setProperty(property, next));
    QCOMPARE(own.count(), changes ? 1 : 0);
    QCOMPARE(changed.isEmpty(), !changes);
    QCOMPARE(readAll("tmp.ini") != stored, changes);
    if (changes)
        QCOMPARE(cfg.QObject::property(property), next);
}

void TestConfigStore::sideEffectSignalOrder()
{
    Config cfg(m_dir);
    SignalTrace trace(&cfg);

    cfg.setEnablePrintRoller(false); // printing needs the print roller
    QCOMPARE(trace.take(), QStringList({"propertyChanged(61)", "propertyChanged(59)", "enablePrintChanged",
                                        "enablePrintRollerChanged"}));
    QVERIFY(!cfg.enablePrint());

    cfg.setEnableGyroscope(false);
    trace.take();
    cfg.setEnablePrint(true); // printing brings the gyroscope and the print roller back
    QCOMPARE(trace.take(), QStringList({"propertyChanged(59)", "propertyChanged(58)", "enableGyroscopeChanged",
                                        "propertyChanged(61)", "enablePrintRollerChanged",
                                        "enablePrintChanged"}));
    QVERIFY(cfg.enableGyroscope() && cfg.enablePrintRoller());

    cfg.setTrim(true);
    trace.take();
    cfg.setEnableTrim(false);
    QCOMPARE(trace.take(), QStringList({"propertyChanged(72)", "propertyChanged(19)", "trimChanged",
                                        "enableTrimChanged"}));
    QVERIFY(!cfg.trim());

    cfg.setRectify(true);
    trace.take();
    cfg.setEnableRectify(false);
    QCOMPARE(trace.take(), QStringList({"propertyChanged(63)", "propertyChanged(74)", "rectifyChanged",
                                        "enableRectifyChanged"}));
    QVERIFY(!cfg.rectify());

    // Turning a switch off while its dependant is already off touches nothing else.
    cfg.setEnableTrim(true);
    trace.take();
    cfg.setEnableTrim(false);
    QCOMPARE(trace.take(), QStringList({"propertyChanged(72)", "enableTrimChanged"}));

    // Without detection the view goes back to the first camera.
    cfg.setShowCamera(1);
    trace.take();
    cfg.setEnableDetection(false);
    QCOMPARE(trace.take(), QStringList({"propertyChanged(73)", "propertyChanged(15)",
                                        "showCameraChanged", "enableDetectionChanged"}));
    QCOMPARE(cfg.showCamera(), 0);
    QVERIFY(cfg.usedQMLCamera(0));
}

void TestConfigStore::dayRollOverResetsOnlyNonZeroCounters()
{
    Config cfg(m_dir);
    cfg.setTodayCopies(5);
    SignalTrace trace(&cfg);
    const QDate next = cfg.today().addDays(1);
    cfg.setToday(next);
    QCOMPARE(trace.take(), QStringList({"propertyChanged(1)", "propertyChanged(4)", "todayCopiesChanged", "todayChanged"}));
    QCOMPARE(cfg.todayCopies(), 0);
    QCOMPARE(iniValue("tmp.ini", "Total/Copies").toInt(), 0);

    // Nothing to reset: no counter is set and no day row is written.
    const QDate later = next.addDays(1);
    cfg.setToday(later);
    QCOMPARE(trace.take(), QStringList({"propertyChanged(1)", "todayChanged"}));
    QList<QVariantList> rows;
    QVERIFY(cfg.db().select("SELECT * FROM t_work_data WHERE date = ?", rows, {later.toString("yyyy-MM-dd")}));
    QVERIFY(rows.isEmpty());
}

void TestConfigStore::countersSurviveStartOnSameDay()
{
    const QByteArray counters = "[Total]\nCopies=7\nCut=12.5\nScanMark=3\n[Today]\nCopies=100\nToday=";
    writeFile("config.ini", counters + QDate::currentDate().toString(Qt::ISODate).toLatin1() + "\n");
    {
        Config cfg(m_dir);
        QCOMPARE(cfg.todayCopies(), 7);
        QCOMPARE(cfg.todayCut(), 12.5f);
        QCOMPARE(cfg.todayScanMark(), 3);
        QCOMPARE(cfg.totalCopies(), 100ull);
        // The load pass sets the counters before their day is known: no row without a date.
        QList<QVariantList> rows;
        QVERIFY(cfg.db().select("SELECT count(*) FROM t_work_data WHERE date IS NULL OR date = ''", rows));
        QCOMPARE(rows.value(0).value(0).toInt(), 0);
    }
    QCOMPARE(iniValue("config.ini", "Total/Copies").toInt(), 7);

    enterFreshDir();
    writeFile("config.ini", counters + QDate::currentDate().addDays(-1).toString(Qt::ISODate).toLatin1() + "\n");
    Config cfg(QDir::currentPath());
    QCOMPARE(cfg.today(), QDate::currentDate());
    QCOMPARE(cfg.todayCopies(), 0);
    QCOMPARE(cfg.todayCut(), 0.0f);
    QCOMPARE(cfg.todayScanMark(), 0);
    QCOMPARE(cfg.totalCopies(), 100ull); // totals never roll over
    QCOMPARE(iniValue("config.ini", "Total/Copies").toInt(), 0);
}

void TestConfigStore::countersReachTheDayRow()
{
    Config cfg(m_dir);
    cfg.setTodayCopies(3);
    cfg.setTodayCut(2.5f);
    cfg.setTodayScanMarkOk(2);
    const QVariantList day{cfg.today().toString("yyyy-MM-dd"), 2.5, 0.0, 3, 0, 2};
    QCOMPARE(dayRows(cfg.db()), QList<QVariantList>{day});

    // The all-time totals stay out of the day's row.
    cfg.setTotalCopies(1000);
    cfg.setTotalCut(999.5f);
    QCOMPARE(dayRows(cfg.db()), QList<QVariantList>{day});
    // Stored crosswise: the totals under "Today", the day's counts under "Total".
    QCOMPARE(iniValue("tmp.ini", "Today/Cut").toFloat(), 999.5f);
    QCOMPARE(iniValue("tmp.ini", "Total/Cut").toFloat(), 2.5f);

    // Copies and scan counts are 32-bit ints; QML sees the totals sign-extended.
    cfg.setTotalCopies(0x100000005ull);
    QCOMPARE(cfg.getProperty(Config::CPT_Total_Copies), QVariant(5));
    cfg.setProperty(Config::CPT_Total_Scan_Mark, -1);
    QCOMPARE(cfg.totalScanMark(), ~0ull);
}

void TestConfigStore::brokenDatabaseKeepsStoreRunning()
{
    writeFile("config.db", "these are the operator's notes, not a database\n");
    CriticalLog criticals;
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^DbConfig::DbConfig config.db is not a usable database"));
    {
        Config cfg(m_dir);
        cfg.setTodayCopies(3);
        cfg.setTodayCut(1.5f);
        QCOMPARE(cfg.todayCopies(), 3);
        QCOMPARE(iniValue("tmp.ini", "Total/Copies").toInt(), 3);
    }
    QCOMPARE(criticals.lines().size(), 1);
    QCOMPARE(readAll("config.db"), QByteArray("these are the operator's notes, not a database\n"));
}

void TestConfigStore::checkCameraSource()
{
    CameraDevices::setProvider([] { return QStringList{"DA0001", "DA0002"}; });
    Config cfg(m_dir);
    QSignalSpy used(&cfg, &Config::usedQMLCameraChanged);
    QSignalSpy rotation(&cfg, &Config::checkCameraRotationChanged);
    cfg.setCheckCamera(QStringLiteral("DA0002"));
    QVERIFY(!cfg.usedQMLCamera(1));
    QVERIFY(cfg.usedQMLCamera(0)); // no entry: a QML camera
    QCOMPARE(used.count(), 0); // the shown camera's source did not change
    QCOMPARE(rotation.count(), 0);

    cfg.setCheckCameraName(QStringLiteral("USB Camera"));
    cfg.setCheckCamera(QStringLiteral("/dev/video0"));
    QVERIFY(cfg.usedQMLCamera(1));
    QCOMPARE(cfg.checkCameraRotation(), 90);
    QCOMPARE(rotation.count(), 1);

    cfg.setCheckCameraName(QStringLiteral("Integrated Camera"));
    cfg.setCheckCamera(QStringLiteral("DA0001"));
    QCOMPARE(cfg.checkCameraRotation(), 0);
    QCOMPARE(rotation.count(), 2);

    // The shown camera's flag is what the usedQMLCamera property reads.
    cfg.setShowCamera(1);
    QVERIFY(!cfg.usedQMLCamera());
    const QByteArray stored = readAll("tmp.ini");
    cfg.setUsedQMLCamera(true);
    QVERIFY(cfg.usedQMLCamera(1));
    QCOMPARE(readAll("tmp.ini"), stored); // camera flags are never stored
}

void TestConfigStore::startupValuesOfRunTimeRows()
{
    writeFile("config.ini", "[Dravolinte]\npackage_size=16\n[UI]\nlogo=file:/nowhere/logo.png\n");
    {
        Config cfg(m_dir);
        QCOMPARE(cfg.getProperty(Config::CPT_Package_size), QVariant(1024));
        QCOMPARE(cfg.getProperty(Config::CPT_NO_CUT_SPEED), QVariant(200));
        QVERIFY(cfg.enableSort());
        QCOMPARE(cfg.runTip(), QString());
        QCOMPARE(cfg.getProperty(Config::CPT_UI_Logo).toString(), QStringLiteral("file:Dravolinte/res/logo.png"));
    }
    // The operator's logo entry is only overridden in memory.
    QCOMPARE(iniValue("config.ini", "UI/logo").toString(), QStringLiteral("file:/nowhere/logo.png"));

    writeFile("config.ini", "[Dravolinte]\npackage_size=32\n");
    Config cfg(m_dir);
    QCOMPARE(cfg.getProperty(Config::CPT_Package_size), QVariant(32));
}

void TestConfigStore::knifeOffsetsAndTheirKeys()
{
    writeFile("config.ini", "[Dravolinte]\nKnifeNum=2\n");
    Config cfg(m_dir);
    QSignalSpy x(&cfg, &Config::markCameraOffsetXChanged);
    QSignalSpy changed(&cfg, &Config::propertyChanged);
    cfg.setKnifeNo(2);
    changed.clear();
    cfg.QObject::setProperty("markCameraOffsetX", 4.5);
    QCOMPARE(x.count(), 1);
    QCOMPARE(changed.count(), 0); // offsets are not table rows
    QCOMPARE(cfg.markCameraOffsetX(2), 4.5);
    QCOMPARE(cfg.markCameraOffsetX(0), 0.0);
    QCOMPARE(iniValue("config.ini", "Dravolinte/Mark_Camera_Offset_X2").toDouble(), 4.5);
    QCOMPARE(iniValue("config.ini", "Dravolinte/Mark_Camera_Offset_X").toDouble(), 0.0);

    cfg.setKnifeNo(0);
    cfg.setMarkCameraOffsetX(-1.25);
    QCOMPARE(iniValue("config.ini", "Dravolinte/Mark_Camera_Offset_X").toDouble(), -1.25);
    QCOMPARE(cfg.property("markCameraOffsetX").toDouble(), -1.25);
    QCOMPARE(x.count(), 2);

    // Exact comparison: the same value is ignored, one bit apart is not.
    QSettings(cfg.settingsFileName(), QSettings::IniFormat).setValue("Dravolinte/Mark_Camera_Offset_X", 8);
    cfg.setMarkCameraOffsetX(0, -1.25);
    QCOMPARE(x.count(), 2);
    QCOMPARE(iniValue("config.ini", "Dravolinte/Mark_Camera_Offset_X").toInt(), 8);
    cfg.setMarkCameraOffsetX(0, std::nextafter(-1.25, 0.0));
    QCOMPARE(x.count(), 3);

    QSignalSpy y(&cfg, &Config::markCameraOffsetYChanged);
    cfg.setMarkCameraOffsetY(1, 3.0);
    QCOMPARE(y.count(), 1);
    QCOMPARE(iniValue("config.ini", "Dravolinte/Mark_Camera_Offset_Y1").toDouble(), 3.0);
    QCOMPARE(cfg.markCameraOffsetY(3), 0.0);
}

void TestConfigStore::concurrentCounterUpdates()
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
        QVERIFY(thread->wait(20000));

    const QSettings ini("tmp.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("Total/Copies").toInt(), rounds);
    QCOMPARE(ini.value("Total/ScanMarkOk").toInt(), rounds);
    QCOMPARE(ini.value("Today/Copies").toInt(), rounds);
    for (Config::ConfigParamType id : counters)
        QCOMPARE(cfg.getProperty(id).toInt(), rounds);
    for (int t = 0; t < counters.size(); ++t)
        QCOMPARE(cfg.markCameraOffsetY(t), double(rounds));
    // The day row holds the final counts, whichever thread wrote last.
    const QVariantList day{cfg.today().toString("yyyy-MM-dd"), 0.0, 0.0, rounds, rounds, rounds};
    QCOMPARE(dayRows(cfg.db()), QList<QVariantList>{day});
}

DRAVO_TEST_MAIN(TestConfigStore)
#include "tst_config_store.moc"
