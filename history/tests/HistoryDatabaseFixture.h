// The fixture of the tests that need a built "History.mdb": the platform fixture with the
// program folder in the temporary folder, the frame's state reset, and helpers that import the
// EOD text files of a data folder, build the database and load it with the program's own
// procedures.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AppState.h"
#include "Database.h"
#include "DirectoryListing.h"
#include "EntryPoints.h"
#include "EodImport.h"
#include "FilePaths.h"
#include "HistoryBuild.h"
#include "HistoryLoad.h"
#include "MainWindowView.h"
#include "PlatformFixture.h"
#include "Progress.h"
#include "TextFile.h"
#include "VectorStores.h"

namespace vel::testing {

class HistoryDatabaseFixture : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        ResetFrameState();
        ProgramFolderPath = TempFolder();
        DataFolder = TempPath("data/");
        std::filesystem::create_directories(DataFolder);
    }
    void TearDown() override {
        ResetFrameState();
        PlatformFixture::TearDown();
    }

    // Imports every "*.csv" of the data folder with the date, price and volume in the given
    // columns (2 = a line's first field) and builds "History.mdb" there. Returns its path.
    std::string BuildDatabase(int dateColumn, int priceColumn, int volumeColumn) {
        const auto files = ListDirectory(DataFolder, "*.csv", EntryKind::Files);
        AnalyzeTextColumns(JoinPath(DataFolder, files.at(0)));
        ImportColumnName(1) = "Symbol";
        ImportColumnName(dateColumn) = "TradeDate";
        ImportColumnName(priceColumn) = "Price";
        ImportColumnName(volumeColumn) = "Volume";
        const std::string path = JoinPath(DataFolder, "History.mdb");
        {
            Database db = Database::Create(path);
            db.execute(History1CreateStatement());
            Database::Transaction transaction(db);
            for (const auto& f : files) ImportTextFileRows(db, "History1", JoinPath(DataFolder, f));
            transaction.commit();
        }
        door_.QueueMessageAnswer(MsgAnswer::OK);  // "End of historical data importing!"
        EXPECT_TRUE(BuildHistoryDatabase(path));
        return path;
    }
    void Load(const std::string& path) {
        HistoryDatabasePath = path;
        ASSERT_TRUE(LoadHistory());
    }
    static long StockOf(const std::string& symbol) {
        for (long i = 1; i <= LoadedSymbolCount; ++i)
            if (LoadedSymbols(i) == symbol) return i;
        return 0;
    }
    static float Price(long stock, long day) {
        return MainVectors->CoordGetSingle(MainVectors->BufferStart() + stock - 1, day);
    }
    static float Volume(long stock, long day) {
        return VolumeVectors->CoordGetSingle(VolumeVectors->BufferStart() + stock - 1, day);
    }
    std::string LastMessage() const {
        const auto calls = door_.CallsOf("message");
        return calls.empty() ? std::string() : calls.back().text;
    }

    std::string DataFolder;

private:
    static void ResetFrameState() {
        ResetMainWindowState();
        ClearEntryPoints();
        DropVectorStores();
        ProgressEnd();
    }
};

}  // namespace vel::testing
