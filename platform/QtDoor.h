// The door of the running program, built on Qt Widgets: real message boxes and dialogs,
// detached processes, the clipboard and the system clock. Needs a QApplication.
#pragma once

#include <QElapsedTimer>

#include "Door.h"

namespace vel {

class QtDoor : public Door {
public:
    QtDoor();

    MsgAnswer MessageBox(const std::string& text, const std::string& title,
                         MsgButtons buttons) override;
    std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& proposal) override;
    std::string OpenFileDialog(const std::string& title, const std::string& filter,
                               const std::string& startFolder) override;
    std::string SaveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& startFolder,
                               const std::string& defaultName) override;
    void Beep() override;
    void SetHourglass(bool on) override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;
    bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
    bool OpenInBrowser(const std::string& browser, const std::string& target) override;
    bool OpenInTextEditor(const std::string& path) override;
    std::string FindProgram(const std::string& name) override;
    // Runs pending window events, at most once every 20 ms (more frequent calls return at once).
    void Yield() override;
    DateTime Now() override;
    [[noreturn]] void EndProcess(int status) override;
    bool HasDisplay() override;

private:
    QElapsedTimer sinceYield_;
    bool hourglass_ = false;
};

}  // namespace vel
