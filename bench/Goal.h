#pragma once

#include <cstdio>

// The one summary line a benchmark prints per goal, in the form every run is compared by.
inline bool PrintGoal(const char* name, double figure, const char* unit, double ratio,
                      const char* baseline, const char* target, bool met) {
    std::printf("GOAL %s: %.2f %s (%.2fx %s) target %s %s\n", name, figure, unit, ratio, baseline,
                target, met ? "MET" : "MISSED");
    return met;
}
