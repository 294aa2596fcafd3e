// Steps of the task worker that place the web and the knives between the
// cuts of a run: start and end points of a page, the move to the next page
// or back to the start, and the mark-camera offset (move over the spot a
// knife has cut, measure, store). Positions and offsets are HPGL units.
#include "device/task/TaskWorker.h"

#include "configuration/Config.h"
#include "platform/graphics/paths/GPathProcess.h"
#include "device/DriverHost.h"
#include "device/Varnok120X.h"

#include <QDebug>
#include <cmath>

void TaskWorker::addScannedMark(const QPointF &centre, double size)
{
    m_scanPoints.append(centre);
    m_scanSizes.append(size);
}

bool TaskWorker::checkCutFile(int &step)
{
    if (cutSource()->hasCutItems())
        return true;
    QString text = tr("切割文件未打开");
    const int marker = config()->getProperty(Config::CPT_Enable_Cut_Marker_Type).toInt();
    if (marker == 1 || marker == 2)
        text += tr("，若扫描二维码自动切割，请选择切割文件路径，并放入二维码对应的切割文件");
    m_device->setErrorMessage(text);
    taskStop(step);
    return false;
}

QPointF TaskWorker::imageToDeviceOffset(const QPointF &p, double size) const
{
    // A mark without a size gives no scale: better no move than an endless one.
    if (!(size >= 1.0) || !std::isfinite(size)) {
        qWarning().noquote() << "TaskWorker::imageToDeviceOffset" << "mark size" << size;
        return QPointF();
    }
    const QPointF centre(config()->getProperty(Config::CPT_Mark_Camera_Width).toInt() / 2.0,
                         config()->getProperty(Config::CPT_Mark_Camera_Height).toInt() / 2.0);
    // The image's vertical axis is the machine's x (the web).
    QPointF offset(centre.y() - p.y(), centre.x() - p.x());
    if (config()->getProperty(Config::CPT_Cut_Coordinates).toInt() == 1)
        offset.setX(-offset.x());
    const double unitsPerPixel = config()->getProperty(Config::CPT_Mark_Size).toDouble() / size * 40.0;
    return offset * unitsPerPixel;
}

void TaskWorker::taskGetStartPoint(int &step)
{
    config()->setRunTip(tr("获取开始坐标"));
    int knife = 0;
    if (getKnifePoint(m_startPoint, knife))
        ++step;
}

void TaskWorker::taskGetEndPoint(int &step)
{
    config()->setRunTip(tr("获取结束坐标"));
    int knife = 0;
    if (getKnifePoint(m_endPoint, knife))
        ++step;
}

void TaskWorker::taskMoveToStart(int &step)
{
    config()->setRunTip(tr("移动到开始坐标"));
    if (moveBy(m_knifeMask, m_startPoint - m_endPoint))
        ++step;
}

void TaskWorker::taskMoveToNextStartPoint(int &step)
{
    config()->setRunTip(tr("移动到下个标记点"));
    // Back across the web to where the page began, and on along it by one
    // page and the gap between pages.
    const double page = cutSource()->pageSize().height() + config()->getProperty(Config::CPT_PageSpacing).toDouble();
    const QPointF offset(m_startPoint.x() - m_endPoint.x() + GPathProcess::mm2Hpgl(page),
                         m_startPoint.y() - m_endPoint.y());
    qInfo().noquote() << "TaskWorker::taskMoveToNextStartPoint" << m_startPoint << m_endPoint << offset;
    if (moveBy(m_knifeMask, offset))
        ++step;
}

void TaskWorker::taskMoveCameraOffset(int &step)
{
    config()->setRunTip(tr("移动相机偏移"));
    // The mark camera comes over the spot that the knife has just cut.
    const QPointF target(-40.0 * config()->markCameraOffsetX(), -40.0 * config()->markCameraOffsetY());
    if (moveBy(m_knifeMask, target))
        ++step;
}

void TaskWorker::taskCameraOffset(int &step)
{
    config()->setRunTip(tr("计算相机偏移"));
    if (m_scanPoints.isEmpty() || m_scanSizes.isEmpty()) {
        // Nothing was seen: the offsets stay as they are.
        qWarning().noquote() << "TaskWorker::taskCameraOffset" << "no mark scanned, offsets kept";
        ++step;
        return;
    }
    const QPointF correction =
        GPathProcess::hpgl2Mm(imageToDeviceOffset(m_scanPoints.constLast(), m_scanSizes.constLast()));
    const double x = config()->markCameraOffsetX() - correction.x();
    const double y = config()->markCameraOffsetY() - correction.y();
    qInfo().noquote() << "TaskWorker::taskCameraOffset" << "correction (mm)" << correction << "->" << x << y;
    config()->setMarkCameraOffsetX(0, x);
    config()->setMarkCameraOffsetY(0, y);
    // The controller gets what is stored, once corrected.
    m_device->wMarkCameraOffset(x, y);
    ++step;
}
