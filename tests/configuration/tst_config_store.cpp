#include "configuration/parameters/CameraDevices.h"
#include "configuration/Config.h"
#include "tests/configuration/ConfigFixture.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/GScene.h"
#include "platform/graphics/GSp.h"
#include "configuration/parameters/ParamTable.h"
#include "tests/support/TestMain.h"

#include <QApplication>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QThread>

#include <cmath>
#include <memory>
#include <vector>

// Records every signal of a Config in the order emitted: a property's signal
// by the property's name, propertyChanged by the id it carries.
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
        connect(cfg, &Config::propertyChanged, this, [this](Config::ConfigParamType key) { events << QString::number(key); });
    }
    QStringList events;

public slots:
    void hit() { events << QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name()).chopped(7); }
};

// The set operation and its side effects, the property write path and its one
// change signal, counters and their day row, camera flags, knife offsets, the
// cut-scene properties, threads.
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

    void sideEffectsSignalInOrder_data()
    {
        QTest::addColumn<QString>("before"); // properties set first
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("trace");
        QTest::newRow("printing needs its roller") << "" << "enablePrintRoller=false" << "61 59 enablePrint enablePrintRoller";
        QTest::newRow("printing brings gyroscope and roller") << "enablePrintRoller=false enableGyroscope=false"
                                                              << "enablePrint=true"
                                                              << "59 58 enableGyroscope 61 enablePrintRoller enablePrint";
        QTest::newRow("no trimming without trim") << "trim=true" << "enableTrim=false" << "72 19 trim enableTrim";
        QTest::newRow("dependant already off") << "" << "enableRectify=false" << "63 enableRectify";
        QTest::newRow("no rectifying without rectify") << "rectify=true" << "enableRectify=false" << "63 74 rectify enableRectify";
        QTest::newRow("no detection: first camera") << "showCamera=1" << "enableDetection=false" << "73 15 showCamera enableDetection";
        QTest::newRow("a new day resets the counters not 0") << "todayCopies=5" << "today=2099-01-01" << "1 4 todayCopies today";
        QTest::newRow("all counters 0") << "today=2099-01-01" << "today=2099-01-02" << "1 today";
    }
    void sideEffectsSignalInOrder()
    {
        QFETCH(QString, before);
        QFETCH(QString, change);
        QFETCH(QString, trace);
        Config cfg(m_dir);
        SignalTrace seen(&cfg);
        for (const QString &set : (before + ' ' + change).split(' ', Qt::SkipEmptyParts)) {
            seen.events.clear();
            QVERIFY(cfg.QObject::setProperty(qPrintable(set.section('=', 0, 0)), set.section('=', 1)));
        }
        QCOMPARE(seen.events.join(' '), trace);
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

        // A file that is no database: said once, left as it is, and the counters still count.
        enterFreshDir();
        writeFile("config.db", "the operator's notes\n");
        MessageLog criticals;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^DbConfig::DbConfig config.db is not a usable database"));
        Config(QDir::currentPath()).setTodayCopies(3);
        QCOMPARE(QVariantList({iniValue("tmp.ini", "Total/Copies").toInt(), criticals.lines().size(), readAll("config.db")}),
                 QVariantList({3, 1, QByteArray("the operator's notes\n")}));
    }

    // The shown camera's source is the usedQMLCamera property: signalled when it changes, never stored.
    void cameraSourcesAndKnifeOffsets()
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

        // The offset properties follow the knife of knifeNo; offsets are not rows.
        QSignalSpy x(&cfg, &Config::markCameraOffsetXChanged);
        QSignalSpy changed(&cfg, &Config::propertyChanged);
        cfg.setKnifeNo(2);
        cfg.QObject::setProperty("markCameraOffsetX", 4.5);
        cfg.QObject::setProperty("markCameraOffsetX", 4.5);
        QCOMPARE(QVariantList({x.count(), changed.count(), cfg.markCameraOffsetX(2), cfg.markCameraOffsetX(0)}),
                 QVariantList({1, 1, 4.5, 0.0}));
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

    // Five properties follow tool 1 of the application's cut scene; a change is recorded as its tool table.
    void cutSceneProperties()
    {
        Config config(QDir::currentPath());
        QSignalSpy val(&config, &Config::knifeCompensateValChanged);
        QSignalSpy sort(&config, &Config::autoSortChanged);
        // Without a scene: defaults, and writes are ignored.
        const QByteArray untouched = readAll(config.settingsFileName());
        config.setKnifeCompensateVal(0.7);
        config.setAutoSort(true);
        QCOMPARE(QVariantList({config.autoSort(), config.closeCompensate(), config.closeCompensateVal(),
                               config.knifeCompensate(), config.knifeCompensateVal(), val.count() + sort.count()}),
                 QVariantList({false, false, 0.2, false, 0.2, 0}));
        QCOMPARE(readAll(config.settingsFileName()), untouched);

        GScene scene;
        config.setCutSceneSource([&scene] { return &scene; });
        config.setKnifeCompensateVal(0.5);
        config.setKnifeCompensateVal(0.5);
        QCOMPARE(val.count(), 1); // one signal per real change
        config.setKnifeCompensate(true);
        config.setCloseCompensate(true);
        config.setCloseCompensate(false);
        QVERIFY(config.knifeCompensate() && !config.closeCompensate());

        const QString tool = scene.sp(1)->name() + '/'; // its table, as last written
        QCOMPARE(iniValue(config.settingsFileName(), tool + "flags").toInt(), int(GSp::KnifeCompensation));
        QCOMPARE(iniValue(config.settingsFileName(), tool + "knifeCompensate").toDouble(), GPathProcess::mm2Point(0.5));

        const QByteArray before = readAll(config.settingsFileName());
        config.setAutoSort(true);
        QVERIFY(scene.isSort() && scene.sortSP() && scene.sortInside());
        config.setAutoSort(false);
        QVERIFY(!scene.isSort() && !scene.sortSP() && !scene.sortInside());
        QCOMPARE(sort.count(), 2);
        QCOMPARE(readAll(config.settingsFileName()), before); // the order is not stored
        config.setCutSceneSource(nullptr);
    }

private:
    QString m_dir;
};

DRAVO_GUI_TEST_MAIN(TestConfigStore)
#include "tst_config_store.moc"
