#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <atomic>
#include <semaphore.h>
#include <thread>

// The drawing program's plug-in as the program meets it: it makes the
// semaphore "/LPC_Mutex" and the block "/LabelPrintCut", and answers each
// request ("/LPC_CWO") with "/LPC_SRO" after reading it under the mutex. It
// can be dead (never answers) or die holding the mutex. Its objects go when
// it goes.
class PlugInPeer
{
public:
    enum Mode { Answers, Silent, HoldsMutex };

    // blockSize: a stale, too small block when below 84.
    explicit PlugInPeer(Mode mode = Answers, int blockSize = 4096);
    ~PlugInPeer();
    PlugInPeer(const PlugInPeer &) = delete;
    PlugInPeer &operator=(const PlugInPeer &) = delete;

    bool isValid() const { return m_valid; }
    // The first 84 bytes of each request it read.
    QList<QByteArray> requests() const;
    // Requests it saw, answered or not.
    int asked() const { return m_asked.load(); }

    // Removes every named object of the link (left-overs of an earlier run).
    static void unlinkAll();

private:
    void serve();

    Mode m_mode;
    bool m_valid = false;
    sem_t *m_mutex = SEM_FAILED;
    sem_t *m_request = SEM_FAILED;
    sem_t *m_done = SEM_FAILED;
    int m_fd = -1;
    void *m_block = nullptr;
    size_t m_size = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_asked{0};
    std::thread m_thread;
    mutable QMutex m_lock;
    QList<QByteArray> m_requests;
};
