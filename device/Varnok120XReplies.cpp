// Reply decoding: each frame from the controller updates the machine state,
// may be re-keyed to the event a sender waits for, and wakes that sender.
// A reply whose fields do not fit its id changes nothing and fails the wait.
#include "configuration/Config.h"
#include "device/Varnok120X.h"
#include "device/state/MachineAlarms.h"

#include <QDebug>
#include <algorithm>
#include <cmath>

struct Varnok120X::ReplyResult
{
    int id;
    bool ok;
    int taskStatus; // what a pause, resume or stop reply tells the application; -1 nothing
};

namespace {

// Integers may come with decimals ("85.5" for a pressure): those are
// truncated; anything that is no finite number in the int range is refused.
bool number(const QString &text, int *out)
{
    bool ok = false;
    *out = text.trimmed().toInt(&ok);
    if (ok)
        return true;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < -2147483648.0 || d > 2147483647.0)
        return false;
    *out = int(d);
    return true;
}

bool number(const QString &text, double *out)
{
    bool ok = false;
    *out = text.trimmed().toDouble(&ok);
    return ok;
}

QByteArray logFrame(const QByteArray &frame)
{
    constexpr int kMax = 200;
    return frame.size() <= kMax ? frame : frame.left(kMax) + "...";
}

} // namespace

void Varnok120X::decode(const QByteArray &frame)
{
    if (frame.isEmpty())
        return;
    const std::optional<FrameCodec::CommandReply> reply = FrameCodec::parseCommandReply(frame);
    if (!reply) {
        if (const std::optional<double> progress = FrameCodec::parseUpgradeProgress(frame))
            noteUpgradeProgress(*progress);
        else
            qWarning().noquote() << "Varnok120X::decode" << "dropped frame" << logFrame(frame);
        return;
    }
    const ReplyResult result = handleReply(*reply, frame);
    const bool ok = result.ok && reply->ok.value_or(false);
    // Resume and stop reach the application before their sender wakes. A
    // pause is the sender's to pass on (only the operator's pauses the
    // application's task, not the limit check's); one that nobody sent
    // comes from the machine itself.
    if (result.taskStatus > 0)
        host()->setTaskStatus(result.taskStatus);
    const ControllerLink::Delivery delivery = m_link.deliver(result.id, ok, reply->fields);
    if (result.taskStatus == 0 && !delivery.matched)
        host()->setTaskStatus(0);
    if (delivery.late)
        qInfo().noquote() << "Varnok120X::decode" << "recv:" << logFrame(frame);
    if (result.id == FrameCodec::kAlarmId)
        return;
    if (!ok) {
        qWarning().noquote() << "Varnok120X::decode" << logFrame(delivery.sent) << logFrame(frame);
        return;
    }
    static const int kLogged[] = {1, 2, 6, 8, 19, 100, 101, 102, 105, 106};
    if (result.id >= 10000 || std::find(std::begin(kLogged), std::end(kLogged), result.id) != std::end(kLogged))
        qInfo().noquote() << "Varnok120X::decode" << logFrame(delivery.sent) << logFrame(frame);
}

Varnok120X::ReplyResult Varnok120X::handleReply(const FrameCodec::CommandReply &reply, const QByteArray &frame)
{
    const QStringList &f = reply.fields;
    const int n = int(f.size());
    const bool statusOk = reply.ok.value_or(false);
    int id = reply.id;
    bool ok = true;
    int v = 0;
    int taskStatus = -1;
    switch (reply.id) {
    case 1:
        ok = statusOk && handleDeviceInfo(f);
        break;
    case 2:
        ok = statusOk && handleReset(f, &id);
        break;
    case 3:
        ok = statusOk && n == 2 && number(f[1], &v) && v >= 0;
        if (ok)
            setCutMotorStatus(v);
        break;
    case 4:
        ok = handlePosition(f, &id);
        break;
    case 6:
        ok = statusOk && n == 4 && number(f[3], &v);
        if (ok)
            setSpeed(v);
        break;
    case 7:
        // A refused write's reply names the pressure that was not taken.
        ok = statusOk && handlePressure(f);
        break;
    case 8:
        ok = statusOk && handleCameraPoint(f);
        break;
    case 10:
        ok = statusOk && n == 3 && number(f[2], &v);
        if (ok)
            setCutModel(v);
        break;
    case 11: {
        double w = 0, h = 0;
        ok = statusOk && n == 4 && number(f[2], &w) && number(f[3], &h);
        if (ok)
            m_state.workArea.set(QSizeF(w, h));
        break;
    }
    case 12:
        ok = handleTaskControl(f, &id, &taskStatus);
        break;
    case 16:
        ok = n == 2;
        if (ok && f[1].trimmed() == QLatin1String("1"))
            rerunInitialReads();
        break;
    case 17:
        ok = n >= 8;
        for (int i = 1; ok && i <= 7; ++i)
            ok = number(f[i], &v);
        if (ok) {
            bool values[7];
            for (int i = 0; i < 7; ++i)
                values[i] = f[i + 1].trimmed().toInt() != 0;
            setSensor1(values[0]);
            setSensor2(values[1]);
            setSensor3(values[2]);
            setSensor4(values[3]);
            setSensor5(values[4]);
            setSensor6(values[5]);
            setSensor7(values[6]);
        }
        break;
    case 18:
        ok = handleRollers(f);
        break;
    case 19:
        qInfo().noquote() << "Varnok120X::decode" << "用刀" << (n > 1 ? f[1] : QString());
        ok = n == 2;
        if (ok && statusOk && number(f[1], &v))
            m_state.currentKnife.set(v);
        break;
    case 20:
        ok = handleMotor(f, &id);
        break;
    case 21:
        ok = statusOk && n == 2 && number(f[1], &v) && v == 0;
        break;
    case 23:
        qCritical().noquote() << "Varnok120X::decode" << logFrame(frame);
        handleAlarm(f);
        break;
    default:
        break;
    }
    return {id, ok, taskStatus};
}

bool Varnok120X::handleDeviceInfo(const QStringList &f)
{
    if (f.size() == 6) {
        setDevType(f[1]);
        setDevId(f[2]);
        setPcbId(f[3]);
        setPcbVer(f[4]);
        setFirmware(f[5]);
        return true;
    }
    int module = 0;
    if (f.size() != 8 || !number(f[2], &module))
        return false;
    switch (module) {
    case Config::MT_Control:
        setDevType(f[3]);
        setDevId(f[4]);
        setPcbId(f[5]);
        setPcbVer(f[6]);
        setFirmware(f[7]);
        break;
    case Config::MT_Driver:
        setPcbVerDriver(f[6]);
        setFirmwareDriver(f[7]);
        break;
    case Config::MT_Sensor:
        setPcbVerSensor(f[6]);
        setFirmwareSensor(f[7]);
        break;
    case Config::MT_Trim:
        setPcbVerTrim(f[6]);
        setFirmwareTrim(f[7]);
        break;
    default:
        break;
    }
    return true;
}

bool Varnok120X::handleReset(const QStringList &f, int *id)
{
    if (f.size() != 3 && f.size() != 5)
        return false;
    const bool full = f.size() == 5;
    const QString group = f[full ? 2 : 1].trimmed();
    const QString axis = f[full ? 3 : 2].trimmed();
    const QString value = full ? f[4].trimmed() : QString();
    const bool event = !full || f[1].trimmed() == QLatin1String("1");
    if (group == QLatin1String("0") && axis == QLatin1String("4")) {
        if (full)
            m_config->setRectifyReset(value == QLatin1String("3"));
        if (event)
            *id = 10001;
    } else if (group == QLatin1String("3") && axis == QLatin1String("1")) {
        if (full) {
            int v = 0;
            if (!number(value, &v))
                return false;
            m_state.trimYResetValue.set(v);
            m_config->setTrimReset(value == QLatin1String("3"));
        }
        if (event)
            *id = 10002;
    }
    return true;
}

bool Varnok120X::handlePosition(const QStringList &f, int *id)
{
    const int n = int(f.size());
    if (n != 4 && n != 5)
        return false;
    const QString kind = f[1].trimmed();
    if (kind == QLatin1String("1")) {
        *id = 10000;
        return true;
    }
    if (kind != QLatin1String("0"))
        return true;
    int knife = 0;
    double x = 0, y = 0;
    if ((n == 5 && !number(f[2], &knife)) || !number(f[n - 2], &x) || !number(f[n - 1], &y))
        return false;
    m_state.setDevicePoint(knife, QPointF(x, y));
    return true;
}

bool Varnok120X::handlePressure(const QStringList &f)
{
    int knife = 0, value = 0;
    if (f.size() != 4 || !number(f[2], &knife) || !number(f[3], &value))
        return false;
    if (knife < 0 || knife >= m_config->knifeNum())
        return true;
    if (m_state.setPressure(knife, value))
        emit pressureChanged();
    return true;
}

bool Varnok120X::handleCameraPoint(const QStringList &f)
{
    if (f.size() != 5)
        return false;
    if (f[1].trimmed() != QLatin1String("0"))
        return true;
    int which = 0;
    double x = 0, y = 0;
    if (!number(f[2], &which) || !number(f[3], &x) || !number(f[4], &y))
        return false;
    if (which == 0) {
        m_config->setCheckCameraCenterX(x);
    } else if (which >= 1 && which <= m_config->knifeNum()) {
        m_config->setMarkCameraOffsetX(which - 1, x);
        m_config->setMarkCameraOffsetY(which - 1, y);
    }
    return true;
}

bool Varnok120X::handleTaskControl(const QStringList &f, int *id, int *taskStatus)
{
    if (f.size() != 2)
        return false;
    int s = -1;
    if (!number(f[1], &s))
        return false;
    int status = 2;
    switch (s) {
    case 0: status = 0; *id = 101; break;
    case 1: status = 1; *id = 102; break;
    case 2: status = 2; *id = 100; break;
    default: break;
    }
    *taskStatus = status;
    return true;
}

bool Varnok120X::handleRollers(const QStringList &f)
{
    int gyro = 0;
    double print = 0, film = 0, collect = 0;
    if (f.size() != 9 || !number(f[3], &gyro) || !number(f[6], &print) || !number(f[7], &film)
        || !number(f[8], &collect))
        return false;
    // "inf" and "nan" read as numbers, but no roller stands there: the
    // pollers would scale motor speeds from them.
    if (!std::isfinite(print) || !std::isfinite(film) || !std::isfinite(collect))
        return false;
    m_state.noteRollerReading();
    setGyroscope(gyro * 0.01);
    setPrintRoller(print);
    setFilmRoller(film);
    setCollectRoller(collect);
    return true;
}

bool Varnok120X::handleMotor(const QStringList &f, int *id)
{
    int mode = 0, motor = 0, sub = 0, state = 0;
    double value = 0, length = 0;
    if (f.size() != 7 || !number(f[1], &mode) || !number(f[2], &motor) || !number(f[3], &sub)
        || !number(f[4], &value) || !number(f[5], &length) || !number(f[6], &state))
        return false;
    const bool written = mode == 1, read = mode == 0;
    switch (motor) {
    case 1:
        if (written)
            m_config->setFilmSpeedRealTime(int(value));
        break;
    case 2:
        if (read)
            m_state.rectifyLength.set(float(length));
        m_state.rectifyMotorState.set(state);
        break;
    case 3:
        m_state.collectMotorState.set(state);
        if (state == 3 && (written || read))
            m_config->setCollectSpeedRealTime(int(value));
        break;
    case 4:
        (sub == 0 ? m_state.trimXMotorState : m_state.trimYMotorState).set(state);
        break;
    default:
        break;
    }
    if ((written || read) && motor >= 2 && motor <= 4) {
        static const int kWritten[] = {103, 105, 107};
        const int base = kWritten[motor - 2] + (motor == 4 && sub != 0 ? 2 : 0);
        *id = written ? base : base + 1;
    }
    return true;
}

void Varnok120X::handleAlarm(const QStringList &f)
{
    QString text = f.join(QLatin1Char(','));
    int code = 0;
    if (f.size() > 2)
        number(f[2], &code);
    text.prepend(MachineAlarms::alarmCodeText(code));
    if (m_state.alarmText.set(text))
        emit alarmTextChanged();
    changeDeviceState(MachineAlarms::AlarmReport, MachineAlarms::AlarmReport);
}
