// Programs that this program starts and keeps an eye on (the downloader of an unattended run):
// each is a child process whose end, and whose standard error, are seen through the event loop,
// and which this program can end. A program still running when this program's process ends,
// however it ends (SIGKILL too), is sent SIGTERM by the system then, so that no orphan goes on
// working beside the next run.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Door.h"

class QProcess;

namespace vel {

class QtWatchedPrograms {
public:
    QtWatchedPrograms() = default;
    // Forgets the programs without ending them.
    ~QtWatchedPrograms();
    QtWatchedPrograms(const QtWatchedPrograms&) = delete;
    QtWatchedPrograms& operator=(const QtWatchedPrograms&) = delete;

    // Starts the program with the arguments (no shell) and waits until it has started or
    // failed to; the id, or 0 when it could not be started. When it ends by a signal, the
    // temporary files it left in `leftoverFolders` are removed. It inherits `handedLock` (unless
    // -1) as Door::StartWatchedProgram says.
    ProgramId Start(const std::string& program, const std::vector<std::string>& args,
                    const std::vector<std::string>& leftoverFolders, int handedLock);
    // True while the program runs (as far as the processed events tell).
    bool Running(ProgramId id) const;
    // Sends the program SIGTERM, then SIGKILL when it has not ended within `graceMs`; returns
    // once it has ended (and was reaped). An ended or unknown program changes nothing.
    void Stop(ProgramId id, std::int64_t graceMs);
    // The program's standard error read since the last call (Door::TakeProgramErrorOutput).
    std::string TakeErrorOutput(ProgramId id);

    // What is known of one program; shared with the handlers of its process's signals, which
    // may outlive this object (a running program's process is left behind).
    struct Watched;

private:
    ProgramId last_ = 0;
    std::map<ProgramId, std::shared_ptr<Watched>> programs_;
};

// Processes the pending events; when none is pending, sleeps until one comes (a window event, a
// timer, the end of a watched program), for at most `ms` milliseconds.
void WaitForEventsFor(std::int64_t ms);

}  // namespace vel
