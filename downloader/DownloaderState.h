// The process-wide state of Tarquel: the automation mode and the values of the parameters
// file, and the state of the current download run. One group of plain values owned here, as
// the program was designed (ProcessState.h); ResetProcessState puts it back to its start.
// The program folder and the command line are core's ProgramFolderPath and CommandLineText.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vel {

// A file of the save folder that the folder's preparation could not delete: its path, and the
// device and inode number by which a later look at a path knows it as that old file.
struct UndeletedFile {
    std::string path;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const UndeletedFile&) const = default;
};

struct DownloaderState {
    // 0 manual mode, 1 automatic mode, 2 automation parameters unusable.
    std::int16_t AutomationMode = 0;
    // The URL list path from the parameters file; empty until read.
    std::string AutomationListPath;
    // The save folder from the parameters file, ending in "/" when not empty.
    std::string AutomationSaveFolder;
    // The result file's path; empty when none is known.
    std::string AutomationResultPath;
    // The greatest number of URLs to download, as text; "9999" by default.
    std::string AutomationMaxURLCount = "9999";
    // What the result file receives: "ERROR" until a run ends normally, then "OK" (unless it
    // leaves an old file that its folder's preparation could not delete).
    std::string AutomationResultText = "ERROR";

    // The list of the current run, its file name as a listing returns it (also the folder
    // note's name), and its save folder (ending in "/").
    std::string URLListPath;
    std::string URLListName;
    std::string SaveFolder;
    // Attempts per URL and whether a read error still saves, by the list's kind.
    std::int16_t PassCountMax = 1;
    bool SaveOnError = false;
    // Set by a break or quit; stops the dispatch and the final wait.
    bool DownloadBreak = false;
    // The files that the preparation of the save folder was to delete and could not: no
    // download of this run, so never "downloaded before".
    std::vector<UndeletedFile> UndeletedSaveFiles;

    bool operator==(const DownloaderState&) const = default;
};
extern DownloaderState Downloader;
inline std::int16_t& AutomationMode = Downloader.AutomationMode;
inline std::string& AutomationListPath = Downloader.AutomationListPath;
inline std::string& AutomationSaveFolder = Downloader.AutomationSaveFolder;
inline std::string& AutomationResultPath = Downloader.AutomationResultPath;
inline std::string& AutomationMaxURLCount = Downloader.AutomationMaxURLCount;
inline std::string& AutomationResultText = Downloader.AutomationResultText;
inline std::string& URLListPath = Downloader.URLListPath;
inline std::string& URLListName = Downloader.URLListName;
inline std::string& SaveFolder = Downloader.SaveFolder;
inline std::int16_t& PassCountMax = Downloader.PassCountMax;
inline bool& SaveOnError = Downloader.SaveOnError;
inline bool& DownloadBreak = Downloader.DownloadBreak;
inline std::vector<UndeletedFile>& UndeletedSaveFiles = Downloader.UndeletedSaveFiles;

}  // namespace vel
