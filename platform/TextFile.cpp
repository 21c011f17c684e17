// Text files with CR LF line ends.
#include "TextFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "ByteOrderMark.h"
#include "Errors.h"
#include "SystemErrorText.h"

namespace vel {

namespace {

[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path) {
    const int err = errno;
    std::string message = what + ": " + path;
    if (err != 0) message += " (" + SystemErrorText(err) + ")";
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

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                    bool lookedMissing) {
    TextFileWriter w(path, TextFileWriter::Mode::Replace, lookedMissing);
    for (const auto& l : lines) w.WriteLine(l);
    w.Close();
}

void AppendTextLine(const std::string& path, const std::string& line) {
    TextFileWriter w(path, TextFileWriter::Mode::Append);
    w.WriteLine(line);
    w.Close();
}

TextFileWriter::TextFileWriter(const std::string& path, Mode mode, bool lookedMissing)
    : path_(path) {
    errno = 0;
    if (mode == Mode::Replace) {
        whole_ = std::make_unique<WholeFile>(path, lookedMissing);
        if (whole_->Open()) return;
        whole_.reset();
    } else {
        file_ = std::fopen(path.c_str(), "ab");
        if (file_) return;
    }
    ThrowFileError("File cannot be opened for writing", path);
}

TextFileWriter::~TextFileWriter() {
    if (file_) std::fclose(file_);
}

void TextFileWriter::Write(const std::string& text) {
    if (whole_) {
        pending_ += text;
        // Handed on in blocks of a disk block's size, as a buffered stream would: a write per
        // row would cost a system call, and a full disk is still found after a few rows.
        if (pending_.size() >= 4096) Flush();
        return;
    }
    if (!file_) throw FileError("File is not open: " + path_);
    errno = 0;
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        ThrowFileError("File cannot be written", path_);
}

void TextFileWriter::WriteLine(const std::string& text) {
    Write(text);
    Write(kCrLf);
}

void TextFileWriter::Flush() {
    errno = 0;
    if (pending_.empty() || whole_->Write(pending_.data(), pending_.size())) {
        pending_.clear();
        return;
    }
    const int err = errno;
    whole_.reset();
    pending_.clear();
    errno = err;
    ThrowFileError("File cannot be written", path_);
}

void TextFileWriter::Close() {
    if (whole_) {
        Flush();
        errno = 0;
        const bool committed = whole_->Commit();
        whole_.reset();
        if (!committed) ThrowFileError("File cannot be written", path_);
        return;
    }
    if (!file_) return;
    errno = 0;
    const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok || !closed) ThrowFileError("File cannot be written", path_);
}

}  // namespace vel
