// Preloaded (LD_PRELOAD) into the ThreadSanitizer runs of scripts/sanitize.sh.
//
// Debian's Qt is not built with ThreadSanitizer. QMutex is seen all the same:
// its inline lock and unlock, compiled into our sanitized code, annotate
// themselves (qtsan_impl.h). Everything else Qt does between threads on its
// own is not seen (a QWaitCondition letting its QMutex go and taking it back,
// a recursive mutex, a QSemaphore, a QReadWriteLock, the event queue of a
// queued signal, a thread that has finished), so ThreadSanitizer reports
// double locks and races that are none. The entry points our code calls are
// exported by libQt6Core, so a preloaded library that defines the same
// symbols runs first: it calls Qt's own and tells ThreadSanitizer what Qt
// does (a release before a hand-off, an acquire after it).
//
//  - a wait condition our code waits on: its QMutex unlocked and locked
//    again, as a mutex (when Qt itself waits, its mutex was never seen);
//  - recursive mutexes, read-write locks, semaphores, wait conditions: an
//    order on the object's address;
//  - queued signals, posted events, invoked methods, single-shot timers: one
//    process-wide hand-off, released before posting and again when Qt wakes
//    the receiving event loop (after it copied a signal's arguments and queued
//    the event), and acquired when Qt's event loop wakes from poll (it polls,
//    through glib or not, before it delivers what was posted) or sends posted
//    events. Only a poll that Qt's event dispatcher made counts, told by the
//    return addresses on the stack: a poll of our own code (a socket wait)
//    synchronises nothing, and must not hide a race;
//  - a finished thread: its event dispatcher's glib context is released last
//    thing on it, and QThread::wait/isFinished/isRunning acquire afterwards;
//  - QProcess: Qt 6.4 starts children with clone(CLONE_VM | CLONE_VFORK),
//    whose child shares the parent's memory, and the clone interceptor of
//    ThreadSanitizer 14 re-attaches its thread state in that child, so the
//    parent then fails its own check ("!thr->slot") and dies. As the
//    interceptor's next clone, the shim makes it a plain fork, as
//    ThreadSanitizer does with vfork itself: the child gets its own copy of
//    memory and the parent goes on at once (the child's exec or its failure
//    reaches Qt through a pipe either way).
//
// GLib is treated the same way where code outside it (GObject, GIO, Aravis)
// calls it; calls inside GLib bind to its own functions and never reach the
// shim:
//
//  - a GMutex (a futex, never a pthread mutex): a mutex, its waits on a GCond
//    letting it go and taking it back, and the GCond an order on its address;
//  - a GAsyncQueue: released before a push, acquired after a pop that took an
//    item (Aravis hands each filled frame buffer over in one);
//  - GRecMutex and GRWLock are pthread locks that ThreadSanitizer intercepts,
//    but it skips a call made from a library the suppressions ignore, telling
//    that by the return address. GObject ends some functions by jumping to
//    g_rec_mutex_unlock, which jumps on to pthread_mutex_unlock, so the return
//    address is GObject's caller's: its type lock was seen taken in GObject
//    and, when that caller was GIO, never seen let go, which made every lock
//    taken afterwards look nested in it. The shim calls them and returns, so
//    the return address is its own and both halves are seen.
//
// The symbols are declared by their mangled names, so the shim needs neither
// Qt's headers nor its libraries; in a process that is not sanitized (a
// broker, a shell) the annotations are absent and it only forwards.
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>
#include <unwind.h>

extern "C" {
void __tsan_acquire(void *address) __attribute__((weak));
void __tsan_release(void *address) __attribute__((weak));
void __tsan_mutex_pre_lock(void *address, unsigned flags) __attribute__((weak));
void __tsan_mutex_post_lock(void *address, unsigned flags, int recursion) __attribute__((weak));
int __tsan_mutex_pre_unlock(void *address, unsigned flags) __attribute__((weak));
void __tsan_mutex_post_unlock(void *address, unsigned flags) __attribute__((weak));
void __tsan_mutex_destroy(void *address, unsigned flags) __attribute__((weak));
}

namespace {

char g_handOff; // the address of the process-wide hand-off

// The flags of sanitizer/tsan_interface.h.
constexpr unsigned kTryLock = 1u << 4;
constexpr unsigned kTryLockFailed = 1u << 5;

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

// True when the code that called the hook is the sanitized program's own.
bool calledFromSanitized(const void *returnAddress)
{
    static const void *const program = [] {
        Dl_info info{};
        return __tsan_acquire && dladdr(reinterpret_cast<void *>(__tsan_acquire), &info) ? info.dli_fbase : nullptr;
    }();
    Dl_info caller{};
    return program && dladdr(returnAddress, &caller) && caller.dli_fbase == program;
}

// Whether the poll under way was made by Qt's event dispatcher (its own, or
// glib's main loop under it): one of the callers up the stack is its
// processEvents. The return addresses come from the unwinder (frame pointers
// may be missing in glib and in ThreadSanitizer's interceptor); dladdr names
// the exported function each lies in.
bool polledByEventLoop()
{
    struct Walk
    {
        void *returns[16];
        int count = 0;
    } walk;
    _Unwind_Backtrace(
        [](_Unwind_Context *context, void *arg) {
            auto *w = static_cast<Walk *>(arg);
            w->returns[w->count++] = reinterpret_cast<void *>(_Unwind_GetIP(context));
            return w->count < 16 ? _URC_NO_REASON : _URC_END_OF_STACK;
        },
        &walk);
    for (int i = 1; i < walk.count; ++i) {
        Dl_info info{};
        // One byte back: the call, not what follows it (a call may end its function).
        if (!dladdr(static_cast<char *>(walk.returns[i]) - 1, &info) || !info.dli_sname)
            continue;
        if (std::strncmp(info.dli_sname, "_ZN20QEventDispatcherGlib13processEvents", 40) == 0
            || std::strncmp(info.dli_sname, "_ZN20QEventDispatcherUNIX13processEvents", 40) == 0)
            return true;
    }
    return false;
}

// A QMutex that Qt unlocks or locks again inside QWaitCondition::wait.
void mutexUnlocked(void *mutex)
{
    if (__tsan_mutex_pre_unlock) {
        __tsan_mutex_pre_unlock(mutex, 0);
        __tsan_mutex_post_unlock(mutex, 0);
    }
}

void mutexLocked(void *mutex)
{
    if (__tsan_mutex_pre_lock) {
        __tsan_mutex_pre_lock(mutex, 0);
        __tsan_mutex_post_lock(mutex, 0, 0);
    }
}

void mutexTryLocked(void *mutex, bool locked)
{
    if (__tsan_mutex_pre_lock) {
        __tsan_mutex_pre_lock(mutex, kTryLock);
        __tsan_mutex_post_lock(mutex, locked ? kTryLock : kTryLock | kTryLockFailed, 0);
    }
}

// An item taken from a GAsyncQueue comes after everything pushed to it before.
void *popped(void *queue, void *item)
{
    if (item)
        acquire(queue);
    return item;
}

// Keeps the call before it out of tail position (see GRecMutex above).
inline void returnHere()
{
    asm volatile("" ::: "memory");
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
// A wake-up (of a wait condition, Qt's or GLib's): what the waker did before is
// handed to whoever the condition wakes.
#define RELEASING_CALL(name)                                                                                           \
    void name(void *self)                                                                                              \
    {                                                                                                                  \
        FORWARD(name, void (*)(void *));                                                                               \
        release(self);                                                                                                 \
        next(self);                                                                                                    \
    }

extern "C" {

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
    const bool ours = calledFromSanitized(__builtin_return_address(0));
    if (ours)
        mutexUnlocked(mutex);
    const bool woken = next(self, mutex, deadline);
    if (ours)
        mutexLocked(mutex);
    acquire(self);
    return woken;
}

bool _ZN14QWaitCondition4waitEP6QMutexm(void *self, void *mutex, unsigned long milliseconds)
{
    FORWARD(_ZN14QWaitCondition4waitEP6QMutexm, bool (*)(void *, void *, unsigned long));
    const bool ours = calledFromSanitized(__builtin_return_address(0));
    if (ours)
        mutexUnlocked(mutex);
    const bool woken = next(self, mutex, milliseconds);
    if (ours)
        mutexLocked(mutex);
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
RELEASING_CALL(_ZN14QWaitCondition7wakeOneEv)
RELEASING_CALL(_ZN14QWaitCondition7wakeAllEv)

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

// int poll(struct pollfd *, nfds_t, int) and ppoll: where an event loop waits and
// wakes. In a sanitized process only ThreadSanitizer's interceptors call these, as
// their next poll.
int poll(void *fds, unsigned long count, int timeout)
{
    FORWARD(poll, int (*)(void *, unsigned long, int));
    const int ready = next(fds, count, timeout);
    if (__tsan_acquire && polledByEventLoop())
        acquire(&g_handOff);
    return ready;
}

int ppoll(void *fds, unsigned long count, const void *timeout, const void *mask)
{
    FORWARD(ppoll, int (*)(void *, unsigned long, const void *, const void *));
    const int ready = next(fds, count, timeout, mask);
    if (__tsan_acquire && polledByEventLoop())
        acquire(&g_handOff);
    return ready;
}

// void QCoreApplication::sendPostedEvents(QObject *, int)
void _ZN16QCoreApplication16sendPostedEventsEP7QObjecti(void *receiver, int type)
{
    FORWARD(_ZN16QCoreApplication16sendPostedEventsEP7QObjecti, void (*)(void *, int));
    acquire(&g_handOff);
    next(receiver, type);
}

// void g_main_context_wakeup(GMainContext *) and int eventfd_write(int, eventfd_t): how Qt
// wakes a thread's event loop (glib's or its own) once an event is queued for it.
void g_main_context_wakeup(void *context)
{
    FORWARD(g_main_context_wakeup, void (*)(void *));
    release(&g_handOff);
    next(context);
}

int eventfd_write(int fd, unsigned long long value)
{
    FORWARD(eventfd_write, int (*)(int, unsigned long long));
    release(&g_handOff);
    return next(fd, value);
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

// void g_mutex_lock(GMutex *), gboolean g_mutex_trylock(GMutex *), void g_mutex_unlock(GMutex *),
// void g_mutex_clear(GMutex *)
void g_mutex_lock(void *mutex)
{
    FORWARD(g_mutex_lock, void (*)(void *));
    if (__tsan_mutex_pre_lock)
        __tsan_mutex_pre_lock(mutex, 0);
    next(mutex);
    if (__tsan_mutex_post_lock)
        __tsan_mutex_post_lock(mutex, 0, 0);
}

int g_mutex_trylock(void *mutex)
{
    FORWARD(g_mutex_trylock, int (*)(void *));
    const int locked = next(mutex);
    mutexTryLocked(mutex, locked != 0);
    return locked;
}

void g_mutex_unlock(void *mutex)
{
    FORWARD(g_mutex_unlock, void (*)(void *));
    mutexUnlocked(mutex);
    next(mutex);
}

void g_mutex_clear(void *mutex)
{
    FORWARD(g_mutex_clear, void (*)(void *));
    if (__tsan_mutex_destroy)
        __tsan_mutex_destroy(mutex, 0);
    next(mutex);
}

// void g_cond_wait(GCond *, GMutex *), gboolean g_cond_wait_until(GCond *, GMutex *, gint64):
// the mutex is let go and taken again inside GLib.
void g_cond_wait(void *cond, void *mutex)
{
    FORWARD(g_cond_wait, void (*)(void *, void *));
    mutexUnlocked(mutex);
    next(cond, mutex);
    mutexLocked(mutex);
    acquire(cond);
}

int g_cond_wait_until(void *cond, void *mutex, long long endTime)
{
    FORWARD(g_cond_wait_until, int (*)(void *, void *, long long));
    mutexUnlocked(mutex);
    const int signalled = next(cond, mutex, endTime);
    mutexLocked(mutex);
    acquire(cond);
    return signalled;
}

// void g_cond_signal(GCond *), g_cond_broadcast(GCond *)
RELEASING_CALL(g_cond_signal)
RELEASING_CALL(g_cond_broadcast)

// void g_async_queue_push(GAsyncQueue *, gpointer) and its unlocked form
void g_async_queue_push(void *queue, void *item)
{
    FORWARD(g_async_queue_push, void (*)(void *, void *));
    release(queue);
    next(queue, item);
}

void g_async_queue_push_unlocked(void *queue, void *item)
{
    FORWARD(g_async_queue_push_unlocked, void (*)(void *, void *));
    release(queue);
    next(queue, item);
}

// gpointer g_async_queue_pop(GAsyncQueue *), try_pop, timeout_pop(…, guint64) and their unlocked forms
#define QUEUE_POP(name)                                                                                                \
    void *name(void *queue)                                                                                            \
    {                                                                                                                  \
        FORWARD(name, void *(*)(void *));                                                                              \
        return popped(queue, next(queue));                                                                             \
    }
QUEUE_POP(g_async_queue_pop)
QUEUE_POP(g_async_queue_pop_unlocked)
QUEUE_POP(g_async_queue_try_pop)
QUEUE_POP(g_async_queue_try_pop_unlocked)
#undef QUEUE_POP

void *g_async_queue_timeout_pop(void *queue, unsigned long long timeout)
{
    FORWARD(g_async_queue_timeout_pop, void *(*)(void *, unsigned long long));
    return popped(queue, next(queue, timeout));
}

void *g_async_queue_timeout_pop_unlocked(void *queue, unsigned long long timeout)
{
    FORWARD(g_async_queue_timeout_pop_unlocked, void *(*)(void *, unsigned long long));
    return popped(queue, next(queue, timeout));
}

// GRecMutex and GRWLock: called and returned from, so that ThreadSanitizer's
// interceptor sees the shim as the caller (see the opening comment).
#define GLIB_LOCK_CALL(name)                                                                                           \
    void name(void *lock)                                                                                              \
    {                                                                                                                  \
        FORWARD(name, void (*)(void *));                                                                               \
        next(lock);                                                                                                    \
        returnHere();                                                                                                  \
    }
#define GLIB_TRYLOCK_CALL(name)                                                                                        \
    int name(void *lock)                                                                                               \
    {                                                                                                                  \
        FORWARD(name, int (*)(void *));                                                                                \
        const int locked = next(lock);                                                                                 \
        returnHere();                                                                                                  \
        return locked;                                                                                                 \
    }
GLIB_LOCK_CALL(g_rec_mutex_lock)
GLIB_TRYLOCK_CALL(g_rec_mutex_trylock)
GLIB_LOCK_CALL(g_rec_mutex_unlock)
GLIB_LOCK_CALL(g_rw_lock_writer_lock)
GLIB_TRYLOCK_CALL(g_rw_lock_writer_trylock)
GLIB_LOCK_CALL(g_rw_lock_writer_unlock)
GLIB_LOCK_CALL(g_rw_lock_reader_lock)
GLIB_TRYLOCK_CALL(g_rw_lock_reader_trylock)
GLIB_LOCK_CALL(g_rw_lock_reader_unlock)
#undef GLIB_LOCK_CALL
#undef GLIB_TRYLOCK_CALL

// int clone(int (*fn)(void *), void *stack, int flags, void *arg, pid_t *ptid, void *tls, pid_t *ctid)
// In a sanitized process only ThreadSanitizer's interceptor calls this, as its next clone.
int clone(int (*fn)(void *), void *stack, int flags, void *arg, ...)
{
    FORWARD(clone, int (*)(int (*)(void *), void *, int, void *, pid_t *, void *, pid_t *));
    va_list rest;
    va_start(rest, arg);
    pid_t *parentTid = va_arg(rest, pid_t *);
    void *tls = va_arg(rest, void *);
    pid_t *childTid = va_arg(rest, pid_t *);
    va_end(rest);
    if (__tsan_acquire && (flags & CLONE_VM) && (flags & CLONE_VFORK))
        flags &= ~(CLONE_VM | CLONE_VFORK);
    return next(fn, stack, flags, arg, parentTid, tls, childTid);
}

} // extern "C"
