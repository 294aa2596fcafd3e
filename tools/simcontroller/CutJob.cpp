#include "CutJob.h"

#include "MachineState.h"

#include <QList>

CutJob::CutJob(MachineState &state, int jobMs, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_jobMs(jobMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CutJob::finish);
}

bool CutJob::announce(qint64 total, qint64 package)
{
    if (total <= 0 || package <= 0)
        return false;
    m_total = total;
    m_package = package;
    m_data.clear();
    return true;
}

QString CutJob::receive(const QByteArray &data)
{
    if (!transferOpen())
        return QStringLiteral("cut data without a size announcement, ignored");
    if (m_data.size() + data.size() > m_total)
        return QStringLiteral("cut data beyond the announced %1 bytes, ignored").arg(m_total);
    QString note;
    if (data.size() > m_package)
        note = QStringLiteral("package of %1 bytes above the announced %2").arg(data.size()).arg(m_package);
    m_data += data;
    if (m_data.size() == m_total)
        start();
    return note;
}

bool CutJob::readyForData() const
{
    return m_state.cutMotorStatus == 0 || transferOpen();
}

void CutJob::start()
{
    m_running = m_data;
    m_data.clear();
    m_total = 0;
    m_package = 0;
    m_state.cutMotorStatus = 1;
    m_remainingMs = m_jobMs;
    m_started.start();
    m_timer.start(int(m_remainingMs));
}

void CutJob::pause()
{
    if (m_state.cutMotorStatus != 1)
        return;
    if (m_timer.isActive()) {
        m_remainingMs = qMax<qint64>(0, m_remainingMs - m_started.elapsed());
        m_timer.stop();
    }
    m_state.cutMotorStatus = 2;
}

void CutJob::resume()
{
    if (m_state.cutMotorStatus != 2)
        return;
    m_state.cutMotorStatus = 1;
    // A carriage paused from outside, without a job, runs for one job time too.
    if (m_remainingMs <= 0)
        m_remainingMs = m_jobMs;
    m_started.start();
    m_timer.start(int(m_remainingMs));
}

void CutJob::stop()
{
    m_timer.stop();
    m_running.clear();
    m_data.clear();
    m_total = 0;
    m_package = 0;
    m_remainingMs = 0;
    m_state.cutMotorStatus = 0;
}

void CutJob::finish()
{
    const QPointF move = lastPenPosition(m_running);
    const int mask = m_state.knifeMask > 0 ? m_state.knifeMask : 1;
    for (int k = 0; k < 31; ++k) {
        if (mask & (1 << k))
            m_state.points[k] += move;
    }
    m_running.clear();
    m_remainingMs = 0;
    m_state.cutMotorStatus = 0;
}

QPointF CutJob::lastPenPosition(const QByteArray &hpgl)
{
    QPointF pen;
    const QList<QByteArray> instructions = hpgl.split(';');
    for (const QByteArray &raw : instructions) {
        const QByteArray instruction = raw.trimmed();
        if (!instruction.startsWith("PU") && !instruction.startsWith("PD") && !instruction.startsWith("PA"))
            continue;
        const QList<QByteArray> numbers = instruction.mid(2).split(',');
        if (numbers.size() < 2 || numbers.size() % 2 != 0)
            continue;
        bool okX = false;
        bool okY = false;
        const double x = numbers.at(numbers.size() - 2).toDouble(&okX);
        const double y = numbers.at(numbers.size() - 1).toDouble(&okY);
        if (okX && okY)
            pen = QPointF(x, y);
    }
    return pen;
}
