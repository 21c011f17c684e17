// generate_eod: writes deterministic EOD history text files for tests, benchmarks and the
// demonstration; `generate_eod --help` prints its options. With --single all symbols go into
// one file (a symbol column first); otherwise one file per symbol is written into the folder.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include "EodGenerator.h"
#include "Errors.h"

namespace {

const char* const kUsage =
    "usage: generate_eod --out FOLDER | --single FILE [options]\n"
    "Writes deterministic end-of-day history: N symbols x D trading days (weekdays) of\n"
    "date, open, high, low, close, volume, with a header line.\n"
    "\n"
    "  --out FOLDER        one file per symbol (AAAA.csv, AAAB.csv, ...) in FOLDER\n"
    "  --single FILE       all symbols in one file, the symbol in the first column\n"
    "  --symbols N         number of symbols (default 10)\n"
    "  --days D            trading days per symbol (default 100)\n"
    "  --date-form F       iso (2010-01-04), mdy (1/4/2010), dmonyy (4-Jan-10),\n"
    "                      dmonyyyy (4-Jan-2010) or mondy (\"Jan 4, 2010\"); default iso\n"
    "  --no-header         no header line\n"
    "  --gap-rate R        share of symbol-days without a line (default 0.01)\n"
    "  --late-rate R       share of symbols whose history starts late (default 0)\n"
    "  --split-rate R      share of symbols with one 2:1 or 3:1 split (default 0)\n"
    "  --seed S            seed of the generator (default 1)\n"
    "  --line-end E        crlf, lf or cr (default crlf)\n"
    "  --ext EXT           file extension with --out (default csv)\n"
    "  --help              this text\n"
    "\n"
    "Prints the number of symbols, rows, files and splits, then one line per split.\n";

[[noreturn]] void Refuse(const std::string& message) {
    std::fprintf(stderr, "generate_eod: %s\n%s", message.c_str(), kUsage);
    std::exit(2);
}

// The whole text as a number of the type, or the refusal naming the option.
template <class T>
T NumberOption(const std::string& option, const std::string& text) {
    T value{};
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        Refuse(option + " needs a number, not \"" + text + "\"");
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vel::eodgen;
    Options o;
    std::string out, single;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Refuse(a + " needs a value");
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--out") {
            out = value();
        } else if (a == "--single") {
            single = value();
        } else if (a == "--symbols") {
            o.symbols = NumberOption<int>(a, value());
        } else if (a == "--days") {
            o.days = NumberOption<int>(a, value());
        } else if (a == "--date-form") {
            const std::string form = value();
            if (form != "iso" && form != "mdy" && form != "dmonyy" && form != "dmonyyyy" &&
                form != "mondy")
                Refuse("unknown date form " + form);
            o.dateForm = DateFormFromName(form);
        } else if (a == "--no-header") {
            o.header = false;
        } else if (a == "--gap-rate") {
            o.gapRate = NumberOption<double>(a, value());
        } else if (a == "--late-rate") {
            o.lateStartRate = NumberOption<double>(a, value());
        } else if (a == "--split-rate") {
            o.splitRate = NumberOption<double>(a, value());
        } else if (a == "--seed") {
            o.seed = NumberOption<std::uint64_t>(a, value());
        } else if (a == "--ext") {
            o.extension = value();
        } else if (a == "--line-end") {
            const std::string e = value();
            if (e != "crlf" && e != "lf" && e != "cr") Refuse("unknown line end " + e);
            o.lineEnd = e == "lf" ? "\n" : e == "cr" ? "\r" : "\r\n";
        } else {
            Refuse("unknown option " + a);
        }
    }
    if (out.empty() && single.empty()) Refuse("--out or --single is needed");
    if (o.symbols < 1 || o.days < 1) Refuse("--symbols and --days must be at least 1");
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
