#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

// Times a callable many times and keeps the median, which shrugs off the odd interruption
// on a shared machine. The first few runs warm caches and are not counted.
template <typename Work> double medianMicroseconds(int repetitions, Work work)
{
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < std::max(2, repetitions / 10); ++i)
        work(i);
    std::vector<double> times;
    times.reserve(std::size_t(repetitions));
    for (int i = 0; i < repetitions; ++i) {
        const auto start = Clock::now();
        work(i);
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}
