#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <semaphore.h>
#include <sys/types.h>

// The link to the drawing program's plug-in, on POSIX named objects: the
// semaphore "/LPC_Mutex" guards the shared block "/LabelPrintCut" (both made
// by the plug-in); "/LPC_CWO" asks (set by us) and "/LPC_SRO" answers (set by
// the plug-in), each a semaphore kept at 0 or 1 like a manual-reset event and
// made by whichever side comes first.
//
// One thread at a time uses a link.
class PlugInLink
{
public:
    static constexpr const char *kMutexName = "/LPC_Mutex";
    static constexpr const char *kBlockName = "/LabelPrintCut";
    static constexpr const char *kRequestName = "/LPC_CWO";
    static constexpr const char *kDoneName = "/LPC_SRO";

    PlugInLink() = default;
    PlugInLink(const PlugInLink &) = delete;
    PlugInLink &operator=(const PlugInLink &) = delete;
    ~PlugInLink() { close(); }

    // Opens what is not open yet, in the order mutex, block, its mapping,
    // answer, request; all of it afresh when the plug-in has made its objects
    // anew since (it was restarted). Empty on success, else what failed:
    // that object stays unopened and the next call tries it again.
    QString open();
    bool isOpen() const;
    void close();

    enum class Result { Done, Failed, TimedOut, Stopped };
    // Writes request at the start of the block under the mutex, asks, and
    // waits for the answer; each wait lasts timeoutMs at most and ends early
    // once stopped() says so. The mutex is always given back. detail says
    // what went wrong.
    Result request(const QByteArray &request, int timeoutMs, const std::function<bool()> &stopped, QString *detail);

private:
    // Takes one count of sem within timeoutMs, giving up early once stopped.
    static Result wait(sem_t *sem, int timeoutMs, const std::function<bool()> &stopped);
    static void drain(sem_t *sem);
    // The plug-in's objects as they are now; 0 when missing.
    static ino_t mutexInode();
    static ino_t blockInode();

    sem_t *m_mutex = SEM_FAILED;
    int m_blockFd = -1;
    void *m_block = nullptr;
    size_t m_blockSize = 0;
    sem_t *m_done = SEM_FAILED;
    sem_t *m_request = SEM_FAILED;
    ino_t m_mutexInode = 0;
    ino_t m_blockInode = 0;
};
