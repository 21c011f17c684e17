// The lines of URL list files (<base>.eodurls for EOD price files, <base>.htmurls for web
// pages): "SaveTo(" file name "):" URL part. The downloader fetches by them; Vellicor reads the
// same lines to tell which files of a list a download left missing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vel {

// A list contributes at most this many valid lines; further ones are ignored.
constexpr int kMaxListEntries = 10000;
// At most this many characters of a URL part are taken.
constexpr std::size_t kMaxUrlPartLength = 9999;

// True when the line, trimmed, begins with "SaveTo(" and holds "):" after it (any case).
bool IsValidListLine(const std::string& line);

// A valid line taken apart at its first "):": the trimmed file name and the trimmed URL part.
struct ListEntry {
    std::string fileName;
    std::string urlPart;
};
ListEntry SplitListEntry(const std::string& line);

// The valid lines of a list file, trimmed, in file order, at most kMaxListEntries. False when
// the file cannot be read (the entries are then empty).
bool ReadUrlList(const std::string& path, std::vector<std::string>& entries);

// True when a "SaveTo(" name stays inside the save folder: not empty, not absolute (no leading
// "/" or "\" and no drive letter), no ".." part, and not ending in a folder separator or ".".
bool IsSafeSaveName(const std::string& name);

// The file that a safe save name (IsSafeSaveName) names in its save folder, in the one form a
// listing of the folder gives it: without "." parts and without empty parts of repeated "/", so
// that "./AAAD.csv", ".//AAAD.csv" and "AAAD.csv" are the same file "AAAD.csv" (and
// "sub/./a.csv" is "sub/a.csv").
std::string SaveNameInFolder(const std::string& name);

// The number of a list's `entries` that a download takes when at most `maxCountText` URLs are
// asked for (a number, rounded; a text that is no number sets no limit): never more than the
// list has, 0 for a limit of 0 or less.
int ListEntriesTaken(int entries, const std::string& maxCountText);

// Takes a leading "Keyword(" value "):" off the text: true and the trimmed value and the
// trimmed rest when the text begins with the keyword (any case) and holds "):" after it.
bool TakeLeadingPart(const std::string& text, const std::string& keyword, std::string& value,
                     std::string& rest);

}  // namespace vel
