#pragma once

#include "device/polling/PollSupport.h"
#include "device/task/TaskInterface.h"

#include <QElapsedTimer>

// Keeps the web under tension. On the poll thread it reads the print, film
// (laminating) and rewind rollers and the dancer, turns them into the limit
// bits 1 to 64 of the driver's deviceState, lets the film motor follow the
// film roller and the feed motor follow the dancer, and stops the X jog, the
// rewind or the cut at a limit. The list loops for as long as polling is on.
class PollWorker : public taskInterface
{
    Q_OBJECT

public:
    explicit PollWorker(Varnok120X *device, QObject *parent = nullptr);
    ~PollWorker() override;

    void doReadState(int &step);
    void doFilmMotor(int &step);
    void doFeedMotor(int &step);
    void doCheckLimit(int &step);

    // How often a film speed that did not change is sent again.
    static constexpr int kFilmResendMs = 2000;
    // How often a limit reaction (rewind stop, pause) is repeated while the limit lasts.
    static constexpr int kLimitRepeatMs = 1000;

protected:
    bool deviceReady() const override;

private:
    Config *config() const;
    // Clears the print-roller bits once that roller is no longer watched.
    void onPrintRollerSwitched();

    // Only the poll thread touches these.
    int m_lastFeedSpeed = 0;
    int m_lastFilmSpeed = 0;
    int m_lastDancer = 0;
    QElapsedTimer m_lastFilmWrite; // invalid: never written
    PollSupport::RetryBackoff m_readRetry{500, 4000};
    PollSupport::Repeat m_rewindStop{kLimitRepeatMs};
    PollSupport::Repeat m_pause{kLimitRepeatMs};
    bool m_filmSpanWarned = false;
    bool m_feedSpanWarned = false;
};
