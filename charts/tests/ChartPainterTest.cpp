// The painting rules, read from the display list: frame and layout, level lines only strictly
// inside, value label formats, the cursor and clicks, the tick step and date labels, the rally
// bars and the status line; and pixel probes on the image the Qt backend draws.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <vector>

#include "AppState.h"
#include "ChartCurves.h"
#include "ChartExport.h"
#include "ChartPainter.h"
#include "ChartsFixture.h"
#include "QtChartImage.h"
#include "VectorStores.h"

namespace vel {
namespace {

using P = ChartPrimitive;

class ChartPainterTest : public testing::ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        testing::LoadSyntheticHistory(2, 100);
        ChartPicture = &target;
        ClearChartCurves();
    }
    // Appends a curve with the values v(d) on every day.
    void Curve(const std::function<float(long)>& v, const std::string& caption = "c") {
        const long k = AppendChartCurve(caption);
        for (long d = 1; d <= MainVectors->CoordDim(); ++d)
            MainVectors->CoordSetSingleValue(ChartCurveVector(k), d, v(d));
    }
    void Window(long from, long to) {
        ChartFrom1 = Num(static_cast<int>(from));
        ChartTo1 = static_cast<std::int16_t>(to);
    }
    std::vector<P> Items(PrimitiveKind kind, ChartColour colour, int width = -1) const {
        std::vector<P> out;
        for (const P& p : target.List().Items())
            if (p.kind == kind && p.colour == colour && (width < 0 || p.width == width))
                out.push_back(p);
        return out;
    }
    std::vector<std::string> Texts(ChartColour colour) const {
        std::vector<std::string> out;
        for (const P& p : Items(PrimitiveKind::Text, colour)) out.push_back(p.text);
        return out;
    }
    bool HasText(const std::string& t) const {
        for (const P& p : target.List().Items())
            if (p.kind == PrimitiveKind::Text && p.text == t) return true;
        return false;
    }
    // The plot area of pane k: L', T', R', B'.
    std::array<double, 4> Plot(long k) const {
        return {ChartPaneRect(k, 1) + 200.0, ChartPaneRect(k, 2) + 250.0,
                ChartPaneRect(k, 3) - 1250.0, ChartPaneRect(k, 4) - 75.0};
    }
    ChartTarget target{9000, 6000};
};

TEST_F(ChartPainterTest, DrawsTheOuterFrameThenOnePaneFramePerCurve) {
    Curve([](long d) { return static_cast<float>(d); });
    Curve([](long d) { return static_cast<float>(-d); });
    RefreshChart();
    const auto& items = target.List().Items();
    ASSERT_GE(items.size(), 4u);
    // The frame (5, 5, 8984, 5984), black, width 4, in the four edges' order.
    const double e[4][4] = {
        {5, 5, 8984, 5}, {8984, 5, 8984, 5984}, {8984, 5984, 5, 5984}, {5, 5984, 5, 5}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(items[i].width, 4);
        EXPECT_EQ(items[i].colour, ChartColour::Black);
        EXPECT_EQ((std::array{items[i].x1, items[i].y1, items[i].x2, items[i].y2}),
                  (std::array{e[i][0], e[i][1], e[i][2], e[i][3]}));
    }
    // Each pane's plot frame is the next black width-1 rectangle.
    const auto plot = Plot(2);
    int frames = 0;
    for (size_t i = 0; i + 3 < items.size(); ++i)
        if (items[i].width == 1 && items[i].colour == ChartColour::Black &&
            items[i].x1 == plot[0] && items[i].y1 == plot[1] && items[i].x2 == plot[2] &&
            items[i + 2].y1 == plot[3])
            ++frames;
    EXPECT_EQ(frames, 1);
    EXPECT_TRUE(HasText("1. c"));
    EXPECT_TRUE(HasText("2. c"));
}

TEST_F(ChartPainterTest, DrawsLevelLinesOnlyStrictlyInsideTheValues) {
    Curve([](long d) { return static_cast<float>(d); });  // Min 1, Max 100
    ChartLevel(1, 1) = 100;                               // at Max: not drawn
    ChartLevel(1, 2) = 1;                                 // at Min: not drawn
    ChartLevel(1, 3) = 50;
    ChartLevel(1, 4) = 250;  // outside
    RefreshChart();
    const auto red = Items(PrimitiveKind::Line, ChartColour::Red, 1);
    const auto plot = Plot(1);
    std::vector<P> levels;
    for (const P& p : red)
        if (p.x1 == plot[2] && p.x2 == plot[0]) levels.push_back(p);
    ASSERT_EQ(levels.size(), 1u);
    // y(50) = T' + (50 - 100) * (B' - T') / (1 - 100), rounded.
    EXPECT_EQ(levels[0].y1, roundHalfEven(plot[1] + (50.0 - 100.0) * (plot[3] - plot[1]) / -99.0));
    EXPECT_EQ(levels[0].y1, levels[0].y2);

    ClearChartCurves();
    Curve([](long) { return 5.0f; });  // a flat curve shows no level line
    ChartLevel(1, 1) = 5;
    RefreshChart();
    for (const P& p : Items(PrimitiveKind::Line, ChartColour::Red, 1))
        EXPECT_FALSE(p.x1 == Plot(1)[2] && p.x2 == Plot(1)[0]);
}

TEST_F(ChartPainterTest, FormatsTheScaleByTheMaximumAndTheCursorByItsOwnValue) {
    Curve([](long d) { return d == 100 ? 999.99f : 2.5f; });
    CursorDay = 50;
    RefreshChart();
    EXPECT_TRUE(HasText("999.99"));
    EXPECT_TRUE(HasText("2.50"));
    EXPECT_EQ(Texts(ChartColour::Red), std::vector<std::string>{"2.50"});

    ClearChartCurves();
    Curve([](long d) { return d == 100 ? 1234.6f : 5.25f; });
    CursorDay = 100;
    RefreshChart();
    EXPECT_TRUE(HasText("1235.")) << "Max 1234.6 in the whole form";
    EXPECT_TRUE(HasText("5.")) << "the Min label follows the Max's format";
    EXPECT_EQ(Texts(ChartColour::Red), std::vector<std::string>{"1235."});
    CursorDay = 99;
    RefreshChart();
    EXPECT_EQ(Texts(ChartColour::Red), std::vector<std::string>{"5.25"});
}

TEST_F(ChartPainterTest, TicksStepByAFourteenthOfTheWindowWithDatesUnderTheLastPane) {
    Curve([](long d) { return static_cast<float>(d % 7); });
    Curve([](long d) { return static_cast<float>(d % 5); });
    Window(50, 78);  // 28 days apart: Step 2
    RefreshChart();
    const auto plot = Plot(2);
    const double xScale = (plot[2] - plot[0]) / 28.0;
    std::vector<double> tickDays;
    for (const P& p : Items(PrimitiveKind::Line, ChartColour::Black, 1))
        if (p.y1 == plot[3] && p.y2 == plot[3] + 70 && p.x1 == p.x2)
            tickDays.push_back(std::round((p.x1 - plot[0]) / xScale) + 50);
    std::vector<double> expected;
    for (long d = 78; d >= 50; d -= 2) expected.push_back(static_cast<double>(d));
    EXPECT_EQ(tickDays, expected);

    // Day 78's date runs diagonally, one character at a time.
    const std::string date = TradeDateOfDay(78);
    std::vector<P> chars;
    for (const P& p : Items(PrimitiveKind::Text, ChartColour::Black))
        if (p.text.size() == 1 && p.y1 >= plot[3] + 140 &&
            p.x1 == plot[2] - 40 + 120.0 * ((p.y1 - plot[3] - 140) / 60.0))
            chars.push_back(p);
    ASSERT_EQ(chars.size(), date.size());
    for (size_t i = 0; i < chars.size(); ++i) {
        EXPECT_EQ(chars[i].text, std::string(1, date[i]));
        EXPECT_DOUBLE_EQ(chars[i].x1, plot[2] - 40 + 120.0 * i);
        EXPECT_DOUBLE_EQ(chars[i].y1, plot[3] + 80 + 60 + 60.0 * i);
    }
}

TEST_F(ChartPainterTest, AOneDayWindowPutsEverythingOnTheLeftEdge) {
    Curve([](long d) { return static_cast<float>(d); });
    Window(40, 40);
    ChartClickX = 7000;
    RefreshChart();
    EXPECT_EQ(CursorDay, 40);
    EXPECT_EQ(PlotScaleX, 0.0f);
    const auto plot = Plot(1);
    int ticks = 0;
    for (const P& p : Items(PrimitiveKind::Line, ChartColour::Black, 1))
        if (p.y1 == plot[3] && p.y2 == plot[3] + 70) {
            ++ticks;
            EXPECT_EQ(p.x1, plot[0]);
        }
    EXPECT_EQ(ticks, 1);
    const auto blue = Items(PrimitiveKind::Line, ChartColour::Blue, 2);
    ASSERT_EQ(blue.size(), 1u) << "a single zero-length line";
    EXPECT_EQ(blue[0].x1, blue[0].x2);
}

TEST_F(ChartPainterTest, ClicksAndTheClampMoveTheCursorIntoTheWindow) {
    Curve([](long d) { return static_cast<float>(d); });
    Window(21, 80);
    CursorDay = 5;
    RefreshChart();
    EXPECT_EQ(CursorDay, 21) << "a cursor before the window is raised to its first day";
    ChartClickX = 1;  // left of the plot area
    RefreshChart();
    EXPECT_EQ(CursorDay, 21);
    ChartClickX = 9000;  // right of it
    RefreshChart();
    EXPECT_EQ(CursorDay, 80);
    const auto plot = Plot(1);
    const double xScale = (plot[2] - plot[0]) / 59.0;
    ChartClickX = static_cast<std::int16_t>(std::lround(plot[0] + 30 * xScale + 0.3 * xScale));
    RefreshChart();
    EXPECT_EQ(CursorDay, 51);
    EXPECT_FLOAT_EQ(PlotOriginX, static_cast<float>(plot[0]));

    // The cross and circle sit on the curve's value at the cursor.
    const double yc = roundHalfEven(plot[1] + (51.0 - 80.0) * (plot[3] - plot[1]) / (21.0 - 80.0));
    const auto circles = Items(PrimitiveKind::Circle, ChartColour::Red, 1);
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_DOUBLE_EQ(circles[0].x1, plot[0] + 30 * xScale);
    EXPECT_EQ(circles[0].y1, yc);
    EXPECT_EQ(circles[0].x2, 100);
}

TEST_F(ChartPainterTest, RallyBarsEndBeforeTheSellDayAndMarkTheCursor) {
    Curve([](long d) { return static_cast<float>(d); });
    Window(11, 60);
    const auto status = [&] { return Items(PrimitiveKind::Text, ChartColour::Black).back().text; };
    CursorDay = 60;
    RefreshChart();
    EXPECT_EQ(status(),
              "??? on  Cursor position =  60   Date = " + TradeDateOfDay(60) +
                  "   WeekDay =" + formatWholeExport(WeekdayOfDateText(TradeDateOfDay(60))));

    RallyCount = 3;
    TradingLog(1, 1) = 5, TradingLog(1, 2) = 20;   // starts before the window
    TradingLog(2, 1) = 30, TradingLog(2, 2) = 31;  // one day
    TradingLog(3, 1) = 58, TradingLog(3, 2) = 61;  // open at the end
    CursorDay = 31;                                // the second rally's sell day
    RefreshChart();
    EXPECT_EQ(status().substr(0, 9), "SELL on  ");
    const auto plot = Plot(1);
    const double xScale = (plot[2] - plot[0]) / 49.0;
    auto x = [&](long d) { return plot[0] + (d - 11) * xScale; };
    const auto bars = Items(PrimitiveKind::Line, ChartColour::Green, 3);
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ((std::array{bars[0].x1, bars[0].x2}), (std::array{x(11), x(19)}));
    EXPECT_EQ((std::array{bars[1].x1, bars[1].x2}), (std::array{x(30), x(30)}));
    EXPECT_EQ((std::array{bars[2].x1, bars[2].x2}), (std::array{x(58), x(60)}));
    EXPECT_EQ(bars[0].y1, plot[3] + 90);

    CursorDay = 30;  // a buy day
    RefreshChart();
    EXPECT_EQ(status().substr(0, 8), "BUY on  ");
    int markers = 0;
    for (const P& p : Items(PrimitiveKind::Line, ChartColour::Red, 1))
        if (p.y1 == plot[3] + 40 && p.y2 == plot[3] + 140) {
            ++markers;
            EXPECT_EQ(p.x1, x(30));
        }
    EXPECT_EQ(markers, 1);
}

TEST_F(ChartPainterTest, StatusLineLeavesOutTheWeekdayOfAnInvalidDate) {
    Curve([](long d) { return static_cast<float>(d); });
    LoadedTradeDates(100) = "empty date";
    CursorDay = 100;
    RefreshChart();
    EXPECT_EQ(Items(PrimitiveKind::Text, ChartColour::Black).back().text,
              "??? on  Cursor position =  100   Date = empty date");
    EXPECT_EQ(WeekdayOfDateText("1/2/2020"), 4);
    EXPECT_EQ(WeekdayOfDateText("1/5/2020"), 7);
    EXPECT_EQ(WeekdayOfDateText("1/6/2020"), 1);
}

TEST_F(ChartPainterTest, CurveIsOneBlueLinePerDayFromAZeroLengthStart) {
    Curve([](long d) { return static_cast<float>(d * d); });
    Window(1, 100);
    RefreshChart();
    const auto blue = Items(PrimitiveKind::Line, ChartColour::Blue, 2);
    ASSERT_EQ(blue.size(), 100u);
    EXPECT_EQ(blue[0].x1, blue[0].x2);
    EXPECT_EQ(blue[0].y1, blue[0].y2);
    const auto plot = Plot(1);
    EXPECT_EQ(blue[0].y1, plot[3]) << "the minimum lies on the bottom line";
    EXPECT_EQ(blue[99].y2, plot[1]) << "the maximum on the top line";
    for (size_t i = 1; i < blue.size(); ++i) ASSERT_EQ(blue[i].x1, blue[i - 1].x2);
}

// ---- The image ------------------------------------------------------------------------------

// True when the pixel at (x, y) or one of its eight neighbours has the colour.
bool ColourNear(const QImage& image, double xTwips, double yTwips, QRgb colour) {
    const int x = static_cast<int>(std::lround(xTwips / kTwipsPerPixel));
    const int y = static_cast<int>(std::lround(yTwips / kTwipsPerPixel));
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) == colour) return true;
    return false;
}

TEST_F(ChartPainterTest, ImageShowsThePaletteOnWhite) {
    Curve([](long d) { return static_cast<float>(d); });
    ChartLevel(1, 1) = 50;
    RallyCount = 1;
    TradingLog(1, 1) = 20, TradingLog(1, 2) = 40;
    CursorDay = 90;
    RefreshChart();
    const QImage image = RenderChartTarget(target);
    ASSERT_EQ(image.size(), QSize(600, 400));
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0), red = qRgb(128, 0, 0),
               green = qRgb(0, 128, 0), blue = qRgb(0, 0, 128);
    for (const QRgb c : {black, red, green, blue, white}) {
        bool seen = false;
        for (int y = 0; y < image.height() && !seen; ++y)
            for (int x = 0; x < image.width() && !seen; ++x) seen = image.pixel(x, y) == c;
        EXPECT_TRUE(seen) << std::hex << c;
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            ASSERT_TRUE(c == white || c == black || c == red || c == green || c == blue)
                << "an aliased picture holds palette colours only: " << x << "," << y;
        }
    const auto plot = Plot(1);
    EXPECT_EQ(image.pixel(300, 1), black) << "the outer frame";
    EXPECT_EQ(image.pixel(598, 200), black);
    EXPECT_EQ(image.pixel(300, 20), white) << "between frame and pane";
    const double yLevel = roundHalfEven(plot[1] + (50.0 - 100.0) * (plot[3] - plot[1]) / -99.0);
    EXPECT_TRUE(ColourNear(image, plot[0] + 0.25 * (plot[2] - plot[0]), yLevel, red));
    const double xBar = plot[0] + 25 * (plot[2] - plot[0]) / 99.0;
    EXPECT_TRUE(ColourNear(image, xBar, plot[3] + 90, green));
    const double xCurve = plot[0] + 79 * (plot[2] - plot[0]) / 99.0;
    EXPECT_TRUE(
        ColourNear(image, xCurve, plot[1] + (80.0 - 100.0) * (plot[3] - plot[1]) / -99.0, blue));
}

// The box of the pixels a text of the list covers on the image the Qt backend draws.
QRect InkOf(const ChartTarget& target, const P& text) {
    DisplayList one;
    one.Text(text.colour, text.x1, text.y1, text.text);
    QImage image(static_cast<int>(std::lround(target.ScaleWidth() / kTwipsPerPixel)),
                 static_cast<int>(std::lround(target.ScaleHeight() / kTwipsPerPixel)),
                 QImage::Format_RGB32);
    DrawDisplayList(one, target.ScaleWidth(), target.ScaleHeight(), image);
    const QPoint at(static_cast<int>(text.x1 / kTwipsPerPixel),
                    static_cast<int>(text.y1 / kTwipsPerPixel));
    const QRect around =
        QRect(at - QPoint(4, 8), QSize(16 * static_cast<int>(text.text.size()) + 8, 40))
            .intersected(image.rect());
    QRect ink;
    for (int y = around.top(); y <= around.bottom(); ++y)
        for (int x = around.left(); x <= around.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST_F(ChartPainterTest, DatesStatusLineAndValueLabelsKeepApartAtTheDesignedSizeAndLarger) {
    // Up to the last day of 2020, so that ten-character dates end near the status line.
    testing::LoadSyntheticHistory(2, 250);
    const auto check = [&](double width, double height, long panes) {
        SCOPED_TRACE(std::to_string(panes) + " panes on " + std::to_string(std::lround(width)) +
                     " x " + std::to_string(std::lround(height)) + " twips");
        target.SetScaleSize(width, height);
        ClearChartCurves();
        for (long k = 0; k < panes; ++k)
            Curve([k](long d) { return static_cast<float>((d * (k + 3)) % 97 - 40) * 1.37f; });
        CursorDay = 125;
        RefreshChart();
        const double dateTop = Plot(panes)[3] + 140;
        std::vector<QRect> dates;
        QRect status;
        for (const P& p : Items(PrimitiveKind::Text, ChartColour::Black)) {
            if (p.text.size() == 1 && p.y1 >= dateTop) dates.push_back(InkOf(target, p));
            if (p.text.starts_with("??? on")) status = InkOf(target, p);
        }
        ASSERT_FALSE(status.isEmpty());
        for (const QRect& d : dates) EXPECT_FALSE(d.intersects(status));
        for (long k = 1; k <= panes; ++k) {
            const auto plot = Plot(k);
            std::vector<QRect> labels;
            for (const P& p : target.List().Items())
                if (p.kind == PrimitiveKind::Text &&
                    (p.x1 == plot[2] + 140 || p.x1 == plot[2] + 200) &&
                    p.y1 >= ChartPaneRect(k, 2) && p.y1 < ChartPaneRect(k, 4))
                    labels.push_back(InkOf(target, p));
            ASSERT_EQ(labels.size(), 3u) << "pane " << k;
            for (size_t i = 0; i < 3; ++i)
                for (size_t j = i + 1; j < 3; ++j)
                    EXPECT_FALSE(labels[i].intersects(labels[j])) << "pane " << k;
        }
    };
    // Six panes are the most whose plot areas leave room for three label rows at the designed
    // picture size; the report's picture holds the fifteen curves of a market timing run.
    for (long panes = 1; panes <= 6; ++panes) check(8985, 3975, panes);
    check(kExportPictureWidthTwips, kExportPictureHeightTwips, 15);
}

}  // namespace
}  // namespace vel
