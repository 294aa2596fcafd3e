#include "configuration/parameters/CutSceneSettings.h"

#include "platform/graphics/paths/GPathProcess.h"
#include "platform/graphics/GScene.h"
#include "platform/graphics/GSp.h"

#include <QGraphicsView>

namespace {
constexpr double kDefaultCompensationMm = 0.2;
} // namespace

CutSceneSettings::CutSceneSettings(TableWriter writeTable) : m_writeTable(std::move(writeTable)) {}

void CutSceneSettings::setSource(Source source)
{
    m_source.exchange(std::move(source));
}

GScene *CutSceneSettings::scene() const
{
    const Source source = m_source.get();
    return source ? source() : nullptr;
}

bool CutSceneSettings::autoSort() const
{
    const GScene *s = scene();
    return s && s->isSort();
}

bool CutSceneSettings::setAutoSort(bool on)
{
    GScene *s = scene();
    if (!s || (s->isSort() == on && s->sortSP() == on && s->sortInside() == on))
        return false;
    s->enableSort(on);
    s->setSortSP(on);
    s->setSortInside(on);
    return true;
}

bool CutSceneSettings::changeTool(const std::function<bool(GSp *tool)> &change)
{
    GScene *s = scene();
    if (!s || !change(s->sp(1)))
        return false;
    saveToolTable(s->sp(1));
    return true;
}

bool CutSceneSettings::closeCompensate() const
{
    const GScene *s = scene();
    return s && (s->sp(1)->flags() & GSp::CloseCompensation);
}

bool CutSceneSettings::setCloseCompensate(bool on)
{
    return changeTool([on](GSp *tool) {
        if (bool(tool->flags() & GSp::CloseCompensation) == on)
            return false;
        tool->setGSpFlag(GSp::CloseCompensation, on);
        return true;
    });
}

double CutSceneSettings::closeCompensateVal() const
{
    const GScene *s = scene();
    return s ? GPathProcess::point2Mm(s->sp(1)->closeCompensate()) : kDefaultCompensationMm;
}

bool CutSceneSettings::setCloseCompensateVal(double mm)
{
    return changeTool([mm](GSp *tool) {
        const double points = GPathProcess::mm2Point(mm);
        if (tool->closeCompensate() == points)
            return false;
        tool->setCloseCompensate(points);
        return true;
    });
}

bool CutSceneSettings::knifeCompensate() const
{
    const GScene *s = scene();
    return s && (s->sp(1)->flags() & GSp::KnifeCompensation);
}

bool CutSceneSettings::setKnifeCompensate(bool on)
{
    return changeTool([on](GSp *tool) {
        if (bool(tool->flags() & GSp::KnifeCompensation) == on)
            return false;
        tool->setGSpFlag(GSp::KnifeCompensation, on);
        return true;
    });
}

double CutSceneSettings::knifeCompensateVal() const
{
    const GScene *s = scene();
    return s ? GPathProcess::point2Mm(s->sp(1)->knifeCompensate()) : kDefaultCompensationMm;
}

bool CutSceneSettings::setKnifeCompensateVal(double mm)
{
    return changeTool([mm](GSp *tool) {
        const double points = GPathProcess::mm2Point(mm);
        if (tool->knifeCompensate() == points)
            return false;
        tool->setKnifeCompensate(points);
        return true;
    });
}

void CutSceneSettings::saveToolTable(GSp *tool)
{
    if (!tool)
        return;
    if (GScene *s = scene(); s && !s->views().isEmpty())
        s->views().first()->viewport()->update();
    if (m_writeTable)
        m_writeTable(tool);
}
