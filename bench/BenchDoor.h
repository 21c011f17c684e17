// A door for the benchmarks: it shows nothing (no display, so every box is answered by the
// unattended rule); a box that reports an error is printed.
#pragma once

#include <cstdio>
#include <string>

#include "Door.h"
#include "SilentDoor.h"

namespace vel::bench {

class BenchDoor : public SilentDoor {
public:
    BenchDoor() {
        SetMessageLogSink([](const std::string& line) {
            if (line.find("error") != std::string::npos) std::fprintf(stderr, "%s\n", line.c_str());
        });
    }
    ~BenchDoor() override { SetMessageLogSink(nullptr); }
};

}  // namespace vel::bench
