// Chart export: "Chart.csv" byte for byte (the trade signal of the trading log, the quoted
// captions and dates, the number forms), the empty chart, a file that cannot be written; and
// "Chart.bmp" read back and compared pixel by pixel with the chart painted at the export size.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartExport.h"
#include "ChartsFixture.h"
#include "QtChartImage.h"
#include "VectorStores.h"
#include "WholeFile.h"

namespace vel {
namespace {

class ChartExportTest : public testing::ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        testing::LoadSyntheticHistory(3, 100);
        // The trading log's signal as the analysis forms it: outside, then the rally days.
        AnalysisCommands.TradingLogToSignalVector = [](long v, long outside, long inside) {
            MainVectors->CoordAllSetConst(v, static_cast<float>(outside));
            for (long r = 1; r <= RallyCount; ++r)
                for (long d = TradingLog(r, 1); d < TradingLog(r, 2); ++d)
                    MainVectors->CoordSetSingleValue(v, d, static_cast<float>(inside));
        };
        InstallQtChartBitmapWriter();
    }
    void TearDown() override {
        InstallChartBitmapWriter(nullptr);
        ChartsFixture::TearDown();
    }
    void Curve(const std::string& caption, const std::function<float(long)>& v) {
        const long k = AppendChartCurve(caption);
        for (long d = 1; d <= MainVectors->CoordDim(); ++d)
            MainVectors->CoordSetSingleValue(ChartCurveVector(k), d, v(d));
    }
    static void Rally(long buy, long sell) {
        TradingLogAddBuyPosition(buy);
        TradingLogSetSellPosition(sell);
    }
    static std::string Read(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
};

TEST_F(ChartExportTest, TableHoldsTheShownDaysWithSignalAndEveryCurve) {
    Curve("Price \"A\"", [](long d) { return static_cast<float>(d) / 4.0f; });
    Curve("Big", [](long d) { return d == 93 ? -1.5e20f : 12.5f; });
    Curve("Small", [](long d) { return d == 94 ? -0.25f : 0.5f; });
    ChartFrom1 = Num(91);
    ChartTo1 = 95;
    Rally(93, 95);
    const std::string path = TempPath("Chart.csv");
    ASSERT_TRUE(SaveChartAsCSV(path));
    EXPECT_EQ(Read(path),
              "Item, DayNum, Date, TradeRecomendation, TradeSignal, \"Price \"\"A\"\"\", \"Big\", "
              "\"Small\"\r\n"
              " 1,  91, \"5/7/2020\", SELL, -100,  22.75,  12.5,  .5\r\n"
              " 2,  92, \"5/8/2020\", SELL, -100,  23,  12.5,  .5\r\n"
              " 3,  93, \"5/11/2020\", BUY,  100,  23.25, -1.5E+20,  .5\r\n"
              " 4,  94, \"5/12/2020\", BUY,  100,  23.5,  12.5, -.25\r\n"
              " 5,  95, \"5/13/2020\", SELL, -100,  23.75,  12.5,  .5\r\n");
    // The signal is kept in the chart region's own vector, over every day.
    EXPECT_EQ(MainVectors->CoordGetSingle(MainVectors->ChartStart(), 1), -100.0f);
    EXPECT_EQ(MainVectors->CoordGetSingle(MainVectors->ChartStart(), 94), 100.0f);

    // Without rallies every line is UNKNOWN with 0.
    RallyCount = 0;
    ASSERT_TRUE(SaveChartAsCSV(path));
    const std::string text = Read(path);
    EXPECT_NE(text.find(" 1,  91, \"5/7/2020\", UNKNOWN,  0,  22.75,  12.5,  .5\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("BUY"), std::string::npos);
    EXPECT_EQ(text.find("SELL"), std::string::npos);
}

TEST_F(ChartExportTest, SevenCurvesOverTenDaysGiveElevenLinesOfTwelveItems) {
    for (int k = 1; k <= 7; ++k)
        Curve(std::string("c").append(std::to_string(k)), [k](long d) { return d * k; });
    ChartFrom1 = Num(91);
    ChartTo1 = 100;
    ASSERT_TRUE(SaveChartAsCSV(TempPath("Chart.csv")));
    const std::string text = Read(TempPath("Chart.csv"));
    size_t lines = 0, pos = 0;
    while ((pos = text.find("\r\n", pos)) != std::string::npos) {
        ++lines;
        pos += 2;
    }
    EXPECT_EQ(lines, 11u);
    const std::string first = text.substr(0, text.find("\r\n"));
    EXPECT_EQ(std::count(first.begin(), first.end(), ','), 11);
}

TEST_F(ChartExportTest, EmptyChartBeepsAndWritesNothingAndAFailedWriteIsReported) {
    ASSERT_EQ(MainVectors->ChartCount(), 0);
    EXPECT_FALSE(SaveChartAsCSV(TempPath("Chart.csv")));
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_FALSE(std::filesystem::exists(TempPath("Chart.csv")));

    Curve("c", [](long) { return 1.0f; });
    const std::string bad = TempPath("missing/Chart.csv");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(SaveChartAsCSV(bad));
    ASSERT_EQ(door_.CallsOf("message").size(), 1u);
    EXPECT_NE(door_.CallsOf("message")[0].text.find(bad), std::string::npos);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(SaveChartAsBMP(TempPath("missing/Chart.bmp")));
    EXPECT_FALSE(std::filesystem::exists(TempPath("missing")));
    // In silent runs the failure is only logged.
    SilentMode = 1;
    EXPECT_FALSE(SaveChartAsBMP(TempPath("missing/Chart.bmp")));
    EXPECT_EQ(door_.CallsOf("message").size(), 2u);
}

TEST_F(ChartExportTest, AFailedTableOrPictureLeavesWhatStoodUnderItsName) {
    Curve("c", [](long) { return 1.0f; });
    // An empty folder chosen as the name.
    const std::string folder = TempPath("Folder.csv");
    std::filesystem::create_directory(folder);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(SaveChartAsCSV(folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    // A table the user keeps, and a write that fails on the way (a full disk).
    const std::string kept = TempPath("Chart.csv");
    std::ofstream(kept) << "kept";
    InjectFileFailure(2, kept);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(SaveChartAsCSV(kept));
    InjectFileFailure(0);
    EXPECT_EQ(Read(kept), "kept");
    // The picture goes the same road.
    const std::string picture = TempPath("Chart.bmp");
    std::ofstream(picture) << "kept";
    InjectFileFailure(2, picture);
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(SaveChartAsBMP(picture));
    InjectFileFailure(0);
    EXPECT_EQ(Read(picture), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(TempFolder()), {}), 3);
}

TEST_F(ChartExportTest, PictureIsTheChartPaintedAtTheExportSize) {
    Curve("Rising", [](long d) { return static_cast<float>(d); });
    Curve("Wave", [](long d) { return static_cast<float>(d % 10) - 5.0f; });
    ChartLevel(2, 1) = 0.0f;
    Rally(20, 40);
    ChartTarget shown(9000, 4000);
    ChartPicture = &shown;
    RefreshChart();
    const size_t shownItems = shown.List().Size();
    ASSERT_GT(shownItems, 0u);

    const std::string path = TempPath("Chart.bmp");
    ASSERT_TRUE(SaveChartAsBMP(path));
    // The drawing target is given back and repainted.
    EXPECT_EQ(ChartPicture, &shown);
    EXPECT_EQ(shown.List().Size(), shownItems);

    QImage saved(QString::fromStdString(path), "BMP");
    ASSERT_FALSE(saved.isNull());
    ASSERT_EQ(saved.width(), 1200);
    ASSERT_EQ(saved.height(), 800);

    // The reference: the same chart painted on a target of the export size.
    ChartTarget reference(kExportPictureWidthTwips, kExportPictureHeightTwips);
    ChartPicture = &reference;
    RefreshChart();
    const QImage expected = RenderChartTarget(reference);
    ASSERT_EQ(expected.size(), saved.size());
    long differing = 0, black = 0, coloured = 0, white = 0;
    for (int y = 0; y < saved.height(); ++y)
        for (int x = 0; x < saved.width(); ++x) {
            const QRgb s = saved.pixel(x, y);
            if (s != expected.pixel(x, y)) ++differing;
            if (s == qRgb(0, 0, 0)) ++black;
            if (s == qRgb(255, 255, 255)) ++white;
            if (s == qRgb(0, 0, 128) || s == qRgb(128, 0, 0) || s == qRgb(0, 128, 0)) ++coloured;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(black, 1000);
    EXPECT_GT(coloured, 100);
    EXPECT_GT(white, 1200 * 800 / 2);
    // Probes that need no painter: the level line at 0 of the second pane crosses the whole
    // plot in red (the plot spans the picture less 200 twips on the left and 1250 on the right,
    // about 1103 pixels, where the wave crossing it leaves a few blue); the rally of days 20 to 40
    // lies under each pane as a green bar, three pixels high, a fifth of the plot's width (20 of
    // the 99 day steps), at the same columns.
    const auto longestRun = [&](int y, QRgb colour, int& first) {
        int best = 0, run = 0;
        for (int x = 0; x < saved.width(); ++x) {
            run = saved.pixel(x, y) == colour ? run + 1 : 0;
            if (run > best) {
                best = run;
                first = x - run + 1;
            }
        }
        return best;
    };
    int levelRows = 0, barRows = 0, barStart = -1;
    for (int y = 0; y < saved.height(); ++y) {
        int red = 0;
        for (int x = 0; x < saved.width(); ++x) red += saved.pixel(x, y) == qRgb(128, 0, 0);
        if (red >= 1050) ++levelRows;
        int start = 0;
        const int bar = longestRun(y, qRgb(0, 128, 0), start);
        if (bar >= 215 && bar <= 231) {
            ++barRows;
            if (barStart < 0) barStart = start;
            EXPECT_EQ(start, barStart) << y;
        }
    }
    EXPECT_EQ(levelRows, 1);
    EXPECT_EQ(barRows, 6);
    // The bar starts at day 20: 19 day steps into the plot, which begins 200 twips in.
    EXPECT_NEAR(barStart, (200.0 + 19.0 * (18000.0 - 1450.0) / 99.0) / 15.0, 2.0);
    // The outer frame runs along the picture's edges: its corners and edges are black.
    EXPECT_EQ(saved.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(saved.pixel(1199, 799), qRgb(0, 0, 0));
    EXPECT_EQ(saved.pixel(0, 400), qRgb(0, 0, 0));
    EXPECT_EQ(saved.pixel(600, 0), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace vel
