#pragma once

#include <algorithm>
#include <ctime>
#include <limits>

// How many times more of the thread's processor time large() takes than
// small(), each at its least of rounds runs taken in turn. Work that grows in
// proportion to its input keeps the ratio of the two inputs' sizes, work that
// grows with the square squares it. Processor time, not time on the clock: a
// loaded machine stretches a run by how often it is set aside, which a short
// run may escape and a long one not; a sanitizer slows both alike.
template<typename Small, typename Large>
double timeRatio(Small small, Large large, int rounds = 1)
{
    const auto cpuNs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    qint64 least[2] = {std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max()};
    for (int round = 0; round < rounds; ++round) {
        qint64 start = cpuNs();
        small();
        least[0] = std::min(least[0], std::max<qint64>(cpuNs() - start, 1));
        start = cpuNs();
        large();
        least[1] = std::min(least[1], cpuNs() - start);
    }
    return double(least[1]) / double(least[0]);
}
