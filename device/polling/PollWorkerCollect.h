#pragma once

#include "device/polling/PollSupport.h"
#include "device/task/TaskInterface.h"

#include <QElapsedTimer>
#include <atomic>

class TaskHost;
class VisionHost;

// Runs the end of the line on the collect thread: the rewind motor (on from
// the rewind roller, or one label at a time with a label capture after each
// move while camera inspection is on), the web guide (from the edge sensors
// 6 and 7, or from the paper offset of the last label image) and the trim
// motors X and Y, which follow what was rewound. The list loops for as long
// as polling is on.
//
// Steps: PollWorkerCollect.cpp (motor states, capture, trim), ...Rewind.cpp,
// ...Guide.cpp.
class pollworkerCollect : public taskInterface
{
    Q_OBJECT

public:
    explicit pollworkerCollect(Varnok120X *device, QObject *parent = nullptr);
    ~pollworkerCollect() override;

    void doReadMotors(int &step);
    void doLabelCapture(int &step);
    void doTrimY(int &step);
    void doCollect(int &step);
    void doRectification(int &step);
    void doTrimX(int &step);

    // Motor states are read at most this often.
    static constexpr int kMotorReadMs = 1000;
    // Without inspection, a rewind is sent again at most this often.
    static constexpr int kRewindResendMs = 1000;
    // How long a trim-Y reset may take before the wait for it is given up.
    static constexpr int kTrimYResetWaitMs = 30000;
    // The last roller reading older than this (or the poll interval thrice)
    // moves nothing.
    static constexpr int kStaleRollerMs = 2000;

protected:
    bool deviceReady() const override;

private:
    Config *config() const;
    TaskHost *host() const;
    VisionHost *vision() const;
    // Reads the states of the motors that are not idle, once per interval
    // (sooner after a command), and takes the idle flags from them.
    void refreshMotors();
    bool rollerReadingFresh();
    void guideFromPaperOffset(int &step);
    void guideFromSensors(int &step);
    // Waits, on the step itself, for the trim-Y reset that must come before
    // a trim-Y move; advances only when the wait is given up.
    void waitForTrimYReset(int &step);

    // Only the collect thread touches these, but for the capture request.
    QElapsedTimer m_motorRead;    // invalid: read at the next pass
    int m_motorReadMs = kMotorReadMs;
    PollSupport::RetryBackoff m_motorReadRetry{kMotorReadMs, 8000};
    QElapsedTimer m_guideTimer;   // when the present edge-sensor condition began; invalid: none
    float m_paperOffset = 0.0f;   // inspection: the offset at the last capture; else the last guide move
    std::atomic<bool> m_captureArmed{true};
    bool m_shortLength = false;
    double m_lastRewindLength = 0.0;
    QElapsedTimer m_lastRewind;   // end of the last rewind pass; invalid: long ago
    bool m_rewinding = false;
    bool m_trimXIdle = false;
    bool m_trimYIdle = false;
    bool m_rewindIdle = false;
    bool m_guideIdle = false;
    QElapsedTimer m_trimYResetWait;
    PollSupport::RetryBackoff m_rewindRetry{1000, 8000};
    PollSupport::RetryBackoff m_trimYRetry{300, 8000};
    PollSupport::RetryBackoff m_trimXRetry{300, 8000};
    PollSupport::RetryBackoff m_sensorRetry{500, 8000};
    bool m_staleLogged = false;
    bool m_guideErrorLogged = false;
};
