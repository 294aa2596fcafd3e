#include "configuration/Config.h"
#include "tests/configuration/ConfigFixture.h"
#include "tests/support/Recorder.h"
#include "tests/support/TestMain.h"

#include <QLocale>
#include <QSignalSpy>

using Ids = QList<int>;

// The store's files as the operator meets them (the first start, bad values,
// staged edits, saved defaults, the factory reset, the version presets) and
// what the settings pages ask of it: groups, labels, ranges, visibility, modules.
class TestConfigFiles : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = startConfigTest(); }

    void freshStartWritesEveryKeyToFallbackFile()
    {
        const QString language = QLocale::system().language() == QLocale::English ? "1" : "0";
        // Keys and default texts of a first "tmp.ini"; "*" values are checked by kind below.
        const QString expected = QStringLiteral(
            "[Host] Ip= Location= IpDate=* LocationDate=* [Dravolinte] KnifeNum=1 KnifeInterval=40 cutCoordinates=0 "
            "KnifeMaxDistance=380 CheckCameraCenterX=635 Mark_Camera_Offset_X=0 Mark_Camera_Offset_Y=0 Ident= "
            "Mark_Camera= Check_Camera= Show_Camera= Trim=false AutoRoll=false Mark_Camera_Width=320 "
            "Mark_Camera_Height=240 Mark_Size=3.5 TirmY_Speed=150 Tirm_Offset=500 Mark_Light=30 Check_Light=100 "
            "Check_BK_Light=60 Collect_Scale=1 Tirm_Scale=1.1 dtMark=0.1 dtCenter=3 dtFindMarkInfo=4 Language=%1 "
            "Gyroscope_Trigger=3 Gyroscope_Limit=20 Gyroscope_speed=100 Print_Roller_Trigger=80 Print_Roller_Limit=60 "
            "Print_Roller_Max=100 Film_Roller_Trigger=80 Film_Roller_Limit=60 Film_Roller_Max=100 "
            "Collect_Roller_Trigger=80 Collect_Roller_Limit=60 Collect_Roller_Max=100 Film_Speed=50 Collect_Speed=50 "
            "Rectify_Speed=30 markType=0 plt_dir= Cut_Inverse=false Cut_Cross=false Mark_Camera_Rotation=90 "
            "Check_Camera_Rotation=0 Rectify_Len=0.5 Rectify_Span=500 MinPaperWidthPix=1000 MaxRectifyOffset=15 "
            "Poll_Time_Span=100 package_size=1024 film_roller_num=1 collect_roller_num=1 enableCut=true "
            "enablePrint=true enablePrintRoller=true enableDetection=true enableTrim=true rectify=false "
            "enableRectify=true enableDrawLine=false enableGyroscope=true Printer_Name= waitPrint=false "
            "waitCapture=10000 waitTcpRet=100 waitTcpRetMax=10000 pageSpacing=0 saveCheckImg=false enableOCR=false "
            "enableQRCode=true enableBARCode=true enableCheckAnomalyPause=false collectLen=50 modelPath=./config.json "
            "Threshold=0.6 iouThreshold=0.6 printCopiesOnce=1 printPagesOnce=1 Printer_Copies=true enablePrintQR=0 "
            "Version=0 IP=127.0.0.1 [Total] Cut=0 Print=0 Copies=0 ScanMark=0 ScanMarkOk=0 [Today] Cut=0 Print=0 "
            "Copies=0 ScanMark=0 ScanMarkOk=0 Today=* [LogSetting] LOG_ERROR=true LOG_WARNNING=true LOG_INFO=true "
            "LOG_DEBUG=false [UI] logo=file:Dravolinte/res/logo.png").arg(language);
        Config cfg(m_dir);
        QVERIFY(!QFile::exists("config.ini") && !cfg.hasDefaultCfg());
        writeFile("expected.ini", expected.toUtf8().replace(' ', '\n')); // one "key=value" a line
        const QSettings want("expected.ini", QSettings::IniFormat), got("tmp.ini", QSettings::IniFormat);
        QCOMPARE(got.allKeys(), want.allKeys());
        for (const QString &key : want.allKeys()) {
            if (want.value(key) != QLatin1String("*"))
                QCOMPARE(got.value(key).toString(), want.value(key).toString());
        }
        QCOMPARE(got.value("Today/Today").toDate(), QDate::currentDate());

        // The file reads back to the same values of the same types on the next
        // start (from a copy: QSettings shares an open file's contents), without a warning.
        const QString next = enterFreshDir();
        QVERIFY(QFile::copy(m_dir + "/tmp.ini", next + "/config.ini"));
        Config restarted(next);
        for (int id = Config::CPT_Language; id <= Config::CPT_REAL_TIME_FILM_SPEED; ++id) {
            const QVariant before = cfg.getProperty(Config::ConfigParamType(id));
            const QVariant after = restarted.getProperty(Config::ConfigParamType(id));
            QVERIFY2(after.typeId() == before.typeId() && after == before, qPrintable(QString::number(id)));
        }
    }

    void badValuesFallBackAndLoadAdjusts()
    {
        writeFile("config.ini", "[Dravolinte]\nCheck_Light=bright\nGyroscope_Trigger=999\nprintCopiesOnce=0\nCollect_Speed=250\n"
                                "Gyroscope_Limit=-360\nAutoRoll=true\nenableCut=false\nCut_Cross=1\n[Today]\nToday=2024-03-05\n");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamFile::load bad value for Dravolinte/Check_Light "));
        for (const char *key : {"Gyroscope_Trigger", "printCopiesOnce", "Collect_Speed"})
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^ParamRows::outOfRange Dravolinte/%1 ").arg(key)));
        Config cfg(m_dir);
        // Each in the row's type, which the pages pick their editors by; a limit itself is in range.
        const QList<QPair<Config::ConfigParamType, QVariant>> expected{
            {Config::CPT_Check_Light, 100}, {Config::CPT_Gyroscope_Trigger, 3}, {Config::CPT_printCopiesOnce, 1},
            {Config::CPT_Collect_Speed, 50}, {Config::CPT_Gyroscope_Limit, -360}, {Config::CPT_Today, QDate::currentDate()},
            {Config::CPT_Auto_Roll, false}, {Config::CPT_Enable_Cut, true}, {Config::CPT_Cut_Cross, true},
            {Config::CPT_Total_Copies, 0u}, {Config::CPT_Host_Ip_Date, QDate::fromJulianDay(0)}};
        for (const auto &e : expected)
            QVERIFY2(cfg.getProperty(e.first).typeId() == e.second.typeId() && cfg.getProperty(e.first) == e.second,
                     qPrintable(QString::number(e.first)));
        writeFile("config.ini", "[Dravolinte]\nKnifeNum=3\nCut_Inverse=true\n");
        QCOMPARE(Config(m_dir).getProperty(Config::CPT_Cut_Inverse), QVariant(false)); // several knives
    }

    // Edits staged on the settings page, committed in id order; the saved defaults, restored.
    void stagedEditsAndSavedDefaults()
    {
        Config cfg(m_dir);
        NotifierRecorder notifier;
        cfg.resetDefaultCfg();
        cfg.saveProperty(Config::CPT_Film_Roller_Limit, 61.0, true);
        cfg.saveProperty(Config::CPT_Gyroscope_Trigger, -12, true);
        cfg.saveProperty(Config::CPT_Film_Speed, 70, true);
        cfg.saveDefaultCfg();
        QCOMPARE(notifier.messages(), QStringList({"没有默认设置", "当前存在未保存的设置"}));
        cfg.saveProperty(Config::CPT_Film_Speed, QStringLiteral("50"), true); // taken back: nothing staged
        QCOMPARE(QVariantList({cfg.stagedEdits().size(), cfg.gyroscopeTrigger()}), QVariantList({2, 3.0}));
        QSignalSpy changed(&cfg, &Config::propertyChanged);
        QSignalSpy film(&cfg, &Config::filmRollerLimitChanged);
        cfg.saveCfg();
        QCOMPARE(QVariantList({changed.count(), changed.at(0).at(0).toInt(), film.count(), cfg.stagedEdits().size()}),
                 QVariantList({2, Config::CPT_Gyroscope_Trigger, 1, 0}));
        QCOMPARE(cfg.getProperty(Config::CPT_Film_Roller_Limit), QVariant(61)); // held in the row's type

        cfg.saveDefaultProperty(Config::CPT_Rectify_Speed, 44);
        QCOMPARE(QList<int>({cfg.getDefaultProperty(Config::CPT_Rectify_Speed).toInt(),
                             cfg.getDefaultProperty(Config::CPT_Device_Version).toInt(),
                             iniValue("tmp.ini", "Dravolinte/Rectify_Speed").toInt()}),
                 QList<int>({44, 0, 30})); // no row for the second; the working value stays
        cfg.saveDefaultCfg();
        cfg.setGyroscopeTrigger(40);
        cfg.setProperty(Config::CPT_Collect_len, 99);
        QSettings(cfg.defaultCfgPath(), QSettings::IniFormat).remove("Dravolinte/collectLen");
        QSignalSpy gyroscope(&cfg, &Config::gyroscopeTriggerChanged);
        cfg.resetDefaultCfg();
        QCOMPARE(QVariantList({cfg.getProperty(Config::CPT_Gyroscope_Trigger).typeId(), cfg.gyroscopeTrigger(),
                               cfg.getProperty(Config::CPT_Collect_len), gyroscope.count(), notifier.messages().size()}),
                 QVariantList({int(QMetaType::Int), -12.0, 99, 1, 2})); // collectLen missing from the defaults: kept
    }

    // Dropping the staged edits tells each editor its stored value again; nothing is written.
    void discardStagedEdits()
    {
        Config cfg(m_dir);
        cfg.saveProperty(Config::CPT_Gyroscope_Trigger, -12, true);
        cfg.saveProperty(Config::CPT_Collect_len, 70, true);
        QSignalSpy changed(&cfg, &Config::propertyChanged);
        QSignalSpy gyroscope(&cfg, &Config::gyroscopeTriggerChanged);
        cfg.discardCfg();
        QCOMPARE(QVariantList({cfg.stagedEdits().size(), changed.count(), gyroscope.count(),
                               changed.at(0).at(1), changed.at(1).at(1)}),
                 QVariantList({0, 2, 0, 3, 50}));
        cfg.saveCfg();
        QCOMPARE(QVariantList({changed.count(), cfg.getProperty(Config::CPT_Collect_len)}), QVariantList({2, 50}));
    }

    void saveDefaultCfgWritesSettingsPageRows_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("keys"); // 0: a folder in the file's place, which cannot be written even by root
        QTest::newRow("unknown") << 0 << 36;
        QTest::newRow("7x4") << 2 << 40;
        QTest::newRow("unwritable") << 0 << 0;
    }
    void saveDefaultCfgWritesSettingsPageRows()
    {
        QFETCH(int, version);
        QFETCH(int, keys);
        writeFile("config.ini", QStringLiteral("[Dravolinte]\nVersion=%1\nCollect_Speed=45\n").arg(version).toLatin1());
        Config cfg(m_dir);
        QSignalSpy has(&cfg, &Config::hasDefaultCfgChanged);
        NotifierRecorder notifier;
        if (!keys) {
            QVERIFY(QDir().mkdir("configDefault.ini"));
            QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Config::saveDefaultCfg cannot write"));
        }
        cfg.saveDefaultCfg();
        QCOMPARE(QVariantList({cfg.hasDefaultCfg(), has.count()}), QVariantList({keys > 0, keys > 0 ? 1 : 0}));
        QCOMPARE(notifier.messages(), keys ? QStringList() : QStringList{QStringLiteral("默认设置保存失败")});
        const QSettings defaults("configDefault.ini", QSettings::IniFormat);
        QCOMPARE(defaults.allKeys().size(), keys);
        QCOMPARE(defaults.value("Dravolinte/Collect_Speed").toString(), keys ? QStringLiteral("45") : QString());
    }

    // The built-in defaults, then the version's values: on the working file nothing is copied and nothing restarts.
    void resetFactoryCfg_data()
    {
        QTest::addColumn<int>("version");
        // film roller limit, print roller max, gyroscope trigger, trim, detection, knives, rotation, cut
        // coordinates, collect speed, film roller signals (back to the default, then to the version's value)
        QTest::addColumn<QString>("values");
        QTest::newRow("7x7") << 5 << "45 75 160 1 1 1 90 0 50 2";
        QTest::newRow("7x8") << 6 << "48 100 3 0 1 4 270 1 450 2";
    }
    void resetFactoryCfg()
    {
        QFETCH(int, version);
        QFETCH(QString, values);
        writeFile("config.ini", QStringLiteral("[Dravolinte]\nVersion=%1\nFilm_Roller_Limit=1\nRectify_Speed=77\n"
                                               "enableTrim=false\nKnifeNum=3\n").arg(version).toLatin1());
        Config cfg(m_dir);
        NotifierRecorder notifier;
        QSignalSpy film(&cfg, &Config::filmRollerLimitChanged);
        cfg.resetFactoryCfg();
        QStringList actual;
        for (const QVariant &v : QVariantList{cfg.filmRollerLimit(), cfg.printRollerMax(), cfg.gyroscopeTrigger(), cfg.enableTrim(),
                                              cfg.enableDetection(), cfg.knifeNum(), cfg.markCameraRotation(), cfg.cutCoordinates(),
                                              cfg.getProperty(Config::CPT_Collect_Speed), film.count()})
            actual << QString::number(v.toDouble());
        QCOMPARE(actual.join(' '), values);
        QCOMPARE(QVariantList({cfg.getProperty(Config::CPT_Rectify_Speed), cfg.version(), notifier.exitCodes().size()}),
                 QVariantList({30, version, 0}));
        QCOMPARE(Config(m_dir).filmRollerLimit(), cfg.filmRollerLimit());
    }

    void fallbackFileIsReplacedByPresetAndRestarts()
    {
        writeFile(m_dir + "/config/config2.ini", "[Dravolinte]\nVersion=2\nFilm_Speed=77\nIdent=preset\n");
        {
            Config cfg(m_dir);
            cfg.setIdent(QStringLiteral("operator"));
            NotifierRecorder notifier;
            cfg.resetVersionParam(Config::VT_7x4);
            QCOMPARE(notifier.messages(), QStringList{QStringLiteral("机器连接成功，重启完成初始化")});
            QCOMPARE(notifier.exitCodes(), QList<int>{777});
            cfg.setMarkLight(12);
        }
        Config restarted(m_dir);
        QCOMPARE(QFileInfo(restarted.settingsFileName()).fileName(), QStringLiteral("config.ini"));
        QCOMPARE(QList<QVariant>({restarted.version(), restarted.getProperty(Config::CPT_Film_Speed), restarted.ident(),
                                  restarted.filmRollerLimit(), restarted.markLight(), restarted.enablePrint(),
                                  restarted.enablePrintRoller()}),
                 QList<QVariant>({2, 77, "preset", 25.0, 12, false, true})); // the preset, then the version's values
    }

    // The settings page's groups, labels and ranges, as the load pass and the machine version make them; a
    // second load pass (after a translator is installed) rebuilds them and never appends.
    void settingsPageRowsFollowLoadAndVersion()
    {
        {
            Config cfg(m_dir);
            QSignalSpy changed(&cfg, &Config::propertyChanged);
            cfg.setVersion(Config::VT_7x3);
            QCOMPARE(changed.count(), 4); // the version, then the three rows whose label changed
            QCOMPARE(QVariantList({cfg.getPropertyName(Config::CPT_Gyroscope_speed), cfg.getPropertyMin(Config::CPT_Collect_Speed),
                                   cfg.getPropertyMax(Config::CPT_Collect_Speed)}),
                     QVariantList({"送纸速度", 10.0, 500.0}));
            cfg.setVersion(Config::VT_7x4); // relabels, keeps the wider range
            cfg.setProperty(Config::CPT_Collect_Speed, 300);
            QCOMPARE(QVariantList({cfg.getPropertyName(Config::CPT_Gyroscope_speed), cfg.getPropertyMax(Config::CPT_Collect_Speed)}),
                     QVariantList({"排废速度", 500.0}));
            cfg.setKnifeNum(2);
            cfg.setEnableDetection(false);
            cfg.setEnableTrim(false);
            QVERIFY(!cfg.isShowPorperty(Config::CPT_Cut_Inverse) && !cfg.isShowPorperty(QStringLiteral("检测设置")));
            QVERIFY(cfg.isShowPorperty(QStringLiteral("流程设置")) && cfg.isShowPorperty(Config::CPT_Enable_Print_Roller));
        }
        // On 7x4 the collect speed is 0..100 again: the stored 300 falls back to its default.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamRows::outOfRange Dravolinte/Collect_Speed = 300"));
        Config cfg(m_dir);
        QCOMPARE(cfg.getShowPropertiesClass(), QStringList({"基础设置", "打印设置", "日志输出设置", "检测设置", "流程设置"}));
        QCOMPARE(cfg.getShowProperties(QStringLiteral("基础设置")),
                 Ids({31, 32, 33, 34, 35, 36, 37, 38, 39, 41, 42, 43, 40, 44, 47, 97, 98, 99, 100}));
        QCOMPARE(cfg.getShowProperties(QStringLiteral("打印设置")), Ids({51, 52, 82, 96, 87, 88, 89, 90}));
        QCOMPARE(QVariantList({cfg.getPropertyName(Config::CPT_Gyroscope_Trigger), cfg.getProperty(Config::CPT_Collect_Speed),
                               cfg.getPropertyMax(Config::CPT_printCopiesOnce), cfg.getModules().size()}),
                 QVariantList({"排废陀螺仪触发值", 50, 9999.0, 3})); // no trim module
        cfg.setVersion(Config::VT_7x6); // keeps the labels it finds
        QCOMPARE(cfg.getPropertyName(Config::CPT_Gyroscope_Trigger), QStringLiteral("排废陀螺仪触发值"));
        cfg.setEnableTrim(true);
        cfg.loadCfg(false);
        QCOMPARE(cfg.getShowProperties(QStringLiteral("打印设置")), Ids({51, 52, 82, 96}));
        QCOMPARE(QVariantList({cfg.getPropertyName(Config::CPT_Gyroscope_Trigger), cfg.getModules().size()}),
                 QVariantList({"陀螺仪触发值", 4}));
        QVERIFY(!cfg.isShowPorperty(QStringLiteral("流程设置")) && !cfg.isShowPorperty(Config::CPT_Enable_Print));
    }

private:
    QString m_dir;
};

DRAVO_TEST_MAIN(TestConfigFiles)
#include "tst_config_files.moc"
