// The web guide (rectify motor): from the paper offset of the last label
// image while inspection is on, else from the edge sensors 6 and 7.
#include "device/polling/PollWorkerCollect.h"

#include "device/Varnok120X.h"
#include "device/state/MachineAlarms.h"

#include <QDebug>
#include <cmath>

using namespace PollSupport;

namespace {

// A correction this small is within what the guide can hold.
constexpr double kGuideDeadBand = 0.2;

// The longest guide move: the parameter, whatever its sign.
float guideStep(const Config *config)
{
    return float(std::fabs(param(config, Config::CPT_Rectify_Len)));
}

uint guideSpeed(const Config *config)
{
    return uint(boundedSpeed(param(config, Config::CPT_Rectify_Speed), speedLimit(config, Config::CPT_Rectify_Speed)));
}

} // namespace

void pollworkerCollect::doRectification(int &step)
{
    if (flag(config(), Config::CPT_Enable_Detection))
        guideFromPaperOffset(step);
    else
        guideFromSensors(step);
}

void pollworkerCollect::guideFromPaperOffset(int &step)
{
    const Config *c = config();
    if (!flag(c, Config::CPT_Rectify)) {
        ++step;
        return;
    }
    const float guide = m_device->rectifyLength();
    float diff = m_paperOffset - guide;
    // The guide moves while the web does, one move at a time.
    if (!(std::fabs(diff) > kGuideDeadBand) || m_rewindIdle || !m_guideIdle) {
        ++step;
        return;
    }
    qInfo().noquote() << "pollworkerCollect::doRectification" << m_paperOffset << guide << "offset" << diff;
    const float most = guideStep(c);
    if (std::fabs(diff) > most)
        diff = std::copysign(most, diff);
    if (!m_device->wRectifyMotor(guideSpeed(c), diff)) {
        qWarning().noquote() << "pollworkerCollect::doRectification" << "wRectifyMotor failed";
        ++step;
        return;
    }
    m_guideIdle = false;
    ++step;
}

void pollworkerCollect::guideFromSensors(int &step)
{
    const Config *c = config();
    // A controller that stopped answering is asked less often.
    if (!m_sensorRetry.ready()) {
        ++step;
        return;
    }
    if (!m_device->rSensor()) {
        m_sensorRetry.failed();
        ++step;
        return;
    }
    m_sensorRetry.succeeded();
    if (!flag(c, Config::CPT_Rectify)) {
        ++step;
        return;
    }
    const bool left = m_device->sensor6();
    const bool right = m_device->sensor7();
    // Neither edge seen: the web is lost to the guide.
    const qulonglong lost = (!left && !right) ? qulonglong(MachineAlarms::WebGuideError) : 0;
    m_device->changeDeviceState(MachineAlarms::WebGuideError, lost);
    if (left && right) {
        if (!m_guideIdle)
            m_device->wRectifyMotor(0, 0.0f);
        m_guideTimer.invalidate();
        m_guideErrorLogged = false;
        ++step;
        return;
    }
    const float move = left ? guideStep(c) : -guideStep(c);
    if (!m_guideTimer.isValid() || move != m_paperOffset) {
        m_guideTimer.start();
        m_paperOffset = move;
    }
    // One condition must last the span before the guide acts on it.
    const qint64 span = truncated(param(c, Config::CPT_Rectify_Span));
    if (!(m_guideIdle && m_rewinding && m_guideTimer.elapsed() > span)) {
        ++step;
        return;
    }
    if (!left && !right) {
        // Once for each time the edges are lost, not on every pass.
        if (!m_guideErrorLogged)
            qCritical().noquote() << "pollworkerCollect::doRectification"
                                  << "Rectify Error: left and right are not triggered";
        m_guideErrorLogged = true;
        ++step;
        return;
    }
    m_guideErrorLogged = false;
    if (!m_device->wRectifyMotor(guideSpeed(c), move)) {
        qWarning().noquote() << "pollworkerCollect::doRectification" << "wRectifyMotor failed";
        ++step;
        return;
    }
    qInfo().noquote() << "pollworkerCollect::doRectification" << "web guide" << move;
    m_guideTimer.start();
    m_guideIdle = false;
    ++step;
}
