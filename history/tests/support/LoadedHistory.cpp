// A generated, built and loaded history for tests.
#include "LoadedHistory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>

#include "ActivityLog.h"
#include "AppState.h"
#include "Database.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "EodImport.h"
#include "FilePaths.h"
#include "HistoryBuild.h"
#include "HistoryLoad.h"
#include "HistoryState.h"
#include "MainWindowView.h"
#include "Progress.h"
#include "SilentDoor.h"

namespace vel::testing {

namespace {

// The built databases of this test program, removed when it ends.
class BuildCache {
public:
    ~BuildCache() {
        std::error_code ec;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
    }
    // The database of the options, generated and built on first use.
    std::string Database(const eodgen::Options& options) {
        const auto key = std::make_tuple(options.symbols, options.days, options.seed,
                                         options.gapRate, options.lateStartRate, options.splitRate,
                                         static_cast<int>(options.dateForm));
        auto it = built_.find(key);
        if (it != built_.end()) return it->second;
        std::string name = std::to_string(built_.size());
        name += '/';
        const std::string folder = JoinPath(Folder(), name);
        eodgen::Options o = options;
        o.extension = "csv";
        eodgen::WriteSymbolFiles(folder, o);
        const std::string path = BuildQuietly(folder);
        built_.emplace(key, path);
        return path;
    }

private:
    const std::string& Folder() {
        if (folder_.empty()) {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "vellicor-histories-XXXXXX").string();
            if (!mkdtemp(pattern.data())) throw FileError("Cannot create " + pattern);
            folder_ = AsFolderPath(pattern);
        }
        return folder_;
    }

    // Builds with the quiet door and leaves every state group the import and the build write
    // as it was.
    static std::string BuildQuietly(const std::string& folder) {
        const auto saved = std::make_tuple(Paths, CurrentRun, ImportSource, ImportRun, BuildRun,
                                           ActivityLog, Progress);
        std::string labels[4];
        for (int k = 0; k < 4; ++k) labels[k] = MainLabelText(static_cast<MainLabel>(k));
        const double bar = ProgressBarValue();
        Door& previous = door();
        SilentDoor quiet;
        InstallDoor(&quiet);
        ActivityLogPath.clear();
        AutoRunMode = 1;
        const std::string path = BuildHistoryFromFolder(folder, 2, 6, 7);
        InstallDoor(&previous);
        std::tie(Paths, CurrentRun, ImportSource, ImportRun, BuildRun, ActivityLog, Progress) =
            saved;
        for (int k = 0; k < 4; ++k) SetMainLabel(static_cast<MainLabel>(k), labels[k]);
        SetProgressBarValue(bar);
        if (path.empty()) throw DatabaseError("The generated history could not be built");
        return path;
    }

    std::string folder_;
    std::map<std::tuple<int, int, std::uint64_t, double, double, double, int>, std::string> built_;
};

BuildCache g_cache;

}  // namespace

eodgen::Options GeneratedHistoryOptions(int symbols, int days, std::uint64_t seed) {
    eodgen::Options o;
    o.symbols = symbols;
    o.days = days;
    o.seed = seed;
    return o;
}

std::string BuildHistoryFromFolder(const std::string& folder, int dateColumn, int priceColumn,
                                   int volumeColumn) {
    const auto files = ListDirectory(folder, "*.csv", EntryKind::Files);
    if (files.empty()) return {};
    AnalyzeTextColumns(JoinPath(folder, files.front()));
    ImportColumnName(1) = "Symbol";
    ImportColumnName(dateColumn) = "TradeDate";
    ImportColumnName(priceColumn) = "Price";
    ImportColumnName(volumeColumn) = "Volume";
    const std::string path = JoinPath(folder, "History.mdb");
    {
        Database db = Database::Create(path);
        db.execute(History1CreateStatement());
        Database::Transaction transaction(db);
        for (const auto& f : files) ImportTextFileRows(db, "History1", JoinPath(folder, f));
        transaction.commit();
    }
    return BuildHistoryDatabase(path) ? path : std::string();
}

std::string LoadGeneratedHistory(const std::string& folder, const eodgen::Options& options) {
    const std::string dataFolder = JoinPath(folder, "history/");
    std::filesystem::create_directories(dataFolder);
    const std::string path = JoinPath(dataFolder, "History.mdb");
    std::filesystem::copy_file(g_cache.Database(options), path,
                               std::filesystem::copy_options::overwrite_existing);
    HistoryDatabasePath = path;
    EXPECT_TRUE(LoadHistory()) << "the generated history did not load: " << path;
    return path;
}

std::string LoadGeneratedHistory(const std::string& folder, int symbols, int days,
                                 std::uint64_t seed) {
    return LoadGeneratedHistory(folder, GeneratedHistoryOptions(symbols, days, seed));
}

}  // namespace vel::testing
