// The trading methods: the zero-level crossings, the level grid and the gradient lengths with
// their trial counts, first and last levels and tie order, the trace files, the texts and CSV
// items they leave, and the fused searches against the literal ones on whole runs.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <limits>
#include <random>

#include "AnalysisFixture.h"
#include "ChartView.h"
#include "CsvRows.h"
#include "TextFile.h"
#include "TradingMethods.h"
#include "TradingResults.h"

namespace vel {
namespace {

using testing::RallyList;

constexpr std::int16_t kCurve = 30;  // a Work vector as the source curve
constexpr char kLevelTrace[] = "GenerateOptimizedOneLevelTradingSignal.csv";
constexpr char kGradientTrace[] =
    "GenerateOptGradCrossingAboveZeroLevelTSignalsFromVectorForSB.csv";

class TradingMethodsTest : public testing::AnalysisFixture {
protected:
    std::int16_t S() const { return static_cast<std::int16_t>(MainVectors->HelpStart() + 1); }
    std::string Trace(const char* name) const { return FileText(ResultsFolderPath + name); }
    std::vector<std::string> TraceLines(const char* name) const {
        return ReadTextLines(ResultsFolderPath + name);
    }
    // The last lines of TradingResultsText (the method's two lines).
    static std::string MethodLines() {
        const std::string& t = TradingResultsText;
        const size_t at = t.rfind("Trading method = ");
        return at == std::string::npos ? std::string() : t.substr(at);
    }
    // The last two CSV items as "header=value" pairs.
    static std::string LastItems() {
        const int n = CsvItemCount;
        if (n < 2) return {};
        return CsvHeader(n - 1) + "=" + CsvValue(n - 1) + "; " + CsvHeader(n) + "=" + CsvValue(n);
    }
    // One stock of `days` days, in the basket, every day shown.
    void OneStock(long days, std::vector<float> prices = {}) {
        if (prices.empty())
            for (long d = 1; d <= days; ++d) prices.push_back(10.0f + static_cast<float>(d % 7));
        LoadPrices(days, {prices});
        BasketFlag(1) = 1;
        BasketCount = 1;
    }
};

TEST_F(TradingMethodsTest, ZeroLevelCrossingsAboveAndBelow) {
    OneStock(10);
    ShowDays(3, 9);
    SetVector(kCurve, std::vector<float>(10, 2.0f));
    EXPECT_EQ(GenerateCrossingAboveZeroLevelTSignalsFromVectorForSB(kCurve, S()), 0.0f);
    EXPECT_EQ(Rallies(), (RallyList{{3, 10}}));  // one open rally from the first shown day
    EXPECT_EQ(MethodLines(), "Trading method = CROSSING ABOVE ZERO LEVEL\nCrossing Level = 0.00\n");
    EXPECT_EQ(LastItems(), "TradingMethod=CROSSING ABOVE ZERO LEVEL; CrossingLevel=0.00");
    EXPECT_EQ(CsvHeader(1), "CompoundProfit");  // the backtest's summary row comes first
    EXPECT_EQ(MainVectors->CoordGetSingle(S(), 1), 100.0f);

    EXPECT_EQ(GenerateCrossingBelowZeroLevelTSignalsFromVectorForSB(kCurve, S()), 0.0f);
    EXPECT_EQ(Rallies(), RallyList{});
    EXPECT_EQ(MethodLines(), "Trading method = CROSSING BELOW ZERO LEVEL\nCrossing Level = 0.00\n");
    EXPECT_NE(TradingResultsText.find("No trading rallies found!\n"), std::string::npos);
    EXPECT_EQ(LastItems(), "TradingMethod=CROSSING BELOW ZERO LEVEL; CrossingLevel=0.00");

    // A zero day is no buy for A and no buy for C.
    SetVector(kCurve, {0, 0, -1, 0, 1, 1, 0, -2, -2, 5});
    GenerateCrossingAboveZeroLevelTSignalsFromVectorForSB(kCurve, S());
    EXPECT_EQ(Rallies(), (RallyList{{5, 7}}));
    GenerateCrossingBelowZeroLevelTSignalsFromVectorForSB(kCurve, S());
    EXPECT_EQ(Rallies(), (RallyList{{3, 4}, {8, 10}}));
}

TEST_F(TradingMethodsTest, LevelGridRunsFromTheLowestToTheHighestShownValue) {
    OneStock(12);
    ShowDays(2, 11);
    // Shown values from -3 (day 4) to 5 (day 9); days 1 and 12 lie outside and do not count.
    SetVector(kCurve, {-50, 1, 2, -3, 0, 1, 4, 2, 5, 1, 0, 99});
    GenerateCrossingBelowOptimalLevelTSignalsFromVectorForSB(kCurve, S());
    const auto lines = TraceLines(kLevelTrace);
    ASSERT_EQ(lines.size(), 402u);  // the header and 401 trials
    EXPECT_EQ(lines[0], "i, SignalLevel, CompoundProfit, Rallies, ChartFrom1, ChartTo1, Time");
    EXPECT_EQ(lines[1].substr(0, 8), " 0, -3, ");
    EXPECT_EQ(lines[201].substr(0, 10), " 200,  1, ");
    EXPECT_EQ(lines[401].substr(0, 10), " 400,  5, ");
    EXPECT_NE(lines[401].find(",  2,  11, 6:05:01 PM"), std::string::npos) << lines[401];
    // The status bar is emptied at the end; the hourglass is off again.
    EXPECT_EQ(ChartStatusText(), "");
    EXPECT_FALSE(door_.hourglass);
    // A second run replaces the file.
    GenerateCrossingBelowOptimalLevelTSignalsFromVectorForSB(kCurve, S());
    EXPECT_EQ(TraceLines(kLevelTrace).size(), 402u);
    // B writes no trace file of its own and leaves D's as it was.
    const std::string before = Trace(kLevelTrace);
    GenerateCrossingAboveOptimalLevelTSignalsFromVectorForSB(kCurve, S());
    EXPECT_EQ(Trace(kLevelTrace), before);
}

TEST_F(TradingMethodsTest, EqualProfitsKeepTheLowestLevel) {
    // The curve is 0, 4 or 10. Levels 0 <= L < 4 buy on the 4 and 10 days (days 2..8: 13 -> 13),
    // 4 <= L < 10 only on the 10 days (days 4..6: 10 -> 13), L = 10 on none.
    OneStock(10, {10, 13, 10, 10, 11, 12, 13, 13, 12, 11});
    defCommission = 0.0f;
    SetVector(kCurve, {0, 4, 4, 10, 10, 10, 4, 4, 0, 0});
    // Level i = 160 is exactly 4.0: the first of the equal best trials.
    EXPECT_EQ(GenerateCrossingAboveOptimalLevelTSignalsFromVectorForSB(kCurve, S()), 4.0f);
    EXPECT_EQ(Rallies(), (RallyList{{4, 7}}));
    EXPECT_EQ(MethodLines(),
              "Trading method = CROSSING ABOVE OPTIMAL LEVEL \nCrossing Level = 4.00\n");
    EXPECT_EQ(LastItems(), "TradingMethod=CROSSING ABOVE OPTIMAL LEVEL; CrossingLevel=4.00");
    // Below: 0 < L <= 4 buys on the 0 days (10 -> 13, then 12 -> 11), 4 < L <= 10 on the 0 and 4
    // days (10 -> 10, then 13 -> 11); the first level above 0 wins.
    EXPECT_EQ(GenerateCrossingBelowOptimalLevelTSignalsFromVectorForSB(kCurve, S()), 0.025f);
    EXPECT_EQ(Rallies(), (RallyList{{1, 2}, {9, 11}}));
    EXPECT_EQ(MethodLines(),
              "Trading method = CROSSING BELOW OPTIMAL LEVEL \nCrossing Level = 0.03\n");
}

TEST_F(TradingMethodsTest, ConstantCurveTradesTheLevelZero) {
    OneStock(8);
    SetVector(kCurve, std::vector<float>(8, 3.0f));
    EXPECT_EQ(GenerateCrossingAboveOptimalLevelTSignalsFromVectorForSB(kCurve, S()), 0.0f);
    EXPECT_EQ(Rallies(), (RallyList{{1, 9}}));  // the final run at level 0 buys every day
    EXPECT_EQ(MethodLines(),
              "Trading method = CROSSING ABOVE OPTIMAL LEVEL \nCrossing Level = 0.00\n");
    // Every trial of D (L = 3) is without rally too.
    EXPECT_EQ(GenerateCrossingBelowOptimalLevelTSignalsFromVectorForSB(kCurve, S()), 0.0f);
    EXPECT_EQ(Rallies(), RallyList{});
    for (const auto& line : TraceLines(kLevelTrace)) {
        if (line[0] == 'i') continue;
        ASSERT_NE(line.find(",  3,  0,  0,  1,  8,"), std::string::npos) << line;
    }
}

TEST_F(TradingMethodsTest, GradientLengthsRunFrom5To50) {
    constexpr long kDays = 200;
    std::vector<float> prices, curve;
    for (long d = 1; d <= kDays; ++d) {
        prices.push_back(50.0f + 10.0f * static_cast<float>(std::sin(d / 9.0)));
        curve.push_back(prices.back());
    }
    OneStock(kDays, prices);
    ShowDays(120, kDays);
    SetVector(kCurve, curve);
    const float best = GenerateOptGradCrossingAboveZeroLevelTSignalsFromVectorForSB(kCurve, S());
    const auto lines = TraceLines(kGradientTrace);
    ASSERT_EQ(lines.size(), 47u);
    EXPECT_EQ(lines[1].substr(0, 8), " 5,  5, ");
    EXPECT_EQ(lines[46].substr(0, 10), " 50,  50, ");
    EXPECT_GE(best, 5.0f);
    EXPECT_LE(best, 50.0f);
    EXPECT_GE(RallyCount, 1);
    EXPECT_EQ(MethodLines(),
              "Trading method = OPTIMAL GRADIENT CROSSING ABOVE ZERO LEVEL\n"
              "Optimal Gradient Days = " +
                  std::to_string(static_cast<int>(best)) + "\n");
    EXPECT_EQ(CsvHeader(CsvItemCount), "OptimalGradientDays");
    // S + 1 and S + 2 keep the smoothed curve and the gradient of the best length.
    EXPECT_EQ(MainVectors->CoordGetSingle(S() + 1, 150),
              MainVectors->PointInterpolation(Num(kCurve), 150, static_cast<long>(best)));

    // A falling curve has no positive gradient at any length: "0" days, no rally, and a signal
    // of -100 on every day.
    std::vector<float> falling;
    for (long d = 1; d <= kDays; ++d) falling.push_back(1000.0f - static_cast<float>(d));
    SetVector(kCurve, falling);
    EXPECT_EQ(GenerateOptGradCrossingAboveZeroLevelTSignalsFromVectorForSB(kCurve, S()), 0.0f);
    EXPECT_EQ(RallyCount, 0);
    EXPECT_NE(MethodLines().find("Optimal Gradient Days = 0\n"), std::string::npos);
    EXPECT_EQ(MainVectors->CoordGetSingle(S(), 130), -100.0f);
}

// ---- The fused searches against the literal ones ------------------------------------------

// Everything a method leaves, for exact comparison of two runs.
struct MethodOutcome {
    std::uint32_t result = 0;
    RallyList rallies;
    std::string text, header, values, trace, status;
    std::vector<std::string> vectors;  // S, S + 1, S + 2, cell by cell with kind and bits
    bool operator==(const MethodOutcome&) const = default;
};

std::string CellText(const Num& c) {
    char buf[64];
    switch (c.kind()) {
        case Num::Kind::Whole:
            std::snprintf(buf, sizeof buf, "w%d", c.wholeValue());
            break;
        case Num::Kind::Single:
            std::snprintf(buf, sizeof buf, "s%08x", std::bit_cast<std::uint32_t>(c.singleValue()));
            break;
        case Num::Kind::Double:
            std::snprintf(
                buf, sizeof buf, "d%016llx",
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(c.doubleValue())));
            break;
        default:
            return "e";
    }
    return buf;
}

class FusedSearchTest : public TradingMethodsTest {
protected:
    // Runs method B (0), D (1) or E (2) on the road and collects what it leaves.
    MethodOutcome Run(int method, TrialRoad road) {
        RallyCount = 0;
        TradingResultsText.clear();
        CsvItemCount = 0;
        std::remove((ResultsFolderPath + kLevelTrace).c_str());
        std::remove((ResultsFolderPath + kGradientTrace).c_str());
        for (long v = S(); v <= S() + 2; ++v) MainVectors->CoordAllSetConstPlus(v, 7.0f);
        const float r = method == 2 ? GenerateOptimalGradientSignal(kCurve, S(), road)
                                    : GenerateOptimalLevelSignal(kCurve, S(), method == 0, road);
        MethodOutcome o;
        o.result = std::bit_cast<std::uint32_t>(r);
        o.rallies = Rallies();
        o.text = TradingResultsText;
        o.header = GetCSVHeaderLine();
        o.values = GetCSVValueLine();
        o.trace = Trace(method == 2 ? kGradientTrace : kLevelTrace);
        o.status = ChartStatusText();
        for (long v = S(); v <= S() + 2; ++v)
            for (long d = 1; d <= MainVectors->CoordDim() + 30; ++d)
                o.vectors.push_back(CellText(MainVectors->CoordGetSingleValue(v, d)));
        return o;
    }
    void TearDown() override {
        FusedTrialThreadCount = 0;
        TradingMethodsTest::TearDown();
    }
    // Methods B, D and (unless levelsOnly) E, the fused road on the calling thread alone, on
    // three threads (parts of unequal length) and as the search chooses.
    void ExpectSameRuns(const std::string& what, bool levelsOnly = false) {
        for (int method = 0; method < (levelsOnly ? 2 : 3); ++method) {
            const MethodOutcome literal = Run(method, TrialRoad::Literal);
            for (unsigned threads : {1u, 3u, 0u}) {
                FusedTrialThreadCount = threads;
                const MethodOutcome fused = Run(method, TrialRoad::Fused);
                FusedTrialThreadCount = 0;
                const std::string where =
                    what + ", method " + std::to_string(method) + ", " + std::to_string(threads);
                ASSERT_EQ(fused.result, literal.result) << where;
                ASSERT_EQ(fused.rallies, literal.rallies) << where;
                ASSERT_EQ(fused.text, literal.text) << where;
                ASSERT_EQ(fused.values, literal.values) << where;
                ASSERT_EQ(fused.trace, literal.trace) << where;
                ASSERT_TRUE(fused == literal) << where;
            }
        }
    }
};

TEST_F(FusedSearchTest, FusedSearchesEqualTheLiteralOnesOnRandomData) {
    std::mt19937 gen(11);
    for (int round = 0; round < 6; ++round) {
        const long days = 60 + static_cast<long>(gen() % 90);
        std::vector<std::vector<float>> prices(4);
        std::normal_distribution<float> step(0.0f, 0.03f);
        for (auto& row : prices) {
            float p = 20.0f + static_cast<float>(gen() % 50);
            for (long d = 0; d < days; ++d) row.push_back(p *= 1.0f + step(gen));
        }
        prices[3][5] = 0.0f;  // a zero buy price
        LoadPrices(days, prices);
        for (long i = 1; i <= 4; ++i) BasketFlag(i) = i == 2 && round % 2 ? 0 : 1;
        BasketCount = round % 2 ? 3 : 4;
        defCommission = 0.25f * static_cast<float>(round % 3);
        // Curves: smooth noise, integers (levels hit exactly and many ties), zeros, empty cells,
        // whole numbers and doubles.
        MainVectors->CoordAllSetConstPlus(kCurve, 0.0f);
        std::normal_distribution<double> noise(0.0, 2.0);
        for (long d = 1; d <= days; ++d) {
            const double x = noise(gen);
            switch (round % 3) {
                case 0:
                    MainVectors->CoordSetSingleValue(kCurve, d, static_cast<float>(x));
                    break;
                case 1:  // integers 0..8 and 400: every level of the grid is hit exactly
                    MainVectors->CoordSetSingleValue(
                        kCurve, d, d == 3 ? 400.0f : static_cast<float>(gen() % 9));
                    break;
                default:
                    if (gen() % 5 == 0) break;  // left empty (it reads as 0)
                    if (gen() % 3 == 0)
                        MainVectors->CoordSetValue(kCurve, d, Num::whole(static_cast<int>(x * 3)));
                    else
                        MainVectors->CoordSetValue(kCurve, d, Num::dbl(x));
                    break;
            }
        }
        if (round % 3 == 2) MainVectors->CoordSetValue(kCurve, 1, Num());  // an empty cell
        const long from = 1 + static_cast<long>(gen() % 30);
        const long to = round == 0 ? days : days - static_cast<long>(gen() % 20);
        ShowDays(from, to);
        CursorDay = static_cast<std::int16_t>(to);
        ExpectSameRuns("round " + std::to_string(round));
    }
}

TEST_F(FusedSearchTest, FusedSearchesEqualTheLiteralOnesAtTheEdges) {
    OneStock(40);
    // A constant curve (no trial with a rally), an all-zero curve, a window of one day.
    SetVector(kCurve, std::vector<float>(40, 1.5f));
    ExpectSameRuns("constant");
    MainVectors->CoordAllSetConst(kCurve, 0.0f);
    ExpectSameRuns("zeros");
    SetVector(kCurve, {3, -1, 2});
    ShowDays(2, 2);
    CursorDay = 2;
    ExpectSameRuns("one day");
    // An empty basket prices every rally at 0.
    ShowDays(1, 40);
    BasketFlag(1) = 0;
    BasketCount = 0;
    SetVector(kCurve, {3, -1, 2, 5, 5, 1, -4});
    ExpectSameRuns("empty basket");
    // A NaN never buys (the kernels of E refuse it on both roads).
    BasketFlag(1) = 1;
    BasketCount = 1;
    MainVectors->CoordSetSingleValue(kCurve, 4, std::numeric_limits<float>::quiet_NaN());
    ExpectSameRuns("NaN", true);
    EXPECT_THROW(GenerateOptimalGradientSignal(kCurve, S(), TrialRoad::Fused), OverflowError);
}

}  // namespace
}  // namespace vel
