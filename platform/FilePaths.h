// Folder paths and names: every folder path ends with "/", and names are joined to a folder
// only through JoinPath.
#pragma once

#include <string>

namespace vel {

// The folder path with exactly one "/" at its end; "" stays "".
std::string AsFolderPath(const std::string& folder);
// The folder joined with a name (a file name, or a subfolder name ending with "/"). An empty
// folder gives the name alone; a missing "/" at the folder's end is supplied.
std::string JoinPath(const std::string& folder, const std::string& name);
// The last part of a path (behind the last "/"); "" for a folder path ending with "/".
std::string FileNameOf(const std::string& path);
// The path up to and including its last "/"; "" when it has none.
std::string FolderOf(const std::string& path);

}  // namespace vel
