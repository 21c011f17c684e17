// The fixture of the tests that need a built "History.mdb": the frame's fixture (the program
// folder in the temporary folder) with a data folder, and helpers that import the EOD text
// files of that folder, build the database and load it with the program's own procedures.
// LoadedHistory.h gives a generated history of a given size in one line.
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
#include "FrameFixture.h"
#include "HistoryBuild.h"
#include "HistoryLoad.h"
#include "LoadedHistory.h"
#include "MainWindowView.h"
#include "Progress.h"
#include "TextFile.h"
#include "VectorStores.h"

namespace vel::testing {

class HistoryDatabaseFixture : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        DataFolder = TempPath("data/");
        std::filesystem::create_directories(DataFolder);
    }

    // Imports every "*.csv" of the data folder with the date, price and volume in the given
    // columns (2 = a line's first field) and builds "History.mdb" there. Returns its path.
    std::string BuildDatabase(int dateColumn, int priceColumn, int volumeColumn) {
        door_.QueueMessageAnswer(MsgAnswer::OK);  // "End of historical data importing!"
        const std::string path =
            BuildHistoryFromFolder(DataFolder, dateColumn, priceColumn, volumeColumn);
        EXPECT_FALSE(path.empty());
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
};

}  // namespace vel::testing
