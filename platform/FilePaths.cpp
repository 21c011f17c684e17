// Folder paths and names.
#include "FilePaths.h"

namespace vel {

std::string AsFolderPath(const std::string& folder) {
    if (folder.empty()) return folder;
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/' && f[f.size() - 2] == '/') f.pop_back();
    if (f.back() != '/') f += '/';
    return f;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    std::string n = name;
    size_t skip = 0;
    while (skip < n.size() && n[skip] == '/') ++skip;
    return AsFolderPath(folder) + n.substr(skip);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace vel
