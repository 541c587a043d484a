// Clock, polling and medians shared by the whole-process benchmarks.
#pragma once

#include "tests/e2e/e2e_driver.h"

#include <algorithm>
#include <vector>

namespace bench {

// How long a benchmark waits for any one step before it gives the round up, in milliseconds.
const DWORD Timeout = 60000;

// Milliseconds from the performance counter.
inline double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// Polls (every millisecond) for a visible top-level window of the program that matches; null on
// time-out or when the program has ended.
inline HWND PollForWindow(const e2e::Program& program, const e2e::WindowMatch& match)
{
    double deadline = Now() + Timeout;
    while (Now() < deadline) {
        if (HWND window = program.FindTopWindow(match)) return window;
        if (!program.Running()) return nullptr;
        Sleep(1);
    }
    return nullptr;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace bench
