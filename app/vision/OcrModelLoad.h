#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// The load of an OCR engine's models (Tesseract's language file takes some
// 150 ms) on a thread of its own, so that the window does not wait for it;
// a reader that comes before the load is over waits for it, and one that
// comes before anybody started it starts it, so nobody waits for ever.
class OcrModelLoad
{
public:
    using Load = std::function<bool()>; // true when the models loaded

    explicit OcrModelLoad(Load load) : m_load(std::move(load)) {}
    // Waits for a load under way: Tesseract cannot be stopped halfway.
    ~OcrModelLoad();
    OcrModelLoad(const OcrModelLoad &) = delete;
    OcrModelLoad &operator=(const OcrModelLoad &) = delete;

    // Starts the load; later calls do nothing.
    void start();
    // Blocks until the load is over, starting it first when nobody has;
    // true when the models loaded.
    bool wait();
    // The load is over (loaded or failed).
    bool isOver() const;

private:
    enum class State { Idle, Loading, Loaded, Failed };
    void run();

    Load m_load;
    mutable std::mutex m_lock;
    std::condition_variable m_over;
    State m_state = State::Idle;
    std::thread m_thread;
};
