#include "platform/graphics/GSp.h"

#include "platform/graphics/paths/GPathProcess.h"

#include <QSettings>
#include <cmath>

GSp::GSp(const ToolSetting &setting) : m_setting(setting)
{
}

int GSp::flags() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting.flags;
}

void GSp::setGSpFlag(int flag, bool on)
{
    QMutexLocker lock(&m_mutex);
    m_setting.flags = on ? (m_setting.flags | flag) : (m_setting.flags & ~flag);
}

double GSp::closeCompensate() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting.closeCompensate;
}

void GSp::setCloseCompensate(double points)
{
    QMutexLocker lock(&m_mutex);
    if (std::isfinite(points) && points >= 0)
        m_setting.closeCompensate = points;
}

double GSp::knifeCompensate() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting.knifeCompensate;
}

void GSp::setKnifeCompensate(double points)
{
    QMutexLocker lock(&m_mutex);
    if (std::isfinite(points) && points >= 0)
        m_setting.knifeCompensate = points;
}

QColor GSp::color() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting.color;
}

int GSp::index() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting.index;
}

QString GSp::name() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting.name;
}

int GSp::repeat() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting.repeat;
}

double GSp::toolUpAngle() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting.toolUpAngle;
}

ToolSetting GSp::setting() const
{
    QMutexLocker lock(&m_mutex);
    return m_setting;
}

void GSp::setSetting(const ToolSetting &setting)
{
    QMutexLocker lock(&m_mutex);
    m_setting = setting;
}

QPainterPath GSp::compensate(const QPainterPath &path) const
{
    const ToolSetting s = setting();
    if (!(s.flags & (CloseCompensation | KnifeCompensation)) && s.repeat <= 1)
        return path;
    // One pass over the polylines for both compensations.
    QList<QPolygonF> polygons = path.toSubpathPolygons();
    QPainterPath once;
    for (QPolygonF &polygon : polygons) {
        if (s.flags & CloseCompensation)
            polygon = GPathProcess::closeCompensatePolygon(polygon, s.closeCompensate);
        if (s.flags & KnifeCompensation)
            polygon = GPathProcess::knifeCompensatePolygon(polygon, s.knifeCompensate);
        once.addPolygon(polygon);
    }
    QPainterPath out = once;
    for (int i = 1; i < s.repeat; ++i)
        out.addPath(once);
    return out;
}

void GSp::writeTable(QSettings &settings) const
{
    const ToolSetting s = setting();
    settings.setValue(s.name + QStringLiteral("//color"), s.color.value());
    settings.setValue(s.name + QStringLiteral("//index"), s.index);
    settings.setValue(s.name + QStringLiteral("//flags"), s.flags);
    settings.setValue(s.name + QStringLiteral("//closeCompensate"), s.closeCompensate);
    settings.setValue(s.name + QStringLiteral("//knifeCompensate"), s.knifeCompensate);
    settings.setValue(s.name + QStringLiteral("//toolUpAngle"), s.toolUpAngle);
    settings.setValue(s.name + QStringLiteral("//repeat"), s.repeat);
}
