#include "tools/simcontroller/machine/StateScript.h"

#include "tools/simcontroller/machine/MachineState.h"
#include "tools/simcontroller/Transcript.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTimer>

#include <cmath>
#include <memory>

namespace {

// A ramp moves in steps this far apart.
constexpr int kRampTickMs = 50;

bool count(const QString &text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= 0;
}

} // namespace

StateScript::StateScript(MachineState &state, Transcript &transcript, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_transcript(transcript)
{
}

bool StateScript::addLine(const QString &line, QString &error)
{
    const QString text = line.section(QLatin1Char('#'), 0, 0).trimmed();
    const QStringList tokens = text.split(QRegularExpression(QStringLiteral("\\s+")));
    Step step;
    if (tokens.size() < 3 || tokens.first() != QLatin1String("at") || !count(tokens.at(1), step.atMs)) {
        error = QStringLiteral("expected 'at <ms> set|ramp ...': %1").arg(text);
        return false;
    }
    step.ramp = tokens.at(2) == QLatin1String("ramp");
    if (!step.ramp) {
        if (tokens.size() != 5) {
            error = QStringLiteral("expected 'at <ms> set <key> <value>': %1").arg(text);
            return false;
        }
        step.key = tokens.at(3);
        step.value = tokens.at(4);
        // Tried on a copy: a bad key or value is refused now, not when it is due.
        MachineState trial = m_state;
        if (!trial.set(step.key, step.value, error))
            return false;
    } else {
        bool ok = tokens.size() == 6;
        double ignored = 0;
        if (ok) {
            step.key = tokens.at(3);
            step.to = tokens.at(4).toDouble(&ok);
            ok = ok && std::isfinite(step.to) && count(tokens.at(5), step.durationMs);
        }
        if (!ok || !m_state.number(step.key, ignored)) {
            error = QStringLiteral("expected 'at <ms> ramp <numeric key> <to> <ms>': %1").arg(text);
            return false;
        }
    }
    m_pending.append(step);
    return true;
}

void StateScript::start()
{
    const QList<Step> steps = m_pending;
    m_pending.clear();
    for (const Step &step : steps)
        QTimer::singleShot(step.atMs, this, [this, step] { run(step); });
}

bool StateScript::apply(const QString &key, const QString &value, QString &error)
{
    if (!m_state.set(key, value, error))
        return false;
    m_transcript.note("STATE", key + QLatin1Char(' ') + value);
    return true;
}

void StateScript::run(const Step &step)
{
    if (step.ramp) {
        ramp(step);
        return;
    }
    QString error;
    apply(step.key, step.value, error);
}

void StateScript::ramp(const Step &step)
{
    double from = 0;
    m_state.number(step.key, from);
    if (step.durationMs == 0) {
        m_state.setNumber(step.key, step.to);
        noteNumber(step.key);
        return;
    }
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto *timer = new QTimer(this);
    timer->setInterval(kRampTickMs);
    connect(timer, &QTimer::timeout, this, [this, timer, clock, step, from] {
        const double share = qMin(1.0, double(clock->elapsed()) / step.durationMs);
        m_state.setNumber(step.key, share >= 1.0 ? step.to : from + (step.to - from) * share);
        noteNumber(step.key);
        if (share >= 1.0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void StateScript::noteNumber(const QString &key)
{
    double value = 0;
    m_state.number(key, value);
    m_transcript.note("STATE", key + QLatin1Char(' ') + QString::number(value, 'g', 10));
}
