#include "Config.h"
#include "ConfigFixture.h"
#include "Recorder.h"
#include "TestMain.h"

#include <QLocale>
#include <QRegularExpression>
#include <QSignalSpy>

// The working file, the fallback file, staged edits, saved defaults, the
// factory reset and the machine-version presets.
class TestConfigFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietInfoLog(); }
    void init() { m_dir = startConfigTest(); }

    void freshStartWritesEveryKeyToFallbackFile();
    void loadKeepsRowTypesAndAdjusts();
    void badInputFallsBackToDefaults();
    void unwritableFolderKeepsValuesInMemory();
    void stagedEditTakenBackLeavesNothing();
    void saveCfgCommitsInIdOrderWithOwnSignals();
    void saveDefaultCfgWritesSettingsPageRows_data();
    void saveDefaultCfgWritesSettingsPageRows();
    void saveDefaultCfgReportsUnwritableFile();
    void singleDefaultValues();
    void resetDefaultCfgRestoresSavedValues();
    void resetFactoryCfgOn7x7();
    void resetVersionParam_data();
    void resetVersionParam();
    void fallbackFileIsReplacedByPresetAndRestarts();
    void missingPresetKeepsWorkingValues();

private:
    QString m_dir;
};

void TestConfigFiles::freshStartWritesEveryKeyToFallbackFile()
{
    const QString language = QLocale::system().language() == QLocale::English ? "1" : "0";
    // Key and default text as the operator finds them in a first "tmp.ini"; dates are
    // checked by value below, the server address is the installation's own.
    const QString expected = QStringLiteral(
        "[Host] Ip= Location= [Dravolinte] KnifeNum=1 KnifeInterval=40 cutCoordinates=0 KnifeMaxDistance=380 "
        "CheckCameraCenterX=635 Mark_Camera_Offset_X=0 Mark_Camera_Offset_Y=0 Ident= Mark_Camera= Check_Camera= "
        "Show_Camera= Trim=false AutoRoll=false Mark_Camera_Width=320 Mark_Camera_Height=240 Mark_Size=3.5 "
        "TirmY_Speed=150 Tirm_Offset=500 Mark_Light=30 Check_Light=100 Check_BK_Light=60 Collect_Scale=1 "
        "Tirm_Scale=1.1 dtMark=0.1 dtCenter=3 dtFindMarkInfo=4 Language=%1 Gyroscope_Trigger=3 Gyroscope_Limit=20 "
        "Gyroscope_speed=100 Print_Roller_Trigger=80 Print_Roller_Limit=60 Print_Roller_Max=100 "
        "Film_Roller_Trigger=80 Film_Roller_Limit=60 Film_Roller_Max=100 Collect_Roller_Trigger=80 "
        "Collect_Roller_Limit=60 Collect_Roller_Max=100 Film_Speed=50 Collect_Speed=50 Rectify_Speed=30 markType=0 "
        "plt_dir= Cut_Inverse=false Cut_Cross=false Mark_Camera_Rotation=90 Check_Camera_Rotation=0 Rectify_Len=0.5 "
        "Rectify_Span=500 MinPaperWidthPix=1000 MaxRectifyOffset=15 Poll_Time_Span=100 package_size=1024 "
        "film_roller_num=1 collect_roller_num=1 enableCut=true enablePrint=true enablePrintRoller=true "
        "enableDetection=true enableTrim=true rectify=false enableRectify=true enableDrawLine=false "
        "enableGyroscope=true Printer_Name= waitPrint=false waitCapture=10000 waitTcpRet=100 waitTcpRetMax=10000 "
        "pageSpacing=0 saveCheckImg=false enableOCR=false enableQRCode=true enableBARCode=true "
        "enableCheckAnomalyPause=false collectLen=50 modelPath=./config.json Threshold=0.6 iouThreshold=0.6 "
        "printCopiesOnce=1 printPagesOnce=1 Printer_Copies=true enablePrintQR=0 Version=0 IP=* "
        "[Total] Cut=0 Print=0 Copies=0 ScanMark=0 ScanMarkOk=0 [Today] Cut=0 Print=0 Copies=0 ScanMark=0 "
        "ScanMarkOk=0 Today=* [Host] IpDate=* LocationDate=* [LogSetting] LOG_ERROR=true LOG_WARNNING=true "
        "LOG_INFO=true LOG_DEBUG=false [UI] logo=file:Dravolinte/res/logo.png").arg(language);

    Config cfg(m_dir);
    QCOMPARE(QFileInfo(cfg.settingsFileName()).fileName(), QStringLiteral("tmp.ini"));
    QCOMPARE(cfg.today(), QDate::currentDate());
    QCOMPARE(cfg.version(), 0);
    QCOMPARE(cfg.language(), language.toInt());
    QVERIFY(!cfg.hasDefaultCfg());
    QVERIFY(!QFile::exists("config.ini"));
    QSettings ini("tmp.ini", QSettings::IniFormat);
    QStringList keys;
    QString section;
    for (const QString &item : expected.split(' ')) {
        if (item.startsWith('[')) {
            section = item.mid(1, item.size() - 2);
            continue;
        }
        const QString key = section + '/' + item.section('=', 0, 0);
        const QString value = item.section('=', 1);
        keys << key;
        if (value != QLatin1String("*"))
            QCOMPARE(ini.value(key).toString(), value);
    }
    keys.sort();
    QStringList stored = ini.allKeys();
    stored.sort();
    QCOMPARE(stored, keys);
    QCOMPARE(ini.value("Today/Today").toDate(), QDate::currentDate());
    QVERIFY(!ini.value("Dravolinte/IP").toString().isEmpty());

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

void TestConfigFiles::loadKeepsRowTypesAndAdjusts()
{
    writeFile("config.ini", "[Dravolinte]\nAutoRoll=true\nenableCut=false\nKnifeNum=3\nCut_Inverse=true\n"
                            "Mark_Camera_Offset_X=1.25\nMark_Camera_Offset_X1=-2.5\nMark_Camera_Offset_Y2=7.75\n"
                            "Mark_Camera_Offset_Y3=9\nCheck_Light=12\nenableOCR=true\nMark_Size=2.25\nIdent=M 7\n"
                            "[Today]\nToday=2024-03-05\n[Total]\nCopies=4\n");
    Config cfg(m_dir);
    // Pages pick their editors by the value's type: a reload yields the row's type.
    const QList<QPair<Config::ConfigParamType, QVariant>> expected{
        {Config::CPT_Check_Light, QVariant(12)}, {Config::CPT_Enable_OCR, QVariant(true)},
        {Config::CPT_Mark_Size, QVariant(2.25)}, {Config::CPT_Ident, QVariant(QStringLiteral("M 7"))},
        {Config::CPT_Collect_Scale, QVariant(1.0)}, {Config::CPT_Total_Copies, QVariant(0u)},
        {Config::CPT_Host_Ip_Date, QVariant(QDate::fromJulianDay(0))}, {Config::CPT_Knife_Num, QVariant(3)},
        {Config::CPT_Today, QVariant(QDate::currentDate())}, // an older day rolls over at start
    };
    for (const auto &e : expected) {
        QCOMPARE(cfg.getProperty(e.first).typeId(), e.second.typeId());
        QCOMPARE(cfg.getProperty(e.first), e.second);
    }
    QCOMPARE(cfg.todayCopies(), 0);
    QVERIFY(!cfg.autoRoll());
    QVERIFY(cfg.enableCut());
    QCOMPARE(cfg.getProperty(Config::CPT_Cut_Inverse), QVariant(false)); // several knives
    QCOMPARE(cfg.markCameraOffsetX(0), 1.25);
    QCOMPARE(cfg.markCameraOffsetX(1), -2.5);
    QCOMPARE(cfg.markCameraOffsetY(2), 7.75);
    QCOMPARE(cfg.markCameraOffsetY(3), 0.0); // beyond the knife count: not read
    const QSettings ini("config.ini", QSettings::IniFormat);
    for (const char *key : {"Dravolinte/Mark_Camera_Offset_X2", "Dravolinte/Mark_Camera_Offset_Y1"})
        QCOMPARE(ini.value(key).toString(), QStringLiteral("0"));
    QCOMPARE(ini.value("Dravolinte/AutoRoll").toString(), QStringLiteral("false"));
}

void TestConfigFiles::badInputFallsBackToDefaults()
{
    writeFile("config.ini", "[Custom]\nOwn=kept\nthis line is not a setting\n[Dravolinte]\nUnknownKey=5\n"
                            "Check_Light=bright\nenableOCR=perhaps\nMark_Size=big\nKnifeNum=two\n"
                            "Gyroscope_Trigger=999\nprintCopiesOnce=0\nCollect_Speed=250\nFilm_Speed=-1\n"
                            "Gyroscope_Limit=-360\n[Today]\nToday=someday\n");
    for (const char *key : {"Check_Light", "enableOCR", "Mark_Size", "KnifeNum", "Today"})
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^ParamFile::load bad value for .*/%1 ").arg(key)));
    for (const char *key : {"Gyroscope_Trigger", "printCopiesOnce", "Collect_Speed", "Film_Speed"})
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^ParamRows::outOfRange Dravolinte/%1 ").arg(key)));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamFile::open .*config.ini"));

    CriticalLog criticals;
    {
        Config cfg(m_dir);
        QCOMPARE(cfg.checkLight(), 100);
        QCOMPARE(cfg.getProperty(Config::CPT_Enable_OCR), QVariant(false));
        QCOMPARE(cfg.markSize(), 3.5);
        QCOMPARE(cfg.knifeNum(), 1);
        QCOMPARE(cfg.getProperty(Config::CPT_Gyroscope_Trigger), QVariant(3));
        QCOMPARE(cfg.getProperty(Config::CPT_printCopiesOnce), QVariant(1));
        QCOMPARE(cfg.getProperty(Config::CPT_Collect_Speed), QVariant(50));
        QCOMPARE(cfg.getProperty(Config::CPT_Film_Speed), QVariant(50));
        QCOMPARE(cfg.gyroscopeLimit(), -360.0); // the bound itself is in range
        QCOMPARE(cfg.today(), QDate::currentDate());
        cfg.setMarkLight(44);
    }
    QCOMPARE(criticals.lines(), QStringList());
    const QByteArray stored = readAll("config.ini");
    for (const char *line : {"Own=kept", "UnknownKey=5", "Check_Light=100", "Mark_Light=44"})
        QVERIFY2(stored.contains(line), line);
}

void TestConfigFiles::unwritableFolderKeepsValuesInMemory()
{
    const QString nowhere = QStringLiteral("/proc/dravolinte-no-such-folder");
    CriticalLog criticals;
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^ParamFile::sync cannot write .*tmp.ini"));
    Config cfg(nowhere);
    cfg.setMarkLight(5);
    cfg.setProperty(Config::CPT_Ident, QStringLiteral("M-2"));
    QCOMPARE(cfg.markLight(), 5);
    QCOMPARE(cfg.ident(), QStringLiteral("M-2"));
    QCOMPARE(cfg.today(), QDate::currentDate());
    QCOMPARE(criticals.lines().size(), 1); // said once, not at every change
}

void TestConfigFiles::stagedEditTakenBackLeavesNothing()
{
    Config cfg(m_dir);
    cfg.saveProperty(Config::CPT_Gyroscope_Trigger, 9, true);
    cfg.saveProperty(Config::CPT_Film_Speed, 70, true);
    QCOMPARE(cfg.stagedEdits().size(), 2);
    QCOMPARE(cfg.gyroscopeTrigger(), 3.0); // staged only
    NotifierRecorder notifier;
    cfg.saveDefaultCfg();
    QCOMPARE(notifier.messages(), QStringList{QStringLiteral("当前存在未保存的设置")});
    QVERIFY(!QFile::exists("configDefault.ini"));
    // QML hands numbers over as doubles; equal to the current value means taken back.
    cfg.saveProperty(Config::CPT_Gyroscope_Trigger, 3.0, true);
    cfg.saveProperty(Config::CPT_Film_Speed, QStringLiteral("50"), true);
    QVERIFY(cfg.stagedEdits().isEmpty());
    cfg.saveDefaultCfg();
    QCOMPARE(notifier.messages().size(), 1);
    QVERIFY(cfg.hasDefaultCfg());
}

void TestConfigFiles::saveCfgCommitsInIdOrderWithOwnSignals()
{
    Config cfg(m_dir);
    cfg.saveProperty(Config::CPT_Film_Roller_Limit, 61.0, true);
    cfg.saveProperty(Config::CPT_Gyroscope_Trigger, 7, true);
    cfg.saveProperty(Config::CPT_Enable_OCR, true, true);
    QSignalSpy changed(&cfg, &Config::propertyChanged);
    QSignalSpy gyroscope(&cfg, &Config::gyroscopeTriggerChanged);
    QSignalSpy film(&cfg, &Config::filmRollerLimitChanged);
    cfg.saveCfg();

    QCOMPARE(changed.count(), 3);
    QCOMPARE(changed.at(0).at(0).value<Config::ConfigParamType>(), Config::CPT_Gyroscope_Trigger);
    QCOMPARE(changed.at(1).at(0).value<Config::ConfigParamType>(), Config::CPT_Film_Roller_Limit);
    QCOMPARE(changed.at(2).at(0).value<Config::ConfigParamType>(), Config::CPT_Enable_OCR);
    QCOMPARE(gyroscope.count(), 1);
    QCOMPARE(film.count(), 1);
    QVERIFY(cfg.stagedEdits().isEmpty());
    QCOMPARE(cfg.getProperty(Config::CPT_Film_Roller_Limit), QVariant(61)); // held in the row's type
    QCOMPARE(iniValue("tmp.ini", "Dravolinte/Gyroscope_Trigger").toString(), QStringLiteral("7"));
    QCOMPARE(iniValue("tmp.ini", "Dravolinte/enableOCR").toString(), QStringLiteral("true"));
}

void TestConfigFiles::saveDefaultCfgWritesSettingsPageRows_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("keys");
    QTest::newRow("unknown") << 0 << 36;
    QTest::newRow("7x4") << 2 << 40;
    QTest::newRow("7x8") << 6 << 36;
}

void TestConfigFiles::saveDefaultCfgWritesSettingsPageRows()
{
    QFETCH(int, version);
    QFETCH(int, keys);
    writeFile("config.ini", QStringLiteral("[Dravolinte]\nVersion=%1\nCollect_Speed=45\n").arg(version).toLatin1());
    Config cfg(m_dir);
    QSignalSpy has(&cfg, &Config::hasDefaultCfgChanged);
    cfg.saveDefaultCfg();
    QVERIFY(cfg.hasDefaultCfg());
    QCOMPARE(has.count(), 1);
    const QSettings defaults("configDefault.ini", QSettings::IniFormat);
    QCOMPARE(defaults.allKeys().size(), keys);
    QCOMPARE(defaults.value("Dravolinte/Collect_Speed").toString(), QStringLiteral("45"));
    QVERIFY(!defaults.contains("Dravolinte/Version"));
}

void TestConfigFiles::saveDefaultCfgReportsUnwritableFile()
{
    Config cfg(m_dir);
    QVERIFY(QDir().mkdir("configDefault.ini")); // a folder in the file's place cannot be written, even by root
    NotifierRecorder notifier;
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Config::saveDefaultCfg cannot write"));
    cfg.saveDefaultCfg();
    QCOMPARE(notifier.messages(), QStringList{QStringLiteral("默认设置保存失败")});
    QVERIFY(!cfg.hasDefaultCfg());
}

void TestConfigFiles::singleDefaultValues()
{
    Config cfg(m_dir);
    QVERIFY(!cfg.getDefaultProperty(Config::CPT_Rectify_Speed).isValid()); // no defaults file yet
    const QByteArray working = readAll("tmp.ini");
    QSignalSpy changed(&cfg, &Config::propertyChanged);
    cfg.saveDefaultProperty(Config::CPT_Rectify_Speed, 44);
    cfg.saveDefaultProperty(Config::CPT_Run, QStringLiteral("no key"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(cfg.getProperty(Config::CPT_Rectify_Speed), QVariant(30));
    QCOMPARE(readAll("tmp.ini"), working);
    QCOMPARE(QSettings("configDefault.ini", QSettings::IniFormat).allKeys(), QStringList{"Dravolinte/Rectify_Speed"});

    QCOMPARE(cfg.getDefaultProperty(Config::CPT_Rectify_Speed).toInt(), 44);
    QVERIFY(!cfg.getDefaultProperty(Config::CPT_Film_Speed).isValid()); // QML sees undefined
    QCOMPARE(cfg.getDefaultProperty(Config::CPT_Device_Version), QVariant(0)); // no row
}

void TestConfigFiles::resetDefaultCfgRestoresSavedValues()
{
    Config cfg(m_dir);
    NotifierRecorder notifier;
    QSignalSpy changed(&cfg, &Config::propertyChanged);
    cfg.resetDefaultCfg();
    QCOMPARE(notifier.messages(), QStringList{QStringLiteral("没有默认设置")});
    QCOMPARE(changed.count(), 0);

    cfg.setGyroscopeTrigger(-12);
    cfg.setFilmRollerLimit(55);
    cfg.saveDefaultCfg();
    cfg.setGyroscopeTrigger(40);
    cfg.setFilmRollerLimit(66);
    cfg.setProperty(Config::CPT_Collect_len, 99);
    // A row missing from the saved defaults keeps its working value.
    QSettings(cfg.defaultCfgPath(), QSettings::IniFormat).remove("Dravolinte/collectLen");

    QSignalSpy gyroscope(&cfg, &Config::gyroscopeTriggerChanged);
    QSignalSpy film(&cfg, &Config::filmRollerLimitChanged);
    cfg.resetDefaultCfg();
    QCOMPARE(cfg.gyroscopeTrigger(), -12.0);
    QCOMPARE(cfg.getProperty(Config::CPT_Gyroscope_Trigger).typeId(), int(QMetaType::Int));
    QCOMPARE(cfg.filmRollerLimit(), 55.0);
    QCOMPARE(cfg.getProperty(Config::CPT_Collect_len), QVariant(99));
    QCOMPARE(gyroscope.count(), 1);
    QCOMPARE(film.count(), 1);
    QCOMPARE(iniValue("tmp.ini", "Dravolinte/Gyroscope_Trigger").toInt(), -12);
}

void TestConfigFiles::resetFactoryCfgOn7x7()
{
    writeFile("config.ini", "[Dravolinte]\nVersion=5\nFilm_Roller_Limit=1\nPrint_Roller_Max=2\nRectify_Speed=77\n"
                            "enableTrim=false\nKnifeNum=3\nGyroscope_Trigger=-5\n");
    Config cfg(m_dir);
    NotifierRecorder notifier;
    QSignalSpy film(&cfg, &Config::filmRollerLimitChanged);
    QSignalSpy gyroscope(&cfg, &Config::gyroscopeTriggerChanged);
    cfg.resetFactoryCfg();

    QCOMPARE(QList<double>({cfg.filmRollerLimit(), cfg.filmRollerTrigger(), cfg.filmRollerMax()}),
             QList<double>({45, 60, 75}));
    QCOMPARE(QList<double>({cfg.collectRollerLimit(), cfg.collectRollerTrigger(), cfg.collectRollerMax()}),
             QList<double>({45, 60, 75}));
    QCOMPARE(QList<double>({cfg.printRollerLimit(), cfg.printRollerTrigger(), cfg.printRollerMax()}),
             QList<double>({45, 60, 75}));
    QCOMPARE(cfg.gyroscopeLimit(), 130.0);
    QCOMPARE(cfg.gyroscopeTrigger(), 160.0);
    QVERIFY(cfg.enableTrim());
    QCOMPARE(cfg.knifeNum(), 1);
    QCOMPARE(cfg.getProperty(Config::CPT_Rectify_Speed), QVariant(30));
    QCOMPARE(cfg.version(), 5);
    // Once back to the built-in default, once to the version's value.
    QCOMPARE(film.count(), 2);
    QCOMPARE(gyroscope.count(), 2);
    QCOMPARE(notifier.exitCodes(), QList<int>());
    QCOMPARE(notifier.messages(), QStringList());
    QCOMPARE(cfg.getShowProperties(QStringLiteral("基础设置")).size(), 19);

    Config reloaded(m_dir);
    QCOMPARE(reloaded.filmRollerLimit(), 45.0);
    QCOMPARE(reloaded.getProperty(Config::CPT_Rectify_Speed), QVariant(30));
}

void TestConfigFiles::resetVersionParam_data()
{
    // Rollers as limit, trigger, max; the gyroscope as limit, trigger.
    using L = QList<double>;
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("switches"); // trim rectify print detection printRoller gyroscope
    QTest::addColumn<L>("film");
    QTest::addColumn<L>("collect");
    QTest::addColumn<L>("print");
    QTest::addColumn<L>("gyroscope");
    QTest::addColumn<QVariantList>("knives"); // number, interval, max distance, cut coordinates, rotation
    QTest::addColumn<QVariantList>("direct"); // film rollers, collect rollers, dtMark, gyroscope speed, collect speed
    const L rollers{60, 80, 100}, gyroscope{20, 3};
    QTest::newRow("unknown") << 0 << "010001" << rollers << rollers << rollers << gyroscope
                             << QVariantList{1, 40, 380, 0, 90} << QVariantList{2, 2, 0.1, 100, 50};
    QTest::newRow("7x3") << 1 << "111111" << L{65, 85, 105} << L{65, 85, 105} << L{70, 90, 105} << L{35, 6}
                         << QVariantList{1, 40, 380, 0, 90} << QVariantList{1, 1, 0.1, 100, 50};
    QTest::newRow("7x4") << 2 << "010011" << L{25, 35, 45} << L{36, 35, 45} << L{36, 26, 46} << L{-30, -10}
                         << QVariantList{1, 40, 380, 0, 90} << QVariantList{2, 2, 0.1, 100, 50};
    QTest::newRow("7x5") << 3 << "010001" << L{35, 46, 58} << L{35, 46, 58} << rollers << L{-30, -10}
                         << QVariantList{1, 40, 380, 0, 90} << QVariantList{2, 2, 0.1, 80, 50};
    QTest::newRow("7x6") << 4 << "010000" << L{38, 48, 58} << L{38, 48, 58} << rollers << gyroscope
                         << QVariantList{2, 90, 460, 0, 90} << QVariantList{2, 2, 0.3, 80, 50};
    QTest::newRow("7x7") << 5 << "111111" << L{45, 60, 75} << L{45, 60, 75} << L{45, 60, 75} << L{130, 160}
                         << QVariantList{1, 40, 380, 0, 90} << QVariantList{2, 2, 0.1, 100, 50};
    QTest::newRow("7x8") << 6 << "000100" << L{48, 59, 70} << L{48, 59, 70} << rollers << gyroscope
                         << QVariantList{4, 40, 380, 1, 270} << QVariantList{2, 2, 0.1, 100, 450};
}

void TestConfigFiles::resetVersionParam()
{
    QFETCH(int, version);
    QFETCH(QString, switches);
    QFETCH(QList<double>, film);
    QFETCH(QList<double>, collect);
    QFETCH(QList<double>, print);
    QFETCH(QList<double>, gyroscope);
    QFETCH(QVariantList, knives);
    QFETCH(QVariantList, direct);
    writeFile("config.ini", "[Dravolinte]\nrectify=true\n");
    writeFile(QStringLiteral("%1/config/config%2.ini").arg(m_dir).arg(version), "[Marker]\nfrom=preset\n");
    Config cfg(m_dir);
    const QByteArray before = readAll("config.ini");
    NotifierRecorder notifier;
    cfg.resetVersionParam(Config::VersionType(version));

    QString actual;
    for (bool b : {cfg.enableTrim(), cfg.enableRectify(), cfg.enablePrint(), cfg.enableDetection(),
                   cfg.enablePrintRoller(), cfg.enableGyroscope()})
        actual += b ? '1' : '0';
    QCOMPARE(actual, switches);
    QCOMPARE(cfg.rectify(), cfg.enableRectify());
    QCOMPARE(QList<double>({cfg.filmRollerLimit(), cfg.filmRollerTrigger(), cfg.filmRollerMax()}), film);
    QCOMPARE(QList<double>({cfg.collectRollerLimit(), cfg.collectRollerTrigger(), cfg.collectRollerMax()}), collect);
    QCOMPARE(QList<double>({cfg.printRollerLimit(), cfg.printRollerTrigger(), cfg.printRollerMax()}), print);
    QCOMPARE(QList<double>({cfg.gyroscopeLimit(), cfg.gyroscopeTrigger()}), gyroscope);
    QCOMPARE(QVariantList({cfg.knifeNum(), int(cfg.knifeInterval()), cfg.getProperty(Config::CPT_Knife_Max_Distance).toInt(),
                           cfg.cutCoordinates(), cfg.markCameraRotation()}),
             knives);
    QCOMPARE(QVariantList({cfg.getProperty(Config::CPT_Film_Roller_Num).toInt(),
                           cfg.getProperty(Config::CPT_Collect_Roller_Num).toInt(),
                           cfg.getProperty(Config::CPT_dtMark).toDouble(),
                           cfg.getProperty(Config::CPT_Gyroscope_speed).toInt(), cfg.getProperty(Config::CPT_Collect_Speed).toInt()}),
             direct);
    QCOMPARE(cfg.version(), 0); // the caller sets the version
    // On the working file nothing is copied, nobody is told and nothing restarts.
    QVERIFY(readAll("config.ini") != before);
    QVERIFY(!iniValue("config.ini", "Marker/from").isValid());
    QCOMPARE(notifier.messages(), QStringList());
    QCOMPARE(notifier.exitCodes(), QList<int>());
}

void TestConfigFiles::fallbackFileIsReplacedByPresetAndRestarts()
{
    writeFile(m_dir + "/config/config2.ini", "[Dravolinte]\nVersion=2\nFilm_Speed=77\nIdent=preset\n");
    {
        Config cfg(m_dir);
        cfg.setIdent(QStringLiteral("operator"));
        NotifierRecorder notifier;
        cfg.resetVersionParam(Config::VT_7x4);
        QCOMPARE(notifier.messages(), QStringList{QStringLiteral("机器连接成功，重启完成初始化")});
        QCOMPARE(notifier.exitCodes(), QList<int>{777});
        QCOMPARE(QFileInfo(cfg.settingsFileName()).fileName(), QStringLiteral("config.ini"));
        QVERIFY(!QFile::exists("tmp.ini"));
        // The version's values are written into the preset copy.
        QCOMPARE(iniValue("config.ini", "Dravolinte/Film_Roller_Limit").toInt(), 25);
        cfg.setMarkLight(12);
    }
    Config restarted(m_dir);
    QCOMPARE(restarted.version(), 2);
    QCOMPARE(restarted.getProperty(Config::CPT_Film_Speed), QVariant(77));
    QCOMPARE(restarted.ident(), QStringLiteral("preset"));
    QCOMPARE(restarted.filmRollerLimit(), 25.0);
    QCOMPARE(restarted.markLight(), 12);
    QCOMPARE(QFileInfo(restarted.settingsFileName()).fileName(), QStringLiteral("config.ini"));
}

void TestConfigFiles::missingPresetKeepsWorkingValues()
{
    {
        Config cfg(m_dir);
        cfg.setIdent(QStringLiteral("operator"));
        cfg.setProperty(Config::CPT_Film_Speed, 66);
        NotifierRecorder notifier;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^copyFile .*config/config3.ini"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamFile::switchToPreset no preset"));
        cfg.resetVersionParam(Config::VT_7x5);
        QCOMPARE(notifier.exitCodes(), QList<int>{777});
        QVERIFY(!QFile::exists("tmp.ini"));
    }
    Config restarted(m_dir);
    QCOMPARE(restarted.ident(), QStringLiteral("operator"));
    QCOMPARE(restarted.getProperty(Config::CPT_Film_Speed), QVariant(66));
    QCOMPARE(restarted.filmRollerLimit(), 35.0);
    QCOMPARE(QFileInfo(restarted.settingsFileName()).fileName(), QStringLiteral("config.ini"));
}

DRAVO_TEST_MAIN(TestConfigFiles)
#include "tst_config_files.moc"
