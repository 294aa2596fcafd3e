#pragma once

#include "configuration/Guarded.h"

#include <functional>

class GScene;
class GSp;

// Five cut settings that live in the application's cut scene, not in the
// table: tool 1's close and knife compensation (on or off, and millimetres)
// and the cutting order. The scene comes from a source the application
// object registers; without one the settings read as defaults and writes are
// ignored. Every change of tool 1 is recorded as its tool table.
class CutSceneSettings
{
public:
    using Source = std::function<GScene *()>;
    using TableWriter = std::function<void(GSp *tool)>;

    explicit CutSceneSettings(TableWriter writeTable);

    void setSource(Source source);
    GScene *scene() const;

    // Each setter returns true when it changed the scene.
    bool autoSort() const;
    bool setAutoSort(bool on);
    bool closeCompensate() const;
    bool setCloseCompensate(bool on);
    double closeCompensateVal() const;
    bool setCloseCompensateVal(double mm);
    bool knifeCompensate() const;
    bool setKnifeCompensate(bool on);
    double knifeCompensateVal() const;
    bool setKnifeCompensateVal(double mm);

    // Redraws the scene's view and records the tool's settings.
    void saveToolTable(GSp *tool);

private:
    bool changeTool(const std::function<bool(GSp *tool)> &change);

    Guarded<Source> m_source;
    TableWriter m_writeTable;
};
