#include "tools/simcontroller/machine/CutJob.h"

#include "tools/simcontroller/machine/MachineState.h"
#include "tools/simcontroller/machine/PenTrace.h"
#include "tools/simcontroller/Transcript.h"

CutJob::CutJob(MachineState &state, Transcript &transcript, int jobMs, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_transcript(transcript)
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
    m_hasJob = true;
    m_mask = m_state.knifeMask > 0 ? m_state.knifeMask : 1;
    m_webStart = m_state.webPosition;
    m_knifeStart.clear();
    for (int k = 0; k < 31; ++k) {
        if (m_mask & (1 << k))
            m_knifeStart[k] = m_state.points.value(k).y();
    }
    m_transcript.note("JOB", QStringLiteral("START %1 bytes knives %2 web %3")
                                 .arg(m_running.size())
                                 .arg(m_mask)
                                 .arg(coordinate(m_webStart)));
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
    if (m_hasJob || transferOpen())
        m_transcript.note("JOB", QStringLiteral("STOP web %1").arg(coordinate(m_state.webPosition)));
    m_timer.stop();
    m_running.clear();
    m_hasJob = false;
    m_data.clear();
    m_total = 0;
    m_package = 0;
    m_remainingMs = 0;
    m_state.cutMotorStatus = 0;
}

void CutJob::finish()
{
    if (m_hasJob) {
        // The segments only matter to a reader of the transcript.
        const PenTrace trace = PenTrace::of(m_running, m_transcript.isOpen());
        QByteArray lines;
        for (const QLineF &cut : trace.cuts) {
            for (auto k = m_knifeStart.cbegin(); k != m_knifeStart.cend(); ++k) {
                lines += QStringLiteral("CUT %1 %2,%3 %4,%5\n")
                             .arg(k.key())
                             .arg(coordinate(m_webStart + cut.x1()), coordinate(k.value() + cut.y1()),
                                  coordinate(m_webStart + cut.x2()), coordinate(k.value() + cut.y2()))
                             .toLatin1();
            }
        }
        m_transcript.writeRaw(lines);
        // The web moves under every knife; the carriage moves the selected ones.
        m_state.webPosition = m_webStart + trace.end.x();
        for (auto k = m_knifeStart.cbegin(); k != m_knifeStart.cend(); ++k)
            m_state.points[k.key()]; // a knife first named by this job starts at (0, 0)
        for (auto p = m_state.points.begin(); p != m_state.points.end(); ++p)
            p->rx() += trace.end.x();
        for (auto k = m_knifeStart.cbegin(); k != m_knifeStart.cend(); ++k)
            m_state.points[k.key()].setY(k.value() + trace.end.y());
        m_transcript.note("JOB", QStringLiteral("END web %1").arg(coordinate(m_state.webPosition)));
    }
    m_running.clear();
    m_hasJob = false;
    m_remainingMs = 0;
    m_state.cutMotorStatus = 0;
}
