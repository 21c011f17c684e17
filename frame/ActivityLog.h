// The activity log of both programs: one line per major step in a text file of the program
// folder ("Vellicor.log", "Tarquel.log"), kept open for appends: each line reaches the file in one
// write before the call returns, so that the log is complete up to the last event however the
// process ends and a reader never sees part of a line. A file removed or replaced under the
// path is opened anew (created) at the next line; a path that is a link (of links) writes each
// line to the file it names at that moment, a target renamed away or removed included.
#pragma once

#include <cstdint>
#include <string>

namespace vel {

struct ActivityLogState {
    // The full path of the log file, set by OpenActivityLog.
    std::string ActivityLogPath;
    bool operator==(const ActivityLogState&) const = default;
};
extern ActivityLogState ActivityLog;
inline std::string& ActivityLogPath = ActivityLog.ActivityLogPath;

// A log file longer than this is begun anew at the next start that holds it alone.
constexpr std::uintmax_t kActivityLogLimit = 2000000;

// Sets ActivityLogPath to the name in ProgramFolderPath (which the caller has set) and
// prepares the file: a missing file is created; an empty one stays so; one longer than
// kActivityLogLimit bytes is emptied, but only when no other process holds it as its log;
// otherwise a separator line of 74 "*" is appended. Every process holds a shared lock (flock) on
// the log it has open, on every descriptor it opens anew too; the start takes it exclusively,
// without waiting, to empty the file. Also makes the log the place where unattended message
// boxes are written. Something other than a regular file under the name (a FIFO, a device, a
// folder) is never waited on. A log that cannot be opened, or emptied, or given its separator, is
// reported once on standard error ("The activity log is not a regular file: " or "The activity
// log cannot be written: ", and the path) and the result is false, on which the program ends
// with status 1.
bool OpenActivityLog(const std::string& name);

// Writes the text as WriteActivityLog does when the log is open; before, keeps it until
// WriteHeldActivityLog. For what a program is told before its log can be opened (Qt's messages
// of its start).
void WriteActivityLogOrHold(const std::string& text);
// Writes the texts that WriteActivityLogOrHold kept, in their order.
void WriteHeldActivityLog();

// Appends "Date: " date "  Time: " time " >> " text and CR LF, the date M/D/YYYY and the time
// h:mm:ss AM/PM of the door's clock. Line breaks inside the text become blanks, so every
// entry stays one line. Does nothing before OpenActivityLog.
void WriteActivityLog(const std::string& text);

}  // namespace vel
