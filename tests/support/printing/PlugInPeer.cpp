#include "tests/support/printing/PlugInPeer.h"

#include <QMutexLocker>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

namespace {

// Waits at most ms for sem; false on time-out.
bool waitFor(sem_t *sem, int ms)
{
    timespec until = {};
    clock_gettime(CLOCK_MONOTONIC, &until);
    until.tv_nsec += long(ms % 1000) * 1000000L;
    until.tv_sec += ms / 1000 + until.tv_nsec / 1000000000L;
    until.tv_nsec %= 1000000000L;
    while (sem_clockwait(sem, CLOCK_MONOTONIC, &until) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

} // namespace

void PlugInPeer::unlinkAll()
{
    sem_unlink("/LPC_Mutex");
    sem_unlink("/LPC_CWO");
    sem_unlink("/LPC_SRO");
    shm_unlink("/LabelPrintCut");
}

PlugInPeer::PlugInPeer(Mode mode, int blockSize) : m_mode(mode)
{
    unlinkAll();
    m_mutex = sem_open("/LPC_Mutex", O_CREAT | O_EXCL, 0600, mode == HoldsMutex ? 0 : 1);
    m_request = sem_open("/LPC_CWO", O_CREAT, 0600, 0);
    m_done = sem_open("/LPC_SRO", O_CREAT, 0600, 0);
    m_fd = shm_open("/LabelPrintCut", O_CREAT | O_EXCL | O_RDWR, 0600);
    m_size = size_t(blockSize);
    if (m_mutex == SEM_FAILED || m_request == SEM_FAILED || m_done == SEM_FAILED || m_fd < 0
        || ftruncate(m_fd, off_t(m_size)) != 0)
        return;
    if (m_size > 0) {
        m_block = mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
        if (m_block == MAP_FAILED) {
            m_block = nullptr;
            return;
        }
    }
    m_valid = true;
    m_thread = std::thread([this] { serve(); });
}

PlugInPeer::~PlugInPeer()
{
    m_stop.store(true);
    if (m_thread.joinable())
        m_thread.join();
    if (m_block)
        munmap(m_block, m_size);
    if (m_fd >= 0)
        close(m_fd);
    for (sem_t *sem : {m_mutex, m_request, m_done}) {
        if (sem != SEM_FAILED)
            sem_close(sem);
    }
    unlinkAll();
}

void PlugInPeer::serve()
{
    while (!m_stop.load()) {
        if (!waitFor(m_request, 50))
            continue;
        ++m_asked;
        if (m_mode != Answers)
            continue; // dead: the request is never answered
        if (!waitFor(m_mutex, 5000))
            continue;
        QByteArray request(static_cast<const char *>(m_block), int(qMin<size_t>(m_size, 84)));
        sem_post(m_mutex);
        {
            QMutexLocker lock(&m_lock);
            m_requests.append(request);
        }
        sem_post(m_done);
    }
}

QList<QByteArray> PlugInPeer::requests() const
{
    QMutexLocker lock(&m_lock);
    return m_requests;
}
