// Runs every registered benchmark, each in a process of its own so that its time and peak
// memory are its own, and prints each figure as "bench <name> <value> <unit>".
// An argument keeps only the benchmarks whose name, or the name of one of whose figures,
// contains it; an argument that matches none lists the benchmarks and their figures on stderr
// and ends with status 2.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "Bench.h"

namespace {

bool Selected(const vel::bench::Entry& b, const char* only) {
    if (only == nullptr || std::strstr(b.name, only) != nullptr) return true;
    for (const std::string& figure : b.figures)
        if (figure.find(only) != std::string::npos) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const char* only = argc > 1 ? argv[1] : nullptr;
    int failures = 0, selected = 0;
    for (const auto& b : vel::bench::registry()) {
        if (!Selected(b, only)) continue;
        ++selected;
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
    if (selected == 0) {
        std::fprintf(stderr, "No benchmark or figure name contains \"%s\". The benchmarks:\n",
                     only);
        for (const auto& b : vel::bench::registry()) {
            std::fprintf(stderr, "  %s:", b.name);
            for (const std::string& figure : b.figures) std::fprintf(stderr, " %s", figure.c_str());
            std::fprintf(stderr, "\n");
        }
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
