// The application's roles seen by the driver: the task, the cut source and
// vision, each with its stand-in until the application installs its own.
#include "device/Varnok120X.h"

void Varnok120X::listenToHost(TaskHost *host)
{
    m_hostListener = host->addTaskStatusListener([this](int status) { emit appTaskStatusChanged(status); });
}

void Varnok120X::listenToVision(VisionHost *vision)
{
    m_captureListener = vision->addLabelCaptureListener([this] { emit labelCaptureRequested(); });
}

void Varnok120X::setHost(TaskHost *newHost)
{
    TaskHost *next = newHost ? newHost : &m_nullHost;
    TaskHost *previous = m_host.exchange(next);
    if (previous == next)
        return;
    // Returns once a relay under way has ended: none runs after this.
    previous->removeTaskStatusListener(m_hostListener);
    listenToHost(next);
}

void Varnok120X::setCutSource(CutSource *source)
{
    m_cutSource.store(source ? source : &m_nullCutSource);
}

void Varnok120X::setVision(VisionHost *newVision)
{
    VisionHost *next = newVision ? newVision : &m_nullVision;
    VisionHost *previous = m_vision.exchange(next);
    if (previous == next)
        return;
    previous->removeLabelCaptureListener(m_captureListener);
    listenToVision(next);
}
