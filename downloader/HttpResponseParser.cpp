// The reader of one HTTP/1.x response.
#include "HttpResponseParser.h"

#include <algorithm>
#include <cstring>

namespace vel {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A character of a field name (a token).
bool IsTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c)) return true;
    return c != '\0' && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x | 0x20) == (y | 0x20);
           });
}

// Splits a field line "name: value"; false when it is none (an empty or invalid name, white
// space before the colon, a NUL in the value).
bool SplitField(std::string_view line, std::string_view& name, std::string_view& value) {
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    name = line.substr(0, colon);
    if (!std::all_of(name.begin(), name.end(), IsTokenChar)) return false;
    value = Trimmed(line.substr(colon + 1));
    return value.find('\0') == std::string_view::npos;
}

// The most a length or chunk size may be: what fits a signed 64-bit number.
constexpr std::uint64_t kMaxLength = 0x7FFFFFFFFFFFFFFFull;

}  // namespace

HttpResponseParser::State HttpResponseParser::Feed(std::string_view bytes, std::string& body) {
    while (!bytes.empty() && (state_ == State::Head || state_ == State::Body)) {
        if (state_ == State::Head) {
            if (TakeLine(bytes)) HeadLine();
            continue;
        }
        if (framing_ == Framing::UntilClose) {
            body.append(bytes);
            break;
        }
        if (framing_ == Framing::Length || chunk_ == Chunk::Data) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, bytes.size()));
            body.append(bytes.substr(0, n));
            bytes.remove_prefix(n);
            remaining_ -= n;
            if (remaining_ == 0) {
                if (framing_ == Framing::Length)
                    state_ = State::Complete;
                else
                    chunk_ = Chunk::DataEnd;
            }
            continue;
        }
        if (TakeLine(bytes)) ChunkLine();
    }
    return state_;
}

HttpResponseParser::State HttpResponseParser::Close() {
    if (state_ == State::Body && framing_ == Framing::UntilClose)
        state_ = State::Complete;
    else if (state_ == State::Head)
        Fail(Failure::ClosedEarly, "the connection closed before a whole response came");
    else if (state_ == State::Body)
        Fail(Failure::ClosedEarly, "the connection closed before the end of the body");
    return state_;
}

bool HttpResponseParser::TakeLine(std::string_view& bytes) {
    const std::size_t end = bytes.find('\n');
    const bool whole = end != std::string_view::npos;
    const std::size_t taken = whole ? end + 1 : bytes.size();
    if (taken > lineBudget_) {
        Fail(Failure::Malformed, "a response head, chunk size line or trailer is too long");
        return false;
    }
    lineBudget_ -= taken;
    line_.append(bytes.substr(0, whole ? end : taken));
    bytes.remove_prefix(taken);
    if (!whole) return false;
    // Lines end with CR LF; a bare LF is taken as well, a CR anywhere else is not.
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    if (line_.find('\r') != std::string::npos) {
        Fail(Failure::Malformed, "a line holds a bare CR");
        return false;
    }
    return true;
}

void HttpResponseParser::HeadLine() {
    if (!statusLineRead_) {
        // "HTTP/1.x 123 reason", the reason possibly empty.
        const std::string& s = line_;
        const bool valid = s.size() >= 12 && s.compare(0, 7, "HTTP/1.") == 0 && IsDigit(s[7]) &&
                           s[8] == ' ' && IsDigit(s[9]) && IsDigit(s[10]) && IsDigit(s[11]) &&
                           s[9] != '0' && (s.size() == 12 || s[12] == ' ');
        if (!valid) {
            Fail(Failure::Malformed, "the status line is not that of an HTTP/1 response");
            return;
        }
        statusLineRead_ = true;
        http10_ = s[7] == '0';
        status_ = (s[9] - '0') * 100 + (s[10] - '0') * 10 + (s[11] - '0');
        reason_ = s.size() > 13 ? s.substr(13) : std::string();
        fields_.clear();
    } else if (line_.empty()) {
        EndOfHead();
    } else if (IsBlank(line_.front())) {
        // A folded line continues the field before it.
        if (fields_.empty()) {
            Fail(Failure::Malformed, "the response head begins with a folded line");
            return;
        }
        std::string& value = fields_.back().value;
        value += ' ';
        value += Trimmed(line_);
    } else {
        std::string_view name;
        std::string_view value;
        if (!SplitField(line_, name, value)) {
            Fail(Failure::Malformed, "a header line is no field");
            return;
        }
        fields_.push_back({std::string(name), std::string(value)});
    }
    line_.clear();
}

void HttpResponseParser::EndOfHead() {
    if (status_ < 200) {
        // An interim response: the final one follows, unless they never end.
        if (++interim_ > kMaxInterim) {
            Fail(Failure::Malformed, "too many interim responses");
            return;
        }
        statusLineRead_ = false;
        status_ = 0;
        reason_.clear();
        fields_.clear();
        lineBudget_ = kMaxHeadSize;
        return;
    }
    if (status_ == 204 || status_ == 304) {
        state_ = State::Complete;
        return;
    }
    bool transferEncoding = false;
    bool chunked = false;
    bool hasLength = false;
    std::uint64_t length = 0;
    for (const Field& field : fields_) {
        if (EqualsNoCase(field.name, "Transfer-Encoding")) {
            // Only "chunked" alone is read; a body in any other coding would be saved encoded.
            std::string_view codings = field.value;
            while (true) {
                const std::size_t comma = codings.find(',');
                const std::string_view coding = Trimmed(codings.substr(0, comma));
                if (!coding.empty()) {
                    if (chunked || !EqualsNoCase(coding, "chunked")) {
                        Fail(Failure::Malformed, "the transfer coding is not chunked alone");
                        return;
                    }
                    chunked = true;
                }
                if (comma == std::string_view::npos) break;
                codings.remove_prefix(comma + 1);
            }
            transferEncoding = true;
        } else if (EqualsNoCase(field.name, "Content-Length")) {
            // Every value of every Content-Length field: the same decimal number.
            std::string_view values = field.value;
            while (true) {
                const std::size_t comma = values.find(',');
                const std::string_view digits = Trimmed(values.substr(0, comma));
                std::uint64_t n = 0;
                bool valid = !digits.empty();
                for (const char c : digits) {
                    if (!IsDigit(c) || n > (kMaxLength - (c - '0')) / 10) {
                        valid = false;
                        break;
                    }
                    n = n * 10 + static_cast<std::uint64_t>(c - '0');
                }
                if (!valid || (hasLength && n != length)) {
                    Fail(Failure::Malformed, "the Content-Length is no single decimal number");
                    return;
                }
                hasLength = true;
                length = n;
                if (comma == std::string_view::npos) break;
                values.remove_prefix(comma + 1);
            }
        }
    }
    state_ = State::Body;
    if (transferEncoding) {
        // The coding overrides any Content-Length; HTTP/1.0 has no chunked framing at all.
        if (!chunked || http10_) {
            Fail(Failure::Malformed, "the transfer coding is not chunked alone");
            return;
        }
        framing_ = Framing::Chunked;
        chunk_ = Chunk::Size;
        lineBudget_ = kMaxHeadSize;
    } else if (hasLength) {
        framing_ = Framing::Length;
        remaining_ = length;
        if (length == 0) state_ = State::Complete;
    } else {
        framing_ = Framing::UntilClose;
    }
}

void HttpResponseParser::ChunkLine() {
    const std::string& s = line_;
    switch (chunk_) {
        case Chunk::Size: {
            // Hexadecimal digits, then perhaps white space and extensions after a ";".
            std::size_t i = 0;
            std::uint64_t size = 0;
            for (int digit; i < s.size() && (digit = HexValue(s[i])) >= 0; ++i) {
                if (size > (kMaxLength - static_cast<std::uint64_t>(digit)) / 16) {
                    Fail(Failure::Malformed, "a chunk size is too large");
                    return;
                }
                size = size * 16 + static_cast<std::uint64_t>(digit);
            }
            const std::size_t digits = i;
            while (i < s.size() && IsBlank(s[i])) ++i;
            if (digits == 0 || (i < s.size() && s[i] != ';')) {
                Fail(Failure::Malformed, "a chunk size is no hexadecimal number");
                return;
            }
            remaining_ = size;
            chunk_ = size == 0 ? Chunk::Trailer : Chunk::Data;
            lineBudget_ = kMaxHeadSize;
            trailerSeen_ = false;
            break;
        }
        case Chunk::DataEnd:
            if (!s.empty()) {
                Fail(Failure::Malformed, "a chunk is not followed by CR LF");
                return;
            }
            chunk_ = Chunk::Size;
            lineBudget_ = kMaxHeadSize;
            break;
        case Chunk::Trailer: {
            std::string_view name;
            std::string_view value;
            if (s.empty()) {
                state_ = State::Complete;
            } else if (IsBlank(s.front()) ? !trailerSeen_ : !SplitField(s, name, value)) {
                Fail(Failure::Malformed, "a trailer line is no field");
                return;
            }
            trailerSeen_ = true;
            break;
        }
        case Chunk::Data:
            break;
    }
    line_.clear();
}

void HttpResponseParser::Fail(Failure failure, const char* text) {
    state_ = State::Failed;
    failure_ = failure;
    failureText_ = text;
    line_.clear();
}

}  // namespace vel
