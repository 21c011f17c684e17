// A door for the benchmarks: it shows nothing and answers every box with OK.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Door.h"

namespace vel::bench {

class BenchDoor : public Door {
public:
    MsgAnswer MessageBox(const std::string& text, const std::string&, MsgButtons) override {
        if (text.find("error") != std::string::npos) std::fprintf(stderr, "%s\n", text.c_str());
        return MsgAnswer::OK;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::string OpenFileDialog(const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
    std::string SaveFileDialog(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
    void Beep() override {}
    void SetHourglass(bool) override {}
    std::string ClipboardText() override { return {}; }
    void SetClipboardText(const std::string&) override {}
    bool StartProgram(const std::string&, const std::vector<std::string>&) override {
        return false;
    }
    bool OpenInBrowser(const std::string&, const std::string&) override { return false; }
    bool OpenInTextEditor(const std::string&) override { return false; }
    std::string FindProgram(const std::string&) override { return {}; }
    void Yield() override {}
    DateTime Now() override { return DateTime{Date{2024, 1, 2}, 12, 0, 0}; }
    [[noreturn]] void EndProcess(int status) override { std::exit(status); }
    bool HasDisplay() override { return false; }
};

}  // namespace vel::bench
