// The files of the benchmarks that run programs beside them: whole text files written and read,
// and the failure that ends a benchmark's body (its caller reports it and ends with status 1).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace vel::bench {

// Ends the benchmark's body with the message, as an exception that its caller reports, so that
// what the body started (a server, a folder) is ended and removed on the way out.
[[noreturn]] inline void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

// Writes the text as the whole file; Fail when it cannot be written.
inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush()) Fail("cannot write " + path.string());
}

// The whole file, "" when it cannot be read.
inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vel::bench
