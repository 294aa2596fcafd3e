// The rewind: on from the rewind roller while it stands above its trigger
// (or its limit), or one label length at a time while inspection is on.
#include "device/polling/PollWorkerCollect.h"

#include "device/Varnok120X.h"

#include <QDebug>
#include <cmath>

using namespace PollSupport;

bool pollworkerCollect::rollerReadingFresh()
{
    // The roller is read by the roller poller; when its reading has stopped
    // (the controller no longer answers it), the rewind is not steered by an
    // old value, and the log says so once.
    const qint64 age = m_device->rollerReadingAgeMs();
    const qint64 allowed = qMax<qint64>(kStaleRollerMs, 3LL * truncated(param(config(), Config::CPT_Poll_Time_Span)));
    const bool fresh = age >= 0 && age <= allowed;
    if (!fresh && !m_staleLogged) {
        m_staleLogged = true;
        qWarning().noquote() << "pollworkerCollect::doCollect" << "no recent rewind roller reading, rewind left as it is";
    } else if (fresh && m_staleLogged) {
        m_staleLogged = false;
        qInfo().noquote() << "pollworkerCollect::doCollect" << "rewind roller reading back";
    }
    return fresh;
}

void pollworkerCollect::doCollect(int &step)
{
    const Config *c = config();
    const bool detection = flag(c, Config::CPT_Enable_Detection);
    const bool trim = flag(c, Config::CPT_Trim);
    const bool autoRoll = flag(c, Config::CPT_Auto_Roll);
    const int appStatus = host()->taskStatus();
    // With inspection the rewind runs label by label for a running task
    // only, and not while a label moves or is being trimmed.
    if ((detection && appStatus != Running && !autoRoll) || (detection && !m_rewindIdle)
        || (trim && (m_shortLength || !m_trimXIdle || !m_trimYIdle))) {
        ++step;
        return;
    }
    if (!rollerReadingFresh() || !m_rewindRetry.ready()) {
        ++step;
        return;
    }

    double length = vision()->collectLen();
    if (!std::isfinite(length))
        length = param(c, Config::CPT_Collect_len);
    const bool noCutRun = !flag(c, Config::CPT_Enable_Cut) && appStatus == Running;
    const Config::ConfigParamType from =
        (autoRoll || noCutRun) ? Config::CPT_Collect_Roller_Limit : Config::CPT_Collect_Roller_Trigger;
    const double over = m_device->collectRoller() - param(c, from);

    if (over > 0.0) {
        const int max = speedLimit(c, Config::CPT_Collect_Speed);
        double speed = max;
        if (detection) {
            if (!(length >= 2.0) || !trim)
                length = param(c, Config::CPT_Collect_len);
        } else if (noCutRun) {
            // The web runs without cutting: keep pace with the machine.
            speed = truncated(param(c, Config::CPT_CUT_SPEED) * 0.75);
            length = 400000.0;
        } else {
            // Slower as the roller nears its trigger, full speed near its maximum.
            const double trigger = param(c, Config::CPT_Collect_Roller_Trigger);
            const int band = truncated((param(c, Config::CPT_Collect_Roller_Max) - trigger) * 0.65);
            if (band > over)
                speed = truncated(max * over / band);
            speed = qMin(speed, double(max));
        }
        if (!detection && m_rewinding && m_lastRewind.isValid() && m_lastRewind.elapsed() <= kRewindResendMs) {
            ++step;
            return;
        }
        m_motorRead.invalidate();
        const double scale = param(c, Config::CPT_Collect_Scale);
        const int sent = boundedSpeed(speed, speedRangeTop(c, Config::CPT_Collect_Speed));
        if (m_device->wCollectMotor(sent, truncated(scale * length))) {
            m_rewindRetry.succeeded();
        } else {
            m_rewindRetry.failed();
            qCritical().noquote() << "pollworkerCollect::doCollect" << "wCollectMotor failed" << scale * length;
            m_device->rCollectMotor();
            if (idleState(m_device->collectMotorState()))
                qCritical().noquote() << "pollworkerCollect::doCollect" << "rCollectMotor is stop";
        }
        if (detection) {
            vision()->setShowLostLabelView(false);
            m_captureArmed.store(true);
        }
        m_lastRewindLength = length;
        m_rewindIdle = false;
        m_rewinding = true;
    } else {
        if (!m_rewinding && m_lastRewind.isValid() && m_lastRewind.elapsed() <= kRewindResendMs) {
            ++step;
            return;
        }
        if (!m_device->wCollectMotor(0, 0)) {
            // Tried again on a later pass, later each time while it fails.
            m_rewindRetry.failed();
            return;
        }
        m_rewindRetry.succeeded();
        m_rewinding = false;
    }
    m_lastRewind.start();
    ++step;
}
