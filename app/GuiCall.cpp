#include "app/GuiCall.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <memory>

namespace {

struct CallState
{
    QMutex lock;
    QWaitCondition changed;
    bool started = false;
    bool done = false;
    bool abandoned = false;
    bool result = false;
};

constexpr int kStopCheckMs = 100;

} // namespace

bool callOnGuiThread(const std::function<bool()> &call, int timeoutMs, const std::function<bool()> &stop)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    if (QThread::currentThread() == app->thread())
        return call();
    auto state = std::make_shared<CallState>();
    QMetaObject::invokeMethod(app, [state, call] {
        {
            QMutexLocker lock(&state->lock);
            if (state->abandoned)
                return;
            state->started = true;
        }
        const bool result = call();
        QMutexLocker lock(&state->lock);
        state->result = result;
        state->done = true;
        state->changed.wakeAll();
    }, Qt::QueuedConnection);
    const QDeadlineTimer deadline(timeoutMs);
    QMutexLocker lock(&state->lock);
    while (!state->done) {
        if (!state->started && (deadline.hasExpired() || (stop && stop()))) {
            state->abandoned = true;
            return false;
        }
        state->changed.wait(&state->lock, QDeadlineTimer(kStopCheckMs));
    }
    return state->result;
}
