#include "inspection/OverlaySource.h"

#include <atomic>

namespace {
std::atomic<OverlaySource *> g_source{nullptr};
} // namespace

OverlaySource *OverlaySource::current()
{
    return g_source.load();
}

void OverlaySource::setCurrent(OverlaySource *source)
{
    g_source.store(source);
}

void OverlaySource::unsetCurrent(OverlaySource *source)
{
    OverlaySource *expected = source;
    g_source.compare_exchange_strong(expected, nullptr);
}
