// One row of ./benchmark's closing table, printed by a benchmark beside its own output: the
// figure, its peer from the same run, their ratio and the goal it is held to. ./benchmark picks
// the rows out by their "table:" prefix.
#pragma once

#include <cstdio>

inline void PrintTableLine(const char* figure, double value, const char* peer, double peerValue,
                           const char* unit, const char* goal, bool met) {
    std::printf("table: %s | %.3g %s | %s | %.3g %s | %.2f | %s | %s\n", figure, value, unit, peer,
                peerValue, unit, peerValue > 0 ? value / peerValue : 0.0, goal,
                met ? "met" : "MISSED");
    std::fflush(stdout);
}
