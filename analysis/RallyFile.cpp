// The rally file and the rally display.
#include "RallyFile.h"

#include <algorithm>

#include "ActivityLog.h"
#include "AnalysisText.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "Door.h"
#include "FilePaths.h"
#include "FolderHold.h"
#include "Hooks.h"
#include "NumberText.h"
#include "ParameterDialogs.h"
#include "ResultFile.h"
#include "SmallRoutines.h"
#include "TextFile.h"
#include "VectorStores.h"

namespace vel {

namespace {

const char* const kRallyFileName = "Rallies.txt";

// A number of the rally file: a blank before it when not negative, one after it.
std::string RallyFileNumber(long v) {
    return SignBlankWhole(v) + " ";
}

std::string RallyFilePath() {
    return JoinPath(ResultsFolderPath, kRallyFileName);
}

long LastLoadedDay() {
    return MainVectors ? MainVectors->CoordDim() : 0;
}

std::string ImportMessage(const char* first, const std::string& path, long count) {
    return std::string(first) + kCrLf + "Imported from file: " + path + kCrLf +
           "Number of rallies =" + SignBlankWhole(count) + kCrLf;
}

// Disables the bar, sets its value and enables it again, yielding after each step.
void MoveScrollBar(ChartView& view, DayScrollBar bar, int value) {
    view.SetScrollBarEnabled(bar, false);
    YieldToEvents();
    view.SetScrollBarValue(bar, value);
    YieldToEvents();
    view.SetScrollBarEnabled(bar, true);
    YieldToEvents();
}

// The number as a 16-bit whole number (halves to even); nothing for text that is no number or
// a number beyond 16 bits.
std::optional<std::int16_t> WholeNumber(const std::string& text) {
    const auto v = parseNumber(TrimBlanks(text));
    if (!v) return std::nullopt;
    try {
        return toInt16(*v);
    } catch (const OverflowError&) {
        return std::nullopt;
    }
}

}  // namespace

std::vector<std::string> RallyFileLines(const RallyLog& log) {
    std::vector<std::string> lines{RallyFileNumber(log.count)};
    for (long r = 1; r <= log.count; ++r)
        lines.push_back(RallyFileNumber(log(r, 1)) + ", " + RallyFileNumber(log(r, 2)));
    return lines;
}

std::optional<RallyLog> ParseRallyFile(const std::vector<std::string>& lines) {
    std::vector<std::int16_t> numbers;
    for (const std::string& line : lines) {
        // A comma at either end of a line separates from the neighbouring line's number.
        std::string text = TrimBlanks(line);
        if (!text.empty() && text.front() == ',') text.erase(0, 1);
        if (!text.empty() && text.back() == ',') text.pop_back();
        if (TrimBlanks(text).empty()) continue;
        size_t start = 0;
        while (true) {
            const size_t comma = text.find(',', start);
            const auto v = WholeNumber(text.substr(start, comma - start));
            if (!v) return std::nullopt;
            numbers.push_back(*v);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    if (numbers.empty()) return std::nullopt;
    const long count = numbers[0];
    if (count < 0 || count > kMaxRallies) return std::nullopt;
    if (static_cast<long>(numbers.size()) < 1 + 2 * count) return std::nullopt;
    RallyLog log;
    for (long r = 0; r < count; ++r)
        log.Append(numbers[static_cast<size_t>(1 + 2 * r)],
                   numbers[static_cast<size_t>(2 + 2 * r)]);
    return log;
}

bool RalliesFitHistory(const RallyLog& log, long lastDay) {
    for (long r = 1; r <= log.count; ++r) {
        const long buy = log(r, 1), sell = log(r, 2);
        if (r < log.count && sell > log(r + 1, 1)) return false;
        if (buy > sell || buy < 1 || buy > lastDay || sell > lastDay + 1) return false;
    }
    return true;
}

void ExportTradingLog() {
    if (RallyCount < 1) {
        door().MessageBox("No rallies to export!", "", MsgButtons::OK);
        return;
    }
    const std::string path = RallyFilePath();
    const FolderHold hold(DataFolderOf(path));
    if (!HeldForWriting(hold)) return;
    try {
        WriteTextLines(path, RallyFileLines(TradingLog));
    } catch (const FileError& e) {
        ReportResultFileFailure(path, e.what());
        return;
    }
    door().MessageBox("Rallies exported to:   " + path, "", MsgButtons::OK);
}

void ImportTradingLog() {
    const std::string path = RallyFilePath();
    if (!FileExists(path)) {
        door().MessageBox("There is no file  " + path, "", MsgButtons::OK);
        return;
    }
    std::optional<RallyLog> read;
    try {
        read = ParseRallyFile(ReadTextLines(path));
    } catch (const FileError& e) {
        WriteActivityLog("Rally file not read: " + path + " (" + e.what() + ")");
    }
    if (read && RalliesFitHistory(*read, LastLoadedDay())) {
        TradingLog.count = 0;
        for (long r = 1; r <= read->count; ++r) TradingLog.Append((*read)(r, 1), (*read)(r, 2));
        door().MessageBox(ImportMessage("OK, importing rallies! ", path, RallyCount), "",
                          MsgButtons::OK);
    } else {
        door().MessageBox(ImportMessage("Problems, importing rallies! ", path, 0), "",
                          MsgButtons::OK);
    }
    RefreshMenuCaptions();
    RefreshChart();
}

void DisplaySelectedRally() {
    if (RallyToDisplay < 1 || RallyToDisplay > RallyCount) {
        door().Beep();
        return;
    }
    ChartView* view = CurrentChartView();
    if (view) {
        MoveScrollBar(*view, DayScrollBar::First, view->ScrollBarMin(DayScrollBar::First));
        MoveScrollBar(*view, DayScrollBar::Last, view->ScrollBarMax(DayScrollBar::First));
    }
    const long lastDay = LastLoadedDay();
    long from = TradingLog(RallyToDisplay, 1);
    long to = TradingLog(RallyToDisplay, 2);
    from = std::clamp<long>(from, 1, std::max<long>(lastDay, 1));
    to = std::clamp<long>(to, 1, std::max<long>(lastDay, 1));
    from = std::min(from, to);
    ChartFrom1 = Num(static_cast<int>(from));
    ChartTo1 = static_cast<std::int16_t>(to);
    ChartFrom2 = static_cast<std::int16_t>(from);
    ChartTo2 = ChartTo1;
    if (view) {
        MoveScrollBar(*view, DayScrollBar::First, static_cast<int>(from));
        view->SetScrollBarValue(DayScrollBar::Last, static_cast<int>(to));
        YieldToEvents();
    }
    SetChartLabel(ChartLabel::DisplayedDayCount, DisplayedDayCountText());
    SetChartLabel(ChartLabel::ChartFromTo, ChartFromToText());
    YieldToEvents();
    RefreshMenuCaptions();
}

void SelectRallyToDisplay() {
    if (RallyCount < 1) {
        door().Beep();
        return;
    }
    const std::string prompt = std::string(" Enter Rally number do display") + kCrLf +
                               " from 1 to " + std::to_string(RallyCount) + " :" + kCrLf;
    const auto value = AskParameterValue(prompt, RallyToDisplay, 1, RallyCount, true);
    if (!value) return;
    RallyToDisplay = static_cast<std::int16_t>(*value);
    DisplaySelectedRally();
}

}  // namespace vel
