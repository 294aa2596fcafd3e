#pragma once

#include <QList>
#include <QObject>
#include <QString>

struct MachineState;
class Transcript;

// Changes of the machine state over time, so that a test can drive what the
// controller reports (rollers, dancer, sensors...) without a line of its own
// at each moment:
//   at <ms> set <key> <value>          the value at that time
//   at <ms> ramp <key> <to> <ms>       a numeric key moves evenly to <to>
// Times count from the first link, or from the moment the line arrives on
// stdin once a client has linked. Every change is written to the transcript
// as "STATE <key> <value>".
class StateScript : public QObject
{
    Q_OBJECT

public:
    StateScript(MachineState &state, Transcript &transcript, QObject *parent = nullptr);

    bool addLine(const QString &line, QString &error);
    // Starts the steps not yet started, counting from now.
    void start();
    // One change now, written to the transcript.
    bool apply(const QString &key, const QString &value, QString &error);

private:
    struct Step
    {
        int atMs = 0;
        bool ramp = false;
        QString key;
        QString value; // set: the value as given
        double to = 0; // ramp: the end value
        int durationMs = 0;
    };

    void run(const Step &step);
    void ramp(const Step &step);
    void noteNumber(const QString &key);

    MachineState &m_state;
    Transcript &m_transcript;
    QList<Step> m_pending;
};
