// The process state of the unattended runs and their files, in groups by concern
// (ProcessState.h): the autorun set of the last parse (its name, status, step switches and
// paths) and the EOD structure file last written or read. AutoRunMode, AutoRunFileName,
// DwnResultFilePath and DownloadFinished are core's (the main window reads them too).
#pragma once

#include <cstdint>
#include <string>

#include "ProcessState.h"

namespace vel {

// ---- The autorun set ----------------------------------------------------------------------
struct AutorunSetState {
    std::string AutoRunBaseName;  // <base>: the trimmed name before ".autorun"
    // The status of the last parse, 0 (success) to 5, and its text ("" for 0).
    std::int16_t AutoRunError = 0;
    std::string AutoRunErrorText;
    // Step switches: "YES", "NO" or "". A step runs only when its switch is exactly "YES".
    std::string DownloadEOD, CreateHistory, MarketTiming, MarketSwinging, MarketSwingingSpecial;
    // Texts as written in the command file: the downloader's greatest number of URLs and the
    // trading days shown during the run; "9999" unless set.
    std::string StockSymbolsMax = "9999";
    std::string LastDaysMax = "9999";
    // The files of the set in the program folder, and its data folder <base>-EOD/.
    std::string AutoRunFilePath, EodUrlsFilePath, EodDataFolderPath, DwnParamsFilePath;
    bool operator==(const AutorunSetState&) const = default;
};
extern AutorunSetState AutorunSet;
inline std::string& AutoRunBaseName = AutorunSet.AutoRunBaseName;
inline std::int16_t& AutoRunError = AutorunSet.AutoRunError;
inline std::string& AutoRunErrorText = AutorunSet.AutoRunErrorText;
inline std::string& DownloadEOD = AutorunSet.DownloadEOD;
inline std::string& CreateHistory = AutorunSet.CreateHistory;
inline std::string& MarketTiming = AutorunSet.MarketTiming;
inline std::string& MarketSwinging = AutorunSet.MarketSwinging;
inline std::string& MarketSwingingSpecial = AutorunSet.MarketSwingingSpecial;
inline std::string& StockSymbolsMax = AutorunSet.StockSymbolsMax;
inline std::string& LastDaysMax = AutorunSet.LastDaysMax;
inline std::string& AutoRunFilePath = AutorunSet.AutoRunFilePath;
inline std::string& EodUrlsFilePath = AutorunSet.EodUrlsFilePath;
inline std::string& EodDataFolderPath = AutorunSet.EodDataFolderPath;
inline std::string& DwnParamsFilePath = AutorunSet.DwnParamsFilePath;

// ---- The EOD structure file ---------------------------------------------------------------
struct EodStructureState {
    std::string EodStruFileName;  // without folder
    std::string EodStruBaseName;  // the note file's name before ".eodurls"
    // The structure file in the program folder (also <base>.eodstru of the set being run).
    std::string EodStruFilePath;
    std::string EodStruLine1, EodStruLine2;  // the two lines last built or read
    // Column roles recognised by the last read (letters S, T, P and V counted).
    std::int16_t EodStruFieldCount = 0;
    bool operator==(const EodStructureState&) const = default;
};
extern EodStructureState EodStructure;
inline std::string& EodStruFileName = EodStructure.EodStruFileName;
inline std::string& EodStruBaseName = EodStructure.EodStruBaseName;
inline std::string& EodStruFilePath = EodStructure.EodStruFilePath;
inline std::string& EodStruLine1 = EodStructure.EodStruLine1;
inline std::string& EodStruLine2 = EodStructure.EodStruLine2;
inline std::int16_t& EodStruFieldCount = EodStructure.EodStruFieldCount;

// ---- The run that is active ----------------------------------------------------------------
struct UnattendedRunState {
    // True from the start to the end of an autorun, demonstration or load-only run.
    bool RunActive = false;
    // The active run's word for itself in its failure lines ("Autorun mode", "Demonstration
    // mode"), and the downloader it started and waits for (a ProgramId of the door; 0: none).
    std::string Mode;
    std::uint64_t Downloader = 0;
    bool operator==(const UnattendedRunState&) const = default;
};
extern UnattendedRunState UnattendedRun;

}  // namespace vel
