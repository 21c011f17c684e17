// One full repaint of the chart: 7 curve panes over 3000 days painted into the display list,
// then drawn by the Qt backend on an image of 1200 x 800 pixels, as the chart window shows it.
#include <QGuiApplication>
#include <QImage>

#include "AppState.h"
#include "Bench.h"
#include "ChartCurves.h"
#include "ChartPainter.h"
#include "QtChartImage.h"
#include "SyntheticHistory.h"
#include "VectorStores.h"

namespace {

void chartPaint() {
    using namespace vel;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "vellicor_bench";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    testing::LoadSyntheticHistory(7, 3000);
    ChartTarget target(1200 * kTwipsPerPixel, 800 * kTwipsPerPixel);
    ChartPicture = &target;
    ClearChartCurves();
    for (long k = 1; k <= 7; ++k) {
        const std::string symbol = LoadedSymbols(k);
        AppendChartCurve("Stock price for " + symbol);
        MainVectors->VectorCopy(MainVectors->BufferStart() + k - 1, ChartCurveVector(k));
        ChartLevel(k, 1) = 25;
    }
    RallyCount = 40;
    for (long r = 1; r <= RallyCount; ++r) {
        TradingLog(r, 1) = static_cast<std::int16_t>(r * 70);
        TradingLog(r, 2) = static_cast<std::int16_t>(r * 70 + 30);
    }
    CursorDay = 1500;
    QImage image(1200, 800, QImage::Format_RGB32);

    auto once = [&] {
        target.List().Clear();
        CalcChartPaneLayout();
        PaintChart();
        DrawDisplayList(target.List(), target.ScaleWidth(), target.ScaleHeight(), image);
    };
    once();  // warm-up: fonts and glyph caches
    constexpr int repeats = 20;
    bench::Stopwatch paint;
    for (int i = 0; i < repeats; ++i) once();
    bench::report("chart_paint", paint.seconds() * 1000.0 / repeats, "ms");
    if (const char* png = std::getenv("VELLICOR_BENCH_CHART_PNG")) image.save(png);
}

vel::bench::Register reg("chart_paint", chartPaint, {"chart_paint"});

}  // namespace
