// Plain text files of the store: line output with CR LF, whole-file input, field splitting.
#include "VectorsFiles.h"

#include <cerrno>
#include <cstring>

#include "ByteOrderMark.h"
#include "Errors.h"
#include "SystemErrorText.h"

namespace vel::detail {

namespace {

std::string reason() {
    return errno ? ": " + SystemErrorText(errno) : std::string();
}

}  // namespace

LineFile::LineFile(const std::string& path) : path_(path) {
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) throw FileError("File error: cannot open \"" + path + "\" for writing" + reason());
}

LineFile::~LineFile() {
    if (file_) std::fclose(file_);
}

void LineFile::writeLine(std::string_view line) {
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
        std::fwrite("\r\n", 1, 2, file_) != 2)
        throw FileError("File error: cannot write to \"" + path_ + "\"" + reason());
}

void LineFile::close() {
    std::FILE* f = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(f) != 0)
        throw FileError("File error: cannot write to \"" + path_ + "\"" + reason());
}

std::string readWholeFile(const std::string& path) {
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw FileError("File error: cannot open \"" + path + "\" for reading" + reason());
    std::string text;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw FileError("File error: cannot read \"" + path + "\"");
    text.erase(0, ByteOrderMarkLength(text));
    return text;
}

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    auto addField = [&](std::string_view f) {
        while (!f.empty() && (f.front() == ' ' || f.front() == '\t')) f.remove_prefix(1);
        while (!f.empty() && (f.back() == ' ' || f.back() == '\t')) f.remove_suffix(1);
        fields.push_back(f);
    };
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        size_t comma;
        while ((comma = line.find(',')) != std::string_view::npos) {
            addField(line.substr(0, comma));
            line.remove_prefix(comma + 1);
        }
        addField(line);
        pos = end;
        if (pos < text.size() && text[pos] == '\r') {
            ++pos;
            if (pos < text.size() && text[pos] == '\n') ++pos;
        } else if (pos < text.size()) {
            ++pos;  // LF
        }
    }
    return fields;
}

}  // namespace vel::detail
