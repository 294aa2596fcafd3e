#include "app/vision/OcrModelLoad.h"

#include <system_error>

OcrModelLoad::~OcrModelLoad()
{
    if (m_thread.joinable())
        m_thread.join();
}

void OcrModelLoad::start()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_state != State::Idle)
            return;
        m_state = State::Loading;
    }
    try {
        m_thread = std::thread(&OcrModelLoad::run, this);
    } catch (const std::system_error &) {
        run(); // no thread to be had: the load runs here
    }
}

void OcrModelLoad::run()
{
    const bool loaded = m_load && m_load();
    std::lock_guard<std::mutex> lock(m_lock);
    m_state = loaded ? State::Loaded : State::Failed;
    m_over.notify_all();
}

bool OcrModelLoad::wait()
{
    start();
    std::unique_lock<std::mutex> lock(m_lock);
    m_over.wait(lock, [this] { return m_state == State::Loaded || m_state == State::Failed; });
    return m_state == State::Loaded;
}

bool OcrModelLoad::isOver() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_state == State::Loaded || m_state == State::Failed;
}
