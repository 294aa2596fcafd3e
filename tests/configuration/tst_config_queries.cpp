#include "Config.h"
#include "ConfigFixture.h"
#include "TestMain.h"

#include <QRegularExpression>
#include <QSignalSpy>

// What the settings page and the machine pages ask of the store: groups,
// labels, ranges, visibility, modules and the relabelling by version.
class TestConfigQueries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietInfoLog(); }
    void init() { m_dir = startConfigTest(); }

    void groupsInNameOrder();
    void groupMembersInRegistrationOrder_data();
    void groupMembersInRegistrationOrder();
    void labelsAndRanges_data();
    void labelsAndRanges();
    void rowVisibility_data();
    void rowVisibility();
    void groupVisibility_data();
    void groupVisibility();
    void modules_data();
    void modules();
    void relabelByVersion_data();
    void relabelByVersion();
    void reloadRestoresTableLabelsAndRanges();

private:
    QString m_dir;
};

using Ids = QList<int>;

void TestConfigQueries::groupsInNameOrder()
{
    Config cfg(m_dir);
    QCOMPARE(cfg.getShowPropertiesClass(),
             QStringList({"基础设置", "打印设置", "日志输出设置", "检测设置", "流程设置"}));
    QCOMPARE(cfg.getShowProperties(QStringLiteral("no such group")), Ids());
}

void TestConfigQueries::groupMembersInRegistrationOrder_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("group");
    QTest::addColumn<Ids>("ids");
    const Ids basic{31, 32, 33, 34, 35, 36, 37, 38, 39, 41, 42, 43, 40, 44, 47, 97, 98, 99, 100};
    QTest::newRow("basic") << 0 << "基础设置" << basic;
    QTest::newRow("print") << 0 << "打印设置" << Ids{51, 52, 82, 96};
    QTest::newRow("print 7x4") << 2 << "打印设置" << Ids{51, 52, 82, 96, 87, 88, 89, 90};
    QTest::newRow("log") << 0 << "日志输出设置" << Ids{53, 54, 55, 56};
    QTest::newRow("detection") << 0 << "检测设置" << Ids{64, 65, 66, 67, 68};
    QTest::newRow("flow") << 0 << "流程设置" << Ids{60, 59, 61, 73};
}

void TestConfigQueries::groupMembersInRegistrationOrder()
{
    QFETCH(int, version);
    QFETCH(QString, group);
    QFETCH(Ids, ids);
    writeFile("config.ini", QStringLiteral("[Dravolinte]\nVersion=%1\n").arg(version).toLatin1());
    Config cfg(m_dir);
    QCOMPARE(cfg.getShowProperties(group), ids);
    // A second load pass (after a translator is installed) rebuilds, never appends.
    cfg.loadCfg(false);
    QCOMPARE(cfg.getShowProperties(group), ids);
}

void TestConfigQueries::labelsAndRanges_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::newRow("gyroscope trigger") << 31 << "陀螺仪触发值" << -360.0 << 360.0;
    QTest::newRow("gyroscope speed") << 33 << "陀螺仪对应速度" << 0.0 << 100.0;
    QTest::newRow("print roller max") << 36 << "打印辊下限位" << 0.0 << 999.0;
    QTest::newRow("film speed") << 40 << "覆膜速度" << 0.0 << 100.0;
    QTest::newRow("collect speed") << 44 << "收纸速度" << 0.0 << 100.0;
    QTest::newRow("rectify speed") << 47 << "纠偏速度" << 0.0 << 100.0;
    QTest::newRow("print copies") << 51 << "打印份数" << 1.0 << 9999.0;
    QTest::newRow("detection switch") << 73 << "检测" << 0.0 << 999.0;
    QTest::newRow("cut marker type") << 97 << "切割标记类型" << 0.0 << 999.0;
    QTest::newRow("row without label") << 12 << "" << 0.0 << 999.0;
    QTest::newRow("no row") << 76 << "" << 0.0 << 999.0;
    QTest::newRow("7x4 row on other versions") << 87 << "" << 0.0 << 999.0;
}

void TestConfigQueries::labelsAndRanges()
{
    QFETCH(int, id);
    QFETCH(QString, label);
    QFETCH(double, min);
    QFETCH(double, max);
    Config cfg(m_dir);
    const auto key = Config::ConfigParamType(id);
    QCOMPARE(cfg.getPropertyName(key), label);
    QCOMPARE(cfg.getPropertyMin(key), min);
    QCOMPARE(cfg.getPropertyMax(key), max);
}

void TestConfigQueries::rowVisibility_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("knives");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<int>("markerType");
    QTest::addColumn<bool>("gyroscope");
    QTest::addColumn<bool>("printRoller");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("visible");
    QTest::newRow("gyroscope rows follow the gyroscope") << 1 << 1 << true << 0 << false << true << 33 << false;
    QTest::newRow("print roller rows follow the roller") << 1 << 1 << true << 0 << true << false << 35 << false;
    QTest::newRow("inverse cut with one knife") << 0 << 1 << true << 0 << true << true << 99 << true;
    QTest::newRow("inverse cut with two knives") << 0 << 2 << true << 0 << true << true << 99 << false;
    QTest::newRow("cut folder with marker type 0") << 0 << 1 << true << 0 << true << true << 98 << false;
    QTest::newRow("cut folder with marker type 1") << 0 << 1 << true << 1 << true << true << 98 << true;
    QTest::newRow("cut folder without cutting") << 0 << 1 << false << 1 << true << true << 98 << false;
    QTest::newRow("marker type without cutting") << 0 << 1 << false << 0 << true << true << 97 << false;
    QTest::newRow("print switch on 7x3") << 1 << 1 << true << 0 << true << true << 59 << true;
    QTest::newRow("print switch on 7x7") << 5 << 1 << true << 0 << true << true << 59 << true;
    QTest::newRow("print switch on 7x8") << 6 << 1 << true << 0 << true << true << 59 << false;
    QTest::newRow("print roller switch on 7x8") << 6 << 1 << true << 0 << true << true << 61 << false;
    QTest::newRow("other row") << 0 << 1 << false << 0 << false << false << 12 << true;
}

void TestConfigQueries::rowVisibility()
{
    QFETCH(int, version);
    QFETCH(int, knives);
    QFETCH(bool, cut);
    QFETCH(int, markerType);
    QFETCH(bool, gyroscope);
    QFETCH(bool, printRoller);
    QFETCH(int, id);
    QFETCH(bool, visible);
    Config cfg(m_dir);
    cfg.setVersion(version);
    cfg.setKnifeNum(knives);
    cfg.setEnableCut(cut);
    cfg.setProperty(Config::CPT_Enable_Cut_Marker_Type, markerType);
    cfg.setEnablePrint(false); // printing would switch the gyroscope and the roller back on
    cfg.setEnableGyroscope(gyroscope);
    cfg.setEnablePrintRoller(printRoller);
    QCOMPARE(cfg.isShowPorperty(Config::ConfigParamType(id)), visible);
}

void TestConfigQueries::groupVisibility_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("detection");
    QTest::addColumn<bool>("print");
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("visible");
    QTest::newRow("detection off") << 0 << false << true << "检测设置" << false;
    QTest::newRow("print off") << 0 << true << false << "打印设置" << false;
    QTest::newRow("flow on 7x3") << 1 << true << true << "流程设置" << true;
    QTest::newRow("flow on 7x4") << 2 << true << true << "流程设置" << true;
    QTest::newRow("flow on 7x6") << 4 << true << true << "流程设置" << false;
    QTest::newRow("flow on 7x7") << 5 << true << true << "流程设置" << true;
    QTest::newRow("flow on 7x8") << 6 << true << true << "流程设置" << true;
    QTest::newRow("flow unknown") << 0 << true << true << "流程设置" << false;
    QTest::newRow("basic always") << 0 << false << false << "基础设置" << true;
    QTest::newRow("unknown name") << 0 << false << false << "whatever" << true;
}

void TestConfigQueries::groupVisibility()
{
    QFETCH(int, version);
    QFETCH(bool, detection);
    QFETCH(bool, print);
    QFETCH(QString, group);
    QFETCH(bool, visible);
    Config cfg(m_dir);
    cfg.setVersion(version);
    cfg.setEnableDetection(detection);
    cfg.setEnablePrint(print);
    QCOMPARE(cfg.isShowPorperty(group), visible);
}

void TestConfigQueries::modules_data()
{
    QTest::addColumn<QByteArray>("trim");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("with trim") << QByteArray("true") << QStringList({"控制模块", "驱动模块", "检测模块", "裁断模块"});
    QTest::newRow("without trim") << QByteArray("false") << QStringList({"控制模块", "驱动模块", "检测模块"});
}

void TestConfigQueries::modules()
{
    QFETCH(QByteArray, trim);
    QFETCH(QStringList, names);
    writeFile("config.ini", "[Dravolinte]\nenableTrim=" + trim + "\n");
    Config cfg(m_dir);
    QCOMPARE(cfg.getModuleName(), names);
    Ids types;
    for (int i = 0; i < names.size(); ++i)
        types << i;
    QCOMPARE(cfg.getModules(), types);
    QCOMPARE(cfg.containModules(Config::MT_Trim), names.size() == 4);
    QVERIFY(cfg.containModules(Config::MT_Sensor));
    // Switching trim on later adds the module only with the next load pass.
    cfg.setEnableTrim(true);
    QCOMPARE(cfg.getModuleName(), names);
    cfg.loadCfg(false);
    QVERIFY(cfg.containModules(Config::MT_Trim));
}

void TestConfigQueries::relabelByVersion_data()
{
    QTest::addColumn<Ids>("versions");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<double>("collectMin");
    QTest::addColumn<double>("collectMax");
    const QStringList plain{"陀螺仪触发值", "陀螺仪限位", "陀螺仪对应速度"};
    const QStringList feed{"送纸陀螺仪触发值", "送纸陀螺仪限位", "送纸速度"};
    const QStringList waste{"排废陀螺仪触发值", "排废陀螺仪限位", "排废速度"};
    QTest::newRow("unknown") << Ids{0} << plain << 0.0 << 100.0;
    QTest::newRow("7x3") << Ids{1} << feed << 10.0 << 500.0;
    QTest::newRow("7x4") << Ids{2} << waste << 0.0 << 100.0;
    QTest::newRow("7x7") << Ids{5} << feed << 10.0 << 500.0;
    QTest::newRow("7x8 only widens") << Ids{6} << plain << 10.0 << 500.0;
    QTest::newRow("7x6 keeps earlier labels") << Ids{3, 4} << waste << 0.0 << 100.0;
    QTest::newRow("7x4 keeps a wider range") << Ids{1, 2} << waste << 10.0 << 500.0;
}

void TestConfigQueries::relabelByVersion()
{
    QFETCH(Ids, versions);
    QFETCH(QStringList, labels);
    QFETCH(double, collectMin);
    QFETCH(double, collectMax);
    Config cfg(m_dir);
    QSignalSpy changed(&cfg, &Config::propertyChanged);
    for (int v : versions)
        cfg.setVersion(v);
    QCOMPARE(QStringList({cfg.getPropertyName(Config::CPT_Gyroscope_Trigger),
                          cfg.getPropertyName(Config::CPT_Gyroscope_Limit),
                          cfg.getPropertyName(Config::CPT_Gyroscope_speed)}),
             labels);
    QCOMPARE(cfg.getPropertyMin(Config::CPT_Collect_Speed), collectMin);
    QCOMPARE(cfg.getPropertyMax(Config::CPT_Collect_Speed), collectMax);
    // Rows whose label changed tell the pages, after the version itself.
    if (versions.size() == 1 && labels.first() != QStringLiteral("陀螺仪触发值")) {
        QCOMPARE(changed.count(), 4);
        QCOMPARE(changed.at(3).at(0).value<Config::ConfigParamType>(), Config::CPT_Gyroscope_speed);
    }
}

void TestConfigQueries::reloadRestoresTableLabelsAndRanges()
{
    {
        Config cfg(m_dir);
        cfg.setVersion(Config::VT_7x8);
        cfg.setProperty(Config::CPT_Collect_Speed, 300);
        cfg.setVersion(Config::VT_7x5);
    }
    // On 7x5 the collect speed is 0..100 again: the stored 300 falls back to its default.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^ParamRows::outOfRange Dravolinte/Collect_Speed = 300"));
    Config cfg(m_dir);
    QCOMPARE(cfg.getPropertyName(Config::CPT_Gyroscope_Trigger), QStringLiteral("排废陀螺仪触发值"));
    QCOMPARE(cfg.getPropertyMax(Config::CPT_Collect_Speed), 100.0);
    QCOMPARE(cfg.getProperty(Config::CPT_Collect_Speed), QVariant(50));
    cfg.setVersion(Config::VT_7x6);
    cfg.loadCfg(false);
    QCOMPARE(cfg.getPropertyName(Config::CPT_Gyroscope_Trigger), QStringLiteral("陀螺仪触发值"));
}

DRAVO_TEST_MAIN(TestConfigQueries)
#include "tst_config_queries.moc"
