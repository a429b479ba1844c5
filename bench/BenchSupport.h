#pragma once

// What every benchmark shares: its summary lines and its peak memory.

#include <QByteArray>
#include <QFile>
#include <cstdio>

// The one summary line a benchmark prints per goal, in the form every run is compared by.
inline bool PrintGoal(const char* name, double figure, const char* unit, double ratio,
                      const char* baseline, const char* target, bool met) {
    std::printf("GOAL %s: %.2f %s (%.2fx %s) target %s %s\n", name, figure, unit, ratio, baseline,
                target, met ? "MET" : "MISSED");
    return met;
}

// Peak resident memory of this process so far, in MiB. VmHWM belongs to this program's own
// memory map; getrusage's figure would carry over the forking parent's size across exec.
inline double PeakRssMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}
