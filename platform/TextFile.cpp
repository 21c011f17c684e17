// Text files with CR LF line ends.
#include "TextFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "ByteOrderMark.h"
#include "Errors.h"

namespace vel {

namespace {

[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path) {
    const int err = errno;
    std::string message = what + ": " + path;
    if (err != 0) message += " (" + std::string(std::strerror(err)) + ")";
    throw FileError(message);
}

}  // namespace

std::vector<std::string> ReadTextLines(const std::string& path, std::size_t maxLines) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) ThrowFileError("File cannot be read", path);
    SkipByteOrderMark(in);
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    bool afterCr = false;  // a LF right after a CR ends no second line
    char buffer[1 << 16];
    while (lines.size() < maxLines && in) {
        in.read(buffer, sizeof buffer);
        const std::streamsize n = in.gcount();
        if (in.bad()) ThrowFileError("File cannot be read", path);
        for (std::streamsize i = 0; i < n && lines.size() < maxLines; ++i) {
            const char c = buffer[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') {
                lines.push_back(line);
                line.clear();
                pending = false;
            } else {
                line += c;
                pending = true;
            }
        }
    }
    if (pending && lines.size() < maxLines) lines.push_back(line);
    return lines;
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    TextFileWriter w(path);
    for (const auto& l : lines) w.WriteLine(l);
    w.Close();
}

void WriteTextLinesWhole(const std::string& path, const std::vector<std::string>& lines) {
    const std::string temp = path + ".tmp";
    try {
        WriteTextLines(temp, lines);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        throw;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw FileError("File cannot be written: " + path + " (" + ec.message() + ")");
    }
}

void AppendTextLine(const std::string& path, const std::string& line) {
    TextFileWriter w(path, TextFileWriter::Mode::Append);
    w.WriteLine(line);
    w.Close();
}

TextFileWriter::TextFileWriter(const std::string& path, Mode mode) : path_(path) {
    errno = 0;
    file_ = std::fopen(path.c_str(), mode == Mode::Append ? "ab" : "wb");
    if (!file_) ThrowFileError("File cannot be opened for writing", path);
}

TextFileWriter::~TextFileWriter() {
    if (file_) std::fclose(file_);
}

void TextFileWriter::Write(const std::string& text) {
    if (!file_) throw FileError("File is not open: " + path_);
    errno = 0;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        ThrowFileError("File cannot be written", path_);
}

void TextFileWriter::WriteLine(const std::string& text) {
    Write(text);
    Write("\r\n");
}

void TextFileWriter::Close() {
    if (!file_) return;
    errno = 0;
    const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok || !closed) ThrowFileError("File cannot be written", path_);
}

}  // namespace vel
