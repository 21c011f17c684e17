// Directory listing with patterns, as the program searches its folders: names sorted, the
// wildcards "*" and "?", and patterns that match regardless of case ("*.csv" finds "A.CSV").
// A name without wildcards follows the file system's own case rules.
#pragma once

#include <string>
#include <vector>

namespace vel {

// Files are regular files and Folders are folders (a link counts as what it points to); Others
// are the entries that are neither (FIFOs, devices, sockets, broken links), which the program
// never opens as files: opening a FIFO would wait for a writer forever. NonFolders are the
// entries that are not themselves folders, judged by their own kind (every link among them).
enum class EntryKind { Files = 1, Folders = 2, FilesAndFolders = 3, Others = 4, NonFolders = 8 };

// True when the name matches the wildcard pattern ("*" any run, "?" one character), compared
// without regard to case. The pattern "*.*" matches every name, also one without a dot.
bool MatchesPattern(const std::string& name, const std::string& pattern);

// The names (not paths) of the entries of the folder that match the pattern and are of the
// asked kind, sorted by name; "." and ".." never. A folder that is missing or cannot be read
// gives an empty list.
std::vector<std::string> ListDirectory(const std::string& folder, const std::string& pattern,
                                       EntryKind kind);

// The names of every entry of the folder that is not itself a folder, sorted: regular files,
// links of every kind (to a file, to a folder, to nothing), FIFOs, devices and sockets; what
// emptying the folder removes. A folder that is missing or cannot be read, or the empty name,
// gives an empty list.
std::vector<std::string> ListNonFolderEntries(const std::string& folder);

// The directory search for one path whose last part may hold wildcards: the name of the first
// matching entry of the asked kind (in name order), or "" when there is none. A last part
// without wildcards must name the entry exactly. A path ending with "/" finds nothing.
std::string FindFirst(const std::string& path, EntryKind kind);

}  // namespace vel
