// A tiny registry of hand-run benchmarks, and the figures they print.
#pragma once

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vel::bench {

struct Entry {
    const char* name;
    std::function<void()> run;
};

inline std::vector<Entry>& registry() {
    static std::vector<Entry> r;
    return r;
}

struct Register {
    Register(const char* name, std::function<void()> fn) {
        registry().push_back({name, std::move(fn)});
    }
};

inline void report(const char* name, double value, const char* unit) {
    std::printf("bench %s %.6g %s\n", name, value, unit);
    std::fflush(stdout);
}

// Peak resident memory of the process so far, in MB (VmHWM).
inline double peakRssMb() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0.0;
}

inline double currentRssMb() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
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
