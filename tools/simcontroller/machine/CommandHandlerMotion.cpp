// Task control, lights, jogs, sensors, rollers, knife selection, motors and
// the cut-data size announcement.
#include "tools/simcontroller/machine/CommandHandler.h"

#include "tools/simcontroller/machine/CutJob.h"
#include "tools/simcontroller/machine/MachineState.h"

namespace {
const QString kOk = QStringLiteral("0");
const QStringList kRefused{QStringLiteral("1")};

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

QStringList CommandHandler::taskControl(const Command &c)
{
    // 0 pause, 1 resume, 2 stop; the reply names the state reached.
    int action = 0;
    if (!argInt(c, 0, action))
        return kRefused;
    switch (action) {
    case 0: m_job.pause(); break;
    case 1: m_job.resume(); break;
    case 2: m_job.stop(); break;
    default: return kRefused;
    }
    return {kOk, QString::number(action)};
}

QStringList CommandHandler::light(const Command &c)
{
    // "13,rw,channel,value,g,b;": channels 0 mark, 1 check background,
    // 2 check strip, 3 the coloured strip (red, green, blue).
    int rw = 0;
    int channel = 0;
    if (c.args.size() != 5 || !argInt(c, 0, rw) || !argInt(c, 1, channel) || channel < 0 || channel > 3)
        return kRefused;
    if (rw == 1) {
        int values[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            if (!argInt(c, 2 + i, values[i]))
                return kRefused;
        }
        if (channel == 3)
            std::copy(values, values + 3, m_state.rgb);
        else
            m_state.lights[channel] = values[0];
    }
    QStringList fields{kOk, QString::number(rw), QString::number(channel)};
    if (channel == 3)
        return fields << QString::number(m_state.rgb[0]) << QString::number(m_state.rgb[1])
                      << QString::number(m_state.rgb[2]);
    return fields << QString::number(m_state.lights[channel]) << QStringLiteral("0") << QStringLiteral("0");
}

QStringList CommandHandler::jog(const Command &c)
{
    // "15,x,y;" or the four-field form "15,0,x,y;".
    const int at = c.args.size() == 3 ? 1 : 0;
    int x = 0;
    int y = 0;
    if ((c.args.size() != 2 && c.args.size() != 3) || !argInt(c, at, x) || !argInt(c, at + 1, y))
        return kRefused;
    m_state.jogX = x;
    m_state.jogY = y;
    return QStringList{kOk} + c.args;
}

QStringList CommandHandler::factory(const Command &c)
{
    // "16,1;" restores the factory settings, "16,0;" stores the current ones.
    int restore = 0;
    if (!argInt(c, 0, restore))
        return kRefused;
    if (restore == 1) {
        m_job.stop();
        m_state.resetToDefaults();
    }
    return {kOk, flag(restore == 1)};
}

QStringList CommandHandler::sensors(const Command &)
{
    QStringList fields{kOk};
    for (bool on : m_state.sensors)
        fields << flag(on);
    return fields;
}

QStringList CommandHandler::rollers(const Command &)
{
    return {kOk,
            QStringLiteral("0"),
            QStringLiteral("0"),
            QString::number(m_state.gyroscopeRaw),
            QStringLiteral("0"),
            QStringLiteral("0"),
            fixed(m_state.printRoller, 2),
            fixed(m_state.filmRoller, 2),
            fixed(m_state.collectRoller, 2)};
}

QStringList CommandHandler::knifeSelect(const Command &c)
{
    int mask = 0;
    if (!argInt(c, 0, mask) || mask < 1)
        return kRefused;
    m_state.knifeMask = mask;
    return {kOk, QString::number(mask)};
}

QStringList CommandHandler::motor(const Command &c)
{
    // "20,rw,motor,sub,speed,length;": 0 feed, 1 film, 2 web guide, 3 rewind, 4 trim (sub 0 X, 1 Y).
    int rw = 0;
    int motor = 0;
    int sub = 0;
    if (c.args.size() != 5 || !argInt(c, 0, rw) || !argInt(c, 1, motor) || !argInt(c, 2, sub) || motor < 0
        || motor > 4 || sub < 0 || sub > 1)
        return kRefused;
    MotorState &state = m_state.motors[motor * 10 + sub];
    state.settle();
    if (rw == 1) {
        double speed = 0;
        double length = 0;
        if (!argDouble(c, 3, speed) || !argDouble(c, 4, length))
            return kRefused;
        state.speed = speed;
        state.length = length;
        state.moving.invalidate();
        state.state = speed > 0 ? 3 : 0;
        // With timed moves, a write with a speed and a length is a move that
        // ends by itself; a speed alone keeps the motor turning.
        if (speed > 0 && length != 0 && m_state.moveMs > 0) {
            state.state = 1;
            state.moveMs = m_state.moveMs;
            state.moving.start();
        }
    }
    return {kOk,
            QString::number(rw),
            QString::number(motor),
            QString::number(sub),
            general(state.speed),
            general(state.length),
            QString::number(state.state)};
}

QStringList CommandHandler::cutDataSize(const Command &c)
{
    bool okTotal = false;
    bool okPackage = false;
    const qint64 total = c.args.value(0).toLongLong(&okTotal);
    const qint64 package = c.args.value(1).toLongLong(&okPackage);
    if (!okTotal || !okPackage || !m_job.announce(total, package))
        return kRefused;
    return {kOk, QString::number(total), QString::number(package)};
}
