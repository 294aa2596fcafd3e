#include "Config.h"
#include "ConfigFixture.h"
#include "TestMain.h"

#include <QSignalSpy>

using Ids = QList<int>;

// What the settings and machine pages ask of the store: groups, labels,
// ranges, visibility, modules and the relabelling by machine version.
class TestConfigQueries : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = startConfigTest(); }

    void groupsInRegistrationOrder_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("group");
        QTest::addColumn<Ids>("ids");
        QTest::newRow("basic") << 0 << "基础设置"
                               << Ids{31, 32, 33, 34, 35, 36, 37, 38, 39, 41, 42, 43, 40, 44, 47, 97, 98, 99, 100};
        QTest::newRow("print") << 0 << "打印设置" << Ids{51, 52, 82, 96};
        QTest::newRow("print 7x4") << 2 << "打印设置" << Ids{51, 52, 82, 96, 87, 88, 89, 90};
        QTest::newRow("flow") << 0 << "流程设置" << Ids{60, 59, 61, 73};
    }
    void groupsInRegistrationOrder()
    {
        QFETCH(int, version);
        QFETCH(QString, group);
        QFETCH(Ids, ids);
        writeFile("config.ini", QStringLiteral("[Dravolinte]\nVersion=%1\nenableTrim=false\n").arg(version).toLatin1());
        Config cfg(m_dir);
        QCOMPARE(cfg.getShowPropertiesClass(), QStringList({"基础设置", "打印设置", "日志输出设置", "检测设置", "流程设置"}));
        QCOMPARE(cfg.getShowProperties(group), ids);
        QCOMPARE(cfg.getModuleName(), QStringList({"控制模块", "驱动模块", "检测模块"})); // no trim module
        cfg.setEnableTrim(true);
        cfg.loadCfg(false); // a second load pass (after a translator is installed) rebuilds, never appends
        QCOMPARE(cfg.getShowProperties(group), ids);
        QCOMPARE(cfg.getModules(), Ids({0, 1, 2, 3})); // the trim module comes with the load pass
        QCOMPARE(QVariantList({cfg.getPropertyName(Config::CPT_Print_Roller_Max), cfg.getPropertyMin(Config::CPT_printCopiesOnce),
                               cfg.getPropertyMax(Config::CPT_printCopiesOnce), cfg.getPropertyName(Config::CPT_RIIN_Path).isEmpty()}),
                 QVariantList({"打印辊下限位", 1.0, 9999.0, version != Config::VT_7x4}));
    }

    void visibility_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("switches"); // knives > 1, cut, marker type 1, gyroscope, print roller, detection
        QTest::addColumn<QVariant>("row"); // an id or a group name
        QTest::addColumn<bool>("visible");
        QTest::newRow("gyroscope rows follow the gyroscope") << 1 << "010011" << QVariant(33) << false;
        QTest::newRow("inverse cut with two knives") << 0 << "110111" << QVariant(99) << false;
        QTest::newRow("cut folder with marker type 1") << 0 << "011111" << QVariant(98) << true;
        QTest::newRow("cut folder without cutting") << 0 << "001111" << QVariant(98) << false;
        QTest::newRow("print roller switch on 7x8") << 6 << "010111" << QVariant(61) << false;
        QTest::newRow("detection group without detection") << 0 << "010110" << QVariant("检测设置") << false;
        QTest::newRow("flow group on 7x6") << 4 << "010111" << QVariant("流程设置") << false;
        QTest::newRow("flow group on 7x8") << 6 << "010111" << QVariant("流程设置") << true;
    }
    void visibility()
    {
        QFETCH(int, version);
        QFETCH(QString, switches);
        QFETCH(QVariant, row);
        QFETCH(bool, visible);
        Config cfg(m_dir);
        cfg.setVersion(version);
        cfg.setKnifeNum(switches[0] == '1' ? 2 : 1);
        cfg.setEnableCut(switches[1] == '1');
        cfg.setProperty(Config::CPT_Enable_Cut_Marker_Type, switches[2] == '1' ? 1 : 0);
        cfg.setEnablePrint(false); // printing would switch the gyroscope and the roller back on
        cfg.setEnableGyroscope(switches[3] == '1');
        cfg.setEnablePrintRoller(switches[4] == '1');
        cfg.setEnableDetection(switches[5] == '1');
        const bool shown = row.typeId() == QMetaType::Int ? cfg.isShowPorperty(Config::ConfigParamType(row.toInt()))
                                                          : cfg.isShowPorperty(row.toString());
        QCOMPARE(shown, visible);
    }

    void relabelByVersion_data()
    {
        QTest::addColumn<Ids>("versions");
        QTest::addColumn<QString>("speedLabel");
        QTest::addColumn<double>("collectMax");
        QTest::newRow("7x3") << Ids{1} << "送纸速度" << 500.0;
        QTest::newRow("7x8 only widens") << Ids{6} << "陀螺仪对应速度" << 500.0;
        QTest::newRow("7x6 keeps earlier labels") << Ids{3, 4} << "排废速度" << 100.0;
        QTest::newRow("7x4 keeps a wider range") << Ids{1, 2} << "排废速度" << 500.0;
    }
    void relabelByVersion()
    {
        QFETCH(Ids, versions);
        QFETCH(QString, speedLabel);
        QFETCH(double, collectMax);
        Config cfg(m_dir);
        QSignalSpy changed(&cfg, &Config::propertyChanged);
        for (int v : versions)
            cfg.setVersion(v);
        QCOMPARE(cfg.getPropertyName(Config::CPT_Gyroscope_speed), speedLabel);
        QCOMPARE(cfg.getPropertyMax(Config::CPT_Collect_Speed), collectMax);
        if (versions == Ids{1}) // the version, then the three rows whose label changed
            QCOMPARE(changed.count(), 4);
    }

    void reloadRestoresLabelsAndRanges()
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
        QCOMPARE(cfg.getProperty(Config::CPT_Collect_Speed), QVariant(50));
        cfg.setVersion(Config::VT_7x6);
        cfg.loadCfg(false);
        QCOMPARE(cfg.getPropertyName(Config::CPT_Gyroscope_Trigger), QStringLiteral("陀螺仪触发值"));
    }

private:
    QString m_dir;
};

DRAVO_TEST_MAIN(TestConfigQueries)
#include "tst_config_queries.moc"
