// Runs every registered benchmark, each in a process of its own so that its time and peak
// memory are its own, and prints each figure as "bench <name> <value> <unit>".
// An argument keeps only the benchmarks whose name contains it.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "Bench.h"

int main(int argc, char** argv) {
    const char* only = argc > 1 ? argv[1] : nullptr;
    int failures = 0;
    for (const auto& b : vel::bench::registry()) {
        if (only && std::strstr(b.name, only) == nullptr) continue;
        std::fflush(stdout);
        const pid_t pid = fork();
        if (pid == 0) {
            b.run();
            std::fflush(stdout);
            _exit(0);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            std::printf("bench %s failed\n", b.name);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
