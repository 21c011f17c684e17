// The screening values and levels: a four-stock history computed by hand, the level counts of
// coordinate 23 by the number of stocks, the rules every run keeps, and the threaded road
// against the plain one on a generated history (rows, levels, work vectors, QualityValue, and
// an error met midway).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "AppState.h"
#include "ChartView.h"
#include "ChartsFixture.h"
#include "HandScreeningHistory.h"
#include "LoadedHistory.h"
#include "MainWindowView.h"
#include "Progress.h"
#include "ScreeningValues.h"
#include "VectorStores.h"

namespace vel {
namespace {

class ScreeningValuesTest : public testing::ChartsFixture {
protected:
    // Coordinate k of stock i's screening vector.
    static float Value(long i, long k) {
        return ScreeningVectors->CoordGetSingle(ScreeningVectors->BufferStart() + i - 1, k);
    }
    static void Windows(long calcFrom, long calcTo, long groupFrom, long groupTo) {
        CalcFrom1 = static_cast<std::int16_t>(calcFrom);
        CalcTo1 = static_cast<std::int16_t>(calcTo);
        GroupFrom = Num(static_cast<int>(groupFrom));
        GroupTo = static_cast<std::int16_t>(groupTo);
    }
};

using testing::HandPrice;
using testing::HandVolume;

// Group period days 3..8, calculation window days 1..10. Values worked out by hand:
//   prices on days 3, 8, 10: (12, 17, 19), (20, 20, 20), (28, 23, 21), (20, 10, 10)
//   money volume = volume x mean price of days 3..8: 1450, 4000, 7650, 6000
//   its growth: the last 3 days against all 6: stock 1 (16 - 14.5) / 14.5 = 10.344828 %
//   gradients on day 8: the slope of the least-squares parabola through days 5..8 (A) and
//   1..8 (B) in percent of the day's price: stock 1 100/17 both, stock 3 -100/23 both,
//   stock 4 -2 and -10/21 a day on a price of 10.
TEST_F(ScreeningValuesTest, FourStocksGiveTheValuesAndLevelsWorkedOutByHand) {
    testing::LoadSyntheticHistory(4, 10, HandPrice, HandVolume);
    Windows(1, 10, 3, 8);
    CalcScreeningBasicValues(0);
    ASSERT_EQ(ScreeningVectors->BufferCount(), 4);

    struct Row {
        long stock;
        int coordinate;
        double expected;
    };
    const Row rows[] = {
        {1, scr::PriceGroupFrom, 12},
        {1, scr::PriceGroupTo, 17},
        {1, scr::PriceCalcTo, 19},
        {1, scr::PriceLastDay, 19},
        {1, scr::GroupProfit, 500.0 / 12},
        {1, scr::ProfitAfterGroup, 200.0 / 17},
        {1, scr::PriceDecline, 0},
        {1, scr::PriceAdvance, 500.0 / 17},
        {1, scr::PriceLinearity, 0},
        {1, scr::GradientA, 100.0 / 17},
        {1, scr::MoneyVolume, 1450},
        {1, scr::VolumeGroup, 100},
        {1, scr::VolumeCalc, 100},
        {1, scr::VolumeAllDays, 100},
        {1, scr::MoneyVolumeGrowth, 150.0 / 14.5},
        {1, scr::GradientB, 100.0 / 17},
        {2, scr::GroupProfit, 0},
        {2, scr::MoneyVolume, 4000},
        {2, scr::GradientA, 0},
        {2, scr::PriceRelStdDevi, 0},
        {2, scr::MoneyVolumeGrowth, 0},
        {3, scr::GroupProfit, -500.0 / 28},
        {3, scr::PriceDecline, -500.0 / 23},
        {3, scr::PriceAdvance, 0},
        {3, scr::MoneyVolume, 7650},
        {3, scr::GradientA, -100.0 / 23},
        {3, scr::GradientB, -100.0 / 23},
        {4, scr::GroupProfit, -50},
        {4, scr::PriceDecline, -100},
        {4, scr::MoneyVolume, 6000},
        {4, scr::GradientA, -20},
        {4, scr::GradientB, -100.0 / 21},
        {3, scr::MoneyVolumeGrowth, -150.0 / 25.5},
        {4, scr::MoneyVolumeGrowth, -500.0 / 45},
        {4, scr::PriceAdvance, 0},
        // The line from 20 on day 3 to 10 on day 8 misses 20, 10, 20, 10, 20, 10 by 0, 8, 4, 4,
        // 8, 0: the root of 160 / 6 in percent of the mean 15.
        {4, scr::PriceLinearity, 100.0 * std::sqrt(160.0 / 6.0) / 15.0},
        {3, scr::PriceLinearity, 0},
    };
    for (const Row& r : rows)
        EXPECT_NEAR(Value(r.stock, r.coordinate), r.expected, 1e-5 * (1 + std::fabs(r.expected)))
            << "stock " << r.stock << " coordinate " << r.coordinate;

    // Levels (1 = highest values) of the four stocks, worked out from the values above.
    struct Levels {
        int coordinate;
        std::vector<float> levels;
    };
    const Levels levels[] = {
        {scr::ProfitLevel, {1, 2, 3, 4}},             // 41.7, 0, -17.9, -50
        {scr::MoneyVolumeLevel, {4, 3, 1, 2}},        // 1450, 4000, 7650, 6000
        {scr::MoneyVolumeLevel2, {2, 2, 1, 1}},       // halves at the mean 4775
        {scr::MoneyVolumeLevelN, {2, 2, 1, 1}},       // 4 stocks: 2 levels
        {scr::PriceDeclineLevel, {1, 1, 2, 3}},       // 0, 0, -21.7, -100: no decline is the top
        {scr::MoneyVolumeGrowthLevel, {1, 2, 3, 4}},  // 10.3, 0, -5.9, -11.1
        {scr::PriceAdvanceLevel, {1, 3, 3, 3}},       // 29.4, 0, 0, 0
        {scr::PriceLinearityLevel, {3, 3, 3, 1}},     // 0, 0, 0, 34.4: the zigzag is the top
        {scr::GradientALevel, {1, 2, 2, 3}},          // 5.9, 0, -4.3, -20
        {scr::GradientBLevel, {1, 2, 3, 4}},          // 5.9, 0, -4.3, -4.8
    };
    for (const Levels& l : levels)
        for (long i = 1; i <= 4; ++i)
            EXPECT_EQ(Value(i, l.coordinate), l.levels[static_cast<size_t>(i - 1)])
                << "stock " << i << " level coordinate " << l.coordinate;
}

TEST_F(ScreeningValuesTest, EveryRunKeepsItsRulesAndStartsAgainFromRowOne) {
    testing::LoadSyntheticHistory(30, 60);
    Windows(5, 60, 5, 60);  // the same days, as both callers copy them
    CalcScreeningBasicValues(0);
    CalcScreeningBasicValues(0);  // a second run starts from row 1 again
    ASSERT_EQ(ScreeningVectors->BufferCount(), 30);
    for (long i = 1; i <= 30; ++i) {
        EXPECT_EQ(Value(i, scr::PriceGroupFrom), testing::SyntheticPrice(i, 5)) << i;
        EXPECT_EQ(Value(i, scr::GradientA), Value(i, scr::GradientA2)) << i;
        EXPECT_EQ(Value(i, scr::ProfitAfterGroup), 0.0f) << i;
        EXPECT_EQ(Value(i, scr::VolumeCalc), Value(i, scr::VolumeGroup)) << i;
        EXPECT_LE(Value(i, scr::PriceDecline), 0.0f) << i;
        for (int k : {20, 29, 30, 35, 36, 37, 38, 39, 40}) EXPECT_EQ(Value(i, k), 0.0f) << i;
        for (int k : {18, 19, 22, 24, 25, 26, 27, 28, 32, 34}) {
            EXPECT_GE(Value(i, k), 1.0f) << i << " " << k;
            EXPECT_LE(Value(i, k), 4.0f) << i << " " << k;
        }
    }
    EXPECT_EQ(ChartStatusText(), "");
    EXPECT_EQ(MainLabelText(MainLabel::PerformedAction), "");
    EXPECT_FALSE(door_.hourglass);
}

TEST_F(ScreeningValuesTest, MoneyVolumeLevelsGrowWithTheNumberOfStocks) {
    const long bounds[][2] = {{0, 0},   {1, 1},   {50, 1},  {51, 2},   {200, 2},
                              {201, 3}, {600, 3}, {601, 4}, {2000, 4}, {2001, 5}};
    for (const auto& b : bounds) EXPECT_EQ(MoneyVolumeLevelPower(b[0]), b[1]) << b[0];
    // 51 stocks with money volumes 1..51 (stock i trades i shares at 1): 4 levels, all used.
    testing::LoadSyntheticHistory(
        51, 12, [](long, long) { return 1.0f; },
        [](long i, long) { return static_cast<float>(i); });
    Windows(1, 12, 1, 12);
    CalcScreeningBasicValues(0);
    std::vector<int> seen(5);
    for (long i = 1; i <= 51; ++i) ++seen[static_cast<size_t>(Value(i, scr::MoneyVolumeLevelN))];
    EXPECT_EQ(seen[0], 0);
    for (int level = 1; level <= 4; ++level) EXPECT_GT(seen[static_cast<size_t>(level)], 0);
    EXPECT_EQ(Value(51, scr::MoneyVolumeLevelN), 1.0f);
    EXPECT_EQ(Value(1, scr::MoneyVolumeLevelN), 4.0f);
}

// Everything a run leaves in the stores and tables, for comparing two runs.
struct RunState {
    std::vector<std::string> cells;
    std::string error = "none";
};

std::string CellsOf(const clsVectors& v, long firstVector, long lastVector) {
    std::string text;
    for (long vec = firstVector; vec <= lastVector; ++vec)
        for (long c = 1; c <= v.TotalCoords(); ++c) {
            const Num x = v.CoordGetSingleValue(vec, c);
            text += std::to_string(static_cast<int>(x.kind())) + x.toString() + ",";
        }
    return text;
}

RunState RunScreening(bool plain, unsigned threads) {
    ScreeningRoad.plain = plain;
    ScreeningRoad.threads = threads;
    RunState r;
    try {
        CalcScreeningBasicValues(0);
    } catch (const std::exception& e) {
        r.error = typeid(e).name();
    }
    r.cells.push_back(CellsOf(*ScreeningVectors, 1, ScreeningVectors->TotalVectors()));
    r.cells.push_back(CellsOf(*MainVectors, 1, 4));
    r.cells.push_back(std::to_string(ScreeningVectors->BufferCount()));
    std::string q;
    for (long k = 0; k <= scr::Count; ++k) q += std::to_string(QualityValue(k)) + ",";
    r.cells.push_back(q);
    std::string limits = std::to_string(IntervalCount) + ":";
    for (long row = 1; row <= 200; ++row)
        for (long c = 1; c <= 3; ++c) limits += std::to_string(IntervalLimit(row, c)) + ",";
    r.cells.push_back(limits);
    return r;
}

class ScreeningRoadTest : public ScreeningValuesTest {
protected:
    // The threaded road on 3 threads, its one-thread form and the plain road, each from the
    // same start, leave the same state.
    void ExpectRoadsAgree(const std::string& what) {
        auto fresh = [] {
            ScreeningVectors->SetBufferCount(0);
            for (long v = 1; v <= 4; ++v) MainVectors->CoordAllSetConstPlus(v, 3.0f);
        };
        fresh();
        const RunState plain = RunScreening(true, 0);
        for (unsigned threads : {3u, 1u}) {
            fresh();
            const RunState threaded = RunScreening(false, threads);
            EXPECT_EQ(threaded.error, plain.error) << what;
            for (size_t k = 0; k < plain.cells.size(); ++k)
                EXPECT_TRUE(threaded.cells[k] == plain.cells[k])
                    << what << ": part " << k << " differs on " << threads << " threads";
        }
    }
};

TEST_F(ScreeningRoadTest, ThreadedRoadLeavesWhatThePlainRoadLeaves) {
    testing::LoadGeneratedHistory(TempFolder(), 600, 300);
    const long days = MainVectors->CoordDim();
    Windows(40, days, 40, days);
    ExpectRoadsAgree("group period = calculation window");
    Windows(1, days - 20, 100, days - 40);
    ExpectRoadsAgree("a group period inside the calculation window");
}

TEST_F(ScreeningRoadTest, AnErrorMidwayLeavesWhatThePlainRoadLeaves) {
    testing::LoadSyntheticHistory(300, 40);
    Windows(1, 40, 1, 40);
    // Stock 270's row holds a double beyond the single range: its steps raise an overflow.
    MainVectors->CoordSetValue(MainVectors->BufferStart() + 269, 7, Num(1e300));
    ExpectRoadsAgree("an overflow at stock 270");
    EXPECT_EQ(ScreeningVectors->BufferCount(), 269);
}

}  // namespace
}  // namespace vel
