// A tiny registry of hand-run benchmarks, and the figures they print.
#pragma once

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "NumberText.h"

namespace vel::bench {

// A benchmark: its name, what it runs, and the names of the figures it prints (so that the
// command line can pick a benchmark by one of its figures).
struct Entry {
    const char* name;
    std::function<void()> run;
    std::vector<std::string> figures;
};

inline std::vector<Entry>& registry() {
    static std::vector<Entry> r;
    return r;
}

struct Register {
    Register(const char* name, std::function<void()> fn, std::vector<std::string> figures) {
        registry().push_back({name, std::move(fn), std::move(figures)});
    }
};

// True when some registered benchmark names the figure among its figures.
inline bool IsDeclaredFigure(const std::string& figure) {
    for (const Entry& e : registry())
        for (const std::string& f : e.figures)
            if (f == figure) return true;
    return false;
}

// Prints "bench <name> <value> <unit>". A figure that no benchmark declares is printed all the
// same, with a note on stderr, since the command line cannot find it by its name.
inline void report(const char* name, double value, const char* unit) {
    if (!IsDeclaredFigure(name))
        std::fprintf(stderr, "(figure %s is declared by no benchmark)\n", name);
    std::printf("bench %s %s %s\n", name, vel::formatSignificantDigits(value, 6).c_str(), unit);
    std::fflush(stdout);
}

// The number of a "/proc/self/status" value such as "  123456 kB".
inline double Kilobytes(const std::string& value) {
    const size_t unit = value.find("kB");
    return vel::parseNumber(value.substr(0, unit)).value_or(0.0);
}

// Peak resident memory of the process so far, in MB (VmHWM).
inline double peakRssMb() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return Kilobytes(line.substr(6)) / 1024.0;
    return 0.0;
}

inline double currentRssMb() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmRSS:", 0) == 0) return Kilobytes(line.substr(6)) / 1024.0;
    return 0.0;
}

class Stopwatch {
public:
    Stopwatch() : t0_(std::chrono::steady_clock::now()) {}
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0_).count();
    }

private:
    std::chrono::steady_clock::time_point t0_;
};

}  // namespace vel::bench
