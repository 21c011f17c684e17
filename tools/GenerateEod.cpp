// generate_eod: writes deterministic EOD history text files for tests, benchmarks and the
// demonstration. Usage:
//   generate_eod --out FOLDER [--symbols N] [--days D] [--date-form iso|mdy|dmonyy|dmonyyyy|mondy]
//                [--single FILE] [--no-header] [--gap-rate R] [--late-rate R] [--split-rate R]
//                [--seed S] [--line-end crlf|lf|cr] [--ext EXT]
// With --single all symbols go into FILE (a symbol column first); otherwise one file per
// symbol is written into FOLDER.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "EodGenerator.h"
#include "Errors.h"

int main(int argc, char** argv) {
    using namespace vel::eodgen;
    Options o;
    std::string out, single;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "generate_eod: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--out")
            out = value();
        else if (a == "--single")
            single = value();
        else if (a == "--symbols")
            o.symbols = std::atoi(value().c_str());
        else if (a == "--days")
            o.days = std::atoi(value().c_str());
        else if (a == "--date-form")
            o.dateForm = DateFormFromName(value());
        else if (a == "--no-header")
            o.header = false;
        else if (a == "--gap-rate")
            o.gapRate = std::atof(value().c_str());
        else if (a == "--late-rate")
            o.lateStartRate = std::atof(value().c_str());
        else if (a == "--split-rate")
            o.splitRate = std::atof(value().c_str());
        else if (a == "--seed")
            o.seed = std::strtoull(value().c_str(), nullptr, 10);
        else if (a == "--ext")
            o.extension = value();
        else if (a == "--line-end") {
            const std::string e = value();
            o.lineEnd = e == "lf" ? "\n" : e == "cr" ? "\r" : "\r\n";
        } else {
            std::fprintf(stderr, "generate_eod: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (out.empty() && single.empty()) {
        std::fprintf(stderr, "usage: generate_eod --out FOLDER | --single FILE [options]\n");
        return 2;
    }
    if (o.symbols < 1 || o.days < 1) {
        std::fprintf(stderr, "generate_eod: --symbols and --days must be at least 1\n");
        return 2;
    }
    try {
        const Result r = single.empty() ? WriteSymbolFiles(out, o) : WriteSingleFile(single, o);
        std::printf("%zu symbols, %lld rows, %zu files, %zu splits\n", r.symbols.size(),
                    static_cast<long long>(r.rows), r.files.size(), r.splits.size());
        for (const auto& s : r.splits)
            std::printf("split %s day %d ratio %d\n", s.symbol.c_str(), s.day, s.ratio);
    } catch (const vel::VellicorError& e) {
        std::fprintf(stderr, "generate_eod: %s\n", e.what());
        return 1;
    }
    return 0;
}
