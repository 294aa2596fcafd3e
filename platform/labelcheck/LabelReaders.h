#pragma once

#include "LabelReader.h"

#include <QMutex>
#include <QWaitCondition>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The workers that read the labels of a page side by side, each with a
// LabelReader of its own (its own ZBar scanner and its own Tesseract engine,
// each engine reading on its worker's thread alone). The workers are made on
// first use and kept, with their engines, for every later page.
//
// Engines load on the workers, never on the thread that asks: warmUp starts
// them loading; a page that wants texts sooner waits for them. The first
// engine of a model loads alone: when it fails, the others do not try that
// model again (one log line), and the pages are read without texts.
class LabelReaders
{
public:
    // A job of a page, run on a worker with the worker's reader.
    using Job = std::function<void(LabelReader &)>;

    explicit LabelReaders(int workers = defaultWorkers());
    ~LabelReaders();
    LabelReaders(const LabelReaders &) = delete;
    LabelReaders &operator=(const LabelReaders &) = delete;

    // The cores this process may run on (its affinity), and the workers a
    // pool gets by default: one per core but the asking thread's, at least
    // one, at most kMaxWorkers.
    static int cores();
    static int defaultWorkers();
    static constexpr int kMaxWorkers = 8;
    int workers() const { return m_count; }

    // The pool of process_frame callers that bring none of their own; its
    // engines are let go at exit, before Tesseract's own caches.
    static LabelReaders &shared();

    // Starts every worker loading its engine for model; returns at once.
    void warmUp(const std::string &model);
    // Every worker's engine for model is loaded (or model cannot be loaded).
    bool engineSettled(const std::string &model) const;
    // Blocks until engineSettled (model); false when the model cannot be loaded.
    bool waitForEngines(const std::string &model);

    // The jobs of one page. Jobs may add more jobs to their own batch; wait
    // returns once all of them have run, each exactly once.
    class Batch
    {
    public:
        explicit Batch(LabelReaders &readers) : m_readers(readers) {}
        ~Batch() { drain(); }
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        // Throws what the pool throws when it cannot start its workers.
        void add(Job job);
        // Rethrows the first exception a job threw.
        void wait();

    private:
        friend class LabelReaders;
        void drain();
        LabelReaders &m_readers;
        // Under the pool's lock:
        int m_open = 0; // jobs added, not yet run
        std::exception_ptr m_error;
    };

    // The engine for model on this worker's reader, loaded now if need be
    // (for a job: false when the model cannot be loaded).
    bool engineFor(LabelReader &reader, const std::string &model);

private:
    struct Queued
    {
        Batch *batch = nullptr;
        Job job;
    };
    enum class ModelState { Unknown, Loading, Loaded, Failed };

    // Makes the workers unless they run; false when none could be made.
    bool start();
    void run(LabelReader &reader);
    void stop();
    void switchModel(const std::string &model);

    const int m_count;
    mutable QMutex m_lock; // everything below
    QWaitCondition m_work;  // a job, a model to load, or the end
    QWaitCondition m_done;  // a job ran, or an engine loaded
    std::deque<Queued> m_queue;
    bool m_stopping = false;
    std::string m_model;    // the model wanted: warmed up or asked for last
    bool m_warm = false;    // idle workers load their engine for m_model
    ModelState m_state = ModelState::Unknown;
    int m_settled = 0;      // workers that tried m_model since it became the one wanted
    std::vector<std::unique_ptr<LabelReader>> m_readers;
    std::vector<std::thread> m_threads;
};
