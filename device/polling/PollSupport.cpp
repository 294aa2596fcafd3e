#include "device/polling/PollSupport.h"

#include "device/Varnok120X.h"

#include <QDeadlineTimer>
#include <climits>
#include <cmath>

namespace PollSupport {

int truncated(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(std::trunc(qBound(double(INT_MIN), v, double(INT_MAX))));
}

double param(const Config *config, Config::ConfigParamType id)
{
    bool ok = false;
    const double v = config->getProperty(id).toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

bool flag(const Config *config, Config::ConfigParamType id)
{
    return config->getProperty(id).toBool();
}

int speedLimit(const Config *config, Config::ConfigParamType id)
{
    double v = param(config, id);
    const double low = config->getPropertyMin(id);
    const double high = config->getPropertyMax(id);
    if (high > low)
        v = qBound(low, v, high);
    return qMax(0, truncated(v));
}

int speedRangeTop(const Config *config, Config::ConfigParamType id)
{
    const double low = config->getPropertyMin(id);
    const double high = config->getPropertyMax(id);
    return high > low ? qMax(0, truncated(high)) : INT_MAX;
}

int boundedSpeed(double v, int limit)
{
    return qBound(0, truncated(v), qMax(0, limit));
}

bool mayPoll(const Varnok120X *device)
{
    return device && device->isReady() && device->isLinked();
}

int RetryBackoff::failed()
{
    ++m_failures;
    m_pauseMs = m_failures == 1 ? m_firstMs : qMin(m_maxMs, m_pauseMs * 2);
    m_lastFailure.start();
    return m_pauseMs;
}

bool RetryBackoff::succeeded()
{
    const bool wasFailing = m_failures > 0;
    m_failures = 0;
    m_pauseMs = 0;
    m_lastFailure.invalidate();
    return wasFailing;
}

bool RetryBackoff::ready() const
{
    return m_failures == 0 || !m_lastFailure.isValid() || m_lastFailure.elapsed() >= m_pauseMs;
}

bool PollGate::enter()
{
    QMutexLocker lock(&m_lock);
    if (m_closed > 0)
        return false;
    ++m_active;
    return true;
}

void PollGate::leave()
{
    QMutexLocker lock(&m_lock);
    if (--m_active == 0)
        m_idle.wakeAll();
}

void PollGate::resume()
{
    // Back inside even while closed: the step only ends now, sending nothing more.
    QMutexLocker lock(&m_lock);
    ++m_active;
}

bool PollGate::close(int waitMs)
{
    QMutexLocker lock(&m_lock);
    ++m_closed;
    const QDeadlineTimer deadline(waitMs);
    while (m_active > 0 && !deadline.hasExpired())
        m_idle.wait(&m_lock, deadline);
    return m_active == 0;
}

void PollGate::open()
{
    QMutexLocker lock(&m_lock);
    if (m_closed > 0)
        --m_closed;
}

} // namespace PollSupport
