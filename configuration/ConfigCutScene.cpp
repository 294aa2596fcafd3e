#include "Config.h"

#include "GPathProcess.h"
#include "GScene.h"
#include "GSp.h"

#include <QGraphicsView>

// Five properties of the store follow the cut settings of tool 1 of the
// application's cut scene; every change is also recorded in the working file
// as a tool table. Without a scene they read as defaults and writes are ignored.

namespace {
constexpr double kDefaultCompensationMm = 0.2;
} // namespace

void Config::setCutSceneSource(std::function<GScene *()> source)
{
    QMutexLocker lock(&m_lock);
    m_cutSceneSource = std::move(source);
}

GScene *Config::cutScene() const
{
    std::function<GScene *()> source;
    {
        QMutexLocker lock(&m_lock);
        source = m_cutSceneSource;
    }
    return source ? source() : nullptr;
}

bool Config::autoSort() const
{
    const GScene *scene = cutScene();
    return scene && scene->isSort();
}

void Config::setAutoSort(bool on)
{
    GScene *scene = cutScene();
    if (!scene)
        return;
    scene->enableSort(on);
    scene->setSortSP(on);
    scene->setSortInside(on);
    emit autoSortChanged();
}

bool Config::closeCompensate() const
{
    const GScene *scene = cutScene();
    return scene && (scene->sp(1)->flags() & GSp::CloseCompensation);
}

void Config::setCloseCompensate(bool on)
{
    GScene *scene = cutScene();
    if (!scene)
        return;
    scene->sp(1)->setGSpFlag(GSp::CloseCompensation, on);
    saveToolTable(scene->sp(1));
    emit closeCompensateChanged();
}

double Config::closeCompensateVal() const
{
    const GScene *scene = cutScene();
    return scene ? GPathProcess::point2Mm(scene->sp(1)->closeCompensate()) : kDefaultCompensationMm;
}

void Config::setCloseCompensateVal(double mm)
{
    GScene *scene = cutScene();
    if (!scene)
        return;
    scene->sp(1)->setCloseCompensate(GPathProcess::mm2Point(mm));
    saveToolTable(scene->sp(1));
    emit closeCompensateValChanged();
}

bool Config::knifeCompensate() const
{
    const GScene *scene = cutScene();
    return scene && (scene->sp(1)->flags() & GSp::KnifeCompensation);
}

void Config::setKnifeCompensate(bool on)
{
    GScene *scene = cutScene();
    if (!scene)
        return;
    scene->sp(1)->setGSpFlag(GSp::KnifeCompensation, on);
    saveToolTable(scene->sp(1));
    emit knifeCompensateChanged();
}

double Config::knifeCompensateVal() const
{
    const GScene *scene = cutScene();
    return scene ? GPathProcess::point2Mm(scene->sp(1)->knifeCompensate()) : kDefaultCompensationMm;
}

void Config::setKnifeCompensateVal(double mm)
{
    GScene *scene = cutScene();
    if (!scene)
        return;
    scene->sp(1)->setKnifeCompensate(GPathProcess::mm2Point(mm));
    saveToolTable(scene->sp(1));
    emit knifeCompensateValChanged();
}

void Config::saveToolTable(GSp *tool)
{
    if (!tool)
        return;
    if (GScene *scene = cutScene(); scene && !scene->views().isEmpty())
        scene->views().first()->viewport()->update();
    QMutexLocker lock(&m_lock);
    if (!m_settings)
        return;
    tool->writeTable(*m_settings);
    if (m_deferSync == 0)
        syncSettings();
}
