// Runs every registered benchmark and prints each figure as "bench <name> <value> <unit>".
#include <cstdio>
#include <cstring>

#include "Bench.h"

int main(int argc, char** argv) {
    const char* only = argc > 1 ? argv[1] : nullptr;
    for (const auto& b : vel::bench::registry()) {
        if (only && std::strstr(b.name, only) == nullptr) continue;
        b.run();
    }
    return 0;
}
