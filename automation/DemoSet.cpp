// The demonstration set.
#include "DemoSet.h"

#include <cstdio>
#include <exception>

#include "AppState.h"
#include "AutomationState.h"
#include "BasketUrlLists.h"
#include "DirectoryListing.h"
#include "EodStructure.h"
#include "Errors.h"
#include "FilePaths.h"
#include "HistoryImport.h"
#include "ImportDialogs.h"
#include "TextFile.h"

namespace vel {

std::string DemonstrationAutorunText() {
    return "; The demonstration set: the market timing of the generated stocks of its data\r\n"
           "; folder, without a network. The run rebuilds History.mdb of the data folder from\r\n"
           "; its .csv files (columns as in the .eodstru file), loads it, shows the charts and\r\n"
           "; writes the market timing report into the folder RESULTS of the data folder.\r\n"
           "DownloadEOD = NO            ; YES first fetches the .eodurls list with Tarquel\r\n"
           "CreateHistory = YES\r\n"
           "MarketSwingingSpecial = NO\r\n"
           "MarketSwinging = NO\r\n"
           "MarketTiming = YES\r\n"
           "LastDaysMax = 250           ; the trading days shown and timed\r\n"
           "defCommission = 0.5         ; one-way commission in percent\r\n";
}

bool WriteDemonstrationSet(const std::string& base) {
    const std::string dataFolder = JoinPath(ProgramFolderPath, base + "-EOD/");
    const auto files = ListDirectory(dataFolder, "*.csv", EntryKind::Files);
    if (files.empty()) {
        std::fprintf(stderr, "No EOD files in %s\n", dataFolder.c_str());
        return false;
    }
    try {
        TextFileWriter autorun(JoinPath(ProgramFolderPath, base + ".autorun"));
        autorun.Write(DemonstrationAutorunText());
        autorun.Close();
        std::vector<std::string> urls;
        for (const auto& name : files) {
            const std::string symbol = name.substr(0, name.size() - 4);
            urls.push_back("SaveTo(" + name + "):" + kQuoteServiceHost + "/table.csv?s=" + symbol);
        }
        WriteTextLines(JoinPath(ProgramFolderPath, base + ".eodurls"), urls);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }

    // The columns as the interactive import of these files finds them.
    const std::string first = JoinPath(dataFolder, files.front());
    if (!AnalyzeTextFileColumns(first) || !ValidateImportColumnNumbers("1", "2", "6", "7")) {
        std::fprintf(stderr, "The columns of %s are not date, ..., close, volume\n", first.c_str());
        return false;
    }
    DataFolderPath = dataFolder;
    EodStruFileName = base + ".eodstru";
    EodStruFilePath = JoinPath(ProgramFolderPath, EodStruFileName);
    try {
        WriteTextLines(EodStruFilePath, EODStructureLines());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return false;
    }

    // The DEMO command's history, built from the same files.
    ImportFileExtension = "csv";
    HistoryDatabasePath = JoinPath(ProgramFolderPath, "History.mdb");
    if (!ImportTextHistory(2, first)) {
        std::fprintf(stderr, "History.mdb was not built in %s\n", ProgramFolderPath.c_str());
        return false;
    }
    return true;
}

}  // namespace vel
