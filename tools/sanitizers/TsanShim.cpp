// Preloaded (LD_PRELOAD) into the ThreadSanitizer runs of scripts/sanitize.sh.
//
// Debian's Qt is not built with ThreadSanitizer. Where Qt hands data from one
// thread to another on its own (a contended QMutex sleeping on a futex, a
// QSemaphore, a QReadWriteLock, the event queue of a queued signal, a thread
// that has finished) ThreadSanitizer sees no order and reports races that are
// none. The entry points our code calls are exported by libQt6Core, so a
// preloaded library that defines the same symbols runs first: it calls Qt's
// own and tells ThreadSanitizer the order Qt provides (a release before a
// hand-off, an acquire after it), on the object's address as its atomics do.
//
//  - mutexes, read-write locks, semaphores, wait conditions: on the object;
//  - queued signals, posted events, invoked methods, single-shot timers: one
//    process-wide hand-off that every event dispatch (glib's, which Qt's event
//    loops use) acquires before and releases after;
//  - a finished thread: its event dispatcher's glib context is released last
//    thing on it, and QThread::wait/isFinished/isRunning acquire afterwards.
//
// The symbols are declared by their mangled names, so the shim needs neither
// Qt's headers nor its libraries; in a process that is not sanitized (a
// broker, a shell) the annotations are absent and it only forwards.
#include <dlfcn.h>

extern "C" {
void __tsan_acquire(void *address) __attribute__((weak));
void __tsan_release(void *address) __attribute__((weak));
}

namespace {

char g_handOff; // the address of the process-wide hand-off

void acquire(const void *address)
{
    if (__tsan_acquire)
        __tsan_acquire(const_cast<void *>(address));
}

void release(const void *address)
{
    if (__tsan_release)
        __tsan_release(const_cast<void *>(address));
}

template <typename Function> Function real(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// QDeadlineTimer is trivially copyable, 16 bytes: passed by value as two words.
struct Deadline
{
    long long t1;
    long long t2;
};

} // namespace

// Each forwarder: the Qt name it stands for, then the call.
#define FORWARD(name, type) static const auto next = real<type>(#name)

extern "C" {

// void QBasicMutex::lockInternal()
void _ZN11QBasicMutex12lockInternalEv(void *self)
{
    FORWARD(_ZN11QBasicMutex12lockInternalEv, void (*)(void *));
    next(self);
    acquire(self);
}

// bool QBasicMutex::lockInternal(int timeout)
bool _ZN11QBasicMutex12lockInternalEi(void *self, int timeout)
{
    FORWARD(_ZN11QBasicMutex12lockInternalEi, bool (*)(void *, int));
    const bool locked = next(self, timeout);
    if (locked)
        acquire(self);
    return locked;
}

// void QBasicMutex::unlockInternal()
void _ZN11QBasicMutex14unlockInternalEv(void *self)
{
    FORWARD(_ZN11QBasicMutex14unlockInternalEv, void (*)(void *));
    release(self);
    next(self);
}

// bool QRecursiveMutex::tryLock(int timeout)
bool _ZN15QRecursiveMutex7tryLockEi(void *self, int timeout)
{
    FORWARD(_ZN15QRecursiveMutex7tryLockEi, bool (*)(void *, int));
    const bool locked = next(self, timeout);
    if (locked)
        acquire(self);
    return locked;
}

// void QRecursiveMutex::unlock()
void _ZN15QRecursiveMutex6unlockEv(void *self)
{
    FORWARD(_ZN15QRecursiveMutex6unlockEv, void (*)(void *));
    release(self);
    next(self);
}

// void QReadWriteLock::lockForRead(), lockForWrite()
void _ZN14QReadWriteLock11lockForReadEv(void *self)
{
    FORWARD(_ZN14QReadWriteLock11lockForReadEv, void (*)(void *));
    next(self);
    acquire(self);
}

void _ZN14QReadWriteLock12lockForWriteEv(void *self)
{
    FORWARD(_ZN14QReadWriteLock12lockForWriteEv, void (*)(void *));
    next(self);
    acquire(self);
}

// bool QReadWriteLock::tryLockForRead(), tryLockForWrite(), and with a timeout
bool _ZN14QReadWriteLock14tryLockForReadEv(void *self)
{
    FORWARD(_ZN14QReadWriteLock14tryLockForReadEv, bool (*)(void *));
    const bool locked = next(self);
    if (locked)
        acquire(self);
    return locked;
}

bool _ZN14QReadWriteLock15tryLockForWriteEv(void *self)
{
    FORWARD(_ZN14QReadWriteLock15tryLockForWriteEv, bool (*)(void *));
    const bool locked = next(self);
    if (locked)
        acquire(self);
    return locked;
}

bool _ZN14QReadWriteLock14tryLockForReadEi(void *self, int timeout)
{
    FORWARD(_ZN14QReadWriteLock14tryLockForReadEi, bool (*)(void *, int));
    const bool locked = next(self, timeout);
    if (locked)
        acquire(self);
    return locked;
}

bool _ZN14QReadWriteLock15tryLockForWriteEi(void *self, int timeout)
{
    FORWARD(_ZN14QReadWriteLock15tryLockForWriteEi, bool (*)(void *, int));
    const bool locked = next(self, timeout);
    if (locked)
        acquire(self);
    return locked;
}

// void QReadWriteLock::unlock()
void _ZN14QReadWriteLock6unlockEv(void *self)
{
    FORWARD(_ZN14QReadWriteLock6unlockEv, void (*)(void *));
    release(self);
    next(self);
}

// void QSemaphore::acquire(int), bool tryAcquire(int), bool tryAcquire(int, int), void release(int)
void _ZN10QSemaphore7acquireEi(void *self, int n)
{
    FORWARD(_ZN10QSemaphore7acquireEi, void (*)(void *, int));
    next(self, n);
    acquire(self);
}

bool _ZN10QSemaphore10tryAcquireEi(void *self, int n)
{
    FORWARD(_ZN10QSemaphore10tryAcquireEi, bool (*)(void *, int));
    const bool taken = next(self, n);
    if (taken)
        acquire(self);
    return taken;
}

bool _ZN10QSemaphore10tryAcquireEii(void *self, int n, int timeout)
{
    FORWARD(_ZN10QSemaphore10tryAcquireEii, bool (*)(void *, int, int));
    const bool taken = next(self, n, timeout);
    if (taken)
        acquire(self);
    return taken;
}

void _ZN10QSemaphore7releaseEi(void *self, int n)
{
    FORWARD(_ZN10QSemaphore7releaseEi, void (*)(void *, int));
    release(self);
    next(self, n);
}

// bool QWaitCondition::wait(QMutex *, QDeadlineTimer) and (QMutex *, unsigned long):
// the mutex is let go and taken again inside Qt.
bool _ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer(void *self, void *mutex, Deadline deadline)
{
    FORWARD(_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer, bool (*)(void *, void *, Deadline));
    release(mutex);
    const bool woken = next(self, mutex, deadline);
    acquire(mutex);
    acquire(self);
    return woken;
}

bool _ZN14QWaitCondition4waitEP6QMutexm(void *self, void *mutex, unsigned long milliseconds)
{
    FORWARD(_ZN14QWaitCondition4waitEP6QMutexm, bool (*)(void *, void *, unsigned long));
    release(mutex);
    const bool woken = next(self, mutex, milliseconds);
    acquire(mutex);
    acquire(self);
    return woken;
}

bool _ZN14QWaitCondition4waitEP14QReadWriteLock14QDeadlineTimer(void *self, void *lock, Deadline deadline)
{
    FORWARD(_ZN14QWaitCondition4waitEP14QReadWriteLock14QDeadlineTimer, bool (*)(void *, void *, Deadline));
    release(lock);
    const bool woken = next(self, lock, deadline);
    acquire(lock);
    acquire(self);
    return woken;
}

bool _ZN14QWaitCondition4waitEP14QReadWriteLockm(void *self, void *lock, unsigned long milliseconds)
{
    FORWARD(_ZN14QWaitCondition4waitEP14QReadWriteLockm, bool (*)(void *, void *, unsigned long));
    release(lock);
    const bool woken = next(self, lock, milliseconds);
    acquire(lock);
    acquire(self);
    return woken;
}

// void QWaitCondition::wakeOne(), wakeAll()
void _ZN14QWaitCondition7wakeOneEv(void *self)
{
    FORWARD(_ZN14QWaitCondition7wakeOneEv, void (*)(void *));
    release(self);
    next(self);
}

void _ZN14QWaitCondition7wakeAllEv(void *self)
{
    FORWARD(_ZN14QWaitCondition7wakeAllEv, void (*)(void *));
    release(self);
    next(self);
}

// void QMetaObject::activate(QObject *, const QMetaObject *, int, void **) and its two
// other forms: a signal, maybe queued to another thread. Acquired afterwards too, for
// a blocking queued connection whose slot ran elsewhere.
void _ZN11QMetaObject8activateEP7QObjectPKS_iPPv(void *sender, const void *meta, int index, void **arguments)
{
    FORWARD(_ZN11QMetaObject8activateEP7QObjectPKS_iPPv, void (*)(void *, const void *, int, void **));
    release(&g_handOff);
    next(sender, meta, index, arguments);
    acquire(&g_handOff);
}

void _ZN11QMetaObject8activateEP7QObjectiPPv(void *sender, int index, void **arguments)
{
    FORWARD(_ZN11QMetaObject8activateEP7QObjectiPPv, void (*)(void *, int, void **));
    release(&g_handOff);
    next(sender, index, arguments);
    acquire(&g_handOff);
}

void _ZN11QMetaObject8activateEP7QObjectiiPPv(void *sender, int offset, int index, void **arguments)
{
    FORWARD(_ZN11QMetaObject8activateEP7QObjectiiPPv, void (*)(void *, int, int, void **));
    release(&g_handOff);
    next(sender, offset, index, arguments);
    acquire(&g_handOff);
}

// void QCoreApplication::postEvent(QObject *, QEvent *, int)
void _ZN16QCoreApplication9postEventEP7QObjectP6QEventi(void *receiver, void *event, int priority)
{
    FORWARD(_ZN16QCoreApplication9postEventEP7QObjectP6QEventi, void (*)(void *, void *, int));
    release(&g_handOff);
    next(receiver, event, priority);
}

// bool QMetaObject::invokeMethodImpl(QObject *, QtPrivate::QSlotObjectBase *, Qt::ConnectionType, void *)
bool _ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv(
    void *object, void *slot, int type, void *ret)
{
    FORWARD(_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBaseEN2Qt14ConnectionTypeEPv,
            bool (*)(void *, void *, int, void *));
    release(&g_handOff);
    const bool invoked = next(object, slot, type, ret);
    acquire(&g_handOff);
    return invoked;
}

// void QTimer::singleShotImpl(int, Qt::TimerType, const QObject *, QtPrivate::QSlotObjectBase *)
void _ZN6QTimer14singleShotImplEiN2Qt9TimerTypeEPK7QObjectPN9QtPrivate15QSlotObjectBaseE(int msec, int type,
                                                                                         const void *receiver,
                                                                                         void *slot)
{
    FORWARD(_ZN6QTimer14singleShotImplEiN2Qt9TimerTypeEPK7QObjectPN9QtPrivate15QSlotObjectBaseE,
            void (*)(int, int, const void *, void *));
    release(&g_handOff);
    next(msec, type, receiver, slot);
}

// gboolean g_main_context_dispatch(GMainContext *): where Qt's event loops deliver.
int g_main_context_dispatch(void *context)
{
    FORWARD(g_main_context_dispatch, int (*)(void *));
    acquire(&g_handOff);
    const int dispatched = next(context);
    release(&g_handOff);
    return dispatched;
}

// void g_main_context_unref(GMainContext *): the last thing a finishing QThread does
// with its event dispatcher, after its deferred deletes, before it says it is done.
void g_main_context_unref(void *context)
{
    FORWARD(g_main_context_unref, void (*)(void *));
    release(&g_handOff);
    next(context);
}

// bool QThread::wait(QDeadlineTimer), bool QThread::isFinished() const, isRunning() const
bool _ZN7QThread4waitE14QDeadlineTimer(void *self, Deadline deadline)
{
    FORWARD(_ZN7QThread4waitE14QDeadlineTimer, bool (*)(void *, Deadline));
    const bool finished = next(self, deadline);
    acquire(&g_handOff);
    return finished;
}

bool _ZNK7QThread10isFinishedEv(const void *self)
{
    FORWARD(_ZNK7QThread10isFinishedEv, bool (*)(const void *));
    const bool finished = next(self);
    acquire(&g_handOff);
    return finished;
}

bool _ZNK7QThread9isRunningEv(const void *self)
{
    FORWARD(_ZNK7QThread9isRunningEv, bool (*)(const void *));
    const bool running = next(self);
    acquire(&g_handOff);
    return running;
}

} // extern "C"
