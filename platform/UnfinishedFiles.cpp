// The files of writes in progress.
#include "UnfinishedFiles.h"

#include <unistd.h>

#include <mutex>
#include <set>

namespace vel {

namespace {

std::mutex g_mutex;

std::set<std::string>& Files() {
    static std::set<std::string> files;
    return files;
}

}  // namespace

void NoteUnfinishedFile(const std::string& path) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    Files().insert(path);
}

void ForgetUnfinishedFile(const std::string& path) {
    const std::lock_guard<std::mutex> lock(g_mutex);
    Files().erase(path);
}

std::mutex& FileWritingMutex() {
    static std::mutex writing;
    return writing;
}

namespace {
bool g_writingStopped = false;  // the main thread holds FileWritingMutex for the end
}  // namespace

void StopFileWriting() {
    if (g_writingStopped) return;
    FileWritingMutex().lock();
    g_writingStopped = true;
}

void ResumeFileWriting() {
    if (!g_writingStopped) return;
    g_writingStopped = false;
    FileWritingMutex().unlock();
}

void EndFileWriting() {
    StopFileWriting();
    DiscardUnfinishedFiles();
}

void DiscardUnfinishedFiles() {
    const std::lock_guard<std::mutex> lock(g_mutex);
    for (const auto& path : Files()) ::unlink(path.c_str());
    Files().clear();
}

}  // namespace vel
