// End-of-day text: the chunked line reader, quotes, fields and the field kinds.
#include "EodText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "AsciiText.h"
#include "ByteOrderMark.h"
#include "Errors.h"

namespace vel {

namespace {

// Fields are trimmed of blanks only, as the import has always done.
std::string_view trimBlanks(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    return t;
}

// Trim, strip one pair of enclosing quotes, trim again.
std::string_view cleanField(std::string_view f) {
    f = trimBlanks(f);
    if (f.size() >= 2 && f.front() == '"' && f.back() == '"')
        f = trimBlanks(f.substr(1, f.size() - 2));
    return f;
}

// Reads between minDigits and maxDigits digits at t[pos].
bool readDigits(std::string_view t, size_t& pos, int minDigits, int maxDigits, int& value) {
    int v = 0, n = 0;
    while (pos < t.size() && n < maxDigits && IsAsciiDigit(t[pos])) {
        v = v * 10 + (t[pos] - '0');
        ++pos;
        ++n;
    }
    value = v;
    return n >= minDigits;
}

// Month number of an English three-letter abbreviation at t[pos] (any case), or 0.
int readMonthName(std::string_view t, size_t& pos) {
    static const char* const names[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (pos + 3 > t.size()) return 0;
    char up[3];
    for (int k = 0; k < 3; ++k) up[k] = ToUpperAscii(t[pos + k]);
    for (int m = 0; m < 12; ++m) {
        if (up[0] == names[m][0] && up[1] == names[m][1] && up[2] == names[m][2]) {
            pos += 3;
            return m + 1;
        }
    }
    return 0;
}

std::optional<Date> checked(int y, int m, int d) {
    const Date date{y, m, d};
    if (!isValidDate(date)) return std::nullopt;
    return date;
}

// The number grammar: sign, digits, point, digits, exponent; at least one digit before the
// exponent. `exponent` tells whether an exponent was there.
bool MatchesNumberGrammar(std::string_view t, bool& exponent) {
    exponent = false;
    if (t.empty() || t.size() > 64) return false;
    size_t i = 0;
    if (t[0] == '+' || t[0] == '-') ++i;
    bool digits = false;
    while (i < t.size() && IsAsciiDigit(t[i])) ++i, digits = true;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsAsciiDigit(t[i])) ++i, digits = true;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        exponent = true;
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        bool expDigits = false;
        while (i < t.size() && IsAsciiDigit(t[i])) ++i, expDigits = true;
        if (!expDigits) return false;
    }
    return i == t.size();
}

}  // namespace

bool IsTokenSeparator(std::string_view c) {
    if (c.empty()) return true;
    const unsigned char ch = static_cast<unsigned char>(c.front());
    return ch == ' ' || ch == ',' || ch == '\r' || ch == '\n' || ch < ' ';
}

bool IsNumberField(std::string_view field) {
    bool exponent = false;
    if (!MatchesNumberGrammar(TrimAsciiSpace(field), exponent)) return false;
    // Without an exponent at most 64 characters cannot leave the double range.
    return !exponent || ReadNumberField(field).has_value();
}

std::optional<double> ReadNumberField(std::string_view field) {
    std::string_view t = TrimAsciiSpace(field);
    bool exponent = false;
    if (!MatchesNumberGrammar(t, exponent)) return std::nullopt;
    // Out of range: an underflow reads as the nearest double, an overflow is no number.
    const auto v = readDecimal(t);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

std::optional<Date> ReadDateField(std::string_view field) {
    const std::string_view t = TrimAsciiSpace(field);
    if (t.empty()) return std::nullopt;
    size_t pos = 0;
    int y = 0, m = 0, d = 0;
    // A year of two or four digits ending the text; two digits 00-29 are 20xx, 30-99 19xx.
    auto readYear = [&](bool twoDigitsToo) {
        const size_t start = pos;
        if (!readDigits(t, pos, 2, 4, y) || pos != t.size()) return false;
        const size_t digits = pos - start;
        if (digits == 2 && twoDigitsToo) {
            y += y < 30 ? 2000 : 1900;
            return true;
        }
        return digits == 4;
    };
    if (IsAsciiDigit(t[0])) {
        const size_t start = pos;
        int first = 0;
        readDigits(t, pos, 1, 4, first);
        if (pos >= t.size() || (t[pos] != '-' && t[pos] != '/')) return std::nullopt;
        const char sep = t[pos++];
        if (pos - 1 - start == 4) {  // YYYY-M-D or YYYY/M/D, padded or not
            y = first;
            if (!readDigits(t, pos, 1, 2, m) || pos >= t.size() || t[pos++] != sep)
                return std::nullopt;
            if (!readDigits(t, pos, 1, 2, d) || pos != t.size()) return std::nullopt;
            return checked(y, m, d);
        }
        if (pos - 1 - start > 2) return std::nullopt;
        if (sep == '/' || (pos < t.size() && IsAsciiDigit(t[pos]))) {  // M/D/YYYY, M/D/YY, M-D-YYYY
            m = first;
            if (!readDigits(t, pos, 1, 2, d) || pos >= t.size() || t[pos++] != sep)
                return std::nullopt;
            if (!readYear(sep == '/')) return std::nullopt;
            return checked(y, m, d);
        }
        d = first;  // D-Mon-YY or D-Mon-YYYY
        m = readMonthName(t, pos);
        if (m == 0 || pos >= t.size() || t[pos++] != '-' || !readYear(true)) return std::nullopt;
        return checked(y, m, d);
    }
    // Mon D, YYYY or Mon D, YY or Mon D YYYY
    m = readMonthName(t, pos);
    if (m == 0 || pos >= t.size() || t[pos] != ' ') return std::nullopt;
    while (pos < t.size() && t[pos] == ' ') ++pos;
    if (!readDigits(t, pos, 1, 2, d) || pos >= t.size()) return std::nullopt;
    if (t[pos] == ',') {
        ++pos;
        while (pos < t.size() && t[pos] == ' ') ++pos;
        if (!readYear(true)) return std::nullopt;
        return checked(y, m, d);
    }
    if (t[pos] != ' ') return std::nullopt;
    while (pos < t.size() && t[pos] == ' ') ++pos;
    if (!readYear(false)) return std::nullopt;
    return checked(y, m, d);
}

std::int16_t FieldKindOf(std::string_view field) {
    if (IsNumberField(field)) return kKindNumber;
    if (ReadDateField(field)) return kKindDate;
    return kKindText;
}

std::string MaskQuotedText(std::string_view line, bool& unclosed) {
    unclosed = false;
    std::string out;
    out.reserve(line.size());
    size_t pos = 0;
    while (true) {
        const size_t open = line.find('"', pos);
        if (open == std::string_view::npos) break;
        out.append(line, pos, open - pos + 1);
        const size_t close = line.find('"', open + 1);
        if (close == std::string_view::npos) {
            unclosed = true;
            return out;
        }
        out.append(close - open - 1, ' ');
        out += '"';
        pos = close + 1;
    }
    out.append(line, pos, std::string_view::npos);
    return out;
}

void SplitLineIntoFields(std::string_view line, std::string_view symbol, ParsedLine& out) {
    out.field[1] = symbol;
    out.count = 1;
    out.unclosedQuote = false;
    std::string masked;
    std::string_view scan = line;
    if (line.find('"') != std::string_view::npos) {
        masked = MaskQuotedText(line, out.unclosedQuote);
        if (out.unclosedQuote) return;
        scan = masked;
    }
    size_t pos = 0;
    while (true) {
        const size_t comma = scan.find(',', pos);
        if (comma == std::string_view::npos) {
            const std::string_view last = cleanField(line.substr(pos));
            if (!last.empty() && out.count < kImportColumns)
                out.field[static_cast<size_t>(++out.count)] = last;
            return;
        }
        if (out.count < kImportColumns)
            out.field[static_cast<size_t>(++out.count)] = cleanField(line.substr(pos, comma - pos));
        pos = comma + 1;
    }
}

std::string SymbolFromFileName(const std::string& pathOrName) {
    const size_t slash = pathOrName.find_last_of('/');
    std::string name = slash == std::string::npos ? pathOrName : pathOrName.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return ToUpperAscii(std::move(name));
}

// ---- EodLineReader -----------------------------------------------------------------------

void EodLineReader::deliver(std::string_view line) {
    if (line.size() > kMaxEodLineLength) return;
    handler_(line);
}

void EodLineReader::feed(std::string_view chunk) {
    const size_t n = chunk.size();
    size_t i = 0;
    if (!pending_.empty() || overlong_) {
        size_t j = 0;
        while (j < n && !IsLineBreak(chunk[j])) ++j;
        if (!overlong_ && pending_.size() + j > kMaxEodLineLength) {
            overlong_ = true;
            pending_.clear();
        }
        if (overlong_) {
            if (j == n) return;
            overlong_ = false;
        } else {
            pending_.append(chunk.data(), j);
            if (j == n) return;
            deliver(pending_);
            pending_.clear();
        }
        i = j;
    }
    while (i < n) {
        while (i < n && IsLineBreak(chunk[i])) ++i;
        if (i == n) break;
        const size_t start = i;
        while (i < n && !IsLineBreak(chunk[i])) ++i;
        if (i < n) {
            deliver(chunk.substr(start, i - start));
        } else if (i - start > kMaxEodLineLength) {
            overlong_ = true;
        } else {
            pending_.assign(chunk.data() + start, i - start);
        }
    }
}

void EodLineReader::finish() {
    if (!pending_.empty() && !overlong_) deliver(pending_);
    pending_.clear();
    overlong_ = false;
}

void ReadEodFileLines(const std::string& path, const EodLineReader::LineHandler& handler,
                      const std::function<void()>& onChunk, std::size_t chunkSize) {
    // Opened without waiting, so that a FIFO or a device named like a data file is refused
    // instead of blocking the import until something writes to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw FileError("File not found: " + path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError("Not a regular file: " + path);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(::fdopen(fd, "rb"), &std::fclose);
    if (!f) {
        ::close(fd);
        throw FileError("File not found: " + path);
    }
    SkipByteOrderMark(f.get());
    if (chunkSize < 1) chunkSize = 1;
    std::vector<char> buf(chunkSize);
    EodLineReader reader(handler);
    while (true) {
        const size_t got = std::fread(buf.data(), 1, chunkSize, f.get());
        if (got == 0) break;
        if (onChunk) onChunk();
        reader.feed(std::string_view(buf.data(), got));
        if (got < chunkSize) break;
    }
    if (std::ferror(f.get())) throw FileError("Input past end of file or read error: " + path);
    reader.finish();
}

}  // namespace vel
