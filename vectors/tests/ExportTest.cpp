// Text exports: the exact bytes of each export (CR LF, ", " after every field, the blank before
// a non-negative number, seven significant digits, exponent form), trade dates and symbols,
// and what a failing export leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "AppState.h"
#include "CoreFixture.h"
#include "Hooks.h"
#include "TempFolder.h"
#include "clsVectors.h"

namespace vel {
namespace {

std::vector<int> g_busyCalls;
int g_yields = 0;

class ExportTest : public testing::CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        g_busyCalls.clear();
        g_yields = 0;
        // Work 1..2, Base 3..4, Buffer 5..6; three days.
        v.VectorBaseEmpty(3, 2, 0, 0, 0, 2, 2);
        set(1, {12.5f, -2.5f, 1.0f / 3.0f});
        set(2, {0.5f, 12345678.0f});
        LoadedTradeDates.redim(1, 3, "empty date");
        LoadedTradeDates(1) = "1/3/2000";
        LoadedTradeDates(3) = "1/5/2000";
        path = tmp.file("out.csv");
    }
    void set(long vec, std::initializer_list<float> values) {
        long c = 1;
        for (float f : values) v.CoordSetSingleValue(vec, c++, f);
    }
    std::string out() const { return tmp.read(path); }
    static size_t openFiles() {
        return static_cast<size_t>(
            std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                          std::filesystem::directory_iterator()));
    }
    clsVectors v;
    testing::TempFolder tmp;
    std::string path;
};

TEST_F(ExportTest, VectorByCoordinate) {
    v.ExportVector(1, path);
    EXPECT_EQ(out(), " 1,  12.5, \r\n 2, -2.5, \r\n 3,  .3333333, \r\n");
    v.CoordSetValue(2, 1, Num(0.1));  // a double is written as single
    v.ExportVector(2, path);
    EXPECT_EQ(out(), " 1,  .1, \r\n 2,  1.234568E+07, \r\n 3,  0, \r\n");
}

TEST_F(ExportTest, VectorsBesideTheTradeDatesWithBusyStateAndYields) {
    SetBusyHook([](bool busy) { g_busyCalls.push_back(busy); });
    SetYieldHook([] { ++g_yields; });
    v.ExportVectors(1, 2, path);
    EXPECT_EQ(out(),
              " 1, 1/3/2000,  12.5,  .5, \r\n"
              " 2, empty date, -2.5,  1.234568E+07, \r\n"
              " 3, 1/5/2000,  .3333333,  0, \r\n");
    EXPECT_EQ(g_busyCalls, (std::vector<int>{1, 0}));
    EXPECT_EQ(g_yields, 2);
    v.ExportVectors(2, 1, path);
    EXPECT_EQ(out(), " 1, 1/3/2000, \r\n 2, empty date, \r\n 3, 1/5/2000, \r\n");
    // Day d reads its trade date through DayOffset.
    LoadedTradeDates.redim(1, 4, "empty date");
    LoadedTradeDates(2) = "2/1/2001";
    DayOffset = 1;
    v.ExportVectors(1, 1, path);
    EXPECT_EQ(out(),
              " 1, 2/1/2001,  12.5, \r\n 2, empty date, -2.5, \r\n 3, empty date,  .3333333, \r\n");
}

TEST_F(ExportTest, VectorsPlusWritesTheSpareCoordinatesAsAuxiliaryColumns) {
    v.CoordSetSingleValue(1, 4, 7.25f);
    v.ExportVectorsPlus(1, 1, path);
    const std::string text = out();
    EXPECT_EQ(text.substr(0, text.find(" 5, ")),
              " 1, 1/3/2000,  12.5, \r\n 2, empty date, -2.5, \r\n 3, 1/5/2000,  .3333333, \r\n"
              " 4, Aux.col.,  7.25, \r\n");
    EXPECT_NE(text.find(" 5, Aux.col.,  0, \r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\r\n 32, Aux.col.,  0, \r\n 33, Aux.col.,  0, \r\n"));
    v.SetCoordDim(32740);
    const std::string never = tmp.file("never.csv");
    EXPECT_THROW(v.ExportVectorsPlus(1, 1, never), OverflowError);
    EXPECT_FALSE(std::filesystem::exists(never));
}

TEST_F(ExportTest, BaseRegionByCoordinateAndUsedVectorsByLine) {
    set(3, {1.0f, 2.0f, -0.001f});
    v.CoordSetSingleValue(3, 5, 9.0f);
    v.ExportVectorBase(path);  // every row up to BaseDim, BaseCount 0 notwithstanding
    EXPECT_EQ(out(), " 1,  1,  0, \r\n 2,  2,  0, \r\n 3, -.001,  0, \r\n");
    testing::TempFolder::write(path, "old content");
    v.ExportVectorBaseCoords(path);
    EXPECT_EQ(out(), "");
    v.SetBaseCount(1);
    v.ExportVectorBaseCoords(path);
    EXPECT_EQ(out(), " 1,  1,  2, -.001,  0,  9,  0,  0,  0, \r\n");
}

TEST_F(ExportTest, BufferWithAndWithoutStockSymbols) {
    set(5, {1.5f, 100.0f, 1e-7f});
    set(6, {-1.0f});
    v.SetBufferCount(2);
    v.ExportVectorBufferCoords(path);
    EXPECT_EQ(out(),
              " 1,  1.5,  100,  1E-07,  0,  0,  0,  0,  0, \r\n"
              " 2, -1,  0,  0,  0,  0,  0,  0,  0, \r\n");
    LoadedSymbols(1) = "AAPL";
    v.ExportVectorBufferCoordsWithStockSymbols(path);
    EXPECT_EQ(out(),
              "AAPL,  1,  1.5,  100,  1E-07,  0,  0,  0,  0,  0, \r\n"
              ",  2, -1,  0,  0,  0,  0,  0,  0,  0, \r\n");
}

TEST_F(ExportTest, ColumnsOfATable) {
    v.ExportColumns(1, 1, 2, 2, path);
    EXPECT_EQ(out(), " 1,  12.5, -2.5, \r\n 2,  .5,  1.234568E+07, \r\n");
    v.ExportColumns(3, 1, 2, 2, path);
    EXPECT_EQ(out(), " 1, \r\n 2, \r\n");
    v.ExportColumns(1, 1, 2, 0, path);
    EXPECT_EQ(out(), "");
}

TEST_F(ExportTest, FailingExportKeepsItsLinesClosesTheFileAndReleasesTheBusyState) {
    SetBusyHook([](bool busy) { g_busyCalls.push_back(busy); });
    LoadedTradeDates.redim(1, 2, "empty date");
    const size_t before = openFiles();
    EXPECT_THROW(v.ExportVectors(1, 1, path), SubscriptRangeError);
    EXPECT_EQ(openFiles(), before);
    EXPECT_EQ(out(), " 1, empty date,  12.5, \r\n 2, empty date, -2.5, \r\n");
    EXPECT_EQ(g_busyCalls, (std::vector<int>{1, 0}));
    // A vector outside the matrix fails at the first line, after the file was created.
    EXPECT_THROW(v.ExportVector(7, path), SubscriptRangeError);
    EXPECT_EQ(out(), "");
    EXPECT_EQ(openFiles(), before);
    EXPECT_THROW(v.ExportVector(1, tmp.file("missing/out.csv")), FileError);
    EXPECT_THROW(v.ExportVectors(1, 1, tmp.file("missing/out.csv")), FileError);
    EXPECT_FALSE(BusyGuard::isBusy());
}

TEST_F(ExportTest, SymbolTableEndsAtStockItem10000) {
    v.VectorBaseEmpty(0, 0, 0, 0, 0, 0, 10001);
    v.SetBufferCount(10001);
    EXPECT_THROW(v.ExportVectorBufferCoordsWithStockSymbols(path), SubscriptRangeError);
    const std::string text = out();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10000);
    EXPECT_TRUE(text.ends_with("\r\n,  10000,  0,  0,  0,  0,  0, \r\n"));
}

}  // namespace
}  // namespace vel
