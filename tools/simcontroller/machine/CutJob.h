#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QTimer>

struct MachineState;
class Transcript;

// The cut-data handshake and the job it starts: command 22 opens a transfer
// of a total size, "PPLT" frames fill it, and once all has arrived the
// carriage is busy for a fixed time. The job runs relative to where the web
// and the selected knives (command 19) stand when it starts; when it ends,
// the web has advanced by the job's last pen x and the selected knives by its
// last pen y, and the pen-down segments are in the transcript as what was
// cut, in machine coordinates. Pause, resume and stop act on the running
// job; a stopped job cuts and moves nothing.
class CutJob : public QObject
{
    Q_OBJECT

public:
    CutJob(MachineState &state, Transcript &transcript, int jobMs, QObject *parent = nullptr);

    bool announce(qint64 total, qint64 package);
    // Takes one package; returns an empty text when it was accepted, else why not.
    QString receive(const QByteArray &data);
    // The answer to command 21: data may be sent unless a job runs and no transfer is open.
    bool readyForData() const;
    bool transferOpen() const { return m_total > 0; }

    void pause();
    void resume();
    void stop();

private:
    void start();
    void finish();

    MachineState &m_state;
    Transcript &m_transcript;
    int m_jobMs;
    qint64 m_total = 0;
    qint64 m_package = 0;
    QByteArray m_data;
    // The running job: its data, knives, and where the web and its knives stood.
    QByteArray m_running;
    bool m_hasJob = false;
    int m_mask = 1;
    double m_webStart = 0;
    QMap<int, double> m_knifeStart;
    QTimer m_timer;
    QElapsedTimer m_started;
    qint64 m_remainingMs = 0;
};
