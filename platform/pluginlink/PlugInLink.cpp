#include "PlugInLink.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// How often a wait looks whether it should stop.
constexpr int kStopCheckMs = 100;

QString systemError(const char *what)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(what), QString::fromLocal8Bit(strerror(errno)));
}

void closeSem(sem_t *&sem)
{
    if (sem != SEM_FAILED)
        sem_close(sem);
    sem = SEM_FAILED;
}

} // namespace

ino_t PlugInLink::mutexInode()
{
    // glibc keeps a named semaphore as a file in /dev/shm.
    struct stat info = {};
    return stat("/dev/shm/sem.LPC_Mutex", &info) == 0 ? info.st_ino : 0;
}

ino_t PlugInLink::blockInode()
{
    struct stat info = {};
    return stat("/dev/shm/LabelPrintCut", &info) == 0 ? info.st_ino : 0;
}

QString PlugInLink::open()
{
    if ((m_mutex != SEM_FAILED && m_mutexInode != mutexInode()) || (m_blockFd >= 0 && m_blockInode != blockInode()))
        close();
    if (m_mutex == SEM_FAILED) {
        m_mutexInode = mutexInode();
        m_mutex = sem_open(kMutexName, 0);
        if (m_mutex == SEM_FAILED)
            return errno == ENOENT ? QStringLiteral("OpenMutex fail: file not found!") : systemError("OpenMutex fail:");
    }
    if (m_blockFd < 0) {
        m_blockInode = blockInode();
        m_blockFd = shm_open(kBlockName, O_RDWR, 0);
        if (m_blockFd < 0)
            return systemError("OpenFileMapping");
    }
    if (!m_block) {
        struct stat info = {};
        if (fstat(m_blockFd, &info) != 0)
            return systemError("MapViewOfFile");
        // A block too small for a request is a stale one, never the plug-in's.
        if (info.st_size < 84) {
            ::close(m_blockFd);
            m_blockFd = -1;
            return QStringLiteral("MapViewOfFile block of %1 bytes").arg(info.st_size);
        }
        void *block = mmap(nullptr, size_t(info.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, m_blockFd, 0);
        if (block == MAP_FAILED)
            return systemError("MapViewOfFile");
        m_block = block;
        m_blockSize = size_t(info.st_size);
    }
    if (m_done == SEM_FAILED) {
        m_done = sem_open(kDoneName, O_CREAT, 0600, 0);
        if (m_done == SEM_FAILED)
            return systemError("CreateEvent");
    }
    if (m_request == SEM_FAILED) {
        m_request = sem_open(kRequestName, O_CREAT, 0600, 0);
        if (m_request == SEM_FAILED)
            return systemError("CreateEvent");
    }
    return QString();
}

bool PlugInLink::isOpen() const
{
    return m_mutex != SEM_FAILED && m_block && m_done != SEM_FAILED && m_request != SEM_FAILED;
}

void PlugInLink::close()
{
    if (m_block)
        munmap(m_block, m_blockSize);
    m_block = nullptr;
    m_blockSize = 0;
    if (m_blockFd >= 0)
        ::close(m_blockFd);
    m_blockFd = -1;
    closeSem(m_mutex);
    closeSem(m_done);
    closeSem(m_request);
}

PlugInLink::Result PlugInLink::wait(sem_t *sem, int timeoutMs, const std::function<bool()> &stopped)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (stopped && stopped())
            return Result::Stopped;
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return sem_trywait(sem) == 0 ? Result::Done : Result::TimedOut;
        timespec until = {};
        clock_gettime(CLOCK_MONOTONIC, &until);
        const qint64 slice = qMin<qint64>(left, kStopCheckMs);
        until.tv_nsec += long(slice % 1000) * 1000000L;
        until.tv_sec += time_t(slice / 1000 + until.tv_nsec / 1000000000L);
        until.tv_nsec %= 1000000000L;
        if (sem_clockwait(sem, CLOCK_MONOTONIC, &until) == 0)
            return Result::Done;
        if (errno != ETIMEDOUT && errno != EINTR)
            return Result::Failed;
    }
}

void PlugInLink::drain(sem_t *sem)
{
    while (sem_trywait(sem) == 0) {
    }
}

PlugInLink::Result PlugInLink::request(const QByteArray &request, int timeoutMs, const std::function<bool()> &stopped,
                                       QString *detail)
{
    const auto fail = [detail](Result result, const QString &text) {
        if (detail)
            *detail = text;
        return result;
    };
    if (!isOpen())
        return fail(Result::Failed, QStringLiteral("link not open"));
    if (size_t(request.size()) > m_blockSize)
        return fail(Result::Failed, QStringLiteral("request larger than the block"));
    // An answer left from an earlier request must not pass for this one's.
    drain(m_done);
    const Result locked = wait(m_mutex, timeoutMs, stopped);
    if (locked != Result::Done)
        return fail(locked, QStringLiteral("WaitForSingleObject LPC_Mutex"));
    memcpy(m_block, request.constData(), size_t(request.size()));
    sem_post(m_mutex);
    int value = 0;
    if (sem_getvalue(m_request, &value) != 0 || (value == 0 && sem_post(m_request) != 0))
        return fail(Result::Failed, systemError("SetEvent LPC_CWO"));
    const Result answered = wait(m_done, timeoutMs, stopped);
    if (answered != Result::Done) {
        // Withdrawn: a plug-in that comes back later must not print it unasked.
        drain(m_request);
        return fail(answered, QStringLiteral("WaitForSingleObject LPC_SRO"));
    }
    drain(m_done);
    return Result::Done;
}
