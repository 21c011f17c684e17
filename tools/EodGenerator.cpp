// The deterministic EOD history generator.
#include "EodGenerator.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Errors.h"

namespace vel::eodgen {

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// splitmix64: a small seeded generator whose output depends on integers only.
class Random {
public:
    explicit Random(std::uint64_t seed) : s_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    std::uint64_t s_;
};

// One symbol's history, computed day by day from its own stream.
struct SymbolPlan {
    double close = 0.0;
    double volumeScale = 0.0;
    int firstDay = 0;
    int splitDay = -1;
    int splitRatio = 1;
};

SymbolPlan planSymbol(Random& rnd, const Options& o) {
    SymbolPlan p;
    p.close = 5.0 + 195.0 * rnd.uniform();
    const double u = rnd.uniform();
    p.volumeScale = 1000.0 * (1.0 + 999.0 * u * u * u);
    if (rnd.uniform() < o.lateStartRate)
        p.firstDay = static_cast<int>(rnd.uniform() * o.days * 0.7);
    if (rnd.uniform() < o.splitRate && o.days >= 4) {
        p.splitDay = o.days / 4 + static_cast<int>(rnd.uniform() * (o.days / 2));
        p.splitRatio = rnd.uniform() < 0.5 ? 2 : 3;
    }
    return p;
}

void appendFixed2(std::string& out, double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    out.append(buf, r.ptr);
}

void appendWhole(std::string& out, long long v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

std::vector<Date> tradingDays(const Options& o) {
    std::vector<Date> days;
    long serial = dateSerial(o.firstDate);
    while (static_cast<int>(days.size()) < o.days) {
        if (serial % 7 >= 2) days.push_back(dateFromSerial(serial));  // serial 0 is a Saturday
        ++serial;
    }
    return days;
}

class FileOut {
public:
    explicit FileOut(const std::string& path)
        : f_(std::fopen(path.c_str(), "wb"), &std::fclose), path_(path) {
        if (!f_) throw FileError("Path not found: " + path);
    }
    void write(const std::string& s) {
        if (!s.empty() && std::fwrite(s.data(), 1, s.size(), f_.get()) != s.size())
            throw FileError("Disk full or write error: " + path_);
    }
    void close() {
        if (std::fclose(f_.release()) != 0) throw FileError("Write error: " + path_);
    }

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f_;
    std::string path_;
};

// Appends the symbol's lines to `out` (flushing through `sink` when it grows); returns rows.
template <class Sink>
std::int64_t writeSymbol(int k, const Options& o, const std::vector<Date>& dates,
                         const std::string& linePrefix, std::string& out, Sink&& sink,
                         Result& result) {
    Random rnd(o.seed * 1000003ull + static_cast<std::uint64_t>(k) * 7919ull + 17ull);
    SymbolPlan p = planSymbol(rnd, o);
    if (p.splitDay >= 0) result.splits.push_back({SymbolName(k), p.splitDay, p.splitRatio});
    std::int64_t rows = 0;
    double prevClose = p.close;
    for (int d = 0; d < o.days; ++d) {
        const double step =
            (rnd.uniform() + rnd.uniform() + rnd.uniform() + rnd.uniform() - 2.0) * 0.02;
        double close = prevClose * (1.0 + step);
        if (close < 0.5) close = prevClose * 1.05;
        const double open = prevClose * (1.0 + (rnd.uniform() - 0.5) * 0.01);
        const double high = std::max(open, close) * (1.0 + rnd.uniform() * 0.01);
        const double low = std::min(open, close) * (1.0 - rnd.uniform() * 0.01);
        double volume = p.volumeScale * (0.5 + rnd.uniform());
        const bool gap = rnd.uniform() < o.gapRate;
        prevClose = close;
        if (d < p.firstDay || gap) continue;
        double ratio = 1.0;
        if (p.splitDay >= 0 && d >= p.splitDay) {
            ratio = p.splitRatio;
            volume *= ratio;
        }
        out += linePrefix;
        out += FormatDate(dates[static_cast<size_t>(d)], o.dateForm);
        for (double v : {open, high, low, close}) {
            out += ',';
            appendFixed2(out, std::max(0.01, v / ratio));
        }
        out += ',';
        appendWhole(out, static_cast<long long>(volume));
        out += o.lineEnd;
        ++rows;
        if (out.size() > (1u << 20)) sink();
    }
    return rows;
}

}  // namespace

std::string SymbolName(int k) {
    std::string s(4, 'A');
    for (int i = 3; i >= 0 && k > 0; --i) {
        s[static_cast<size_t>(i)] = static_cast<char>('A' + k % 26);
        k /= 26;
    }
    return s;
}

std::string FormatDate(const Date& d, DateForm form) {
    char buf[32];
    switch (form) {
        case DateForm::Iso:
            return formatIsoDate(d);
        case DateForm::MonthDayYear:
            return formatShortDate(d);
        case DateForm::DayMonYY:
            std::snprintf(buf, sizeof buf, "%d-%s-%02d", d.day, kMonths[d.month - 1], d.year % 100);
            return buf;
        case DateForm::DayMonYYYY:
            std::snprintf(buf, sizeof buf, "%d-%s-%04d", d.day, kMonths[d.month - 1], d.year);
            return buf;
        case DateForm::MonDayCommaYear:
            // The comma makes the field one that must be quoted in comma-separated text.
            std::snprintf(buf, sizeof buf, "\"%s %d, %04d\"", kMonths[d.month - 1], d.day, d.year);
            return buf;
    }
    return formatIsoDate(d);
}

DateForm DateFormFromName(const std::string& name) {
    if (name == "mdy") return DateForm::MonthDayYear;
    if (name == "dmonyy") return DateForm::DayMonYY;
    if (name == "dmonyyyy") return DateForm::DayMonYYYY;
    if (name == "mondy") return DateForm::MonDayCommaYear;
    return DateForm::Iso;
}

Result WriteSymbolFiles(const std::string& folder, const Options& o) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    Result result;
    result.tradeDates = tradingDays(o);
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    std::string out;
    for (int k = 0; k < o.symbols; ++k) {
        const std::string symbol = SymbolName(k);
        const std::string path = dir + symbol + "." + o.extension;
        FileOut file(path);
        out.clear();
        if (o.header) out += "Date,Open,High,Low,Close,Volume" + o.lineEnd;
        auto flush = [&] {
            file.write(out);
            out.clear();
        };
        result.rows += writeSymbol(k, o, result.tradeDates, "", out, flush, result);
        flush();
        file.close();
        result.symbols.push_back(symbol);
        result.files.push_back(path);
    }
    return result;
}

Result WriteSingleFile(const std::string& path, const Options& o) {
    std::error_code ec;
    const auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    Result result;
    result.tradeDates = tradingDays(o);
    FileOut file(path);
    std::string out;
    if (o.header) out += "Symbol,Date,Open,High,Low,Close,Volume" + o.lineEnd;
    auto flush = [&] {
        file.write(out);
        out.clear();
    };
    for (int k = 0; k < o.symbols; ++k) {
        const std::string symbol = SymbolName(k);
        result.rows += writeSymbol(k, o, result.tradeDates, symbol + ",", out, flush, result);
        result.symbols.push_back(symbol);
    }
    flush();
    file.close();
    result.files.push_back(path);
    return result;
}

}  // namespace vel::eodgen
