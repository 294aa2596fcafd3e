#include "LabelReaders.h"

#include <QDebug>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <pthread.h>
#include <sched.h>
#include <stdexcept>
#include <system_error>

namespace {

std::atomic<LabelReaders *> g_shared{nullptr};

// Tesseract keeps its dictionaries in a cache of its own, made by the first
// engine's start, and destroyed at exit in reverse order of making: the
// shared pool's engines would go after it and hand their dictionaries back
// to a cache no longer there. A handler registered once the cache exists
// runs before it goes.
void releaseSharedAtExit()
{
    static const bool registered = std::atexit([] { delete g_shared.exchange(nullptr); }) == 0;
    Q_UNUSED(registered)
}

} // namespace

LabelReaders::LabelReaders(int workers) : m_count(std::clamp(workers, 1, kMaxWorkers)) {}

LabelReaders::~LabelReaders()
{
    stop();
}

int LabelReaders::cores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

int LabelReaders::defaultWorkers()
{
    // The thread that hands the jobs in keeps a core busy with the page's own work.
    return std::clamp(cores() - 1, 1, kMaxWorkers);
}

LabelReaders &LabelReaders::shared()
{
    static LabelReaders *const pool = [] {
        auto *made = new LabelReaders();
        g_shared.store(made);
        return made;
    }();
    return *pool;
}

bool LabelReaders::start()
{
    // Under m_lock.
    if (!m_threads.empty())
        return true;
    if (m_readers.empty()) {
        for (int i = 0; i < m_count; ++i)
            m_readers.push_back(std::make_unique<LabelReader>());
    }
    try {
        for (int i = 0; i < m_count; ++i) {
            LabelReader *reader = m_readers[size_t(i)].get();
            m_threads.emplace_back([this, reader] { run(*reader); });
            pthread_setname_np(m_threads.back().native_handle(), "label reader");
        }
    } catch (const std::system_error &e) {
        // Those made do the work; with none, the caller hears of it.
        qCritical().noquote() << "LabelReaders::start" << "only" << m_threads.size() << "of" << m_count
                              << "reader threads could be started:" << e.what();
    }
    return !m_threads.empty();
}

void LabelReaders::stop()
{
    std::vector<std::thread> threads;
    {
        QMutexLocker lock(&m_lock);
        m_stopping = true;
        m_work.wakeAll();
        threads.swap(m_threads);
    }
    for (std::thread &t : threads)
        t.join();
    m_readers.clear();
}

void LabelReaders::run(LabelReader &reader)
{
    QMutexLocker lock(&m_lock);
    for (;;) {
        if (!m_queue.empty()) {
            Queued next = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            std::exception_ptr error;
            try {
                next.job(reader);
            } catch (...) {
                error = std::current_exception();
            }
            lock.relock();
            if (error && !next.batch->m_error)
                next.batch->m_error = error;
            if (--next.batch->m_open == 0)
                m_done.wakeAll();
            continue;
        }
        if (m_stopping)
            return;
        // Idle: the engine warmed up for, unless another worker is loading
        // the model's first (this one then waits for work or for its outcome).
        if (m_warm && !reader.triedEngine(m_model) && m_state != ModelState::Loading &&
            m_state != ModelState::Failed) {
            const std::string model = m_model;
            lock.unlock();
            engineFor(reader, model);
            lock.relock();
            continue;
        }
        m_work.wait(&m_lock);
    }
}

void LabelReaders::switchModel(const std::string &model)
{
    // Under m_lock.
    if (model == m_model)
        return;
    m_model = model;
    m_state = ModelState::Unknown;
    m_settled = 0;
}

bool LabelReaders::engineFor(LabelReader &reader, const std::string &model)
{
    QMutexLocker lock(&m_lock);
    for (;;) {
        switchModel(model);
        if (reader.triedEngine(model))
            return reader.hasEngine(model);
        if (m_state == ModelState::Failed)
            return false;
        if (m_state == ModelState::Loading) {
            m_done.wait(&m_lock);
            continue;
        }
        const bool first = m_state == ModelState::Unknown;
        if (first)
            m_state = ModelState::Loading;
        lock.unlock();
        const bool loaded = reader.loadEngine(model);
        if (loaded)
            releaseSharedAtExit();
        lock.relock();
        if (model == m_model) {
            ++m_settled;
            if (first)
                m_state = loaded ? ModelState::Loaded : ModelState::Failed;
        }
        // The other workers: a job waiting for this outcome, an idle one to load its own.
        m_done.wakeAll();
        m_work.wakeAll();
        return loaded;
    }
}

void LabelReaders::warmUp(const std::string &model)
{
    QMutexLocker lock(&m_lock);
    if (m_stopping)
        return;
    switchModel(model);
    m_warm = true;
    start();
    m_work.wakeAll();
}

bool LabelReaders::engineSettled(const std::string &model) const
{
    QMutexLocker lock(&m_lock);
    return model == m_model && !m_threads.empty() &&
           (m_state == ModelState::Failed || m_settled >= int(m_threads.size()));
}

bool LabelReaders::waitForEngines(const std::string &model)
{
    warmUp(model);
    QMutexLocker lock(&m_lock);
    while (!m_stopping && !m_threads.empty() && model == m_model && m_state != ModelState::Failed &&
           m_settled < int(m_threads.size()))
        m_done.wait(&m_lock);
    return model == m_model && m_state == ModelState::Loaded;
}

void LabelReaders::Batch::add(Job job)
{
    QMutexLocker lock(&m_readers.m_lock);
    if (m_readers.m_stopping || !m_readers.start())
        throw std::runtime_error("no label reader runs");
    ++m_open;
    m_readers.m_queue.push_back({this, std::move(job)});
    m_readers.m_work.wakeOne();
}

void LabelReaders::Batch::drain()
{
    QMutexLocker lock(&m_readers.m_lock);
    while (m_open > 0)
        m_readers.m_done.wait(&m_readers.m_lock);
}

void LabelReaders::Batch::wait()
{
    drain();
    std::exception_ptr error;
    {
        QMutexLocker lock(&m_readers.m_lock);
        error = std::exchange(m_error, nullptr);
    }
    if (error)
        std::rethrow_exception(error);
}
