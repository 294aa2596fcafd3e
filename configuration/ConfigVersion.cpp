#include "configuration/Config.h"

#include "configuration/Notifier.h"

#include <QDebug>
#include <QMetaEnum>

// The machine version decides which modules exist, the dancer and roller
// presets, and which switches make sense. A first start runs on "tmp.ini";
// the first controller that reports its version replaces it by that
// version's preset and restarts the program.

void Config::resetVersionParam(VersionType v)
{
    const char *name = QMetaEnum::fromType<VersionType>().valueToKey(v);
    qInfo().noquote() << "Config::resetVersionParam" << (name ? name : "?") << settingsFileName() << cfgPath();
    const bool restart = m_file.switchToPreset(v);

    setKnifeNum(1);
    setCutCoordinates(0);
    setEnableTrim(v == VT_7x3 || v == VT_7x7);
    setEnableRectify(v != VT_7x8);
    setEnablePrint(v == VT_7x3 || v == VT_7x7);
    setEnableDetection(v == VT_7x3 || v == VT_7x7 || v == VT_7x8);
    if (v == VT_7x8)
        setProperty(CPT_Collect_Speed, 450);
    setEnablePrintRoller(v == VT_7x3 || v == VT_7x4 || v == VT_7x7);
    setEnableGyroscope(true);
    setMarkCameraRotation(90);
    setProperty(CPT_Film_Roller_Num, 2);
    setProperty(CPT_Collect_Roller_Num, 2);
    setProperty(CPT_dtMark, 0.1);
    applyVersionPreset(v);

    if (restart) {
        Notifier::information(tr("机器连接成功，重启完成初始化"));
        Notifier::requestExit(777);
    }
}

void Config::applyVersionPreset(VersionType v)
{
    // Each roller as limit, trigger, max.
    auto film = [this](double l, double t, double m) {
        setFilmRollerLimit(l);
        setFilmRollerTrigger(t);
        setFilmRollerMax(m);
    };
    auto collect = [this](double l, double t, double m) {
        setCollectRollerLimit(l);
        setCollectRollerTrigger(t);
        setCollectRollerMax(m);
    };
    auto print = [this](double l, double t, double m) {
        setPrintRollerLimit(l);
        setPrintRollerTrigger(t);
        setPrintRollerMax(m);
    };
    auto gyroscope = [this](double limit, double trigger) {
        setGyroscopeLimit(limit);
        setGyroscopeTrigger(trigger);
    };

    switch (v) {
    case VT_7x3:
        film(65, 85, 105);
        collect(65, 85, 105);
        print(70, 90, 105);
        gyroscope(35, 6);
        setProperty(CPT_Film_Roller_Num, 1);
        setProperty(CPT_Collect_Roller_Num, 1);
        break;
    case VT_7x4:
        film(25, 35, 45);
        collect(36, 35, 45);
        print(36, 26, 46);
        gyroscope(-30, -10);
        break;
    case VT_7x5:
        film(35, 46, 58);
        collect(35, 46, 58);
        gyroscope(-30, -10);
        setProperty(CPT_Gyroscope_speed, 80);
        break;
    case VT_7x6:
        setEnableGyroscope(false);
        setKnifeNum(2);
        setKnifeInterval(90);
        film(38, 48, 58);
        collect(38, 48, 58);
        setProperty(CPT_dtMark, 0.3);
        setProperty(CPT_Knife_Max_Distance, 460);
        setProperty(CPT_Gyroscope_speed, 80);
        break;
    case VT_7x7:
        print(45, 60, 75);
        film(45, 60, 75);
        collect(45, 60, 75);
        gyroscope(130, 160);
        break;
    case VT_7x8:
        setEnableDetection(true);
        setEnableGyroscope(false);
        setMarkCameraRotation(270);
        setKnifeNum(4);
        setCutCoordinates(1);
        setKnifeInterval(40);
        film(48, 59, 70);
        collect(48, 59, 70);
        break;
    default:
        break;
    }
}
