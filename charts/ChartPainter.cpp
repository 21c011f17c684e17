// The chart painter.
#include "ChartPainter.h"

#include <algorithm>
#include <vector>

#include "AppState.h"
#include "ChartCurves.h"
#include "Hooks.h"
#include "IntervalTable.h"
#include "Num.h"
#include "NumberText.h"
#include "VectorStores.h"

namespace vel {

std::string FormatChartValue(double value, bool wholeForm) {
    const float v = static_cast<float>(value);
    return wholeForm ? FormatNumber(v, "0") + "." : FormatNumber(v, "0.00");
}

int WeekdayOfDateText(const std::string& date) {
    const auto d = parseDate(date);
    if (!d || !isValidDate(*d)) return 0;
    // Serial day 0 (12/30/1899) was a Saturday.
    return static_cast<int>(((dateSerial(*d) + 5) % 7 + 7) % 7) + 1;
}

namespace {

void DrawFrame(DisplayList& list, ChartColour colour, int width, double l, double t, double r,
               double b) {
    list.Line(colour, width, l, t, r, t);
    list.Line(colour, width, r, t, r, b);
    list.Line(colour, width, r, b, l, b);
    list.Line(colour, width, l, b, l, t);
}

// The step between day ticks: a fourteenth of the window, rounded up, at least 1.
long TickStep(long from, long to) {
    const long span = to - from;
    long step = span / 14;
    if (14 * step < span) ++step;
    return step < 1 ? 1 : step;
}

}  // namespace

void PaintChart() {
    DisplayList& list = ChartPicture->List();
    const clsVectors& store = *MainVectors;
    const long count = store.ChartCount();
    const long frame = count + 1;
    DrawFrame(list, ChartColour::Black, 4, ChartPaneRect(frame, 1), ChartPaneRect(frame, 2),
              ChartPaneRect(frame, 3), ChartPaneRect(frame, 4));
    const double statusX = roundHalfEven((ChartPaneRect(frame, 1) + ChartPaneRect(frame, 3)) / 2.2);
    const double statusY = roundHalfEven(ChartPaneRect(frame, 4) - 240.0);

    const long from = ChartFrom1.toInt16();
    const long to = ChartTo1;
    const long step = TickStep(from, to);
    std::vector<double> values(static_cast<size_t>(std::max(0L, to - from + 1)));
    std::string state;
    double lastBottom = 0, xScale = 0, left = 0;

    for (long k = 1; k <= count; ++k) {
        const long vector = store.ChartStart() + k;
        const double l = ChartPaneRect(k, 1) + 200.0, t = ChartPaneRect(k, 2) + 250.0;
        const double r = ChartPaneRect(k, 3) - 1250.0, b = ChartPaneRect(k, 4) - 75.0;
        double max = 0, min = 0;
        for (long d = from; d <= to; ++d) {
            const double v = store.CoordGetSingleValue(vector, d).toDouble();
            values[static_cast<size_t>(d - from)] = v;
            if (d == from || v > max) max = v;
            if (d == from || v < min) min = v;
        }
        xScale = to > from ? (r - l) / static_cast<double>(to - from) : 0.0;
        const double yScale = min < max ? (b - t) / (min - max) : 0.0;
        left = l;
        auto x = [&](long d) { return l + static_cast<double>(d - from) * xScale; };
        auto y = [&](double v) { return roundHalfEven(t + (v - max) * yScale); };
        const bool wholeForm = !(max < 1000);
        PlotOriginX = static_cast<float>(l);
        PlotScaleX = static_cast<float>(xScale);

        if (ChartClickX > 0) {
            long day = from;
            if (PlotScaleX != 0.0f)
                day = from + toInt32((static_cast<double>(ChartClickX) - PlotOriginX) /
                                     static_cast<double>(PlotScaleX));
            CursorDay = static_cast<std::int16_t>(std::clamp(day, from, to));
        }

        DrawFrame(list, ChartColour::Black, 1, l, t, r, b);
        for (long j = 1; j <= 5; ++j) {
            const double level = ChartLevel(k, j);
            if (level != kNoLevel && min < level && level < max)
                list.Line(ChartColour::Red, 1, r, y(level), l, y(level));
        }
        list.Line(ChartColour::Black, 1, r, t, r + 80, t);
        list.Text(ChartColour::Black, r + 140, roundHalfEven(t) - 60,
                  FormatChartValue(max, wholeForm));
        list.Line(ChartColour::Black, 1, r, b, r + 80, b);
        list.Text(ChartColour::Black, r + 140, roundHalfEven(b) - 60,
                  FormatChartValue(min, wholeForm));
        list.Text(ChartColour::Black, l, ChartPaneRect(k, 2) + 60.0,
                  std::to_string(k) + ". " + ChartCaption(k));

        if (CursorDay < from) CursorDay = static_cast<std::int16_t>(from);
        if (CursorDay > to) CursorDay = static_cast<std::int16_t>(to);
        const double cursorValue = values[static_cast<size_t>(CursorDay - from)];
        const double xc = x(CursorDay), yc = y(cursorValue);
        list.Line(ChartColour::Red, 1, xc - 100, yc, xc + 100, yc);
        list.Line(ChartColour::Red, 1, xc, yc - 100, xc, yc + 100);
        list.Circle(ChartColour::Red, 1, xc, yc, 100);

        for (long d = to; d >= from; d -= step)
            list.Line(ChartColour::Black, 1, x(d), b, x(d), roundHalfEven(b + 70));

        state = "??? on  ";
        if (RallyCount > 0) {
            state = "SELL on  ";
            for (long n = 1; n <= RallyCount; ++n) {
                const long s = std::max<long>(TradingLog(n, 1), from);
                const long e = std::min<long>(TradingLog(n, 2) - 1, to);
                if (s > e) continue;
                list.Line(ChartColour::Green, 3, x(s), b + 90, x(e), roundHalfEven(b + 90));
                if (s <= CursorDay && CursorDay <= e) {
                    list.Line(ChartColour::Red, 1, x(CursorDay), b + 40, x(CursorDay),
                              roundHalfEven(b + 140));
                    state = "BUY on  ";
                }
            }
        }
        YieldToEvents();

        list.Text(ChartColour::Red, r + 200, (t + b) / 2 - 60,
                  FormatChartValue(cursorValue, !(cursorValue < 1000)));

        double px = x(from), py = y(values[0]);
        list.Line(ChartColour::Blue, 2, px, py, px, py);
        for (long d = from + 1; d <= to; ++d) {
            const double nx = x(d), ny = y(values[static_cast<size_t>(d - from)]);
            list.Line(ChartColour::Blue, 2, px, py, nx, ny);
            px = nx;
            py = ny;
        }
        lastBottom = b;
        YieldToEvents();
    }

    for (long d = to; d >= from; d -= step) {
        const std::string& date = TradeDateOfDay(d);
        const double xd = left + static_cast<double>(d - from) * xScale;
        const double top = roundHalfEven(lastBottom + 80) + 60;
        for (size_t i = 0; i < date.size(); ++i)
            list.Text(ChartColour::Black, xd - 40 + 120.0 * static_cast<double>(i),
                      top + 60.0 * static_cast<double>(i), std::string(1, date[i]));
    }

    const std::string& date = TradeDateOfDay(CursorDay);
    std::string status =
        state + "Cursor position = " + formatWholeExport(CursorDay) + "   Date = " + date;
    if (const int weekday = WeekdayOfDateText(date); weekday > 0)
        status += "   WeekDay =" + formatWholeExport(weekday);
    list.Text(ChartColour::Black, statusX, statusY, status);
}

}  // namespace vel
