// Timing shared by the benchmarks: each figure is the best of several rounds, because absolute
// times on these machines are noisy and only ratios measured in one run are reported.
#pragma once

#include <windows.h>

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

// The best time of at least nRounds calls, and of as many as fit in dMinSeconds, so that a short
// baseline is not one lucky or unlucky call.
template <class F>
double Best(F fn, int nRounds, double dMinSeconds = 0)
{
    double dBest = 1e30, dTotal = 0;
    for (int i = 0; i < nRounds || dTotal < dMinSeconds; ++i) {
        double dStart = Now();
        fn();
        double d = Now() - dStart;
        dBest = d < dBest ? d : dBest;
        dTotal += d;
    }
    return dBest;
}

// The best times of two calls taken in turns, so that both meet the same load of a busy machine.
template <class F, class G>
void BestOfBoth(F fnA, G fnB, int nRounds, double dMinSeconds, double* pdA, double* pdB)
{
    double dTotal = 0;
    *pdA = *pdB = 1e30;
    for (int i = 0; i < nRounds || dTotal < dMinSeconds; ++i) {
        double dStart = Now();
        fnA();
        double dMid = Now();
        fnB();
        double dEnd = Now();
        *pdA = dMid - dStart < *pdA ? dMid - dStart : *pdA;
        *pdB = dEnd - dMid < *pdB ? dEnd - dMid : *pdB;
        dTotal += dEnd - dStart;
    }
}

}  // namespace bench
