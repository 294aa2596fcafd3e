#include "tools/simcontroller/machine/CommandHandler.h"

#include "tools/simcontroller/machine/CutJob.h"
#include "tools/simcontroller/machine/MachineState.h"

namespace {
const QString kOk = QStringLiteral("0");
const QStringList kRefused{QStringLiteral("1")};
} // namespace

bool argInt(const Command &c, int i, int &value)
{
    bool ok = false;
    const int parsed = c.args.value(i).toInt(&ok);
    if (ok)
        value = parsed;
    return ok;
}

bool argDouble(const Command &c, int i, double &value)
{
    bool ok = false;
    const double parsed = c.args.value(i).toDouble(&ok);
    if (!ok || !qIsFinite(parsed))
        return false;
    value = parsed;
    return true;
}

CommandHandler::CommandHandler(MachineState &state, CutJob &job, bool perModule)
    : m_state(state)
    , m_job(job)
    , m_perModule(perModule)
{
}

std::optional<Command> CommandHandler::parse(const QByteArray &text)
{
    const qsizetype end = text.indexOf(';');
    if (end <= 0)
        return std::nullopt;
    const QStringList parts = QString::fromLatin1(text.left(end)).split(QLatin1Char(','));
    bool ok = false;
    Command command;
    command.id = parts.first().toInt(&ok);
    if (!ok)
        return std::nullopt;
    command.args = parts.mid(1);
    return command;
}

QStringList CommandHandler::handle(const Command &c)
{
    switch (c.id) {
    case 1: return deviceInfo(c);
    case 2: return reset(c);
    case 3: return {kOk, QString::number(m_state.cutMotorStatus)};
    case 4: return knifePoint(c);
    case 5: return knifeUpDown(c);
    case 6: return speed(c);
    case 7: return pressure(c);
    case 8: return camera(c);
    case 9: return scale(c);
    case 10: return cutModel(c);
    case 11: return workArea(c);
    case 12: return taskControl(c);
    case 13: return light(c);
    case 15: return jog(c);
    case 16: return factory(c);
    case 17: return sensors(c);
    case 18: return rollers(c);
    case 19: return knifeSelect(c);
    case 20: return motor(c);
    case 21: return {kOk, m_job.readyForData() && !m_state.dataBusy ? QStringLiteral("0") : QStringLiteral("1")};
    case 22: return cutDataSize(c);
    default: return kRefused;
    }
}

QStringList CommandHandler::deviceInfo(const Command &c)
{
    auto versions = [this](int module) {
        return QStringList{m_state.pcbVers.value(module), m_state.firmwares.value(module)};
    };
    if (!m_perModule)
        return QStringList{kOk, m_state.devType, m_state.devId, m_state.pcbId} + versions(0);
    // A per-module controller only answers the query that names a module.
    int module = 0;
    if (c.args.size() != 6 || !argInt(c, 1, module) || !m_state.firmwares.contains(module))
        return kRefused;
    return QStringList{kOk, c.args.at(0), QString::number(module), m_state.devType, m_state.devId, m_state.pcbId}
        + versions(module);
}

QStringList CommandHandler::reset(const Command &c)
{
    // "2,group,axis;" acts and answers group and axis; "2,rw,group,axis;"
    // acts when rw is 1 and answers with the reset value.
    const bool shortForm = c.args.size() == 2;
    int rw = 1;
    int group = 0;
    int axis = 0;
    const int at = shortForm ? 0 : 1;
    if ((!shortForm && (c.args.size() != 3 || !argInt(c, 0, rw))) || !argInt(c, at, group) || !argInt(c, at + 1, axis))
        return kRefused;
    int *value = nullptr;
    if (group == 0 && axis == 4)
        value = &m_state.rectifyReset;
    else if (group == 3 && axis == 1)
        value = &m_state.trimYReset;
    else if (!(group == 0 && axis == 5))
        return kRefused;

    if (rw == 1) {
        if (value)
            *value = 3;
        else
            for (QPointF &p : m_state.points)
                p.setX(0);
    }
    if (shortForm)
        return {kOk, QString::number(group), QString::number(axis)};
    return {kOk, QString::number(rw), QString::number(group), QString::number(axis),
            QString::number(value ? *value : 0)};
}

QStringList CommandHandler::knifePoint(const Command &c)
{
    // "4,rw,knife,..." names the knife; the short forms mean knife 0.
    int rw = 0;
    if (!argInt(c, 0, rw) || (rw != 0 && rw != 1))
        return kRefused;
    const bool withKnife = c.args.size() == 4;
    if (!withKnife && c.args.size() != 3)
        return kRefused;
    int knife = 0;
    if (withKnife && (!argInt(c, 1, knife) || knife < 0))
        return kRefused;
    if (rw == 1) {
        double x = 0;
        double y = 0;
        const int at = withKnife ? 2 : 1;
        if (!argDouble(c, at, x) || !argDouble(c, at + 1, y))
            return kRefused;
        m_state.points[knife] = QPointF(x, y);
    }
    const QPointF p = m_state.points.value(knife);
    QStringList fields{kOk, QString::number(rw)};
    if (withKnife)
        fields << QString::number(knife);
    return fields << general(p.x()) << general(p.y());
}

QStringList CommandHandler::knifeUpDown(const Command &c)
{
    int knife = 0;
    int down = 0;
    if (!argInt(c, 0, knife) || !argInt(c, 1, down))
        return kRefused;
    m_state.knifeDown[knife] = down != 0;
    return {kOk, QString::number(knife), QString::number(down)};
}

QStringList CommandHandler::speed(const Command &c)
{
    int rw = 0;
    if (!argInt(c, 0, rw))
        return kRefused;
    if (rw == 1) {
        double value = 0;
        if (!argDouble(c, 2, value))
            return kRefused;
        m_state.speed = qRound(value);
    }
    return {kOk, QString::number(rw), QStringLiteral("0"), QString::number(m_state.speed)};
}

QStringList CommandHandler::pressure(const Command &c)
{
    int rw = 0;
    int knife = 0;
    if (!argInt(c, 0, rw) || !argInt(c, 1, knife))
        return kRefused;
    if (rw == 1) {
        double value = 0;
        if (!argDouble(c, 2, value))
            return kRefused;
        m_state.pressures[knife] = value;
    }
    return {kOk, QString::number(rw), QString::number(knife), general(m_state.pressure(knife))};
}

QStringList CommandHandler::camera(const Command &c)
{
    // Target 0 is the check camera's centre, n >= 1 the mark camera of knife n.
    int rw = 0;
    int target = 0;
    if (!argInt(c, 0, rw) || !argInt(c, 1, target) || target < 0)
        return kRefused;
    if (rw == 1) {
        double x = 0;
        double y = 0;
        if (!argDouble(c, 2, x) || (target > 0 && !argDouble(c, 3, y)))
            return kRefused;
        if (target == 0)
            m_state.checkCenterX = x;
        else
            m_state.markOffsets[target] = QPointF(x, y);
    }
    const QString rwText = QString::number(rw);
    const QString targetText = QString::number(target);
    if (target == 0)
        return {kOk, rwText, targetText, fixed(m_state.checkCenterX, 2), QStringLiteral("0")};
    const QPointF offset = m_state.markOffset(target);
    return {kOk, rwText, targetText, fixed(offset.x(), 2), fixed(offset.y(), 2)};
}

QStringList CommandHandler::scale(const Command &c)
{
    int rw = 0;
    if (!argInt(c, 0, rw))
        return kRefused;
    if (rw == 1) {
        double x = 0;
        double y = 0;
        if (!argDouble(c, 1, x) || !argDouble(c, 2, y))
            return kRefused;
        m_state.scaleX = x;
        m_state.scaleY = y;
    }
    return {kOk, QString::number(rw), fixed(m_state.scaleX, 4), fixed(m_state.scaleY, 4)};
}

QStringList CommandHandler::cutModel(const Command &c)
{
    int rw = 0;
    if (!argInt(c, 0, rw) || (rw == 1 && !argInt(c, 1, m_state.cutModel)))
        return kRefused;
    return {kOk, QString::number(rw), QString::number(m_state.cutModel)};
}

QStringList CommandHandler::workArea(const Command &c)
{
    int rw = 0;
    if (!argInt(c, 0, rw))
        return kRefused;
    if (rw == 1) {
        int w = 0;
        int h = 0;
        if (!argInt(c, 1, w) || !argInt(c, 2, h))
            return kRefused;
        m_state.workWidth = w;
        m_state.workHeight = h;
    }
    return {kOk, QString::number(rw), QString::number(m_state.workWidth), QString::number(m_state.workHeight)};
}
