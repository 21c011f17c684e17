// Directory listing with patterns.
#include "DirectoryListing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "AsciiText.h"
#include "FilePaths.h"

namespace fs = std::filesystem;

namespace vel {

namespace {

bool HasWildcards(const std::string& s) {
    return s.find_first_of("*?") != std::string::npos;
}

bool KindMatches(const fs::path& p, EntryKind kind) {
    std::error_code ec;
    if (kind == EntryKind::NonFolders) {
        // The entry's own kind: a link is a link, whatever it names.
        const auto own = fs::symlink_status(p, ec);
        return !ec && !fs::is_directory(own);
    }
    auto st = fs::status(p, ec);
    if (ec || !fs::exists(st)) {
        // A link that points nowhere is an entry of its own kind.
        st = fs::symlink_status(p, ec);
        if (ec || !fs::is_symlink(st)) return false;
        return kind == EntryKind::Others;
    }
    if (fs::is_directory(st))
        return kind == EntryKind::Folders || kind == EntryKind::FilesAndFolders;
    if (fs::is_regular_file(st))
        return kind == EntryKind::Files || kind == EntryKind::FilesAndFolders;
    return kind == EntryKind::Others;
}

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    const std::string pat = pattern == "*.*" ? std::string("*") : pattern;
    // Iterative glob match with one backtracking point for the last "*".
    size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        // A "*" of the pattern is a wildcard also where the name holds a "*" itself.
        if (p < pat.size() && pat[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pat.size() &&
                   (pat[p] == '?' || ToLowerAscii(pat[p]) == ToLowerAscii(name[n]))) {
            ++n;
            ++p;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*') ++p;
    return p == pat.size();
}

std::vector<std::string> ListDirectory(const std::string& folder, const std::string& pattern,
                                       EntryKind kind) {
    std::vector<std::string> names;
    const fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
    std::error_code ec;
    fs::directory_iterator it(dir, ec), end;
    if (ec) return names;
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        const std::string name = it->path().filename().string();
        if (name == "." || name == "..") continue;
        if (!MatchesPattern(name, pattern)) continue;
        if (!KindMatches(it->path(), kind)) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ListNonFolderEntries(const std::string& folder) {
    // Never the working folder: what empties a folder names the folder it empties.
    if (folder.empty()) return {};
    return ListDirectory(folder, "*", EntryKind::NonFolders);
}

std::string FindFirst(const std::string& path, EntryKind kind) {
    const std::string name = FileNameOf(path);
    if (name.empty()) return {};
    const std::string folder = FolderOf(path);
    if (HasWildcards(name)) {
        const auto names = ListDirectory(folder, name, kind);
        return names.empty() ? std::string() : names.front();
    }
    return KindMatches(fs::path(path), kind) ? name : std::string();
}

}  // namespace vel
