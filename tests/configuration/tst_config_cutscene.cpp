#include "Config.h"
#include "ConfigFixture.h"
#include "GPathProcess.h"
#include "GScene.h"
#include "GSp.h"
#include "TestMain.h"

#include <QApplication>
#include <QSignalSpy>

// The five properties that follow tool 1 of the application's cut scene, and
// the tool table they record in the working file.
class TestConfigCutScene : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { quietInfoLog(); }
    void init() { startConfigTest(); }

    void withoutSceneReadsDefaultsAndIgnoresWrites()
    {
        Config config(QDir::currentPath());
        QCOMPARE(config.autoSort(), false);
        QCOMPARE(config.closeCompensate(), false);
        QCOMPARE(config.closeCompensateVal(), 0.2);
        QCOMPARE(config.knifeCompensate(), false);
        QCOMPARE(config.knifeCompensateVal(), 0.2);

        const QByteArray before = readAll(config.settingsFileName());
        QSignalSpy closeSpy(&config, &Config::closeCompensateChanged);
        QSignalSpy sortSpy(&config, &Config::autoSortChanged);
        config.setCloseCompensate(true);
        config.setAutoSort(true);
        config.setKnifeCompensateVal(0.7);
        QCOMPARE(closeSpy.count(), 0);
        QCOMPARE(sortSpy.count(), 0);
        QCOMPARE(config.closeCompensate(), false);
        QCOMPARE(readAll(config.settingsFileName()), before);
    }

    void compensationGoesToToolOneAndToolTable()
    {
        GScene scene;
        Config config(QDir::currentPath());
        config.setCutSceneSource([&scene] { return &scene; });

        QSignalSpy valSpy(&config, &Config::knifeCompensateValChanged);
        config.setKnifeCompensateVal(0.5);
        QCOMPARE(valSpy.count(), 1);
        QCOMPARE(scene.sp(1)->knifeCompensate(), GPathProcess::mm2Point(0.5));
        QCOMPARE(config.knifeCompensateVal(), GPathProcess::point2Mm(GPathProcess::mm2Point(0.5)));

        config.setKnifeCompensate(true);
        config.setCloseCompensate(true);
        QVERIFY(config.knifeCompensate());
        QVERIFY(config.closeCompensate());
        config.setCloseCompensate(false);
        QVERIFY(!config.closeCompensate());
        QVERIFY(config.knifeCompensate());

        // Seven keys under the tool's name; the flags as last written.
        QSettings ini(config.settingsFileName(), QSettings::IniFormat);
        const QString tool = scene.sp(1)->name();
        for (const char *suffix : {"color", "index", "flags", "closeCompensate", "knifeCompensate", "toolUpAngle", "repeat"})
            QVERIFY2(ini.contains(tool + QStringLiteral("/") + QLatin1String(suffix)), suffix);
        QCOMPARE(ini.value(tool + QStringLiteral("/flags")).toInt(), int(GSp::KnifeCompensation));
        QCOMPARE(ini.value(tool + QStringLiteral("/knifeCompensate")).toDouble(), GPathProcess::mm2Point(0.5));
    }

    void autoSortSwitchesAllThreeAndWritesNothing()
    {
        GScene scene;
        Config config(QDir::currentPath());
        config.setCutSceneSource([&scene] { return &scene; });
        const QByteArray before = readAll(config.settingsFileName());

        QSignalSpy spy(&config, &Config::autoSortChanged);
        config.setAutoSort(true);
        QVERIFY(scene.isSort() && scene.sortSP() && scene.sortInside());
        QVERIFY(config.autoSort());
        config.setAutoSort(false);
        QVERIFY(!scene.isSort() && !scene.sortSP() && !scene.sortInside());
        QCOMPARE(spy.count(), 2);
        QCOMPARE(readAll(config.settingsFileName()), before);
    }
};

DRAVO_GUI_TEST_MAIN(TestConfigCutScene)
#include "tst_config_cutscene.moc"
