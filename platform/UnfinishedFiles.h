// The files of writes in progress that mean nothing until the write finishes: the temporary file
// of a file written whole, the new database an import builds beside the one it replaces. The
// doors end the process through DiscardUnfinishedFiles, so that a program ended in the middle of
// such a write (by a signal, whose end command runs while a long command yields) leaves none of
// them behind; what stands under the final names is not touched.
#pragma once

#include <mutex>
#include <string>

namespace vel {

// Notes the path as the file of a write in progress (noting it again changes nothing).
void NoteUnfinishedFile(const std::string& path);
// The write of the path has finished, or removed its file itself.
void ForgetUnfinishedFile(const std::string& path);
// Removes every noted file that still exists and forgets them all. Called as the process ends.
void DiscardUnfinishedFiles();

// Held by a thread beside the main one for the whole write of one file, from the creation of
// its temporary file to its rename or removal.
std::mutex& FileWritingMutex();
// For the end of the process, before DiscardUnfinishedFiles: waits for the file that such a
// thread is writing and keeps it from starting another (the hold is never given back), so that
// no temporary file appears after the discard. Called again, it changes nothing.
void StopFileWriting();
// The end of the process for its files, with which every door's EndProcess begins:
// StopFileWriting, then DiscardUnfinishedFiles.
void EndFileWriting();
// For tests, whose process goes on after an end: gives back the hold of StopFileWriting (without
// one, nothing happens). From the thread that took it.
void ResumeFileWriting();

}  // namespace vel
