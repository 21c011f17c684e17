// The import procedures with status labels, progress, hourglass and log.
#include "HistoryImport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "ActivityLog.h"
#include "AppPaths.h"
#include "AppState.h"
#include "Database.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "EodImport.h"
#include "FilePaths.h"
#include "HistoryBuild.h"
#include "Hooks.h"
#include "MainWindowView.h"
#include "Progress.h"
#include "SmallRoutines.h"
#include "SystemErrorText.h"
#include "UnfinishedFiles.h"

namespace vel {

namespace {

constexpr std::size_t kChunk = 1 << 16;

// Number of chunks the file is read in, plus one: the progress steps of one file.
long ChunkSteps(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 1 : std::lround(static_cast<double>(size) / kChunk + 1.0);
}

// Shows the file in the action label (unless a caller shows its own), the hourglass and an
// empty progress bar of the file's steps.
void BeginFile(const std::string& label, const std::string& path) {
    if (MainLabelText(MainLabel::PerformedAction).empty()) {
        SetMainLabel(MainLabel::PerformedAction, label + path);
        YieldToEvents();
    }
    door().SetHourglass(true);
    YieldToEvents();
    ProgressStart(ChunkSteps(path));
}

void EndFile() {
    ProgressEnd();
    door().SetHourglass(false);
    YieldToEvents();
    SetMainLabel(MainLabel::PerformedAction, "");
    YieldToEvents();
}

// One file into the open database (inside the caller's transaction); returns the rows stored.
std::int64_t ImportFileInto(Database& db, const std::string& table, const std::string& path) {
    BeginFile("Processing single text file  ", path);
    SplitFilePathParts(path);
    ImportFileSymbol = SymbolFromFileName(path);
    const std::int64_t rows = ImportTextFileRows(db, table, path, [] { ProgressStep(); });
    EndFile();
    return rows;
}

// The files of a database: the file itself and the engine's journals beside it.
constexpr const char* kDatabaseFileSuffixes[] = {"", "-journal", "-wal", "-shm"};

void RemoveDatabaseFiles(const std::string& path, bool withMainFile = true) {
    std::error_code ec;
    for (const char* suffix : kDatabaseFileSuffixes)
        if (withMainFile || *suffix) std::filesystem::remove(path + suffix, ec);
}

// The new database is unfinished until it takes the old one's place: a program ended meanwhile
// removes it.
void NoteNewDatabase(const std::string& path, bool unfinished) {
    for (const char* suffix : kDatabaseFileSuffixes) {
        if (unfinished)
            NoteUnfinishedFile(path + suffix);
        else
            ForgetUnfinishedFile(path + suffix);
    }
}

// Makes a rename in the folder survive a crash of the machine.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Whether the name is one of the folder import's: "." and the extension at its end (any case),
// or no extension at all when the import has none.
bool HasImportExtension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    return ImportFileExtension.empty()
               ? !hasExtension
               : hasExtension && MatchesPattern(name, "*." + ImportFileExtension);
}

}  // namespace

bool AnalyzeTextFileColumns(const std::string& path) {
    BeginFile("Processing single text file  ", path);
    bool ok = true;
    try {
        AnalyzeTextColumns(path, [] { ProgressStep(); });
    } catch (const std::exception& e) {
        ShowErrorHandler(e);
        ok = false;
    }
    EndFile();
    return ok;
}

std::string NewHistoryDatabasePath(const std::string& databasePath) {
    return databasePath + ".new";
}

bool CreateHistoryDatabase() {
    ErrorPosition = 32;
    const std::string path = NewHistoryDatabasePath(HistoryDatabasePath);
    try {
        std::error_code ec;
        if (DataFolderPath.empty()) throw FileError("Path not found: the data folder is empty");
        std::filesystem::create_directories(DataFolderPath, ec);
        if (ec) throw FileError("Path not found: " + DataFolderPath);
        RemoveDatabaseFiles(path);
        NoteNewDatabase(path, true);
        Database db = Database::Create(path);
        Database::Transaction transaction(db);
        db.execute(History1CreateStatement());
        transaction.commit();
    } catch (const std::exception& e) {
        if (!DataFolderPath.empty()) RemoveDatabaseFiles(path);
        NoteNewDatabase(path, false);
        ShowErrorHandler(e);
        return false;
    }
    YieldToEvents();
    return true;
}

bool ReplaceHistoryDatabase(const std::string& databasePath) {
    std::error_code ec;
    // A journal left by a crash belongs to the previous database: opening it rolls the journal
    // back, so that no stale journal is ever taken for the new database's.
    if (std::filesystem::exists(databasePath + "-journal", ec)) {
        try {
            Database::Open(databasePath);
        } catch (const std::exception&) {
        }
    }
    std::filesystem::rename(NewHistoryDatabasePath(databasePath), databasePath, ec);
    if (!ec) NoteNewDatabase(NewHistoryDatabasePath(databasePath), false);
    if (ec) {
        ShowErrorHandler(FileError("Path/File access error: " + databasePath + " (" +
                                   SystemErrorText(ec.value()) + ")"));
        return false;
    }
    RemoveDatabaseFiles(databasePath, false);
    SyncFolder(FolderOf(databasePath));
    return true;
}

void DiscardNewHistoryDatabase(const std::string& databasePath) {
    RemoveDatabaseFiles(NewHistoryDatabasePath(databasePath));
    NoteNewDatabase(NewHistoryDatabasePath(databasePath), false);
}

bool ImportTextHistory(int sourceType, const std::string& source) {
    // This import's database, whatever another command sets while this one yields.
    const std::string database = HistoryDatabasePath;
    // The files of this import, not those of an earlier one, even where it stops before it lists
    // the folder.
    ImportFolderFileNames.clear();
    ImportFolderFileRows.clear();
    for (int c = 1; c <= kImportColumns; ++c) {
        if (ImportColumnName(c) == "TradeDate" && ImportColumnType(c) == kKindText) {
            ShowNoTradeDatesMessage(database);
            return false;
        }
    }
    if (!CreateHistoryDatabase()) return false;
    const std::string fresh = NewHistoryDatabasePath(database);
    bool ok = false;
    if (sourceType == 1) {
        WriteActivityLog("Importing single file: Filepath=" + source);
        ok = ImportSingleTextFile(fresh, "History1", source);
    } else {
        ok = ImportHistoryFolderFiles(fresh, "History1");
    }
    ok = ok && BuildHistoryTables(fresh) && ReplaceHistoryDatabase(database);
    if (!ok) {
        DiscardNewHistoryDatabase(database);
        return false;
    }
    ShowHistoryBuildEnd();
    return true;
}

bool ImportSingleTextFile(const std::string& databasePath, const std::string& table,
                          const std::string& filePath) {
    try {
        Database db = Database::Open(databasePath);
        db.useBuildSettings();
        Database::Transaction transaction(db);
        ImportFileInto(db, table, filePath);
        transaction.commit();
    } catch (const std::exception& e) {
        ShowErrorHandler(e);
        ResetProgressDisplay();
        return false;
    }
    return true;
}

bool ImportHistoryFolderFiles(const std::string& databasePath, const std::string& table) {
    SetMainLabel(MainLabel::PerformedTask, "Creating " + databasePath);
    SetMainLabel(MainLabel::PerformedAction, "");
    YieldToEvents();
    // This import's folder, whatever another command sets while this one yields.
    const std::string folder = DataFolderPath;
    ImportFolderFileNames.clear();
    ImportFolderFileRows.clear();
    for (const auto& name : ListDirectory(folder, "*", EntryKind::Others))
        if (HasImportExtension(name))
            WriteActivityLog("Not a regular file, skipped: " + JoinPath(folder, name));
    for (const auto& name : ListDirectory(folder, "*", EntryKind::Files)) {
        if (!HasImportExtension(name)) continue;
        if (static_cast<int>(ImportFolderFileNames.size()) >= kMaxImportFolderFiles) break;
        ImportFolderFileNames.push_back(name);
    }
    ImportFolderFileCount = static_cast<std::int32_t>(ImportFolderFileNames.size());
    try {
        Database db = Database::Open(databasePath);
        db.useBuildSettings();
        Database::Transaction transaction(db);
        const long n = ImportFolderFileCount;
        for (long k = 1; k <= n; ++k) {
            const std::string path =
                JoinPath(folder, ImportFolderFileNames[static_cast<size_t>(k - 1)]);
            WriteActivityLog("Importing file nr.:" + formatWholeExport(k) + " FilePath=" + path);
            SetMainLabel(MainLabel::PerformedTask, "Creating " + databasePath);
            SetMainLabel(MainLabel::PerformedAction, "Importing   " + formatWholeExport(k) + " /" +
                                                         formatWholeExport(n) + "    " + path);
            YieldToEvents();
            ImportFolderFileRows.push_back(ImportFileInto(db, table, path));
        }
        transaction.commit();
    } catch (const std::exception& e) {
        ShowErrorHandler(e);
        ResetProgressDisplay();
        return false;
    }
    SetMainLabel(MainLabel::PerformedTask, "");
    SetMainLabel(MainLabel::PerformedAction, "");
    YieldToEvents();
    return true;
}

}  // namespace vel
