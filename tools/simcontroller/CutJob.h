#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QTimer>

struct MachineState;

// The cut-data handshake and the job it starts: command 22 opens a transfer
// of a total size, "PPLT" frames fill it, and once all has arrived the
// carriage is busy for a fixed time, after which the selected knives stand
// where the job's last pen position put them. Pause, resume and stop act on
// the running job.
class CutJob : public QObject
{
    Q_OBJECT

public:
    CutJob(MachineState &state, int jobMs, QObject *parent = nullptr);

    bool announce(qint64 total, qint64 package);
    // Takes one package; returns an empty text when it was accepted, else why not.
    QString receive(const QByteArray &data);
    // The answer to command 21: data may be sent unless a job runs and no transfer is open.
    bool readyForData() const;
    bool transferOpen() const { return m_total > 0; }

    void pause();
    void resume();
    void stop();

    // The last pen position of an HPGL text, relative to where the job started.
    static QPointF lastPenPosition(const QByteArray &hpgl);

private:
    void start();
    void finish();

    MachineState &m_state;
    int m_jobMs;
    qint64 m_total = 0;
    qint64 m_package = 0;
    QByteArray m_data;
    QByteArray m_running;
    QTimer m_timer;
    QElapsedTimer m_started;
    qint64 m_remainingMs = 0;
};
