// Timing shared by the benchmarks: each figure is the best of several rounds, because absolute
// times on these machines are noisy and only ratios measured in one run are reported.
#pragma once

#include <windows.h>
#include <functional>
#include <vector>

namespace bench {

inline double Now()
{
    static LARGE_INTEGER s_liFreq;
    if (s_liFreq.QuadPart == 0)
        QueryPerformanceFrequency(&s_liFreq);
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return (double)li.QuadPart / (double)s_liFreq.QuadPart;
}

// The best time of each call, over at least nRounds rounds and as many as fit in dMinSeconds, so
// that a short baseline is not one lucky or unlucky call. The calls take turns within a round,
// so that all of them meet the same load of a busy machine.
inline std::vector<double> BestInTurns(const std::vector<std::function<void()>>& fns, int nRounds, double dMinSeconds = 0)
{
    std::vector<double> best(fns.size(), 1e30);
    double dTotal = 0;
    for (int i = 0; i < nRounds || dTotal < dMinSeconds; ++i) {
        for (size_t j = 0; j < fns.size(); ++j) {
            double dStart = Now();
            fns[j]();
            double d = Now() - dStart;
            best[j] = d < best[j] ? d : best[j];
            dTotal += d;
        }
    }
    return best;
}

}  // namespace bench
