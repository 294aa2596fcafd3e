#pragma once

#include <QList>
#include <QMutex>
#include <QWaitCondition>
#include <functional>
#include <memory>

// The listeners of one host event, called like direct connections on the
// notifying thread. remove() returns only once no call of the listener is
// under way on another thread, so that what the listener captured may go
// right after; a listener may remove itself, or another, from inside a call.
class HostListeners
{
public:
    using Listener = std::function<void(int value)>;

    HostListeners() = default;
    HostListeners(const HostListeners &) = delete;
    HostListeners &operator=(const HostListeners &) = delete;

    int add(Listener listener);
    void remove(int id);
    // Calls every listener, in the order they were added.
    void notify(int value);

private:
    struct Entry;

    QMutex m_lock;
    QWaitCondition m_callEnded;
    QList<std::shared_ptr<Entry>> m_entries;
    int m_nextId = 1;
};
