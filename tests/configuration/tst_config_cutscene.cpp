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
    void init() { startConfigTest(); }

    void withoutSceneReadsDefaultsAndIgnoresWrites()
    {
        Config config(QDir::currentPath());
        const QByteArray before = readAll(config.settingsFileName());
        QSignalSpy closeSpy(&config, &Config::closeCompensateChanged);
        config.setCloseCompensate(true);
        config.setAutoSort(true);
        config.setKnifeCompensateVal(0.7);
        QCOMPARE(QList<QVariant>({config.autoSort(), config.closeCompensate(), config.closeCompensateVal(),
                                  config.knifeCompensate(), config.knifeCompensateVal()}),
                 QList<QVariant>({false, false, 0.2, false, 0.2}));
        QCOMPARE(closeSpy.count(), 0);
        QCOMPARE(readAll(config.settingsFileName()), before);
    }

    void changesGoToToolOneAndItsTable()
    {
        GScene scene;
        Config config(QDir::currentPath());
        config.setCutSceneSource([&scene] { return &scene; });
        QSignalSpy val(&config, &Config::knifeCompensateValChanged);
        QSignalSpy sort(&config, &Config::autoSortChanged);
        config.setKnifeCompensateVal(0.5);
        config.setKnifeCompensateVal(0.5);
        QCOMPARE(val.count(), 1); // one signal per real change
        QCOMPARE(scene.sp(1)->knifeCompensate(), GPathProcess::mm2Point(0.5));
        config.setKnifeCompensate(true);
        config.setCloseCompensate(true);
        config.setCloseCompensate(false);
        QVERIFY(config.knifeCompensate() && !config.closeCompensate());

        // Seven keys under the tool's name; the flags as last written.
        QSettings ini(config.settingsFileName(), QSettings::IniFormat);
        const QString tool = scene.sp(1)->name() + '/';
        for (const char *key : {"color", "index", "flags", "closeCompensate", "knifeCompensate", "toolUpAngle", "repeat"})
            QVERIFY2(ini.contains(tool + key), key);
        QCOMPARE(ini.value(tool + "flags").toInt(), int(GSp::KnifeCompensation));

        const QByteArray before = readAll(config.settingsFileName());
        config.setAutoSort(true);
        QVERIFY(scene.isSort() && scene.sortSP() && scene.sortInside());
        config.setAutoSort(false);
        QVERIFY(!scene.isSort() && !scene.sortSP() && !scene.sortInside());
        QCOMPARE(sort.count(), 2);
        QCOMPARE(readAll(config.settingsFileName()), before); // the order is not stored
    }
};

DRAVO_GUI_TEST_MAIN(TestConfigCutScene)
#include "tst_config_cutscene.moc"
