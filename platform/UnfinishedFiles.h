// The files of writes in progress that mean nothing until the write finishes: the temporary file
// of a file written whole, the new database an import builds beside the one it replaces. The
// doors end the process through DiscardUnfinishedFiles, so that a program ended in the middle of
// such a write (by a signal, whose end command runs while a long command yields) leaves none of
// them behind; what stands under the final names is not touched.
#pragma once

#include <string>

namespace vel {

// Notes the path as the file of a write in progress (noting it again changes nothing).
void NoteUnfinishedFile(const std::string& path);
// The write of the path has finished, or removed its file itself.
void ForgetUnfinishedFile(const std::string& path);
// Removes every noted file that still exists and forgets them all. Called as the process ends.
void DiscardUnfinishedFiles();

}  // namespace vel
