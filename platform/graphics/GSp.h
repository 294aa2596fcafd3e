#pragma once

#include "platform/graphics/scenefiles/SceneData.h"

#include <QMutex>
#include <QPainterPath>

class QSettings;

// One tool of a scene's tool table: colour, compensations, repeat. Safe to read
// from the work thread while the pages change it on the GUI thread.
class GSp
{
public:
    enum Flag { CloseCompensation = 1, KnifeCompensation = 2 };

    explicit GSp(const ToolSetting &setting = ToolSetting::defaults(1));

    int flags() const;
    void setGSpFlag(int flag, bool on);
    double closeCompensate() const; // points
    void setCloseCompensate(double points);
    double knifeCompensate() const; // points
    void setKnifeCompensate(double points);
    QColor color() const;
    int index() const;
    QString name() const;
    int repeat() const;
    double toolUpAngle() const;

    ToolSetting setting() const;
    void setSetting(const ToolSetting &setting);

    // The path as this tool cuts it: overcut when close compensation is on,
    // then the knife offset when knife compensation is on, `repeat` times.
    QPainterPath compensate(const QPainterPath &path) const;

    // The tool-table entry under the tool's name: color (HSV value), index,
    // flags, closeCompensate, knifeCompensate, toolUpAngle, repeat.
    void writeTable(QSettings &settings) const;

private:
    mutable QMutex m_mutex;
    ToolSetting m_setting;
};
