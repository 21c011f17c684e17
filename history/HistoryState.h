// The process state of the history database's procedures, in groups by concern
// (ProcessState.h): the running import (column analysis, preview, folder files), the database
// build (its record count and the day arrays of the completion step) and the split editor's
// database. The names the procedures use are references to the members of their group.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "EodText.h"
#include "ProcessState.h"
#include "Tables.h"

namespace vel {

// ---- The import of EOD text ---------------------------------------------------------------
struct ImportRunState {
    // Per column 1..20, the analysed lines whose field was a number (1), text (2), date (3).
    Table2D<std::int32_t> ImportColumnKindCount{"ImportColumnKindCount", 1, kImportColumns, 1, 3};
    // The preview that the column dialog shows: two head lines, one line per analysed line,
    // two foot lines; every line 300 characters and CR LF.
    std::string ImportPreviewText;
    // Lines taken into the analysis so far (at most 98 fit into the preview).
    std::int32_t ImportPreviewLineCount = 0;
    // The files kept by the last folder import (names, not paths), and the rows of EOD data
    // that each of them gave (entry by entry; filled as far as the import got).
    std::int32_t ImportFolderFileCount = 0;
    std::vector<std::string> ImportFolderFileNames;
    std::vector<std::int64_t> ImportFolderFileRows;
    bool operator==(const ImportRunState&) const = default;
};
extern ImportRunState ImportRun;
inline Table2D<std::int32_t>& ImportColumnKindCount = ImportRun.ImportColumnKindCount;
inline std::string& ImportPreviewText = ImportRun.ImportPreviewText;
inline std::int32_t& ImportPreviewLineCount = ImportRun.ImportPreviewLineCount;
inline std::int32_t& ImportFolderFileCount = ImportRun.ImportFolderFileCount;
inline std::vector<std::string>& ImportFolderFileNames = ImportRun.ImportFolderFileNames;
inline std::vector<std::int64_t>& ImportFolderFileRows = ImportRun.ImportFolderFileRows;

// ---- The database build -------------------------------------------------------------------
struct HistoryBuildState {
    // Rows of History1 found by the last build; 0 when it had none (the unattended run reads
    // it).
    std::int32_t History1RecordCount = 0;
    // The days of the symbol being completed: entry i stands for DateNum first + i - 1.
    Table1D<float> SymbolDayPrices{"SymbolDayPrices", 1, 26000, 0.0f};    // entries 1..6000 used
    Table1D<float> SymbolDayVolumes{"SymbolDayVolumes", 1, 26000, 0.0f};  // entries 1..6000 used
    // Whether the last build took the fused road (BuildRoad::Fused, and a raw table it takes).
    bool BuildWasFused = false;
    bool operator==(const HistoryBuildState&) const = default;
};
extern HistoryBuildState BuildRun;
inline std::int32_t& History1RecordCount = BuildRun.History1RecordCount;
inline Table1D<float>& SymbolDayPrices = BuildRun.SymbolDayPrices;
inline Table1D<float>& SymbolDayVolumes = BuildRun.SymbolDayVolumes;
inline bool& BuildWasFused = BuildRun.BuildWasFused;

// ---- The split events editor --------------------------------------------------------------
struct SplitEditorState {
    // The database shown in the split events editor; set by the command that opens the editor.
    std::string SplitsDatabasePath;
    bool operator==(const SplitEditorState&) const = default;
};
extern SplitEditorState SplitEditor;
inline std::string& SplitsDatabasePath = SplitEditor.SplitsDatabasePath;

}  // namespace vel
