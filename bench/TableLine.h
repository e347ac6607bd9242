// One row of ./benchmark's closing table, printed by a benchmark beside its own output: the
// figure, its peer from the same run, their ratio and the goal it is held to. ./benchmark picks
// the rows out by their "table:" prefix.
#pragma once

#include <cstdio>

// Whether any row printed so far missed its goal: a benchmark ends with GoalsExitCode, so that a
// miss fails ./benchmark rather than only reading "MISSED" in the table.
inline bool& AnyGoalMissed() {
    static bool missed = false;
    return missed;
}

// `ratio`, when given, is printed instead of value / peerValue: a figure held to the median of its
// per-sample ratios prints the two medians beside it.
inline void PrintTableLine(const char* figure, double value, const char* peer, double peerValue,
                           const char* unit, const char* goal, bool met, double ratio = -1) {
    if (ratio < 0)
        ratio = peerValue > 0 ? value / peerValue : 0.0;
    std::printf("table: %s | %.3g %s | %s | %.3g %s | %.2f | %s | %s\n", figure, value, unit, peer,
                peerValue, unit, ratio, goal, met ? "met" : "MISSED");
    std::fflush(stdout);
    if (!met)
        AnyGoalMissed() = true;
}

// The exit code of a benchmark whose own run ended with `rc`: non-zero when it failed or when any
// row missed its goal.
inline int GoalsExitCode(int rc = 0) {
    if (rc == 0 && AnyGoalMissed()) {
        std::fprintf(stderr, "a goal was missed (the MISSED rows above)\n");
        return 3;
    }
    return rc;
}
